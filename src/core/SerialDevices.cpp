#include "core/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <dlfcn.h>

namespace vx {

namespace {

QString underRoot(const QString& root, const QString& path)
{
    if (root.isEmpty() || root == QLatin1String("/"))
        return path;
    return QDir::cleanPath(root + QLatin1Char('/') + path);
}

QString readLine(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readLine(256)).trimmed();
}

// Maker, product and serial number sit on the USB device, one or two folders above
// the interface the tty hangs from; built-in ports have none.
void readUsbNames(const QString& sysDevice, SerialDevice& d)
{
    QDir dir(QFileInfo(sysDevice).canonicalFilePath());
    for (int up = 0; up < 3 && !dir.isRoot(); ++up) {
        if (QFileInfo::exists(dir.filePath(QStringLiteral("product")))) {
            d.maker = readLine(dir.filePath(QStringLiteral("manufacturer")));
            d.product = readLine(dir.filePath(QStringLiteral("product")));
            d.serial = readLine(dir.filePath(QStringLiteral("serial")));
            return;
        }
        if (!dir.cdUp())
            return;
    }
}

const QRegularExpression& numbered()
{
    static const QRegularExpression re(QStringLiteral("^(.*?)(\\d+)$"));
    return re;
}

int kindOrder(const QString& kind)
{
    static const QStringList first = {QStringLiteral("ttyS"), QStringLiteral("ttyUSB"), QStringLiteral("ttyACM")};
    const qsizetype i = first.indexOf(kind);
    return i < 0 ? int(first.size()) : int(i);
}

void sortDevices(QList<SerialDevice>& out)
{
    std::sort(out.begin(), out.end(), [](const SerialDevice& a, const SerialDevice& b) {
        const auto ma = numbered().match(QFileInfo(a.path).fileName());
        const auto mb = numbered().match(QFileInfo(b.path).fileName());
        const QString ka = ma.captured(1), kb = mb.captured(1);
        if (kindOrder(ka) != kindOrder(kb))
            return kindOrder(ka) < kindOrder(kb);
        if (ka != kb)
            return ka < kb;
        return ma.captured(2).toLongLong() < mb.captured(2).toLongLong();
    });
}

// The part of libudev the scan uses, looked up at run time: systems without it (a
// container, a minimal chroot) still get the sysfs scan.
struct Udev {
    struct udev;
    struct udev_enumerate;
    struct udev_list_entry;
    struct udev_device;

    udev* (*newContext)() = nullptr;
    udev* (*unrefContext)(udev*) = nullptr;
    udev_enumerate* (*enumerateNew)(udev*) = nullptr;
    int (*matchSubsystem)(udev_enumerate*, const char*) = nullptr;
    int (*scanDevices)(udev_enumerate*) = nullptr;
    udev_list_entry* (*enumerateList)(udev_enumerate*) = nullptr;
    udev_enumerate* (*enumerateUnref)(udev_enumerate*) = nullptr;
    udev_list_entry* (*next)(udev_list_entry*) = nullptr;
    const char* (*entryName)(udev_list_entry*) = nullptr;
    udev_device* (*fromSyspath)(udev*, const char*) = nullptr;
    udev_device* (*deviceUnref)(udev_device*) = nullptr;
    const char* (*devnode)(udev_device*) = nullptr;
    const char* (*sysname)(udev_device*) = nullptr;
    udev_device* (*parent)(udev_device*) = nullptr;
    udev_device* (*parentWith)(udev_device*, const char*, const char*) = nullptr;
    const char* (*sysattr)(udev_device*, const char*) = nullptr;
    const char* (*property)(udev_device*, const char*) = nullptr;
    udev_list_entry* (*devlinks)(udev_device*) = nullptr;

    bool loaded = false;

    static const Udev& get()
    {
        static const Udev u = load();
        return u;
    }

private:
    template <typename F>
    static bool bind(void* lib, F& f, const char* name)
    {
        f = reinterpret_cast<F>(::dlsym(lib, name));
        return f != nullptr;
    }

