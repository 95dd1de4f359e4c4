// The commands that talk live: the device search, the monitor and the terminal.
#include "cli/Cli.h"

#include "core/LanguageTexts.h"
#include "core/TerminalHistory.h"
#include "device/CommandSet.h"

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
#include <string>
#include <unistd.h>

namespace vx::cli {

namespace {

transfer::Result failureOf(const transfer::Exchange& x)
{
    transfer::Result r;
    r.outcome = x.error.Code == CommTimeout ? transfer::Outcome::NoReply : transfer::Outcome::LineFailed;
    r.error = x.error;
    return r;
}

const char* parityLetter(TParityBit p)
{
    switch (p) {
    case TParityBit::None: return "N";
    case TParityBit::Even: return "E";
    case TParityBit::Odd: return "O";
    }
    return "?";
}

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

std::optional<TBaudrate> baudOf(int value)
{
    for (int i = 0; i <= int(TBaudrate::br115200); ++i)
        if (baudrateValue(TBaudrate(i)) == value)
            return TBaudrate(i);
    return std::nullopt;
}

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

} // namespace

// --- search ----------------------------------------------------------------------------

int cmdSearch(Context& c)
{
    QStringList args = c.opt.args;
    bool missing = false;
    const auto unitsText = takeValue(args, QStringLiteral("--units"), missing);
    const auto baudsText = takeValue(args, QStringLiteral("--bauds"), missing);
    const auto parityText = takeValue(args, QStringLiteral("--parity"), missing);
    QList<int> units;
    QList<TBaudrate> bauds;
    if (!parseUnits(unitsText.value_or(QStringLiteral("0-31")), units))
        missing = true;
    for (const QString& b : baudsText.value_or(QStringLiteral("9600,19200,28800,38400,57600")).split(u',')) {
        const auto rate = baudOf(b.toInt());
        if (!rate)
            missing = true;
        else
            bauds << *rate;
    }
    const QString parityMode = parityText.value_or(QStringLiteral("as-port"));
    if (parityMode != QLatin1String("auto") && parityMode != QLatin1String("as-port"))
        missing = true;
    if (missing || !args.isEmpty()) {
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
    const int total = int(bauds.size() * units.size() * parities.size());
    int probes = 0;
    int hits = 0;
    for (TBaudrate baud : bauds) {
        port.setBaudrate(baud);
        for (int unit : units) {
            for (TParityBit parity : parities) {
                if (interrupted) {
                    c.endProgress();
                    c.error(cliText("Interrupted"));
                    return ExitInterrupt;
                }
                port.setFrameParitybit(parity);
                const QString line = QStringLiteral("%1 %2%3%4")
                                         .arg(baudrateValue(baud))
                                         .arg(port.FrameDatabits() == TDataBit::db_7 ? 7 : 8)
                                         .arg(QLatin1String(parityLetter(parity)))
                                         .arg(port.FrameStopbits() == TStopBit::sb_2 ? 2 : 1);
                c.progress(QStringLiteral("search %1/%2  unit %3  %4").arg(++probes).arg(total).arg(unit).arg(line));
                const transfer::Exchange x = l->exchange(cmd::selectUnit(unit), 0);
                if (!x.error.isZero() && x.error.Code != CommTimeout && x.error.Code != CommLineError)
                    return c.transferFailure(failureOf(x), cmd::selectUnit(unit));
                if (!x.error.isZero() || !cmd::isProbeHit(x.reply, unit))
                    continue;
                QStringList ident;
                for (const char* rq : {cmd::ReadType, cmd::ReadIdent2, cmd::ReadIdent3}) {
                    const QString request = QLatin1String(rq);
                    const transfer::Exchange y = l->exchange(request, 0);
                    const cmd::CheckedReply checked = cmd::checkReply(request, y.reply);
                    ident << (y.error.isZero() && checked.ok() ? checked.value : QString());
                }
                ++hits;
                if (c.opt.json) {
                    c.endProgress();
                    c.outJson(QJsonObject{{"unit", unit},
                                          {"baud", baudrateValue(baud)},
                                          {"frame", line.section(u' ', 1)},
                                          {"rt", ident[0]},
                                          {"rh", ident[1]},
                                          {"rx", ident[2]}},
                              true);
                } else {
                    c.endProgress();
                    c.out(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                              .arg(unit, 2, 10, QLatin1Char('0'))
                              .arg(line, ident[0], ident[1], ident[2]));
                }
            }
        }
    }
    c.endProgress();
    c.note(cliText("SearchDone").arg(hits));
    return hits > 0 ? ExitOk : ExitNoReply;
}

// --- monitor ---------------------------------------------------------------------------

int cmdMonitor(Context& c)
{
    QStringList args = c.opt.args;
    bool missing = false;
    const auto rateText = takeValue(args, QStringLiteral("--rate"), missing);
    const auto valuesText = takeValue(args, QStringLiteral("--values"), missing);
    const auto countText = takeValue(args, QStringLiteral("--count"), missing);
    bool ok = true;
    const double rate = rateText ? rateText->toDouble(&ok) : 5.0;
    const bool rateOk = ok && rate > 0 && rate <= 1000;
    const int count = countText ? countText->toInt(&ok) : 0;
    static const QStringList known = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "ri", "ru", "rf"};
    const QStringList values = valuesText.value_or(QStringLiteral("r0,r4")).split(u',', Qt::SkipEmptyParts);
    bool valuesOk = !values.isEmpty();
    for (const QString& v : values)
        valuesOk = valuesOk && known.contains(v);
    if (missing || !rateOk || !ok || count < 0 || !valuesOk || !args.isEmpty()) {
        c.error(cliText("BadOption").arg(QStringLiteral("monitor ") + c.opt.args.join(u' ')));
        return ExitUsage;
    }
    if (!c.selectUnit())
        return c.failure;
    Line& l = *c.line();
    if (!c.opt.json)
        c.out(QStringLiteral("time,") + values.join(u','));
    const auto periodMs = qint64(1000.0 / rate);
    QElapsedTimer clock;
    clock.start();
    qint64 next = 0;
    for (int row = 0; (count == 0 || row < count) && !interrupted; ++row) {
        const qint64 wait = next - clock.elapsed();
        if (wait > 0)
            pause(int(wait));
        if (interrupted)
            break;
        next += periodMs;
        const QString stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
        QStringList cells{stamp};
        QJsonObject o{{"time", stamp}};
        for (const QString& v : values) {
            const int limit = v == QLatin1String("ri") || v == QLatin1String("ru") ? cmd::IoReplyLimit : cmd::ReplyLimit;
            const transfer::Exchange x = l.exchange(v, 0);
            if (!x.error.isZero())
                return c.transferFailure(failureOf(x), v);
            const cmd::CheckedReply checked = cmd::checkReply(v, x.reply, limit);
            QJsonValue jv;
            QString cell;
            if (checked.ok() && checked.number) {
                cell = QString::number(*checked.number);
                jv = *checked.number;
            } else if (checked.ok() && v == QLatin1String("rf")) {
                cell = QStringLiteral("-1"); // no error
                jv = -1;
            }
            cells << cell;
            o.insert(v, jv);
        }
        if (c.opt.json)
            c.outJson(o, true);
        else
            c.out(cells.join(u','));
    }
    return ExitOk;
}

// --- term ------------------------------------------------------------------------------

namespace {

QString historyPath(const Context& c)
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
