// The select plan as vx5x runs it: every reply checked, and a select on its own; a
// lost or (checked) unusable reply is asked again like any other request.
#include "plans/BlockingRunner.h"
#include "plans/LiveSelect.h"

#include <QtTest>

using namespace vx;
using namespace vx::plans;

class TestSelectPlan : public QObject {
    Q_OBJECT
private slots:
    void checkedReplies_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("selectOnly");
        QTest::addColumn<QByteArray>("badReplyTo"); // the request whose reply is garbled or lost
        QTest::addColumn<QString>("fault");         // "garbled" or "lost"
        QTest::addColumn<int>("times");             // how often; 0: always
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("failedRequest");
        const QStringList all{"sc 3", "rt", "rh", "rx"};
        const int identified = int(SelectPlan::State::Identified);
        const int selectFailed = int(SelectPlan::State::SelectFailed);
        const int identFailed = int(SelectPlan::State::IdentFailed);
        const QStringList sc3{"sc 3", "sc 3", "sc 3"};
        QTest::newRow("windows: any select reply goes on") << true << false << false << QByteArray("sc") << "garbled" << 0 << all << identified << "";
        QTest::newRow("windows: bad rt is unreadable") << true << false << false << QByteArray("rt") << "garbled" << 0 << all << identified << "";
        QTest::newRow("windows: sc lost once") << true << false << false << QByteArray("sc") << "lost" << 1 << QStringList{"sc 3"} + all << identified << "";
        QTest::newRow("windows: sc lost three times") << true << false << false << QByteArray("sc") << "lost" << 0 << sc3 << selectFailed << "sc 3";
        QTest::newRow("windows: rh lost twice") << true << false << false << QByteArray("rh") << "lost" << 2 << QStringList{"sc 3", "rt", "rh", "rh", "rh", "rx"} << identified << "";
        QTest::newRow("checked: bad echo, three tries") << true << true << false << QByteArray("sc") << "garbled" << 0 << sc3 << selectFailed << "sc 3";
        QTest::newRow("checked: bad echo twice") << true << true << false << QByteArray("sc") << "garbled" << 2 << sc3 + all.mid(1) << identified << "";
        QTest::newRow("checked: sc lost twice") << true << true << true << QByteArray("sc") << "lost" << 2 << sc3 << identified << "";
        QTest::newRow("checked: bad rh stops") << true << true << false << QByteArray("rh") << "garbled" << 0 << QStringList{"sc 3", "rt", "rh", "rh", "rh"} << identFailed << "rh";
        QTest::newRow("select only") << true << true << true << QByteArray() << "" << 0 << QStringList{"sc 3"} << identified << "";
        QTest::newRow("identify only") << false << true << false << QByteArray() << "" << 0 << QStringList{"rt", "rh", "rx"} << identified << "";
        QTest::newRow("identify only, bad rx") << false << true << false << QByteArray("rx") << "garbled" << 0 << QStringList{"rt", "rh", "rx", "rx", "rx"} << identFailed << "rx";
        QTest::newRow("checked: er 3 is an answer") << true << true << false << QByteArray("rt") << "er" << 0 << QStringList{"sc 3", "rt"} << identFailed << "rt";
    }
    void checkedReplies()
    {
        QFETCH(bool, select);
        QFETCH(bool, checked);
        QFETCH(bool, selectOnly);
        QFETCH(QByteArray, badReplyTo);
        QFETCH(QString, fault);
        QFETCH(int, times);
        QFETCH(QStringList, sent);
        QFETCH(int, state);
        QFETCH(QString, failedRequest);
        SelectPlan plan(3, select);
        if (checked)
            plan.checkEveryReply();
        if (selectOnly)
            plan.selectOnly();
        QStringList trace;
        int faults = 0;
        int settleWrong = 0;
        bool troubled = false;
        BlockingLine line;
        line.send = [&](const Request& r) {
            trace << r.text;
            // The runner lets the line settle before each request that follows trouble.
            settleWrong += r.settle != troubled;
            Exchange x;
            const QByteArray text = r.text.toLatin1();
            const bool bad = !badReplyTo.isEmpty() && text.startsWith(badReplyTo) && (times == 0 || faults < times);
            faults += bad;
            if (bad && fault == "lost")
                x.error.Code = CommTimeout;
            else if (bad)
                x.reply = fault == "er" ? QByteArray("er 3\r\n") : QByteArray("zz 9\r\n");
            else
                x.reply = text.startsWith("sc") ? text + "\r\n" : text + " VX50\r\n";
            troubled = bad;
            return x;
        };
        runBlocking(plan, line);
        QCOMPARE(trace, sent);
        QCOMPARE(settleWrong, 0);
        QCOMPARE(int(plan.state()), state);
        if (!failedRequest.isEmpty())
            QCOMPARE(plan.failedRequest(), failedRequest);
    }
};

QTEST_GUILESS_MAIN(TestSelectPlan)
#include "tst_selectplan.moc"
