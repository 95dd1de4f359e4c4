// The serial-device scan against a made-up /dev and /sys under a temporary root.
#include <QtTest>

#include "core/SerialDevices.h"

using namespace vx;

namespace {

void put(const QString& path, const QByteArray& text = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TstSerialDevices : public QObject {
    Q_OBJECT

private slots:
    void scanAndResolve()
    {
        QTemporaryDir tmp;
        const QString r = tmp.path();
        // A fitted UART, an unfitted one (type 0), and a node with no sysfs entry.
        for (const char* n : {"ttyS0", "ttyS1", "ttyS2", "tty0", "ttyprintk", "ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0",
                              "ttyAMA0", "rfcomm1", "ttyXRUSB0", "ttyCH343USB3", "ttymxc2", "ttySC0", "ptmx", "sda"})
            put(r + "/dev/" + n);
        // A board UART under a name of its own, and a virtual tty.
        put(r + "/dev/ttyNEW4");
        QDir().mkpath(r + "/sys/class/tty/ttyNEW4/device");
        QDir().mkpath(r + "/sys/class/tty/ptmx");
        put(r + "/sys/class/tty/ttyS0/type", "4\n");
        QDir().mkpath(r + "/sys/class/tty/ttyS0/device");
        put(r + "/sys/class/tty/ttyS1/type", "0\n");
        QDir().mkpath(r + "/sys/class/tty/ttyS1/device");
        // A USB adapter: maker and product on the device, the tty on its interface.
        put(r + "/sys/devices/usb1/1-1/manufacturer", "FTDI\n");
        put(r + "/sys/devices/usb1/1-1/product", "FT232R USB UART\n");
        put(r + "/sys/devices/usb1/1-1/serial", "A1B2\n");
        QDir().mkpath(r + "/sys/devices/usb1/1-1/1-1:1.0/ttyUSB0");
        QDir().mkpath(r + "/sys/class/tty/ttyUSB0");
        QVERIFY(QFile::link(r + "/sys/devices/usb1/1-1/1-1:1.0", r + "/sys/class/tty/ttyUSB0/device"));
        QDir().mkpath(r + "/dev/serial/by-id");
        const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0";
        QVERIFY(QFile::link("../../ttyUSB0", r + byId));

        const QList<SerialDevice> found = scanSerialDevices(r);
        QStringList paths;
        for (const SerialDevice& d : found)
            paths << d.path;
        QCOMPARE(paths, QStringList({"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                                     "/dev/rfcomm1", "/dev/ttyAMA0", "/dev/ttyCH343USB3", "/dev/ttyNEW4", "/dev/ttySC0",
                                     "/dev/ttyXRUSB0", "/dev/ttymxc2"}));
        QCOMPARE(found[1].byId, byId);
        QCOMPARE(found[1].description(), QString("/dev/ttyUSB0 (FTDI FT232R USB UART)"));
        QCOMPARE(found[1].serial, QString("A1B2"));
        QCOMPARE(found[0].description(), QString("/dev/ttyS0"));
        QVERIFY(found[2].byId.isEmpty());

        QCOMPARE(resolveSerialDevice(byId, r), QString("/dev/ttyUSB0"));
        QCOMPARE(resolveSerialDevice("/dev/ttyACM0", r), QString("/dev/ttyACM0"));
        QVERIFY(resolveSerialDevice("/dev/ttyUSB7", r).isEmpty());
        // The adapter pulled: its by-id link is gone with it.
        QVERIFY(QFile::remove(r + byId));
        QVERIFY(resolveSerialDevice(byId, r).isEmpty());
        QCOMPARE(scanSerialDevices(r).size(), found.size()); // a root of its own never asks udev
    }

    void whichTtysArePorts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hasDevice");
        QTest::addColumn<QString>("uartType");
        QTest::addColumn<bool>("port");
        QTest::newRow("fitted UART") << "ttyS0" << true << "4" << true;
        QTest::newRow("UART not fitted") << "ttyS1" << true << "0" << false;
        QTest::newRow("ttyS without device") << "ttyS2" << false << "" << false;
        for (const char* n : {"ttyUSB0", "ttyACM1", "ttyAMA0", "ttymxc3", "ttySC1", "rfcomm0", "ttyXRUSB2", "ttyCH343USB0",
                              "ttyO2", "ttySAC1", "ttyPS0", "ttyTHS1", "ttyGS0"})
            QTest::newRow(n) << n << false << "" << true;
        QTest::newRow("unknown name with a device") << "ttyFOO7" << true << "" << true;
        QTest::newRow("unknown name, no device") << "ttyFOO7" << false << "" << false;
        for (const char* n : {"tty", "tty0", "tty63", "ttyprintk", "console", "ptmx", "ttyp0", "ptyp0"})
            QTest::newRow(n) << n << true << "" << false;
    }
    void whichTtysArePorts()
    {
        QFETCH(QString, name);
        QFETCH(bool, hasDevice);
        QFETCH(QString, uartType);
        QFETCH(bool, port);
        QCOMPARE(isSerialPort(name, hasDevice, uartType), port);
    }

    // libudev and the sysfs scan see the same ports and links on this machine (udev
    // may know more names, from its hardware database).
    void udevAgreesWithSysfs()
    {
        if (!udevAvailable()) QSKIP("libudev.so.1 is not installed");
        auto names = [](const QList<SerialDevice>& list) {
            QStringList out;
            for (const SerialDevice& d : list)
                out << d.path + u' ' + d.byId;
            return out;
        };
        QCOMPARE(names(scanSerialDevices()), names(scanSerialDevicesInSysfs()));
    }
};

QTEST_GUILESS_MAIN(TstSerialDevices)
#include "tst_serialdevices.moc"
