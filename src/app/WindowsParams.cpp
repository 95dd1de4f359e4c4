// The transfer windows and the main window's whole-controller commands.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "params/BackupRestore.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"

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
    main.setWindowOpener(QStringLiteral("Restore1"), [schrijf, &main] { RestoreUitvoeren(&main, *schrijf); });
});

} // namespace

} // namespace vx
