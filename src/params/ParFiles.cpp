#include "params/ParFiles.h"

#include "core/AppState.h"
#include "core/Taal.h"
#include "core/UiSeams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace vx::files {

// --- texts and dialogs ----------------------------------------------------------------

namespace {

struct KindTexts {
    QString saveTitle, openTitle, filter, errorCaption;
    QString openMsg[5]; // 1 ... 4 used
    QString saveMsg;
};

// Every lookup is written out so the language-key check finds it.
KindTexts kindTexts(FileKind kind)
{
    KindTexts t;
    const bool loaded = app().TaalGeladen;
    switch (kind) {
    case FileKind::Parameters:
        if (!loaded)
            break;
        t.saveTitle = taal("EditParam", "SaveCaption", "");
        t.openTitle = taal("EditParam", "OpenCaption", "");
        t.filter = taal("EditParam", "OpenFilter", "ASCII Parameterbestand (*.app)|*.app");
        t.errorCaption = taal("EditParam", "Msg_ErrorCaption", "");
        t.openMsg[1] = taal("EditParam", "OpenMsg1", "");
        t.openMsg[2] = taal("EditParam", "OpenMsg2", "");
        t.openMsg[3] = taal("EditParam", "OpenMsg3", "");
        t.openMsg[4] = taal("EditParam", "OpenMsg4", "");
        t.saveMsg = taal("EditParam", "SaveMsg1", "The file could not be saved.");
        break;
    case FileKind::Setpoints:
        if (!loaded)
            break;
        t.saveTitle = taal("EditSollwert", "SaveCaption", "");
        t.openTitle = taal("EditSollwert", "OpenCaption", "");
        t.filter = taal("EditSollwert", "OpenFilter", "ASCII Parameterbestand (*.app)|*.app");
        t.errorCaption = taal("EditSollwert", "Msg_ErrorCaption", "");
        t.openMsg[1] = taal("EditSollwert", "OpenMsg1", "");
        t.openMsg[2] = taal("EditSollwert", "OpenMsg2", "");
        t.openMsg[3] = taal("EditSollwert", "OpenMsg3", "");
        t.openMsg[4] = taal("EditSollwert", "OpenMsg4", "");
        t.saveMsg = taal("EditSollwert", "SaveMsg1", "The file could not be saved.");
        break;
    case FileKind::Backup:
        if (!loaded)
            break;
        t.saveTitle = taal("BackupRestore", "SaveCaption", "");
        t.openTitle = taal("BackupRestore", "OpenCaption", "");
        t.filter = taal("BackupRestore", "OpenFilter", "ASCII Parameterbestand (*.bak)|*.bak");
        t.errorCaption = taal("BackupRestore", "Msg_ErrorCaption", "");
        t.openMsg[1] = taal("BackupRestore", "OpenMsg1", "");
        t.openMsg[2] = taal("BackupRestore", "OpenMsg2", "");
        t.saveMsg = taal("BackupRestore", "SaveMsg1", "The file could not be saved.");
        break;
    }
    return t;
}

const char* extensionOf(FileKind kind)
{
    switch (kind) {
    case FileKind::Parameters: return "app";
    case FileKind::Setpoints: return "aps";
    case FileKind::Backup: return "bak";
    }
    return "";
}

// The save dialogs' filter when the language file lacks OpenFilter differs from the
// open dialogs' (a bare pattern); with the key present both use it.
QString saveFilter(FileKind kind, const KindTexts& t)
{
    if (!app().TaalGeladen)
        return QString();
    switch (kind) {
    case FileKind::Parameters:
        return taal("EditParam", "OpenFilter", "*.app");
    case FileKind::Setpoints:
        return taal("EditSollwert", "OpenFilter", "*.app");
    case FileKind::Backup:
        return taal("BackupRestore", "OpenFilter", "*.bak");
    }
    return t.filter;
}

void rememberFolder(const QString& file)
{
    app().OpenCloseDialoogPath = QFileInfo(file).absolutePath();
}

void showSaveFailure(QWidget* parent, FileKind kind, const QString& reason)
{
    const KindTexts t = kindTexts(kind);
    QString text = t.saveMsg;
    if (!reason.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + reason;
    showError(parent, t.errorCaption, text);
}

void showOpenFailure(QWidget* parent, FileKind kind, TextFileError e)
{
    const KindTexts t = kindTexts(kind);
    showError(parent, t.errorCaption, t.openMsg[int(e)]);
}

bool readWholeTextFile(const QString& path, QByteArray& contents)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    contents = f.read(MaxTextFileSize + 1);
    return f.error() == QFileDevice::NoError;
}

} // namespace

QString dialogFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    if (parts.size() < 2)
        return filter;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        description.remove(trailingPatterns);
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        out << description + QStringLiteral(" (") + patterns.simplified() + u')';
    }
    return out.join(QStringLiteral(";;"));
}

