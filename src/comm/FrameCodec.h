#pragma once
// What a framed protocol puts on the line and how it takes a reply apart, without any
// I/O: the worker thread reads the bytes, handles time-outs and retries, and feeds the
// reply to a codec one byte at a time. Plain C++, so it can be used and tested without
// Qt or a port.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vx {

// The exchange buffer of SXComm.h; should the two ever differ, this no longer compiles.
using TFrame = std::array<uint8_t, 512>;

// The Comm* codes of SXComm.h a codec reports, repeated here to keep Qt out;
// SXCommThread.cpp checks that they agree.
namespace codec {
inline constexpr uint32_t DeviceError = 0x1000;
inline constexpr uint32_t CheckError = 0x1071;
inline constexpr uint32_t SX2Header = 0x1072;
inline constexpr uint32_t SX2Doubling = 0x1073;
inline constexpr uint32_t SSBHeader = 0x1074;
inline constexpr uint32_t SSBDoubling = 0x1075;
} // namespace codec

class FrameCodec {
public:
    enum class Status { NeedMore,
                        Done,
                        Error };

    virtual ~FrameCodec() = default;

    // The telegram for a request frame (byte 0 = count including itself, then the
    // data). An empty frame (count 0) has none.
    virtual std::vector<uint8_t> encode(const TFrame& request) const = 0;
    // Sent after a failed telegram, so the unit drops whatever it has half read.
    virtual std::span<const uint8_t> resetTelegram() const = 0;

    // Starts on a new reply.
    virtual void reset() = 0;
    // One received byte. After Error, error() holds the Comm* code and further bytes
    // are refused until reset(). After Done, reply() holds the reply (byte 0 = count
    // including itself, then the data) and error() is 0, or codec::DeviceError when
    // the unit answered with an error telegram (first data byte FFh).
    virtual Status feed(uint8_t byte) = 0;

    const TFrame& reply() const { return m_reply; }
    uint32_t error() const { return m_error; }

protected:
    void clear()
    {
        m_reply.fill(0);
        m_error = 0;
        m_status = Status::NeedMore;
        m_headerBytes = 0;
    }
    // Takes one of the two header bytes. They are judged together, so a unit that
    // sends a single wrong byte and falls silent still counts as silent: NeedMore after
    // the first, Done when both are right, Error with code when they are not.
    Status takeHeader(uint8_t byte, uint8_t first, uint8_t second, uint32_t code)
    {
        if (m_headerBytes++ == 0) {
            m_headerFirst = byte;
            return Status::NeedMore;
        }
        if (m_headerFirst != first || byte != second)
            return fail(code);
        return Status::Done;
    }
    Status fail(uint32_t code)
    {
        m_error = code;
        return m_status = Status::Error;
    }
    Status finish()
    {
        if (m_reply[0] > 1 && m_reply[1] == 0xFF)
            m_error = codec::DeviceError;
        return m_status = Status::Done;
    }

    TFrame m_reply{};
    uint32_t m_error = 0;
    Status m_status = Status::NeedMore;

private:
    int m_headerBytes = 0;
    uint8_t m_headerFirst = 0;
};

} // namespace vx
