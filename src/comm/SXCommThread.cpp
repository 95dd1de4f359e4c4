#include "comm/SXCommThread.h"
#include "comm/SSBCodec.h"
#include "comm/SX2Codec.h"

#include <QMetaObject>
#include <QtGlobal>
#include <chrono>

// Qt's blocking hand-over synchronises inside the (uninstrumented) Qt library, so a
// ThreadSanitizer build is told about that ordering here.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#define VX_TSAN_ACQUIRE(p) __tsan_acquire(p)
#define VX_TSAN_RELEASE(p) __tsan_release(p)
#else
#define VX_TSAN_ACQUIRE(p) ((void)(p))
#define VX_TSAN_RELEASE(p) ((void)(p))
#endif

namespace vx {

// The codecs repeat these codes to stay free of Qt.
static_assert(codec::DeviceError == CommDeviceError && codec::CheckError == CommCheckError
              && codec::SX2Header == CommSX2Header && codec::SX2Doubling == CommSX2Doubling
              && codec::SSBHeader == CommSSBHeader && codec::SSBDoubling == CommSSBDoubling);

TSXCommThread::TSXCommThread(TSXComm* port, std::shared_ptr<SerialLine> line)
    : m_port(port), m_handOvers(port->m_handOvers), m_line(std::move(line)), m_traffic(port->m_traffic)
{
    m_received.reserve(FrameSize);
    m_thread = std::thread([this] {
        Execute();
        std::unique_lock lock(m_finishMutex);
        if (m_orphaned) {
            lock.unlock();
            delete this;
        }
    });
}

TSXCommThread::~TSXCommThread()
{
    Terminate();
    join();
}

void TSXCommThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TSXCommThread::orphan()
{
    std::unique_lock lock(m_finishMutex);
    if (!m_finished && m_thread.joinable()) {
        m_orphaned = true;
        m_thread.detach();
        return;
    }
    lock.unlock();
    delete this; // the thread is at its end: the destructor joins it
}

void TSXCommThread::Terminate()
{
    {
        std::lock_guard lock(m_mutex);
        m_terminated = true;
    }
    m_wake.notify_all();
}

bool TSXCommThread::waitFinished(int ms)
{
    std::unique_lock lock(m_finishMutex);
    return m_finishCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_finished.load(); });
}

void TSXCommThread::forgetComponent(const TSXProtocolComponent* component)
{
    if (m_component == component)
        m_component = nullptr;
}

void TSXCommThread::StartRequest(const TCommRequest* request)
{
    std::unique_lock lock(m_mutex);
    m_pending = false;
    if (!request) {
        m_component = nullptr;
        return;
    }
    m_component = request->Sender;
    Job job;
    job.kind = m_component ? m_component->protocolKind() : ProtocolKind::None;
    if (m_component) {
        const auto framing = m_component->lineFraming();
        job.startChar = framing.start;
        job.stopChar = framing.stop;
        job.filtered = framing.filtered;
        job.lineEnd = framing.lineEnd && !m_port->m_fastOff;
        job.source = m_traffic->sourceId(m_component->objectName());
        job.cyclic = m_component->Cyclic();
    }
    job.frame = request->Frame;
    job.firstByteMs = request->TimeoutTime > 0 ? request->TimeoutTime : DefaultFirstByteMs;
    job.pauseEnds = request->PauseEnds;
    job.settle = request->Settle;
    job.baud = baudrateValue(m_port->m_baudrate);
    m_next = job;
    m_pending = true;
    lock.unlock();
    m_wake.notify_all();
}

bool TSXCommThread::handOver(const std::function<void()>& fn)
{
    if (m_terminated)
        return false;
    VX_TSAN_RELEASE(this);
    QMetaObject::invokeMethod(
        m_port,
        [this, &fn] {
            VX_TSAN_ACQUIRE(this);
            struct Release {
                void* p;
                ~Release() { VX_TSAN_RELEASE(p); }
            } release{this};
            // A Close that ran meanwhile makes every later call a no-op.
            if (m_terminated)
                return;
            auto active = m_handOvers;
            active->push_back(this);
            struct Pop {
                std::vector<const TSXCommThread*>& list;
                ~Pop() { list.pop_back(); }
            } pop{*active};
            // An exception must not unwind through Qt's event dispatch.
            try {
                fn();
            } catch (const std::exception& e) {
                qWarning("Unhandled exception in a serial port handler: %s", e.what());
            }
        },
        Qt::BlockingQueuedConnection);
    VX_TSAN_ACQUIRE(this);
    return !m_terminated;
}

