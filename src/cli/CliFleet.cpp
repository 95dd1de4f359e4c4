// Every unit of a bus at once ("backup --all"), and the manifest check before a restore.
#include "cli/Cli.h"

#include "core/LanguageTexts.h"
#include "fleet/FleetPlans.h"
#include "fleet/Units.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

namespace vx::cli {

QString portLineText(TSXComm& port)
{
    plans::LineSettings s{port.Baudrate(), port.FrameParitybit(), port.FrameStopbits()};
    return fleet::lineText(s, port.FrameDatabits() == TDataBit::db_7 ? 7 : 8);
}

bool wantsAllUnits(const QStringList& args)
{
    return std::any_of(args.begin(), args.end(), [](const QString& a) {
        return a == QLatin1String("--all") || a.startsWith(QLatin1String("--all="));
    });
}

bool manifestAllows(Context& c, const QString& path, bool force)
{
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.read(files::BackupSize + 1) : QByteArray();
    const manifest::Checked m = manifest::check(path, bytes);
    switch (m.state) {
    case manifest::State::None: c.note(texts::Fleet("ManifestNone")); return true;
    case manifest::State::Changed:
        c.error(texts::Fleet("ManifestChanged").arg(path));
        c.failure = ExitUsage;
        return false;
    case manifest::State::Unreadable:
        c.error(texts::Fleet("ManifestUnreadable").arg(manifest::pathFor(path), m.error));
        c.failure = ExitUsage;
        return false;
    case manifest::State::Matches: break;
    }
    plans::SelectPlan who(c.unit, false);
    if (!c.runSelect(who))
        return false;
    const QString rt = who.identity().type.value_or(QString());
    const QString rx = who.identity().ident3.value_or(QString());
    if (!manifest::otherController(m.manifest, rt, rx))
        return true;
    const QString text = texts::Fleet("OtherController")
                             .replace(u'|', u'\n')
                             .arg(manifest::controllerText(m.manifest.rt, m.manifest.rx), manifest::controllerText(rt, rx))
                             .section(u'\n', 0, 2);
    if (force) {
        c.note(text);
        return true;
    }
    c.error(text + QStringLiteral("\n--force writes it all the same."));
    c.failure = ExitDiffers;
    return false;
}

namespace {

// The units a search on the run's port finds.
bool searchUnits(Context& c, const plans::SearchChoice& choice, QList<fleet::KnownUnit>& found)
{
    Line* l = c.line();
    if (!l)
        return false;
    plans::BlockingLine line = plans::portLine(l->port());
    const plans::BlockingLine requests = l->blockingLine(0);
    line.send = requests.send;
    line.interrupted = requests.interrupted;
    fleet::BusSearchPlan plan(choice);
    plans::runBlocking(plan, line, [&](const plans::Plan& p) {
        c.progress(QStringLiteral("search %1/%2").arg(p.done() + 1).arg(p.total()));
    });
    c.endProgress();
    const int dataBits = l->port().FrameDatabits() == TDataBit::db_7 ? 7 : 8;
    for (const fleet::BusSearchPlan::Hit& h : plan.hits())
        found << fleet::foundUnit(c.portName, h.probe, h.identity, dataBits);
    switch (plan.state()) {
    case plans::SearchPlan::State::Stopped:
        c.error(cliText("Interrupted"));
        c.failure = ExitInterrupt;
        return false;
    case plans::SearchPlan::State::LineFailed:
    case plans::SearchPlan::State::PortFailed:
        c.error(cliText("PortOpen").arg(c.portName, plan.failure().errorText));
        c.failure = ExitPort;
        return false;
    default: return true;
    }
}

} // namespace

int cmdBackupAll(Context& c)
{
    const CommandLine given(c.opt.args, {valueOption("all"), valueOption("units"), valueOption("bauds"),
                                         valueOption("parity"), flagOption("remembered")});
    const auto dir = given.value(QStringLiteral("all"));
    QList<int> units;
    QList<TBaudrate> bauds;
    bool bad = !given.ok() || !given.left().isEmpty() || !dir || dir->isEmpty()
               || !parseUnits(given.value(QStringLiteral("units")).value_or(QStringLiteral("0-31")), units);
    for (const QString& b :
         given.value(QStringLiteral("bauds")).value_or(QStringLiteral("9600,19200,28800,38400,57600")).split(u',')) {
        const auto rate = fleet::baudOf(b.toInt());
        bad = bad || !rate;
        if (rate)
            bauds << *rate;
    }
    const QString parity = given.value(QStringLiteral("parity")).value_or(QStringLiteral("as-port"));
    bad = bad || (parity != QLatin1String("auto") && parity != QLatin1String("as-port"));
    if (bad) {
        c.error(cliText("BadOption").arg(QStringLiteral("backup ") + c.opt.args.join(u' ')));
        return ExitUsage;
    }
    if (!QDir().mkpath(*dir)) {
        c.error(cliText("FileError").arg(*dir, QStringLiteral("cannot create the folder")));
        return ExitUsage;
    }
    Line* l = c.line();
    if (!l)
        return c.failure;
    const QString data = dataFolder(c);
    QList<fleet::KnownUnit> targets;
    if (given.isSet(QStringLiteral("remembered"))) {
        for (const fleet::KnownUnit& u : fleet::loadUnits(data))
            if (u.port == c.portName && units.contains(u.unit))
                targets << u;
    } else {
        plans::SearchChoice choice;
        choice.bauds = bauds;
        choice.units = units;
        choice.parities = parity == QLatin1String("auto")
                              ? QList<TParityBit>{TParityBit::None, TParityBit::Odd, TParityBit::Even}
                              : QList<TParityBit>{l->port().FrameParitybit()};
        choice.stops = {l->port().FrameStopbits()};
        if (!searchUnits(c, choice, targets))
            return c.failure;
        fleet::saveUnits(data, fleet::merged(fleet::loadUnits(data), targets));
    }
    if (targets.isEmpty()) {
        c.error(cliText("SearchDone").arg(0));
        return ExitNoReply;
    }
    const QString folder = QDir(*dir).absolutePath();
    const QString port = c.portName;
    fleet::BackupAllPlan plan(targets, [&](const fleet::KnownUnit& u, const TParWaarden& par, const TSollWaarden& soll,
                                           QString& error) {
        return fleet::saveUnitBackup(folder, port, u, par, soll, error);
    });
    plans::BlockingLine line = plans::portLine(l->port());
    const plans::BlockingLine requests = l->blockingLine(0);
    line.send = requests.send;
    line.interrupted = requests.interrupted;
    plans::runBlocking(plan, line, [&](const plans::Plan&) {
        if (plan.current() < targets.size())
            c.progress(QStringLiteral("backup unit %1 (%2 of %3)  %4/%5")
                           .arg(targets[plan.current()].unit)
                           .arg(plan.current() + 1)
                           .arg(targets.size())
                           .arg(plan.done())
                           .arg(plan.total()));
    });
    c.endProgress();
    manifest::rememberFolder(data, folder);
    QJsonArray rows;
    for (const fleet::UnitBackup& b : plan.results()) {
        const QString who = QStringLiteral("%1 %2").arg(b.unit.rt.left(4), b.unit.rx).trimmed();
        if (c.opt.json)
            rows.append(QJsonObject{{"unit", b.unit.unit},
                                    {"line", fleet::lineText(b.unit.line, b.unit.dataBits)},
                                    {"rt", b.unit.rt},
                                    {"rx", b.unit.rx},
                                    {"ok", b.ok},
                                    {"file", b.path},
                                    {"reason", b.reason}});
        else
            c.out(QStringLiteral("%1\t%2\t%3\t%4")
                      .arg(b.unit.unit, 2, 10, QLatin1Char('0'))
                      .arg(who, b.ok ? QStringLiteral("done") : QStringLiteral("failed"), b.ok ? b.path : b.reason));
    }
    const int failed = plan.failed();
    const int done = int(plan.results().size()) - failed;
    if (c.opt.json)
        c.outJson(QJsonObject{{"done", done}, {"failed", failed}, {"units", rows}});
    c.note(QStringLiteral("backup --all: %1 done, %2 failed").arg(done).arg(failed));
    if (interrupted)
        return ExitInterrupt;
    return failed > 0 ? ExitNoReply : ExitOk;
}

} // namespace vx::cli
