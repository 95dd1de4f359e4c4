#include "plans/BlockingRunner.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "plans/ImageFeed.h"

#include <QEventLoop>
#include <QTimer>

namespace vx::plans {

void runBlocking(Plan& plan, const BlockingLine& line, const ProgressFn& progress)
{
    // Asked before the plan decides its next step, so a stop sends nothing more.
    const auto askStop = [&] {
        if (line.interrupted && line.interrupted())
            plan.requestStop();
    };
    askStop();
    Step step = plan.start();
    bool troubled = false;
    bool noReply = false;
    while (!step.isFinished()) {
        Outcome o;
        switch (step.kind) {
        case Step::Kind::Send: {
            const Request request = requestAfter(step.request, troubled, noReply);
            const Exchange x = line.send ? line.send(request) : Exchange{{CommPortClosed, 0, 0}, {}};
            o = x.error.isZero() ? Outcome::replied(request.text, x.reply, request.replyLimit) : Outcome::failure(x.error, x.reply);
            feedImage(line.port, request, o);
            troubled = !o.answered();
            noReply = o.noReply();
            break;
        }
        case Step::Kind::SetLine:
        case Step::Kind::Reopen: {
            lineChanged(line.port);
            const QString error = step.kind == Step::Kind::SetLine
                                      ? (line.setLine ? line.setLine(step.line) : QStringLiteral("no port"))
                                      : (line.reopen ? line.reopen(step.device) : QStringLiteral("no port"));
            if (!error.isEmpty()) {
                o.error.Code = CommDeviceError;
                o.errorText = error;
            }
            break;
        }
        case Step::Kind::Wait:
            if (line.wait)
                line.wait(step.waitMs);
            break;
        case Step::Kind::Finished: break;
        }
        askStop();
        step = plan.next(o);
        if (progress)
            progress(plan);
    }
}

Exchange exchangeThrough(TPX400Protocol& component, const Request& request)
{
    Exchange result;
    bool done = false;
    QEventLoop loop;
    component.OnCommResult = [&](TSXProtocolComponent*, const QByteArray& reply) {
        result.reply = reply;
        done = true;
        loop.quit();
    };
    component.OnCommError = [&](TSXProtocolComponent*, const TCommError& e, const QByteArray& reply) {
        result.error = e;
        result.reply = reply;
        done = true;
        loop.quit();
    };
    const bool endAtLineEnd = component.EndAtLineEnd();
    if (request.pauseRule)
        component.setEndAtLineEnd(false);
    component.setNextPauseEnds(request.pauseRule);
    component.setNextSettle(request.settle);
    component.setTimeoutTime(request.timeoutMs);
    component.setASCIIProtocol(request.text);
    component.Send();
    if (!done)
        loop.exec();
    component.setEndAtLineEnd(endAtLineEnd);
    component.OnCommResult = nullptr;
    component.OnCommError = nullptr;
    return result;
}

BlockingLine lineThrough(TSXComm& port, TPX400Protocol& component)
{
    BlockingLine line = portLine(port);
    line.send = [&port, &component](const Request& r) {
        if (!port.Active()) {
            Exchange x;
            x.error.Code = CommPortClosed;
            return x;
        }
        return exchangeThrough(component, r);
    };
    return line;
}

BlockingLine portLine(TSXComm& port)
{
    BlockingLine line;
    line.port = port.displayName();
    line.setLine = [&port](const LineSettings& s) {
        try {
            port.setBaudrate(s.baud);
            port.setFrameParitybit(s.parity);
            port.setFrameStopbits(s.stop);
        } catch (const EComm& e) {
            return e.text();
        }
        return QString();
    };
    line.reopen = [&port](const QString& device) {
        try {
            // A lost port stays lost until it opens again: closing it would give up on it.
            if (port.Active())
                port.Close();
            if (!device.isEmpty())
                setPortDevicePath(int(port.PortName()) + 1, device.toStdString());
            port.Open();
        } catch (const EComm& e) {
            return e.text();
        }
        return port.Active() ? QString() : QStringLiteral("port not open");
    };
    line.wait = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    return line;
}

} // namespace vx::plans
