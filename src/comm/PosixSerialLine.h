#pragma once
// SerialLine over a POSIX terminal device (real ports, USB adapters, pseudo-terminals).
//
// The device is opened non-blocking and exclusive (TIOCEXCL plus flock), in raw mode.
// Line errors are seen two ways: PARMRK marks (0xFF 0x00 c) in the input, and the
// driver's error counters (TIOCGICOUNT) where the driver keeps them; pseudo-terminals
// keep none, so there only the marks count.
#include "comm/SerialLine.h"

#include <atomic>
#include <shared_mutex>
#include <vector>

namespace vx {

class PosixSerialLine : public SerialLine {
public:
    PosixSerialLine() = default;
    ~PosixSerialLine() override;

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override;
    bool setFrame(const LineFrame& frame) override;
    bool purge() override;
    bool write(const uint8_t* data, size_t count) override;
    bool flush() override;
    size_t buffered() const override { return m_in.size() - m_inPos; }
    ReadResult readByte(uint8_t& byte, int timeoutMs) override;
    uint32_t takeLineErrors() override;
    int lastError() const override { return m_error.load(); }
    bool lost() const override { return m_lost.load(); }

private:
    bool fail(int err);
    // True (and counted) when the line is already lost: nothing may touch it.
    bool refuseLost();
    // Takes one byte out of the input buffer, decoding PARMRK marks. Returns false
    // when the buffer holds no complete byte.
    bool takeBuffered(uint8_t& byte);
    void readCounters(bool baselineOnly);

    // Shared by every I/O call, exclusive for open/close, so close never pulls the
    // descriptor from under a poll() or read().
    mutable std::shared_mutex m_lock;
    std::atomic<int> m_fd{-1};
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_lost{false};
    int m_wake[2]{-1, -1};
    std::atomic<int> m_error{0};
    std::atomic<uint32_t> m_marked{0};
    std::atomic<bool> m_parity{false};

    // Worker side only.
    std::vector<uint8_t> m_in;
    size_t m_inPos = 0;
    // Written bytes not yet known to have left (a new line may hold some).
    bool m_unsent = true;
    bool m_haveCounters = false;
    int m_cntFrame = 0, m_cntParity = 0, m_cntOverrun = 0, m_cntBufOverrun = 0, m_cntBreak = 0;
};

// Takes one byte of PARMRK-marked input from in[pos...]: FF FF is FF, FF 00 c a
// marked c (a parity error when the frame has parity, else a framing error), FF 00 00
// a break (no byte). False when the input ends inside a mark; pos then stays on it.
bool decodeMarked(const std::vector<uint8_t>& in, size_t& pos, uint8_t& byte, uint32_t& errors, bool parity);

// Sets a baud rate termios has no constant for (28800), through termios2. Lives in
// its own file because the kernel's termios2 header clashes with <termios.h>.
bool setCustomBaud(int fd, int baud);

} // namespace vx
