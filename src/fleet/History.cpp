#include "fleet/History.h"

#include "params/ParFormats.h"
#include "params/SafetyBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace vx::fleet {

QList<HistoryEntry> history(const QStringList& folders, const QString& rx)
{
    QList<HistoryEntry> out;
    QStringList seen;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        // Without a manifest only a safety backup's name tells whose it is.
        const QStringList safetyOfRx = rx.trimmed().isEmpty() ? QStringList() : safety::backups(folder, &rx);
        for (const QString& name : dir.entryList({QStringLiteral("*.bak")}, QDir::Files)) {
            const QString path = QFileInfo(dir.filePath(name)).absoluteFilePath();
            if (seen.contains(path))
                continue;
            seen << path;
            QFile f(path);
            const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.read(files::BackupSize + 1) : QByteArray();
            const manifest::Checked c = manifest::check(path, bytes);
            HistoryEntry e;
            e.path = path;
            if (c.state == manifest::State::Matches || c.state == manifest::State::Changed) {
                if (c.manifest.rx.trimmed() != rx.trimmed())
                    continue;
                e.hasManifest = true;
                e.kind = c.manifest.kind;
                e.date = c.manifest.date;
            } else {
                if (!safetyOfRx.contains(dir.filePath(name)))
                    continue;
                e.kind = QLatin1String(manifest::KindSafety);
                e.date = QFileInfo(path).lastModified();
            }
            const files::ValueFile v = files::valueFileFrom(bytes, name);
            if (v.ok())
                e.values = v.values;
            out << e;
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const HistoryEntry& a, const HistoryEntry& b) { return a.date > b.date; });
    for (qsizetype i = 0; i + 1 < out.size(); ++i) {
        const compare::ValueSet& a = out[i].values;
        const compare::ValueSet& b = out[i + 1].values;
        if (a.hasParameters && b.hasParameters)
            out[i].differs = int(compare::differences(b, a).size());
    }
    return out;
}

BackupDates backupDates(const QList<HistoryEntry>& entries)
{
    BackupDates d;
    for (const HistoryEntry& e : entries) {
        QDateTime& slot = e.kind == QLatin1String(manifest::KindSafety) ? d.lastChange : d.lastBackup;
        if (!slot.isValid() || e.date > slot)
            slot = e.date;
    }
    return d;
}

} // namespace vx::fleet
