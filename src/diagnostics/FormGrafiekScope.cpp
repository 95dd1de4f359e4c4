// The logging graph's scope functions: auto scale, zoom and pan with the mouse,
// two cursors, a second channel and PDF export. The design's view stays the
// default; everything here works on the samples already stored.
#include "diagnostics/FormGrafiek.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "diagnostics/GraphScope.h"
#include "params/FixedPoint.h"
#include "setpoints/Reports.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vx {

namespace {

const QColor CursorColour(0, 128, 0);
constexpr double WheelStep = 1.25; // zoom factor per wheel notch
constexpr int DragSlack = 3;       // pixels a press may move and still be a click

// A measured number with a decimal comma, as every value of the program.
QString numberText(double v, int decimals)
{
    return FixedToText(decimals, qint32(std::llround(std::clamp(v * std::pow(10.0, decimals), -2e9, 2e9))));
}

} // namespace

void TFormGrafiek::buildScopeControls(int top)
{
    auto named = [](QWidget* w, const char* name) { w->setObjectName(QLatin1String(name)); };
    int x = 4;
    auto place = [&x, top](QWidget* w, int width) {
        w->setGeometry(x, top, width, 26);
        x += width + 6;
    };
    CmdAuto = new QPushButton(QStringLiteral("Auto"), this);
    named(CmdAuto, "CmdAuto");
    place(CmdAuto, 70);
    connect(CmdAuto, &QPushButton::clicked, this, [this] { CmdAutoClick(); });
    CheckAutoHouden = new QCheckBox(QStringLiteral("Auto houden"), this);
    named(CheckAutoHouden, "CheckAutoHouden");
    place(CheckAutoHouden, 130);
    LabelKanaal2 = new QLabel(QStringLiteral("Kanaal 2"), this);
    named(LabelKanaal2, "LabelKanaal2");
    LabelKanaal2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette red = LabelKanaal2->palette(); // the second curve's colour
    red.setColor(QPalette::WindowText, graph::Channel2Colour);
    LabelKanaal2->setPalette(red);
    place(LabelKanaal2, 70);
    ComboKanaal2 = new QComboBox(this);
    named(ComboKanaal2, "ComboKanaal2");
    place(ComboKanaal2, 130);
    ComboKanaal2->addItem(QStringLiteral("-"));
    for (int i = 0; i < ComboBoxBron->count(); ++i)
        ComboKanaal2->addItem(ComboBoxBron->itemText(i));
    ComboSchaal2 = new QComboBox(this);
    named(ComboSchaal2, "ComboSchaal2");
    place(ComboSchaal2, 100);
    ComboSchaal2->addItems(graph::yDivItems());
    ComboSchaal2->setCurrentIndex(13); // 1000000: the simulated axes' range
    // Either changes the second channel's axis as well as its curve.
    for (QComboBox* box : {ComboKanaal2, ComboSchaal2})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            TekenYasVerdeling();
            TekenGrafiek();
        });
    CheckCursors = new QCheckBox(QStringLiteral("Cursors"), this);
    named(CheckCursors, "CheckCursors");
    place(CheckCursors, 100);
    connect(CheckCursors, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) m_cursor[0] = m_cursor[1] = -1;
        TekenGrafiek();
    });
    CmdHome = new QPushButton(QStringLiteral("Home"), this);
    named(CmdHome, "CmdHome");
    place(CmdHome, 110);
    connect(CmdHome, &QPushButton::clicked, this, [this] { CmdHomeClick(); });

    LabelStatus = new QLabel(this);
    named(LabelStatus, "LabelStatus");
    // Two lines: the rate, a shared line, the mouse and both cursors with two channels
    // do not fit in one; the whole text is also the tooltip.
    LabelStatus->setGeometry(4, top + 30, PanelCommError->width(), StatusHeight);
    LabelStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelStatus->setWordWrap(true);
    LabelStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Image1->installEventFilter(this);
    Image1->setMouseTracking(true);
    m_band = new QRubberBand(QRubberBand::Rectangle, Image1);
}

int TFormGrafiek::secondSource() const { return ComboKanaal2->currentIndex() - 1; }

qint32 TFormGrafiek::yDiv2() const
{
    return graph::YDivValues[std::size_t(std::clamp(ComboSchaal2->currentIndex(), 0, int(graph::YDivValues.size()) - 1))];
}

