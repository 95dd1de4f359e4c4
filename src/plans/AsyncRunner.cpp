#include "plans/AsyncRunner.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "plans/ImageFeed.h"

#include <QTimer>

namespace vx::plans {

AsyncRunner::AsyncRunner(QObject* parent) : QObject(parent)
{
    m_wait = new QTimer(this);
    m_wait->setSingleShot(true);
    connect(m_wait, &QTimer::timeout, this, [this] {
        if (m_plan && m_step.kind == Step::Kind::Wait)
            advance(Outcome{});
    });
}

AsyncRunner::~AsyncRunner()
{
    // Components may outlive the runner; their events must not reach it any more.
    for (const QPointer<TPX400Protocol>& c : std::as_const(m_bound)) {
        if (!c)
            continue;
        c->OnCommResult = nullptr;
        c->OnCommError = nullptr;
    }
}

void AsyncRunner::setChannel(int channel, TPX400Protocol* component, bool bind)
{
    m_channels.insert(channel, component);
    if (!bind || !component)
        return;
    m_bound.append(component);
    component->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) { CommResult(s, r); };
    component->OnCommError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray& r) {
        CommError(s, e, r);
    };
}

TPX400Protocol* AsyncRunner::channel(int channel) const
{
    return m_channels.value(channel);
}

TSXComm* AsyncRunner::port() const
{
    if (m_port)
        return m_port;
    for (const QPointer<TPX400Protocol>& c : m_channels)
        if (c && c->SXComm())
            return c->SXComm();
    return nullptr;
}

void AsyncRunner::run(Plan* plan)
{
    cancel();
    m_plan = plan;
    // A run stopped in the middle of a request may have left its reply coming.
    m_troubled = m_stoppedInFlight;
    m_noReply = false;
    m_stoppedInFlight = false;
    execute(plan->start());
}

void AsyncRunner::stop()
{
    if (!m_plan)
        return;
    m_plan->requestStop();
    // Nothing is in flight during a wait: the plan may stop now.
    if (m_step.kind == Step::Kind::Wait) {
        m_wait->stop();
        advance(Outcome{});
    }
}

void AsyncRunner::cancel()
{
    if (m_waiting && m_step.kind == Step::Kind::Send)
        m_stoppedInFlight = true;
    ++m_generation;
    m_wait->stop();
    m_plan = nullptr;
    m_inFlight = nullptr;
    m_waiting = false;
    m_step = Step{};
}

bool AsyncRunner::lineOpen() const
{
    if (portOpen)
        return portOpen();
    const TSXComm* p = port();
    return p && p->Active();
}

void AsyncRunner::putOnLine(TPX400Protocol* component)
{
    if (transmit) {
        transmit(component);
        return;
    }
    component->Send();
}

void AsyncRunner::execute(Step step)
{
    // Steps that end at once are taken in a loop, not by recursion.
    for (;;) {
        m_step = step;
        const quint64 generation = m_generation;
        switch (step.kind) {
        case Step::Kind::Finished: {
            m_plan = nullptr;
            m_inFlight = nullptr;
            m_waiting = false;
            emit finished();
            return;
        }
        case Step::Kind::Send: {
            TPX400Protocol* c = m_channels.value(step.request.channel);
            if (!c || !lineOpen()) {
                // No reply or error would ever come: the failure is the outcome, taken
                // from the event loop so a plan that repeats cannot recurse.
                TCommError e;
                e.Code = CommPortClosed;
                m_waiting = true;
                m_inFlight = c;
                QTimer::singleShot(0, this, [this, e, generation] {
                    if (generation == m_generation && m_waiting)
                        advance(Outcome::failure(e));
                });
                return;
            }
            m_step.request = requestAfter(step.request, m_troubled, m_noReply);
            const Request& request = m_step.request;
            if (request.pauseRule)
                c->setEndAtLineEnd(false);
            c->setNextPauseEnds(request.pauseRule);
            c->setNextSettle(request.settle);
            c->setTimeoutTime(request.timeoutMs);
            c->setASCIIProtocol(request.text);
            m_inFlight = c;
            m_waiting = true;
            emit sent(request);
            if (generation != m_generation)
                return;
            putOnLine(c);
            return;
        }
        case Step::Kind::Wait:
            m_wait->start(std::max(0, step.waitMs));
            return;
        case Step::Kind::SetLine:
        case Step::Kind::Reopen: {
            Outcome o;
            TSXComm* p = port();
            if (p)
                lineChanged(p->displayName());
            try {
                if (!p)
                    throw EComm("no port");
                if (step.kind == Step::Kind::SetLine) {
                    p->setBaudrate(step.line.baud);
                    p->setFrameParitybit(step.line.parity);
                    p->setFrameStopbits(step.line.stop);
                } else {
                    // A lost port stays lost until it opens again: closing it would give up on it.
                    if (p->Active())
                        p->Close();
                    if (!step.device.isEmpty())
                        setPortDevicePath(int(p->PortName()) + 1, step.device.toStdString());
                    p->Open();
                    if (!p->Active())
                        throw EComm("port not open");
                }
            } catch (const EComm& e) {
                o.error.Code = CommDeviceError;
                o.errorText = e.text();
            }
            if (!m_plan)
                return;
            step = m_plan->next(o);
            emit progressed(m_plan ? m_plan->done() : 0, m_plan ? m_plan->total() : 0);
            if (generation != m_generation || !m_plan)
                return;
            continue;
        }
        }
    }
}

void AsyncRunner::advance(const Outcome& outcome)
{
    if (!m_plan)
        return;
    const quint64 generation = m_generation;
    m_waiting = false;
    m_inFlight = nullptr;
    if (m_step.kind == Step::Kind::Send) {
        if (const TSXComm* p = port())
            feedImage(p->displayName(), m_step.request, outcome);
        m_troubled = !outcome.answered();
        m_noReply = outcome.noReply();
    }
    Plan* plan = m_plan;
    const Step step = plan->next(outcome);
    emit progressed(plan->done(), plan->total());
    // A slot may have cancelled or started another run meanwhile.
    if (generation != m_generation || m_plan != plan)
        return;
    execute(step);
}

void AsyncRunner::CommResult(TSXProtocolComponent* sender, const QByteArray& reply)
{
    auto* c = qobject_cast<TPX400Protocol*>(sender);
    if (!m_plan || !m_waiting || m_step.kind != Step::Kind::Send || !c || c != m_inFlight)
        return;
    // The end of an earlier exchange of the same component (a run stopped mid-request
    // and started again) answers another request.
    if (c->hasExchanged() && c->AnsweredText() != c->ASCIIProtocol())
        return;
    advance(Outcome::replied(m_step.request.text, reply, m_step.request.replyLimit));
}

void AsyncRunner::CommError(TSXProtocolComponent* sender, const TCommError& error, const QByteArray& reply)
{
    auto* c = qobject_cast<TPX400Protocol*>(sender);
    if (!m_plan || !m_waiting || m_step.kind != Step::Kind::Send || !c || c != m_inFlight)
        return;
    if (c->hasExchanged() && c->AnsweredText() != c->ASCIIProtocol())
        return;
    advance(Outcome::failure(error, reply));
}

} // namespace vx::plans
