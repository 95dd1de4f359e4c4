// The transfer windows and the main window's whole-controller commands.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "params/BackupRestore.h"
#include "params/CompareWindow.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "setpoints/Reports.h"

#include <QAction>
#include <QMenu>

namespace vx {

namespace {

const WindowRegistration leesParSoll(WindowOrder::LeesParSoll, [](TFormMain& main) {
    auto* lees = new TFormLeesParSoll(&main);
    keepInSlot(app().FormLeesParSoll, lees);
    main.setWindowOpener(QStringLiteral("VX40ontvangen1"), [lees] { ParSollOntvangen(*lees); });
    main.setWindowOpener(QStringLiteral("Backup1"), [lees, &main] { BackupMaken(&main, *lees); });
});

const WindowRegistration schrijfParSoll(WindowOrder::SchrijfParSoll, [](TFormMain& main) {
    auto* schrijf = new TFormSchrijfParSoll(&main);
    keepInSlot(app().FormSchrijfParSoll, schrijf);
    // The compare window prints through the report machinery above it.
    TFormCompare::setReportDrawer([](QPainter& p, QSize size, const QString& title, const QStringList& lines,
                                     const std::function<void()>& newPage) {
        drawLinesReport(p, size, currentReportHeader(), title, lines, newPage);
    });
    main.setWindowOpener(QStringLiteral("Restore1"), [schrijf, &main] { RestoreUitvoeren(&main, *schrijf); });
    // "Undo last restore" right below Restore, enabled with it.
    if (auto* restore = main.findChild<QAction*>(QStringLiteral("Restore1"))) {
        auto* menu = qobject_cast<QMenu*>(restore->parent());
        const QList<QAction*> items = menu ? menu->actions() : QList<QAction*>();
        const qsizetype at = items.indexOf(restore) + 1;
        auto* undo = new QAction(texts::Verify("UndoMenu"), menu);
        undo->setObjectName(QStringLiteral("UndoRestore1"));
        if (menu)
            menu->insertAction(at < items.size() ? items[at] : nullptr, undo);
        // Through the main window, like every window that stops the polling: it comes back after.
        main.setWindowOpener(QStringLiteral("UndoRestore1"), [schrijf, &main] { LaatsteRestoreTerug(&main, *schrijf); });
        QObject::connect(undo, &QAction::triggered, &main, [&main] { main.openWindow(QStringLiteral("UndoRestore1")); });
        QObject::connect(restore, &QAction::changed, undo, [restore, undo] { undo->setEnabled(restore->isEnabled()); });
        QObject::connect(menu, &QMenu::aboutToShow, undo, [undo] { undo->setText(texts::Verify("UndoMenu")); });
        undo->setEnabled(restore->isEnabled());
    }
});

} // namespace

} // namespace vx
