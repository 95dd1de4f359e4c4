#pragma once
// What the cam overview shows, taken straight from the value store and the
// parameter definitions, so it can be checked without a window.
#include <QColor>
#include <QList>
#include <QString>

namespace vx::nokken {

inline constexpr int CamCount = 40;
inline constexpr int OutputCount = 16;

// Parameter numbers of cam n (1..40) and output o (1..16).
constexpr int outputPar(int n) { return 459 + n; }
constexpr int functionPar(int n) { return 299 + n; }
constexpr int sourcePar(int n) { return 339 + n; }
constexpr int startSelectPar(int n) { return 379 + n; }
constexpr int ownStartPar(int n) { return 159 + n; }
constexpr int endSelectPar(int n) { return 419 + n; }
constexpr int ownEndPar(int n) { return 119 + n; }
constexpr int hysteresisPar(int n) { return 79 + n; }
constexpr int advancePar(int o) { return 19 + o; }

// Colour of grid cell (column n, row o) for the cam's function 1, 2 or 3;
// an invalid colour when the cell is drawn plainly.
QColor cellColour(int column, int row);
// The colour of cam function 1, 2 or 3 (invalid for any other).
QColor functionColour(int function);

// What each cell colour means: the colour and the name of its function, in the
// chosen language (the function parameters' option texts).
struct LegendEntry {
    QColor colour;
    QString text;
};
QList<LegendEntry> legend();

// Texts of the detail panels; all empty when the cell is not a cam's cell.
struct CamDetails {
    bool isCam = false;
    QString nokNummer, functie, bron;
    QString aanvang, selectAanvang, einde, selectEinde;
    QString hysteresis, vervroeging;
};
CamDetails details(int column, int row);

} // namespace vx::nokken
