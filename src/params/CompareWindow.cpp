#include "params/CompareWindow.h"
#include "params/CompareWindowModel.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"
#include "params/Verify.h"
#include "plans/AsyncRunner.h"
#include "plans/RowWritePlan.h"
#include "plans/TransferPlans.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "core/Csv.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/ControllerLine.h"
#include "params/ParFiles.h"
#include "params/ParTree.h"
#include "params/ParamText.h"
#include "params/ParameterDefs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vx {

namespace {

QString T(const char* key)
{
    return texts::Compare(key);
}

const QColor DiffColour(255, 236, 160);
const QColor RefusedColour(255, 190, 190);
const QColor WrittenColour(200, 240, 200);

// "P012" / "S005": sorts by kind, then number.
QString numberText(const compare::Row& r)
{
    return QString(QChar(r.setpoint ? u'S' : u'P')) + QString::number(r.number).rightJustified(3, u'0');
}

} // namespace

TFormCompare::TFormCompare(transfer::Sets sets, QWidget* parent)
    : QDialog(parent), m_sets(sets)
{
    setObjectName(QStringLiteral("FormCompare"));
    resize(860, 560);

    auto* top = new QHBoxLayout;
    ComboA = new QComboBox(this);
    ComboB = new QComboBox(this);
    for (QComboBox* c : {ComboA, ComboB})
        for (int i = 0; i < 4; ++i)
            c->addItem(QString());
    top->addWidget(ComboA, 1);
    top->addWidget(ComboB, 1);

    auto* filters = new QHBoxLayout;
    CheckOnlyDiff = new QCheckBox(this);
    CheckOnlyDiff->setChecked(true);
    EditFilter = new QLineEdit(this);
    EditFilter->setClearButtonEnabled(true);
    CheckGroup = new QCheckBox(this);
    filters->addWidget(CheckOnlyDiff);
    filters->addWidget(CheckGroup);
    filters->addWidget(EditFilter, 1);

    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    m_model = new CompareModel(this);
    m_model->onTick = [this](int row, bool on) {
        if (Entry* e = entryOf(row))
            e->ticked = on;
    };
    Grid->setModel(m_model);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    // Column widths from the rows in view and a few screens more, not every row's text.
    Grid->horizontalHeader()->setResizeContentsPrecision(100);
    Grid->installEventFilter(this);
    // The name column takes the room the table has, known only once its viewport is laid out.
    Grid->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    CmdWrite = new QPushButton(this);
    CmdTake = new QPushButton(this);
    CmdExport = new QPushButton(this);
    CmdPrint = new QPushButton(this);
    CmdClose = new QPushButton(this);
    buttons->addWidget(CmdWrite);
    buttons->addWidget(CmdTake);
    buttons->addWidget(CmdExport);
    buttons->addWidget(CmdPrint);
    buttons->addStretch(1);
    buttons->addWidget(CmdClose);

    PanelStatus = new QLabel(this);
    PanelStatus->setFrameShape(QFrame::StyledPanel);
    // Tests, the guide's pictures and accessibility tools find controls by name.
    const std::pair<QWidget*, const char*> names[] = {
        {ComboA, "ComboA"}, {ComboB, "ComboB"}, {CheckOnlyDiff, "CheckOnlyDiff"}, {EditFilter, "EditFilter"}, {CheckGroup, "CheckGroup"}, {CmdWrite, "CmdWrite"}, {CmdTake, "CmdTake"}, {CmdExport, "CmdExport"}, {CmdPrint, "CmdPrint"}, {CmdClose, "CmdClose"}, {PanelStatus, "PanelStatus"}};
    for (const auto& [w, name] : names) w->setObjectName(QLatin1String(name));

    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addLayout(filters);
    v->addWidget(Grid, 1);
    v->addLayout(buttons);
    v->addWidget(PanelStatus);

    // The runner goes before the component it drives.
    m_runner = new plans::AsyncRunner(this);
    m_component = makeControllerComponent(this, "PX400Compare", 1000);
    m_runner->portOpen = [] { return app().SXComm1 && app().SXComm1->Active(); };
    connect(m_runner, &plans::AsyncRunner::progressed, this, [this](int done, int total) {
        if (m_readPlan)
            setStatus(T("Reading").arg(done).arg(total));
        else if (m_rowPlan && m_rowPlan->phase() == plans::RowWritePlan::Phase::Write)
            setStatus(T("Writing").arg(done).arg(total));
    });
    connect(m_runner, &plans::AsyncRunner::finished, this, [this] {
        if (m_readPlan)
            readFinished();
        else
            writeFinished();
    });

    connect(ComboA, &QComboBox::activated, this, [this] { comboChanged(0); });
    connect(ComboB, &QComboBox::activated, this, [this] { comboChanged(1); });
    connect(CheckOnlyDiff, &QCheckBox::toggled, this, &TFormCompare::fillGrid);
    connect(EditFilter, &QLineEdit::textChanged, this, &TFormCompare::fillGrid);
    connect(CmdWrite, &QPushButton::clicked, this, &TFormCompare::CmdWriteClick);
    connect(CmdTake, &QPushButton::clicked, this, &TFormCompare::CmdTakeClick);
    connect(CmdExport, &QPushButton::clicked, this, &TFormCompare::CmdExportClick);
    connect(CmdPrint, &QPushButton::clicked, this, &TFormCompare::CmdPrintClick);
    connect(CheckGroup, &QCheckBox::toggled, this, [this] { fillGrid(); });
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::accept);

    // The editor's values against the defaults until the user chooses otherwise.
    m_side[0].source = Source::Editor;
    m_side[1].source = Source::Defaults;
    LezenTeksten();
    Refresh();
}

