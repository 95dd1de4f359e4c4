#include "comm/SocketSerialLine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx {

bool splitNetworkPort(const std::string& name, std::string& host, std::string& port, std::string& error)
{
    const size_t scheme = name.find("://");
    std::string rest = scheme == std::string::npos ? name : name.substr(scheme + 3);
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    size_t colon;
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        colon = close == std::string::npos ? std::string::npos : close + 1;
        host = close == std::string::npos ? std::string() : rest.substr(1, close - 1);
        if (colon < rest.size() && rest[colon] != ':')
            colon = std::string::npos;
    } else {
        colon = rest.rfind(':');
        host = colon == std::string::npos ? std::string() : rest.substr(0, colon);
    }
    port = colon == std::string::npos || colon >= rest.size() ? std::string() : rest.substr(colon + 1);
    char* end = nullptr;
    const long n = port.empty() ? 0 : std::strtol(port.c_str(), &end, 10);
    if (host.empty() || port.empty() || !end || *end || n < 1 || n > 65535
        || host.find_first_of("/ ") != std::string::npos) {
        error = "'" + name + "' is no network port: write tcp://HOST:PORT or rfc2217://HOST:PORT";
        return false;
    }
    return true;
}

namespace {

struct Resolved {
    std::mutex mx;
    std::condition_variable cv;
    bool done = false;
    int status = 0;
    addrinfo* list = nullptr;
    ~Resolved()
    {
        if (list)
            freeaddrinfo(list);
    }
};

// getaddrinfo has no time-out of its own: it runs in a thread that is left to
// finish on its own when it takes too long. Numeric addresses never reach it.
std::shared_ptr<Resolved> resolve(const std::string& host, const std::string& port, int timeoutMs)
{
    auto r = std::make_shared<Resolved>();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    in6_addr probe{};
    const bool numeric = inet_pton(AF_INET, host.c_str(), &probe) == 1 || inet_pton(AF_INET6, host.c_str(), &probe) == 1;
    if (numeric) {
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        r->status = getaddrinfo(host.c_str(), port.c_str(), &hints, &r->list);
        r->done = true;
        return r;
    }
    hints.ai_flags = AI_NUMERICSERV;
    std::thread([r, host, port, hints] {
        addrinfo* list = nullptr;
        const int status = getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
        std::lock_guard lock(r->mx);
        r->status = status;
        r->list = list;
        r->done = true;
        r->cv.notify_all();
    }).detach();
    std::unique_lock lock(r->mx);
    if (!r->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return r->done; }))
        return nullptr;
    return r;
}

// Connects without blocking longer than the time left; -1 with errno on failure.
int connectWithin(const addrinfo* a, std::chrono::steady_clock::time_point deadline)
{
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0)
        return -1;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            ::close(fd);
            errno = ETIMEDOUT;
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r > 0)
            break;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

} // namespace

SocketSerialLine::~SocketSerialLine()
{
    SocketSerialLine::close();
}

bool SocketSerialLine::fail(int err, const std::string& message)
{
    m_error = err;
    std::lock_guard lock(m_mx);
    m_message = message;
    return false;
}

std::string SocketSerialLine::ownErrorText() const
{
    std::lock_guard lock(m_mx);
    return m_message;
}

bool SocketSerialLine::refuseLost()
{
    if (!m_lost)
        return false;
    noteCallOnLostLine();
    m_error = EIO;
    return true;
}

bool SocketSerialLine::open(const std::string& device)
{
    if (m_fd >= 0)
        return fail(EBUSY);
    std::string host, port, error;
    if (!splitNetworkPort(device, host, port, error))
        return fail(EINVAL, error);
    m_telnet = !isRawNetworkPort(device);
    m_where = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + port;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ConnectTimeoutMs);
    const auto resolved = resolve(host, port, ConnectTimeoutMs);
    if (!resolved)
        return fail(ETIMEDOUT, "Cannot connect to " + m_where + ": the host name was not resolved within 3 s");
    if (resolved->status != 0)
        return fail(EHOSTUNREACH, "Cannot connect to " + m_where + ": " + gai_strerror(resolved->status));
    int fd = -1, err = ETIMEDOUT;
    for (const addrinfo* a = resolved->list; a && fd < 0; a = a->ai_next) {
        fd = connectWithin(a, deadline);
        if (fd < 0)
            err = errno;
    }
    if (fd < 0)
        return fail(err, "Cannot connect to " + m_where + ": "
                             + (err == ETIMEDOUT ? std::string("no answer within 3 s") : systemMessage(err)));
    // Back to blocking: the receiver thread sleeps in recv(); a send that cannot go
    // out within a while means the connection is as good as gone.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    const timeval sendLimit{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    {
        std::lock_guard lock(m_mx);
        m_rx.clear();
        m_eof = false;
        m_eofError = 0;
        m_client = rfc2217::Client();
        m_message.clear();
    }
    m_lost = false;
    m_closing = false;
    m_error = 0;
    m_fd = fd;
    m_reader = std::thread([this] { receiveLoop(); });
    if (m_telnet && !sendAll(m_client.greeting())) {
        const int e = m_error;
        close();
        return fail(e, "Cannot connect to " + m_where + ": the connection closed at once");
    }
    return true;
}

