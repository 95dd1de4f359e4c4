#include "core/IniFile.h"

#include "core/Cp1252.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QVector>
#include <limits>

namespace vx {

namespace {

// Names compare without regard to case.
inline QString fold(const QString& s) { return s.toCaseFolded(); }

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

} // namespace

struct IniFile::Impl {
    struct Section {
        QString name;                   // as first written
        QStringList keyOrder;           // as first written, file order
        QHash<QString, QString> values; // folded key -> value
    };
    QVector<Section> sections; // file order, first occurrences only
    QHash<QString, int> index; // folded section name -> position

    const Section* find(const QString& section) const
    {
        const auto it = index.constFind(fold(section));
        return it == index.constEnd() ? nullptr : &sections[*it];
    }

    void parse(const QString& text)
    {
        Section* current = nullptr; // null before the first header and in repeated sections
        qsizetype pos = 0;
        const qsizetype n = text.size();
        for (;;) {
            // A line ends at CR LF, CR or LF; the break itself is not part of the line.
            qsizetype end = pos;
            while (end < n && text[end] != u'\n' && text[end] != u'\r')
                ++end;
            const QStringView line = QStringView(text).mid(pos, end - pos);
            if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
                pos = end + 2;
            else
                pos = end + 1;

            if (!line.isEmpty() && line.front() != u';') {
                if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
                    const QString name = line.mid(1, line.size() - 2).toString();
                    const QString key = fold(name);
                    if (index.contains(key)) {
                        // A repeated section: the first occurrence wins, the rest is ignored.
                        current = nullptr;
                    } else {
                        index.insert(key, int(sections.size()));
                        sections.push_back(Section{name, {}, {}});
                        current = &sections.back();
                    }
                } else if (current) {
                    const qsizetype eq = line.indexOf(u'=');
                    if (eq >= 0) {
                        const QString k = line.left(eq).toString();
                        const QString fk = fold(k);
                        if (!current->values.contains(fk)) {
                            current->values.insert(fk, line.mid(eq + 1).toString());
                            current->keyOrder.push_back(k);
                        }
                    }
                }
            }
            if (end >= n)
                break;
        }
    }
};

IniFile::IniFile() : m_impl(std::make_unique<Impl>()) { }
IniFile::~IniFile() = default;

std::shared_ptr<IniFile> IniFile::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return nullptr;

    return fromText(decodeText(bytes));
}

QString IniFile::decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return decodeCp1252(bytes);
    return text;
}

std::shared_ptr<IniFile> IniFile::fromText(const QString& text)
{
    std::shared_ptr<IniFile> ini(new IniFile());
    ini->m_impl->parse(text);
    return ini;
}

bool IniFile::hasSection(const QString& section) const
{
    return m_impl->find(section) != nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    const Impl::Section* s = m_impl->find(section);
    return s && s->values.contains(fold(key));
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const Impl::Section* s = m_impl->find(section);
    if (!s)
        return def;
    const auto it = s->values.constFind(fold(key));
    return it == s->values.constEnd() ? def : *it;
}

bool IniFile::parseInteger(QStringView text, int& value)
{
    qsizetype i = 0;
    // Leading blanks are tolerated, as the classic integer readers do; trailing ones are not.
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return false;

    quint64 acc = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (hex) {
            const int h = hexValue(c);
            if (h < 0)
                return false;
            acc = acc * 16 + quint64(h);
            // Eight hex digits fill 32 bits; $FFFFFFFF is -1.
            if (acc > 0xFFFFFFFFull)
                return false;
        } else {
            if (c < u'0' || c > u'9')
                return false;
            acc = acc * 10 + quint64(c.unicode() - u'0');
            if (acc > 0x80000000ull)
                return false;
        }
    }
    if (hex) {
        const auto bits = static_cast<qint32>(static_cast<quint32>(acc));
        // Negating INT_MIN would overflow; the classic readers reject it too.
        if (negative && bits == std::numeric_limits<qint32>::min())
            return false;
        value = negative ? -bits : bits;
        return true;
    }
    if (!negative && acc > 0x7FFFFFFFull)
        return false;
    value = negative ? static_cast<int>(-static_cast<qint64>(acc)) : static_cast<int>(acc);
    return true;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    const Impl::Section* s = m_impl->find(section);
    if (!s)
        return def;
    const auto it = s->values.constFind(fold(key));
    if (it == s->values.constEnd())
        return def;
    int v = 0;
    return parseInteger(*it, v) ? v : def;
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    names.reserve(m_impl->sections.size());
    for (const auto& s : m_impl->sections)
        names.push_back(s.name);
    return names;
}

QStringList IniFile::keys(const QString& section) const
{
    const Impl::Section* s = m_impl->find(section);
    return s ? s->keyOrder : QStringList();
}

} // namespace vx
