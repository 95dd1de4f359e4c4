#pragma once
// The simulated RS485 bus: the controllers on it, the faults to inject, and the
// log of every request that went over it. Thread-safe; lines call transmit() from
// their worker threads while tests change units and faults.
#include "comm/SerialLine.h"
#include "sim/SimParams.h"
#include "sim/SimUnit.h"
#include "sim/SimWire.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vx::sim {

using Clock = std::chrono::steady_clock;

struct Fault {
    enum class Kind {
        NoReply,     // the request is lost; no unit sees it
        WrongEcho,   // the reply repeats the request wrongly
        Er7,         // the selected unit answers "er errorNumber" and changes nothing
        Pause,       // the reply stops for pauseMs before byte atByte
        Garbage,     // garbage bytes come before the reply
        LineError,   // reply byte atByte arrives with lineErrors
        Unplug,      // after the reply the adapter is gone
        NoLineEnd,   // the reply comes without its CR LF
        Babble,      // after the reply the line keeps sending for babbleMs
        LfCr,        // the reply ends LF CR instead of CR LF
        ExtraLine,   // another line (extraLine) follows the reply at once
        IgnoreWrite, // a write is answered as done, but the old value stays
        Cut,         // the reply stops before byte atByte; the rest follows pauseMs later
        Stale,       // the whole reply comes pauseMs late, after the asker gave up
        Duplicate,   // the reply is sent twice
        Corrupt,     // some bytes of the reply are replaced by bytes no reply holds
        Random,      // one of `kinds`, drawn for each request with probability rate
    };
    // What a random fault may draw from; a bit per kind.
    enum RandomKind : unsigned {
        RandomCut = 1u << 0,
        RandomStale = 1u << 1,
        RandomDup = 1u << 2,
        RandomGarbage = 1u << 3, // some bytes of the reply changed
        RandomBurst = 1u << 4,   // junk bytes on the line before the reply
        RandomNoLineEnd = 1u << 5,
        RandomNoReply = 1u << 6,
        RandomAll = (1u << 7) - 1,
    };
    // OtherArguments: the first number in the reply is one higher ("rp 12 50" ->
    // "rp 13 50"); a reply without one gets other letters.
    enum class Echo { OtherLetters,
                      LeadingZero,
                      TrailingBlank,
                      OtherArguments };

    Kind kind = Kind::NoReply;
    // Which requests: the text equals `command` or starts with it and a blank
    // ("rp" matches "rp 12", "wp 12" matches "wp 12 500" but not "wp 120 5");
    // empty matches every request. unit >= 0 limits it to replies of that unit.
    std::string command;
    int unit = -1;
    // Fires on the nth matching request after the fault was added (1 = the next
    // one), once; 0 fires on every matching request, at most `times` times (-1: always).
    int nth = 0;
    int times = -1;

    Echo echo = Echo::OtherLetters;
    int atByte = 3;
    int pauseMs = 120;
    std::string garbage = std::string("\xfe\x13?\x80", 4);
    uint32_t lineErrors = CE_RXPARITY;
    int errorNumber = ErrRefused;
    // The babble repeats the reply (without one, "rf 0" CR LF) back to back at the
    // port's character rate. It stops early at the port's next request or purge,
    // and never runs past BabbleLimit bytes.
    int babbleMs = 10000;
    static constexpr size_t BabbleLimit = size_t(1) << 20;
    std::string extraLine = "xx 0\r\n";
    // Cut and Corrupt: where they strike, drawn from this when atByte < 0.
    uint64_t pick = 0;
    // Random: chance per request, the seed of its draws, the kinds it draws from.
    double rate = 0;
    uint64_t seed = 1;
    unsigned kinds = RandomAll;
    // The name the log shows, when not the kind's own ("random:cut").
    std::string label;