TFormGrafiek::Axis TFormGrafiek::valueAxis(int axis) const
{
    const int second = secondSource();
    const bool own = second >= 0 && !graph::sharesAxis(currentSource(), yDiv(), second, yDiv2());
    // With one channel, or one axis for both, the design's black axis; with two,
    // each in its curve's colour.
    if (axis == 0)
        return {true, currentSource(), yDiv(), m_zoom, {false, own ? graph::Channel1Colour : QColor(Qt::black)}};
    if (!own) return {};
    return {true, second, yDiv2(), m_zoom.active ? graph::channel2Zoom(m_zoom, yDiv(), yDiv2()) : graph::Zoom{}, {true, graph::Channel2Colour}};
}

QStringList TFormGrafiek::valueAxisTexts(int axis) const
{
    const Axis a = valueAxis(axis);
    if (!a.shown) return {};
    QStringList texts;
    if (a.zoom.active)
        for (const graph::Tick& t : graph::zoomValueTicks(a.zoom, a.source)) texts << t.label;
    else
        texts = graph::valueAxisLabels(a.source, a.yDiv);
    return texts << graph::unitText(a.source);
}

QString TFormGrafiek::sourceName(int source) const
{
    return source >= 0 && source < ComboBoxBron->count() ? ComboBoxBron->itemText(source) : QString::number(source);
}

