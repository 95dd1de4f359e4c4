// Every operation against every fault a serial line can bring, through the simulated
// controller on a pseudo-terminal (line errors, which a pseudo-terminal cannot carry,
// through the in-process line). Each cell checks the same promises: the operation
// ends within its bound, nothing wrong is stored, shown or written (compared with the
// simulator's own values and the replies it sent whole), and at most one message
// tells the user. The fault comes within the first few requests; a cell whose
// operation reads on after it stops the operation there. One fault that passes (a
// reply lost, cut with its rest late, stale, doubled or garbled once) costs a repeat,
// never the job: those cells let the operation run and want it complete with every
// value right. The table is printed at the end; a cell that breaks a promise fails
// the test.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "diagnostics/FormCalibratie.h"
#include "diagnostics/FormGrafiek.h"
#include "diagnostics/SpinEdit.h"
#include "params/BackupRestore.h"
#include "params/ControllerImage.h"
#include "params/FixedPoint.h"
#include "params/LeesParSoll.h"
#include "params/ParFormats.h"
#include "params/ParamService.h"
#include "params/ParameterDefs.h"
#include "params/SchrijfParSoll.h"
#include "params/TransferForm.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "sim/SimPortServer.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

using namespace vx;

namespace {

enum class F {
    NoReplyOnce,
    NoReplyAlways,
    CutInDigits,
    NoLineEnd,
    WrongLetters,
    ForeignArgs,
    Garbage,
    Er7,
    Er3,
    Framing,
    Parity,
    Overrun,
    Babble,
    Late,
    Doubled,
    Garbled,
    Unplug,
    Replug,
    PortTaken,
};

const char* faultTitle(F f)
{
    switch (f) {
    case F::NoReplyOnce: return "no reply once";
    case F::NoReplyAlways: return "no reply";
    case F::CutInDigits: return "cut";
    case F::NoLineEnd: return "no CR LF";
    case F::WrongLetters: return "letters";
    case F::ForeignArgs: return "args";
    case F::Garbage: return "garbage";
    case F::Er7: return "er 7";
    case F::Er3: return "er 3";
    case F::Framing: return "framing";
    case F::Parity: return "parity";
    case F::Overrun: return "overrun";
    case F::Babble: return "babble";
    case F::Late: return "late";
    case F::Doubled: return "dup";
    case F::Garbled: return "garbled";
    case F::Unplug: return "unplug";
    case F::Replug: return "replug";
    case F::PortTaken: return "taken";
    }
    return "?";
}

constexpr F AllFaults[] = {F::NoReplyOnce, F::NoReplyAlways, F::CutInDigits, F::NoLineEnd, F::WrongLetters, F::ForeignArgs,
                           F::Garbage, F::Er7, F::Er3, F::Framing, F::Parity, F::Overrun, F::Babble, F::Late,
                           F::Doubled, F::Garbled, F::Unplug, F::Replug, F::PortTaken};

// Faults that strike one reply only: the operation repeats and completes.
bool singleFault(F f)
{
    return f == F::NoReplyOnce || f == F::CutInDigits || f == F::Late || f == F::Doubled || f == F::Garbled;
}

sim::Fault once(sim::Fault f)
{
    f.times = 1;
    return f;
}

bool lineErrorFault(F f) { return f == F::Framing || f == F::Parity || f == F::Overrun; }

// The faulted request of an operation and where its reply's digits are.
struct Target {
    std::string request;
    int cutAt;
    bool hasArguments;
};

sim::Fault faultFor(F f, const Target& t)
{
    const std::string& c = t.request;
    switch (f) {
    case F::NoReplyOnce: return sim::Fault::noReply(c, 1);
    case F::NoReplyAlways: return sim::Fault::noReply(c);
    case F::CutInDigits: return once(sim::Fault::cut(c, 250, t.cutAt)); // the rest comes 250 ms late
    case F::NoLineEnd: return sim::Fault::noLineEnd(c);
    case F::WrongLetters: return sim::Fault::wrongEcho(c, sim::Fault::Echo::OtherLetters);
    case F::ForeignArgs:
        return sim::Fault::wrongEcho(c, t.hasArguments ? sim::Fault::Echo::OtherArguments : sim::Fault::Echo::LeadingZero);
    case F::Garbage: return sim::Fault::garbageBefore(c);
    case F::Er7: return sim::Fault::errorReply(c, 7);
    case F::Er3: return sim::Fault::errorReply(c, 3);
    case F::Framing: return sim::Fault::lineError(c, CE_FRAME, 2);
    case F::Parity: return sim::Fault::lineError(c, CE_RXPARITY, 2);
    case F::Overrun: return sim::Fault::lineError(c, CE_OVERRUN, 2);
    case F::Babble: return sim::Fault::babble(c, 3000);
    case F::Late: return once(sim::Fault::stale(c, 700)); // the whole reply after the time-out
    case F::Doubled: return once(sim::Fault::duplicate(c));
    case F::Garbled: return once(sim::Fault::corrupt(c, 7));
    case F::Unplug:
    case F::Replug: return sim::Fault::unplugAfter(1); // gone after the first reply
    case F::PortTaken: break;
    }
    return sim::Fault::noReply("never sent");
}

// The value texts of the whole, unfaulted replies to requests starting with prefix:
// the only values the tool may show or store.
QSet<QString> goodValues(const std::string& prefix, bool echoes)
{
    QSet<QString> out;
    for (const sim::LogEntry& e : sim::defaultBus().log()) {
        // The reply on which the adapter is pulled still arrives whole; a cut, late or
        // doubled reply carries the controller's own bytes, only at another time.
        const bool intact = e.faults.size() == 1
                            && (e.faults.front() == "unplug" || e.faults.front() == "cut" || e.faults.front() == "stale"
                                || e.faults.front() == "dup");
        const bool clean = e.faults.empty() || intact;
        if (e.request.rfind(prefix, 0) != 0 || !clean || e.reply.size() < 2
            || e.reply.compare(e.reply.size() - 2, 2, "\r\n") != 0)
            continue;
        const std::string head = (echoes ? e.request : e.request.substr(0, 2)) + ' ';
        const std::string body = e.reply.substr(0, e.reply.size() - 2);
        if (body.rfind(head, 0) == 0) out.insert(QString::fromStdString(body.substr(head.size())));
    }
    return out;
}

// vx5x-sim's pseudo-terminal, served from this process on the default bus.
class PtyServer {
public:
    ~PtyServer() { stop(); }
    bool start()
    {
        stop();
        m_server = std::make_unique<sim::SimPortServer>(sim::defaultBus());
        std::string error;
        if (!m_server->openPty(LineFrame{9600, 8, 'O', 1}, m_path, error)) return false;
        m_done = false;
        m_thread = std::thread([this] {
            std::string message;
            m_server->run(message);
            m_done = true;
        });
        return true;
    }
    void stop()
    {
        if (m_server) m_server->stop();
        if (m_thread.joinable()) m_thread.join();
        m_server.reset();
    }
    bool gone() const { return m_done; }
    const std::string& path() const { return m_path; }

private:
    std::unique_ptr<sim::SimPortServer> m_server;
    std::thread m_thread;
    std::string m_path;
    std::atomic<bool> m_done{false};
};

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits in a real event loop until done() or the bound; true when done.
bool waitFor(const std::function<bool()>& done, int boundMs, const std::function<void()>& tick = {})
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > boundMs) return false;
        if (tick) tick();
        waitMs(20);
    }
    return true;
}

