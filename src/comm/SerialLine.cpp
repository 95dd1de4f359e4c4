#include "comm/SerialLine.h"
#include "comm/PosixSerialLine.h"
#include "comm/SocketSerialLine.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vx {

std::string SerialLine::systemMessage(int osError)
{
    if (osError == 0)
        return {};
    char buf[1024];
    // GNU strerror_r may return a static string instead of filling buf.
    const char* text = strerror_r(osError, buf, sizeof buf);
    return text ? std::string(text) : std::string();
}

namespace {

std::atomic<uint64_t> g_callsOnLost{0};

} // namespace

bool SerialLine::deviceGone(int osError)
{
    return osError == EIO || osError == ENXIO || osError == ENODEV;
}

uint64_t SerialLine::callsOnLostLines()
{
    return g_callsOnLost.load();
}

void SerialLine::noteCallOnLostLine()
{
    ++g_callsOnLost;
}

namespace {

std::mutex& factoryMutex()
{
    static std::mutex m;
    return m;
}

SimLineFactory& simFactory()
{
    static SimLineFactory f;
    return f;
}

// Stands in for the simulator when nothing registered it: every open fails.
class MissingLine : public SerialLine {
public:
    bool open(const std::string&) override { return false; }
    void close() override { }
    bool isOpen() const override { return false; }
    bool setFrame(const LineFrame&) override { return false; }
    bool purge() override { return false; }
    bool write(const uint8_t*, size_t) override { return false; }
    bool flush() override { return false; }
    ReadResult readByte(uint8_t&, int) override { return ReadResult::Error; }
    uint32_t takeLineErrors() override { return 0; }
    int lastError() const override { return ENODEV; }
};

speed_t standardSpeed(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return 0;
    }
}

} // namespace

bool isRawNetworkPort(const std::string& devicePath)
{
    return devicePath.starts_with("tcp://");
}

bool isNetworkPort(const std::string& devicePath)
{
    return isRawNetworkPort(devicePath) || devicePath.starts_with("rfc2217://");
}

std::unique_ptr<SerialLine> createSerialLine(const std::string& devicePath)
{
    if (isNetworkPort(devicePath))
        return std::make_unique<SocketSerialLine>();
    if (devicePath == "sim") {
        std::lock_guard lock(factoryMutex());
        if (simFactory()) {
            if (auto line = simFactory()())
                return line;
        }
        return std::make_unique<MissingLine>();
    }
    return std::make_unique<PosixSerialLine>();
}

void setSimLineFactory(SimLineFactory factory)
{
    std::lock_guard lock(factoryMutex());
    simFactory() = std::move(factory);
}

bool simLineAvailable()
{
    std::lock_guard lock(factoryMutex());
    return static_cast<bool>(simFactory());
}

// ---------------------------------------------------------------------------

PosixSerialLine::~PosixSerialLine()
{
    PosixSerialLine::close();
}

bool PosixSerialLine::fail(int err)
{
    m_error = err;
    if (deviceGone(err) && m_fd >= 0)
        m_lost = true;
    return false;
}

bool PosixSerialLine::refuseLost()
{
    if (!m_lost)
        return false;
    noteCallOnLostLine();
    m_error = EIO;
    return true;
}

bool PosixSerialLine::open(const std::string& device)
{
    std::unique_lock lock(m_lock);
    if (m_fd >= 0)
        return fail(EBUSY);
    m_unsent = true;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    if (!isatty(fd)) {
        ::close(fd);
        return fail(ENOTTY);
    }
    // Another program (or another of our ports) on the same device would steal bytes.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return fail(err);
    }
    ioctl(fd, TIOCEXCL);
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        int err = errno;
        ::close(fd);
        return fail(err);
    }
    m_in.clear();
    m_inPos = 0;
    m_marked = 0;
    m_closing = false;
    m_lost = false;
    m_fd = fd;
    readCounters(true);
    m_error = 0;
    return true;
}

