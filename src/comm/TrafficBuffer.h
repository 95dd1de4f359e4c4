#pragma once
// What went over the line: the port keeps the last exchanges in a ring buffer that
// the worker fills and any thread reads, so a window opened late still shows them.
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vx {

enum class TrafficOutcome : uint8_t { Ok,
                                      Timeout,
                                      LineError,
                                      Lost,
                                      Reconnected };

// The outcome of a TCommError code.
TrafficOutcome trafficOutcome(uint32_t code);

struct TrafficRecord {
    uint64_t seq = 0;        // counts every capture of the buffer from 0
    int64_t wallMs = 0;      // wall clock at the request, ms since the epoch
    int64_t monoUs = 0;      // steady clock at the request, for relative times
    uint32_t durationUs = 0; // request written to reply ended
    uint32_t code = 0;       // TCommError::Code
    uint16_t source = 0;     // TrafficBuffer::sourceName
    bool cyclic = false;     // the component repeats its request by itself
    TrafficOutcome outcome = TrafficOutcome::Ok;
    std::string request; // bytes sent
    std::string reply;   // bytes received in the last attempt
};

class TrafficBuffer {
public:
    static constexpr size_t DefaultCapacity = 100000;
    explicit TrafficBuffer(size_t capacity = DefaultCapacity);

    // Names of the requesting components, interned; id 0 is "".
    uint16_t sourceId(const QString& name);
    QString sourceName(uint16_t id) const;

    struct Exchange {
        uint16_t source = 0;
        bool cyclic = false;
        std::chrono::system_clock::time_point wall;
        std::chrono::steady_clock::time_point start;
        std::chrono::steady_clock::time_point end;
        uint32_t code = 0;
        const uint8_t* request = nullptr;
        size_t requestSize = 0;
        const uint8_t* reply = nullptr;
        size_t replySize = 0;
    };
    // Worker side: overwrites the oldest record once the buffer is full.
    void capture(const Exchange& x);
    // Something on the line that is no exchange (the line back after a loss), kept
    // among the exchanges so the traffic view and log show where it happened.
    void note(uint16_t source, TrafficOutcome outcome, const std::string& text);

    // Appends to out the records from seq `from` on (or from the oldest kept when
    // that is gone), at most max of them; returns how many.
    size_t read(uint64_t from, size_t max, std::vector<TrafficRecord>& out) const;
    uint64_t nextSeq() const;
    uint64_t firstSeq() const;
    size_t size() const;
    size_t capacity() const { return m_capacity; }
    // Bytes held by the records, their texts and the buffer's own tables.
    size_t memoryBytes() const;

private:
    static constexpr size_t ChunkSize = 1024;
    TrafficRecord& slot(uint64_t seq);
    const TrafficRecord& slot(uint64_t seq) const;

    const size_t m_capacity;
    mutable std::mutex m_mutex;
    // Chunks are allocated as the buffer fills and never move, so a full buffer
    // reuses its records (and their strings' storage) without allocating.
    std::vector<std::unique_ptr<TrafficRecord[]>> m_chunks;
    uint64_t m_next = 0;
    std::vector<QString> m_sources{QString()};
};

// A byte string as text: printable ASCII as it is, CR and LF as <CR> and <LF>, any
// other byte as <xx> in hex.
QString trafficText(const std::string& bytes);
// "72 70 20 30 0D".
QString trafficHex(const std::string& bytes);
// Language-independent outcome for files: "ok", "timeout", "line error", "lost",
// "reconnected".
QString trafficOutcomeName(TrafficOutcome outcome);
// "10:15:01.123" (local time), with the date in front when withDate.
QString trafficWallText(int64_t wallMs, bool withDate = false);
// "12.3 ms".
QString trafficDurationText(uint32_t durationUs);

} // namespace vx
