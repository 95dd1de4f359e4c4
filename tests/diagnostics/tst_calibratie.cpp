// Calibration window against the simulated controller: read-out, the enabling
// chain, the commands sent and the closing question.
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "diagnostics/FormCalibratie.h"
#include "diagnostics/SpinEdit.h"
#include "params/TextWrap.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace vx;

namespace {

constexpr int Wait = 5000;

QStringList requests()
{
    QStringList out;
    for (const std::string& r : sim::defaultBus().requests()) out << QString::fromStdString(r);
    return out;
}

QColor textColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

} // namespace

class TestCalibratie : public QObject {
    Q_OBJECT
    std::unique_ptr<TSXComm> port;
    std::unique_ptr<TFormCalibratie> form;
    test::ScriptedUi* ui = nullptr;

    void setCalibration(std::array<int32_t, 4> values)
    {
        sim::defaultBus().withUnit(0, [&](sim::SimUnit& u) {
            u.calibration = values;
            u.calibrationEeprom = values;
        });
    }

    // Opens the window and waits for the four read-out replies.
    void openAndRead()
    {
        form->show();
        QTRY_COMPARE_WITH_TIMEOUT(requests().size(), 4, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(form->Panel1->text(), QString("kr 2044 3"), Wait);
        sim::defaultBus().clearLog();
    }

    void click(QPushButton* b, const QString& expected)
    {
        const int before = int(requests().size());
        QVERIFY(b->isEnabled());
        b->click();
        QTRY_COMPARE_WITH_TIMEOUT(requests().size(), before + 1, Wait);
        QCOMPARE(requests().last(), expected);
    }

    void modeOn()
    {
        click(form->CmdSetKalibtatieMode, "km 1");
        QTRY_VERIFY_WITH_TIMEOUT(form->CmdSet_U_actief->isEnabled(), Wait);
    }

private slots:
    void initTestCase() { sim::installInProcessSimulator(); }

    void init()
    {
        app() = AppState();
        sim::resetDefaultBus();
        setCalibration({-15, 12, 7, 3});
        setPortDevicePath(1, "sim");
        port = std::make_unique<TSXComm>();
        port->setBaudrate(TBaudrate::br9600);
        port->setFrameDatabits(TDataBit::db_8);
        port->setFrameParitybit(TParityBit::Odd);
        port->setFrameStopbits(TStopBit::sb_1);
        port->setPortName(TPort::COM1);
        app().SXComm1 = port.get();
        form = std::make_unique<TFormCalibratie>();
        ui = test::ScriptedUi::install();
        port->Open();
        QVERIFY(port->Active());
    }

    void cleanup()
    {
        form.reset();
        port->Close();
        app().SXComm1 = nullptr;
        port.reset();
        setUiSeams(nullptr);
    }

    void readOutFillsTheFields()
    {
        setCalibration({-15, 12, 7, 1500});
        form->show();
        QTRY_COMPARE_WITH_TIMEOUT(form->SpinEdit_Gain_I->value(), 1000, Wait);
        QCOMPARE(requests(), QStringList({"kr 2041", "kr 2042", "kr 2043", "kr 2044"}));
        QCOMPARE(form->SpinEdit_Offset_U->value(), -15);
        QCOMPARE(form->SpinEdit_Gain_U->value(), 12);
        QCOMPARE(form->SpinEdit_Offset_I->value(), 7);
        // A gain beyond its range is recorded at the limit.
        QCOMPARE(form->EepromWaarde, (std::array<qint32, 4>{-15, 12, 7, 1000}));
        QVERIFY(!form->CmdSaveToEEPROM->isEnabled());
        QVERIFY(!form->CmdSet_U_actief->isEnabled());
        QVERIFY(!form->SpinEdit_Gain_U->isEnabled());
        QVERIFY(form->CmdSetKalibtatieMode->isEnabled());
        QCOMPARE(form->SpinEdit1->value(), -100000);
        QCOMPARE(form->SpinEdit8->value(), 200000);
        sim::defaultBus().clearLog();
        form->SpinEdit_Gain_U->setValue(40); // no calibration mode: nothing sent
        QTest::qWait(200);
        QVERIFY(requests().isEmpty());
    }

    void errorAnswerStopsTheReadOut()
    {
        form->SpinEdit_Gain_U->setValue(77);
        sim::defaultBus().addFault(sim::Fault::wrongEcho("kr 2042"));
        form->show();
        QTRY_VERIFY_WITH_TIMEOUT(form->Panel1->text().startsWith("Communicatie error"), Wait);
        QCOMPARE(form->Panel1->palette().color(QPalette::WindowText), QColor(Qt::red));
        QTest::qWait(200);
        QCOMPARE(requests(), QStringList({"kr 2041", "kr 2042"}));
        QCOMPARE(form->SpinEdit_Offset_U->value(), -15);
        QCOMPARE(form->SpinEdit_Gain_U->value(), 77);
    }

    void closedPortSendsNothing()
    {
        port->Close();
        form->SpinEdit_Offset_U->setValue(77);
        form->show();
        QTest::qWait(300);
        QVERIFY(requests().isEmpty());
        QCOMPARE(form->SpinEdit_Offset_U->value(), 77);
        QCOMPARE(form->Panel1->text(), QString());
    }

    void modeOnWaitsForTheReply()
    {
        openAndRead();
        sim::defaultBus().addFault(sim::Fault::noReply("km", 1));
        click(form->CmdSetKalibtatieMode, "km 1");
        QTRY_COMPARE_WITH_TIMEOUT(form->Panel1->text(), QString("Timeout!"), Wait);
        QCOMPARE(textColour(form->Panel1), QColor(Qt::red));
        QVERIFY(!form->CmdSet_U_actief->isEnabled());
        QVERIFY(!form->KalibratieModeAan);

        modeOn();
        QCOMPARE(form->Panel1->text(), QString("km 1"));
        QVERIFY(textColour(form->Panel1) != QColor(Qt::red));
        QVERIFY(form->CmdSet_I_actief->isEnabled());
        QVERIFY(form->CmdSet_I_InActief->isEnabled());
        QVERIFY(!form->SpinEdit_Gain_U->isEnabled()); // no channel chosen yet
    }

    void channelChoice()
    {
        openAndRead();
        modeOn();
        click(form->CmdSet_I_actief, "kf 2");
        QTRY_VERIFY_WITH_TIMEOUT(form->SpinEdit_Gain_I->isEnabled(), Wait);
        QVERIFY(form->CmdSetImax->isEnabled());
        QVERIFY(!form->CmdSetUmax->isEnabled());
        QCOMPARE(textColour(form->GroupBox1), QColor(128, 128, 128));
        QCOMPARE(textColour(form->LabelGain_U), QColor(128, 128, 128));

        click(form->CmdSet_U_actief, "kf 1");
        QTRY_VERIFY_WITH_TIMEOUT(form->SpinEdit_Gain_U->isEnabled(), Wait);
        QVERIFY(!form->SpinEdit_Gain_I->isEnabled());
        QVERIFY(textColour(form->LabelGain_U) != QColor(128, 128, 128));
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            form->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/calibratie.png");

        click(form->CmdResCalibtatieMode, "km 0");
        QTRY_VERIFY_WITH_TIMEOUT(!form->CmdSet_U_actief->isEnabled(), Wait);
        QVERIFY(!form->SpinEdit_Gain_U->isEnabled());
        QVERIFY(!form->KalibratieModeAan);
    }

    void setPoints_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("sent");
        QTest::newRow("current halved") << 4 << 151 << "ka 75";
        QTest::newRow("negative current toward zero") << 3 << -7 << "ka -3";
        QTest::newRow("voltage as set") << 0 << -99999 << "ka -99999";
    }
    void setPoints()
    {
        QFETCH(int, button);
        QFETCH(int, value);
        QFETCH(QString, sent);
        openAndRead();
        modeOn();
        const bool current = button >= 3;
        click(current ? form->CmdSet_I_actief : form->CmdSet_U_actief, current ? "kf 2" : "kf 1");
        QPushButton* buttons[] = {form->CmdSetUmin, form->CmdSetUnul, form->CmdSetUmax,
                                  form->CmdSetImin, form->CmdSetInul, form->CmdSetImax};
        TSpinEdit* fields[] = {form->SpinEdit1, form->SpinEdit2, form->SpinEdit3,
                               form->SpinEdit6, form->SpinEdit7, form->SpinEdit8};
        QTRY_VERIFY_WITH_TIMEOUT(buttons[button]->isEnabled(), Wait);
        fields[button]->setValue(value);
        click(buttons[button], sent);
    }

