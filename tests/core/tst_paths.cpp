// Where an installed, a portable and a build-folder copy find data and settings, and
// the message for a serial device the user may not open.
#include <QtTest>

#include "comm/SXComm.h"
#include "core/Paths.h"
#include "core/Taal.h"

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

    // A build folder (data beside the programs) against an installed layout under a
    // fake prefix: <prefix>/usr/bin, <prefix>/usr/share/vx5x-tool, <prefix>/etc/vx5x-tool.
    void settingsFile_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QByteArray>("beside");  // application.ini beside the program, "" none
        QTest::addColumn<QByteArray>("site");    // <prefix>/etc/vx5x-tool/application.ini, "" none
        QTest::addColumn<QByteArray>("perUser"); // the per-user file before the run, "" none
        QTest::addColumn<bool>("expectPerUser");
        QTest::addColumn<QByteArray>("expectContents");
        QTest::addColumn<bool>("expectFresh");
        const QByteArray none, one("[Opties]\nTaal=1\n"), two("[Opties]\nTaal=2\n");
        QTest::newRow("build folder, first start") << false << true << none << none << none << false << QByteArray("<none>") << true;
        QTest::newRow("build folder, file there") << false << true << one << none << two << false << one << false;
        QTest::newRow("read-only portable copy seeds the user's") << false << false << one << none << none << true << one << true;
        // Root may write anywhere: the program folder counts as writable.
        QTest::newRow("installed, first start") << true << true << none << none << none << true << QByteArray("<none>") << true;
        QTest::newRow("installed, site settings seed the user's") << true << true << none << one << none << true << one << true;
        QTest::newRow("installed, a file beside the program is not read") << true << true << two << none << none << true
                                                                          << QByteArray("<none>") << true;
        QTest::newRow("installed, the user's own wins") << true << false << none << one << two << true << two << false;
    }
    void settingsFile()
    {
        QFETCH(bool, installed);
        QFETCH(bool, writable);
        QFETCH(QByteArray, beside);
        QFETCH(QByteArray, site);
        QFETCH(QByteArray, perUser);
        QFETCH(bool, expectPerUser);
        QFETCH(QByteArray, expectContents);
        QFETCH(bool, expectFresh);
        QTemporaryDir tmp;
        const QString prefix = tmp.path() + "/root", config = tmp.path() + "/config";
        const QString exe = installed ? prefix + "/usr/bin" : tmp.path() + "/build/bin";
        put(installed ? prefix + "/usr/share/vx5x-tool/Taal0.ini" : exe + "/Taal0.ini");
        if (!beside.isEmpty()) {
            put(exe + "/application.ini", beside);
            // As shipped in a package: read-only; the user's copy must still save.
            QFile(exe + "/application.ini").setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
        if (!site.isEmpty()) {
            put(prefix + "/etc/vx5x-tool/application.ini", site);
            QFile(prefix + "/etc/vx5x-tool/application.ini").setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
        if (!perUser.isEmpty()) put(config + "/vx5x-tool/application.ini", perUser);

        const paths::SettingsLocation loc = paths::settingsLocation(exe, config, writable);
        QCOMPARE(loc.perUser, expectPerUser);
        QCOMPARE(loc.fresh, expectFresh);
        QCOMPARE(loc.file, expectPerUser ? config + "/vx5x-tool/application.ini" : exe + "/application.ini");
        QCOMPARE(contents(loc.file), expectContents);
        if (expectPerUser) {
            QVERIFY(QFileInfo(config + "/vx5x-tool").isDir()); // the save can go there
            if (QFileInfo::exists(loc.file)) QVERIFY(QFileInfo(loc.file).isWritable());
        }
    }

    // An installed program run by root (every folder writable): reading and saving its
    // settings leaves the program folder and the site settings as they were.
    void installedWritesNothingBesideItself()
    {
        QTemporaryDir tmp;
        const QString prefix = tmp.path() + "/root", bin = prefix + "/usr/bin";
        put(bin + "/vx5x-tool");
        put(prefix + "/usr/share/vx5x-tool/Taal0.ini");
        put(prefix + "/etc/vx5x-tool/application.ini", "[Poorten]\nCOM1=/dev/ttyUSB0\n");
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.path() + "/home/.config"));
        QVERIFY(paths::folderWritable(bin));
        const QStringList before = QDir(bin).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        const paths::SettingsLocation loc = paths::settingsLocation(bin);
        put(loc.file, contents(loc.file) + "[Opties]\nTaal=2\n"); // the program saves
        qputenv("XDG_CONFIG_HOME", configHome);

        QCOMPARE(loc.file, tmp.path() + "/home/.config/vx5x-tool/application.ini");
        QVERIFY(loc.perUser && loc.fresh);
        QCOMPARE(contents(loc.file), QByteArray("[Poorten]\nCOM1=/dev/ttyUSB0\n[Opties]\nTaal=2\n"));
        QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        QCOMPARE(contents(prefix + "/etc/vx5x-tool/application.ini"), QByteArray("[Poorten]\nCOM1=/dev/ttyUSB0\n"));
        QCOMPARE(paths::dataDir(bin), prefix + "/usr/share/vx5x-tool/");
    }

    void siteSettings_data()
    {
        QTest::addColumn<QString>("exeDir");
        QTest::addColumn<QString>("expect");
        QTest::newRow("/usr") << "/usr/bin"
                              << "/etc/vx5x-tool/application.ini";
        QTest::newRow("unpacked package") << "/tmp/x/usr/bin"
                                          << "/tmp/x/etc/vx5x-tool/application.ini";
        QTest::newRow("/usr/local") << "/usr/local/bin"
                                    << "/usr/local/etc/vx5x-tool/application.ini";
        QTest::newRow("/opt") << "/opt/vx5x/bin/"
                              << "/opt/vx5x/etc/vx5x-tool/application.ini";
        QTest::newRow("/bin") << "/bin"
                              << "/etc/vx5x-tool/application.ini";
    }
    void siteSettings()
    {
        QFETCH(QString, exeDir);
        QFETCH(QString, expect);
        QCOMPARE(paths::siteSettingsFile(exeDir), expect);
    }

    // A first start speaks the system's language.
    void firstStartLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("taalIndex");
        for (const char* nl : {"nl_NL", "nl_BE", "nl"}) QTest::newRow(nl) << QString(nl) << 0;
        for (const char* de : {"de_DE", "de_AT", "de_CH"}) QTest::newRow(de) << QString(de) << 2;
        for (const char* other : {"en_US", "en_GB", "fr_FR", "C", "", "dsb_DE"})
            QTest::newRow(*other ? other : "empty") << QString(other) << 1;
    }
    void firstStartLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(int, taalIndex);
        QCOMPARE(taalIndexForLocale(locale), taalIndex);
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
