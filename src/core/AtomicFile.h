#pragma once
// Every file the program saves goes through here: written to a temporary file in the
// same folder and renamed over the target only when all of it was written and
// flushed, so a failed save (full disk, no rights, a crash half-way) leaves an
// existing file as it was and no half-written one behind.
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace vx {

// On failure returns false and sets error to the system's reason.
bool saveAtomically(const QString& path, const QByteArray& contents, QString* error = nullptr);

// For a file written in pieces (an image, a PDF): write fills the device and returns
// false when it could not; nothing replaces the target then.
bool saveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error = nullptr);

} // namespace vx
