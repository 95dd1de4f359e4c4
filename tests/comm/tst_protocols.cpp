// What the three protocols put on the line and how they take replies apart, against
// a scripted device on a pseudo-terminal.
#include "comm/PX400Protocol.h"
#include "comm/SSBProtocol.h"
#include "comm/SX2Protocol.h"
#include "support/PtyPeer.h"

#include <QtTest>
#include <memory>

using namespace vx;

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(static_cast<char>(v));
    return b;
}

struct Outcome {
    int results = 0;
    int errors = 0;
    QByteArray stream;
    TCommError err;
};

void record(TSXProtocolComponent* px, Outcome& o)
{
    px->OnCommResult = [&o](TSXProtocolComponent*, const QByteArray& r) {
        ++o.results;
        o.stream = r;
    };
    px->OnCommError = [&o](TSXProtocolComponent*, const TCommError& e, const QByteArray& r) {
        ++o.errors;
        o.err = e;
        o.stream = r;
    };
}

void fill(TSXProtocolComponent* px, const QByteArray& data)
{
    px->setFrameByte(0, static_cast<uint8_t>(data.size() + 1));
    for (int i = 0; i < data.size(); ++i)
        px->setFrameByte(i + 1, static_cast<uint8_t>(data[i]));
}

} // namespace

class TestProtocols : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<TSXComm> port;

private slots:
    void init()
    {
        peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->ok());
        setPortDevicePath(1, peer->path());
        port = std::make_unique<TSXComm>();
        port->Open();
    }
    void cleanup()
    {
        port.reset();
        peer.reset();
        resetPortDevicePaths();
    }

    void requestFrame_data();
    void requestFrame();
    void emptyRequestStillWaitsForReply();
    void startCharacter_data();
    void startCharacter();
    void stopCharacter_data();
    void stopCharacter();
    void sx2_data();
    void sx2();
    void ssb_data();
    void ssb();
    void errorTexts_data();
    void errorTexts();
};

void TestProtocols::requestFrame_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("head");
    QTest::addColumn<int>("foot");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("blanks trimmed") << "  rt " << 0 << 13 << QByteArray("rt\r") << "rt";
    QTest::newRow("control chars trimmed") << "\t\rrp 0\n"
                                           << 0 << 13 << QByteArray("rp 0\r") << "rp 0";
    QTest::newRow("empty sends CR") << "" << 0 << 13 << QByteArray("\r") << "";
    QTest::newRow("head and foot") << "ab" << 2 << 3 << QByteArray("\x02"
                                                                   "ab\x03")
                                   << "ab";
    // Longer than the frame holds: cut so head, text and foot make 254 bytes.
    QTest::newRow("too long") << QString(300, 'x') << 2 << 13
                              << QByteArray("\x02") + QByteArray(252, 'x') + "\r" << QString(300, 'x');
}

void TestProtocols::requestFrame()
{
    QFETCH(QString, text);
    QFETCH(int, head);
    QFETCH(int, foot);
    QFETCH(QByteArray, wire);
    QFETCH(QString, trimmed);
    peer->answerAlways("ok\r");
    TPX400Protocol px;
    px.setSXComm(port.get());
    px.setProtocolHead(static_cast<TSequenceChar>(head));
    px.setProtocolFoot(static_cast<TSequenceChar>(foot));
    Outcome o;
    record(&px, o);
    px.setASCIIProtocol(text);
    px.Send();
    QCOMPARE(px.ASCIIProtocol(), trimmed);
    QTRY_COMPARE_WITH_TIMEOUT(o.results, 1, 3000);
    QCOMPARE(peer->requests().at(0), wire);
    QCOMPARE(o.stream, QByteArray("ok\r"));
}

void TestProtocols::emptyRequestStillWaitsForReply()
{
    TPX400Protocol px;
    px.setSXComm(port.get());
    px.setTimeoutTime(1500);
    Outcome o;
    record(&px, o);
    px.Send();
    QTest::qWait(150);
    QCOMPARE(peer->requestCount(), 0);
    peer->send("hello");
    QTRY_COMPARE_WITH_TIMEOUT(o.results, 1, 3000);
    QCOMPARE(o.stream, QByteArray("hello"));
}

