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
    // Extras for the technician: the samples as CSV, the graph as PNG.
    bool CmdSaveCsvClick();
    bool CmdSavePngClick();

    bool logging() const;
    // The plot, both strips and the window's layout of them, for saving and tests.
    const QImage& plotImage() const { return m_plot; }
    const QImage& timeStripImage() const { return m_timeStrip; }
    const QImage& valueStripImage() const { return m_valueStrip; }
    QImage composedImage() const;
    int xDivMs() const;
    qint32 yDiv() const;
    int firstShownSample() const;

    std::array<qint32, graph::BufferSize> LogWaarde{};
    std::array<qint32, graph::BufferSize> LogTijd{};
    int LogIndex = 0;
    // Replies of this log that could not be read (cut, foreign, no number): no sample.
    int LogGaten = 0;
    quint32 LogStartTijd = 0;
    QString PanelTekst[5];
    // The system millisecond tick count; tests may replace it.
    std::function<quint32()> TickCount;

    TPX400Protocol* PX400LeesLogData = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* ImageX = nullptr;
    QLabel* ImageY = nullptr;
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
    QLabel* LabelBuffer = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* LabelBufferCount = nullptr;
    QLabel* PanelCommError = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void LezenTeksten();
    void setIdle();
    void setStatus(const QString& text, const QColor& colour);
    void showBufferCount();
    graph::View view() const;
    graph::Style style() const;
    void showImages();
    int currentSource() const;

    QImage m_plot;
    QImage m_timeStrip;
    QImage m_valueStrip;
    QString m_request;                             // request text of the last start
    QString m_gatenTekst = QStringLiteral("gaps"); // the word after the gap count
};

} // namespace vx