constexpr int Bound = 8000;       // an operation's own end, fault included
constexpr int WholeBound = 90000; // a whole backup or restore at 9600 baud, a repeat included
constexpr int StopAfter = 6;      // requests past the fault after which a cell stops it
constexpr int StopBound = 3000;   // the stop itself

QString colourName(const QWidget* w) { return w->palette().color(QPalette::WindowText).name(); }

const char* const NeverFired = "fault never fired";

struct Outcome {
    QString broken; // empty: every promise kept
    bool notApplicable = false;
    bool silent = false; // kept them, but stopped without a word, as designed
};

// The faulted request of each operation.
Target targetOf(const QString& op)
{
    if (op == "connect") return {"sc 0", 3, true}; // "sc |0"
    if (op == "live" || op == "graph") return {"r0", 5, false};
    if (op == "read") return {"rs 3", 8, true};  // "rs 3 123|48"
    if (op == "write") return {"ws 3", 6, true}; // "ws 3 4|97"
    if (op == "backup") return {"rp 2", 6, true};
    if (op == "restore") return {"wp 2", 6, true};
    if (op == "service") return {"wp 12", 6, true};
    return {"kr 2042", 9, true}; // calibration: "kr 2042 1|2"
}

} // namespace

class FaultMatrix : public QObject {
    Q_OBJECT

