#pragma once
// A job on the controller's line as a class without I/O: it is asked for its first
// step, then fed the outcome of each step and answers with the next, until it says it
// is finished. Ports, threads, timers and event loops stay in the runners, so the
// windows (AsyncRunner) and vx5x (BlockingRunner) run the very same rules, and a table
// of outcomes tests a plan without a port.
#include "comm/SXComm.h"
#include "device/CommandSet.h"

#include <QByteArray>
#include <QString>

namespace vx::plans {

// One request for the controller.
struct Request {
    QString text;           // without the CR the component adds
    int timeoutMs = 0;      // first-byte time-out; 0 means the component's 100 ms
    int channel = 0;        // which of the caller's components carries it (its name shows in the traffic)
    bool pauseRule = false; // end the reply at the pause even with fast replies (probes at wrong settings)
    // The longest whole reply (input and output words are shorter).
    int replyLimit = cmd::ReplyLimit;
    // Let the line go quiet and purge it before sending. The runners set it after a
    // failed or unusable exchange, whose reply may still be coming; never for a
    // request with the pause rule (a probe at wrong settings must stay quick).
    bool settle = false;
};

// Line settings a plan asks for (the device search).
struct LineSettings {
    TBaudrate baud = TBaudrate::br9600;
    TParityBit parity = TParityBit::Even;
    TStopBit stop = TStopBit::sb_1;
    bool operator==(const LineSettings&) const = default;
};

struct Step {
    enum class Kind {
        Send,     // put `request` on the line; the outcome is its reply or failure
        SetLine,  // change the port's line settings to `line`
        Reopen,   // close the port and open `device` (empty: the same device) again
        Wait,     // let `waitMs` pass; the outcome is empty
        Finished, // the plan is done; its result is read from the plan
    };
    Kind kind = Kind::Finished;
    Request request;
    LineSettings line;
    QString device;
    int waitMs = 0;

    static Step send(const QString& text, int timeoutMs = 0, int channel = 0, bool pauseRule = false)
    {
        Step s;
        s.kind = Kind::Send;
        s.request = {text, timeoutMs, channel, pauseRule};
        return s;
    }
    static Step send(const Request& request)
    {
        Step s;
        s.kind = Kind::Send;
        s.request = request;
        return s;
    }
    static Step setLine(const LineSettings& line)
    {
        Step s;
        s.kind = Kind::SetLine;
        s.line = line;
        return s;
    }
    static Step reopen(const QString& device = QString())
    {
        Step s;
        s.kind = Kind::Reopen;
        s.device = device;
        return s;
    }
    static Step wait(int ms)
    {
        Step s;
        s.kind = Kind::Wait;
        s.waitMs = ms;
        return s;
    }
    static Step finished() { return Step{}; }
    bool isFinished() const { return kind == Kind::Finished; }
};

// What the last step came to. For a Send the runner has checked the reply against
// the request once (cmd::checkReply); a plan never checks a reply again.
struct Outcome {
    TCommError error;          // zero: the step succeeded (for a Send: bytes came)
    QByteArray reply;          // the bytes that came, also beside some errors
    cmd::CheckedReply checked; // the reply against its request (Send only)
    QString errorText;         // the port's own words for a failed SetLine or Reopen

    bool failed() const { return !error.isZero(); }
    bool noReply() const { return error.Code == CommTimeout; }
    // The port or line failed: nothing more will come until it is opened again.
    bool lineFailed() const { return failed() && !noReply(); }
    // A whole reply that answers the request with a value of its kind.
    bool answered() const { return !failed() && checked.ok(); }

    static Outcome replied(QStringView request, const QByteArray& bytes, int limit = cmd::ReplyLimit)
    {
        Outcome o;
        o.reply = bytes;
        o.checked = cmd::checkReply(request, bytes, limit);
        return o;
    }
    static Outcome failure(const TCommError& e, const QByteArray& bytes = {})
    {
        Outcome o;
        o.error = e;
        o.reply = bytes;
        return o;
    }
    static Outcome failure(uint32_t code)
    {
        TCommError e;
        e.Code = code;
        return failure(e);
    }
};

// How often a request is tried before its lost or unusable reply counts (repeating
// "rp", "wp", "sc" and the like with the same text does no harm).
inline constexpr int Tries = 3;

// What a runner puts on the line for a Send, after an exchange that came to `last`
// (troubled: the last exchange failed or its reply was unusable).
// A request after one that got no reply at all waits this long for its first byte:
// the controller may only be slow, its late reply still on its way.
inline constexpr int SlowReplyMs = 1000;

inline Request requestAfter(Request request, bool troubled, bool noReply = false)
{
    if (troubled && !request.pauseRule) {
        request.settle = true;
        if (noReply && request.timeoutMs < SlowReplyMs)
            request.timeoutMs = SlowReplyMs;
    }
    return request;
}

class Plan {
public:
    virtual ~Plan() = default;
    Plan() = default;
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;

    virtual Step start() = 0;
    virtual Step next(const Outcome& last) = 0;

    // Work done of the whole, for a progress bar (0 of 0: no count to show).
    virtual int done() const { return 0; }
    virtual int total() const { return 0; }

    // Asked to stop (Cancel, Ctrl-C): the plan finishes at its next step with what it
    // has, never in the middle of a request.
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }

private:
    bool m_stop = false;
};

} // namespace vx::plans
