#include "device/ApparaatZoeken.h"
#include "core/Widgets.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "plans/AsyncRunner.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vx {

namespace {

const QColor kLightYellow(255, 255, 151);
constexpr int kColumnWidths[5] = {34, 305, 66, 48, 74};

void setPanelColour(QLabel* panel, const QColor& colour)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    panel->setPalette(p);
}

QLabel* makeIndicator(QWidget* parent, const char* name, const QString& caption)
{
    auto* panel = new QLabel(caption, parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setFixedSize(24, 22);
    return panel;
}

QLabel* makeStatusPanel(QWidget* parent, const char* name, int minWidth)
{
    auto* panel = new QLabel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(minWidth);
    panel->setMinimumHeight(22);
    return panel;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QString parityText(TParityBit p)
{
    switch (p) {
    case TParityBit::None: return QStringLiteral("None");
    case TParityBit::Even: return QStringLiteral("Even");
    case TParityBit::Odd: return QStringLiteral("Odd");
    }
    return {};
}

} // namespace

TFormApparaatZoeken::TFormApparaatZoeken(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormApparaatZoeken"));
    // No close box: the window ends through OK or Cancel only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Zoeken..."));
    buildControls();

    // Made before the components, so it goes before them and never reaches a deleted one.
    m_runner = new plans::AsyncRunner(this);
    m_probe = makeControllerComponent(this, "PX400ApparaatZoeken");
    m_typeInfo = makeControllerComponent(this, "ASCIILeesTypeInfo");
    // Probes on wrong line settings bring garbled bytes, which may hold a line end.
    keepPauseRule(m_probe);
    keepPauseRule(m_typeInfo);
    m_probe->OnCommResult = [this](TSXProtocolComponent* c, const QByteArray& r) { PX400ApparaatZoekenCommResult(c, r); };
    m_typeInfo->OnCommResult = [this](TSXProtocolComponent* c, const QByteArray& r) { ASCIILeesTypeInfoCommResult(c, r); };
    auto onError = [this](TSXProtocolComponent* c, const TCommError& e, const QByteArray& r) {
        PX400ApparaatZoekenCommError(c, e, r);
    };
    m_probe->OnCommError = onError;
    m_typeInfo->OnCommError = onError;

    m_runner->setChannel(plans::SearchPlan::ProbeChannel, m_probe, false);
    m_runner->setChannel(plans::SearchPlan::IdentChannel, m_typeInfo, false);
    connect(m_runner, &plans::AsyncRunner::sent, this, &TFormApparaatZoeken::probe);
    connect(m_runner, &plans::AsyncRunner::finished, this, &TFormApparaatZoeken::zoekenKlaar);
}

TFormApparaatZoeken::~TFormApparaatZoeken() = default;

void TFormApparaatZoeken::buildControls()
{
    auto* top = new QVBoxLayout(this);

    StringGrid1 = new QTableWidget(DataRows, 5, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    int width = 0;
    for (int c = 0; c < 5; ++c) {
        StringGrid1->setColumnWidth(c, kColumnWidths[c]);
        width += kColumnWidths[c];
    }
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("tekst 0"), QStringLiteral("tekst 1"),
                                            QStringLiteral("tekst 2"), QStringLiteral("tekst 3"),
                                            QStringLiteral("tekst 4")});
    StringGrid1->setMinimumSize(width + StringGrid1->verticalScrollBar()->sizeHint().width() + 4, 230);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { CmdOKClick(); });
    top->addWidget(StringGrid1);

    auto* settings = new QHBoxLayout;
    auto* startBox = new QVBoxLayout;
    LabelStartenMet = new QLabel(QStringLiteral("Start met:"), this);
    LabelStartenMet->setObjectName(QStringLiteral("LabelStartenMet"));
    ComboBaudRate = new QComboBox(this);
    ComboBaudRate->setObjectName(QStringLiteral("ComboBaudRate"));
    ComboBaudRate->addItems({QStringLiteral("9600 b/s"), QStringLiteral("19200 b/s"), QStringLiteral("28800 b/s"),
                             QStringLiteral("38400 b/s"), QStringLiteral("57600 b/s")});
    startBox->addWidget(LabelStartenMet);
    startBox->addWidget(ComboBaudRate);
    startBox->addStretch();
    settings->addLayout(startBox);

    auto makeGroup = [this](const char* name, const QString& title, QRadioButton*& com, const char* comName,
                            QRadioButton*& autoRb, const char* autoName, std::initializer_list<QLabel*> panels) {
        auto* g = new QGroupBox(title, this);
        g->setObjectName(QLatin1String(name));
        auto* grid = new QGridLayout(g);
        com = new QRadioButton(QStringLiteral("als COM"), g);
        com->setObjectName(QLatin1String(comName));
        com->setChecked(true);
        autoRb = new QRadioButton(QStringLiteral("auto wisselen"), g);
        autoRb->setObjectName(QLatin1String(autoName));
        grid->addWidget(com, 0, 0);
        grid->addWidget(autoRb, 1, 0);
        auto* row = new QHBoxLayout;
        for (QLabel* p : panels) {
            p->setParent(g);
            row->addWidget(p);
        }
        row->addStretch();
        grid->addLayout(row, 0, 1, 2, 1);
        return g;
    };
    Panel_parity_N = makeIndicator(this, "Panel_parity_N", QStringLiteral("N"));
    Panel_parity_O = makeIndicator(this, "Panel_parity_O", QStringLiteral("O"));
    Panel_parity_E = makeIndicator(this, "Panel_parity_E", QStringLiteral("E"));
    Panel_stopbits_1 = makeIndicator(this, "Panel_stopbits_1", QStringLiteral("1"));
    Panel_stopbits_2 = makeIndicator(this, "Panel_stopbits_2", QStringLiteral("2"));
    GroupBoxParity = makeGroup("GroupBoxParity", QStringLiteral("Parity"), RB_parity_com, "RB_parity_com",
                               RB_parity_auto, "RB_parity_auto", {Panel_parity_N, Panel_parity_O, Panel_parity_E});
    GroupBoxStopBits = makeGroup("GroupBoxStopBits", QStringLiteral("Stopbits"), RB_stopbits_com, "RB_stopbits_com",
                                 RB_stopbits_auto, "RB_stopbits_auto", {Panel_stopbits_1, Panel_stopbits_2});
    settings->addWidget(GroupBoxParity);
    settings->addWidget(GroupBoxStopBits);
    top->addLayout(settings);

    auto* status = new QHBoxLayout;
    PanelZoekTekst = makeStatusPanel(this, "PanelZoekTekst", 200);
    PanelBaudRate = makeStatusPanel(this, "PanelBaudRate", 90);
    PanelApparaatNo = makeStatusPanel(this, "PanelApparaatNo", 40);
    PanelApparaatNo->setAlignment(Qt::AlignCenter);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 31);
    Gauge1->setValue(0);
    status->addWidget(PanelZoekTekst, 3);
    status->addWidget(PanelBaudRate, 1);
    status->addWidget(PanelApparaatNo);
    status->addWidget(Gauge1, 2);
    top->addLayout(status);
    PanelVoortgang = makeStatusPanel(this, "PanelVoortgang", 200);
    top->addWidget(PanelVoortgang);

    auto* buttons = new QHBoxLayout;
    CmdOK = makeButton(this, "CmdOK", QStringLiteral("OK"));
    CmdStartZoeken = makeButton(this, "CmdStartZoeken", QStringLiteral("Start"));
    CmdStop = makeButton(this, "CmdStop", QStringLiteral("Stop"));
    CmdVerder = makeButton(this, "CmdVerder", QStringLiteral("Verder"));
    CmdCancel = makeButton(this, "CmdCancel", QStringLiteral("Cancel"));
    for (QPushButton* b : {CmdOK, CmdStartZoeken, CmdStop, CmdVerder, CmdCancel}) buttons->addWidget(b);
    top->addLayout(buttons);

    connect(CmdOK, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdOKClick);
    connect(CmdStartZoeken, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdStartZoekenClick);
    connect(CmdStop, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdStopClick);
    connect(CmdVerder, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdVerderClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdCancelClick);
}

