#include "sim/SimLine.h"

#include <cerrno>

namespace vx::sim {

SimLine::SimLine(SimBus& bus) : m_bus(bus)
{
    m_bus.addWaker(this, [this] {
        std::lock_guard lock(m_mutex);
        m_cv.notify_all();
    });
}

SimLine::SimLine() : SimLine(defaultBus()) { }

SimLine::~SimLine()
{
    m_bus.removeWaker(this);
}

bool SimLine::fail(int error)
{
    m_lastError = error;
    return false;
}

bool SimLine::lost() const
{
    std::lock_guard lock(m_mutex);
    return m_open && m_lastError == EIO;
}

bool SimLine::refuseLostLocked()
{
    // EIO comes only from a vanished adapter; a caller that goes on is counted.
    if (m_lastError != EIO)
        return false;
    noteCallOnLostLine();
    return true;
}

bool SimLine::goneLocked(Clock::time_point now) const
{
    if (m_bus.plugGeneration() != m_generation)
        return true;
    const auto gone = m_bus.goneAt();
    return gone && now >= *gone;
}

bool SimLine::open(const std::string&)
{
    std::lock_guard lock(m_mutex);
    if (m_open)
        return fail(EBUSY);
    const auto gone = m_bus.goneAt();
    if (gone && Clock::now() >= *gone)
        return fail(ENOENT);
    m_generation = m_bus.plugGeneration();
    m_open = true;
    m_rx.clear();
    m_lineErrors = 0;
    m_session = {};
    m_txBusyUntil = {};
    m_lastError = 0;
    return true;
}

void SimLine::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_rx.clear();
    m_cv.notify_all();
}

bool SimLine::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

bool SimLine::setFrame(const LineFrame& frame)
{
    if (!validFrame(frame))
        return fail(EINVAL);
    std::lock_guard lock(m_mutex);
    if (m_open && goneLocked(Clock::now()))
        return fail(EIO);
    m_frame = frame;
    return true;
}

LineFrame SimLine::frame() const
{
    std::lock_guard lock(m_mutex);
    return m_frame;
}

void SimLine::collectDueFlags(Clock::time_point now)
{
    for (RxByte& b : m_rx) {
        if (b.due > now)
            break;
        m_lineErrors |= b.flags;
        b.flags = 0;
    }
}

bool SimLine::purge()
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return fail(EBADF);
    if (refuseLostLocked())
        return false;
    const auto now = Clock::now();
    if (goneLocked(now))
        return fail(EIO);
    // Errors of bytes that already arrived stay until they are taken.
    collectDueFlags(now);
    dropUnsent(m_rx, now);
    return true;
}

bool SimLine::write(const uint8_t* data, size_t count)
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return fail(EBADF);
    if (refuseLostLocked())
        return false;
    const auto now = Clock::now();
    if (goneLocked(now))
        return fail(EIO);
    const auto start = std::max(now, m_txBusyUntil);
    const auto charTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(charSeconds(m_frame)));
    m_txBusyUntil = start + charTime * int64_t(count);
    // A babbling unit falls silent when we talk; this also keeps a caller that
    // never purges from piling up babble.
    std::erase_if(m_rx, [&](const RxByte& b) { return b.babble && b.due > start; });
    Delivery d = m_bus.transmit(m_session, data, count, PortView{m_frame, true}, start);
    queueAfter(m_rx, d.bytes);
    m_cv.notify_all();
    return true;
}

bool SimLine::flush()
{
    std::unique_lock lock(m_mutex);
    if (!m_open)
        return fail(EBADF);
    while (m_open && Clock::now() < m_txBusyUntil)
        m_cv.wait_until(lock, m_txBusyUntil);
    if (!m_open)
        return fail(EBADF);
    if (goneLocked(Clock::now()))
        return fail(EIO);
    return true;
}

SerialLine::ReadResult SimLine::readByte(uint8_t& byte, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (m_open && refuseLostLocked())
        return ReadResult::Error;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        if (!m_open) {
            m_lastError = EBADF;
            return ReadResult::Error;
        }
        const auto now = Clock::now();
        const auto gone = m_bus.goneAt();
        const bool replugged = m_bus.plugGeneration() != m_generation;
        // Bytes that arrived before the adapter vanished can still be read.
        if (!m_rx.empty() && m_rx.front().due <= now && (!gone || m_rx.front().due < *gone) && !replugged) {
            byte = m_rx.front().value;
            m_lineErrors |= m_rx.front().flags;
            m_rx.pop_front();
            return ReadResult::Byte;
        }
        if (replugged || (gone && now >= *gone)) {
            m_lastError = EIO;
            return ReadResult::Error;
        }
        if (now >= deadline)
            return ReadResult::Timeout;
        auto wake = deadline;
        if (!m_rx.empty() && m_rx.front().due < wake)
            wake = m_rx.front().due;
        if (gone && *gone < wake)
            wake = *gone;
        m_cv.wait_until(lock, wake);
    }
}

uint32_t SimLine::takeLineErrors()
{
    std::lock_guard lock(m_mutex);
    collectDueFlags(Clock::now());
    const uint32_t e = m_lineErrors;
    m_lineErrors = 0;
    return e;
}

int SimLine::lastError() const
{
    return m_lastError;
}

} // namespace vx::sim
