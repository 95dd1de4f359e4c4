// Help texts, and the reading of every command's own options.
#include "cli/Cli.h"

#include <QMap>

namespace vx::cli {

namespace {

const QMap<QString, QString>& commandTexts()
{
    static const QMap<QString, QString> texts{
        {"ports", "usage: vx5x ports\n"
                  "Lists the serial devices present: /dev/ttyS* with hardware behind them, USB\n"
                  "adapters (/dev/ttyUSB*) and modems (/dev/ttyACM*), with their /dev/serial/by-id\n"
                  "name and the COM name application.ini leads to them, then the network ports\n"
                  "([Poorten] COM3=rfc2217://HOST:PORT or tcp://HOST:PORT) it leads to.\n"
                  "Columns: device, COM name (- for none), by-id name, maker and product."},
        {"search", "usage: vx5x search [--units 0-31] [--bauds 9600,19200,...] [--parity auto|as-port]\n"
                   "Probes every unit number at every baud rate with \"sc N\" and lists each\n"
                   "controller that answers, with its line settings and its \"rt\", \"rh\" and \"rx\"\n"
                   "texts, as soon as it is found. --parity auto also tries None, Odd and Even.\n"
                   "Progress goes to stderr. Exit status 4 when nothing answered.\n"
                   "--json prints one JSON object per line for each hit."},
        {"info", "usage: vx5x info\n"
                 "Selects the unit and prints its identification (\"rt\", \"rh\", \"rx\") and its\n"
                 "error number (- for none)."},
        {"get", "usage: vx5x get [--raw] P...\n"
                "Prints parameters, each given by number (12, P012) or by name in any language\n"
                "(case does not matter; blanks may be written as _; a unique start of a name is\n"
                "enough). Values are scaled as the editor shows them (\"12,50\" or the option\n"
                "text); --raw prints the controller's integers."},
        {"set", "usage: vx5x set [--raw] [--no-check] P=V...\n"
                "Writes parameters. Values are scaled (\"12,50\" or \"12.50\", or an option text)\n"
                "or, with --raw, the controller's integers. Every value is checked against the\n"
                "definitions' limits before anything is sent. Afterwards \"bp\" lets the controller\n"
                "compute its derived parameters, unless --no-check. A refusal (\"er 7\", or a\n"
                "\"bp\" detail) gives exit status 1."},
        {"read", "usage: vx5x read [--params FILE.app] [--setpoints FILE.aps]\n"
                 "Reads all 512 parameters and/or all 80 setpoints and saves them in the windows'\n"
                 "file formats. A file is written only when the whole set was read (Ctrl-C leaves\n"
                 "any existing file as it was)."},
        {"write", "usage: vx5x write [--no-limits] FILE.app|FILE.aps\n"
                  "Writes a whole parameter file (followed by \"bp\") or setpoint file to the\n"
                  "controller. Parameter values outside the definitions' limits stop the write\n"
                  "before it starts, unless --no-limits. An \"er 7\" stops at that value and names it;\n"
                  "a stop says how many values were written."},
        {"backup", "usage: vx5x backup FILE.bak\n"
                   "       vx5x backup --all DIR [--units 0-31] [--bauds 9600,...] [--parity auto|as-port]\n"
                   "                             [--remembered]\n"
                   "Reads the whole controller into a backup file (16 020 bytes) and writes its\n"
                   "manifest beside it (FILE.bak.json: rt, rh, rx, unit, port, line, date, version,\n"
                   "the number of values and the file's SHA-256).\n"
                   "--all searches the port for every unit (or takes the units remembered from\n"
                   "earlier searches) and backs up each in turn to DIR/TYPE_SERIAL_uN_DATE.bak; a\n"
                   "unit that fails does not stop the others. One line per unit at the end: done\n"
                   "with its file, or failed with the reason. Exit status 4 when any unit failed."},
        {"restore", "usage: vx5x restore [--no-safety] [--no-verify] [--force] [--all] FILE.bak\n"
                    "Writes a backup file to the controller, then \"bp\". First it saves a safety\n"
                    "backup of the controller in ~/.local/share/vx5x-tool/Backups (not with\n"
                    "--no-safety) and writes only the values that differ from it (every value with\n"
                    "--all or --no-safety); afterwards it reads everything back and lists what\n"
                    "differs (not with --no-verify). It asks nothing, and refuses a file that does\n"
                    "not parse.\n"
                    "A manifest beside the file is checked: a changed file is refused, and so is a\n"
                    "backup of another type or serial (\"rx\") unless --force."},
        {"diff", "usage: vx5x diff A B\n"
                 "Compares two of: device, a .app/.aps/.bak file, defaults. Prints number, name\n"
                 "and both values, scaled, for every value that differs. Exit status 0 when\n"
                 "equal, 1 when they differ."},
        {"monitor", "usage: vx5x monitor [--rate HZ] [--values r0,r1,...] [--count N] [--once]\n"
                    "Prints live values as CSV lines (header first) with a UTC timestamp, until\n"
                    "Ctrl-C or N lines. Values: r0 r1 r2 r3 r4 r5 r6 ri ru rf (default r0,r4);\n"
                    "rate default 5 per second. --json prints JSON lines.\n"
                    "A lost or unusable reply leaves its cell empty and the rows go on; the count\n"
                    "of them is told at the end. A lost line (an adapter pulled out) is waited for\n"
                    "and the same controller resumes; another controller ends it (exit 3).\n"
                    "--once: a lost line ends it (exit 3) instead."},
        {"term", "usage: vx5x term [REQUEST...]\n"
                 "Sends each request as it stands and prints the reply. Without requests it\n"
                 "reads requests from standard input (a \"> \" prompt on a terminal) until end of\n"
                 "input or \"quit\"; the requests are kept in ~/.local/share/vx5x-tool/term_history."},
    };
    return texts;
}

} // namespace

bool isCommand(const QString& command)
{
    return commandTexts().contains(command);
}

QString commandHelp(const QString& command)
{
    return commandTexts().value(command);
}

QString helpText()
{
    return QStringLiteral(
        "usage: vx5x [options] COMMAND [arguments]\n"
        "Scripts VX50/VX51 controllers over a serial line, without a display.\n"
        "\n"
        "Commands:\n"
        "  ports                      serial devices present\n"
        "  search                     find controllers on the line\n"
        "  info                       identification and error number\n"
        "  get P...                   read parameters by number or name\n"
        "  set P=V...                 write parameters (limits checked first), then \"bp\"\n"
        "  read --params F.app --setpoints F.aps   whole sets to files\n"
        "  write F.app|F.aps          a whole file to the controller\n"
        "  backup F.bak               the whole controller to a backup file\n"
        "  restore F.bak              a backup file to the controller, checked\n"
        "  diff A B                   compare device, files, defaults\n"
        "  monitor                    live values as CSV\n"
        "  term [REQUEST...]          raw requests and replies\n"
        "  help COMMAND               more about one command\n"
        "\n"
        "Options (defaults from application.ini, as the windows use):\n"
        "  --port COM1|/dev/ttyUSB0|sim   the port; sim is the built-in simulated bus\n"

        "  --unit N  --baud B  --parity N|E|O  --data 7|8  --stop 1|2\n"
        "                             B: 1200 2400 4800 9600 19200 28800 38400 57600 115200\n"
        "  --simulate                 every port leads to the built-in simulated bus\n"
        "  --fast                     a reply ends at its line end, not after 50 ms of silence;\n"
        "                             after repeated trouble it falls back, said once on stderr\n"
        "  --lang 0|1|2               messages in Dutch, English or German\n"
        "  --json                     one JSON document on stdout (JSON lines: search, monitor)\n"
        "  --quiet                    no notes or progress on stderr, only errors\n"
        "  --log FILE                 every request and reply, timestamped, appended to FILE\n"
        "  --version  --help\n"
        "\n"
        "Exit status: 0 success, 1 a difference or a refusal by the controller, 2 bad usage\n"
        "or a bad file, 3 the port cannot be opened or the line was lost, 4 no reply from\n"
        "the controller, 130 interrupted (Ctrl-C).");
}

QCommandLineOption flagOption(const char* name)
{
    return QCommandLineOption(QLatin1String(name));
}

QCommandLineOption valueOption(const char* name)
{
    return QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value"));
}

CommandLine::CommandLine(const QStringList& words, const QList<QCommandLineOption>& options)
    : m_words(words), m_options(options)
{
    m_parser.addOptions(options);
    // "--" ends no options here: the parser does not see it, and it is left over.
    QStringList seen = words;
    seen.removeAll(QStringLiteral("--"));
    m_ok = m_parser.parse(QStringList{QStringLiteral("vx5x")} + seen) && seen.size() == words.size();
    // A flag may be given twice; a second value is one too many.
    for (const QCommandLineOption& o : options)
        m_ok = m_ok && (o.valueName().isEmpty() || !repeated(o.names().first()));
}

bool CommandLine::isOptionWord(const QString& word) const
{
    for (const QCommandLineOption& o : m_options)
        for (const QString& n : o.names())
            if (word == QStringLiteral("--") + n || word.startsWith(QStringLiteral("--") + n + u'='))
                return true;
    return false;
}

std::optional<QString> CommandLine::value(const QString& name) const
{
    const QStringList all = m_parser.values(name);
    if (all.isEmpty() || isOptionWord(all.first()))
        return std::nullopt;
    return all.first();
}

bool CommandLine::valueMissing(const QString& name) const
{
    // The parser counts a use that ended the line without its value, but keeps no value for it.
    const QStringList all = m_parser.values(name);
    return m_parser.optionNames().count(name) > all.size() || (!all.isEmpty() && isOptionWord(all.first()));
}

QStringList CommandLine::left() const
{
    QStringList rest = m_words;
    for (const QCommandLineOption& o : m_options) {
        const QString word = QStringLiteral("--") + o.names().first();
        if (o.valueName().isEmpty()) {
            rest.removeAll(word);
            continue;
        }
        const auto v = value(o.names().first());
        if (!v)
            continue;
        // The first use as the parser took it: "--name=value", or "--name" and the value.
        for (qsizetype i = 0; i < rest.size(); ++i) {
            if (rest[i] == word + u'=' + *v) {
                rest.removeAt(i);
                break;
            }
            if (rest[i] == word && i + 1 < rest.size() && rest[i + 1] == *v) {
                rest.remove(i, 2);
                break;
            }
        }
    }
    return rest;
}

QString CommandLine::firstUnknown() const
{
    const QStringList arguments = m_parser.positionalArguments();
    for (const QString& w : left())
        if (!arguments.contains(w))
            return w;
    return m_words.join(u' ');
}

QStringList CommandLine::argumentsBeforeUnknown() const
{
    const qsizetype at = m_ok ? m_words.size() : m_words.indexOf(firstUnknown());
    QStringList before;
    for (const QString& a : m_parser.positionalArguments())
        if (m_words.indexOf(a) < at)
            before << a;
    return before;
}

} // namespace vx::cli