    static Fault noReply(const std::string& command = {}, int nth = 0);
    static Fault wrongEcho(const std::string& command = {}, Echo how = Echo::OtherLetters);
    static Fault er7AtParameter(int number);
    static Fault er7AtSetpoint(int number);
    static Fault errorReply(const std::string& command = {}, int number = ErrRefused);
    static Fault pause(const std::string& command = {}, int ms = 120, int atByte = 3);
    static Fault garbageBefore(const std::string& command = {}, const std::string& bytes = {});
    static Fault lineError(const std::string& command = {}, uint32_t flags = CE_RXPARITY, int atByte = 3);
    static Fault unplugAfter(int requests);
    static Fault noLineEnd(const std::string& command = {});
    static Fault babble(const std::string& command = {}, int ms = 10000);
    static Fault lfCr(const std::string& command = {});
    static Fault extraLineAfter(const std::string& command = {});
    // "wp N ..." is echoed as accepted and parameter N keeps its value.
    static Fault ignoreWrite(int parameter);
    // The reply stops inside its digits (atByte < 0) or before byte atByte; the
    // rest follows restMs later, also past a purge or the next request.
    static Fault cut(const std::string& command = {}, int restMs = 200, int atByte = -1);
    // The reply comes lateMs late, also past a purge or the next request.
    static Fault stale(const std::string& command = {}, int lateMs = 700);
    static Fault duplicate(const std::string& command = {});
    // One to three bytes of the reply replaced by control bytes, where `pick` says.
    static Fault corrupt(const std::string& command = {}, uint64_t pick = 1);
    // kinds: RandomKind bits. rate per request, 0 ... 1.
    static Fault random(double rate, uint64_t seed, unsigned kinds = RandomAll);
};

// "cut", "stale", ... for one RandomKind bit; empty for anything else.
std::string randomKindName(unsigned kind);
// The bit of a name, 0 for an unknown one.
unsigned randomKindBit(const std::string& name);
// The concrete fault a random fault's draw turns into for one request, or none.
// Draws a fixed number of values from rng per request, so a seed replays.
std::optional<Fault> drawRandomFault(const Fault& random, std::mt19937_64& rng);
// The reply delays a random fault draws: a cut's rest, a stale reply.
inline constexpr int CutRestMinMs = 60, CutRestMaxMs = 400;
inline constexpr int StaleMinMs = 600, StaleMaxMs = 1000;

const char* faultName(Fault::Kind kind);
// As faultName(kind), but an error reply other than "er 7" is named after its
// number ("er3"), so the log tells them apart.
std::string faultName(const Fault& fault);

struct LogEntry {
    Clock::time_point started;       // first byte of the request began
    Clock::time_point sent;          // its last byte (CR) was on the line
    double ms = 0;                   // `sent` in milliseconds since the bus started
    std::string request;             // as the port sent it, without CR
    LineFrame frame;                 // the port's line settings
    int unit = -1;                   // the unit that answered, -1: none
    std::string reply;               // the bytes the port receives, line end included;
                                     // a babble after the reply is left out
    std::vector<std::string> faults; // names of the faults applied
};

// One received byte, due at the port at `due`. Babble stops when the port
// starts its next request.
struct RxByte {
    uint8_t value = 0;
    uint32_t flags = 0;
    Clock::time_point due;
    bool babble = false;
    // Still on its way from a stalled unit: neither a purge nor the next request
    // stops it (a cut reply's rest, a stale reply).
    bool late = false;
};

// Queues a delivery behind what is queued: when the queue's last byte is due later
// than the delivery's first, the whole delivery moves back, keeping its pace.
void queueAfter(std::deque<RxByte>& queue, const std::vector<RxByte>& bytes);
// What a purge or a new request leaves of a queue: the late bytes still to come
// after `arrivedBy` (those due by then are in the port's buffer, and go with it).
void dropUnsent(std::deque<RxByte>& queue, Clock::time_point arrivedBy);

// What a port sees: exact settings (in-process line, real device), or only the
// baud rate and stop bits (a pseudo-terminal); then a unit's data bits and parity
// are taken as matching.
struct PortView {
    LineFrame frame;
    bool exact = true;
};

// A port's half-sent request line.
struct PortSession {
    std::string pending;
    Clock::time_point lineStart;
};

struct Delivery {
    std::vector<RxByte> bytes;
};

class SimBus {
public:
    SimBus();
    SimBus(const SimBus&) = delete;
    SimBus& operator=(const SimBus&) = delete;

    // Parameter limits and defaults for units added from now on.
    void setParamTable(const ParamTable& table);
    ParamTable paramTable() const;
    // Reads the table from a file; a missing file gives an empty table.
    bool loadParameters(const std::string& path);

