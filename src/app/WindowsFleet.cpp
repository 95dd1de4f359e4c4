// The bus overview and the backup history join the Venster menu here, and the
// windows' backups learn the main window's port and line for their manifests.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "core/UiSeams.h"
#include "device/ApparaatZoeken.h"
#include "fleet/BackupHistory.h"
#include "fleet/BusOverview.h"
#include "params/BackupRestore.h"
#include "params/Manifest.h"
#include "params/SchrijfParSoll.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace vx {

namespace {

// The units a device search listed: unit, "rt   rh   rx", baud, parity, stop bits.
QList<fleet::KnownUnit> unitsOfSearch(const TFormApparaatZoeken& search)
{
    QList<fleet::KnownUnit> found;
    const TSXComm* port = app().SXComm1;
    if (!port)
        return found;
    for (int row = 1; row <= search.gridRows(); ++row) {
        const QStringList id = search.cell(row, 1).split(QStringLiteral("   "));
        const auto baud = fleet::baudOf(search.cell(row, 2).toInt());
        if (id.size() != 3 || !baud)
            continue;
        plans::Probe p;
        p.unit = search.cell(row, 0).trimmed().toInt();
        p.line.baud = *baud;
        const QString parity = search.cell(row, 3);
        p.line.parity = parity == QLatin1String("None")  ? TParityBit::None
                        : parity == QLatin1String("Odd") ? TParityBit::Odd
                                                         : TParityBit::Even;
        p.line.stop = search.cell(row, 4) == QLatin1String("2") ? TStopBit::sb_2 : TStopBit::sb_1;
        plans::Identity ident;
        for (int i = 0; i < 3; ++i)
            if (id[i] != QLatin1String("????"))
                ident.at(i) = id[i];
        found << fleet::foundUnit(QStringLiteral("COM%1").arg(int(port->PortName()) + 1), p, ident,
                                  port->FrameDatabits() == TDataBit::db_7 ? 7 : 8);
    }
    return found;
}

void reopenPort(QWidget* parent)
{
    try {
        if (app().SXComm1 && !app().SXComm1->Active())
            app().SXComm1->Open();
    } catch (const EComm& e) {
        showError(parent, QLatin1String(ApplicationTitle), e.text());
    }
}

const WindowRegistration fleetWindows(WindowOrder::Fleet, [](TFormMain& main) {
    manifest::setCurrentLine([&main] {
        manifest::Line line;
        if (const TSXComm* port = app().SXComm1) {
            line.port = QStringLiteral("COM%1").arg(int(port->PortName()) + 1);
            line.line = fleet::lineText({port->Baudrate(), port->FrameParitybit(), port->FrameStopbits()},
                                        port->FrameDatabits() == TDataBit::db_7 ? 7 : 8);
        }
        if (const auto* rh = main.findChild<QLabel*>(QStringLiteral("StatusPanel3")); rh && rh->text() != QLatin1String("????"))
            line.rh = rh->text().trimmed();
        return line;
    });

    auto* overview = new TFormBusOverview(&main);
    auto* history = new TFormBackupHistory(&main);
    auto* schrijf = qobject_cast<TFormSchrijfParSoll*>(app().FormSchrijfParSoll);
    history->restore = [schrijf, &main](const QString& path) {
        if (schrijf)
            RestoreBestand(&main, *schrijf, path);
    };
    overview->openHistory = [history](const QString& rx) {
        history->showController(rx);
        history->exec();
    };
    main.setWindowOpener(QStringLiteral("BusOverview1"), [overview, &main] {
        // The overview selects one unit after another: the main window's values wait,
        // and say why, until its own unit is selected again.
        main.lineUsedBy(texts::Fleet("LineUsedByOverview"));
        const bool wasOpen = app().SXComm1 && app().SXComm1->Active();
        overview->exec();
        main.lineUsedBy(QString());
        // A double-click closed the port at the chosen unit's settings; opening selects it.
        if (wasOpen && app().SXComm1 && app().SXComm1->Active())
            main.selectAgain();
        reopenPort(&main);
    });
    main.setWindowOpener(QStringLiteral("BackupHistory1"), [history, &main] {
        if (app().ApparaatRx.isEmpty()) {
            showInfo(&main, texts::Fleet("MenuHistory"), texts::Fleet("NoController"));
            return;
        }
        history->showController(app().ApparaatRx);
        history->exec();
    });

    // A search that found units keeps them for the overview, and offers it when it
    // found more than one.
    if (auto* search = qobject_cast<TFormApparaatZoeken*>(app().FormApparaatZoeken)) {
        QObject::connect(search, &QDialog::finished, &main, [search, &main] {
            const QList<fleet::KnownUnit> found = unitsOfSearch(*search);
            if (found.isEmpty())
                return;
            const QString dir = paths::userDataDir();
            fleet::saveUnits(dir, fleet::merged(fleet::loadUnits(dir), found));
            if (found.size() < 2)
                return;
            // After the search's own ending (the port opened again).
            QTimer::singleShot(0, &main, [&main, n = found.size()] {
                if (askYesNo(&main, texts::Fleet("MenuOverview"), texts::Fleet("OfferOverview").arg(n)))
                    main.openWindow(QStringLiteral("BusOverview1"), true);
            });
        });
    }

    // At the end of the Venster menu, enabled while the port is (as Restore).
    auto* restore = main.findChild<QAction*>(QStringLiteral("Restore1"));
    auto* venster = main.findChild<QMenu*>(QStringLiteral("Venster1"));
    if (!restore || !venster)
        return;
    venster->addSeparator();
    for (const char* name : {"BusOverview1", "BackupHistory1"}) {
        auto* item = new QAction(venster);
        item->setObjectName(QLatin1String(name));
        venster->addAction(item);
        const QString action = QLatin1String(name);
        const char* text = action == QLatin1String("BusOverview1") ? "MenuOverview" : "MenuHistory";
        item->setText(texts::Fleet(text));
        QObject::connect(item, &QAction::triggered, &main, [&main, action] {
            main.openWindow(action, action == QLatin1String("BusOverview1"));
        });
        QObject::connect(restore, &QAction::changed, item, [restore, item] { item->setEnabled(restore->isEnabled()); });
        QObject::connect(venster, &QMenu::aboutToShow, item, [item, text] { item->setText(texts::Fleet(text)); });
        item->setEnabled(restore->isEnabled());
    }
});

} // namespace

} // namespace vx
