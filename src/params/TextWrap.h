#pragma once
// Word wrap for message-box texts.
#include <QString>

namespace vx {

// Breaks text into lines of at most maxCol characters where possible: a line ends
// after its last tab, blank, "-" or "." before the limit, the blanks after a break are
// dropped and CR LF is put in. Text in single or double quotes is never broken; a
// word longer than a line stays whole. Line breaks already in the text are kept.
QString wrapMessage(const QString& text, int maxCol = 42);

} // namespace vx
