// vx5x: scripting the VX5x controllers from a shell, without a display.
#include "cli/Cli.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "core/SettingsFile.h"
#include "core/Taal.h"
#include "params/ParameterDefs.h"
#include "sim/SimInstall.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <cstdio>

using namespace vx;
using namespace vx::cli;

namespace {

struct GlobalParse {
    bool ok = true;
    bool help = false;
    bool version = false;
    QString bad;
};

std::optional<int> toInt(const QString& s)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// The options every command takes; the rest of a command line is the command's own.
QList<QCommandLineOption> globalOptions()
{
    QList<QCommandLineOption> list;
    for (const char* name : {"port", "unit", "baud", "parity", "data", "stop", "lang", "log"})
        list << QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value"));
    for (const char* name : {"simulate", "fast", "json", "version"})
        list << QCommandLineOption(QLatin1String(name));
    list << QCommandLineOption(QStringList{"quiet", "q"}) << QCommandLineOption(QStringList{"help", "h"});
    return list;
}

// The global options' words, apart from the rest. Global options may stand anywhere,
// so they are picked out by name first; what is left keeps its order for the command
// (its own options, its arguments, and anything unknown, which the command reports).
struct Words {
    QStringList global;
    QStringList rest;
    QString command;
    QString missing; // a global option that ends the line without its value
};

Words splitWords(const QStringList& args, const QList<QCommandLineOption>& options)
{
    QHash<QString, bool> valued;
    for (const QCommandLineOption& o : options)
        for (const QString& n : o.names())
            valued.insert(n.size() == 1 ? u'-' + n : QStringLiteral("--") + n, !o.valueName().isEmpty());
    Words w;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString name = a.startsWith(QLatin1String("--")) ? a.section(u'=', 0, 0) : a;
        const auto found = valued.constFind(name);
        if (found == valued.cend()) {
            if (w.command.isEmpty() && !a.startsWith(u'-'))
                w.command = a;
            else
                w.rest << a;
            continue;
        }
        QString value;
        if (!*found) {
            w.global << name; // a value given to a flag is ignored
            continue;
        }
        if (name.size() < a.size()) {
            value = a.mid(name.size() + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            w.missing = a;
            break;
        }
        // The search's own parity choices pass through to it.
        if (name == QLatin1String("--parity") && (value == QLatin1String("auto") || value == QLatin1String("as-port")))
            w.rest << name << value;
        else
            w.global << name + u'=' + value;
    }
    return w;
}

GlobalParse parseGlobal(const QStringList& args, Options& o)
{
    const QList<QCommandLineOption> options = globalOptions();
    const Words words = splitWords(args, options);
    o.command = words.command;
    o.args = words.rest;

    QCommandLineParser parser;
    parser.addOptions(options);
    parser.parse(QStringList{QStringLiteral("vx5x")} + words.global);

    // In the order given: a later value replaces an earlier one, and the first bad one
    // stops the reading (options after it, --version or --help among them, are not seen).
    GlobalParse g;
    QHash<QString, qsizetype> seen;
    for (const QString& name : parser.optionNames()) {
        const QCommandLineOption* option = nullptr;
        for (const QCommandLineOption& candidate : options)
            if (candidate.names().contains(name))
                option = &candidate;
        if (!option)
            continue; // the parser names only the options it was given
        const QString key = option->names().first();
        const QString value = option->valueName().isEmpty() ? QString() : parser.values(key).value(seen[key]++);
        bool good = true;
        if (key == QLatin1String("port")) {
            o.port = value;
        } else if (key == QLatin1String("unit")) {
            o.unit = toInt(value);
            good = o.unit && *o.unit >= 0 && *o.unit <= 31;
        } else if (key == QLatin1String("baud")) {
            o.baud = toInt(value);
            // Any other rate would leave the port at its old one without a word.
            QStringList rates;
            good = false;
            for (int i = 0; i <= int(TBaudrate::br115200); ++i) {
                rates << QString::number(baudrateValue(TBaudrate(i)));
                good = good || (o.baud && *o.baud == baudrateValue(TBaudrate(i)));
            }
            if (!good) {
                g.ok = false;
                g.bad = QStringLiteral("--baud %1 (rates: %2)").arg(value, rates.join(QStringLiteral(", ")));
                return g;
            }
        } else if (key == QLatin1String("parity")) {
            const QString p = value.toUpper();
            good = p == QLatin1String("N") || p == QLatin1String("E") || p == QLatin1String("O");
            if (good)
                o.parity = p[0].toLatin1();
        } else if (key == QLatin1String("data")) {
            o.dataBits = toInt(value);
            good = o.dataBits && (*o.dataBits == 7 || *o.dataBits == 8);
        } else if (key == QLatin1String("stop")) {
            o.stopBits = toInt(value);
            good = o.stopBits && (*o.stopBits == 1 || *o.stopBits == 2);
        } else if (key == QLatin1String("lang")) {
            const auto l = toInt(value);
            good = l && *l >= 0 && *l <= 2;
            o.lang = l.value_or(-1);
        } else if (key == QLatin1String("log")) {
            o.logFile = value;
        } else if (key == QLatin1String("simulate")) {
            o.simulate = true;
        } else if (key == QLatin1String("fast")) {
            o.fast = true;
        } else if (key == QLatin1String("json")) {
            o.json = true;
        } else if (key == QLatin1String("quiet")) {
            o.quiet = true;
        } else if (key == QLatin1String("version")) {
            g.version = true;
        } else if (key == QLatin1String("help")) {
            g.help = true;
        }
        if (!good) {
            g.ok = false;
            g.bad = QStringLiteral("--") + key + u' ' + value;
            return g;
        }
    }
    if (!words.missing.isEmpty()) {
        g.ok = false;
        g.bad = words.missing;
    }
    return g;
}

int comNumber(const QString& name)
{
    QString n = name.toUpper();
    n.remove(u' ');
    if (!n.startsWith(QLatin1String("COM")))
        return 0;
    const auto v = toInt(n.mid(3));
    return v && *v >= 1 && *v <= 16 ? *v : 0;
}

} // namespace

