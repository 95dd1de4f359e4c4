#include "params/Compare.h"

#include "params/ParTree.h"
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

namespace {

bool outsideOptions(int n, qint32 v)
{
    return parType(n) != 0 && (v < 0 || v >= parOpties(n).size());
}

// Unknown option values show as the raw number, so both sides stay readable.
QString parText(int n, qint32 v, qint32 p203)
{
    return outsideOptions(n, v) ? QString::number(v) : partext::scaledText(n, v, p203);
}

QList<Row> rowsOf(const ValueSet& a, const ValueSet& b, bool all)
{
    QList<Row> rows;
    const qint32 fallback = a.hasParameters ? a.par.value(ParDecimalsParameter) : b.par.value(ParDecimalsParameter);
    const qint32 decA = a.hasParameters ? a.par.value(ParDecimalsParameter) : fallback;
    const qint32 decB = b.hasParameters ? b.par.value(ParDecimalsParameter) : fallback;
    if (a.hasParameters && b.hasParameters) {
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n) {
            if (!all && a.par.value(n) == b.par.value(n))
                continue;
            rows << makeRow(false, n, a.par.value(n), b.par.value(n), decA, decB);
        }
    }
    if (a.hasSetpoints && b.hasSetpoints) {
        for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n) {
            if (!all && a.soll.value(n) == b.soll.value(n))
                continue;
            rows << makeRow(true, n, a.soll.value(n), b.soll.value(n), decA, decB);
        }
    }
    return rows;
}

} // namespace

Row makeRow(bool setpoint, int number, qint32 a, qint32 b, qint32 decA, qint32 decB)
{
    Row r;
    r.setpoint = setpoint;
    r.number = number;
    r.a = a;
    r.b = b;
    if (setpoint) {
        r.textA = partext::setpointText(a, decA);
        r.textB = partext::setpointText(b, decB);
        return r;
    }
    r.name = parNaam(number);
    r.textA = parText(number, a, decA);
    r.textB = parText(number, b, decB);
    r.unknownA = outsideOptions(number, a);
    r.unknownB = outsideOptions(number, b);
    return r;
}

QList<Row> differences(const ValueSet& a, const ValueSet& b)
{
    return rowsOf(a, b, false);
}

QList<Row> allRows(const ValueSet& a, const ValueSet& b)
{
    return rowsOf(a, b, true);
}

QHash<int, MenuPlace> menuPlaces(const ParTree& tree)
{
    QHash<int, MenuPlace> places;
    for (int i = 0; i < tree.nodes.size(); ++i) {
        const ParTreeNode& node = tree.nodes[i];
        if (node.depth < 1 || node.depth > 2)
            continue;
        const QString heading = node.depth == 1 ? node.caption
                                                : tree.nodes[node.parent].caption + QStringLiteral(" > ") + node.caption;
        for (const std::optional<int>& p : menuParameters(menuPosition(tree, i).number(), ReportRows))
            if (p && !places.contains(*p))
                places.insert(*p, MenuPlace{i, heading});
    }
    return places;
}

} // namespace vx::compare
