#include "core/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

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

// Maker and product sit on the USB device, one or two folders above the interface
// the tty hangs from; built-in ports have none.
void readUsbNames(const QString& sysDevice, SerialDevice& d)
{
    QDir dir(QFileInfo(sysDevice).canonicalFilePath());
    for (int up = 0; up < 3 && !dir.isRoot(); ++up) {
        if (QFileInfo::exists(dir.filePath(QStringLiteral("product")))) {
            d.maker = readLine(dir.filePath(QStringLiteral("manufacturer")));
            d.product = readLine(dir.filePath(QStringLiteral("product")));
            return;
        }
        if (!dir.cdUp())
            return;
    }
}

int kindOrder(const QString& name)
{
    if (name.startsWith(QLatin1String("ttyS")))
        return 0;
    if (name.startsWith(QLatin1String("ttyUSB")))
        return 1;
    return 2;
}

} // namespace

QString SerialDevice::description() const
{
    const QString names = QStringList({maker, product}).join(QLatin1Char(' ')).trimmed();
    return names.isEmpty() ? path : path + QStringLiteral(" (") + names + QLatin1Char(')');
}

QList<SerialDevice> scanSerialDevices(const QString& root)
{
    static const QRegularExpression name(QStringLiteral("^tty(S|USB|ACM)(\\d+)$"));
    const QDir dev(underRoot(root, QStringLiteral("/dev")));
    const QString sysTty = underRoot(root, QStringLiteral("/sys/class/tty"));
    QList<SerialDevice> out;
    for (const QString& entry : dev.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const auto m = name.match(entry);
        if (!m.hasMatch())
            continue;
        const QString sysDevice = sysTty + QLatin1Char('/') + entry + QStringLiteral("/device");
        // Every ttyS node exists whether or not a UART is fitted; sysfs knows which
        // have hardware behind them (a driver bound to a port that answered).
        if (m.captured(1) == QLatin1String("S")) {
            const QString type = readLine(sysTty + QLatin1Char('/') + entry + QStringLiteral("/type"));
            if (!QFileInfo::exists(sysDevice) || type == QLatin1String("0"))
                continue;
        }
        SerialDevice d;
        d.path = QStringLiteral("/dev/") + entry;
        if (QFileInfo::exists(sysDevice))
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
    std::sort(out.begin(), out.end(), [](const SerialDevice& a, const SerialDevice& b) {
        const QString na = QFileInfo(a.path).fileName(), nb = QFileInfo(b.path).fileName();
        if (kindOrder(na) != kindOrder(nb))
            return kindOrder(na) < kindOrder(nb);
        static const QRegularExpression digits(QStringLiteral("\\d+$"));
        return digits.match(na).captured().toInt() < digits.match(nb).captured().toInt();
    });
    return out;
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
