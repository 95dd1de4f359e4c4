// The search window against the simulated bus: the probes over the line, hits and their
// identification, Stop and Verder, taking a row over, Cancel, a port that fails.
#include "app/VX40Main.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ApparaatZoeken.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/InProcessUnit.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

sim::SimBus& bus() { return sim::defaultBus(); }

void addUnit(int number, LineFrame frame, const char* type = "VX50")
{
    sim::UnitConfig u;
    u.number = number;
    u.frame = frame;
    u.type = type;
    bus().addUnit(u);
}

} // namespace

class TstSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TSXComm> m_port;
    test::ScriptedUi* m_ui = nullptr;

    std::unique_ptr<TFormApparaatZoeken> makeWindow()
    {
        auto w = std::make_unique<TFormApparaatZoeken>();
        w->FormActivate();
        return w;
    }

    // The bar shows what its text says: the same count of the same total.
    static bool barMatchesText(const TFormApparaatZoeken& w, int total)
    {
        const QRegularExpressionMatch m = QRegularExpression(R"(^(\d+) of (\d+) combinations)").match(w.PanelVoortgang->text());
        if (!m.hasMatch() || m.captured(2).toInt() != total || w.Gauge1->maximum() != total
            || w.Gauge1->value() != m.captured(1).toInt()) {
            qWarning("bar %d of %d, text \"%s\"", w.Gauge1->value(), w.Gauge1->maximum(),
                     qPrintable(w.PanelVoortgang->text()));
            return false;
        }
        return true;
    }

