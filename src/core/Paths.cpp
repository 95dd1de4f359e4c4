#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vx::paths {

namespace {

const QString kSettingsName = QStringLiteral("application.ini");
const QString kMarker = QStringLiteral("Taal0.ini"); // every data folder has it

QString withSlash(QString dir)
{
    if (!dir.endsWith(u'/')) dir += u'/';
    return dir;
}

} // namespace

QString dataDir(const QString& exeDir)
{
    const QString candidates[] = {exeDir, exeDir + QStringLiteral("/../share/vx5x-tool"),
                                  QStringLiteral("/usr/share/vx5x-tool")};
    for (const QString& dir : candidates)
        if (QFileInfo::exists(dir + u'/' + kMarker)) return withSlash(QDir::cleanPath(dir));
    // Nothing found: the program folder, so missing-file handling reports that one.
    return withSlash(QDir::cleanPath(exeDir));
}

bool folderWritable(const QString& dir)
{
    // A real attempt: access() says yes on read-only mounts and for root it says yes
    // almost everywhere.
    QTemporaryFile probe(withSlash(dir) + QStringLiteral(".vx5x-write-test-XXXXXX"));
    return probe.open();
}

bool selfContained(const QString& exeDir)
{
    return QFileInfo::exists(withSlash(exeDir) + kMarker);
}

QString siteSettingsFile(const QString& exeDir)
{
    QString prefix = QDir::cleanPath(exeDir + QStringLiteral("/.."));
    // The /usr prefix keeps its settings in /etc, as does an unpacked package's usr/;
    // /usr/local and /opt/... have their own etc/.
    if (prefix.endsWith(QLatin1String("/usr"))) prefix.chop(4);
    if (prefix == QLatin1String("/")) prefix.clear();
    return prefix + QStringLiteral("/etc/vx5x-tool/") + kSettingsName;
}

SettingsLocation settingsLocation(const QString& exeDir, const QString& configHome, bool exeDirWritable)
{
    const bool portable = selfContained(exeDir);
    const QString beside = withSlash(exeDir) + kSettingsName;
    if (portable && exeDirWritable) return {beside, false, !QFileInfo::exists(beside)};
    const QString dir = withSlash(configHome) + QStringLiteral("vx5x-tool");
    QDir().mkpath(dir);
    const QString own = dir + u'/' + kSettingsName;
    const bool fresh = !QFileInfo::exists(own);
    const QString seed = portable ? beside : siteSettingsFile(exeDir);
    if (fresh && QFileInfo::exists(seed) && QFile::copy(seed, own)) {
        // The copy keeps the original's read-only mode; the user must be able to save.
        QFile(own).setPermissions(QFile(own).permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    }
    return {own, true, fresh};
}

SettingsLocation settingsLocation(const QString& exeDir)
{
    return settingsLocation(exeDir, configHome(), selfContained(exeDir) && folderWritable(exeDir));
}

QString configHome()
{
    QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString documentsDir()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() || !QFileInfo(docs).isDir() ? QDir::homePath() : docs;
}

namespace {
QString g_userDataDir;
}

QString userDataDir()
{
    if (!g_userDataDir.isEmpty()) return g_userDataDir;
    QString own = qEnvironmentVariable("VX_USER_DATA_DIR");
    if (!own.isEmpty()) return own;
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vx5x-tool");
}

void setUserDataDir(const QString& dir)
{
    g_userDataDir = dir;
}

} // namespace vx::paths
