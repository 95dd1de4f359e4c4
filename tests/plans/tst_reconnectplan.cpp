// Reconnecting after a lost line and the live monitor's cycle, as plans fed with
// outcomes: which device is tried when, the identity check, and where the cycle
// goes on.
#include "plans/BlockingRunner.h"
#include "plans/LivePlan.h"

#include <QtTest>
#include <functional>

using namespace vx;
using namespace vx::plans;

namespace {

Exchange answer(const QByteArray& bytes)
{
    Exchange x;
    x.reply = bytes;
    return x;
}

Exchange failure(uint32_t code)
{
    Exchange x;
    x.error.Code = code;
    x.error.OSError = code == CommLineLost ? 5 : 0;
    return x;
}

// A scripted line and devices. A device opens when it is in `present`; a request
// is answered by `reply` (if set) or by a controller whose "rx" is `rx`. Every
// step is traced: "wait 250", "open P", "open B failed", "sc 0".
struct Script {
    QStringList present;
    QString rx = "4711";
    std::function<std::optional<Exchange>(const QString& request)> reply;
    std::function<void()> onWait;
    QStringList trace;
    int limitOfRi = 0;
    int waits = 0;

    BlockingLine line()
    {
        BlockingLine l;
        l.wait = [this](int ms) {
            trace << QStringLiteral("wait %1").arg(ms);
            ++waits;
            if (onWait)
                onWait();
        };
        l.reopen = [this](const QString& device) {
            const bool ok = present.contains(device);
            trace << QStringLiteral("open %1%2").arg(device, ok ? QString() : QStringLiteral(" failed"));
            return ok ? QString() : QStringLiteral("No such file or directory");
        };
        l.send = [this](const Request& r) {
            trace << r.text;
            if (r.text == u"ri")
                limitOfRi = r.replyLimit;
            if (reply)
                if (const auto x = reply(r.text))
                    return *x;
            if (r.text.startsWith(u"sc "))
                return answer(r.text.toLatin1() + "\r\n");
            if (r.text == u"rt")
                return answer("rt VX50 A\r\n");
            if (r.text == u"rh")
                return answer("rh 1.0\r\n");
            if (r.text == u"rx")
                return answer("rx " + rx.toLatin1() + "\r\n");
            return answer(r.text.toLatin1() + " 12\r\n");
        };
        return l;
    }
};

Identity knownController()
{
    Identity id;
    id.type = "VX50 A";
    id.ident2 = "1.0";
    id.ident3 = "4711";
    return id;
}

ReconnectTarget target(const QString& byId = QString())
{
    ReconnectTarget t;
    t.path = "P";
    t.byId = byId;
    t.before = knownController();
    return t;
}

} // namespace

class TestReconnectPlan : public QObject {
    Q_OBJECT

private slots:
    void reconnect_data()
    {
        QTest::addColumn<QString>("byId");
        QTest::addColumn<QString>("rx");
        QTest::addColumn<int>("backAfterWaits"); // the device appears after this many waits
        QTest::addColumn<QString>("backAs");     // ... under this name
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("trace");
        const QStringList ident{"sc 0", "rt", "rh", "rx"};
        QTest::newRow("same path at once") << ""
                                           << "4711" << 1 << "P" << int(ReconnectPlan::State::Same)
                                           << QStringList{"wait 250", "open P"} + ident;
        QTest::newRow("no by-id name: the path again")
            << ""
            << "4711" << 2 << "P" << int(ReconnectPlan::State::Same)
            << QStringList{"wait 250", "open P failed", "wait 250", "open P"} + ident;
        QTest::newRow("back under another number: by-id")
            << "B"
            << "4711" << 2 << "B" << int(ReconnectPlan::State::Same)
            << QStringList{"wait 250", "open P failed", "open B failed", "wait 250", "open P failed", "open B"} + ident;
        QTest::newRow("the path first, even with a by-id name")
            << "B"
            << "4711" << 1 << "P" << int(ReconnectPlan::State::Same) << QStringList{"wait 250", "open P"} + ident;
        QTest::newRow("another controller is refused")
            << "B"
            << "9999" << 1 << "B" << int(ReconnectPlan::State::Different)
            << QStringList{"wait 250", "open P failed", "open B"} + ident;
    }
    void reconnect()
    {
        QFETCH(QString, byId);
        QFETCH(QString, rx);
        QFETCH(int, backAfterWaits);
        QFETCH(QString, backAs);
        QFETCH(int, state);
        QFETCH(QStringList, trace);
        Script s;
        s.rx = rx;
        s.onWait = [&] {
            if (s.waits == backAfterWaits)
                s.present << backAs;
        };
        ReconnectPlan plan(target(byId));
        runBlocking(plan, s.line());
        QCOMPARE(int(plan.state()), state);
        QCOMPARE(s.trace, trace);
        QCOMPARE(plan.openedOn(), backAs);
        QCOMPARE(plan.identity().ident3, std::optional<QString>(rx));
    }

