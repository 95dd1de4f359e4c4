#include "diagnostics/FormGrafiek.h"
#include "core/Widgets.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "diagnostics/GraphScope.h"
#include "params/FixedPoint.h"
#include "params/ParameterDefs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace vx {

namespace {

quint32 systemTickCount()
{
    static QElapsedTimer timer;
    if (!timer.isValid()) timer.start();
    return quint32(timer.elapsed());
}

void setPlainRow(QListWidget* list, int row)
{
    const QSignalBlocker block(list);
    list->setCurrentRow(std::clamp(row, 0, list->count() - 1));
}

} // namespace

TFormGrafiek::TFormGrafiek(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGrafiek"));
    setWindowTitle(QStringLiteral("FormGrafiek"));
    setModal(true);
    TickCount = systemTickCount;
    LivePollingOn = [] { return app().ActualAan || app().InUitAan; };
    PauseLivePolling = [] { app().StopPolling(); };

    m_plot = QImage(graph::PlotWidth, graph::PlotHeight, QImage::Format_RGB32);
    m_timeStrip = QImage(graph::TimeStripWidth, graph::TimeStripHeight, QImage::Format_RGB32);
    m_valueStrip = QImage(graph::ValueStripWidth, graph::ValueStripHeight, QImage::Format_RGB32);
    m_valueStrip2 = m_valueStrip;
    m_plot.fill(Qt::white);
    m_timeStrip.fill(buttonFace());
    m_valueStrip.fill(buttonFace());
    m_valueStrip2.fill(buttonFace());

    PX400LeesLogData = makeControllerComponent(this, "PX400LeesLogData", 300);
    PX400LeesLogData->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
        PX400LeesLogDataCommResult(s, r);
    };
    PX400LeesLogData->OnCommError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray&) {
        PX400LeesLogDataCommError(s, e);
    };

    auto named = [](QWidget* w, const char* name) { w->setObjectName(QLatin1String(name)); };
    Image1 = new QLabel(this);
    named(Image1, "Image1");
    Image1->setGeometry(80, 12, graph::PlotWidth, graph::PlotHeight);
    ImageX = new QLabel(this);
    named(ImageX, "ImageX");
    ImageX->setGeometry(60, 421, graph::TimeStripWidth, graph::TimeStripHeight);
    ImageY = new QLabel(this);
    named(ImageY, "ImageY");
    ImageY->setGeometry(0, 6, graph::ValueStripWidth, graph::ValueStripHeight);
    ImageY2 = new QLabel(this); // under the time strip, as the left one
    named(ImageY2, "ImageY2");
    ImageY2->setGeometry(80 + graph::PlotWidth, 6, graph::ValueStripWidth, graph::ValueStripHeight);
    ImageY2->hide();

    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    named(ScrollBar1, "ScrollBar1");
    ScrollBar1->setGeometry(80, 448, graph::PlotWidth, 17);
    ScrollBar1->setPageStep(22);
    ScrollBar1->setSingleStep(20);
    ScrollBar1->setRange(0, 0);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this] { TekenGrafiek(); });

    // The controls stand right of the second channel's axis.
    const int cx = 80 + graph::PlotWidth + graph::ValueStripWidth + 6, cw = 170;
    // Each scale's group holds its list and the switch for its guide lines.
    auto scaleGroup = [this, named, cx, cw](QGroupBox*& box, QListWidget*& list, QCheckBox*& check, const char* boxName,
                                            const char* listName, const char* checkName, const QString& title, int top) {
        box = new QGroupBox(title, this);
        named(box, boxName);
        box->setGeometry(cx, top, cw, 150);
        list = new QListWidget(box);
        named(list, listName);
        check = new QCheckBox(QLatin1String(checkName), box);
        named(check, checkName);
        auto* l = new QVBoxLayout(box);
        l->setContentsMargins(6, 2, 6, 4);
        l->setSpacing(2);
        l->addWidget(list);
        l->addWidget(check);
    };
    scaleGroup(GroupBoxX, ListBoxX, CheckHulplijnenXas, "GroupBoxX", "ListBoxX", "CheckHulplijnenXas",
               QStringLiteral("X-as"), 4);
    scaleGroup(GroupBoxY, ListBoxY, CheckHulplijnenYas, "GroupBoxY", "ListBoxY", "CheckHulplijnenYas",
               QStringLiteral("Y-as"), 158);
    ListBoxX->addItems(graph::xDivItems());
    ListBoxY->addItems(graph::yDivItems());
    connect(ListBoxX, &QListWidget::currentRowChanged, this, [this] { ListBoxXClick(); });
    connect(ListBoxY, &QListWidget::currentRowChanged, this, [this] { ListBoxYClick(); });
    connect(CheckHulplijnenXas, &QCheckBox::clicked, this, [this] { TekenGrafiek(); });
    connect(CheckHulplijnenYas, &QCheckBox::clicked, this, [this] { TekenGrafiek(); });

    LabelBron = new QLabel(QStringLiteral("Bron"), this);
    named(LabelBron, "LabelBron");
    LabelBron->setGeometry(cx, 310, cw, 16);
    ComboBoxBron = new QComboBox(this);
    named(ComboBoxBron, "ComboBoxBron");
    ComboBoxBron->setGeometry(cx, 326, cw, 24);
    ComboBoxBron->addItems({QStringLiteral("ActPos"), QStringLiteral("Act_V"), QStringLiteral("Act_U"),
                            QStringLiteral("Act_I")});
    connect(ComboBoxBron, &QComboBox::currentIndexChanged, this, [this] { ComboBoxBronChange(); });

    CheckBoxAutoScroll = new QCheckBox(QStringLiteral("CheckBoxAutoScroll"), this);
    named(CheckBoxAutoScroll, "CheckBoxAutoScroll");
    CheckBoxAutoScroll->setGeometry(cx, 352, cw, 20);

    CmdStartLog = new QPushButton(QStringLiteral("Start Log"), this);
    named(CmdStartLog, "CmdStartLog");
    CmdStartLog->setGeometry(cx, 374, cw / 2 - 2, 28);
    connect(CmdStartLog, &QPushButton::clicked, this, [this] { CmdStartLogClick(); });
    CmdStopLog = new QPushButton(QStringLiteral("Stop Log"), this);
    named(CmdStopLog, "CmdStopLog");
    CmdStopLog->setGeometry(cx + cw / 2 + 2, 374, cw / 2 - 2, 28);
    connect(CmdStopLog, &QPushButton::clicked, this, [this] { CmdStopLogClick(); });

    LabelBuffer = new QLabel(QStringLiteral("Buffer:"), this);
    named(LabelBuffer, "LabelBuffer");
    LabelBuffer->setGeometry(cx, 404, 60, 18);
    LabelBufferCount = new QLabel(QStringLiteral("0,0 sec"), this);
    named(LabelBufferCount, "LabelBufferCount");
    LabelBufferCount->setGeometry(cx + 60, 404, cw - 60, 18);
    LabelBufferCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Gauge1 = new QProgressBar(this);
    named(Gauge1, "Gauge1");
    Gauge1->setGeometry(cx, 422, cw, 14);
    Gauge1->setTextVisible(false);
    Gauge1->setRange(0, graph::LastIndex);
    QPalette gp = Gauge1->palette();
    gp.setColor(QPalette::Highlight, Qt::blue);
    Gauge1->setPalette(gp);

    const int bw = (cw - 8) / 3;
    CmdSaveCsv = new QPushButton(QStringLiteral("CSV..."), this);
    named(CmdSaveCsv, "CmdSaveCsv");
    CmdSaveCsv->setGeometry(cx, 440, bw, 26);
    connect(CmdSaveCsv, &QPushButton::clicked, this, [this] { CmdSaveCsvClick(); });
    CmdSavePng = new QPushButton(QStringLiteral("PNG..."), this);
    named(CmdSavePng, "CmdSavePng");
    CmdSavePng->setGeometry(cx + bw + 4, 440, bw, 26);
    connect(CmdSavePng, &QPushButton::clicked, this, [this] { CmdSavePngClick(); });
    CmdSavePdf = new QPushButton(QStringLiteral("PDF..."), this);
    named(CmdSavePdf, "CmdSavePdf");
    CmdSavePdf->setGeometry(cx + 2 * (bw + 4), 440, bw, 26);
    connect(CmdSavePdf, &QPushButton::clicked, this, [this] { CmdSavePdfClick(); });

    PanelCommError = new QLabel(this);
    named(PanelCommError, "PanelCommError");
    PanelCommError->setGeometry(4, 470, cx + cw - 4, 22);
    // "CSV..." and "PNG..." read the same in every language.
    PanelCommError->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont bold = PanelCommError->font();
    bold.setBold(true);
    PanelCommError->setFont(bold);

    buildScopeControls(496);
    setFixedSize(cx + cw + 6, 496 + 30 + StatusHeight + 4);
    showImages();
}

