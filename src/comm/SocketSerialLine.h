#pragma once
// SerialLine over a TCP connection to a serial device server: raw bytes
// ("tcp://HOST:PORT") or RFC 2217 ("rfc2217://HOST:PORT").
//
// Only connects out. A receiver thread reads the socket all the time, so Telnet
// answers and line-state notices are taken in even while nobody reads, and a
// setting the server refuses is seen before setFrame returns. A reset or closed
// connection is a lost line, once the bytes that came before it are read.
#include "comm/Rfc2217Codec.h"
#include "comm/SerialLine.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vx {

// Host and port of a network port name; false (with a message) for a bad one.
bool splitNetworkPort(const std::string& name, std::string& host, std::string& port, std::string& error);

class SocketSerialLine : public SerialLine {
public:
    static constexpr int ConnectTimeoutMs = 3000;
    static constexpr int SettingsTimeoutMs = 2000;

    SocketSerialLine() = default;
    ~SocketSerialLine() override;

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    bool setFrame(const LineFrame& frame) override;
    bool purge() override;
    bool write(const uint8_t* data, size_t count) override;
    bool flush() override;
    ReadResult readByte(uint8_t& byte, int timeoutMs) override;
    uint32_t takeLineErrors() override;
    int lastError() const override { return m_error.load(); }
    bool lost() const override { return m_lost.load(); }
    std::string ownErrorText() const override;

private:
    bool fail(int err, const std::string& message = {});
    bool refuseLost();
    // Sends everything or fails; a broken connection is a lost line.
    bool sendAll(const std::vector<uint8_t>& bytes);
    void receiveLoop();

    std::atomic<int> m_fd{-1};
    std::string m_where; // "HOST:PORT", for messages
    bool m_telnet = false;
    std::thread m_reader;
    std::atomic<int> m_error{0};
    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_closing{false};

    mutable std::mutex m_mx; // everything below
    std::condition_variable m_cv;
    std::deque<uint8_t> m_rx;
    bool m_eof = false;
    int m_eofError = 0;
    rfc2217::Client m_client;
    std::string m_message;

    std::mutex m_sendMx;
};

} // namespace vx
