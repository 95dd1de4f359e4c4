// The pieces under the simulated bus: the parameter file reader, the text forms
// of vx5x-sim's options and the bit-level line model.
#include "sim/SimBus.h"
#include "sim/SimOptions.h"
#include "sim/SimParams.h"
#include "sim/SimWire.h"

#include <QtTest>
#include <array>
#include <utility>

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
    if (f.kind == Fault::Kind::Cut || f.kind == Fault::Kind::Stale)
        s += QString(" ms=%1 at=%2").arg(f.pauseMs).arg(f.atByte);
    if (f.kind == Fault::Kind::Random) {
        QStringList kinds;
        for (unsigned bit = 1; bit & Fault::RandomAll; bit <<= 1)
            if (f.kinds & bit)
                kinds << QString::fromStdString(randomKindName(bit));
        s += QString(" rate=%1 seed=%2 kinds=%3").arg(f.rate).arg(f.seed).arg(kinds.join('|'));
    }
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

        // ... except the line settings they answer at: unit number, baud, parity, stop
        // and data bits as the option positions the tool shows them by.
        auto unitAt = [](int number, LineFrame frame) {
            UnitConfig c;
            c.number = number;
            c.frame = frame;
            return c;
        };
        const std::pair<UnitConfig, std::array<int, 5>> units[] = {
            {unitAt(0, {9600, 8, 'O', 1}), {0, 0, 2, 0, 1}},
            {unitAt(5, {38400, 8, 'E', 1}), {5, 3, 1, 0, 1}},
            {unitAt(31, {115200, 7, 'N', 2}), {31, 5, 0, 1, 0}},
        };
        for (const auto& [config, first] : units) {
            const SimUnit v(config, t);
            for (int i = 0; i < 5; ++i) QCOMPARE(v.parameters[std::size_t(i)], first[std::size_t(i)]);
        }

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
        QTest::newRow("cut") << "cut:cmd=rp,ms=300" << true << "cut cmd='rp' ms=300 at=-1";
        QTest::newRow("stale") << "stale" << true << "stale ms=700 at=3";
        QTest::newRow("random, kinds listed")
            << "random:rate=0.01,seed=7,kinds=cut,stale,no-reply,cmd=rp" << true
            << "random cmd='rp' rate=0.01 seed=7 kinds=cut|stale|no-reply";
        QTest::newRow("random, every kind") << "random:rate=1" << true
                                            << "random rate=1 seed=1 kinds=cut|stale|dup|garbage|burst|no-line-end|no-reply";
        QTest::newRow("random, kinds with bars") << "random:kinds=dup|burst,seed=18446744073709551615" << true
                                                 << "random rate=0 seed=18446744073709551615 kinds=dup|burst";
        QTest::newRow("random rate above 1") << "random:rate=1.5" << false << "";
        QTest::newRow("random rate not a number") << "random:rate=nan" << false << "";
        QTest::newRow("random negative seed") << "random:seed=-1" << false << "";
        QTest::newRow("random unknown kind") << "random:kinds=cut,smoke" << false << "";
        QTest::newRow("random no kinds") << "random:kinds=" << false << "";
        QTest::newRow("rate on another fault") << "pause:rate=0.5" << false << "";
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

    // Options are read in order and spelt out in full: getopt_long's abbreviations,
    // "=" forms and option clusters stay unknown, and the first bad word is named.
    void commandLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::addColumn<bool>("usage");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("nothing") << QStringList{} << "" << false << "units 0 faults 0 latency 2";
        QTest::newRow("all kinds") << QStringList{"--unit", "3:VX51", "--unit", "4", "--fault", "er7:p=12", "--latency",
                                                  "0.5", "--no-demo", "--log", "--error", "3:7", "--replug-after", "100"}
                                   << "" << false << "units 2 faults 1 latency 0.5 nodemo log errors 1 replug 100";
        QTest::newRow("value that looks like an option") << QStringList{"--link", "--log"} << "" << false
                                                         << "units 0 faults 0 latency 2 link --log";
        QTest::newRow("help first wins") << QStringList{"--help", "--frob"} << "" << false << "help";
        QTest::newRow("short help") << QStringList{"-h"} << "" << false << "help";
        QTest::newRow("unknown before help") << QStringList{"--frob", "--help"} << "unknown option '--frob'" << true << "";
        QTest::newRow("abbreviation") << QStringList{"--dev", "x"} << "unknown option '--dev'" << true << "";
        QTest::newRow("abbreviation at the end") << QStringList{"--dev"} << "unknown option '--dev'" << true << "";
        QTest::newRow("equals form") << QStringList{"--frame=9600"} << "unknown option '--frame=9600'" << true << "";
        QTest::newRow("value to a flag") << QStringList{"--log=1"} << "unknown option '--log=1'" << true << "";
        QTest::newRow("cluster") << QStringList{"-hh"} << "unknown option '-hh'" << true << "";
        QTest::newRow("plain word") << QStringList{"--unit", "3", "foo", "--help"} << "unknown option 'foo'" << true << "";
        QTest::newRow("double dash") << QStringList{"--", "--help"} << "unknown option '--'" << true << "";
        QTest::newRow("missing value") << QStringList{"--log", "--frame"} << "--frame needs a value" << false << "";
        QTest::newRow("bad frame") << QStringList{"--frame", "9600:8Q1"} << "bad line settings '9600:8Q1'" << false << "";
        QTest::newRow("bad unit") << QStringList{"--unit", "3:VX99"} << "unit type must be VX50 or VX51: 'VX99'" << false
                                  << "";
        // Beyond 10 s a latency would overflow the clock's durations.
        const QString want = "': want milliseconds from 0 to 10000";
        for (const char* bad : {"-1", "inf", "-inf", "nan", "1e300", "10000.5", ""})
            QTest::newRow(qPrintable(QString("bad latency '%1'").arg(bad)))
                << QStringList{"--latency", bad} << "bad latency '" + QString(bad) + want << false << "";
        QTest::newRow("longest latency") << QStringList{"--latency", "10000"} << "" << false
                                         << "units 0 faults 0 latency 10000";
        QTest::newRow("bad error") << QStringList{"--error", "3"} << "--error needs N:E" << false << "";
        QTest::newRow("bad fault") << QStringList{"--fault", "explode"} << "fault 'explode': unknown fault 'explode'"
                                   << false << "";
        QTest::newRow("bad re-plug") << QStringList{"--replug-after", "99999999"} << "bad re-plug time '99999999'" << false
                                     << "";
    }
    void commandLines()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        QFETCH(bool, usage);
        QFETCH(QString, parsed);
        // Twice: the parser starts afresh on every call.
        for (int round = 0; round < 2; ++round) {
            std::vector<std::string> words{"vx5x-sim"};
            for (const QString& a : args)
                words.push_back(a.toStdString());
            std::vector<char*> argv;
            for (std::string& w : words)
                argv.push_back(w.data());
            argv.push_back(nullptr);
            SimCommandLine cmd;
            std::string message;
            bool showUsage = false;
            const bool ok = parseCommandLine(int(words.size()), argv.data(), cmd, message, showUsage);
            QCOMPARE(QString::fromStdString(message), error);
            QCOMPARE(ok, error.isEmpty());
            QCOMPARE(showUsage, usage);
            if (!ok)
                continue;
            QString got = cmd.help ? QStringLiteral("help")
                                   : QString("units %1 faults %2 latency %3")
                                         .arg(cmd.units.size())
                                         .arg(cmd.faults.size())
                                         .arg(cmd.latency);
            if (!cmd.demo)
                got += " nodemo";
            if (cmd.logRequests)
                got += " log";
            if (!cmd.errors.empty())
                got += QString(" errors %1").arg(cmd.errors.size());
            if (cmd.replugAfterMs >= 0)
                got += QString(" replug %1").arg(cmd.replugAfterMs);
            if (!cmd.link.empty())
                got += " link " + QString::fromStdString(cmd.link);
            QCOMPARE(got, parsed);
        }
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
