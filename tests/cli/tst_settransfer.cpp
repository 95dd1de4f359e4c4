// vx5x's whole-set sequences (the transfer plans through the blocking runner) against
// a scripted line: repeats, refusals and stops end where the transfer windows end, and
// say what was in flight.
#include "plans/BlockingRunner.h"
#include "plans/TransferPlans.h"

#include <QTest>
#include <deque>

using namespace vx;
using namespace vx::transfer;
using vx::plans::Exchange;

namespace {

// Answers every request as a controller would, except for the scripted replies:
// "timeout" (no reply), "line" (port failure) or a literal reply, taken in order by
// the request they are keyed on.
struct ScriptedLine {
    QMap<QString, std::deque<QString>> script;
    QStringList sent;

    Exchange operator()(const QString& request)
    {
        sent << request;
        Exchange x;
        auto it = script.find(request);
        if (it != script.end() && !it->empty()) {
            const QString r = it->front();
            it->pop_front();
            if (r == QLatin1String("timeout"))
                x.error.Code = CommTimeout;
            else if (r == QLatin1String("line"))
                x.error.Code = CommSystemError;
            else
                x.reply = r.toLatin1() + "\r\n";
            return x;
        }
        if (request.startsWith(QLatin1String("rp")) || request.startsWith(QLatin1String("rs")))
            x.reply = request.toLatin1() + ' ' + QByteArray::number(request.mid(3).toInt() * 10) + "\r\n";
        else if (request == QLatin1String("bp"))
            x.reply = "bp -1\r\n";
        else
            x.reply = request.toLatin1() + "\r\n";
        return x;
    }
};

} // namespace

class TestSetTransfer : public QObject {
    Q_OBJECT
private slots:
    void sequences_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("confirmed");
        QTest::addColumn<int>("requests");
        using O = Outcome;
        QTest::newRow("read whole") << false << "" << QStringList{} << int(O::Done) << -1 << 592 << 592;
        QTest::newRow("one lost reply repeats") << false << "rp 7" << QStringList{"timeout"} << int(O::Done) << -1 << 592 << 593;
        QTest::newRow("three lost replies stop") << false << "rp 7" << QStringList{"timeout", "timeout", "timeout"}
                                                 << int(O::NoReply) << 7 << 7 << 10;
        QTest::newRow("two lost replies, then one") << false << "rp 7" << QStringList{"timeout", "timeout"} << int(O::Done)
                                                    << -1 << 592 << 594;
        QTest::newRow("foreign echo tried three times") << false << "rs 3" << QStringList{"rs 4 30", "rs 4 30", "rs 4 30"}
                                                        << int(O::BadReply) << 3 << 514 << 517;
        QTest::newRow("line failure stops at once") << false << "rp 0" << QStringList{"line"} << int(O::LineFailed) << 0 << 0 << 1;
        QTest::newRow("write whole then bp") << true << "" << QStringList{} << int(O::Done) << -1 << 592 << 593;
        QTest::newRow("er 7 names the value") << true << "wp 100 1000" << QStringList{"er 7"} << int(O::Refused) << 100 << 100
                                              << 101;
        QTest::newRow("er 7 at a setpoint") << true << "ws 5 50" << QStringList{"er 7"} << int(O::Refused) << 5 << 516 << 517;
        QTest::newRow("bp refusal") << true << "bp" << QStringList{"bp 17"} << int(O::Refused) << -1 << 592 << 593;
        QTest::newRow("bp foreign reply repeats") << true << "bp" << QStringList{"rp 1 10"} << int(O::Done) << -1 << 592 << 594;
    }
    void sequences()
    {
        QFETCH(bool, write);
        QFETCH(QString, request);
        QFETCH(QStringList, replies);
        ScriptedLine line;
        if (!request.isEmpty())
            line.script[request] = std::deque<QString>(replies.begin(), replies.end());
        TParWaarden par;
        TSollWaarden soll;
        for (int n = 0; n <= 511; ++n)
            par[n] = n * 10;
        for (int n = 1; n <= 80; ++n)
            soll[n] = n * 10;
        plans::BlockingLine fn;
        fn.send = [&](const plans::Request& r) { return line(r.text); };
        TParWaarden readPar;
        TSollWaarden readSoll;
        plans::SetWritePlan writing({}, par, soll, true);
        plans::SetReadPlan reading({}, readPar, readSoll);
        plans::SetPlan& plan = write ? static_cast<plans::SetPlan&>(writing) : reading;
        plans::runBlocking(plan, fn);
        const Result r = plan.result();
        QTEST(int(r.outcome), "outcome");
        if (r.outcome != Outcome::Done && r.item != Item::Compute)
            QTEST(r.number, "number");
        QTEST(r.confirmed, "confirmed");
        QTEST(int(line.sent.size()), "requests");
        if (!write && r.ok()) {
            QVERIFY(readPar == par);
            QVERIFY(readSoll == soll);
        }
        if (QByteArray(QTest::currentDataTag()) == "bp refusal")
            QCOMPARE(r.detail, QStringLiteral("17"));
    }

    void stopsBeforeTheNextRequest()
    {
        ScriptedLine line;
        plans::BlockingLine fn;
        fn.send = [&](const plans::Request& r) { return line(r.text); };
        fn.interrupted = [&] { return line.sent.size() >= 40; };
        TParWaarden par;
        TSollWaarden soll;
        plans::SetWritePlan plan({true, false}, par, soll, true);
        plans::runBlocking(plan, fn);
        const Result r = plan.result();
        QCOMPARE(int(r.outcome), int(Outcome::Stopped));
        QCOMPARE(r.number, 40);
        QCOMPARE(r.confirmed, 40);
        QCOMPARE(line.sent.size(), 40);
        QVERIFY(!line.sent.contains(QStringLiteral("bp")));
    }
};

QTEST_GUILESS_MAIN(TestSetTransfer)
#include "tst_settransfer.moc"
