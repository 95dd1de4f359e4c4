#include "support/MainWindow.h"

#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "device/ControllerLine.h"
#include "support/EventWait.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vx::test {

std::unique_ptr<TFormMain> startMain(const QString& exeDir, int how)
{
    MainOptions o;
    o.exeDir = exeDir;
    auto w = std::make_unique<TFormMain>(o);
    w->Timer1->stop();
    if (!(how & NoWindows))
        createRegisteredWindows(*w);
    if (how & At38400) {
        w->SXComm1()->setBaudrate(TBaudrate::br38400);
        w->SXComm1()->setFrameParitybit(TParityBit::Odd);
    }
    if (!(how & NotConnected) && !connectMain(*w))
        return nullptr;
    return w;
}

bool connectMain(TFormMain& w)
{
    w.CmdSelectUnit->click();
    // Generous: a loaded machine can take seconds for the identification's exchanges.
    // Identified, and the live scaling read that follows is done.
    return waitFor([&] { return !w.statusPanel(4)->text().isEmpty() && !w.liveScalingPending(); }, 20000);
}

void fastRepliesOn(TFormMain& w)
{
    setFastReplies(true, w.SXComm1());
}

} // namespace vx::test
