// Every window that takes a value from a reply, in the whole program against a
// simulated controller whose replies are cut inside their digits, lack their line
// end, answer another number (or command) or carry "er 3": nothing wrong is stored
// or shown, a transfer asks twice more and then names the value, and a babbling
// line never holds a window open. (A stall that a retry heals is in tst_transfer.)
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "diagnostics/FormCalibratie.h"
#include "diagnostics/FormGrafiek.h"
#include "diagnostics/SpinEdit.h"
#include "params/LeesParSoll.h"
#include "params/ParamService.h"
#include "params/ParameterDefs.h"
#include "params/SchrijfParSoll.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/InProcessUnit.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

enum class Kind { Cut,
                  NoLineEnd,
                  Foreign,
                  Er3 };

// cutAt is a byte inside the reply's digits, and the rest comes after the 500 ms a
// stall may last; a reply without arguments to repeat answers with other letters
// instead of another number.
sim::Fault faultFor(Kind kind, const std::string& command, int cutAt, bool hasArguments)
{
    switch (kind) {
    case Kind::Cut: return sim::Fault::pause(command, 700, cutAt);
    case Kind::NoLineEnd: return sim::Fault::noLineEnd(command);
    case Kind::Foreign:
        return sim::Fault::wrongEcho(command, hasArguments ? sim::Fault::Echo::OtherArguments
                                                           : sim::Fault::Echo::OtherLetters);
    case Kind::Er3: break;
    }
    return sim::Fault::errorReply(command, 3);
}

int sentCount(const std::string& request)
{
    const auto all = sim::defaultBus().requests();
    return int(std::count(all.begin(), all.end(), request));
}

QColor textColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

constexpr int Wait = 15000;

} // namespace

class TestReplyFaults : public QObject {
    Q_OBJECT

    test::ProgramFolder m_dir;
    std::unique_ptr<TFormMain> m_main;
    test::ScriptedUi* m_ui = nullptr;

    template <class W>
    W* window() const { return m_main->findChild<W*>(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.copyShipped({"Parameters.txt", "ParNo.txt", "Taal0.ini", "Tree0.txt"}));
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void init()
    {
        app() = AppState();
        resetValueStore();
        sim::resetDefaultBus();
        m_ui = test::ScriptedUi::install();
        m_main = test::startMain(m_dir.path());
        QVERIFY(m_main);
        sim::defaultBus().clearLog();
    }

    void cleanup()
    {
        m_main.reset();
        setUiSeams(nullptr);
    }

    void faultyReplies_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("kind");
        const std::pair<const char*, Kind> kinds[] = {
            {"cut", Kind::Cut}, {"no line end", Kind::NoLineEnd}, {"foreign", Kind::Foreign}, {"er 3", Kind::Er3}};
        for (const char* w : {"read", "write", "service", "calibration", "graph", "live"})
            for (const auto& [name, kind] : kinds)
                QTest::addRow("%s, %s", w, name) << QString::fromLatin1(w) << int(kind);
    }

