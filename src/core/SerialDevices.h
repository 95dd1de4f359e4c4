#pragma once
// The serial devices present on this machine: built-in ports, board UARTs, USB
// adapters and modems, Bluetooth serial links, with the stable /dev/serial/by-id
// names udev gives adapters and the maker, product and serial number they report.
// Asks libudev when the system has it (loaded at run time, so nothing needs it) and
// otherwise reads the file system under a root that tests swap for a temporary
// folder; needs Qt Core only.
#include <QList>
#include <QString>

namespace vx {

struct SerialDevice {
    QString path;    // "/dev/ttyUSB0", as the running system names it
    QString byId;    // "/dev/serial/by-id/usb-FTDI_...-if00-port0", or empty
    QString maker;   // "FTDI", or empty
    QString product; // "FT232R USB UART", or empty
    QString serial;  // the adapter's serial number, or empty

    // "/dev/ttyUSB0 (FTDI FT232R USB UART)", or the path alone.
    QString description() const;
};

// Whether a tty is a serial port to offer: a serial driver's name (ttyS, ttyUSB,
// ttyACM, ttyAMA, ttymxc, ttySC, rfcomm, ttyXRUSB, ttyCH343USB, ...) or any other tty
// with a device behind it; never a virtual console or pseudo-terminal. A ttyS needs a
// UART fitted (sysfs type not 0), as every ttyS node exists whether or not one is.
bool isSerialPort(const QString& name, bool hasDevice, const QString& uartType);

// Devices under root ("/" on a running system), sorted by kind (ttyS, ttyUSB, ttyACM,
// then the others by name) and number. On "/" through libudev when it can be loaded.
QList<SerialDevice> scanSerialDevices(const QString& root = QStringLiteral("/"));
// The same from /dev and /sys alone: the fall-back without libudev.
QList<SerialDevice> scanSerialDevicesInSysfs(const QString& root = QStringLiteral("/"));
// Whether scanSerialDevices("/") asks libudev on this machine.
bool udevAvailable();

// The device path a name leads to now: a by-id link resolves to its target, a
// plain device path stays; empty when nothing is there. Lets a reconnect find an
// adapter that came back under another number.
QString resolveSerialDevice(const QString& path, const QString& root = QStringLiteral("/"));

} // namespace vx
