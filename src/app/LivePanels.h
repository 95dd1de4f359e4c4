#pragma once
// How the main window shows live values and input and output states: a value is
// never shown in part, and a state that could not be read never looks like "off".
#include <QChar>
#include <QString>

class QColor;
class QLabel;
class QRect;
class QWidget;

namespace vx {

// Shown in a live panel whose whole value does not fit even in its smallest font.
inline constexpr QChar PanelOverflowSign = QChar(0x2026);
// The smallest font a live panel shrinks to before it shows the overflow sign.
inline constexpr int PanelMinPixelSize = 8;

// A live-value panel: sunken, right-aligned, in a font of pixelSize that it shrinks
// from when a value needs it.
QLabel* makeLivePanel(QWidget* parent, const char* name, const QRect& geometry, int pixelSize, bool bold);
// Shows text whole: in the panel's own font, or a smaller one down to
// PanelMinPixelSize; where even that is too wide, the overflow sign, with the whole
// text in the tooltip and the accessible name and description.
void showPanelText(QLabel* panel, const QString& text);

// A numbered state box of an input or output; text is what it shows while its state is known.
QLabel* makeIoBox(QWidget* parent, const QString& name, const QString& text, int x, int y, int width);
// A known state (blue, white) or none polled (button face): the box's own text, no tooltip.
void showIoBox(QLabel* box, const QColor& colour);
// A state that could not be read: hatched grey with "?", why in its tooltip and
// accessible description.
void showIoBoxUnknown(QLabel* box, const QString& why);
bool ioBoxUnknown(const QLabel* box);

} // namespace vx
