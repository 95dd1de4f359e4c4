#include "sim/SimNoise.h"

#include "sim/SimBus.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vx::sim {

namespace {

constexpr std::array<const char*, 7> RandomNames = {"cut", "stale", "dup", "garbage", "burst", "no-line-end", "no-reply"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

uint8_t junkByte(uint64_t draw)
{
    static const std::string set = [] {
        std::string s;
        for (int c = 1; c < 0x20; ++c)
            if (c != '\r' && c != '\n' && c != 0x11 && c != 0x13)
                s += char(c);
        s += char(0x7f);
        return s;
    }();
    return uint8_t(set[draw % set.size()]);
}

std::string junkBytes(uint64_t pick, size_t count)
{
    std::mt19937_64 rng(pick);
    std::string s;
    for (size_t i = 0; i < count; ++i)
        s += char(junkByte(rng()));
    return s;
}

size_t cutPosition(const std::string& text, uint64_t pick)
{
    std::vector<size_t> inside, digits;
    for (size_t i = 1; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            continue;
        digits.push_back(i);
        if (isDigit(text[i - 1]))
            inside.push_back(i);
    }
    const std::vector<size_t>& from = !inside.empty() ? inside : digits;
    if (from.empty())
        return std::max<size_t>(1, text.size() / 2);
    return from[pick % from.size()];
}

std::string corrupted(const std::string& text, uint64_t pick)
{
    if (text.empty())
        return text;
    std::mt19937_64 rng(pick);
    std::string s = text;
    const size_t count = 1 + rng() % 3;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = rng() % s.size();
        s[at] = char(junkByte(rng()));
    }
    return s;
}

std::string randomKindName(unsigned kind)
{
    for (size_t i = 0; i < RandomNames.size(); ++i)
        if (kind == 1u << i)
            return RandomNames[i];
    return {};
}

unsigned randomKindBit(const std::string& name)
{
    for (size_t i = 0; i < RandomNames.size(); ++i)
        if (name == RandomNames[i])
            return 1u << i;
    return 0;
}

std::optional<Fault> drawRandomFault(const Fault& random, std::mt19937_64& rng)
{
    // Always three draws, hit or not, so one request's luck never shifts the next's.
    const double chance = double(rng() >> 11) * 0x1.0p-53;
    const uint64_t which = rng(), pick = rng();
    std::vector<unsigned> kinds;
    for (unsigned bit = 1; bit & Fault::RandomAll; bit <<= 1)
        if (random.kinds & bit)
            kinds.push_back(bit);
    if (!(chance < random.rate) || kinds.empty())
        return std::nullopt;
    const unsigned kind = kinds[which % kinds.size()];
    Fault f;
    f.command = random.command;
    f.unit = random.unit;
    f.pick = pick;
    f.label = "random:" + randomKindName(kind);
    switch (kind) {
    case Fault::RandomCut:
        f.kind = Fault::Kind::Cut;
        f.atByte = -1;
        f.pauseMs = CutRestMinMs + int(pick % uint64_t(CutRestMaxMs - CutRestMinMs + 1));
        break;
    case Fault::RandomStale:
        f.kind = Fault::Kind::Stale;
        f.pauseMs = StaleMinMs + int(pick % uint64_t(StaleMaxMs - StaleMinMs + 1));
        break;
    case Fault::RandomDup: f.kind = Fault::Kind::Duplicate; break;
    case Fault::RandomGarbage: f.kind = Fault::Kind::Corrupt; break;
    case Fault::RandomBurst:
        f.kind = Fault::Kind::Garbage;
        f.garbage = junkBytes(pick, 3 + pick % 22);
        break;
    case Fault::RandomNoLineEnd: f.kind = Fault::Kind::NoLineEnd; break;
    default: f.kind = Fault::Kind::NoReply; break;
    }
    return f;
}

void queueAfter(std::deque<RxByte>& queue, const std::vector<RxByte>& bytes)
{
    if (bytes.empty())
        return;
    Clock::duration shift{0};
    if (!queue.empty() && queue.back().due > bytes.front().due)
        shift = queue.back().due - bytes.front().due;
    for (RxByte b : bytes) {
        b.due += shift;
        if (!queue.empty() && b.due < queue.back().due)
            b.due = queue.back().due;
        queue.push_back(b);
    }
}

void dropUnsent(std::deque<RxByte>& queue, Clock::time_point arrivedBy)
{
    std::erase_if(queue, [arrivedBy](const RxByte& b) { return !b.late || b.due <= arrivedBy; });
}

} // namespace vx::sim
