#include "core/RtfReader.h"

#include "core/Cp1252.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTextTableFormat>
#include <algorithm>
#include <optional>

namespace vx {

namespace {

constexpr int kDefaultHalfPoints = 24;

int twipsToPx(qint64 twips)
{
    return int(std::clamp<qint64>(twips, -31680, 31680) / 15); // 96 dpi; at most 22 inches
}

enum class Dest { Normal,
                  FontTable,
                  FontEntry,
                  ColorTable,
                  Skip };

struct CharState {
    bool bold = false, italic = false, underline = false, strike = false;
    int halfPoints = kDefaultHalfPoints;
    int font = -1;
    int colour = 0;
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
    QList<int> tabs;
    bool inTable = false;
};

struct GroupState {
    Dest dest = Dest::Normal;
    CharState ch;
    ParaState para;
    int uc = 1;
};

struct Run {
    QString text;
    CharState ch;
};
struct Para {
    ParaState fmt;
    QList<Run> runs;
};
struct Block {
    bool isRow = false;
    Para para;
    QList<QList<Para>> cells;
};

class Parser {
public:
    explicit Parser(const QByteArray& data) : m_data(data) { }

    RtfResult run();
    void render(QTextDocument* doc) const;

private:
    bool fail(const QString& message)
    {
        if (m_result.ok) {
            m_result.ok = false;
            m_result.errorKind = QStringLiteral("EParserError");
            m_result.message = message;
        }
        return false;
    }
    bool controlWord();
    bool controlSymbol(char c);
    void word(const QByteArray& name, bool hasParam, qint64 param);
    void addChar(QChar c);
    void addText(const QString& s);
    void endParagraph();
    void endCell();
    void endRow();
    void finish();
    bool countItem();
    void appendBlock(Block b);
    GroupState& st() { return m_stack.last(); }

    QByteArray m_data;
    qsizetype m_pos = 0;
    QList<GroupState> m_stack;
    RtfResult m_result;
    int m_skipChars = 0; // fallback characters still to drop after \uN
    bool m_ignorableNext = false;
    bool m_done = false;
    int m_defaultFont = 0;
    int m_defaultTab = 48; // 720 twips, the word processors' default

    QMap<int, QString> m_fonts;
    int m_fontEntry = -1;
    QString m_fontName;
    QList<std::optional<QColor>> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourSet = false;

