#include "core/AtomicFile.h"

#include <QSaveFile>

namespace vx {

bool saveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error)
{
    QSaveFile f(path);
    // Never fall back to writing the target in place: that is what loses the old file.
    f.setDirectWriteFallback(false);
    auto fail = [&] {
        if (error)
            *error = f.errorString();
        f.cancelWriting(); // the temporary file goes, the target stays as it was
        return false;
    };
    if (!f.open(QIODevice::WriteOnly))
        return fail();
    if (!write(f) || !f.flush())
        return fail();
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool saveAtomically(const QString& path, const QByteArray& contents, QString* error)
{
    return saveAtomically(
        path, [&](QIODevice& d) { return d.write(contents) == contents.size(); }, error);
}

} // namespace vx
