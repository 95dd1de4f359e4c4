// The line to the controller and the run's context: settings, messages, exit status.
#include "cli/Cli.h"

#include "comm/PX400Protocol.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "device/CommandSet.h"
#include "device/ControllerLine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vx::cli {

std::atomic<bool> interrupted{false};

namespace {

void onInterrupt(int)
{
    interrupted = true;
    // The next Ctrl-C ends the program the ordinary way.
    std::signal(SIGINT, SIG_DFL);
}

void print(std::FILE* f, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), f);
    std::fflush(f);
}

// Bytes as readable text: control bytes as \r, \n or \xNN.
QString escaped(const QByteArray& bytes)
{
    QString s;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\r')
            s += QStringLiteral("\\r");
        else if (b == '\n')
            s += QStringLiteral("\\n");
        else if (b < 0x20 || b >= 0x7f || b == '\\')
            s += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        else
            s += QChar(b);
    }
    return s;
}

} // namespace

void installInterruptHandler()
{
    struct sigaction sa { };
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

QString dataFolder(Context& c)
{
    // A simulated run keeps its files out of the user's own folder, and starts without
    // an earlier run's backups or history.
    if (c.opt.simulate) return c.scratchFolder();
    return paths::userDataDir();
}

QString Context::scratchFolder()
{
    if (!m_scratch) m_scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vx5x-sim-XXXXXX"));
    return m_scratch->isValid() ? m_scratch->path() : QDir::tempPath();
}

// --- Line ------------------------------------------------------------------------------

Line::Line(Context& context)
    : m_context(context), m_port(std::make_unique<TSXComm>())
{
    m_component = makeControllerComponent(m_port.get(), "PX400Cli", 0, m_port.get());
    // The search probes wrong line settings, whose garbled bytes may hold a line end.
    m_component->setEndAtLineEnd(context.opt.fast && context.opt.command != QLatin1String("search"));
    // The job goes on, many times slower: the user should know why.
    m_port->OnFastRepliesOff = [&context](TSXComm*) { context.note(texts::Main("SnelleAntwoordenUit")); };
}

Line::~Line()
{
    m_port->Close();
}

QString Line::portText() const
{
    return QString::fromStdString(m_port->devicePath());
}

bool Line::open(QString& error)
{
    if (!m_context.opt.logFile.isEmpty()) {
        m_log = std::make_unique<QFile>(m_context.opt.logFile);
        if (!m_log->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            error = m_log->errorString();
            return false;
        }
    }
    try {
        m_port->Open();
    } catch (const EComm& e) {
        error = e.text();
        return false;
    }
    return m_port->Active();
}

void Line::logLine(char direction, const QByteArray& bytes)
{
    if (!m_log)
        return;
    const QString line = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) + u' ' + QChar(direction) + u' '
                         + escaped(bytes) + u'\n';
    m_log->write(line.toUtf8());
    m_log->flush();
}

plans::Exchange Line::exchange(const QString& request, int timeoutMs)
{
    return exchange(plans::Request{request, timeoutMs});
}

plans::Exchange Line::exchange(const plans::Request& request)
{
    logLine('>', request.text.toLatin1() + '\r');
    plans::Exchange result;
    if (!m_port->Active())
        result.error.Code = CommPortClosed;
    else
        result = plans::exchangeThrough(*m_component, request);
    if (result.error.isZero())
        logLine('<', result.reply);
    else
        logLine('!', commErrorText(result.error).toUtf8() + (result.reply.isEmpty() ? QByteArray() : " " + result.reply));
    return result;
}

plans::BlockingLine Line::blockingLine(int minTimeoutMs)
{
    plans::BlockingLine line;
    line.send = [this, minTimeoutMs](const plans::Request& r) {
        plans::Request request = r;
        request.timeoutMs = std::max(r.timeoutMs, minTimeoutMs);
        return exchange(request);
    };
    line.interrupted = [] { return interrupted.load(); };
    return line;
}

// --- Context ---------------------------------------------------------------------------

void Context::error(const QString& text) const
{
    endProgress();
    print(stderr, QStringLiteral("vx5x: ") + text + u'\n');
}

void Context::note(const QString& text) const
{
    if (!opt.quiet) {
        endProgress();
        print(stderr, text + u'\n');
    }
}

namespace {
bool g_progressShown = false;
}

void Context::progress(const QString& text) const
{
    if (opt.quiet || !isatty(STDERR_FILENO))
        return;
    print(stderr, QStringLiteral("\r\x1b[K") + text);
    g_progressShown = true;
}

void Context::endProgress() const
{
    if (g_progressShown) {
        print(stderr, QStringLiteral("\r\x1b[K"));
        g_progressShown = false;
    }
}

void Context::out(const QString& line) const
{
    print(stdout, line + u'\n');
}

