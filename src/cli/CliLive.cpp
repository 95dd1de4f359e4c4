// The commands that talk live: the device search, the monitor and the terminal.
#include "cli/Cli.h"

#include "core/LanguageTexts.h"
#include "core/TerminalHistory.h"
#include "device/CommandSet.h"
#include "device/ControllerLine.h"
#include "fleet/Units.h"
#include "plans/BlockingRunner.h"
#include "plans/LivePlan.h"
#include "plans/SearchPlan.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace vx::cli {

namespace {

transfer::Result failureOf(const TCommError& error)
{
    transfer::Result r;
    r.outcome = error.Code == CommTimeout ? transfer::Outcome::NoReply : transfer::Outcome::LineFailed;
    r.error = error;
    return r;
}

transfer::Result failureOf(const transfer::Exchange& x)
{
    return failureOf(x.error);
}

} // namespace

// "0-31", "5", "0,5,7-9".
bool parseUnits(const QString& text, QList<int>& units)
{
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(u'-');
        bool ok1 = false, ok2 = true;
        const int a = ends[0].toInt(&ok1);
        const int b = ends.size() > 1 ? ends[1].toInt(&ok2) : a;
        if (!ok1 || !ok2 || ends.size() > 2 || a < 0 || b > 31 || a > b)
            return false;
        for (int u = a; u <= b; ++u)
            units << u;
    }
    return !units.isEmpty();
}

