#include "core/Widgets.h"

#include <QApplication>
#include <QPalette>

namespace vx {

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

} // namespace vx