namespace vx::cli {

void applyLineSettings(Context& c, TSXComm& p)
{
    SettingsFile ini;
    const QString s = QStringLiteral("Serieel");
    auto low8 = [&](const char* key, int def) { return ini.readInteger(s, QLatin1String(key), def) & 0xFF; };
    if (ini.load(settingsFilePath())) {
        p.setBaudrateIndex(low8("baudrate", 6));
        p.setFrameDatabitsIndex(low8("databit", 1));
        p.setFrameParitybitIndex(low8("parity", 1));
        p.setFrameStopbitsIndex(low8("stopbit", 0));
    } else {
        // First start, as the windows have it: 9600 baud, 8 data bits, odd parity, 1 stop bit.
        p.setFrameParitybit(TParityBit::Odd);
    }
    const int savedCom = (low8("portname", 0) % 16) + 1;
    if (c.opt.baud) {
        for (int i = 0; i <= int(TBaudrate::br115200); ++i)
            if (baudrateValue(TBaudrate(i)) == *c.opt.baud)
                p.setBaudrate(TBaudrate(i));
    }
    if (c.opt.dataBits)
        p.setFrameDatabits(*c.opt.dataBits == 7 ? TDataBit::db_7 : TDataBit::db_8);
    if (c.opt.parity)
        p.setFrameParitybit(*c.opt.parity == 'N'   ? TParityBit::None
                            : *c.opt.parity == 'E' ? TParityBit::Even
                                                   : TParityBit::Odd);
    if (c.opt.stopBits)
        p.setFrameStopbits(*c.opt.stopBits == 2 ? TStopBit::sb_2 : TStopBit::sb_1);

    // Where the COM names lead on this machine.
    for (int n = 1; n <= 16; ++n) {
        const QString path = ini.readString(QStringLiteral("Poorten"), QStringLiteral("COM%1").arg(n), QString());
        if (!path.isEmpty() && !c.opt.simulate)
            setPortDevicePath(n, path.toStdString());
    }
    int com = savedCom;
    if (!c.opt.port.isEmpty()) {
        com = comNumber(c.opt.port);
        if (com == 0) {
            // A device path (or "sim") stands for itself.
            com = 1;
            setPortDevicePath(1, c.opt.port.toStdString());
        }
    }
    p.setPortNameIndex(com - 1);
    c.portName = c.opt.port.isEmpty() ? QStringLiteral("COM%1").arg(com) : c.opt.port;
}

} // namespace vx::cli

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Context c;
    const GlobalParse g = parseGlobal(application.arguments().mid(1), c.opt);

    AppState& st = app();
    // Definitions and language files: beside the program, or the installed share folder.
    const QString exeDir = QCoreApplication::applicationDirPath() + u'/';
    st.ExeDir = paths::dataDir(exeDir);
    // The windows' settings file: beside a build or portable copy, else per user.
    st.SettingsPath = paths::settingsLocation(exeDir).file;
    SettingsFile ini;
    ini.load(settingsFilePath());
    st.TaalIndex = c.opt.lang >= 0 ? c.opt.lang : ini.readInteger(QStringLiteral("Opties"), QStringLiteral("Taal"), 0);
    c.unit = c.opt.unit.value_or(ini.readInteger(QStringLiteral("Serieel"), QStringLiteral("unit_no"), 0));

    if (g.version) {
        std::printf("vx5x %s\n", ProgrammaVersie);
        return ExitOk;
    }
    loadTaalFile();
    if (!g.ok) {
        c.error(cliText("BadOption").arg(g.bad));
        return ExitUsage;
    }
    if (g.help || c.opt.command.isEmpty() || c.opt.command == QLatin1String("help")) {
        const QString topic = c.opt.command == QLatin1String("help") && !c.opt.args.isEmpty() ? c.opt.args.first()
                              : g.help && !c.opt.command.isEmpty() && c.opt.command != QLatin1String("help")
                                  ? c.opt.command
                                  : QString();
        if (!topic.isEmpty() && !isCommand(topic)) {
            c.error(cliText("UnknownCommand").arg(topic));
            return ExitUsage;
        }
        c.out(topic.isEmpty() ? helpText() : commandHelp(topic));
        return c.opt.command.isEmpty() && !g.help ? ExitUsage : ExitOk;
    }
    if (!isCommand(c.opt.command)) {
        c.error(cliText("UnknownCommand").arg(c.opt.command));
        return ExitUsage;
    }

    ParameterDef_lezen();
    if (c.opt.port == QLatin1String("sim"))
        c.opt.simulate = true;
    if (c.opt.simulate) {
        st.Simulating = true;
        sim::installInProcessSimulator();
        setAllPortDevicePaths("sim");
        if (c.opt.port.isEmpty())
            c.opt.port = QStringLiteral("sim");
    }
    installInterruptHandler();

    using Command = int (*)(Context&);
    static const QHash<QString, Command> commands{
        {"ports", cmdPorts},
        {"info", cmdInfo},
        {"get", cmdGet},
        {"set", cmdSet},
        {"read", cmdRead},
        {"write", cmdWrite},
        {"backup", cmdBackup},
        {"restore", cmdRestore},
        {"diff", cmdDiff},
        {"search", cmdSearch},
        {"monitor", cmdMonitor},
        {"term", cmdTerm},
    };
    return commands.value(c.opt.command)(c);
}
