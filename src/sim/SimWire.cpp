#include "sim/SimWire.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vx::sim {

int bitsPerChar(const LineFrame& f)
{
    return 1 + f.dataBits + (f.parity == 'N' ? 0 : 1) + f.stopBits;
}

double charSeconds(const LineFrame& f)
{
    return f.baud > 0 ? double(bitsPerChar(f)) / f.baud : 0.0;
}

bool validFrame(const LineFrame& f)
{
    return f.baud > 0 && f.baud <= 4000000 && (f.dataBits == 7 || f.dataBits == 8)
           && (f.parity == 'N' || f.parity == 'E' || f.parity == 'O')
           && (f.stopBits == 1 || f.stopBits == 2);
}

std::string frameText(const LineFrame& f)
{
    return std::to_string(f.baud) + " " + std::to_string(f.dataBits) + f.parity + std::to_string(f.stopBits);
}

TxStream backToBack(const std::string& bytes, const LineFrame& frame, double start)
{
    TxStream s;
    s.frame = frame;
    const double t = charSeconds(frame);
    for (size_t i = 0; i < bytes.size(); ++i)
        s.chars.push_back({uint8_t(bytes[i]), start + double(i) * t});
    return s;
}

namespace {

int parityBit(uint8_t v, const LineFrame& f)
{
    const unsigned mask = f.dataBits == 7 ? 0x7f : 0xff;
    const int ones = std::popcount(unsigned(v) & mask) & 1;
    return f.parity == 'E' ? ones : 1 - ones;
}

// Level a transmitter puts on the line at time t (1 = idle/mark).
int levelOf(const TxStream& s, double t)
{
    const double bitTime = 1.0 / s.frame.baud;
    const int bits = bitsPerChar(s.frame);
    auto it = std::upper_bound(s.chars.begin(), s.chars.end(), t,
                               [](double time, const TxChar& c) { return time < c.start; });
    if (it == s.chars.begin())
        return 1;
    const TxChar& c = *(it - 1);
    const int bit = int(std::floor((t - c.start) / bitTime));
    if (bit < 0 || bit >= bits)
        return 1;
    if (bit == 0)
        return 0;
    if (bit <= s.frame.dataBits)
        return (c.value >> (bit - 1)) & 1;
    if (s.frame.parity != 'N' && bit == s.frame.dataBits + 1)
        return parityBit(c.value, s.frame);
    return 1;
}

} // namespace

std::vector<RxChar> receive(const std::vector<TxStream>& streams, const LineFrame& rx)
{
    std::vector<RxChar> out;
    std::vector<const TxStream*> active;
    double first = 1e300, last = -1e300;
    for (const TxStream& s : streams) {
        if (s.chars.empty() || s.frame.baud <= 0)
            continue;
        active.push_back(&s);
        first = std::min(first, s.chars.front().start);
        last = std::max(last, s.chars.back().start + charSeconds(s.frame));
    }
    if (active.empty() || rx.baud <= 0)
        return out;

    // One transmitter on the same settings: the receiver reads exactly what was sent.
    if (active.size() == 1 && active[0]->frame == rx) {
        const double t = charSeconds(rx);
        const double halfBit = 0.5 / rx.baud;
        for (const TxChar& c : active[0]->chars)
            out.push_back({uint8_t(rx.dataBits == 7 ? c.value & 0x7f : c.value), 0, c.start + t - halfBit});
        return out;
    }

    auto level = [&](double t) {
        for (const TxStream* s : active)
            if (levelOf(*s, t) == 0)
                return 0;
        return 1;
    };

    const double tick = 1.0 / (16.0 * rx.baud);
    const double end = last + charSeconds(rx) + 4 * tick;
    const int bits = bitsPerChar(rx);
    bool waitForIdle = false;
    // Counted in ticks, so a long stream adds up no rounding.
    for (int64_t k = 0; first + double(k) * tick < end; ++k) {
        const double t = first + double(k) * tick;
        const int l = level(t);
        if (waitForIdle) {
            if (l == 1)
                waitForIdle = false;
            continue;
        }
        if (l == 1)
            continue;
        // Start bit seen; confirm it in the middle of the bit.
        if (level(t + 7 * tick) != 0)
            continue;
        auto sample = [&](int bit) { return level(t + (8 + 16 * bit) * tick); };
        unsigned value = 0;
        for (int i = 0; i < rx.dataBits; ++i)
            value |= unsigned(sample(1 + i)) << i;
        uint32_t flags = 0;
        int bit = 1 + rx.dataBits;
        bool allLow = value == 0;
        if (rx.parity != 'N') {
            const int p = sample(bit++);
            allLow = allLow && p == 0;
            if (p != parityBit(uint8_t(value), rx))
                flags |= CE_RXPARITY;
        }
        bool stopLow = false;
        for (int i = 0; i < rx.stopBits; ++i)
            if (sample(bit + i) == 0)
                stopLow = true;
        if (stopLow) {
            flags |= CE_FRAME;
            if (allLow)
                flags |= CE_BREAK;
            waitForIdle = true;
        }
        k += 8 + 16 * (bits - 1);
        const double ready = first + double(k) * tick;
        out.push_back({uint8_t(value), flags, ready});
    }
    return out;
}

} // namespace vx::sim
