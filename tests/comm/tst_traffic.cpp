// The port's traffic capture and the traffic log on disk.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/TrafficBuffer.h"
#include "comm/TrafficLogFile.h"
#include "support/PtyPeer.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace vx;

namespace {

TrafficBuffer::Exchange exchangeFor(const std::string& request)
{
    TrafficBuffer::Exchange x;
    x.wall = std::chrono::system_clock::now();
    x.start = x.end = std::chrono::steady_clock::now();
    x.request = reinterpret_cast<const uint8_t*>(request.data());
    x.requestSize = request.size();
    return x;
}

QStringList logLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    if (!all.isEmpty() && !all.endsWith('\n'))
        return {QStringLiteral("PARTIAL")};
    return QString::fromUtf8(all).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestTraffic : public QObject {
    Q_OBJECT
private slots:
    void ringKeepsOrderAndLastNUnderConcurrency();
    void portCapturesEachExchange();
    void textForms_data();
    void textForms();
    void dailyLogRotatesWithWholeLines();
    void logCutsPartialLineAndPrunesOldDays();
};

void TestTraffic::ringKeepsOrderAndLastNUnderConcurrency()
{
    constexpr size_t capacity = 1000;
    constexpr int total = 20000;
    TrafficBuffer buffer(capacity);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < total; ++i)
            buffer.capture(exchangeFor(std::to_string(i)));
        done = true;
    });
    // The reader follows the writer: never a gap it could have read, never out of order.
    uint64_t next = 0;
    bool ordered = true;
    std::vector<TrafficRecord> got;
    while (!done || next < buffer.nextSeq()) {
        got.clear();
        const uint64_t first = buffer.firstSeq();
        buffer.read(next, 300, got);
        for (const TrafficRecord& r : got) {
            ordered = ordered && r.seq >= std::max(next, first) && r.request == std::to_string(r.seq);
            next = r.seq + 1;
        }
    }
    writer.join();
    QVERIFY(ordered);
    QCOMPARE(next, uint64_t(total));
    got.clear();
    QCOMPARE(buffer.read(0, capacity * 2, got), capacity);
    QCOMPARE(got.front().request, std::to_string(total - int(capacity)));
    QCOMPARE(got.back().request, std::to_string(total - 1));
}

void TestTraffic::portCapturesEachExchange()
{
    PtyPeer peer;
    QVERIFY(peer.ok());
    // Odd requests stay unanswered.
    peer.setResponder([](const QByteArray& request, int index) -> std::vector<PtyPeer::Chunk> {
        if (index % 2)
            return {};
        return {{2, request.trimmed() + " 7\r\n"}};
    });
    setPortDevicePath(1, peer.path());
    TSXComm port;
    port.Open();
    TPX400Protocol px;
    px.setObjectName(QStringLiteral("PX400Probe"));
    px.setSXComm(&port);
    px.setProtocolFoot(TSequenceChar::scCR);
    int done = 0;
    px.OnCommResult = [&](TSXProtocolComponent*, const QByteArray&) { ++done; };
    px.OnCommError = [&](TSXProtocolComponent*, const TCommError&, const QByteArray&) { ++done; };
    for (const char* text : {"rp 1", "rp 2"}) {
        const int before = done;
        px.setASCIIProtocol(QLatin1String(text));
        px.Send();
        QTRY_VERIFY_WITH_TIMEOUT(done > before, 3000);
    }
    QTRY_COMPARE(port.traffic().size(), size_t(2));
    std::vector<TrafficRecord> r;
    port.traffic().read(0, 10, r);
    QCOMPARE(port.traffic().sourceName(r[0].source), QStringLiteral("PX400Probe"));
    QCOMPARE(r[0].request, std::string("rp 1\r"));
    QCOMPARE(r[0].reply, std::string("rp 1 7\r\n"));
    QCOMPARE(r[0].outcome, TrafficOutcome::Ok);
    QCOMPARE(r[1].outcome, TrafficOutcome::Timeout);
    QVERIFY(r[1].durationUs >= 90000);
    QVERIFY(r[0].monoUs < r[1].monoUs && !r[0].cyclic);

    // The daily log gets the exchanges from when it is switched on, then a summary.
    QTemporaryDir dir;
    setTrafficLogging(true, &port, dir.path());
    px.setASCIIProtocol(QStringLiteral("rp 3"));
    px.Send();
    QTRY_COMPARE(port.traffic().size(), size_t(3));
    setTrafficLogController(QStringLiteral("VX50 SN 51000"));
    trafficLogSummary(QStringLiteral("backup"), QStringLiteral("/tmp/a.bak"), true);
    setTrafficLogging(false, &port, dir.path());
    const QStringList lines = logLines(dir.filePath(TrafficLogFile::fileName(QDate::currentDate(), 0)));
    QCOMPARE(lines.size(), 2);
    r.clear();
    port.traffic().read(2, 1, r);
    const QString expected = "\tPX400Probe\trp 3<CR>\trp 3 7<CR><LF>\t" + trafficDurationText(r[0].durationUs) + "\tok";
    QVERIFY2(lines[0].endsWith(expected), qPrintable(lines[0]));
    QVERIFY(lines[1].endsWith("\tbackup\t/tmp/a.bak\tVX50 SN 51000\tok"));
    port.Close();
    resetPortDevicePaths();
}