    void unsavedWriteEnablesEepromAndAsksOnClose()
    {
        openAndRead();
        modeOn();
        click(form->CmdSet_U_actief, "kf 1");
        QTRY_VERIFY_WITH_TIMEOUT(form->SpinEdit_Gain_U->isEnabled(), Wait);
        QVERIFY(!form->CmdSaveToEEPROM->isEnabled());
        const int before = int(requests().size());
        QTest::keyClick(form->SpinEdit_Gain_U, Qt::Key_Up); // a step goes out at once
        QTRY_COMPARE_WITH_TIMEOUT(requests().size(), before + 1, Wait);
        QCOMPARE(requests().last(), QString("kw 2042 13"));
        QTRY_VERIFY_WITH_TIMEOUT(form->CmdSaveToEEPROM->isEnabled(), Wait);
        // Back to the stored value: still not saved as far as the window knows.
        QTest::keyClick(form->SpinEdit_Gain_U, Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(form->Panel1->text(), QString("kw 2042 12"), Wait);
        QVERIFY(form->CmdSaveToEEPROM->isEnabled());

        ui->answers = {QMessageBox::No, QMessageBox::Cancel};
        form->close();
        form->reject(); // Escape
        QVERIFY(form->isVisible());
        QCOMPARE(ui->messages.size(), 2);
        const test::ShownMessage& m = ui->messages.first();
        QCOMPARE(m.caption, QString("Waarschuwing"));
        QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        for (const QString& line : m.text.split("\r\n")) QVERIFY(line.size() <= 42);
        QVERIFY(m.text.startsWith("Er zijn calibratie waarden naar de VX4x..."));

        form->SpinEdit_Gain_U->stepBy(2);
        QTRY_COMPARE_WITH_TIMEOUT(form->Panel1->text(), QString("kw 2042 14"), Wait);
        click(form->CmdSaveToEEPROM, "ks");
        QTRY_VERIFY_WITH_TIMEOUT(!form->CmdSaveToEEPROM->isEnabled(), Wait);
        QCOMPARE(form->EepromWaarde[1], 14);
        QCOMPARE(sim::defaultBus().calibrationEeprom(0)[1], 14);
        const int sent = int(requests().size());
        // Saved: only the calibration-mode question, and No leaves the mode alone.
        ui->answers = {QMessageBox::No};
        form->close();
        QVERIFY(!form->isVisible());
        QCOMPARE(ui->messages.size(), 3);
        QVERIFY(ui->messages.last().text.contains("km 0"));
        QTest::qWait(100);
        QCOMPARE(requests().size(), sent);
    }

    // Leaving the window (or the program) in calibration mode asks; only Yes sends
    // "km 0", Cancel keeps the window open.
    void closingInCalibrationModeAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("sendsOff");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true << true;
        QTest::newRow("no") << int(QMessageBox::No) << true << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
    }