private slots:
    void initTestCase() { sim::installInProcessSimulator(); }
    void init()
    {
        app() = AppState();
        // The data files also sit beside the test programs.
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + QLatin1Char('/');
        app().TaalIndex = 1;
        loadTaalFile();
        sim::resetDefaultBus();
        bus().removeUnits();
        resetPortDevicePaths();
        setPortDevicePath(1, "sim");
        m_port = std::make_unique<TSXComm>();
        m_port->setFrameParitybit(TParityBit::Even);
        app().SXComm1 = m_port.get();
        m_ui = test::ScriptedUi::install();
    }
    void cleanup()
    {
        m_port.reset();
        app().SXComm1 = nullptr;
        setUiSeams(nullptr);
        sim::resetDefaultBus();
    }

    // The whole sweep over the line: every request, with the line settings it used.
    void sweepOverTheLine()
    {
        m_port->setFrameStopbits(TStopBit::sb_2);
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QVERIFY(!w->CmdStartZoeken->isEnabled());
        QVERIFY(!w->ComboBaudRate->isEnabled());
        QVERIFY(w->CmdStop->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 120000);
        const auto log = bus().log();
        QCOMPARE(int(log.size()), 160);
        int i = 0;
        for (int baud : {9600, 19200, 28800, 38400, 57600})
            for (int unit = 0; unit <= 31; ++unit, ++i) {
                QCOMPARE(log[size_t(i)].request, "sc " + std::to_string(unit));
                QVERIFY(log[size_t(i)].frame == (LineFrame{baud, 8, 'E', 2}));
            }
        QCOMPARE(w->PanelZoekTekst->text(), QStringLiteral("Finished: all combinations tried."));
        QVERIFY(barMatchesText(*w, 160));
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(!w->CmdStop->isEnabled());
        QVERIFY(!w->CmdVerder->isEnabled());
        QVERIFY(!w->CmdOK->isEnabled());
    }

    void hitIsIdentifiedAndListed()
    {
        addUnit(2, {19200, 8, 'O', 2}, "VX51");
        auto w = makeWindow();
        w->RB_parity_auto->setChecked(true);
        w->RB_stopbits_auto->setChecked(true);
        w->ComboBaudRate->setCurrentIndex(1);
        w->CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdOK->isEnabled(), 30000);
        QCOMPARE(w->cell(1, 0), QStringLiteral("02"));
        QVERIFY2(w->cell(1, 1).startsWith(QLatin1String("VX51")), qPrintable(w->cell(1, 1)));
        QCOMPARE(w->cell(1, 1).split(QStringLiteral("   ")).size(), 3);
        QCOMPARE(w->cell(1, 2), QStringLiteral("19200"));
        QCOMPARE(w->cell(1, 3), QStringLiteral("Odd"));
        QCOMPARE(w->cell(1, 4), QStringLiteral("2"));
        QCOMPARE(w->PanelZoekTekst->text(), QStringLiteral("Controller found!"));
        QCOMPARE(w->PanelBaudRate->text(), QStringLiteral("19200 bit/s"));
        QCOMPARE(w->Panel_parity_O->palette().color(QPalette::Window), QColor(255, 255, 151));
        QCOMPARE(w->Panel_stopbits_2->palette().color(QPalette::Window), QColor(255, 255, 151));
        QVERIFY(w->CmdVerder->isEnabled());
        // Bar and text count the combinations of the whole search: every rate, unit,
        // parity and stop bit count.
        QVERIFY(barMatchesText(*w, 5 * 32 * 6));
        // Probes of unit 0 and 1 (six each), the five of unit 2 up to the hit, then the identification.
        auto log = bus().requests();
        QCOMPARE(int(log.size()), 6 + 6 + 5 + 3);
        QCOMPARE(log.back(), std::string("rx"));
        // The search rests at the hit until Verder, which goes on with the next parity.
        QTest::qWait(200);
        QCOMPARE(bus().requestCount(), log.size());
        w->CmdVerderClick();
        QVERIFY(!w->CmdVerder->isEnabled());
        w->CmdStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdVerder->isEnabled(), 5000);
        const auto next = bus().log().at(log.size());
        QCOMPARE(next.request, std::string("sc 2"));
        QVERIFY(next.frame == (LineFrame{19200, 8, 'E', 2}));
        QCOMPARE(w->PanelZoekTekst->text(), QStringLiteral("Stopped!"));
    }

    // Only the exact echo of the probe is a controller.
    void notAHit_data()
    {
        QTest::addColumn<int>("echo");
        QTest::newRow("leading zero") << int(sim::Fault::Echo::LeadingZero);
        QTest::newRow("trailing blank") << int(sim::Fault::Echo::TrailingBlank);
    }
    void notAHit()
    {
        QFETCH(int, echo);
        addUnit(5, {9600, 8, 'E', 1});
        bus().addFault(sim::Fault::wrongEcho("sc", sim::Fault::Echo(echo)));
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(bus().requestCount() >= 7, 10000);
        w->CmdCancelClick();
        QCOMPARE(w->cell(1, 1), QString());
        const auto log = bus().log();
        QCOMPARE(log.at(5).unit, 5); // it did answer
        for (const auto& r : log) QVERIFY(r.request.rfind("sc ", 0) == 0);
    }

    // Stop pressed while a probe waits for its time-out is honoured when that probe ends.
    void stopDuringASilentProbe()
    {
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        w->CmdStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdVerder->isEnabled(), 5000);
        QCOMPARE(w->PanelZoekTekst->text(), QStringLiteral("Stopped!"));
        QTest::qWait(300);
        QCOMPARE(bus().requests(), std::vector<std::string>{"sc 0"});
        w->CmdVerderClick();
        w->CmdStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdVerder->isEnabled(), 5000);
        QCOMPARE(bus().requests(), (std::vector<std::string>{"sc 0", "sc 1"}));
    }

    // Verder after "Start with" was changed: the new rate next, and the counts say only
    // what was tried.
    void verderAfterStartWithChanged()
    {
        addUnit(3, {9600, 8, 'E', 1});
        addUnit(5, {38400, 8, 'E', 1}, "VX51");
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QTRY_COMPARE_WITH_TIMEOUT(w->cell(1, 0), QStringLiteral("03"), 10000);
        w->ComboBaudRate->setCurrentIndex(3);
        w->CmdVerderClick();
        QTRY_COMPARE_WITH_TIMEOUT(w->cell(2, 0), QStringLiteral("05"), 20000);
        QCOMPARE(w->cell(2, 2), QStringLiteral("38400"));
        QVERIFY(w->PanelVoortgang->text().startsWith(QLatin1String("10 of 160")));
        QVERIFY(barMatchesText(*w, 160));
        std::vector<LineFrame> probed;
        for (const auto& r : bus().log())
            if (r.request.rfind("sc ", 0) == 0)
                probed.push_back(r.frame);
        QCOMPARE(int(probed.size()), 10);
        QCOMPARE(probed[4].baud, 38400);
        test::saveShot(w.get(), "search-verder-new-rate");
    }

    void fullGridGrowsForMoreHits()
    {
        for (int u = 0; u <= 31; ++u) addUnit(u, {9600, 8, 'E', 1});
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        for (int hit = 1; hit <= 32; ++hit) {
            QTRY_COMPARE_WITH_TIMEOUT(w->cell(hit, 0), QString::asprintf("%02d", hit - 1), 10000);
            w->CmdVerderClick();
        }
        QCOMPARE(w->gridRows(), 32);
        QCOMPARE(w->cell(32, 2), QStringLiteral("9600"));
        w->CmdStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdStartZoeken->isEnabled(), 10000);
        // A new activation gives the design grid back.
        w->FormActivate();
        QCOMPARE(w->gridRows(), TFormApparaatZoeken::DataRows);
        QCOMPARE(w->cell(1, 0), QString());
    }

    void okTakesTheRowOver()
    {
        QTemporaryDir dir;
        MainOptions options;
        options.exeDir = dir.path() + QLatin1Char('/');
        TFormMain main(options);
        TSXComm* port = main.SXComm1();
        port->setPortNameIndex(0);
        port->setBaudrate(TBaudrate::br9600);
        port->setFrameParitybit(TParityBit::Even);
        port->setFrameStopbits(TStopBit::sb_1);
        addUnit(2, {28800, 8, 'N', 2});
        TFormApparaatZoeken w(&main);
        app().FormApparaatZoeken = &w; // as the window registry does
        const auto forget = qScopeGuard([] { app().FormApparaatZoeken = nullptr; });
        w.FormActivate();

        // OK on an empty row changes nothing and leaves the window as it is.
        w.StringGrid1->setCurrentCell(0, 0);
        w.CmdOKClick();
        QCOMPARE(w.result(), int(QDialog::Rejected));

        w.RB_parity_auto->setChecked(true);
        w.RB_stopbits_auto->setChecked(true);
        w.ComboBaudRate->setCurrentIndex(2);
        w.CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdOK->isEnabled(), 30000);
        w.StringGrid1->setCurrentCell(0, 1);
        w.CmdOKClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!port->Active());
        QCOMPARE(main.SpinEditUnitSelect->value(), 2);
        QCOMPARE(port->Baudrate(), TBaudrate::br28800);
        QCOMPARE(port->FrameParitybit(), TParityBit::None);
        QCOMPARE(port->FrameStopbits(), TStopBit::sb_2);
    }

    void cancelRestoresTheSettings()
    {
        m_port->setBaudrate(TBaudrate::br38400);
        m_port->setFrameParitybit(TParityBit::Odd);
        m_port->setFrameStopbits(TStopBit::sb_2);
        auto w = makeWindow();
        w->RB_parity_auto->setChecked(true);
        w->RB_stopbits_auto->setChecked(true);
        w->CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(bus().requestCount() >= 3, 10000);
        w->CmdCancelClick();
        QVERIFY(!m_port->Active());
        QCOMPARE(m_port->Baudrate(), TBaudrate::br38400);
        QCOMPARE(m_port->FrameParitybit(), TParityBit::Odd);
        QCOMPARE(m_port->FrameStopbits(), TStopBit::sb_2);
        // Nothing goes out after the window closed.
        const size_t n = bus().requestCount();
        QTest::qWait(300);
        QCOMPARE(bus().requestCount(), n);
    }

    // An adapter pulled out during the search ends it with a message, not with a
    // quick run through every remaining combination.
    void pulledAdapterEndsTheSearch()
    {
        bus().addFault(sim::Fault::unplugAfter(2));
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->messages.size(), 1, 10000);
        QCOMPARE(m_ui->messages[0].caption, QStringLiteral("Comm Error"));
        QCOMPARE(m_ui->messages[0].text, QStringLiteral("Windows Comm error! "));
        QVERIFY(!w->finished());
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(w->PanelApparaatNo->text().toInt() < 5);
    }
};

QTEST_MAIN(TstSearch)
#include "tst_search.moc"