TSXCommThread::Timing& TSXCommThread::timing()
{
    static Timing t;
    return t;
}

bool TSXCommThread::hold(uint8_t b)
{
    // block[0] counts the bytes plus one, in a byte.
    if (m_held[0] >= 255 && !flushHeld())
        return false;
    if (m_held[0] == 0)
        m_held[0] = 1;
    m_held[m_held[0]] = b;
    ++m_held[0];
    return true;
}

bool TSXCommThread::flushHeld()
{
    if (m_held[0] <= 1) {
        m_held[0] = 0;
        return true;
    }
    TFrame held = m_held;
    m_held[0] = 0;
    return deliver(held.data(), m_restartFlag);
}

bool TSXCommThread::completeAndDone(const TCommError& error, const uint8_t* frame, bool done)
{
    TFrame held = m_held;
    m_held[0] = 0;
    bool flag = m_restartFlag;
    const bool ok = handOver([&] {
        if (held[0] > 1 && m_component)
            m_component->DataReceived(held.data(), m_job.frame.data(), flag);
        if (m_job.kind != ProtocolKind::None && m_component)
            m_component->Complete(error, frame);
        // A Close from the handler ends it here.
        if (done && !m_terminated)
            m_port->RequestDone();
    });
    m_restartFlag = flag;
    return ok;
}

bool TSXCommThread::deliver(const uint8_t* block, bool& restartFlag)
{
    bool flag = restartFlag;
    const bool ok = handOver([&] {
        if (m_component)
            m_component->DataReceived(block, m_job.frame.data(), flag);
    });
    restartFlag = flag;
    return ok;
}

void TSXCommThread::Execute()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_terminated || m_pending; });
            if (m_terminated)
                break;
            job = m_next;
            m_job = job;
        }
        using clock = std::chrono::steady_clock;
        m_taken = clock::now();
        if (m_ended != clock::time_point{})
            timing().callerNs += (m_taken - m_ended).count();
        m_written = m_firstByte = m_lastByte = {};
        m_held[0] = 0;
        TCommError error;
        TFrame buffer{};
        bool stop = false;
        const auto wall = std::chrono::system_clock::now();
        const auto start = std::chrono::steady_clock::now();
        m_received.clear();
        switch (job.kind) {
        case ProtocolKind::ASCII: stop = exchangeAscii(job, error, buffer); break;
        case ProtocolKind::SX2: {
            // A failed SX2 telegram is not sent again; an SSB one up to twice more.
            SX2Codec codec;
            stop = exchangeFramed(job, codec, 0, error, buffer);
            break;
        }
        case ProtocolKind::SSB: {
            SSBCodec codec;
            stop = exchangeFramed(job, codec, 2, error, buffer);
            break;
        }
        case ProtocolKind::None: break;
        }
        if (stop || m_terminated)
            break;
        if (job.kind != ProtocolKind::None) {
            TrafficBuffer::Exchange x;
            x.source = job.source;
            x.cyclic = job.cyclic;
            x.wall = wall;
            x.start = start;
            x.end = std::chrono::steady_clock::now();
            x.code = error.Code;
            x.request = job.frame.data() + 1;
            x.requestSize = job.frame[0] > 0 ? size_t(job.frame[0] - 1) : 0;
            x.reply = reinterpret_cast<const uint8_t*>(m_received.data());
            x.replySize = m_received.size();
            m_traffic->capture(x);
        }
        {
            std::lock_guard lock(m_mutex);
            m_pending = false;
        }
        if (error.Code == CommLineLost) {
            // The port closes itself from this hand-over and ends this thread.
            handOver([&] { m_port->lineLost(m_component, error); });
            break;
        }
        // Also after a dropped request, so the queue never stalls behind it; one
        // hand-over for both, as the caller's next request waits on it.
        const bool lostAfterReply = m_line->lost();
        if (!completeAndDone(error, buffer.data(), !lostAfterReply))
            break;
        m_ended = clock::now();
        if (job.kind == ProtocolKind::ASCII && m_lastByte != clock::time_point{}) {
            Timing& t = timing();
            ++t.exchanges;
            t.writtenNs += (m_written - m_taken).count();
            t.firstByteNs += (m_firstByte - m_taken).count();
            t.lastByteNs += (m_lastByte - m_taken).count();
            t.handedOverNs += (m_ended - m_taken).count();
        }
        if (lostAfterReply) {
            TCommError lost;
            lost.Code = CommLineLost;
            lost.OSError = static_cast<uint32_t>(m_line->lastError());
            handOver([&] { m_port->lineLost(nullptr, lost); });
            break;
        }
    }
    {
        std::lock_guard lock(m_finishMutex);
        m_finished = true;
    }
    m_finishCv.notify_all();
}

