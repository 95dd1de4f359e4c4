#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"

namespace vx {

TPX400Protocol* makeControllerComponent(QObject* owner, const char* name, int timeoutMs, TSXComm* port)
{
    auto* c = new TPX400Protocol(owner);
    c->setObjectName(QLatin1String(name));
    c->setFiltered(false);
    c->setProtocolHead(TSequenceChar::scNone);
    c->setProtocolFoot(TSequenceChar::scCR);
    c->setReceiveStart(TSequenceChar::scNone);
    c->setReceiveStop(TSequenceChar::scNone);
    c->setTimeoutTime(timeoutMs);
    c->setSXComm(port ? port : app().SXComm1);
    return c;
}

} // namespace vx
