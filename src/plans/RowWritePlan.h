#pragma once
// Single values written one after another (the compare window's ticked rows), then
// "bp" when a parameter was taken, then each row read back. A row refused does not
// stop the others; a failed line does, and the rows after it are not sent.
#include "plans/TransferPlans.h"

#include <QList>

namespace vx::plans {

class RowWritePlan : public Plan {
public:
    struct Row {
        bool setpoint = false;
        int number = 0;
        qint32 value = 0;
    };
    enum class Phase { Write,
                       Compute,
                       ReadBack };

    RowWritePlan(QList<Row> rows, bool verify, int channel = 0, TransferRules rules = {});

    Step start() override;
    Step next(const Outcome& last) override;
    int done() const override { return int(m_written.size()); }
    int total() const override { return int(m_rows.size()); }

    Phase phase() const { return m_phase; }
    // One result per row written so far; rows after a failed line are LineFailed
    // without an error of their own (never sent).
    const QList<transfer::Result>& written() const { return m_written; }
    bool lineGone() const { return m_lineGone; }
    bool anyParameter() const { return m_anyParameter; }
    // "bp" ran, and how it ended.
    bool computed() const { return m_computed; }
    const transfer::Result& compute() const { return m_compute; }
    // The read-back ran (rows not refused), and how it ended; the value read per row.
    bool readBackRan() const { return m_readBackRan; }
    const transfer::Result& readBack() const { return m_readBack; }
    const QList<std::optional<qint32>>& readValues() const { return m_read; }

private:
    Step writeRow();
    Step afterWrites();
    Step readRow();
    Step sendRow(ValueExchange::Kind kind, const Row& r);

    QList<Row> m_rows;
    bool m_verify;
    int m_channel;
    TransferRules m_rules;
    Phase m_phase = Phase::Write;
    qsizetype m_index = 0;
    ValueExchange m_exchange;
    QList<transfer::Result> m_written;
    bool m_lineGone = false;
    bool m_anyParameter = false;
    bool m_computed = false;
    transfer::Result m_compute;
    bool m_readBackRan = false;
    transfer::Result m_readBack;
    QList<std::optional<qint32>> m_read;
};

} // namespace vx::plans
