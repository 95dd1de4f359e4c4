// Request/reply cycles over a pseudo-terminal: time-outs, reply ends, error reporting,
// queue order and closing the port at awkward moments.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "support/PtyPeer.h"

#include <QtTest>
#include <memory>

using namespace vx;

Q_DECLARE_METATYPE(std::vector<PtyPeer::Chunk>)

namespace {

struct Event {
    QByteArray result;
    bool error = false;
    TCommError err;
    qint64 atMs = 0;
    TSXProtocolComponent* sender = nullptr;
};

// A line component as the windows set it up, recording what it is told.
struct Recorder {
    std::unique_ptr<TPX400Protocol> px = std::make_unique<TPX400Protocol>();
    QList<Event> events;
    QElapsedTimer clock;

    explicit Recorder(TSXComm* port)
    {
        px->setSXComm(port);
        px->setProtocolFoot(TSequenceChar::scCR);
        clock.start();
        px->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
            events.append({r, false, {}, clock.elapsed(), s});
        };
        px->OnCommError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray& r) {
            events.append({r, true, e, clock.elapsed(), s});
        };
    }
    void send(const QString& text)
    {
        px->setASCIIProtocol(text);
        clock.restart();
        px->Send();
    }
};

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<TSXComm> port;

private slots:
    void init()
    {
        peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->ok());
        setPortDevicePath(1, peer->path());
        port = std::make_unique<TSXComm>();
        port->Open();
    }
    void cleanup()
    {
        port.reset();
        peer.reset();
        resetPortDevicePaths();
    }

    void firstByteTimeout_data();
    void firstByteTimeout();
    void replyEnd_data();
    void replyEnd();
    void settleTakesTheRestOfAReply();
    void staleInputNeverReachesReply();
    void oneShotReportsEveryFailure();
    void cyclicReportsChangesOnly();
    void sendOnClosedPortIsSilent();
    void repliesInSendOrder();
    void closeWithQueuedRequests();
    void closeFromHandler_data();
    void closeFromHandler();
    void portDeletedFromHandler();
    void unpluggedAdapter();
    void destroyedComponentNeverServed();
    void resendBeforeStartSentOnce();
};

void TestExchange::firstByteTimeout_data()
{
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("default 100 ms") << 0 << 90 << 700;
    QTest::newRow("1500 ms") << 1500 << 1450 << 2400;
}

void TestExchange::firstByteTimeout()
{
    QFETCH(int, timeout);
    QFETCH(int, low);
    QFETCH(int, high);
    Recorder r(port.get());
    r.px->setTimeoutTime(timeout);
    r.send("ap 1");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 1, 5000);
    QVERIFY(r.events[0].error);
    QCOMPARE(r.events[0].err.Code, uint32_t(CommTimeout));
    QVERIFY2(r.events[0].atMs >= low && r.events[0].atMs <= high, QByteArray::number(r.events[0].atMs));
    QCOMPARE(peer->requests().at(0), QByteArray("ap 1\r"));
}

using Chunks = std::vector<PtyPeer::Chunk>;

void TestExchange::replyEnd_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<bool>("fast");
    QTest::addColumn<bool>("pauseEnds");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("low"); // ms from the request to the reply
    QTest::addColumn<int>("high");
    const Chunks together{{5, "ab"}, {10, "cd"}, {10, "ef\r\n"}};
    QTest::newRow("bytes close together") << "one" << together << false << false << QByteArray("abcdef\r\n") << 0 << 400;
    // A stalling adapter or controller: the pause inside the digits is no end.
    const Chunks stall{{5, "rp 12 1"}, {150, "23\r\n"}};
    for (bool fast : {false, true})
        QTest::addRow("stall before the line end, %s", fast ? "fast" : "classic")
            << "rp 12" << stall << fast << false << QByteArray("rp 12 123\r\n") << 150 << 700;
    QTest::newRow("pause after the line end ends it") << "two" << Chunks{{5, "ab\r\n"}, {200, "zz\r\n"}} << false << false
                                                      << QByteArray("ab\r\n") << 0 << 1000;
    // Taken as it is after 500 ms of silence; the reply check refuses it as cut.
    for (bool fast : {false, true})
        QTest::addRow("no line end, %s", fast ? "fast" : "classic")
            << "rp 12" << Chunks{{5, "rp 12 1"}} << fast << false << QByteArray("rp 12 1") << 480 << 1500;
    // A probe at wrong settings gets garbage without a line end: it must stay quick.
    QTest::newRow("probe ends at the pause") << "sc 1" << Chunks{{5, "\xfe\x13"}, {200, "REST"}} << false << true
                                             << QByteArray("\xfe\x13") << 0 << 1000;
    QTest::newRow("fast: echo and line end end it") << "rp 12" << Chunks{{5, "rp 12 5\r\n"}, {60, "xx"}} << true << false
                                                    << QByteArray("rp 12 5\r\n") << 0 << 1000;
}

