// The port object: settings rules, refusals while open, opening real and missing devices.
#include "comm/SXComm.h"
#include "support/PtyPeer.h"

#include <QtTest>

using namespace vx;

class TestSXComm : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { resetPortDevicePaths(); }

    void hardwareRules();
    void storedIntegersClampToDefault();
    void portNameSetsAddress_data();
    void portNameSetsAddress();
    void devicePathMap();
    void refusedWhileOpen_data();
    void refusedWhileOpen();
    void assignOnlyWhileClosed();
    void missingDeviceRaises();
    void openPtyAndChangeFrameWhileOpen();
    void secondPortOnSameDeviceRefused();
};

void TestSXComm::hardwareRules()
{
    TSXComm c;
    c.setHardware(THardware::PCLabPCL745);
    QCOMPARE(c.PortType(), TPortType::RS485);
    QCOMPARE(c.TransmitDriver(), TTransmitDriver::tdRegister7to1);
    QCOMPARE(c.ReceiveDriver(), TReceiveDriver::rdRegister7to2);

    // A driver that does not belong to the hardware makes it user defined, nothing else moves.
    c.setTransmitDriver(TTransmitDriver::tdRTSto1);
    QCOMPARE(c.Hardware(), THardware::UserDefined);
    QCOMPARE(c.PortType(), TPortType::RS485);
    QCOMPARE(c.ReceiveDriver(), TReceiveDriver::rdRegister7to2);

    // Free choice once user defined.
    c.setPortType(TPortType::RS232C);
    c.setReceiveDriver(TReceiveDriver::rdNone);
    QCOMPARE(c.Hardware(), THardware::UserDefined);

    c.setHardware(THardware::PhoenixPSM);
    QCOMPARE(c.PortType(), TPortType::RS232C);
    QCOMPARE(c.TransmitDriver(), TTransmitDriver::tdDTRto0);
    QCOMPARE(c.ReceiveDriver(), TReceiveDriver::rdNone);
    c.setPortType(TPortType::RS422);
    QCOMPARE(c.Hardware(), THardware::UserDefined);

    c.setHardware(THardware::PCLabPCL745);
    QCOMPARE(c.PortType(), TPortType::RS422); // not RS232C, so it stays
    c.setPortType(TPortType::RS232C);
    QCOMPARE(c.Hardware(), THardware::UserDefined);

    c.setHardware(THardware::Standard);
    QCOMPARE(c.PortType(), TPortType::RS232C);
    QCOMPARE(c.TransmitDriver(), TTransmitDriver::tdNone);
    QCOMPARE(c.ReceiveDriver(), TReceiveDriver::rdNone);
    c.setReceiveDriver(TReceiveDriver::rdRegister7to2);
    QCOMPARE(c.Hardware(), THardware::UserDefined);
}

void TestSXComm::storedIntegersClampToDefault()
{
    TSXComm c;
    c.setBaudrateIndex(5);
    QCOMPARE(c.Baudrate(), TBaudrate::br28800);
    c.setBaudrateIndex(9);
    QCOMPARE(c.Baudrate(), TBaudrate::br9600);
    c.setPortNameIndex(16);
    QCOMPARE(c.PortName(), TPort::COM1);
    c.setHardwareIndex(-1);
    QCOMPARE(c.Hardware(), THardware::Standard);
}

void TestSXComm::portNameSetsAddress_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("address");
    QTest::newRow("COM2") << 1 << int(TPortAddr::pa_02F8);
    QTest::newRow("COM3") << 2 << int(TPortAddr::pa_03E8);
    QTest::newRow("COM4") << 3 << int(TPortAddr::pa_02E8);
    QTest::newRow("COM9 keeps") << 8 << int(TPortAddr::pa_02E8);
}

void TestSXComm::portNameSetsAddress()
{
    QFETCH(int, port);
    QFETCH(int, address);
    TSXComm c;
    c.setPortAddress(TPortAddr::pa_02E8);
    c.setPortName(static_cast<TPort>(port));
    QCOMPARE(int(c.PortAddress()), address);
    QCOMPARE(c.displayName(), QStringLiteral("COM %1").arg(port + 1));
}

void TestSXComm::devicePathMap()
{
    QCOMPARE(portDevicePath(1), std::string("/dev/ttyS0"));
    QCOMPARE(portDevicePath(16), std::string("/dev/ttyS15"));
    setPortDevicePath(3, "/dev/ttyUSB0");
    TSXComm c;
    c.setPortName(TPort::COM3);
    QCOMPARE(c.devicePath(), std::string("/dev/ttyUSB0"));
    setAllPortDevicePaths("sim");
    QCOMPARE(c.devicePath(), std::string("sim"));
    QCOMPARE(portDevicePath(16), std::string("sim"));
}

void TestSXComm::refusedWhileOpen_data()
{
    QTest::addColumn<int>("property");
    QTest::addColumn<QString>("reason");
    QTest::newRow("PortName") << 0 << "Cannot change port";
    QTest::newRow("PortAddress") << 1 << "Cannot change the port address";
    QTest::newRow("PortType") << 2 << "Cannot change the port type";
    QTest::newRow("Hardware") << 3 << "Cannot change port hardware";
    QTest::newRow("TransmitDriver") << 4 << "Cannot change device driver";
    QTest::newRow("ReceiveDriver") << 5 << "Cannot change device driver";
}

