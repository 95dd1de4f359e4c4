#pragma once
// Telegrams framed DLE STX ... DLE ETX with an XOR check byte over the data after
// them. A DLE in the data goes on the line twice; the count byte of the frame does
// not travel, the receiver counts for itself.
#include "comm/FrameCodec.h"

namespace vx {

class SSBCodec : public FrameCodec {
public:
    static constexpr uint8_t DLE = 0x10, STX = 0x02, ETX = 0x03;
    // Byte 0 of the reply could count no more.
    static constexpr int MaxData = 254;

    std::vector<uint8_t> encode(const TFrame& request) const override;
    std::span<const uint8_t> resetTelegram() const override;
    void reset() override;
    Status feed(uint8_t byte) override;

private:
    enum class State { Header,
                       Data,
                       Escape,
                       Check };

    State m_state = State::Header;
    int m_pos = 1; // next free position in the reply
    uint8_t m_check = 0;
};

} // namespace vx