void TFormCompare::LezenTeksten()
{
    setWindowTitle(T("Caption"));
    const char* keys[] = {"SourceController", "SourceEditor", "SourceFile", "SourceDefaults"};
    for (QComboBox* c : {ComboA, ComboB})
        for (int i = 0; i < 4; ++i)
            c->setItemText(i, T(keys[i]));
    CheckOnlyDiff->setText(T("OnlyDiff"));
    EditFilter->setPlaceholderText(T("Filter"));
    CmdWrite->setText(T("CmdWrite"));
    CmdTake->setText(T("CmdTake"));
    CmdExport->setText(T("CmdExport"));
    CmdPrint->setText(texts::Verify("CmdPrint"));
    CheckGroup->setText(texts::Verify("GroupByMenu"));
    m_places = compare::menuPlaces(loadParTree());
    CmdClose->setText(T("CmdClose"));
    fillGrid();
    layout()->activate(); // new captions may be wider
}

QString TFormCompare::sourceName(const Side& s) const
{
    if (s.labelled)
        return s.name.split(u'\n').join(QStringLiteral(", ")) + QStringLiteral(", ") + QFileInfo(s.path).fileName();
    if (!s.name.isEmpty())
        return s.name;
    switch (s.source) {
    case Source::Controller: return T("SourceController").section(u'(', 0, 0).trimmed();
    case Source::Editor: return T("SourceEditor");
    case Source::File: return QFileInfo(s.path).fileName();
    case Source::Defaults: return T("SourceDefaults");
    }
    return QString();
}

void TFormCompare::comboChanged(int side)
{
    QComboBox* c = side == 0 ? ComboA : ComboB;
    if (c->currentIndex() > int(Source::Defaults))
        return; // the labelled side chosen again
    if (!setSide(side, Source(c->currentIndex())))
        showInCombo(side);
}

void TFormCompare::showInCombo(int side)
{
    QComboBox* c = side == 0 ? ComboA : ComboB;
    const Side& s = m_side[side];
    const int own = int(Source::Defaults) + 1;
    const QString tip = s.labelled ? QDir::toNativeSeparators(s.path) : QString();
    if (!s.labelled) {
        if (c->count() > own)
            c->removeItem(own);
        c->setCurrentIndex(int(s.source));
    } else {
        if (c->count() == own)
            c->addItem(QString());
        c->setItemText(own, sourceName(s));
        c->setItemData(own, tip, Qt::ToolTipRole);
        c->setCurrentIndex(own);
    }
    c->setToolTip(tip);
    // A label is read whole: the window widens for it.
    c->setSizeAdjustPolicy(s.labelled ? QComboBox::AdjustToContents : QComboBox::AdjustToContentsOnFirstShow);
    c->setMinimumWidth(s.labelled ? c->sizeHint().width() : 0);
}

