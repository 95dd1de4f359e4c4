// Where an installed, a portable and a build-folder copy find data and settings, and
// the message for a serial device the user may not open.
#include <QtTest>

#include "comm/SXComm.h"
#include "core/Paths.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

using namespace vx;

namespace {

void put(const QString& path, const QByteArray& text = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

class TstPaths : public QObject {
    Q_OBJECT

private slots:
    void dataFolder()
    {
        QTemporaryDir tmp;
        const QString r = tmp.path();
        // A build folder: data beside the programs.
        put(r + "/build/bin/Taal0.ini");
        QCOMPARE(paths::dataDir(r + "/build/bin"), r + "/build/bin/");
        // An unpacked package: bin/ and share/vx5x-tool/ side by side.
        QDir().mkpath(r + "/pkg/usr/bin");
        put(r + "/pkg/usr/share/vx5x-tool/Taal0.ini");
        QCOMPARE(paths::dataDir(r + "/pkg/usr/bin"), r + "/pkg/usr/share/vx5x-tool/");
        // Nowhere (unless installed on this machine): the program folder, whose missing
        // files then fall back as they always did.
        QDir().mkpath(r + "/bare");
        const QString none = paths::dataDir(r + "/bare");
        QVERIFY(none == r + "/bare/" || none == "/usr/share/vx5x-tool/");
    }

    void settingsFile_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QByteArray>("beside");  // application.ini beside the program, "" none
        QTest::addColumn<QByteArray>("perUser"); // the per-user file before the run, "" none
        QTest::addColumn<bool>("expectPerUser");
        QTest::addColumn<QByteArray>("expectContents");
        QTest::newRow("portable, first start") << true << QByteArray() << QByteArray() << false << QByteArray("<none>");
        QTest::newRow("portable, file there") << true << QByteArray("[Opties]\nTaal=1\n") << QByteArray("[Opties]\nTaal=2\n")
                                              << false << QByteArray("[Opties]\nTaal=1\n");
        QTest::newRow("installed, first start") << false << QByteArray() << QByteArray() << true << QByteArray("<none>");
        QTest::newRow("installed, site file seeds the user's") << false << QByteArray("[Opties]\nTaal=1\n") << QByteArray()
                                                               << true << QByteArray("[Opties]\nTaal=1\n");
        QTest::newRow("installed, the user's own wins") << false << QByteArray("[Opties]\nTaal=1\n")
                                                        << QByteArray("[Opties]\nTaal=2\n") << true
                                                        << QByteArray("[Opties]\nTaal=2\n");
    }
    void settingsFile()
    {
        QFETCH(bool, writable);
        QFETCH(QByteArray, beside);
        QFETCH(QByteArray, perUser);
        QFETCH(bool, expectPerUser);
        QFETCH(QByteArray, expectContents);
        QTemporaryDir tmp;
        const QString exe = tmp.path() + "/bin", config = tmp.path() + "/config";
        QDir().mkpath(exe);
        if (!beside.isEmpty()) {
            put(exe + "/application.ini", beside);
            // As shipped in a package: read-only; the user's copy must still save.
            QFile(exe + "/application.ini").setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
        if (!perUser.isEmpty()) put(config + "/vx5x-tool/application.ini", perUser);

        const paths::SettingsLocation loc = paths::settingsLocation(exe, config, writable);
        QCOMPARE(loc.perUser, expectPerUser);
        QCOMPARE(loc.file, expectPerUser ? config + "/vx5x-tool/application.ini" : exe + "/application.ini");
        QCOMPARE(contents(loc.file), expectContents);
        if (expectPerUser) {
            QVERIFY(QFileInfo(config + "/vx5x-tool").isDir()); // the save can go there
            if (QFileInfo::exists(loc.file)) QVERIFY(QFileInfo(loc.file).isWritable());
        }
    }

    void writableFolder()
    {
        QTemporaryDir tmp;
        QVERIFY(paths::folderWritable(tmp.path()));
        QVERIFY(!paths::folderWritable(tmp.path() + "/missing"));
        QVERIFY(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // the probe is gone
        const QString ro = tmp.path() + "/ro";
        QDir().mkpath(ro);
        QFile(ro).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (::geteuid() != 0) QVERIFY(!paths::folderWritable(ro)); // root writes anyway
        QFile(ro).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // The folder set in the program wins over the environment, which wins over XDG.
    void userDataFolder()
    {
        qputenv("XDG_DATA_HOME", "/x/data");
        qunsetenv("VX_USER_DATA_DIR");
        QCOMPARE(paths::userDataDir(), QStringLiteral("/x/data/vx5x-tool"));
        qputenv("VX_USER_DATA_DIR", "/x/own");
        QCOMPARE(paths::userDataDir(), QStringLiteral("/x/own"));
        paths::setUserDataDir(QStringLiteral("/x/sim"));
        QCOMPARE(paths::userDataDir(), QStringLiteral("/x/sim"));
        paths::setUserDataDir({});
        qunsetenv("VX_USER_DATA_DIR");
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(paths::userDataDir(), QDir::homePath() + QStringLiteral("/.local/share/vx5x-tool"));
    }

    void openErrorNamesTheGroup()
    {
        QTemporaryDir tmp;
        const QString dev = tmp.path() + "/ttyUSB0";
        put(dev);
        struct stat st { };
        QCOMPARE(::stat(dev.toLocal8Bit().constData(), &st), 0);
        const struct group* g = ::getgrgid(st.st_gid);
        QVERIFY(g);
        const QString text = QString::fromStdString(openErrorText(dev.toStdString(), EACCES));
        QVERIFY2(text.contains(dev) && text.contains(QString::fromLocal8Bit(g->gr_name)), qPrintable(text));
        QVERIFY2(text.contains("usermod -aG") || text.contains("Log out"), qPrintable(text));
        // Other failures keep the system's own text.
        QCOMPARE(openErrorText(dev.toStdString(), ENOENT), SerialLine::systemMessage(ENOENT));
    }
};

QTEST_GUILESS_MAIN(TstPaths)
#include "tst_paths.moc"
