// The framed protocols' telegrams on their own: what a request becomes on the line and
// what a received byte stream becomes, without a port.
#include "comm/SSBCodec.h"
#include "comm/SX2Codec.h"
#include "comm/SXComm.h"

#include <QtTest>
#include <algorithm>
#include <span>

using namespace vx;

namespace {

using Status = FrameCodec::Status;

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(static_cast<char>(v));
    return b;
}

TFrame frameOf(const QByteArray& b)
{
    TFrame f{};
    std::copy(b.begin(), b.end(), f.begin());
    return f;
}

QByteArray wireOf(std::span<const uint8_t> v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

struct Decoded {
    Status status = Status::NeedMore;
    int used = 0; // bytes fed until the decoder stopped asking for more
    uint32_t code = 0;
    QByteArray reply;      // bytes 0 ... count-1 after Done
    bool tailClear = true; // nothing stands in the buffer past the count
};

Decoded decode(FrameCodec& codec, const QByteArray& wire)
{
    // A telegram cut off just after a byte to be doubled: what a failed attempt leaves
    // must not leak into the next.
    const auto half = codec.encode(frameOf(bytes({0x05, 0x82, 0x10, 0x01, 0x02})));
    for (size_t i = 0; i < 4; ++i)
        codec.feed(half[i]);
    codec.reset();
    Decoded d;
    for (char c : wire) {
        ++d.used;
        d.status = codec.feed(static_cast<uint8_t>(c));
        if (d.status != Status::NeedMore)
            break;
    }
    d.code = codec.error();
    if (d.status == Status::Done) {
        const auto& r = codec.reply();
        d.reply = QByteArray(reinterpret_cast<const char*>(r.data()), r[0]);
        d.tailClear = std::all_of(r.begin() + r[0], r.end(), [](uint8_t b) { return b == 0; });
    }
    return d;
}

void encodeColumns()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("wire");
}

void checkEncode(FrameCodec& codec)
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, wire);
    QCOMPARE(wireOf(codec.encode(frameOf(frame))), wire);
    if (frame.isEmpty() || frame[0] == 0)
        return;
    // Both sides of the line must agree on what gets doubled.
    const Decoded d = decode(codec, wire);
    QCOMPARE(int(d.status), int(Status::Done));
    QCOMPARE(d.used, wire.size());
    QCOMPARE(d.reply, frame);
}

void decodeColumns()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("reply");
}

void checkDecode(FrameCodec& codec)
{
    QFETCH(QByteArray, wire);
    QFETCH(int, status);
    QFETCH(int, code);
    QFETCH(QByteArray, reply);
    const Decoded d = decode(codec, wire);
    QCOMPARE(int(d.status), status);
    // A verdict falls on the last byte given, never earlier.
    QCOMPARE(d.used, wire.size());
    QCOMPARE(int(d.code), code);
    QCOMPARE(d.reply, reply);
    QVERIFY(d.tailClear);
    // Once decided, further bytes change nothing.
    if (d.status != Status::NeedMore) {
        QCOMPARE(int(codec.feed(0x82)), status);
        QCOMPARE(int(codec.error()), code);
    }
}

const int NeedMore = int(Status::NeedMore), Done = int(Status::Done), Error = int(Status::Error);

} // namespace

class TestCodecs : public QObject {
    Q_OBJECT
private slots:
    void sx2Encode_data();
    void sx2Encode();
    void sx2Decode_data();
    void sx2Decode();
    void ssbEncode_data();
    void ssbEncode();
    void ssbDecode_data();
    void ssbDecode();
};

void TestCodecs::sx2Encode_data()
{
    encodeColumns();
    // Only 82h is doubled, wherever it stands after the header.
    QTest::newRow("plain, 96h not doubled") << bytes({0x03, 0x96, 0x10}) << bytes({0x82, 0x96, 0x03, 0x96, 0x10, 0x85});
    QTest::newRow("data 82h") << bytes({0x03, 0x82, 0x05}) << bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x05, 0x84});
    QTest::newRow("check 82h") << bytes({0x02, 0x80}) << bytes({0x82, 0x96, 0x02, 0x80, 0x82, 0x82});
    // 130 bytes: the count itself is 82h; check 82h ^ 11h (129 times) = 93h.
    const QByteArray data(129, '\x11');
    QTest::newRow("count 82h") << bytes({0x82}) + data << bytes({0x82, 0x96, 0x82, 0x82}) + data + bytes({0x93});
    QTest::newRow("empty frame") << bytes({0x00}) << QByteArray();
}

void TestCodecs::sx2Encode()
{
    SX2Codec codec;
    checkEncode(codec);
    QCOMPARE(wireOf(codec.resetTelegram()), bytes({0x82, 0x00, 0x82, 0x00}));
}