void TFormGrafiek::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window is no new opening.
    if (!event->spontaneous()) FormActivate();
}

void TFormGrafiek::done(int result)
{
    AppState& s = app();
    s.GrafiekXDiv = ListBoxX->currentRow();
    s.GrafiekYDiv = ListBoxY->currentRow();
    s.GrafiekBronItem = ComboBoxBron->currentIndex();
    s.GrafiekXHulplijn = CheckHulplijnenXas->isChecked();
    s.GrafiekYHulplijn = CheckHulplijnenYas->isChecked();
    PX400LeesLogData->setCyclic(false);
    CmdStopLog->setEnabled(false); // a reply still on its way is no sample
    resumeLivePolling();
    // The next opening starts from the design's view again.
    m_zoom = {};
    m_cursor[0] = m_cursor[1] = -1;
    QDialog::done(result);
}

void TFormGrafiek::LezenTeksten()
{
    if (!app().TaalGeladen) return;
    setWindowTitle(texts::Grafiek("CaptionGrafiek"));
    LabelBuffer->setText(texts::Grafiek("LabelBuffer"));
    CheckBoxAutoScroll->setText(texts::Grafiek("LabelAutoscroll"));
    CheckHulplijnenXas->setText(texts::Grafiek("LabelHulplijnenXas"));
    CheckHulplijnenYas->setText(texts::Grafiek("LabelHulplijnenYas"));
    CmdStartLog->setText(texts::Grafiek("CmdStartLog"));
    CmdStopLog->setText(texts::Grafiek("CmdStopLog"));
    GroupBoxX->setTitle(texts::Grafiek("GroepXas"));
    GroupBoxY->setTitle(texts::Grafiek("GroepYas"));
    LabelBron->setText(texts::Grafiek("LabelBron"));
    {
        const QSignalBlocker block(ComboBoxBron);
        ComboBoxBron->clear();
        ComboBoxBron->addItems(parseOptionList(texts::Grafiek("optiesBron")));
    }
    m_gatenTekst = texts::Grafiek("Gaten");
    CmdAuto->setText(texts::Grafiek("CmdAuto"));
    CheckAutoHouden->setText(texts::Grafiek("LabelAutoHouden"));
    LabelKanaal2->setText(texts::Grafiek("LabelKanaal2"));
    CheckCursors->setText(texts::Grafiek("LabelCursors"));
    CmdHome->setText(texts::Grafiek("CmdHome"));
    {
        const QSignalBlocker block(ComboKanaal2);
        const int item = ComboKanaal2->currentIndex();
        ComboKanaal2->clear();
        ComboKanaal2->addItem(texts::Grafiek("Geen"));
        for (int i = 0; i < ComboBoxBron->count(); ++i)
            ComboKanaal2->addItem(ComboBoxBron->itemText(i));
        ComboKanaal2->setCurrentIndex(std::clamp(item, 0, ComboKanaal2->count() - 1));
    }
    PanelTekst[0] = texts::Grafiek("PanelTekst0");
    PanelTekst[1] = texts::Grafiek("PanelTekst1");
    PanelTekst[2] = texts::Grafiek("PanelTekst2");
    PanelTekst[3] = texts::Grafiek("PanelTekst3");
    PanelTekst[4] = texts::Grafiek("PanelTekst4");
}