    QList<Block> m_blocks;
    Para m_cur;
    bool m_curUsed = false;
    QList<Para> m_cellParas;
    QList<QList<Para>> m_rowCells;
    int m_tableCells = 0;  // cells as written
    int m_cellsBefore = 0; // rendered cells of the tables already closed
    int m_tableRows = 0;   // the table still open: its rows and widest row
    int m_tableCols = 0;
    int m_items = 0;
};

bool Parser::countItem()
{
    if (++m_items > rtf::MaxItems) return fail(QStringLiteral("Document too complex"));
    return true;
}

// Every block goes through here, so the rendered size is known before it is built.
void Parser::appendBlock(Block b)
{
    if (!b.isRow) {
        m_cellsBefore += m_tableRows * m_tableCols;
        m_tableRows = m_tableCols = 0;
        m_blocks.append(std::move(b));
        return;
    }
    const int cols = std::max(m_tableCols, int(b.cells.size()));
    if (qint64(m_tableRows + 1) * cols + m_cellsBefore > rtf::MaxTableCells) {
        fail(QStringLiteral("Table too large"));
        return;
    }
    ++m_tableRows;
    m_tableCols = cols;
    m_blocks.append(std::move(b));
}

RtfResult Parser::run()
{
    qsizetype i = 0;
    while (i < m_data.size() && (m_data[i] == ' ' || m_data[i] == '\r' || m_data[i] == '\n' || m_data[i] == '\t'))
        ++i;
    if (!m_data.mid(i, 5).startsWith("{\\rtf")) {
        fail(QStringLiteral("Not a rich text document"));
        return m_result;
    }
    m_pos = i;
    m_stack.reserve(64);
    while (m_pos < m_data.size() && !m_done && m_result.ok) {
        const char c = m_data[m_pos];
        if (c == '{') {
            ++m_pos;
            if (m_stack.size() >= rtf::MaxDepth) {
                fail(QStringLiteral("Groups nested too deeply"));
                break;
            }
            GroupState g = m_stack.isEmpty() ? GroupState() : m_stack.last();
            if (g.dest == Dest::FontTable) g.dest = Dest::FontEntry;
            m_stack.append(g);
            m_ignorableNext = false;
        } else if (c == '}') {
            ++m_pos;
            if (m_stack.isEmpty()) break;
            if (st().dest == Dest::FontEntry && m_fontEntry >= 0 && !m_fontName.trimmed().isEmpty()) {
                m_fonts.insert(m_fontEntry, m_fontName.trimmed());
                m_fontEntry = -1;
                m_fontName.clear();
            }
            m_stack.removeLast();
            m_skipChars = 0;
            if (m_stack.isEmpty()) m_done = true; // the end of the document
        } else if (c == '\\') {
            ++m_pos;
            if (m_pos >= m_data.size()) break;
            const char n = m_data[m_pos];
            if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
                if (!controlWord()) break;
            } else {
                ++m_pos;
                if (!controlSymbol(n)) break;
            }
        } else if (c == '\r' || c == '\n') {
            ++m_pos;
        } else {
            ++m_pos;
            if (m_stack.isEmpty()) continue;
            addChar(cp1252Char(uint8_t(c)));
        }
    }
    if (m_result.ok && !m_done) fail(QStringLiteral("Unexpected end of document"));
    finish();
    return m_result;
}

bool Parser::controlWord()
{
    const qsizetype start = m_pos;
    while (m_pos < m_data.size()) {
        const char c = m_data[m_pos];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) break;
        ++m_pos;
        if (m_pos - start > rtf::MaxWordLength) return fail(QStringLiteral("Control word too long"));
    }
    const QByteArray name = m_data.mid(start, m_pos - start);
    bool neg = false, hasParam = false;
    qint64 param = 0;
    if (m_pos < m_data.size() && m_data[m_pos] == '-') {
        neg = true;
        ++m_pos;
    }
    int digits = 0;
    while (m_pos < m_data.size() && m_data[m_pos] >= '0' && m_data[m_pos] <= '9') {
        if (++digits > rtf::MaxNumberDigits) return fail(QStringLiteral("Number too long"));
        param = param * 10 + (m_data[m_pos] - '0');
        hasParam = true;
        ++m_pos;
    }
    if (neg) param = -param;
    if (m_pos < m_data.size() && m_data[m_pos] == ' ') ++m_pos;
    if (m_stack.isEmpty()) return true;
    // \bin carries raw bytes that must not be read as text.
    if (name == "bin") {
        m_pos += std::clamp<qint64>(param, 0, m_data.size() - m_pos);
        return true;
    }
    word(name, hasParam, param);
    return true;
}

bool Parser::controlSymbol(char c)
{
    if (m_stack.isEmpty()) return true;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        addChar(QChar::fromLatin1(c));
        break;
    case '~': addChar(QChar(0x00A0)); break;
    case '_': addChar(QChar(0x2011)); break;
    case '-': break; // optional hyphen
    case '*': m_ignorableNext = true; return true;
    case '\r':
    case '\n': endParagraph(); break;
    case '\'': {
        auto hex = [](char h) -> int {
            if (h >= '0' && h <= '9') return h - '0';
            if (h >= 'a' && h <= 'f') return h - 'a' + 10;
            if (h >= 'A' && h <= 'F') return h - 'A' + 10;
            return -1;
        };
        if (m_pos + 2 > m_data.size()) return fail(QStringLiteral("Unexpected end of document"));
        const int hi = hex(m_data[m_pos]), lo = hex(m_data[m_pos + 1]);
        if (hi < 0 || lo < 0) return fail(QStringLiteral("Invalid hexadecimal character"));
        m_pos += 2;
        addChar(cp1252Char(uint8_t(hi * 16 + lo)));
        break;
    }
    default: break;
    }
    m_ignorableNext = false;
    return true;
}

