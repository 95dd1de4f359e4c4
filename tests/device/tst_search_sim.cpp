// Device search against the simulated controllers of the default bus (a VX50 at
// unit 0 on 9600 8O1, a VX51 at unit 5 on 38400 8E1), through the whole port stack.
#include "app/core/AppState.h"
#include "app/core/Taal.h"
#include "comm/SXComm.h"
#include "device/ApparaatZoeken.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vx;

class TstSearchSim : public QObject {
    Q_OBJECT
    std::unique_ptr<TSXComm> m_port;

private slots:
    void initTestCase() { sim::installInProcessSimulator(); }
    void init()
    {
        app() = AppState();
        sim::resetDefaultBus();
        resetPortDevicePaths();
        setPortDevicePath(1, "sim");
        m_port = std::make_unique<TSXComm>();
        app().SXComm1 = m_port.get();
        test::ScriptedUi::install();
    }
    void cleanup()
    {
        m_port.reset();
        app().SXComm1 = nullptr;
        setUiSeams(nullptr);
    }

    void findsEachController_data()
    {
        QTest::addColumn<int>("startIndex");
        QTest::addColumn<int>("parity");  // the port's, searched "as COM"
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("parityText");
        QTest::newRow("VX50 at unit 0") << 0 << int(TParityBit::Odd) << "00" << "VX50" << "9600" << "Odd";
        QTest::newRow("VX51 at unit 5") << 3 << int(TParityBit::Even) << "05" << "VX51" << "38400" << "Even";
    }
    void findsEachController()
    {
        QFETCH(int, startIndex);
        QFETCH(int, parity);
        QFETCH(QString, unit);
        QFETCH(QString, type);
        QFETCH(QString, baud);
        QFETCH(QString, parityText);
        m_port->setFrameParitybit(TParityBit(parity));
        m_port->setFrameStopbits(TStopBit::sb_1);
        TFormApparaatZoeken w;
        w.FormActivate();
        w.ComboBaudRate->setCurrentIndex(startIndex);
        w.CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdOK->isEnabled(), 20000);
        QCOMPARE(w.cell(1, 0), unit);
        QVERIFY2(w.cell(1, 1).startsWith(type), qPrintable(w.cell(1, 1)));
        QCOMPARE(w.cell(1, 2), baud);
        QCOMPARE(w.cell(1, 3), parityText);
        QCOMPARE(w.cell(1, 4), QStringLiteral("1"));

        // The probes before the hit went out in order at the chosen settings, then the
        // identification.
        const auto log = sim::defaultBus().log();
        const int hitUnit = unit.toInt();
        QCOMPARE(int(log.size()), hitUnit + 1 + 3);
        for (int u = 0; u <= hitUnit; ++u) {
            QCOMPARE(QString::fromStdString(log[size_t(u)].request), QStringLiteral("sc %1").arg(u));
            QCOMPARE(log[size_t(u)].frame.baud, baud.toInt());
            QCOMPARE(log[size_t(u)].frame.parity, parityText.at(0).toLatin1());
        }
        QCOMPARE(QString::fromStdString(log.back().request), QStringLiteral("rx"));
        w.CmdCancelClick();
    }

    // Stop pressed while a probe waits for its time-out: honoured when that probe ends.
    void stopDuringASilentProbe()
    {
        TFormApparaatZoeken w;
        w.FormActivate();
        w.ComboBaudRate->setCurrentIndex(4);  // nobody at 57600
        w.CmdStartZoekenClick();
        QVERIFY(sim::defaultBus().waitForRequests(1, 2000));
        w.CmdStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdVerder->isEnabled(), 5000);
        QTest::qWait(300);
        QCOMPARE(sim::defaultBus().requestCount(), size_t(1));
        w.CmdCancelClick();
    }
};

QTEST_MAIN(TstSearchSim)
#include "tst_search_sim.moc"