void PosixSerialLine::close()
{
    if (m_fd < 0)
        return;
    // Wake a poll() in readByte before waiting for it to leave.
    m_closing = true;
    if (m_wake[1] >= 0) {
        const char c = 0;
        [[maybe_unused]] auto n = ::write(m_wake[1], &c, 1);
    }
    std::unique_lock lock(m_lock);
    int fd = m_fd.exchange(-1);
    if (fd >= 0) {
        ioctl(fd, TIOCNXCL);
        flock(fd, LOCK_UN);
        ::close(fd);
    }
    for (int& p : m_wake) {
        if (p >= 0)
            ::close(p);
        p = -1;
    }
}

bool PosixSerialLine::isOpen() const
{
    return m_fd >= 0;
}

bool PosixSerialLine::setFrame(const LineFrame& frame)
{
    std::shared_lock lock(m_lock);
    int fd = m_fd;
    if (fd < 0)
        return fail(EBADF);
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return fail(errno);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= frame.dataBits == 7 ? CS7 : CS8;
    const bool parity = frame.parity == 'E' || frame.parity == 'O';
    if (parity)
        tio.c_cflag |= PARENB;
    if (frame.parity == 'O')
        tio.c_cflag |= PARODD;
    if (frame.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    // Mark bad bytes in the input instead of dropping them silently; no flow control.
    // INPCK also without parity: the line discipline marks framing errors only with it.
    tio.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_iflag |= PARMRK | INPCK;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    speed_t speed = standardSpeed(frame.baud);
    cfsetispeed(&tio, speed ? speed : B38400);
    cfsetospeed(&tio, speed ? speed : B38400);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int err = errno;
        // glibc reports EINVAL when the driver dropped parity or data bits, as a
        // pseudo-terminal does; the rest was applied, and the line works without them.
        termios now{};
        if (err != EINVAL || tcgetattr(fd, &now) != 0 || cfgetospeed(&now) != cfgetospeed(&tio)
            || (now.c_cflag & CSTOPB) != (tio.c_cflag & CSTOPB))
            return fail(err);
    }
    if (!speed && !setCustomBaud(fd, frame.baud))
        return fail(errno);
    m_parity = parity;
    return true;
}

bool PosixSerialLine::purge()
{
    std::shared_lock lock(m_lock);
    int fd = m_fd;
    if (fd < 0)
        return fail(EBADF);
    if (refuseLost())
        return false;
    m_in.clear();
    m_inPos = 0;
    // With everything sent and nothing come in, there is nothing to throw away; the
    // flush itself waits for the tty layer's worker, once for every request.
    if (!m_unsent) {
        uint8_t chunk[256];
        // Raw mode without a minimum count answers an empty read with 0, not EAGAIN.
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0 || (n < 0 && errno == EAGAIN))
            return true;
    }
    if (tcflush(fd, TCIOFLUSH) != 0)
        return fail(errno);
    m_unsent = false;
    return true;
}