namespace {

// Waits ms milliseconds with the event loop running; a Ctrl-C ends the wait early.
void pause(int ms)
{
    QElapsedTimer t;
    t.start();
    while (!interrupted && t.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(50, ms - t.elapsed()), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// The line for a plan: requests through the run's line (so --log sees them), the
// port's settings and reopening, and waits counted from the end of the last one,
// so rows keep their pace whatever their requests took.
plans::BlockingLine planLine(Line& l)
{
    plans::BlockingLine b = plans::portLine(l.port());
    b.send = [&l](const plans::Request& r) {
        const transfer::Exchange x = l.exchange(r);
        return plans::Exchange{x.error, x.reply};
    };
    auto clock = std::make_shared<QElapsedTimer>();
    auto next = std::make_shared<qint64>(0);
    clock->start();
    b.wait = [clock, next](int ms) {
        *next = std::max(*next + ms, clock->elapsed());
        pause(int(*next - clock->elapsed()));
    };
    b.interrupted = [] { return interrupted.load(); };
    return b;
}

} // namespace

// --- search ----------------------------------------------------------------------------

int cmdSearch(Context& c)
{
    const CommandLine given(c.opt.args, {valueOption("units"), valueOption("bauds"), valueOption("parity")});
    bool missing = !given.ok() || !given.left().isEmpty();
    const auto unitsText = given.value(QStringLiteral("units"));
    const auto baudsText = given.value(QStringLiteral("bauds"));
    const auto parityText = given.value(QStringLiteral("parity"));
    QList<int> units;
    QList<TBaudrate> bauds;
    if (!parseUnits(unitsText.value_or(QStringLiteral("0-31")), units))
        missing = true;
    for (const QString& b : baudsText.value_or(QStringLiteral("9600,19200,28800,38400,57600")).split(u',')) {
        const auto rate = fleet::baudOf(b.toInt());
        if (!rate)
            missing = true;
        else
            bauds << *rate;
    }
    const QString parityMode = parityText.value_or(QStringLiteral("as-port"));
    if (parityMode != QLatin1String("auto") && parityMode != QLatin1String("as-port"))
        missing = true;
    if (missing) {
        c.error(cliText("BadOption").arg(QStringLiteral("search ") + c.opt.args.join(u' ')));
        return ExitUsage;
    }
    Line* l = c.line();
    if (!l)
        return c.failure;
    TSXComm& port = l->port();
    QList<TParityBit> parities;
    if (parityMode == QLatin1String("auto"))
        parities = {TParityBit::None, TParityBit::Odd, TParityBit::Even};
    else
        parities = {port.FrameParitybit()};
    plans::SearchChoice choice;
    choice.bauds = bauds;
    choice.units = units;
    choice.parities = parities;
    choice.stops = {port.FrameStopbits()};
    auto lineText = [&port](const plans::LineSettings& s) {
        return fleet::lineText(s, port.FrameDatabits() == TDataBit::db_7 ? 7 : 8);
    };
    const plans::BlockingLine line = planLine(*l);
    int hits = 0;
    std::optional<plans::Probe> after;
    for (;;) {
        // Each find ends a plan; the next one goes on after it.
        plans::SearchPlan plan(choice, after);
        std::optional<plans::Probe> shown;
        runBlocking(plan, line, [&](const plans::Plan&) {
            if (plan.state() == plans::SearchPlan::State::Searching && shown != plan.probe()) {
                shown = plan.probe();
                c.progress(QStringLiteral("search %1/%2  unit %3  %4")
                               .arg(plan.done() + 1)
                               .arg(plan.total())
                               .arg(plan.probe().unit)
                               .arg(lineText(plan.probe().line)));
            }
        });
        const plans::Probe& p = plan.probe();
        switch (plan.state()) {
        case plans::SearchPlan::State::Found: break;
        case plans::SearchPlan::State::Searching:
        case plans::SearchPlan::State::Exhausted:
            c.endProgress();
            c.note(cliText("SearchDone").arg(hits));
            return hits > 0 ? ExitOk : ExitNoReply;
        case plans::SearchPlan::State::Stopped:
            c.endProgress();
            c.error(cliText("Interrupted"));
            return ExitInterrupt;
        case plans::SearchPlan::State::LineFailed:
            return c.transferFailure(failureOf(plan.failure().error), cmd::selectUnit(p.unit));
        case plans::SearchPlan::State::PortFailed:
            c.error(cliText("PortOpen").arg(c.portName, plan.failure().errorText));
            return ExitPort;
        }
        ++hits;
        after = p;
        const QString text = lineText(p.line);
        QStringList ident;
        for (int step = 0; step < 3; ++step)
            ident << plan.identity().at(step).value_or(QString());
        c.endProgress();
        if (c.opt.json) {
            c.outJson(QJsonObject{{"unit", p.unit},
                                  {"baud", baudrateValue(p.line.baud)},
                                  {"frame", text.section(u' ', 1)},
                                  {"rt", ident[0]},
                                  {"rh", ident[1]},
                                  {"rx", ident[2]}},
                      true);
        } else {
            c.out(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                      .arg(p.unit, 2, 10, QLatin1Char('0'))
                      .arg(text, ident[0], ident[1], ident[2]));
        }
    }
}

// --- monitor ---------------------------------------------------------------------------

int cmdMonitor(Context& c)
{
    const CommandLine line(c.opt.args,
                           {valueOption("rate"), valueOption("values"), valueOption("count"), flagOption("once")});
    const bool missing = !line.ok() || !line.left().isEmpty();
    const auto rateText = line.value(QStringLiteral("rate"));
    const auto valuesText = line.value(QStringLiteral("values"));
    const auto countText = line.value(QStringLiteral("count"));
    bool ok = true;
    const double rate = rateText ? rateText->toDouble(&ok) : 5.0;
    const bool rateOk = ok && rate > 0 && rate <= 1000;
    const int count = countText ? countText->toInt(&ok) : 0;
    static const QStringList known = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "ri", "ru", "rf"};
    const QStringList values = valuesText.value_or(QStringLiteral("r0,r4")).split(u',', Qt::SkipEmptyParts);
    bool valuesOk = !values.isEmpty();
    for (const QString& v : values)
        valuesOk = valuesOk && known.contains(v);
    if (missing || !rateOk || !ok || count < 0 || !valuesOk) {
        c.error(cliText("BadOption").arg(QStringLiteral("monitor ") + c.opt.args.join(u' ')));
        return ExitUsage;
    }
    if (!c.selectUnit())
        return c.failure;
    Line& l = *c.line();
    if (!c.opt.json)
        c.out(QStringLiteral("time,") + values.join(u','));
    plans::LiveChoice choice;
    choice.unit = c.unit;
    choice.select = false; // selected above, with its echo checked
    choice.requests = values;
    choice.periodMs = int(1000.0 / rate);
    choice.rows = count;
    // A noisy line costs a cell, never the rows; a pulled adapter is waited for
    // unless the user wants the first loss to end it.
    choice.gaps = true;
    choice.reconnect = !line.isSet(QStringLiteral("once"));
    // A pulled adapter is awaited and the same controller resumes, as in the main window.
    choice.device.path = QString::fromStdString(l.port().devicePath());
    choice.device.byId = byIdNameOf(choice.device.path);
    plans::LivePlan plan(choice);
    int shown = 0, empty = 0;
    runBlocking(plan, planLine(l), [&](const plans::Plan&) {
        if (plan.lost())
            c.note(cliText("LineLost").arg(c.portName, commErrorText(plan.failure().error)));
        if (!plan.rowReady())
            return;
        const QString stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
        QStringList cells{stamp};
        QJsonObject o{{"time", stamp}};
        for (int i = 0; i < values.size(); ++i) {
            const std::optional<qint32> v = plan.row().value(i);
            ++shown;
            empty += v ? 0 : 1;
            cells << (v ? QString::number(*v) : QString());
            o.insert(values[i], v ? QJsonValue(*v) : QJsonValue());
        }
        if (c.opt.json)
            c.outJson(o, true);
        else
            c.out(cells.join(u','));
    });
    if (empty > 0)
        c.note(QStringLiteral("%1 of %2 values lost or unusable (empty cells)").arg(empty).arg(shown));
    switch (plan.state()) {
    case plans::LivePlan::State::Failed:
    case plans::LivePlan::State::SelectFailed:
        return c.transferFailure(failureOf(plan.failure().error), plan.failedRequest());
    case plans::LivePlan::State::OtherController: {
        const plans::Identity& now = plan.reconnecting()->identity();
        c.error(cliText("LineLost").arg(c.portName, QStringLiteral("another controller answers: %1, %2 (before %3, %4)").arg(now.type.value_or(QString()), now.ident3.value_or(QString()), plan.identity().type.value_or(QString()), plan.identity().ident3.value_or(QString()))));
        return ExitPort;
    }
    default: return ExitOk;
    }
}

// --- term ------------------------------------------------------------------------------

namespace {

QString historyPath(Context& c)
{
    return dataFolder(c) + QStringLiteral("/term_history");
}

QString replyText(const QByteArray& reply)
{
    QByteArray r = reply;
    while (r.endsWith('\n') || r.endsWith('\r'))
        r.chop(1);
    QString s;
    for (char ch : r) {
        const auto b = static_cast<unsigned char>(ch);
        s += b < 0x20 || b >= 0x7f ? QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0')) : QString(QChar(b));
    }
    return s;
}

} // namespace

int cmdTerm(Context& c)
{
    QStringList requests = c.opt.args;
    const bool interactive = requests.isEmpty();
    Line* l = c.line();
    if (!l)
        return c.failure;
    // The same history as the main window's terminal: last 200, no repeats in a row.
    TerminalHistory history(interactive ? historyPath(c) : QString());
    history.load();
    bool historyWarned = false;
    int status = ExitOk;
    QJsonArray all;
    auto run = [&](const QString& request) {
        const transfer::Exchange x = l->exchange(request, 1500);
        if (!x.error.isZero()) {
            const transfer::Result r = failureOf(x);
            status = c.transferFailure(r, request);
            if (c.opt.json)
                all.append(QJsonObject{{"request", request}, {"reply", QJsonValue()}});
            return r.outcome != transfer::Outcome::LineFailed;
        }
        if (c.opt.json)
            all.append(QJsonObject{{"request", request}, {"reply", replyText(x.reply)}});
        else
            c.out(replyText(x.reply));
        return true;
    };
    if (!interactive) {
        for (const QString& r : requests)
            if (interrupted || !run(r.trimmed()))
                break;
    } else {
        const bool tty = isatty(STDIN_FILENO);
        std::string input;
        while (!interrupted) {
            if (tty)
                std::fputs("> ", stderr);
            if (!std::getline(std::cin, input))
                break;
            const QString request = QString::fromStdString(input).trimmed();
            if (request.isEmpty())
                continue;
            if (request == QLatin1String("quit") || request == QLatin1String("exit"))
                break;
            if (!history.add(request) && !historyWarned) {
                historyWarned = true;
                c.note(cliText("FileError").arg(history.fileName(), QStringLiteral("not written")));
            }
            status = ExitOk;
            if (!run(request))
                break;
        }
    }
    if (c.opt.json)
        c.outJson(all);
    return status;
}

} // namespace vx::cli
