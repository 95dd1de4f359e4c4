// Service dialog: the live input filter and the input test as pure functions, typing
// into the field, option lists, and the "wp"/"bp" exchanges over a scripted line.
#include "core/AppState.h"
#include "core/Taal.h"
#include "params/FixedPoint.h"
#include "params/ParamInput.h"
#include "params/ParamService.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedLine.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;
using vx::test::LineScript;

Q_DECLARE_METATYPE(vx::ServiceKeyResult::Action)
Q_DECLARE_METATYPE(vx::ServiceInputResult::Kind)

namespace {

const QByteArray kParameters =
    "[010]\nnaam0=Twee decimalen\ntype=0\ndec=2\nmin=0\nmax=99999\ndefault=1250\n"
    "[011]\nnaam0=Met teken\ntype=0\ndec=0\nmin=-500\nmax=500\ndefault=-20\n"
    "[012]\nnaam0=Een decimaal\ntype=0\ndec=1\nmin=-100\nmax=1000\ndefault=5\n"
    "[013]\nnaam0=Negen negens\ntype=0\ndec=2\nmin=-999999999\nmax=999999999\n"
    "[014]\nnaam0=Keuze\ntype=1\nopties0=Off,On,Auto\ndec=0\nmin=0\nmax=2\ndefault=1\n"
    "[015]\nnaam0=Keuze met decimaal\ntype=1\nopties0=#014\ndec=1\nmin=0\nmax=20\ndefault=15\n"
    "[016]\nnaam0=Positief\ntype=0\ndec=0\nmin=0\nmax=5000\ndefault=0\n";

QByteArray languageFile()
{
    QByteArray t = "[ParamService]\n";
    for (int i = 0; i <= 10; ++i)
        t += "PanelTekst" + QByteArray::number(i) + "=T" + QByteArray::number(i) + "\n";
    return t + "ReadingBack=R\nHeldNew=N\nHeldOld=O %1\nStillUnknown=U\n";
}

// What the editor puts in ServicePar for the selected row.
void selectParameter(int nr)
{
    const QString s = parSection(nr);
    const int dec = parDec(s);
    ServicePar.Nr = s;
    ServicePar.Naam = parNaam(s);
    ServicePar.Waarde = FixedToText(dec, ParWaarden.value(nr));
    ServicePar.Min = parMin(s);
    ServicePar.Max = parMax(s);
    ServicePar.MinTekst = FixedToText(dec, ServicePar.Min);
    ServicePar.MaxTekst = FixedToText(dec, ServicePar.Max);
    ServicePar.DefaultTekst = FixedToText(dec, parDefault(s));
}

bool isRed(QLabel* l)
{
    return l->palette().color(QPalette::WindowText) == QColor(Qt::red);
}

} // namespace

class TstParamService : public QObject {
    Q_OBJECT

    test::ProgramFolder dir;
    std::unique_ptr<TSXComm> port;
    TFormParamService* dlg = nullptr;

    void open(int nr)
    {
        selectParameter(nr);
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(dir.write("Parameters.txt", kParameters));
        QVERIFY(dir.write("Taal0.ini", languageFile()));
        app().ExeDir = dir.path();
        app().TaalIndex = 0;
        QVERIFY(ParameterDef_lezen());
        QVERIFY(loadTaalFile());
        port = vx::test::openScriptedPort();
        dlg = new TFormParamService;
    }

    void cleanupTestCase()
    {
        delete dlg;
        port->Close();
        app().SXComm1 = nullptr;
    }

    void init()
    {
        resetValueStore();
        LineScript::get().reset();
    }

    void cleanup()
    {
        dlg->hide();
    }

    // --- pure rules --------------------------------------------------------------------

    void keyFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("min");
        QTest::addColumn<QString>("key");
        QTest::addColumn<ServiceKeyResult::Action>("action");
        QTest::addColumn<QString>("typed");

