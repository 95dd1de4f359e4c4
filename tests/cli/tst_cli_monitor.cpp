// vx5x monitor against vx5x-sim whose adapter is pulled and plugged back in: the
// rows go on with the same controller, and stop with another one.
#include "CliRun.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QtTest>

namespace {

QList<QDateTime> rowTimes(const QByteArray& out)
{
    QList<QDateTime> times;
    for (const QByteArray& line : out.trimmed().split('\n').mid(1))
        times << QDateTime::fromString(QString::fromLatin1(line.split(',').value(0)), Qt::ISODateWithMs);
    return times;
}

int requestsOf(const QByteArray& log, const QString& request)
{
    static const QRegularExpression shown(QStringLiteral("  > (\\S[^<]*?)\\s*<"));
    int n = 0;
    for (const QByteArray& line : log.split('\n')) {
        const auto m = shown.match(QString::fromLatin1(line));
        n += m.hasMatch() && m.captured(1) == request;
    }
    return n;
}

} // namespace

class TestCliMonitor : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void rowsGoOnAfterARePlug()
    {
        const QString link = dir.filePath("adapter");
        SimProcess sim;
        QVERIFY(sim.start({"--link", link, "--fault", "unplug:after=50", "--replug-after", "1000"}));
        const CliResult r =
            runCli(onPty(link, 9600, {"monitor", "--count", "40", "--rate", "20", "--values", "r0,r1"}), dir.path(),
                   60000);
        QVERIFY2(r.code == 0, r.err.constData());
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 41);
        QCOMPARE(lines[0], QByteArray("time,r0,r1"));
        for (const QByteArray& line : lines.mid(1))
            QVERIFY2(QRegularExpression("^[^,]+,-?\\d+,-?\\d+$").match(QString::fromLatin1(line)).hasMatch(),
                     line.constData());
        QVERIFY2(r.err.contains("line lost on " + link.toLocal8Bit()), r.err.constData());
        // One long gap, the time the adapter was away; rows before and after it.
        const QList<QDateTime> times = rowTimes(r.out);
        int gapAt = -1;
        for (int i = 1; i < times.size(); ++i) {
            QVERIFY(times[i] > times[i - 1]);
            if (times[i - 1].msecsTo(times[i]) >= 900) {
                QCOMPARE(gapAt, -1);
                gapAt = i;
            }
        }
        QVERIFY2(gapAt > 10 && gapAt < 30, qPrintable(QString::number(gapAt)));
        // After the re-plug the unit was selected and identified again before the rows went on.
        const QByteArray log = sim.log();
        QCOMPARE(requestsOf(log, "sc 0"), 2);
        QCOMPARE(requestsOf(log, "rx"), 2);
    }

    void anotherControllerEndsTheRows()
    {
        const QString link = dir.filePath("other");
        SimProcess sim;
        QVERIFY(sim.start({"--link", link, "--fault", "unplug:after=30", "--replug-after", "500", "--replug-rx",
                           "OTHER-UNIT"}));
        const CliResult r = runCli(onPty(link, 9600, {"monitor", "--rate", "20", "--values", "r0"}), dir.path(), 60000);
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains("another controller answers") && r.err.contains("OTHER-UNIT"), r.err.constData());
        // Nothing but the identification went to the new controller.
        const QByteArray log = sim.log();
        QCOMPARE(requestsOf(log, "sc 0"), 2);
        const qsizetype second = log.lastIndexOf("> sc 0");
        QVERIFY(!log.mid(second).contains("> r0"));
    }

    // A lost or unusable reply costs its cell, never the rows; the end says how many.
    // Every "r1" is lost and every "r4" echoed wrongly, so no repeat can fill them.
    void lostRepliesLeaveEmptyCells()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--fault", "no-reply:cmd=r1", "--fault", "wrong-echo:cmd=r4"}));
        const CliResult r =
            runCli(onPty(sim.pty, 9600, {"monitor", "--count", "10", "--rate", "20", "--values", "r0,r1,r4"}),
                   dir.path(), 60000);
        QVERIFY2(r.code == 0, r.err.constData());
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 11);
        for (const QByteArray& line : lines.mid(1))
            QVERIFY2(QRegularExpression("^[^,]+,-?\\d+,,$").match(QString::fromLatin1(line)).hasMatch(), line.constData());
        QVERIFY2(r.err.contains("20 of 30 values lost or unusable"), r.err.constData());
    }

    // With --once a pulled adapter ends the rows instead of being waited for.
    void onceEndsAtALostLine()
    {
        const QString link = dir.filePath("once");
        SimProcess sim;
        QVERIFY(sim.start({"--link", link, "--fault", "unplug:after=12", "--replug-after", "500"}));
        const CliResult r =
            runCli(onPty(link, 9600, {"monitor", "--once", "--count", "50", "--rate", "20", "--values", "r0"}),
                   dir.path(), 60000);
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains("line lost on " + link.toLocal8Bit()), r.err.constData());
        QVERIFY(r.out.trimmed().split('\n').size() < 12);
    }
};

QTEST_GUILESS_MAIN(TestCliMonitor)
#include "tst_cli_monitor.moc"
