#include "sim/SimPortServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace vx::sim {

namespace {

// The kernel's termios2 (arbitrary baud rates); its header clashes with <termios.h>.
struct KernelTermios2 {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
};
constexpr unsigned long GetTermios2 = _IOR('T', 0x2A, KernelTermios2);
constexpr unsigned long SetTermios2 = _IOW('T', 0x2B, KernelTermios2);
constexpr tcflag_t KernelCbaud = 0010017;
constexpr tcflag_t KernelBother = 0010000;

struct SpeedCode {
    speed_t code;
    int baud;
};
constexpr SpeedCode Speeds[] = {
    {B1200, 1200},
    {B2400, 2400},
    {B4800, 4800},
    {B9600, 9600},
    {B19200, 19200},
    {B38400, 38400},
    {B57600, 57600},
    {B115200, 115200},
    {B230400, 230400},
};

} // namespace

bool readTerminalFrame(int fd, LineFrame& frame)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    LineFrame f;
    f.baud = 0;
    KernelTermios2 t2{};
    if (ioctl(fd, GetTermios2, &t2) == 0 && t2.c_ospeed > 0)
        f.baud = int(t2.c_ospeed);
    if (f.baud == 0) {
        const speed_t s = cfgetospeed(&t);
        for (const SpeedCode& c : Speeds)
            if (c.code == s)
                f.baud = c.baud;
    }
    f.dataBits = (t.c_cflag & CSIZE) == CS7 ? 7 : 8;
    f.parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? 'O' : 'E') : 'N';
    f.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    frame = f;
    return f.baud > 0;
}

bool setTerminalFrame(int fd, const LineFrame& frame)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= (frame.dataBits == 7 ? CS7 : CS8) | CLOCAL | CREAD;
    if (frame.parity != 'N')
        t.c_cflag |= PARENB | (frame.parity == 'O' ? PARODD : 0);
    if (frame.stopBits == 2)
        t.c_cflag |= CSTOPB;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    speed_t code = 0;
    for (const SpeedCode& c : Speeds)
        if (c.baud == frame.baud)
            code = c.code;
    if (code != 0) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
        return tcsetattr(fd, TCSANOW, &t) == 0;
    }
    if (tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    KernelTermios2 t2{};
    if (ioctl(fd, GetTermios2, &t2) != 0)
        return false;
    t2.c_cflag = (t2.c_cflag & ~KernelCbaud) | KernelBother;
    t2.c_ispeed = t2.c_ospeed = speed_t(frame.baud);
    return ioctl(fd, SetTermios2, &t2) == 0;
}

SimPortServer::SimPortServer(SimBus& bus) : m_bus(bus)
{
    if (pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        m_stopPipe[0] = m_stopPipe[1] = -1;
}

SimPortServer::~SimPortServer()
{
    closeAll();
    for (int fd : m_stopPipe)
        if (fd >= 0)
            ::close(fd);
}

void SimPortServer::closeAll()
{
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_slave >= 0)
        ::close(m_slave);
    m_fd = m_slave = -1;
}

bool SimPortServer::openPty(const LineFrame& initial, std::string& slavePath, std::string& error)
{
    char name[256] = {};
    int master = -1, slave = -1;
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // A pty carries no parity or data bits (some kernels even refuse them).
    LineFrame visible = initial;
    visible.dataBits = 8;
    visible.parity = 'N';
    if (!setTerminalFrame(slave, visible)) {
        error = std::string("cannot set up the pseudo-terminal: ") + std::strerror(errno);
        ::close(master);
        ::close(slave);
        return false;
    }
    // Packet mode tells us when the client purges its input, so we can drop what
    // is still queued for it, as a purge on a real port does.
    int packet = 1;
    if (ioctl(master, TIOCPKT, &packet) != 0) {
        error = std::string("cannot set up the pseudo-terminal: ") + std::strerror(errno);
        ::close(master);
        ::close(slave);
        return false;
    }
    m_fd = master;
    m_slave = slave;
    m_pty = true;
    slavePath = name;
    return true;
}

bool SimPortServer::openDevice(const std::string& path, const LineFrame& frame, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!setTerminalFrame(fd, frame)) {
        error = path + ": cannot set " + frameText(frame) + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_pty = false;
    m_deviceFrame = frame;
    return true;
}