// ---------------------------------------------------------------------------
// Primitives

bool TSXCommThread::checkLine(TCommError& e)
{
    if (const uint32_t flags = m_line->takeLineErrors()) {
        e.Code = CommLineError;
        e.LineErrors = flags;
        return false;
    }
    return true;
}

TSXCommThread::Step TSXCommThread::transmit(const uint8_t* data, size_t count, TCommError& e)
{
    if (m_terminated)
        return Step::Stop;
    auto osFail = [&] {
        if (m_terminated)
            return Step::Stop;
        e.Code = m_line->lost() ? CommLineLost : CommSystemError;
        e.OSError = static_cast<uint32_t>(m_line->lastError());
        return Step::Fail;
    };
    m_readTimeout = m_job.firstByteMs;
    if (m_endedAtLineEnd) {
        m_endedAtLineEnd = false;
        // A line that has shown leftovers, or has not yet shown a run of clean replies
        // (a new one), is watched a moment longer, so a controller that sends extra
        // lines is found out before the purge before the next request hides them; a
        // proven clean one costs nothing.
        const bool watch = m_fastTrouble > 0 || m_strayLine || m_fastClean < FastCleanRun;
        const bool leftover = leftoverAfterLineEnd(watch ? LeftoverWaitMs : 0);
        if (m_terminated)
            return Step::Stop;
        // A stray line caught inside the last reply counts until a clean one.
        if (leftover || !m_strayLine)
            noteFastTrouble(leftover);
    }
    m_strayLine = false;
    if (m_job.settle) {
        settle();
        if (m_terminated)
            return Step::Stop;
    }
    m_received.clear();
    if (!m_line->purge())
        return osFail();
    // Errors of input that was just thrown away belong to nobody's reply.
    m_line->takeLineErrors();
    if (count > 0 && !m_line->write(data, count))
        return osFail();
    if (!checkLine(e))
        return Step::Fail;
    if (!m_line->flush())
        return osFail();
    m_lastActivity = m_written = std::chrono::steady_clock::now();
    if (!checkLine(e))
        return Step::Fail;
    return m_terminated ? Step::Stop : Step::Ok;
}

TSXCommThread::Step TSXCommThread::readByte(uint8_t& byte, TCommError& e)
{
    if (m_terminated)
        return Step::Stop;
    const auto r = m_line->readByte(byte, m_readTimeout);
    if (m_terminated)
        return Step::Stop;
    switch (r) {
    case SerialLine::ReadResult::Error:
        e.Code = m_line->lost() ? CommLineLost : CommSystemError;
        e.OSError = static_cast<uint32_t>(m_line->lastError());
        return Step::Fail;
    case SerialLine::ReadResult::Timeout:
        e.Code = CommTimeout;
        return Step::Fail;
    case SerialLine::ReadResult::Byte:
        break;
    }
    m_lastActivity = m_lastByte = std::chrono::steady_clock::now();
    if (m_firstByte == std::chrono::steady_clock::time_point{})
        m_firstByte = m_lastByte;
    if (m_received.size() < FrameSize)
        m_received.push_back(static_cast<char>(byte));
    if (!checkLine(e))
        return Step::Fail;
    m_readTimeout = NextByteMs;
    return Step::Ok;
}

void TSXCommThread::drain(TCommError& e)
{
    for (int i = 0; i < FrameSize && !m_terminated; ++i) {
        uint8_t b;
        TCommError ignored;
        if (readByte(b, ignored) != Step::Ok)
            break;
    }
    (void)e; // the caller's record stays as it was
}

