// The setpoint editor and the two print dialogs, created once at start-up.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "setpoints/AfdrukkenPar.h"
#include "setpoints/AfdrukkenSoll.h"
#include "setpoints/EditSollwerten.h"

namespace vx {

namespace {

const WindowRegistration editSollwerten(WindowOrder::EditSollwerten, [](TFormMain& main) {
    auto* w = new TFormEditSollwerten(&main);
    main.setWindowOpener(QStringLiteral("Par21"), [w] { w->exec(); });
    main.addCloseGuard([w] { return w->VraagOnbewaard(); });
});

const WindowRegistration afdrukkenPar(WindowOrder::AfdrukkenPar,
                                      [](TFormMain& main) { keepInSlot(app().FormAfdrukkenPar, new TFormAfdrukkenPar(&main)); });

const WindowRegistration afdrukkenSoll(WindowOrder::AfdrukkenSoll,
                                       [](TFormMain& main) { keepInSlot(app().FormAfdrukkenSoll, new TFormAfdrukkenSoll(&main)); });

} // namespace

} // namespace vx