QString TFormCompare::sideText(int side) const { return (side == 0 ? ComboA : ComboB)->currentText(); }

QString TFormCompare::headerText(int side) const
{
    return m_model->headerData(side == 0 ? ColA : ColB, Qt::Horizontal, Qt::DisplayRole).toString();
}

void TFormCompare::setSideLabel(int side, const QString& label, const QString& path)
{
    if (side < 0 || side > 1)
        return;
    m_side[side].name = label;
    m_side[side].path = path;
    m_side[side].labelled = true;
    showInCombo(side);
    fillGrid();
}

bool TFormCompare::setSide(int side, Source source, const QString& path)
{
    if (m_busy || side < 0 || side > 1)
        return false;
    Side s;
    s.source = source;
    switch (source) {
    case Source::Controller:
        readController(side);
        return true;
    case Source::Editor:
        s.values.hasParameters = m_sets.parameters;
        s.values.hasSetpoints = m_sets.setpoints;
        s.values.par = ParWaarden;
        s.values.soll = SollWaarden;
        break;
    case Source::File: {
        QString file = path;
        if (file.isEmpty()) {
            file = ui().openFileName(this, T("Caption"), app().OpenCloseDialoogPath,
                                     files::dialogFilter(T("OpenFilter")));
            if (file.isEmpty())
                return false;
        }
        if (!readFile(file, s.values))
            return false;
        s.path = file;
        break;
    }
    case Source::Defaults: s.values = compare::defaultsSet(); break;
    }
    applySide(side, s);
    return true;
}

void TFormCompare::applySide(int side, Side s)
{
    s.values.hasParameters = s.values.hasParameters && m_sets.parameters;
    s.values.hasSetpoints = s.values.hasSetpoints && m_sets.setpoints;
    s.loaded = true;
    m_side[side] = s;
    showInCombo(side);
    rebuild();
}

void TFormCompare::showSets(const QString& nameA, const compare::ValueSet& a, const QString& nameB,
                            const compare::ValueSet& b)
{
    const std::pair<QString, compare::ValueSet> given[2] = {{nameA, a}, {nameB, b}};
    for (int i = 0; i < 2; ++i) {
        Side& s = m_side[i];
        s = Side{};
        s.source = Source::File;
        s.name = given[i].first;
        s.values = given[i].second;
        s.values.hasParameters = s.values.hasParameters && m_sets.parameters;
        s.values.hasSetpoints = s.values.hasSetpoints && m_sets.setpoints;
        s.loaded = true;
        showInCombo(i);
    }
    rebuild();
}

void TFormCompare::Refresh()
{
    for (int i = 0; i < 2; ++i)
        if (m_side[i].source == Source::Editor || m_side[i].source == Source::Defaults)
            setSide(i, m_side[i].source);
}

bool TFormCompare::readFile(const QString& path, compare::ValueSet& out)
{
    const files::ValueFile f = files::readValueFile(path);
    if (!f.ok()) {
        setStatus(T("FileFailed").arg(QFileInfo(path).fileName()), true);
        return false;
    }
    out = f.values;
    return true;
}

void TFormCompare::readController(int side)
{
    app().StopPolling();
    m_busy = true;
    m_readSide = side;
    m_reading = Side{};
    m_reading.source = Source::Controller;
    m_reading.values.hasParameters = m_sets.parameters;
    m_reading.values.hasSetpoints = m_sets.setpoints;
    // The old comparison greys out: it no longer holds once this side is read.
    Grid->setEnabled(false);
    m_readPlan = std::make_unique<plans::SetReadPlan>(m_sets, m_reading.values.par, m_reading.values.soll);
    m_runner->setChannel(0, m_component);
    m_runner->run(m_readPlan.get());
}

