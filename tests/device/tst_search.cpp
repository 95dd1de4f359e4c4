// Device search: the order of the probes, hits and their identification, Stop and
// Verder, taking a row over, Cancel, and a port that fails under the search.
#include "app/VX40Main.h"
#include "app/core/AppState.h"
#include "app/core/Taal.h"
#include "comm/SXComm.h"
#include "comm/SerialLine.h"
#include "device/ApparaatZoeken.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <mutex>

using namespace vx;

namespace {

// A bus of scripted controllers behind the "sim" device path: each answers only when
// the line settings are its own. Every request is logged with the line settings it
// went out with.
struct Bus {
    struct Unit {
        int unit = 0;
        LineFrame frame;
        QByteArray echo;  // reply to the select command; empty: the exact echo
        QByteArray rt = "rt VX50 1.23", rh = "rh 0815", rx = "rx 2026-11";
    };
    struct Request {
        QByteArray text;
        LineFrame frame;
    };
    std::mutex m;
    std::vector<Unit> units;
    std::vector<Request> log;
    bool failing = false;

    std::vector<Request> requests()
    {
        std::lock_guard l(m);
        return log;
    }
};

class BusLine : public SerialLine {
public:
    explicit BusLine(std::shared_ptr<Bus> bus) : m_bus(std::move(bus)) {}
    bool open(const std::string&) override { return m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool setFrame(const LineFrame& f) override
    {
        std::lock_guard l(m_bus->m);
        m_frame = f;
        return true;
    }
    bool purge() override
    {
        std::lock_guard l(m_bus->m);
        m_pending.clear();
        m_in.clear();
        return true;
    }
    bool write(const uint8_t* data, size_t count) override
    {
        std::lock_guard l(m_bus->m);
        for (size_t i = 0; i < count; ++i) {
            if (data[i] != '\r') {
                m_in.append(char(data[i]));
                continue;
            }
            m_bus->log.push_back({m_in, m_frame});
            answer(m_in);
            m_in.clear();
        }
        return true;
    }
    bool flush() override { return true; }
    ReadResult readByte(uint8_t& byte, int) override
    {
        std::lock_guard l(m_bus->m);
        if (m_bus->failing) {
            m_error = EIO;
            return ReadResult::Error;
        }
        if (m_pending.isEmpty()) return ReadResult::Timeout;  // silence, without the wait
        byte = uint8_t(m_pending.front());
        m_pending.remove(0, 1);
        return ReadResult::Byte;
    }
    uint32_t takeLineErrors() override { return 0; }
    int lastError() const override { return m_error; }

private:
    void answer(const QByteArray& request)
    {
        if (request.startsWith("sc ")) {
            m_selected = -1;
            for (size_t i = 0; i < m_bus->units.size(); ++i) {
                const Bus::Unit& u = m_bus->units[i];
                if (request == "sc " + QByteArray::number(u.unit) && u.frame == m_frame) {
                    m_selected = int(i);
                    m_pending = (u.echo.isEmpty() ? request : u.echo) + "\r\n";
                }
            }
            return;
        }
        if (m_selected < 0 || m_bus->units[size_t(m_selected)].frame != m_frame) return;
        const Bus::Unit& u = m_bus->units[size_t(m_selected)];
        if (request == "rt") m_pending = u.rt + "\r\n";
        else if (request == "rh") m_pending = u.rh + "\r\n";
        else if (request == "rx") m_pending = u.rx + "\r\n";
    }

    std::shared_ptr<Bus> m_bus;
    bool m_open = false;
    LineFrame m_frame;
    QByteArray m_in, m_pending;
    int m_selected = -1;
    int m_error = 0;
};

LineFrame frame(int baud, char parity, int stop)
{
    LineFrame f;
    f.baud = baud;
    f.parity = parity;
    f.stopBits = stop;
    return f;
}

QString describe(const ZoekStand& s)
{
    const char p = s.parity == TParityBit::None ? 'N' : s.parity == TParityBit::Odd ? 'O' : 'E';
    return QStringLiteral("%1/%2%3%4").arg(s.unit).arg(baudrateValue(s.baud)).arg(QLatin1Char(p))
        .arg(s.stop == TStopBit::sb_1 ? 1 : 2);
}

QStringList allProbes(const ZoekKeuze& k)
{
    QStringList out;
    std::optional<ZoekStand> s = firstProbe(k);
    while (s && out.size() < 5000) {
        out << describe(*s);
        s = nextProbe(*s, k);
    }
    return out;
}

} // namespace

class TstSearch : public QObject {
    Q_OBJECT

