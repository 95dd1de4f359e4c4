// The simulated controller as the serial library sees it: requests written to a
// SimLine, replies read byte by byte.
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "sim/SimLine.h"
#include "sim/SimOptions.h"

#include <QtTest>

#include <atomic>
#include <limits>
#include <set>
#include <thread>

using namespace vx;
using namespace vx::sim;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(vx::LineFrame)

namespace {

const LineFrame F9600O{9600, 8, 'O', 1};
const LineFrame F38400E{38400, 8, 'E', 1};

struct Reply {
    std::string bytes;
    uint32_t lineErrors = 0;
    bool failed = false;
    int osError = 0;
};

// Like the library's ASCII exchange: purge, write, first byte within firstMs,
// then every byte within gapMs of the one before.
Reply transact(SimLine& line, const std::string& request, int firstMs = 300, int gapMs = 50)
{
    Reply r;
    const std::string out = request + "\r";
    if (!line.purge() || !line.write(reinterpret_cast<const uint8_t*>(out.data()), out.size()) || !line.flush()) {
        r.failed = true;
        r.osError = line.lastError();
        return r;
    }
    uint8_t b = 0;
    for (int wait = firstMs;; wait = gapMs) {
        const auto res = line.readByte(b, wait);
        if (res == SerialLine::ReadResult::Byte) {
            r.bytes += char(b);
            continue;
        }
        if (res == SerialLine::ReadResult::Error) {
            r.failed = true;
            r.osError = line.lastError();
        }
        break;
    }
    r.lineErrors = line.takeLineErrors();
    return r;
}

const char* Limits = "[012]\nmin=0\nmax=100\ndefault=50\n"
                     "[203]\nmin=0\nmax=4\ndefault=0\n"
                     "[300]\nmin=0\nmax=3\n"
                     "[460]\nmin=0\nmax=16\n";

} // namespace

class TestSimLine : public QObject {
    Q_OBJECT

    std::unique_ptr<SimBus> bus;
    std::unique_ptr<SimLine> line;

    std::string ask(const std::string& request) { return transact(*line, request).bytes; }

private slots:
    void init()
    {
        bus = std::make_unique<SimBus>();
        bus->setParamTable(parseParamTable(Limits));
        UnitConfig a;
        a.number = 0;
        a.frame = F9600O;
        UnitConfig b;
        b.number = 5;
        b.type = "VX51";
        b.frame = F38400E;
        bus->addUnit(a);
        bus->addUnit(b);
        line = std::make_unique<SimLine>(*bus);
        QVERIFY(line->open("sim"));
        QVERIFY(line->setFrame(F9600O));
    }
    void cleanup()
    {
        line.reset();
        bus.reset();
    }

    void unitSelectAndSilenceOfOthers()
    {
        QCOMPARE(ask("sc 0"), std::string("sc 0\r\n"));
        QVERIFY(ask("rt").starts_with("rt VX50"));
        // Unit 5 listens on 38400 8E1: nobody answers, and unit 0 has let go.
        QCOMPARE(ask("sc 5"), std::string());
        QCOMPARE(ask("rt"), std::string());
        QCOMPARE(bus->selectedUnit(), -1);

        QVERIFY(line->setFrame(F38400E));
        QCOMPARE(ask("sc 5"), std::string("sc 5\r\n"));
        QVERIFY(ask("rt").starts_with("rt VX51"));
        QCOMPARE(ask("sc 7"), std::string());
        QCOMPARE(ask("rp 12"), std::string());

        // Two units on the same settings: only the selected one talks, no collision.
        UnitConfig c;
        c.number = 3;
        c.frame = F9600O;
        bus->addUnit(c);
        QVERIFY(line->setFrame(F9600O));
        QCOMPARE(ask("sc 3"), std::string("sc 3\r\n"));
        const Reply r = transact(*line, "rx");
        QCOMPARE(r.bytes, std::string("rx SN 51051\r\n"));
        QCOMPARE(r.lineErrors, 0u);
        QCOMPARE(ask("sc 0"), std::string("sc 0\r\n"));
        QCOMPARE(bus->selectedUnit(), 0);
    }

