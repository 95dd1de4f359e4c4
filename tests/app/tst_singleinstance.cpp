// A second start brings the first to the front and touches no settings.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondStartEndsAtOnce()
    {
        const QString exe = QCoreApplication::applicationDirPath() + "/vx5x-tool";
        QVERIFY(QFileInfo::exists(exe));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        env.insert("VX5X_INSTANCE_SUFFIX", QString::number(QCoreApplication::applicationPid()));

        const QString ini = QCoreApplication::applicationDirPath() + "/application.ini";
        const QDateTime before = QFileInfo(ini).lastModified();

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(exe, {"--simulate"});
        QVERIFY(first.waitForStarted());
        QTest::qWait(2500); // let it reach its event loop and listen
        QCOMPARE(first.state(), QProcess::Running);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(exe, {"--simulate"});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(QFileInfo(ini).lastModified(), before);

        first.kill(); // no close handler: the first run must not write either
        first.waitForFinished();
        QCOMPARE(QFileInfo(ini).lastModified(), before);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
