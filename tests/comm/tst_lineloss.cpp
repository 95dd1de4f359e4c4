// A device that vanishes under an open port: the port reports it once, closes the
// line, refuses requests until it is opened again, and leaks nothing doing so;
// cyclic requests on a failing line back off.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "support/PtyPeer.h"

#include <QDir>
#include <QtTest>
#include <memory>

using namespace vx;

namespace {

struct Counts {
    int results = 0;
    QList<TCommError> errors;
};

std::unique_ptr<TPX400Protocol> component(TSXComm* port, const QString& text, Counts& c)
{
    auto px = std::make_unique<TPX400Protocol>();
    px->setSXComm(port);
    px->setProtocolFoot(TSequenceChar::scCR);
    px->setASCIIProtocol(text);
    px->OnCommResult = [&c](TSXProtocolComponent*, const QByteArray&) { ++c.results; };
    px->OnCommError = [&c](TSXProtocolComponent*, const TCommError& e, const QByteArray&) { c.errors.append(e); };
    return px;
}

int countEntries(const char* dir)
{
    return static_cast<int>(QDir(QLatin1String(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

int lostErrors(const Counts& c)
{
    return static_cast<int>(std::count_if(c.errors.begin(), c.errors.end(),
                                          [](const TCommError& e) { return e.Code == CommLineLost; }));
}

// A port opened on a scripted device at the far end of a pseudo-terminal.
struct Rig {
    PtyPeer peer;
    TSXComm port;
    Rig()
    {
        setPortDevicePath(1, peer.path());
        if (peer.ok()) port.Open();
    }
};

} // namespace

class TestLineLoss : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { resetPortDevicePaths(); }

    // Two polling components and a one-shot on a line whose far end goes away.
    void lostLineIsOneStateNotAFlood()
    {
        Rig rig;
        QVERIFY(rig.port.Active());
        PtyPeer& peer = rig.peer;
        TSXComm& port = rig.port;
        peer.answerAlways("v 1\r\n", 2);
        int lostEvents = 0, deactivated = 0;
        port.OnLineLost = [&](TSXComm*) { ++lostEvents; };
        port.OnDeactivate = [&](TSXComm*) { ++deactivated; };
        Counts a, b, once;
        auto pa = component(&port, "r0", a);
        auto pb = component(&port, "ri", b);
        auto po = component(&port, "rf", once);
        pa->setCyclic(true);
        pb->setCyclic(true);
        QTRY_VERIFY_WITH_TIMEOUT(a.results >= 3 && b.results >= 3, 3000);

        const uint64_t onLostBefore = SerialLine::callsOnLostLines();
        peer.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(port.Lost(), 3000);
        QTest::qWait(400);
        QCOMPARE(lostEvents, 1);
        QCOMPARE(deactivated, 0);
        QVERIFY(!port.Active());
        QVERIFY(!pa->Cyclic() && !pb->Cyclic());
        // Exactly one component heard of it, once, with the new code.
        QCOMPARE(lostErrors(a) + lostErrors(b), 1);
        QCOMPARE(port.LostError().Code, uint32_t(CommLineLost));
        QVERIFY(SerialLine::deviceGone(int(port.LostError().OSError)));
        QCOMPARE(SerialLine::callsOnLostLines(), onLostBefore);

        // Requests are refused with the same error, and nothing is queued.
        po->Send();
        QCOMPARE(once.errors.size(), 1);
        QCOMPARE(once.errors[0].Code, uint32_t(CommLineLost));
        QCOMPARE(port.QueueRequest(po->request()), -1);
        pa->setCyclic(true);
        QVERIFY(!pa->Cyclic());
        QVERIFY(!commErrorText(port.LostError()).isEmpty());
        QVERIFY(commErrorText(port.LostError(), true) != commErrorText(port.LostError()));

        // Giving up leaves an ordinary closed port that sends nothing.
        port.Close();
        QVERIFY(!port.Lost());
        QCOMPARE(deactivated, 1);
        po->Send();
        QCOMPARE(once.errors.size(), 1);
    }

    // A cyclic request on a silent line waits longer after every failure and is
    // asked again at once after a success.
    void cyclicFailuresBackOff()
    {
        Rig rig;
        QVERIFY(rig.port.Active());
        PtyPeer& peer = rig.peer;
        std::atomic<bool> silent{true};
        peer.setResponder([&](const QByteArray&, int) {
            return silent ? std::vector<PtyPeer::Chunk>{} : std::vector<PtyPeer::Chunk>{{2, "v 1\r\n"}};
        });
        Counts c;
        auto px = component(&rig.port, "v", c);
        px->setCyclic(true);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000)
            QTest::qWait(50);
        // 100, 200, 400, 800, 1000 ms after 100 ms time-outs: at most 6 tries in 3 s,
        // where re-sending at once would make about 30.
        QVERIFY2(peer.requestCount() <= 7, QByteArray::number(peer.requestCount()));
        QVERIFY(peer.requestCount() >= 3);
        QCOMPARE(px->backoffMs(), int(TSXProtocolComponent::MaxBackoffMs));
        QCOMPARE(c.errors.size(), 1); // still reported once

        silent = false;
        QTRY_VERIFY_WITH_TIMEOUT(c.results >= 3, 4000);
        QCOMPARE(px->backoffMs(), 0);
        px->setCyclic(false);
    }

    // Opening, polling and pulling the adapter many times leaves no thread or
    // descriptor behind and never hangs.
    void repeatedUnplugLeaksNothing()
    {
        const int fdsBefore = countEntries("/proc/self/fd");
        const int threadsBefore = countEntries("/proc/self/task");
        const int rounds = qEnvironmentVariableIntValue("VX_UNPLUG_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("VX_UNPLUG_ROUNDS")
                               : 200;
        for (int i = 0; i < rounds; ++i) {
            Rig rig;
            QVERIFY(rig.port.Active());
            PtyPeer& peer = rig.peer;
            TSXComm& port = rig.port;
            peer.answerAlways("v 1\r\n", 0);
            Counts c;
            auto px = component(&port, "v", c);
            px->setCyclic(true);
            // Pull at varying moments: before, during and between exchanges.
            QTest::qWait(i % 7);
            peer.unplug();
            if (i % 3 == 0) {
                port.Close(); // the user disconnects before the loss is seen
            } else {
                QTRY_VERIFY_WITH_TIMEOUT(port.Lost(), 3000);
                port.Close();
            }
            QVERIFY(!port.Active() && !port.Lost());
        }
        QCoreApplication::sendPostedEvents();
        QTRY_COMPARE_WITH_TIMEOUT(countEntries("/proc/self/task"), threadsBefore, 3000);
        QCOMPARE(countEntries("/proc/self/fd"), fdsBefore);
    }
};

QTEST_MAIN(TestLineLoss)
#include "tst_lineloss.moc"
