#pragma once
// Language texts: one language file (Taal0.ini, Taal1.ini, Taal2.ini) is loaded at
// a time; every window looks its texts up by (section, key, default).
#include <QString>

namespace vx {

// File name for a language index: 0,1,2 choose their own file, anything else Taal0.ini.
QString taalFileName(int taalIndex);

// Loads ExeDir + taalFileName(TaalIndex) into AppState::TaalFile and sets TaalGeladen.
// When the file does not exist nothing changes. Returns whether a file was loaded.
bool loadTaalFile();

// Lookup in the loaded language file: present key (even empty) gives its value,
// missing key/section or no file loaded gives def. Windows call this only while
// TaalGeladen is set, as the window convention asks.
// Keep the literal form taal("Section", "Key", ...) in code: a test scans the
// sources for it to check that every language file has every key.
QString taal(const QString& section, const QString& key, const QString& def);

} // namespace vx
