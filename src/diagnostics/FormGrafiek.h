#pragma once
// Logging graph: records one live value as fast as the controller answers and
// draws it against time.
#include "diagnostics/GraphPlot.h"

#include <QDialog>
#include <QImage>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QKeyEvent;
class QRubberBand;
class QScrollBar;

namespace vx {

class TPX400Protocol;
class TSXProtocolComponent;
struct TCommError;

class TFormGrafiek : public QDialog {
    Q_OBJECT
public:
    explicit TFormGrafiek(QWidget* parent = nullptr);

    void FormActivate();
    void CmdStartLogClick();
    void CmdStopLogClick();
    void PX400LeesLogDataCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400LeesLogDataCommError(TSXProtocolComponent* sender, const TCommError& error);
    void ComboBoxBronChange();
    void ListBoxXClick();
    void ListBoxYClick();
    void TekenGrafiek();
    void TekenYasVerdeling();
    void relabelScales();
    // Extras for the technician: the samples as CSV, the graph as PNG or PDF.
    bool CmdSaveCsvClick();
    bool CmdSavePngClick();
    bool CmdSavePdfClick();
    // Scope functions on the stored samples: fit the scales, return to the
    // design's view, place a cursor (0 or 1) at a plot x.
    void CmdAutoClick();
    void CmdHomeClick();
    void setCursorAt(int cursor, int plotX);
    void zoomTimeAt(double plotX, double factor);
    void zoomValueAt(double plotY, double factor);
    void panBy(int dx, int dy);
    void zoomToRect(const QRect& plotRect);
    const graph::Zoom& zoom() const { return m_zoom; }
    // Sample index under each cursor, -1 when not placed.
    int cursorSample(int cursor) const { return m_cursor[cursor]; }
    // The cursor read-outs and the value under the mouse, as shown in the status line.
    QString cursorText() const;
    QString mouseText(int plotX, int plotY) const;
    int secondSource() const; // -1 without a second channel
    // What a value axis shows (0 left, channel 1; 1 right, channel 2): its labels
    // from top to bottom, then its unit; empty when that axis is not drawn.
    QStringList valueAxisTexts(int axis) const;

    bool logging() const;
    // The plot, both strips and the window's layout of them, for saving and tests.
    const QImage& plotImage() const { return m_plot; }
    const QImage& timeStripImage() const { return m_timeStrip; }
    const QImage& valueStripImage() const { return m_valueStrip; }
    const QImage& valueStrip2Image() const { return m_valueStrip2; }
    QImage composedImage() const;
    int xDivMs() const;
    qint32 yDiv() const;
    int firstShownSample() const;

    std::array<qint32, graph::BufferSize> LogWaarde{};
    std::array<qint32, graph::BufferSize> LogTijd{};
    // The second channel: sampled right after the first in each cycle.
    std::array<qint32, graph::BufferSize> LogWaarde2{};
    std::array<qint32, graph::BufferSize> LogTijd2{};
    int LogIndex = 0;
    // Replies of this log that could not be read (cut, foreign, no number): no sample.
    int LogGaten = 0;
    quint32 LogStartTijd = 0;
    QString PanelTekst[5];
    // The system millisecond tick count; tests may replace it.
    std::function<quint32()> TickCount;
    // The main window's live polling, which shares the line with the log: whether it
    // is on, and pausing it for a log and putting back what was on after.
    std::function<bool()> LivePollingOn;
    std::function<void()> PauseLivePolling;
    std::function<void(bool actual, bool io)> ResumeLivePolling;
    // The live polling this log paused, until the log ends.
    bool LivePollingPaused() const { return m_pausedActual || m_pausedIo; }

    TPX400Protocol* PX400LeesLogData = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* ImageX = nullptr;
    QLabel* ImageY = nullptr;
    QLabel* ImageY2 = nullptr; // the second channel's own value axis, right of the plot
    QScrollBar* ScrollBar1 = nullptr;
    QGroupBox* GroupBoxX = nullptr;
    QGroupBox* GroupBoxY = nullptr;
    QListWidget* ListBoxX = nullptr;
    QListWidget* ListBoxY = nullptr;
    QLabel* LabelBron = nullptr;
    QComboBox* ComboBoxBron = nullptr;
    QCheckBox* CheckBoxAutoScroll = nullptr;
    QCheckBox* CheckHulplijnenXas = nullptr;
    QCheckBox* CheckHulplijnenYas = nullptr;
    QPushButton* CmdStartLog = nullptr;
    QPushButton* CmdStopLog = nullptr;
    QPushButton* CmdSaveCsv = nullptr;
    QPushButton* CmdSavePng = nullptr;
    QPushButton* CmdSavePdf = nullptr;
    QPushButton* CmdAuto = nullptr;
    QCheckBox* CheckAutoHouden = nullptr;
    QLabel* LabelKanaal2 = nullptr;
    QComboBox* ComboKanaal2 = nullptr;
    QComboBox* ComboSchaal2 = nullptr;
    QCheckBox* CheckCursors = nullptr;
    QPushButton* CmdHome = nullptr;
    QLabel* LabelStatus = nullptr;
    QLabel* LabelBuffer = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* LabelBufferCount = nullptr;
    QLabel* PanelCommError = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr int StatusHeight = 36; // two lines of the status text
    // One value axis as drawn: its source, scale, view and look.
    struct Axis {
        bool shown = false;
        int source = 0;
        qint32 yDiv = 0;
        graph::Zoom zoom;
        graph::AxisLook look;
    };
    Axis valueAxis(int axis) const;
    qint32 yDiv2() const;
    void LezenTeksten();
    void setIdle();
    void setStatus(const QString& text, const QColor& colour);
    void showBufferCount();
    graph::View view() const;
    graph::Style style() const;
    void showImages();
    int currentSource() const;
    void buildScopeControls(int top);
    void drawCursors();
    void showStatusLine();
    void followNewest();
    void changeZoom(const std::function<graph::Zoom(const graph::Zoom&)>& change);
    void storeSample(int channel, qint32 value);
    QString sourceName(int source) const;
    void offerToPauseLivePolling();
    void resumeLivePolling();

    QImage m_plot;
    QImage m_timeStrip;
    QImage m_valueStrip;
    QImage m_valueStrip2;
    QString m_request;                             // request text of the last start
    QString m_gatenTekst = QStringLiteral("gaps"); // the word after the gap count
    QString m_request2;                            // the second channel's request
    int m_pending = 0;                             // channel the request in flight reads
    graph::Zoom m_zoom;
    int m_cursor[2] = {-1, -1};
    QPoint m_pressAt;        // plot pixel where a drag started
    graph::Zoom m_pressZoom; // the view when it started
    Qt::MouseButton m_dragButton = Qt::NoButton;
    bool m_dragged = false;
    QRubberBand* m_band = nullptr;
    QString m_mouseText;
    bool m_pausedActual = false;
    bool m_pausedIo = false;
    bool m_sharedLine = false; // live polling ran beside this log
};

} // namespace vx
