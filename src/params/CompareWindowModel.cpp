#include "params/CompareWindowModel.h"

namespace vx {

void CompareModel::setLines(QList<Line> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void CompareModel::setHeaders(const QStringList& headers, const QStringList& tips)
{
    m_headers = headers;
    m_tips = tips;
    emit headerDataChanged(Qt::Horizontal, 0, TFormCompare::ColumnCount - 1);
}

const QString& CompareModel::text(int row, int column) const
{
    static const QString none;
    if (row < 0 || row >= m_lines.size() || column < 0 || column >= TFormCompare::ColumnCount)
        return none;
    return m_lines[row].text[size_t(column)];
}

int CompareModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int CompareModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : TFormCompare::ColumnCount;
}

QVariant CompareModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const Line& l = m_lines[index.row()];
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole: return l.text[size_t(c)];
    case Qt::CheckStateRole:
        if (c == TFormCompare::ColTick)
            return l.ticked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole: return l.back.isValid() ? QVariant(l.back) : QVariant();
    case Qt::TextAlignmentRole:
        if (c == TFormCompare::ColA || c == TFormCompare::ColB)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default: return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return {};
    // A long source name is elided in its column; the tip gives it whole.
    if (role == Qt::ToolTipRole && !m_tips.value(section).isEmpty())
        return m_tips[section];
    if (role == Qt::DisplayRole
        || (role == Qt::ToolTipRole && (section == TFormCompare::ColA || section == TFormCompare::ColB)))
        return m_headers[section];
    return {};
}

Qt::ItemFlags CompareModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == TFormCompare::ColTick)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool CompareModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != TFormCompare::ColTick || index.row() >= m_lines.size())
        return false;
    const bool on = value.toInt() == Qt::Checked;
    m_lines[index.row()].ticked = on;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    if (onTick)
        onTick(index.row(), on);
    return true;
}

} // namespace vx
