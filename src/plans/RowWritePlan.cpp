#include "plans/RowWritePlan.h"

namespace vx::plans {

using Ended = transfer::Outcome;

RowWritePlan::RowWritePlan(QList<Row> rows, bool verify, int channel, TransferRules rules)
    : m_rows(std::move(rows)), m_verify(verify), m_channel(channel), m_rules(rules)
{
}

Step RowWritePlan::sendRow(ValueExchange::Kind kind, const Row& r)
{
    const transfer::Item item = r.setpoint ? transfer::Item::Setpoint : transfer::Item::Parameter;
    const bool write = kind == ValueExchange::Kind::Write;
    const QString text = write ? (r.setpoint ? cmd::writeSoll(r.number, r.value) : cmd::writePar(r.number, r.value))
                               : (r.setpoint ? cmd::readSoll(r.number) : cmd::readPar(r.number));
    return m_exchange.begin(kind, item, r.number, text, write ? transfer::WriteTimeoutMs : transfer::ReadTimeoutMs,
                            m_channel, m_rules);
}

Step RowWritePlan::start()
{
    m_phase = Phase::Write;
    m_index = 0;
    m_written.clear();
    m_read.clear();
    m_lineGone = m_anyParameter = m_computed = m_readBackRan = false;
    m_compute = m_readBack = {};
    return writeRow();
}

Step RowWritePlan::writeRow()
{
    while (m_index < m_rows.size() && m_lineGone) {
        // The line is gone: the rest is not sent.
        transfer::Result skipped;
        skipped.outcome = Ended::LineFailed;
        skipped.number = m_rows[m_index].number;
        m_written.append(skipped);
        ++m_index;
    }
    if (m_index >= m_rows.size())
        return afterWrites();
    return sendRow(ValueExchange::Kind::Write, m_rows[m_index]);
}

Step RowWritePlan::afterWrites()
{
    if (m_anyParameter && !m_lineGone && !m_computed) {
        m_phase = Phase::Compute;
        return m_exchange.begin(ValueExchange::Kind::Compute, transfer::Item::Compute, -1,
                                QLatin1String(cmd::ComputeParameters), transfer::ComputeTimeoutMs, m_channel, m_rules);
    }
    if (!m_verify || m_lineGone)
        return Step::finished();
    m_phase = Phase::ReadBack;
    m_readBackRan = true;
    m_index = 0;
    m_read = QList<std::optional<qint32>>(m_rows.size());
    return readRow();
}

Step RowWritePlan::readRow()
{
    // Refused rows kept their old value; every other one is asked for.
    while (m_index < m_rows.size() && m_written[m_index].outcome == Ended::Refused)
        ++m_index;
    if (m_index >= m_rows.size())
        return Step::finished();
    return sendRow(ValueExchange::Kind::Read, m_rows[m_index]);
}

Step RowWritePlan::next(const Outcome& last)
{
    if (auto repeat = m_exchange.take(last))
        return *repeat;
    const transfer::Result& r = m_exchange.result();
    switch (m_phase) {
    case Phase::Write:
        m_written.append(r);
        if (r.ok() && !m_rows[m_index].setpoint)
            m_anyParameter = true;
        m_lineGone = r.outcome == Ended::LineFailed;
        ++m_index;
        return writeRow();
    case Phase::Compute:
        m_computed = true;
        m_compute = r;
        // A failed "bp" still leaves the rows to read back, unless the line went with it.
        m_lineGone = r.outcome == Ended::LineFailed;
        return afterWrites();
    case Phase::ReadBack:
        if (!r.ok()) {
            m_readBack = r;
            return Step::finished();
        }
        m_read[m_index] = m_exchange.number();
        ++m_index;
        return readRow();
    }
    return Step::finished();
}

} // namespace vx::plans
