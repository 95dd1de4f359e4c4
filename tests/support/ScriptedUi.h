#pragma once
// Test stand-in for the message boxes and file/print dialogs: records what the
// user would have seen and answers from a script.
#include "core/UiSeams.h"

#include <QList>
#include <QStringList>
#include <deque>

namespace vx::test {

struct ShownMessage {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton; // NoButton: the box's own
};

class ScriptedUi : public UiSeams {
public:
    QList<ShownMessage> messages;
    std::deque<QMessageBox::StandardButton> answers; // empty: the first offered of Yes/Ok
    std::deque<QString> fileNames;                   // empty: the dialog is cancelled
    QStringList dialogCaptions;
    QStringList dialogDirs; // the folder or proposed file each file dialog started at
    bool printAccepted = false;
    int printCalls = 0;

    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons) override;
    QString openFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override;
    QString saveFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter,
                         const QString& defaultSuffix) override;
    bool print(QWidget*, QPrinter&) override;

    // Installs a fresh instance and returns it (owned by the seam).
    static ScriptedUi* install();
};

} // namespace vx::test
