#pragma once
// A controller stand-in on the serial line for dialog tests: answers each request
// with a scripted reply (or stays silent) and records what was sent.
#include "comm/SXComm.h"
#include "comm/SerialLine.h"
#include "core/AppState.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace vx::test {

struct LineScript {
    std::mutex m;
    QMap<QByteArray, QByteArray> replies; // request text -> reply with line end
    QStringList requests;

    static LineScript& get()
    {
        static LineScript s;
        return s;
    }
    void reset()
    {
        std::lock_guard<std::mutex> lock(m);
        replies.clear();
        requests.clear();
    }
    void answer(const QByteArray& request, const QByteArray& reply)
    {
        std::lock_guard<std::mutex> lock(m);
        replies[request] = reply + "\r\n";
    }
    QStringList sent()
    {
        std::lock_guard<std::mutex> lock(m);
        return requests;
    }
};

class ScriptedLine : public SerialLine {
public:
    bool open(const std::string&) override
    {
        m_open = true;
        return true;
    }
    void close() override
    {
        {
            std::lock_guard<std::mutex> lock(m_m);
            m_open = false;
        }
        m_cv.notify_all();
    }
    bool isOpen() const override { return m_open; }
    bool setFrame(const LineFrame&) override { return true; }
    bool purge() override
    {
        std::lock_guard<std::mutex> lock(m_m);
        m_in.clear();
        return true;
    }
    bool write(const uint8_t* data, size_t count) override
    {
        QByteArray request(reinterpret_cast<const char*>(data), qsizetype(count));
        while (request.endsWith('\r'))
            request.chop(1);
        QByteArray reply;
        {
            LineScript& s = LineScript::get();
            std::lock_guard<std::mutex> lock(s.m);
            s.requests.append(QString::fromLatin1(request));
            reply = s.replies.value(request);
        }
        {
            std::lock_guard<std::mutex> lock(m_m);
            for (char c : reply)
                m_in.push_back(uint8_t(c));
        }
        m_cv.notify_all();
        return true;
    }
    bool flush() override { return true; }
    ReadResult readByte(uint8_t& byte, int timeoutMs) override
    {
        std::unique_lock<std::mutex> lock(m_m);
        m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_in.empty() || !m_open; });
        if (m_in.empty())
            return ReadResult::Timeout;
        byte = m_in.front();
        m_in.pop_front();
        return ReadResult::Byte;
    }
    uint32_t takeLineErrors() override { return 0; }
    int lastError() const override { return 0; }

private:
    std::mutex m_m;
    std::condition_variable m_cv;
    std::deque<uint8_t> m_in;
    bool m_open = false;
};

// Opens a port on COM1 that leads to the scripted line and makes it the program's port.
inline std::unique_ptr<TSXComm> openScriptedPort()
{
    setSimLineFactory([] { return std::make_unique<ScriptedLine>(); });
    setPortDevicePath(1, "sim");
    auto port = std::make_unique<TSXComm>();
    port->setPortName(TPort::COM1);
    port->Open();
    app().SXComm1 = port.get();
    return port;
}

} // namespace vx::test
