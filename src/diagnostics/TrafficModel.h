#pragma once
// The traffic window's table: a copy of the port's captured exchanges, pulled in
// batches, with the rows the filter lets through.
#include "comm/TrafficBuffer.h"

#include <QAbstractTableModel>
#include <deque>
#include <memory>

namespace vx {

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColTime,
                  ColWall,
                  ColSource,
                  ColRequest,
                  ColReply,
                  ColHex,
                  ColDuration,
                  ColOutcome,
                  ColumnCount };

    struct Filter {
        bool hideCyclic = false;
        QString source; // empty: every component
        bool errorsOnly = false;
        QString text; // in component, request or reply, any case
        bool operator==(const Filter&) const = default;
    };

    explicit TrafficModel(QObject* parent = nullptr);

    void setBuffer(std::shared_ptr<TrafficBuffer> buffer);
    // Takes up to max records captured since the last pull; returns how many.
    size_t pull(size_t max = SIZE_MAX);
    // Forgets what was pulled; later pulls start at what comes next.
    void clear();
    void setFilter(const Filter& filter);
    const Filter& filter() const { return m_filter; }
    // Names of the components seen so far, in order of first appearance.
    const QStringList& sources() const { return m_sourcesSeen; }
    size_t pulled() const { return m_all.size(); }

    void setHeaders(const QStringList& headers);
    void setOutcomeTexts(const QStringList& texts); // ok, time-out, line error, lost, reconnected

    // One shown row as text, the given columns joined by sep (for saving).
    QStringList rowTexts(int row, const QList<int>& columns) const;
    const TrafficRecord& record(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool accepts(const TrafficRecord& r) const;
    QString cellText(const TrafficRecord& r, int column) const;
    const QString& sourceOf(const TrafficRecord& r) const;

    std::shared_ptr<TrafficBuffer> m_buffer;
    std::deque<TrafficRecord> m_all;
    std::vector<uint64_t> m_rows; // seq of the shown records
    uint64_t m_next = 0;
    int64_t m_originUs = -1;
    Filter m_filter;
    std::vector<QString> m_sourceNames; // by source id
    QStringList m_sourcesSeen;
    QStringList m_headers;
    QStringList m_outcomes;
};

} // namespace vx
