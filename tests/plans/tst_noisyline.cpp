// Whole-set reads through a real port and its worker on the in-process simulator,
// with single faults on the line: a reply stalling inside its digits, a reply that
// comes after the time-out (and runs into the repeat), a lost select, garbage. Each
// costs a repeat at most, never the job, and every value read is the controller's.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "plans/AsyncRunner.h"
#include "plans/BlockingRunner.h"
#include "plans/LiveSelect.h"
#include "plans/TransferPlans.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/InProcessUnit.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace vx;
using namespace vx::plans;

Q_DECLARE_METATYPE(std::vector<vx::sim::Fault>)

class TestNoisyLine : public QObject {
    Q_OBJECT
    std::unique_ptr<TSXComm> m_port;
    TPX400Protocol* m_component = nullptr;

private slots:
    void initTestCase()
    {
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void init()
    {
        test::singleUnitAt38400();
        sim::SimBus& bus = sim::defaultBus();
        // Values of every length, so a cut falls inside the digits.
        for (int n = 0; n <= 511; ++n)
            bus.setParameter(0, n, (n % 7 - 3) * (n * 1031 % 100000));
        for (int n = 1; n <= 80; ++n)
            bus.setSetpoint(0, n, n * 12345 - 400000);
        m_port = std::make_unique<TSXComm>();
        m_port->setBaudrate(TBaudrate::br38400);
        m_port->setFrameParitybit(TParityBit::Odd);
        m_port->Open();
        m_component = new TPX400Protocol(m_port.get());
        m_component->setProtocolFoot(TSequenceChar::scCR);
        m_component->setSXComm(m_port.get());
    }

    void cleanup()
    {
        delete m_component;
        m_component = nullptr;
        m_port.reset();
    }

    void wholeSetRead_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<bool>("async");
        QTest::addColumn<std::vector<sim::Fault>>("faults");
        // Reads wait 1000 ms for a first byte: a stale reply comes later than that.
        const std::vector<sim::Fault> single{sim::Fault::noReply("sc", 1),
                                             sim::Fault::pause("rp 100", 150, 8),
                                             sim::Fault::pause("rp 101", 400, 8),
                                             sim::Fault::stale("rp 200", 1200),
                                             sim::Fault::garbageBefore("rp 300"),
                                             sim::Fault::noReply("rp 400", 1),
                                             sim::Fault::stale("rs 7", 1200)};
        QTest::newRow("classic") << false << false << single;
        QTest::newRow("fast") << true << false << single;
        QTest::newRow("fast, windows' runner") << true << true << single;
    }

    void wholeSetRead()
    {
        QFETCH(bool, fast);
        QFETCH(bool, async);
        QFETCH(std::vector<sim::Fault>, faults);
        sim::SimBus& bus = sim::defaultBus();
        for (sim::Fault f : faults) {
            f.nth = 1; // once
            bus.addFault(f);
        }
        m_component->setEndAtLineEnd(fast);
        SelectPlan select(0);
        select.checkEveryReply();
        select.selectOnly();
        TParWaarden par;
        TSollWaarden soll;
        SetReadPlan read({}, par, soll);
        if (async) {
            AsyncRunner runner;
            runner.setChannel(0, m_component);
            for (Plan* plan : {static_cast<Plan*>(&select), static_cast<Plan*>(&read)}) {
                QSignalSpy done(&runner, &AsyncRunner::finished);
                runner.run(plan);
                QVERIFY(done.wait(120000));
            }
        } else {
            const BlockingLine line = lineThrough(*m_port, *m_component);
            runBlocking(select, line);
            runBlocking(read, line);
        }
        QCOMPARE(int(select.state()), int(SelectPlan::State::Identified));
        QVERIFY2(read.result().ok(), qPrintable(read.result().detail));
        QCOMPARE(read.result().confirmed, 592);
        for (int n = 0; n <= 511; ++n)
            QCOMPARE(par[n], bus.parameter(0, n));
        for (int n = 1; n <= 80; ++n)
            QCOMPARE(soll[n], bus.setpoint(0, n));
        // Every fault fired; no request was tried more than three times.
        size_t fired = 0;
        QMap<std::string, int> tries;
        for (const sim::LogEntry& e : bus.log()) {
            fired += e.faults.size();
            QVERIFY2(++tries[e.request] <= Tries, e.request.c_str());
        }
        QCOMPARE(fired, faults.size());
        QVERIFY(!m_port->FastRepliesOff());
    }
};

QTEST_GUILESS_MAIN(TestNoisyLine)
#include "tst_noisyline.moc"
