#include "core/SettingsFile.h"

#include "core/AtomicFile.h"
#include "core/IniFile.h"

#include <QFile>
#include <QStringDecoder>

namespace vx {

namespace {

bool isSectionLine(const QString& line, QString* name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return false;
    const int close = int(t.indexOf(u']'));
    if (close < 0) return false;
    if (name) *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool splitEntry(const QString& line, QString& key, QString& value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';')) return false;
    const int eq = int(line.indexOf(u'='));
    if (eq <= 0) return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

} // namespace

bool SettingsFile::load(const QString& path)
{
    m_lines.clear();
    m_exists = false;
    QFile f(path);
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes); // older files: single-byte
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty()) m_lines.removeLast();
    m_exists = true;
    return true;
}

int SettingsFile::findSection(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        QString name;
        if (isSectionLine(m_lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int SettingsFile::findKey(int sectionLine, const QString& key) const
{
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (isSectionLine(m_lines[i])) break;
        QString k, v;
        if (splitEntry(m_lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString SettingsFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const int s = findSection(section);
    if (s < 0) return def;
    const int k = findKey(s, key);
    if (k < 0) return def;
    QString name, value;
    splitEntry(m_lines[k], name, value);
    return value.left(2047);
}

int SettingsFile::readInteger(const QString& section, const QString& key, int def) const
{
    // The same integer rule as the language and definition files.
    int v = 0;
    return IniFile::parseInteger(readString(section, key, QString()), v) ? v : def;
}

bool SettingsFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void SettingsFile::writeString(const QString& section, const QString& key, const QString& value)
{
    int s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty()) m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        QString oldKey, oldValue;
        splitEntry(m_lines[k], oldKey, oldValue);
        m_lines[k] = oldKey + u'=' + value;
        return;
    }
    // Add after the section's last entry, before any blank lines that separate it.
    int end = s + 1;
    while (end < m_lines.size() && !isSectionLine(m_lines[end])) ++end;
    int insertAt = end;
    while (insertAt > s + 1 && m_lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
    m_lines.insert(insertAt, key + u'=' + value);
}

void SettingsFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SettingsFile::save(const QString& path)
{
    QByteArray out;
    for (const QString& line : m_lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    if (!saveAtomically(path, out, &m_error))
        return false;
    m_exists = true;
    return true;
}

} // namespace vx
