#include "fleet/BackupHistory.h"

#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "core/UiSeams.h"
#include "params/CompareWindow.h"
#include "params/SafetyBackup.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vx {

TFormBackupHistory::TFormBackupHistory(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormBackupHistory"));
    auto* top = new QVBoxLayout(this);
    GridHistory = new QTableWidget(0, ColumnCount, this);
    GridHistory->setObjectName(QStringLiteral("GridHistory"));
    GridHistory->verticalHeader()->hide();
    GridHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridHistory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    GridHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridHistory->horizontalHeader()->setStretchLastSection(true);
    GridHistory->setMinimumSize(760, 240);
    top->addWidget(GridHistory);
    auto* buttons = new QHBoxLayout;
    auto make = [&](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    CmdCompare = make("CmdCompare");
    CmdRestore = make("CmdRestore");
    buttons->addStretch();
    CmdClose = make("CmdClose");
    top->addLayout(buttons);
    connect(CmdCompare, &QPushButton::clicked, this, &TFormBackupHistory::CmdCompareClick);
    connect(CmdRestore, &QPushButton::clicked, this, &TFormBackupHistory::CmdRestoreClick);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

QStringList TFormBackupHistory::folders()
{
    return QStringList{safety::folder(), paths::userDataDir() + QStringLiteral("/Backups/Units")}
           + manifest::folders(paths::userDataDir());
}

void TFormBackupHistory::showController(const QString& rx)
{
    m_rx = rx;
    setWindowTitle(texts::Fleet("HistoryCaption").arg(rx));
    GridHistory->setHorizontalHeaderLabels(
        {texts::Fleet("ColDate"), texts::Fleet("ColKind"), texts::Fleet("ColDiffers"), texts::Fleet("ColFile")});
    CmdCompare->setText(texts::Fleet("CmdCompare"));
    CmdRestore->setText(texts::Fleet("CmdRestore"));
    CmdClose->setText(QStringLiteral("OK"));
    m_entries = fleet::history(folders(), rx);
    GridHistory->setRowCount(int(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        const fleet::HistoryEntry& e = m_entries[row];
        const QString kind = e.kind == QLatin1String(manifest::KindManual)     ? texts::Fleet("KindManual")
                             : e.kind == QLatin1String(manifest::KindSafety)   ? texts::Fleet("KindSafety")
                             : e.kind == QLatin1String(manifest::KindAllUnits) ? texts::Fleet("KindAllUnits")
                                                                               : texts::Fleet("KindUnknown");
        const QString texts[] = {e.date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), kind,
                                 e.differs < 0 ? QStringLiteral("-") : QString::number(e.differs),
                                 QFileInfo(e.path).fileName()};
        for (int col = 0; col < ColumnCount; ++col) {
            auto* item = new QTableWidgetItem(texts[col]);
            item->setToolTip(QDir::toNativeSeparators(e.path));
            GridHistory->setItem(row, col, item);
        }
    }
    GridHistory->resizeColumnsToContents();
}

QString TFormBackupHistory::cell(int row, int col) const
{
    const QTableWidgetItem* item = GridHistory->item(row, col);
    return item ? item->text() : QString();
}

void TFormBackupHistory::select(const QList<int>& rows)
{
    GridHistory->clearSelection();
    for (int row : rows)
        GridHistory->selectionModel()->select(GridHistory->model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QList<int> TFormBackupHistory::chosen() const
{
    QList<int> rows;
    for (const QModelIndex& i : GridHistory->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFormBackupHistory::CmdCompareClick()
{
    const QList<int> rows = chosen();
    if (rows.size() != 2) {
        showInfo(this, windowTitle(), texts::Fleet("PickTwo"));
        return;
    }
    // The older on the left, as time reads.
    const fleet::HistoryEntry& older = m_entries[rows[1]];
    const fleet::HistoryEntry& newer = m_entries[rows[0]];
    auto* compare = new TFormCompare(transfer::Sets{}, this);
    compare->setAttribute(Qt::WA_DeleteOnClose);
    compare->showSets(QFileInfo(older.path).fileName(), older.values, QFileInfo(newer.path).fileName(), newer.values);
    // Two backups of one controller differ in kind and time: each side says both.
    const fleet::HistoryEntry* sides[] = {&older, &newer};
    for (int side = 0; side < 2; ++side) {
        const fleet::HistoryEntry& e = *sides[side];
        const char* kind = e.kind == QLatin1String(manifest::KindManual)     ? "SideManual"
                           : e.kind == QLatin1String(manifest::KindSafety)   ? "SideSafety"
                           : e.kind == QLatin1String(manifest::KindAllUnits) ? "SideAllUnits"
                                                                             : "SideFile";
        compare->setSideLabel(side, texts::Fleet(kind) + u'\n' + e.date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                              e.path);
    }
    compare->show();
}

void TFormBackupHistory::CmdRestoreClick()
{
    const QList<int> rows = chosen();
    if (rows.size() != 1 || !restore)
        return;
    restore(m_entries[rows[0]].path);
    showController(m_rx);
}

} // namespace vx