void TFormApparaatZoeken::LeesTeksten()
{
    for (QString& t : PanelTekst) t.clear();
    if (!app().TaalGeladen) return;
    setWindowTitle(texts::AparaatZoeken("Caption"));
    CmdOK->setText(texts::AparaatZoeken("CmdOK"));
    CmdVerder->setText(texts::AparaatZoeken("CmdVerder"));
    CmdStartZoeken->setText(texts::AparaatZoeken("CmdStart"));
    CmdStop->setText(texts::AparaatZoeken("CmdStop"));
    CmdCancel->setText(texts::AparaatZoeken("CmdCancel"));
    LabelStartenMet->setText(texts::AparaatZoeken("LabelStartenMet"));
    StringGrid1->setHorizontalHeaderLabels({
        texts::AparaatZoeken("KolomTekst0"),
        texts::AparaatZoeken("KolomTekst1"),
        texts::AparaatZoeken("KolomTekst2"),
        texts::AparaatZoeken("KolomTekst3"),
        texts::AparaatZoeken("KolomTekst4"),
    });
    GroupBoxParity->setTitle(texts::AparaatZoeken("GroepParity"));
    GroupBoxStopBits->setTitle(texts::AparaatZoeken("GroepStopBits"));
    const QString alsCom = texts::AparaatZoeken("RadioAlsCom");
    RB_parity_com->setText(alsCom);
    RB_stopbits_com->setText(alsCom);
    const QString autoSelect = texts::AparaatZoeken("RadioAutoSelect");
    RB_parity_auto->setText(autoSelect);
    RB_stopbits_auto->setText(autoSelect);
    PanelTekst[0] = texts::AparaatZoeken("PanelTekst0");
    PanelTekst[1] = texts::AparaatZoeken("PanelTekst1");
    PanelTekst[2] = texts::AparaatZoeken("PanelTekst2");
    PanelTekst[3] = texts::AparaatZoeken("PanelTekst3");
    // The status texts are whole sentences: the panel is as wide as the longest.
    int widest = 0;
    for (const QString& t : PanelTekst) widest = std::max(widest, PanelZoekTekst->fontMetrics().horizontalAdvance(t));
    PanelZoekTekst->setMinimumWidth(widest + 2 * PanelZoekTekst->frameWidth() + 8);
    // Columns at least as wide as their headers.
    for (int c = 0; c < StringGrid1->columnCount(); ++c)
        if (const QTableWidgetItem* h = StringGrid1->horizontalHeaderItem(c))
            StringGrid1->setColumnWidth(
                c, std::max(StringGrid1->columnWidth(c),
                            StringGrid1->horizontalHeader()->fontMetrics().horizontalAdvance(h->text()) + 12));
}

