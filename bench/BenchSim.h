#pragma once
// Starts vx5x-sim on a pseudo-terminal for a benchmark and stops it again; what a
// benchmark measures about itself.
#include "support/SimProcess.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace bench {

// vx5x-sim as a benchmark runs it: its own latency, its messages passed on.
struct SimProcess : vx::test::SimProcess {
    SimProcess()
    {
        logRequests = false;
        latencyMs = -1;
    }
};

inline double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6 + double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) / 1e6;
}

inline long residentKiB()
{
    long kib = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
        std::fclose(f);
    }
    return kib;
}

// Seconds one character takes on the line: start + data + parity + stop bits.
inline double charSeconds(int baud, int dataBits, bool parity, int stopBits)
{
    return (1 + dataBits + (parity ? 1 : 0) + stopBits) / double(baud);
}

// The reference: a plain blocking loop on the line, each request out, its reply read
// to CR LF. Seconds for all of `requests`, or -1.
inline double bareLoop(const QByteArray& path, const QStringList& requests)
{
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    t.c_cflag |= PARENB | PARODD | CLOCAL | CREAD;
    tcsetattr(fd, TCSANOW, &t);
    tcflush(fd, TCIOFLUSH);
    const auto exchange = [fd](const QString& request) {
        const QByteArray out = request.toLatin1() + '\r';
        if (::write(fd, out.constData(), size_t(out.size())) != out.size())
            return false;
        QByteArray reply;
        while (!reply.endsWith("\r\n")) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0)
                return false;
            char buf[64];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                return false;
            reply.append(buf, int(n));
        }
        return true;
    };
    double seconds = -1;
    if (exchange(QStringLiteral("sc 0"))) {
        QElapsedTimer clock;
        clock.start();
        bool ok = true;
        for (const QString& r : requests)
            ok = ok && exchange(r);
        seconds = ok ? double(clock.nsecsElapsed()) / 1e9 : -1;
    }
    ::close(fd);
    return seconds;
}

} // namespace bench