void TestExchange::replyEnd()
{
    QFETCH(QString, request);
    QFETCH(Chunks, chunks);
    QFETCH(bool, fast);
    QFETCH(bool, pauseEnds);
    QFETCH(QByteArray, expected);
    QFETCH(int, low);
    QFETCH(int, high);
    peer->setResponder([=](const QByteArray& req, int) {
        return req.startsWith("next") ? Chunks{{5, "next 1\r\n"}} : chunks;
    });
    Recorder r(port.get());
    r.px->setEndAtLineEnd(fast);
    r.px->setNextPauseEnds(pauseEnds);
    r.send(request);
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 1, 3000);
    QVERIFY(!r.events[0].error);
    QCOMPARE(r.events[0].result, expected);
    QVERIFY2(r.events[0].atMs >= low && r.events[0].atMs <= high, QByteArray::number(r.events[0].atMs));

    // What came after the end arrives while the port is idle and is purged before the
    // next request; the pause rule was for that one request only.
    QTest::qWait(300);
    r.send("next");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 2, 3000);
    QCOMPARE(r.events[1].result, QByteArray("next 1\r\n"));
}

void TestExchange::settleTakesTheRestOfAReply()
{
    // The rest of a reply follows its line end 30 ms later: a plain request would find
    // it in its own reply; a settled one waits for quiet, purges, then sends.
    peer->setResponder([](const QByteArray& req, int) {
        if (req.startsWith("one"))
            return Chunks{{5, "one 1\r\n"}, {30, "one 1\r\n"}};
        return Chunks{{5, "two 2\r\n"}};
    });
    Recorder r(port.get());
    r.px->setEndAtLineEnd(true);
    r.send("one");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 1, 3000);
    QCOMPARE(r.events[0].result, QByteArray("one 1\r\n"));
    r.px->setNextSettle(true);
    r.send("two");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 2, 3000);
    QCOMPARE(r.events[1].result, QByteArray("two 2\r\n"));
    QVERIFY2(r.events[1].atMs >= 50, QByteArray::number(r.events[1].atMs));
    QCOMPARE(peer->requestCount(), 2);
}

void TestExchange::staleInputNeverReachesReply()
{
    peer->answerAlways("ok\r", 10);
    peer->send("garbage from before\r");
    QTest::qWait(50);
    Recorder r(port.get());
    r.send("rt");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 1, 3000);
    QCOMPARE(r.events[0].result, QByteArray("ok\r"));
}

void TestExchange::oneShotReportsEveryFailure()
{
    Recorder r(port.get());
    r.send("ap 1");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 1, 3000);
    r.send("ap 1");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 2, 3000);
    QTest::qWait(100);
    QCOMPARE(r.events.size(), 2);
    for (const Event& e : r.events) {
        QVERIFY(e.error);
        QCOMPARE(e.err.Code, uint32_t(CommTimeout));
        QVERIFY(e.result.isEmpty());
    }
    // A success after failures is just a result.
    peer->answerAlways("ap 1 7\r");
    r.send("ap 1");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 3, 3000);
    QTest::qWait(100);
    QCOMPARE(r.events.size(), 3);
    QVERIFY(!r.events[2].error);
}

