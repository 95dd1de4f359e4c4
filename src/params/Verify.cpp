#include "params/Verify.h"

#include "core/LanguageTexts.h"

namespace vx::verify {

QList<Written> wholeSet(const compare::ValueSet& written)
{
    QList<Written> out;
    if (written.hasParameters)
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n)
            out.append({false, n, written.par.value(n), true});
    if (written.hasSetpoints)
        for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n)
            out.append({true, n, written.soll.value(n), true});
    return out;
}

Result check(const QList<Written>& written, const compare::ValueSet& readBack)
{
    Result r;
    const qint32 p203 = readBack.par.value(ParDecimalsParameter);
    for (const Written& w : written) {
        ++r.total;
        const qint32 now = w.setpoint ? readBack.soll.value(w.number) : readBack.par.value(w.number);
        if (!w.confirmed) {
            r.unconfirmed.append(w);
            continue;
        }
        if (now == w.value) {
            ++r.verified;
            continue;
        }
        r.mismatches.append(compare::makeRow(w.setpoint, w.number, w.value, now, p203, p203));
    }
    return r;
}

QString Result::text(int listed) const
{
    QString out = texts::Verify("Verified").arg(verified).arg(total);
    QStringList items;
    for (const compare::Row& m : mismatches)
        items << texts::Verify(m.setpoint ? "MismatchSetpoint" : "MismatchParameter")
                     .arg(m.number, 3, 10, QLatin1Char('0'))
                     .arg(m.textA, m.textB);
    for (const Written& w : unconfirmed)
        items << texts::Verify(w.setpoint ? "UnconfirmedSetpoint" : "UnconfirmedParameter").arg(w.number, 3, 10, QLatin1Char('0'));
    if (items.isEmpty())
        return out;
    const qsizetype more = items.size() - listed;
    if (more > 0) {
        items = items.mid(0, listed);
        items << texts::Verify("More").arg(more);
    }
    return out + QStringLiteral("; ") + items.join(QStringLiteral(", "));
}

} // namespace vx::verify
