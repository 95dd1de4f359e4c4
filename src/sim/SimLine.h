#pragma once
// The in-process serial line to a simulated bus. The line has exact settings:
// a unit answers cleanly only when baud rate, data bits, parity and stop bits all
// match its own. Bytes arrive paced at the line's character time.
#include "comm/SerialLine.h"
#include "sim/SimBus.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vx::sim {

class SimLine : public vx::SerialLine {
public:
    explicit SimLine(SimBus& bus);
    SimLine();
    ~SimLine() override;

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override;
    bool setFrame(const LineFrame& frame) override;
    bool purge() override;
    bool write(const uint8_t* data, size_t count) override;
    bool flush() override;
    ReadResult readByte(uint8_t& byte, int timeoutMs) override;
    uint32_t takeLineErrors() override;
    int lastError() const override;
    bool lost() const override;

    LineFrame frame() const;
    SimBus& bus() { return m_bus; }

private:
    bool refuseLostLocked();
    bool goneLocked(Clock::time_point now) const;
    bool fail(int error);
    void collectDueFlags(Clock::time_point now);

    SimBus& m_bus;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
    uint64_t m_generation = 0;
    LineFrame m_frame;
    std::deque<RxByte> m_rx;
    uint32_t m_lineErrors = 0;
    Clock::time_point m_txBusyUntil{};
    PortSession m_session;
    std::atomic<int> m_lastError{0};
};

} // namespace vx::sim