bool SimPortServer::listenTcp(const std::string& where, bool rfc2217, const LineFrame& frame, std::string& bound, std::string& error)
{
    std::string addr = "127.0.0.1", port = where;
    const size_t colon = where.rfind(':');
    if (colon != std::string::npos) {
        addr = where.substr(0, colon);
        port = where.substr(colon + 1);
    }
    char* end = nullptr;
    const long n = std::strtol(port.c_str(), &end, 10);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(uint16_t(n));
    if (port.empty() || *end || n < 0 || n > 65535 || inet_pton(AF_INET, addr.c_str(), &sa.sin_addr) != 1) {
        error = "bad address to listen on '" + where + "' (want [ADDR:]PORT, ADDR numeric)";
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    if (fd >= 0)
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 1) != 0) {
        error = "cannot listen on " + where + ": " + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    socklen_t len = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    bound = addr + ":" + std::to_string(ntohs(sa.sin_port));
    m_listen = fd;
    m_telnet = rfc2217;
    m_pty = false;
    m_deviceFrame = frame;
    return true;
}

void SimPortServer::stop()
{
    if (m_stopPipe[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] ssize_t n = ::write(m_stopPipe[1], &c, 1);
    }
}

bool SimPortServer::waitOrStop(int ms)
{
    pollfd p{m_stopPipe[0], POLLIN, 0};
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return true;
        const int r = ::poll(&p, m_stopPipe[0] >= 0 ? 1 : 0, int(left));
        if (r > 0)
            return false;
        if (r < 0 && errno != EINTR)
            return true;
    }
}

PortView SimPortServer::currentView()
{
    if (m_server)
        return {m_server->frame(), true};
    if (!m_pty)
        return {m_deviceFrame, true};
    LineFrame f;
    if (!readTerminalFrame(m_slave, f))
        f = {9600, 8, 'N', 1};
    // The controller does not echo; a slave left in cooked mode would send our
    // replies straight back to us.
    termios t{};
    if (tcgetattr(m_slave, &t) == 0 && (t.c_lflag & ECHO)) {
        t.c_lflag &= ~tcflag_t(ECHO | ECHONL);
        tcsetattr(m_slave, TCSANOW, &t);
    }
    return {f, false};
}

