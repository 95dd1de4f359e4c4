#include "device/LiveMonitor.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "device/CommandSet.h"
#include "device/ControllerLine.h"

namespace vx {

int liveReplyLimit(QStringView request)
{
    return request == QLatin1String(cmd::ReadInputs) || request == QLatin1String(cmd::ReadOutputs) ? cmd::IoReplyLimit
                                                                                                   : cmd::ReplyLimit;
}

std::optional<qint32> liveValue(QStringView request, const cmd::CheckedReply& reply)
{
    if (!reply.ok()) return std::nullopt;
    if (reply.number) return reply.number;
    if (request == QLatin1String(cmd::ReadError) && cmd::isNoError(reply.value)) return -1;
    return std::nullopt;
}

bool TLiveMonitor::polled(Value which, int analogueChannel)
{
    return which < Spanning || (which == Spanning && analogueChannel == 1)
           || (which == Stroom && analogueChannel == 2);
}

TLiveMonitor::TLiveMonitor(TSXComm* port, QObject* owner) : QObject(owner)
{
    PX400UnitSelect = makeControllerComponent(this, "PX400UnitSelect", 0, port);
    PX400TypeInfo = makeControllerComponent(this, "PX400TypeInfo", 0, port);
    PX400ActPos1 = makeControllerComponent(this, "PX400ActPos1", 0, port);
    PX400ActPos2 = makeControllerComponent(this, "PX400ActPos2", 0, port);
    PX400PosVerschil = makeControllerComponent(this, "PX400PosVerschil", 0, port);
    PX400Snelheid1 = makeControllerComponent(this, "PX400Snelheid1", 0, port);
    PX400Snelheid2 = makeControllerComponent(this, "PX400Snelheid2", 0, port);
    PX400Spanning = makeControllerComponent(this, "PX400Spanning", 0, port);
    PX400Stroom = makeControllerComponent(this, "PX400Stroom", 0, port);
    PX400_in = makeControllerComponent(this, "PX400_in", 0, port);
    PX400_uit = makeControllerComponent(this, "PX400_uit", 0, port);
    PX400ReadError = makeControllerComponent(this, "PX400ReadError", 0, port);
    PX400ResetError = makeControllerComponent(this, "PX400ResetError", 0, port);
    PX400Protocol1 = makeControllerComponent(this, "PX400Protocol1", 1500, port);

    auto sharedError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        if (OnCommError) OnCommError(e);
    };
    for (TPX400Protocol* c : {PX400_in, PX400Protocol1, PX400ReadError}) c->OnCommError = sharedError;

    for (int i = 0; i < ValueCount; ++i) {
        const auto which = Value(i);
        component(which)->OnCommResult = [this, which](TSXProtocolComponent*, const QByteArray& reply) {
            const QString rq = QString::fromLatin1(request(which));
            if (OnValue) OnValue(which, liveValue(rq, cmd::checkReply(rq, reply, liveReplyLimit(rq))));
        };
        component(which)->OnCommError = [this, which](TSXProtocolComponent*, const TCommError&, const QByteArray&) {
            if (OnValueFailed) OnValueFailed(which);
        };
    }

    auto ioWord = [](const char* request, const QByteArray& reply) {
        const QString rq = QString::fromLatin1(request);
        return liveValue(rq, cmd::checkReply(rq, reply, liveReplyLimit(rq)));
    };
    PX400_in->OnCommResult = [this, ioWord](TSXProtocolComponent*, const QByteArray& reply) {
        if (const auto word = ioWord(cmd::ReadInputs, reply)) {
            if (OnInputs) OnInputs(*word);
        } else if (OnIoUnreadable) {
            OnIoUnreadable(true);
        }
    };
    PX400_uit->OnCommResult = [this, ioWord](TSXProtocolComponent*, const QByteArray& reply) {
        if (const auto word = ioWord(cmd::ReadOutputs, reply)) {
            if (OnOutputs) OnOutputs(*word);
        } else if (OnIoUnreadable) {
            OnIoUnreadable(false);
        }
    };

    PX400ReadError->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& reply) {
        // An unreadable error number neither clears nor raises the error shown.
        const cmd::CheckedReply checked = cmd::checkReply(QString::fromLatin1(cmd::ReadError), reply);
        if (checked.ok() && OnErrorNumber) OnErrorNumber(cmd::isNoError(checked.value), checked.value);
    };
    PX400Protocol1->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& reply) {
        if (OnTerminalReply) OnTerminalReply(reply);
    };
}

TPX400Protocol* TLiveMonitor::component(Value which) const
{
    switch (which) {
    case ActPos1: return PX400ActPos1;
    case ActPos2: return PX400ActPos2;
    case PosVerschil: return PX400PosVerschil;
    case Snelheid1: return PX400Snelheid1;
    case Snelheid2: return PX400Snelheid2;
    case Spanning: return PX400Spanning;
    case Stroom: return PX400Stroom;
    case ValueCount: break;
    }
    return nullptr;
}

const char* TLiveMonitor::request(Value which)
{
    switch (which) {
    case ActPos1: return cmd::ActPos1;
    case ActPos2: return cmd::ActPos2;
    case PosVerschil: return cmd::PosDifference;
    case Snelheid1: return cmd::Velocity1;
    case Snelheid2: return cmd::Velocity2;
    case Spanning: return cmd::Voltage;
    case Stroom: return cmd::Current;
    case ValueCount: break;
    }
    return "";
}

void TLiveMonitor::setValuesPolling(bool on, int analogueChannel)
{
    for (int i = 0; i < ValueCount; ++i) {
        const auto which = Value(i);
        const bool wanted = on && polled(which, analogueChannel);
        if (wanted) component(which)->setASCIIProtocol(QLatin1String(request(which)));
        component(which)->setCyclic(wanted);
    }
}

void TLiveMonitor::setIoPolling(bool on)
{
    if (on) {
        PX400_in->setASCIIProtocol(QLatin1String(cmd::ReadInputs));
        PX400_uit->setASCIIProtocol(QLatin1String(cmd::ReadOutputs));
    }
    PX400_in->setCyclic(on);
    PX400_uit->setCyclic(on);
}

void TLiveMonitor::readError()
{
    PX400ReadError->setASCIIProtocol(QLatin1String(cmd::ReadError));
    PX400ReadError->Send();
}

void TLiveMonitor::resetError()
{
    PX400ResetError->setASCIIProtocol(QLatin1String(cmd::ResetError));
    PX400ResetError->Send();
}

void TLiveMonitor::sendTerminal(const QString& text)
{
    PX400Protocol1->setASCIIProtocol(text);
    PX400Protocol1->Send();
}

} // namespace vx