void TFormCompare::readFinished()
{
    const std::unique_ptr<plans::SetReadPlan> plan = std::move(m_readPlan);
    m_busy = false;
    Grid->setEnabled(true);
    const transfer::Result r = plan->result();
    if (!r.ok()) {
        const QString why = r.error.isZero() ? r.detail : commErrorText(r.error);
        setStatus(T("ReadFailed").arg(why), true);
        showInCombo(m_readSide);
        return;
    }
    applySide(m_readSide, m_reading);
}

void TFormCompare::rebuild()
{
    m_entries.clear();
    if (m_side[0].loaded && m_side[1].loaded)
        for (const compare::Row& r : compare::allRows(m_side[0].values, m_side[1].values))
            m_entries.append(Entry{r, false, RowState::None, QString()});
    fillGrid();
    int diffs = 0;
    for (const Entry& e : m_entries)
        diffs += e.row.differs() ? 1 : 0;
    setStatus(T("Summary").arg(m_entries.size()).arg(diffs));
}

void TFormCompare::fillGrid()
{
    // A labelled side's header is its label, with the rest in the tip.
    auto head = [this](const Side& s) { return s.labelled ? s.name : sourceName(s); };
    auto tip = [this](const Side& s) {
        return s.labelled ? sourceName(s) + u'\n' + QDir::toNativeSeparators(s.path) : QString();
    };
    m_model->setHeaders({QString(), T("ColNumber"), T("ColName"), head(m_side[0]), head(m_side[1]), T("ColLimits"),
                         T("ColResult"), texts::Verify("ColMenu")},
                        {QString(), QString(), QString(), tip(m_side[0]), tip(m_side[1])});
    const QString filter = EditFilter->text().trimmed();
    m_visible.clear();
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const compare::Row& r = m_entries[i].row;
        // Rows with a result stay, so the outcome of a write can be read.
        if (CheckOnlyDiff->isChecked() && !r.differs() && m_entries[i].state == RowState::None)
            continue;
        if (!filter.isEmpty()) {
            const QString number = QString::number(r.number);
            if (!(r.setpoint ? QString() : parNaam(r.number)).contains(filter, Qt::CaseInsensitive) && number != filter
                && !numberText(r).contains(filter, Qt::CaseInsensitive))
                continue;
        }
        m_visible.append(int(i));
    }
    const bool grouped = CheckGroup->isChecked();
    if (grouped) {
        // Menu by menu in tree order; parameters in no menu, then setpoints, last.
        const auto key = [this](int i) {
            const compare::Row& r = m_entries[i].row;
            const auto place = m_places.constFind(r.number);
            const int rank = r.setpoint ? 2 : place == m_places.cend() ? 1
                                                                       : 0;
            return std::tuple(rank, rank == 0 ? place->order : 0, r.number);
        };
        std::stable_sort(m_visible.begin(), m_visible.end(), [&](int x, int y) { return key(x) < key(y); });
    }
    Grid->setColumnHidden(ColMenu, !grouped);
    // Every row's texts once, here; the view asks for those it shows.
    const qint32 p203 = (m_side[0].values.hasParameters ? m_side[0].values : m_side[1].values).par.value(ParDecimalsParameter);
    const QString setpointName = T("SetpointName"), unknown = T("Unknown");
    QList<CompareModel::Line> lines;
    lines.reserve(m_visible.size());
    for (const int i : std::as_const(m_visible)) {
        const Entry& e = m_entries[i];
        const compare::Row& r = e.row;
        CompareModel::Line l;
        l.text = {QString(),
                  numberText(r),
                  r.setpoint ? setpointName.arg(r.number) : parNaam(r.number), // the current language
                  r.unknownA ? unknown.arg(r.textA) : r.textA,
                  r.unknownB ? unknown.arg(r.textB) : r.textB,
                  r.setpoint ? QString() : partext::limitsText(r.number, p203),
                  resultText(e, p203),
                  menuText(r)};
        if (e.state == RowState::Refused || e.state == RowState::NoReply || e.state == RowState::Mismatch)
            l.back = RefusedColour;
        else if (e.state == RowState::Written || e.state == RowState::Taken || e.state == RowState::Verified)
            l.back = WrittenColour;
        else if (r.differs())
            l.back = DiffColour;
        l.ticked = e.ticked;
        lines.append(std::move(l));
    }
    const int current = Grid->currentIndex().row();
    m_model->setLines(std::move(lines));
    fitColumns();
    if (m_model->rowCount() > 0)
        Grid->setCurrentIndex(m_model->index(std::clamp(current, 0, m_model->rowCount() - 1), ColNumber));
}

