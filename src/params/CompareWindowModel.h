#pragma once
// The compare window's table as a model: every row's texts and colour are worked out
// once when the table is filled, and the view asks only for the rows it shows.
#include "params/CompareWindow.h"

#include <QAbstractTableModel>
#include <QColor>
#include <array>
#include <functional>

namespace vx {

class CompareModel : public QAbstractTableModel {
public:
    struct Line {
        std::array<QString, TFormCompare::ColumnCount> text;
        QColor back; // invalid: the view's own
        bool ticked = false;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Told when the user ticks or unticks a row.
    std::function<void(int row, bool on)> onTick;

    void setLines(QList<Line> lines);
    // Tips: the header's whole text where it differs from what the header shows.
    void setHeaders(const QStringList& headers, const QStringList& tips = {});
    const QString& text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    QList<Line> m_lines;
    QStringList m_headers;
    QStringList m_tips;
};

} // namespace vx