void TestProtocols::startCharacter_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("attempts");
    QTest::newRow("filtered") << QByteArray("\x02"
                                            "abc")
                              << true << QByteArray("abc") << 0 << 1;
    QTest::newRow("kept") << QByteArray("\x02"
                                        "abc")
                          << false << QByteArray("\x02"
                                                 "abc")
                          << 0 << 1;
    QTest::newRow("wrong start") << QByteArray("Xabc") << true << QByteArray() << int(CommStartChar) << 3;
}

void TestProtocols::startCharacter()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, filtered);
    QFETCH(QByteArray, stream);
    QFETCH(int, code);
    QFETCH(int, attempts);
    peer->answerAlways(reply);
    TPX400Protocol px;
    px.setSXComm(port.get());
    px.setProtocolFoot(TSequenceChar::scCR);
    px.setReceiveStart(TSequenceChar::scSTX);
    px.setFiltered(filtered);
    Outcome o;
    record(&px, o);
    px.setASCIIProtocol("q");
    px.Send();
    QTRY_COMPARE_WITH_TIMEOUT(o.results + o.errors, 1, 3000);
    QTest::qWait(100);
    QCOMPARE(o.results + o.errors, 1);
    QCOMPARE(int(o.err.Code), code);
    QCOMPARE(o.stream, stream);
    QCOMPARE(peer->requestCount(), attempts);
}

void TestProtocols::stopCharacter_data()
{
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("kept") << false << QByteArray("ab\r");
    QTest::newRow("filtered") << true << QByteArray("ab");
}

void TestProtocols::stopCharacter()
{
    QFETCH(bool, filtered);
    QFETCH(QByteArray, stream);
    // The device keeps talking after the CR; the reply still ends there.
    peer->setResponder([](const QByteArray&, int) {
        return std::vector<PtyPeer::Chunk>{{5, "ab\r"}, {10, "cd"}, {10, "ef"}};
    });
    TPX400Protocol px;
    px.setSXComm(port.get());
    px.setProtocolFoot(TSequenceChar::scCR);
    px.setReceiveStop(TSequenceChar::scCR);
    px.setFiltered(filtered);
    Outcome o;
    record(&px, o);
    px.setASCIIProtocol("q");
    px.Send();
    QTRY_COMPARE_WITH_TIMEOUT(o.results, 1, 3000);
    QCOMPARE(o.stream, stream);
    QCOMPARE(o.errors, 0);
}

// 82h 96h telegrams: request bytes on the wire and reply outcomes.
void TestProtocols::sx2_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("resetSent");
    // 03 82 07 with check 03^82^07 = 86
    QTest::newRow("good, 82h doubled") << bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x07, 0x86}) << 0
                                       << bytes({0x03, 0x82, 0x07}) << false;
    QTest::newRow("error reply") << bytes({0x82, 0x96, 0x02, 0xFF, 0xFD}) << int(CommDeviceError)
                                 << bytes({0x02, 0xFF}) << false;
    QTest::newRow("bad check") << bytes({0x82, 0x96, 0x02, 0x05, 0x00}) << int(CommCheckError) << QByteArray()
                               << true;
    QTest::newRow("bad header") << bytes({0x82, 0x97, 0x02, 0x05, 0x07}) << int(CommSX2Header) << QByteArray()
                                << true;
    QTest::newRow("82h not doubled") << bytes({0x82, 0x96, 0x03, 0x82, 0x07, 0x86}) << int(CommSX2Doubling)
                                     << QByteArray() << true;
    QTest::newRow("no answer") << QByteArray() << int(CommTimeout) << QByteArray() << true;
}

void TestProtocols::sx2()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, code);
    QFETCH(QByteArray, stream);
    QFETCH(bool, resetSent);
    peer->setResponder([reply](const QByteArray& req, int) {
        if (req.startsWith(bytes({0x82, 0x96})) && !reply.isEmpty())
            return std::vector<PtyPeer::Chunk>{{3, reply}};
        return std::vector<PtyPeer::Chunk>{};
    });
    TSX2Protocol px;
    px.setSXComm(port.get());
    Outcome o;
    record(&px, o);
    fill(&px, bytes({0x82, 0x05}));
    px.Send();
    QTRY_COMPARE_WITH_TIMEOUT(o.results + o.errors, 1, 3000);
    QTest::qWait(100);
    QCOMPARE(o.results + o.errors, 1);
    QCOMPARE(int(o.err.Code), code);
    QCOMPARE(o.stream, stream);
    // count 03, data 82 05; check 03^82^05 = 84
    const auto reqs = peer->requests();
    QVERIFY(!reqs.empty());
    QByteArray wire = reqs[0];
    const QByteArray reset = bytes({0x82, 0x00, 0x82, 0x00});
    if (resetSent) {
        // The reset may arrive glued to the request when the failure came at once.
        QByteArray all;
        for (const auto& r : reqs)
            all += r;
        QVERIFY(all.endsWith(reset));
        wire = all.left(all.size() - reset.size());
    }
    QCOMPARE(wire, bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x05, 0x84}));
}

