// Properties of vx5x's own reading of a command's words (each command's options, as the
// commands declare them) and of the values "set" takes:
// - "--" is never taken; a line that is ok, with no option lacking its value, leaves
//   exactly its arguments; one that is not ok names a word given that is no argument;
// - a parameter is found by its number ("12", "P012") or by what its name starts with,
//   never by a name it does not have; several fitting names are reported, not guessed;
// - a value "set" accepts lies within the parameter's limits and reads back the same
//   from the text the tool shows for it.
#include "FuzzSupport.h"
#include "cli/Cli.h"
#include "core/AppState.h"
#include "device/CommandSet.h"
#include "params/ParamText.h"
#include "params/ParameterDefs.h"

#include <optional>

using namespace vx;
using namespace vx::cli;

namespace {

// The option sets the commands declare.
QList<QCommandLineOption> optionSet(int which)
{
    switch (which % 7) {
    case 0: return {};
    case 1: return {flagOption("raw")};
    case 2: return {flagOption("raw"), flagOption("no-check")};
    case 3: return {valueOption("params"), valueOption("setpoints")};
    case 4: return {flagOption("no-safety"), flagOption("no-verify")};
    case 5: return {valueOption("units"), valueOption("bauds"), valueOption("parity")};
    default: return {valueOption("rate"), valueOption("values"), valueOption("count")};
    }
}

// Words: mostly the options' own spellings, with arbitrary text between.
QStringList words(fuzz::Input& in, const QList<QCommandLineOption>& options, int maxLength)
{
    static const QStringList common = {"--", "-", "--raw", "--params", "--params=", "--x", "-p", "P012=5",
                                       "12=1,5", "baud=9600", "--help", "a.app", "="};
    QStringList out;
    for (int n = in.byte() % 8; n > 0 && !in.empty(); --n) {
        const uint8_t k = in.byte();
        if (k < 64 && !options.isEmpty()) {
            const QCommandLineOption& o = options[k % options.size()];
            out << QStringLiteral("--") + o.names().first() + (k & 0x20 ? QStringLiteral("=") : QString());
        } else if (k < 128) {
            out << common[k % common.size()];
        } else {
            QByteArray b;
            for (int m = in.byte() % maxLength; m > 0 && !in.empty(); --m) b += char(in.byte());
            out << QString::fromUtf8(b);
        }
    }
    return out;
}

bool inOrder(const QStringList& sub, const QStringList& all)
{
    qsizetype at = 0;
    for (const QString& s : sub) {
        while (at < all.size() && all[at] != s) ++at;
        if (at++ >= all.size()) return false;
    }
    return true;
}

// The folding findParameter promises: case, '_' and '-' as blanks, blanks collapsed.
QString folded(const QString& text)
{
    QString s = text.trimmed().toCaseFolded();
    s.replace(u'_', u' ');
    s.replace(u'-', u' ');
    return s.simplified();
}

bool hasNameStarting(int nr, const QString& wanted)
{
    for (int lang = 0; lang < 3; ++lang) {
        const QString name = parNaam(parSection(nr), lang);
        if (!name.isEmpty() && folded(name).startsWith(wanted)) return true;
    }
    return false;
}

// The number a text names as a number ("12", "P012"), if it is one.
std::optional<qint32> asNumber(const QString& text)
{
    QString t = text.trimmed();
    if (t.size() > 1 && (t[0] == u'p' || t[0] == u'P') && t[1].isDigit()) t = t.mid(1);
    if (t.startsWith(u'-')) return std::nullopt;
    return cmd::parseDecimal(t);
}

partext::Lookup checkLookup(const QString& text)
{
    const partext::Lookup l = partext::findParameter(text);
    FUZZ_CHECK(l.number < 0 || (l.number >= TParWaarden::first && l.number <= TParWaarden::last));
    FUZZ_CHECK(l.ambiguous.isEmpty() || (l.number < 0 && l.ambiguous.size() >= 2));
    if (l.number < 0) return l;
    if (const auto n = asNumber(text)) {
        FUZZ_CHECK(l.number == *n);
    } else {
        FUZZ_CHECK(!folded(text).isEmpty() && hasNameStarting(l.number, folded(text)));
    }
    return l;
}

void checkValue(int nr, const QString& text, qint32 p203)
{
    for (const bool raw : {false, true}) {
        const partext::Parsed p = partext::parseValue(nr, text, p203, raw);
        if (p.kind != partext::Parsed::Ok) continue;
        if (parExists(nr) && parMin(nr) <= parMax(nr)) FUZZ_CHECK(p.value >= parMin(nr) && p.value <= parMax(nr));
        if (raw) {
            FUZZ_CHECK(cmd::parseDecimal(text.trimmed()) == p.value);
            continue;
        }
        const QString shown = partext::scaledText(nr, p.value, p203);
        const partext::Parsed back = partext::parseValue(nr, shown, p203, false);
        if (parType(nr) == 0) {
            FUZZ_CHECK(back.kind == partext::Parsed::Ok && back.value == p.value);
        } else if (back.kind == partext::Parsed::Ok) {
            // Option lists may hold one text twice; the text is what must agree.
            FUZZ_CHECK(partext::scaledText(nr, back.value, p203).compare(shown, Qt::CaseInsensitive) == 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureCoreApp();
    static const bool defs = [] {
        app().ExeDir = QStringLiteral(VX_DATA_DIR "/");
        return ParameterDef_lezen();
    }();
    FUZZ_CHECK(defs);

    fuzz::Input in(data, size);
    const int which = in.byte();
    const QList<QCommandLineOption> options = optionSet(which);
    const bool set = which % 7 == 2;
    const QStringList given = words(in, options, set ? 24 : 48);
    const CommandLine line(given, options);

    const QStringList args = line.arguments();
    FUZZ_CHECK(inOrder(args, given));
    FUZZ_CHECK(inOrder(line.left(), given));
    if (given.contains(QStringLiteral("--"))) FUZZ_CHECK(!line.ok());
    bool missing = false;
    for (const QCommandLineOption& o : options) {
        const QString name = o.names().first();
        missing = missing || line.valueMissing(name);
        if (const auto v = line.value(name)) FUZZ_CHECK(!o.valueName().isEmpty() && line.isSet(name));
        if (line.ok() && !o.valueName().isEmpty()) FUZZ_CHECK(!line.repeated(name));
    }
    if (line.ok()) {
        if (!missing) FUZZ_CHECK(line.left() == args);
        FUZZ_CHECK(line.argumentsBeforeUnknown() == args);
    } else {
        const QString unknown = line.firstUnknown();
        FUZZ_CHECK(given.contains(unknown) && !args.contains(unknown));
    }
    FUZZ_CHECK(inOrder(line.argumentsBeforeUnknown(), args));

    if (!set) return 0;
    // "set NAME=VALUE ...", as the command reads its arguments.
    const qint32 p203 = in.byte() % 5;
    const QStringList items = line.argumentsBeforeUnknown();
    for (qsizetype i = 0; i < items.size() && i < 4; ++i) {
        const qsizetype eq = items[i].indexOf(u'=');
        if (eq <= 0) continue;
        const partext::Lookup l = checkLookup(items[i].left(eq));
        checkValue(l.number >= 0 ? l.number : int(qHash(items[i]) % 512), items[i].mid(eq + 1), p203);
    }
    // Every parameter by its label, and by its own name in each language.
    const int nr = (in.byte() | (in.byte() << 8)) % (TParWaarden::last + 1);
    FUZZ_CHECK(partext::findParameter(QStringLiteral("P%1").arg(nr, 3, 10, QLatin1Char('0'))).number == nr);
    const QString name = parNaam(parSection(nr), in.byte() % 3);
    if (!folded(name).isEmpty() && !asNumber(name)) {
        const partext::Lookup l = partext::findParameter(name);
        FUZZ_CHECK(l.number >= 0 && hasNameStarting(l.number, folded(name)));
    }
    return 0;
}
