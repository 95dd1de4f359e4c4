#pragma once
// The dialog side of parameter, setpoint and backup files: the file dialogs, the
// shared folder, the messages and the value store on top of the pure formats.
#include "params/ParFormats.h"

class QWidget;

namespace vx::files {

// --- dialogs -------------------------------------------------------------------------
// The kind is one of Parameters, Setpoints and Backup.
// The save / open dialog for a kind of file, starting in OpenCloseDialoogPath; the
// chosen folder becomes the new OpenCloseDialoogPath. A typed name without extension
// gets the kind's extension on saving. Empty when cancelled.
// proposed: a file name the dialog starts with (empty: none).
QString chooseSaveFile(QWidget* parent, FileKind kind, const QString& proposed = {});
QString chooseOpenFile(QWidget* parent, FileKind kind);

// A Delphi-style filter "Text|*.app|All|*.*" as a Qt dialog filter.
QString dialogFilter(const QString& filter);
// The kind's extension appended when name has none.
QString withDefaultExtension(const QString& name, FileKind kind);

// Parameter editor: Save as / Open. Saving writes ParWaarden with the main window's
// unit number; opening fills ParWaarden and sets ParStatus to 2. Both return true when
// they did so; the caller then refreshes its grid (and, after opening, the main
// window's function texts). Failures have been shown to the user.
bool saveParameterFile(QWidget* parent);
bool openParameterFile(QWidget* parent);

// Setpoint editor: the same for SollWaarden and SollStatus.
bool saveSetpointFile(QWidget* parent);
bool openSetpointFile(QWidget* parent);

// Without dialogs, for callers that already have a name. Messages are shown as above.
bool writeParameterFile(QWidget* parent, const QString& path);
bool readParameterFile(QWidget* parent, const QString& path);
bool writeSetpointFile(QWidget* parent, const QString& path);
bool readSetpointFile(QWidget* parent, const QString& path);
// Backup files: writing shows a failure; reading shows OpenMsg1 / OpenMsg2 and leaves
// par and soll unchanged on failure.
bool writeBackupFile(QWidget* parent, const QString& path, const TParWaarden& par, const TSollWaarden& soll);
bool readBackupFile(QWidget* parent, const QString& path, TParWaarden& par, TSollWaarden& soll);

} // namespace vx::files