// DLE STX telegrams.
void TestProtocols::ssb_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("attempts");
    // data 10 07, check 10^07 = 17
    QTest::newRow("good, DLE doubled") << bytes({0x10, 0x02, 0x10, 0x10, 0x07, 0x10, 0x03, 0x17}) << 0
                                       << bytes({0x03, 0x10, 0x07}) << 1;
    QTest::newRow("error reply") << bytes({0x10, 0x02, 0xFF, 0x10, 0x03, 0xFF}) << int(CommDeviceError)
                                 << bytes({0x02, 0xFF}) << 1;
    QTest::newRow("bad check") << bytes({0x10, 0x02, 0x05, 0x10, 0x03, 0x00}) << int(CommCheckError)
                               << QByteArray() << 3;
    QTest::newRow("bad header") << bytes({0x10, 0x03, 0x05, 0x10, 0x03, 0x05}) << int(CommSSBHeader)
                                << QByteArray() << 3;
    QTest::newRow("DLE then junk") << bytes({0x10, 0x02, 0x10, 0x07, 0x10, 0x03, 0x17}) << int(CommSSBDoubling)
                                   << QByteArray() << 3;
    QTest::newRow("no answer") << QByteArray() << int(CommTimeout) << QByteArray() << 1;
}

void TestProtocols::ssb()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, code);
    QFETCH(QByteArray, stream);
    QFETCH(int, attempts);
    const QByteArray request = bytes({0x10, 0x02, 0x10, 0x10, 0x05, 0x10, 0x03, 0x15});
    peer->setResponder([reply, request](const QByteArray& req, int) {
        if (req.endsWith(request) && !reply.isEmpty())
            return std::vector<PtyPeer::Chunk>{{3, reply}};
        return std::vector<PtyPeer::Chunk>{};
    });
    TSSBProtocol px;
    px.setSXComm(port.get());
    Outcome o;
    record(&px, o);
    fill(&px, bytes({0x10, 0x05}));
    px.Send();
    QTRY_COMPARE_WITH_TIMEOUT(o.results + o.errors, 1, 3000);
    QTest::qWait(100);
    QCOMPARE(o.results + o.errors, 1);
    QCOMPARE(int(o.err.Code), code);
    QCOMPARE(o.stream, stream);
    QByteArray all;
    for (const auto& r : peer->requests())
        all += r;
    QCOMPARE(int(all.count(request)), attempts);
    if (code != 0 && code != int(CommDeviceError))
        QVERIFY(all.endsWith(bytes({0x10, 0x00, 0x10, 0x00})));
}

void TestProtocols::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lineErrors");
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("text");
    QTest::newRow("timeout de") << int(CommTimeout) << 0 << true << "Zeitüberschreitungs-Fehler!";
    QTest::newRow("no german: english") << int(CommSX2Doubling) << 0 << true << "<82h> duplication is missing!";
    QTest::newRow("line errors") << int(CommLineError) << int(CE_FRAME | CE_RXPARITY) << false
                                 << "General communication error [000Ch]:\r\n"
                                    "[0008h]: The hardware detected a framing error.\r\n"
                                    "[0004h]: The hardware detected a parity error.";
}

void TestProtocols::errorTexts()
{
    QFETCH(int, code);
    QFETCH(int, lineErrors);
    QFETCH(bool, german);
    QFETCH(QString, text);
    TCommError e;
    e.Code = static_cast<uint32_t>(code);
    e.LineErrors = static_cast<uint32_t>(lineErrors);
    QCOMPARE(commErrorText(e, german), text);
}

QTEST_MAIN(TestProtocols)
#include "tst_protocols.moc"
