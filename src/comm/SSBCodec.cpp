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
    m_state = State::Head1;
    m_first = 0;
    m_pos = 1;
    m_check = 0;
}

FrameCodec::Status SSBCodec::feed(uint8_t byte)
{
    if (m_status != Status::NeedMore)
        return m_status;
    switch (m_state) {
    case State::Head1:
        // Judged together with the second byte, so a unit that sends a single wrong
        // byte and falls silent still counts as silent.
        m_first = byte;
        m_state = State::Head2;
        return Status::NeedMore;
    case State::Head2:
        if (m_first != DLE || byte != STX)
            return fail(codec::SSBHeader);
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