bool TSXCommThread::leftoverAfterLineEnd(int waitMs)
{
    // Waiting here every time would cost every exchange its time; a line that comes
    // after the look is dropped inside the next reply (a whole line before its echo).
    uint8_t b = 0;
    if (m_line->readByte(b, waitMs) != SerialLine::ReadResult::Byte)
        return false;
    // The purge alone could miss the rest of a line still on its way, which would
    // then open the next reply.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(MaxReplyMs);
    while (!m_terminated && std::chrono::steady_clock::now() < until
           && m_line->readByte(b, NextByteMs) == SerialLine::ReadResult::Byte) { }
    return true;
}

void TSXCommThread::settle()
{
    using namespace std::chrono;
    const auto until = steady_clock::now() + milliseconds(MaxReplyMs);
    while (!m_terminated) {
        const auto now = steady_clock::now();
        const auto quiet = now - m_lastActivity;
        if (quiet >= milliseconds(SettleQuietMs) || now >= until)
            return;
        const auto wait = std::min(milliseconds(SettleQuietMs) - quiet, until - now);
        uint8_t b = 0;
        // Rounded up: a wait of 0 would spin.
        const int ms = int(duration_cast<milliseconds>(wait).count()) + 1;
        switch (m_line->readByte(b, ms)) {
        case SerialLine::ReadResult::Byte: m_lastActivity = steady_clock::now(); break;
        case SerialLine::ReadResult::Timeout: break;
        // The purge that follows reports a failed line.
        case SerialLine::ReadResult::Error: return;
        }
    }
}

void TSXCommThread::noteFastTrouble(bool trouble)
{
    if (!trouble) {
        // A look can miss a leftover that comes late, so one clean look does not
        // clear the count; a run of them does.
        if (m_fastClean < FastCleanRun)
            ++m_fastClean;
        if (m_fastClean >= FastCleanRun)
            m_fastTrouble = 0;
        return;
    }
    m_fastClean = 0;
    if (++m_fastTrouble < FastTroubleLimit)
        return;
    m_fastTrouble = 0;
    handOver([this] { m_port->fastRepliesFailed(); });
}

// ---------------------------------------------------------------------------
// ASCII line exchange

namespace {

// Ten bits a character at least; less is never waited for too long.
std::chrono::nanoseconds charTime(int baud)
{
    return std::chrono::nanoseconds(10'000'000'000LL / std::max(baud, 1));
}

} // namespace

void TSXCommThread::awaitEcho(const Job& job, const std::string& echo, const std::string& reply)
{
    // The rest of the echo and the line end cannot come sooner than the line carries
    // them: one wait for them spares a wake-up for each byte. It ends a character
    // before the last of them is due, so the reply ends no later.
    // A polled value's reply is mostly as long as the last one: waiting for all of it
    // spares a wake-up for each digit. A shorter one costs the difference, once.
    size_t need = echo.size() + 2;
    if (const auto it = m_replyShape.find(echo); it != m_replyShape.end())
        need = std::max<size_t>(need, it->second.length);
    // What was read with the first byte has come already (a USB adapter hands over
    // several at once): only the rest is waited for.
    const size_t have = reply.size() + m_line->buffered();
    if (reply.empty() || have + 3 > need || echo.compare(0, reply.size(), reply) != 0)
        return;
    sleepUntil(std::chrono::steady_clock::now() + charTime(job.baud) * int64_t(need - have - 1));
}

void TSXCommThread::awaitKnownReply(const Job& job, const std::string& echo)
{
    const auto it = m_replyShape.find(echo);
    if (it == m_replyShape.end() || it->second.time == std::chrono::steady_clock::duration{})
        return;
    // Two characters early: the rest is read as it comes, so a quicker reply than last
    // time costs no more than those two.
    sleepUntil(m_written + it->second.time - 2 * charTime(job.baud));
}

void TSXCommThread::sleepUntil(std::chrono::steady_clock::time_point until)
{
    // In short steps, so a Close is not kept waiting at slow rates.
    while (!m_terminated) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero())
            return;
        std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(left, std::chrono::milliseconds(10)));
    }
}

