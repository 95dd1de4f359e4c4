// Line failures the pseudo-terminal cannot produce (parity/framing flags, read errors),
// through a scripted line installed in place of the simulator.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/SXCommThread.h"

#include <QtTest>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>

using namespace vx;

namespace {

// One byte as the line delivers it: the byte, the line-error flags it brings, or a
// read failure with an error number.
struct In {
    uint8_t byte = 0;
    uint32_t flags = 0;
    int failErrno = 0;
};

struct Script {
    std::mutex m;
    std::condition_variable cv;
    std::deque<In> input;
    std::function<std::vector<In>(int attempt)> onWrite;
    int writes = 0;
    bool open = false;
};

class ScriptedLine : public SerialLine {
public:
    explicit ScriptedLine(std::shared_ptr<Script> s) : m_s(std::move(s)) { }
    bool open(const std::string&) override
    {
        std::lock_guard l(m_s->m);
        m_s->open = true;
        return true;
    }
    void close() override
    {
        std::lock_guard l(m_s->m);
        m_s->open = false;
        m_s->cv.notify_all();
    }
    bool isOpen() const override { return m_s->open; }
    bool setFrame(const LineFrame&) override { return true; }
    bool purge() override
    {
        std::lock_guard l(m_s->m);
        m_s->input.clear();
        return true;
    }
    bool write(const uint8_t*, size_t) override
    {
        std::lock_guard l(m_s->m);
        const int attempt = m_s->writes++;
        if (m_s->onWrite)
            for (const In& in : m_s->onWrite(attempt))
                m_s->input.push_back(in);
        m_s->cv.notify_all();
        return true;
    }
    bool flush() override { return true; }
    ReadResult readByte(uint8_t& byte, int timeoutMs) override
    {
        std::unique_lock l(m_s->m);
        if (!m_s->cv.wait_for(l, std::chrono::milliseconds(timeoutMs),
                              [&] { return !m_s->input.empty() || !m_s->open; }))
            return ReadResult::Timeout;
        if (!m_s->open) {
            m_err = EBADF;
            return ReadResult::Error;
        }
        const In in = m_s->input.front();
        m_s->input.pop_front();
        if (in.failErrno) {
            m_err = in.failErrno;
            return ReadResult::Error;
        }
        m_flags |= in.flags;
        byte = in.byte;
        return ReadResult::Byte;
    }
    uint32_t takeLineErrors() override { return std::exchange(m_flags, 0); }
    int lastError() const override { return m_err; }

private:
    std::shared_ptr<Script> m_s;
    uint32_t m_flags = 0;
    int m_err = 0;
};

std::vector<In> text(const char* s)
{
    std::vector<In> v;
    for (; *s; ++s)
        v.push_back({static_cast<uint8_t>(*s), 0, 0});
    return v;
}

} // namespace

class TestLineErrors : public QObject {
    Q_OBJECT
private slots:
    void failures_data();
    void failures();
};

void TestLineErrors::failures_data()
{
    QTest::addColumn<int>("failingAttempts");
    QTest::addColumn<uint32_t>("flags");
    QTest::addColumn<int>("readErrno");
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("writes");
    QTest::newRow("framing error, three tries") << 3 << uint32_t(CE_FRAME) << 0 << false << 3;
    QTest::newRow("parity error then good") << 1 << uint32_t(CE_RXPARITY) << 0 << true << 2;
    QTest::newRow("read failure then good") << 2 << uint32_t(0) << EIO << true << 3;
    QTest::newRow("read failure, three tries") << 5 << uint32_t(0) << EIO << false << 3;
    // Neither flags nor a failure: the line sends without end. No retry, which
    // would only babble on as long again; the next request gets its reply.
    QTest::newRow("babbling line") << 1 << uint32_t(0) << 0 << false << 1;
}

void TestLineErrors::failures()
{
    QFETCH(int, failingAttempts);
    QFETCH(uint32_t, flags);
    QFETCH(int, readErrno);
    QFETCH(bool, success);
    QFETCH(int, writes);

    auto script = std::make_shared<Script>();
    script->onWrite = [=](int attempt) {
        if (attempt >= failingAttempts)
            return text("ap 1 42\r");
        if (!flags && !readErrno)
            return std::vector<In>(TSXCommThread::MaxReplyBytes + 50, In{'x', 0, 0});
        // Part of a reply, then the fault, then more bytes the drain must eat.
        std::vector<In> v = text("ap");
        v.push_back({'!', flags, readErrno});
        for (const In& in : text("xyz"))
            v.push_back(in);
        return v;
    };
    setSimLineFactory([script] { return std::make_unique<ScriptedLine>(script); });
    setPortDevicePath(1, "sim");

    TSXComm port;
    port.Open();
    TPX400Protocol px;
    px.setSXComm(&port);
    px.setProtocolFoot(TSequenceChar::scCR);
    QList<QByteArray> results;
    QList<TCommError> errors;
    px.OnCommResult = [&](TSXProtocolComponent*, const QByteArray& r) { results.append(r); };
    px.OnCommError = [&](TSXProtocolComponent*, const TCommError& e, const QByteArray& r) {
        errors.append(e);
        QVERIFY(r.isEmpty());
    };
    px.setASCIIProtocol("ap 1");
    px.Send();
    QTRY_COMPARE_WITH_TIMEOUT(results.size() + errors.size(), 1, 3000);
    QTest::qWait(50);
    QCOMPARE(results.size() + errors.size(), 1);
    {
        std::lock_guard l(script->m);
        QCOMPARE(script->writes, writes);
    }
    if (success) {
        // The partial reply of the failed attempt is gone.
        QCOMPARE(results.value(0), QByteArray("ap 1 42\r"));
    } else {
        const TCommError e = errors.value(0);
        if (!flags && !readErrno) {
            QCOMPARE(e.Code, uint32_t(CommBabbling));
            QVERIFY(!commErrorText(e).isEmpty());
            px.Send();
            QTRY_COMPARE_WITH_TIMEOUT(results.value(0), QByteArray("ap 1 42\r"), 3000);
        } else if (flags) {
            QCOMPARE(e.Code, uint32_t(CommLineError));
            QCOMPARE(e.LineErrors, flags);
            QCOMPARE(e.OSError, 0u);
        } else {
            QCOMPARE(e.Code, uint32_t(CommSystemError));
            QCOMPARE(e.OSError, uint32_t(readErrno));
        }
    }
    port.Close();
    setSimLineFactory({});
    resetPortDevicePaths();
}

QTEST_MAIN(TestLineErrors)
#include "tst_lineerrors.moc"