bool PosixSerialLine::write(const uint8_t* data, size_t count)
{
    std::shared_lock lock(m_lock);
    if (refuseLost())
        return false;
    m_unsent = true;
    size_t done = 0;
    while (done < count) {
        if (m_closing || m_fd < 0)
            return fail(EBADF);
        ssize_t n = ::write(m_fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return fail(errno);
        pollfd p[2] = {{m_fd, POLLOUT, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(p, 2, 1000) == 0)
            return fail(ETIMEDOUT);
        if (p[1].revents)
            return fail(EBADF);
        if (p[0].revents & (POLLHUP | POLLERR))
            return fail(EIO);
    }
    return true;
}

bool PosixSerialLine::flush()
{
    std::shared_lock lock(m_lock);
    if (m_fd < 0)
        return fail(EBADF);
    if (refuseLost())
        return false;
    if (tcdrain(m_fd) != 0)
        return fail(errno);
    m_unsent = false;
    return true;
}

bool decodeMarked(const std::vector<uint8_t>& in, size_t& pos, uint8_t& byte, uint32_t& errors, bool parity)
{
    for (;;) {
        const size_t avail = in.size() - pos;
        if (avail == 0)
            return false;
        const uint8_t b = in[pos];
        if (b != 0xFF) {
            ++pos;
            byte = b;
            return true;
        }
        if (avail < 2)
            return false;
        if (in[pos + 1] == 0xFF) {
            pos += 2;
            byte = 0xFF;
            return true;
        }
        if (in[pos + 1] != 0x00) {
            // Not a mark we know; pass the byte on as it came.
            ++pos;
            byte = b;
            return true;
        }
        if (avail < 3)
            return false;
        const uint8_t c = in[pos + 2];
        pos += 3;
        if (c == 0) {
            errors |= CE_BREAK;
            continue;
        }
        errors |= parity ? CE_RXPARITY : CE_FRAME;
        byte = c;
        return true;
    }
}

bool PosixSerialLine::takeBuffered(uint8_t& byte)
{
    uint32_t errors = 0;
    const bool got = decodeMarked(m_in, m_inPos, byte, errors, m_parity);
    if (errors != 0)
        m_marked |= errors;
    return got;
}

SerialLine::ReadResult PosixSerialLine::readByte(uint8_t& byte, int timeoutMs)
{
    using clock = std::chrono::steady_clock;
    if (m_closing) {
        fail(EBADF);
        return ReadResult::Error;
    }
    std::shared_lock lock(m_lock);
    if (m_fd < 0) {
        fail(EBADF);
        return ReadResult::Error;
    }
    if (refuseLost())
        return ReadResult::Error;
    const auto deadline = clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    bool hangUp = false;
    for (;;) {
        if (takeBuffered(byte))
            return ReadResult::Byte;
        if (m_inPos > 0 && m_inPos == m_in.size()) {
            m_in.clear();
            m_inPos = 0;
        }
        uint8_t chunk[256];
        ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0) {
            m_in.insert(m_in.end(), chunk, chunk + n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            fail(errno);
            return ReadResult::Error;
        }
        if (n == 0 && hangUp) {
            // Hung up and nothing left to read: a pulled USB adapter.
            fail(EIO);
            return ReadResult::Error;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
        if (left <= 0)
            return ReadResult::Timeout;
        pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        int r = poll(p, 2, static_cast<int>(left) + 1);
        if (r < 0 && errno != EINTR) {
            fail(errno);
            return ReadResult::Error;
        }
        if (p[1].revents || m_closing) {
            fail(EBADF);
            return ReadResult::Error;
        }
        if (p[0].revents & POLLNVAL) {
            fail(EBADF);
            return ReadResult::Error;
        }
        if (p[0].revents & POLLERR) {
            fail(EIO);
            return ReadResult::Error;
        }
        hangUp = (p[0].revents & POLLHUP) != 0;
        if (hangUp && !(p[0].revents & POLLIN)) {
            // The other end went away (unplugged adapter, closed pty master).
            fail(EIO);
            return ReadResult::Error;
        }
    }
}

void PosixSerialLine::readCounters(bool baselineOnly)
{
    // Asked once per opening; pseudo-terminals and many USB adapters keep no counters.
    if (!baselineOnly && !m_haveCounters)
        return;
    serial_icounter_struct ic{};
    m_haveCounters = ioctl(m_fd, TIOCGICOUNT, &ic) == 0;
    if (!m_haveCounters)
        return;
    uint32_t flags = 0;
    if (!baselineOnly) {
        if (ic.frame != m_cntFrame) flags |= CE_FRAME;
        if (ic.parity != m_cntParity) flags |= CE_RXPARITY;
        if (ic.overrun != m_cntOverrun) flags |= CE_OVERRUN;
        if (ic.buf_overrun != m_cntBufOverrun) flags |= CE_RXOVER;
        if (ic.brk != m_cntBreak) flags |= CE_BREAK;
    }
    m_cntFrame = ic.frame;
    m_cntParity = ic.parity;
    m_cntOverrun = ic.overrun;
    m_cntBufOverrun = ic.buf_overrun;
    m_cntBreak = ic.brk;
    if (flags) {
        // The counters know the class of a marked byte; they replace our guess.
        m_marked = (m_marked & ~(CE_FRAME | CE_RXPARITY | CE_BREAK)) | flags;
    }
}

uint32_t PosixSerialLine::takeLineErrors()
{
    std::shared_lock lock(m_lock);
    if (m_fd >= 0)
        readCounters(false);
    return m_marked.exchange(0);
}

} // namespace vx
