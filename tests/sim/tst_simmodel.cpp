// The pieces under the simulated bus: the parameter file reader, the text forms
// of vx5x-sim's options and the bit-level line model.
#include "sim/SimBus.h"
#include "sim/SimOptions.h"
#include "sim/SimParams.h"
#include "sim/SimWire.h"

#include <QtTest>

using namespace vx;
using namespace vx::sim;

namespace {

// What a fault text set, in a form a table row can spell out.
QString describe(const Fault& f)
{
    const char* echoes[] = {"letters", "zero", "blank", "args"};
    QString s = QString::fromStdString(faultName(f));
    if (!f.command.empty())
        s += " cmd='" + QString::fromStdString(f.command) + "'";
    if (f.nth > 0)
        s += QString(" nth=%1").arg(f.nth);
    if (f.kind == Fault::Kind::Pause)
        s += QString(" ms=%1 at=%2").arg(f.pauseMs).arg(f.atByte);
    if (f.kind == Fault::Kind::Babble)
        s += QString(" ms=%1").arg(f.babbleMs);
    if (f.kind == Fault::Kind::WrongEcho)
        s += QString(" echo=") + echoes[int(f.echo)];
    return s;
}

} // namespace

class TestSimModel : public QObject {
    Q_OBJECT

private slots:
    void parameterFile()
    {
        const std::string text = "; comment\r\n"
                                 "min=5\r\n" // before any section: ignored
                                 "[012]\r\nnaam0=Snelheid\r\nMIN=-10\r\nmax=$64\r\ndefault=0x1e\r\nmin=3\r\n"
                                 "[012]\r\nmax=1\r\n" // second occurrence: ignored
                                 "[203]\r\nmin=0\r\nmax=4\r\ndefault=2\r\n"
                                 "[300]\r\nmin=9\r\nmax=1\r\n" // min above max: not checked
                                 "[301]\r\nmax=abc\r\n"        // not a number: 0, checked as 0 ... 0
                                 "[600]\r\nmin=1\r\n"
                                 "[12]\r\nmin=7\r\n"; // not a three-digit name
        const ParamTable t = parseParamTable(text);
        QVERIFY(t.loaded);
        QCOMPARE(t.limits[12].min, -10);
        QCOMPARE(t.limits[12].max, 100);
        QCOMPARE(t.limits[12].def, 30);
        QVERIFY(t.allows(12, -10) && t.allows(12, 100));
        QVERIFY(!t.allows(12, 101) && !t.allows(12, -11));
        QCOMPARE(t.limits[203].def, 2);
        QVERIFY(t.allows(300, 12345));
        QVERIFY(t.allows(301, 0) && !t.allows(301, 1));
        QVERIFY(t.allows(7, -2000000000)); // no section: unchecked
        QVERIFY(!t.allows(7, int64_t(1) << 31));
        QVERIFY(!t.allows(512, 0));

        // Units start from the defaults.
        SimUnit u(UnitConfig{}, t);
        QCOMPARE(u.parameters[12], 30);
        QCOMPARE(u.cycleLength(), 36000);

        const ParamTable missing = loadParamTable("/nonexistent/Parameters.txt");
        QVERIFY(!missing.loaded);
        QVERIFY(missing.allows(12, 999999));
        QCOMPARE(missing.limits[203].def, 0);
    }