    // Adds a unit; the first unit added is selected, as after power-up.
    void addUnit(const UnitConfig& config);
    void removeUnits();
    std::vector<int> unitNumbers() const;
    bool hasUnit(int number) const;
    // Runs f on unit `number` under the bus lock. False when there is no such unit.
    bool withUnit(int number, const std::function<void(SimUnit&)>& f);
    // Shortcuts for tests; an unknown unit reads as 0 and ignores writes.
    int32_t parameter(int unit, int number) const;
    void setParameter(int unit, int number, int32_t value);
    int32_t setpoint(int unit, int number) const;
    void setSetpoint(int unit, int number, int32_t value);
    void raiseError(int unit, int error);
    int errorNumber(int unit) const;
    std::array<int32_t, 4> calibration(int unit) const;
    std::array<int32_t, 4> calibrationEeprom(int unit) const;
    int selectedUnit() const; // -1: none (or more than one)

    // 0 ... MaxLatencyMs; beyond it (or not a number) it is taken as the nearest end.
    static constexpr double MaxLatencyMs = 10000;
    void setLatencyMs(double ms);
    double latencyMs() const;

    int addFault(const Fault& fault); // returns an id for removeFault
    void removeFault(int id);
    void clearFaults();

    // The adapter vanishes now / is plugged in again.
    void unplug();
    void replug();
    // Time at which the adapter vanished or will vanish.
    std::optional<Clock::time_point> goneAt() const;
    uint64_t plugGeneration() const;

    // The log keeps the newest `logLimit` entries (default 100000), so a long
    // interactive run does not grow without end.
    std::vector<LogEntry> log() const;
    std::vector<std::string> requests() const;
    // Requests since the last clearLog, including any dropped from the log.
    size_t requestCount() const;
    void clearLog();
    void setLogLimit(size_t entries);
    // Waits until the log holds at least `count` entries.
    bool waitForRequests(size_t count, int timeoutMs) const;
    // Called for every log entry, on the transmitting thread (outside the bus lock).
    void setLogObserver(std::function<void(const LogEntry&)> observer);

    // Removes every unit, fault and log entry and plugs the adapter back in.
    void reset();

    Clock::time_point epoch() const { return m_epoch; }

    // A port puts bytes on the line, the first starting at `start`. Returns the
    // reply bytes the port will receive.
    Delivery transmit(PortSession& session, const uint8_t* data, size_t count,
                      const PortView& view, Clock::time_point start);

    // For lines: register to be woken when the adapter is unplugged.
    void addWaker(void* owner, std::function<void()> wake);
    void removeWaker(void* owner);

private:
    struct FaultSlot {
        int id;
        Fault fault;
        int seen = 0;
        int fired = 0;
        std::mt19937_64 rng{};
    };
    SimUnit* findUnit(int number);
    const SimUnit* findUnit(int number) const;
    void processLine(const std::string& raw, Clock::time_point lineStart, Clock::time_point lineEnd,
                     const PortView& view, Delivery& out, std::vector<LogEntry>& logged);
    std::vector<Fault> matchFaults(const std::string& request, int replyingUnit);
    void wakeAll();

    const Clock::time_point m_epoch;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_logChanged;
    ParamTable m_table;
    std::vector<std::unique_ptr<SimUnit>> m_units;
    double m_latencyMs = 2.0;
    std::vector<FaultSlot> m_faults;
    int m_nextFaultId = 1;
    std::vector<LogEntry> m_log;
    size_t m_logged = 0;
    size_t m_logLimit = 100000;
    std::optional<Clock::time_point> m_goneAt;
    uint64_t m_plugGeneration = 0;
    std::function<void(const LogEntry&)> m_observer;

    std::mutex m_wakersMutex;
    std::vector<std::pair<void*, std::function<void()>>> m_wakers;
};

// Where the simulator looks for the parameter definition file by default: the
// executable's folder, else $VX_DATA_DIR.
std::string defaultParametersPath();

// The process-wide bus behind the "sim" device path: a VX50 at unit 0 on
// 9600 8O1 and a VX51 at unit 5 on 38400 8E1, with demo cams.
SimBus& defaultBus();
// Back to that state: units, parameters, faults, log, plugged in.
void resetDefaultBus();
// The parameter file the default bus reads (on its next reset); empty: the default path.
void setDefaultBusParametersPath(const std::string& path);
// Fills a bus with the default units.
void addDefaultUnits(SimBus& bus);

} // namespace vx::sim