    std::shared_ptr<Bus> m_bus;
    std::unique_ptr<TSXComm> m_port;
    test::ScriptedUi* m_ui = nullptr;

    std::unique_ptr<TFormApparaatZoeken> makeWindow()
    {
        auto w = std::make_unique<TFormApparaatZoeken>();
        w->FormActivate();
        return w;
    }

private slots:
    void init()
    {
        app() = AppState();
        // The data files also sit beside the test programs.
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + QLatin1Char('/');
        app().TaalIndex = 1;
        loadTaalFile();
        m_bus = std::make_shared<Bus>();
        auto bus = m_bus;
        setSimLineFactory([bus] { return std::make_unique<BusLine>(bus); });
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
        setSimLineFactory(nullptr);
        setUiSeams(nullptr);
    }

    void probeOrder_data()
    {
        QTest::addColumn<int>("start");  // combo index
        QTest::addColumn<bool>("parityAuto");
        QTest::addColumn<bool>("stopAuto");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("head");
        QTest::addColumn<QStringList>("rates");  // first probe of each rate, in order

        QTest::newRow("both as COM") << 0 << false << false << 160
                                     << QStringList{"0/9600O2", "1/9600O2", "2/9600O2"}
                                     << QStringList{"0/9600O2", "0/19200O2", "0/28800O2", "0/38400O2", "0/57600O2"};
        QTest::newRow("both automatic: six per unit") << 0 << true << true << 960
            << QStringList{"0/9600N1", "0/9600O1", "0/9600E1", "0/9600N2", "0/9600O2", "0/9600E2", "1/9600N1"}
            << QStringList{"0/9600N1", "0/19200N1", "0/28800N1", "0/38400N1", "0/57600N1"};
        QTest::newRow("parity automatic") << 0 << true << false << 480
            << QStringList{"0/9600N2", "0/9600O2", "0/9600E2", "1/9600N2"}
            << QStringList{"0/9600N2", "0/19200N2", "0/28800N2", "0/38400N2", "0/57600N2"};
        QTest::newRow("stop bits automatic") << 0 << false << true << 320
            << QStringList{"0/9600O1", "0/9600O2", "1/9600O1"}
            << QStringList{"0/9600O1", "0/19200O1", "0/28800O1", "0/38400O1", "0/57600O1"};
        QTest::newRow("start 38400 wraps round") << 3 << false << false << 160 << QStringList{"0/38400O2"}
            << QStringList{"0/38400O2", "0/57600O2", "0/9600O2", "0/19200O2", "0/28800O2"};
    }
    void probeOrder()
    {
        QFETCH(int, start);
        QFETCH(bool, parityAuto);
        QFETCH(bool, stopAuto);
        QFETCH(int, count);
        QFETCH(QStringList, head);
        QFETCH(QStringList, rates);
        ZoekKeuze k;
        k.start = TBaudrate(start + 3);
        k.parityAuto = parityAuto;
        k.stopAuto = stopAuto;
        k.comParity = TParityBit::Odd;
        k.comStop = TStopBit::sb_2;
        const QStringList probes = allProbes(k);
        QCOMPARE(probes.size(), count);
        QCOMPARE(probes.mid(0, head.size()), head);
        QStringList firsts;  // each rate takes an equal share of the probes
        for (int i = 0; i < 5; ++i) firsts << probes.value(i * count / 5);
        QCOMPARE(firsts, rates);
        QCOMPARE(probes.last().section(u'/', 0, 0), QStringLiteral("31"));
        QCOMPARE(QSet<QString>(probes.begin(), probes.end()).size(), probes.size());  // nothing probed twice
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
        QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 60000);
        const auto log = m_bus->requests();
        QCOMPARE(int(log.size()), 160);
        int i = 0;
        for (int baud : {9600, 19200, 28800, 38400, 57600})
            for (int unit = 0; unit <= 31; ++unit, ++i) {
                QCOMPARE(log[size_t(i)].text, "sc " + QByteArray::number(unit));
                QVERIFY(log[size_t(i)].frame == frame(baud, 'E', 2));
            }
        QCOMPARE(w->PanelZoekTekst->text(), QStringLiteral("Finished: all combinations tried."));
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(!w->CmdStop->isEnabled());
        QVERIFY(!w->CmdVerder->isEnabled());
        QVERIFY(!w->CmdOK->isEnabled());
        QCOMPARE(w->cell(1, 1), QString());
    }

