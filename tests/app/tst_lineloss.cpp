// The main window against vx5x-sim on a pseudo-terminal whose adapter is pulled
// and plugged back in: the lost state on screen, the automatic reconnect, the
// question when another controller answers, and cyclic requests on a silent line.
#include "app/Opties.h"
#include "app/VX40Main.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/TrafficBuffer.h"
#include "comm/TrafficLogFile.h"
#include "core/AppState.h"
#include "device/LiveMonitor.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"
#include "support/Ser2Net.h"
#include "support/SimProcess.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

QColor boxColour(QWidget* w) { return w->palette().color(QPalette::Window); }

void shot(QWidget* w, const QString& name)
{
    if (qEnvironmentVariableIsSet("VX_SHOT_DIR")) w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + '/' + name + ".png");
}

} // namespace

class TestLineLossWindow : public QObject {
    Q_OBJECT

    test::ProgramFolder m_dir;
    QString m_link;

    // The main window connected to the simulator and done identifying it; the
    // error-number timer stays off, so only what a test switches on talks.
    std::unique_ptr<TFormMain> connected()
    {
        auto w = test::startMain(m_dir.path(), test::NoWindows | test::NotConnected);
        test::connectMain(*w);
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.copyShipped({"Parameters.txt", "ParNo.txt", "Taal0.ini"}));
        m_link = m_dir.filePath("adapter");
    }

    void init()
    {
        app() = AppState();
        resetValueStore();
        test::ScriptedUi::install();
        setPortDevicePath(1, m_link.toStdString());
    }

    void cleanup()
    {
        setUiSeams(nullptr);
        resetPortDevicePaths();
    }

    void pulledAndReplugged()
    {
        test::SimProcess sim;
        QVERIFY(sim.start({"--link", m_link, "--fault", "unplug:after=40", "--replug-after", "1500"}));
        auto w = connected();
        int lostEvents = 0;
        auto shown = w->SXComm1()->OnLineLost;
        w->SXComm1()->OnLineLost = [&](TSXComm* p) {
            ++lostEvents;
            shown(p);
        };
        const QString rx = w->statusPanel(4)->text();
        QVERIFY(!rx.isEmpty());
        w->CmdActual->click();
        w->CmdInUit->click();
        const uint64_t onLost = SerialLine::callsOnLostLines();

        QTRY_COMPARE_WITH_TIMEOUT(w->statusPanel(1)->text(), QString("Verloren"), 10000);
        QCOMPARE(w->PanelComInfo->text(), QString("Verbinding verloren: COM 1 (%1) is verdwenen").arg(m_link));
        for (QLabel* p : {w->PanelActPos1, w->PanelActPos2, w->PanelPosVerschil, w->PanelSnelheid1, w->PanelSnelheid2})
            QCOMPARE(p->text(), QString("?"));
        for (QLabel* b : w->TbUitgang) QCOMPARE(boxColour(b), QColor(160, 160, 160));
        for (QLabel* b : w->TbIn) QCOMPARE(boxColour(b), QColor(160, 160, 160));
        QVERIFY(!w->CmdActual->isEnabled() && !w->CmdTerminalZenden->isEnabled());
        QCOMPARE(w->CmdSelectUnit->text(), w->TxtCmdComClose);
        QVERIFY(w->SXComm1()->Lost());
        QCOMPARE(w->SXComm1()->QueueRequest(w->live()->PX400ReadError->request()), -1);
        shot(w.get(), "lineloss-lost");

        // Back at the same link: identified again, then the polling that was on resumes.
        QTRY_COMPARE_WITH_TIMEOUT(w->statusPanel(1)->text(), QString("9600,O,8,1"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(w->PanelActPos1->text() != "?" && !w->PanelActPos1->text().isEmpty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(boxColour(w->TbUitgang[0]) != QColor(160, 160, 160), 5000);
        const QString before = w->PanelActPos1->text();
        QTRY_VERIFY_WITH_TIMEOUT(w->PanelActPos1->text() != before, 5000); // the axis moves
        QCOMPARE(w->statusPanel(4)->text(), rx);
        QVERIFY(w->CmdActual->isEnabled());
        QVERIFY(w->PanelComInfo->text().isEmpty());
        shot(w.get(), "lineloss-resumed");

        QCOMPARE(lostEvents, 1);
        QCOMPARE(SerialLine::callsOnLostLines(), onLost);
        // The traffic keeps both among its errors: where the line went and came back.
        std::vector<TrafficRecord> records;
        w->SXComm1()->traffic().read(0, TrafficBuffer::DefaultCapacity, records);
        const auto lost = std::find_if(records.begin(), records.end(),
                                       [](const TrafficRecord& r) { return r.outcome == TrafficOutcome::Lost; });
        const auto back = std::find_if(lost, records.end(), [](const TrafficRecord& r) { return r.outcome == TrafficOutcome::Reconnected; });
        QVERIFY(lost != records.end() && back != records.end());
        QVERIFY(trafficLogLine(*back, trafficSourceName("Connection")).contains("line back: " + m_link + "\t"));
        QCOMPARE(sim.paths.size(), 2);
        int selects = 0;
        for (const test::LogLine& l : sim.requests()) selects += l.request == "sc 0";
        QCOMPARE(selects, 2);
        w->CmdSelectUnit->click();
    }

    // The controller behind ser2net over RFC 2217: the device server going away is a
    // lost line, and once it is back the reconnect resumes the polling.
    void networkPortComesBack()
    {
        if (test::Ser2Net::program().isEmpty()) QSKIP("ser2net is not installed (scripts/install-deps.sh installs it)");
        test::SimProcess sim;
        QVERIFY(sim.start({"--link", m_link}));
        test::Ser2Net server;
        test::Ser2Net::Options o;
        o.settings = QStringLiteral("1200n81"); // the tool's own settings must reach the line
        QVERIFY(server.start(m_link, o));
        setPortDevicePath(1, server.url().toStdString());
        auto w = connected();
        QCOMPARE(w->statusPanel(1)->text(), QString("9600,O,8,1"));
        w->CmdActual->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->PanelActPos1->text() != "?" && !w->PanelActPos1->text().isEmpty(), 5000);

        server.stop();
        QTRY_COMPARE_WITH_TIMEOUT(w->statusPanel(1)->text(), QString("Verloren"), 10000);
        QCOMPARE(w->PanelActPos1->text(), QString("?"));
        o.port = server.port();
        QVERIFY(server.start(m_link, o));
        QTRY_COMPARE_WITH_TIMEOUT(w->statusPanel(1)->text(), QString("9600,O,8,1"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(w->PanelActPos1->text() != "?", 5000);
        const QString before = w->PanelActPos1->text();
        QTRY_VERIFY_WITH_TIMEOUT(w->PanelActPos1->text() != before, 5000); // polling again
        w->CmdSelectUnit->click();
    }

    void anotherControllerIsAskedAbout()
    {
        test::SimProcess sim;
        QVERIFY(sim.start({"--link", m_link, "--fault", "unplug:after=30", "--replug-after", "800", "--replug-rx",
                           "OTHER-UNIT"}));
        auto* seams = test::ScriptedUi::install();
        seams->answers.push_back(QMessageBox::No);
        auto w = connected();
        w->CmdActual->click();
        QTRY_COMPARE_WITH_TIMEOUT(w->statusPanel(1)->text(), QString("Verloren"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!seams->messages.isEmpty(), 10000);
        QVERIFY(seams->messages.last().text.contains("OTHER-UNIT"));
        QCOMPARE(w->statusPanel(1)->text(), QString("Offline"));
        QTest::qWait(400);
        // After the second select only the identification went to the new controller.
        const QList<test::LogLine> log = sim.requests();
        int second = -1, selects = 0;
        for (int i = 0; i < log.size(); ++i)
            if (log[i].request == "sc 0" && ++selects == 2) second = i;
        QVERIFY(second >= 0);
        QStringList after;
        for (int i = second; i < log.size(); ++i) after << log[i].request;
        QCOMPARE(after, (QStringList{"sc 0", "rt", "rh", "rx"}));
    }

    // The option in Opties is stored in application.ini and, when off, leaves a
    // lost line lost until the user acts.
    void automaticReconnectCanBeSwitchedOff()
    {
        sim::installInProcessSimulator();
        sim::resetDefaultBus();
        setPortDevicePath(1, "sim");
        MainOptions o;
        o.exeDir = m_dir.path();
        {
            TFormMain w(o);
            QVERIFY(w.AutomatischVerbinden);
            TFormOpties options;
            options.FormActivate();
            QVERIFY(options.CheckAutoVerbinden->isChecked());
            shot(&options, "opties");
            options.CheckAutoVerbinden->setChecked(false);
            options.CmdOKClick();
            QVERIFY(!w.AutomatischVerbinden);
            QVERIFY(w.ProgrammaInstellingen_opslaan());
        }
        TFormMain w(o);
        QVERIFY(!w.AutomatischVerbinden);
        w.Timer1->stop();
        w.CmdSelectUnit->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.statusPanel(4)->text().isEmpty(), 5000);
        w.CmdInUit->click();
        sim::defaultBus().unplug();
        QTRY_VERIFY_WITH_TIMEOUT(w.SXComm1()->Lost(), 5000);
        sim::defaultBus().replug();
        QTest::qWait(800);
        QVERIFY(w.SXComm1()->Lost());
        QVERIFY(!w.TimerReconnect->isActive());
        w.CmdSelectUnit->click(); // gives up; the next click connects as ever
        QCOMPARE(w.statusPanel(1)->text(), QString("Offline"));
        w.CmdSelectUnit->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.SXComm1()->Active() && !w.statusPanel(4)->text().isEmpty(), 5000);
        w.AutomatischVerbinden = true;
        QVERIFY(w.ProgrammaInstellingen_opslaan());
        w.CmdSelectUnit->click();
    }

    // Replies later than the first-byte time-out are dropped by the purge before the
    // next request: no panel ever shows another request's value.
    void lateRepliesReachNobody()
    {
        test::SimProcess sim;
        QVERIFY(sim.start({"--link", m_link, "--latency", "150"}));
        MainOptions o;
        o.exeDir = m_dir.path();
        TFormMain w(o);
        w.Timer1->stop();
        w.CmdSelectUnit->click(); // "sc" and the identification time out as well
        int values = 0;
        w.live()->OnValue = [&](TLiveMonitor::Value, std::optional<qint32>) { ++values; };
        w.CmdActual->click();
        QTest::qWait(2500);
        QVERIFY(sim.requests().size() >= 10);
        QCOMPARE(values, 0);
        for (QLabel* p : {w.PanelActPos1, w.PanelActPos2, w.PanelPosVerschil, w.PanelSnelheid1, w.PanelSnelheid2})
            QCOMPARE(p->text(), QString("?"));
        w.CmdSelectUnit->click();
    }

    void silentValuesBackOff()
    {
        QStringList args;
        for (const char* r : {"r0", "r4", "r6", "r1", "r5"}) args << "--fault" << QString("no-reply:cmd=%1").arg(r);
        test::SimProcess sim;
        QVERIFY(sim.start(QStringList{"--link", m_link} + args));
        auto w = connected();
        w->CmdActual->click();
        QTest::qWait(3000);
        w->CmdActual->click();
        const QList<test::LogLine> log = sim.requests();
        double start = -1;
        int total = 0, late = 0;
        QMap<QString, int> perRequest;
        for (const test::LogLine& l : log) {
            if (!QStringList{"r0", "r4", "r6", "r1", "r5"}.contains(l.request)) continue;
            if (start < 0) start = l.ms;
            ++total;
            ++perRequest[l.request];
            late += l.ms > start + 1500;
        }
        // 100 ms time-outs and waits of 100, 200, 400, 800, 1000 ms: at most six tries
        // each; once the waits are long, about one per request a second.
        for (auto it = perRequest.cbegin(); it != perRequest.cend(); ++it)
            QVERIFY2(it.value() <= 7, qPrintable(it.key() + ": " + QString::number(it.value())));
        QVERIFY2(late <= 10, qPrintable(QString::number(late)));
        QVERIFY(total >= 10);
        w->CmdSelectUnit->click();
    }
};

QTEST_MAIN(TestLineLossWindow)
#include "tst_lineloss.moc"
