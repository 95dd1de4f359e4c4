#pragma once
// A small rich-text (RTF) reader for the help documents: groups, font and colour
// tables, bold/italic/underline, font size and colour, paragraphs with alignment,
// indents and tab stops, \'hh and \uN characters, simple tables (\cell, \row), and
// skipped destinations ({\* ...}, pictures, style sheets, document info).
//
// The input is untrusted: nesting depth, token lengths, numbers, table sizes and the
// file size are bounded. A malformed document gives an error (ok false) and the part
// read before the fault, never a crash or an endless loop. \'hh characters and 8-bit
// text are read in code page 1252, the one our documents use.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace vx {

struct RtfResult {
    bool ok = true;
    QString errorKind; // "EParserError" for a malformed document, "EFOpenError" for a file
    QString message;
};

namespace rtf {
inline constexpr int MaxDepth = 200;
inline constexpr int MaxWordLength = 32;
inline constexpr int MaxNumberDigits = 10;
inline constexpr int MaxCellsPerRow = 64;
// Cells as rendered: every row of a table is widened to its widest row, so a table
// costs rows x widest row, summed over the document.
inline constexpr int MaxTableCells = 20000;
// Paragraphs and formatted runs together; with the cells this bounds the time and
// memory the document takes to build, whatever the file holds.
inline constexpr int MaxItems = 50000;
inline constexpr int MaxColours = 1024;
inline constexpr qsizetype MaxFileSize = 8 * 1024 * 1024;
} // namespace rtf

// Replaces the content of doc with the document in data (what was read before a
// fault stays in doc).
RtfResult rtfToDocument(const QByteArray& data, QTextDocument* doc);
// The document as HTML (for tests and for viewers that take HTML).
QString rtfToHtml(const QByteArray& data, RtfResult* result = nullptr);
// Reads the file and fills doc.
RtfResult loadRtfFile(const QString& path, QTextDocument* doc);

} // namespace vx