    void hitIsIdentifiedAndListed()
    {
        m_bus->units.push_back({7, frame(19200, 'O', 2)});
        auto w = makeWindow();
        w->RB_parity_auto->setChecked(true);
        w->RB_stopbits_auto->setChecked(true);
        w->ComboBaudRate->setCurrentIndex(1);
        w->CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdOK->isEnabled(), 30000);
        QCOMPARE(w->cell(1, 0), QStringLiteral("07"));
        QCOMPARE(w->cell(1, 1), QStringLiteral("VX50 1.23   0815   2026-11"));
        QCOMPARE(w->cell(1, 2), QStringLiteral("19200"));
        QCOMPARE(w->cell(1, 3), QStringLiteral("Odd"));
        QCOMPARE(w->cell(1, 4), QStringLiteral("2"));
        QCOMPARE(w->PanelZoekTekst->text(), QStringLiteral("Controller found!"));
        QCOMPARE(w->PanelApparaatNo->text(), QStringLiteral("7"));
        QCOMPARE(w->PanelBaudRate->text(), QStringLiteral("19200 bit/s"));
        QCOMPARE(w->Panel_parity_O->palette().color(QPalette::Window), QColor(255, 255, 151));
        QVERIFY(w->Panel_parity_E->palette().color(QPalette::Window) != QColor(255, 255, 151));
        QCOMPARE(w->Panel_stopbits_2->palette().color(QPalette::Window), QColor(255, 255, 151));
        QVERIFY(w->CmdVerder->isEnabled());
        QVERIFY(w->CmdStartZoeken->isEnabled());
        auto log = m_bus->requests();
        QCOMPARE(log.back().text, QByteArray("rx"));
        const size_t atHit = log.size();
        // The search rests at the hit until Verder.
        QTest::qWait(200);
        QCOMPARE(m_bus->requests().size(), atHit);

