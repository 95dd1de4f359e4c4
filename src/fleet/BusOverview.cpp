#include "fleet/BusOverview.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "core/RtfReader.h"
#include "core/UiSeams.h"
#include "device/ControllerLine.h"
#include "fleet/History.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"
#include "params/SafetyBackup.h"
#include "plans/AsyncRunner.h"

#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

namespace vx {

namespace {

QPushButton* button(QWidget* owner, const char* name, QLayout* into)
{
    auto* b = new QPushButton(owner);
    b->setObjectName(QLatin1String(name));
    into->addWidget(b);
    return b;
}

} // namespace

TFormBusOverview::TFormBusOverview(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormBusOverview"));
    auto* top = new QVBoxLayout(this);
    GridUnits = new QTableWidget(0, ColumnCount, this);
    GridUnits->setObjectName(QStringLiteral("GridUnits"));
    GridUnits->verticalHeader()->hide();
    GridUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridUnits->setSelectionMode(QAbstractItemView::SingleSelection);
    GridUnits->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridUnits->horizontalHeader()->setStretchLastSection(true);
    GridUnits->setMinimumSize(900, 220);
    connect(GridUnits, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { connectRow(row); });
    top->addWidget(GridUnits);
    PanelStatus = new QLabel(this);
    PanelStatus->setObjectName(QStringLiteral("PanelStatus"));
    top->addWidget(PanelStatus);
    auto* buttons = new QHBoxLayout;
    CmdSearchBus = button(this, "CmdSearchBus", buttons);
    CmdBackupAll = button(this, "CmdBackupAll", buttons);
    CmdHistory = button(this, "CmdHistory", buttons);
    buttons->addStretch();
    CmdClose = button(this, "CmdClose", buttons);
    top->addLayout(buttons);
    connect(CmdSearchBus, &QPushButton::clicked, this, &TFormBusOverview::CmdSearchBusClick);
    connect(CmdBackupAll, &QPushButton::clicked, this, &TFormBusOverview::CmdBackupAllClick);
    connect(CmdHistory, &QPushButton::clicked, this, &TFormBusOverview::CmdHistoryClick);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::accept);

    // Made before the components, so they go before them and never reach a deleted one.
    // The search's components keep the pause rule (probes at wrong settings bring
    // garbled bytes); the poll and the backups end replies as the options say.
    for (int r = 0; r < 2; ++r) {
        m_runners[r] = new plans::AsyncRunner(this);
        connect(m_runners[r], &plans::AsyncRunner::finished, this, &TFormBusOverview::jobFinished);
        connect(m_runners[r], &plans::AsyncRunner::progressed, this, &TFormBusOverview::showProgress);
    }
    static const char* const names[2][2] = {{"FleetLine", "FleetSelect"}, {"FleetProbe", "FleetIdent"}};
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 2; ++i) {
            TPX400Protocol* c = makeControllerComponent(this, names[r][i]);
            if (r == 1)
                keepPauseRule(c);
            m_runners[r]->setChannel(i, c);
        }
    m_runner = m_runners[0];
    m_help = new QTextDocument(this);
    m_choice = plans::SearchChoice::window(TBaudrate::br9600, false, false, TParityBit::Even, TStopBit::sb_1);
}

TFormBusOverview::~TFormBusOverview()
{
    for (plans::AsyncRunner* r : m_runners)
        r->cancel();
}

void TFormBusOverview::showProgress(int done, int total)
{
    if (m_job == Job::Search)
        PanelStatus->setText(texts::Fleet("Searching").arg(done).arg(total));
    else if (m_job == Job::Backup) {
        const auto* plan = static_cast<fleet::BackupAllPlan*>(m_plan.get());
        const int at = std::min(plan->current(), int(m_units.size()) - 1);
        PanelStatus->setText(texts::Fleet("BackingUp").arg(m_units.value(at).unit).arg(at + 1).arg(m_units.size()));
    }
}

QString TFormBusOverview::portName() const
{
    const TSXComm* port = app().SXComm1;
    return port ? QStringLiteral("COM%1").arg(int(port->PortName()) + 1) : QString();
}

QString TFormBusOverview::backupFolder() const
{
    return m_folder.isEmpty() ? paths::userDataDir() + QStringLiteral("/Backups/Units") : m_folder;
}

void TFormBusOverview::LezenTeksten()
{
    setWindowTitle(texts::Fleet("MenuOverview"));
    static const char* const heads[] = {"ColPort", "ColUnit", "ColLine", "ColType", "ColHardware",
                                        "ColSerial", "ColError", "ColBackup", "ColState"};
    QStringList labels;
    for (const char* h : heads)
        labels << texts::Fleet(h);
    GridUnits->setHorizontalHeaderLabels(labels);
    CmdSearchBus->setText(texts::Fleet("CmdSearchBus"));
    CmdBackupAll->setText(texts::Fleet("CmdBackupAll"));
    CmdHistory->setText(texts::Fleet("CmdHistory"));
    CmdClose->setText(QStringLiteral("OK"));
}