namespace {

bool endsWithLineEnd(const std::string& reply)
{
    if (reply.size() < 2)
        return false;
    const char a = reply[reply.size() - 2];
    const char b = reply.back();
    return (a == '\r' && b == '\n') || (a == '\n' && b == '\r');
}

// The request text without head and foot: what the reply starts with.
std::string echoOf(const TFrame& frame)
{
    size_t from = 1;
    size_t to = frame[0];
    while (from < to && frame[from] <= 0x20)
        ++from;
    while (to > from && frame[to - 1] <= 0x20)
        --to;
    return std::string(reinterpret_cast<const char*>(frame.data() + from), to - from);
}

} // namespace

void TSXCommThread::rememberReply(const std::string& echo, size_t length)
{
    // Bounded: a whole-set read asks each value once and learns nothing.
    if (m_replyShape.size() >= ReplyShapesKept && !m_replyShape.contains(echo))
        m_replyShape.clear();
    ReplyShape& shape = m_replyShape[echo];
    shape.length = uint16_t(std::min<size_t>(length, MaxReplyBytes));
    // Follows a quicker reply at once and a slower one by a quarter, so one late
    // reply does not make the next wait for nothing.
    const auto time = m_lastByte - m_written;
    if (shape.time == std::chrono::steady_clock::duration{} || time < shape.time)
        shape.time = time;
    else
        shape.time += (time - shape.time) / 4;
}

bool TSXCommThread::exchangeAscii(const Job& job, TCommError& e, TFrame& buf)
{
    e = {};
    buf.fill(0);
    const int count = job.frame[0];
    if (count == 0) {
        e.Code = CommEmptyFrame;
        return false;
    }
    m_restartFlag = false;
    const std::string echo = job.lineEnd ? echoOf(job.frame) : std::string();
    int attempts = 0;
    for (;;) {
        e = {};
        std::string reply;
        Step st = transmit(job.frame.data() + 1, static_cast<size_t>(count - 1), e);
        if (st == Step::Stop)
            return true;
        if (st == Step::Fail) {
            if (e.Code != CommLineLost && ++attempts <= 2)
                continue;
            return false;
        }
        bool first = true;
        bool strayLine = false;
        const bool batch = job.lineEnd && !job.startChar && !job.stopChar;
        if (batch && attempts == 0)
            awaitKnownReply(job, echo);
        bool awaited = false;
        int received = 0;
        // Time spent waiting on the line since the first byte; the hand-overs are left
        // out, so a user-interface thread that is busy for a while is no babbling line.
        std::chrono::steady_clock::duration lineTime{};
        for (;;) {
            // Once, after the first byte: the bytes that come meanwhile wait in the line.
            if (batch && received == 1 && !awaited) {
                awaited = true;
                awaitEcho(job, echo, reply);
            }
            uint8_t b = 0;
            const auto readStart = std::chrono::steady_clock::now();
            st = readByte(b, e);
            if (st == Step::Stop)
                return true;
            if (received > 0)
                lineTime += std::chrono::steady_clock::now() - readStart;
            if (st == Step::Ok) {
                ++received;
                if (received > MaxReplyBytes || lineTime > std::chrono::milliseconds(MaxReplyMs)) {
                    // Retrying would only babble on as long again.
                    e = {};
                    e.Code = CommBabbling;
                    buf.fill(0);
                    m_line->purge();
                    m_line->takeLineErrors();
                    return m_terminated.load();
                }
            }
            if (st == Step::Fail) {
                if ((e.Code == CommTimeout || e.Code == CommLineLost) && !first) {
                    // A pause after the line end ends the reply, and so does a long
                    // one without it (the reply check refuses that as cut); so does the
                    // device going away right after it, and the reply still counts
                    // (the next request finds the line lost).
                    if (job.lineEnd && !endsWithLineEnd(reply))
                        noteFastTrouble(true);
                    e = {};
                    buf.fill(0);
                    return m_terminated.load();
                }
                break;
            }
            if (strayLine) {
                // A whole line came that is not this request's reply, and more
                // follows: it was left over from before, so the reply starts anew.
                reply.clear();
                // Held back, it never reached the component; else it starts afresh.
                if (batch)
                    m_held[0] = 0;
                else
                    m_restartFlag = true;
                m_strayLine = true;
                noteFastTrouble(true);
                if (m_terminated)
                    return true;
            }
            buf[0] = 2;
            buf[1] = b;
            bool deliverIt = true;
            if (first && job.startChar) {
                if (b != job.startChar) {
                    e.Code = CommStartChar;
                    break;
                }
                if (job.filtered)
                    deliverIt = false;
            } else if (job.stopChar && b == job.stopChar) {
                if (!job.filtered && !deliver(buf.data(), m_restartFlag))
                    return true;
                buf.fill(0);
                return false;
            }
            first = false;
            reply.push_back(static_cast<char>(b));
            const bool lineEnded = endsWithLineEnd(reply);
            const bool echoed = reply.size() >= echo.size() + 2 && reply.compare(0, echo.size(), echo) == 0;
            const bool ended = job.lineEnd && lineEnded && echoed;
            // A reply that ends at its line end goes to the component whole, with the
            // Complete: one hand-over per exchange instead of one per byte.
            if (deliverIt && (batch || ended)) {
                if (!hold(b))
                    return true;
            } else if (deliverIt && !deliver(buf.data(), m_restartFlag)) {
                return true;
            }
            buf.fill(0);
            if (ended) {
                m_endedAtLineEnd = true;
                if (batch)
                    rememberReply(echo, reply.size());
                return false;
            }
            // A line that is not the echo may be the reply ("er 7") or a line left
            // over from before; which one shows when more bytes come.
            strayLine = job.lineEnd && lineEnded;
            // A pause before the line end is a stall, not the end (a component with
            // its own stop character keeps its rule).
            if (!lineEnded && !job.pauseEnds && !job.stopChar)
                m_readTimeout = NoLineEndMs;
        }
        // The attempt failed; a vanished device is not asked again.
        buf.fill(0);
        if (e.Code == CommLineLost)
            return false;
        // What came of it reaches the component as it always did; the next attempt
        // starts it afresh.
        if (!flushHeld())
            return true;
        if (e.Code != CommTimeout)
            drain(e);
        if (m_terminated)
            return true;
        m_restartFlag = true;
        ++attempts;
        if (e.Code == CommTimeout && first)
            return false;
        if (attempts > 2)
            return false;
    }
}

