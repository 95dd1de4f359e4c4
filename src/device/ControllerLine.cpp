#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/SerialDevices.h"

#include <QFileInfo>

#include <QVariant>

namespace vx {

namespace {

bool g_fastReplies = false;
// Marks the components the option applies to.
constexpr const char* kFollowsOption = "vxFastReplies";

} // namespace

TPX400Protocol* makeControllerComponent(QObject* owner, const char* name, int timeoutMs, TSXComm* port)
{
    auto* c = new TPX400Protocol(owner);
    c->setObjectName(QLatin1String(name));
    c->setFiltered(false);
    c->setProtocolHead(TSequenceChar::scNone);
    c->setProtocolFoot(TSequenceChar::scCR);
    c->setReceiveStart(TSequenceChar::scNone);
    c->setReceiveStop(TSequenceChar::scNone);
    c->setEndAtLineEnd(g_fastReplies);
    c->setProperty(kFollowsOption, true);
    c->setTimeoutTime(timeoutMs);
    c->setSXComm(port ? port : app().SXComm1);
    return c;
}

bool fastReplies() { return g_fastReplies; }

void setFastReplies(bool on, TSXComm* port)
{
    g_fastReplies = on;
    if (!port)
        port = app().SXComm1;
    if (!port)
        return;
    if (on)
        port->resetFastReplies();
    for (TSXComponent* c : port->components())
        if (auto* p = qobject_cast<TPX400Protocol*>(c); p && p->property(kFollowsOption).toBool())
            p->setEndAtLineEnd(on);
}

void keepPauseRule(TPX400Protocol* component)
{
    component->setProperty(kFollowsOption, false);
    component->setEndAtLineEnd(false);
}

QString byIdNameOf(const QString& devicePath)
{
    if (!devicePath.startsWith(u'/'))
        return {};
    const QString canonical = QFileInfo(devicePath).canonicalFilePath();
    QString byId;
    for (const SerialDevice& d : scanSerialDevices()) {
        if (!d.byId.isEmpty() && (d.path == devicePath || d.path == canonical || d.byId == devicePath))
            byId = d.byId;
    }
    return byId;
}

} // namespace vx
