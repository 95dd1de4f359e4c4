#pragma once
// Message boxes, file dialogs and the print dialog go through here so tests can
// script the answers and record what the user would have seen.
#include <QMessageBox>
#include <QString>
#include <memory>

class QWidget;
class QPrinter;

namespace vx {

class UiSeams {
public:
    virtual ~UiSeams() = default;
    virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& caption, const QString& text,
                                                QMessageBox::StandardButtons buttons);
    // Return an empty string when the user cancels.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter);
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter, const QString& defaultSuffix);
    // Shows the print dialog for printer; false when the user cancels.
    virtual bool print(QWidget* parent, QPrinter& printer);
};

UiSeams& ui();
// Installs a replacement (tests); nullptr restores the Qt dialogs.
void setUiSeams(std::unique_ptr<UiSeams> seams);

// Short forms for the common boxes.
void showError(QWidget* parent, const QString& caption, const QString& text);
void showWarning(QWidget* parent, const QString& caption, const QString& text);
void showInfo(QWidget* parent, const QString& caption, const QString& text);
bool askYesNo(QWidget* parent, const QString& caption, const QString& text);
// A warning with Yes and No whose default (Enter) is No, for steps that change the
// controller; true on Yes.
bool askYesDefaultNo(QWidget* parent, const QString& caption, const QString& text);
// The default button of the question being asked (NoButton: the box's own choice).
QMessageBox::StandardButton askedDefaultButton();
// The unsaved-changes question: buttons from Apply (shown as sendText), Save,
// Discard and Cancel; the answer as the standard button.
QMessageBox::StandardButton askUnsaved(QWidget* parent, const QString& caption, const QString& text,
                                       QMessageBox::StandardButtons buttons, const QString& sendText);

} // namespace vx