int SimPortServer::run(std::string& message)
{
    if (m_fd < 0 && m_listen < 0) {
        message = "nothing to serve";
        return 1;
    }
    PortSession session;
    std::deque<RxByte> out;
    for (;;) {
        if (m_listen >= 0 && m_fd < 0) {
            // One client at a time; the next one finds the bus as the last one left it.
            pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
            const int r = ::poll(fds, m_stopPipe[0] >= 0 ? 2 : 1, -1);
            if (r < 0 && errno == EINTR)
                continue;
            if (r > 0 && m_stopPipe[0] >= 0 && (fds[1].revents & POLLIN)) {
                closeAll();
                message = "stopped";
                return 0;
            }
            const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0)
                continue;
            const int one = 1;
            setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            m_fd = client;
            out.clear();
            session = {};
            if (m_telnet) {
                m_server = std::make_unique<rfc2217::Server>(m_deviceFrame);
                const auto hello = m_server->greeting();
                [[maybe_unused]] ssize_t w = ::send(m_fd, hello.data(), hello.size(), MSG_NOSIGNAL);
            }
            continue;
        }
        auto now = Clock::now();
        const auto gone = m_bus.goneAt();
        // Send what is due; bytes due after the adapter vanished never leave.
        while (!out.empty() && out.front().due <= now && (!gone || out.front().due < *gone)) {
            uint8_t b = out.front().value;
            // A pty cannot carry parity or framing errors; a damaged byte arrives wrong instead.
            const uint32_t flags = out.front().flags;
            if (flags != 0 && m_server) {
                // RFC 2217 tells line errors apart, ahead of the byte they hit.
                uint8_t state = 0;
                if (flags & CE_OVERRUN) state |= rfc2217::LsOverrun;
                if (flags & CE_RXPARITY) state |= rfc2217::LsParity;
                if (flags & CE_FRAME) state |= rfc2217::LsFraming;
                if (flags & CE_BREAK) state |= rfc2217::LsBreak;
                const auto notice = rfc2217::comPortSub(rfc2217::NotifyLinestate + rfc2217::ServerOffset, {state});
                [[maybe_unused]] ssize_t w = ::send(m_fd, notice.data(), notice.size(), MSG_NOSIGNAL);
            } else if (flags != 0) {
                b ^= 0x01;
            }
            const uint8_t twice[2] = {b, b};
            // RFC 2217 doubles IAC in data.
            const ssize_t n = m_listen < 0 ? ::write(m_fd, &b, 1) : ::send(m_fd, twice, m_server && b == rfc2217::IAC ? 2 : 1, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR && m_listen >= 0) {
                ::close(m_fd);
                m_fd = -1;
                m_server.reset();
                out.clear();
                break;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                message = std::string("write: ") + std::strerror(errno);
                closeAll();
                return 1;
            }
            out.pop_front();
        }
        if (gone && now >= *gone && (out.empty() || out.front().due >= *gone)) {
            // "After the reply": let the client take what is already on its side,
            // which a hang-up would throw away. Up to a second: a client on a loaded
            // machine may not run for a few hundred milliseconds, and one that reads
            // nothing does not hold the unplug up for longer.
            for (int i = 0; i < 500 && m_pty && m_slave >= 0; ++i) {
                int pending = 0;
                if (ioctl(m_slave, FIONREAD, &pending) != 0 || pending == 0)
                    break;
                ::usleep(2000);
            }
            closeAll();
            message = "adapter unplugged";
            return 0;
        }
        // Wake exactly when the next byte is due: at 38400 baud they are 0.29 ms apart.
        auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::milliseconds(200));
        auto limit = [&](Clock::time_point t) {
            wait = std::clamp(std::chrono::duration_cast<std::chrono::nanoseconds>(t - now),
                              std::chrono::nanoseconds(0), wait);
        };
        if (!out.empty())
            limit(out.front().due);
        if (gone)
            limit(*gone);
        const timespec ts{time_t(wait.count() / 1000000000), long(wait.count() % 1000000000)};
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        const int r = ::ppoll(fds, m_stopPipe[0] >= 0 ? 2 : 1, &ts, nullptr);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            message = std::string("poll: ") + std::strerror(errno);
            closeAll();
            return 1;
        }
        if (r > 0 && m_stopPipe[0] >= 0 && (fds[1].revents & POLLIN)) {
            closeAll();
            message = "stopped";
            return 0;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            uint8_t raw[513];
            ssize_t n = ::read(m_fd, raw, sizeof raw);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0 && m_listen >= 0) {
                // The client went; wait for the next.
                ::close(m_fd);
                m_fd = -1;
                m_server.reset();
                continue;
            }
            if (n <= 0) {
                message = n == 0 ? "end of input" : std::string("read: ") + std::strerror(errno);
                closeAll();
                return n == 0 ? 0 : 1;
            }
            const uint8_t* buf = raw;
            if (m_pty) {
                // A status byte leads; only TIOCPKT_DATA has data after it.
                if (raw[0] != TIOCPKT_DATA) {
                    if (raw[0] & TIOCPKT_FLUSHREAD)
                        dropUnsent(out, {});
                    continue;
                }
                ++buf;
                if (--n == 0)
                    continue;
            }
            std::vector<uint8_t> data, reply;
            if (m_server) {
                m_server->receive(buf, size_t(n), data, reply);
                if (!reply.empty()) {
                    [[maybe_unused]] ssize_t w = ::send(m_fd, reply.data(), reply.size(), MSG_NOSIGNAL);
                }
                if (m_server->takePurge())
                    dropUnsent(out, {});
                if (data.empty())
                    continue;
                buf = data.data();
                n = ssize_t(data.size());
            }
            now = Clock::now();
            const PortView view = currentView();
            const auto charTime = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(charSeconds(view.frame)));
            // The bytes are already here, so they went over the line just now.
            const auto start = now - charTime * int64_t(n);
            // A controller stops talking when the master starts a new request
            // (a line feed after the CR of the last one is no new request).
            // A stalled unit's late bytes still come.
            if (std::any_of(buf, buf + n, [](uint8_t c) { return c != '\n'; }))
                dropUnsent(out, {});
            const Delivery d = m_bus.transmit(session, buf, size_t(n), view, start);
            queueAfter(out, d.bytes);
        }
    }
}

} // namespace vx::sim
