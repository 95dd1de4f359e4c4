#pragma once
// A real ser2net started on 127.0.0.1 in front of a device (a simulator's pseudo-
// terminal or its link), raw or RFC 2217, for tests and benchmarks; stopped by them.
#include "support/Loopback.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

namespace vx::test {

class Ser2Net {
public:
    struct Options {
        bool rfc2217 = true;
        QString settings = QStringLiteral("38400e81"); // the device's line settings to start with
        bool charDelay = false;                        // ser2net's default packs bytes and adds delay
        int port = 0;                                  // 0: a free one
    };

    // Empty when ser2net is not installed.
    static QString program()
    {
        QString p = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
        if (p.isEmpty()) p = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/sbin"});
        return p;
    }

    // Started and accepting connections; a port given again (a restart) is reused.
    bool start(const QString& device, const Options& o)
    {
        stop();
        m_options = o;
        m_port = o.port ? o.port : freePort();
        const QString yaml = m_dir.filePath(QStringLiteral("ser2net-%1.yaml").arg(m_port));
        QFile f(yaml);
        if (!f.open(QIODevice::WriteOnly)) return false;
        f.write(QStringLiteral("%YAML 1.1\n---\nconnection: &vx\n  accepter: %1tcp,127.0.0.1,%2\n"
                               "  connector: serialdev,%3,%4,local\n  options:\n    kickolduser: true\n    chardelay: %5\n")
                    .arg(o.rfc2217 ? "telnet(rfc2217)," : "")
                    .arg(m_port)
                    .arg(device, o.settings, o.charDelay ? "true" : "false")
                    .toUtf8());
        f.close();
        m_process.start(program(), {"-n", "-d", "-c", yaml, "-P", m_dir.filePath(QStringLiteral("ser2net-%1.pid").arg(m_port))});
        if (!m_process.waitForStarted(5000)) return false;
        QElapsedTimer t;
        t.start();
        while (!accepts(m_port) && t.elapsed() < 5000) QThread::msleep(20);
        return accepts(m_port);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) m_process.kill();
        m_process.waitForFinished(1000);
    }

    int port() const { return m_port; }
    QString url() const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(m_options.rfc2217 ? "rfc2217" : "tcp").arg(m_port);
    }

    ~Ser2Net() { stop(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    Options m_options;
    int m_port = 0;
};

} // namespace vx::test
