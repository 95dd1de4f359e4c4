#pragma once
// Small helpers every window shares.
#include <QColor>

namespace vx {

// The system's button-face colour: the background of panels and boxes that show
// nothing (the design's clBtnFace).
QColor buttonFace();

} // namespace vx
