#include "diagnostics/FormVerkeer.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "core/Csv.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "diagnostics/TrafficModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

namespace {

// The view takes in new rows this often, in one batch each.
constexpr int kTickMs = 200;

} // namespace

TFormVerkeer::TFormVerkeer(TSXComm* port, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormVerkeer"));
    setModal(false);
    setWindowTitle(QStringLiteral("Verkeer"));
    resize(1000, 540);

    m_model = new TrafficModel(this);
    if (port)
        m_model->setBuffer(port->trafficBuffer());

    auto* filters = new QHBoxLayout;
    CheckVerbergCyclisch = new QCheckBox(this);
    CheckVerbergCyclisch->setObjectName(QStringLiteral("CheckVerbergCyclisch"));
    ComboComponent = new QComboBox(this);
    ComboComponent->setObjectName(QStringLiteral("ComboComponent"));
    ComboComponent->setMinimumWidth(180);
    ComboComponent->addItem(QString());
    CheckAlleenFouten = new QCheckBox(this);
    CheckAlleenFouten->setObjectName(QStringLiteral("CheckAlleenFouten"));
    EditZoeken = new QLineEdit(this);
    EditZoeken->setObjectName(QStringLiteral("EditZoeken"));
    EditZoeken->setClearButtonEnabled(true);
    CheckHex = new QCheckBox(this);
    CheckHex->setObjectName(QStringLiteral("CheckHex"));
    filters->addWidget(CheckVerbergCyclisch);
    filters->addWidget(ComboComponent);
    filters->addWidget(CheckAlleenFouten);
    filters->addWidget(EditZoeken, 1);
    filters->addWidget(CheckHex);

    TableVerkeer = new QTableView(this);
    TableVerkeer->setObjectName(QStringLiteral("TableVerkeer"));
    TableVerkeer->setModel(m_model);
    TableVerkeer->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableVerkeer->setWordWrap(false);
    TableVerkeer->verticalHeader()->setVisible(false);
    // Fixed row heights keep 100 000 rows cheap: nothing is measured per row.
    TableVerkeer->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TableVerkeer->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    TableVerkeer->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 90, 150, 150, 190, 190, 70, 80};
    for (int c = 0; c < TrafficModel::ColumnCount; ++c)
        TableVerkeer->setColumnWidth(c, widths[c]);
    TableVerkeer->setColumnHidden(TrafficModel::ColHex, true);

    auto* buttons = new QHBoxLayout;
    CmdPauze = new QPushButton(this);
    CmdPauze->setObjectName(QStringLiteral("CmdPauze"));
    CmdWissen = new QPushButton(this);
    CmdWissen->setObjectName(QStringLiteral("CmdWissen"));
    CmdOpslaan = new QPushButton(this);
    CmdOpslaan->setObjectName(QStringLiteral("CmdOpslaan"));
    LabelAantal = new QLabel(this);
    LabelAantal->setObjectName(QStringLiteral("LabelAantal"));
    buttons->addWidget(CmdPauze);
    buttons->addWidget(CmdWissen);
    buttons->addWidget(CmdOpslaan);
    buttons->addStretch(1);
    buttons->addWidget(LabelAantal);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(TableVerkeer, 1);
    layout->addLayout(buttons);

    TimerVerkeer = new QTimer(this);
    TimerVerkeer->setObjectName(QStringLiteral("TimerVerkeer"));
    TimerVerkeer->setInterval(kTickMs);
    connect(TimerVerkeer, &QTimer::timeout, this, &TFormVerkeer::TimerVerkeerTimer);
    connect(CmdPauze, &QPushButton::clicked, this, &TFormVerkeer::CmdPauzeClick);
    connect(CmdWissen, &QPushButton::clicked, this, &TFormVerkeer::CmdWissenClick);
    connect(CmdOpslaan, &QPushButton::clicked, this, &TFormVerkeer::CmdOpslaanClick);
    connect(CheckVerbergCyclisch, &QCheckBox::clicked, this, [this] { m_cyclicTouched = true; });
    for (QCheckBox* c : {CheckVerbergCyclisch, CheckAlleenFouten})
        connect(c, &QCheckBox::toggled, this, &TFormVerkeer::applyFilter);
    connect(ComboComponent, &QComboBox::currentIndexChanged, this, &TFormVerkeer::applyFilter);
    connect(EditZoeken, &QLineEdit::textChanged, this, &TFormVerkeer::applyFilter);
    connect(CheckHex, &QCheckBox::toggled, this,
            [this](bool on) { TableVerkeer->setColumnHidden(TrafficModel::ColHex, !on); });

    LezenTeksten();
}

