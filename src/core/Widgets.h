#pragma once
// Small helpers every window shares.
#include <QColor>

#include <QString>

class QApplication;
class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;

namespace vx {

// The system's button-face colour: the background of panels and boxes that show
// nothing (the design's clBtnFace).
QColor buttonFace();

// An OK/Cancel row in the platform's order at the end of layout; the buttons carry
// the design's object names (CmdOK, CmdCancel) and OK is the default button. The
// dialog connects their clicks itself.
struct OkCancel {
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancel addOkCancelRow(QDialog* dialog, QBoxLayout* layout);

// An Alt+letter for a caption that has none: its first letter not taken yet in the
// window (taken collects the letters, lower case).
QString withMnemonic(const QString& text, QString& taken);
// Every button and check box of the window without an Alt+letter gets one, after
// the letters its captions already carry.
void assignMnemonics(QWidget* window);
// Dialogs get their Alt+letters when they are shown, once their texts are set.
void assignDialogMnemonicsOnShow(QApplication& application);
// A frame follows the keyboard focus from control to control, so a technician using
// the keyboard sees where it is (the style's own hint is faint).
void showKeyboardFocus(QApplication& application);

} // namespace vx
