// vx5x-sim end to end: the program serves a pseudo-terminal and the test talks to
// it through plain termios, as the real serial line layer does.
#include "support/SimProcess.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedCode(int baud)
{
    switch (baud) {
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B9600;
    }
}

bool configure(int fd, int baud, bool twoStopBits = false)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    // Parity is invisible on a pty (and refused by some kernels); the unit's own is assumed.
    t.c_cflag |= CLOCAL | CREAD;
    if (twoStopBits)
        t.c_cflag |= CSTOPB;
    else
        t.c_cflag &= ~tcflag_t(CSTOPB);
    cfsetispeed(&t, speedCode(baud));
    cfsetospeed(&t, speedCode(baud));
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

struct Read {
    QByteArray bytes;
    bool hangup = false;
};

// Reads until the bytes end with `end` (a line end by default), the line hangs up or
// deadlineMs pass. Never stops at a pause, so a loaded machine does not cut a reply.
Read readReply(int fd, const QByteArray& end = "\n", int deadlineMs = 5000)
{
    Read r;
    QElapsedTimer timer;
    timer.start();
    while (!r.bytes.endsWith(end)) {
        const qint64 left = deadlineMs - timer.elapsed();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, int(left)) <= 0)
            break;
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            r.hangup = n == 0 || errno == EIO;
            break;
        }
        r.bytes.append(buf, int(n));
    }
    return r;
}

// How long to wait where no proper reply is due: silence, or garbled bytes that may
// lack a line end.
constexpr int NoReplyMs = 600;

// Everything that arrives within ms.
QByteArray readFor(int fd, int ms)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, int(n));
    }
    return got;
}

