#include "setpoints/Reports.h"
#include "params/ControllerImage.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/LanguageTexts.h"
#include "params/FixedPoint.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"

#include <QDate>
#include <QFontMetrics>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace vx {

namespace {

const QString CourierNew = QStringLiteral("Courier New");

// A line of a tree file without the blanks and control characters at both ends.
QString trimControls(const QString& s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && s[a].unicode() <= u' ')
        ++a;
    while (b > a && s[b - 1].unicode() <= u' ')
        --b;
    return s.mid(a, b - a);
}

int parIdCount(const IniFile& map, const QString& section)
{
    int n = 0;
    for (int k = 1; k <= ReportRows; ++k) {
        const QString key = QStringLiteral("ParId") + QString::number(k);
        if (map.hasKey(section, key) && map.readInteger(section, key, -1) != -1)
            ++n;
    }
    return n;
}

const IniFile* loadedMenuMap()
{
    const AppState& s = app();
    if (!s.ParameterDefGeladen || !s.ParamNoGeladen || !s.ParamNo)
        return nullptr;
    return s.ParamNo.get();
}

} // namespace

QFont reportFont(int pointSize, bool bold)
{
    // Courier New is rarely installed outside Windows; any monospaced face keeps the
    // columns aligned.
    static const bool substituted = [] {
        QFont::insertSubstitutions(CourierNew, {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                                                QStringLiteral("Nimbus Mono PS"), QStringLiteral("FreeMono"),
                                                QStringLiteral("DejaVu Sans Mono")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont f(CourierNew);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

QString padRight(const QString& s, int n) { return s.size() >= n ? s : s.leftJustified(n, u' '); }
QString padLeft(const QString& s, int n) { return s.size() >= n ? s : s.rightJustified(n, u' '); }

QString paginaText(const QString& paginaTekst, int paginaNr)
{
    return paginaTekst + u' ' + padLeft(QString::number(paginaNr), 3);
}

QString parameterHeaderLine(const QStringList& t)
{
    auto at = [&](int i) { return i < t.size() ? t[i] : QString(); };
    return padRight(at(0), 6) + QStringLiteral("   ") + padRight(at(1), 3) + QStringLiteral("   ")
           + padRight(at(2), 38) + padLeft(at(3), 11) + QStringLiteral("   ") + padRight(at(4), 18);
}

QString sollwertHeaderLine(const QString& kolomNo, const QString& kolomWaarde)
{
    const QString n = padRight(kolomNo, 6);
    const QString w = padLeft(kolomWaarde, 12);
    return n + QStringLiteral("   ") + w + QString(10, u' ') + n + QStringLiteral("   ") + w;
}

QString sollwertLine(int k, const QList<int>& unsent)
{
    // The mark takes the first place after a value, so the columns stay put.
    const QString line = padRight(QString::number(k), 6) + QStringLiteral("   ")
                         + padLeft(FixedToText(images::setpointDecimals(), SollWaarden.value(k)), 12)
                         + (unsent.contains(k) ? UnsentMark : u' ') + QString(9, u' ')
                         + padRight(QString::number(k + 40), 6) + QStringLiteral("   ")
                         + padLeft(FixedToText(images::setpointDecimals(), SollWaarden.value(k + 40)), 12);
    return unsent.contains(k + 40) ? line + UnsentMark : line;
}

QString reportDate(int taalIndex, const QDate& date)
{
    switch (taalIndex) {
    case 1: return QLocale(QLocale::English, QLocale::UnitedKingdom).toString(date, QStringLiteral("d MMMM yyyy"));
    case 2: return QLocale(QLocale::German, QLocale::Germany).toString(date, QStringLiteral("d. MMMM yyyy"));
    default: return QLocale(QLocale::Dutch, QLocale::Netherlands).toString(date, QStringLiteral("d MMMM yyyy"));
    }
}

QString sollwertDecimalenNote()
{
    return texts::Afdrukken("Decimalen").arg(images::setpointDecimals());
}

QString unsentFootnote() { return UnsentMark + QStringLiteral(" ") + texts::Afdrukken("VoetnootNietGezonden"); }

QString unsentNote(int count)
{
    if (count <= 0)
        return QString();
    return count == 1 ? texts::Afdrukken("NietGezonden1") : texts::Afdrukken("NietGezonden").arg(count);
}

QString InitParameterHeader()
{
    QStringList t(5);
    if (app().TaalGeladen) {
        t[0] = texts::EditParam("KolomTekst0");
        t[1] = texts::EditParam("KolomTekst1");
        t[2] = texts::EditParam("KolomTekst2");
        t[3] = texts::EditParam("KolomTekst3");
        t[4] = texts::EditParam("KolomTekst4");
    }
    return parameterHeaderLine(t);
}

QString InitSollwertHeader()
{
    QString no, waarde;
    if (app().TaalGeladen) {
        no = texts::EditSollwert("Kolomtekst_no", QStringLiteral("tekst 0"));
        waarde = texts::EditSollwert("Kolomtekst_waarde", QStringLiteral("tekst 1"));
    }
    return sollwertHeaderLine(no, waarde);
}

// --- page geometry and header -------------------------------------------------------------

ReportWriter::ReportWriter(QPainter& painter, QSize pageSize, ReportHeader header, NewPageFn newPage)
    : m_p(painter), m_page(pageSize), m_header(std::move(header)), m_newPage(std::move(newPage))
{
    const int dpi = painter.device() ? painter.device()->logicalDpiX() : 96;
    PixPerCm = dpi / 2.54;
    LinksX = int(std::trunc(m_page.width() / 2.0 - 8.9 * PixPerCm));
    BovenY = int(std::trunc(2.6 * PixPerCm));
    OnderY = m_page.height() - int(std::trunc(1.2 * PixPerCm));
    setFont(10, false);
    RegelHoogte = textHeight();
    HuidigY = BovenY;
}

void ReportWriter::setFont(int pointSize, bool bold) { m_p.setFont(reportFont(pointSize, bold)); }

int ReportWriter::textHeight() const { return m_p.fontMetrics().height(); }

void ReportWriter::textOut(int x, int y, const QString& text)
{
    // (x, y) is the top left of the text, as the lines are laid out by their tops.
    m_p.drawText(QPoint(x, y + m_p.fontMetrics().ascent()), text);
}

void ReportWriter::PrintPaginaHeader()
{
    const QFont previous = m_p.font();
    setFont(12, true);
    const QFontMetrics fm = m_p.fontMetrics();
    const int h = textHeight();
    const int right = m_page.width() - 100;
    HuidigY = int(std::trunc(PixPerCm / 2));
    m_p.drawLine(100, 50, right, 50);

    const int len = int(std::max({m_header.labelFirma.size(), m_header.labelType.size(), m_header.labelSn.size()}));
    const QString lFirma = padLeft(m_header.labelFirma, len);
    const int w = fm.horizontalAdvance(lFirma + QStringLiteral("  "));

    textOut(LinksX, HuidigY, lFirma);
    textOut(LinksX + w, HuidigY, m_header.firma);
    textOut(right - fm.horizontalAdvance(m_header.datum), HuidigY, m_header.datum);
    HuidigY += h;
    textOut(LinksX, HuidigY, padLeft(m_header.labelType, len));
    textOut(LinksX + w, HuidigY, m_header.type);
    if (!m_header.opmerking.isEmpty()) {
        setFont(10, false);
        textOut(right - m_p.fontMetrics().horizontalAdvance(m_header.opmerking), HuidigY, m_header.opmerking);
        setFont(12, true);
    }
    HuidigY += h;
    const QString page = paginaText(m_header.paginaTekst, PaginaNr);
    textOut(LinksX, HuidigY, padLeft(m_header.labelSn, len));
    textOut(LinksX + w, HuidigY, m_header.sn);
    textOut(right - fm.horizontalAdvance(page), HuidigY, page);
    HuidigY += h;
    m_p.drawLine(100, HuidigY, right, HuidigY);
    m_p.setFont(previous);
}

void ReportWriter::pageBreak(int h)
{
    const int footLine = voetnoot.isEmpty() ? 0 : RegelHoogte;
    if (HuidigY + h <= OnderY - footLine)
        return;
    finishPage();
    if (m_newPage) {
        m_newPage();
    } else if (auto* paged = dynamic_cast<QPagedPaintDevice*>(m_p.device())) {
        paged->newPage();
    }
    ++PaginaNr;
    PrintPaginaHeader();
    HuidigY = BovenY;
}

void ReportWriter::finishPage()
{
    if (!m_marked || voetnoot.isEmpty())
        return;
    m_marked = false;
    const QFont previous = m_p.font();
    setFont(10, false);
    textOut(LinksX, OnderY - RegelHoogte, voetnoot);
    m_p.setFont(previous);
}

void ReportWriter::bodyLine(const QString& text, int advance)
{
    pageBreak(textHeight());
    textOut(LinksX, HuidigY, text);
    HuidigY += advance;
}

// --- parameter report ---------------------------------------------------------------------

bool menuPrinted(int menuNumber)
{
    const IniFile* map = loadedMenuMap();
    if (!map)
        return false;
    const QString section = QString::number(menuNumber);
    return map->hasKey(section, QStringLiteral("ParId1"))
           && map->readInteger(section, QStringLiteral("ParId1"), -1) != -1;
}

int parameterReportRows(int menuNumber)
{
    const IniFile* map = loadedMenuMap();
    if (!map || !menuPrinted(menuNumber))
        return 0;
    return parIdCount(*map, QString::number(menuNumber));
}

QString parameterReportLine(int menuNumber, int k, const QList<int>& unsent)
{
    const QString reference = QStringLiteral("%1.%2.%3").arg(menuNumber / 100).arg(menuNumber % 100).arg(k);
    QString number, name, value, option;
    // A gap in the ParId keys, a -1 inside the counted range or a number without a
    // place in the value store gives a line with only the reference.
    QChar mark = u' ';
    if (const std::optional<int> p = parNoLookup(menuNumber, k); p && ParWaarden.contains(*p)) {
        const qint32 v = ParWaarden.value(*p);
        if (unsent.contains(*p))
            mark = UnsentMark;
        number = parSection(*p);
        if (parExists(number)) {
            name = parNaam(number);
            if (parType(number) == 1)
                option = optionText(parOpties(number), v);
        }
        value = FixedToText(parExists(number) ? parDec(number) : 0, v);
    }
    return padRight(reference, 6) + QStringLiteral("   ") + padRight(number, 3) + QStringLiteral("   ")
           + padRight(name, 38) + padLeft(value, 11) + mark + QStringLiteral("  ") + option;
}

namespace {

void PrintMenuParameters(ReportWriter& w, const QString& kolomKop, int menuNumber, const QList<int>& unsent)
{
    auto kop = [&] {
        w.setFont(10, true);
        w.bodyLine(kolomKop, w.RegelHoogte);
        w.setFont(10, false);
    };
    kop();
    const int n = parameterReportRows(menuNumber);
    for (int k = 1; k <= n; ++k) {
        // A table that goes on over the page gets its column titles again.
        const int page = w.PaginaNr;
        w.pageBreak(w.textHeight());
        if (w.PaginaNr != page)
            kop();
        w.bodyLine(parameterReportLine(menuNumber, k, unsent), w.RegelHoogte);
        if (const std::optional<int> p = parNoLookup(menuNumber, k); p && unsent.contains(*p))
            w.markOnPage();
    }
    w.HuidigY += w.RegelHoogte;
}

} // namespace

void drawParameterReport(QPainter& painter, QSize pageSize, const ReportHeader& header,
                         const QString& kolomKop, const QStringList& treeLines, NewPageFn newPage,
                         const QList<int>& unsent)
{
    ReportWriter w(painter, pageSize, header, std::move(newPage));
    if (!unsent.isEmpty())
        w.voetnoot = unsentFootnote();
    w.PrintPaginaHeader();
    w.HuidigY = w.BovenY;
    if (treeLines.isEmpty())
        return;

    w.setFont(14, true);
    w.textOut(w.LinksX, w.HuidigY, treeLines.constFirst());
    w.HuidigY += w.textHeight();

    int group = 0, sub = 0;
    QString groupText, subText;
    for (qsizetype i = 1; i < treeLines.size(); ++i) {
        const QString& line = treeLines[i];
        if (line.startsWith(QStringLiteral("\t\t"))) {
            ++sub;
            subText = trimControls(line);
        } else if (line.startsWith(u'\t')) {
            group += 100;
            sub = 0;
            groupText = trimControls(line);
            subText.clear();
        } else {
            continue;
        }
        const int menuNumber = group + sub;
        if (!menuPrinted(menuNumber))
            continue;
        const QString heading = subText.isEmpty() ? groupText : groupText + QStringLiteral(" > ") + subText;
        w.setFont(12, true);
        w.pageBreak(2 * w.textHeight());
        w.textOut(w.LinksX, w.HuidigY, heading);
        w.HuidigY += w.textHeight();
        PrintMenuParameters(w, kolomKop, menuNumber, unsent);
    }
    w.finishPage();
}

ReportHeader currentReportHeader()
{
    const AppState& s = app();
    ReportHeader h;
    if (s.TaalGeladen) {
        h.labelFirma = texts::Afdrukken("LabelFirma");
        h.labelType = texts::Afdrukken("LabelType");
        h.labelSn = texts::Afdrukken("LabelSn");
        h.paginaTekst = texts::Afdrukken("TekstPagina");
    }
    h.firma = s.AfdrukFirma;
    h.type = s.AfdrukType;
    h.sn = s.AfdrukSn;
    h.datum = reportDate(s.TaalIndex, QDate::currentDate());
    return h;
}

void drawLinesReport(QPainter& painter, QSize pageSize, const ReportHeader& header, const QString& title,
                     const QStringList& lines, NewPageFn newPage)
{
    ReportWriter w(painter, pageSize, header, std::move(newPage));
    w.PrintPaginaHeader();
    w.HuidigY = w.BovenY;
    w.setFont(14, true);
    w.textOut(w.LinksX, w.HuidigY, title);
    w.HuidigY += 2 * w.textHeight();
    w.setFont(9, false);
    for (const QString& line : lines)
        w.bodyLine(line, w.RegelHoogte);
}

// --- setpoint report ----------------------------------------------------------------------

void drawSollwertReport(QPainter& painter, QSize pageSize, const ReportHeader& header,
                        const QString& kolomKop, const QString& sollTitel, NewPageFn newPage,
                        const QList<int>& unsent)
{
    // Printed as the editor shows them, so the reader is told the decimals.
    ReportHeader h = header;
    if (h.opmerking.isEmpty())
        h.opmerking = sollwertDecimalenNote();
    ReportWriter w(painter, pageSize, h, std::move(newPage));
    if (!unsent.isEmpty())
        w.voetnoot = unsentFootnote();
    w.PrintPaginaHeader();
    w.HuidigY = w.BovenY;
    w.setFont(14, true);
    w.textOut(w.LinksX, w.HuidigY, sollTitel);
    const int titleHeight = w.textHeight();
    // The count of unsent values on the title's line, right-aligned: the header's
    // note line already tells the decimals.
    if (const QString note = unsentNote(int(unsent.size())); !note.isEmpty()) {
        w.setFont(10, false);
        const int right = w.pageWidth() - 100;
        w.textOut(right - painter.fontMetrics().horizontalAdvance(note), w.HuidigY + titleHeight - w.textHeight(), note);
    }
    w.HuidigY += titleHeight;
    w.setFont(10, true);
    w.textOut(w.LinksX, w.HuidigY, kolomKop);
    w.HuidigY += w.textHeight();
    w.setFont(10, false);
    // The table fits an A4 or Letter page; a smaller page continues on the next one
    // instead of losing the lines below its edge.
    for (int k = 1; k <= 40; ++k) {
        w.bodyLine(sollwertLine(k, unsent), w.RegelHoogte);
        if (unsent.contains(k) || unsent.contains(k + 40))
            w.markOnPage();
    }
    w.finishPage();
}

} // namespace vx
