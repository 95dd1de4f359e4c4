#include "params/ParFiles.h"
#include "params/ControllerImage.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"

#include <QDir>
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

const LangSection& sectionOf(FileKind kind)
{
    switch (kind) {
    case FileKind::Parameters: return texts::EditParam;
    case FileKind::Setpoints: return texts::EditSollwert;
    case FileKind::Backup:
    case FileKind::Unknown: break;
    }
    return texts::BackupRestore;
}

KindTexts kindTexts(FileKind kind)
{
    KindTexts t;
    if (!app().TaalGeladen)
        return t;
    const LangSection& s = sectionOf(kind);
    t.saveTitle = s("SaveCaption");
    t.openTitle = s("OpenCaption");
    t.filter = s("OpenFilter");
    t.errorCaption = s("Msg_ErrorCaption");
    // A backup file has two messages of its own; the editors' files four.
    const int messages = kind == FileKind::Backup ? 2 : 4;
    for (int i = 1; i <= messages; ++i)
        t.openMsg[i] = s("OpenMsg", i);
    t.saveMsg = s("SaveMsg1");
    return t;
}

const char* extensionOf(FileKind kind)
{
    switch (kind) {
    case FileKind::Parameters: return "app";
    case FileKind::Setpoints: return "aps";
    case FileKind::Backup: return "bak";
    case FileKind::Unknown: break;
    }
    return "";
}

// The save dialogs' filter when the language file lacks OpenFilter differs from the
// open dialogs' (a bare pattern); with the key present both use it.
QString saveFilter(FileKind kind)
{
    if (!app().TaalGeladen)
        return QString();
    // The setpoint editor's fallback names the parameter pattern too.
    return sectionOf(kind)("OpenFilter", kind == FileKind::Backup ? QStringLiteral("*.bak") : QStringLiteral("*.app"));
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

// The editors' open: the store and its status change only for a file taken whole.
bool openIntoStore(QWidget* parent, const QString& path, FileKind kind)
{
    const ValueFile f = readValueFile(path);
    const TextFileError e = textFileError(f, kind);
    if (e != TextFileError::None) {
        showOpenFailure(parent, kind, e);
        return false;
    }
    if (kind == FileKind::Parameters) {
        ParWaarden = f.values.par;
        ParStatus = 2;
        ParGenomen = QDateTime::currentDateTime();
    } else {
        SollWaarden = f.values.soll;
        SollStatus = 2;
        SollGenomen = QDateTime::currentDateTime();
        images::fixSetpointDecimals();
    }
    return true;
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

QString chooseSaveFile(QWidget* parent, FileKind kind, const QString& proposed)
{
    const KindTexts t = kindTexts(kind);
    QString start = app().OpenCloseDialoogPath;
    if (!proposed.isEmpty())
        start = start.isEmpty() ? proposed : QDir(start).filePath(proposed);
    QString name = ui().saveFileName(parent, t.saveTitle, start,
                                     dialogFilter(saveFilter(kind)), QLatin1String(extensionOf(kind)));
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
    return openIntoStore(parent, path, FileKind::Parameters);
}

bool readSetpointFile(QWidget* parent, const QString& path)
{
    return openIntoStore(parent, path, FileKind::Setpoints);
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
    const ValueFile f = readValueFile(path);
    if (f.fault == FileFault::CannotOpen) {
        const KindTexts t = kindTexts(FileKind::Backup);
        showError(parent, t.errorCaption, t.openMsg[1]);
        return false;
    }
    if (!f.ok() || f.kind != FileKind::Backup) {
        // Wrong marks, a short file or another kind alike: nothing is taken from it.
        showError(parent, QString(), kindTexts(FileKind::Backup).openMsg[2]);
        return false;
    }
    par = f.values.par;
    soll = f.values.soll;
    return true;
}

} // namespace vx::files
