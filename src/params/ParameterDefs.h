#pragma once
// Parameter definitions (Parameters.txt -> AppState::ParameterDef), the menu map
// (ParNo.txt -> AppState::ParamNo) and the option-list rules. Every lookup takes
// the parameter's section name, its number as three digits ("007"), or the number.
// While a file is not loaded every lookup gives its default (empty text, 0, no list).
#include <QString>
#include <QStringList>
#include <optional>

namespace vx {

class IniFile;

// Shown for a value that has no item in its option list.
inline constexpr const char* OverflowMark = "########";

// --- loading ------------------------------------------------------------------------
// Loads ExeDir + "Parameters.txt" into ParameterDef and sets ParameterDefGeladen;
// a missing or unreadable file clears both. Returns ParameterDefGeladen.
bool ParameterDef_lezen();
// The same for ExeDir + "ParNo.txt", ParamNo and ParamNoGeladen.
bool ParamNo_lezen();

// --- Parameters.txt ------------------------------------------------------------------
// Section name of a parameter: "%3.3d" (7 -> "007").
QString parSection(int nr);

bool parExists(const QString& section);
bool parExists(int nr);
// Name in the language taalIndex (keys naam0 .. naam4); other indices give "".
// The overloads without taalIndex use the current TaalIndex.
QString parNaam(const QString& section, int taalIndex);
QString parNaam(const QString& section);
QString parNaam(int nr);
// 0 numeric, 1 option list (the service dialog treats any nonzero as a list).
int parType(const QString& section);
int parType(int nr);
// Decimals as written; 9 is returned as 9 (see effectiveDec).
int parDec(const QString& section);
int parDec(int nr);
int parMin(const QString& section);
int parMin(int nr);
int parMax(const QString& section);
int parMax(int nr);
int parDefault(const QString& section);
int parDefault(int nr);
// Resolved option list (redirect followed) in language taalIndex (keys opties0 ..
// opties4); other indices give an empty list. Without taalIndex: current TaalIndex.
QStringList parOpties(const QString& section, int taalIndex);
QStringList parOpties(const QString& section);
QStringList parOpties(int nr);

// Decimals to use: dec 9 means the current value of parameter 203.
int effectiveDec(int dec);

// --- option lists ----------------------------------------------------------------------
// Comma list: items separated by commas or blanks (any char <= ' '), blanks around
// items skipped, "..." items with "" for a quote; a comma at the very end adds an
// empty item.
QStringList parseOptionList(const QString& text);
// Written-back form: items holding a blank, comma or quote are quoted again; one
// empty item is written as "".
QString optionListText(const QStringList& items);
// Parses key optiesN of section in defs and follows a "#section" redirect once.
QStringList resolveOptionList(const IniFile& defs, const QString& section, int taalIndex);
// Item value of the list, or OverflowMark when value is not an index of it.
QString optionText(const QStringList& items, qint64 value);

// --- ParNo.txt --------------------------------------------------------------------------
// Rows of the editor's grid and of the printed report.
inline constexpr int EditorRows = 18;
inline constexpr int ReportRows = 40;

// Parameter number in row (1-based) of a menu, from key ParId<row> of section
// [menuNumber]. None for a missing key, -1, a value that is no integer, a number
// outside 0..511, or ParNo.txt not loaded.
std::optional<int> parNoLookup(int menuNumber, int row);
// parNoLookup for rows 1..rows; element 0 is row 1.
QList<std::optional<int>> menuParameters(int menuNumber, int rows = EditorRows);

} // namespace vx