void TFormVerkeer::LezenTeksten()
{
    setWindowTitle(texts::Verkeer("Caption"));
    CheckVerbergCyclisch->setText(texts::Verkeer("VerbergCyclisch"));
    CheckAlleenFouten->setText(texts::Verkeer("AlleenFouten"));
    EditZoeken->setPlaceholderText(texts::Verkeer("Zoeken"));
    CheckHex->setText(texts::Verkeer("Hex"));
    CmdPauze->setText(m_paused ? texts::Verkeer("Verder") : texts::Verkeer("Pauze"));
    CmdWissen->setText(texts::Verkeer("Wissen"));
    CmdOpslaan->setText(texts::Verkeer("Opslaan"));
    ComboComponent->setItemText(0, texts::Verkeer("AlleComponenten"));
    QStringList headers, outcomes;
    for (int c = 0; c < TrafficModel::ColumnCount; ++c)
        headers << texts::Verkeer("Kolom", c);
    for (int o = 0; o < 5; ++o)
        outcomes << texts::Verkeer("Resultaat", o);
    m_model->setHeaders(headers);
    m_model->setOutcomeTexts(outcomes);
    updateCount();
}

void TFormVerkeer::showEvent(QShowEvent* event)
{
    // The live monitor's cyclic polling would bury everything else.
    if (!m_cyclicTouched)
        CheckVerbergCyclisch->setChecked(app().ActualAan || app().InUitAan);
    LezenTeksten();
    TimerVerkeerTimer();
    TimerVerkeer->start();
    QDialog::showEvent(event);
}

void TFormVerkeer::hideEvent(QHideEvent* event)
{
    TimerVerkeer->stop();
    QDialog::hideEvent(event);
}

void TFormVerkeer::TimerVerkeerTimer()
{
    if (m_paused)
        return;
    QScrollBar* bar = TableVerkeer->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (m_model->pull() == 0)
        return;
    updateSources();
    updateCount();
    if (atEnd)
        TableVerkeer->scrollToBottom();
}

void TFormVerkeer::updateSources()
{
    const QStringList& seen = m_model->sources();
    for (int i = m_sourcesKnown; i < seen.size(); ++i)
        ComboComponent->addItem(seen[i], seen[i]);
    m_sourcesKnown = int(seen.size());
}

void TFormVerkeer::updateCount()
{
    LabelAantal->setText(texts::Verkeer("Aantal").arg(m_model->rowCount()).arg(m_model->pulled()));
}

void TFormVerkeer::applyFilter()
{
    TrafficModel::Filter f;
    f.hideCyclic = CheckVerbergCyclisch->isChecked();
    f.source = ComboComponent->currentData().toString();
    f.errorsOnly = CheckAlleenFouten->isChecked();
    f.text = EditZoeken->text().trimmed();
    m_model->setFilter(f);
    updateCount();
}

void TFormVerkeer::CmdPauzeClick()
{
    // The port goes on capturing; the view catches up on continue.
    m_paused = !m_paused;
    CmdPauze->setText(m_paused ? texts::Verkeer("Verder") : texts::Verkeer("Pauze"));
    if (!m_paused)
        TimerVerkeerTimer();
}

void TFormVerkeer::CmdWissenClick()
{
    m_model->clear();
    updateCount();
}

bool TFormVerkeer::CmdOpslaanClick()
{
    const QString name = ui().saveFileName(this, texts::Verkeer("Caption"), app().OpenCloseDialoogPath,
                                           texts::Verkeer("Filter"), QStringLiteral("txt"));
    if (name.isEmpty())
        return false;
    return saveTo(name);
}

bool TFormVerkeer::saveTo(const QString& fileName)
{
    const bool asCsv = fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QList<int> columns;
    for (int c = 0; c < TrafficModel::ColumnCount; ++c)
        if (!TableVerkeer->isColumnHidden(c))
            columns << c;
    auto join = [&](const QStringList& fields) { return asCsv ? csv::row(fields) : fields.join(u'\t'); };
    QStringList header;
    for (int c : columns)
        header << m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    QByteArray out = join(header).toUtf8() + '\n';
    for (int row = 0; row < m_model->rowCount(); ++row)
        out += join(m_model->rowTexts(row, columns)).toUtf8() + '\n';
    // Written whole or not at all.
    QString why;
    if (saveAtomically(fileName, out, &why))
        return true;
    showError(this, windowTitle(), QDir::toNativeSeparators(fileName) + u'\n' + why);
    return false;
}

} // namespace vx
