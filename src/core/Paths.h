#pragma once
// Where the program's files are on this machine. The program folder holds the data
// files and application.ini in a build folder or a portable copy; an installed
// program finds its data in the share folder and keeps its settings per user,
// because it may not write beside itself.
#include <QString>

namespace vx::paths {

// The folder with the language and definition files, ending in '/': the program
// folder when they are there, else ../share/vx5x-tool beside it (an installed or
// unpacked package), else the system's share folder.
QString dataDir(const QString& exeDir);

// Whether a new file can be created in dir (settings are saved through a temporary
// file and a rename, so the folder counts, not the file).
bool folderWritable(const QString& dir);

// Whether the program folder holds the data files: a build folder or a portable copy,
// which keep their settings beside the program. An installed program never writes there.
bool selfContained(const QString& exeDir);

// The site's settings an installed program's users start from:
// <prefix>/etc/vx5x-tool/application.ini beside <prefix>/bin, /etc/... for /usr.
QString siteSettingsFile(const QString& exeDir);

struct SettingsLocation {
    QString file;         // application.ini to read and write
    bool perUser = false; // true when the settings are not kept beside the program
    bool fresh = false;   // no settings existed for this user yet (a first start)
};

// application.ini beside the program when the program folder holds the data and is
// writable, else <configHome>/vx5x-tool/application.ini (the folder is created). A
// per-user file that does not exist yet starts as a copy of the site's settings (an
// installed program) or of the one beside the program (a read-only portable copy).
SettingsLocation settingsLocation(const QString& exeDir, const QString& configHome, bool exeDirWritable);
// The same for this user: probes the program folder only when it holds the data, so
// an installed program creates nothing beside itself, not even for a moment.
SettingsLocation settingsLocation(const QString& exeDir);

// $XDG_CONFIG_HOME, else ~/.config.
QString configHome();
// The user's documents folder (home when it does not exist).
QString documentsDir();

// The user's own data folder (safety backups, traffic logs, terminal history), without
// a trailing '/': the folder set by setUserDataDir, else $VX_USER_DATA_DIR, else
// $XDG_DATA_HOME/vx5x-tool, else ~/.local/share/vx5x-tool. Not created here.
QString userDataDir();
// Points userDataDir at another folder (simulator runs and tests); empty resets it.
void setUserDataDir(const QString& dir);

} // namespace vx::paths
