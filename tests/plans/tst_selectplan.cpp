// The select plan as vx5x runs it: every reply checked, and a select on its own.
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
        QTest::addColumn<QByteArray>("badReplyTo"); // the request whose reply is garbled
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("failedRequest");
        const QStringList all{"sc 3", "rt", "rh", "rx"};
        const int identified = int(SelectPlan::State::Identified);
        const int selectFailed = int(SelectPlan::State::SelectFailed);
        const int identFailed = int(SelectPlan::State::IdentFailed);
        QTest::newRow("windows: any select reply goes on") << true << false << false << QByteArray("sc") << all << identified << "";
        QTest::newRow("windows: bad rt is unreadable") << true << false << false << QByteArray("rt") << all << identified << "";
        QTest::newRow("checked: bad echo stops") << true << true << false << QByteArray("sc") << QStringList{"sc 3"} << selectFailed << "sc 3";
        QTest::newRow("checked: bad rh stops") << true << true << false << QByteArray("rh") << QStringList{"sc 3", "rt", "rh"} << identFailed << "rh";
        QTest::newRow("select only") << true << true << true << QByteArray() << QStringList{"sc 3"} << identified << "";
        QTest::newRow("identify only") << false << true << false << QByteArray() << QStringList{"rt", "rh", "rx"} << identified << "";
        QTest::newRow("identify only, bad rx") << false << true << false << QByteArray("rx") << QStringList{"rt", "rh", "rx"} << identFailed << "rx";
    }
    void checkedReplies()
    {
        QFETCH(bool, select);
        QFETCH(bool, checked);
        QFETCH(bool, selectOnly);
        QFETCH(QByteArray, badReplyTo);
        QFETCH(QStringList, sent);
        QFETCH(int, state);
        QFETCH(QString, failedRequest);
        SelectPlan plan(3, select);
        if (checked)
            plan.checkEveryReply();
        if (selectOnly)
            plan.selectOnly();
        QStringList trace;
        BlockingLine line;
        line.send = [&](const Request& r) {
            trace << r.text;
            Exchange x;
            const QByteArray text = r.text.toLatin1();
            x.reply = text.startsWith(badReplyTo) && !badReplyTo.isEmpty() ? QByteArray("zz 9\r\n")
                      : text.startsWith("sc")                              ? text + "\r\n"
                                                                           : text + " VX50\r\n";
            return x;
        };
        runBlocking(plan, line);
        QCOMPARE(trace, sent);
        QCOMPARE(int(plan.state()), state);
        if (!failedRequest.isEmpty())
            QCOMPARE(plan.failedRequest(), failedRequest);
    }
};

QTEST_GUILESS_MAIN(TestSelectPlan)
#include "tst_selectplan.moc"