void TFormBusOverview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormBusOverview::FormActivate()
{
    LezenTeksten();
    if (TSXComm* port = app().SXComm1; port && !m_savedKnown) {
        m_saved = {port->Baudrate(), port->FrameParitybit(), port->FrameStopbits()};
        m_savedKnown = true;
        if (m_choice.parities.size() == 1)
            m_choice.parities = {port->FrameParitybit()};
        if (m_choice.stops.size() == 1)
            m_choice.stops = {port->FrameStopbits()};
    }
    m_units.clear();
    for (const fleet::KnownUnit& u : fleet::loadUnits(paths::userDataDir()))
        if (u.port == portName())
            m_units << u;
    m_states = QList<fleet::BusPollPlan::State>(m_units.size());
    fill();
    if (m_job == Job::None)
        startPoll();
}

QString TFormBusOverview::errorText(int error)
{
    if (error < 0)
        return QStringLiteral("-");
    // The title of the entry in the error help: "Error 23<tab>Axis 1 lag".
    const QString file = app().ExeDir + QStringLiteral("ErrorHelp%1.rtf").arg(app().TaalIndex);
    if (file != m_helpFrom) {
        m_helpFrom = file;
        m_help->clear();
        loadRtfFile(file, m_help);
    }
    const QRegularExpression heading(QStringLiteral("^\\S+ %1\\t(.*)$").arg(error));
    for (QTextBlock b = m_help->begin(); b.isValid(); b = b.next())
        if (const auto m = heading.match(b.text()); m.hasMatch())
            return QStringLiteral("%1  %2").arg(error).arg(m.captured(1).trimmed());
    return QString::number(error);
}

void TFormBusOverview::fill()
{
    GridUnits->setRowCount(int(m_units.size()));
    const QStringList folders = QStringList{safety::folder(), backupFolder()} + manifest::folders(paths::userDataDir());
    for (int row = 0; row < m_units.size(); ++row) {
        const fleet::KnownUnit& u = m_units[row];
        const fleet::BackupDates d = fleet::backupDates(fleet::history(folders, u.rx));
        const QString last = d.lastBackup.isValid() ? d.lastBackup.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                                    : texts::Fleet("BackupNone");
        const QString texts[] = {u.port, QString::number(u.unit), fleet::lineText(u.line, u.dataBits),
                                 u.rt, u.rh, u.rx,
                                 QString(), d.older() ? texts::Fleet("BackupOlder").arg(last) : last, QString()};
        for (int col = 0; col < ColumnCount; ++col)
            GridUnits->setItem(row, col, new QTableWidgetItem(texts[col]));
        fillState(row);
    }
    GridUnits->resizeColumnsToContents();
    fitWidth();
}

void TFormBusOverview::fillState(int row)
{
    if (row >= GridUnits->rowCount() || row >= m_states.size())
        return;
    const fleet::BusPollPlan::State& s = m_states[row];
    GridUnits->item(row, ColError)->setText(s.known && s.live ? errorText(s.error) : QString());
    QTableWidgetItem* state = GridUnits->item(row, ColState);
    state->setText(!s.known ? texts::Fleet("StateUnknown") : texts::Fleet(s.live ? "StateLive" : "StateGone"));
    state->setForeground(!s.known ? palette().text() : s.live ? QBrush(Qt::darkGreen)
                                                              : QBrush(Qt::red));
    GridUnits->resizeColumnToContents(ColError);
    fitWidth();
}

void TFormBusOverview::fitWidth()
{
    // Every column in sight: the window grows with the texts of the language.
    int width = 2 * GridUnits->frameWidth() + 4;
    for (int col = 0; col < ColumnCount; ++col)
        width += GridUnits->columnWidth(col);
    GridUnits->setMinimumWidth(std::max(900, width));
}

QString TFormBusOverview::cell(int row, int col) const
{
    const QTableWidgetItem* item = GridUnits->item(row, col);
    return item ? item->text() : QString();
}

void TFormBusOverview::startPoll()
{
    if (m_units.isEmpty() || !app().SXComm1 || !app().SXComm1->Active())
        return;
    auto plan = std::make_unique<fleet::BusPollPlan>(m_units, m_gapMs);
    plan->onState = [this, p = plan.get()](int index) {
        m_states = p->states();
        fillState(index);
    };
    m_plan = std::move(plan);
    m_job = Job::Poll;
    m_usedLine = true;
    m_runner = m_runners[0];
    m_runner->run(m_plan.get());
}

void TFormBusOverview::stopJob()
{
    m_runner->cancel();
    m_job = m_pending = Job::None;
}

void TFormBusOverview::CmdSearchBusClick()
{
    if (!busy())
        startJob(Job::Search);
}