        using A = ServiceKeyResult::Action;
        QTest::newRow("letter") << "1" << 1 << false << 2 << 3 << 0 << "a" << A::Swallow << "";
        QTest::newRow("blank") << "1" << 1 << false << 2 << 3 << 0 << " " << A::Swallow << "";
        QTest::newRow("point becomes comma") << "1" << 1 << false << 1 << 3 << 0 << "." << A::Pass << ",";
        QTest::newRow("comma, no decimals") << "1" << 1 << false << 0 << 3 << 0 << "," << A::Swallow << "";
        QTest::newRow("second comma") << "1,2" << 3 << false << 2 << 3 << 0 << "," << A::Swallow << "";
        QTest::newRow("minus, min 0") << "1" << 1 << false << 0 << 3 << 0 << "-" << A::Swallow << "";
        QTest::newRow("minus at start") << "12" << 0 << false << 0 << 3 << -500 << "-" << A::Pass << "-";
        QTest::newRow("minus after start") << "12" << 2 << false << 0 << 3 << -500 << "-" << A::PrependMinus << "";
        QTest::newRow("second minus") << "-12" << 3 << false << 0 << 3 << -500 << "-" << A::Swallow << "";
        QTest::newRow("minus over selection, sign kept") << "-12" << 1 << true << 0 << 3 << -500 << "-"
                                                         << A::Swallow << "";
        QTest::newRow("before the sign") << "-12" << 0 << false << 0 << 3 << -500 << "5" << A::Swallow << "";
        QTest::newRow("integer part full: kept, OK refuses") << "123" << 3 << false << 2 << 3 << 0 << "4" << A::Pass << "4";
        QTest::newRow("comma after full integer part") << "123" << 3 << false << 2 << 3 << 0 << ","
                                                       << A::Pass << ",";
        QTest::newRow("backspace when full") << "123" << 3 << false << 0 << 3 << 0 << "\b" << A::Pass << "\b";
        QTest::newRow("integer digit before comma, full") << "123,4" << 1 << false << 2 << 3 << 0 << "9"
                                                          << A::Pass << "9";
        QTest::newRow("integer digit before comma, room") << "12,4" << 1 << false << 2 << 3 << 0 << "9"
                                                          << A::Pass << "9";
        QTest::newRow("decimals full: kept, OK refuses") << "1,45" << 4 << false << 2 << 3 << 0 << "6" << A::Pass << "6";
        QTest::newRow("decimal room") << "1,4" << 3 << false << 2 << 3 << 0 << "6" << A::Pass << "6";
        QTest::newRow("over a selection") << "123" << 0 << true << 0 << 3 << 0 << "9" << A::Pass << "9";
        QTest::newRow("negative, integer part counted without sign") << "-12" << 3 << false << 0 << 3 << -500
                                                                     << "3" << A::Pass << "3";
        QTest::newRow("negative, full") << "-123" << 4 << false << 0 << 3 << -500 << "4" << A::Pass << "4";
    }

    void keyFilter()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(bool, selection);
        QFETCH(int, decimals);
        QFETCH(int, digits);
        QFETCH(int, min);
        QFETCH(QString, key);
        QFETCH(ServiceKeyResult::Action, action);
        QFETCH(QString, typed);
        const ServiceKeyResult r = serviceKeyFilter(key.at(0), {text, caret, selection, decimals, digits, min});
        QCOMPARE(r.action, action);
        if (action == ServiceKeyResult::Pass)
            QCOMPARE(QString(r.ch), typed);
    }

    void inputTest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<ServiceInputResult::Kind>("kind");
        QTest::addColumn<int>("value");

        using K = ServiceInputResult::Kind;
        QTest::newRow("12,5 two decimals") << "12,5" << 2 << 0 << 5000 << K::Ok << 1250;
        QTest::newRow("-3 one decimal") << "-3" << 1 << -100 << 100 << K::Ok << -30;
        QTest::newRow("empty is 0") << "" << 2 << 0 << 100 << K::Ok << 0;
        QTest::newRow("lone minus is 0") << "-" << 0 << -5 << 5 << K::Ok << 0;
        QTest::newRow("bounds inclusive") << "-5" << 0 << -5 << 5 << K::Ok << -5;
        QTest::newRow("above max") << "501" << 0 << 0 << 500 << K::OutOfRange << 501;
        QTest::newRow("below min") << "-1,01" << 2 << -100 << 100 << K::OutOfRange << -101;
        QTest::newRow("nine nines too long") << "9999999,99" << 2 << -999999999 << 999999999 << K::TooLong << 0;
        QTest::newRow("eight digits with sign") << "-12345678" << 0 << -999999999 << 0 << K::Ok << -12345678;
        QTest::newRow("pasted letters") << "1a" << 0 << 0 << 100 << K::Malformed << 0;
        QTest::newRow("too many decimals") << "1,234" << 2 << 0 << 100000 << K::TooLong << 0;
        QTest::newRow("sign at the end") << "5-" << 0 << -10 << 10 << K::Malformed << 0;
        QTest::newRow("double sign") << "--5" << 0 << -10 << 10 << K::Malformed << 0;
    }

    void inputTest()
    {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(ServiceInputResult::Kind, kind);
        QFETCH(int, value);
        const ServiceInputResult r = serviceInputValue(text, decimals, min, max);
        QCOMPARE(r.kind, kind);
        if (kind == ServiceInputResult::Ok || kind == ServiceInputResult::OutOfRange)
            QCOMPARE(r.value, value);
    }

    void integerDigits()
    {
        QCOMPARE(serviceIntegerDigits("0,00", "999,99", 2), 3);
        QCOMPARE(serviceIntegerDigits("-9999999,99", "0,00", 2), 7);
        QCOMPARE(serviceIntegerDigits("-500", "50", 0), 3);
    }

    // --- the dialog ----------------------------------------------------------------------

    void typing_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("min 0: no minus") << 16 << "-5-"
                                         << "5";
        QTest::newRow("min -500: minus after digits goes in front") << 11 << "12-"
                                                                    << "-12";
        QTest::newRow("min -500: only one minus") << 11 << "1-2-"
                                                  << "-12";
        QTest::newRow("min -500: minus typed at the start") << 11 << "-12"
                                                            << "-12";
        QTest::newRow("3 integer digits, 2 decimals") << 10 << "123,45"
                                                      << "123,45";
        // Every digit typed stays in view; OK and Send refuse what does not fit.
        QTest::newRow("fourth integer digit kept") << 10 << "1234"
                                                   << "1234";
        QTest::newRow("third decimal kept") << 10 << "12,345"
                                            << "12,345";
        QTest::newRow("point with 1 decimal") << 12 << "."
                                              << ",";
        QTest::newRow("no comma without decimals") << 16 << "1,2"
                                                   << "12";
        QTest::newRow("letters dropped") << 16 << "a1b"
                                         << "1";
    }

    void typing()
    {
        QFETCH(int, nr);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        open(nr);
        QVERIFY(dlg->MaskEditParData->isVisible());
        dlg->MaskEditParData->clear();
        QTest::keyClicks(dlg->MaskEditParData, keys);
        QCOMPARE(dlg->MaskEditParData->text(), expected);
    }

    void backspaceAndCaret()
    {
        open(11);
        dlg->MaskEditParData->clear();
        QTest::keyClicks(dlg->MaskEditParData, "12-");
        QCOMPARE(dlg->MaskEditParData->cursorPosition(), 3);
        QTest::keyClick(dlg->MaskEditParData, Qt::Key_Backspace);
        QCOMPARE(dlg->MaskEditParData->text(), QString("-1"));
        QTest::keyClick(dlg->MaskEditParData, Qt::Key_Home);
        QTest::keyClicks(dlg->MaskEditParData, "9");
        QCOMPARE(dlg->MaskEditParData->text(), QString("-1"));
    }

    void okStoresScaledValue()
    {
        open(10);
        QCOMPARE(dlg->windowTitle(), QString("[010]   Twee decimalen"));
        QCOMPARE(dlg->PanelMax->text(), QString("999,99"));
        dlg->MaskEditParData->setText("12,5");
        QTest::mouseClick(dlg->CmdOK, Qt::LeftButton);
        QCOMPARE(ParWaarden[10], 1250);
        QVERIFY(!dlg->isVisible());

        ParWaarden[12] = 7;
        open(12);
        QCOMPARE(dlg->MaskEditParData->text(), QString("0,7"));
        dlg->MaskEditParData->setText("-3");
        QTest::mouseClick(dlg->CmdOK, Qt::LeftButton);
        QCOMPARE(ParWaarden[12], -30);
    }

    void inputErrorsKeepDialogAndValue_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("panel");
        QTest::newRow("nine nines") << 13 << "9999999,99"
                                    << "T3";
        QTest::newRow("above max") << 16 << "5001"
                                   << "T2";
        // Typed, not pasted: a digit too many once went missing and the rest was taken.
        QTest::newRow("one integer digit too many") << 10 << "1000"
                                                    << "T2";
        QTest::newRow("a third decimal") << 10 << "12,345"
                                         << "T3";
    }

    void inputErrorsKeepDialogAndValue()
    {
        QFETCH(int, nr);
        QFETCH(QString, text);
        QFETCH(QString, panel);
        ParWaarden[nr] = 4;
        open(nr);
        dlg->MaskEditParData->clear();
        QTest::keyClicks(dlg->MaskEditParData, text);
        QCOMPARE(dlg->MaskEditParData->text(), text);
        QTest::mouseClick(dlg->CmdOK, Qt::LeftButton);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->PanelService->text(), panel);
        QVERIFY(isRed(dlg->PanelService));
        QCOMPARE(ParWaarden[nr], 4);
        QCOMPARE(dlg->focusWidget(), static_cast<QWidget*>(dlg->MaskEditParData));
    }

    void optionList()
    {
        ParWaarden[14] = 2;
        open(14);
        QVERIFY(dlg->ComboParData->isVisible());
        QVERIFY(!dlg->MaskEditParData->isVisible());
        QCOMPARE(dlg->ComboParData->count(), 3);
        QCOMPARE(dlg->ComboParData->itemText(0), QString("0 - Off"));
        QCOMPARE(dlg->ComboParData->currentIndex(), 2);
        QCOMPARE(dlg->LabelParData->x(), 38);
        QTest::mouseClick(dlg->CmdDefault, Qt::LeftButton);
        QCOMPARE(dlg->ComboParData->currentIndex(), 1);
        QCOMPARE(ParWaarden[14], 2); // Default alone stores nothing
        QTest::mouseClick(dlg->CmdOK, Qt::LeftButton);
        QCOMPARE(ParWaarden[14], 1);
    }

    // A value nobody touched must not change: OK keeps one outside the list as it is,
    // and choosing a listed item still stores that item.
    void optionValueOutsideListIsKept()
    {
        for (const qint32 stored : {7, -1}) {
            ParWaarden[14] = stored;
            open(14);
            QCOMPARE(dlg->ComboParData->currentText(), QString::number(stored) + " - ?");
            if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
                dlg->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/service-outside-list.png");
            QTest::mouseClick(dlg->CmdOK, Qt::LeftButton);
            QCOMPARE(ParWaarden[14], stored);
        }
        open(14);
        dlg->ComboParData->setCurrentIndex(1);
        QTest::mouseClick(dlg->CmdOK, Qt::LeftButton);
        QCOMPARE(ParWaarden[14], 1);
    }

    void optionDefaultWithDecimalsSelectsNothing()
    {
        ParWaarden[15] = 1;
        open(15); // list through the redirect to [014], default shown as 1,5
        QCOMPARE(dlg->ComboParData->count(), 3);
        QCOMPARE(dlg->ComboParData->currentIndex(), 1);
        QTest::mouseClick(dlg->CmdDefault, Qt::LeftButton);
        QCOMPARE(dlg->ComboParData->currentIndex(), -1);
    }

    void numericDefault()
    {
        open(11);
        dlg->MaskEditParData->setText("3");
        QTest::mouseClick(dlg->CmdDefault, Qt::LeftButton);
        QCOMPARE(dlg->MaskEditParData->text(), QString("-20"));
    }

    // A write without a usable reply is followed by a read of what the controller
    // holds: the value may have arrived or not.
    void zenden_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("readBack"); // the reply to "rp 12"; empty: none
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("mark");
        QTest::addColumn<int>("reads");
        QTest::newRow("accepted") << QByteArray("wp 12 5") << QByteArray() << "T4" << false << true << 0;
        QTest::newRow("refused") << QByteArray("er 7") << QByteArray() << "(er 7) T6" << true << false << 0;
        QTest::newRow("other error, the controller holds it") << QByteArray("er 3") << QByteArray("rp 12 5") << "N"
                                                              << false << true << 1;
        QTest::newRow("no reply, the old value stays") << QByteArray() << QByteArray("rp 12 9") << "O 0,9" << true
                                                       << false << 1;
        QTest::newRow("no reply, no read either") << QByteArray() << QByteArray() << "U" << true << false << 3;
    }

    void zenden()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, readBack);
        QFETCH(QString, panel);
        QFETCH(bool, red);
        QFETCH(bool, mark);
        QFETCH(int, reads);
        if (!reply.isEmpty())
            LineScript::get().answer("wp 12 5", reply);
        if (!readBack.isEmpty())
            LineScript::get().answer("rp 12", readBack);
        open(12);
        QVERIFY(dlg->CmdZenden->isEnabled());
        dlg->MaskEditParData->setText("0,5");
        QTest::mouseClick(dlg->CmdZenden, Qt::LeftButton);
        QCOMPARE(ParWaarden[12], 5);
        QVERIFY(dlg->wachten());
        for (QPushButton* b : {dlg->CmdDefault, dlg->CmdOK, dlg->CmdCancel, dlg->CmdBerPar, dlg->CmdZenden})
            QVERIFY(!b->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dlg->wachten(), 15000);
        // No reply or one that is no answer to it: tried three times, like any value.
        const bool unanswered = reply.isEmpty() || reply == "er 3";
        QCOMPARE(LineScript::get().sent(), QStringList(unanswered ? 3 : 1, QStringLiteral("wp 12 5"))
                                               + QStringList(reads, QStringLiteral("rp 12")));
        QCOMPARE(dlg->PanelService->text(), panel);
        QCOMPARE(isRed(dlg->PanelService), red);
        QCOMPARE(ParGezondenEnNietGeladen, mark);
        QCOMPARE(ParWaarden[12], 5); // stays, even when refused
        for (QPushButton* b : {dlg->CmdDefault, dlg->CmdOK, dlg->CmdCancel, dlg->CmdBerPar, dlg->CmdZenden})
            QVERIFY(b->isEnabled());
    }

    void laadPar_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("red");
        QTest::newRow("accepted") << QByteArray("bp -1") << "T10" << false;
        QTest::newRow("refused") << QByteArray("bp 33") << "T7 33 T8" << true;
    }

    void laadPar()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, panel);
        QFETCH(bool, red);
        LineScript::get().answer("bp", reply);
        ParGezondenEnNietGeladen = true;
        open(16);
        QTest::mouseClick(dlg->CmdBerPar, Qt::LeftButton);
        QCOMPARE(dlg->PanelService->text(), QString("T9"));
        QVERIFY(!dlg->CmdOK->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dlg->wachten(), 3000);
        QCOMPARE(dlg->PanelService->text(), panel);
        QCOMPARE(isRed(dlg->PanelService), red);
        QVERIFY(!ParGezondenEnNietGeladen);
    }

    void escapeClosesWhileWaiting()
    {
        LineScript::get().answer("bp", "bp -1");
        open(16);
        QTest::mouseClick(dlg->CmdBerPar, Qt::LeftButton);
        QVERIFY(dlg->wachten());
        QTest::keyClick(dlg->MaskEditParData, Qt::Key_Escape);
        QVERIFY(!dlg->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!dlg->wachten(), 3000);
    }

    void sendButtonsNeedOpenPort()
    {
        port->Close();
        open(16);
        QVERIFY(!dlg->CmdZenden->isEnabled());
        QVERIFY(!dlg->CmdBerPar->isEnabled());
        QVERIFY(dlg->CmdOK->isEnabled());
        dlg->hide();
        port->Open();
    }
};

QTEST_MAIN(TstParamService)
#include "tst_paramservice.moc"
