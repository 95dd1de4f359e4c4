// A whole-set read with replies that end at their line end, against the simulated
// controller on a pseudo-terminal, must fill the value store exactly as the pause
// rule does; and the device search keeps the pause rule whatever the option says.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ApparaatZoeken.h"
#include "device/ControllerLine.h"
#include "params/BackupRestore.h"
#include "params/LeesParSoll.h"
#include "params/ParFormats.h"
#include "params/ValueStore.h"
#include "support/ScriptedUi.h"
#include "support/SimOnPty.h"

#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace vx;

class TestTransferFast : public QObject {
    Q_OBJECT
    test::SimOnPty m_sim;
    sim::SimBus& m_bus = m_sim.bus;
    TSXComm* m_port = nullptr;

    // The read into the store; the parameter, setpoint and backup files it gives.
    QList<QByteArray> readAll()
    {
        resetValueStore();
        TFormLeesParSoll w;
        QTimer ok;
        connect(&ok, &QTimer::timeout, &w, [&] {
            if (w.isVisible() && w.isDone())
                w.CmdOK->click();
        });
        ok.start(20);
        if (!ParSollOntvangen(w))
            return {};
        return {files::parameterFileText(0, ParWaarden), files::setpointFileText(0, SollWaarden),
                files::backupFileBytes(ParWaarden, SollWaarden)};
    }

private slots:
    void initTestCase()
    {
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/';
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        test::ScriptedUi::install();
        QVERIFY(m_sim.start());
        for (int n = 0; n <= 511; ++n)
            m_bus.setParameter(0, n, (n * 37) % 2001 - 1000);
        for (int n = 1; n <= 80; ++n)
            m_bus.setSetpoint(0, n, 7 * n - 100);
        m_port = m_sim.port.get();
        app().SXComm1 = m_port;
    }

    void cleanupTestCase()
    {
        setFastReplies(false);
        app().SXComm1 = nullptr;
    }

    void fastReadGivesTheSameStoreAndFiles()
    {
        setFastReplies(false);
        const QList<QByteArray> classic = readAll();
        QCOMPARE(classic.size(), 3);
        setFastReplies(true);
        const QList<QByteArray> fast = readAll();
        QCOMPARE(fast, classic);
        QVERIFY(!m_port->FastRepliesOff());
        QCOMPARE(m_bus.requestCount(), size_t(2 * (512 + 80)));
    }

    void searchKeepsThePauseRule()
    {
        setFastReplies(false);
        auto* before = makeControllerComponent(this, "before");
        TFormApparaatZoeken search;
        setFastReplies(true);
        auto* after = makeControllerComponent(this, "after");
        QVERIFY(before->EndAtLineEnd());
        QVERIFY(after->EndAtLineEnd());
        const auto probes = search.findChildren<TPX400Protocol*>();
        QCOMPARE(probes.size(), 2);
        for (const TPX400Protocol* p : probes)
            QVERIFY2(!p->EndAtLineEnd(), qPrintable(p->objectName()));
        setFastReplies(false);
        QVERIFY(!before->EndAtLineEnd());
        delete before;
        delete after;
    }
};

QTEST_MAIN(TestTransferFast)
#include "tst_transfer_fast.moc"
