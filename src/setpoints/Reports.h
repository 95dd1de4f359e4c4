#pragma once
// The printed parameter and setpoint reports. Drawing needs only a painter and the
// page size in device pixels, so the same code prints, writes a PDF or fills an image.
// Everything is in device pixels with y growing downward; text columns line up
// because every line is one monospaced text padded with blanks.
#include "params/ValueStore.h"

#include <QDate>
#include <QFont>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;

namespace vx {

// What the page header prints.
struct ReportHeader {
    QString labelFirma, labelType, labelSn; // the print dialog's label captions
    QString firma, type, sn;                // AfdrukFirma, AfdrukType, AfdrukSn
    QString paginaTekst;                    // page word in front of the page number
    QString datum;                          // date text, right-aligned on line 1
    QString opmerking;                      // a note on the values, right-aligned on line 2
};

// A report's date in the program's language (0 Dutch, 1 English, 2 German), spelled out
// so it reads the same everywhere: "8 december 2026".
QString reportDate(int taalIndex, const QDate& date);
// The setpoint report's note: the decimals of parameter 203 its values are printed with.
QString sollwertDecimalenNote();

// The sign on the row of a value that an editor holds and has not sent to the
// controller, and the page's footnote that says so.
inline constexpr QChar UnsentMark = u'*';
QString unsentFootnote();
// The header's note on how many values were not sent, in the language's singular or
// plural; empty for none.
QString unsentNote(int count);
// The numbers whose value differs from an editor's baseline (the values it last
// loaded, received, saved or sent): what it holds unsent, in ascending order.
template <int First, int Last>
QList<int> unsentNumbers(const IndexedValues<First, Last>& now, const IndexedValues<First, Last>& basis)
{
    QList<int> out;
    for (int i = First; i <= Last; ++i)
        if (now.value(i) != basis.value(i))
            out << i;
    return out;
}

// Starts a new page on the device. Empty: the painter's device when it is a paged
// device (printer, PDF writer); otherwise page breaks only reset the position.
using NewPageFn = std::function<void()>;

// The "Courier New" report font (a monospaced fall-back where it is not installed).
QFont reportFont(int pointSize, bool bold);

// Page geometry and running position of one print job.
class ReportWriter {
public:
    ReportWriter(QPainter& painter, QSize pageSize, ReportHeader header, NewPageFn newPage = {});

    double PixPerCm = 0;
    int LinksX = 0;
    int BovenY = 0;
    int OnderY = 0;
    int RegelHoogte = 0;
    int HuidigY = 0;
    int PaginaNr = 1;

    int pageWidth() const { return m_page.width(); }
    int pageHeight() const { return m_page.height(); }

    // Printed at the foot of every page that has a marked line; while set, the body
    // keeps a line free above OnderY for it.
    QString voetnoot;

    void PrintPaginaHeader();
    // Before a body line of height h: a new page when it would end below OnderY.
    void pageBreak(int h);
    // The current page has a marked line: its foot gets the footnote.
    void markOnPage() { m_marked = true; }
    // Ends the last page (its footnote); page breaks end the others.
    void finishPage();
    void setFont(int pointSize, bool bold);
    int textHeight() const; // height of "A" in the current font
    void textOut(int x, int y, const QString& text);
    // One body line at (LinksX, HuidigY) in the current font, with the page break first.
    void bodyLine(const QString& text, int advance);

private:
    QPainter& m_p;
    QSize m_page;
    ReportHeader m_header;
    NewPageFn m_newPage;
    bool m_marked = false;
};

// Column texts, padded as the reports lay them out.
QString padRight(const QString& s, int n);
QString padLeft(const QString& s, int n);
QString parameterHeaderLine(const QStringList& kolomTeksten); // five column titles
QString sollwertHeaderLine(const QString& kolomNo, const QString& kolomWaarde);
// Setpoints k and k + 40, with the decimals of parameter 203; a number in unsent gets
// the mark behind its value.
QString sollwertLine(int k, const QList<int>& unsent = {});

// Column headers from the language texts (blank titles while none are loaded).
QString InitParameterHeader();
QString InitSollwertHeader();

// The page text: the page word, a blank and the number right-aligned in three places.
QString paginaText(const QString& paginaTekst, int paginaNr);

// Parameter report: the tree file's lines (line 0 is the title), walked menu by menu,
// each menu's parameters from the menu map with values from ParWaarden. The rows of
// the parameter numbers in unsent are marked, with the footnote on their pages.
void drawParameterReport(QPainter& painter, QSize pageSize, const ReportHeader& header,
                         const QString& kolomKop, const QStringList& treeLines, NewPageFn newPage = {},
                         const QList<int>& unsent = {});
// Setpoint report: the title, the column header and 40 lines of two setpoints each.
// The setpoints in unsent are marked and counted beside the title, with the footnote.
void drawSollwertReport(QPainter& painter, QSize pageSize, const ReportHeader& header,
                        const QString& kolomKop, const QString& sollTitel, NewPageFn newPage = {},
                        const QList<int>& unsent = {});

// The page header from the shared print fields and the language texts, dated today in
// the program's language.
ReportHeader currentReportHeader();
// A report of prepared text lines: the title, then one monospaced line each, with page
// breaks and the page header on every page.
void drawLinesReport(QPainter& painter, QSize pageSize, const ReportHeader& header, const QString& title,
                     const QStringList& lines, NewPageFn newPage = {});

// One line of a menu's block; missing entries give empty columns. A parameter in
// unsent gets the mark behind its value.
QString parameterReportLine(int menuNumber, int k, const QList<int>& unsent = {});
// Number of rows of a menu the report prints (keys ParId1..ParId40 not -1), or 0 when
// the menu is not printed at all (definitions or menu map missing, ParId1 missing or -1).
int parameterReportRows(int menuNumber);
bool menuPrinted(int menuNumber);

} // namespace vx
