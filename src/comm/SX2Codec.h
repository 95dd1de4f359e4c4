#pragma once
// Telegrams with the header 82h 96h: the count byte (including itself), the data and
// an XOR check byte over both. Every 82h after the header, the count and check byte
// included, goes on the line twice.
#include "comm/FrameCodec.h"

namespace vx {

class SX2Codec : public FrameCodec {
public:
    static constexpr uint8_t Head1 = 0x82, Head2 = 0x96;

    std::vector<uint8_t> encode(const TFrame& request) const override;
    std::span<const uint8_t> resetTelegram() const override;
    void reset() override;
    Status feed(uint8_t byte) override;

private:
    enum class State { Header,
                       Count,
                       Data };

    State m_state = State::Header;
    bool m_double = false; // an 82h was read and its twin is due
    int m_pos = 0;         // bytes taken after the count byte
    uint8_t m_check = 0;
};

} // namespace vx
