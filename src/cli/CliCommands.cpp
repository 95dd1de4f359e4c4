// The commands that read and write values: info, get, set, read, write, backup,
// restore, diff, and the port list.
#include "cli/Cli.h"
#include "cli/CliFiles.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/SerialDevices.h"
#include "core/SettingsFile.h"
#include "device/CommandSet.h"
#include "params/Compare.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"
#include "params/ParamText.h"
#include "params/ParameterDefs.h"
#include "params/SafetyBackup.h"
#include "params/Verify.h"
#include "plans/LiveSelect.h"
#include "plans/SafeWritePlan.h"
#include "plans/TransferPlans.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>

namespace vx::cli {

namespace {

QString parLabel(int nr)
{
    return QStringLiteral("P%1").arg(nr, 3, 10, QLatin1Char('0'));
}

// Unused arguments are a usage error, so a mistyped option is never ignored.
bool noneLeft(Context& c, const CommandLine& line)
{
    const QStringList args = line.left();
    if (args.isEmpty())
        return true;
    c.error(cliText("BadOption").arg(args.join(u' ')));
    c.failure = ExitUsage;
    return false;
}

// One value through its plan.
transfer::Result runValue(Context& c, const plans::ValuePlan::Job& job, qint32* value = nullptr)
{
    plans::ValuePlan plan(job);
    c.run(plan);
    if (value)
        *value = plan.value();
    return plan.result();
}

// Parameter 203, which scales every dec 9 parameter and every setpoint.
std::optional<qint32> readDecimals(Context& c)
{
    qint32 v = 0;
    const transfer::Result r = runValue(c, plans::ValuePlan::readParameter(ParDecimalsParameter), &v);
    if (!r.ok()) {
        c.failure = c.transferFailure(r);
        return std::nullopt;
    }
    return v;
}

bool needsDecimals(int nr)
{
    return parDec(nr) == 9;
}

// A parameter by number or name; false with the message when there is none.
bool resolve(Context& c, const QString& text, int& nr)
{
    const partext::Lookup l = partext::findParameter(text);
    if (l.number >= 0) {
        nr = l.number;
        return true;
    }
    if (!l.ambiguous.isEmpty())
        c.error(cliText("Ambiguous").arg(text, l.ambiguous.mid(0, 6).join(QStringLiteral(", "))));
    else if (!l.suggestion.isEmpty())
        c.error(cliText("UnknownParameter").arg(text, l.suggestion));
    else
        c.error(cliText("UnknownParameterNoHint").arg(text));
    c.failure = ExitUsage;
    return false;
}

bool save(Context& c, const QString& path, const QByteArray& bytes)
{
    QString why;
    if (!files::saveAtomically(path, bytes, &why)) {
        c.error(cliText("FileError").arg(path, why));
        c.failure = ExitUsage;
        return false;
    }
    c.note(cliText("Saved").arg(path));
    return true;
}

// The user's data folder for safety backups.
QString safetyFolder(Context& c)
{
    return dataFolder(c) + QStringLiteral("/Backups");
}

QJsonObject rowJson(const compare::Row& r)
{
    QJsonObject o{{"kind", r.setpoint ? "setpoint" : "parameter"},
                  {"number", r.number},
                  {"a", r.textA},
                  {"b", r.textB},
                  {"rawA", r.a},
                  {"rawB", r.b}};
    if (!r.setpoint)
        o.insert("name", r.name);
    return o;
}

void printRows(Context& c, const QList<compare::Row>& rows)
{
    for (const compare::Row& r : rows) {
        const QString label = r.setpoint ? QStringLiteral("S%1").arg(r.number, 3, 10, QLatin1Char('0')) : parLabel(r.number);
        c.out(label + u'\t' + r.name + u'\t' + r.textA + u'\t' + r.textB);
    }
}

// Values outside the definitions' limits would be refused half-way through a write.
bool withinLimits(Context& c, const compare::ValueSet& v)
{
    if (!v.hasParameters)
        return true;
    QStringList bad;
    const qint32 p203 = v.par.value(ParDecimalsParameter);
    for (int n = TParWaarden::first; n <= TParWaarden::last; ++n) {
        if (!parExists(n) || parMin(n) > parMax(n))
            continue;
        const qint32 x = v.par.value(n);
        if (x < parMin(n) || x > parMax(n))
            bad << cliText("OutOfRange").arg(parLabel(n), parNaam(n), partext::scaledText(n, x, p203), partext::limitsText(n, p203));
    }
    for (const QString& b : bad.mid(0, 10))
        c.error(b);
    if (!bad.isEmpty())
        c.failure = ExitUsage;
    return bad.isEmpty();
}

} // namespace

// --- ports -----------------------------------------------------------------------------

int cmdPorts(Context& c)
{
    if (!noneLeft(c, CommandLine(c.opt.args, {})))
        return c.failure;
    SettingsFile ini;
    ini.load(settingsFilePath());
    QJsonArray all;
    for (const SerialDevice& d : scanSerialDevices()) {
        // The COM name that leads here: a [Poorten] entry, else the default ttyS mapping.
        QString com;
        for (int n = 1; n <= 16 && com.isEmpty(); ++n) {
            QString path = ini.readString(QStringLiteral("Poorten"), QStringLiteral("COM%1").arg(n), QString());
            if (path.isEmpty())
                path = QStringLiteral("/dev/ttyS%1").arg(n - 1);
            if (path == d.path || (!d.byId.isEmpty() && path == d.byId))
                com = QStringLiteral("COM%1").arg(n);
        }
        if (c.opt.json) {
            all.append(QJsonObject{{"path", d.path}, {"byId", d.byId}, {"com", com}, {"maker", d.maker}, {"product", d.product}});
        } else {
            QString line = d.path + u'\t' + (com.isEmpty() ? QStringLiteral("-") : com) + u'\t'
                           + (d.byId.isEmpty() ? QStringLiteral("-") : d.byId);
            const QString what = (d.maker + u' ' + d.product).trimmed();
            if (!what.isEmpty())
                line += u'\t' + what;
            c.out(line);
        }
    }
    // Device servers on the network that COM names lead to.
    for (int n = 1; n <= 16; ++n) {
        const QString path = ini.readString(QStringLiteral("Poorten"), QStringLiteral("COM%1").arg(n), QString());
        if (!isNetworkPort(path.toStdString()))
            continue;
        const QString what = isRawNetworkPort(path.toStdString())
                                 ? QStringLiteral("network, raw TCP (the device server's own line settings must match)")
                                 : QStringLiteral("network, RFC 2217");
        const QString com = QStringLiteral("COM%1").arg(n);
        if (c.opt.json)
            all.append(QJsonObject{{"path", path}, {"byId", QString()}, {"com", com}, {"maker", QString()}, {"product", what}});
        else
            c.out(path + u'\t' + com + QStringLiteral("\t-\t") + what);
    }
    if (c.opt.json)
        c.outJson(all);
    return ExitOk;
}

// --- info ------------------------------------------------------------------------------

int cmdInfo(Context& c)
{
    if (!noneLeft(c, CommandLine(c.opt.args, {})) || !c.selectUnit())
        return c.failure;
    plans::SelectPlan ident(c.unit, false);
    if (!c.runSelect(ident))
        return c.failure;
    QStringList values;
    for (int step = 0; step < 3; ++step)
        values << ident.identity().at(step).value_or(QString());
    const QString rq = QLatin1String(cmd::ReadError);
    const plans::Exchange x = c.line()->exchange(rq, 0);
    const plans::Outcome o = x.error.isZero() ? plans::Outcome::replied(rq, x.reply) : plans::Outcome::failure(x.error, x.reply);
    if (!c.answered(o, rq))
        return c.failure;
    values << o.checked.value;
    const bool noError = cmd::isNoError(values[3]);
    if (c.opt.json) {
        c.outJson(QJsonObject{{"unit", c.unit},
                              {"port", c.portName},
                              {"type", cmd::controllerType(values[0])},
                              {"rt", values[0]},
                              {"rh", values[1]},
                              {"rx", values[2]},
                              {"error", noError ? QJsonValue() : QJsonValue(values[3].toInt())}});
    } else {
        c.out(QStringLiteral("unit\t%1").arg(c.unit));
        c.out(QStringLiteral("rt\t") + values[0]);
        c.out(QStringLiteral("rh\t") + values[1]);
        c.out(QStringLiteral("rx\t") + values[2]);
        c.out(QStringLiteral("error\t") + (noError ? QStringLiteral("-") : values[3]));
    }
    return ExitOk;
}

// --- get / set -------------------------------------------------------------------------

int cmdGet(Context& c)
{
    const CommandLine line(c.opt.args, {flagOption("raw")});
    const bool raw = line.isSet(QStringLiteral("raw"));
    if (line.left().isEmpty()) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("get")));
        return ExitUsage;
    }
    QList<int> numbers;
    for (const QString& a : line.argumentsBeforeUnknown()) {
        int nr = 0;
        if (!resolve(c, a, nr))
            return c.failure;
        numbers << nr;
    }
    if (!line.ok()) {
        c.error(cliText("BadOption").arg(line.firstUnknown()));
        return ExitUsage;
    }
    if (!c.selectUnit())
        return c.failure;
    qint32 p203 = 0;
    if (!raw && std::any_of(numbers.begin(), numbers.end(), needsDecimals)) {
        const auto d = readDecimals(c);
        if (!d)
            return c.failure;
        p203 = *d;
    }
    QJsonArray all;
    for (int nr : numbers) {
        qint32 v = 0;
        const transfer::Result r = runValue(c, plans::ValuePlan::readParameter(nr), &v);
        if (!r.ok())
            return c.transferFailure(r);
        const QString text = raw ? QString::number(v) : partext::scaledText(nr, v, p203);
        if (c.opt.json)
            all.append(QJsonObject{{"number", nr}, {"name", parNaam(nr)}, {"value", text}, {"raw", v}});
        else
            c.out(parLabel(nr) + u'\t' + parNaam(nr) + u'\t' + text);
    }
    if (c.opt.json)
        c.outJson(all);
    return ExitOk;
}