    test::ProgramFolder m_dir;
    PtyServer m_pty;
    std::unique_ptr<TFormMain> m_main;
    test::ScriptedUi* m_ui = nullptr;
    static QMap<QString, QMap<QString, QString>> s_table; // operation -> fault -> result
    static QStringList s_operations;

    template <class W>
    W* window() const { return m_main->findChild<W*>(); }
    sim::SimBus& bus() { return sim::defaultBus(); }

    // A fresh main window on a fresh controller, its port on the pseudo-terminal (or
    // the in-process line), connected unless the cell opens the port itself.
    bool setUp(F fault, bool connect)
    {
        app() = AppState();
        resetValueStore();
        sim::resetDefaultBus();
        if (m_pty.gone() || m_pty.path().empty()) {
            if (!m_pty.start()) return false;
        }
        setPortDevicePath(1, lineErrorFault(fault) ? "sim" : m_pty.path());
        m_ui = test::ScriptedUi::install();
        m_main = test::startMain(m_dir.path(), connect ? test::Connected : test::NotConnected);
        if (!m_main) return false;
        if (connect) waitMs(50);
        bus().clearLog();
        return true;
    }

    void tearDown()
    {
        m_main.reset();
        setUiSeams(nullptr);
        sim::defaultBus().clearFaults();
        if (m_pty.gone()) m_pty.start();
    }

    int requestsSent() { return int(bus().requestCount()); }

    // Adds the fault (a replug puts the adapter back a little later).
    void inject(F fault, const Target& t)
    {
        if (fault == F::PortTaken) return;
        bus().addFault(faultFor(fault, t));
        if (fault == F::Replug)
            QTimer::singleShot(400, m_main.get(), [this] {
                bus().replug();
                m_pty.start(); // a pseudo-terminal comes back under a new name
            });
    }

    // Messages the user saw from the run (message boxes); the caller adds the status
    // panel where the window shows its failure there.
    int boxes() const { return int(m_ui->messages.size()); }

    Outcome runCell(const QString& op, F fault);

    // Runs a command that shows the transfer window w modally: answers it (OK when done,
    // Cancel when failed) from a timer, and stops it a few requests past the fault.
    // False when it took longer than its bound.
    bool runModal(TTransferForm& w, const std::function<void()>& run, bool toTheEnd = false)
    {
        const int bound = toTheEnd ? WholeBound : Bound;
        bool stopped = false;
        QTimer watch;
        watch.setInterval(20);
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!w.isVisible()) return;
            if (w.isDone() || w.failed()) {
                (w.isDone() ? w.CmdOK : w.CmdCancel)->click();
            } else if (!stopped && ((!toTheEnd && requestsSent() > 3 + StopAfter) || clock.elapsed() > bound)) {
                stopped = true;
                w.CmdCancel->click();
            }
        });
        watch.start();
        run();
        return clock.elapsed() <= bound + StopBound;
    }

    // --- operations -----------------------------------------------------------------
    Outcome connectIdentify(F fault);
    Outcome liveMonitor(F fault);
    Outcome wholeSetRead(F fault);
    Outcome wholeSetWrite(F fault);
    Outcome backup(F fault);
    Outcome restore(F fault);
    Outcome serviceWrite(F fault);
    Outcome graph(F fault);
    Outcome calibration(F fault);

    void cells(const QString& op)
    {
        QFETCH(int, fault);
        const F f = F(fault);
        const QElapsedTimer t = [] {
            QElapsedTimer e;
            e.start();
            return e;
        }();
        const Outcome o = runCell(op, f);
        QString shown = o.notApplicable ? QStringLiteral("n/a") : o.broken.isEmpty() ? QStringLiteral("pass")
                                                                                     : o.broken;
        s_table[op][faultTitle(f)] = shown;
        qInfo("%s x %s: %s (%lld ms)", qPrintable(op), faultTitle(f), qPrintable(shown), t.elapsed());
        QVERIFY2(o.broken.isEmpty(), qPrintable(o.broken));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.copyShipped({"Parameters.txt", "ParNo.txt", "Taal0.ini", "Tree0.txt"}));
        sim::installInProcessSimulator();
        QVERIFY(m_pty.start());
    }

    void cleanupTestCase()
    {
        m_pty.stop();
        // The table: one row per operation, one column per fault class.
        QString out = QStringLiteral("\n%1").arg("operation", -14);
        for (F f : AllFaults) out += QStringLiteral(" | %1").arg(faultTitle(f));
        out += u'\n';
        for (const QString& op : s_operations) {
            if (!s_table.contains(op)) continue;
            out += QStringLiteral("%1").arg(op, -14);
            for (F f : AllFaults) {
                const QString r = s_table[op].value(faultTitle(f), QStringLiteral("-"));
                out += QStringLiteral(" | %1").arg(r.section(u':', 0, 0), -int(qstrlen(faultTitle(f))));
            }
            out += u'\n';
        }
        out += QStringLiteral("(pass: every promise kept; pass*: kept, but the identification stopped without a "
                              "message, as designed; "
                              "n/a: the fault cannot reach this operation)\n");
        std::fputs(qPrintable(out), stdout);
    }

    // VX_MATRIX_OPS names the operations to run (CTest runs them in parts side by side);
    // without it, all of them.
    void matrix_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("fault");
        const QStringList wanted = qEnvironmentVariable("VX_MATRIX_OPS").split(u',', Qt::SkipEmptyParts);
        for (const QString& op : s_operations)
            if (wanted.isEmpty() || wanted.contains(op))
                for (F f : AllFaults) QTest::addRow("%s x %s", qPrintable(op), faultTitle(f)) << op << int(f);
    }
    void matrix()
    {
        QFETCH(QString, op);
        cells(op);
    }
};