void Parser::word(const QByteArray& w, bool hasParam, qint64 param)
{
    GroupState& g = st();
    const bool ignorable = m_ignorableNext;
    m_ignorableNext = false;
    const int p = int(std::clamp<qint64>(param, -1000000, 1000000));

    // Destinations.
    if (w == "fonttbl") {
        g.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        g.dest = Dest::ColorTable;
        return;
    }
    static const char* const skipped[] = {
        "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer",
        "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable", "listoverridetable",
        "rsidtbl", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
        "filetbl", "revtbl", "pgdsctbl", "generator", "nonshppict", "shpinst", "annotation", "comment"};
    if (ignorable || std::any_of(std::begin(skipped), std::end(skipped), [&](const char* s) { return w == s; })) {
        g.dest = Dest::Skip;
        return;
    }
    if (g.dest == Dest::Skip) return;
    if (g.dest == Dest::ColorTable) {
        if (w == "red") {
            m_red = std::clamp(p, 0, 255);
            m_colourSet = true;
        } else if (w == "green") {
            m_green = std::clamp(p, 0, 255);
            m_colourSet = true;
        } else if (w == "blue") {
            m_blue = std::clamp(p, 0, 255);
            m_colourSet = true;
        }
        return;
    }
    if (g.dest == Dest::FontTable || g.dest == Dest::FontEntry) {
        if (w == "f") {
            m_fontEntry = p;
            m_fontName.clear();
        }
        return;
    }

    // Character formatting.
    const bool on = !hasParam || param != 0;
    CharState& ch = g.ch;
    if (w == "b") ch.bold = on;
    else if (w == "i") ch.italic = on;
    else if (w == "ul") ch.underline = on;
    else if (w == "ulnone") ch.underline = false;
    else if (w == "strike") ch.strike = on;
    else if (w == "fs") ch.halfPoints = hasParam ? std::clamp(p, 2, 400) : kDefaultHalfPoints;
    else if (w == "f") ch.font = p;
    else if (w == "cf") ch.colour = std::max(0, p);
    else if (w == "plain") ch = CharState();
    else if (w == "deff") m_defaultFont = p;
    else if (w == "deftab") m_defaultTab = std::clamp(twipsToPx(param), 8, 400);
    else if (w == "uc") g.uc = std::clamp(p, 0, 10);
    // Paragraph formatting.
    else if (w == "pard") g.para = ParaState();
    else if (w == "ql") g.para.align = Qt::AlignLeft;
    else if (w == "qc") g.para.align = Qt::AlignHCenter;
    else if (w == "qr") g.para.align = Qt::AlignRight;
    else if (w == "qj") g.para.align = Qt::AlignJustify;
    else if (w == "li") g.para.li = twipsToPx(param);
    else if (w == "ri") g.para.ri = twipsToPx(param);
    else if (w == "fi") g.para.fi = twipsToPx(param);
    else if (w == "sb") g.para.sb = std::max(0, twipsToPx(param));
    else if (w == "sa") g.para.sa = std::max(0, twipsToPx(param));
    else if (w == "tx") {
        if (g.para.tabs.size() < 64) g.para.tabs.append(std::max(0, twipsToPx(param)));
    } else if (w == "intbl") g.para.inTable = true;
    // Text.
    // Nested tables are read as their text: a nested row ends a paragraph, a nested
    // cell is a tab.
    else if (w == "par" || w == "page" || w == "sect" || w == "nestrow") endParagraph();
    else if (w == "line") addChar(QChar::LineSeparator);
    else if (w == "tab" || w == "nestcell") addChar(QLatin1Char('\t'));
    else if (w == "cell") endCell();
    else if (w == "row") endRow();
    else if (w == "emdash") addChar(QChar(0x2014));
    else if (w == "endash") addChar(QChar(0x2013));
    else if (w == "bullet") addChar(QChar(0x2022));
    else if (w == "lquote") addChar(QChar(0x2018));
    else if (w == "rquote") addChar(QChar(0x2019));
    else if (w == "ldblquote") addChar(QChar(0x201C));
    else if (w == "rdblquote") addChar(QChar(0x201D));
    else if (w == "u" && hasParam) {
        // Signed 16-bit in the file; larger values are not characters.
        qint64 code = param < 0 ? param + 65536 : param;
        if (code < 0 || code > 0xFFFF) code = 0xFFFD;
        m_skipChars = 0; // a \uN is never the fallback of the one before
        addChar(QChar(char16_t(code)));
        m_skipChars = g.uc;
        return;
    }
}

