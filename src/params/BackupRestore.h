#pragma once
// The main window's whole-controller commands: read everything into the value store,
// back up the controller into a file, and restore a backup to it.
class QDate;
class QString;
class QWidget;

#include "params/ValueStore.h"

namespace vx {

class TFormLeesParSoll;
class TFormSchrijfParSoll;

// "Parameters + Sollwerten ontvangen": stops the polling, reads parameters and
// setpoints (mode 2) and, on OK only, takes them into the value store (status 1 both)
// and refreshes the main window's function texts. True when taken over.
bool ParSollOntvangen(TFormLeesParSoll& lees);

// The name the backup's save dialog proposes: <type>_<serial>_u<unit>_<date>.bak from the
// connected controller.
QString backupFileProposal(const QDate& date);

// "Backup VX40...": stops the polling, reads the whole controller (mode 3) and saves it
// as a backup file. The value store is not touched. True when a file was written.
bool BackupMaken(QWidget* parent, TFormLeesParSoll& lees);

// "Restore VX40...": stops the polling, reads and checks a backup file, asks for
// confirmation and writes it to the controller (mode 3). The value store is not
// touched. True when the write window ended with OK.
bool RestoreUitvoeren(QWidget* parent, TFormSchrijfParSoll& schrijf);

// A restore of the backup file `name` (no file dialog): the history window's restore.
bool RestoreBestand(QWidget* parent, TFormSchrijfParSoll& schrijf, const QString& name);

// Saves a backup of the connected controller with its manifest; a failure is shown.
bool saveBackupWithManifest(QWidget* parent, const QString& path, const TParWaarden& par, const TSollWaarden& soll);

// The manifest check before a restore: a changed file or unreadable manifest is
// refused with a message, another controller's backup asks (default No). A file
// without a manifest may go, with the note to show in the confirmation.
bool backupMayBeRestored(QWidget* parent, const QString& path, QString* note = nullptr);

// "Undo last restore": writes the newest safety backup back (mode 3, with the
// read-back when it is switched on) after a confirmation that names the file.
// True when the write window ended with OK.
bool LaatsteRestoreTerug(QWidget* parent, TFormSchrijfParSoll& schrijf);

} // namespace vx