    // Only a controller that says who it is ends the reconnect: a silent one is
    // asked again on the open port, a lost one is awaited again, and an unreadable
    // type is never the same controller.
    void identityIsProven()
    {
        Script silent;
        silent.present = {"P"};
        int selects = 0;
        silent.reply = [&](const QString& r) -> std::optional<Exchange> {
            if (r == u"sc 0" && ++selects == 1)
                return failure(CommTimeout);
            if (r == u"rh" && selects == 2)
                return failure(CommTimeout);
            return std::nullopt;
        };
        ReconnectPlan first(target());
        runBlocking(first, silent.line());
        QCOMPARE(first.state(), ReconnectPlan::State::Same);
        // A lost "sc" or "rh" is asked again at once (three tries) before the plan
        // waits and starts over.
        QCOMPARE(silent.trace, (QStringList{"wait 250", "open P", "sc 0", "sc 0", "rt", "rh", "rh", "rh", "wait 250",
                                            "sc 0", "rt", "rh", "rx"}));

        Script lostAgain;
        lostAgain.present = {"P"};
        bool lost = false;
        lostAgain.reply = [&](const QString& r) -> std::optional<Exchange> {
            if (r == u"rt" && !lost) {
                lost = true;
                return failure(CommLineLost);
            }
            return std::nullopt;
        };
        ReconnectPlan second(target());
        runBlocking(second, lostAgain.line());
        QCOMPARE(second.state(), ReconnectPlan::State::Same);
        QCOMPARE(lostAgain.trace,
                 (QStringList{"wait 250", "open P", "sc 0", "rt", "wait 250", "open P", "sc 0", "rt", "rh", "rx"}));

        Script foreign;
        foreign.present = {"P"};
        foreign.reply = [](const QString& r) -> std::optional<Exchange> {
            return r == u"rt" ? std::optional<Exchange>(answer("rt \x01\r\n")) : std::nullopt;
        };
        ReconnectTarget unknown = target();
        unknown.before.type.reset(); // nobody knew the type before either
        unknown.before.ident3 = "4711";
        ReconnectPlan third(unknown);
        runBlocking(third, foreign.line());
        QCOMPARE(third.state(), ReconnectPlan::State::Different);
    }

    void stopWhileWaiting()
    {
        Script s;
        ReconnectPlan plan(target("B"));
        s.onWait = [&] {
            if (s.waits == 3)
                plan.requestStop();
        };
        runBlocking(plan, s.line());
        QCOMPARE(plan.state(), ReconnectPlan::State::Stopped);
        QCOMPARE(plan.tries(), 2);
        QCOMPARE(s.trace.last(), QStringLiteral("wait 250"));
    }