    void faultyReplies()
    {
        QFETCH(QString, which);
        QFETCH(int, kind);
        const Kind k = Kind(kind);
        auto& bus = sim::defaultBus();

        if (which == "read") {
            for (int n = 1; n <= 80; ++n) bus.setSetpoint(0, n, 12345 + n);
            bus.addFault(faultFor(k, "rs 7", 8, true)); // "rs 7 123|52"
            auto* w = window<TFormLeesParSoll>();
            w->start(1);
            QTRY_VERIFY_WITH_TIMEOUT(w->failed() || w->isDone(), Wait);
            QVERIFY(w->failed());
            QVERIFY2(w->Panel1->text().contains("S[007]"), qPrintable(w->Panel1->text()));
            QCOMPARE(textColour(w->Panel1), QColor(255, 0, 0));
            QCOMPARE(sentCount("rs 7"), 3); // asked twice more
            QCOMPARE(w->SollwBuffer[6], 12351);
            QCOMPARE(w->SollwBuffer[7], 0);
            QVERIFY(!w->CmdOK->isEnabled()); // nothing can be taken over
            test::saveShot(w, "read-" + QString(QTest::currentDataTag()).replace(' ', '-').remove(','));
            w->CmdCancel->click();
            QVERIFY(!w->isVisible());
        } else if (which == "write") {
            bus.addFault(faultFor(k, "ws 7", 6, true)); // "ws 7 4|93"
            auto* w = window<TFormSchrijfParSoll>();
            for (int n = 1; n <= 80; ++n) w->SollwBuffer[n] = 500 - n;
            w->start(1);
            QTRY_VERIFY_WITH_TIMEOUT(w->failed() || w->isDone(), Wait);
            QVERIFY(w->failed());
            QVERIFY2(w->Panel1->text().contains("S[007]"), qPrintable(w->Panel1->text()));
            QCOMPARE(sentCount("ws 7 493"), 3);
            QCOMPARE(bus.requests().back(), std::string("ws 7 493"));
            QCOMPARE(m_ui->messages.size(), 1); // what the controller holds now
            QCOMPARE(m_ui->messages[0].caption, taal("SchrijfParSoll", "StopCaption", ""));
            QVERIFY(m_ui->messages[0].text.contains(
                taal("SchrijfParSoll", "StopUnconfirmed", "").arg(taal("SchrijfParSoll", "StopSetpoint", "").arg(7))));
            w->CmdCancel->click();
        } else if (which == "service") {
            const qint32 value = bus.parameter(0, 12);
            ParWaarden[12] = value;
            const QString s = parSection(12);
            ServicePar.Nr = s;
            ServicePar.Naam = parNaam(s);
            ServicePar.Min = parMin(s);
            ServicePar.Max = parMax(s);
            ServicePar.Waarde = QString::number(value);
            bus.addFault(faultFor(k, "wp 12", 6, true));
            auto* w = window<TFormParamService>();
            w->show();
            const QString request = "wp 12 " + QString::number(ParWaarden[12]);
            w->CmdZenden->click();
            QTRY_VERIFY_WITH_TIMEOUT(!w->wachten(), Wait);
            // No usable echo: what the controller holds is read, not guessed.
            QCOMPARE(sentCount(request.toStdString()), 3); // tried three times, like any value
            QCOMPARE(sentCount("rp 12"), 1);
            const bool holds = bus.parameter(0, 12) == ParWaarden[12];
            QCOMPARE(w->PanelService->text().startsWith(taal("ParamService", "HeldNew", "")), holds);
            QCOMPARE(ParGezondenEnNietGeladen, holds);
            w->reject();
        } else if (which == "calibration") {
            bus.withUnit(0, [](sim::SimUnit& u) { u.calibration = {-15, 12, 7, 1000}; });
            bus.addFault(faultFor(k, "kr 2042", 9, true)); // "kr 2042 1|2"
            auto* w = window<TFormCalibratie>();
            w->SpinEdit_Gain_U->setValue(77);
            w->show();
            QTRY_VERIFY_WITH_TIMEOUT(w->Panel1->text().startsWith("Communicatie error"), Wait);
            QCOMPARE(textColour(w->Panel1), QColor(Qt::red));
            QTest::qWait(200);
            QCOMPARE(bus.requests(), (std::vector<std::string>{"kr 2041", "kr 2042"}));
            QCOMPARE(w->SpinEdit_Offset_U->value(), -15);
            QCOMPARE(w->SpinEdit_Gain_U->value(), 77); // untouched
            QCOMPARE(w->EepromWaarde[1], 0);
            w->hide();
        } else if (which == "graph") {
            bus.addFault(faultFor(k, "r0", 5, false));
            auto* w = window<TFormGrafiek>();
            w->show();
            w->ComboBoxBron->setCurrentIndex(0);
            w->CmdStartLog->click();
            QTRY_VERIFY_WITH_TIMEOUT(w->LogGaten >= 3, Wait);
            QCOMPARE(w->LogIndex, -1); // not one sample from them
            QVERIFY(w->LabelBufferCount->text().contains(QString::number(w->LogGaten)));
            test::saveShot(w, "graph-gaps");
            w->CmdStopLog->click();
            w->hide();
        } else {
            bus.addFault(faultFor(k, "r0", 5, false));
            m_main->CmdActual->click();
            QVERIFY(app().ActualAan);
            const int before = sentCount("r0");
            for (int i = 0; i < 200 && sentCount("r0") < before + 4; ++i) {
                QTest::qWait(50);
                const QString shown = m_main->PanelActPos1->text();
                QVERIFY2(shown.isEmpty() || shown == "????" || shown == "?", qPrintable(shown));
            }
            QVERIFY(sentCount("r0") >= before + 4);
            QTRY_COMPARE_WITH_TIMEOUT(m_main->PanelActPos1->text(), QString("????"), Wait);
            QTRY_VERIFY_WITH_TIMEOUT(!m_main->PanelSnelheid1->text().contains('?'), Wait); // others read on
            m_main->CmdActual->click();
        }
    }

    // A unit that never stops sending: Cancel closes the read window, and the port
    // still reads once the line is quiet again.
    void babblingLineClosesOnCancel()
    {
        auto& bus = sim::defaultBus();
        const int id = bus.addFault(sim::Fault::babble("rs 3", 10000));
        auto* w = window<TFormLeesParSoll>();
        w->start(1);
        QTRY_VERIFY_WITH_TIMEOUT(sentCount("rs 3") == 1, Wait);
        w->CmdCancel->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 3000);
        QCOMPARE(sentCount("rs 4"), 0);
        bus.removeFault(id);
        w->start(1);
        QTRY_VERIFY_WITH_TIMEOUT(w->failed() || w->isDone(), Wait);
        QVERIFY2(w->isDone(), qPrintable(w->Panel1->text()));
        w->CmdCancel->click();
    }
};

QTEST_MAIN(TestReplyFaults)
#include "tst_replyfaults.moc"