QString withDefaultExtension(const QString& name, FileKind kind)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + u'.' + QLatin1String(extensionOf(kind));
}

QString chooseSaveFile(QWidget* parent, FileKind kind)
{
    const KindTexts t = kindTexts(kind);
    QString name = ui().saveFileName(parent, t.saveTitle, app().OpenCloseDialoogPath,
                                     dialogFilter(saveFilter(kind, t)), QLatin1String(extensionOf(kind)));
    if (name.isEmpty())
        return QString();
    name = withDefaultExtension(name, kind);
    rememberFolder(name);
    return name;
}

QString chooseOpenFile(QWidget* parent, FileKind kind)
{
    const KindTexts t = kindTexts(kind);
    QString name = ui().openFileName(parent, t.openTitle, app().OpenCloseDialoogPath,
                                     dialogFilter(t.filter));
    if (!name.isEmpty())
        rememberFolder(name);
    return name;
}

bool writeParameterFile(QWidget* parent, const QString& path)
{
    QString reason;
    if (saveAtomically(path, parameterFileText(app().unitNumber(), ParWaarden), &reason))
        return true;
    showSaveFailure(parent, FileKind::Parameters, reason);
    return false;
}

bool writeSetpointFile(QWidget* parent, const QString& path)
{
    QString reason;
    if (saveAtomically(path, setpointFileText(app().unitNumber(), SollWaarden), &reason))
        return true;
    showSaveFailure(parent, FileKind::Setpoints, reason);
    return false;
}

bool readParameterFile(QWidget* parent, const QString& path)
{
    QByteArray contents;
    if (!readWholeTextFile(path, contents)) {
        showOpenFailure(parent, FileKind::Parameters, TextFileError::CannotOpen);
        return false;
    }
    TParWaarden scratch;
    TextFileError e = contents.size() > MaxTextFileSize ? TextFileError::WrongCount
                                                        : parseParameterFile(contents, scratch);
    // The header is checked first, also for an oversized file.
    if (!contents.startsWith(ParameterHeader))
        e = TextFileError::BadHeader;
    if (e != TextFileError::None) {
        showOpenFailure(parent, FileKind::Parameters, e);
        return false;
    }
    ParWaarden = scratch;
    ParStatus = 2;
    return true;
}

bool readSetpointFile(QWidget* parent, const QString& path)
{
    QByteArray contents;
    if (!readWholeTextFile(path, contents)) {
        showOpenFailure(parent, FileKind::Setpoints, TextFileError::CannotOpen);
        return false;
    }
    TSollWaarden scratch;
    TextFileError e = contents.size() > MaxTextFileSize ? TextFileError::WrongCount
                                                        : parseSetpointFile(contents, scratch);
    if (!contents.startsWith(SetpointHeader))
        e = TextFileError::BadHeader;
    if (e != TextFileError::None) {
        showOpenFailure(parent, FileKind::Setpoints, e);
        return false;
    }
    SollWaarden = scratch;
    SollStatus = 2;
    return true;
}

bool saveParameterFile(QWidget* parent)
{
    const QString name = chooseSaveFile(parent, FileKind::Parameters);
    return !name.isEmpty() && writeParameterFile(parent, name);
}

bool openParameterFile(QWidget* parent)
{
    const QString name = chooseOpenFile(parent, FileKind::Parameters);
    return !name.isEmpty() && readParameterFile(parent, name);
}

bool saveSetpointFile(QWidget* parent)
{
    const QString name = chooseSaveFile(parent, FileKind::Setpoints);
    return !name.isEmpty() && writeSetpointFile(parent, name);
}

bool openSetpointFile(QWidget* parent)
{
    const QString name = chooseOpenFile(parent, FileKind::Setpoints);
    return !name.isEmpty() && readSetpointFile(parent, name);
}

bool writeBackupFile(QWidget* parent, const QString& path, const TParWaarden& par, const TSollWaarden& soll)
{
    QString reason;
    if (saveAtomically(path, backupFileBytes(par, soll), &reason))
        return true;
    showSaveFailure(parent, FileKind::Backup, reason);
    return false;
}

bool readBackupFile(QWidget* parent, const QString& path, TParWaarden& par, TSollWaarden& soll)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        const KindTexts t = kindTexts(FileKind::Backup);
        showError(parent, t.errorCaption, t.openMsg[1]);
        return false;
    }
    const QByteArray contents = f.read(BackupSize);
    if (parseBackupFile(contents, par, soll) != BackupError::None) {
        // Wrong marks and a short file alike: not a backup, nothing is taken from it.
        showError(parent, QString(), kindTexts(FileKind::Backup).openMsg[2]);
        return false;
    }
    return true;
}

} // namespace vx::files