void TFormCompare::fitColumns(bool measure)
{
    if (!measure) {
        fitNameColumn();
        return;
    }
    Grid->resizeColumnsToContents();
    // A long source name in a value column's header is elided, not the table widened.
    const QFontMetrics fm = Grid->fontMetrics();
    for (int c : {ColA, ColB}) {
        // A label is short lines meant to be read whole: its column keeps the header's width.
        if (m_side[c == ColA ? 0 : 1].labelled)
            continue;
        int w = 80;
        for (int r = 0; r < std::min(m_model->rowCount(), 200); ++r)
            w = std::max(w, fm.horizontalAdvance(m_model->text(r, c)) + 16);
        Grid->setColumnWidth(c, std::min(w, Grid->columnWidth(c)));
    }
    fitNameColumn();
}

void TFormCompare::fitNameColumn()
{
    int others = 0;
    for (int c = 0; c < ColumnCount; ++c)
        if (c != ColName && !Grid->isColumnHidden(c))
            others += Grid->columnWidth(c);
    Grid->setColumnWidth(ColName, std::max(120, Grid->viewport()->width() - others));
}

void TFormCompare::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitColumns(false);
}

QString TFormCompare::resultText(const Entry& e, qint32 p203) const
{
    switch (e.state) {
    case RowState::None: return QString();
    case RowState::Written: return T("Written");
    case RowState::Taken: return T("Taken");
    case RowState::Refused:
        return T("Refused").arg(e.row.setpoint ? QString() : partext::limitsText(e.row.number, p203));
    case RowState::NoReply: return e.result.isEmpty() ? T("NoReply") : T("NoReply") + QStringLiteral(": ") + e.result;
    case RowState::Verified: return texts::Verify("RowVerified");
    case RowState::Mismatch: return texts::Verify("RowMismatch").arg(e.result);
    }
    return QString();
}

int TFormCompare::visibleRows() const
{
    return int(m_visible.size());
}

TFormCompare::Entry* TFormCompare::entryOf(int tableRow)
{
    if (tableRow < 0 || tableRow >= m_visible.size())
        return nullptr;
    return &m_entries[m_visible[tableRow]];
}

const TFormCompare::Entry* TFormCompare::entryOf(int tableRow) const
{
    if (tableRow < 0 || tableRow >= m_visible.size())
        return nullptr;
    return &m_entries[m_visible[tableRow]];
}

const compare::Row& TFormCompare::rowAt(int tableRow) const
{
    static const compare::Row none;
    const Entry* e = entryOf(tableRow);
    return e ? e->row : none;
}

TFormCompare::RowState TFormCompare::stateAt(int tableRow) const
{
    const Entry* e = entryOf(tableRow);
    return e ? e->state : RowState::None;
}

bool TFormCompare::isTicked(int tableRow) const
{
    const Entry* e = entryOf(tableRow);
    return e && e->ticked;
}

void TFormCompare::setTicked(int tableRow, bool on)
{
    if (tableRow >= 0 && tableRow < m_model->rowCount())
        m_model->setData(m_model->index(tableRow, ColTick), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

QString TFormCompare::cellText(int tableRow, int column) const
{
    return m_model->text(tableRow, column);
}

bool TFormCompare::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const int row = Grid->currentIndex().row();
        setTicked(row, !isTicked(row));
        return true;
    }
    if (watched == Grid->viewport() && event->type() == QEvent::Resize)
        fitNameColumn();
    return QDialog::eventFilter(watched, event);
}

int TFormCompare::sourceSideFor(Source target) const
{
    return m_side[0].source == target ? 1 : 0;
}

void TFormCompare::setStatus(const QString& text, bool red)
{
    PanelStatus->setText(text);
    PanelStatus->setStyleSheet(red ? QStringLiteral("color: #b00000;") : QString());
}

TFormCompare::~TFormCompare()
{
    m_runner->cancel();
}