void TestTraffic::textForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::newRow("line") << QByteArray("rp 0 5\r\n") << "rp 0 5<CR><LF>"
                          << "72 70 20 30 20 35 0D 0A";
    QTest::newRow("control and high") << QByteArray("\x02\tA\xff", 4) << "<02><09>A<FF>"
                                      << "02 09 41 FF";
    QTest::newRow("empty") << QByteArray() << ""
                           << "";
}

void TestTraffic::textForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, hex);
    QCOMPARE(trafficText(bytes.toStdString()), text);
    QCOMPARE(trafficHex(bytes.toStdString()), hex);
}

void TestTraffic::dailyLogRotatesWithWholeLines()
{
    QTemporaryDir dir;
    const QDate day(2026, 12, 7);
    TrafficLogFile log(dir.path(), 100);
    QStringList all;
    for (int i = 0; i < 30; ++i) {
        all << QStringLiteral("line %1 ").arg(i, 2, 10, QLatin1Char('0')) + QString(20, u'x');
        if (i % 7 == 6) {
            QVERIFY(log.append(all.mid(i - 6, 7), day));
        }
    }
    QVERIFY(log.append(all.mid(28), day));
    QStringList read;
    int part = 0;
    for (; QFile::exists(dir.filePath(TrafficLogFile::fileName(day, part))); ++part) {
        const QString path = dir.filePath(TrafficLogFile::fileName(day, part));
        QVERIFY2(QFileInfo(path).size() <= 100, qPrintable(path));
        read += logLines(path);
    }
    QCOMPARE(part, 10); // three 30-byte lines a file
    QCOMPARE(read, all);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("vx5x-2026-12-07.9.log"))));
}

void TestTraffic::logCutsPartialLineAndPrunesOldDays()
{
    QTemporaryDir dir;
    const QDate day(2026, 12, 7);
    {
        QFile f(dir.filePath(TrafficLogFile::fileName(day, 0)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("whole\ncut sho");
    }
    for (int age : {31, 30, 2}) {
        QFile f(dir.filePath(TrafficLogFile::fileName(day.addDays(-age), 0)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    TrafficLogFile log(dir.path());
    QVERIFY(log.append({QStringLiteral("next")}, day));
    QCOMPARE(logLines(dir.filePath(TrafficLogFile::fileName(day, 0))), QStringList({"whole", "next"}));
    QVERIFY(!QFile::exists(dir.filePath(TrafficLogFile::fileName(day.addDays(-31), 0))));
    QVERIFY(QFile::exists(dir.filePath(TrafficLogFile::fileName(day.addDays(-30), 0))));
    QVERIFY(QFile::exists(dir.filePath(TrafficLogFile::fileName(day.addDays(-2), 0))));
}

QTEST_GUILESS_MAIN(TestTraffic)
#include "tst_traffic.moc"
