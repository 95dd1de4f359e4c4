#pragma once
// The byte-level serial line under TSXComm and its worker thread.
//
// Error contract: every call that can fail returns false (or ReadResult::Error)
// and leaves the OS error number in lastError(). Line errors (parity, framing,
// overrun, break, receive overflow) are not failures: they collect as CE_* flags
// and are handed out (and cleared) by takeLineErrors().
//
// Threads: open/close/setFrame run on the UI thread; purge/write/flush/readByte/
// takeLineErrors run on the port's worker thread. setFrame may be called while the
// worker is inside readByte (a baud-rate change on an open port); implementations
// must allow that. close() must make a pending readByte return promptly.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vx {

// Line-error flags, bit-compatible with the classic CE_* values.
enum : uint32_t {
    CE_RXOVER = 0x0001,
    CE_OVERRUN = 0x0002,
    CE_RXPARITY = 0x0004,
    CE_FRAME = 0x0008,
    CE_BREAK = 0x0010,
};

struct LineFrame {
    int baud = 9600;
    int dataBits = 8;  // 7 or 8
    char parity = 'N'; // 'N', 'E' or 'O'
    int stopBits = 1;  // 1 or 2
    bool operator==(const LineFrame&) const = default;
};

class SerialLine {
public:
    enum class ReadResult { Byte,
                            Timeout,
                            Error };

    virtual ~SerialLine() = default;

    virtual bool open(const std::string& device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool setFrame(const LineFrame& frame) = 0;
    // Discard everything not yet sent and everything received but not read.
    virtual bool purge() = 0;
    virtual bool write(const uint8_t* data, size_t count) = 0;
    // Wait until every written byte has left the transmitter.
    virtual bool flush() = 0;
    // Wait up to timeoutMs for one byte.
    virtual ReadResult readByte(uint8_t& byte, int timeoutMs) = 0;
    virtual uint32_t takeLineErrors() = 0;
    virtual int lastError() const = 0;
    // True once the device behind an open line has gone (adapter pulled, pty master
    // closed). A lost line stays lost until it is closed; every call on it fails
    // with lastError() at once and touches no descriptor.
    virtual bool lost() const { return false; }
    // A message of the line's own for the last failure (a network port names its
    // host and port); empty when the system's text for lastError() says it all.
    virtual std::string ownErrorText() const { return {}; }
    // Bytes already taken from the device and not yet read (none where the line keeps
    // no buffer of its own). Only for the thread that reads.
    virtual size_t buffered() const { return 0; }

    // OS errors that mean the device itself is gone, not that one call failed.
    static bool deviceGone(int osError);
    // Calls (purge, write, read) made on a line already known to be lost, in this
    // process. Whoever uses a line stops at the first loss, so this stays 0.
    static uint64_t callsOnLostLines();

    // The system's message text for an OS error number.
    static std::string systemMessage(int osError);

protected:
    static void noteCallOnLostLine();
};

// "tcp://HOST:PORT" (raw bytes) and "rfc2217://HOST:PORT" lead to a device server
// on the network instead of a local device.
bool isNetworkPort(const std::string& devicePath);
// Raw TCP: the device server's own line settings must match, none are sent.
bool isRawNetworkPort(const std::string& devicePath);

// Makes the line for a device path. The path "sim" asks for the built-in
// simulated controller; that only works after the simulator registered itself.
std::unique_ptr<SerialLine> createSerialLine(const std::string& devicePath);

using SimLineFactory = std::function<std::unique_ptr<SerialLine>()>;
void setSimLineFactory(SimLineFactory factory);
bool simLineAvailable();

} // namespace vx