void TFormApparaatZoeken::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormApparaatZoeken::FormActivate()
{
    m_runner->cancel();
    LeesTeksten();
    if (TSXComm* port = app().SXComm1) {
        m_savedBaud = port->Baudrate();
        m_savedParity = port->FrameParitybit();
        m_savedStop = port->FrameStopbits();
    }
    CmdOK->setEnabled(false);
    ComboBaudRate->setEnabled(true);
    ComboBaudRate->setCurrentIndex(0);
    for (QRadioButton* rb : {RB_parity_com, RB_parity_auto, RB_stopbits_com, RB_stopbits_auto}) rb->setEnabled(true);
    CmdStartZoeken->setEnabled(true);
    CmdStop->setEnabled(false);
    CmdVerder->setEnabled(false);
    StartFlag = false;
    StopFlag = false;
    m_finished = false;
    clearGrid();
    PanelZoekTekst->clear();
    PanelBaudRate->clear();
    PanelApparaatNo->clear();
    PanelVoortgang->clear();
    Gauge1->setValue(0);
    for (QLabel* p : {Panel_parity_N, Panel_parity_O, Panel_parity_E, Panel_stopbits_1, Panel_stopbits_2})
        setPanelColour(p, buttonFace());
}

void TFormApparaatZoeken::clearGrid()
{
    // A grid that grew during the last search goes back to its design size.
    StringGrid1->setRowCount(DataRows);
    StringGrid1->clearContents();
    m_gridRow = 1;
}