        w->CmdVerderClick();
        QVERIFY(!w->CmdVerder->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 60000);
        log = m_bus->requests();
        QCOMPARE(log[atHit].text, QByteArray("sc 7"));
        QVERIFY(log[atHit].frame == frame(19200, 'E', 2));
        QCOMPARE(w->cell(2, 1), QString());
    }

    // Only the exact echo of the probe is a controller.
    void notAHit_data()
    {
        QTest::addColumn<QByteArray>("echo");
        QTest::newRow("leading zero") << QByteArray("sc 05");
        QTest::newRow("trailing blank") << QByteArray("sc 5 ");
        QTest::newRow("other unit") << QByteArray("sc 6");
        QTest::newRow("over 100 bytes") << QByteArray("sc 5") + QByteArray(100, ' ');
    }
    void notAHit()
    {
        QFETCH(QByteArray, echo);
        Bus::Unit u{5, frame(9600, 'E', 1)};
        u.echo = echo;
        m_bus->units.push_back(u);
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 60000);
        QCOMPARE(w->cell(1, 1), QString());
        for (const auto& r : m_bus->requests()) QVERIFY(r.text.startsWith("sc "));
    }

    void stopWaitsForTheReplyThenVerderGoesOn()
    {
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        w->CmdStopClick();  // the probe is on its way
        QTRY_COMPARE_WITH_TIMEOUT(w->PanelZoekTekst->text(), QStringLiteral("Stopped!"), 5000);
        QTest::qWait(100);
        QCOMPARE(int(m_bus->requests().size()), 1);
        QVERIFY(w->CmdVerder->isEnabled());
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(w->ComboBaudRate->isEnabled());

        w->CmdVerderClick();
        w->CmdStopClick();
        QTRY_COMPARE_WITH_TIMEOUT(int(m_bus->requests().size()), 2, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w->PanelZoekTekst->text(), QStringLiteral("Stopped!"), 5000);
        QCOMPARE(m_bus->requests()[1].text, QByteArray("sc 1"));
    }

    void fullGridGrowsForMoreHits()
    {
        for (int u = 0; u <= 31; ++u) m_bus->units.push_back({u, frame(9600, 'E', 1)});
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        for (int hit = 1; hit <= 32; ++hit) {
            QTRY_COMPARE_WITH_TIMEOUT(w->cell(hit, 0), QString::asprintf("%02d", hit - 1), 10000);
            w->CmdVerderClick();
        }
        QCOMPARE(w->gridRows(), 32);
        QCOMPARE(w->cell(32, 2), QStringLiteral("9600"));
        // A new activation gives the design grid back.
        w->CmdStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(w->CmdStartZoeken->isEnabled(), 60000);
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
        app().SXComm1 = main.SXComm1();
        TSXComm* port = main.SXComm1();
        port->setPortNameIndex(0);
        port->setBaudrate(TBaudrate::br9600);
        port->setFrameParitybit(TParityBit::Even);
        port->setFrameStopbits(TStopBit::sb_1);
        m_bus->units.push_back({12, frame(28800, 'N', 2)});
        TFormApparaatZoeken w(&main);
        w.FormActivate();

        // OK on an empty row changes nothing and leaves the window as it is.
        w.StringGrid1->setCurrentCell(0, 0);
        w.CmdOKClick();
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(port->Baudrate(), TBaudrate::br9600);

        w.RB_parity_auto->setChecked(true);
        w.RB_stopbits_auto->setChecked(true);
        w.ComboBaudRate->setCurrentIndex(2);
        w.CmdStartZoekenClick();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdOK->isEnabled(), 30000);
        w.StringGrid1->setCurrentCell(0, 1);
        w.CmdOKClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!port->Active());
        QCOMPARE(main.SpinEditUnitSelect->value(), 12);
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
        QTRY_VERIFY_WITH_TIMEOUT(m_bus->requests().size() > 20, 10000);
        w->CmdCancelClick();
        QVERIFY(!m_port->Active());
        QCOMPARE(m_port->Baudrate(), TBaudrate::br38400);
        QCOMPARE(m_port->FrameParitybit(), TParityBit::Odd);
        QCOMPARE(m_port->FrameStopbits(), TStopBit::sb_2);
        // Nothing goes out after the window closed.
        const size_t n = m_bus->requests().size();
        QTest::qWait(200);
        QCOMPARE(m_bus->requests().size(), n);
    }

    void failingPortEndsTheSearch()
    {
        m_bus->failing = true;
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->messages.size(), 1, 10000);
        QCOMPARE(m_ui->messages[0].caption, QStringLiteral("Comm Error"));
        QCOMPARE(m_ui->messages[0].text, QStringLiteral("Windows Comm error! "));
        const size_t n = m_bus->requests().size();
        QTest::qWait(200);
        QCOMPARE(m_bus->requests().size(), n);
        QVERIFY(!w->finished());
        QVERIFY(w->CmdStartZoeken->isEnabled());
    }

    void openingFailureIsShown()
    {
        setPortDevicePath(1, "/nonexistent/ttyX");
        auto w = makeWindow();
        w->CmdStartZoekenClick();
        QCOMPARE(m_ui->messages.size(), 1);
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(m_bus->requests().empty());
    }
};

QTEST_MAIN(TstSearch)
#include "tst_search.moc"
