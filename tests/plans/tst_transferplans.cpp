// The transfer plans fed from a scripted controller, with no port and no thread: the
// order of requests, the repeats (three tries, each after the line settled), refusals,
// stops, and the phases of the guarded write and how it reports an unclean end.
#include "plans/BlockingRunner.h"
#include "plans/RowWritePlan.h"
#include "plans/SafeWritePlan.h"
#include "plans/TransferPlans.h"

#include <QTest>
#include <deque>

using namespace vx;
using namespace vx::plans;
using Ended = vx::transfer::Outcome;

namespace {

// A controller that keeps what is written, except for scripted replies keyed by
// request: "timeout", "line", "cut" (the right reply without its line end) or a
// literal reply, taken in order.
struct Controller {
    TParWaarden par;
    TSollWaarden soll;
    QMap<QString, std::deque<QString>> script;
    QSet<QString> ignored; // writes echoed but not kept
    QStringList sent;
    QList<bool> settled; // per request: the runner let the line settle first
    QList<int> waited;   // per request: its first-byte time-out
    QList<bool> silent;  // per request: it got no reply at all
    int stopAfter = -1;  // requests before the stop is asked
    bool downAfterLost = false;

    QByteArray answer(const QString& rq)
    {
        const QString head = rq.left(2);
        const int n = rq.section(u' ', 1, 1).toInt();
        const qint32 v = rq.section(u' ', 2, 2).toInt();
        if (head == "rp")
            return (rq + u' ' + QString::number(par[n])).toLatin1();
        if (head == "rs")
            return (rq + u' ' + QString::number(soll[n])).toLatin1();
        if (head == "wp" || head == "ws") {
            if (!ignored.contains(rq))
                (head == "wp" ? par[n] : soll[n]) = v;
            return rq.toLatin1();
        }
        if (rq == "bp")
            return "bp -1";
        if (rq == "rt")
            return "rt VX50 V2.04";
        if (rq == "rx")
            return "rx SN 4711";
        return "er 1";
    }

    Exchange exchange(const Request& r)
    {
        sent << r.text;
        settled << r.settle;
        waited << r.timeoutMs;
        Exchange x;
        auto it = script.find(r.text);
        if (it != script.end() && !it->empty()) {
            const QString s = it->front();
            it->pop_front();
            silent << (s == "timeout");
            if (s == "timeout")
                x.error.Code = CommTimeout;
            else if (s == "line")
                x.error.Code = CommSystemError;
            else if (s == "cut")
                x.reply = answer(r.text);
            else
                x.reply = s.toLatin1() + "\r\n";
            return x;
        }
        silent << false;
        x.reply = answer(r.text) + "\r\n";
        return x;
    }

    BlockingLine line()
    {
        BlockingLine l;
        l.send = [this](const Request& r) { return exchange(r); };
        l.interrupted = [this] { return stopAfter >= 0 && sent.size() >= stopAfter; };
        return l;
    }
};

QStringList numbered(const char* prefix, int first, int last, const std::function<qint32(int)>& value = {})
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QLatin1String(prefix) + QString::number(n) + (value ? u' ' + QString::number(value(n)) : QString());
    return out;
}

qint32 parValue(int n) { return n * 3 - 700; }
qint32 sollValue(int n) { return 1000 + n; }

struct Sets {
    TParWaarden par;
    TSollWaarden soll;
    Sets()
    {
        for (int n = 0; n <= 511; ++n)
            par[n] = parValue(n);
        for (int n = 1; n <= 80; ++n)
            soll[n] = sollValue(n);
    }
};

} // namespace

