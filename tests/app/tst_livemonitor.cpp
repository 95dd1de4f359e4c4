// The main window against the simulated controller: connect and identify, live
// values, I/O, the error number, the terminal and a pulled adapter.
#include "app/VX40Main.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Widgets.h"
#include "device/LiveMonitor.h"
#include "params/ControllerImage.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vx;

namespace {

// A program folder with the shipped data files (or without a language file).
struct ProgramDir : test::ProgramFolder {
    explicit ProgramDir(bool withLanguage = true)
    {
        copyShipped({"Parameters.txt", "ParNo.txt"});
        if (withLanguage)
            copyShipped({"Taal0.ini", "Taal1.ini", "Taal2.ini"});
    }
};

bool contains(const std::vector<std::string>& requests, const std::string& r)
{
    return std::find(requests.begin(), requests.end(), r) != requests.end();
}

QColor boxColour(QWidget* w) { return w->palette().color(QPalette::Window); }

} // namespace

class TestLiveMonitor : public QObject {
    Q_OBJECT

    static std::unique_ptr<TFormMain> open(const ProgramDir& dir)
    {
        return test::startMain(dir.path(), test::NoWindows | test::NotConnected);
    }

    static void connectAndIdentify(TFormMain& w) { QVERIFY(test::connectMain(w)); }

private slots:
    void initTestCase()
    {
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void init()
    {
        app() = AppState();
        resetValueStore();
        sim::resetDefaultBus();
        test::ScriptedUi::install();
    }

    void cleanup() { setUiSeams(nullptr); }

    void connectSelectsAndIdentifies()
    {
        ProgramDir dir;
        auto w = open(dir);
        QVERIFY(!w->CmdActual->isEnabled());
        connectAndIdentify(*w);
        const auto requests = sim::defaultBus().requests();
        QCOMPARE(std::vector<std::string>(requests.begin(), requests.begin() + 4),
                 (std::vector<std::string>{"sc 0", "rt", "rh", "rx"}));
        QCOMPARE(w->statusPanel(0)->text(), QString("COM 1"));
        QCOMPARE(w->statusPanel(1)->text(), QString("9600,O,8,1"));
        QVERIFY(w->statusPanel(2)->text().startsWith("VX50"));
        QVERIFY(w->CmdActual->isEnabled());
        QVERIFY(w->CmdTerminalZenden->isEnabled());

        w->CmdSelectUnit->click(); // close again
        QCOMPARE(w->statusPanel(1)->text(), QString("Offline"));
        QVERIFY(w->statusPanel(2)->text().isEmpty());
        QVERIFY(!w->CmdActual->isEnabled());
    }

    void foreignControllerIsWarnedOnlyWithLanguageFile_data()
    {
        QTest::addColumn<bool>("language");
        QTest::newRow("with language file") << true;
        QTest::newRow("without") << false;
    }
    void foreignControllerIsWarnedOnlyWithLanguageFile()
    {
        QFETCH(bool, language);
        auto* ui = test::ScriptedUi::install();
        sim::defaultBus().removeUnits();
        sim::UnitConfig c;
        c.type = "RQ40";
        sim::defaultBus().addUnit(c);
        ProgramDir dir(language);
        auto w = open(dir);
        connectAndIdentify(*w); // still served: rh and rx follow
        QCOMPARE(ui->messages.size(), language ? 1 : 0);
        if (language) QCOMPARE(ui->messages[0].icon, QMessageBox::Warning);
    }

    void noReplyToSelectShowsTheNoReplyText()
    {
        sim::defaultBus().addFault(sim::Fault::noReply("sc"));
        ProgramDir dir;
        auto w = open(dir);
        w->CmdSelectUnit->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelComInfo->text().isEmpty(), 3000);
        QCOMPARE(w->PanelComInfo->text(), commFailureText(TCommError{CommTimeout, 0, 0}, 0));
        QCOMPARE(w->PanelComInfo->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(w->statusPanel(2)->text().isEmpty());
    }

    void liveValuesFollowDecimalsAndChannel_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("channel");
        QTest::newRow("0 decimals, voltage") << 0 << 1;
        QTest::newRow("2 decimals, current") << 2 << 2;
        QTest::newRow("no analogue channel") << 2 << 0;
    }
    void liveValuesFollowDecimalsAndChannel()
    {
        QFETCH(int, decimals);
        QFETCH(int, channel);
        ProgramDir dir;
        auto w = open(dir);
        // What the controller holds counts, not what the empty value store says; and
        // polling switched on the moment the controller is identified shows its very
        // first value scaled already.
        sim::defaultBus().setParameter(0, 203, decimals);
        sim::defaultBus().setParameter(0, 280, channel);
        ParWaarden[203] = 4;
        ParWaarden[280] = 3;
        w->CmdSelectUnit->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->statusPanel(4)->text().isEmpty(), 5000);
        w->CmdActual->click();
        QVERIFY(app().ActualAan);
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelActPos1->text().isEmpty(), 5000);
        const QString first = w->PanelActPos1->text();
        QCOMPARE(first.contains(','), decimals > 0);
        if (decimals > 0) QCOMPARE(first.size() - first.indexOf(',') - 1, decimals);
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelSnelheid2->text().isEmpty(), 5000);
        QCOMPARE(boxColour(w->PanelActPos1), QColor(255, 255, 151));
        // A file opened in the editor with other decimals changes nothing here.
        ParWaarden[203] = decimals + 1;
        ParStatus = 2;
        w->PanelActPos1->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelActPos1->text().isEmpty(), 5000);
        const QString later = w->PanelActPos1->text();
        QCOMPARE(later.contains(','), decimals > 0);
        if (decimals > 0) QCOMPARE(later.size() - later.indexOf(',') - 1, decimals);
        ParStatus = 0;

        sim::defaultBus().clearLog();
        QTest::qWait(1200); // more than one round of the polling components at 9600 baud
        const auto requests = sim::defaultBus().requests();
        QCOMPARE(contains(requests, "r2"), channel == 1);
        QCOMPARE(contains(requests, "r3"), channel == 2);
        QLabel* analogue = channel == 1 ? w->PanelSpanning : w->PanelStroom;
        if (channel == 0) {
            QVERIFY(w->PanelSpanning->text().isEmpty());
            QVERIFY(w->PanelStroom->text().isEmpty());
            QCOMPARE(boxColour(w->PanelSpanning), buttonFace());
        } else {
            QVERIFY(analogue->text().endsWith(channel == 1 ? " V" : " mA"));
        }
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + QStringLiteral("/main-live-%1.png").arg(QTest::currentDataTag()).replace(' ', '-'));

        w->CmdActual->click(); // off: panels empty, late replies dropped
        QVERIFY(!app().ActualAan);
        QTest::qWait(200);
        QVERIFY(w->PanelActPos1->text().isEmpty());
        QCOMPARE(boxColour(w->PanelActPos1), buttonFace());
    }

    // Reply handling, fed straight to the components' events.
    void replyTexts()
    {
        ProgramDir dir;
        auto w = open(dir);
        app().ActualAan = true;
        auto feed = [](TPX400Protocol* c, const QByteArray& r) { c->OnCommResult(c, r); };

        feed(w->live()->PX400Spanning, "r2 5\r\n");
        QCOMPARE(w->PanelSpanning->text(), QString("0,0005 V"));
        feed(w->live()->PX400ActPos1, "r0 12x\r\n");
        QCOMPARE(w->PanelActPos1->text(), QString("????"));
        feed(w->live()->PX400ActPos1, "r0 " + QByteArray(120, '1') + "\r\n");
        QCOMPARE(w->PanelActPos1->text(), QString("????"));
        // The connected controller's decimals scale its values, whatever set is open.
        images::setConnected(QStringLiteral("test"), 0);
        images::connectedImage()->read(transfer::Item::Parameter, 203, 2);
        ParWaarden[203] = 3;
        feed(w->live()->PX400ActPos1, "r0 12345\r\n");
        QCOMPARE(w->PanelActPos1->text(), QString("123,45"));
        w->live()->PX400ActPos1->OnCommError(w->live()->PX400ActPos1, TCommError{CommTimeout, 0, 0}, {});
        QCOMPARE(w->PanelActPos1->text(), QString("?"));

        app().InUitAan = true;
        feed(w->live()->PX400_in, "ri 5\r\n");
        QCOMPARE(boxColour(w->TB_K0_1), QColor(Qt::blue));
        QCOMPARE(boxColour(w->TB_K0_2), QColor(Qt::white));
        QCOMPARE(boxColour(w->TbIn[0]), QColor(Qt::blue));
        for (int i = 1; i < 8; ++i) QCOMPARE(boxColour(w->TbIn[i]), QColor(Qt::white));
        feed(w->live()->PX400_uit, "ru 32768\r\n");
        for (int i = 0; i < 15; ++i) QCOMPARE(boxColour(w->TbUitgang[i]), QColor(Qt::white));
        QCOMPARE(boxColour(w->TbUitgang[15]), QColor(Qt::blue));
        feed(w->live()->PX400_uit, "ru 1" + QByteArray(30, '0') + "\r\n"); // too long: boxes unchanged
        QCOMPARE(boxColour(w->TbUitgang[15]), QColor(Qt::blue));

        feed(w->live()->PX400ReadError, "rf -1\r\n");
        QVERIFY(w->PanelErrorNo->text().isEmpty());
        feed(w->live()->PX400ReadError, "rf -12\r\n");
        QVERIFY(w->PanelErrorNo->text().isEmpty());
        for (int i = 0; i < 7; ++i) feed(w->live()->PX400ReadError, "rf 12\r\n");
        QCOMPARE(w->PanelErrorNo->text(), QString("VX50... Error: 12"));
        QCOMPARE(w->statusPanel(5)->text(), QString(". "));
    }

    void functionLabelsComeFromTheDefinitions()
    {
        ProgramDir dir;
        auto w = open(dir);
        const QString first = w->LabelFunUit[0]->text();
        ParWaarden[282] = 10000; // beyond any list
        ParWaarden[500] = -1;
        w->OutputFunctieTeksten();
        w->InputFunctieTeksten();
        QCOMPARE(w->LabelFunUit[0]->text(), QString("########"));
        QCOMPARE(w->LabelFunIn[0]->text(), QString("########"));
        QVERIFY(!first.startsWith("Uitgang")); // design text replaced by the definition
    }

    void timerAsksForTheErrorOnlyWhenNoTransferIsActive()
    {
        ProgramDir dir;
        auto w = open(dir);
        connectAndIdentify(*w);
        sim::defaultBus().clearLog();
        w->Timer1Timer();
        QTRY_VERIFY_WITH_TIMEOUT(sim::defaultBus().requestCount() >= 1, 3000);
        QCOMPARE(sim::defaultBus().requests().front(), std::string("rf"));

        QDialog search;
        app().FormApparaatZoeken = &search;
        search.show();
        QApplication::setActiveWindow(&search);
        QTRY_COMPARE(QApplication::activeWindow(), &search);
        QTest::qWait(200);
        sim::defaultBus().clearLog();
        w->Timer1Timer();
        QTest::qWait(300);
        QCOMPARE(sim::defaultBus().requestCount(), size_t(0));
        app().FormApparaatZoeken = nullptr;
    }

    void terminalSendsTrimmedTextAndShowsRawReply()
    {
        ProgramDir dir;
        auto w = open(dir);
        connectAndIdentify(*w);
        sim::defaultBus().clearLog();
        w->EditZenden->setText("  rt  ");
        w->CmdTerminalZenden->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->MemoReceive->toPlainText().isEmpty(), 3000);
        QCOMPARE(sim::defaultBus().requests().front(), std::string("rt"));
        QVERIFY(w->MemoReceive->toPlainText().startsWith("rt "));
    }

    void pulledAdapterShowsRedTextAndReopens()
    {
        ProgramDir dir;
        auto w = open(dir);
        connectAndIdentify(*w);
        w->CmdInUit->click();
        QTest::qWait(200);
        sim::defaultBus().unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelComInfo->text().isEmpty(), 5000);
        QVERIFY(w->SXComm1()->Lost());
        QVERIFY(w->PanelComInfo->text().contains("COM 1 (sim)"));
        w->CmdSelectUnit->click(); // gives up waiting for it
        QVERIFY(!w->SXComm1()->Active() && !w->SXComm1()->Lost());
        QCOMPARE(w->statusPanel(1)->text(), QString("Offline"));
        sim::defaultBus().replug();
        connectAndIdentify(*w);
        QVERIFY(w->SXComm1()->Active());
    }

    void closingWhileConnectedClosesThePortAndSaves()
    {
        ProgramDir dir;
        {
            auto w = open(dir);
            connectAndIdentify(*w);
            w->CmdActual->click();
            QTest::qWait(100);
            w->close();
            QVERIFY(!w->SXComm1()->Active());
        }
        QVERIFY(QFile::exists(dir.dir.filePath("application.ini")));
    }
};

QTEST_MAIN(TestLiveMonitor)
#include "tst_livemonitor.moc"
