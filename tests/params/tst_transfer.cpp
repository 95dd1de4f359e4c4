// The read and write windows: the order of requests in every mode, what each kind of
// reply does, failures, Cancel, Again and the texts the user sees. Most cases script
// the replies directly; the rest run against the simulated controller.
#include <QtTest>

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ControllerLine.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/EventWait.h"
#include "support/ScriptedUi.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace vx;

Q_DECLARE_METATYPE(vx::TCommError)

namespace {

// A window whose requests are recorded instead of sent; the test answers them.
template <class Form>
class Scripted : public Form {
public:
    QStringList sent;
    bool lineUp = true;
    using Form::Form;

protected:
    void transmit(TPX400Protocol* c) override { sent << c->ASCIIProtocol(); }
    bool portOpen() const override { return lineUp; }
};

using ScriptedRead = Scripted<TFormLeesParSoll>;
using ScriptedWrite = Scripted<TFormSchrijfParSoll>;

QByteArray line(const QString& text) { return (text + QStringLiteral("\r\n")).toLatin1(); }

qint32 valueFor(const QString& request)
{
    const int n = request.mid(3).toInt();
    return request.startsWith(QLatin1String("rp")) ? n * 10 - 2000 : -n;
}

// Answers the request in progress as the controller would.
void answerRead(ScriptedRead& w)
{
    const QString r = w.sent.constLast();
    w.PX400LeesParSollCommResult(line(r + u' ' + QString::number(valueFor(r))));
}

void answerReads(ScriptedRead& w, int count)
{
    for (int i = 0; i < count; ++i)
        answerRead(w);
}

void answerWrite(ScriptedWrite& w)
{
    const QString r = w.sent.constLast();
    if (r == QLatin1String("bp"))
        w.PX400BerekenParametersCommResult(line(QStringLiteral("bp -1")));
    else
        w.PX400SchrijfParSollCommResult(line(r));
}

void answerWrites(ScriptedWrite& w, int count)
{
    for (int i = 0; i < count; ++i)
        answerWrite(w);
}

QStringList numbered(const char* prefix, int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QLatin1String(prefix) + QString::number(n);
    return out;
}

QColor textColour(QLabel* l) { return l->palette().color(QPalette::WindowText); }
const QColor Red(255, 0, 0);

TCommError errorWith(uint32_t code, uint32_t os = 0, uint32_t line = 0)
{
    TCommError e;
    e.Code = code;
    e.OSError = os;
    e.LineErrors = line;
    return e;
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/';
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void init()
    {
        app().TaalGeladen = true;
        test::ScriptedUi::install();
    }

    void readOrderPerMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QString>("finish");
        const QStringList pars = numbered("rp ", 0, 511);
        const QStringList soll = numbered("rs ", 1, 80);
        QTest::newRow("0 parameters") << 0 << pars << "Parameters read.";
        QTest::newRow("1 setpoints") << 1 << soll << "Setpoints read.";
        QTest::newRow("2 both") << 2 << pars + soll << "Everything read.";
        QTest::newRow("3 controller") << 3 << pars + soll << "Everything read.";
    }

