#pragma once
// The simulated controller served in this process on a pseudo-terminal, and a port
// at 38400 baud 8O1 opened on it as COM1.
#include "comm/SXComm.h"
#include "sim/SimBus.h"
#include "sim/SimPortServer.h"

#include <memory>
#include <string>
#include <thread>

namespace vx::test {

class SimOnPty {
public:
    sim::SimBus bus;
    std::unique_ptr<TSXComm> port;

    // Adds unit 0 at 38400 8O1 before serving; false when the pty could not be made.
    bool start()
    {
        sim::UnitConfig c;
        c.frame = LineFrame{38400, 8, 'O', 1};
        bus.addUnit(c);
        m_server = std::make_unique<sim::SimPortServer>(bus);
        std::string path, error;
        if (!m_server->openPty(c.frame, path, error))
            return false;
        m_serving = std::thread([this] {
            std::string message;
            m_server->run(message);
        });
        setPortDevicePath(1, path);
        port = std::make_unique<TSXComm>();
        port->setBaudrate(TBaudrate::br38400);
        port->setFrameParitybit(TParityBit::Odd);
        port->Open();
        return port->Active();
    }

    ~SimOnPty()
    {
        if (port)
            port->Close();
        if (m_server)
            m_server->stop();
        if (m_serving.joinable())
            m_serving.join();
        resetPortDevicePaths();
    }

private:
    std::unique_ptr<sim::SimPortServer> m_server;
    std::thread m_serving;
};

} // namespace vx::test