void TFormBusOverview::startJob(Job job)
{
    // A request of the poll may be on the line: the poll ends at its next step, and
    // the job starts after it.
    if (m_job == Job::Poll && m_runner->running()) {
        m_pending = job;
        m_runner->stop();
        return;
    }
    m_pending = Job::None;
    m_runner->cancel();
    m_runner = m_runners[job == Job::Search ? 1 : 0];
    if (job == Job::Search) {
        m_plan = std::make_unique<fleet::BusSearchPlan>(m_choice);
    } else {
        const QString folder = backupFolder();
        QDir().mkpath(folder);
        const QString port = portName();
        m_plan = std::make_unique<fleet::BackupAllPlan>(
            m_units, [folder, port](const fleet::KnownUnit& u, const TParWaarden& par, const TSollWaarden& soll,
                                    QString& error) {
                return fleet::saveUnitBackup(folder, port, u, par, soll, error);
            });
    }
    m_job = job;
    m_usedLine = true;
    CmdSearchBus->setEnabled(false);
    CmdBackupAll->setEnabled(false);
    m_runner->run(m_plan.get());
}

void TFormBusOverview::CmdBackupAllClick()
{
    if (!busy() && !m_units.isEmpty())
        startJob(Job::Backup);
}

void TFormBusOverview::jobFinished()
{
    const Job job = m_job;
    m_job = Job::None;
    if (job == Job::Poll && m_pending != Job::None) {
        startJob(m_pending);
        return;
    }
    CmdSearchBus->setEnabled(true);
    CmdBackupAll->setEnabled(true);
    if (job == Job::Search) {
        const auto* plan = static_cast<fleet::BusSearchPlan*>(m_plan.get());
        QList<fleet::KnownUnit> found;
        const TSXComm* port = app().SXComm1;
        const int dataBits = port && port->FrameDatabits() == TDataBit::db_7 ? 7 : 8;
        for (const fleet::BusSearchPlan::Hit& h : plan->hits())
            found << fleet::foundUnit(portName(), h.probe, h.identity, dataBits);
        const QString dir = paths::userDataDir();
        fleet::saveUnits(dir, fleet::merged(fleet::loadUnits(dir), found));
        PanelStatus->setText(found.size() == 1 ? texts::Fleet("FoundOne") : texts::Fleet("Found").arg(found.size()));
        FormActivate();
        return;
    }
    if (job == Job::Backup) {
        const auto* plan = static_cast<fleet::BackupAllPlan*>(m_plan.get());
        manifest::rememberFolder(paths::userDataDir(), backupFolder());
        m_summary.clear();
        for (const fleet::UnitBackup& b : plan->results())
            m_summary << (b.ok ? texts::Fleet("AllUnitDone").arg(b.unit.unit).arg(QDir::toNativeSeparators(b.path))
                               : texts::Fleet("AllUnitFailed").arg(b.unit.unit).arg(b.reason));
        const int failed = plan->failed();
        const QString head = texts::Fleet("AllDone").arg(plan->results().size() - failed).arg(failed);
        PanelStatus->setText(head);
        fill();
        startPoll();
        ui().message(this, failed ? QMessageBox::Warning : QMessageBox::Information, texts::Fleet("CmdBackupAll"),
                     head + QStringLiteral("\n\n") + m_summary.join(u'\n'), QMessageBox::Ok);
    }
}

void TFormBusOverview::CmdHistoryClick()
{
    const int row = GridUnits->currentRow();
    if (row < 0 || row >= m_units.size() || !openHistory)
        return;
    openHistory(m_units[row].rx);
}

void TFormBusOverview::connectRow(int row)
{
    if (row < 0 || row >= m_units.size() || busy())
        return;
    stopJob();
    const fleet::KnownUnit u = m_units[row];
    if (TSXComm* port = app().SXComm1) {
        try {
            port->Close();
        } catch (const EComm& e) {
            showError(this, QStringLiteral("Comm Error"), e.text());
        }
        port->setBaudrate(u.line.baud);
        port->setFrameParitybit(u.line.parity);
        port->setFrameStopbits(u.line.stop);
        port->setFrameDatabits(u.dataBits == 7 ? TDataBit::db_7 : TDataBit::db_8);
    }
    app().setUnitNumber(u.unit);
    m_savedKnown = false; // the main window goes on with this unit's settings
    QDialog::accept();
}

void TFormBusOverview::done(int result)
{
    stopJob();
    // The poll and the search left the port at some unit's settings with another unit
    // selected: the port closes at the main window's settings, and opening it again
    // selects the main window's unit.
    if (TSXComm* port = app().SXComm1; port && m_savedKnown && m_usedLine) {
        try {
            port->Close();
        } catch (const EComm& e) {
            showError(this, QStringLiteral("Comm Error"), e.text());
        }
        port->setBaudrate(m_saved.baud);
        port->setFrameParitybit(m_saved.parity);
        port->setFrameStopbits(m_saved.stop);
    }
    m_savedKnown = m_usedLine = false;
    QDialog::done(result);
}

void TFormBusOverview::hideEvent(QHideEvent* event)
{
    // No poll behind a window nobody sees.
    if (m_job == Job::Poll)
        stopJob();
    QDialog::hideEvent(event);
}

} // namespace vx
