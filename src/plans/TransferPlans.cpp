#include "plans/TransferPlans.h"

namespace vx::plans {

using Ended = transfer::Outcome;
using transfer::Result;

// --- one value -----------------------------------------------------------------------

Step ValueExchange::begin(Kind kind, Item item, int number, const QString& text, int timeoutMs, int channel,
                          TransferRules rules)
{
    m_kind = kind;
    m_rules = rules;
    m_attempts = 1;
    m_lineDown = false;
    m_result = Result{};
    m_result.item = item;
    m_result.number = number;
    m_value = 0;
    m_text.clear();
    m_request = {text, timeoutMs, channel, false};
    return Step::send(text, timeoutMs, channel);
}

std::optional<Step> ValueExchange::take(const Outcome& o)
{
    Result& r = m_result;
    const auto again = [this]() -> std::optional<Step> {
        if (!m_rules.repeat || m_attempts >= Tries)
            return std::nullopt;
        ++m_attempts;
        return Step::send(m_request.text, m_request.timeoutMs, m_request.channel, m_request.pauseRule);
    };
    r.reply.clear();
    r.checked = {};
    if (o.failed()) {
        r.error = o.error;
        r.detail.clear();
        if (o.lineFailed()) {
            r.outcome = Ended::LineFailed;
            return std::nullopt;
        }
        r.outcome = Ended::NoReply;
        return m_lineDown ? std::nullopt : again();
    }
    r.error = {};
    r.reply = o.reply;
    r.checked = o.checked;
    if (m_kind == Kind::Compute) {
        const cmd::BpResult bp = cmd::bpResult(o.reply);
        if (!bp.readable) {
            // A cut or foreign reply says nothing about what was computed.
            r.outcome = Ended::BadReply;
            r.detail = cmd::refusalText(o.checked);
            return again();
        }
        r.outcome = bp.accepted ? Ended::Done : Ended::Refused;
        r.detail = bp.detail;
        return std::nullopt;
    }
    if (m_kind == Kind::Write && o.checked.refusedValue()) {
        r.outcome = Ended::Refused;
        r.detail = o.checked.text;
        return std::nullopt;
    }
    if (!o.checked.ok() || (m_kind == Kind::Read && !o.checked.number)) {
        r.outcome = m_kind == Kind::Text && o.checked.refusal == cmd::Refusal::ControllerError ? Ended::Refused
                                                                                               : Ended::BadReply;
        r.detail = cmd::refusalText(o.checked);
        return again();
    }
    if (o.checked.number)
        m_value = *o.checked.number;
    m_text = o.checked.value;
    r.outcome = Ended::Done;
    r.detail.clear();
    r.reply.clear();
    return std::nullopt;
}

ValuePlan::ValuePlan(Job job, TransferRules rules, int channel) : m_job(job), m_rules(rules), m_channel(channel) { }

Step ValuePlan::start()
{
    m_result = Result{};
    m_result.item = m_job.item;
    m_result.number = m_job.number;
    if (stopRequested()) {
        m_result.outcome = Ended::Stopped;
        return Step::finished();
    }
    using K = ValueExchange::Kind;
    QString text;
    int timeout = transfer::ReadTimeoutMs;
    switch (m_job.kind) {
    case K::Read:
    case K::Text:
        text = m_job.item == Item::Setpoint ? cmd::readSoll(m_job.number) : cmd::readPar(m_job.number);
        break;
    case K::Write:
        text = m_job.item == Item::Setpoint ? cmd::writeSoll(m_job.number, m_job.value)
                                            : cmd::writePar(m_job.number, m_job.value);
        timeout = transfer::WriteTimeoutMs;
        break;
    case K::Compute:
        text = QLatin1String(cmd::ComputeParameters);
        timeout = transfer::ComputeTimeoutMs;
        break;
    }
    if (m_job.timeoutMs >= 0)
        timeout = m_job.timeoutMs;
    return m_exchange.begin(m_job.kind, m_job.item, m_job.number, text, timeout, m_channel, m_rules);
}

Step ValuePlan::next(const Outcome& last)
{
    if (auto repeat = m_exchange.take(last)) {
        if (!stopRequested())
            return *repeat;
        m_result = m_exchange.result();
        m_result.outcome = Ended::Stopped;
        return Step::finished();
    }
    m_result = m_exchange.result();
    m_result.confirmed = m_result.ok() && m_job.kind != ValueExchange::Kind::Compute ? 1 : 0;
    return Step::finished();
}

// --- whole sets ----------------------------------------------------------------------

SetPlan::SetPlan(transfer::Sets sets, bool compute, ValueExchange::Kind kind, int timeoutMs,
                 TransferChannels channels, TransferRules rules)
    : m_sets(sets), m_compute(compute && sets.parameters), m_kind(kind), m_timeoutMs(timeoutMs),
      m_channels(channels), m_rules(rules)
{
    m_total = (sets.parameters ? ParCount : 0) + (sets.setpoints ? SollCount : 0);
}

void SetPlan::resumeAt(Item item, int number)
{
    m_item = item;
    m_number = number;
    m_resumed = true;
}

void SetPlan::only(ValueRefs values)
{
    m_total = int(values.size());
    m_only = std::move(values);
}

bool SetPlan::selectAt(int index)
{
    m_index = index;
    if (index >= int(m_only->size()))
        return false;
    m_item = (*m_only)[index].item;
    m_number = (*m_only)[index].number;
    return true;
}

bool SetPlan::firstOf(Item item)
{
    m_item = item;
    m_number = item == Item::Parameter ? TParWaarden::first : item == Item::Setpoint ? TSollWaarden::first
                                                                                     : -1;
    return true;
}

bool SetPlan::advance()
{
    if (m_only) {
        if (m_item != Item::Compute && selectAt(m_index + 1))
            return true;
        return m_item != Item::Compute && m_compute && firstOf(Item::Compute);
    }
    if (m_item == Item::Parameter && m_number < TParWaarden::last) {
        ++m_number;
        return true;
    }
    if (m_item == Item::Parameter && m_sets.setpoints)
        return firstOf(Item::Setpoint);
    if (m_item == Item::Setpoint && m_number < TSollWaarden::last) {
        ++m_number;
        return true;
    }
    if (m_item != Item::Compute && m_compute)
        return firstOf(Item::Compute);
    return false;
}

Step SetPlan::ask()
{
    if (m_item == Item::Compute)
        return m_exchange.begin(ValueExchange::Kind::Compute, Item::Compute, -1, QLatin1String(cmd::ComputeParameters),
                                transfer::ComputeTimeoutMs, m_channels.compute, m_rules);
    return m_exchange.begin(m_kind, m_item, m_number, request(m_item, m_number), m_timeoutMs, m_channels.values,
                            m_rules);
}

Step SetPlan::finish(Ended outcome)
{
    m_result.outcome = outcome;
    m_result.item = m_item;
    m_result.number = m_number;
    m_result.confirmed = m_confirmed;
    return Step::finished();
}

Step SetPlan::start()
{
    m_result = Result{};
    m_confirmed = 0;
    m_confirmedRefs.clear();
    m_computed = false;
    if (m_resumed && m_only) {
        // The entries before the value in flight were confirmed; one not in the
        // selection goes on from the next entry after it.
        const auto past = [this](const ValueRef& v) {
            return m_item == Item::Compute || v.item > m_item || (v.item == m_item && v.number >= m_number);
        };
        int i = 0;
        while (i < int(m_only->size()) && !past((*m_only)[i]))
            ++i;
        m_confirmed = m_item == Item::Compute ? m_total : i;
        if (m_item != Item::Compute && !selectAt(i)) {
            if (!m_compute)
                return finish(Ended::Done);
            firstOf(Item::Compute);
        }
    } else if (m_resumed) {
        // Everything before the value in flight was confirmed.
        if (m_item == Item::Compute)
            m_confirmed = m_total;
        else if (m_item == Item::Setpoint)
            m_confirmed = (m_sets.parameters ? ParCount : 0) + m_number - TSollWaarden::first;
        else
            m_confirmed = m_number - TParWaarden::first;
    } else if (m_only) {
        if (!selectAt(0)) {
            if (!m_compute)
                return finish(Ended::Done);
            firstOf(Item::Compute);
        }
    } else if (m_sets.parameters) {
        firstOf(Item::Parameter);
    } else if (m_sets.setpoints) {
        firstOf(Item::Setpoint);
    } else {
        return finish(Ended::Done);
    }
    if (stopRequested())
        return finish(Ended::Stopped);
    return ask();
}

Step SetPlan::next(const Outcome& last)
{
    if (auto repeat = m_exchange.take(last)) {
        if (stopRequested())
            return finish(Ended::Stopped);
        return *repeat;
    }
    const Result& one = m_exchange.result();
    if (!one.ok()) {
        m_result = one;
        m_result.confirmed = m_confirmed;
        return Step::finished();
    }
    if (m_item != Item::Compute) {
        taken(m_item, m_number, m_exchange.number());
        ++m_confirmed;
        m_confirmedRefs.push_back({m_item, m_number});
    } else {
        m_computed = true;
    }
    if (!advance()) {
        m_result = Result{};
        m_result.item = m_item;
        m_result.number = m_item == Item::Compute ? -1 : m_number;
        m_result.confirmed = m_confirmed;
        return Step::finished();
    }
    if (stopRequested())
        return finish(Ended::Stopped);
    return ask();
}

SetReadPlan::SetReadPlan(transfer::Sets sets, TParWaarden& par, TSollWaarden& soll, int channel,
                         TransferRules rules)
    : SetPlan(sets, false, ValueExchange::Kind::Read, transfer::ReadTimeoutMs, {channel, channel}, rules),
      m_par(par), m_soll(soll)
{
}

QString SetReadPlan::request(Item item, int number) const
{
    return item == Item::Setpoint ? cmd::readSoll(number) : cmd::readPar(number);
}

void SetReadPlan::taken(Item item, int number, qint32 value)
{
    (item == Item::Setpoint ? m_soll[number] : m_par[number]) = value;
}

SetWritePlan::SetWritePlan(transfer::Sets sets, const TParWaarden& par, const TSollWaarden& soll, bool compute,
                           TransferChannels channels, TransferRules rules)
    : SetPlan(sets, compute, ValueExchange::Kind::Write, transfer::WriteTimeoutMs, channels, rules), m_par(par),
      m_soll(soll)
{
}

QString SetWritePlan::request(Item item, int number) const
{
    return item == Item::Setpoint ? cmd::writeSoll(number, m_soll.value(number))
                                  : cmd::writePar(number, m_par.value(number));
}

} // namespace vx::plans