void TestCodecs::sx2Decode_data()
{
    decodeColumns();
    const QByteArray data(129, '\x11');
    QTest::newRow("good") << bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x07, 0x86}) << Done << 0
                          << bytes({0x03, 0x82, 0x07});
    QTest::newRow("count only") << bytes({0x82, 0x96, 0x01, 0x01}) << Done << 0 << bytes({0x01});
    QTest::newRow("error telegram") << bytes({0x82, 0x96, 0x02, 0xFF, 0xFD}) << Done << int(CommDeviceError)
                                    << bytes({0x02, 0xFF});
    QTest::newRow("bad first header byte") << bytes({0x80, 0x96}) << Error << int(CommSX2Header) << QByteArray();
    QTest::newRow("bad second header byte") << bytes({0x82, 0x97}) << Error << int(CommSX2Header) << QByteArray();
    QTest::newRow("data 82h single") << bytes({0x82, 0x96, 0x03, 0x82, 0x07}) << Error << int(CommSX2Doubling)
                                     << QByteArray();
    QTest::newRow("check 82h single") << bytes({0x82, 0x96, 0x02, 0x80, 0x82, 0x00}) << Error
                                      << int(CommSX2Doubling) << QByteArray();
    QTest::newRow("bad check") << bytes({0x82, 0x96, 0x02, 0x05, 0x00}) << Error << int(CommCheckError) << QByteArray();
    QTest::newRow("cut in the data") << bytes({0x82, 0x96, 0x03, 0x01}) << NeedMore << 0 << QByteArray();
    QTest::newRow("cut between 82h twins") << bytes({0x82, 0x96, 0x03, 0x82}) << NeedMore << 0 << QByteArray();
    // The count is doubled like every other 82h: a doubled one is a 130-byte reply,
    // a single one is no telegram.
    QTest::newRow("count 82h doubled") << bytes({0x82, 0x96, 0x82, 0x82}) + data + bytes({0x93}) << Done << 0
                                       << bytes({0x82}) + data;
    QTest::newRow("count 82h single") << bytes({0x82, 0x96, 0x82, 0x11}) << Error << int(CommSX2Doubling)
                                      << QByteArray();
    // Count 0 leaves no room for a check byte: nothing vouches for it.
    QTest::newRow("count 0") << bytes({0x82, 0x96, 0x00}) << Error << int(CommCheckError) << QByteArray();
}

void TestCodecs::sx2Decode()
{
    SX2Codec codec;
    checkDecode(codec);
}

void TestCodecs::ssbEncode_data()
{
    encodeColumns();
    // The count byte stays at home; only DLE in the data is doubled, the check byte
    // after DLE ETX never.
    QTest::newRow("plain, STX ETX not doubled") << bytes({0x03, 0x02, 0x03})
                                                << bytes({0x10, 0x02, 0x02, 0x03, 0x10, 0x03, 0x01});
    QTest::newRow("data DLE") << bytes({0x03, 0x10, 0x05}) << bytes({0x10, 0x02, 0x10, 0x10, 0x05, 0x10, 0x03, 0x15});
    QTest::newRow("check DLE") << bytes({0x03, 0x12, 0x02}) << bytes({0x10, 0x02, 0x12, 0x02, 0x10, 0x03, 0x10});
    QTest::newRow("no data") << bytes({0x01}) << bytes({0x10, 0x02, 0x10, 0x03, 0x00});
    QTest::newRow("empty frame") << bytes({0x00}) << QByteArray();
}

void TestCodecs::ssbEncode()
{
    SSBCodec codec;
    checkEncode(codec);
    QCOMPARE(wireOf(codec.resetTelegram()), bytes({0x10, 0x00, 0x10, 0x00}));
}

void TestCodecs::ssbDecode_data()
{
    decodeColumns();
    QTest::newRow("good") << bytes({0x10, 0x02, 0x10, 0x10, 0x07, 0x10, 0x03, 0x17}) << Done << 0
                          << bytes({0x03, 0x10, 0x07});
    QTest::newRow("error telegram") << bytes({0x10, 0x02, 0xFF, 0x10, 0x03, 0xFF}) << Done << int(CommDeviceError)
                                    << bytes({0x02, 0xFF});
    QTest::newRow("bad first header byte") << bytes({0x11, 0x02}) << Error << int(CommSSBHeader) << QByteArray();
    QTest::newRow("bad second header byte") << bytes({0x10, 0x03}) << Error << int(CommSSBHeader) << QByteArray();
    QTest::newRow("DLE then junk") << bytes({0x10, 0x02, 0x10, 0x07}) << Error << int(CommSSBDoubling) << QByteArray();
    QTest::newRow("bad check") << bytes({0x10, 0x02, 0x05, 0x10, 0x03, 0x00}) << Error << int(CommCheckError)
                               << QByteArray();
    QTest::newRow("cut before the check") << bytes({0x10, 0x02, 0x05, 0x10, 0x03}) << NeedMore << 0 << QByteArray();
    QTest::newRow("cut after DLE") << bytes({0x10, 0x02, 0x05, 0x10}) << NeedMore << 0 << QByteArray();
    // Byte 0 counts up to 255: 254 data bytes fit, the 255th is refused when it comes.
    const QByteArray most(254, '\x01');
    QTest::newRow("254 data bytes") << bytes({0x10, 0x02}) + most + bytes({0x10, 0x03, 0x00}) << Done << 0
                                    << bytes({0xFF}) + most;
    QTest::newRow("255 data bytes") << bytes({0x10, 0x02}) + most + bytes({0x01}) << Error << int(CommCheckError)
                                    << QByteArray();
}

void TestCodecs::ssbDecode()
{
    SSBCodec codec;
    checkDecode(codec);
}

QTEST_APPLESS_MAIN(TestCodecs)
#include "tst_codecs.moc"