bool TFormGrafiek::logging() const { return CmdStopLog->isEnabled(); }

void TFormGrafiek::setIdle()
{
    resumeLivePolling();
    CmdStartLog->setEnabled(app().SXComm1 && app().SXComm1->Active());
    CmdStopLog->setEnabled(false);
    ComboBoxBron->setEnabled(true);
    ComboKanaal2->setEnabled(true);
}

void TFormGrafiek::setStatus(const QString& text, const QColor& colour)
{
    PanelCommError->setText(text);
    QPalette p = PanelCommError->palette();
    p.setColor(QPalette::WindowText, colour);
    PanelCommError->setPalette(p);
}

int TFormGrafiek::currentSource() const { return ComboBoxBron->currentIndex(); }

int TFormGrafiek::xDivMs() const
{
    return graph::XDivMs[std::size_t(std::clamp(ListBoxX->currentRow(), 0, int(graph::XDivMs.size()) - 1))];
}

qint32 TFormGrafiek::yDiv() const
{
    return graph::YDivValues[std::size_t(std::clamp(ListBoxY->currentRow(), 0, int(graph::YDivValues.size()) - 1))];
}

int TFormGrafiek::firstShownSample() const
{
    return graph::firstSample(CheckBoxAutoScroll->isChecked(), logging(), LogIndex, ScrollBar1->value(), xDivMs());
}