int cmdSet(Context& c)
{
    const CommandLine line(c.opt.args, {flagOption("raw"), flagOption("no-check")});
    const bool raw = line.isSet(QStringLiteral("raw"));
    const bool noCheck = line.isSet(QStringLiteral("no-check"));
    if (line.left().isEmpty()) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("set")));
        return ExitUsage;
    }
    struct Item {
        int nr;
        QString text;
        qint32 value = 0;
    };
    QList<Item> items;
    for (const QString& a : line.argumentsBeforeUnknown()) {
        const qsizetype eq = a.indexOf(u'=');
        if (eq <= 0) {
            c.error(cliText("BadOption").arg(a));
            return ExitUsage;
        }
        int nr = 0;
        if (!resolve(c, a.left(eq), nr))
            return c.failure;
        items << Item{nr, a.mid(eq + 1)};
    }
    if (!line.ok()) {
        c.error(cliText("BadOption").arg(line.firstUnknown()));
        return ExitUsage;
    }
    // Everything is checked before the first byte goes out; only dec 9 values need
    // the controller's parameter 203 first.
    const bool needs203 = !raw && std::any_of(items.begin(), items.end(), [](const Item& i) { return needsDecimals(i.nr); });
    qint32 p203 = 0;
    if (needs203) {
        if (!c.selectUnit())
            return c.failure;
        const auto d = readDecimals(c);
        if (!d)
            return c.failure;
        p203 = *d;
    }
    for (Item& i : items) {
        const partext::Parsed p = partext::parseValue(i.nr, i.text, p203, raw);
        if (p.kind == partext::Parsed::Malformed) {
            c.error(cliText("BadValue").arg(parLabel(i.nr), parNaam(i.nr), i.text));
            return ExitUsage;
        }
        if (p.kind == partext::Parsed::OutOfRange) {
            c.error(cliText("OutOfRange").arg(parLabel(i.nr), parNaam(i.nr), i.text, partext::limitsText(i.nr, p203)));
            return ExitUsage;
        }
        i.value = p.value;
    }
    if (!c.selectUnit())
        return c.failure;
    QJsonArray done;
    int status = ExitOk;
    for (const Item& i : items) {
        const transfer::Result r = runValue(c, plans::ValuePlan::writeParameter(i.nr, i.value));
        if (r.outcome == transfer::Outcome::Refused) {
            c.error(cliText("Refused").arg(parLabel(i.nr) + u' ' + parNaam(i.nr) + QStringLiteral(" = ") + i.text));
            status = ExitDiffers;
            break;
        }
        if (!r.ok())
            return c.transferFailure(r);
        done.append(QJsonObject{{"number", i.nr}, {"name", parNaam(i.nr)}, {"raw", i.value}});
    }
    QJsonObject result{{"set", done}};
    // Values the controller took before a refusal still get their "bp", so it does
    // not run on values it never computed from.
    if (!noCheck && !done.isEmpty()) {
        const transfer::Result bp = runValue(c, plans::ValuePlan::compute());
        if (bp.outcome == transfer::Outcome::Refused) {
            result.insert("bp", bp.detail);
            c.error(cliText("BpRefused").arg(bp.detail));
            status = ExitDiffers;
        } else if (!bp.ok()) {
            return c.transferFailure(bp);
        } else {
            result.insert("bp", "-1");
        }
    }
    if (c.opt.json)
        c.outJson(result);
    return status;
}

