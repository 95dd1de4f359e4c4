#pragma once
// Serves a simulated bus on a real file descriptor: the master side of a
// pseudo-terminal, or a serial device. Used by vx5x-sim.
#include "sim/SimBus.h"

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
};

// Line settings of a terminal as far as the kernel keeps them (any baud rate).
bool readTerminalFrame(int fd, LineFrame& frame);
// Puts a terminal in raw mode at `frame`; non-standard rates are set directly.
bool setTerminalFrame(int fd, const LineFrame& frame);

} // namespace vx::sim