void Parser::addChar(QChar c)
{
    if (m_stack.isEmpty()) return;
    GroupState& g = st();
    if (g.dest == Dest::Skip) return;
    if (m_skipChars > 0 && g.dest == Dest::Normal) {
        // The fallback text of a \uN character.
        --m_skipChars;
        return;
    }
    if (g.dest == Dest::ColorTable) {
        if (c == QLatin1Char(';')) {
            // Entries past the limit would only cost memory; a \cf to one shows the default colour.
            if (m_colours.size() < rtf::MaxColours)
                m_colours.append(m_colourSet ? std::optional<QColor>(QColor(m_red, m_green, m_blue)) : std::nullopt);
            m_red = m_green = m_blue = 0;
            m_colourSet = false;
        }
        return;
    }
    if (g.dest == Dest::FontTable || g.dest == Dest::FontEntry) {
        if (c == QLatin1Char(';')) {
            if (m_fontEntry >= 0 && !m_fontName.trimmed().isEmpty()) m_fonts.insert(m_fontEntry, m_fontName.trimmed());
            m_fontEntry = -1;
            m_fontName.clear();
        } else if (m_fontName.size() < 64) {
            m_fontName += c;
        }
        return;
    }
    addText(QString(c));
}

void Parser::addText(const QString& s)
{
    const CharState& ch = st().ch;
    m_curUsed = true;
    if (!m_cur.runs.isEmpty() && m_cur.runs.last().ch == ch) m_cur.runs.last().text += s;
    else if (countItem()) m_cur.runs.append(Run{s, ch});
}

void Parser::endParagraph()
{
    if (m_stack.isEmpty() || st().dest != Dest::Normal || !countItem()) return;
    m_cur.fmt = st().para;
    if (m_cur.fmt.inTable) {
        m_cellParas.append(m_cur);
    } else {
        Block b;
        b.para = m_cur;
        appendBlock(std::move(b));
    }
    m_cur = Para();
    m_curUsed = false;
    m_skipChars = 0;
}

void Parser::endCell()
{
    if (m_stack.isEmpty() || st().dest != Dest::Normal || !countItem()) return;
    m_cur.fmt = st().para;
    m_cellParas.append(m_cur);
    m_cur = Para();
    m_curUsed = false;
    if (++m_tableCells > rtf::MaxTableCells) {
        fail(QStringLiteral("Table too large"));
        return;
    }
    // Cells beyond the limit join the last one.
    if (m_rowCells.size() >= rtf::MaxCellsPerRow) m_rowCells.last().append(m_cellParas);
    else m_rowCells.append(m_cellParas);
    m_cellParas.clear();
}

void Parser::endRow()
{
    if (m_stack.isEmpty() || st().dest != Dest::Normal) return;
    if (!m_cellParas.isEmpty()) {
        // Text after the last \cell of the row belongs to no cell; keep it in the last.
        if (m_rowCells.isEmpty()) m_rowCells.append(m_cellParas);
        else m_rowCells.last().append(m_cellParas);
        m_cellParas.clear();
    }
    if (m_rowCells.isEmpty()) return;
    Block b;
    b.isRow = true;
    b.cells = m_rowCells;
    appendBlock(std::move(b));
    m_rowCells.clear();
}

void Parser::finish()
{
    // A last paragraph without \par, an unfinished cell or row (truncated file).
    if (m_curUsed) {
        if (!m_stack.isEmpty()) m_cur.fmt = st().para;
        if (m_cur.fmt.inTable || !m_rowCells.isEmpty()) {
            m_cellParas.append(m_cur);
        } else {
            Block b;
            b.para = m_cur;
            appendBlock(std::move(b));
        }
        m_cur = Para();
        m_curUsed = false;
    }
    if (!m_cellParas.isEmpty() || !m_rowCells.isEmpty()) {
        if (!m_cellParas.isEmpty()) {
            if (m_rowCells.size() >= rtf::MaxCellsPerRow) m_rowCells.last().append(m_cellParas);
            else m_rowCells.append(m_cellParas);
        }
        m_cellParas.clear();
        Block b;
        b.isRow = true;
        b.cells = m_rowCells;
        appendBlock(std::move(b));
        m_rowCells.clear();
    }
}

QTextBlockFormat blockFormat(const ParaState& p)
{
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(std::max(0, p.li));
    f.setRightMargin(std::max(0, p.ri));
    f.setTextIndent(p.fi);
    f.setTopMargin(p.sb);
    f.setBottomMargin(p.sa);
    QList<QTextOption::Tab> tabs;
    for (int t : p.tabs) tabs.append(QTextOption::Tab(t, QTextOption::LeftTab));
    f.setTabPositions(tabs);
    return f;
}