// --- read / write ----------------------------------------------------------------------

int cmdRead(Context& c)
{
    const CommandLine line(c.opt.args, {valueOption("params"), valueOption("setpoints")});
    const auto parFile = line.value(QStringLiteral("params"));
    const auto sollFile = line.value(QStringLiteral("setpoints"));
    // Only a first use without its value is missing; a later one is left over.
    const bool missing = (!parFile && line.valueMissing(QStringLiteral("params")))
                         || (!sollFile && line.valueMissing(QStringLiteral("setpoints")));
    if (missing || (!parFile && !sollFile)) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("read --params FILE.app | --setpoints FILE.aps")));
        return ExitUsage;
    }
    if (!noneLeft(c, line) || !c.selectUnit())
        return c.failure;
    TParWaarden par;
    TSollWaarden soll;
    plans::SetReadPlan plan({bool(parFile), bool(sollFile)}, par, soll);
    c.run(plan, QStringLiteral("read"));
    const transfer::Result& r = plan.result();
    if (!r.ok())
        return c.transferFailure(r);
    if (parFile && !save(c, *parFile, files::parameterFileText(c.unit, par)))
        return c.failure;
    if (sollFile && !save(c, *sollFile, files::setpointFileText(c.unit, soll)))
        return c.failure;
    if (c.opt.json)
        c.outJson(QJsonObject{{"unit", c.unit}, {"values", r.confirmed}});
    return ExitOk;
}

