#pragma once
// Parameter, setpoint and backup files as the command-line program reads them: the
// same reader as the windows' (kind from the contents, the first bad line and why).
#include "params/ParFormats.h"

namespace vx::cli {

using FileKind = files::FileKind;
using LoadedFile = files::ValueFile;

inline LoadedFile loadValueFile(const QString& path) { return files::readValueFile(path); }

} // namespace vx::cli