QMap<QString, QMap<QString, QString>> FaultMatrix::s_table;
QStringList FaultMatrix::s_operations = {"connect", "live", "read", "write", "backup", "restore",
                                         "service", "graph", "calibration"};

Outcome FaultMatrix::runCell(const QString& op, F fault)
{
    // The port is opened by connecting only; a request without arguments has none to
    // echo wrongly.
    if ((fault == F::PortTaken && op != QLatin1String("connect"))
        || (fault == F::ForeignArgs && !targetOf(op).hasArguments)) {
        Outcome o;
        o.notApplicable = true;
        return o;
    }
    if (!setUp(fault, op != QLatin1String("connect"))) return {QStringLiteral("set-up failed")};
    // Whole backups and restores are three passes over 592 values: with replies ended
    // at their line end they take seconds, not a minute, and the faults stay the same.
    // The read and write rows keep the classic pause rule.
    if (op == "backup" || op == "restore") test::fastRepliesOn(*m_main);
    Outcome o;
    if (op == "connect") o = connectIdentify(fault);
    else if (op == "live") o = liveMonitor(fault);
    else if (op == "read") o = wholeSetRead(fault);
    else if (op == "write") o = wholeSetWrite(fault);
    else if (op == "backup") o = backup(fault);
    else if (op == "restore") o = restore(fault);
    else if (op == "service") o = serviceWrite(fault);
    else if (op == "graph") o = graph(fault);
    else if (op == "calibration") o = calibration(fault);
    // A cell whose fault never reached the line proves nothing.
    const auto log = bus().log();
    if (o.broken.isEmpty() && fault != F::PortTaken
        && std::none_of(log.begin(), log.end(), [](const sim::LogEntry& e) { return !e.faults.empty(); }))
        o.broken = QLatin1String(NeverFired);
    tearDown();
    // A pulled adapter ends the pseudo-terminal's server only when its thread notices;
    // the next cell must not find the old, dying one, so it gets a new one now.
    if (fault == F::Unplug || fault == F::Replug) m_pty.start();
    return o;
}

