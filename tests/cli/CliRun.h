#pragma once
// Runs the real vx5x and vx5x-sim programs for the command-line tests.
#include "core/AppState.h"
#include "params/ParameterDefs.h"
#include "support/SimProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

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

using vx::test::SimProcess;
