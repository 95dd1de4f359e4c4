// vx5x-tool's options without a display, and its end on SIGTERM and SIGINT.
#include "app/VX40Main.h"
#include "core/AppState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QString tool() { return QCoreApplication::applicationDirPath() + "/vx5x-tool"; }

// No display of any kind: a window would abort the program.
QProcessEnvironment headless()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(v);
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    return env;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(tool()), "build vx5x-tool first"); }

    void optionsWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // expected in standard output
        QTest::addColumn<QString>("err"); // expected in standard error
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "--simulate"
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "calibrate"
                            << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "vx5x-tool 2.04\n"
                                   << "";
        QTest::newRow("--paths") << QStringList{"--paths"} << 0 << "settings: "
                                 << "";
        QTest::newRow("help beside other arguments") << QStringList{"--simulate", "calibrate", "--help"} << 0 << "--paths"
                                                     << "";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                        << "Unknown option 'bogus'";
        QTest::newRow("unknown after a good one") << QStringList{"--simulate", "-x"} << 2 << ""
                                                  << "--version";
        QTest::newRow("a start needs a display") << QStringList{"--simulate"} << 2 << ""
                                                 << "no display found";
    }
    void optionsWithoutDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess p;
        p.setProcessEnvironment(headless());
        p.start(tool(), args);
        QVERIFY(p.waitForFinished(30000));
        const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QVERIFY2(p.exitCode() == exitCode, qPrintable(stdErr));
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        // The usage goes with a mistake, so the user sees the right spelling.
        if (exitCode == 2 && !stdErr.contains("display")) QVERIFY2(stdErr.contains("Usage:"), qPrintable(stdErr));
    }

    // Told to end, the program ends as through Exit: its instance socket and its
    // temporary folder are gone afterwards.
    void signalEndsCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalEndsCleanly()
    {
        QFETCH(int, signal);
        QTemporaryDir tmp;
        QProcessEnvironment env = headless();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TMPDIR", tmp.path());
        env.insert("XDG_DATA_HOME", tmp.path() + "/data");
        env.insert("VX5X_INSTANCE_SUFFIX", "signal" + QString::number(QCoreApplication::applicationPid()));

        QProcess p;
        p.setProcessEnvironment(env);
        p.start(tool(), {"--simulate"});
        QVERIFY(p.waitForStarted());
        // Running once the single-instance socket is there.
        auto socketThere = [&] {
            for (const QFileInfo& f : QDir(tmp.path()).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
                if (f.fileName().contains("signal")) return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(socketThere() || p.state() != QProcess::Running, 30000);
        QCOMPARE(p.state(), QProcess::Running);
        const QStringList running = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QVERIFY2(running.size() >= 2, qPrintable(running.join(", "))); // the socket and the scratch folder

        QCOMPARE(::kill(pid_t(p.processId()), signal), 0);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        // Nothing left: the simulated run's data folder was its own, fresh and temporary.
        QStringList left = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        left.removeAll("data");
        left.removeIf([](const QString& name) { return name.startsWith("runtime-"); }); // Qt's, without XDG_RUNTIME_DIR
        QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
    }

    // What a signal runs: the close without the unsaved-work question, with the
    // settings saved as Exit saves them.
    void endingSkipsTheQuestions()
    {
        vx::app() = vx::AppState();
        QTemporaryDir dir;
        vx::MainOptions o;
        o.exeDir = dir.path() + "/";
        vx::TFormMain w(o);
        int asked = 0;
        w.addCloseGuard([&] {
            ++asked;
            return false; // the user keeps the window open
        });
        w.show();
        w.close();
        QVERIFY(w.isVisible());
        QCOMPARE(asked, 1);
        w.closeWithoutQuestions();
        QVERIFY(!w.isVisible());
        QCOMPARE(asked, 1);
        QVERIFY(QFileInfo::exists(dir.filePath("application.ini")));
        vx::app() = vx::AppState();
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
