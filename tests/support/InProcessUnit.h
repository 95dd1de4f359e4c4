#pragma once
// One simulated VX50 (unit 0, 38400 baud 8O1) alone on the in-process bus behind
// COM1, and window grabs for tests run with VX_SHOT_DIR set.
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"

#include <QString>
#include <string>

namespace vx::test {

// rx: the unit's "rx" text (empty: the simulator's own).
inline void singleUnitAt38400(const std::string& rx = {})
{
    sim::installInProcessSimulator();
    setPortDevicePath(1, "sim");
    sim::resetDefaultBus();
    sim::defaultBus().removeUnits();
    sim::UnitConfig c;
    c.frame = LineFrame{38400, 8, 'O', 1};
    c.extraText = rx;
    sim::defaultBus().addUnit(c);
}

// COM1 at 38400 baud 8O1, opened and made the main port (app().SXComm1).
inline TSXComm* openCom1At38400(QObject* owner)
{
    auto* port = new TSXComm(owner);
    port->setBaudrate(TBaudrate::br38400);
    port->setFrameParitybit(TParityBit::Odd);
    app().SXComm1 = port;
    port->Open();
    return port;
}

// A template, so tests below the windows include this without Qt Widgets.
template <class Widget>
void saveShot(Widget* w, const QString& name)
{
    if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
        w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + u'/' + name + QStringLiteral(".png"));
}

} // namespace vx::test
