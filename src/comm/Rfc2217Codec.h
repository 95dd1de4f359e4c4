#pragma once
// RFC 2217 (Telnet COM-PORT-OPTION) as a pure codec: bytes in, bytes and events out.
// No socket and no clock, so every case can be fed from a table. The client side is
// what a port to a device server speaks; the server side is the simulator's.
#include "comm/SerialLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::rfc2217 {

enum : uint8_t {
    SE = 240,
    SB = 250,
    WILL = 251,
    WONT = 252,
    DO = 253,
    DONT = 254,
    IAC = 255,
};

enum : uint8_t {
    OptBinary = 0,
    OptEcho = 1,
    OptSuppressGoAhead = 3,
    OptComPort = 44,
};

// COM-PORT-OPTION commands from the client; a server answers with the same plus 100.
enum : uint8_t {
    SetBaudrate = 1,
    SetDatasize = 2,
    SetParity = 3,
    SetStopsize = 4,
    SetControl = 5,
    NotifyLinestate = 6,
    NotifyModemstate = 7,
    SetLinestateMask = 10,
    PurgeData = 12,
    ServerOffset = 100,
};

// NOTIFY-LINESTATE bits.
enum : uint8_t {
    LsOverrun = 0x02,
    LsParity = 0x04,
    LsFraming = 0x08,
    LsBreak = 0x10,
};

// Splits a Telnet stream into data, commands and subnegotiations. Anything may be
// cut anywhere between two feeds; the state carries over.
class TelnetParser {
public:
    struct Event {
        enum class Kind { Command,
                          Sub } kind;
        uint8_t verb = 0; // WILL/WONT/DO/DONT for a command
        uint8_t option = 0;
        std::vector<uint8_t> payload; // a subnegotiation's bytes after the option, IACs undoubled
    };
    // Appends data bytes to `data` and whole commands to `events`.
    void feed(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<Event>& events);

private:
    enum class State { Data,
                       Iac,
                       Verb,
                       SubOption,
                       Sub,
                       SubIac };
    State m_state = State::Data;
    uint8_t m_verb = 0;
    Event m_sub{Event::Kind::Sub, 0, 0, {}};
};

// Doubles IAC in data.
std::vector<uint8_t> escapeData(const uint8_t* data, size_t count);
// IAC SB COM-PORT-OPTION command value... IAC SE, IAC in the value doubled.
std::vector<uint8_t> comPortSub(uint8_t command, const std::vector<uint8_t>& value);

// The value bytes of each setting, as both sides send them.
std::vector<uint8_t> baudValue(int baud);
uint8_t parityValue(char parity); // 1 none, 2 odd, 3 even
uint8_t stopValue(int stopBits);  // 1 or 2

class Client {
public:
    // What a client says first: BINARY and SUPPRESS-GO-AHEAD both ways, COM-PORT-OPTION.
    std::vector<uint8_t> greeting();
    std::vector<uint8_t> encodeData(const uint8_t* data, size_t count) const { return escapeData(data, count); }
    // The settings that differ from those last sent (all of them the first time).
    std::vector<uint8_t> setFrame(const LineFrame& frame);
    std::vector<uint8_t> purge() const; // both buffers on the server's port

    // Feeds received bytes: data to `data`, negotiation answers to `reply`.
    void receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<uint8_t>& reply);

    // CE_* flags from NOTIFY-LINESTATE since the last call.
    uint32_t takeLineErrors();
    // Set once a server answered a setting with another value, or refused the option.
    const std::string& error() const { return m_error; }
    void clearError() { m_error.clear(); }
    // No setting sent is still waiting for the server's answer.
    bool settled() const { return m_pending.empty(); }
    bool comPortRefused() const { return m_comPortRefused; }

private:
    struct Pending {
        uint8_t command;
        std::vector<uint8_t> value;
    };
    void onCommand(uint8_t verb, uint8_t option, std::vector<uint8_t>& reply);
    void onSub(const std::vector<uint8_t>& payload);

    TelnetParser m_parser;
    std::vector<Pending> m_pending;
    bool m_sent = false;
    LineFrame m_frame;
    bool m_willSent[256] = {};
    bool m_doSent[256] = {};
    bool m_comPortRefused = false;
    uint32_t m_lineErrors = 0;
    std::string m_error;
};

// The device server's side, as the simulator plays it: takes every setting and
// answers with it; a purge and the line settings show in the state it keeps.
class Server {
public:
    explicit Server(const LineFrame& initial) : m_frame(initial) { }
    std::vector<uint8_t> greeting() const;
    std::vector<uint8_t> encodeData(const uint8_t* data, size_t count) const { return escapeData(data, count); }
    void receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<uint8_t>& reply);
    const LineFrame& frame() const { return m_frame; }
    // True once per PURGE-DATA that included the receive or both buffers.
    bool takePurge();

private:
    TelnetParser m_parser;
    LineFrame m_frame;
    bool m_purge = false;
};

// Human-readable name of a setting command, for messages.
const char* settingName(uint8_t command);

} // namespace vx::rfc2217
