// The device search as a plan fed with outcomes: the order of the probes and their
// line settings, what counts as a find, the identification, Stop and Verder.
#include "plans/BlockingRunner.h"
#include "plans/SearchPlan.h"

#include <QSet>
#include <QtTest>
#include <functional>

using namespace vx;
using namespace vx::plans;

namespace {

QString describe(const Probe& p)
{
    const char parity = p.line.parity == TParityBit::None ? 'N' : p.line.parity == TParityBit::Odd ? 'O'
                                                                                                   : 'E';
    return QStringLiteral("%1/%2%3%4")
        .arg(p.unit)
        .arg(baudrateValue(p.line.baud))
        .arg(QLatin1Char(parity))
        .arg(p.line.stop == TStopBit::sb_1 ? 1 : 2);
}

// A scripted line: every request is answered by `reply` (empty: silence) and every
// step is written to the trace as "9600E1", "sc 0" or "!line".
struct Script {
    std::function<Exchange(const QString& request, const LineSettings& line)> reply;
    std::function<QString(const LineSettings&)> setLine;
    QStringList trace;
    QStringList probes; // every probe as unit/line, in order
    QList<int> doneAtProbe;
    int wrongRequests = 0;
    LineSettings line;

    void run(SearchPlan& plan)
    {
        BlockingLine l;
        l.setLine = [this](const LineSettings& s) {
            line = s;
            return setLine ? setLine(s) : QString();
        };
        l.send = [this, &plan](const Request& r) {
            trace << r.text;
            const bool isProbe = r.text.startsWith(QLatin1String("sc "));
            if (isProbe) {
                probes << describe(plan.probe());
                doneAtProbe << plan.done();
            }
            // Probes and identification each on their own component, ended at the pause.
            wrongRequests += r.channel != (isProbe ? SearchPlan::ProbeChannel : SearchPlan::IdentChannel) || !r.pauseRule;
            if (reply)
                return reply(r.text, line);
            Exchange x;
            x.error.Code = CommTimeout;
            return x;
        };
        runBlocking(plan, l);
        QCOMPARE(wrongRequests, 0);
    }
};

Exchange answer(const QByteArray& bytes)
{
    Exchange x;
    x.reply = bytes;
    return x;
}

Exchange failure(uint32_t code, uint32_t os = 0)
{
    Exchange x;
    x.error.Code = code;
    x.error.OSError = os;
    return x;
}

// A controller as unit `unit` at `line`: it echoes its probe and says who it is.
std::function<Exchange(const QString&, const LineSettings&)> unitAt(int unit, LineSettings at,
                                                                    QByteArray echo = {})
{
    return [=](const QString& r, const LineSettings& line) {
        if (line != at)
            return failure(CommTimeout);
        if (r == cmd::selectUnit(unit))
            return answer(echo.isEmpty() ? r.toLatin1() + "\r\n" : echo);
        if (r == QLatin1String("rt"))
            return answer("rt VX51 type\r\n");
        if (r == QLatin1String("rh"))
            return answer("rh 2.10\r\n");
        if (r == QLatin1String("rx"))
            return answer("rx 4711\r\n");
        return failure(CommTimeout);
    };
}

const LineSettings k19200O2{TBaudrate::br19200, TParityBit::Odd, TStopBit::sb_2};

} // namespace