void TFormCompare::CmdWriteClick()
{
    if (m_busy)
        return;
    const int from = sourceSideFor(Source::Controller);
    const compare::ValueSet& src = m_side[from].values;
    QList<int> ticked;
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].ticked)
            ticked.append(i);
    if (ticked.isEmpty()) {
        setStatus(T("NothingTicked"), true);
        return;
    }
    if (!confirmWrite(this, int(ticked.size())))
        return;
    app().StopPolling();
    m_busy = true;
    QList<plans::RowWritePlan::Row> rows;
    for (int i : ticked) {
        const compare::Row& r = m_entries[i].row;
        rows.append({r.setpoint, r.number, r.setpoint ? src.soll.value(r.number) : src.par.value(r.number)});
    }
    m_writeRows = ticked;
    // Reading a side takes the component's handlers for its time; the write's are the runner's.
    m_runner->setChannel(0, m_component);
    m_rowPlan = std::make_unique<plans::RowWritePlan>(rows, safety::verifyOn());
    m_runner->run(m_rowPlan.get());
}

void TFormCompare::writeFinished()
{
    if (!m_rowPlan || !m_busy)
        return;
    const plans::RowWritePlan& plan = *m_rowPlan;
    const QList<int> ticked = m_writeRows;
    const int from = sourceSideFor(Source::Controller);
    const int to = 1 - from;
    const compare::ValueSet& src = m_side[from].values;
    int written = 0, refused = 0, lost = 0;
    for (qsizetype k = 0; k < ticked.size() && k < plan.written().size(); ++k) {
        Entry& e = m_entries[ticked[k]];
        const compare::Row& r = e.row;
        const transfer::Result& res = plan.written()[k];
        const qint32 value = r.setpoint ? src.soll.value(r.number) : src.par.value(r.number);
        if (res.ok()) {
            e.state = RowState::Written;
            m_confirmed.append({r.setpoint, r.number, value});
            ++written;
            // What the controller confirmed is what the editor and its side now hold.
            if (r.setpoint)
                SollWaarden[r.number] = value;
            else
                ParWaarden[r.number] = value;
            if (m_side[to].source == Source::Controller || m_side[to].source == Source::Editor) {
                compare::ValueSet& dst = m_side[to].values;
                (r.setpoint ? dst.soll[r.number] : dst.par[r.number]) = value;
            }
            e.ticked = false;
        } else if (res.outcome == transfer::Outcome::Refused) {
            e.state = RowState::Refused;
            ++refused;
        } else {
            e.state = RowState::NoReply;
            e.result = res.error.isZero() ? res.detail : commErrorText(res.error);
            ++lost;
        }
    }
    QString summary = T("WriteDone").arg(written).arg(refused).arg(lost);
    bool red = refused + lost > 0;
    if (plan.computed()) {
        const transfer::Result& bp = plan.compute();
        if (bp.ok()) {
            summary += QStringLiteral("; ") + T("BpDone");
            ParGezondenEnNietGeladen = false;
        } else {
            summary += QStringLiteral("; ") + T("BpFailed").arg(bp.error.isZero() ? bp.detail : commErrorText(bp.error));
            red = true;
        }
    } else if (plan.anyParameter()) {
        ParGezondenEnNietGeladen = true;
    }
    if (plan.readBackRan()) {
        const QString verified = verifyWritten(ticked);
        if (!verified.isEmpty()) {
            summary += QStringLiteral("; ") + verified;
            red = red || std::any_of(ticked.begin(), ticked.end(), [this](int i) {
                      return m_entries[i].state != RowState::Verified;
                  });
        }
    }
    m_busy = false;
    // Keep every row with a result in place: recompute the differences, keep the states.
    const QList<Entry> old = m_entries;
    rebuild();
    for (qsizetype i = 0; i < m_entries.size() && i < old.size(); ++i) {
        m_entries[i].state = old[i].state;
        m_entries[i].result = old[i].result;
        m_entries[i].ticked = old[i].ticked;
    }
    fillGrid();
    setStatus(summary, red);
}