namespace {

// The value before the one a write stopped at, in the order of writing; empty
// when there is none.
QString lastConfirmedBefore(const Context& c, const transfer::Result& r, bool parameters)
{
    if (r.item == transfer::Item::Parameter && r.number > TParWaarden::first)
        return c.itemText(r.item, r.number - 1);
    if (r.item == transfer::Item::Setpoint && r.number > TSollWaarden::first)
        return c.itemText(r.item, r.number - 1);
    if (r.item == transfer::Item::Setpoint && parameters)
        return c.itemText(transfer::Item::Parameter, TParWaarden::last);
    return QString();
}

// A write that did not end cleanly: why, and how far it came. stand: how a write
// that got every value out stands ("592 of 592 written; 'bp' not confirmed ...").
int writeFailure(Context& c, const transfer::Result& r, int total, bool parameters, const QString& stand,
                 const plans::ValueRefs* confirmed = nullptr)
{
    if (r.ok())
        return ExitOk;
    const bool refused = r.outcome == transfer::Outcome::Refused;
    if (refused && r.item != transfer::Item::Compute) {
        const QString item = r.item == transfer::Item::Parameter ? parLabel(r.number) + u' ' + parNaam(r.number)
                                                                 : c.itemText(r.item, r.number);
        c.error(cliText("Refused").arg(item));
    } else if (r.outcome != transfer::Outcome::Stopped) {
        c.transferFailure(r);
    }
    if (r.item == transfer::Item::Compute) {
        c.error(stand.isEmpty() ? texts::Verify(refused ? "Written" : "WrittenBpOpen").arg(r.confirmed).arg(total)
                                : stand);
    } else {
        // The value in flight may or may not have been taken.
        const QString at = c.itemText(r.item, r.number);
        // A write of the differing values only skips numbers: the last one confirmed
        // is the last the controller said yes to, not the number before.
        const QString before = !confirmed             ? lastConfirmedBefore(c, r, parameters)
                               : confirmed->isEmpty() ? QString()
                                                      : c.itemText(confirmed->last().item, confirmed->last().number);
        // Nothing confirmed and the value refused: the controller holds only old values.
        c.error(cliText(!refused ? "WriteStopped" : r.confirmed == 0 ? "WriteRefusedNone"
                                                                     : "WriteRefusedAt")
                    .arg(r.confirmed)
                    .arg(total)
                    .arg(at, before.isEmpty() ? QString() : cliText("UpTo").arg(before)));
    }
    switch (r.outcome) {
    case transfer::Outcome::Stopped: return ExitInterrupt;
    case transfer::Outcome::Refused: return ExitDiffers;
    case transfer::Outcome::LineFailed: return ExitPort;
    default: return ExitNoReply;
    }
}

// Writes a file's values; says how far it came when it stops.
int writeValues(Context& c, const compare::ValueSet& v, bool compute, const QString& what)
{
    plans::SetWritePlan plan({v.hasParameters, v.hasSetpoints}, v.par, v.soll, compute);
    c.run(plan, what);
    return writeFailure(c, plan.result(), plan.total(), v.hasParameters, QString());
}

} // namespace

