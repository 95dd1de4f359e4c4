#pragma once
// vx5x: the command-line front end. One Context per run carries the options, the
// settings, the messages and, once a command needs it, the line to the controller.
#include "comm/SXComm.h"
#include "params/SetTransfer.h"
#include "plans/BlockingRunner.h"
#include "plans/LiveSelect.h"

#include <QCommandLineParser>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <optional>

class QFile;

namespace vx {
class TPX400Protocol;
class LangSection;
} // namespace vx

namespace vx::transfer {
// One request's reply or failure, by the name the commands know it.
using Exchange = plans::Exchange;
} // namespace vx::transfer

namespace vx::cli {

// Exit status, the same for every command.
enum Exit {
    ExitOk = 0,
    ExitDiffers = 1,     // a difference, or the controller refused something
    ExitUsage = 2,       // bad usage or a bad file
    ExitPort = 3,        // the port cannot be opened, or the line was lost
    ExitNoReply = 4,     // the controller does not answer
    ExitInterrupt = 130, // Ctrl-C, as shells count it
};

struct Options {
    QString port;
    std::optional<int> unit, baud, dataBits, stopBits;
    std::optional<char> parity; // 'N', 'E', 'O'
    bool simulate = false;
    bool fast = false; // replies end at their line end, not after a pause
    bool json = false;
    bool quiet = false;
    int lang = -1;
    QString logFile;
    QString command;
    QStringList args; // the command's own arguments and options
};

class Context;
// The user's data folder (safety backups, terminal history).
QString dataFolder(Context& c);

// Set by the first Ctrl-C; a second one ends the program at once.
extern std::atomic<bool> interrupted;
void installInterruptHandler();

class Context;

// The line to one controller: the port, one protocol component, one request at a time.
class Line {
public:
    explicit Line(Context& context);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Opens the port with the run's settings; on failure the message says why.
    bool open(QString& error);
    plans::Exchange exchange(const QString& request, int timeoutMs);
    // A plan's request, with its reply rule and settle.
    plans::Exchange exchange(const plans::Request& request);
    // For values: the first reply byte may take at least MinValueTimeoutMs, so a
    // loaded PC or a USB adapter's latency does not end a long transfer.
    static constexpr int MinValueTimeoutMs = 500;
    // The line for a plan: every request through exchange(), so the traffic log
    // keeps it; Ctrl-C stops the plan between requests.
    plans::BlockingLine blockingLine(int minTimeoutMs = MinValueTimeoutMs);
    TSXComm& port() { return *m_port; }
    QString portText() const;

private:
    void logLine(char direction, const QByteArray& bytes);
    Context& m_context;
    std::unique_ptr<TSXComm> m_port;
    TPX400Protocol* m_component = nullptr;
    std::unique_ptr<QFile> m_log;
};

class Context {
public:
    Options opt;
    int unit = 0;
    QString portName; // as given or from the settings: "COM1", "/dev/ttyUSB0", "sim"

    // Messages on stderr: errors always, notes unless --quiet.
    void error(const QString& text) const;
    void note(const QString& text) const;
    // A progress line on stderr, only when it is a terminal and not --quiet.
    void progress(const QString& text) const;
    void endProgress() const;
    // Machine output on stdout.
    void out(const QString& line) const;
    void outJson(const QJsonValue& value, bool compact = false) const;

    // The line, opened on first use (selects the unit). Null after a failure, whose
    // exit status is in failure.
    Line* line();
    int failure = ExitOk;
    // Sends "sc unit" and checks the echo; false with the message and failure set.
    bool selectUnit();
    // Runs a select plan that checks every reply; false with the message and failure set.
    bool runSelect(plans::SelectPlan& plan);
    // Whether o answers request; if not, the message and failure are set.
    bool answered(const plans::Outcome& o, const QString& request);

    // Reports a transfer's failure and returns its exit status.
    int transferFailure(const transfer::Result& r, const QString& request = QString());
    QString itemText(transfer::Item item, int number) const;
    // Runs plan on the line, showing "what done/total" as it goes.
    void run(plans::Plan& plan, const QString& what = QString());

    // A simulated run's data folder: made on first use, removed at the end of the run.
    QString scratchFolder();

private:
    std::unique_ptr<Line> m_line;
    bool m_selected = false;
    std::unique_ptr<QTemporaryDir> m_scratch;
};

// Puts the run's line settings (application.ini, then the options) on a port.
void applyLineSettings(Context& c, TSXComm& port);

// A text of the [Cli] language-file section.
QString cliText(const char* key);

// Command entry points; args are the command's own.
int cmdPorts(Context& c);
int cmdInfo(Context& c);
int cmdGet(Context& c);
int cmdSet(Context& c);
int cmdRead(Context& c);
int cmdWrite(Context& c);
int cmdBackup(Context& c);
// "backup --all DIR": every unit found or remembered, each in turn.
int cmdBackupAll(Context& c);
bool wantsAllUnits(const QStringList& args);
// The manifest beside a backup before it is restored: a changed file is refused, and
// another controller's backup unless forced; a file without one goes with a note.
// False with the message and failure set.
bool manifestAllows(Context& c, const QString& path, bool force);
// "0-31", "5", "0,5,7-9" (search and backup --all).
bool parseUnits(const QString& text, QList<int>& units);
// "9600 8E1" of an open port.
QString portLineText(TSXComm& port);
int cmdRestore(Context& c);
int cmdDiff(Context& c);
int cmdSearch(Context& c);
int cmdMonitor(Context& c);
int cmdTerm(Context& c);

// Help texts (English): the overview, and one command's.
QString helpText();
QString commandHelp(const QString& command);
bool isCommand(const QString& command);

// A command's own options, read by QCommandLineParser: "--name", "--name value" or
// "--name=value". "--" is not taken as the end of the options: it is reported as any
// other word the command does not know.
class CommandLine {
public:
    CommandLine(const QStringList& words, const QList<QCommandLineOption>& options);
    // Every word is an option the command knows (a value with each that takes one)
    // or an argument.
    bool ok() const { return m_ok; }
    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    // The value of an option's first use; none when it is not given.
    std::optional<QString> value(const QString& name) const;
    // Used more than once.
    bool repeated(const QString& name) const { return m_parser.optionNames().count(name) > 1; }
    // Given last, without its value.
    bool valueMissing(const QString& name) const;
    QStringList arguments() const { return m_parser.positionalArguments(); }
    // The words, as given, that are left when each option's first use (and every use
    // of a flag) is taken out.
    QStringList left() const;
    // The first word that is neither a flag as given nor an argument.
    QString firstUnknown() const;
    // The arguments given before that word (all of them when the line is ok), so a
    // command reports its first fault in the order given.
    QStringList argumentsBeforeUnknown() const;

private:
    // "--name" or "--name=..." of an option of this command: never taken as another's
    // value ("read --setpoints --params" lacks a file name; it does not name one "--params").
    bool isOptionWord(const QString& word) const;

    QStringList m_words;
    QList<QCommandLineOption> m_options;
    QCommandLineParser m_parser;
    bool m_ok = false;
};

QCommandLineOption flagOption(const char* name);
QCommandLineOption valueOption(const char* name);

} // namespace vx::cli
