#pragma once
// Every secondary window registers how it is created and which menu item opens it;
// the program creates them all once at start-up, in creation order, after the
// main window. A window file does that with one static object:
//
//     static const WindowRegistration reg(WindowOrder::EditParam, [](TFormMain& main) {
//         auto* w = new TFormEditParam(&main);
//         main.setWindowOpener("Par11", [w] { w->exec(); });
//     });
#include <functional>

class QWidget;

namespace vx {

class TFormMain;

// The design's creation order.
enum class WindowOrder {
    About = 1,
    EditParam,
    Opties,
    InitSerial,
    ParamService,
    EditSollwerten,
    DisplayNokken,
    LeesParSoll,
    ApparaatZoeken,
    SchrijfParSoll,
    InfoErrorNummers,
    ParLoader,
    Calibratie,
    AfdrukkenPar,
    AfdrukkenSoll,
    Grafiek,
    Verkeer,
    Fleet,
};

struct WindowRegistration {
    WindowRegistration(WindowOrder order, std::function<void(TFormMain&)> create);
};

void createRegisteredWindows(TFormMain& main);

// Makes w the window that `slot` (a member of AppState) names while it lives.
void keepInSlot(QWidget*& slot, QWidget* w);

} // namespace vx
