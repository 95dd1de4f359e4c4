#include "core/Taal.h"

#include "core/AppState.h"
#include "core/IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace vx {

QString taalFileName(int taalIndex)
{
    switch (taalIndex) {
    case 1: return QStringLiteral("Taal1.ini");
    case 2: return QStringLiteral("Taal2.ini");
    default: return QStringLiteral("Taal0.ini");
    }
}

int taalIndexForLocale(const QString& localeName)
{
    if (localeName.startsWith(QLatin1String("nl"))) return 0;
    if (localeName.startsWith(QLatin1String("de"))) return 2;
    return 1;
}

QString qtTranslationName(int taalIndex)
{
    switch (taalIndex) {
    case 0: return QStringLiteral("qtbase_nl");
    case 2: return QStringLiteral("qtbase_de");
    default: return QString(); // English is Qt's own language
    }
}

bool loadQtTranslations(int taalIndex)
{
    static QTranslator* current = nullptr;
    if (current) {
        QCoreApplication::removeTranslator(current);
        delete current;
        current = nullptr;
    }
    const QString name = qtTranslationName(taalIndex);
    if (name.isEmpty() || !QCoreApplication::instance())
        return false;
    auto* t = new QTranslator;
    if (!t->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    current = t;
    return true;
}

bool loadTaalFile()
{
    AppState& st = app();
    // Standard buttons and dialogs speak the chosen language too.
    loadQtTranslations(st.TaalIndex);
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

const LangText* LangSection::find(const QString& key) const
{
    for (const LangText& t : m_texts)
        if (key == QLatin1String(t.key))
            return &t;
    return nullptr;
}

bool LangSection::has(const QString& key) const { return find(key) != nullptr; }

QString LangSection::read(const QString& key, const QString* fallback) const
{
    const LangText* t = find(key);
    Q_ASSERT_X(t, m_name, qPrintable(QStringLiteral("key %1 is not in the section's table").arg(key)));
    const QString def = fallback ? *fallback : t ? QString::fromUtf8(t->def)
                                                 : QString();
    return taal(QLatin1String(m_name), key, def);
}

QString LangSection::operator()(const char* key) const { return read(QLatin1String(key), nullptr); }

QString LangSection::operator()(const char* prefix, int n) const
{
    return read(QLatin1String(prefix) + QString::number(n), nullptr);
}

QString LangSection::operator()(const char* key, const QString& fallback) const
{
    return read(QLatin1String(key), &fallback);
}

} // namespace vx
