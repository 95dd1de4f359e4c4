#include "params/SetTransfer.h"

#include "comm/PX400Protocol.h"
#include "device/CommandSet.h"

#include <QEventLoop>

namespace vx::transfer {

namespace {

// A failed exchange: a lost reply may be repeated, a failed line ends the transfer.
bool exchangeFailed(const Exchange& x, Result& r)
{
    if (x.error.isZero())
        return false;
    r.error = x.error;
    r.outcome = x.error.Code == CommTimeout ? Outcome::NoReply : Outcome::LineFailed;
    return true;
}

// One value: the request, repeated once after a lost or unusable reply, as the
// transfer windows do. On success `value` holds the number read (reads only).
Result exchangeValue(const ExchangeFn& exchange, const QString& request, int timeoutMs, Item item, int nr,
                     bool read, qint32* value)
{
    Result r;
    r.item = item;
    r.number = nr;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Exchange x = exchange(request, timeoutMs);
        if (exchangeFailed(x, r)) {
            if (r.outcome == Outcome::LineFailed)
                return r;
            continue;
        }
        const cmd::CheckedReply checked = cmd::checkReply(request, x.reply);
        if (!read && checked.refusedValue()) {
            r.outcome = Outcome::Refused;
            r.detail = checked.text;
            return r;
        }
        if (!checked.ok() || (read && !checked.number)) {
            r.outcome = Outcome::BadReply;
            r.detail = cmd::refusalText(checked);
            continue;
        }
        if (value && checked.number)
            *value = *checked.number;
        r.outcome = Outcome::Done;
        r.detail.clear();
        return r;
    }
    return r;
}

bool keepGoing(const ProgressFn& progress, int done, int total)
{
    return !progress || progress(done, total);
}

} // namespace

Exchange exchangeThrough(TPX400Protocol& component, const QString& request, int timeoutMs)
{
    Exchange result;
    bool done = false;
    QEventLoop loop;
    component.OnCommResult = [&](TSXProtocolComponent*, const QByteArray& reply) {
        result.reply = reply;
        done = true;
        loop.quit();
    };
    component.OnCommError = [&](TSXProtocolComponent*, const TCommError& e, const QByteArray& reply) {
        result.error = e;
        result.reply = reply;
        done = true;
        loop.quit();
    };
    component.setTimeoutTime(timeoutMs);
    component.setASCIIProtocol(request);
    component.Send();
    if (!done)
        loop.exec();
    component.OnCommResult = nullptr;
    component.OnCommError = nullptr;
    return result;
}

Result readSets(const ExchangeFn& exchange, Sets sets, TParWaarden& par, TSollWaarden& soll,
                const ProgressFn& progress)
{
    const int total = (sets.parameters ? ParCount : 0) + (sets.setpoints ? SollCount : 0);
    int done = 0;
    Result r;
    auto step = [&](const QString& request, Item item, int nr, qint32& slot) {
        if (!keepGoing(progress, done, total)) {
            r.outcome = Outcome::Stopped;
            r.item = item;
            r.number = nr;
            return false;
        }
        qint32 v = 0;
        Result one = exchangeValue(exchange, request, ReadTimeoutMs, item, nr, true, &v);
        if (!one.ok()) {
            one.confirmed = done;
            r = one;
            return false;
        }
        slot = v;
        ++done;
        return true;
    };
    if (sets.parameters)
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n)
            if (!step(cmd::readPar(n), Item::Parameter, n, par[n]))
                return r;
    if (sets.setpoints)
        for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n)
            if (!step(cmd::readSoll(n), Item::Setpoint, n, soll[n]))
                return r;
    keepGoing(progress, done, total);
    r = Result{};
    r.confirmed = done;
    return r;
}

Result writeSets(const ExchangeFn& exchange, Sets sets, const TParWaarden& par, const TSollWaarden& soll,
                 bool compute, const ProgressFn& progress)
{
    const int total = (sets.parameters ? ParCount : 0) + (sets.setpoints ? SollCount : 0);
    int done = 0;
    Result r;
    auto step = [&](const QString& request, Item item, int nr) {
        if (!keepGoing(progress, done, total)) {
            r.outcome = Outcome::Stopped;
            r.item = item;
            r.number = nr;
            r.confirmed = done;
            return false;
        }
        Result one = exchangeValue(exchange, request, WriteTimeoutMs, item, nr, false, nullptr);
        if (!one.ok()) {
            one.confirmed = done;
            r = one;
            return false;
        }
        ++done;
        return true;
    };
    if (sets.parameters)
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n)
            if (!step(cmd::writePar(n, par.value(n)), Item::Parameter, n))
                return r;
    if (sets.setpoints)
        for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n)
            if (!step(cmd::writeSoll(n, soll.value(n)), Item::Setpoint, n))
                return r;
    keepGoing(progress, done, total);
    if (sets.parameters && compute) {
        Result c = computeParameters(exchange);
        c.confirmed = done;
        return c;
    }
    r = Result{};
    r.confirmed = done;
    return r;
}

Result readParameter(const ExchangeFn& exchange, int nr, qint32& value)
{
    return exchangeValue(exchange, cmd::readPar(nr), ReadTimeoutMs, Item::Parameter, nr, true, &value);
}

Result readSetpoint(const ExchangeFn& exchange, int nr, qint32& value)
{
    return exchangeValue(exchange, cmd::readSoll(nr), ReadTimeoutMs, Item::Setpoint, nr, true, &value);
}

Result writeParameter(const ExchangeFn& exchange, int nr, qint32 value)
{
    return exchangeValue(exchange, cmd::writePar(nr, value), WriteTimeoutMs, Item::Parameter, nr, false, nullptr);
}

Result writeSetpoint(const ExchangeFn& exchange, int nr, qint32 value)
{
    return exchangeValue(exchange, cmd::writeSoll(nr, value), WriteTimeoutMs, Item::Setpoint, nr, false, nullptr);
}

Result computeParameters(const ExchangeFn& exchange)
{
    Result r;
    r.item = Item::Compute;
    const QString request = QLatin1String(cmd::ComputeParameters);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Exchange x = exchange(request, ComputeTimeoutMs);
        if (exchangeFailed(x, r)) {
            if (r.outcome == Outcome::LineFailed)
                return r;
            continue;
        }
        const cmd::BpResult bp = cmd::bpResult(x.reply);
        if (!bp.readable) {
            r.outcome = Outcome::BadReply;
            r.detail = cmd::refusalText(cmd::checkReply(request, x.reply));
            continue;
        }
        r.outcome = bp.accepted ? Outcome::Done : Outcome::Refused;
        r.detail = bp.detail;
        return r;
    }
    return r;
}

} // namespace vx::transfer
