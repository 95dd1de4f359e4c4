#pragma once
// The serial devices present on this machine: built-in ports, USB adapters and USB
// modems, with the stable /dev/serial/by-id names udev gives adapters and the maker
// and product sysfs reports. Reads the file system under a root that tests swap
// for a temporary folder; needs Qt Core only.
#include <QList>
#include <QString>

namespace vx {

struct SerialDevice {
    QString path;    // "/dev/ttyUSB0", as the running system names it
    QString byId;    // "/dev/serial/by-id/usb-FTDI_...-if00-port0", or empty
    QString maker;   // "FTDI", or empty
    QString product; // "FT232R USB UART", or empty

    // "/dev/ttyUSB0 (FTDI FT232R USB UART)", or the path alone.
    QString description() const;
};

// Devices under root ("/" on a running system), sorted by kind then number:
// /dev/ttyS* that have a device behind them in sysfs, /dev/ttyUSB*, /dev/ttyACM*.
QList<SerialDevice> scanSerialDevices(const QString& root = QStringLiteral("/"));

// The device path a name leads to now: a by-id link resolves to its target, a
// plain device path stays; empty when nothing is there. Lets a reconnect find an
// adapter that came back under another number.
QString resolveSerialDevice(const QString& path, const QString& root = QStringLiteral("/"));

} // namespace vx