int TFormApparaatZoeken::gridRows() const { return StringGrid1->rowCount(); }

QString TFormApparaatZoeken::cell(int row, int col) const
{
    if (row < 1 || row > StringGrid1->rowCount()) return {};
    const QTableWidgetItem* item = StringGrid1->item(row - 1, col);
    return item ? item->text() : QString();
}

void TFormApparaatZoeken::setCell(int row, int col, const QString& text)
{
    if (row < 1 || col < 0 || col >= StringGrid1->columnCount()) return;
    // A hit beyond the last row gets a new row rather than being lost.
    if (row > StringGrid1->rowCount()) StringGrid1->setRowCount(row);
    StringGrid1->setItem(row - 1, col, new QTableWidgetItem(text));
}

void TFormApparaatZoeken::CmdStartZoekenClick()
{
    clearGrid();
    StartFlag = true;
    CmdStop->setEnabled(true);
    ApparaatZoekenStap();
}

void TFormApparaatZoeken::CmdStopClick()
{
    StopFlag = true;
    // Honoured when the request under way is answered.
    m_runner->stop();
}

void TFormApparaatZoeken::CmdVerderClick()
{
    CmdVerder->setEnabled(false);
    ComboBaudRate->setEnabled(false);
    for (QRadioButton* rb : {RB_parity_com, RB_parity_auto, RB_stopbits_com, RB_stopbits_auto}) rb->setEnabled(false);
    CmdStartZoeken->setEnabled(false);
    StopFlag = false;
    ApparaatZoekenStap();
}

void TFormApparaatZoeken::applyToPort(const plans::LineSettings& line)
{
    TSXComm* port = app().SXComm1;
    if (!port) return;
    port->setBaudrate(line.baud);
    port->setFrameParitybit(line.parity);
    port->setFrameStopbits(line.stop);
}

// A port that cannot be opened or set ends the search; the user sees why.
void TFormApparaatZoeken::portFailure(const QString& text)
{
    showError(this, QStringLiteral("Comm Error"), text);
    PanelZoekTekst->setText(PanelTekst[1]);
    setIdleControls(false);
}

void TFormApparaatZoeken::ApparaatZoekenStap()
{
    PanelZoekTekst->setText(PanelTekst[0]);
    TSXComm* port = app().SXComm1;
    // The automatic choices may have been changed while the search rested.
    m_keuze = plans::SearchChoice::window(static_cast<TBaudrate>(qBound(0, ComboBaudRate->currentIndex(), 4) + 3),
                                          RB_parity_auto->isChecked(), RB_stopbits_auto->isChecked(), m_savedParity,
                                          m_savedStop);
    if (StartFlag) {
        StartFlag = false;
        StopFlag = false;
        m_finished = false;
        CmdStartZoeken->setEnabled(false);
        ComboBaudRate->setEnabled(false);
        for (QRadioButton* rb : {RB_parity_com, RB_parity_auto, RB_stopbits_com, RB_stopbits_auto})
            rb->setEnabled(false);
        m_gridRow = 1;
        // The bar counts what its text counts: combinations of the whole search.
        Gauge1->setRange(0, std::max(1, m_keuze.count()));
        m_plan = std::make_unique<plans::SearchPlan>(m_keuze);
        m_zoekTijd.start();
        m_msPerProbe = -1;
        m_probesTimed = 0;
        m_timedAt = 0;
        try {
            // A closed port opens at the first probe's settings.
            if (port && !port->Active()) {
                if (const auto first = m_keuze.first()) applyToPort(first->line);
                port->Open();
            }
        } catch (const EComm& e) {
            portFailure(e.text());
            return;
        }
        m_startBaud = m_keuze.bauds.value(0);
    } else {
        // Verder makes every probe of the choice not made yet in this search: on from
        // the last one, or, when "Start with" was changed, from the rate now chosen.
        // The pause before it is no probe's time.
        const TBaudrate start = m_keuze.bauds.value(0);
        const std::optional<plans::Probe> after =
            start == m_startBaud ? std::optional<plans::Probe>(m_stand) : std::nullopt;
        m_startBaud = start;
        m_plan = std::make_unique<plans::SearchPlan>(m_keuze, m_plan ? m_plan->made() : QSet<plans::Probe>{}, after);
        if (m_zoekTijd.isValid()) m_timedAt = m_zoekTijd.elapsed();
    }
    m_runner->setPort(port);
    m_runner->run(m_plan.get());
}

