#include "comm/SSBCodec.h"

namespace vx {

std::vector<uint8_t> SSBCodec::encode(const TFrame& request) const
{
    const int count = request[0];
    if (count == 0)
        return {};
    std::vector<uint8_t> tx{DLE, STX};
    uint8_t check = 0;
    for (int i = 1; i < count; ++i) {
        const uint8_t b = request[i];
        check ^= b;
        tx.push_back(b);
        if (b == DLE)
            tx.push_back(b);
    }
    // The check byte follows the closing DLE ETX and is never doubled.
    tx.insert(tx.end(), {DLE, ETX, check});
    return tx;
}

std::span<const uint8_t> SSBCodec::resetTelegram() const
{
    static constexpr uint8_t reset[] = {DLE, 0x00, DLE, 0x00};
    return reset;
}

void SSBCodec::reset()
{
    clear();
    m_state = State::Header;
    m_pos = 1;
    m_check = 0;
}

FrameCodec::Status SSBCodec::feed(uint8_t byte)
{
    if (m_status != Status::NeedMore)
        return m_status;
    switch (m_state) {
    case State::Header:
        if (const Status header = takeHeader(byte, DLE, STX, codec::SSBHeader); header != Status::Done)
            return header;
        m_state = State::Data;
        return Status::NeedMore;
    case State::Data:
        if (byte == DLE) {
            m_state = State::Escape;
            return Status::NeedMore;
        }
        break;
    case State::Escape:
        if (byte == ETX) {
            m_state = State::Check;
            return Status::NeedMore;
        }
        if (byte != DLE)
            return fail(codec::SSBDoubling);
        m_state = State::Data;
        break;
    case State::Check:
        if ((m_check ^ byte) != 0)
            return fail(codec::CheckError);
        m_reply[0] = static_cast<uint8_t>(m_pos);
        return finish();
    }
    // A reply this long is garbage, not something to cut short.
    if (m_pos > MaxData)
        return fail(codec::CheckError);
    m_check ^= byte;
    m_reply[m_pos++] = byte;
    return Status::NeedMore;
}

} // namespace vx
