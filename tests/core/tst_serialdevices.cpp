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
        for (const char* n : {"ttyS0", "ttyS1", "ttyS2", "tty0", "ttyprintk", "ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0"})
            put(r + "/dev/" + n);
        put(r + "/sys/class/tty/ttyS0/type", "4\n");
        QDir().mkpath(r + "/sys/class/tty/ttyS0/device");
        put(r + "/sys/class/tty/ttyS1/type", "0\n");
        QDir().mkpath(r + "/sys/class/tty/ttyS1/device");
        // A USB adapter: maker and product on the device, the tty on its interface.
        put(r + "/sys/devices/usb1/1-1/manufacturer", "FTDI\n");
        put(r + "/sys/devices/usb1/1-1/product", "FT232R USB UART\n");
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
        QCOMPARE(paths, QStringList({"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0"}));
        QCOMPARE(found[1].byId, byId);
        QCOMPARE(found[1].description(), QString("/dev/ttyUSB0 (FTDI FT232R USB UART)"));
        QCOMPARE(found[0].description(), QString("/dev/ttyS0"));
        QVERIFY(found[2].byId.isEmpty());

        QCOMPARE(resolveSerialDevice(byId, r), QString("/dev/ttyUSB0"));
        QCOMPARE(resolveSerialDevice("/dev/ttyACM0", r), QString("/dev/ttyACM0"));
        QVERIFY(resolveSerialDevice("/dev/ttyUSB7", r).isEmpty());
        // The adapter pulled: its by-id link is gone with it.
        QVERIFY(QFile::remove(r + byId));
        QVERIFY(resolveSerialDevice(byId, r).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstSerialDevices)
#include "tst_serialdevices.moc"