void TestExchange::cyclicReportsChangesOnly()
{
    // Silent for the first four requests, then answering.
    peer->setResponder([](const QByteArray&, int index) {
        if (index < 4)
            return std::vector<PtyPeer::Chunk>{};
        return std::vector<PtyPeer::Chunk>{{2, "v 1\r"}};
    });
    Recorder r(port.get());
    int activated = 0, deactivated = 0;
    r.px->OnActivate = [&](TSXProtocolComponent*) { ++activated; };
    r.px->OnDeactivate = [&](TSXProtocolComponent*) { ++deactivated; };
    r.px->setASCIIProtocol("v");
    r.px->setCyclic(true);
    QCOMPARE(activated, 1);
    QTRY_VERIFY_WITH_TIMEOUT(r.events.size() >= 5, 5000);
    r.px->setCyclic(false);
    QCOMPARE(deactivated, 1);
    QVERIFY(peer->requestCount() >= 6);

    QVERIFY(r.events[0].error);
    QCOMPARE(r.events[0].err.Code, uint32_t(CommTimeout));
    QVERIFY(!r.events[1].error);
    QCOMPARE(r.events[1].result, QByteArray("v 1\r"));
    QVERIFY(r.events[2].error);
    QVERIFY(r.events[2].err.isZero());
    QVERIFY(r.events[2].result.isEmpty());
    for (int i = 3; i < r.events.size(); ++i)
        QVERIFY(!r.events[i].error);

    // Cyclic on a closed port does not stick.
    port->Close();
    r.px->setCyclic(true);
    QVERIFY(!r.px->Cyclic());
    QCOMPARE(deactivated, 3); // once by Close, once here
}

void TestExchange::sendOnClosedPortIsSilent()
{
    Recorder r(port.get());
    port->Close();
    r.send("ap 1");
    QCOMPARE(port->QueueRequest(r.px->request()), -1);
    QTest::qWait(200);
    QVERIFY(r.events.isEmpty());
    QCOMPARE(peer->requestCount(), 0);
}