void TestSXComm::refusedWhileOpen()
{
    QFETCH(int, property);
    QFETCH(QString, reason);
    PtyPeer peer;
    QVERIFY(peer.ok());
    setPortDevicePath(2, peer.path());
    TSXComm c;
    c.setPortName(TPort::COM2);
    c.Open();
    QVERIFY(c.Active());
    QString text;
    try {
        switch (property) {
        case 0: c.setPortName(TPort::COM3); break;
        case 1: c.setPortAddress(TPortAddr::pa_03E8); break;
        case 2: c.setPortType(TPortType::RS485); break;
        case 3: c.setHardware(THardware::PCLabPCL745); break;
        case 4: c.setTransmitDriver(TTransmitDriver::tdRTSto1); break;
        case 5: c.setReceiveDriver(TReceiveDriver::rdRegister7to2); break;
        }
    } catch (const ECommInitError& e) {
        text = e.text();
    }
    QCOMPARE(text, "COM 2 is active!\r\n\r\n" + reason);
    QCOMPARE(c.PortName(), TPort::COM2);
    QCOMPARE(c.PortAddress(), TPortAddr::pa_02F8);
    QCOMPARE(c.PortType(), TPortType::RS232C);
    QCOMPARE(c.Hardware(), THardware::Standard);
    QCOMPARE(c.TransmitDriver(), TTransmitDriver::tdNone);
    QCOMPARE(c.ReceiveDriver(), TReceiveDriver::rdNone);
}

void TestSXComm::assignOnlyWhileClosed()
{
    PtyPeer peer;
    setPortDevicePath(1, peer.path());
    TSXComm source;
    source.setPortName(TPort::COM4);
    source.setBaudrate(TBaudrate::br57600);
    source.setHardware(THardware::UserDefined);
    source.setPortType(TPortType::RS422);
    source.setTransmitDriver(TTransmitDriver::tdRTSto1);

    TSXComm open;
    open.Open();
    open.Assign(source);
    QCOMPARE(open.PortName(), TPort::COM1);
    QCOMPARE(open.Baudrate(), TBaudrate::br9600);
    open.Close();

    // Hardware before the drivers, so a user-defined set survives the copy.
    TSXComm closed;
    closed.Assign(source);
    QCOMPARE(closed.PortName(), TPort::COM4);
    QCOMPARE(closed.Baudrate(), TBaudrate::br57600);
    QCOMPARE(closed.Hardware(), THardware::UserDefined);
    QCOMPARE(closed.PortType(), TPortType::RS422);
    QCOMPARE(closed.TransmitDriver(), TTransmitDriver::tdRTSto1);
}

void TestSXComm::missingDeviceRaises()
{
    setPortDevicePath(5, "/dev/no-such-port-here");
    TSXComm c;
    c.setPortName(TPort::COM5);
    int activated = 0;
    c.OnActivate = [&](TSXComm*) { ++activated; };
    bool raised = false;
    try {
        c.Open();
    } catch (const ECommHandleError& e) {
        raised = true;
        QCOMPARE(e.text(), QString::fromStdString(SerialLine::systemMessage(ENOENT)));
    }
    QVERIFY(raised);
    QVERIFY(!c.Active());
    QCOMPARE(activated, 0);
    QCOMPARE(c.QueueRequest(nullptr), -1);
}

void TestSXComm::openPtyAndChangeFrameWhileOpen()
{
    PtyPeer peer;
    QVERIFY(peer.ok());
    setPortDevicePath(1, peer.path());
    TSXComm c;
    int activated = 0, deactivated = 0;
    c.OnActivate = [&](TSXComm*) { ++activated; };
    c.OnDeactivate = [&](TSXComm*) { ++deactivated; };
    c.setActive(true);
    QVERIFY(c.Active());
    QCOMPARE(activated, 1);

    termios tio{};
    QCOMPARE(tcgetattr(peer.slaveFd(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));

    c.setBaudrate(TBaudrate::br19200);
    c.setFrameParitybit(TParityBit::Odd);
    c.setFrameStopbits(TStopBit::sb_2);
    c.setFrameDatabits(TDataBit::db_7);
    QCOMPARE(tcgetattr(peer.slaveFd(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
    QVERIFY(tio.c_cflag & CSTOPB); // a pty keeps no parity or data bits

    c.setBaudrate(TBaudrate::br28800); // no termios constant for this one
    c.setBaudrate(TBaudrate::br115200);
    QCOMPARE(tcgetattr(peer.slaveFd(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B115200));

    c.setActive(false);
    QVERIFY(!c.Active());
    QCOMPARE(deactivated, 1);
    // Closed: the setting is kept for the next opening.
    c.setBaudrate(TBaudrate::br4800);
    c.Open();
    QCOMPARE(tcgetattr(peer.slaveFd(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B4800));
}

void TestSXComm::secondPortOnSameDeviceRefused()
{
    PtyPeer peer;
    setPortDevicePath(1, peer.path());
    TSXComm a, b;
    a.Open();
    QVERIFY_THROWS_EXCEPTION(ECommHandleError, b.Open());
    QVERIFY(!b.Active());
    a.Close();
    b.Open();
    QVERIFY(b.Active());
}

QTEST_MAIN(TestSXComm)
#include "tst_sxcomm.moc"
