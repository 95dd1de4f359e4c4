// Property: whatever the terminal's history file holds, every request loaded from it
// is one line of text that goes out as it is: its bytes on the line carry no CR, LF
// or other control byte; there are at most Limit of them, no repeat in a row; walking
// back and forth gives them newest first and ends at what was typed; and a request
// added to them is saved and loads back with the others.
#include "FuzzSupport.h"
#include "core/TerminalHistory.h"

#include <QFile>

using namespace vx;

namespace {

// What the protocol component puts on the line for a request.
bool cleanOnTheLine(const QString& request)
{
    for (const char c : request.toLatin1()) {
        const auto u = uchar(c);
        if (u < 0x20 || (u >= 0x7f && u < 0xa0)) return false;
    }
    return true;
}

void checkEntries(const QStringList& e)
{
    FUZZ_CHECK(e.size() <= TerminalHistory::Limit);
    for (qsizetype i = 0; i < e.size(); ++i) {
        FUZZ_CHECK(!e[i].isEmpty() && e[i] == e[i].trimmed());
        FUZZ_CHECK(cleanOnTheLine(e[i]));
        if (i > 0) FUZZ_CHECK(e[i] != e[i - 1]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureCoreApp();
    fuzz::Input in(data, size);
    // The first line is typed in the field; the rest is the file.
    const QByteArray all = in.rest();
    const qsizetype cut = all.indexOf('\n');
    const QString typed = QString::fromUtf8(cut < 0 ? all : all.left(cut));
    const QByteArray file = cut < 0 ? QByteArray() : all.mid(cut + 1);
    const QString path = fuzz::scratchDir() + QStringLiteral("/term_history");
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(file) == file.size());
    }
    TerminalHistory h(path);
    h.load();
    const QStringList loaded = h.entries();
    checkEntries(loaded);

    if (loaded.isEmpty()) {
        FUZZ_CHECK(h.older(typed) == typed);
    } else {
        for (qsizetype i = loaded.size() - 1; i >= 0; --i) FUZZ_CHECK(h.older(typed) == loaded[i]);
        FUZZ_CHECK(h.older(typed) == loaded.front());
        for (qsizetype i = 1; i < loaded.size(); ++i) FUZZ_CHECK(h.newer(QString()) == loaded[i]);
        FUZZ_CHECK(h.newer(QString()) == typed);
    }

    FUZZ_CHECK(h.add(typed));
    checkEntries(h.entries());
    TerminalHistory again(path);
    again.load();
    const bool changed = h.entries() != loaded;
    // Unchanged, nothing was written: the file as it was loads as before.
    FUZZ_CHECK(again.entries() == (changed ? h.entries() : loaded));
    if (changed) FUZZ_CHECK(h.entries().constLast() == typed.trimmed());
    return 0;
}