void TestExchange::repliesInSendOrder()
{
    // Echo the request as the reply.
    peer->setResponder([](const QByteArray& req, int) { return std::vector<PtyPeer::Chunk>{{3, req}}; });
    QList<QByteArray> order;
    Recorder a(port.get()), b(port.get()), c(port.get());
    for (Recorder* rec : {&a, &b, &c})
        rec->px->OnCommResult = [&order](TSXProtocolComponent*, const QByteArray& res) { order.append(res); };
    a.send("aa");
    b.send("bb");
    c.send("cc");
    QCOMPARE(port->queuedRequests(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 3, 3000);
    QCOMPARE(order, (QList<QByteArray>{"aa\r", "bb\r", "cc\r"}));
    QCOMPARE(peer->requests(), (std::vector<QByteArray>{"aa\r", "bb\r", "cc\r"}));
}

void TestExchange::closeWithQueuedRequests()
{
    // The first one waits for a reply that is never sent; two more wait behind it.
    Recorder a(port.get()), b(port.get()), c(port.get());
    a.px->setTimeoutTime(3000);
    a.send("aa");
    b.send("bb");
    c.send("cc");
    QTRY_COMPARE_WITH_TIMEOUT(peer->requestCount(), 1, 2000);
    QElapsedTimer t;
    t.start();
    port->Close();
    QVERIFY2(t.elapsed() < 500, QByteArray::number(t.elapsed()));
    QCOMPARE(port->queuedRequests(), 0);
    QTest::qWait(150);
    QVERIFY(a.events.isEmpty() && b.events.isEmpty() && c.events.isEmpty());
    QCOMPARE(peer->requestCount(), 1);
}

void TestExchange::closeFromHandler_data()
{
    QTest::addColumn<bool>("reopenInHandler");
    QTest::newRow("reopen later") << false;
    QTest::newRow("reopen in the handler") << true;
}

void TestExchange::closeFromHandler()
{
    QFETCH(bool, reopenInHandler);
    peer->answerAlways("ok\r");
    Recorder r(port.get());
    Recorder other(port.get());
    int results = 0;
    bool closedInside = false;
    r.px->OnCommResult = [&](TSXProtocolComponent*, const QByteArray&) {
        ++results;
        if (results == 1) {
            other.send("queued"); // waits behind us and must be dropped by the Close
            port->Close();
            closedInside = !port->Active();
            if (reopenInHandler) {
                port->Open();
                r.send("again");
            }
        }
    };
    r.send("first");
    QTRY_COMPARE_WITH_TIMEOUT(results, 1, 3000);
    QVERIFY(closedInside);
    if (!reopenInHandler) {
        QTest::qWait(50);
        port->Open();
        r.send("again");
    }
    QTRY_COMPARE_WITH_TIMEOUT(results, 2, 3000);
    QVERIFY(other.events.isEmpty());
    port->Close();
    QVERIFY(!port->Active());
}

void TestExchange::portDeletedFromHandler()
{
    peer->answerAlways("ok\r");
    Recorder r(port.get());
    int results = 0;
    r.px->OnCommResult = [&](TSXProtocolComponent*, const QByteArray&) {
        ++results;
        port.reset();
    };
    r.send("x");
    QTRY_COMPARE_WITH_TIMEOUT(results, 1, 3000);
    QVERIFY(!r.px->SXComm());
    QTest::qWait(100);
    QCOMPARE(results, 1);
}

void TestExchange::unpluggedAdapter()
{
    Recorder r(port.get());
    peer->unplug();
    r.send("ap 1");
    QTRY_COMPARE_WITH_TIMEOUT(r.events.size(), 1, 3000);
    QVERIFY(r.events[0].error);
    QCOMPARE(r.events[0].err.Code, uint32_t(CommLineLost));
    QVERIFY(r.events[0].err.OSError != 0);
    QVERIFY(port->Lost());
    QVERIFY2(r.events[0].atMs < 1000, QByteArray::number(r.events[0].atMs));
    port->Close();
}

void TestExchange::destroyedComponentNeverServed()
{
    peer->setResponder([](const QByteArray& req, int) { return std::vector<PtyPeer::Chunk>{{40, req}}; });
    auto a = std::make_unique<Recorder>(port.get());
    auto b = std::make_unique<Recorder>(port.get());
    Recorder c(port.get());
    a->send("aa");
    b->send("bb");
    c.send("cc");
    b.reset(); // waiting in the queue
    QTRY_COMPARE_WITH_TIMEOUT(peer->requestCount(), 1, 2000);
    a.reset(); // its exchange is running now
    QTRY_COMPARE_WITH_TIMEOUT(c.events.size(), 1, 3000);
    QCOMPARE(c.events[0].result, QByteArray("cc\r"));
    QCOMPARE(peer->requests(), (std::vector<QByteArray>{"aa\r", "cc\r"}));
    QTRY_COMPARE_WITH_TIMEOUT(port->queuedRequests(), 0, 1000);

    // Unbinding drops a waiting request the same way.
    Recorder d(port.get()), e(port.get());
    d.send("dd");
    e.send("ee");
    e.px->setSXComm(nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(d.events.size(), 1, 3000);
    QTest::qWait(150);
    QVERIFY(e.events.isEmpty());
    QCOMPARE(peer->requestCount(), 3);
}

void TestExchange::resendBeforeStartSentOnce()
{
    peer->setResponder([](const QByteArray& req, int) { return std::vector<PtyPeer::Chunk>{{20, req}}; });
    Recorder a(port.get()), b(port.get());
    a.send("aa");
    b.send("b1");
    b.send("b2"); // b has not started yet: its slot now carries b2, sent once
    QTRY_COMPARE_WITH_TIMEOUT(b.events.size(), 1, 3000);
    QTest::qWait(150);
    QCOMPARE(b.events.size(), 1);
    QCOMPARE(b.events[0].result, QByteArray("b2\r"));
    QCOMPARE(peer->requests(), (std::vector<QByteArray>{"aa\r", "b2\r"}));

    // Sent again while its reply is coming in: that reply still arrives whole.
    peer->setResponder([](const QByteArray&, int) {
        return std::vector<PtyPeer::Chunk>{{5, "12"}, {35, "34"}, {35, "56\r"}};
    });
    a.send("aa");
    QElapsedTimer t;
    t.start();
    while (a.px->resultStream().isEmpty() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QCOMPARE(a.px->resultStream().left(1), QByteArray("1"));
    a.send("aa");
    QTRY_COMPARE_WITH_TIMEOUT(a.events.size(), 3, 3000);
    QCOMPARE(a.events[1].result, QByteArray("123456\r"));
    QCOMPARE(a.events[2].result, QByteArray("123456\r"));
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
