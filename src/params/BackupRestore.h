#pragma once
// The main window's whole-controller commands: read everything into the value store,
// back up the controller into a file, and restore a backup to it.
class QDate;
class QString;
class QWidget;

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

// "Undo last restore": writes the newest safety backup back (mode 3, with the
// read-back when it is switched on) after a confirmation that names the file.
// True when the write window ended with OK.
bool LaatsteRestoreTerug(QWidget* parent, TFormSchrijfParSoll& schrijf);

} // namespace vx
