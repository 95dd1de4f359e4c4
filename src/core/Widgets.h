#pragma once
// Small helpers every window shares.
#include <QColor>

class QBoxLayout;
class QDialog;
class QPushButton;

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

} // namespace vx
