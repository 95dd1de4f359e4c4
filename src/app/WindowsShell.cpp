// The shell's small windows, the port dialogs and the device search join the main
// window's menu here.
#include "app/About.h"
#include "app/InfoErrorNummers.h"
#include "app/InitSerial.h"
#include "app/Opties.h"
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "comm/SXSetupCommDialog.h"
#include "core/AppState.h"
#include "core/UiSeams.h"
#include "device/ApparaatZoeken.h"

#include <QLabel>

namespace vx {

namespace {

void closePort(QWidget* parent)
{
    if (!app().SXComm1) return;
    try {
        app().SXComm1->Close();
    } catch (const EComm& e) {
        showError(parent, QLatin1String(ApplicationTitle), e.text());
    }
}

const WindowRegistration about(WindowOrder::About, [](TFormMain& main) {
    auto* w = new TFormAbout(&main);
    main.setWindowOpener(QStringLiteral("FormAbout"), [w] { w->exec(); });
});

const WindowRegistration opties(WindowOrder::Opties, [](TFormMain& main) {
    auto* w = new TFormOpties(&main);
    main.setWindowOpener(QStringLiteral("ww1"), [w] { w->exec(); });
});

const WindowRegistration initSerial(WindowOrder::InitSerial, [](TFormMain& main) {
    auto* w = new TFormInitSerial(&main);
    main.setWindowOpener(QStringLiteral("Serial1"), [w] { w->exec(); });
    // The library's own set-up dialog rides along on the main window's port; no menu
    // item runs it.
    auto* d = new TSXSetupCommDialog(&main);
    d->setObjectName(QStringLiteral("SXSetupCommDialog1"));
    d->setSXComm(app().SXComm1);
    d->OnShow = [&main](QObject*) { closePort(&main); };
    d->OnDeviceChosen = [&main](int com, const QString& path) { savePortChoice(&main, com, path); };
});

const WindowRegistration apparaatZoeken(WindowOrder::ApparaatZoeken, [](TFormMain& main) {
    auto* w = new TFormApparaatZoeken(&main);
    keepInSlot(app().FormApparaatZoeken, w);
    main.setWindowOpener(QStringLiteral("VX40zoeken1"), [w, &main] {
        closePort(&main);
        w->exec();
        // Opened again whatever the search left; opening selects the unit.
        try {
            if (app().SXComm1) app().SXComm1->Open();
        } catch (const EComm& e) {
            showError(&main, QLatin1String(ApplicationTitle), e.text());
        }
    });
});

const WindowRegistration infoErrorNummers(WindowOrder::InfoErrorNummers, [](TFormMain& main) {
    auto* w = new TFormInfoErrorNummers(&main);
    keepInSlot(app().FormInfoErrorNummers, w);
    main.setWindowOpener(QStringLiteral("ErrorHelpAt"), [w, &main] {
        w->showNumber(main.PanelErrorNo->property("errorNumber").toInt());
    });
    main.setWindowOpener(QStringLiteral("Errno1"), [w] {
        w->showNumber(-1);
    });
});

} // namespace

} // namespace vx
