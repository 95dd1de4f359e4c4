#include "comm/TrafficBuffer.h"
#include "comm/SXComm.h"

#include <QDateTime>
#include <algorithm>

namespace vx {

TrafficOutcome trafficOutcome(uint32_t code)
{
    switch (code) {
    case 0: return TrafficOutcome::Ok;
    case CommTimeout: return TrafficOutcome::Timeout;
    case CommLineLost:
    case CommPortClosed: return TrafficOutcome::Lost;
    default: return TrafficOutcome::LineError;
    }
}

TrafficBuffer::TrafficBuffer(size_t capacity) : m_capacity(std::max<size_t>(capacity, 1)) { }

uint16_t TrafficBuffer::sourceId(const QString& name)
{
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < m_sources.size(); ++i)
        if (m_sources[i] == name)
            return static_cast<uint16_t>(i);
    if (m_sources.size() > 0xFFFF)
        return 0;
    m_sources.push_back(name);
    return static_cast<uint16_t>(m_sources.size() - 1);
}

QString TrafficBuffer::sourceName(uint16_t id) const
{
    std::lock_guard lock(m_mutex);
    return id < m_sources.size() ? m_sources[id] : QString();
}

TrafficRecord& TrafficBuffer::slot(uint64_t seq)
{
    const size_t i = static_cast<size_t>(seq % m_capacity);
    return m_chunks[i / ChunkSize][i % ChunkSize];
}

const TrafficRecord& TrafficBuffer::slot(uint64_t seq) const
{
    const size_t i = static_cast<size_t>(seq % m_capacity);
    return m_chunks[i / ChunkSize][i % ChunkSize];
}

void TrafficBuffer::capture(const Exchange& x)
{
    using namespace std::chrono;
    const auto duration = duration_cast<microseconds>(x.end - x.start).count();
    std::lock_guard lock(m_mutex);
    const size_t i = static_cast<size_t>(m_next % m_capacity);
    if (i / ChunkSize >= m_chunks.size())
        m_chunks.push_back(std::make_unique<TrafficRecord[]>(std::min(ChunkSize, m_capacity - i)));
    TrafficRecord& r = slot(m_next);
    r.seq = m_next++;
    r.wallMs = duration_cast<milliseconds>(x.wall.time_since_epoch()).count();
    r.monoUs = duration_cast<microseconds>(x.start.time_since_epoch()).count();
    r.durationUs = static_cast<uint32_t>(std::clamp<int64_t>(duration, 0, UINT32_MAX));
    r.code = x.code;
    r.source = x.source;
    r.cyclic = x.cyclic;
    r.outcome = trafficOutcome(x.code);
    r.request.assign(reinterpret_cast<const char*>(x.request), x.requestSize);
    r.reply.assign(reinterpret_cast<const char*>(x.reply), x.replySize);
}

void TrafficBuffer::note(uint16_t source, TrafficOutcome outcome, const std::string& text)
{
    Exchange x;
    x.source = source;
    x.wall = std::chrono::system_clock::now();
    x.start = x.end = std::chrono::steady_clock::now();
    x.request = reinterpret_cast<const uint8_t*>(text.data());
    x.requestSize = text.size();
    capture(x);
    std::lock_guard lock(m_mutex);
    slot(m_next - 1).outcome = outcome;
}

size_t TrafficBuffer::read(uint64_t from, size_t max, std::vector<TrafficRecord>& out) const
{
    std::lock_guard lock(m_mutex);
    const uint64_t first = m_next > m_capacity ? m_next - m_capacity : 0;
    from = std::max(from, first);
    size_t n = 0;
    for (uint64_t s = from; s < m_next && n < max; ++s, ++n)
        out.push_back(slot(s));
    return n;
}

uint64_t TrafficBuffer::nextSeq() const
{
    std::lock_guard lock(m_mutex);
    return m_next;
}

uint64_t TrafficBuffer::firstSeq() const
{
    std::lock_guard lock(m_mutex);
    return m_next > m_capacity ? m_next - m_capacity : 0;
}

size_t TrafficBuffer::size() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::min<uint64_t>(m_next, m_capacity));
}

size_t TrafficBuffer::memoryBytes() const
{
    std::lock_guard lock(m_mutex);
    size_t bytes = sizeof(*this) + m_chunks.capacity() * sizeof(m_chunks[0]);
    const size_t used = static_cast<size_t>(std::min<uint64_t>(m_next, m_capacity));
    for (size_t c = 0; c < m_chunks.size(); ++c) {
        const size_t count = std::min(ChunkSize, m_capacity - c * ChunkSize);
        bytes += count * sizeof(TrafficRecord);
        for (size_t k = 0; k < count && c * ChunkSize + k < used; ++k) {
            const TrafficRecord& r = m_chunks[c][k];
            // Short strings live inside the record; longer ones on the heap.
            for (const std::string* s : {&r.request, &r.reply})
                if (s->capacity() > 15)
                    bytes += s->capacity() + 1;
        }
    }
    return bytes;
}

QString trafficText(const std::string& bytes)
{
    QString s;
    s.reserve(static_cast<qsizetype>(bytes.size()) + 8);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\r')
            s += QLatin1String("<CR>");
        else if (b == '\n')
            s += QLatin1String("<LF>");
        else if (b < 0x20 || b >= 0x7F)
            s += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        else
            s += QLatin1Char(static_cast<char>(b));
    }
    return s;
}

QString trafficHex(const std::string& bytes)
{
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex(' ').toUpper());
}

QString trafficOutcomeName(TrafficOutcome outcome)
{
    switch (outcome) {
    case TrafficOutcome::Ok: return QStringLiteral("ok");
    case TrafficOutcome::Timeout: return QStringLiteral("timeout");
    case TrafficOutcome::LineError: return QStringLiteral("line error");
    case TrafficOutcome::Lost: return QStringLiteral("lost");
    case TrafficOutcome::Reconnected: return QStringLiteral("reconnected");
    }
    return {};
}

QString trafficWallText(int64_t wallMs, bool withDate)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(wallMs);
    return t.toString(withDate ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss.zzz"));
}

QString trafficDurationText(uint32_t durationUs)
{
    return QString::number(durationUs / 1000.0, 'f', 1) + QStringLiteral(" ms");
}

} // namespace vx