class TestSearchPlan : public QObject {
    Q_OBJECT

private slots:
    void probeOrder_data()
    {
        QTest::addColumn<int>("start"); // combo index
        QTest::addColumn<bool>("parityAuto");
        QTest::addColumn<bool>("stopAuto");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("head");
        QTest::addColumn<QStringList>("rates"); // first probe of each rate, in order

        QTest::newRow("both as COM") << 0 << false << false << 160
                                     << QStringList{"0/9600O2", "1/9600O2", "2/9600O2"}
                                     << QStringList{"0/9600O2", "0/19200O2", "0/28800O2", "0/38400O2", "0/57600O2"};
        QTest::newRow("both automatic: six per unit")
            << 0 << true << true << 960
            << QStringList{"0/9600N1", "0/9600O1", "0/9600E1", "0/9600N2", "0/9600O2", "0/9600E2", "1/9600N1"}
            << QStringList{"0/9600N1", "0/19200N1", "0/28800N1", "0/38400N1", "0/57600N1"};
        QTest::newRow("stop bits automatic")
            << 0 << false << true << 320 << QStringList{"0/9600O1", "0/9600O2", "1/9600O1"}
            << QStringList{"0/9600O1", "0/19200O1", "0/28800O1", "0/38400O1", "0/57600O1"};
        QTest::newRow("parity automatic") << 0 << true << false << 480
                                          << QStringList{"0/9600N2", "0/9600O2", "0/9600E2", "1/9600N2"}
                                          << QStringList{"0/9600N2", "0/19200N2", "0/28800N2", "0/38400N2", "0/57600N2"};
        QTest::newRow("start 38400 wraps round")
            << 3 << false << false << 160 << QStringList{"0/38400O2"}
            << QStringList{"0/38400O2", "0/57600O2", "0/9600O2", "0/19200O2", "0/28800O2"};
    }
    // Every probe of a silent bus, with the line settings it went out at.
    void probeOrder()
    {
        QFETCH(int, start);
        QFETCH(bool, parityAuto);
        QFETCH(bool, stopAuto);
        QFETCH(int, count);
        QFETCH(QStringList, head);
        QFETCH(QStringList, rates);
        SearchPlan plan(
            SearchChoice::window(TBaudrate(start + 3), parityAuto, stopAuto, TParityBit::Odd, TStopBit::sb_2));
        Script s;
        QStringList sentAt;
        s.reply = [&](const QString& r, const LineSettings& line) {
            sentAt << r + u'/' + describe(Probe{0, line}).section(u'/', 1);
            return failure(CommTimeout);
        };
        s.run(plan);
        QCOMPARE(plan.state(), SearchPlan::State::Exhausted);
        const QStringList& probes = s.probes;
        QCOMPARE(probes.size(), count);
        QCOMPARE(plan.total(), count);
        QCOMPARE(plan.done(), count);
        QCOMPARE(probes.mid(0, head.size()), head);
        QStringList firsts; // each rate takes an equal share of the probes
        for (int i = 0; i < 5; ++i)
            firsts << probes.value(i * count / 5);
        QCOMPARE(firsts, rates);
        QCOMPARE(probes.last().section(u'/', 0, 0), QStringLiteral("31"));
        QCOMPARE(QSet<QString>(probes.begin(), probes.end()).size(), probes.size()); // nothing probed twice
        for (int i = 0; i < count; ++i) {
            // The line was set to the probe's settings before its request went out,
            // and the progress counts the same probes in the same order.
            QCOMPARE(sentAt[i], QStringLiteral("sc ") + probes[i]);
            QCOMPARE(s.doneAtProbe[i], i);
        }
    }

    // What a probe's reply means: only the exact echo is a controller.
    void replies_data()
    {
        QTest::addColumn<QByteArray>("echo");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("found");
        QTest::newRow("exact echo") << QByteArray("sc 2\r\n") << 0 << true;
        QTest::newRow("leading zero") << QByteArray("sc 02\r\n") << 0 << false;
        QTest::newRow("trailing blank") << QByteArray("sc 2 \r\n") << 0 << false;
        QTest::newRow("another unit's echo") << QByteArray("sc 3\r\n") << 0 << false;
        QTest::newRow("cut") << QByteArray("sc 2") << 0 << false;
        QTest::newRow("garbled bytes") << QByteArray("\xf3\x11\r\n") << 0 << false;
        QTest::newRow("echo beside a line error") << QByteArray("sc 2\r\n") << int(CommLineError) << false;
        QTest::newRow("controller error") << QByteArray("er 3\r\n") << 0 << false;
    }
    void replies()
    {
        QFETCH(QByteArray, echo);
        QFETCH(int, error);
        QFETCH(bool, found);
        SearchChoice c = SearchChoice::window(TBaudrate::br19200, false, false, TParityBit::Odd, TStopBit::sb_2);
        SearchPlan plan(c);
        Script s;
        auto controller = unitAt(2, k19200O2, echo);
        s.reply = [&](const QString& r, const LineSettings& line) {
            Exchange x = controller(r, line);
            if (error && r.startsWith(QLatin1String("sc 2")) && line == k19200O2)
                x.error.Code = uint32_t(error);
            return x;
        };
        s.run(plan);
        QCOMPARE(plan.state(), found ? SearchPlan::State::Found : SearchPlan::State::Exhausted);
        if (found) {
            QCOMPARE(s.trace.mid(2), (QStringList{"sc 2", "rt", "rh", "rx"}));
            QCOMPARE(describe(plan.probe()), QStringLiteral("2/19200O2"));
            QCOMPARE(plan.identity().type, std::optional<QString>("VX51 type"));
            QCOMPARE(plan.identity().ident3, std::optional<QString>("4711"));
        } else {
            QVERIFY(!s.trace.contains("rt"));
            QCOMPARE(s.probes.size(), 160);
        }
    }

