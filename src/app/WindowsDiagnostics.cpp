// The diagnostics windows: cam overview, calibration, logging graph and traffic.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "diagnostics/FormCalibratie.h"
#include "diagnostics/FormDisplayNokken.h"
#include "diagnostics/FormGrafiek.h"
#include "diagnostics/FormVerkeer.h"

namespace vx {

namespace {

const WindowRegistration displayNokken(WindowOrder::DisplayNokken, [](TFormMain& main) {
    auto* w = new TFormDisplayNokken(&main);
    keepInSlot(app().FormDisplayNokken, w);
    main.setWindowOpener(QStringLiteral("displaynokken1"), [w] { w->exec(); });
});

const WindowRegistration calibratie(WindowOrder::Calibratie, [](TFormMain& main) {
    auto* w = new TFormCalibratie(&main);
    main.setWindowOpener(QStringLiteral("CmdCalibratie"), [w] { w->exec(); });
    // After "km 0" is confirmed the program's close goes on past this guard.
    TFormMain* m = &main;
    w->OnModeChanged = [m](bool on) { m->showCalibrationMode(on); };
    main.addCloseGuard([w, m] { return w->ModeUitVoorSluiten([m] { m->resumeClose(); }); });
});

const WindowRegistration grafiek(WindowOrder::Grafiek, [](TFormMain& main) {
    auto* w = new TFormGrafiek(&main);
    keepInSlot(app().FormGrafiek, w);
    TFormMain* m = &main;
    w->ResumeLivePolling = [m](bool actual, bool io) { m->restorePolling(actual, io); };
    main.setWindowOpener(QStringLiteral("Grafiek1"), [w] { w->exec(); });
});

const WindowRegistration verkeer(WindowOrder::Verkeer, [](TFormMain& main) {
    auto* w = new TFormVerkeer(main.SXComm1(), &main);
    main.setWindowOpener(QStringLiteral("Verkeer1"), [w] {
        w->show();
        w->raise();
        w->activateWindow();
    });
});

} // namespace

} // namespace vx
