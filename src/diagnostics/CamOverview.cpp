#include "diagnostics/CamOverview.h"

#include "params/FixedPoint.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"

namespace vx::nokken {

namespace {

bool isCamCell(int n, int o)
{
    return n >= 1 && n <= CamCount && o >= 1 && o <= OutputCount && ParWaarden[outputPar(n)] == o;
}

// A value without an item in the option list leaves the panel empty rather than
// showing the text of an earlier selection.
QString optionOf(int par, qint32 value)
{
    const QStringList items = parOpties(par);
    return value >= 0 && value < items.size() ? items.at(value) : QString();
}

// Start or end: a setpoint when selected, else the cam's own position. A selection
// that names no setpoint shows the overflow mark instead of reading past the table.
QString positionText(qint32 selection, int ownPar)
{
    if (selection == 0) return FixedToText(9, ParWaarden[ownPar]);
    if (!TSollWaarden::contains(selection)) return QLatin1String(OverflowMark);
    return FixedToText(9, SollWaarden[selection]);
}

} // namespace

QColor functionColour(int function)
{
    switch (function) {
    case 1: return QColor(255, 0, 0);
    case 2: return QColor(0, 255, 0);
    case 3: return QColor(255, 255, 0);
    default: return {};
    }
}

QColor cellColour(int column, int row)
{
    if (!isCamCell(column, row)) return {};
    return functionColour(ParWaarden[functionPar(column)]);
}

QList<LegendEntry> legend()
{
    // Every cam has the same list of functions; the first cam that has one names them.
    int named = 1;
    while (named < CamCount && parOpties(functionPar(named)).isEmpty()) ++named;
    QList<LegendEntry> out;
    for (int f = 1; f <= 3; ++f) {
        QString text = optionOf(functionPar(named), f);
        if (text.isEmpty()) text = QString::number(f);
        out.append({functionColour(f), text});
    }
    return out;
}

CamDetails details(int n, int o)
{
    CamDetails d;
    if (!isCamCell(n, o) || ParWaarden[functionPar(n)] <= 0) return d;
    d.isCam = true;
    d.nokNummer = QString::number(n);
    d.functie = optionOf(functionPar(n), ParWaarden[functionPar(n)]);
    d.bron = optionOf(sourcePar(n), ParWaarden[sourcePar(n)]);
    const qint32 start = ParWaarden[startSelectPar(n)];
    d.aanvang = positionText(start, ownStartPar(n));
    d.selectAanvang = optionOf(startSelectPar(n), start);
    const qint32 end = ParWaarden[endSelectPar(n)];
    d.einde = positionText(end, ownEndPar(n));
    d.selectEinde = optionOf(endSelectPar(n), end);
    d.hysteresis = FixedToText(9, ParWaarden[hysteresisPar(n)]);
    d.vervroeging = FixedToText(3, ParWaarden[advancePar(o)]);
    return d;
}

} // namespace vx::nokken