void TFormApparaatZoeken::probe(const plans::Request& request)
{
    if (request.channel != plans::SearchPlan::ProbeChannel || !m_plan) return;
    m_stand = m_plan->probe();
    PanelZoekTekst->setText(PanelTekst[0]);
    PanelBaudRate->setText(QStringLiteral("%1 bit/s").arg(baudrateValue(m_stand.line.baud)));
    PanelApparaatNo->setText(QString::number(m_stand.unit));
    toonVoortgang(m_plan->done());
    auto mark = [](QLabel* panel, bool on) { setPanelColour(panel, on ? kLightYellow : buttonFace()); };
    mark(Panel_parity_N, m_stand.line.parity == TParityBit::None);
    mark(Panel_parity_O, m_stand.line.parity == TParityBit::Odd);
    mark(Panel_parity_E, m_stand.line.parity == TParityBit::Even);
    mark(Panel_stopbits_1, m_stand.line.stop == TStopBit::sb_1);
    mark(Panel_stopbits_2, m_stand.line.stop == TStopBit::sb_2);
}

void TFormApparaatZoeken::toonVoortgang(int done)
{
    const int all = m_keuze.count();
    Gauge1->setRange(0, std::max(1, all));
    Gauge1->setValue(std::clamp(done, 0, std::max(1, all)));
    // Time left from the pace so far, smoothed over the probes (a silent address
    // waits its whole time-out, an answering one does not); nothing to go on before
    // the first probe. A resumed search times from where it goes on.
    if (m_zoekTijd.isValid() && done > m_probesTimed) {
        const qint64 now = m_zoekTijd.elapsed();
        const double perProbe = double(now - m_timedAt) / (done - m_probesTimed);
        if (m_probesTimed > 0) m_msPerProbe = m_msPerProbe < 0 ? perProbe : 0.8 * m_msPerProbe + 0.2 * perProbe;
        m_probesTimed = done;
        m_timedAt = now;
    } else if (done < m_probesTimed) {
        m_probesTimed = done;
        m_timedAt = m_zoekTijd.isValid() ? m_zoekTijd.elapsed() : 0;
    }
    const qint64 left = m_msPerProbe >= 0 && done < all ? qint64(std::llround(m_msPerProbe * (all - done) / 1000))
                        : done >= all                   ? 0
                                                        : -1;
    PanelVoortgang->setText(texts::AparaatZoeken("Voortgang")
                                .arg(done)
                                .arg(all)
                                .arg(left < 0 ? QStringLiteral("?") : QString::number(left)));
}

void TFormApparaatZoeken::setIdleControls(bool verder)
{
    ComboBaudRate->setEnabled(true);
    for (QRadioButton* rb : {RB_parity_com, RB_parity_auto, RB_stopbits_com, RB_stopbits_auto}) rb->setEnabled(true);
    CmdStartZoeken->setEnabled(true);
    CmdVerder->setEnabled(verder);
}

void TFormApparaatZoeken::stopZoeken()
{
    PanelZoekTekst->setText(PanelTekst[1]);
    setIdleControls(true);
}

