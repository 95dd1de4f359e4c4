#pragma once
// Runs the real vx5x and vx5x-sim programs for the command-line tests.
#include "core/AppState.h"
#include "params/ParameterDefs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The parameter definitions next to the programs, as vx5x reads them.
inline bool loadDefinitions()
{
    vx::app().ExeDir = QCoreApplication::applicationDirPath() + u'/';
    return vx::ParameterDef_lezen();
}

struct CliResult {
    int code = -1;
    QByteArray out, err;
};

inline QProcessEnvironment cliEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    // Safety backups and history go to the test's folder, never the user's.
    env.insert("XDG_DATA_HOME", home);
    return env;
}

// vx5x's options for unit 0 of a simulator on pty, messages in English.
inline QStringList onPty(const QString& pty, int baud, const QStringList& rest)
{
    return QStringList{"--port", pty, "--lang", "1", "--baud", QString::number(baud), "--parity", "O", "--unit", "0"}
           + rest;
}

inline QString binPath(const char* name)
{
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name);
}

// vx5x with the given arguments; stdin closed.
inline CliResult runCli(const QStringList& args, const QString& home, int timeoutMs = 240000)
{
    QProcess p;
    p.setProcessEnvironment(cliEnvironment(home));
    p.start(binPath("vx5x"), args);
    p.closeWriteChannel();
    CliResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// vx5x-sim on a pseudo-terminal; its request log (--log) goes to a file, so a long
// run never fills a pipe nobody reads while the test waits for vx5x.
class SimProcess {
public:
    QProcess process;
    QString pty;
    QTemporaryDir logDir;

    bool start(const QStringList& args)
    {
        process.setProgram(binPath("vx5x-sim"));
        process.setArguments(QStringList{"--log"} + args);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        process.setProcessEnvironment(env);
        process.setStandardErrorFile(logDir.filePath("sim.log"));
        process.start();
        if (!process.waitForStarted(5000))
            return false;
        QByteArray line;
        QElapsedTimer timer;
        timer.start();
        while (!line.contains('\n') && timer.elapsed() < 10000) {
            process.waitForReadyRead(200);
            line += process.readAllStandardOutput();
        }
        pty = QString::fromLocal8Bit(line.trimmed());
        return !pty.isEmpty();
    }
    // What the simulator logged so far (one line per request).
    QByteArray log() const { return readAll(logDir.filePath("sim.log")); }
    ~SimProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(1000);
        }
    }
};