    static Udev load()
    {
        Udev u;
        // Kept open for the life of the program.
        void* lib = ::dlopen("libudev.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return u;
        u.loaded = bind(lib, u.newContext, "udev_new") && bind(lib, u.unrefContext, "udev_unref")
                   && bind(lib, u.enumerateNew, "udev_enumerate_new")
                   && bind(lib, u.matchSubsystem, "udev_enumerate_add_match_subsystem")
                   && bind(lib, u.scanDevices, "udev_enumerate_scan_devices")
                   && bind(lib, u.enumerateList, "udev_enumerate_get_list_entry")
                   && bind(lib, u.enumerateUnref, "udev_enumerate_unref")
                   && bind(lib, u.next, "udev_list_entry_get_next") && bind(lib, u.entryName, "udev_list_entry_get_name")
                   && bind(lib, u.fromSyspath, "udev_device_new_from_syspath")
                   && bind(lib, u.deviceUnref, "udev_device_unref") && bind(lib, u.devnode, "udev_device_get_devnode")
                   && bind(lib, u.sysname, "udev_device_get_sysname") && bind(lib, u.parent, "udev_device_get_parent")
                   && bind(lib, u.parentWith, "udev_device_get_parent_with_subsystem_devtype")
                   && bind(lib, u.sysattr, "udev_device_get_sysattr_value")
                   && bind(lib, u.property, "udev_device_get_property_value")
                   && bind(lib, u.devlinks, "udev_device_get_devlinks_list_entry");
        return u;
    }
};

QString text(const char* s) { return s ? QString::fromUtf8(s).trimmed() : QString(); }

// The tty subsystem as udev knows it; false when libudev cannot be used.
bool scanWithUdev(QList<SerialDevice>& out)
{
    const Udev& u = Udev::get();
    if (!u.loaded)
        return false;
    Udev::udev* context = u.newContext();
    if (!context)
        return false;
    Udev::udev_enumerate* e = u.enumerateNew(context);
    if (!e || u.matchSubsystem(e, "tty") < 0 || u.scanDevices(e) < 0) {
        if (e)
            u.enumerateUnref(e);
        u.unrefContext(context);
        return false;
    }
    for (Udev::udev_list_entry* it = u.enumerateList(e); it; it = u.next(it)) {
        Udev::udev_device* dev = u.fromSyspath(context, u.entryName(it));
        if (!dev)
            continue;
        const QString node = text(u.devnode(dev));
        if (!node.isEmpty() && QFileInfo::exists(node)
            && isSerialPort(text(u.sysname(dev)), u.parent(dev) != nullptr, text(u.sysattr(dev, "type")))) {
            SerialDevice d;
            d.path = node;
            if (Udev::udev_device* usb = u.parentWith(dev, "usb", "usb_device")) {
                d.maker = text(u.sysattr(usb, "manufacturer"));
                d.product = text(u.sysattr(usb, "product"));
                d.serial = text(u.sysattr(usb, "serial"));
            }
            // A PCI card or a board UART: the names from udev's hardware database.
            if (d.maker.isEmpty())
                d.maker = text(u.property(dev, "ID_VENDOR_FROM_DATABASE"));
            if (d.product.isEmpty())
                d.product = text(u.property(dev, "ID_MODEL_FROM_DATABASE"));
            if (d.serial.isEmpty())
                d.serial = text(u.property(dev, "ID_SERIAL_SHORT"));
            for (Udev::udev_list_entry* l = u.devlinks(dev); l; l = u.next(l)) {
                const QString link = text(u.entryName(l));
                if (link.startsWith(QLatin1String("/dev/serial/by-id/")) && d.byId.isEmpty())
                    d.byId = link;
            }
            out.append(d);
        }
        u.deviceUnref(dev);
    }
    u.enumerateUnref(e);
    u.unrefContext(context);
    return true;
}

} // namespace

QString SerialDevice::description() const
{
    const QString names = QStringList({maker, product}).join(QLatin1Char(' ')).trimmed();
    return names.isEmpty() ? path : path + QStringLiteral(" (") + names + QLatin1Char(')');
}

bool isSerialPort(const QString& name, bool hasDevice, const QString& uartType)
{
    // Drivers whose ttys are serial lines even when sysfs shows no device behind them
    // (rfcomm binds to a Bluetooth link, not a device).
    static const QRegularExpression serial(QStringLiteral(
        "^(ttyS|ttyUSB|ttyACM|ttyAMA|ttymxc|ttySC|rfcomm|ttyXRUSB|ttyCH343USB|ttyCH9344USB|ttyWCH|ttyO|ttySAC|ttyPS|"
        "ttyTHS|ttyMFD|ttyHS|ttyMSM|ttyAML|ttySTM|ttyLP|ttyUL|ttyMAX|ttySIF|ttyRPMSG|ttyGS|ttyXR|ttyMXUSB|ttyMI)\\d+$"));
    // Virtual consoles, the kernel's printk tty and pseudo-terminals.
    static const QRegularExpression virt(QStringLiteral("^(tty\\d*|ttyprintk|console|ptmx|pty.*|tty[p-za-e][0-9a-f])$"));
    if (virt.match(name).hasMatch())
        return false;
    const auto m = serial.match(name);
    if (m.captured(1) == QLatin1String("ttyS"))
        return hasDevice && uartType != QLatin1String("0");
    return m.hasMatch() || hasDevice;
}

QList<SerialDevice> scanSerialDevicesInSysfs(const QString& root)
{
    const QDir dev(underRoot(root, QStringLiteral("/dev")));
    const QString sysTty = underRoot(root, QStringLiteral("/sys/class/tty"));
    QList<SerialDevice> out;
    for (const QString& entry : dev.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        // A node the tty class does not know (a disk, /dev/null) has no device there
        // either, and no serial driver's name.
        const QString sysEntry = sysTty + QLatin1Char('/') + entry;
        const QString sysDevice = sysEntry + QStringLiteral("/device");
        const bool hasDevice = QFileInfo::exists(sysDevice);
        if (!isSerialPort(entry, hasDevice, readLine(sysEntry + QStringLiteral("/type"))))
            continue;
        SerialDevice d;
        d.path = QStringLiteral("/dev/") + entry;
        if (hasDevice)
            readUsbNames(sysDevice, d);
        out.append(d);
    }
    // by-id links point at ../../ttyUSB0; match them by the target's name.
    const QDir byId(underRoot(root, QStringLiteral("/dev/serial/by-id")));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!link.isSymLink())
            continue;
        const QString target = QFileInfo(link.symLinkTarget()).fileName();
        for (SerialDevice& d : out)
            if (d.byId.isEmpty() && QFileInfo(d.path).fileName() == target)
                d.byId = QStringLiteral("/dev/serial/by-id/") + link.fileName();
    }
    sortDevices(out);
    return out;
}

bool udevAvailable() { return Udev::get().loaded; }

QList<SerialDevice> scanSerialDevices(const QString& root)
{
    if (root.isEmpty() || root == QLatin1String("/")) {
        QList<SerialDevice> out;
        if (scanWithUdev(out)) {
            sortDevices(out);
            return out;
        }
    }
    return scanSerialDevicesInSysfs(root);
}

QString resolveSerialDevice(const QString& path, const QString& root)
{
    const QFileInfo info(underRoot(root, path));
    if (!info.exists())
        return {};
    if (!info.isSymLink())
        return path;
    QString target = info.symLinkTarget(); // absolute, under root
    const QString rootPath = underRoot(root, QStringLiteral("/"));
    if (root.isEmpty() || root == QLatin1String("/"))
        return target;
    return target.startsWith(rootPath) ? target.mid(rootPath.size()) : target;
}

} // namespace vx
