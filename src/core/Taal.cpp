#include "core/Taal.h"

#include "core/AppState.h"
#include "core/IniFile.h"

#include <QFileInfo>

namespace vx {

QString taalFileName(int taalIndex)
{
    switch (taalIndex) {
    case 1: return QStringLiteral("Taal1.ini");
    case 2: return QStringLiteral("Taal2.ini");
    default: return QStringLiteral("Taal0.ini");
    }
}

bool loadTaalFile()
{
    AppState& st = app();
    const QString path = st.ExeDir + taalFileName(st.TaalIndex);
    if (!QFileInfo(path).isFile())
        return false;
    auto file = IniFile::load(path);
    // An unreadable file is treated like a missing one: the texts loaded before stay.
    if (!file)
        return false;
    st.TaalFile = std::move(file);
    st.TaalGeladen = true;
    return true;
}

QString taal(const QString& section, const QString& key, const QString& def)
{
    const AppState& st = app();
    if (!st.TaalGeladen || !st.TaalFile)
        return def;
    return st.TaalFile->readString(section, key, def);
}

} // namespace vx