graph::View TFormGrafiek::view() const
{
    graph::View v;
    v.waarde = LogWaarde.data();
    v.tijd = LogTijd.data();
    v.logIndex = LogIndex;
    v.first = firstShownSample();
    v.xDivMs = xDivMs();
    v.yDiv = yDiv();
    v.xHulplijn = CheckHulplijnenXas->isChecked();
    v.yHulplijn = CheckHulplijnenYas->isChecked();
    if (secondSource() >= 0) {
        v.waarde2 = LogWaarde2.data();
        v.tijd2 = LogTijd2.data();
        v.yDiv2 = yDiv2();
    }
    v.zoom = m_zoom;
    return v;
}

graph::Style TFormGrafiek::style() const
{
    QFont f = font();
    f.setPixelSize(11);
    return {buttonFace(), f};
}

void TFormGrafiek::showImages()
{
    Image1->setPixmap(QPixmap::fromImage(m_plot));
    ImageX->setPixmap(QPixmap::fromImage(m_timeStrip));
    ImageY->setPixmap(QPixmap::fromImage(m_valueStrip));
    ImageY2->setPixmap(QPixmap::fromImage(m_valueStrip2));
}

void TFormGrafiek::FormActivate()
{
    LezenTeksten();
    setIdle();
    const AppState& s = app();
    setPlainRow(ListBoxX, s.GrafiekXDiv);
    setPlainRow(ListBoxY, s.GrafiekYDiv);
    {
        const QSignalBlocker block(ComboBoxBron);
        const int item = s.GrafiekBronItem;
        ComboBoxBron->setCurrentIndex(item >= 0 && item < ComboBoxBron->count() ? item : -1);
    }
    CheckHulplijnenXas->setChecked(s.GrafiekXHulplijn);
    CheckHulplijnenYas->setChecked(s.GrafiekYHulplijn);
    ComboBoxBronChange();
    Gauge1->setValue(0);
    m_plot.fill(Qt::white);
    graph::View v = view();
    graph::drawEmpty(m_plot, m_timeStrip, v, style());
    showImages();
}

void TFormGrafiek::ComboBoxBronChange()
{
    const int source = currentSource();
    if (source == graph::VoltageSource || source == graph::CurrentSource) {
        setPlainRow(ListBoxY, source == graph::VoltageSource ? graph::VoltageYItem : graph::CurrentYItem);
        ListBoxY->setEnabled(false);
    } else {
        ListBoxY->setEnabled(true);
    }
    TekenYasVerdeling();
}

void TFormGrafiek::ListBoxXClick() { TekenGrafiek(); }

