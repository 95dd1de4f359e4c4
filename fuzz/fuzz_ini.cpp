// Property: every section and key the INI reader lists is found again by its lookups
// (in any case), and a lookup of a missing key gives the default.
#include "FuzzSupport.h"
#include "core/IniFile.h"

using namespace vx;

namespace {

// Swaps the case of ASCII letters only: toUpper() turns "ß" into "SS", which no
// case-insensitive lookup takes for the same name.
QString swapAsciiCase(QString s)
{
    for (QChar& c : s)
        if (c.unicode() < 128 && c.isLetter()) c = c.isUpper() ? c.toLower() : c.toUpper();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto ini = IniFile::fromText(IniFile::decodeText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    FUZZ_CHECK(ini);
    const QString missing = QStringLiteral("\x01missing");
    for (const QString& section : ini->sectionNames()) {
        FUZZ_CHECK(ini->hasSection(section));
        FUZZ_CHECK(ini->hasSection(swapAsciiCase(section)));
        FUZZ_CHECK(!ini->hasKey(section, missing));
        FUZZ_CHECK(ini->readString(section, missing, "def") == "def");
        for (const QString& key : ini->keys(section)) {
            FUZZ_CHECK(ini->hasKey(section, key));
            FUZZ_CHECK(ini->hasKey(swapAsciiCase(section), swapAsciiCase(key)));
            const QString v = ini->readString(section, key, missing);
            FUZZ_CHECK(v != missing);
            int n = 0;
            if (IniFile::parseInteger(v, n)) FUZZ_CHECK(ini->readInteger(section, key, n ^ 1) == n);
        }
    }
    return 0;
}