// A request and its reply, read to its line end.
Read ask(int fd, const QByteArray& request, int deadlineMs = 5000)
{
    tcflush(fd, TCIOFLUSH);
    const QByteArray out = request + "\r";
    if (::write(fd, out.constData(), size_t(out.size())) != out.size())
        return {{}, true};
    return readReply(fd, "\n", deadlineMs);
}

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT

    std::unique_ptr<vx::test::SimProcess> sim;
    int fd = -1;

    bool start(const QStringList& args)
    {
        sim = std::make_unique<vx::test::SimProcess>();
        if (!QFileInfo::exists(vx::test::SimProcess::program()) || !sim->start(args))
            return false;
        fd = ::open(sim->pty.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        return fd >= 0 && configure(fd, 9600);
    }

private slots:
    void cleanup()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        sim.reset();
    }

    void talksOverThePseudoTerminal()
    {
        QVERIFY(start({}));
        // Out of the box unit 0 is selected, so a typed "rt" answers at once,
        // one key at a time as a terminal program sends it.
        tcflush(fd, TCIOFLUSH);
        for (char c : {'r', 't', '\r'}) {
            QCOMPARE(::write(fd, &c, 1), ssize_t(1));
            QTest::qWait(30);
        }
        QVERIFY(readReply(fd).bytes.startsWith("rt VX50"));

        QCOMPARE(ask(fd, "sc 0").bytes, QByteArray("sc 0\r\n"));
        QCOMPARE(ask(fd, "rp 460").bytes.left(7), QByteArray("rp 460 "));
        // Unit 5 listens at 38400 baud only.
        QCOMPARE(ask(fd, "sc 5", NoReplyMs).bytes, QByteArray());
        QVERIFY(configure(fd, 38400));
        QCOMPARE(ask(fd, "sc 5").bytes, QByteArray("sc 5\r\n"));
        QVERIFY(ask(fd, "rt").bytes.startsWith("rt VX51"));
        // A pty shows the stop bits: unit 5 uses one.
        QVERIFY(configure(fd, 38400, true));
        QVERIFY(ask(fd, "sc 5", NoReplyMs).bytes != QByteArray("sc 5\r\n"));
        QVERIFY(configure(fd, 19200));
        QVERIFY(ask(fd, "sc 5", NoReplyMs).bytes != QByteArray("sc 5\r\n"));
    }

    void faultsFromTheCommandLine()
    {
        QVERIFY(start({"--fault", "no-reply:cmd=rh", "--fault", "er7:p=12", "--fault", "unplug:after=4",
                       "--latency", "1"}));
        QCOMPARE(ask(fd, "rh", NoReplyMs).bytes, QByteArray());
        QCOMPARE(ask(fd, "wp 12 5").bytes, QByteArray("er 7\r\n"));
        QCOMPARE(ask(fd, "rf").bytes, QByteArray("rf -1\r\n"));
        QCOMPARE(ask(fd, "rf").bytes, QByteArray("rf -1\r\n"));
        // After the fourth request the adapter is gone: the master side closes.
        const Read r = ask(fd, "rf");
        QVERIFY(r.hangup || r.bytes.isEmpty());
        QVERIFY(sim->process.waitForFinished(3000));
        QCOMPARE(sim->process.exitCode(), 0);
        pollfd p{fd, POLLIN, 0};
        QCOMPARE(poll(&p, 1, 100), 1);
        QVERIFY(p.revents & (POLLHUP | POLLERR));
        char c = 'x';
        QCOMPARE(::write(fd, &c, 1), ssize_t(-1));
        QCOMPARE(errno, EIO);
    }

    void babbleStopsAtPurgeOrNextRequest()
    {
        QVERIFY(start({"--fault", "babble:cmd=rh,ms=10000"}));
        tcflush(fd, TCIOFLUSH);
        QCOMPARE(::write(fd, "rh\r", 3), ssize_t(3));
        // About 480 bytes in half a second at 9600 baud, no gaps.
        const QByteArray babble = readFor(fd, 500);
        QVERIFY2(babble.size() > 300, QByteArray::number(babble.size()));
        QVERIFY(babble.startsWith("rh HW VX50-3 rev C\r\nrh HW VX50-3 rev C\r\n"));
        // Our purge reaches the simulator; only what was already on its way comes.
        tcflush(fd, TCIOFLUSH);
        QVERIFY(readFor(fd, 300).size() < 10);

        QCOMPARE(::write(fd, "rh\r", 3), ssize_t(3));
        QVERIFY(readFor(fd, 200).size() > 100);
        QCOMPARE(::write(fd, "rf\r", 3), ssize_t(3));
        const Read r = readReply(fd, "rf -1\r\n");
        QVERIFY2(r.bytes.endsWith("rf -1\r\n") && r.bytes.size() < 64, r.bytes.right(40).constData());
    }

    // One random kind at a time, on every "rf": "rf", then "rh" 100 ms later with no
    // purge, and what the line brings up to the last line end expected.
    void randomFaultKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("pattern"); // of everything read
        QTest::addColumn<int>("lineEnds");
        QTest::addColumn<int>("lateMs"); // the first line end comes no sooner
        const QString rh = QStringLiteral("rh HW VX50-3 rev C\\r\\n");
        const QString junk = QStringLiteral("[\\x01-\\x09\\x0b\\x0c\\x0e-\\x10\\x12\\x14-\\x1f\\x7f]");
        QTest::newRow("cut") << "cut"
                             << "rf -1\\r\\n" + rh << 2 << 60;
        QTest::newRow("stale") << "stale"
                               << "rf -1\\r\\n" + rh << 2 << 600;
        QTest::newRow("dup") << "dup"
                             << "rf -1\\r\\nrf -1\\r\\n" + rh << 3 << 0;
        QTest::newRow("garbage") << "garbage"
                                 << "(?=.{5}\\r\\n)(?!rf -1)(r|" + junk + ")(f|" + junk + ")( |" + junk
                                        + ")(-|" + junk + ")(1|" + junk + ")\\r\\n" + rh
                                 << 2 << 0;
        QTest::newRow("burst") << "burst" << junk + "{3,24}rf -1\\r\\n" + rh << 2 << 0;
        QTest::newRow("no line end") << "no-line-end"
                                     << "rf -1" + rh << 1 << 0;
        QTest::newRow("no reply") << "no-reply" << rh << 1 << 0;
    }
    void randomFaultKinds()
    {
        QFETCH(QString, kind);
        QFETCH(QString, pattern);
        QFETCH(int, lineEnds);
        QFETCH(int, lateMs);
        QVERIFY(start({"--fault", "random:rate=1,seed=5,cmd=rf,kinds=" + kind, "--latency", "1"}));
        tcflush(fd, TCIOFLUSH);
        QElapsedTimer sent;
        sent.start();
        QCOMPARE(::write(fd, "rf\r", 3), ssize_t(3));
        QTest::qWait(100);
        QCOMPARE(::write(fd, "rh\r", 3), ssize_t(3));
        QByteArray got;
        qint64 firstLineEnd = -1;
        while (got.count("\r\n") < lineEnds && sent.elapsed() < 5000) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            QVERIFY(n > 0);
            got.append(buf, int(n));
            if (firstLineEnd < 0 && got.contains("\r\n"))
                firstLineEnd = sent.elapsed();
        }
        const QRegularExpression re("^" + pattern + "$", QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(re.match(QString::fromLatin1(got)).hasMatch(), got.toPercentEncoding().constData());
        QVERIFY2(firstLineEnd >= lateMs, qPrintable(QString::number(firstLineEnd)));
    }

    void rejectsBadOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown fault") << QStringList{"--fault", "explode"} << "unknown fault";
        for (const char* bad : {"inf", "nan", "1e300", "-5", "10001"})
            QTest::newRow(bad) << QStringList{"--latency", bad} << "want milliseconds from 0 to 10000";
        QTest::newRow("random rate") << QStringList{"--fault", "random:rate=2"} << "probability";
    }
    void rejectsBadOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString program = QCoreApplication::applicationDirPath() + "/vx5x-sim";
        QProcess p;
        p.start(program, args);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains(message.toLatin1()));
    }
};

QTEST_MAIN(TestSimPty)
#include "tst_simpty.moc"
