// One bus, several units, several windows: whatever the main window shows comes from
// the unit it names, after that unit was selected and identified, also when the unit
// box, the port settings or the bus overview moved the bus elsewhere.
#include "app/InitSerial.h"
#include "app/VX40Main.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "fleet/BusOverview.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/EventWait.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vx;

namespace {

bool isLiveValue(const std::string& r)
{
    return r == "r0" || r == "r1" || r == "r4" || r == "r5" || r == "r6" || r == "r2" || r == "r3";
}

// Every live value asked after `after` (or from the start) was answered by `unit` (or
// by nobody).
QStringList foreignValues(const std::vector<sim::LogEntry>& log, int unit, const std::string& after = {})
{
    QStringList out;
    bool on = after.empty();
    for (const sim::LogEntry& e : log) {
        on = on || e.request == after;
        if (on && isLiveValue(e.request) && e.unit >= 0 && e.unit != unit)
            out << QStringLiteral("%1 from unit %2").arg(QString::fromStdString(e.request)).arg(e.unit);
    }
    return out;
}

// The requests from the first of `first` on, as text.
QStringList from(const std::vector<std::string>& requests, const std::string& first)
{
    QStringList out;
    bool on = false;
    for (const std::string& r : requests) {
        on = on || r == first;
        if (on)
            out << QString::fromStdString(r);
    }
    return out;
}

} // namespace

class TestBusShare : public QObject {
    Q_OBJECT
    QTemporaryDir m_data;
    test::ProgramFolder m_program;
    std::unique_ptr<TFormMain> m_main;

    sim::SimBus& bus() { return sim::defaultBus(); }

    // Live values on, and seen.
    void liveOn()
    {
        if (!app().ActualAan)
            m_main->CmdActual->click();
        m_main->PanelActPos1->clear();
        QVERIFY(test::waitFor([&] { return !m_main->PanelActPos1->text().isEmpty(); }, 10000));
    }

private slots:
    void initTestCase()
    {
        paths::setUserDataDir(m_data.path());
        QVERIFY(m_program.copyShipped({"Parameters.txt", "ParNo.txt", "Taal1.ini"}));
        QVERIFY(m_program.write("application.ini", "[Opties]\r\nTaal=1\r\n"));
        test::ScriptedUi::install();
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
        sim::resetDefaultBus();
        bus().removeUnits();
        for (const int unit : {0, 3, 9}) {
            sim::UnitConfig c;
            c.number = unit;
            c.frame = LineFrame{38400, 8, 'O', 1};
            c.type = unit == 3 ? "VX51" : "VX50";
            bus().addUnit(c);
        }
        // Other decimals per unit: a value shown under the wrong unit would show it.
        bus().setParameter(0, 203, 2);
        bus().setParameter(3, 203, 0);
        bus().setParameter(9, 203, 3);
        bus().raiseError(3, 7);
        m_main = test::startMain(m_program.path(), test::At38400 | test::NotConnected);
        QVERIFY(m_main);
        app().setUnitNumber(0);
        QVERIFY(test::connectMain(*m_main));
    }

    void cleanupTestCase()
    {
        m_main.reset();
        sim::resetDefaultBus();
    }

    // Another number in the unit box is another controller: selected and identified
    // before anything of it shows.
    void unitBoxSelectsTheUnitItShows()
    {
        liveOn();
        bus().clearLog();
        m_main->SpinEditUnitSelect->setValue(3);
        emit m_main->SpinEditUnitSelect->editingFinished();
        QVERIFY(test::waitFor([&] { return m_main->statusPanel(4)->text() == QLatin1String("SN 51051"); }, 10000));
        m_main->PanelActPos1->clear();
        QVERIFY(test::waitFor([&] { return !m_main->PanelActPos1->text().isEmpty(); }, 10000));
        QVERIFY(!m_main->PanelActPos1->text().contains(u',')); // unit 3 has no decimals
        const QStringList asked = from(bus().requests(), "sc 3");
        QCOMPARE(asked.mid(0, 6), QStringList({"sc 3", "rt", "rh", "rx", "rp 203", "rp 280"}));
        QCOMPARE(foreignValues(bus().log(), 3, "sc 3"), QStringList());
        // And back.
        m_main->SpinEditUnitSelect->setValue(0);
        emit m_main->SpinEditUnitSelect->editingFinished();
        QVERIFY(test::waitFor([&] { return m_main->statusPanel(4)->text() == QLatin1String("SN 51000"); }, 10000));
    }

