#pragma once
// The pictures of the user guide: which window each one shows, how the program gets
// there (the menu item or button a user would take) and what state is set up first.
// `vx5x-shots` takes them; the guide test checks that the set of files in docs/img
// matches this table and that every opener still exists.
#include "support/EventWait.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace vx {
class TFormMain;
}

namespace vx::shots {

struct Shot {
    QString name;   // docs/img/<name>-<language>.png
    QString opener; // object name of the menu item or button; empty: the main window
    // Prepares the program before the opener runs (values, files); may be empty.
    std::function<void(TFormMain&)> before;
    // Brings the opened window (or the main window) into the state shown.
    std::function<void(QWidget*)> drive;
    // A picture other than the window itself (a printed page); empty: the window.
    std::function<QImage(QWidget*)> picture = {};
};

const std::vector<Shot>& all();
// Language codes in the order of the language files (Taal0, Taal1, Taal2).
const QStringList& languages();
// Every file name the table produces, sorted.
QStringList fileNames();

using test::waitFor;

} // namespace vx::shots
