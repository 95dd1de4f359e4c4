#pragma once
// Read-only INI-style file used for the language and definition files: the whole
// file is read into memory once; sections in [brackets], key=value lines, ";"
// comment lines; names compare without regard to case; the first occurrence of a
// section or key wins; values are not trimmed.
#include <QString>
#include <QStringList>
#include <memory>

namespace vx {

class IniFile {
public:
    // Reads the file; returns nullptr when it does not exist or cannot be read.
    // UTF-8, falling back to Windows-1252 when the bytes are not valid UTF-8.
    static std::shared_ptr<IniFile> load(const QString& path);
    static std::shared_ptr<IniFile> fromText(const QString& text);

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    // Present key gives its value, even when empty; otherwise def.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal with "$", "0x" or "0X"; def when missing or malformed.
    int readInteger(const QString& section, const QString& key, int def) const;
    QStringList sectionNames() const;
    QStringList keys(const QString& section) const;

    // The file decoding of load(): UTF-8, or Windows-1252 when not valid UTF-8.
    static QString decodeText(const QByteArray& bytes);
    // The integer rule of every INI value, this reader's and SettingsFile's: leading
    // blanks, a sign, then decimal digits that fit 32 bits, or "$"/"0x" and at most
    // eight hex digits, which wrap like a 32-bit register ($FFFFFFFF is -1); nothing
    // may follow. false leaves value untouched.
    static bool parseInteger(QStringView text, int& value);

    struct Impl;
    ~IniFile();

private:
    IniFile();
    std::unique_ptr<Impl> m_impl;
};

} // namespace vx