    // The identification of a unit that answered, and what ends it.
    void identification_data()
    {
        QTest::addColumn<QString>("request");  // the identification request that misbehaves
        QTest::addColumn<QByteArray>("reply"); // its reply, or empty for the failure
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("after"); // requests after the hit's probe
        QTest::newRow("foreign type is unreadable, still a find")
            << "rt" << QByteArray("rh 2.10\r\n") << 0 << int(SearchPlan::State::Found) << QStringList{"rt", "rh", "rx"};
        QTest::newRow("silent type: passed over")
            << "rt" << QByteArray() << int(CommTimeout) << int(SearchPlan::State::Exhausted) << QStringList{"rt", "sc 3"};
        QTest::newRow("garbled rx: passed over")
            << "rx" << QByteArray() << int(CommLineError) << int(SearchPlan::State::Exhausted)
            << QStringList{"rt", "rh", "rx", "sc 3"};
        QTest::newRow("adapter pulled at rh") << "rh" << QByteArray() << int(CommLineLost)
                                              << int(SearchPlan::State::LineFailed) << QStringList{"rt", "rh"};
    }
    void identification()
    {
        QFETCH(QString, request);
        QFETCH(QByteArray, reply);
        QFETCH(int, error);
        QFETCH(int, state);
        QFETCH(QStringList, after);
        SearchPlan plan(SearchChoice::window(TBaudrate::br19200, false, false, TParityBit::Odd, TStopBit::sb_2));
        Script s;
        auto controller = unitAt(2, k19200O2);
        s.reply = [&](const QString& r, const LineSettings& line) {
            if (r == request)
                return error ? failure(uint32_t(error), error == int(CommLineLost) ? 5 : 0) : answer(reply);
            return controller(r, line);
        };
        s.run(plan);
        QCOMPARE(int(plan.state()), state);
        const int hit = int(s.trace.indexOf("sc 2")) + 1;
        QCOMPARE(s.trace.mid(hit, after.size()), after);
        if (plan.state() == SearchPlan::State::Found)
            QCOMPARE(plan.identity().type, std::nullopt);
        if (plan.state() == SearchPlan::State::LineFailed)
            QCOMPARE(plan.failure().error.Code, uint32_t(CommLineLost));
    }

    // Stop asked for during a request ends the search when that request is done;
    // during the identification it is honoured after "rh", and a whole
    // identification lists the unit.
    void stop_data()
    {
        QTest::addColumn<QString>("at"); // the request during which Stop comes
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("silent probe") << "sc 1" << int(SearchPlan::State::Stopped) << QStringList{"sc 0", "sc 1"};
        QTest::newRow("the hit's probe")
            << "sc 2" << int(SearchPlan::State::Stopped) << QStringList{"sc 0", "sc 1", "sc 2", "rt", "rh"};
        QTest::newRow("type") << "rt" << int(SearchPlan::State::Stopped) << QStringList{"sc 0", "sc 1", "sc 2", "rt", "rh"};
        QTest::newRow("rx") << "rx" << int(SearchPlan::State::Found)
                            << QStringList{"sc 0", "sc 1", "sc 2", "rt", "rh", "rx"};
    }
    void stop()
    {
        QFETCH(QString, at);
        QFETCH(int, state);
        QFETCH(QStringList, trace);
        SearchPlan plan(SearchChoice::window(TBaudrate::br19200, false, false, TParityBit::Odd, TStopBit::sb_2));
        Script s;
        auto controller = unitAt(2, k19200O2);
        s.reply = [&](const QString& r, const LineSettings& line) {
            if (r == at)
                plan.requestStop();
            return controller(r, line);
        };
        s.run(plan);
        QCOMPARE(int(plan.state()), state);
        QCOMPARE(s.trace, trace);
    }

