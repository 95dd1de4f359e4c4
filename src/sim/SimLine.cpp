#include "sim/SimLine.h"

#include <cerrno>

namespace vx::sim {

SimLine::SimLine(SimBus& bus) : bus_(bus)
{
    bus_.addWaker(this, [this] {
        std::lock_guard lock(mutex_);
        cv_.notify_all();
    });
}

SimLine::SimLine() : SimLine(defaultBus()) {}

SimLine::~SimLine()
{
    bus_.removeWaker(this);
}

bool SimLine::fail(int error)
{
    lastError_ = error;
    return false;
}

bool SimLine::goneLocked(Clock::time_point now) const
{
    if (bus_.plugGeneration() != generation_)
        return true;
    const auto gone = bus_.goneAt();
    return gone && now >= *gone;
}

bool SimLine::open(const std::string&)
{
    std::lock_guard lock(mutex_);
    if (open_)
        return fail(EBUSY);
    const auto gone = bus_.goneAt();
    if (gone && Clock::now() >= *gone)
        return fail(ENOENT);
    generation_ = bus_.plugGeneration();
    open_ = true;
    rx_.clear();
    lineErrors_ = 0;
    session_ = {};
    txBusyUntil_ = {};
    lastError_ = 0;
    return true;
}

void SimLine::close()
{
    std::lock_guard lock(mutex_);
    open_ = false;
    rx_.clear();
    cv_.notify_all();
}

bool SimLine::isOpen() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

bool SimLine::setFrame(const LineFrame& frame)
{
    if (!validFrame(frame))
        return fail(EINVAL);
    std::lock_guard lock(mutex_);
    if (open_ && goneLocked(Clock::now()))
        return fail(EIO);
    frame_ = frame;
    return true;
}

LineFrame SimLine::frame() const
{
    std::lock_guard lock(mutex_);
    return frame_;
}

void SimLine::collectDueFlags(Clock::time_point now)
{
    for (RxByte& b : rx_) {
        if (b.due > now)
            break;
        lineErrors_ |= b.flags;
        b.flags = 0;
    }
}

bool SimLine::purge()
{
    std::lock_guard lock(mutex_);
    if (!open_)
        return fail(EBADF);
    const auto now = Clock::now();
    if (goneLocked(now))
        return fail(EIO);
    // Errors of bytes that already arrived stay until they are taken.
    collectDueFlags(now);
    rx_.clear();
    return true;
}

bool SimLine::write(const uint8_t* data, size_t count)
{
    std::lock_guard lock(mutex_);
    if (!open_)
        return fail(EBADF);
    const auto now = Clock::now();
    if (goneLocked(now))
        return fail(EIO);
    const auto start = std::max(now, txBusyUntil_);
    const auto charTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(charSeconds(frame_)));
    txBusyUntil_ = start + charTime * int64_t(count);
    // A babbling unit falls silent when we talk; this also keeps a caller that
    // never purges from piling up babble.
    std::erase_if(rx_, [&](const RxByte& b) { return b.babble && b.due > start; });
    Delivery d = bus_.transmit(session_, data, count, PortView{frame_, true}, start);
    for (const RxByte& b : d.bytes) {
        RxByte x = b;
        if (!rx_.empty() && x.due < rx_.back().due)
            x.due = rx_.back().due;
        rx_.push_back(x);
    }
    cv_.notify_all();
    return true;
}

bool SimLine::flush()
{
    std::unique_lock lock(mutex_);
    if (!open_)
        return fail(EBADF);
    while (open_ && Clock::now() < txBusyUntil_)
        cv_.wait_until(lock, txBusyUntil_);
    if (!open_)
        return fail(EBADF);
    if (goneLocked(Clock::now()))
        return fail(EIO);
    return true;
}

SerialLine::ReadResult SimLine::readByte(uint8_t& byte, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        if (!open_) {
            lastError_ = EBADF;
            return ReadResult::Error;
        }
        const auto now = Clock::now();
        const auto gone = bus_.goneAt();
        const bool replugged = bus_.plugGeneration() != generation_;
        // Bytes that arrived before the adapter vanished can still be read.
        if (!rx_.empty() && rx_.front().due <= now && (!gone || rx_.front().due < *gone) && !replugged) {
            byte = rx_.front().value;
            lineErrors_ |= rx_.front().flags;
            rx_.pop_front();
            return ReadResult::Byte;
        }
        if (replugged || (gone && now >= *gone)) {
            lastError_ = EIO;
            return ReadResult::Error;
        }
        if (now >= deadline)
            return ReadResult::Timeout;
        auto wake = deadline;
        if (!rx_.empty() && rx_.front().due < wake)
            wake = rx_.front().due;
        if (gone && *gone < wake)
            wake = *gone;
        cv_.wait_until(lock, wake);
    }
}

uint32_t SimLine::takeLineErrors()
{
    std::lock_guard lock(mutex_);
    collectDueFlags(Clock::now());
    const uint32_t e = lineErrors_;
    lineErrors_ = 0;
    return e;
}

int SimLine::lastError() const
{
    return lastError_;
}

} // namespace vx::sim
