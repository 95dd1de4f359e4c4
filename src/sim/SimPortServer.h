#pragma once
// Serves a simulated bus on a real file descriptor: the master side of a
// pseudo-terminal, or a serial device. Used by vx5x-sim.
#include "comm/Rfc2217Codec.h"
#include "sim/SimBus.h"

#include <memory>
#include <string>

namespace vx::sim {

class SimPortServer {
public:
    explicit SimPortServer(SimBus& bus);
    ~SimPortServer();
    SimPortServer(const SimPortServer&) = delete;
    SimPortServer& operator=(const SimPortServer&) = delete;

    // Creates a pseudo-terminal whose slave side starts raw at `initial`.
    // Over a pty only the baud rate and stop bits the client sets are visible.
    bool openPty(const LineFrame& initial, std::string& slavePath, std::string& error);
    // Opens a serial device at `frame`; units are judged against that frame.
    bool openDevice(const std::string& path, const LineFrame& frame, std::string& error);

    // Listens on "[ADDR:]PORT" (ADDR 127.0.0.1 when left out) for one client at a
    // time: raw bytes judged against `frame`, or RFC 2217 where the client's line
    // settings reach the units. `bound` is the address and port really taken.
    bool listenTcp(const std::string& where, bool rfc2217, const LineFrame& frame, std::string& bound, std::string& error);

    // Serves until stop() or until the adapter is unplugged (then the master or
    // device is closed). Returns 0, or 1 after an I/O failure.
    int run(std::string& message);
    // Safe from a signal handler.
    void stop();
    // Waits ms; false when stop() came first.
    bool waitOrStop(int ms);

private:
    PortView currentView();
    void closeAll();

    SimBus& m_bus;
    int m_fd = -1;    // pty master or device
    int m_slave = -1; // held open so the pty survives clients coming and going
    bool m_pty = false;
    LineFrame m_deviceFrame;
    int m_stopPipe[2] = {-1, -1};
    int m_listen = -1;
    bool m_telnet = false;
    std::unique_ptr<rfc2217::Server> m_server;
};

// Line settings of a terminal as far as the kernel keeps them (any baud rate).
bool readTerminalFrame(int fd, LineFrame& frame);
// Puts a terminal in raw mode at `frame`; non-standard rates are set directly.
bool setTerminalFrame(int fd, const LineFrame& frame);

} // namespace vx::sim
