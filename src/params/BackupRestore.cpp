#include "params/BackupRestore.h"
#include "params/ControllerImage.h"

#include "comm/TrafficLogFile.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "core/UiSeams.h"
#include "params/LeesParSoll.h"
#include "params/Manifest.h"
#include "params/ParFiles.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace vx {

bool ParSollOntvangen(TFormLeesParSoll& lees)
{
    app().StopPolling();
    if (lees.run(2) != QDialog::Accepted)
        return false;
    for (int n = 0; n <= 511; ++n)
        ParWaarden[n] = lees.ParBuffer[n];
    ParStatus = 1;
    for (int n = 1; n <= 80; ++n)
        SollWaarden[n] = lees.SollwBuffer[n];
    SollStatus = 1;
    // Received values are the editors' new reference, not edits of theirs.
    ++ParOntvangen;
    ++SollOntvangen;
    ParGenomen = SollGenomen = QDateTime::currentDateTime();
    images::fixSetpointDecimals();
    app().InputFunctieTeksten();
    app().OutputFunctieTeksten();
    return true;
}

QString backupFileProposal(const QDate& date)
{
    // Only characters every file system takes: "SN 51017" becomes "SN51017".
    auto part = [](QString t) {
        t.removeIf([](QChar c) { return !(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-'; });
        return t.isEmpty() ? QStringLiteral("x") : t;
    };
    const AppState& s = app();
    return part(s.ApparaatType) + u'_' + part(s.ApparaatRx) + QStringLiteral("_u") + QString::number(s.unitNumber())
           + u'_' + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".bak");
}

bool BackupMaken(QWidget* parent, TFormLeesParSoll& lees)
{
    app().StopPolling();
    if (lees.run(3) != QDialog::Accepted)
        return false;
    const QString name = files::chooseSaveFile(parent, files::FileKind::Backup, backupFileProposal(QDate::currentDate()));
    if (name.isEmpty())
        return false;
    const bool ok = saveBackupWithManifest(parent, name, lees.ParBuffer, lees.SollwBuffer);
    trafficLogSummary(QStringLiteral("backup"), name, ok);
    return ok;
}

bool saveBackupWithManifest(QWidget* parent, const QString& path, const TParWaarden& par, const TSollWaarden& soll)
{
    const QByteArray bytes = files::backupFileBytes(par, soll);
    manifest::Manifest m = manifest::describe(bytes, QLatin1String(manifest::KindManual));
    const manifest::Line line = manifest::currentLine();
    const AppState& s = app();
    m.rt = s.ApparaatRt;
    m.rh = line.rh;
    m.rx = s.ApparaatRx;
    m.unit = s.unitNumber();
    m.port = line.port;
    m.line = line.line;
    if (!files::writeBackupFile(parent, path, par, soll))
        return false;
    QString reason;
    if (!manifest::save(path, m, &reason)) {
        // An earlier manifest under this name would describe other bytes.
        QFile::remove(manifest::pathFor(path));
        showError(parent, texts::BackupRestore("Msg_waarschuwingCaption"), manifest::pathFor(path) + u'\n' + reason);
        return false;
    }
    manifest::rememberFolder(paths::userDataDir(), QFileInfo(path).absolutePath());
    return true;
}

bool backupMayBeRestored(QWidget* parent, const QString& path, QString* note)
{
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.read(files::BackupSize + 1) : QByteArray();
    const manifest::Checked c = manifest::check(path, bytes);
    const QString caption = texts::BackupRestore("Msg_waarschuwingCaption");
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    switch (c.state) {
    case manifest::State::None:
        if (note)
            *note = texts::Fleet("ManifestNone");
        return true;
    case manifest::State::Changed: showError(parent, caption, texts::Fleet("ManifestChanged").arg(shown)); return false;
    case manifest::State::Unreadable:
        showError(parent, caption,
                  texts::Fleet("ManifestUnreadable").arg(QDir::toNativeSeparators(manifest::pathFor(path)), c.error));
        return false;
    case manifest::State::Matches: break;
    }
    const AppState& s = app();
    if (!manifest::otherController(c.manifest, s.ApparaatRt, s.ApparaatRx))
        return true;
    const QString text = texts::Fleet("OtherController")
                             .replace(u'|', u'\n')
                             .arg(manifest::controllerText(c.manifest.rt, c.manifest.rx),
                                  manifest::controllerText(s.ApparaatRt, s.ApparaatRx));
    return askYesDefaultNo(parent, texts::Fleet("OtherCaption"), text);
}

bool RestoreUitvoeren(QWidget* parent, TFormSchrijfParSoll& schrijf)
{
    app().StopPolling();
    const QString name = files::chooseOpenFile(parent, files::FileKind::Backup);
    if (name.isEmpty())
        return false;
    return RestoreBestand(parent, schrijf, name);
}

bool RestoreBestand(QWidget* parent, TFormSchrijfParSoll& schrijf, const QString& name)
{
    app().StopPolling();
    // Checked in full before anything goes into the write window.
    TParWaarden par;
    TSollWaarden soll;
    if (!files::readBackupFile(parent, name, par, soll))
        return false;
    // Without language texts there is no confirmation, and so no restore.
    if (!app().TaalGeladen)
        return false;
    QString note;
    if (!backupMayBeRestored(parent, name, &note))
        return false;
    schrijf.ParBuffer = par;
    schrijf.SollwBuffer = soll;

    QString text = texts::BackupRestore("Msg_waarschuwingRestore_1") + QStringLiteral("  ")
                   + QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath()) + QStringLiteral("\n\r")
                   + texts::BackupRestore("Msg_waarschuwingRestore_2");
    if (!note.isEmpty())
        text += QStringLiteral("\n\n") + note;
    // Asked whatever the options say: a restore overwrites the whole controller.
    compare::ValueSet set;
    set.hasParameters = set.hasSetpoints = true;
    set.par = par;
    set.soll = soll;
    if (!confirmWrite(parent, set, text, texts::BackupRestore("Msg_waarschuwingCaption"), true))
        return false;
    schrijf.setKind(QStringLiteral("restore"));
    const bool ok = schrijf.run(3) == QDialog::Accepted;
    schrijf.setKind({});
    trafficLogSummary(QStringLiteral("restore"), name, ok);
    return ok;
}

bool LaatsteRestoreTerug(QWidget* parent, TFormSchrijfParSoll& schrijf)
{
    app().StopPolling();
    const QString folder = safety::folder();
    // The way back from the last write to this very controller, named by what it was.
    const auto last = safety::lastWrite(folder, app().ApparaatRx);
    const bool recorded = last && !app().ApparaatRx.isEmpty() && QFileInfo::exists(last->backup);
    const QString name = recorded ? last->backup : safety::latest(folder);
    const QString caption = texts::Verify("UndoCaption");
    if (name.isEmpty()) {
        ui().message(parent, QMessageBox::Information, caption,
                     texts::Verify("UndoNone").arg(QDir::toNativeSeparators(folder)), QMessageBox::Ok);
        return false;
    }
    TParWaarden par;
    TSollWaarden soll;
    if (!files::readBackupFile(parent, name, par, soll))
        return false;
    const QString lead = recorded ? texts::Verify("UndoNamed").arg(writeKindText(last->kind), QLocale().toString(last->started, QLocale::ShortFormat), QDir::toNativeSeparators(name))
                                  : texts::Verify("UndoConfirm").arg(QDir::toNativeSeparators(name));
    compare::ValueSet set;
    set.hasParameters = set.hasSetpoints = true;
    set.par = par;
    set.soll = soll;
    if (!confirmWrite(parent, set, lead, caption, true))
        return false;
    schrijf.ParBuffer = par;
    schrijf.SollwBuffer = soll;
    schrijf.setKind(QStringLiteral("undo"));
    const bool ok = schrijf.run(3) == QDialog::Accepted;
    schrijf.setKind({});
    return ok;
}

} // namespace vx
