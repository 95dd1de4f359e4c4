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

    LineFrame frame() const;
    SimBus& bus() { return bus_; }

private:
    bool goneLocked(Clock::time_point now) const;
    bool fail(int error);
    void collectDueFlags(Clock::time_point now);

    SimBus& bus_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
    uint64_t generation_ = 0;
    LineFrame frame_;
    std::deque<RxByte> rx_;
    uint32_t lineErrors_ = 0;
    Clock::time_point txBusyUntil_{};
    PortSession session_;
    std::atomic<int> lastError_{0};
};

} // namespace vx::sim
