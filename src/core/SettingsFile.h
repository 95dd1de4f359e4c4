#pragma once
// The settings file: read and changed key by key, every other line (comments,
// unknown keys and sections) kept as it stands. Saved through a temporary file and
// a rename, so a failed write never leaves a truncated file behind.
#include <QString>
#include <QStringList>

namespace vx {

class SettingsFile {
public:
    // Reads the file; returns false when it does not exist (the object is then empty).
    bool load(const QString& path);
    bool exists() const { return m_exists; }

    // Integers as IniFile::parseInteger reads them; anything else gives def.
    int readInteger(const QString& section, const QString& key, int def) const;
    // Strings are read up to 2047 characters.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Replaces the key's value in place, or adds the key (and the section) at the end.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // Writes atomically; on failure returns false and sets errorString().
    bool save(const QString& path);
    QString errorString() const { return m_error; }
    QStringList lines() const { return m_lines; }

private:
    int findSection(const QString& section) const;          // index of the [section] line or -1
    int findKey(int sectionLine, const QString& key) const; // index of the key line or -1
    QStringList m_lines;
    bool m_exists = false;
    QString m_error;
};

} // namespace vx
