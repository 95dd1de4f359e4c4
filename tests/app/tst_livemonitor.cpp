// The main window against the simulated controller: connect and identify, live
// values, I/O, the error number, the terminal and a pulled adapter.
#include "app/LivePanels.h"
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
#include <QFontMetrics>
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
        feed(w->live()->PX400_uit, "ru 1" + QByteArray(30, '0') + "\r\n"); // too long: not read, so unknown
        QCOMPARE(w->TbUitgang[15]->text(), QString("?"));
        QCOMPARE(w->TbIn[0]->text(), QString("1")); // the inputs were read

        feed(w->live()->PX400ReadError, "rf -1\r\n");
        QVERIFY(w->PanelErrorNo->text().isEmpty());
        feed(w->live()->PX400ReadError, "rf -12\r\n");
        QVERIFY(w->PanelErrorNo->text().isEmpty());
        for (int i = 0; i < 7; ++i) feed(w->live()->PX400ReadError, "rf 12\r\n");
        QCOMPARE(w->PanelErrorNo->text(), QString("VX50... Error: 12"));
        QCOMPARE(w->statusPanel(5)->text(), QString(". "));
    }

    // Whatever its length, a value is shown whole in every axis panel of the window at
    // its own size, or as the overflow sign with the whole value in its tooltip.
    void liveValuesShownWhole_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("whole"); // also in the narrow panels of the two columns
        QTest::newRow("1 character") << 0 << QByteArray("7") << "7" << true;
        QTest::newRow("5") << 2 << QByteArray("-1234") << "-12,34" << true;
        QTest::newRow("7, a velocity") << 2 << QByteArray("193119") << "1931,19" << true;
        QTest::newRow("7, a position") << 2 << QByteArray("304965") << "3049,65" << true;
        QTest::newRow("8") << 2 << QByteArray("-123456") << "-1234,56" << true;
        QTest::newRow("9") << 2 << QByteArray("12345678") << "123456,78" << true;
        QTest::newRow("11") << 0 << QByteArray("-2147483648") << "-2147483648" << false;
        QTest::newRow("12") << 2 << QByteArray("-2147483648") << "-21474836,48" << false;
    }
    void liveValuesShownWhole()
    {
        QFETCH(int, decimals);
        QFETCH(QByteArray, reply);
        QFETCH(QString, text);
        QFETCH(bool, whole);
        ProgramDir dir;
        auto w = open(dir);
        sim::defaultBus().setParameter(0, 203, decimals);
        connectAndIdentify(*w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        app().ActualAan = true; // the replies below stand for the polled ones
        const std::tuple<TPX400Protocol*, QByteArray, QLabel*> axes[] = {
            {w->live()->PX400ActPos1, "r0", w->PanelActPos1}, {w->live()->PX400ActPos2, "r4", w->PanelActPos2}, {w->live()->PX400PosVerschil, "r6", w->PanelPosVerschil}, {w->live()->PX400Snelheid1, "r1", w->PanelSnelheid1}, {w->live()->PX400Snelheid2, "r5", w->PanelSnelheid2}};
        for (const auto& [component, request, panel] : axes)
            component->OnCommResult(component, request + ' ' + reply + "\r\n");
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + QStringLiteral("/main-value-%1.png").arg(text));
        for (const auto& [component, request, panel] : axes) {
            const QString shown = panel->text();
            if (shown == QString(PanelOverflowSign)) {
                QVERIFY2(!whole && panel->width() < 100, qPrintable(panel->objectName()));
                QCOMPARE(panel->toolTip(), text);
                QCOMPARE(panel->accessibleName(), text);
            } else {
                QCOMPARE(shown, text);
                QVERIFY2(QFontMetrics(panel->font()).horizontalAdvance(shown) <= panel->contentsRect().width(),
                         qPrintable(panel->objectName()));
                QVERIFY(panel->toolTip().isEmpty());
            }
            // A short value after it: its own font again, no stale tooltip.
            component->OnCommResult(component, request + " 1\r\n");
            QVERIFY(panel->toolTip().isEmpty());
            QCOMPARE(panel->font().pixelSize(), 13);
        }
    }

    // An input word that could not be read shows its boxes as unknown, in text too;
    // the next good word shows them as they are.
    void unreadableInputsShownAsUnknown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("wrong echo") << int(sim::Fault::Kind::WrongEcho);
        QTest::newRow("er 3") << int(sim::Fault::Kind::Er7);
        QTest::newRow("no reply") << int(sim::Fault::Kind::NoReply);
    }
    void unreadableInputsShownAsUnknown()
    {
        QFETCH(int, kind);
        ProgramDir dir;
        auto w = open(dir);
        connectAndIdentify(*w);
        const auto k = sim::Fault::Kind(kind);
        sim::defaultBus().addFault(k == sim::Fault::Kind::WrongEcho ? sim::Fault::wrongEcho("ri")
                                   : k == sim::Fault::Kind::Er7     ? sim::Fault::errorReply("ri", 3)
                                                                    : sim::Fault::noReply("ri"));
        w->CmdInUit->click();
        QLabel* inputs[] = {w->TbIn[0], w->TbIn[1], w->TbIn[2], w->TbIn[3], w->TbIn[4],
                            w->TbIn[5], w->TbIn[6], w->TbIn[7], w->TB_K0_1, w->TB_K0_2};
        const QString why = QStringLiteral("Ingangen niet te lezen: stand onbekend");
        QTRY_VERIFY_WITH_TIMEOUT(w->TbIn[0]->toolTip() == why, 5000);
        for (QLabel* b : inputs) {
            QCOMPARE(b->text(), QString("?"));
            QCOMPARE(b->toolTip(), why);
            QCOMPARE(b->accessibleDescription(), why);
            QVERIFY(boxColour(b) != QColor(Qt::white) && boxColour(b) != buttonFace());
        }
        QCOMPARE(w->TbUitgang[0]->text(), QString("1")); // the outputs were read
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + QStringLiteral("/main-inputs-unknown.png"));

        sim::defaultBus().clearFaults();
        QTRY_VERIFY_WITH_TIMEOUT(w->TbIn[0]->toolTip().isEmpty(), 5000);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(w->TbIn[i]->text(), QString::number(i + 1));
            QVERIFY(boxColour(w->TbIn[i]) == QColor(Qt::white) || boxColour(w->TbIn[i]) == QColor(Qt::blue));
        }
        QCOMPARE(w->TB_K0_2->text(), QString("K0-2"));
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
