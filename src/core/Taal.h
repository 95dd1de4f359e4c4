#pragma once
// Language texts: one language file (Taal0.ini, Taal1.ini, Taal2.ini) is loaded at
// a time; every window looks its texts up by (section, key, default).
#include <QString>

#include <cstddef>
#include <span>

namespace vx {

// File name for a language index: 0,1,2 choose their own file, anything else Taal0.ini.
QString taalFileName(int taalIndex);

// Loads ExeDir + taalFileName(TaalIndex) into AppState::TaalFile and sets TaalGeladen.
// When the file does not exist nothing changes. Returns whether a file was loaded.
bool loadTaalFile();

// The language index a first start takes from the system's locale name ("nl_BE",
// "de_AT.UTF-8", "C"): Dutch and German have their own, everything else is English.
int taalIndexForLocale(const QString& localeName);

// Qt's own translations (standard buttons, file and print dialogs) for a language
// index; false when none is needed or none is installed.
QString qtTranslationName(int taalIndex);
bool loadQtTranslations(int taalIndex);

// Lookup in the loaded language file: present key (even empty) gives its value,
// missing key/section or no file loaded gives def. Windows call this only while
// TaalGeladen is set, as the window convention asks.
QString taal(const QString& section, const QString& key, const QString& def);

// One key of a language-file section and the text used when the file lacks it.
struct LangText {
    const char* key;
    const char* def;
};

// A language-file section as a table of the keys the program reads. Windows read
// through it (texts::EditParam("Caption")); reading a key the table does not list
// stops a debug build, so the table stays the whole list the data-set test checks.
class LangSection {
public:
    template <std::size_t N>
    constexpr LangSection(const char* name, const LangText (&texts)[N])
        : m_name(name), m_texts(texts)
    {
    }

    const char* name() const { return m_name; }
    std::span<const LangText> texts() const { return m_texts; }
    bool has(const QString& key) const;

    // The key's text with the table's default.
    QString operator()(const char* key) const;
    // Numbered keys: ("PanelTekst", 3) reads "PanelTekst3".
    QString operator()(const char* prefix, int n) const;
    // The key's text with a fallback of the caller's (a text built at run time).
    QString operator()(const char* key, const QString& fallback) const;

private:
    const LangText* find(const QString& key) const;
    QString read(const QString& key, const QString* fallback) const;

    const char* m_name;
    std::span<const LangText> m_texts;
};

} // namespace vx
