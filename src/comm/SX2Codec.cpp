#include "comm/SX2Codec.h"

namespace vx {

std::vector<uint8_t> SX2Codec::encode(const TFrame& request) const
{
    const int count = request[0];
    if (count == 0)
        return {};
    std::vector<uint8_t> tx{Head1, Head2};
    uint8_t check = 0;
    auto put = [&tx](uint8_t b) {
        tx.push_back(b);
        if (b == Head1)
            tx.push_back(b);
    };
    for (int i = 0; i < count; ++i) {
        check ^= request[i];
        put(request[i]);
    }
    put(check);
    return tx;
}

std::span<const uint8_t> SX2Codec::resetTelegram() const
{
    static constexpr uint8_t reset[] = {0x82, 0x00, 0x82, 0x00};
    return reset;
}

void SX2Codec::reset()
{
    clear();
    m_state = State::Header;
    m_double = false;
    m_pos = 0;
    m_check = 0;
}

FrameCodec::Status SX2Codec::feed(uint8_t byte)
{
    if (m_status != Status::NeedMore)
        return m_status;
    switch (m_state) {
    case State::Header:
        if (const Status header = takeHeader(byte, Head1, Head2, codec::SX2Header); header != Status::Done)
            return header;
        m_state = State::Count;
        return Status::NeedMore;
    case State::Count:
    case State::Data:
        break;
    }
    // The count and check byte are doubled like the data.
    if (m_double) {
        if (byte != Head1)
            return fail(codec::SX2Doubling);
        m_double = false;
    } else if (byte == Head1) {
        m_double = true;
        return Status::NeedMore;
    }
    m_check ^= byte;
    if (m_state == State::Count) {
        // Without even a check byte there is nothing to vouch for the telegram.
        if (byte == 0)
            return fail(codec::CheckError);
        m_reply[0] = byte;
        m_state = State::Data;
        return Status::NeedMore;
    }
    // The count covers the count byte, the data and the check byte, which lands on
    // the last position and is no part of the reply.
    ++m_pos;
    if (m_pos < m_reply[0]) {
        m_reply[m_pos] = byte;
        return Status::NeedMore;
    }
    if (m_check != 0)
        return fail(codec::CheckError);
    return finish();
}

} // namespace vx