void TFormApparaatZoeken::zoekenKlaar()
{
    if (!m_plan) return;
    using State = plans::SearchPlan::State;
    switch (m_plan->state()) {
    case State::Searching:
    case State::Stopped:
        toonVoortgang(m_plan->done());
        stopZoeken();
        break;
    case State::Exhausted:
        m_finished = true;
        toonVoortgang(m_plan->done());
        PanelZoekTekst->setText(PanelTekst[2]);
        setIdleControls(false);
        CmdStop->setEnabled(false);
        break;
    case State::PortFailed: portFailure(m_plan->failure().errorText); break;
    case State::LineFailed:
        // The port itself failed (an adapter pulled out, a device gone).
        showError(this, QStringLiteral("Comm Error"), QStringLiteral("Windows Comm error! "));
        PanelZoekTekst->setText(PanelTekst[1]);
        setIdleControls(true);
        break;
    case State::Found: {
        QString text;
        for (int step = 0; step < 3; ++step) {
            if (step > 0) text += QStringLiteral("   ");
            text += m_plan->identity().at(step).value_or(QStringLiteral("????"));
        }
        const int row = m_gridRow;
        setCell(row, 0, QString::asprintf("%2.2d", m_stand.unit));
        setCell(row, 1, text);
        setCell(row, 2, QString::number(baudrateValue(m_stand.line.baud)));
        setCell(row, 3, parityText(m_stand.line.parity));
        setCell(row, 4, m_stand.line.stop == TStopBit::sb_2 ? QStringLiteral("2") : QStringLiteral("1"));
        ++m_gridRow;
        toonVoortgang(m_plan->done());
        PanelZoekTekst->setText(PanelTekst[3]);
        CmdOK->setEnabled(true);
        setIdleControls(true);
        break;
    }
    }
}

void TFormApparaatZoeken::PX400ApparaatZoekenCommResult(TSXProtocolComponent* sender, const QByteArray& reply)
{
    m_runner->CommResult(sender, reply);
}

void TFormApparaatZoeken::PX400ApparaatZoekenCommError(TSXProtocolComponent* sender, const TCommError& error,
                                                       const QByteArray& reply)
{
    m_runner->CommError(sender, error, reply);
}

void TFormApparaatZoeken::ASCIILeesTypeInfoCommResult(TSXProtocolComponent* sender, const QByteArray& reply)
{
    m_runner->CommResult(sender, reply);
}

void TFormApparaatZoeken::CmdOKClick()
{
    const int row = StringGrid1->currentRow() + 1;
    if (row < 1 || cell(row, 1).isEmpty()) return;
    m_runner->cancel();
    TSXComm* port = app().SXComm1;
    if (port) {
        try {
            port->Close();
        } catch (const EComm& e) {
            showError(this, QStringLiteral("Comm Error"), e.text());
        }
    }
    app().setUnitNumber(cell(row, 0).trimmed().toInt());
    if (port) {
        static const struct {
            const char* text;
            TBaudrate baud;
        } rates[] = {{"9600", TBaudrate::br9600},
                     {"19200", TBaudrate::br19200},
                     {"28800", TBaudrate::br28800},
                     {"38400", TBaudrate::br38400},
                     {"57600", TBaudrate::br57600}};
        const QString baud = cell(row, 2);
        for (const auto& r : rates)
            if (baud == QLatin1String(r.text)) port->setBaudrate(r.baud);
        const QString parity = cell(row, 3);
        if (parity == QLatin1String("None")) port->setFrameParitybit(TParityBit::None);
        else if (parity == QLatin1String("Odd")) port->setFrameParitybit(TParityBit::Odd);
        else if (parity == QLatin1String("Even")) port->setFrameParitybit(TParityBit::Even);
        const QString stop = cell(row, 4);
        if (stop == QLatin1String("1")) port->setFrameStopbits(TStopBit::sb_1);
        else if (stop == QLatin1String("2")) port->setFrameStopbits(TStopBit::sb_2);
    }
    accept();
}

void TFormApparaatZoeken::CmdCancelClick()
{
    m_runner->cancel();
    if (TSXComm* port = app().SXComm1) {
        try {
            port->Close();
        } catch (const EComm& e) {
            showError(this, QStringLiteral("Comm Error"), e.text());
        }
        port->setBaudrate(m_savedBaud);
        port->setFrameParitybit(m_savedParity);
        port->setFrameStopbits(m_savedStop);
    }
    QDialog::reject();
}

// Escape means Cancel: the saved line settings come back.
void TFormApparaatZoeken::reject() { CmdCancelClick(); }

} // namespace vx
