#pragma once
// vx5x-sim as a separate process on a pseudo-terminal, with its request log: the
// paths it serves (a new one after each re-plug) and every request it saw.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QtTest>

namespace vx::test {

struct LogLine {
    double ms = 0;
    QString request;
};

// vx5x-sim with --log; its pty paths (one per plug-in) and its request log.
class SimProcess {
public:
    QProcess process;
    QStringList paths;
    QByteArray err;

    bool start(const QStringList& args)
    {
        process.setProgram(QCoreApplication::applicationDirPath() + "/vx5x-sim");
        process.setArguments(QStringList{"--log", "--latency", "1"} + args);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            for (const QByteArray& l : process.readAllStandardOutput().split('\n'))
                if (!l.trimmed().isEmpty()) paths << QString::fromLocal8Bit(l.trimmed());
        });
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] { err += process.readAllStandardError(); });
        process.start();
        if (!process.waitForStarted(5000)) return false;
        QElapsedTimer t;
        t.start();
        while (paths.isEmpty() && t.elapsed() < 10000) QTest::qWait(20);
        return !paths.isEmpty();
    }
    ~SimProcess()
    {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }

    QList<LogLine> log() const
    {
        static const QRegularExpression re(QStringLiteral("^\\s*([0-9.]+) ms .*?  > (.*?)\\s*< "));
        QList<LogLine> lines;
        for (const QByteArray& l : err.split('\n')) {
            const auto m = re.match(QString::fromLatin1(l));
            if (m.hasMatch()) lines.append({m.captured(1).toDouble(), m.captured(2)});
        }
        return lines;
    }
};

} // namespace vx::test