int cmdWrite(Context& c)
{
    const CommandLine line(c.opt.args, {flagOption("no-limits")});
    const bool noLimits = line.isSet(QStringLiteral("no-limits"));
    const QStringList args = line.arguments();
    if (!line.ok() || args.size() != 1) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("write FILE.app|FILE.aps")));
        return ExitUsage;
    }
    const LoadedFile f = loadValueFile(args[0]);
    if (!f.error.isEmpty() || f.kind == FileKind::Backup) {
        c.error(cliText("FileError").arg(args[0], f.error.isEmpty() ? cliText("UseRestore") : f.error));
        return ExitUsage;
    }
    if (!noLimits && !withinLimits(c, f.values))
        return c.failure;
    if (!c.selectUnit())
        return c.failure;
    return writeValues(c, f.values, true, QStringLiteral("write"));
}

// --- backup / restore ------------------------------------------------------------------

namespace {

bool readWhole(Context& c, compare::ValueSet& v, const QString& what)
{
    v.hasParameters = v.hasSetpoints = true;
    plans::SetReadPlan plan({}, v.par, v.soll);
    c.run(plan, what);
    const transfer::Result& r = plan.result();
    if (!r.ok())
        c.failure = c.transferFailure(r);
    return r.ok();
}

} // namespace

int cmdBackup(Context& c)
{
    if (wantsAllUnits(c.opt.args))
        return cmdBackupAll(c);
    const CommandLine line(c.opt.args, {});
    const QStringList args = line.arguments();
    if (!line.ok() || args.size() != 1) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("backup FILE.bak")));
        return ExitUsage;
    }
    // Who it is, for the manifest beside the file.
    plans::SelectPlan who(c.unit);
    if (!c.runSelect(who))
        return c.failure;
    compare::ValueSet v;
    if (!readWhole(c, v, QStringLiteral("backup")))
        return c.failure;
    const QByteArray bytes = files::backupFileBytes(v.par, v.soll);
    manifest::Manifest m = manifest::describe(bytes, QLatin1String(manifest::KindManual));
    m.rt = who.identity().type.value_or(QString()).trimmed();
    m.rh = who.identity().ident2.value_or(QString()).trimmed();
    m.rx = who.identity().ident3.value_or(QString()).trimmed();
    m.unit = c.unit;
    m.port = c.portName;
    m.line = portLineText(c.line()->port());
    QString why;
    if (!manifest::saveBackup(args[0], bytes, m, &why)) {
        c.error(cliText("FileError").arg(args[0], why));
        return ExitUsage;
    }
    manifest::rememberFolder(dataFolder(c), QFileInfo(args[0]).absolutePath());
    c.note(cliText("Saved").arg(args[0]));
    return ExitOk;
}