void SocketSerialLine::close()
{
    const int fd = m_fd;
    if (fd < 0)
        return;
    m_closing = true;
    ::shutdown(fd, SHUT_RDWR);
    {
        std::lock_guard lock(m_mx);
        m_cv.notify_all();
    }
    if (m_reader.joinable())
        m_reader.join();
    std::lock_guard send(m_sendMx);
    m_fd = -1;
    ::close(fd);
}

void SocketSerialLine::receiveLoop()
{
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::lock_guard lock(m_mx);
            m_eof = true;
            m_eofError = n == 0 ? ECONNRESET : errno;
            m_cv.notify_all();
            return;
        }
        // A server that sends a reply in pieces with Nagle on waits for our ACK of the
        // first before the rest; a delayed ACK would hold every reply up 40 ms.
        const int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
        std::vector<uint8_t> reply;
        {
            std::lock_guard lock(m_mx);
            if (m_telnet) {
                std::vector<uint8_t> data;
                m_client.receive(buf, size_t(n), data, reply);
                m_rx.insert(m_rx.end(), data.begin(), data.end());
            } else {
                m_rx.insert(m_rx.end(), buf, buf + n);
            }
            m_cv.notify_all();
        }
        if (!reply.empty())
            sendAll(reply);
    }
}

bool SocketSerialLine::sendAll(const std::vector<uint8_t>& bytes)
{
    std::lock_guard lock(m_sendMx);
    size_t done = 0;
    while (done < bytes.size()) {
        if (m_closing || m_fd < 0)
            return fail(EBADF);
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int err = n < 0 ? errno : EIO;
        if (err == EAGAIN || err == EWOULDBLOCK)
            return fail(ETIMEDOUT, "The device server at " + m_where + " takes no more data");
        m_lost = true;
        return fail(EIO, "The connection to " + m_where + " is lost: " + systemMessage(err));
    }
    return true;
}

bool SocketSerialLine::setFrame(const LineFrame& frame)
{
    if (m_fd < 0)
        return fail(EBADF);
    if (refuseLost())
        return false;
    // Over raw TCP the device server keeps its own settings.
    if (!m_telnet)
        return true;
    std::vector<uint8_t> bytes;
    {
        std::lock_guard lock(m_mx);
        bytes = m_client.setFrame(frame);
    }
    if (bytes.empty())
        return true;
    if (!sendAll(bytes))
        return false;
    std::unique_lock lock(m_mx);
    const bool answered = m_cv.wait_for(lock, std::chrono::milliseconds(SettingsTimeoutMs), [&] {
        return m_client.settled() || !m_client.error().empty() || m_eof || m_closing;
    });
    if (!m_client.error().empty()) {
        const std::string message = m_where + ": " + m_client.error();
        m_client.clearError();
        lock.unlock();
        return fail(EINVAL, message);
    }
    if (m_eof || m_closing) {
        lock.unlock();
        return fail(EBADF, "The connection to " + m_where + " closed while setting the line");
    }
    if (!answered) {
        lock.unlock();
        return fail(ETIMEDOUT, "The device server at " + m_where + " did not answer the line settings (is it RFC 2217?)");
    }
    return true;
}

bool SocketSerialLine::purge()
{
    if (m_fd < 0)
        return fail(EBADF);
    if (refuseLost())
        return false;
    {
        std::lock_guard lock(m_mx);
        m_rx.clear();
    }
    return !m_telnet || sendAll(m_client.purge());
}

bool SocketSerialLine::write(const uint8_t* data, size_t count)
{
    if (refuseLost())
        return false;
    if (m_fd < 0 || m_closing)
        return fail(EBADF);
    {
        std::lock_guard lock(m_mx);
        if (m_eof && m_rx.empty()) {
            m_lost = true;
            m_error = EIO;
            return false;
        }
    }
    return sendAll(m_telnet ? m_client.encodeData(data, count) : std::vector<uint8_t>(data, data + count));
}

bool SocketSerialLine::flush()
{
    if (m_fd < 0)
        return fail(EBADF);
    if (refuseLost())
        return false;
    // The bytes are with the kernel; how fast the server passes them on is its business.
    return true;
}

SerialLine::ReadResult SocketSerialLine::readByte(uint8_t& byte, int timeoutMs)
{
    if (m_closing || m_fd < 0) {
        fail(EBADF);
        return ReadResult::Error;
    }
    if (refuseLost())
        return ReadResult::Error;
    std::unique_lock lock(m_mx);
    m_cv.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                  [&] { return !m_rx.empty() || m_eof || m_closing; });
    if (!m_rx.empty()) {
        byte = m_rx.front();
        m_rx.pop_front();
        return ReadResult::Byte;
    }
    if (m_closing) {
        m_error = EBADF;
        return ReadResult::Error;
    }
    if (m_eof) {
        // Closed or reset by the server: like an adapter pulled out.
        m_lost = true;
        m_error = EIO;
        m_message = "The connection to " + m_where + " is lost: " + systemMessage(m_eofError);
        return ReadResult::Error;
    }
    return ReadResult::Timeout;
}

uint32_t SocketSerialLine::takeLineErrors()
{
    std::lock_guard lock(m_mx);
    return m_client.takeLineErrors();
}

} // namespace vx
