#pragma once
// The worker thread of one open TSXComm: runs one request at a time over the line
// and hands every call into a component to the user-interface thread, blocking until
// it has run there.
#include "comm/SXComm.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace vx {

class FrameCodec;

class TSXCommThread {
public:
    TSXCommThread(TSXComm* port, std::shared_ptr<SerialLine> line);
    ~TSXCommThread(); // joins; call only once finished() or after Terminate()

    // User-interface thread. nullptr clears the request without waking the worker.
    void StartRequest(const TCommRequest* request);
    void Terminate();
    bool Terminated() const { return m_terminated.load(); }
    bool finished() const { return m_finished.load(); }
    // Waits up to ms for finished(); true when it is.
    bool waitFinished(int ms);
    void join();
    // Lets the thread run out on its own; the object frees itself when it ends (at
    // once when it already has). The caller lets go of it.
    void orphan();
    // The component of the request in progress is gone: nothing may reach it.
    void forgetComponent(const TSXProtocolComponent* component);

    static constexpr int DefaultFirstByteMs = 100;
    // A line reply ends at this much silence after its line end (or, for a request
    // with PauseEnds, after any byte).
    static constexpr int NextByteMs = 50;
    // A pause before the line end (a stalling adapter or controller) may last up to
    // this long; a reply whose line end never comes then ends as it is and fails the
    // reply check as cut.
    static constexpr int NoLineEndMs = 500;
    // A settle before a request waits for this much silence, at most MaxReplyMs.
    static constexpr int SettleQuietMs = 50;
    // A reply longer than this, or still coming this long after its first byte, is
    // no reply: the exchange fails with CommBabbling and the input is purged.
    static constexpr int MaxReplyBytes = 256;
    static constexpr size_t ReplyShapesKept = 64;
    static constexpr int MaxReplyMs = 2000;
    // Fast replies that go wrong this many times in a row (no line end, or bytes
    // left over after the line end) switch the port back to the pause rule.
    static constexpr int FastTroubleLimit = 3;
    // Clean exchanges in a row that clear the count of troubles.
    static constexpr int FastCleanRun = 10;
    // How long to look for bytes after a line end once leftovers were seen (the
    // line's wait rounds down, so 2 gives at least one millisecond: several
    // character times at 9600 baud and up); otherwise only what is there is seen.
    static constexpr int LeftoverWaitMs = 2;

    // Where the exchanges' time goes, summed over every ASCII exchange of the process
    // (nanoseconds from the worker taking the request): the request written, the
    // reply's first and last byte, the caller told. Read by the benchmarks.
    struct Timing {
        std::atomic<int64_t> exchanges{0};
        std::atomic<int64_t> writtenNs{0};
        std::atomic<int64_t> firstByteNs{0};
        std::atomic<int64_t> lastByteNs{0};
        std::atomic<int64_t> handedOverNs{0};
        // From the caller told to the worker taking the next request.
        std::atomic<int64_t> callerNs{0};
    };
    static Timing& timing();

private:
    struct Job {
        ProtocolKind kind = ProtocolKind::None;
        uint8_t startChar = 0;
        uint8_t stopChar = 0;
        bool filtered = false;
        bool lineEnd = false;
        TFrame frame{};
        int firstByteMs = DefaultFirstByteMs;
        uint16_t source = 0;
        bool cyclic = false;
        bool pauseEnds = false;
        bool settle = false;
        int baud = 9600;
    };
    enum class Step { Ok,
                      Fail,
                      Stop };

    void Execute();
    // Runs fn on the user-interface thread and waits for it. False when terminated.
    bool handOver(const std::function<void()>& fn);
    bool deliver(const uint8_t* block, bool& restartFlag);

    Step transmit(const uint8_t* data, size_t count, TCommError& e);
    Step readByte(uint8_t& byte, TCommError& e);
    bool checkLine(TCommError& e);
    void drain(TCommError& e);
    // Before a request after a reply that ended at its line end: true when bytes
    // followed it (looked for up to waitMs). They are read away until the line is quiet.
    bool leftoverAfterLineEnd(int waitMs);
    // Runs the component's Complete and then the port's RequestDone in one hand-over
    // (the last bytes of a reply that ended at its line end go with them). False
    // when terminated.
    bool completeAndDone(const TCommError& error, const uint8_t* frame, bool done);
    // Keeps a byte of the reply for the next hand-over; hands over what is kept.
    // False when terminated.
    bool hold(uint8_t b);
    bool flushHeld();
    // Reads and drops bytes until the line has been quiet for SettleQuietMs (counted
    // from the last byte seen or sent), at most MaxReplyMs.
    void settle();
    void noteFastTrouble(bool trouble);
    Step abandonTelegram(TCommError& e, TFrame& buf, const uint8_t* reset, size_t count);

    // With a fast reply under way that so far is the start of its echo: waits for the
    // time the rest of the echo and the line end take on the line, or the rest of the
    // reply as long as the same request's last one was.
    void awaitEcho(const Job& job, const std::string& echo, const std::string& reply);
    // Before the first byte of a request asked before: sleeps until shortly before
    // its reply ended last time, so the reply is read at one wake-up, not byte by byte.
    void awaitKnownReply(const Job& job, const std::string& echo);
    void sleepUntil(std::chrono::steady_clock::time_point until);
    void rememberReply(const std::string& echo, size_t length);
    // Each returns true when the thread was asked to stop.
    bool exchangeAscii(const Job& job, TCommError& e, TFrame& buf);
    // A framed telegram: the codec knows the bytes, this the line. A failed telegram
    // is sent again up to `retries` times, unless the unit stayed silent.
    bool exchangeFramed(const Job& job, FrameCodec& codec, int retries, TCommError& e, TFrame& buf);

    TSXComm* m_port;
    std::shared_ptr<std::vector<const TSXCommThread*>> m_handOvers;
    std::shared_ptr<SerialLine> m_line;
    std::shared_ptr<TrafficBuffer> m_traffic;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    Job m_next;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    std::mutex m_finishMutex;
    std::condition_variable m_finishCv;
    bool m_orphaned = false; // under m_finishMutex

    // User-interface thread only: whom the current request's calls go to.
    TSXProtocolComponent* m_component = nullptr;

    // Worker only.
    Job m_job;
    int m_readTimeout = DefaultFirstByteMs;
    bool m_restartFlag = false;
    bool m_endedAtLineEnd = false;
    // The last replies to requests asked over and over (live values): how long they
    // were and how soon after the request they ended.
    struct ReplyShape {
        uint16_t length = 0;
        std::chrono::steady_clock::duration time{};
    };
    std::unordered_map<std::string, ReplyShape> m_replyShape;
    // A line that was not the reply came before it (and was dropped) in the last exchange.
    bool m_strayLine = false;
    int m_fastTrouble = 0;
    int m_fastClean = 0;
    // When the last byte came in or the last request left.
    std::chrono::steady_clock::time_point m_lastActivity{};
    // The exchange under way: when it was taken, when the request left, its first
    // and last byte, and when the last one ended (for Timing).
    std::chrono::steady_clock::time_point m_taken{}, m_written{}, m_firstByte{}, m_lastByte{}, m_ended{};
    // Bytes of the reply not yet handed to the component (a fast reply's, until it ends).
    TFrame m_held{};
    // Bytes read in the current attempt, for the traffic capture.
    std::string m_received;
    std::thread m_thread;
};

} // namespace vx
