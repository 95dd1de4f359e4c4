#include "params/ParameterDefs.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "params/ValueStore.h"

#include <QFileInfo>
#include <memory>
#include <unordered_map>

namespace vx {

namespace {

// Name and option keys exist for languages 0..4 only.
constexpr int LanguageKeys = 5;

bool validLanguage(int taalIndex) { return taalIndex >= 0 && taalIndex < LanguageKeys; }

const IniFile* defs()
{
    const AppState& st = app();
    return st.ParameterDefGeladen ? st.ParameterDef.get() : nullptr;
}

const IniFile* parNo()
{
    const AppState& st = app();
    return st.ParamNoGeladen ? st.ParamNo.get() : nullptr;
}

bool loadInto(const QString& fileName, std::shared_ptr<IniFile>& target, bool& loaded)
{
    const QString path = app().ExeDir + fileName;
    std::shared_ptr<IniFile> file;
    if (QFileInfo(path).isFile())
        file = IniFile::load(path);
    target = std::move(file);
    loaded = target != nullptr;
    return loaded;
}

int defInteger(const QString& section, const char* key)
{
    const IniFile* d = defs();
    return d ? d->readInteger(section, QLatin1String(key), 0) : 0;
}

bool isBlank(QChar c) { return c.unicode() <= u' '; }

// The compare window and the reports ask the same keys of every parameter in turn;
// looking each up in the file every time was most of filling a 592-row table. Kept
// per thread and for one file and language: loading another file or switching the
// language starts afresh.
struct Definition {
    bool known = false;
    int type = 0;
    QString name;
    QStringList options;
};

Definition& cachedDefinition(int nr)
{
    struct Cache {
        std::shared_ptr<IniFile> file;
        int taal = -1;
        std::unordered_map<int, Definition> byNumber;
    };
    thread_local Cache cache;
    const AppState& st = app();
    const std::shared_ptr<IniFile> file = st.ParameterDefGeladen ? st.ParameterDef : nullptr;
    if (cache.file != file || cache.taal != st.TaalIndex) {
        cache.file = file;
        cache.taal = st.TaalIndex;
        cache.byNumber.clear();
    }
    Definition& d = cache.byNumber[nr];
    if (!d.known) {
        const QString section = parSection(nr);
        d.type = parType(section);
        d.name = parNaam(section);
        d.options = parOpties(section);
        d.known = true;
    }
    return d;
}

} // namespace

bool ParameterDef_lezen()
{
    AppState& st = app();
    return loadInto(QStringLiteral("Parameters.txt"), st.ParameterDef, st.ParameterDefGeladen);
}

bool ParamNo_lezen()
{
    AppState& st = app();
    return loadInto(QStringLiteral("ParNo.txt"), st.ParamNo, st.ParamNoGeladen);
}

QString parSection(int nr)
{
    // "%3.3d": at least three digits, the sign in front of them.
    const QString digits = QString::number(qAbs(qint64(nr))).rightJustified(3, u'0');
    return nr < 0 ? u'-' + digits : digits;
}

bool parExists(const QString& section)
{
    const IniFile* d = defs();
    return d && d->hasSection(section);
}
bool parExists(int nr) { return parExists(parSection(nr)); }

QString parNaam(const QString& section, int taalIndex)
{
    const IniFile* d = defs();
    if (!d || !validLanguage(taalIndex))
        return QString();
    return d->readString(section, QStringLiteral("naam") + QString::number(taalIndex), QString());
}
QString parNaam(const QString& section) { return parNaam(section, app().TaalIndex); }
QString parNaam(int nr) { return cachedDefinition(nr).name; }

int parType(const QString& section) { return defInteger(section, "type"); }
int parType(int nr) { return cachedDefinition(nr).type; }
int parDec(const QString& section) { return defInteger(section, "dec"); }
int parDec(int nr) { return parDec(parSection(nr)); }
int parMin(const QString& section) { return defInteger(section, "min"); }
int parMin(int nr) { return parMin(parSection(nr)); }
int parMax(const QString& section) { return defInteger(section, "max"); }
int parMax(int nr) { return parMax(parSection(nr)); }
int parDefault(const QString& section) { return defInteger(section, "default"); }
int parDefault(int nr) { return parDefault(parSection(nr)); }

QStringList parOpties(const QString& section, int taalIndex)
{
    const IniFile* d = defs();
    if (!d)
        return {};
    return resolveOptionList(*d, section, taalIndex);
}
QStringList parOpties(const QString& section) { return parOpties(section, app().TaalIndex); }
QStringList parOpties(int nr) { return cachedDefinition(nr).options; }

int effectiveDec(int dec)
{
    return dec == 9 ? ParWaarden.value(ParDecimalsParameter) : dec;
}

QStringList parseOptionList(const QString& text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype p = 0;
    while (p < n && isBlank(text[p]))
        ++p;
    while (p < n) {
        QString item;
        if (text[p] == u'"') {
            ++p;
            while (p < n) {
                if (text[p] == u'"') {
                    if (p + 1 < n && text[p + 1] == u'"') {
                        item += u'"';
                        p += 2;
                        continue;
                    }
                    ++p; // closing quote
                    break;
                }
                item += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && !isBlank(text[p]) && text[p] != u',')
                ++p;
            item = text.mid(start, p - start);
        }
        items.push_back(item);
        while (p < n && isBlank(text[p]))
            ++p;
        if (p < n && text[p] == u',') {
            if (p + 1 == n)
                items.push_back(QString()); // "a," is two items, the second empty
            ++p;
            while (p < n && isBlank(text[p]))
                ++p;
        }
    }
    return items;
}

QString optionListText(const QStringList& items)
{
    if (items.size() == 1 && items.front().isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    parts.reserve(items.size());
    for (const QString& item : items) {
        bool quote = false;
        for (QChar c : item) {
            if (isBlank(c) || c == u'"' || c == u',') {
                quote = true;
                break;
            }
        }
        if (quote) {
            QString q = item;
            q.replace(u'"', QStringLiteral("\"\""));
            parts.push_back(u'"' + q + u'"');
        } else {
            parts.push_back(item);
        }
    }
    return parts.join(u',');
}

QStringList resolveOptionList(const IniFile& defs, const QString& section, int taalIndex)
{
    if (!validLanguage(taalIndex))
        return {};
    const QString key = QStringLiteral("opties") + QString::number(taalIndex);
    QStringList items = parseOptionList(defs.readString(section, key, QString()));
    const QString written = optionListText(items);
    if (!written.startsWith(u'#'))
        return items;
    // Followed once: the target's own list is used as it stands, even if it is a "#" too.
    return parseOptionList(defs.readString(written.mid(1), key, QString()));
}

QString optionText(const QStringList& items, qint64 value)
{
    if (value < 0 || value >= items.size())
        return QString::fromLatin1(OverflowMark);
    return items.at(qsizetype(value));
}

std::optional<int> parNoLookup(int menuNumber, int row)
{
    const IniFile* m = parNo();
    if (!m)
        return std::nullopt;
    const int nr = m->readInteger(QString::number(menuNumber),
                                  QStringLiteral("ParId") + QString::number(row), -1);
    // Numbers without a ParWaarden entry are shown as empty rows, like -1.
    if (!TParWaarden::contains(nr))
        return std::nullopt;
    return nr;
}

QList<std::optional<int>> menuParameters(int menuNumber, int rows)
{
    QList<std::optional<int>> result;
    result.reserve(rows);
    for (int r = 1; r <= rows; ++r)
        result.push_back(parNoLookup(menuNumber, r));
    return result;
}

} // namespace vx