    // Verder: a new plan from the probe after the find, with the choices of now.
    void verderGoesOnAfterTheFind()
    {
        const SearchChoice c =
            SearchChoice::window(TBaudrate::br19200, true, true, TParityBit::Even, TStopBit::sb_1);
        SearchPlan first(c);
        Script s;
        s.reply = unitAt(2, k19200O2);
        s.run(first);
        QCOMPARE(first.state(), SearchPlan::State::Found);
        QCOMPARE(describe(first.probe()), QStringLiteral("2/19200O2"));

        SearchPlan more(c, first.probe());
        Script t;
        t.reply = s.reply;
        t.run(more);
        QCOMPARE(t.probes.value(0), QStringLiteral("2/19200E2"));
        QCOMPARE(t.doneAtProbe.value(0), c.indexOf(first.probe()) + 1);
        QCOMPARE(more.state(), SearchPlan::State::Exhausted);
        QCOMPARE(t.probes.size() + c.indexOf(first.probe()) + 1, c.count());

        // Switched from automatic to the port's parity while resting: on with that parity.
        const SearchChoice asCom =
            SearchChoice::window(TBaudrate::br19200, false, true, TParityBit::Even, TStopBit::sb_1);
        SearchPlan changed(asCom, first.probe());
        Script u;
        u.run(changed);
        QCOMPARE(u.probes.value(0), QStringLiteral("3/19200E1"));

        // "Start with" changed while resting: the new rate first, then every probe not made.
        const SearchChoice at9600 = SearchChoice::window(TBaudrate::br9600, false, false, TParityBit::Odd, TStopBit::sb_2);
        SearchPlan hit(at9600);
        Script w;
        w.reply = unitAt(3, {TBaudrate::br9600, TParityBit::Odd, TStopBit::sb_2});
        w.run(hit);
        SearchPlan rest(SearchChoice::window(TBaudrate::br38400, false, false, TParityBit::Odd, TStopBit::sb_2),
                        hit.made(), std::nullopt);
        Script x;
        x.run(rest);
        QCOMPARE(x.probes.value(0), QStringLiteral("0/38400O2"));
        QCOMPARE(x.doneAtProbe.value(0), 4);
        QCOMPARE(rest.state(), SearchPlan::State::Exhausted);
        QCOMPARE(rest.done(), 160);
        QCOMPARE(QSet<QString>(x.probes.begin(), x.probes.end()).size() + w.probes.size(), 160);
        QCOMPARE(x.probes.size() + w.probes.size(), 160);

        // After the very last probe nothing is left.
        SearchPlan none(c, c.at(c.count() - 1));
        Script v;
        v.run(none);
        QCOMPARE(none.state(), SearchPlan::State::Exhausted);
        QVERIFY(v.trace.isEmpty());
    }

    // A port that refuses the settings, or disappears, ends the search with why.
    void portFailures()
    {
        const SearchChoice c = SearchChoice::window(TBaudrate::br9600, false, false, TParityBit::Even, TStopBit::sb_1);
        SearchPlan refused(c);
        Script s;
        s.setLine = [](const LineSettings&) { return QStringLiteral("cannot set 9600 baud"); };
        s.run(refused);
        QCOMPARE(refused.state(), SearchPlan::State::PortFailed);
        QCOMPARE(refused.failure().errorText, QStringLiteral("cannot set 9600 baud"));
        QVERIFY(s.trace.isEmpty());

        for (uint32_t code : {uint32_t(CommLineLost), uint32_t(CommSystemError), uint32_t(CommPortClosed)}) {
            SearchPlan gone(c);
            Script t;
            t.reply = [&](const QString& r, const LineSettings&) {
                return r == QLatin1String("sc 2") ? failure(code, 19) : failure(CommTimeout);
            };
            t.run(gone);
            QCOMPARE(gone.state(), SearchPlan::State::LineFailed);
            QCOMPARE(t.trace, (QStringList{"sc 0", "sc 1", "sc 2"}));
        }
    }

    // vx5x's own lists: only the units and rates asked for, parity fastest.
    void choiceOfLists()
    {
        SearchChoice c;
        c.bauds = {TBaudrate::br38400, TBaudrate::br9600};
        c.units = {5, 0};
        c.stops = {TStopBit::sb_1};
        c.parities = {TParityBit::None, TParityBit::Odd, TParityBit::Even};
        SearchPlan plan(c);
        Script s;
        s.run(plan);
        QCOMPARE(s.probes, (QStringList{"5/38400N1", "5/38400O1", "5/38400E1", "0/38400N1", "0/38400O1", "0/38400E1",
                                        "5/9600N1", "5/9600O1", "5/9600E1", "0/9600N1", "0/9600O1", "0/9600E1"}));
        SearchPlan empty{SearchChoice{}};
        Script t;
        t.run(empty);
        QCOMPARE(empty.state(), SearchPlan::State::Exhausted);
        QVERIFY(t.trace.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestSearchPlan)
#include "tst_searchplan.moc"
