#include "params/Compare.h"

#include "params/ParamText.h"
#include "params/ParameterDefs.h"

namespace vx::compare {

ValueSet defaultsSet()
{
    ValueSet s;
    s.hasParameters = true;
    for (int n = TParWaarden::first; n <= TParWaarden::last; ++n)
        s.par[n] = parDefault(n);
    return s;
}

QList<Row> differences(const ValueSet& a, const ValueSet& b)
{
    QList<Row> rows;
    const qint32 fallback = a.hasParameters ? a.par.value(ParDecimalsParameter) : b.par.value(ParDecimalsParameter);
    const qint32 decA = a.hasParameters ? a.par.value(ParDecimalsParameter) : fallback;
    const qint32 decB = b.hasParameters ? b.par.value(ParDecimalsParameter) : fallback;
    if (a.hasParameters && b.hasParameters) {
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n) {
            if (a.par.value(n) == b.par.value(n))
                continue;
            Row r;
            r.number = n;
            r.name = parNaam(n);
            r.a = a.par.value(n);
            r.b = b.par.value(n);
            r.textA = partext::scaledText(n, r.a, decA);
            r.textB = partext::scaledText(n, r.b, decB);
            rows << r;
        }
    }
    if (a.hasSetpoints && b.hasSetpoints) {
        for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n) {
            if (a.soll.value(n) == b.soll.value(n))
                continue;
            Row r;
            r.setpoint = true;
            r.number = n;
            r.a = a.soll.value(n);
            r.b = b.soll.value(n);
            r.textA = partext::setpointText(r.a, decA);
            r.textB = partext::setpointText(r.b, decB);
            rows << r;
        }
    }
    return rows;
}

} // namespace vx::compare
