// Property: a settings file loaded, saved and loaded again keeps every line, and a key
// written into it (then saved and loaded) reads back as written.
#include "FuzzSupport.h"
#include "core/SettingsFile.h"

#include <QFile>

using namespace vx;

namespace {

// A name of letters and digits, so it is a section or key in any file.
QString name(fuzz::Input& in)
{
    QString s;
    const int n = 1 + in.byte() % 8;
    for (int i = 0; i < n; ++i) s += QChar(u'a' + in.byte() % 26);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureCoreApp();
    fuzz::Input in(data, size);
    const QString section = name(in), key = name(in);
    QString value;
    for (int n = in.byte() % 16; n > 0; --n) value += QChar(u'!' + in.byte() % 94);
    const QString path = fuzz::scratchDir() + "/application.ini";
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(in.rest());
    }
    SettingsFile a;
    FUZZ_CHECK(a.load(path));
    FUZZ_CHECK(a.save(path));
    SettingsFile b;
    FUZZ_CHECK(b.load(path));
    FUZZ_CHECK(a.lines() == b.lines());

    b.writeString(section, key, value);
    FUZZ_CHECK(b.readString(section, key, "\x01") == value);
    FUZZ_CHECK(b.save(path));
    SettingsFile c;
    FUZZ_CHECK(c.load(path));
    FUZZ_CHECK(c.readString(section, key, "\x01") == value);
    return 0;
}