void TFormGrafiek::CmdAutoClick()
{
    if (LogIndex < 0) return;
    const graph::View v = view();
    const graph::SampleRange r = graph::visibleSamples(v);
    if (m_zoom.active) {
        // A zoomed view fits its value range to the samples it shows.
        qint32 lo = LogWaarde[std::size_t(r.first)], hi = lo;
        for (int i = r.first; i <= r.last; ++i) {
            lo = std::min(lo, LogWaarde[std::size_t(i)]);
            hi = std::max(hi, LogWaarde[std::size_t(i)]);
        }
        m_zoom.vMid = (double(lo) + double(hi)) / 2;
        m_zoom.unitsPerPixel = std::max(0.01, (double(hi) - double(lo)) / (graph::PlotHeight - 40));
    } else {
        if (ListBoxY->isEnabled()) {
            const QSignalBlocker block(ListBoxY);
            ListBoxY->setCurrentRow(graph::autoScaleItem(LogWaarde.data(), r.first, r.last));
        }
        if (secondSource() >= 0)
            ComboSchaal2->setCurrentIndex(graph::autoScaleItem(LogWaarde2.data(), r.first, r.last));
    }
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::CmdHomeClick()
{
    m_zoom = {};
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::changeZoom(const std::function<graph::Zoom(const graph::Zoom&)>& change)
{
    // The first zoom or pan starts from the design's view as it is shown.
    m_zoom = change(m_zoom.active ? m_zoom : graph::zoomFromView(view()));
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::zoomTimeAt(double plotX, double factor)
{
    changeZoom([&](const graph::Zoom& z) { return graph::zoomTime(z, plotX, factor); });
}

void TFormGrafiek::zoomValueAt(double plotY, double factor)
{
    changeZoom([&](const graph::Zoom& z) { return graph::zoomValue(z, plotY, factor); });
}

void TFormGrafiek::panBy(int dx, int dy)
{
    changeZoom([&](const graph::Zoom& z) { return graph::pan(z, dx, dy); });
}

void TFormGrafiek::zoomToRect(const QRect& plotRect)
{
    changeZoom([&](const graph::Zoom& z) { return graph::zoomToRect(z, plotRect); });
}

// While a log runs with auto-scroll on, a zoomed view keeps the newest sample in sight.
void TFormGrafiek::followNewest()
{
    if (!m_zoom.active || !CheckBoxAutoScroll->isChecked() || !logging() || LogIndex < 1) return;
    const double newest = LogTijd[std::size_t(LogIndex)];
    const double right = graph::timeAt(m_zoom, graph::PlotWidth - 1);
    if (newest > right || newest < m_zoom.t0)
        m_zoom.t0 = newest - 0.9 * (graph::PlotWidth - 1) * m_zoom.msPerPixel;
}

void TFormGrafiek::setCursorAt(int cursor, int plotX)
{
    if (LogIndex < 0 || cursor < 0 || cursor > 1) return;
    const graph::Zoom z = m_zoom.active ? m_zoom : graph::zoomFromView(view());
    m_cursor[cursor] = graph::nearestSample(LogTijd.data(), std::min(LogIndex, graph::LastIndex), graph::timeAt(z, plotX));
    TekenGrafiek();
}

void TFormGrafiek::drawCursors()
{
    if (LogIndex < 0) return;
    const graph::Zoom z = m_zoom.active ? m_zoom : graph::zoomFromView(view());
    QPainter p(&m_plot);
    p.setFont(style().font);
    for (int c = 0; c < 2; ++c) {
        const int i = m_cursor[c];
        if (i < 0 || i > LogIndex) continue;
        const double x = (LogTijd[std::size_t(i)] - z.t0) / z.msPerPixel;
        if (x < 0 || x >= graph::PlotWidth) continue;
        const int px = int(std::lround(x));
        p.setPen(QPen(CursorColour, 1, Qt::DashLine));
        p.drawLine(px, 1, px, graph::PlotHeight - 2);
        p.setPen(CursorColour);
        p.drawText(QPoint(px + 3, 14), c == 0 ? QStringLiteral("A") : QStringLiteral("B"));
    }
}

QString TFormGrafiek::cursorText() const
{
    const int source = currentSource();
    const QString unit = graph::unitText(source);
    QStringList parts;
    for (int c = 0; c < 2; ++c) {
        const int i = m_cursor[c];
        if (i < 0 || i > LogIndex) continue;
        QString part = QStringLiteral("%1: %2 s  %3 %4")
                           .arg(c == 0 ? QStringLiteral("A") : QStringLiteral("B"), FixedToText(3, LogTijd[std::size_t(i)]),
                                graph::scaledText(source, LogWaarde[std::size_t(i)]), unit);
        if (secondSource() >= 0)
            part += QStringLiteral(" / %1 %2").arg(graph::scaledText(secondSource(), LogWaarde2[std::size_t(i)]), graph::unitText(secondSource()));
        parts << part;
    }
    if (m_cursor[0] >= 0 && m_cursor[1] >= 0 && parts.size() == 2) {
        const qint32 dt = LogTijd[std::size_t(m_cursor[1])] - LogTijd[std::size_t(m_cursor[0])];
        const qint64 dv = qint64(LogWaarde[std::size_t(m_cursor[1])]) - LogWaarde[std::size_t(m_cursor[0])];
        QString d = QStringLiteral("\u0394t %1 s").arg(FixedToText(3, dt));
        if (dt != 0)
            d += QStringLiteral(" (%1 Hz)").arg(numberText(1000.0 / std::abs(dt), 2));
        d += QStringLiteral("  \u0394 %1 %2").arg(graph::scaledText(source, qint32(std::clamp<qint64>(dv, INT32_MIN, INT32_MAX))), unit);
        if (secondSource() >= 0) {
            const qint64 dv2 = qint64(LogWaarde2[std::size_t(m_cursor[1])]) - LogWaarde2[std::size_t(m_cursor[0])];
            d += QStringLiteral(" / %1 %2").arg(graph::scaledText(secondSource(), qint32(std::clamp<qint64>(dv2, INT32_MIN, INT32_MAX))), graph::unitText(secondSource()));
        }
        parts << d;
    }
    return parts.join(QStringLiteral("   |   "));
}

QString TFormGrafiek::mouseText(int plotX, int plotY) const
{
    const graph::Zoom z = m_zoom.active ? m_zoom : graph::zoomFromView(view());
    const double t = graph::timeAt(z, plotX);
    auto valueText = [&](int source, const graph::Zoom& zoom) {
        const double v = graph::valueAt(zoom, plotY);
        return graph::scaledText(source, qint32(std::llround(std::clamp(v, -2e9, 2e9)))) + u' ' + graph::unitText(source);
    };
    QString text = QStringLiteral("t %1 s  ").arg(FixedToText(3, qint32(std::llround(std::clamp(t, -2e9, 2e9)))))
                   + valueText(currentSource(), z);
    // The second channel's value at the same height, read against its own axis.
    if (secondSource() >= 0) text += QStringLiteral(" / ") + valueText(secondSource(), graph::channel2Zoom(z, yDiv(), yDiv2()));
    return text;
}

void TFormGrafiek::showStatusLine()
{
    QStringList parts;
    if (LogIndex > 0 && LogTijd[std::size_t(LogIndex)] > 0) {
        // Samples per second as they arrived: each cycle of two channels costs two exchanges.
        const double rate = 1000.0 * LogIndex / LogTijd[std::size_t(LogIndex)];
        QString text = numberText(rate, 1) + u' ' + texts::Grafiek("PerSeconde");
        // Live polling beside the log slows it down: say why the rate is what it is.
        if (m_sharedLine && !LivePollingPaused()) text += QStringLiteral(" (") + texts::Grafiek("GedeeldeLijn") + u')';
        parts << text;
    } else if (m_sharedLine && !LivePollingPaused() && logging()) {
        parts << texts::Grafiek("GedeeldeLijn");
    }
    if (!m_mouseText.isEmpty()) parts << m_mouseText;
    const QString cursors = cursorText();
    if (!cursors.isEmpty()) parts << cursors;
    const QString text = parts.join(QStringLiteral("   |   "));
    LabelStatus->setText(text);
    LabelStatus->setToolTip(text);
}

bool TFormGrafiek::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Image1) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(event);
        const int notches = w->angleDelta().y() / 120;
        if (notches == 0) return true;
        const double factor = std::pow(WheelStep, -notches); // wheel up zooms in
        if (w->modifiers() & Qt::ShiftModifier)
            zoomValueAt(w->position().y(), factor);
        else
            zoomTimeAt(w->position().x(), factor);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(event);
        m_pressAt = m->position().toPoint();
        m_pressZoom = m_zoom.active ? m_zoom : graph::zoomFromView(view());
        m_dragButton = m->button();
        m_dragged = false;
        return true;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(event);
        const QPoint at = m->position().toPoint();
        m_mouseText = mouseText(at.x(), at.y());
        if (m_dragButton != Qt::NoButton && (at - m_pressAt).manhattanLength() > DragSlack) m_dragged = true;
        if (m_dragged && m_dragButton == Qt::LeftButton) {
            changeZoom([&](const graph::Zoom&) { return graph::pan(m_pressZoom, at.x() - m_pressAt.x(), at.y() - m_pressAt.y()); });
        } else if (m_dragged && m_dragButton == Qt::RightButton) {
            m_band->setGeometry(QRect(m_pressAt, at).normalized());
            m_band->show();
        }
        showStatusLine();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(event);
        const QPoint at = m->position().toPoint();
        const Qt::MouseButton button = m_dragButton;
        m_dragButton = Qt::NoButton;
        m_band->hide();
        if (m_dragged && button == Qt::RightButton)
            zoomToRect(QRect(m_pressAt, at).normalized());
        else if (!m_dragged && CheckCursors->isChecked())
            setCursorAt(button == Qt::RightButton ? 1 : 0, at.x());
        return true;
    }
    case QEvent::Leave:
        m_mouseText.clear();
        showStatusLine();
        return false;
    default: return false;
    }
}