    // The monitor's cycle: identification, then one row per period.
    void liveCycle_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("select and identify first")
            << true << QStringList{"r0", "r4"}
            << QStringList{"sc 3", "rt", "rh", "rx", "r0", "r4", "wait 100", "r0", "r4", "wait 100", "r0", "r4"};
        QTest::newRow("already selected") << false << QStringList{"ri", "rf"}
                                          << QStringList{"rt", "rh", "rx", "ri", "rf", "wait 100", "ri", "rf", "wait 100", "ri", "rf"};
    }
    void liveCycle()
    {
        QFETCH(bool, select);
        QFETCH(QStringList, requests);
        QFETCH(QStringList, trace);
        LiveChoice c;
        c.unit = 3;
        c.select = select;
        c.requests = requests;
        c.periodMs = 100;
        c.rows = 3;
        LivePlan plan(c);
        Script s;
        s.reply = [](const QString& r) -> std::optional<Exchange> {
            if (r == u"rf")
                return answer("rf \r\n");
            return std::nullopt;
        };
        QList<QList<std::optional<qint32>>> rows;
        runBlocking(plan, s.line(), [&](const Plan&) {
            if (plan.rowReady())
                rows << plan.row();
        });
        QCOMPARE(plan.state(), LivePlan::State::Done);
        QCOMPARE(s.trace, trace);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(plan.done(), 3);
        QCOMPARE(plan.identity().type, std::optional<QString>("VX50 A"));
        // An error number with no error is -1.
        const QList<std::optional<qint32>> expected = requests.contains("rf") ? QList<std::optional<qint32>>{12, -1}
                                                                              : QList<std::optional<qint32>>{12, 12};
        QCOMPARE(rows.last(), expected);
        if (requests.contains("ri"))
            QCOMPARE(s.limitOfRi, int(cmd::IoReplyLimit));
    }

    // What a reply gives as a live value.
    void liveValues_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("value");
        QTest::newRow("position") << "r0" << QByteArray("r0 -1234\r\n") << int(cmd::ReplyLimit) << true << -1234;
        QTest::newRow("not a number") << "r0" << QByteArray("r0 12x\r\n") << int(cmd::ReplyLimit) << false << 0;
        QTest::newRow("another request's") << "r0" << QByteArray("r1 5\r\n") << int(cmd::ReplyLimit) << false << 0;
        QTest::newRow("input word") << "ri" << QByteArray("ri 5\r\n") << int(cmd::IoReplyLimit) << true << 5;
        QTest::newRow("input word too long") << "ri" << QByteArray("ri 1" + QByteArray(30, '0') + "\r\n")
                                             << int(cmd::IoReplyLimit) << false << 0;
        QTest::newRow("no error") << "rf" << QByteArray("rf -1\r\n") << int(cmd::ReplyLimit) << true << -1;
        QTest::newRow("error 12") << "rf" << QByteArray("rf 12\r\n") << int(cmd::ReplyLimit) << true << 12;
    }
    void liveValues()
    {
        QFETCH(QString, request);
        QFETCH(QByteArray, reply);
        QFETCH(int, limit);
        QFETCH(bool, readable);
        QFETCH(int, value);
        QCOMPARE(liveReplyLimit(request), limit);
        const std::optional<qint32> v = liveValue(request, Outcome::replied(request, reply, limit));
        QCOMPARE(v.has_value(), readable);
        if (readable)
            QCOMPARE(*v, value);
    }

    // A lost line mid-row: the reconnect, then the rows go on; another controller or
    // a silent value ends the cycle.
    void liveLoss_data()
    {
        QTest::addColumn<QString>("rx");   // after the reconnect
        QTest::addColumn<int>("silentAt"); // the n-th request that gets no reply (0: none)
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("same controller: rows go on")
            << "4711" << 0 << int(LivePlan::State::Done)
            << QStringList{"sc 0", "rt", "rh", "rx", "r0", "r4", "wait 50", "r0", "r4", "wait 250", "open P failed", "open B",
                           "sc 0", "rt", "rh", "rx", "r0", "r4", "wait 50", "r0", "r4"};
        QTest::newRow("another controller ends it")
            << "9999" << 0 << int(LivePlan::State::OtherController)
            << QStringList{"sc 0", "rt", "rh", "rx", "r0", "r4", "wait 50", "r0", "r4", "wait 250", "open P failed", "open B",
                           "sc 0", "rt", "rh", "rx"};
        QTest::newRow("a silent value ends it")
            << "4711" << 6 << int(LivePlan::State::Failed)
            << QStringList{"sc 0", "rt", "rh", "rx", "r0", "r4"};
    }
    void liveLoss()
    {
        QFETCH(QString, rx);
        QFETCH(int, silentAt);
        QFETCH(int, state);
        QFETCH(QStringList, trace);
        LiveChoice c;
        c.requests = {"r0", "r4"};
        c.periodMs = 50;
        c.rows = 3;
        c.device = target("B");
        LivePlan plan(c);
        Script s;
        s.present = {"B"};
        int sent = 0;
        bool unplugged = false;
        s.reply = [&](const QString& r) -> std::optional<Exchange> {
            if (++sent == silentAt)
                return failure(CommTimeout);
            if (r == u"r4" && sent == 8 && !silentAt) {
                unplugged = true;
                s.rx = rx;
                return failure(CommLineLost);
            }
            return std::nullopt;
        };
        int lostEvents = 0, resumedEvents = 0;
        runBlocking(plan, s.line(), [&](const Plan&) {
            lostEvents += plan.lost();
            resumedEvents += plan.resumed();
        });
        QCOMPARE(int(plan.state()), state);
        QCOMPARE(s.trace, trace);
        QCOMPARE(lostEvents, unplugged ? 1 : 0);
        QCOMPARE(resumedEvents, plan.state() == LivePlan::State::Done && unplugged ? 1 : 0);
        if (plan.state() == LivePlan::State::Failed) {
            QCOMPARE(plan.failedRequest(), QStringLiteral("r4"));
            QVERIFY(plan.failure().noReply());
        }
        if (plan.state() == LivePlan::State::OtherController)
            QCOMPARE(plan.reconnecting()->identity().ident3, std::optional<QString>("9999"));
    }

    void liveStopsAtTheEndOfARow()
    {
        LiveChoice c;
        c.requests = {"r0", "r1"};
        LivePlan plan(c);
        Script s;
        s.reply = [&](const QString& r) -> std::optional<Exchange> {
            if (r == u"r0")
                plan.requestStop();
            return std::nullopt;
        };
        runBlocking(plan, s.line());
        QCOMPARE(plan.state(), LivePlan::State::Stopped);
        QCOMPARE(s.trace, (QStringList{"sc 0", "rt", "rh", "rx", "r0", "r1"}));
    }
};

QTEST_APPLESS_MAIN(TestReconnectPlan)
#include "tst_reconnectplan.moc"
