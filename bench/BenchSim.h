#pragma once
// Starts vx5x-sim on a pseudo-terminal for a benchmark and stops it again.
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <cstdio>
#include <sys/resource.h>
#include <time.h>

namespace bench {

struct SimProcess {
    QProcess process;
    QString ptyPath;

    bool start(const QStringList& args)
    {
        process.setProgram(QCoreApplication::applicationDirPath() + "/vx5x-sim");
        process.setArguments(args);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        if (!process.waitForStarted(5000)) return false;
        while (!process.canReadLine())
            if (!process.waitForReadyRead(5000)) return false;
        ptyPath = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !ptyPath.isEmpty();
    }
    ~SimProcess()
    {
        process.terminate();
        if (!process.waitForFinished(2000)) process.kill();
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

} // namespace bench