// ---------------------------------------------------------------------------
// Framed telegrams (SX2, SSB)

bool TSXCommThread::exchangeFramed(const Job& job, FrameCodec& codec, int retries, TCommError& e, TFrame& buf)
{
    e = {};
    buf.fill(0);
    if (job.frame[0] == 0) {
        e.Code = CommEmptyFrame;
        return false;
    }
    const std::vector<uint8_t> tx = codec.encode(job.frame);

    int attempts = 0;
    for (;;) {
        e = {};
        buf.fill(0);
        Step st = transmit(tx.data(), tx.size(), e);
        if (st == Step::Stop)
            return true;
        if (st == Step::Ok) {
            codec.reset();
            auto status = FrameCodec::Status::NeedMore;
            while (status == FrameCodec::Status::NeedMore) {
                uint8_t b = 0;
                if ((st = readByte(b, e)) != Step::Ok)
                    break;
                status = codec.feed(b);
            }
            if (status == FrameCodec::Status::Error) {
                e.Code = codec.error();
                st = Step::Fail;
            } else if (status == FrameCodec::Status::Done) {
                buf = codec.reply();
                if (codec.error() != 0) {
                    // The unit understood and refused: its telegram is the answer.
                    e.Code = codec.error();
                    return false;
                }
            }
        }
        if (st == Step::Stop)
            return true;
        if (st == Step::Fail) {
            if (e.Code == CommPortClosed || e.Code == CommLineLost)
                return false;
            const auto reset = codec.resetTelegram();
            if (abandonTelegram(e, buf, reset.data(), reset.size()) == Step::Stop)
                return true;
            ++attempts;
            // Silence is not repeated: the unit would only stay silent once more.
            if (e.Code == CommTimeout || attempts > retries)
                return false;
            continue;
        }
        m_restartFlag = false;
        if (!deliver(buf.data(), m_restartFlag))
            return true;
        if (!m_restartFlag)
            return false;
        attempts = 0;
    }
}

// A failed telegram hands over no partial bytes; the line is drained (unless it just
// stayed silent) and the peer is told to reset before anything else is sent.
TSXCommThread::Step TSXCommThread::abandonTelegram(TCommError& e, TFrame& buf, const uint8_t* reset, size_t count)
{
    buf.fill(0);
    if (e.Code != CommTimeout)
        drain(e);
    TCommError ignored;
    return transmit(reset, count, ignored);
}

} // namespace vx