class TestTransferPlans : public QObject {
    Q_OBJECT
private slots:
    void requestOrder_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("parameters");
        QTest::addColumn<bool>("setpoints");
        QTest::addColumn<bool>("compute");
        QTest::addColumn<QStringList>("requests");
        const QStringList rp = numbered("rp ", 0, 511), rs = numbered("rs ", 1, 80);
        const QStringList wp = numbered("wp ", 0, 511, parValue), ws = numbered("ws ", 1, 80, sollValue);
        QTest::newRow("read parameters") << false << true << false << false << rp;
        QTest::newRow("read setpoints") << false << false << true << false << rs;
        QTest::newRow("read both") << false << true << true << false << rp + rs;
        QTest::newRow("write parameters, bp") << true << true << false << true << wp + QStringList{"bp"};
        QTest::newRow("write setpoints, no bp") << true << false << true << true << ws;
        QTest::newRow("write both, bp last") << true << true << true << true << wp + ws + QStringList{"bp"};
        QTest::newRow("write both, no compute") << true << true << true << false << wp + ws;
    }
    void requestOrder()
    {
        QFETCH(bool, write);
        QFETCH(bool, parameters);
        QFETCH(bool, setpoints);
        QFETCH(bool, compute);
        QFETCH(QStringList, requests);
        Controller c;
        const Sets mine;
        if (!write) {
            c.par = mine.par;
            c.soll = mine.soll;
        }
        TParWaarden par;
        TSollWaarden soll;
        std::unique_ptr<SetPlan> plan;
        if (write)
            plan = std::make_unique<SetWritePlan>(transfer::Sets{parameters, setpoints}, mine.par, mine.soll, compute);
        else
            plan = std::make_unique<SetReadPlan>(transfer::Sets{parameters, setpoints}, par, soll);
        runBlocking(*plan, c.line());
        QCOMPARE(c.sent, requests);
        QVERIFY(plan->result().ok());
        QCOMPARE(plan->result().confirmed, (parameters ? 512 : 0) + (setpoints ? 80 : 0));
        if (parameters)
            QVERIFY((write ? c.par : par) == mine.par);
        if (setpoints)
            QVERIFY((write ? c.soll : soll) == mine.soll);
    }

    // One request's fate under the rules; the request in flight is named.
    void rules_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("confirmed");
        QTest::addColumn<int>("sends"); // of the scripted request
        using I = transfer::Item;
        const QStringList lost{"timeout"}, lost2{"timeout", "timeout"}, lost3{"timeout", "timeout", "timeout"};
        const QStringList cut3{"cut", "cut", "cut"};
        QTest::newRow("lost once") << false << "rp 7" << lost << int(Ended::Done) << 0 << 0 << 592 << 2;
        QTest::newRow("lost twice") << false << "rp 7" << lost2 << int(Ended::Done) << 0 << 0 << 592 << 3;
        QTest::newRow("lost three times") << false << "rp 7" << lost3 << int(Ended::NoReply) << int(I::Parameter) << 7
                                          << 7 << 3;
        QTest::newRow("cut once") << false << "rs 3" << QStringList{"cut"} << int(Ended::Done) << 0 << 0 << 592 << 2;
        QTest::newRow("cut, then lost") << false << "rs 3" << QStringList{"cut", "timeout"} << int(Ended::Done) << 0 << 0
                                        << 592 << 3;
        QTest::newRow("cut three times") << false << "rs 3" << cut3 << int(Ended::BadReply) << int(I::Setpoint) << 3
                                         << 514 << 3;
        QTest::newRow("foreign echo three times") << false << "rs 3" << QStringList{"rs 4 30", "rs 4 30", "rs 4 30"}
                                                  << int(Ended::BadReply) << int(I::Setpoint) << 3 << 514 << 3;
        QTest::newRow("er 7 to a read repeats") << false << "rp 9" << QStringList{"er 7"} << int(Ended::Done) << 0 << 0
                                                << 592 << 2;
        QTest::newRow("line fails at once") << false << "rp 0" << QStringList{"line"} << int(Ended::LineFailed)
                                            << int(I::Parameter) << 0 << 0 << 1;
        QTest::newRow("lost, then line") << false << "rp 5" << QStringList{"timeout", "line"} << int(Ended::LineFailed)
                                         << int(I::Parameter) << 5 << 5 << 2;
        QTest::newRow("er 7 stops the write") << true << "wp 100 -400" << QStringList{"er 7"} << int(Ended::Refused)
                                              << int(I::Parameter) << 100 << 100 << 1;
        QTest::newRow("er 7 at a setpoint") << true << "ws 5 1005" << QStringList{"er 7"} << int(Ended::Refused)
                                            << int(I::Setpoint) << 5 << 516 << 1;
        QTest::newRow("er 70 is no refusal") << true << "wp 1 -697" << QStringList{"er 70", "er 70", "er 70"}
                                             << int(Ended::BadReply) << int(I::Parameter) << 1 << 1 << 3;
        QTest::newRow("bp refused") << true << "bp" << QStringList{"bp 17"} << int(Ended::Refused) << int(I::Compute)
                                    << -1 << 592 << 1;
        QTest::newRow("bp unreadable once") << true << "bp" << QStringList{"rp 1 10"} << int(Ended::Done) << 0 << 0 << 592
                                            << 2;
        QTest::newRow("bp unreadable three times") << true << "bp" << cut3 << int(Ended::BadReply) << int(I::Compute)
                                                   << -1 << 592 << 3;
        QTest::newRow("bp lost three times") << true << "bp" << lost3 << int(Ended::NoReply) << int(I::Compute) << -1
                                             << 592 << 3;
    }
    void rules()
    {
        QFETCH(bool, write);
        QFETCH(QString, request);
        QFETCH(QStringList, replies);
        QFETCH(int, outcome);
        QFETCH(int, sends);
        Controller c;
        const Sets mine;
        c.par = mine.par;
        c.soll = mine.soll;
        c.script[request] = std::deque<QString>(replies.begin(), replies.end());
        TParWaarden par;
        TSollWaarden soll;
        std::unique_ptr<SetPlan> plan;
        if (write)
            plan = std::make_unique<SetWritePlan>(transfer::Sets{}, mine.par, mine.soll, true);
        else
            plan = std::make_unique<SetReadPlan>(transfer::Sets{}, par, soll);
        runBlocking(*plan, c.line());
        const transfer::Result& r = plan->result();
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(int(c.sent.count(request)), sends);
        // Exactly the repeats wait for a quiet line first.
        // A repeat after no reply at all gives a slow controller longer.
        for (qsizetype i = 0; i < c.sent.size(); ++i) {
            QCOMPARE(c.settled[i], i > 0 && c.sent[i] == c.sent[i - 1]);
            if (i > 0 && c.silent[i - 1])
                QVERIFY(c.waited[i] >= SlowReplyMs);
        }
        QTEST(r.confirmed, "confirmed");
        if (r.ok())
            return;
        QTEST(int(r.item), "item");
        QTEST(r.number, "number");
        QCOMPARE(c.sent.constLast(), request); // nothing after the value that ended it
        if (r.outcome == Ended::NoReply || r.outcome == Ended::LineFailed)
            QVERIFY(!r.error.isZero());
        if (QByteArray(QTest::currentDataTag()) == "bp refused")
            QCOMPARE(r.detail, QStringLiteral("17"));
        if (r.outcome == Ended::BadReply) {
            QVERIFY(!r.reply.isEmpty());
            QVERIFY(!r.checked.ok());
        }
        // Garbage never reaches a buffer.
        if (!write && r.item == transfer::Item::Setpoint)
            QCOMPARE(soll[r.number], 0);
    }

    // A stop is taken between requests: the reply in flight counts, nothing more goes.
    void stop()
    {
        for (int after : {0, 40, 512}) {
            Controller c;
            c.stopAfter = after;
            const Sets mine;
            SetWritePlan plan({}, mine.par, mine.soll, true);
            runBlocking(plan, c.line());
            QCOMPARE(int(plan.result().outcome), int(Ended::Stopped));
            QCOMPARE(int(c.sent.size()), after);
            QCOMPARE(plan.result().confirmed, after);
            QCOMPARE(plan.result().number, after == 512 ? 1 : after);
        }
    }

    // Verder: from the value in flight, the earlier ones counted as confirmed.
    void resume()
    {
        Controller c;
        const Sets mine;
        SetWritePlan plan({}, mine.par, mine.soll, true);
        plan.resumeAt(transfer::Item::Setpoint, 5);
        runBlocking(plan, c.line());
        QCOMPARE(c.sent, numbered("ws ", 5, 80, sollValue) + QStringList{"bp"});
        QCOMPARE(plan.result().confirmed, 592);
        SetWritePlan onlyBp({}, mine.par, mine.soll, true);
        onlyBp.resumeAt(transfer::Item::Compute, -1);
        c.sent.clear();
        runBlocking(onlyBp, c.line());
        QCOMPARE(c.sent, QStringList{"bp"});
    }

    void singleValues_data()
    {
        QTest::addColumn<int>("job"); // 0 read parameter, 1 write setpoint, 2 bp
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("sends");
        QTest::newRow("read") << 0 << true << QStringList{} << int(Ended::Done) << 1;
        QTest::newRow("read lost once") << 0 << true << QStringList{"timeout"} << int(Ended::Done) << 2;
        QTest::newRow("read lost once, no repeats") << 0 << false << QStringList{"timeout"} << int(Ended::NoReply) << 1;
        QTest::newRow("write refused") << 1 << true << QStringList{"er 7"} << int(Ended::Refused) << 1;
        QTest::newRow("write cut, no repeats") << 1 << false << QStringList{"cut"} << int(Ended::BadReply) << 1;
        QTest::newRow("bp refused") << 2 << true << QStringList{"bp 203"} << int(Ended::Refused) << 1;
        QTest::newRow("bp unreadable, no repeats") << 2 << false << QStringList{"b"} << int(Ended::BadReply) << 1;
        QTest::newRow("bp line") << 2 << true << QStringList{"line"} << int(Ended::LineFailed) << 1;
    }
    void singleValues()
    {
        QFETCH(int, job);
        QFETCH(bool, repeat);
        QFETCH(QStringList, replies);
        QFETCH(int, outcome);
        const ValuePlan::Job jobs[] = {ValuePlan::readParameter(203), ValuePlan::writeSetpoint(7, -12),
                                       ValuePlan::compute()};
        const QString requests[] = {"rp 203", "ws 7 -12", "bp"};
        Controller c;
        c.par[203] = 3;
        c.script[requests[job]] = std::deque<QString>(replies.begin(), replies.end());
        ValuePlan plan(jobs[job], TransferRules{repeat});
        runBlocking(plan, c.line());
        QCOMPARE(int(plan.result().outcome), outcome);
        QTEST(int(c.sent.size()), "sends");
        QCOMPARE(c.sent.constFirst(), requests[job]);
        if (job == 0 && plan.result().ok())
            QCOMPARE(plan.value(), 3);
        if (job == 1 && plan.result().ok())
            QCOMPARE(c.soll[7], -12);
        if (job == 2 && plan.result().outcome == Ended::Refused)
            QCOMPARE(plan.result().detail, QStringLiteral("203"));
    }

    // A window that sees its port gone takes a lost reply as final.
    void lostWithTheLineDown()
    {
        ValuePlan plan(ValuePlan::readParameter(1));
        QCOMPARE(plan.start().request.text, QStringLiteral("rp 1"));
        plan.lineDown();
        QVERIFY(plan.next(Outcome::failure(CommTimeout)).isFinished());
        QCOMPARE(int(plan.result().outcome), int(Ended::NoReply));
    }

    // Backup, write, read-back: which phases run, where it ends, what it found.
    void guardedWrite_data()
    {
        QTest::addColumn<bool>("backup");
        QTest::addColumn<bool>("verify");
        QTest::addColumn<QString>("fault"); // request=reply, or "ignore:request", "nosave", "stop:N"
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("wrote");
        QTest::addColumn<bool>("verified");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QStringList>("stand"); // what the stand text names; empty: no text
        using P = SafeWritePlan::Phase;
        const int all = 2 + 592 + 593 + 592;
        const QStringList none;
        QTest::newRow("all three") << true << true << "" << int(P::ReadBack) << true << true << all << none;
        QTest::newRow("write only") << false << false << "" << int(P::Write) << true << false << 593 << none;
        QTest::newRow("identity lost") << true << true << "rx=timeout,timeout,timeout" << int(P::Identity) << false
                                       << false << 4 << none;
        QTest::newRow("identity refused") << true << true << "rt=er 3,er 3,er 3" << int(P::Identity) << false << false
                                          << 3 << none;
        QTest::newRow("backup read fails") << true << true << "rs 40=line" << int(P::Backup) << false << false
                                           << 2 + 512 + 40 << none;
        QTest::newRow("backup not saved") << true << true << "nosave" << int(P::Backup) << false << false << 594
                                          << none;
        QTest::newRow("er 7: no read-back") << true << true << "wp 3 -691=er 7" << int(P::Write) << true << false
                                            << 594 + 4 << none;
        QTest::newRow("bp refused: read back") << false << true << "bp=bp 12" << int(P::ReadBack) << true << true
                                               << 593 + 592 << none;
        QTest::newRow("ignored write found") << false << true << "ignore:wp 12 -664" << int(P::ReadBack) << true << true
                                             << 593 + 592 << none;
        // Every value went: the read-back runs although "bp" failed, and the end says both.
        QTest::newRow("bp lost: read back") << false << true << "bp=timeout,timeout,timeout" << int(P::ReadBack) << true
                                            << true << 595 + 592 << QStringList{"592", "'bp'"};
        QTest::newRow("bp unusable: read back") << false << true << "bp=rp 1,rp 1,rp 1" << int(P::ReadBack) << true
                                                << true << 595 + 592 << QStringList{"592", "'bp'"};
        QTest::newRow("bp line lost: no read-back") << false << true << "bp=line" << int(P::Write) << true << false
                                                    << 593 << QStringList{"592", "'bp'", "niet teruggelezen"};
        QTest::newRow("read-back lost") << false << true << "rs 80=timeout,timeout,timeout" << int(P::ReadBack) << true
                                        << false << 593 + 594 << QStringList{"592", "591 van 592"};
        QTest::newRow("line lost in the read-back") << false << true << "rp 100=line" << int(P::ReadBack) << true
                                                    << false << 593 + 101 << QStringList{"592", "100 van 592"};
        QTest::newRow("read-back lost, old value found") << false << true << "ignore:wp 12 -664,rp 300=line"
                                                         << int(P::ReadBack) << true << false << 593 + 301
                                                         << QStringList{"592", "299 van 592"};
        QTest::newRow("stop in the backup") << true << true << "stop:100" << int(P::Backup) << false << false << 100
                                            << none;
        QTest::newRow("stop before the identity") << true << true << "stop:0" << int(P::Identity) << false << false << 0
                                                  << none;
    }
    void guardedWrite()
    {
        QFETCH(bool, backup);
        QFETCH(bool, verify);
        QFETCH(QString, fault);
        QFETCH(int, phase);
        Controller c;
        const Sets mine;
        bool saveFails = false;
        if (fault.startsWith("ignore:")) {
            c.ignored << fault.mid(7).section(u',', 0, 0);
            fault = fault.section(u',', 1); // and a fault after it
        }
        if (fault == "nosave")
            saveFails = true;
        else if (fault.startsWith("stop:"))
            c.stopAfter = fault.mid(5).toInt();
        else if (!fault.isEmpty())
            for (const QString& r : fault.section(u'=', 1).split(u','))
                c.script[fault.section(u'=', 0, 0)].push_back(r);
        for (int n = 0; n <= 511; ++n)
            c.par[n] = n; // what the backup must hold
        int saves = 0;
        safety::Identity saved;
        TParWaarden savedPar;
        SafeWritePlan::Job job;
        job.values.hasParameters = job.values.hasSetpoints = true;
        job.values.par = mine.par;
        job.values.soll = mine.soll;
        job.backup = backup;
        job.verify = verify;
        job.writeAll = true; // the phases of the full write; the differences have their own test
        job.save = [&](const safety::Identity& id, const TParWaarden& par, const TSollWaarden&) {
            ++saves;
            saved = id;
            savedPar = par;
            safety::Taken t;
            if (saveFails)
                t.error = "disk full";
            else
                t.path = "/backups/x.bak";
            return t;
        };
        SafeWritePlan plan(std::move(job));
        runBlocking(plan, c.line());
        QCOMPARE(int(plan.phase()), phase);
        QTEST(plan.wrote(), "wrote");
        QTEST(plan.verified(), "verified");
        QTEST(int(c.sent.size()), "requests");
        const bool backupRead = plan.safety().read.ok() && backup;
        QCOMPARE(saves, backupRead ? 1 : 0);
        if (backupRead) {
            QCOMPARE(saved.type, QStringLiteral("VX50"));
            QCOMPARE(saved.rx, QStringLiteral("SN 4711"));
            QCOMPARE(savedPar[300], 300);
            QCOMPARE(c.sent.mid(0, 3), QStringList({"rt", "rx", "rp 0"}));
        }
        if (!plan.wrote()) {
            QVERIFY(!c.sent.join(u'|').contains("wp "));
            QVERIFY(!plan.safety().ok());
        }
        if (plan.verified()) {
            const bool ignored = !c.ignored.isEmpty();
            QCOMPARE(plan.verifyResult().ok(), !ignored);
            if (ignored) {
                QCOMPARE(plan.verifyResult().mismatches.size(), 1);
                QCOMPARE(plan.verifyResult().mismatches[0].number, 12);
            }
        }
        if (QByteArray(QTest::currentDataTag()) == "identity lost")
            QCOMPARE(plan.safety().failedRequest, QStringLiteral("rx"));
        // The end in words (the built-in texts are Dutch): how far the write and
        // the read-back came; a partial read-back still names what differs.
        QFETCH(QStringList, stand);
        const QString text = plan.standText();
        QCOMPARE(text.isEmpty(), stand.isEmpty());
        for (const QString& part : stand)
            QVERIFY2(text.contains(part), qPrintable(text));
        if (!plan.verified() && plan.readBackRan() && !c.ignored.isEmpty()) {
            QCOMPARE(plan.verifyResult().mismatches.size(), 1);
            QCOMPARE(plan.verifyResult().mismatches[0].number, 12);
        }
    }

    // After the backup only the values that differ from it go out, in the set order;
    // "bp" after a written parameter, or always for a restore; then every value is
    // read back. "pN"/"sN": a value the controller holds apart from the file.
    void differingValues_data()
    {
        QTest::addColumn<bool>("writeAll");
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("setpointsToo");
        QTest::addColumn<QStringList>("changed");
        QTest::addColumn<QString>("fault");      // request=reply
        QTest::addColumn<QStringList>("writes"); // "wp"/"ws" as changed, then "bp" when given
        QTest::addColumn<int>("confirmed");
        const QStringList ten{"p0", "p7", "p100", "p203", "p300", "p301", "p511", "s1", "s40", "s80"};
        const QStringList bp{"bp"}, none;
        QTest::newRow("ten differ, restore") << false << true << true << ten << "" << ten + bp << 10;
        QTest::newRow("ten differ, every value") << true << true << true << ten << "" << QStringList{"all", "bp"}
                                                 << 592;
        QTest::newRow("none differ, restore: bp alone") << false << true << true << none << "" << bp << 0;
        QTest::newRow("none differ, send: nothing") << false << false << false << none << "" << none << 0;
        QTest::newRow("a setpoint differs: no bp") << false << false << true << QStringList{"s5"} << ""
                                                   << QStringList{"s5"} << 1;
        QTest::newRow("a parameter differs: bp") << false << false << false << QStringList{"p9"} << ""
                                                 << QStringList{"p9", "bp"} << 1;
        QTest::newRow("er 7 at a differing value") << false << true << true << QStringList{"p7", "p100", "s2"}
                                                   << "wp 100 -400=er 7" << QStringList{"p7", "p100"} << 1;
    }
    void differingValues()
    {
        QFETCH(bool, writeAll);
        QFETCH(bool, restore);
        QFETCH(bool, setpointsToo);
        QFETCH(QStringList, changed);
        QFETCH(QString, fault);
        QFETCH(QStringList, writes);
        QFETCH(int, confirmed);
        Controller c;
        const Sets mine;
        c.par = mine.par;
        c.soll = mine.soll;
        for (const QString& v : changed)
            (v[0] == u'p' ? c.par[v.mid(1).toInt()] : c.soll[v.mid(1).toInt()]) += 5;
        if (!fault.isEmpty())
            c.script[fault.section(u'=', 0, 0)].push_back(fault.section(u'=', 1));
        SafeWritePlan::Job job;
        job.values.hasParameters = true;
        job.values.hasSetpoints = setpointsToo;
        job.values.par = mine.par;
        job.values.soll = mine.soll;
        job.writeAll = writeAll;
        job.computeAlways = restore;
        job.save = [](const safety::Identity&, const TParWaarden&, const TSollWaarden&) {
            safety::Taken t;
            t.path = "/backups/x.bak";
            return t;
        };
        SafeWritePlan plan(std::move(job));
        runBlocking(plan, c.line());

        QStringList expected;
        for (const QString& w : writes) {
            const int n = w.mid(1).toInt();
            if (w == "all")
                expected << numbered("wp ", 0, 511, parValue) + (setpointsToo ? numbered("ws ", 1, 80, sollValue) : QStringList());
            else if (w[0] == u'p')
                expected << QStringLiteral("wp %1 %2").arg(n).arg(parValue(n));
            else if (w[0] == u's')
                expected << QStringLiteral("ws %1 %2").arg(n).arg(sollValue(n));
            else
                expected << w;
        }
        const QStringList backupRead = QStringList{"rt", "rx"} + numbered("rp ", 0, 511) + numbered("rs ", 1, 80);
        const QStringList readBack = numbered("rp ", 0, 511) + (setpointsToo ? numbered("rs ", 1, 80) : QStringList());
        QCOMPARE(c.sent.mid(0, backupRead.size()), backupRead);
        QCOMPARE(c.sent.mid(backupRead.size(), expected.size()), expected);
        QCOMPARE(plan.write().confirmed, confirmed);
        const int values = 512 + (setpointsToo ? 80 : 0);
        QCOMPARE(plan.selective(), !writeAll);
        QCOMPARE(plan.skipped(), writeAll ? 0 : values - int(changed.size()));
        if (!fault.isEmpty()) {
            // A refused value ends the write; nothing is read back.
            QCOMPARE(int(plan.write().outcome), int(Ended::Refused));
            QCOMPARE(c.sent.size(), backupRead.size() + expected.size());
            QVERIFY(!plan.readBackRan());
            return;
        }
        QCOMPARE(plan.writeTotal(), writeAll ? values : int(changed.size()));
        QCOMPARE(c.sent.mid(backupRead.size() + expected.size()), readBack);
        QVERIFY(plan.verified());
        QVERIFY(plan.verifyResult().ok());
        QCOMPARE(plan.verifyResult().total, values);
        QVERIFY(c.par == mine.par);
        if (setpointsToo)
            QVERIFY(c.soll == mine.soll);
    }

    // Continue after a lost line goes on with the same differing values from the one
    // in flight (or the next one after a value not among them), no backup again.
    void resumeDiffering_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<int>("doneAtStart");
        using I = transfer::Item;
        QTest::newRow("at the value in flight") << int(I::Parameter) << 100 << QStringList{"wp 100 -400", "ws 2 1002", "bp"}
                                                << 1;
        QTest::newRow("between two values") << int(I::Parameter) << 200 << QStringList{"ws 2 1002", "bp"} << 2;
        QTest::newRow("at bp") << int(I::Compute) << -1 << QStringList{"bp"} << 3;
    }
    void resumeDiffering()
    {
        QFETCH(int, item);
        QFETCH(int, number);
        QFETCH(QStringList, writes);
        QFETCH(int, doneAtStart);
        Controller c;
        const Sets mine;
        const auto resumed = [&] {
            SafeWritePlan::Job job;
            job.values.hasParameters = job.values.hasSetpoints = true;
            job.values.par = mine.par;
            job.values.soll = mine.soll;
            job.backup = job.verify = false;
            job.only = ValueRefs{{Item::Parameter, 7}, {Item::Parameter, 100}, {Item::Setpoint, 2}};
            auto plan = std::make_unique<SafeWritePlan>(std::move(job));
            plan->resumeWriteAt(Item(item), number);
            return plan;
        };
        const auto first = resumed();
        first->start();
        QCOMPARE(first->done(), doneAtStart);
        QCOMPARE(first->total(), 3);
        const auto again = resumed();
        runBlocking(*again, c.line());
        QCOMPARE(c.sent, writes);
        QVERIFY(again->write().ok());
        QCOMPARE(again->write().confirmed, 3);
    }

    // The compare window's ticked rows: each one written, "bp" after a parameter, the
    // rows not refused read back; a failed line leaves the rest unsent.
    void rowWrites_data()
    {
        QTest::addColumn<bool>("setpointsOnly");
        QTest::addColumn<bool>("verify");
        QTest::addColumn<QString>("fault"); // request=reply,...
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QList<int>>("outcomes");
        QTest::addColumn<int>("readBack"); // outcome of the read-back, -1: none ran
        const QStringList writes{"wp 4 40", "ws 2 20", "wp 9 90"};
        const QStringList reads{"rp 4", "rs 2", "rp 9"};
        const int ok = int(Ended::Done);
        QTest::newRow("all") << false << true << "" << writes + QStringList{"bp"} + reads
                             << QList<int>{ok, ok, ok} << ok;
        QTest::newRow("no read-back") << false << false << "" << writes + QStringList{"bp"} << QList<int>{ok, ok, ok}
                                      << -1;
        QTest::newRow("refused row not read") << false << true << "ws 2 20=er 7"
                                              << writes + QStringList{"bp", "rp 4", "rp 9"}
                                              << QList<int>{ok, int(Ended::Refused), ok} << ok;
        QTest::newRow("line lost: rest unsent") << false << true << "wp 4 40=line" << QStringList{"wp 4 40"}
                                                << QList<int>{3, 3, 3} << -1;
        QTest::newRow("bp lost: rows read back") << false << true << "bp=timeout,timeout,timeout"
                                                 << writes + QStringList{"bp", "bp", "bp"} + reads
                                                 << QList<int>{ok, ok, ok} << ok;
        QTest::newRow("bp line lost: no read-back") << false << true << "bp=line" << writes + QStringList{"bp"}
                                                    << QList<int>{ok, ok, ok} << -1;
        QTest::newRow("setpoints: no bp") << true << true << "" << QStringList{"ws 2 20", "rs 2"} << QList<int>{ok}
                                          << ok;
        QTest::newRow("read-back lost") << false << true << "rs 2=timeout,timeout,timeout"
                                        << writes + QStringList{"bp", "rp 4", "rs 2", "rs 2", "rs 2"}
                                        << QList<int>{ok, ok, ok} << int(Ended::NoReply);
    }
    void rowWrites()
    {
        QFETCH(bool, setpointsOnly);
        QFETCH(bool, verify);
        QFETCH(QString, fault);
        QFETCH(QList<int>, outcomes);
        QFETCH(int, readBack);
        Controller c;
        if (!fault.isEmpty())
            for (const QString& r : fault.section(u'=', 1).split(u','))
                c.script[fault.section(u'=', 0, 0)].push_back(r);
        QList<RowWritePlan::Row> rows;
        if (!setpointsOnly)
            rows.append({false, 4, 40});
        rows.append({true, 2, 20});
        if (!setpointsOnly)
            rows.append({false, 9, 90});
        RowWritePlan plan(rows, verify);
        runBlocking(plan, c.line());
        QTEST(c.sent, "requests");
        QCOMPARE(int(plan.written().size()), int(outcomes.size()));
        for (qsizetype i = 0; i < outcomes.size(); ++i)
            QCOMPARE(int(plan.written()[i].outcome), outcomes[i]);
        QCOMPARE(plan.readBackRan(), readBack >= 0);
        if (readBack >= 0)
            QCOMPARE(int(plan.readBack().outcome), readBack);
        if (readBack == int(Ended::Done))
            for (qsizetype i = 0; i < rows.size(); ++i)
                if (plan.written()[i].ok())
                    QCOMPARE(plan.readValues()[i].value_or(-1), rows[i].value);
    }
};

QTEST_GUILESS_MAIN(TestTransferPlans)
#include "tst_transferplans.moc"