    void replyShapes_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("rt") << "rt"
                            << "rt VX50 V2\\.04";
        QTest::newRow("rh") << "rh"
                            << "rh \\S.*";
        QTest::newRow("rf") << "rf"
                            << "rf -1";
        QTest::newRow("wf") << "wf"
                            << "wf";
        QTest::newRow("r0") << "r0"
                            << "r0 \\d+";
        QTest::newRow("r1") << "r1"
                            << "r1 \\d+";
        QTest::newRow("r2") << "r2"
                            << "r2 2[34]\\d{4}";
        QTest::newRow("r3") << "r3"
                            << "r3 \\d{5,6}";
        QTest::newRow("r4") << "r4"
                            << "r4 \\d+";
        QTest::newRow("r5") << "r5"
                            << "r5 \\d+";
        QTest::newRow("r6") << "r6"
                            << "r6 -?\\d+";
        QTest::newRow("ri") << "ri"
                            << "ri \\d+";
        QTest::newRow("ru") << "ru"
                            << "ru \\d+";
        QTest::newRow("rp") << "rp 12"
                            << "rp 12 50";
        QTest::newRow("rp no limits") << "rp 7"
                                      << "rp 7 0";
        QTest::newRow("rs") << "rs 80"
                            << "rs 80 0";
        QTest::newRow("wp") << "wp 12 70"
                            << "wp 12 70";
        QTest::newRow("ws negative") << "ws 3 -250"
                                     << "ws 3 -250";
        QTest::newRow("bp") << "bp"
                            << "bp -1";
        QTest::newRow("kr") << "kr 2041"
                            << "kr 2041 -15";
        QTest::newRow("km") << "km 1"
                            << "km 1";
        QTest::newRow("wp over limit") << "wp 12 101"
                                       << "er 7";
        QTest::newRow("wp under limit") << "wp 12 -1"
                                        << "er 7";
        QTest::newRow("wp beyond 32 bits") << "wp 7 99999999999"
                                           << "er 7";
        QTest::newRow("ws beyond range") << "ws 1 100000000"
                                         << "er 7";
        QTest::newRow("rp 512") << "rp 512"
                                << "er 3";
        QTest::newRow("rs 0") << "rs 0"
                              << "er 3";
        QTest::newRow("unknown") << "zz"
                                 << "er 1";
        QTest::newRow("bad argument") << "rp x"
                                      << "er 2";
        QTest::newRow("extra blanks") << "  wp  12   9 "
                                      << "wp 12 9";
    }
    void replyShapes()
    {
        QFETCH(QString, request);
        QFETCH(QString, pattern);
        const Reply r = transact(*line, request.toStdString());
        QVERIFY2(r.bytes.ends_with("\r\n"), r.bytes.c_str());
        const QString text = QString::fromStdString(r.bytes.substr(0, r.bytes.size() - 2));
        QVERIFY2(QRegularExpression("^(?:" + pattern + ")$").match(text).hasMatch(), qPrintable(text));
        QCOMPARE(r.lineErrors, 0u);
    }

    void writesStickAndRefusalsChangeNothing()
    {
        QCOMPARE(ask("wp 12 70"), std::string("wp 12 70\r\n"));
        QCOMPARE(ask("wp 12 101"), std::string("er 7\r\n"));
        QCOMPARE(ask("rp 12"), std::string("rp 12 70\r\n"));
        QCOMPARE(ask("ws 80 -99999999"), std::string("ws 80 -99999999\r\n"));
        QCOMPARE(ask("ws 80 -100000000"), std::string("er 7\r\n"));
        QCOMPARE(bus->setpoint(0, 80), -99999999);
        QCOMPARE(bus->parameter(0, 12), 70);
    }

    void computeParametersNamesFirstBadOne()
    {
        bus->setParameter(0, 12, 150); // outside 0 ... 100
        QCOMPARE(ask("bp"), std::string("bp 12\r\n"));
        bus->setParameter(0, 12, 100);
        QCOMPARE(ask("bp"), std::string("bp -1\r\n"));
        // An active cam must drive one of the sixteen outputs.
        bus->setParameter(0, 300, 1);
        bus->setParameter(0, 460, 0);
        QCOMPARE(ask("bp"), std::string("bp 460\r\n"));
        bus->setParameter(0, 460, 16);
        bus->setParameter(0, 380, 81); // start at setpoint 81
        QCOMPARE(ask("bp"), std::string("bp 380\r\n"));
    }

    void errorNumberUntilReset()
    {
        bus->raiseError(0, 23);
        QCOMPARE(ask("rf"), std::string("rf 23\r\n"));
        QCOMPARE(ask("rf"), std::string("rf 23\r\n"));
        QCOMPARE(ask("wf"), std::string("wf\r\n"));
        QCOMPARE(ask("rf"), std::string("rf -1\r\n"));
        QCOMPARE(bus->errorNumber(0), -1);
    }

    void calibrationKeepsEepromCopy()
    {
        const auto stored = bus->calibrationEeprom(0);
        QCOMPARE(ask("kw 2042 13"), std::string("er 6\r\n")); // not in calibration mode
        QCOMPARE(ask("kf 1"), std::string("er 6\r\n"));
        QCOMPARE(ask("km 1"), std::string("km 1\r\n"));
        QCOMPARE(ask("kf 2"), std::string("kf 2\r\n"));
        QCOMPARE(ask("ka -100000"), std::string("ka -100000\r\n"));
        QCOMPARE(ask("ka 100001"), std::string("er 7\r\n"));
        QCOMPARE(ask("kw 2042 1001"), std::string("er 7\r\n"));
        QCOMPARE(ask("kw 2042 13"), std::string("kw 2042 13\r\n"));
        QCOMPARE(ask("kw 2041 -70000"), std::string("kw 2041 -70000\r\n"));
        QCOMPARE(ask("kr 2042"), std::string("kr 2042 13\r\n"));
        QCOMPARE(bus->calibrationEeprom(0), stored);

        // Unsaved constants do not survive switching off ...
        bus->withUnit(0, [](SimUnit& u) { u.powerCycle(); });
        QCOMPARE(ask("kr 2042"), "kr 2042 " + std::to_string(stored[1]) + "\r\n");
        // ... saved ones do.
        QCOMPARE(ask("km 1"), std::string("km 1\r\n"));
        QCOMPARE(ask("kw 2044 -3"), std::string("kw 2044 -3\r\n"));
        QCOMPARE(ask("ks"), std::string("ks\r\n"));
        bus->withUnit(0, [](SimUnit& u) { u.powerCycle(); });
        QCOMPARE(ask("kr 2044"), std::string("kr 2044 -3\r\n"));
        QCOMPARE(bus->calibrationEeprom(0)[3], -3);
        QCOMPARE(ask("km 0"), std::string("km 0\r\n"));
        QCOMPARE(ask("ka 5"), std::string("er 6\r\n"));
    }

    void bytesArePacedAtTheBaudRate()
    {
        // Time from the end of the request to the last reply byte.
        auto timed = [&](const std::string& request, std::string& got) {
            const std::string req = request + "\r";
            line->purge();
            const auto t0 = Clock::now();
            line->write(reinterpret_cast<const uint8_t*>(req.data()), req.size());
            line->flush();
            // The request's characters leave before flush returns.
            const double charMs = 1000.0 * charSeconds(line->frame());
            if (Clock::now() - t0 < std::chrono::duration<double, std::milli>(charMs * double(req.size()) - 0.1))
                got = "flush returned early";
            const auto sent = bus->log().back().sent;
            uint8_t b;
            std::vector<Clock::time_point> at;
            while (line->readByte(b, at.empty() ? 300 : 50) == SerialLine::ReadResult::Byte) {
                got += char(b);
                at.push_back(Clock::now());
            }
            return at.empty() ? std::pair<Clock::duration, Clock::duration>{}
                              : std::pair{at.front() - sent, at.back() - sent};
        };
        // "rp 12 50" + CR LF: ten bytes of eleven bits at 9600 baud.
        std::string got;
        const auto [first, whole] = timed("rp 12", got);
        QCOMPARE(got, std::string("rp 12 50\r\n"));
        QVERIFY2(first >= 3ms, "latency plus one character before the first byte");
        QVERIFY2(whole >= 11ms, "ten characters take at least 11 ms");
        QVERIFY(whole < 500ms);

        // Four times the baud rate: faster.
        QVERIFY(line->setFrame(F38400E));
        QCOMPARE(ask("sc 5"), std::string("sc 5\r\n"));
        got.clear();
        const auto fast = timed("rp 12", got);
        QCOMPARE(got, std::string("rp 12 50\r\n"));
        // Ten characters at 38400 take 2.864 ms; the last is ready in the middle of its stop bit.
        QVERIFY(fast.second >= 2ms + 2864us - 100us);
        QVERIFY(fast.second < whole);
    }

    void otherLineSettingsNeverGiveAValidEcho_data()
    {
        QTest::addColumn<LineFrame>("unit");
        QTest::addColumn<LineFrame>("port");
        const LineFrame u = F9600O;
        QTest::newRow("19200") << u << LineFrame{19200, 8, 'O', 1};
        QTest::newRow("4800") << u << LineFrame{4800, 8, 'O', 1};
        QTest::newRow("38400") << u << LineFrame{38400, 8, 'O', 1};
        QTest::newRow("57600") << u << LineFrame{57600, 8, 'O', 1};
        QTest::newRow("28800") << u << LineFrame{28800, 8, 'O', 1};
        QTest::newRow("no parity") << u << LineFrame{9600, 8, 'N', 1};
        QTest::newRow("even parity") << u << LineFrame{9600, 8, 'E', 1};
        QTest::newRow("two stop bits") << u << LineFrame{9600, 8, 'O', 2};
        QTest::newRow("seven bits") << u << LineFrame{9600, 7, 'O', 1};
        QTest::newRow("seven bits even") << u << LineFrame{9600, 7, 'E', 1};
        // The unit reads this request cleanly; its reply must still not pass.
        QTest::newRow("unit 1 stop, port 2") << LineFrame{9600, 8, 'N', 1} << LineFrame{9600, 8, 'N', 2};
        QTest::newRow("unit 2 stop, port 1") << LineFrame{9600, 8, 'N', 2} << LineFrame{9600, 8, 'N', 1};
        QTest::newRow("unit 8N1, port 7O1") << LineFrame{9600, 8, 'N', 1} << LineFrame{9600, 7, 'O', 1};
        QTest::newRow("unit 8E1, port 8N2") << LineFrame{9600, 8, 'E', 1} << LineFrame{9600, 8, 'N', 2};
    }
    void otherLineSettingsNeverGiveAValidEcho()
    {
        QFETCH(LineFrame, unit);
        QFETCH(LineFrame, port);
        bus->removeUnits();
        UnitConfig c;
        c.number = 7;
        c.frame = unit;
        bus->addUnit(c); // selected, as after power-up
        QVERIFY(line->setFrame(port));
        for (const std::string req : {"sc 7", "rt"}) {
            const Reply r = transact(*line, req, 80);
            QVERIFY(!r.failed);
            const bool validEcho = r.lineErrors == 0 && r.bytes.starts_with(req.substr(0, 2) + " ")
                                   && r.bytes.ends_with("\r\n");
            QVERIFY2(!validEcho, (req + " -> " + r.bytes).c_str());
        }
        // Back on the unit's settings it answers.
        QVERIFY(line->setFrame(unit));
        QCOMPARE(ask("sc 7"), std::string("sc 7\r\n"));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("faultText");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<uint>("lineErrors");
        QTest::newRow("no reply to a command") << "no-reply:cmd=rt"
                                               << "rt" << QByteArray() << 0u;
        QTest::newRow("no reply, other command") << "no-reply:cmd=rt"
                                                 << "rh" << QByteArray("rh HW VX50-3 rev C\r\n") << 0u;
        QTest::newRow("wrong echo letters") << "wrong-echo"
                                            << "sc 0" << QByteArray("tc 0\r\n") << 0u;
        QTest::newRow("wrong echo zero") << "wrong-echo:echo=zero"
                                         << "sc 0" << QByteArray("sc 00\r\n") << 0u;
        QTest::newRow("wrong echo blank") << "wrong-echo:cmd=sc,echo=blank"
                                          << "sc 0" << QByteArray("sc 0 \r\n") << 0u;
        QTest::newRow("er 7 at parameter") << "er7:p=12"
                                           << "wp 12 60" << QByteArray("er 7\r\n") << 0u;
        QTest::newRow("er 7 not at 120") << "er7:p=12"
                                         << "wp 120 5" << QByteArray("wp 120 5\r\n") << 0u;
        QTest::newRow("er 7 at setpoint") << "er7:s=5"
                                          << "ws 5 1" << QByteArray("er 7\r\n") << 0u;
        QTest::newRow("garbage") << "garbage:cmd=rf,bytes=fe13"
                                 << "rf" << QByteArray("\xfe\x13rf -1\r\n") << 0u;
        QTest::newRow("line error") << "line-error:cmd=rf,flags=frame|overrun,at=1"
                                    << "rf" << QByteArray("rf -1\r\n")
                                    << uint(CE_FRAME | CE_OVERRUN);
        QTest::newRow("unit filter") << "no-reply:unit=5"
                                     << "rf" << QByteArray("rf -1\r\n") << 0u;
        QTest::newRow("no line end") << "no-line-end:cmd=rp"
                                     << "rp 12" << QByteArray("rp 12 50") << 0u;
        QTest::newRow("echo of another argument") << "wrong-echo:echo=args"
                                                  << "rp 12" << QByteArray("rp 13 50\r\n") << 0u;
        QTest::newRow("echo of another argument, carry") << "wrong-echo:echo=args"
                                                         << "rs 9" << QByteArray("rs 10 0\r\n") << 0u;
        QTest::newRow("echo of another argument, none") << "wrong-echo:echo=args"
                                                        << "wf" << QByteArray("xf\r\n") << 0u;
        QTest::newRow("er n") << "er:n=3,cmd=rp"
                              << "rp 12" << QByteArray("er 3\r\n") << 0u;
        QTest::newRow("er n at a write") << "er:n=3"
                                         << "wp 12 60" << QByteArray("er 3\r\n") << 0u;
    }
    void faults()
    {
        QFETCH(QString, faultText);
        QFETCH(QString, request);
        QFETCH(QByteArray, reply);
        QFETCH(uint, lineErrors);
        Fault f;
        std::string error;
        QVERIFY2(parseFault(faultText.toStdString(), f, error), error.c_str());
        bus->addFault(f);
        const Reply r = transact(*line, request.toStdString());
        QCOMPARE(QByteArray::fromStdString(r.bytes), reply);
        QCOMPARE(r.lineErrors, lineErrors);
        QCOMPARE(bus->parameter(0, 12), 50); // a refused write changes nothing
        QCOMPARE(bus->log().back().faults.empty(), faultText.startsWith("no-reply:unit") || request == "rh"
                                                       || request.startsWith("wp 120"));
    }

    void noReplyToNthRequestOnly()
    {
        bus->addFault(Fault::noReply("", 2));
        QCOMPARE(ask("rf"), std::string("rf -1\r\n"));
        const Reply lost = transact(*line, "rp 12", 150);
        QCOMPARE(lost.bytes, std::string());
        QVERIFY(!lost.failed);
        QCOMPARE(ask("rp 12"), std::string("rp 12 50\r\n"));
        // A lost write is never carried out.
        bus->addFault(Fault::noReply("wp", 1));
        QCOMPARE(ask("wp 12 1"), std::string());
        QCOMPARE(bus->parameter(0, 12), 50);
    }

    void refusedSelectChangesNothing()
    {
        QCOMPARE(ask("sc 9"), std::string()); // nobody is selected now
        const int id = bus->addFault(Fault::errorReply("sc", 3));
        QCOMPARE(ask("sc 0"), std::string("er 3\r\n"));
        QCOMPARE(bus->selectedUnit(), -1);
        QCOMPARE(bus->log().back().faults, std::vector<std::string>{"er3"});
        bus->removeFault(id);
        QCOMPARE(ask("sc 0"), std::string("sc 0\r\n"));
        QCOMPARE(bus->selectedUnit(), 0);
    }

    void babbleRunsUntilPurgedOrInterrupted()
    {
        bus->setParameter(0, 12, -3500);
        bus->addFault(Fault::babble("rp", 10000));
        bus->addFault(Fault::babble("sc", 100));
        bus->addFault(Fault::babble("rt", std::numeric_limits<int>::max()));
        auto deliver = [&](const std::string& request, const LineFrame& frame = F9600O) {
            PortSession session;
            const std::string out = request + "\r";
            return bus->transmit(session, reinterpret_cast<const uint8_t*>(out.data()), out.size(),
                                 PortView{frame, true}, Clock::now());
        };
        // Back to back for ten seconds: one character time apart.
        const Delivery d = deliver("rp 12");
        QVERIFY(d.bytes.size() > 8000);
        std::string head;
        for (size_t i = 0; i < 26; ++i)
            head += char(d.bytes[i].value);
        QCOMPARE(head, std::string("rp 12 -3500\r\nrp 12 -3500\r\n"));
        QVERIFY(d.bytes.back().due - d.bytes.front().due > 9s);
        for (size_t i = 1; i < d.bytes.size(); ++i)
            QVERIFY(d.bytes[i].due - d.bytes[i - 1].due < 2ms);
        QCOMPARE(bus->log().back().reply, std::string("rp 12 -3500\r\n"));
        QCOMPARE(bus->log().back().faults, std::vector<std::string>{"babble"});
        // Without a reply there is still babble; a huge length stays bounded.
        const Delivery unanswered = deliver("sc 0", LineFrame{19200, 8, 'O', 1});
        QCOMPARE(bus->log().back().unit, -1);
        QVERIFY(!unanswered.bytes.empty());
        QCOMPARE(unanswered.bytes.front().value, uint8_t('r'));
        QCOMPARE(deliver("rt").bytes.size(), Fault::BabbleLimit + std::string("rt VX50 V2.04\r\n").size());

        // On the line the bytes come one by one, far more than a reply holds.
        QVERIFY(line->purge());
        QVERIFY(line->write(reinterpret_cast<const uint8_t*>("rp 12\r"), 6));
        std::string got;
        uint8_t b;
        while (got.size() < 300 && line->readByte(b, got.empty() ? 300 : 20) == SerialLine::ReadResult::Byte)
            got += char(b);
        QCOMPARE(got.size(), size_t(300));
        // A purge drops the rest; so does a new request, whose reply then follows.
        QVERIFY(line->purge());
        QCOMPARE(line->readByte(b, 100), SerialLine::ReadResult::Timeout);
        QVERIFY(line->write(reinterpret_cast<const uint8_t*>("rp 12\r"), 6));
        QCOMPARE(line->readByte(b, 300), SerialLine::ReadResult::Byte);
        QVERIFY(line->write(reinterpret_cast<const uint8_t*>("rf\r"), 3));
        got.clear();
        while (got.size() < 2000 && line->readByte(b, 50) == SerialLine::ReadResult::Byte)
            got += char(b);
        QVERIFY2(got.ends_with("rf -1\r\n") && got.size() < 40, (std::to_string(got.size()) + " bytes").c_str());
        // Closing with babble queued leaves nothing behind.
        QVERIFY(line->write(reinterpret_cast<const uint8_t*>("rp 12\r"), 6));
        QCOMPARE(line->readByte(b, 300), SerialLine::ReadResult::Byte);
        line->close();
        QCOMPARE(line->readByte(b, 10), SerialLine::ReadResult::Error);
        QVERIFY(line->open("sim"));
        QCOMPARE(line->readByte(b, 100), SerialLine::ReadResult::Timeout);
    }

    void pauseInsideReplyCutsIt()
    {
        Fault once = Fault::pause("rf", 150, 3);
        once.times = 1;
        bus->addFault(once);
        const auto t0 = Clock::now();
        QCOMPARE(ask("rf"), std::string("rf ")); // the reply ends at the first gap over 50 ms
        uint8_t b;
        std::string rest;
        while (line->readByte(b, 300) == SerialLine::ReadResult::Byte && rest.size() < 4)
            rest += char(b);
        QCOMPARE(rest, std::string("-1\r\n"));
        QVERIFY(Clock::now() - t0 >= 150ms);
        // A purge throws away what was still to come.
        bus->addFault(Fault::pause("rh", 150, 2));
        QCOMPARE(ask("rh"), std::string("rh"));
        QCOMPARE(ask("rf"), std::string("rf -1\r\n"));
    }

    // A stalled unit's late bytes: a purge or the next request does not stop them,
    // and the next reply queues behind them.
    void lateBytesOutliveAPurge_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("early"); // what comes before the purge
        QTest::newRow("cut") << int(Fault::Kind::Cut) << QByteArray("rf -");
        QTest::newRow("stale") << int(Fault::Kind::Stale) << QByteArray();
    }
    void lateBytesOutliveAPurge()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, early);
        bus->addFault(Fault::Kind(kind) == Fault::Kind::Cut ? Fault::cut("rf", 200) : Fault::stale("rf", 700));
        const auto t0 = Clock::now();
        QCOMPARE(QByteArray::fromStdString(ask("rf")), early);
        QVERIFY(line->purge());
        const std::string next = "rh\r";
        QVERIFY(line->write(reinterpret_cast<const uint8_t*>(next.data()), next.size()));
        std::string got;
        uint8_t b = 0;
        while (got.find("rh HW VX50-3 rev C\r\n") == std::string::npos
               && line->readByte(b, 3000) == SerialLine::ReadResult::Byte)
            got += char(b);
        QCOMPARE(early + QByteArray::fromStdString(got), QByteArray("rf -1\r\nrh HW VX50-3 rev C\r\n"));
        QVERIFY(Clock::now() - t0 >= 200ms);
    }

    // The same seed and requests give the same faults; every kind turns up.
    void randomFaultsReplayBySeed()
    {
        auto run = [](uint64_t seed) {
            SimBus b;
            b.setParamTable(parseParamTable(Limits));
            b.addUnit(UnitConfig{});
            b.addFault(Fault::random(0.25, seed));
            PortSession session;
            std::vector<std::pair<std::string, std::string>> seen;
            for (int i = 0; i < 400; ++i) {
                const std::string rq = (i % 2 ? "rp 12\r" : "rf\r");
                b.transmit(session, reinterpret_cast<const uint8_t*>(rq.data()), rq.size(), {F9600O, true}, Clock::now());
                const LogEntry e = b.log().back();
                seen.emplace_back(e.faults.empty() ? std::string() : e.faults.front(), e.reply);
            }
            return seen;
        };
        const auto first = run(42);
        QVERIFY(first == run(42));
        QVERIFY(first != run(43));
        std::set<std::string> kinds;
        int hits = 0;
        for (const auto& [fault, reply] : first) {
            if (fault.empty()) {
                QVERIFY(reply == "rf -1\r\n" || reply == "rp 12 50\r\n");
                continue;
            }
            ++hits;
            kinds.insert(fault);
        }
        QVERIFY2(hits > 60 && hits < 140, qPrintable(QString::number(hits)));
        QCOMPARE(kinds, (std::set<std::string>{"random:burst", "random:cut", "random:dup", "random:garbage",
                                               "random:no-line-end", "random:no-reply", "random:stale"}));
    }

    void unplugAfterRequests()
    {
        bus->addFault(Fault::unplugAfter(2));
        QCOMPARE(ask("rf"), std::string("rf -1\r\n"));
        QCOMPARE(ask("rt"), std::string("rt VX50 V2.04\r\n")); // the second reply still arrives whole
        const Reply r = transact(*line, "rf");
        QVERIFY(r.failed);
        QCOMPARE(r.osError, EIO);
        QVERIFY(!line->setFrame(F9600O));
        line->close();
        QVERIFY(!line->open("sim"));
        QCOMPARE(line->lastError(), ENOENT);

        bus->replug();
        SimLine fresh(*bus);
        QVERIFY(fresh.open("sim"));
        QVERIFY(fresh.setFrame(F9600O));
        QCOMPARE(transact(fresh, "rf").bytes, std::string("rf -1\r\n"));
    }

    void blockedReadWakesOnUnplugAndClose_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("unplug") << true;
        QTest::newRow("close") << false;
    }
    void blockedReadWakesOnUnplugAndClose()
    {
        QFETCH(bool, unplug);
        std::atomic<int> result{-1};
        Clock::duration took{};
        std::thread reader([&] {
            const auto t0 = Clock::now();
            uint8_t b;
            result = int(line->readByte(b, 3000));
            took = Clock::now() - t0;
        });
        std::this_thread::sleep_for(50ms);
        if (unplug)
            bus->unplug();
        else
            line->close();
        reader.join();
        QCOMPARE(result.load(), int(SerialLine::ReadResult::Error));
        QVERIFY(took < 1000ms);
        QCOMPARE(line->lastError(), unplug ? EIO : EBADF);
    }

    void requestLogRecordsWhatAndWhen()
    {
        const auto t0 = Clock::now();
        ask("sc 0");
        ask("rp 12");
        ask("sc 5"); // nobody at 9600
        QVERIFY(line->setFrame(F38400E));
        ask("sc 5");
        const auto log = bus->log();
        QCOMPARE(log.size(), size_t(4));
        QCOMPARE(bus->requests(), (std::vector<std::string>{"sc 0", "rp 12", "sc 5", "sc 5"}));
        QCOMPARE(log[1].reply, std::string("rp 12 50\r\n"));
        QCOMPARE(log[1].unit, 0);
        QCOMPARE(log[2].unit, -1);
        QCOMPARE(log[2].reply, std::string());
        QCOMPARE(log[3].frame, F38400E);
        QCOMPARE(log[3].unit, 5);
        QVERIFY(log[0].started >= t0);
        for (size_t i = 1; i < log.size(); ++i)
            QVERIFY(log[i].sent > log[i - 1].sent && log[i].ms > log[i - 1].ms);
        // "rp 12" + CR: six characters of 11 bits at 9600 baud.
        const double onLine = std::chrono::duration<double, std::milli>(log[1].sent - log[1].started).count();
        QVERIFY2(std::abs(onLine - 6 * 11 / 9.6) < 0.1, QByteArray::number(onLine));

        // Another thread can wait for traffic.
        bus->clearLog();
        std::thread talker([&] {
            std::this_thread::sleep_for(30ms);
            ask("rt");
        });
        QVERIFY(bus->waitForRequests(1, 2000));
        talker.join();
        QCOMPARE(bus->requests(), std::vector<std::string>{"rt"});
    }

    void defaultBusServesTwoControllers()
    {
        // A parameter file given to the default bus sets its limits and defaults.
        QTemporaryDir dir;
        QFile f(dir.filePath("Parameters.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[012]\r\nmin=1\r\nmax=9\r\ndefault=4\r\n");
        f.close();
        setDefaultBusParametersPath(dir.filePath("Parameters.txt").toStdString());
        resetDefaultBus();
        SimBus& fresh = defaultBus();
        QCOMPARE(fresh.unitNumbers(), (std::vector<int>{0, 5}));
        QCOMPARE(fresh.selectedUnit(), 0);
        fresh.addFault(Fault::noReply());
        fresh.setLatencyMs(9);

        SimLine own; // on the default bus
        QVERIFY(own.open("sim"));
        QVERIFY(own.setFrame(F9600O));
        resetDefaultBus(); // faults and latency go, the open line stays usable
        QCOMPARE(fresh.latencyMs(), 2.0);
        QCOMPARE(transact(own, "rp 12").bytes, std::string("rp 12 4\r\n"));
        QCOMPARE(transact(own, "wp 12 10").bytes, std::string("er 7\r\n"));
        QVERIFY(transact(own, "rt").bytes.starts_with("rt VX50"));
        QVERIFY(own.setFrame(F38400E));
        QCOMPARE(transact(own, "sc 5").bytes, std::string("sc 5\r\n"));
        QVERIFY(transact(own, "rt").bytes.starts_with("rt VX51"));
        // The demo cams drive outputs 1, 2, 3 and 5 only.
        QCOMPARE(fresh.parameter(5, 460), 1);
        const std::string ru = transact(own, "ru").bytes;
        QVERIFY(ru.starts_with("ru "));
        QCOMPARE(std::stoi(ru.substr(3)) & ~0x17, 0);
        QCOMPARE(fresh.requestCount(), size_t(6));

        setDefaultBusParametersPath({});
        resetDefaultBus();
    }

    void installHooksTheSimDevicePath()
    {
        installInProcessSimulator();
        QVERIFY(simLineAvailable());
        resetDefaultBus();
        auto sim = createSerialLine("sim");
        QVERIFY(dynamic_cast<SimLine*>(sim.get()) != nullptr);
        QVERIFY(sim->open("sim"));
        QVERIFY(sim->setFrame(F9600O));
        QCOMPARE(transact(*static_cast<SimLine*>(sim.get()), "sc 0").bytes, std::string("sc 0\r\n"));
        QCOMPARE(defaultBus().requests(), std::vector<std::string>{"sc 0"});
        resetDefaultBus();
    }

    void outputsFollowTheCams()
    {
        // Cycle of 360 units. Cam 1 on output 4 from 90 to 270; cam 2 on output 9
        // between setpoints 1 and 2 (300 ... 60, across zero); cam 3 inverted on
        // output 16 with an empty window, so always on; cam 4 has no function.
        SimUnit u(UnitConfig{}, ParamTable{});
        u.parameters[203] = 0;
        auto cam = [&](int n, int out, int function, int startSel, int start, int endSel, int end) {
            u.parameters[size_t(459 + n)] = out;
            u.parameters[size_t(299 + n)] = function;
            u.parameters[size_t(379 + n)] = startSel;
            u.parameters[size_t(159 + n)] = start;
            u.parameters[size_t(419 + n)] = endSel;
            u.parameters[size_t(119 + n)] = end;
        };
        cam(1, 4, 1, 0, 90, 0, 270);
        cam(2, 9, 1, 1, 0, 2, 0);
        u.setpoints[1] = 300;
        u.setpoints[2] = 60;
        cam(3, 16, 2, 0, 10, 0, 10);
        cam(4, 2, 0, 0, 0, 0, 359);
        QCOMPARE(u.cycleLength(), 360);
        int seen4 = 0, seen9 = 0;
        for (double t = 0; t < 4.0; t += 0.013) {
            const int p = u.position1(t);
            const uint32_t w = u.outputWord(t);
            // A cam switches on up to the distance covered in its advance (none here).
            QCOMPARE(bool(w & (1u << 3)), p >= 90 && p < 270);
            QCOMPARE(bool(w & (1u << 8)), p >= 300 || p < 60);
            QVERIFY(w & (1u << 15));
            QVERIFY(!(w & (1u << 1)));
            QCOMPARE(w & ~((1u << 3) | (1u << 8) | (1u << 15)), 0u);
            seen4 += bool(w & (1u << 3));
            seen9 += bool(w & (1u << 8));
            // Inputs use bits 0 ... 9 only; axis 2 trails axis 1.
            QCOMPARE(u.inputWord(t) & ~0x3ffu, 0u);
            QVERIFY(p >= 0 && p < 360);
        }
        QVERIFY(seen4 > 10 && seen9 > 10);
        // The advance of output 4 (microseconds) moves the window earlier.
        u.parameters[23] = 100000; // 0.1 s
        bool earlier = false;
        for (double t = 0; t < 4.0 && !earlier; t += 0.013) {
            const int p = u.position1(t);
            earlier = (u.outputWord(t) & (1u << 3)) && p < 90;
        }
        QVERIFY(earlier);
    }
};

QTEST_MAIN(TestSimLine)
#include "tst_simline.moc"
