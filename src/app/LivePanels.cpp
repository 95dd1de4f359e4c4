#include "app/LivePanels.h"

#include "app/VX40Main.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace vx {

namespace {

// Dynamic properties: the panel's design font size, a box's own text.
constexpr const char* kBasePixelSize = "vxBasePixelSize";
constexpr const char* kBoxText = "vxBoxText";
// Room between the value and the panel's right edge.
constexpr int kPanelIndent = 2;
const QColor kUnknownGrey(160, 160, 160);

// Light grey hatched with darker lines: unlike any state colour, also in grey scale.
QBrush unknownBrush()
{
    static const QPixmap tile = [] {
        QPixmap p(8, 8);
        p.fill(QColor(220, 220, 220));
        QPainter painter(&p);
        painter.setPen(kUnknownGrey);
        painter.drawLine(0, 7, 7, 0);
        return p;
    }();
    QBrush b(kUnknownGrey);
    b.setTexture(tile);
    // setTexture makes the brush black: keep the grey as its colour for whoever asks.
    b.setColor(kUnknownGrey);
    return b;
}

} // namespace

QLabel* makeLivePanel(QWidget* parent, const char* name, const QRect& geometry, int pixelSize, bool bold)
{
    auto* panel = new QLabel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setIndent(kPanelIndent);
    panel->setAutoFillBackground(true);
    QFont f = panel->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    panel->setFont(f);
    panel->setProperty(kBasePixelSize, pixelSize);
    return panel;
}

void showPanelText(QLabel* panel, const QString& text)
{
    const int base = panel->property(kBasePixelSize).toInt();
    const int room = panel->contentsRect().width() - 2 * panel->margin() - qMax(0, panel->indent());
    QFont f = panel->font();
    int size = base;
    for (; size >= PanelMinPixelSize; --size) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(text) <= room) break;
    }
    const bool fits = size >= PanelMinPixelSize;
    if (!fits) f.setPixelSize(base);
    if (panel->font() != f) panel->setFont(f);
    panel->setText(fits ? text : QString(PanelOverflowSign));
    // Cut, the value goes whole to the tooltip and to screen readers.
    const QString whole = fits ? QString() : text;
    if (panel->toolTip() != whole) {
        panel->setToolTip(whole);
        panel->setAccessibleName(whole);
        panel->setAccessibleDescription(whole);
    }
}

QLabel* makeIoBox(QWidget* parent, const QString& name, const QString& text, int x, int y, int width)
{
    auto* box = new QLabel(text, parent);
    box->setObjectName(name);
    box->setGeometry(x, y, width, 20);
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->setAlignment(Qt::AlignCenter);
    box->setAutoFillBackground(true);
    box->setProperty(kBoxText, text);
    return box;
}

bool ioBoxUnknown(const QLabel* box) { return box->text() != box->property(kBoxText).toString(); }

void showIoBox(QLabel* box, const QColor& colour)
{
    if (ioBoxUnknown(box)) {
        box->setText(box->property(kBoxText).toString());
        box->setToolTip(QString());
        box->setAccessibleDescription(QString());
    }
    TFormMain::setBoxColor(box, colour);
}

void showIoBoxUnknown(QLabel* box, const QString& why)
{
    if (!ioBoxUnknown(box) || box->toolTip() != why) {
        box->setText(QStringLiteral("?"));
        box->setToolTip(why);
        box->setAccessibleDescription(why);
    }
    QPalette p = box->palette();
    if (p.brush(QPalette::Window).style() == Qt::TexturePattern) return;
    const QBrush hatch = unknownBrush();
    p.setBrush(QPalette::Window, hatch);
    p.setBrush(QPalette::Base, hatch);
    p.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(p);
}

} // namespace vx
