#pragma once
// A scripted device at the far end of a pseudo-terminal. The port under test opens
// the slave side by its path; the peer reads and answers on the master side.
#include <QByteArray>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

class PtyPeer {
public:
    // One piece of an answer: wait this many ms, then write the bytes.
    using Chunk = std::pair<int, QByteArray>;
    using Responder = std::function<std::vector<Chunk>(const QByteArray& request, int index)>;

    PtyPeer()
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        m_path = name;
        termios tio{};
        tcgetattr(m_slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_slave, TCSANOW, &tio);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_thread = std::thread([this] { run(); });
    }
    ~PtyPeer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }

    bool ok() const { return m_master >= 0; }
    const std::string& path() const { return m_path; }
    int slaveFd() const { return m_slave; }

    void setResponder(Responder r)
    {
        std::lock_guard lock(m_mutex);
        m_responder = std::move(r);
    }
    // Answer every request with the same bytes after a delay.
    void answerAlways(const QByteArray& reply, int delayMs = 5)
    {
        setResponder([=](const QByteArray&, int) { return std::vector<Chunk>{{delayMs, reply}}; });
    }
    std::vector<QByteArray> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int requestCount() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_requests.size());
    }
    void send(const QByteArray& bytes) { writeAll(bytes); }
    // Like pulling the adapter: the port's side sees a hang-up.
    void unplug()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_master);
        m_master = -1;
    }

private:
    void writeAll(const QByteArray& bytes)
    {
        std::lock_guard lock(m_writeMutex);
        qsizetype done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n > 0)
                done += n;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void run()
    {
        QByteArray pending;
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            // A request is what arrives before 8 ms of quiet.
            int r = poll(&p, 1, pending.isEmpty() ? 20 : 8);
            if (r > 0 && (p.revents & POLLIN)) {
                char buf[512];
                ssize_t n = ::read(m_master, buf, sizeof buf);
                if (n > 0) {
                    pending.append(buf, n);
                    continue;
                }
            }
            if (pending.isEmpty())
                continue;
            Responder responder;
            int index;
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(pending);
                index = static_cast<int>(m_requests.size()) - 1;
                responder = m_responder;
            }
            const QByteArray request = pending;
            pending.clear();
            if (!responder)
                continue;
            for (const Chunk& c : responder(request, index)) {
                if (c.first > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(c.first));
                if (m_stop)
                    break;
                writeAll(c.second);
            }
        }
    }

    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::mutex m_writeMutex;
    Responder m_responder;
    std::vector<QByteArray> m_requests;
};