void TFormGrafiek::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Home) {
        CmdHomeClick();
        return;
    }
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus) {
        zoomTimeAt(graph::PlotWidth / 2.0, event->key() == Qt::Key_Plus ? 1 / WheelStep : WheelStep);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormGrafiek::CmdSavePdfClick()
{
    const QString name = ui().saveFileName(this, CmdSavePdf->text(), app().OpenCloseDialoogPath,
                                           QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
    if (name.isEmpty()) return false;
    // The painter and the writer finish the file when they go, at the lambda's end.
    auto write = [&](QIODevice& f) {
        QPdfWriter pdf(&f);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(150);
        pdf.setTitle(windowTitle());
        QPainter painter(&pdf);
        // The printed reports' page header: company, type, serial number, date.
        const ReportHeader h = currentReportHeader();
        const QSize page(pdf.width(), pdf.height());
        ReportWriter w(painter, page, h);
        w.PrintPaginaHeader();
        w.HuidigY += w.RegelHoogte;
        w.setFont(10, true);
        QString title = windowTitle() + QStringLiteral(": ") + sourceName(currentSource()) + u' '
                        + graph::unitText(currentSource());
        if (secondSource() >= 0)
            title += QStringLiteral(" / ") + sourceName(secondSource()) + u' ' + graph::unitText(secondSource());
        w.textOut(w.LinksX, w.HuidigY, title);
        w.HuidigY += w.RegelHoogte * 2;
        const QImage image = composedImage();
        const int width = page.width() - 2 * w.LinksX;
        const int height = std::min(w.OnderY - w.HuidigY - 2 * w.RegelHoogte, width * image.height() / image.width());
        const QRect target(w.LinksX, w.HuidigY, height * image.width() / image.height(), height);
        painter.drawImage(target, image);
        w.HuidigY = target.bottom() + w.RegelHoogte;
        w.setFont(9, false);
        w.textOut(w.LinksX, w.HuidigY, LabelStatus->text());
        return true;
    };
    QString why;
    if (saveAtomically(name, write, &why)) return true;
    if (why.isEmpty()) why = QStringLiteral("PDF");
    showError(this, windowTitle(), QDir::toNativeSeparators(name) + QStringLiteral("\n") + why);
    return false;
}

} // namespace vx