QTextCharFormat charFormat(const CharState& c, const QMap<int, QString>& fonts, int defaultFont,
                           const QList<std::optional<QColor>>& colours)
{
    QTextCharFormat f;
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    f.setFontPointSize(c.halfPoints / 2.0);
    const QString family = fonts.value(c.font >= 0 ? c.font : defaultFont);
    if (!family.isEmpty()) f.setFontFamilies({family});
    if (c.colour > 0 && c.colour < colours.size() && colours.at(c.colour)) f.setForeground(*colours.at(c.colour));
    return f;
}

void Parser::render(QTextDocument* doc) const
{
    doc->clear();
    // Past the last tab stop of a paragraph the default stops apply, as in the word processors.
    QTextOption option = doc->defaultTextOption();
    option.setTabStopDistance(m_defaultTab);
    doc->setDefaultTextOption(option);
    QTextCursor cur(doc);
    // One edit block: otherwise every insert lays its whole paragraph out again, and a
    // paragraph of many short runs takes quadratic time.
    cur.beginEditBlock();
    bool first = true;
    auto putPara = [&](QTextCursor& c, const Para& p, bool newBlock) {
        const QTextBlockFormat bf = blockFormat(p.fmt);
        const QTextCharFormat base = charFormat(p.runs.isEmpty() ? CharState() : p.runs.first().ch, m_fonts,
                                                m_defaultFont, m_colours);
        if (newBlock) c.insertBlock(bf, base);
        else {
            c.setBlockFormat(bf);
            c.setBlockCharFormat(base);
        }
        for (const Run& r : p.runs) c.insertText(r.text, charFormat(r.ch, m_fonts, m_defaultFont, m_colours));
    };
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        const Block& b = m_blocks.at(i);
        if (!b.isRow) {
            putPara(cur, b.para, !first);
            first = false;
            continue;
        }
        // Consecutive rows form one table.
        qsizetype end = i;
        int cols = 1;
        while (end < m_blocks.size() && m_blocks.at(end).isRow) {
            cols = std::max(cols, int(m_blocks.at(end).cells.size()));
            ++end;
        }
        const int rows = int(end - i);
        if (!first) cur.insertBlock();
        first = false;
        QTextTableFormat tf;
        tf.setCellPadding(3);
        tf.setCellSpacing(0);
        tf.setBorder(1);
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        QTextTable* table = cur.insertTable(rows, cols, tf);
        for (int r = 0; r < rows; ++r) {
            const Block& row = m_blocks.at(i + r);
            for (int c = 0; c < row.cells.size() && c < cols; ++c) {
                QTextCursor cc = table->cellAt(r, c).firstCursorPosition();
                bool firstInCell = true;
                for (const Para& p : row.cells.at(c)) {
                    putPara(cc, p, !firstInCell);
                    firstInCell = false;
                }
            }
        }
        cur.movePosition(QTextCursor::End);
        i = end - 1;
    }
    cur.endEditBlock();
    cur.movePosition(QTextCursor::Start);
}

} // namespace

RtfResult rtfToDocument(const QByteArray& data, QTextDocument* doc)
{
    if (data.size() > rtf::MaxFileSize) {
        doc->clear();
        return RtfResult{false, QStringLiteral("EParserError"), QStringLiteral("Document too large")};
    }
    Parser parser(data);
    RtfResult result = parser.run();
    parser.render(doc);
    return result;
}

QString rtfToHtml(const QByteArray& data, RtfResult* result)
{
    QTextDocument doc;
    const RtfResult r = rtfToDocument(data, &doc);
    if (result) *result = r;
    return doc.toHtml();
}

RtfResult loadRtfFile(const QString& path, QTextDocument* doc)
{
    QFile f(path);
    if (QFileInfo(path).size() > rtf::MaxFileSize) {
        doc->clear();
        return RtfResult{false, QStringLiteral("EParserError"), QStringLiteral("Document too large")};
    }
    if (!f.open(QIODevice::ReadOnly)) {
        doc->clear();
        return RtfResult{false, QStringLiteral("EFOpenError"),
                         QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString())};
    }
    return rtfToDocument(f.read(rtf::MaxFileSize + 1), doc);
}

} // namespace vx
