// The RFC 2217 codec on its own: bytes in, bytes out, no socket.
#include "comm/Rfc2217Codec.h"

#include <QtTest>

using namespace vx;
using namespace vx::rfc2217;

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes reply(uint8_t command, Bytes value)
{
    return comPortSub(uint8_t(command + ServerOffset), value);
}

} // namespace

class TstRfc2217 : public QObject {
    Q_OBJECT
private slots:
    void escaping()
    {
        const Bytes data{'r', 'p', IAC, 0, IAC, IAC, 13};
        const Bytes wire = escapeData(data.data(), data.size());
        QCOMPARE(wire, (Bytes{'r', 'p', IAC, IAC, 0, IAC, IAC, IAC, IAC, 13}));
        // Back through the parser, fed one byte at a time: the same data, no events.
        TelnetParser p;
        Bytes back;
        std::vector<TelnetParser::Event> events;
        for (uint8_t b : wire)
            p.feed(&b, 1, back, events);
        QCOMPARE(back, data);
        QVERIFY(events.empty());
        // A value holding 255 is doubled inside a subnegotiation too.
        QCOMPARE(comPortSub(SetBaudrate, baudValue(0xFF)), (Bytes{IAC, SB, OptComPort, SetBaudrate, 0, 0, 0, IAC, IAC, IAC, SE}));
    }

    // What the client answers to each thing a server says, and that it never
    // answers twice (two peers would otherwise echo each other forever).
    void negotiation_data()
    {
        QTest::addColumn<Bytes>("server");
        QTest::addColumn<Bytes>("answer");
        QTest::newRow("do binary, already offered") << Bytes{IAC, DO, OptBinary} << Bytes{};
        QTest::newRow("do com-port, already offered") << Bytes{IAC, DO, OptComPort} << Bytes{};
        QTest::newRow("will binary, already asked") << Bytes{IAC, WILL, OptBinary} << Bytes{};
        QTest::newRow("will echo refused") << Bytes{IAC, WILL, OptEcho} << Bytes{IAC, DONT, OptEcho};
        QTest::newRow("do echo refused") << Bytes{IAC, DO, OptEcho} << Bytes{IAC, WONT, OptEcho};
        QTest::newRow("wont sga") << Bytes{IAC, WONT, OptSuppressGoAhead, IAC, WONT, OptSuppressGoAhead}
                                  << Bytes{IAC, DONT, OptSuppressGoAhead};
        QTest::newRow("dont binary") << Bytes{IAC, DONT, OptBinary, IAC, DONT, OptBinary} << Bytes{IAC, WONT, OptBinary};
        QTest::newRow("nop and ga ignored") << Bytes{IAC, 241, IAC, 249} << Bytes{};
        // As ser2net greets.
        QTest::newRow("ser2net greeting") << Bytes{IAC, WILL, 3, IAC, DO, 3, IAC, WILL, 1, IAC, DONT, 1, IAC, DO, 0, IAC, WILL, 0, IAC, DO, 44}
                                          << Bytes{IAC, DONT, OptEcho};
    }
    void negotiation()
    {
        QFETCH(Bytes, server);
        QFETCH(Bytes, answer);
        Client c;
        QCOMPARE(c.greeting(), (Bytes{IAC, WILL, 0, IAC, WILL, 3, IAC, WILL, 44, IAC, DO, 0, IAC, DO, 3}));
        Bytes data, out;
        c.receive(server.data(), server.size(), data, out);
        QCOMPARE(out, answer);
        QVERIFY(data.empty());
    }