QString TFormCompare::verifyWritten(const QList<int>& rows)
{
    const plans::RowWritePlan& plan = *m_rowPlan;
    if (!plan.readBack().ok()) {
        const transfer::Result& res = plan.readBack();
        return texts::Verify("VerifyFailed").arg(res.error.isZero() ? res.detail : commErrorText(res.error));
    }
    const int from = sourceSideFor(Source::Controller);
    const compare::ValueSet& src = m_side[from].values;
    QList<verify::Written> written;
    compare::ValueSet back;
    back.hasParameters = back.hasSetpoints = true;
    back.par = m_side[0].values.par; // parameter 203 for the texts, until read
    for (qsizetype k = 0; k < rows.size(); ++k) {
        Entry& e = m_entries[rows[k]];
        if (e.state != RowState::Written && e.state != RowState::NoReply)
            continue;
        const compare::Row& r = e.row;
        const qint32 now = plan.readValues().value(k).value_or(0);
        (r.setpoint ? back.soll[r.number] : back.par[r.number]) = now;
        written.append({r.setpoint, r.number, r.setpoint ? src.soll.value(r.number) : src.par.value(r.number),
                        e.state == RowState::Written});
    }
    if (written.isEmpty())
        return QString();
    const verify::Result v = verify::check(written, back);
    const int to = 1 - from;
    for (int i : rows) {
        Entry& e = m_entries[i];
        if (e.state != RowState::Written)
            continue;
        const compare::Row& r = e.row;
        const qint32 now = r.setpoint ? back.soll.value(r.number) : back.par.value(r.number);
        const qint32 want = r.setpoint ? src.soll.value(r.number) : src.par.value(r.number);
        if (now == want) {
            e.state = RowState::Verified;
            continue;
        }
        // The echo said done, the controller says otherwise: its value counts.
        e.state = RowState::Mismatch;
        m_confirmed.removeIf([&r](const Confirmed& c) { return c.setpoint == r.setpoint && c.number == r.number; });
        for (const compare::Row& m : v.mismatches)
            if (m.setpoint == r.setpoint && m.number == r.number)
                e.result = m.textB;
        if (m_side[to].source == Source::Controller)
            (r.setpoint ? m_side[to].values.soll[r.number] : m_side[to].values.par[r.number]) = now;
    }
    return v.text();
}

void TFormCompare::CmdTakeClick()
{
    const int from = sourceSideFor(Source::Editor);
    const compare::ValueSet& src = m_side[from].values;
    int taken = 0;
    for (Entry& e : m_entries) {
        if (!e.ticked)
            continue;
        const compare::Row& r = e.row;
        if (r.setpoint)
            SollWaarden[r.number] = src.soll.value(r.number);
        else
            ParWaarden[r.number] = src.par.value(r.number);
        e.ticked = false;
        e.state = RowState::Taken;
        ++taken;
    }
    if (taken == 0) {
        setStatus(T("NothingTicked"), true);
        return;
    }
    const QList<Entry> old = m_entries;
    for (int i = 0; i < 2; ++i)
        if (m_side[i].source == Source::Editor) {
            m_side[i].values.par = ParWaarden;
            m_side[i].values.soll = SollWaarden;
        }
    rebuild();
    for (qsizetype i = 0; i < m_entries.size() && i < old.size(); ++i) {
        m_entries[i].state = old[i].state;
        m_entries[i].result = old[i].result;
    }
    fillGrid();
    setStatus(T("TakeDone").arg(taken));
}

bool TFormCompare::exportCsv(const QString& path, QString* error) const
{
    QStringList lines;
    lines << csv::row({T("ColNumber"), T("ColName"), sourceName(m_side[0]), sourceName(m_side[1]), T("ColLimits"),
                       T("ColResult")});
    for (int row = 0; row < visibleRows(); ++row) {
        QStringList f;
        for (int c = ColNumber; c <= ColResult; ++c)
            f << cellText(row, c);
        lines << csv::row(f);
    }
    return files::saveAtomically(path, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8(), error);
}

QString TFormCompare::menuText(const compare::Row& r) const
{
    if (r.setpoint)
        return texts::Verify("SetpointsMenu");
    const auto place = m_places.constFind(r.number);
    return place == m_places.cend() ? texts::Verify("NoMenu") : place->heading;
}

} // namespace vx
