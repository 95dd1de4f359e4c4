// The main menu's read of all parameters and setpoints into the value store, against
// the simulated controller.
#include <QtTest>

#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ControllerLine.h"
#include "params/BackupRestore.h"
#include "params/LeesParSoll.h"
#include "sim/SimBus.h"
#include "support/InProcessUnit.h"
#include "support/ScriptedUi.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace vx;

class TestTransferFull : public QObject {
    Q_OBJECT
    TSXComm* m_port = nullptr;
    int m_stops = 0;
    int m_functionTexts = 0;

    sim::SimBus& bus() { return sim::defaultBus(); }

private slots:
    void initTestCase()
    {
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/';
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        app().StopPolling = [this] { ++m_stops; };
        app().InputFunctieTeksten = [this] { ++m_functionTexts; };
        app().OutputFunctieTeksten = [this] { ++m_functionTexts; };
        test::ScriptedUi::install();
        test::singleUnitAt38400();
        for (int n = 1; n <= 80; ++n)
            bus().setSetpoint(0, n, 7 * n - 100);
        m_port = test::openCom1At38400(this);
        QVERIFY(m_port->Active());
        // Replies end at their line end; the pause rule's whole set is tst_transfer_fast's.
        setFastReplies(true, m_port);
    }

    void cleanupTestCase()
    {
        m_port->Close();
        app().SXComm1 = nullptr;
    }

    void init()
    {
        bus().clearLog();
        m_stops = 0;
        m_functionTexts = 0;
    }

    void readEverythingIntoTheStore()
    {
        resetValueStore();
        TFormLeesParSoll w;
        QTimer ok;
        connect(&ok, &QTimer::timeout, &w, [&] {
            if (w.isVisible() && w.isDone())
                w.CmdOK->click();
        });
        ok.start(20);
        QVERIFY(ParSollOntvangen(w));
        QCOMPARE(m_stops, 1);
        QCOMPARE(m_functionTexts, 2);
        QCOMPARE(ParStatus, 1);
        QCOMPARE(SollStatus, 1);
        for (int n = 0; n <= 511; ++n)
            QCOMPARE(ParWaarden[n], bus().parameter(0, n));
        for (int n = 1; n <= 80; ++n)
            QCOMPARE(SollWaarden[n], 7 * n - 100);
        // rp 0 ... rp 511, then rs 1 ... rs 80, each once.
        std::vector<std::string> expected;
        for (int n = 0; n <= 511; ++n)
            expected.push_back("rp " + std::to_string(n));
        for (int n = 1; n <= 80; ++n)
            expected.push_back("rs " + std::to_string(n));
        QVERIFY(bus().requests() == expected);
    }

    void cancelledReadChangesNothing()
    {
        resetValueStore();
        ParWaarden[3] = 33;
        SollWaarden[4] = 44;
        ParStatus = 2;
        SollStatus = 0;
        TFormLeesParSoll w;
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, &w, [&] {
            if (w.isVisible() && w.counter() >= 5 && !w.cancelRequested())
                w.CmdCancel->click();
        });
        cancel.start(5);
        QVERIFY(!ParSollOntvangen(w));
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(ParWaarden[3], 33);
        QCOMPARE(ParWaarden[0], 0);
        QCOMPARE(SollWaarden[4], 44);
        QCOMPARE(ParStatus, 2);
        QCOMPARE(SollStatus, 0);
        QCOMPARE(m_functionTexts, 0);
        QVERIFY(bus().requests().size() < 20);
    }
};

QTEST_MAIN(TestTransferFull)
#include "tst_transfer_full.moc"