    void frameAndUnitTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("frame");
        QTest::newRow("number only") << "3" << true << 3 << "9600 8O1";
        QTest::newRow("type") << "4:vx51" << true << 4 << "9600 8O1";
        QTest::newRow("baud") << "1:VX50:19200" << true << 1 << "19200 8O1";
        QTest::newRow("full") << "5:VX51:38400:8E1" << true << 5 << "38400 8E1";
        QTest::newRow("odd rate") << "2:VX50:28800:7n2" << true << 2 << "28800 7N2";
        QTest::newRow("wrong type") << "2:VX40" << false << 0 << "";
        QTest::newRow("bad frame") << "2:VX50:9600:9X1" << false << 0 << "";
        QTest::newRow("bad number") << "x" << false << 0 << "";
        QTest::newRow("negative") << "-1" << false << 0 << "";
    }
    void frameAndUnitTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, number);
        QFETCH(QString, frame);
        UnitConfig u;
        std::string error;
        QCOMPARE(parseUnit(text.toStdString(), u, error), ok);
        if (!ok) {
            QVERIFY(!error.empty());
            return;
        }
        QCOMPARE(u.number, number);
        QCOMPARE(QString::fromStdString(frameText(u.frame)), frame);
    }

    void faultTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("no reply nth") << "no-reply:nth=3" << true << "no-reply nth=3";
        QTest::newRow("command with blank") << "no-reply:cmd=rp_12" << true << "no-reply cmd='rp 12'";
        QTest::newRow("pause") << "pause:cmd=rp,ms=150,at=4" << true << "pause cmd='rp' ms=150 at=4";
        QTest::newRow("unplug") << "unplug:after=20" << true << "unplug nth=20";
        QTest::newRow("er7 at parameter") << "er7:p=12" << true << "er7 cmd='wp 12'";
        QTest::newRow("er n") << "er:n=3,cmd=rp" << true << "er3 cmd='rp'";
        QTest::newRow("no line end") << "no-line-end:cmd=rf" << true << "no-line-end cmd='rf'";
        QTest::newRow("echo of other arguments") << "wrong-echo:echo=args" << true << "wrong-echo echo=args";
        QTest::newRow("babble") << "babble:ms=10000,cmd=rp" << true << "babble cmd='rp' ms=10000";
        QTest::newRow("babble, default length") << "babble:cmd=rp" << true << "babble cmd='rp' ms=10000";
        QTest::newRow("unplug without count") << "unplug" << false << "";
        QTest::newRow("unknown kind") << "explode" << false << "";
        QTest::newRow("unknown key") << "pause:len=3" << false << "";
        QTest::newRow("odd hex") << "garbage:bytes=abc" << false << "";
        QTest::newRow("bad flag") << "line-error:flags=smoke" << false << "";
        QTest::newRow("no value") << "pause:ms" << false << "";
        QTest::newRow("negative ms") << "pause:ms=-5" << false << "";
        QTest::newRow("negative babble") << "babble:ms=-1" << false << "";
        QTest::newRow("error number not a number") << "er:n=x" << false << "";
        QTest::newRow("negative error number") << "er:n=-3" << false << "";
        QTest::newRow("unknown echo") << "wrong-echo:echo=digits" << false << "";
    }
    void faultTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, parsed);
        Fault f;
        std::string error;
        QCOMPARE(parseFault(text.toStdString(), f, error), ok);
        if (ok)
            QCOMPARE(describe(f), parsed);
        else
            QVERIFY2(!error.empty(), "a refusal says why");
    }

    void wireModel()
    {
        const LineFrame f{9600, 8, 'O', 1};
        const std::string text = "sc 5\r\n";
        // The slow receiver path agrees with the direct one on equal settings.
        TxStream a = backToBack(text, f, 0.001);
        TxStream twin = a; // a silent second transmitter forces the sampling receiver
        twin.chars.clear();
        twin.chars.push_back({0xff, 1.0});
        std::vector<RxChar> direct = receive({a}, f);
        std::vector<RxChar> sampled = receive({a, twin}, f);
        QCOMPARE(direct.size(), text.size());
        QCOMPARE(sampled.size(), text.size() + 1);
        for (size_t i = 0; i < text.size(); ++i) {
            QCOMPARE(char(direct[i].value), text[i]);
            QCOMPARE(sampled[i].value, direct[i].value);
            QCOMPARE(sampled[i].flags, 0u);
            QVERIFY(std::abs(sampled[i].ready - direct[i].ready) < 1.0 / 9600);
        }
        QCOMPARE(charSeconds(f), 11.0 / 9600);

        // Wrong parity is flagged, a line held low is a break.
        const LineFrame even{9600, 8, 'E', 1};
        bool parity = false;
        for (const RxChar& c : receive({a}, even))
            parity = parity || (c.flags & CE_RXPARITY);
        QVERIFY(parity);
        TxStream low;
        low.frame = {2400, 8, 'N', 1};
        low.chars = {{0x00, 0}};
        const auto brk = receive({low}, LineFrame{9600, 8, 'N', 1});
        QVERIFY(!brk.empty());
        QVERIFY(brk.front().flags & CE_BREAK);

        // Two transmitters at once garble each other.
        TxStream other = backToBack("rt VX51\r\n", f, 0.001);
        std::string both;
        for (const RxChar& c : receive({a, other}, f))
            both += char(c.value);
        QVERIFY(both != text);
    }
};

QTEST_MAIN(TestSimModel)
#include "tst_simmodel.moc"
