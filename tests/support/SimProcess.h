#pragma once
// vx5x-sim as a separate process on a pseudo-terminal, for tests and benchmarks: the
// paths it serves (a new one after each re-plug) and, with --log, every request it saw.
// The log goes to a file, so a long run never fills a pipe nobody reads while the
// test waits for something else. Needs no Qt Test, so benchmarks use it too.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

namespace vx::test {

struct LogLine {
    double ms = 0;
    QString request;
};

class SimProcess {
public:
    QProcess process;
    QString pty;       // the first path served
    QStringList paths; // every path served, one per plug-in (read while events run)
    // Before start: false leaves out --log and passes the simulator's messages on.
    bool logRequests = true;
    // Before start: the reply latency (below 0: the simulator's own).
    double latencyMs = 1;

    static QString program() { return QCoreApplication::applicationDirPath() + QStringLiteral("/vx5x-sim"); }

    // Starts with args (after --log and the latency, which args may override) and
    // waits for the first path; false when it did not come.
    bool start(const QStringList& args)
    {
        process.setProgram(program());
        QStringList all;
        if (latencyMs >= 0)
            all << QStringLiteral("--latency") << QString::number(latencyMs);
        if (logRequests) {
            all.prepend("--log");
            process.setStandardErrorFile(m_logDir.filePath(QStringLiteral("sim.log")));
        } else {
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        }
        process.setArguments(all + args);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] { takePaths(); });
        process.start();
        if (!process.waitForStarted(5000))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (paths.isEmpty() && timer.elapsed() < 10000 && process.state() == QProcess::Running)
            process.waitForReadyRead(200);
        takePaths();
        return !pty.isEmpty();
    }

    // What the simulator logged so far, one line per request.
    QByteArray log() const
    {
        QFile f(m_logDir.filePath(QStringLiteral("sim.log")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The log's requests with their times.
    QList<LogLine> requests() const
    {
        static const QRegularExpression re(QStringLiteral("^\\s*([0-9.]+) ms .*?  > (.*?)\\s*< "));
        QList<LogLine> lines;
        for (const QByteArray& l : log().split('\n')) {
            const auto m = re.match(QString::fromLatin1(l));
            if (m.hasMatch())
                lines.append({m.captured(1).toDouble(), m.captured(2)});
        }
        return lines;
    }

    ~SimProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(1000);
        }
    }

private:
    void takePaths()
    {
        m_stdout += process.readAllStandardOutput();
        for (qsizetype end; (end = m_stdout.indexOf('\n')) >= 0;) {
            const QByteArray line = m_stdout.left(end).trimmed();
            m_stdout.remove(0, end + 1);
            if (!line.isEmpty())
                paths << QString::fromLocal8Bit(line);
        }
        if (pty.isEmpty() && !paths.isEmpty())
            pty = paths.first();
    }

    QTemporaryDir m_logDir;
    QByteArray m_stdout;
};

} // namespace vx::test