void TFormGrafiek::ListBoxYClick()
{
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::TekenYasVerdeling()
{
    relabelScales();
    const Axis left = valueAxis(0), right = valueAxis(1);
    graph::drawValueAxis(m_valueStrip, left.source, left.yDiv, style(), left.zoom, left.look);
    if (right.shown) graph::drawValueAxis(m_valueStrip2, right.source, right.yDiv, style(), right.zoom, right.look);
    else m_valueStrip2.fill(buttonFace());
    ImageY2->setVisible(right.shown);
    showImages();
}

// The scale lists in the units the axes show (10000 counts with two decimals read
// "100,00"), so the list and the axis never tell the same scale in two numbers.
void TFormGrafiek::relabelScales()
{
    auto text = [](int source, qint32 div) {
        return source < 0 ? QString::number(div) : graph::scaledText(source, div);
    };
    const int second = secondSource() >= 0 ? secondSource() : currentSource();
    for (int k = 0; k < int(graph::YDivValues.size()); ++k) {
        const qint32 div = graph::YDivValues[std::size_t(k)];
        if (QListWidgetItem* item = ListBoxY->item(k)) item->setText(text(currentSource(), div));
        if (ComboSchaal2 && k < ComboSchaal2->count()) ComboSchaal2->setItemText(k, text(second, div));
    }
}

void TFormGrafiek::TekenGrafiek()
{
    {
        const QSignalBlocker block(ScrollBar1);
        ScrollBar1->setRange(0, std::max(LogIndex, 0));
    }
    if (CheckAutoHouden->isChecked() && logging() && ListBoxY->isEnabled() && !m_zoom.active) {
        const graph::SampleRange r = graph::visibleSamples(view());
        const int item = graph::autoScaleItem(LogWaarde.data(), r.first, r.last);
        if (item != ListBoxY->currentRow()) {
            setPlainRow(ListBoxY, item);
            TekenYasVerdeling();
        }
    }
    followNewest();
    graph::drawGraph(m_plot, m_timeStrip, view(), style());
    drawCursors();
    showImages();
    showStatusLine();
}

void TFormGrafiek::CmdStartLogClick()
{
    LogIndex = -1;
    LogGaten = 0;
    Gauge1->reset();
    const QString request = cmd::liveValueRequest(currentSource());
    if (!request.isEmpty()) m_request = request;
    m_request2 = secondSource() >= 0 ? cmd::liveValueRequest(secondSource()) : QString();
    m_pending = 0;
    m_cursor[0] = m_cursor[1] = -1;
    offerToPauseLivePolling();
    m_sharedLine = LivePollingOn && LivePollingOn();
    PX400LeesLogData->setASCIIProtocol(m_request);
    CmdStartLog->setEnabled(false);
    CmdStopLog->setEnabled(true);
    ComboBoxBron->setEnabled(false);
    ComboKanaal2->setEnabled(false);
    PX400LeesLogData->setCyclic(true);
    setStatus(PanelTekst[2], Qt::black);
}

void TFormGrafiek::offerToPauseLivePolling()
{
    if (!LivePollingOn || !LivePollingOn() || !PauseLivePolling) return;
    // The live values take turns with the log's requests: the samples come several
    // times slower and unevenly, so the curve zig-zags.
    const auto answer = ui().message(this, QMessageBox::Question, windowTitle(), texts::Grafiek("VraagLivePauze"),
                                     QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    m_pausedActual = app().ActualAan;
    m_pausedIo = app().InUitAan;
    PauseLivePolling();
}

void TFormGrafiek::resumeLivePolling()
{
    if (!LivePollingPaused()) return;
    const bool actual = std::exchange(m_pausedActual, false);
    const bool io = std::exchange(m_pausedIo, false);
    if (ResumeLivePolling) ResumeLivePolling(actual, io);
}

void TFormGrafiek::CmdStopLogClick()
{
    PX400LeesLogData->setCyclic(false);
    setIdle();
    ListBoxY->setEnabled(true);
    setStatus(PanelTekst[3], Qt::black);
}

void TFormGrafiek::PX400LeesLogDataCommResult(TSXProtocolComponent*, const QByteArray& reply)
{
    // The reply to the request in flight when the log stopped is not a sample:
    // the stopped log stays as the user saw it.
    if (!logging()) return;
    const int channel = m_request2.isEmpty() ? 0 : m_pending;
    // A cut or foreign reply, or one with no number ("er 7"), is no value of the
    // source: no sample is taken, and the gap is counted where the user sees it.
    const auto value = cmd::checkReply(channel ? m_request2 : m_request, reply, cmd::GraphReplyLimit).number;
    if (!value) {
        ++LogGaten;
        showBufferCount();
        if (channel == 0) return;
    }
    if (channel == 0 || value)
        storeSample(channel, value.value_or(0));
    // With two channels the cyclic resend alternates between their requests; a
    // cycle ends when the second has answered (or failed to).
    if (!m_request2.isEmpty()) {
        m_pending = 1 - channel;
        PX400LeesLogData->setASCIIProtocol(m_pending ? m_request2 : m_request);
        if (m_pending) return;
    }
    Gauge1->setValue(LogIndex);
    if (LogIndex >= graph::LastIndex) {
        PX400LeesLogData->setCyclic(false);
        setIdle();
        ListBoxY->setEnabled(true);
        setStatus(PanelTekst[4], Qt::black);
    }
    TekenGrafiek();
    showBufferCount();
}

void TFormGrafiek::storeSample(int channel, qint32 value)
{
    if (channel == 1) {
        const std::size_t i = std::size_t(std::max(LogIndex, 0));
        LogTijd2[i] = qint32(TickCount() - LogStartTijd);
        LogWaarde2[i] = value;
        return;
    }
    if (LogIndex < graph::LastIndex) ++LogIndex;
    const std::size_t i = std::size_t(LogIndex);
    if (LogIndex == 0) {
        LogStartTijd = TickCount();
        LogTijd[0] = 0;
    } else {
        LogTijd[i] = qint32(TickCount() - LogStartTijd);
    }
    LogWaarde[i] = value;
    // Until the second channel answers, its sample holds the one before, so an
    // earlier log's values never show.
    LogTijd2[i] = LogTijd[i];
    LogWaarde2[i] = i > 0 ? LogWaarde2[i - 1] : 0;
}

void TFormGrafiek::showBufferCount()
{
    const qint32 ms = LogIndex >= 0 ? LogTijd[std::size_t(LogIndex)] : 0;
    QString text = FixedToText(1, ms / 100) + QStringLiteral(" sec");
    if (LogGaten > 0)
        text += QStringLiteral(", %1 %2").arg(LogGaten).arg(m_gatenTekst);
    LabelBufferCount->setText(text);
}

void TFormGrafiek::PX400LeesLogDataCommError(TSXProtocolComponent*, const TCommError& error)
{
    PX400LeesLogData->setCyclic(false);
    if (error.Code == CommTimeout)
        setStatus(PanelTekst[0], Qt::red);
    else if (error.Code != 0 && (error.OSError != 0 || error.LineErrors != 0))
        setStatus(PanelTekst[1], Qt::red);
    setIdle();
    ListBoxY->setEnabled(true);
}

QImage TFormGrafiek::composedImage() const
{
    QImage out(size(), QImage::Format_RGB32);
    out.fill(buttonFace());
    QPainter p(&out);
    p.drawImage(ImageY->pos(), m_valueStrip);
    if (ImageY2->isVisibleTo(this)) p.drawImage(ImageY2->pos(), m_valueStrip2);
    p.drawImage(ImageX->pos(), m_timeStrip);
    p.drawImage(Image1->pos(), m_plot);
    p.end();
    const QRect all = ImageX->geometry().united(ImageY2->geometry());
    return out.copy(0, 0, all.right() + 1, all.bottom() + 1);
}

bool TFormGrafiek::CmdSaveCsvClick()
{
    const QString name = ui().saveFileName(this, CmdSaveCsv->text(), app().OpenCloseDialoogPath,
                                           QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
    if (name.isEmpty()) return false;
    graph::CsvChannel channels[2] = {{sourceName(currentSource()), currentSource(), LogWaarde.data(), LogTijd.data(), yDiv()},
                                     {}};
    const graph::View v = view();
    if (v.waarde2)
        channels[1] = {sourceName(secondSource()), secondSource(), LogWaarde2.data(), LogTijd2.data(), v.yDiv2};
    QString why;
    if (saveAtomically(name, graph::samplesCsv(channels, v.waarde2 ? 2 : 1, LogIndex), &why)) return true;
    showError(this, windowTitle(), QDir::toNativeSeparators(name) + QStringLiteral("\n") + why);
    return false;
}

bool TFormGrafiek::CmdSavePngClick()
{
    const QString name = ui().saveFileName(this, CmdSavePng->text(), app().OpenCloseDialoogPath,
                                           QStringLiteral("PNG (*.png)"), QStringLiteral("png"));
    if (name.isEmpty()) return false;
    const QImage image = composedImage();
    auto png = [&](QIODevice& f) { return image.save(&f, "PNG"); };
    QString why;
    if (saveAtomically(name, png, &why)) return true;
    if (why.isEmpty()) why = QStringLiteral("PNG");
    showError(this, windowTitle(), QDir::toNativeSeparators(name) + QStringLiteral("\n") + why);
    return false;
}

} // namespace vx
