// The RTF reader: the shipped help documents, formatting, tables, and hostile input.
#include "core/RtfReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

using namespace vx;

namespace {

QString dataDir()
{
    return qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + QLatin1Char('/');
}

// The character format at the first occurrence of text.
QTextCharFormat formatAt(QTextDocument& doc, const QString& text)
{
    QTextCursor c = doc.find(text);
    if (c.isNull()) return {};
    c.setPosition(c.selectionStart() + 1);
    return c.charFormat();
}

} // namespace

class TstRtf : public QObject {
    Q_OBJECT
private slots:
    void helpDocuments_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("decoded"); // needs \'hh in the document
        QTest::newRow("Dutch") << "ErrorHelp0.rtf"
                               << "Fout 1" << QString::fromUtf8("\u201c");
        QTest::newRow("English") << "ErrorHelp1.rtf"
                                 << "Error 1" << QString::fromUtf8("\u201cVX50");
        QTest::newRow("German") << "ErrorHelp2.rtf"
                                << "Fehler 21" << QString::fromUtf8("Analogausgang \u00fcberlastet");
    }
    void helpDocuments()
    {
        QFETCH(QString, file);
        QFETCH(QString, heading);
        QFETCH(QString, decoded);
        QTextDocument doc;
        const RtfResult r = loadRtfFile(dataDir() + file, &doc);
        QVERIFY2(r.ok, qPrintable(r.message));
        const QString text = doc.toPlainText();
        QVERIFY2(text.contains(heading), qPrintable(text.left(300)));
        QVERIFY(text.contains(decoded));
        QVERIFY(!text.contains(QLatin1String("fonttbl")));
        QVERIFY(!text.contains(QLatin1String("Arial;")));
        QVERIFY(!text.contains(QLatin1Char('\\')));
        // Headings are bold, the title centred.
        QVERIFY(formatAt(doc, heading).fontWeight() == QFont::Bold);
        QCOMPARE(doc.firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(doc.firstBlock().charFormat().fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    }

    void formatting()
    {
        const QByteArray rtf =
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fmodern Courier New;}}"
            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
            "{\\*\\generator Hidden Writer 1.0;}{\\info{\\title Secret}}"
            "\\pard\\qc\\fs40 Big\\par"
            "\\pard plain {\\b bold} {\\i italic} {\\ul under}\\ulnone  {\\f1 mono} {\\cf1 red}\\par"
            "\\pard\\li900\\fi-900\\tx900 Cause:\\tab text\\par"
            "\\uc1 A\\u8364?B \\u-4064?C \\u65?\\u66? \\'93q\\'94 \\'e9 \\~x\\emdash\\line y\\par}";
        QTextDocument doc;
        const RtfResult r = rtfToDocument(rtf, &doc);
        QVERIFY2(r.ok, qPrintable(r.message));
        const QString text = doc.toPlainText();
        QVERIFY(!text.contains(QLatin1String("Hidden")));
        QVERIFY(!text.contains(QLatin1String("Secret")));
        QVERIFY(text.contains(QStringLiteral("A\u20acB"))); // \u with its fallback dropped
        QVERIFY(text.contains(QStringLiteral("\uf020C")));  // negative = above 32767
        QVERIFY(text.contains(QStringLiteral("C AB ")));
        QVERIFY2(doc.toRawText().contains(QStringLiteral("\u201cq\u201d \u00e9 \u00a0x\u2014")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Cause:\ttext")));
        QCOMPARE(doc.firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(formatAt(doc, QStringLiteral("Big")).fontPointSize(), 20.0);
        QVERIFY(formatAt(doc, QStringLiteral("bold")).fontWeight() == QFont::Bold);
        QVERIFY(formatAt(doc, QStringLiteral("plain")).fontWeight() != QFont::Bold);
        QVERIFY(formatAt(doc, QStringLiteral("italic")).fontItalic());
        QVERIFY(!formatAt(doc, QStringLiteral("bold")).fontItalic()); // a group's format ends with it
        QVERIFY(formatAt(doc, QStringLiteral("under")).fontUnderline());
        QCOMPARE(formatAt(doc, QStringLiteral("mono")).fontFamilies().toStringList().value(0),
                 QStringLiteral("Courier New"));
        QCOMPARE(formatAt(doc, QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
        const QTextBlock hanging = doc.find(QStringLiteral("Cause:")).block();
        QCOMPARE(hanging.blockFormat().leftMargin(), 60.0);
        QCOMPARE(hanging.blockFormat().textIndent(), -60.0);
        QCOMPARE(hanging.blockFormat().tabPositions().value(0).position, 60.0);
    }

    void tables()
    {
        const QByteArray rtf =
            "{\\rtf1\\ansi Before\\par"
            "\\trowd\\cellx1000\\cellx2000\\cellx3000"
            "\\intbl Nr\\cell\\intbl {\\b Text}\\cell\\intbl Remedy\\cell\\row"
            "\\trowd\\cellx1000\\cellx2000\\cellx3000"
            "\\intbl 1\\cell\\intbl SSI\\par second line\\cell\\intbl Check\\cell\\row"
            "\\pard After\\par}";
        QTextDocument doc;
        const RtfResult r = rtfToDocument(rtf, &doc);
        QVERIFY2(r.ok, qPrintable(r.message));
        QTextTable* table = nullptr;
        for (QTextFrame* f : doc.rootFrame()->childFrames())
            if ((table = qobject_cast<QTextTable*>(f))) break;
        QVERIFY(table);
        QCOMPARE(table->rows(), 2);
        QCOMPARE(table->columns(), 3);
        auto cellText = [&](int row, int c) {
            QTextCursor a = table->cellAt(row, c).firstCursorPosition();
            a.setPosition(table->cellAt(row, c).lastCursorPosition().position(), QTextCursor::KeepAnchor);
            return a.selectedText();
        };
        QCOMPARE(cellText(0, 1), QStringLiteral("Text"));
        QCOMPARE(cellText(1, 1), QStringLiteral("SSI\u2029second line"));
        QCOMPARE(cellText(1, 2), QStringLiteral("Check"));
        QVERIFY(doc.toPlainText().startsWith(QLatin1String("Before")));
        QVERIFY(doc.toPlainText().endsWith(QLatin1String("After")));
        QVERIFY(rtfToHtml(rtf).contains(QLatin1String("<table")));
    }

    // Hostile or broken documents: an error or a sound reading, in bounded time.
    void malformed_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("keeps"); // text read before the fault

        QTest::newRow("empty") << QByteArray() << false << "";
        QTest::newRow("plain text") << QByteArray("Error 1: broken cable") << false << "";
        QTest::newRow("truncated") << QByteArray("{\\rtf1\\ansi {\\b Error 1}\\par Cau") << false << "Error 1";
        QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 good}}}} junk") << true << "good";
        QTest::newRow("too deep") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}"
                                  << false << "";
        QTest::newRow("long control word") << QByteArray("{\\rtf1 a\\") + QByteArray(100000, 'x') + " b}" << false << "a";
        QTest::newRow("huge number") << QByteArray("{\\rtf1 a\\fs99999999999999999999 b}") << false << "a";
        QTest::newRow("big but valid numbers")
            << QByteArray("{\\rtf1\\fs2000000000\\li-2000000000\\tx2147483647\\cf999\\f-5 ok\\par}") << true << "ok";
        QTest::newRow("unicode out of range") << QByteArray("{\\rtf1 \\u99999 \\u-99999 \\uc100000 \\u65 abcdefghijklmnopx}") << true << "klmnopx";
        QTest::newRow("hex cut off") << QByteArray("{\\rtf1 a\\'") << false << "a";
        QTest::newRow("backslash at end") << QByteArray("{\\rtf1 a\\") << false << "a";
        QTest::newRow("bin past the end") << QByteArray("{\\rtf1 a\\bin999999999 b}") << false << "a";
        QTest::newRow("nul and high bytes") << QByteArray("{\\rtf1 a\0\xff\xfe b}", 14) << true << "a";
        QTest::newRow("cells without rows") << QByteArray("{\\rtf1\\intbl a\\cell b\\cell") << false << "a";
        QByteArray wide("{\\rtf1\\trowd ");
        for (int i = 0; i < 1000; ++i) wide += "\\intbl c\\cell ";
        QTest::newRow("very wide row") << wide + "\\row}" << true << "c";
        QByteArray many("{\\rtf1 ");
        for (int i = 0; i < rtf::MaxTableCells + 10; ++i) many += "\\cell";
        QTest::newRow("too many cells") << many + "}" << false << "";
        // Rendering widens every row to the widest, so this is 64 x 19901 cells.
        QByteArray widened("{\\rtf1\\trowd ");
        for (int i = 0; i < rtf::MaxCellsPerRow; ++i) widened += "\\intbl c\\cell ";
        widened += "\\row ";
        for (int i = 0; i < 19900; ++i) widened += "\\intbl d\\cell\\row ";
        QTest::newRow("narrow rows under a wide one") << widened + "}" << false << "c";
        QByteArray runs("{\\rtf1 ");
        for (int i = 0; i <= rtf::MaxItems / 2; ++i) runs += "\\b x\\b0 y";
        QTest::newRow("too many runs") << runs + "}" << false << "xy";
    }
    void malformed()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(bool, ok);
        QFETCH(QString, keeps);
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("old content"));
        QElapsedTimer t;
        t.start();
        const RtfResult r = rtfToDocument(rtf, &doc);
        QVERIFY(t.elapsed() < 20000);
        QCOMPARE(r.ok, ok);
        if (!ok) {
            QCOMPARE(r.errorKind, QStringLiteral("EParserError"));
            QVERIFY(!r.message.isEmpty());
        }
        QVERIFY(!doc.toPlainText().contains(QLatin1String("old content")));
        QVERIFY2(doc.toPlainText().contains(keeps), qPrintable(doc.toPlainText().left(200)));
        int cells = 0;
        for (QTextFrame* f : doc.rootFrame()->childFrames())
            if (const auto* table = qobject_cast<QTextTable*>(f)) {
                QVERIFY(table->columns() <= rtf::MaxCellsPerRow);
                cells += table->rows() * table->columns();
            }
        QVERIFY(cells <= rtf::MaxTableCells);
    }

    void missingAndOversizedFiles()
    {
        QTextDocument doc;
        RtfResult r = loadRtfFile(QStringLiteral("/nonexistent/ErrorHelp1.rtf"), &doc);
        QVERIFY(!r.ok);
        QCOMPARE(r.errorKind, QStringLiteral("EFOpenError"));
        r = rtfToDocument(QByteArray("{\\rtf1 ") + QByteArray(rtf::MaxFileSize, 'a') + "}", &doc);
        QVERIFY(!r.ok);
    }
};

QTEST_MAIN(TstRtf)
#include "tst_rtf.moc"
