#pragma once
// Parameter, setpoint and backup files as the command-line program reads them: the
// kind from the contents, and for a file that does not parse the line and the reason.
#include "params/Compare.h"

#include <QString>

namespace vx::cli {

enum class FileKind { Unknown,
                      Parameters,
                      Setpoints,
                      Backup };

struct LoadedFile {
    FileKind kind = FileKind::Unknown;
    compare::ValueSet values;
    QString error; // empty when the file was taken; else "line 7: ..." or the reason
};

LoadedFile loadValueFile(const QString& path);

} // namespace vx::cli