    // New port settings: the controller behind them is identified anew, and its
    // decimals read, before the live values go on.
    void portSettingsIdentifyAgain()
    {
        liveOn();
        bus().clearLog();
        // Through the menu, as a technician does it: the dialog closes the port, OK opens it.
        QTimer::singleShot(0, m_main.get(), [] {
            QVERIFY(test::waitFor([] { return qobject_cast<TFormInitSerial*>(QApplication::activeModalWidget()); }, 5000));
            qobject_cast<TFormInitSerial*>(QApplication::activeModalWidget())->CmdOKClick();
        });
        m_main->Serial1Click();
        QVERIFY(m_main->SXComm1()->Active());
        m_main->PanelActPos1->clear();
        QVERIFY(test::waitFor([&] { return !m_main->PanelActPos1->text().isEmpty(); }, 10000));
        if (qEnvironmentVariableIsSet("VX_DEBUG_LOG"))
            for (const sim::LogEntry& e : bus().log())
                qDebug() << e.ms << e.request.c_str() << e.unit;
        const QStringList asked = from(bus().requests(), "sc 0");
        QCOMPARE(asked.mid(0, 6), QStringList({"sc 0", "rt", "rh", "rx", "rp 203", "rp 280"}));
    }

    // The overview selects one unit after another; the main window's values wait, say
    // why, and come back from its own unit only.
    void overviewTakesTurns()
    {
        liveOn();
        auto* overview = m_main->findChild<TFormBusOverview*>();
        QVERIFY(overview);
        plans::SearchChoice choice;
        choice.bauds = {TBaudrate::br38400};
        choice.units = {0, 1, 2, 3, 9};
        choice.parities = {TParityBit::Odd};
        choice.stops = {TStopBit::sb_1};
        overview->setSearchChoice(choice);
        overview->setPollGap(20);
        bus().clearLog();
        QString shownMeanwhile;
        bool searched = false;
        QTimer::singleShot(0, overview, [&] {
            // Closed whatever happens, so a failure cannot leave the window waiting.
            const auto closing = qScopeGuard([&] { overview->close(); });
            QVERIFY(test::waitFor([&] { return overview->isVisible(); }, 5000));
            shownMeanwhile = m_main->PanelComInfo->text();
            overview->CmdSearchBusClick();
            QVERIFY(test::waitFor([&] { return !overview->busy(); }, 30000));
            QTest::qWait(1500); // the overview's own polling of the units
            searched = true;
        });
        m_main->openWindow(QStringLiteral("BusOverview1"), true);
        QVERIFY(searched);
        QCOMPARE(shownMeanwhile, QStringLiteral("The bus overview uses the line; live values are paused."));
        QCOMPARE(overview->units().size(), 3);
        QVERIFY(test::waitFor([&] { return app().ActualAan; }, 10000));
        m_main->PanelActPos1->clear();
        QVERIFY(test::waitFor([&] { return !m_main->PanelActPos1->text().isEmpty(); }, 10000));
        QTest::qWait(500);
        if (qEnvironmentVariableIsSet("VX_DEBUG_LOG"))
            for (const sim::LogEntry& e : bus().log())
                qDebug() << e.ms << e.request.c_str() << e.unit;
        QCOMPARE(foreignValues(bus().log(), 0), QStringList());
        QCOMPARE(m_main->PanelErrorNo->text(), QString());
    }
};

QTEST_MAIN(TestBusShare)
#include "tst_busshare.moc"