    void closingInCalibrationModeAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(bool, sendsOff);
        openAndRead();
        click(form->CmdSetKalibtatieMode, "km 1");
        QTRY_VERIFY_WITH_TIMEOUT(form->KalibratieModeAan, Wait);
        const int before = int(ui->messages.size());
        ui->answers = {QMessageBox::StandardButton(answer)};
        form->close();
        QCOMPARE(ui->messages.size(), before + 1);
        // After Yes the window closes once "km 0" is confirmed.
        QTRY_COMPARE_WITH_TIMEOUT(!form->isVisible(), closes, Wait);
        QCOMPARE(requests().contains("km 0"), sendsOff);
        QCOMPARE(form->KalibratieModeAan, !sendsOff);
        if (form->isVisible()) {
            ui->answers = {QMessageBox::No};
            form->close();
        }
    }

    // Without a confirmation of "km 0" the window stays open and says so; the wait
    // holds up nothing (close() returns at once).
    void modeOffUnconfirmedKeepsTheWindow()
    {
        openAndRead();
        modeOn();
        sim::defaultBus().addFault(sim::Fault::noReply("km", 1));
        ui->answers = {QMessageBox::Yes};
        QElapsedTimer t;
        t.start();
        form->close();
        QVERIFY(t.elapsed() < 500);
        QCOMPARE(ui->messages.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(ui->messages.size(), 2, Wait);
        QCOMPARE(ui->messages.last().icon, QMessageBox::Warning);
        QCOMPARE(ui->messages.last().text, texts::Calibratie("Msg_ModeUitMislukt"));
        QVERIFY(form->isVisible());
        QVERIFY(form->KalibratieModeAan);
        QCOMPARE(requests().count("km 0"), 1);

        // Asked again, the confirmation comes this time and the window closes.
        ui->answers = {QMessageBox::Yes};
        form->close();
        QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), Wait);
        QVERIFY(!form->KalibratieModeAan);
        QCOMPARE(ui->messages.size(), 3);
    }

    // A typed value goes to the running output once, whole, at Enter or on leaving the
    // field, however slowly it is typed; a value outside the field's limits is refused
    // on screen with them and the field shows the controller's value again; Enter
    // presses no button.
    void typedValueGoesOutOnEnterOrLeaving_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("finish"); // enter, leave or a step up
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("limits"); // shown in the window; empty: nothing refused
        QTest::addColumn<QString>("shown");  // the field afterwards
        QTest::addColumn<int>("pause");      // between keys, ms
        const QStringList none;
        QTest::newRow("offset, Enter") << "SpinEdit_Offset_U"
                                       << "1234"
                                       << "enter" << QStringList{"kw 2041 1234"} << ""
                                       << "1234" << 400;
        QTest::newRow("gain, leaving") << "SpinEdit_Gain_U"
                                       << "-250"
                                       << "leave" << QStringList{"kw 2042 -250"} << ""
                                       << "-250" << 400;
        QTest::newRow("unchanged") << "SpinEdit_Gain_U"
                                   << "12"
                                   << "enter" << none << ""
                                   << "12" << 0;
        QTest::newRow("above the limit, Enter") << "SpinEdit_Gain_U"
                                                << "1234"
                                                << "enter" << none << "-1000 tot 1000"
                                                << "12" << 400;
        QTest::newRow("below the limit, leaving") << "SpinEdit_Gain_I"
                                                  << "-2000"
                                                  << "leave" << none << "-1000 tot 1000"
                                                  << "3" << 0;
        QTest::newRow("outside, then a step") << "SpinEdit_Gain_U"
                                              << "1001"
                                              << "up" << none << "-1000 tot 1000"
                                              << "12" << 0;
        QTest::newRow("cleared") << "SpinEdit_Gain_U"
                                 << ""
                                 << "leave" << none << ""
                                 << "12" << 0;
        QTest::newRow("lone minus") << "SpinEdit_Gain_U"
                                    << "-"
                                    << "enter" << none << ""
                                    << "12" << 0;
    }
    void typedValueGoesOutOnEnterOrLeaving()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, finish);
        QFETCH(QStringList, sent);
        QFETCH(QString, limits);
        QFETCH(QString, shown);
        QFETCH(int, pause);
        QList<bool> modes;
        form->OnModeChanged = [&modes](bool on) { modes << on; };
        openAndRead();
        modeOn();
        for (QPushButton* b : form->findChildren<QPushButton*>()) QVERIFY(!b->autoDefault() && !b->isDefault());
        const bool current = field.endsWith("_I");
        click(current ? form->CmdSet_I_actief : form->CmdSet_U_actief, current ? "kf 2" : "kf 1");
        auto* edit = form->findChild<TSpinEdit*>(field);
        QTRY_VERIFY_WITH_TIMEOUT(edit->isEnabled(), Wait);
        QApplication::setActiveWindow(form.get());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        sim::defaultBus().clearLog();
        // Slow typing: the event loop runs between the keys.
        QTest::keyClicks(edit, typed, Qt::NoModifier, pause);
        QTest::qWait(pause);
        QCOMPARE(requests(), QStringList());
        if (finish == "enter") QTest::keyClick(edit, Qt::Key_Return);
        else if (finish == "up") QTest::keyClick(edit, Qt::Key_Up);
        else form->CmdSetKalibtatieMode->setFocus();
        QTest::qWait(300);
        QCOMPARE(requests(), sent);
        QCOMPARE(edit->text(), shown);
        QVERIFY(form->isVisible());
        if (limits.isEmpty()) {
            QCOMPARE(form->LabelBereik->text(), QString());
        } else {
            QVERIFY2(form->LabelBereik->text().contains(typed + " valt buiten het bereik " + limits), qPrintable(form->LabelBereik->text()));
            QCOMPARE(textColour(form->LabelBereik), QColor(Qt::red));
            if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
                form->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/calibratie-buiten-bereik.png");
        }

        // Closed with No: the mode stays on, and the main window is not told otherwise.
        ui->answers = {QMessageBox::No};
        if (!sent.isEmpty()) ui->answers.push_front(QMessageBox::Yes); // closing with the value unsaved
        form->close();
        QVERIFY(!form->isVisible());
        QCOMPARE(modes, QList<bool>{true});
    }

    void wrapping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("wrapped");
        QTest::newRow("short") << "kort" << 42 << "kort";
        QTest::newRow("at blanks") << "aaa bbb ccc" << 8 << "aaa bbb \r\nccc";
        QTest::newRow("after dash and dot") << "aa-bb.cc" << 4 << "aa-\r\nbb.\r\ncc";
        QTest::newRow("long word stays whole") << "abcdefghij kl" << 4 << "abcdefghij \r\nkl";
        QTest::newRow("question")
            << TFormCalibratie::closeQuestion().remove("\r\n") << 42 << TFormCalibratie::closeQuestion();
    }
    void wrapping()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, wrapped);
        QCOMPARE(wrapMessage(text, width), wrapped);
    }
};

QTEST_MAIN(TestCalibratie)
#include "tst_calibratie.moc"