int cmdRestore(Context& c)
{
    const CommandLine line(c.opt.args, {flagOption("no-safety"), flagOption("no-verify"), flagOption("force"), flagOption("all")});
    const bool noSafety = line.isSet(QStringLiteral("no-safety"));
    const bool noVerify = line.isSet(QStringLiteral("no-verify"));
    const bool force = line.isSet(QStringLiteral("force"));
    const bool all = line.isSet(QStringLiteral("all"));
    const QStringList args = line.arguments();
    if (!line.ok() || args.size() != 1) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("restore FILE.bak")));
        return ExitUsage;
    }
    const LoadedFile f = loadValueFile(args[0]);
    if (!f.error.isEmpty() || f.kind != FileKind::Backup) {
        c.error(cliText("FileError").arg(args[0], f.error.isEmpty() ? cliText("NotBackup") : f.error));
        return ExitUsage;
    }
    if (!c.selectUnit())
        return c.failure;
    if (!manifestAllows(c, args[0], force))
        return c.failure;
    plans::SafeWritePlan::Job job;
    job.values = f.values;
    job.backup = !noSafety;
    job.verify = !noVerify;
    job.writeAll = all;
    job.computeAlways = true;
    const QString folder = safetyFolder(c);
    const manifest::Line where{c.portName, portLineText(c.line()->port()), QString()};
    job.save = [&c, folder, where](const safety::Identity& id, const TParWaarden& par, const TSollWaarden& soll) {
        return safety::save(folder, id, c.unit, par, soll, QDateTime::currentDateTime(), &where);
    };
    plans::SafeWritePlan plan(std::move(job));
    using Phase = plans::SafeWritePlan::Phase;
    bool noted = false;
    plans::runBlocking(plan, c.line()->blockingLine(), [&](const plans::Plan&) {
        if (!noted && plan.phase() == Phase::Write && plan.safety().ok()) {
            c.endProgress();
            c.note(cliText("SafetyBackup").arg(plan.safety().path));
            noted = true;
        }
        const char* what = plan.phase() == Phase::Write      ? "restore"
                           : plan.phase() == Phase::ReadBack ? "verify"
                                                             : "safety backup";
        c.progress(QStringLiteral("%1 %2/%3").arg(QLatin1String(what)).arg(plan.done()).arg(plan.total()));
    });
    c.endProgress();
    if (plan.phase() == Phase::Identity || plan.phase() == Phase::Backup) {
        const safety::Taken& t = plan.safety();
        if (!t.read.ok())
            return c.transferFailure(t.read, t.failedRequest);
        c.error(cliText("FileError").arg(folder, t.error));
        return ExitUsage;
    }
    if (plan.phase() == Phase::Write)
        return writeFailure(c, plan.write(), plan.writeTotal(), f.values.hasParameters, plan.standText(),
                            plan.selective() ? &plan.writtenValues() : nullptr);
    if (plan.selective())
        c.note(plan.skippedText());
    // Every value went; "bp" or the read-back may still have failed, and what was
    // read back is reported either way.
    int code = ExitOk;
    if (!plan.write().ok())
        code = plan.write().outcome == transfer::Outcome::Stopped ? ExitInterrupt : c.transferFailure(plan.write());
    if (!plan.readBack().ok()) {
        const int failed = c.transferFailure(plan.readBack());
        code = code == ExitOk ? failed : code;
    }
    if (const QString stand = plan.standText(); !stand.isEmpty())
        c.error(stand);
    const verify::Result& v = plan.verifyResult();
    if (!v.mismatches.isEmpty()) {
        c.error(cliText("VerifyFailed").arg(v.mismatches.size()));
        printRows(c, v.mismatches);
        return ExitDiffers;
    }
    if (plan.verified())
        c.note(v.text());
    return code;
}

// --- diff ------------------------------------------------------------------------------

int cmdDiff(Context& c)
{
    const QStringList args = c.opt.args;
    if (args.size() != 2) {
        c.error(cliText("MissingArgument").arg(QStringLiteral("diff A B")));
        return ExitUsage;
    }
    compare::ValueSet sides[2];
    int deviceSide = -1;
    for (int i = 0; i < 2; ++i) {
        if (args[i] == QLatin1String("device")) {
            if (deviceSide >= 0) {
                c.error(cliText("BadOption").arg(args[i]));
                return ExitUsage;
            }
            deviceSide = i;
        } else if (args[i] == QLatin1String("defaults")) {
            sides[i] = compare::defaultsSet();
        } else {
            const LoadedFile f = loadValueFile(args[i]);
            if (!f.error.isEmpty()) {
                c.error(cliText("FileError").arg(args[i], f.error));
                return ExitUsage;
            }
            sides[i] = f.values;
        }
    }
    if (deviceSide >= 0) {
        // Only what the other side holds comes from the controller.
        const compare::ValueSet& other = sides[1 - deviceSide];
        compare::ValueSet& d = sides[deviceSide];
        d.hasParameters = other.hasParameters;
        d.hasSetpoints = other.hasSetpoints;
        if (!c.selectUnit())
            return c.failure;
        plans::SetReadPlan plan({d.hasParameters, d.hasSetpoints}, d.par, d.soll);
        c.run(plan, QStringLiteral("read"));
        if (!plan.result().ok())
            return c.transferFailure(plan.result());
    }
    if (!(sides[0].hasParameters && sides[1].hasParameters) && !(sides[0].hasSetpoints && sides[1].hasSetpoints)) {
        c.error(cliText("NothingInCommon").arg(args[0], args[1]));
        return ExitUsage;
    }
    const QList<compare::Row> rows = compare::differences(sides[0], sides[1]);
    if (c.opt.json) {
        QJsonArray all;
        for (const compare::Row& r : rows)
            all.append(rowJson(r));
        c.outJson(QJsonObject{{"a", args[0]}, {"b", args[1]}, {"differences", all}});
    } else {
        printRows(c, rows);
    }
    return rows.isEmpty() ? ExitOk : ExitDiffers;
}

} // namespace vx::cli