    // Each setting as sent, and each answer: the same value is taken, another is a
    // refusal that names the setting.
    void settings_data()
    {
        QTest::addColumn<Bytes>("answer");
        QTest::addColumn<bool>("settled");
        QTest::addColumn<QString>("error");
        const Bytes all = cat({reply(SetBaudrate, baudValue(38400)), reply(SetDatasize, {8}), reply(SetParity, {3}), reply(SetStopsize, {1})});
        QTest::newRow("all taken") << all << true << QString();
        QTest::newRow("none yet") << Bytes{} << false << QString();
        QTest::newRow("baud refused") << cat({reply(SetBaudrate, baudValue(9600)), reply(SetDatasize, {8}), reply(SetParity, {3}), reply(SetStopsize, {1})})
                                      << true << "the device server refused baud rate 38400 (it answered 9600)";
        QTest::newRow("data bits refused") << reply(SetDatasize, {7}) << false << "the device server refused data bits 8 (it answered 7)";
        QTest::newRow("parity refused") << reply(SetParity, {1}) << false << "the device server refused parity even (it answered none)";
        QTest::newRow("stop bits refused") << reply(SetStopsize, {3}) << false << "the device server refused stop bits 1 (it answered 1.5)";
        QTest::newRow("no com-port") << Bytes{IAC, DONT, OptComPort} << true << "the device server does not take line settings (no RFC 2217)";
        QTest::newRow("modem state ignored") << reply(NotifyModemstate, {0}) << false << QString();
    }
    void settings()
    {
        QFETCH(Bytes, answer);
        QFETCH(bool, settled);
        QFETCH(QString, error);
        Client c;
        c.greeting();
        const Bytes sent = c.setFrame({38400, 8, 'E', 1});
        QCOMPARE(sent, cat({comPortSub(SetBaudrate, {0, 0, 0x96, 0}), comPortSub(SetDatasize, {8}), comPortSub(SetParity, {3}), comPortSub(SetStopsize, {1})}));
        QVERIFY(!c.settled());
        Bytes data, out;
        c.receive(answer.data(), answer.size(), data, out);
        QCOMPARE(c.settled(), settled);
        QCOMPARE(QString::fromStdString(c.error()), error);
        // Later only what changed is sent, as the search turns one setting at a time.
        QCOMPARE(c.setFrame({38400, 8, 'O', 1}), comPortSub(SetParity, {2}));
        QVERIFY(c.setFrame({38400, 8, 'O', 1}).empty());
        QCOMPARE(c.purge(), (Bytes{IAC, SB, OptComPort, PurgeData, 3, IAC, SE}));
    }

    void linestate_data()
    {
        QTest::addColumn<uint8_t>("state");
        QTest::addColumn<uint32_t>("errors");
        QTest::newRow("parity") << uint8_t(LsParity) << uint32_t(CE_RXPARITY);
        QTest::newRow("framing") << uint8_t(LsFraming) << uint32_t(CE_FRAME);
        QTest::newRow("overrun") << uint8_t(LsOverrun) << uint32_t(CE_OVERRUN);
        QTest::newRow("break") << uint8_t(LsBreak) << uint32_t(CE_BREAK);
        QTest::newRow("all four") << uint8_t(0x1E) << uint32_t(CE_RXPARITY | CE_FRAME | CE_OVERRUN | CE_BREAK);
        // Data ready and transmitter empty are no errors.
        QTest::newRow("data ready, shift register empty") << uint8_t(0x61) << uint32_t(0);
    }
    void linestate()
    {
        QFETCH(uint8_t, state);
        QFETCH(uint32_t, errors);
        Client c;
        const Bytes wire = cat({Bytes{'a'}, reply(NotifyLinestate, {state}), Bytes{'b'}});
        Bytes data, out;
        c.receive(wire.data(), wire.size(), data, out);
        QCOMPARE(data, (Bytes{'a', 'b'}));
        QCOMPARE(c.takeLineErrors(), errors);
        QCOMPARE(c.takeLineErrors(), 0u);
    }

    // A subnegotiation (and an IAC pair) cut at every point across two reads.
    void cutAcrossReads()
    {
        const Bytes wire = cat({Bytes{'x', IAC, IAC}, reply(NotifyLinestate, {LsParity}), reply(SetBaudrate, baudValue(255)), Bytes{'y'}});
        for (size_t cut = 0; cut <= wire.size(); ++cut) {
            Client c;
            c.greeting();
            c.setFrame({255, 8, 'N', 1});
            Bytes data, out;
            c.receive(wire.data(), cut, data, out);
            c.receive(wire.data() + cut, wire.size() - cut, data, out);
            QCOMPARE(data, (Bytes{'x', IAC, 'y'}));
            QCOMPARE(c.takeLineErrors(), uint32_t(CE_RXPARITY));
            QVERIFY(c.error().empty());
        }
    }

    // The simulator's side takes each setting, answers with it and sees a purge.
    void server()
    {
        Server s({9600, 8, 'O', 1});
        Client c;
        Bytes wire = cat({c.greeting(), c.setFrame({38400, 7, 'E', 2}), c.purge(), c.encodeData((const uint8_t*)"a\xff", 2)});
        Bytes data, answer;
        s.receive(wire.data(), wire.size(), data, answer);
        QCOMPARE(s.frame(), (LineFrame{38400, 7, 'E', 2}));
        QVERIFY(s.takePurge());
        QVERIFY(!s.takePurge());
        QCOMPARE(data, (Bytes{'a', IAC}));
        Bytes back, none;
        c.receive(answer.data(), answer.size(), back, none);
        QVERIFY(c.settled());
        QVERIFY(c.error().empty());
    }
};

QTEST_APPLESS_MAIN(TstRfc2217)
#include "tst_rfc2217.moc"
