#include "support/Shots.h"

#include "app/VX40Main.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "fleet/BackupHistory.h"
#include "fleet/BusOverview.h"
#include "params/CompareWindow.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"
#include "params/SafetyBackup.h"
#include "params/ValueStore.h"
#include "setpoints/AfdrukkenSoll.h"
#include "setpoints/Reports.h"
#include "sim/SimBus.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

namespace vx::shots {

namespace {

QPushButton* button(QWidget* w, const char* name)
{
    return w ? w->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
}

void click(QWidget* w, const char* name)
{
    if (QPushButton* b = button(w, name)) b->click();
}

// Lets the live monitor or a transfer run for a while.
void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

// The values a user would have after receiving them from the simulated controller.
void valuesFromController(TFormMain&)
{
    const sim::SimBus& bus = sim::defaultBus();
    for (int n = 0; n < ParCount; ++n) ParWaarden[n] = bus.parameter(0, n);
    for (int n = 1; n <= SollCount; ++n) SollWaarden[n] = bus.setpoint(0, n);
    ParStatus = 1;
    SollStatus = 1;
}

// What the setpoint report prints: the controller's values and a filled-in header.
void printedSetpoints(TFormMain& main)
{
    valuesFromController(main);
    app().AfdrukFirma = QStringLiteral("Machinebouw De Vries B.V.");
    app().AfdrukType = QStringLiteral("VX50");
    app().AfdrukSn = QStringLiteral("SN 51000");
}

// A plant of three: units 1 and 3 beside the simulator's unit 0, all at odd parity.
void threeUnits(TFormMain&)
{
    sim::SimBus& bus = sim::defaultBus();
    sim::UnitConfig c;
    c.number = 1;
    c.type = "VX51";
    c.frame = LineFrame{9600, 8, 'O', 1};
    bus.addUnit(c);
    c.number = 3;
    c.type = "VX50";
    c.frame = LineFrame{19200, 8, 'O', 1};
    bus.addUnit(c);
    bus.raiseError(3, 7);
}

// Backups of unit 0 over the last weeks (each with a few values changed), and a
// safety backup of today: a change came after the last backup.
void backupsOfUnit0(TFormMain&)
{
    const sim::SimBus& bus = sim::defaultBus();
    TParWaarden par;
    TSollWaarden soll;
    for (int n = 0; n < ParCount; ++n) par[n] = bus.parameter(0, n);
    for (int n = 1; n <= SollCount; ++n) soll[n] = bus.setpoint(0, n);
    const QString folder = paths::userDataDir() + QStringLiteral("/Backups/Units");
    // The same backups for each picture.
    QDir(paths::userDataDir() + QStringLiteral("/Backups")).removeRecursively();
    QDir().mkpath(folder);
    const QDateTime now = QDateTime::currentDateTime();
    const char* kinds[] = {manifest::KindManual, manifest::KindAllUnits, manifest::KindManual};
    for (int k = 0; k < 3; ++k) {
        for (int n = 0; n <= k; ++n) par[20 + 3 * k + n] += 100 * (n + 1);
        const QDateTime when = now.addDays(7 * (k - 3));
        const QByteArray bytes = files::backupFileBytes(par, soll);
        manifest::Manifest m = manifest::describe(bytes, QLatin1String(kinds[k]), when);
        m.rt = QStringLiteral("VX50 V2.04");
        m.rh = QStringLiteral("HW VX50-3 rev C");
        m.rx = QStringLiteral("SN 51000");
        m.unit = 0;
        m.port = QStringLiteral("COM1");
        m.line = QStringLiteral("9600 8O1");
        manifest::saveBackup(QDir(folder).filePath(QStringLiteral("VX50_SN51000_u0_%1.bak").arg(when.toString("yyyy-MM-dd"))),
                             bytes, m);
    }
    soll[4] += 250;
    safety::save(safety::folder(), {QStringLiteral("VX50"), QStringLiteral("SN 51000")}, 0, par, soll, now.addSecs(-3600));
}

std::vector<Shot> table()
{
    return {
        {QStringLiteral("main"), {}, {}, [](QWidget* w) {
             click(w, "CmdActual");
             click(w, "CmdInUit");
             settle(2500);
         }},
        {QStringLiteral("search"), QStringLiteral("VX40zoeken1"), {}, [](QWidget* w) {
             click(w, "CmdStartZoeken");
             // It stops at the first controller it finds.
             waitFor([w] { return button(w, "CmdVerder") && button(w, "CmdVerder")->isEnabled(); }, 30000);
         }},
        {QStringLiteral("editparam"), QStringLiteral("Par11"), valuesFromController, [](QWidget*) { settle(300); }},
        {QStringLiteral("editsollwerten"), QStringLiteral("Par21"), valuesFromController, [](QWidget*) { settle(300); }},
        {QStringLiteral("compare"), QStringLiteral("Par11/Vergelijken1"), [](TFormMain& main) {
             valuesFromController(main);
             // Three values changed in the editor; one of them the controller refuses.
             ParWaarden[20] += 1000;
             ParWaarden[21] += 1000;
             ParWaarden[22] += 1000;
             sim::defaultBus().addFault(sim::Fault::errorReply("wp 21", 7)); }, [](QWidget* w) {
             auto* form = qobject_cast<TFormCompare*>(w);
             if (!form) return;
             form->setSide(0, TFormCompare::Source::Editor);
             form->setSide(1, TFormCompare::Source::Controller);
             waitFor([form] { return !form->busy(); }, 240000);
             for (int row = 0; row < form->visibleRows(); ++row) form->setTicked(row, true);
             click(w, "CmdWrite");
             waitFor([form] { return form->stateAt(0) != TFormCompare::RowState::None; }, 30000);
             settle(300); }},
        {QStringLiteral("transfer"), QStringLiteral("VX40ontvangen1"), {}, [](QWidget*) { settle(1500); }},
        {QStringLiteral("graph"), QStringLiteral("Grafiek1"), {}, [](QWidget* w) {
             // Position 2 as the second channel: both in their units.
             if (auto* second = w->findChild<QComboBox*>(QStringLiteral("ComboKanaal2"))) second->setCurrentIndex(3);
             click(w, "CmdStartLog");
             settle(2000); // the first screen
             click(w, "CmdStopLog");
             click(w, "CmdAuto");
             settle(100);
         }},
        // The printed setpoint report of the same values, as its first page shows them.
        {QStringLiteral("reportsetpoints"), QStringLiteral("Par21"), printedSetpoints, {}, [](QWidget*) {
             auto* form = qobject_cast<TFormAfdrukkenSoll*>(app().FormAfdrukkenSoll);
             if (!form) return QImage();
             form->FormActivate();
             // Drawn as a printer would (300 dpi), then made screen-sized.
             constexpr double dpi = 300;
             QImage page(QSize(int(21.0 / 2.54 * dpi), int(29.7 / 2.54 * dpi)), QImage::Format_RGB32);
             page.setDotsPerMeterX(int(dpi / 0.0254));
             page.setDotsPerMeterY(int(dpi / 0.0254));
             page.fill(Qt::white);
             {
                 QPainter p(&page);
                 drawSollwertReport(p, page.size(), form->reportHeader(), InitSollwertHeader(), form->SollTitel);
             }
             // The 40 lines end well above the page's foot: the empty rest is left off.
             return page.copy(0, 0, page.width(), page.height() * 3 / 4)
                 .scaledToWidth(page.width() / 3, Qt::SmoothTransformation);
         }},
        {QStringLiteral("cams"), QStringLiteral("displaynokken1"), valuesFromController, [](QWidget*) { settle(300); }},
        {QStringLiteral("calibration"), QStringLiteral("CmdCalibratie"), {}, [](QWidget* w) {
             settle(1000);
             click(w, "CmdSetKalibtatieMode");
             settle(500);
             click(w, "CmdSet_U_actief");
             settle(500);
         }},
        {QStringLiteral("traffic"), QStringLiteral("Verkeer1"), [](TFormMain& main) {
             for (const char* request : {"rt", "rp 203", "rs 1", "rp 600"}) {
                 main.EditZenden->setText(QString::fromLatin1(request));
                 main.CmdTerminalZenden->click();
                 settle(400);
             } }, [](QWidget*) { settle(600); }},
        {QStringLiteral("overview"), QStringLiteral("BusOverview1"), [](TFormMain& main) {
             threeUnits(main);
             backupsOfUnit0(main); }, [](QWidget* w) {
             auto* overview = qobject_cast<TFormBusOverview*>(w);
             if (!overview) return;
             plans::SearchChoice choice;
             choice.bauds = {TBaudrate::br9600, TBaudrate::br19200};
             choice.units = {0, 1, 2, 3, 4};
             choice.parities = {TParityBit::Odd};
             choice.stops = {TStopBit::sb_1};
             overview->setSearchChoice(choice);
             overview->setPollGap(50);
             overview->CmdSearchBusClick();
             waitFor([overview] { return !overview->busy(); }, 30000);
             // Every row polled once.
             waitFor([overview] {
                 for (int row = 0; row < overview->units().size(); ++row)
                     if (overview->cell(row, TFormBusOverview::ColError).isEmpty()) return false;
                 return true;
             }, 10000);
             overview->GridUnits->selectRow(0); }},
        {QStringLiteral("history"), QStringLiteral("BackupHistory1"), backupsOfUnit0, [](QWidget* w) {
             if (auto* history = qobject_cast<TFormBackupHistory*>(w)) history->select({0, 2});
             settle(100); }},
        {QStringLiteral("options"), QStringLiteral("ww1"), {}, [](QWidget*) { settle(100); }},
        {QStringLiteral("serialport"), QStringLiteral("Serial1"), {}, [](QWidget*) { settle(100); }},
        // A raw network port typed in: the note about the device server's own settings.
        // The simulator makes the field read-only; a real port leaves it open to typing.
        {QStringLiteral("networkport"), QStringLiteral("Serial1"), {}, [](QWidget* w) {
             if (auto* device = w->findChild<QComboBox*>(QStringLiteral("ComboDevice"))) {
                 device->setEnabled(true);
                 device->setEditText(QStringLiteral("tcp://192.168.10.20:4001"));
             }
             settle(100);
         }},
        {QStringLiteral("errorhelp"), QStringLiteral("Errno1"), {}, [](QWidget*) { settle(100); }},
        {QStringLiteral("about"), QStringLiteral("FormAbout"), {}, [](QWidget*) { settle(100); }},
    };
}

} // namespace

const std::vector<Shot>& all()
{
    static const std::vector<Shot> shots = table();
    return shots;
}

const QStringList& languages()
{
    static const QStringList codes{QStringLiteral("nl"), QStringLiteral("en"), QStringLiteral("de")};
    return codes;
}

QStringList fileNames()
{
    QStringList names;
    for (const Shot& s : all())
        for (const QString& lang : languages()) names << s.name + u'-' + lang + QStringLiteral(".png");
    names.sort();
    return names;
}

} // namespace vx::shots