Outcome FaultMatrix::connectIdentify(F fault)
{
    const Target t = targetOf(QStringLiteral("connect"));
    int taken = -1;
    if (fault == F::PortTaken) {
        // Another program holds the port the way this one does: exclusive and locked.
        taken = ::open(m_pty.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (taken < 0 || ::flock(taken, LOCK_EX | LOCK_NB) != 0) return {QStringLiteral("could not take the port")};
        ::ioctl(taken, TIOCEXCL);
    }
    inject(fault, t);
    m_main->CmdSelectUnit->click();
    Outcome o;
    if (fault == F::PortTaken) {
        waitMs(300);
        ::close(taken);
        if (m_main->SXComm1()->Active()) o.broken = QStringLiteral("opened a taken port");
        else if (boxes() != 1) o.broken = QStringLiteral("%1 messages").arg(boxes());
        return o;
    }
    // Identification ends with the third text; a failed step ends it early, so the
    // line falling quiet ends it too (longer than a repeat waits for a slow reply).
    int seen = -1;
    QElapsedTimer quiet;
    quiet.start();
    const bool ended = waitFor(
        [&] { return !m_main->statusPanel(4)->text().isEmpty() || quiet.elapsed() > 1500; }, Bound, [&] {
            if (requestsSent() != seen) {
                seen = requestsSent();
                quiet.restart();
            } });
    waitMs(150);
    const QString steps[] = {"rt", "rh", "rx"};
    for (int i = 0; i < 3; ++i) {
        const QString shown = m_main->statusPanel(2 + i)->text();
        if (!shown.isEmpty() && shown != QLatin1String("????") && !goodValues(steps[i].toStdString(), false).contains(shown))
            return {QStringLiteral("shows %1").arg(shown)};
    }
    if (!ended && fault != F::Unplug && fault != F::Replug) return {QStringLiteral("hangs")};
    if (singleFault(fault) && !goodValues("rx", false).contains(m_main->statusPanel(4)->text()))
        return {QStringLiteral("identification not completed")};
    // A pulled adapter has to show: a port that still looks open leaves dead data.
    if (fault == F::Unplug && m_main->SXComm1()->Active()) return {QStringLiteral("port still open")};
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    o.silent = m_main->SXComm1()->Active() && m_main->statusPanel(4)->text().isEmpty()
               && m_main->PanelComInfo->text().isEmpty() && boxes() == 0;
    return o;
}

Outcome FaultMatrix::liveMonitor(F fault)
{
    const Target t = targetOf(QStringLiteral("live"));
    inject(fault, t);
    m_main->CmdActual->click();
    if (!app().ActualAan) return {QStringLiteral("did not start")};
    QStringList shown;
    const int start = requestsSent();
    waitFor([&] { return requestsSent() > start + 20 || m_pty.gone(); }, Bound,
            [&] { shown << m_main->PanelActPos1->text(); });
    // A lost line keeps the polling that was on for the reconnect, but nothing may
    // go over it: the port is closed and the button waits for the line.
    const bool lost = !m_main->SXComm1()->Active();
    if (lost && (fault == F::Unplug || fault == F::Replug)) {
        const int before = requestsSent();
        waitMs(300);
        if (requestsSent() != before) return {QStringLiteral("sends on a lost line")};
    } else {
        m_main->CmdActual->click();
        waitMs(100);
        if (app().ActualAan) return {QStringLiteral("cannot stop")};
    }
    const QSet<QString> good = goodValues("r0", false);
    for (const QString& s : shown) {
        if (s.isEmpty() || s == QLatin1String("????") || s == QLatin1String("?")) continue;
        bool found = false;
        // In the connected controller's own decimals, whatever set is open.
        for (const QString& g : good) found = found || FixedToText(images::connectedDecimals(), g.toInt()) == s;
        if (!found) return {QStringLiteral("showed %1").arg(s)};
    }
    if (fault == F::Unplug || fault == F::Replug) {
        const QString now = m_main->PanelActPos1->text();
        if (!now.isEmpty() && now != QLatin1String("?") && now != QLatin1String("????"))
            return {QStringLiteral("dead value %1 stays").arg(now)};
    }
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

Outcome FaultMatrix::wholeSetRead(F fault)
{
    for (int n = 1; n <= 80; ++n) bus().setSetpoint(0, n, 12345 + n);
    SollWaarden.fill(-1);
    const Target t = targetOf(QStringLiteral("read"));
    inject(fault, t);
    auto* w = window<TFormLeesParSoll>();
    w->start(1);
    bool stopped = false;
    const bool ended = waitFor([&] { return w->failed() || w->isDone() || !w->isVisible(); }, singleFault(fault) ? WholeBound : Bound, [&] {
        if (!stopped && !singleFault(fault) && requestsSent() > 3 + StopAfter) {
            stopped = true;
            w->CmdCancel->click();
        } });
    if (!ended) return {QStringLiteral("hangs")};
    for (int n = 1; n <= 80; ++n) {
        const qint32 v = w->SollwBuffer[n];
        if (v != 0 && v != bus().setpoint(0, n)) return {QStringLiteral("S%1 read as %2").arg(n).arg(v)};
    }
    if (singleFault(fault) && !w->isDone()) return {QStringLiteral("not completed")};
    if (w->failed()) {
        if (w->Panel1->text().isEmpty() || colourName(w->Panel1) != QColor(Qt::red).name())
            return {QStringLiteral("failure not shown")};
        if (w->CmdOK->isEnabled()) return {QStringLiteral("OK offered after failure")};
    }
    if (w->isDone()) w->CmdOK->click();
    else if (w->isVisible()) w->CmdCancel->click();
    if (!waitFor([&] { return !w->isVisible(); }, StopBound)) return {QStringLiteral("window stays open")};
    for (int n = 1; n <= 80; ++n)
        if (SollWaarden[n] != -1 && SollWaarden[n] != bus().setpoint(0, n))
            return {QStringLiteral("stored S%1 = %2").arg(n).arg(SollWaarden[n])};
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

Outcome FaultMatrix::wholeSetWrite(F fault)
{
    std::array<qint32, 81> before{};
    for (int n = 1; n <= 80; ++n) before[size_t(n)] = bus().setpoint(0, n);
    const Target t = targetOf(QStringLiteral("write"));
    inject(fault, t);
    auto* w = window<TFormSchrijfParSoll>();
    for (int n = 1; n <= 80; ++n) w->SollwBuffer[n] = 500 - n;
    w->start(1);
    bool stopped = false;
    const bool ended = waitFor([&] { return w->failed() || w->isDone() || !w->isVisible(); }, singleFault(fault) ? WholeBound : Bound, [&] {
        if (!stopped && !singleFault(fault) && requestsSent() > 3 + StopAfter) {
            stopped = true;
            w->CmdCancel->click();
        } });
    if (!ended) return {QStringLiteral("hangs")};
    for (int n = 1; n <= 80; ++n) {
        const qint32 v = bus().setpoint(0, n);
        if (v != before[size_t(n)] && v != 500 - n) return {QStringLiteral("S%1 written as %2").arg(n).arg(v)};
        if (singleFault(fault) && v != 500 - n) return {QStringLiteral("S%1 not written").arg(n)};
    }
    if (singleFault(fault) && !w->isDone()) return {QStringLiteral("not completed")};
    if (w->failed() && (w->Panel1->text().isEmpty() || boxes() > 1))
        return {QStringLiteral("failure shown %1 times").arg(boxes() + !w->Panel1->text().isEmpty())};
    if (w->isVisible()) w->CmdCancel->click();
    if (!waitFor([&] { return !w->isVisible(); }, StopBound)) return {QStringLiteral("window stays open")};
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

Outcome FaultMatrix::backup(F fault)
{
    const Target t = targetOf(QStringLiteral("backup"));
    auto* lees = FormLeesParSoll();
    const QString name = m_dir.filePath(QStringLiteral("cell"));
    QFile::remove(name + ".bak");
    m_ui->fileNames = {name};
    inject(fault, t);
    // The read window is modal: answer it from a timer, and stop it after the fault.
    if (!runModal(
            *lees, [&] { BackupMaken(m_main.get(), *lees); }, singleFault(fault))) return {QStringLiteral("hangs")};
    QFile f(name + ".bak");
    if (singleFault(fault) && !f.exists()) return {QStringLiteral("no backup written")};
    if (f.exists()) {
        if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("file unreadable")};
        TParWaarden p;
        TSollWaarden s;
        for (int n = 0; n <= 511; ++n) p[n] = bus().parameter(0, n);
        for (int n = 1; n <= 80; ++n) s[n] = bus().setpoint(0, n);
        if (f.readAll() != files::backupFileBytes(p, s)) return {QStringLiteral("file differs from the controller")};
    }
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

Outcome FaultMatrix::restore(F fault)
{
    TParWaarden p, before;
    TSollWaarden s, sBefore;
    for (int n = 0; n <= 511; ++n) before[n] = bus().parameter(0, n);
    for (int n = 1; n <= 80; ++n) sBefore[n] = bus().setpoint(0, n);
    p = before;
    s = sBefore;
    for (int n = 1; n <= 80; ++n) s[n] = 7 * n;
    p[1] = before[1] == 0 ? 1 : 0;
    p[2] = before[2] == 0 ? 1 : 0;
    const QString name = m_dir.filePath(QStringLiteral("cell.bak"));
    if (!files::saveAtomically(name, files::backupFileBytes(p, s))) return {QStringLiteral("no file")};
    m_ui->fileNames = {name};
    m_ui->answers = {QMessageBox::Yes};
    const Target t = targetOf(QStringLiteral("restore"));
    inject(fault, t);
    auto* schrijf = FormSchrijfParSoll();
    if (!runModal(
            *schrijf, [&] { RestoreUitvoeren(m_main.get(), *schrijf); }, singleFault(fault)))
        return {QStringLiteral("hangs")};
    const bool whole = singleFault(fault);
    for (int n = 0; n <= 511; ++n) {
        const qint32 v = bus().parameter(0, n);
        if (v != before[n] && v != p[n]) return {QStringLiteral("P%1 written as %2").arg(n).arg(v)};
        if (whole && v != p[n]) return {QStringLiteral("P%1 not written").arg(n)};
    }
    for (int n = 1; n <= 80; ++n) {
        const qint32 v = bus().setpoint(0, n);
        if (v != sBefore[n] && v != s[n]) return {QStringLiteral("S%1 written as %2").arg(n).arg(v)};
        if (whole && v != s[n]) return {QStringLiteral("S%1 not written").arg(n)};
    }
    // The question before the restore is one message; a failure may add one more.
    if (boxes() > 2) return {QStringLiteral("%1 messages").arg(boxes() - 1)};
    return {};
}

Outcome FaultMatrix::serviceWrite(F fault)
{
    const qint32 old = bus().parameter(0, 12);
    const qint32 wanted = old == parMax(12) ? old - 1 : old + 1;
    ParWaarden[12] = wanted;
    const QString s = parSection(12);
    ServicePar.Nr = s;
    ServicePar.Naam = parNaam(s);
    ServicePar.Min = parMin(s);
    ServicePar.Max = parMax(s);
    ServicePar.Waarde = QString::number(wanted);
    const Target t = targetOf(QStringLiteral("service"));
    inject(fault, t);
    auto* w = window<TFormParamService>();
    w->show();
    w->CmdZenden->click();
    const bool ended = waitFor([&] { return !w->wachten(); }, Bound);
    w->reject();
    if (!ended) return {QStringLiteral("hangs")};
    const qint32 now = bus().parameter(0, 12);
    if (now != old && now != wanted) return {QStringLiteral("P12 written as %1").arg(now)};
    if (singleFault(fault) && now != wanted) return {QStringLiteral("P12 not written")};
    if (w->PanelService->text().isEmpty()) return {QStringLiteral("no message")};
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

Outcome FaultMatrix::graph(F fault)
{
    const Target t = targetOf(QStringLiteral("graph"));
    inject(fault, t);
    auto* w = window<TFormGrafiek>();
    w->show();
    w->ComboBoxBron->setCurrentIndex(0);
    w->CmdStartLog->click();
    const int start = requestsSent();
    waitFor([&] { return requestsSent() > start + 20 || m_pty.gone(); }, 5000);
    w->CmdStopLog->click();
    waitMs(100);
    const QSet<QString> good = goodValues("r0", false);
    for (int i = 0; i <= w->LogIndex && i < int(w->LogWaarde.size()); ++i) {
        if (w->LogIndex < 0) break;
        if (!good.contains(QString::number(w->LogWaarde[size_t(i)])))
            return {QStringLiteral("sample %1 = %2").arg(i).arg(w->LogWaarde[size_t(i)])};
    }
    w->hide();
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

Outcome FaultMatrix::calibration(F fault)
{
    bus().withUnit(0, [](sim::SimUnit& u) { u.calibration = {-15, 12, 7, 1000}; });
    const Target t = targetOf(QStringLiteral("calibration"));
    inject(fault, t);
    auto* w = window<TFormCalibratie>();
    w->SpinEdit_Gain_U->setValue(77);
    w->show();
    const int start = requestsSent();
    waitFor([&] { return requestsSent() >= start + 4 || w->Panel1->text().startsWith("Communicatie error"); }, Bound);
    waitMs(300);
    w->hide();
    const int gain = w->SpinEdit_Gain_U->value();
    if (gain != 77 && gain != 12) return {QStringLiteral("gain U shows %1").arg(gain)};
    if (w->SpinEdit_Offset_U->value() != -15 && w->SpinEdit_Offset_U->value() != 0)
        return {QStringLiteral("offset U shows %1").arg(w->SpinEdit_Offset_U->value())};
    if (boxes() > 1) return {QStringLiteral("%1 messages").arg(boxes())};
    return {};
}

QTEST_MAIN(FaultMatrix)
#include "fault_matrix.moc"
