#include "diagnostics/TrafficModel.h"
#include "comm/TrafficLogFile.h"

#include <QColor>
#include <algorithm>

namespace vx {

TrafficModel::TrafficModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_headers = {QStringLiteral("Tijd"), QStringLiteral("Klok"), QStringLiteral("Component"),
                 QStringLiteral("Verzoek"), QStringLiteral("Antwoord"), QStringLiteral("Hex"),
                 QStringLiteral("Duur"), QStringLiteral("Resultaat")};
    m_outcomes = {QStringLiteral("ok"), QStringLiteral("time-out"), QStringLiteral("lijnfout"),
                  QStringLiteral("verloren"), QStringLiteral("weer verbonden")};
}

void TrafficModel::setBuffer(std::shared_ptr<TrafficBuffer> buffer)
{
    beginResetModel();
    m_buffer = std::move(buffer);
    m_all.clear();
    m_rows.clear();
    m_next = 0;
    m_originUs = -1;
    endResetModel();
}

const QString& TrafficModel::sourceOf(const TrafficRecord& r) const
{
    static const QString none;
    return r.source < m_sourceNames.size() ? m_sourceNames[r.source] : none;
}

bool TrafficModel::accepts(const TrafficRecord& r) const
{
    if (m_filter.hideCyclic && r.cyclic)
        return false;
    if (m_filter.errorsOnly && r.outcome == TrafficOutcome::Ok)
        return false;
    if (!m_filter.source.isEmpty() && sourceOf(r) != m_filter.source)
        return false;
    if (!m_filter.text.isEmpty()) {
        const auto cs = Qt::CaseInsensitive;
        return sourceOf(r).contains(m_filter.text, cs) || trafficText(r.request).contains(m_filter.text, cs)
               || trafficText(r.reply).contains(m_filter.text, cs);
    }
    return true;
}

size_t TrafficModel::pull(size_t max)
{
    if (!m_buffer)
        return 0;
    // In chunks, so the worker never waits long for the buffer's lock.
    std::vector<TrafficRecord> got;
    const size_t limit = std::min<size_t>(max, m_buffer->capacity());
    uint64_t from = m_next;
    while (got.size() < limit && m_buffer->read(from, std::min<size_t>(20000, limit - got.size()), got) > 0)
        from = got.back().seq + 1;
    if (got.empty())
        return 0;
    // The ring may have moved on between two chunks: keep what joins on to the end.
    for (size_t i = got.size() - 1; i > 0; --i) {
        if (got[i].seq != got[i - 1].seq + 1) {
            got.erase(got.begin(), got.begin() + std::ptrdiff_t(i));
            break;
        }
    }
    const size_t n = got.size();
    if (got.front().seq != m_next && !m_all.empty()) {
        // The view fell behind the ring: what it holds no longer joins on.
        beginResetModel();
        m_all.clear();
        m_rows.clear();
        endResetModel();
    }
    m_next = got.back().seq + 1;
    if (m_originUs < 0)
        m_originUs = got.front().monoUs;

    // Keep no more than the port does.
    const size_t cap = m_buffer->capacity();
    if (m_all.size() + n > cap) {
        const size_t drop = std::min(m_all.size(), m_all.size() + n - cap);
        const uint64_t keepFrom = m_all[drop - 1].seq + 1;
        const auto firstKept = std::lower_bound(m_rows.begin(), m_rows.end(), keepFrom);
        const int gone = int(firstKept - m_rows.begin());
        if (gone > 0) {
            beginRemoveRows({}, 0, gone - 1);
            m_rows.erase(m_rows.begin(), firstKept);
            endRemoveRows();
        }
        m_all.erase(m_all.begin(), m_all.begin() + static_cast<std::ptrdiff_t>(drop));
    }

    std::vector<uint64_t> shown;
    for (TrafficRecord& r : got) {
        if (r.source >= m_sourceNames.size() || m_sourceNames[r.source].isNull()) {
            if (r.source >= m_sourceNames.size())
                m_sourceNames.resize(r.source + 1u);
            m_sourceNames[r.source] = trafficSourceName(m_buffer->sourceName(r.source));
            if (!m_sourcesSeen.contains(m_sourceNames[r.source]))
                m_sourcesSeen.push_back(m_sourceNames[r.source]);
        }
        if (accepts(r))
            shown.push_back(r.seq);
        m_all.push_back(std::move(r));
    }
    if (!shown.empty()) {
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(shown.size()) - 1);
        m_rows.insert(m_rows.end(), shown.begin(), shown.end());
        endInsertRows();
    }
    return n;
}

void TrafficModel::clear()
{
    beginResetModel();
    m_all.clear();
    m_rows.clear();
    m_originUs = -1;
    if (m_buffer)
        m_next = m_buffer->nextSeq();
    endResetModel();
}

void TrafficModel::setFilter(const Filter& filter)
{
    if (filter == m_filter)
        return;
    beginResetModel();
    m_filter = filter;
    m_rows.clear();
    for (const TrafficRecord& r : m_all)
        if (accepts(r))
            m_rows.push_back(r.seq);
    endResetModel();
}

void TrafficModel::setHeaders(const QStringList& headers)
{
    if (headers.size() != ColumnCount)
        return;
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void TrafficModel::setOutcomeTexts(const QStringList& texts)
{
    if (texts.size() != 4)
        return;
    m_outcomes = texts;
    if (!m_rows.empty())
        emit dataChanged(index(0, ColOutcome), index(int(m_rows.size()) - 1, ColOutcome));
}

const TrafficRecord& TrafficModel::record(int row) const
{
    // The deque holds consecutive seqs from its front.
    return m_all[static_cast<size_t>(m_rows[static_cast<size_t>(row)] - m_all.front().seq)];
}

QString TrafficModel::cellText(const TrafficRecord& r, int column) const
{
    switch (column) {
    case ColTime: return QString::number(double(r.monoUs - m_originUs) / 1e6, 'f', 3);
    case ColWall: return trafficWallText(r.wallMs);
    case ColSource: return sourceOf(r);
    case ColRequest: return trafficText(r.request);
    case ColReply: return trafficText(r.reply);
    case ColHex: return trafficHex(r.reply);
    case ColDuration: return trafficDurationText(r.durationUs);
    case ColOutcome: return m_outcomes.value(int(r.outcome));
    default: return {};
    }
}

QStringList TrafficModel::rowTexts(int row, const QList<int>& columns) const
{
    QStringList out;
    const TrafficRecord& r = record(row);
    for (int c : columns)
        out.push_back(cellText(r, c));
    return out;
}

int TrafficModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const TrafficRecord& r = record(index.row());
    if (role == Qt::DisplayRole)
        return cellText(r, index.column());
    if (role == Qt::ForegroundRole && index.column() == ColOutcome) {
        switch (r.outcome) {
        case TrafficOutcome::Ok: return QColor(0, 128, 0);
        case TrafficOutcome::Timeout: return QColor(200, 110, 0);
        case TrafficOutcome::LineError: return QColor(210, 0, 0);
        case TrafficOutcome::Lost: return QColor(150, 0, 150);
        case TrafficOutcome::Reconnected: return QColor(0, 70, 170);
        }
    }
    if (role == Qt::ToolTipRole && index.column() == ColOutcome && r.code != 0)
        return QStringLiteral("%1 (%2h)").arg(r.code).arg(r.code, 4, 16, QLatin1Char('0'));
    return {};
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_headers.value(section);
    return {};
}

} // namespace vx
