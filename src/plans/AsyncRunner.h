#pragma once
// Runs a plan for a window: each request goes out through one of the window's
// components, and the plan's next step runs when its reply or failure arrives, so
// the UI thread never waits. Progress and the end come as signals.
#include "plans/Plan.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

class QTimer;

namespace vx {
class TPX400Protocol;
class TSXComm;
class TSXProtocolComponent;
} // namespace vx

namespace vx::plans {

class AsyncRunner : public QObject {
    Q_OBJECT
public:
    explicit AsyncRunner(QObject* parent = nullptr);
    ~AsyncRunner() override;

    // The component that carries requests of `channel`. With `bind` its result and
    // error events go straight to the runner; a window that keeps its own handlers
    // leaves bind off and forwards to CommResult/CommError from them.
    void setChannel(int channel, TPX400Protocol* component, bool bind = true);
    TPX400Protocol* channel(int channel) const;
    // The port SetLine and Reopen steps act on; without one, the first channel's.
    void setPort(TSXComm* port) { m_port = port; }
    TSXComm* port() const;

    // Starts plan (not owned; it must live until finished() or cancel()).
    void run(Plan* plan);
    bool running() const { return m_plan != nullptr; }
    Plan* plan() const { return m_plan; }
    // The step under way (a Send while a reply is awaited).
    const Step& current() const { return m_step; }
    bool waiting() const { return m_waiting; }

    // Asks the plan to stop at its next step (the reply in flight is still taken).
    void stop();
    // Drops the plan at once: a reply that still comes is ignored; no signal follows.
    void cancel();

    // Tests replace how a request is put on the line and whether the line is open.
    std::function<void(TPX400Protocol*)> transmit;
    std::function<bool()> portOpen;

public slots:
    // A component's reply or failure; anything that is not the awaited request's is ignored.
    void CommResult(vx::TSXProtocolComponent* sender, const QByteArray& reply);
    void CommError(vx::TSXProtocolComponent* sender, const vx::TCommError& error, const QByteArray& reply);

signals:
    // A request went out (also a repeat).
    void sent(const vx::plans::Request& request);
    // After every outcome the plan took.
    void progressed(int done, int total);
    // The plan finished; its result is read from the plan.
    void finished();

private:
    void execute(Step step);
    void advance(const Outcome& outcome);
    void putOnLine(TPX400Protocol* component);
    bool lineOpen() const;

    // Components may be deleted before the runner (siblings made earlier die later).
    QHash<int, QPointer<TPX400Protocol>> m_channels;
    // The components whose events the runner took over, to hand back on destruction.
    QList<QPointer<TPX400Protocol>> m_bound;
    QPointer<TSXComm> m_port;
    Plan* m_plan = nullptr;
    Step m_step;
    TPX400Protocol* m_inFlight = nullptr;
    bool m_waiting = false;
    bool m_advancing = false;
    QTimer* m_wait = nullptr;
    // The last exchange failed or was unusable: the next request settles the line first.
    bool m_troubled = false;
    bool m_noReply = false; // the last request got no byte at all
    bool m_stoppedInFlight = false;
    // Bumped on every run and cancel, so a queued outcome of an older run is dropped.
    quint64 m_generation = 0;
};

} // namespace vx::plans
