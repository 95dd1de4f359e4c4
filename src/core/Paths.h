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

struct SettingsLocation {
    QString file;         // application.ini to read and write
    bool perUser = false; // true when the program folder is not writable
};

// application.ini beside the program while its folder is writable, else
// <configHome>/vx5x-tool/application.ini (the folder is created). A per-user file
// that does not exist yet starts as a copy of one beside the program, so settings
// put there for every user carry over.
SettingsLocation settingsLocation(const QString& exeDir, const QString& configHome, bool exeDirWritable);

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