    void readOrderPerMode()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, requests);
        QFETCH(QString, finish);
        ScriptedRead w;
        w.start(mode);
        QVERIFY(!w.CmdOK->isEnabled());
        QVERIFY(!w.CmdAgain->isEnabled());
        QVERIFY(w.CmdCancel->isEnabled());
        answerReads(w, int(requests.size()));
        QCOMPARE(w.sent, requests);
        QCOMPARE(w.Panel1->text(), finish);
        QVERIFY(textColour(w.Panel1) != Red);
        QVERIFY(w.CmdOK->isEnabled());
        QVERIFY(w.CmdAgain->isEnabled());
        QCOMPARE(w.focusWidget(), w.CmdOK);
        QCOMPARE(w.ProgressBar1->value(), w.ProgressBar1->maximum());
        if (mode != 1) {
            QCOMPARE(w.ParBuffer[0], -2000);
            QCOMPARE(w.ParBuffer[511], 3110);
        }
        if (mode != 0)
            QCOMPARE(w.SollwBuffer[80], -80);
        w.CmdOK->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
    }

    void readCaptionAndProgress()
    {
        ScriptedRead w;
        w.start(3);
        QCOMPARE(w.windowTitle(), QStringLiteral("Backup: read controller"));
        QCOMPARE(w.Panel1->text(), QStringLiteral("Reading parameter: 0"));
        answerReads(w, 12);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Reading parameter: 12"));
        QCOMPARE(w.ProgressBar1->maximum(), 511);
        QCOMPARE(w.ProgressBar1->value(), 12);
        answerReads(w, 500);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Reading setpoint: 1"));
        QCOMPARE(w.ProgressBar1->maximum(), 80);
        // No close box; the buttons are the only way out.
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
    }

    // What one request's replies do: letters, values, the one retry, the red text.
    void readReplies_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("number");
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QString>("panel"); // empty: the transfer went on
        QTest::addColumn<int>("sends");     // requests for this number
        QTest::addColumn<int>("value");

        const QByteArray tooLong = "rs 7 " + QByteArray(100, '1') + "\r\n";
        QTest::newRow("rp 5 12 answers rp 6, then good") << 0 << 6 << QList<QByteArray>{"rp 5 12\r\n", "rp 6 12\r\n"}
                                                         << "" << 2 << 12;
        QTest::newRow("cut inside the digits, then whole") << 0 << 12 << QList<QByteArray>{"rp 12 -350", "rp 12 -3500\r\n"}
                                                           << "" << 2 << -3500;
        QTest::newRow("cut three times") << 0 << 12 << QList<QByteArray>{"rp 12 -350", "rp 12 -35", "rp 12 -3500\r"}
                                         << "Unexpected reply: rp 1   P[012]" << 3 << 0;
        QTest::newRow("n+1 three times") << 1 << 1 << QList<QByteArray>{"rs 2 5\r\n", "rs 2 5\r\n", "rs 2 5\r\n"}
                                         << "Unexpected reply: rs 2   S[001]" << 3 << 0;
        QTest::newRow("cut twice, then whole") << 0 << 12 << QList<QByteArray>{"rp 12 -350", "rp 12", "rp 12 -3500\r\n"}
                                               << "" << 3 << -3500;
        QTest::newRow("xx, then good") << 1 << 7 << QList<QByteArray>{"xx\r\n", "rs 7 9\r\n"} << "" << 2 << 9;
        QTest::newRow("er 3 three times") << 1 << 7 << QList<QByteArray>{"er 3\r\n", "er 3\r\n", "er 3\r\n"}
                                          << "Unexpected reply: er 3   S[007]" << 3 << 0;
        QTest::newRow("rp three times in setpoints") << 1 << 7 << QList<QByteArray>{"rp 7 1\r\n", "rp 7 1\r\n", "rp 7 1\r\n"}
                                                     << "Unexpected reply: rp 7   S[007]" << 3 << 0;
        QTest::newRow("value not an integer") << 1 << 7 << QList<QByteArray>{"rs 7 1x\r\n", "rs 7 1.5\r\n", "rs 7 1,5\r\n"}
                                              << "Unexpected reply: rs 7   S[007]" << 3 << 0;
        QTest::newRow("no value") << 0 << 42 << QList<QByteArray>{"rp 42\r\n", "rp 42 \r\n", "rp\r\n"}
                                  << "Unexpected reply: rp   P[042]" << 3 << 0;
        QTest::newRow("over 100 bytes") << 1 << 7 << QList<QByteArray>{tooLong, tooLong, tooLong}
                                        << "Unexpected reply: rs 7   S[007]" << 3 << 0;
        QTest::newRow("retry only once per request") << 1 << 7 << QList<QByteArray>{"xx\r\n", "rs 7 5\r\n", "xx\r\n", "rs 8 6\r\n"}
                                                     << "" << 2 << 5;
    }

    void readReplies()
    {
        QFETCH(int, mode);
        QFETCH(int, number);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QString, panel);
        QFETCH(int, sends);
        QFETCH(int, value);

        ScriptedRead w;
        w.start(mode);
        answerReads(w, mode == 1 ? number - 1 : number);
        for (const QByteArray& r : replies)
            w.PX400LeesParSollCommResult(r);
        const QString request = QLatin1String(mode == 1 ? "rs " : "rp ") + QString::number(number);
        QCOMPARE(w.sent.count(request), sends);
        if (panel.isEmpty()) {
            QVERIFY(!w.failed());
            QCOMPARE(mode == 1 ? w.SollwBuffer[number] : w.ParBuffer[number], value);
            QVERIFY(textColour(w.Panel1) != Red);
            QVERIFY(w.sent.constLast() != request); // went on
        } else {
            QVERIFY(w.failed());
            // The reason the reply was not taken stands on a line of its own below.
            QCOMPARE(w.Panel1->text().section(u'\n', 0, 0), panel);
            QVERIFY(w.Panel1->text().section(u'\n', 1).startsWith(u'('));
            QCOMPARE(textColour(w.Panel1), Red);
            QCOMPARE(w.sent.constLast(), request);
            QVERIFY(w.CmdAgain->isEnabled());
            QVERIFY(!w.CmdOK->isEnabled());
            // Garbage never reaches a buffer.
            QCOMPARE(mode == 1 ? w.SollwBuffer[number] : w.ParBuffer[number], 0);
        }
    }

    void communicationErrors_data()
    {
        QTest::addColumn<TCommError>("error");
        QTest::addColumn<QString>("panel");
        QTest::newRow("no reply") << errorWith(CommTimeout) << "No reply from the controller!";
        QTest::newRow("system error") << errorWith(CommSystemError, 5) << "Communication error!";
        QTest::newRow("line error") << errorWith(CommLineError, 0, CE_RXPARITY) << "Communication error!";
        // A code without flags still stops the transfer, or Cancel could never close.
        QTest::newRow("port closed") << errorWith(CommPortClosed) << "Communication error!";
    }

    void communicationErrors()
    {
        QFETCH(TCommError, error);
        QFETCH(QString, panel);
        for (int which = 0; which < 2; ++which) {
            ScriptedRead r;
            ScriptedWrite w;
            r.start(0);
            w.start(0);
            answerReads(r, 3);
            answerWrites(w, 3);
            TTransferForm& f = which == 0 ? static_cast<TTransferForm&>(r) : w;
            QStringList& sent = which == 0 ? r.sent : w.sent;
            auto fire = [&] { which == 0 ? r.PX400LeesParSollCommError(error) : w.PX400SchrijfParSollCommError(error); };
            if (error.Code == CommTimeout) {
                // Lost replies: the same request twice more, then the failure.
                const QString last = sent.constLast();
                for (int again = 2; again <= 3; ++again) {
                    fire();
                    QVERIFY(!f.failed());
                    QCOMPARE(sent.constLast(), last);
                    QCOMPARE(sent.count(last), again);
                }
            }
            fire();
            QVERIFY(f.failed());
            QCOMPARE(f.Panel1->text(), panel);
            QCOMPARE(textColour(f.Panel1), Red);
            QVERIFY(f.CmdAgain->isEnabled());
            f.CmdCancel->click();
            QVERIFY(!f.isVisible());
            QCOMPARE(f.result(), int(QDialog::Rejected));
        }
    }

    void cancelWaitsForTheNextReplyOrError()
    {
        for (bool byError : {false, true}) {
            ScriptedRead w;
            w.start(0);
            answerReads(w, 5);
            w.CmdCancel->click();
            QTest::keyClick(&w, Qt::Key_Escape); // Escape follows the same rule
            w.close();                           // and so does closing
            QVERIFY(w.isVisible());
            QVERIFY(w.cancelRequested());
            const int sent = int(w.sent.size());
            if (byError)
                w.PX400LeesParSollCommError(errorWith(CommTimeout));
            else
                answerRead(w);
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Rejected));
            QCOMPARE(int(w.sent.size()), sent); // nothing more went out
        }
    }

    void againRestartsFromTheFirstRequest()
    {
        ScriptedRead w;
        w.start(1);
        answerReads(w, 6);
        for (int i = 0; i < 3; ++i)
            w.PX400LeesParSollCommError(errorWith(CommTimeout));
        QVERIFY(w.failed());
        QCOMPARE(w.SollwBuffer[6], -6);
        w.sent.clear();
        w.CmdAgain->click();
        QCOMPARE(w.sent, QStringList{"rs 1"});
        QVERIFY(!w.failed());
        QVERIFY(!w.CmdAgain->isEnabled());
        QCOMPARE(w.Panel1->text(), QStringLiteral("Reading setpoint: 1"));
        QVERIFY(textColour(w.Panel1) != Red);
        QCOMPARE(w.ProgressBar1->value(), 0);
        QCOMPARE(w.SollwBuffer[6], -6); // stays until read again
        answerReads(w, 80);
        QVERIFY(w.isDone());
        w.CmdAgain->click(); // also after a complete read
        QCOMPARE(w.sent.constLast(), QStringLiteral("rs 1"));
        QVERIFY(!w.CmdOK->isEnabled());
    }

    // A finished read is kept whichever button closes the window.
    void cancelAfterAFinishedReadKeepsIt()
    {
        ScriptedRead w;
        w.start(1);
        answerReads(w, 80);
        QVERIFY(w.isDone());
        w.CmdCancel->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    // Again after a refused write is a new write: the same question first.
    void againAsksBeforeWritingAgain()
    {
        auto* ui = test::ScriptedUi::install();
        ScriptedWrite w;
        w.start(0);
        answerWrites(w, 5);
        w.PX400SchrijfParSollCommResult("er 7\r\n");
        QVERIFY(w.failed());
        ui->messages.clear();
        ui->answers = {QMessageBox::No};
        w.sent.clear();
        w.CmdAgain->click();
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages[0].caption, QStringLiteral("Write to the controller"));
        QVERIFY(w.sent.isEmpty());
        QVERIFY(w.failed());
        w.CmdAgain->click(); // Yes this time
        QCOMPARE(ui->messages.size(), 2);
        QCOMPARE(w.sent, QStringList{"wp 0 0"});
        w.CmdCancel->click();
    }

    void withoutLanguageTexts()
    {
        app().TaalGeladen = false;
        ScriptedWrite w;
        w.start(1);
        QCOMPARE(w.windowTitle(), QStringLiteral("FormSchrijfParSoll"));
        QCOMPARE(w.CmdAgain->text(), QStringLiteral("Again"));
        QCOMPARE(w.Panel1->text(), QStringLiteral(" 1"));
        answerWrites(w, 1);
        QCOMPARE(w.Panel1->text(), QStringLiteral(" 2"));
        w.PX400SchrijfParSollCommResult("er 7\r\n");
        QCOMPARE(w.Panel1->text(), QStringLiteral("(er 7) "));
    }

    void portNotOpenStopsAtOnce()
    {
        // The real line, with no port behind it.
        app().SXComm1 = nullptr;
        TFormLeesParSoll w;
        w.start(0);
        // The failure is taken from the event loop, at once.
        QTRY_VERIFY_WITH_TIMEOUT(w.failed(), 1000);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Communication error!"));
        w.CmdCancel->click();
        QVERIFY(!w.isVisible());
    }

    void writeOrderPerMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("finish");
        QTest::newRow("0 parameters") << 0 << 513 << "Parameters sent and loaded.";
        QTest::newRow("1 setpoints, no bp") << 1 << 80 << "Setpoints sent.";
        QTest::newRow("2 both") << 2 << 593 << "Parameters and setpoints sent and loaded.";
        QTest::newRow("3 controller") << 3 << 593 << "Restore complete, parameters loaded.";
    }

    void writeOrderPerMode()
    {
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(QString, finish);
        ScriptedWrite w;
        for (int n = 0; n <= 511; ++n)
            w.ParBuffer[n] = 1000 - n * 7;
        for (int n = 1; n <= 80; ++n)
            w.SollwBuffer[n] = n * 3;
        w.ParBuffer[17] = -250;
        w.start(mode);
        answerWrites(w, count);
        QStringList expected;
        if (mode != 1)
            for (int n = 0; n <= 511; ++n)
                expected << QStringLiteral("wp %1 %2").arg(n).arg(w.ParBuffer[n]);
        if (mode != 0)
            for (int n = 1; n <= 80; ++n)
                expected << QStringLiteral("ws %1 %2").arg(n).arg(n * 3);
        if (mode != 1)
            expected << QStringLiteral("bp");
        QCOMPARE(w.sent, expected);
        if (mode != 1)
            QCOMPARE(w.sent[17], QStringLiteral("wp 17 -250"));
        QCOMPARE(w.Panel1->text(), finish);
        QVERIFY(textColour(w.Panel1) != Red);
        QVERIFY(w.CmdOK->isEnabled());
        QCOMPARE(w.focusWidget(), w.CmdOK);
    }

    void writeReplies_data()
    {
        QTest::addColumn<QList<QByteArray>>("replies"); // to "wp 100 ..."
        QTest::addColumn<QString>("panel");
        QTest::addColumn<int>("sends");
        QTest::newRow("er 7 stops, no retry") << QList<QByteArray>{"er 7\r\n"}
                                              << "(er 7) Value refused by the controller." << 1;
        QTest::newRow("er 70 is unexpected") << QList<QByteArray>{"er 70\r\n", "er 70\r\n", "er 70\r\n"}
                                             << "Unexpected reply: er 7   P[100]" << 3;
        QTest::newRow("ws to wp three times") << QList<QByteArray>{"ws 1\r\n", "ws 1\r\n", "ws 1\r\n"}
                                              << "Unexpected reply: ws 1   P[100]" << 3;
        QTest::newRow("other number three times") << QList<QByteArray>{"wp 101 5\r\n", "wp 1 5\r\n", "wp 10 5\r\n"}
                                                  << "Unexpected reply: wp 1   P[100]" << 3;
        QTest::newRow("cut confirmation, then whole") << QList<QByteArray>{"wp 100", "wp 100 5\r\n"} << "" << 2;
        QTest::newRow("retry then accepted") << QList<QByteArray>{"xx\r\n", "wp 100 5\r\n"} << "" << 2;
    }

    void writeReplies()
    {
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QString, panel);
        QFETCH(int, sends);
        ScriptedWrite w;
        w.ParBuffer[100] = 5;
        w.start(0);
        answerWrites(w, 100);
        for (const QByteArray& r : replies)
            w.PX400SchrijfParSollCommResult(r);
        QCOMPARE(w.sent.count(QStringLiteral("wp 100 5")), sends);
        if (panel.isEmpty()) {
            QCOMPARE(w.sent.constLast(), QStringLiteral("wp 101 0"));
            return;
        }
        QCOMPARE(w.sent.constLast(), QStringLiteral("wp 100 5"));
        QCOMPARE(w.Panel1->text().section(u'\n', 0, 0), panel);
        QCOMPARE(textColour(w.Panel1), Red);
        QVERIFY(w.failed());
        QVERIFY(!w.CmdOK->isEnabled());
        QVERIFY(w.CmdAgain->isEnabled());
    }

    void computationReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("red");
        QTest::newRow("accepted") << QByteArray("bp -1\r\n") << "Parameters sent and loaded." << false;
        QTest::newRow("refused at 203") << QByteArray("bp 203\r\n") << "Loading refused, parameter 203 needs checking."
                                        << true;
        QTest::newRow("bp -1 with blank") << QByteArray("bp -1 \r\n") << "Loading refused, parameter -1  needs checking."
                                          << true;
    }

    void computationReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, panel);
        QFETCH(bool, red);
        ScriptedWrite w;
        w.start(0);
        answerWrites(w, 511);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Sending parameter: 511"));
        answerWrite(w);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Bereken parameters"));
        QCOMPARE(w.sent.constLast(), QStringLiteral("bp"));
        QVERIFY(!w.CmdOK->isEnabled());
        w.PX400BerekenParametersCommResult(reply);
        QCOMPARE(w.Panel1->text(), panel);
        QCOMPARE(textColour(w.Panel1) == Red, red);
        // A refused computation still ends with OK.
        QVERIFY(w.CmdOK->isEnabled());
        QCOMPARE(w.focusWidget(), w.CmdOK);
        w.CmdOK->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    // A write that stops early says once, in a box, what the controller now holds.
    void interruptedWriteIsReported_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("answered"); // requests answered before the stop
        QTest::addColumn<QString>("stop"); // er7, timeout, cancel, cut
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("er 7 at parameter 100")
            << 0 << 100 << "er7"
            << QStringList{"The controller confirmed 100 values: parameters 0 to 99.",
                           "Parameter 100 was refused by the controller.",
                           "The controller now holds a mixed set of old and new values.",
                           "\"bp\" was not sent: the controller did not load the new parameters."};
        QTest::newRow("lost replies at setpoint 5 of both sets")
            << 2 << 516 << "timeout"
            << QStringList{"The controller confirmed 516 values: parameters 0 to 511 and setpoints 1 to 4.",
                           "Setpoint 5 was sent but is unconfirmed.",
                           "The controller now holds a mixed set of old and new values.",
                           "\"bp\" was not sent: the controller did not load the new parameters."};
        QTest::newRow("cancel at the first setpoint")
            << 1 << 0 << "cancel"
            << QStringList{"The controller confirmed 1 value: setpoints 1.",
                           "The controller now holds a mixed set of old and new values."};
        QTest::newRow("bp unreadable three times")
            << 0 << 512 << "cut"
            << QStringList{"The controller confirmed 512 values: parameters 0 to 511.",
                           "\"bp\" was sent but is unconfirmed: the derived parameters may not be computed."};
    }
    void interruptedWriteIsReported()
    {
        QFETCH(int, mode);
        QFETCH(int, answered);
        QFETCH(QString, stop);
        QFETCH(QStringList, lines);
        auto* ui = test::ScriptedUi::install();
        ScriptedWrite w;
        w.start(mode);
        answerWrites(w, answered);
        if (stop == "er7") {
            w.PX400SchrijfParSollCommResult("er 7\r\n");
        } else if (stop == "timeout") {
            for (int i = 0; i < 3; ++i)
                w.PX400SchrijfParSollCommError(errorWith(CommTimeout));
        } else if (stop == "cancel") {
            w.CmdCancel->click();
            answerWrite(w);
            QVERIFY(!w.isVisible());
        } else {
            w.PX400BerekenParametersCommResult("bp -1");
            w.PX400BerekenParametersCommResult("bp -");
            QVERIFY(!w.failed());
            QCOMPARE(w.sent.mid(w.sent.size() - 3), QStringList({"bp", "bp", "bp"}));
            w.PX400BerekenParametersCommResult("bp -1\r");
            QVERIFY(w.failed());
        }
        w.CmdCancel->click(); // closing after the failure tells nothing new
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages[0].caption, QString("Write interrupted"));
        QCOMPARE(ui->messages[0].icon, QMessageBox::Warning);
        QCOMPARE(ui->messages[0].text.split(QStringLiteral("\n\r")), lines);
    }

    void completedWriteTellsNothing()
    {
        auto* ui = test::ScriptedUi::install();
        ScriptedWrite w;
        w.start(1);
        answerWrites(w, 80);
        QVERIFY(w.isDone());
        w.CmdCancel->click();
        QVERIFY(ui->messages.isEmpty());
    }

    // --- against the simulated controller -------------------------------------------

    void simulatedSetpointReadWithFaults()
    {
        sim::resetDefaultBus();
        auto& bus = sim::defaultBus();
        TSXComm port;
        port.setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = &port;
        port.Open();
        QVERIFY(port.Active());
        for (int n = 1; n <= 80; ++n)
            bus.setSetpoint(0, n, n * 11 - 300);
        auto echo = sim::Fault::wrongEcho("rs 7");
        echo.times = 1;
        bus.addFault(echo);
        auto garbage = sim::Fault::garbageBefore("rs 9");
        garbage.nth = 1;
        bus.addFault(garbage);

        TFormLeesParSoll w;
        w.start(1);
        // A real event loop: QTRY's sleeps between polls would slow every byte's hand-over.
        QVERIFY(test::waitFor([&] { return w.isDone() || w.failed(); }, 30000));
        QVERIFY2(w.isDone(), qPrintable(w.Panel1->text()));
        for (int n = 1; n <= 80; ++n)
            QCOMPARE(w.SollwBuffer[n], n * 11 - 300);
        QCOMPARE(bus.requests().size(), size_t(82)); // rs 7 and rs 9 went twice

        // No reply: the red no-reply text after the time-out.
        bus.clearLog();
        bus.addFault(sim::Fault::noReply("rs 3"));
        w.CmdAgain->click();
        QVERIFY(test::waitFor([&] { return w.failed(); }, 10000));
        QCOMPARE(w.Panel1->text(), QStringLiteral("No reply from the controller!"));
        QCOMPARE(bus.requests().back(), std::string("rs 3"));
        w.CmdCancel->click();
        QVERIFY(!w.isVisible());
        port.Close();
        app().SXComm1 = nullptr;
    }

    // A controller that stalls for 150 ms inside "rs 12 -3500": the pause before the
    // line end is no end, so -3500 is read at once, never the -3 or -350 a pause rule
    // would have left.
    void simulatedPauseInsideTheDigits()
    {
        sim::resetDefaultBus();
        auto& bus = sim::defaultBus();
        bus.withUnit(0, [](sim::SimUnit& u) { u.frame.baud = 38400; }); // a short run
        bus.setSetpoint(0, 12, -3500);
        auto pause = sim::Fault::pause("rs 12", 150, 10); // "rs 12 -350|0"
        pause.nth = 1;
        bus.addFault(pause);
        TSXComm port;
        port.setBaudrate(TBaudrate::br38400);
        port.setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = &port;
        port.Open();
        TFormLeesParSoll w;
        w.start(1);
        QVERIFY(test::waitFor([&] { return w.isDone() || w.failed(); }, 120000));
        QVERIFY2(w.isDone(), qPrintable(w.Panel1->text()));
        QCOMPARE(w.SollwBuffer[12], -3500);
        const auto requests = bus.requests();
        QCOMPARE(std::count(requests.begin(), requests.end(), std::string("rs 12")), 1);
        QCOMPARE(requests.size(), size_t(80));
        port.Close();
        app().SXComm1 = nullptr;
    }

    void simulatedWrites()
    {
        sim::resetDefaultBus();
        auto& bus = sim::defaultBus();
        TSXComm port;
        port.setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = &port;
        port.Open();
        // Replies end at their line end: these are about the order of writes.
        setFastReplies(true, &port);

        // Mode 1 ends after setpoint 80 without "bp".
        TFormSchrijfParSoll w;
        for (int n = 1; n <= 80; ++n)
            w.SollwBuffer[n] = 500 - n;
        w.start(1);
        QVERIFY(test::waitFor([&] { return w.isDone() || w.failed(); }, 30000));
        QVERIFY2(w.isDone(), qPrintable(w.Panel1->text()));
        QCOMPARE(bus.requests().back(), std::string("ws 80 420"));
        QCOMPARE(bus.setpoint(0, 33), 467);

        // "er 7" at parameter 100 stops the write there.
        bus.clearLog();
        for (int n = 0; n <= 511; ++n)
            w.ParBuffer[n] = bus.parameter(0, n);
        bus.addFault(sim::Fault::er7AtParameter(100));
        w.start(0);
        QVERIFY(test::waitFor([&] { return w.failed(); }, 30000));
        QCOMPARE(w.Panel1->text(), QStringLiteral("(er 7) Value refused by the controller."));
        const auto requests = bus.requests();
        QCOMPARE(requests.size(), size_t(101));
        QVERIFY(QString::fromStdString(requests.back()).startsWith(QLatin1String("wp 100 ")));
        port.Close();
        setFastReplies(false, &port);
        app().SXComm1 = nullptr;
    }

    void simulatedCancel()
    {
        sim::resetDefaultBus();
        auto& bus = sim::defaultBus();
        TSXComm port;
        port.setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = &port;
        port.Open();
        TFormLeesParSoll w;
        w.start(0);
        QTRY_VERIFY_WITH_TIMEOUT(w.counter() >= 3, 10000);
        w.CmdCancel->click();
        const size_t atCancel = bus.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QTest::qWait(300);
        QVERIFY(bus.requestCount() <= atCancel + 1);
        port.Close();
        app().SXComm1 = nullptr;
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