void Context::outJson(const QJsonValue& value, bool compact) const
{
    const auto format = compact ? QJsonDocument::Compact : QJsonDocument::Indented;
    QByteArray bytes;
    if (value.isArray())
        bytes = QJsonDocument(value.toArray()).toJson(format);
    else if (value.isObject())
        bytes = QJsonDocument(value.toObject()).toJson(format);
    else
        bytes = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1) + '\n';
    if (!bytes.endsWith('\n'))
        bytes += '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

Line* Context::line()
{
    if (m_line)
        return m_line.get();
    if (failure != ExitOk)
        return nullptr;
    auto l = std::make_unique<Line>(*this);
    // The run's settings (from application.ini and the options) go to the port.
    applyLineSettings(*this, l->port());
    QString why;
    if (!l->open(why)) {
        error(cliText("PortOpen").arg(portName, why));
        failure = ExitPort;
        return nullptr;
    }
    // Raw TCP carries no line settings: the device server's own must match.
    if (const std::string path = portDevicePath(int(l->port().PortName()) + 1); isRawNetworkPort(path)) {
        const LineFrame f = l->port().lineFrame();
        note(QStringLiteral("%1 is raw TCP: no line settings are sent; the device server must be set to %2 %3%4%5 itself.")
                 .arg(QString::fromStdString(path))
                 .arg(f.baud)
                 .arg(f.dataBits)
                 .arg(QChar::fromLatin1(f.parity))
                 .arg(f.stopBits));
    }
    m_line = std::move(l);
    return m_line.get();
}

bool Context::selectUnit()
{
    if (m_selected)
        return true;
    plans::SelectPlan plan(unit);
    plan.selectOnly();
    m_selected = runSelect(plan);
    return m_selected;
}

bool Context::runSelect(plans::SelectPlan& plan)
{
    Line* l = line();
    if (!l)
        return false;
    plan.checkEveryReply();
    // The component's own first-byte time-out, and no Ctrl-C between these few requests.
    plans::BlockingLine b = l->blockingLine(0);
    b.interrupted = nullptr;
    plans::runBlocking(plan, b);
    return plan.state() == plans::SelectPlan::State::Identified || answered(plan.failure(), plan.failedRequest());
}

bool Context::answered(const plans::Outcome& o, const QString& request)
{
    if (o.failed()) {
        transfer::Result r;
        r.outcome = o.noReply() ? transfer::Outcome::NoReply : transfer::Outcome::LineFailed;
        r.error = o.error;
        failure = transferFailure(r, request);
        return false;
    }
    if (!o.checked.ok()) {
        error(cliText("BadReply").arg(request, cmd::refusalText(o.checked)));
        failure = ExitNoReply;
        return false;
    }
    return true;
}

QString Context::itemText(transfer::Item item, int number) const
{
    switch (item) {
    case transfer::Item::Parameter: return QStringLiteral("P%1").arg(number, 3, 10, QLatin1Char('0'));
    case transfer::Item::Setpoint: return QStringLiteral("S%1").arg(number, 3, 10, QLatin1Char('0'));
    case transfer::Item::Compute: break;
    }
    return QStringLiteral("bp");
}

void Context::run(plans::Plan& plan, const QString& what)
{
    Line* l = line();
    if (!l)
        return;
    plans::ProgressFn progressFn;
    if (!what.isEmpty())
        progressFn = [this, what](const plans::Plan& p) {
            progress(QStringLiteral("%1 %2/%3").arg(what).arg(p.done()).arg(p.total()));
        };
    plans::runBlocking(plan, l->blockingLine(), progressFn);
    endProgress();
}

int Context::transferFailure(const transfer::Result& r, const QString& request)
{
    const QString what = request.isEmpty() ? itemText(r.item, r.number) : request;
    switch (r.outcome) {
    case transfer::Outcome::Done: return ExitOk;
    case transfer::Outcome::Refused:
        if (r.item == transfer::Item::Compute)
            error(cliText("BpRefused").arg(r.detail));
        else
            error(cliText("Refused").arg(what));
        return ExitDiffers;
    case transfer::Outcome::NoReply:
        error(cliText("NoReply").arg(unit).arg(portName).arg(what));
        return ExitNoReply;
    case transfer::Outcome::LineFailed:
        error(cliText("LineLost").arg(portName, commErrorText(r.error)));
        return ExitPort;
    case transfer::Outcome::BadReply:
        error(cliText("BadReply").arg(what, r.detail));
        return ExitNoReply;
    case transfer::Outcome::Stopped: error(cliText("Interrupted")); return ExitInterrupt;
    }
    return ExitNoReply;
}

QString cliText(const char* key)
{
    return vx::texts::Cli(key);
}

} // namespace vx::cli
