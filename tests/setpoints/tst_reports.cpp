#include "core/AppState.h"
#include "core/IniFile.h"
#include "params/EditParam.h"
#include "params/ParTree.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "setpoints/AfdrukkenPar.h"
#include "setpoints/AfdrukkenSoll.h"
#include "setpoints/Reports.h"
#include "support/InProcessUnit.h"
#include "support/ScriptedUi.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

// A page that remembers every text and line drawn on it, by page.
class RecordingEngine : public QPaintEngine {
public:
    struct Text {
        int page;
        QPointF baseline;
        QString text;
        QFont font;
    };
    QList<Text> texts;
    QList<QPair<int, QLineF>> lines;
    int page = 1;

    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) { }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override { }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { }
    Type type() const override { return QPaintEngine::User; }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.append({page, p, item.text(), item.font()});
    }
    void drawLines(const QLineF* l, int n) override
    {
        for (int i = 0; i < n; ++i)
            lines.append({page, l[i]});
    }

    QStringList textsOn(int p) const
    {
        QStringList out;
        for (const auto& t : texts)
            if (t.page == p)
                out << t.text;
        return out;
    }
    QStringList allTexts() const
    {
        QStringList out;
        for (const auto& t : texts)
            out << t.text;
        return out;
    }
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(QSize size, int dpi) : m_size(size), m_dpi(dpi) { }
    RecordingEngine engine;
    QPaintEngine* paintEngine() const override { return const_cast<RecordingEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return int(m_size.width() * 25.4 / m_dpi);
        case PdmHeightMM: return int(m_size.height() * 25.4 / m_dpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return m_dpi;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    int m_dpi;
};

// An A4 page at 300 dpi, in device pixels.
const QSize A4(2480, 3508);
constexpr int Dpi = 300;

ReportHeader header()
{
    ReportHeader h;
    h.labelFirma = QStringLiteral("Firma:");
    h.labelType = QStringLiteral("Type:");
    h.labelSn = QStringLiteral("Serie nummer:");
    h.firma = QStringLiteral("ACME");
    h.type = QStringLiteral("VX51");
    h.sn = QStringLiteral("1234");
    h.paginaTekst = QStringLiteral("P");
    h.datum = QStringLiteral("07-12-2026");
    return h;
}

struct Recorded {
    std::unique_ptr<RecordingDevice> dev;
    RecordingEngine& engine() { return dev->engine; }
};

Recorded drawParameters(const QStringList& tree, QSize page = A4, const ReportHeader& h = header(),
                        const QList<int>& unsent = {})
{
    Recorded r{std::make_unique<RecordingDevice>(page, Dpi)};
    QPainter p(r.dev.get());
    RecordingEngine* e = &r.dev->engine;
    drawParameterReport(
        p, page, h, QStringLiteral("KOLOMKOP"), tree, [e] { ++e->page; }, unsent);
    return r;
}

void useDefinitions(const QString& parameters, const QString& parNo)
{
    app().ParameterDef = IniFile::fromText(parameters);
    app().ParameterDefGeladen = true;
    app().ParamNo = IniFile::fromText(parNo);
    app().ParamNoGeladen = true;
}

const QStringList ExampleTree = {QStringLiteral("Machine"), QStringLiteral("\tAxis"), QStringLiteral("\t\tSpeed"),
                                 QStringLiteral("\tCams")};

// The line of one parameter as the report lays it out.
QString line(const QString& ref, const QString& nr, const QString& name, const QString& value, const QString& option)
{
    return ref.leftJustified(6) + "   " + nr.leftJustified(3) + "   " + name.leftJustified(38)
           + value.rightJustified(11) + "   " + option;
}

// The character at i, a blank past the end.
QChar at(const QString& s, int i) { return i < s.size() ? s.at(i) : QChar(u' '); }

// The first text that starts with prefix.
QString rowStarting(const QStringList& texts, const QString& prefix)
{
    for (const QString& t : texts)
        if (t.startsWith(prefix))
            return t;
    return QString();
}

} // namespace

class TstReports : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        resetValueStore();
        app().TaalIndex = 0;
        app().TaalFile.reset();
        app().TaalGeladen = false;
        app().ParameterDef.reset();
        app().ParameterDefGeladen = false;
        app().ParamNo.reset();
        app().ParamNoGeladen = false;
    }
    void cleanup() { setUiSeams(nullptr); }

    void menusWalkedFromTheTree()
    {
        useDefinitions("[001]\nnaam0=Een\n[002]\nnaam0=Twee\n[003]\nnaam0=Drie\n",
                       "[100]\nParId1=1\n[101]\nParId1=2\n[200]\nParId1=3\n");
        ParWaarden[1] = 11;
        ParWaarden[2] = 22;
        ParWaarden[3] = 33;
        auto r = drawParameters(ExampleTree);
        QStringList body = r.engine().allTexts();
        body = body.mid(body.indexOf(QStringLiteral("Machine")));
        const QStringList expected = {
            "Machine",
            "Axis",
            "KOLOMKOP",
            line("1.0.1", "001", "Een", "11", ""),
            "Axis > Speed",
            "KOLOMKOP",
            line("1.1.1", "002", "Twee", "22", ""),
            "Cams",
            "KOLOMKOP",
            line("2.0.1", "003", "Drie", "33", ""),
        };
        QCOMPARE(body, expected);
    }

    void skippedMenusAndLineContents_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("parNo");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("body"); // what follows the title

        const QString def = "[007]\nnaam0=Snelheid\ndec=2\n[009]\nnaam0=Modus\ntype=1\nopties0=Uit,Aan,Auto\n";
        QTest::newRow("ParId1 -1 skips the menu, heading too")
            << def << "[100]\nParId1=-1\nParId2=7\n[101]\nParId2=7\n[200]\nParId1=7\n"
            << -5
            << QStringList{"Cams", "KOLOMKOP", line("2.0.1", "007", "Snelheid", "-0,05", "")};
        QTest::newRow("option overflow mark")
            << def << "[200]\nParId1=9\n"
            << 7
            << QStringList{"Cams", "KOLOMKOP", line("2.0.1", "009", "Modus", "7", "########")};
        QTest::newRow("option text")
            << def << "[200]\nParId1=9\n"
            << 2
            << QStringList{"Cams", "KOLOMKOP", line("2.0.1", "009", "Modus", "2", "Auto")};
        // Two keys counted: the gap at ParId2 prints only its reference, ParId3 is not reached.
        QTest::newRow("gap in the keys")
            << def << "[200]\nParId1=7\nParId3=9\n"
            << 100
            << QStringList{"Cams", "KOLOMKOP", line("2.0.1", "007", "Snelheid", "1,00", ""), line("2.0.2", "", "", "", "")};
        QTest::newRow("number outside the value store")
            << def << "[200]\nParId1=7\nParId2=600\n"
            << 1
            << QStringList{"Cams", "KOLOMKOP", line("2.0.1", "007", "Snelheid", "0,01", ""), line("2.0.2", "", "", "", "")};
        QTest::newRow("parameter without definition")
            << def << "[200]\nParId1=12\n"
            << -1234
            << QStringList{"Cams", "KOLOMKOP", line("2.0.1", "012", "", "-1234", "")};
    }
    void skippedMenusAndLineContents()
    {
        QFETCH(QString, parameters);
        QFETCH(QString, parNo);
        QFETCH(int, value);
        QFETCH(QStringList, body);
        useDefinitions(parameters, parNo);
        ParWaarden[7] = value;
        ParWaarden[9] = value;
        ParWaarden[12] = value;
        auto r = drawParameters(ExampleTree);
        const QStringList all = r.engine().allTexts();
        QCOMPARE(all.mid(all.indexOf(QStringLiteral("Machine")) + 1), body);
    }

    void noMenusWithoutDefinitions()
    {
        useDefinitions("[001]\nnaam0=Een\n", "[100]\nParId1=1\n");
        app().ParameterDefGeladen = false;
        auto r = drawParameters(ExampleTree);
        const QStringList all = r.engine().allTexts();
        QCOMPARE(all.constLast(), QStringLiteral("Machine"));
        // Without a tree file only the page header is printed.
        auto empty = drawParameters({});
        QVERIFY(!empty.engine().allTexts().contains(QStringLiteral("KOLOMKOP")));
        QCOMPARE(empty.engine().lines.size(), 2);
        // Without language texts the column header is a line of blanks.
        QCOMPARE(InitParameterHeader(), QString(85, u' '));
    }

    void pageHeader()
    {
        RecordingDevice dev(A4, Dpi);
        QPainter p(&dev);
        ReportHeader h = header();
        h.firma.clear();
        ReportWriter w(p, A4, h, [] {});
        w.PaginaNr = 12;
        w.PrintPaginaHeader();
        const auto& t = dev.engine.texts;
        auto find = [&](const QString& s) {
            for (const auto& x : t)
                if (x.text == s)
                    return x;
            return RecordingEngine::Text{0, {}, {}, {}};
        };
        // Labels end in one column, values start in one column.
        QVERIFY(find("       Firma:").font.bold());
        QCOMPARE(find("        Type:").baseline.x(), find("       Firma:").baseline.x());
        QCOMPARE(find(QStringLiteral("P  12")).text, QStringLiteral("P  12"));
        QCOMPARE(find("VX51").baseline.x(), find("1234").baseline.x());
        QVERIFY(find("VX51").baseline.x() > find("Serie nummer:").baseline.x());
        QVERIFY(!find("07-12-2026").text.isEmpty());
        QVERIFY(find("07-12-2026").baseline.x() > A4.width() / 2);
        QCOMPARE(dev.engine.lines.size(), 2);
        QCOMPARE(dev.engine.lines[0].second, QLineF(100, 50, A4.width() - 100, 50));
        QCOMPARE(paginaText("P", 1), QStringLiteral("P   1"));
        QCOMPARE(paginaText("Pagina", 123), QStringLiteral("Pagina 123"));
    }

    void pageBreaksStayAboveTheBottom()
    {
        // Eight menus of forty parameters on a half-height page: several pages.
        QString parNo;
        QStringList tree = {QStringLiteral("Titel")};
        for (int g = 1; g <= 8; ++g) {
            tree << QStringLiteral("\tGroep %1").arg(g);
            parNo += QStringLiteral("[%1]\n").arg(g * 100);
            for (int k = 1; k <= 40; ++k)
                parNo += QStringLiteral("ParId%1=%2\n").arg(k).arg(g * 40 + k);
        }
        useDefinitions(QString(), parNo);
        const QSize page(A4.width(), A4.height() / 2);
        auto r = drawParameters(tree, page);
        RecordingDevice probe(page, Dpi);
        QPainter p(&probe);
        ReportWriter geometry(p, page, header());
        const int pages = r.engine().page;
        QVERIFY(pages >= 6);
        int headings = 0;
        for (const auto& t : r.engine().texts) {
            const QFontMetrics fm(t.font, &probe);
            QVERIFY2(t.baseline.y() + fm.descent() <= geometry.OnderY, qPrintable(t.text));
            if (t.text.startsWith(QStringLiteral("Groep")))
                ++headings;
        }
        QCOMPARE(headings, 8);
        for (int n = 1; n <= pages; ++n)
            QVERIFY(r.engine().textsOn(n).contains(paginaText("P", n)));
        // A page that goes on with a menu's table starts with its column titles.
        for (int n = 2; n <= pages; ++n) {
            const QStringList on = r.engine().textsOn(n);
            const QString first = on.value(on.indexOf(paginaText("P", n)) + 1);
            QVERIFY2(first == QStringLiteral("KOLOMKOP") || first.startsWith(QStringLiteral("Groep")),
                     qPrintable(first));
        }
        QVERIFY(r.engine().allTexts().count(QStringLiteral("KOLOMKOP")) > 8);
    }

    // Each setpoint as the editor shows it, with the decimals of parameter 203, and the
    // page header says which.
    void setpointReportWithDecimals_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line40");
        QTest::addColumn<QString>("note");
        QTest::newRow("none") << 0 << "1                1250          41                  0"
                              << "40                  0          80             -99999"
                              << "Waarden met 0 decimalen (parameter 203)";
        QTest::newRow("two") << 2 << "1               12,50          41               0,00"
                             << "40               0,00          80            -999,99"
                             << "Waarden met 2 decimalen (parameter 203)";
        QTest::newRow("four") << 4 << "1              0,1250          41             0,0000"
                              << "40             0,0000          80            -9,9999"
                              << "Waarden met 4 decimalen (parameter 203)";
    }
    void setpointReportWithDecimals()
    {
        QFETCH(int, decimals);
        QFETCH(QString, line1);
        QFETCH(QString, line40);
        QFETCH(QString, note);
        ParWaarden[ParDecimalsParameter] = decimals;
        SollWaarden[1] = 1250;
        SollWaarden[80] = -99999;
        RecordingDevice dev(A4, Dpi);
        {
            QPainter p(&dev);
            drawSollwertReport(p, A4, header(), sollwertHeaderLine("Nr", "Waarde"), QStringLiteral("Sollwerten"));
        }
        const QStringList texts = dev.engine.allTexts();
        QCOMPARE(texts.value(texts.indexOf(QStringLiteral("Sollwerten")) + 2), line1);
        QCOMPARE(texts.value(texts.indexOf(QStringLiteral("Sollwerten")) + 41), line40);
        // The note stands on the type line, right-aligned.
        QVERIFY(texts.contains(note));
        for (const auto& t : dev.engine.texts)
            if (t.text == note)
                QVERIFY(t.baseline.x() > A4.width() / 2);
    }

    void reportDateInTheProgramsLanguage_data()
    {
        QTest::addColumn<int>("taal");
        QTest::addColumn<QString>("date");
        QTest::newRow("Dutch") << 0 << "8 december 2026";
        QTest::newRow("English") << 1 << "8 December 2026";
        QTest::newRow("German") << 2 << "8. Dezember 2026";
    }
    void reportDateInTheProgramsLanguage()
    {
        QFETCH(int, taal);
        QFETCH(QString, date);
        QCOMPARE(reportDate(taal, QDate(2026, 12, 8)), date);
        app().TaalIndex = taal;
        QCOMPARE(currentReportHeader().datum, reportDate(taal, QDate::currentDate()));
    }

    // Empty type and serial fields are offered the connected controller's "rt" and
    // "rx"; what the user kept stays, and without a connection nothing is offered.
    void typeAndSerialOfferedFromTheController_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("sn");
        QTest::newRow("empty, connected") << true << ""
                                          << "VX50 V2.04"
                                          << "SN 51000";
        QTest::newRow("kept, connected") << true << "VX51"
                                         << "VX51"
                                         << "SN 51000";
        QTest::newRow("empty, not connected") << false << ""
                                              << ""
                                              << "";
    }
    void typeAndSerialOfferedFromTheController()
    {
        QFETCH(bool, connected);
        QFETCH(QString, kept);
        QFETCH(QString, type);
        QFETCH(QString, sn);
        test::singleUnitAt38400();
        QObject owner;
        if (connected)
            QVERIFY(test::openCom1At38400(&owner)->Active());
        const auto forget = qScopeGuard([] { app().SXComm1 = nullptr; });
        app().ApparaatRt = QStringLiteral("VX50 V2.04");
        app().ApparaatRx = QStringLiteral("SN 51000");
        app().AfdrukType = kept;
        app().AfdrukSn.clear();
        for (TFormAfdrukken* dlg : std::initializer_list<TFormAfdrukken*>{new TFormAfdrukkenSoll, new TFormAfdrukkenPar}) {
            dlg->FormActivate();
            QCOMPARE(dlg->EditType->text(), type);
            QCOMPARE(dlg->EditSn->text(), sn);
            delete dlg;
        }
        if (connected)
            app().SXComm1->Close();
    }

    // The parameter report printed while the editor holds unsent values says so.
    void unsentValuesNamedInTheHeader()
    {
        TFormAfdrukkenPar dlg;
        dlg.FormActivate();
        QCOMPARE(dlg.parameterHeader().opmerking, QString());
        dlg.setProperty(UnsentValuesProperty, 3);
        QCOMPARE(dlg.parameterHeader().opmerking, QStringLiteral("Bevat 3 waarden die niet naar de besturing gezonden zijn"));
    }

    // Each value the editor has not sent is marked on its own row, in both reports; a
    // page with a mark explains it at its foot, and the count reads right in each language.
    void unsentValuesMarkedOnTheirRows_data()
    {
        QTest::addColumn<int>("taal");
        QTest::addColumn<QList<int>>("unsent");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("footnote");
        QTest::newRow("nl, none") << 0 << QList<int>{} << ""
                                  << "";
        QTest::newRow("nl, one") << 0 << QList<int>{9} << "Bevat 1 waarde die niet naar de besturing gezonden is"
                                 << "* niet naar de besturing gezonden";
        QTest::newRow("nl, two") << 0 << QList<int>{7, 49}
                                 << "Bevat 2 waarden die niet naar de besturing gezonden zijn"
                                 << "* niet naar de besturing gezonden";
        QTest::newRow("en, one") << 1 << QList<int>{49} << "Includes 1 value not sent to the controller"
                                 << "* not sent to the controller";
        QTest::newRow("en, two") << 1 << QList<int>{7, 9} << "Includes 2 values not sent to the controller"
                                 << "* not sent to the controller";
        QTest::newRow("de, one") << 2 << QList<int>{7} << "Enthält 1 Wert, der nicht zur Steuerung gesendet wurde"
                                 << "* nicht zur Steuerung gesendet";
        QTest::newRow("de, two") << 2 << QList<int>{9, 49}
                                 << "Enthält 2 Werte, die nicht zur Steuerung gesendet wurden"
                                 << "* nicht zur Steuerung gesendet";
    }
    void unsentValuesMarkedOnTheirRows()
    {
        QFETCH(int, taal);
        QFETCH(QList<int>, unsent);
        QFETCH(QString, note);
        QFETCH(QString, footnote);
        app().TaalIndex = taal;
        app().TaalFile = IniFile::load(qEnvironmentVariable("VX_DATA_DIR") + QStringLiteral("/Taal%1.ini").arg(taal));
        app().TaalGeladen = app().TaalFile != nullptr;
        QVERIFY(app().TaalGeladen);
        useDefinitions("[007]\nnaam0=Zeven\n[009]\nnaam0=Negen\n[049]\nnaam0=Negenenveertig\n",
                       "[200]\nParId1=7\nParId2=9\nParId3=49\n");
        auto expectMark = [&](const QString& row, QChar mark, int number) {
            QVERIFY2((mark == u'*') == unsent.contains(number), qPrintable(QString::number(number) + u' ' + row));
        };
        auto footnoteFollows = [&](const QStringList& texts) {
            QCOMPARE(texts.contains(footnote), !footnote.isEmpty());
            if (!footnote.isEmpty())
                QCOMPARE(texts.constLast(), footnote);
        };

        // The parameter report: the dialog takes the numbers from the editor.
        TFormAfdrukkenPar dlg;
        dlg.FormActivate();
        dlg.setProperty(UnsentNumbersProperty, QVariant::fromValue(unsent));
        QCOMPARE(dlg.parameterHeader().opmerking, note);
        auto par = drawParameters(ExampleTree, A4, dlg.parameterHeader(), dlg.nietGezonden());
        const QStringList parTexts = par.engine().allTexts();
        QCOMPARE(parTexts.contains(note), !note.isEmpty());
        const int valueEnd = 6 + 3 + 3 + 3 + 38 + 11;
        for (const auto& [k, number] : {std::pair{1, 7}, {2, 9}, {3, 49}}) {
            const QString row = rowStarting(parTexts, QStringLiteral("2.0.%1 ").arg(k));
            expectMark(row, at(row, valueEnd), number);
        }
        footnoteFollows(parTexts);

        // The setpoint report: setpoints 9 and 49 share a row, in its two columns.
        RecordingDevice dev(A4, Dpi);
        {
            QPainter p(&dev);
            drawSollwertReport(p, A4, header(), sollwertHeaderLine("Nr", "Waarde"), QStringLiteral("Sollwerten"), {}, unsent);
        }
        const QStringList texts = dev.engine.allTexts();
        QCOMPARE(texts.contains(note), !note.isEmpty());
        for (const int k : {7, 9}) {
            const QString row = rowStarting(texts, QString::number(k) + u' ');
            expectMark(row, at(row, 6 + 3 + 12), k);
            expectMark(row, at(row, 52), k + 40);
        }
        footnoteFollows(texts);
    }

    void setpointReport()
    {
        RecordingDevice dev(A4, Dpi);
        {
            QPainter p(&dev);
            drawSollwertReport(p, A4, header(), sollwertHeaderLine("Nr", "Waarde"), QStringLiteral("Sollwerten"));
        }
        QStringList texts = dev.engine.allTexts();
        texts = texts.mid(texts.indexOf(QStringLiteral("Sollwerten")));
        QCOMPARE(texts.size(), 42);
        QCOMPARE(texts[1], QStringLiteral("Nr             Waarde          Nr             Waarde"));
        QCOMPARE(texts[2], QStringLiteral("1                   0          41                  0"));
        QCOMPARE(texts[41], QStringLiteral("40                  0          80                  0"));
        QCOMPARE(dev.engine.page, 1);
    }

    // The shipped definitions, tree and language: every printed menu of the tree gets
    // its heading; with VX_SHOT_DIR set the pages are also written as PNG and PDF.
    void shippedDataReports()
    {
        const QString data = QString::fromLocal8Bit(qgetenv("VX_DATA_DIR"));
        QVERIFY(!data.isEmpty());
        app().ExeDir = data + u'/';
        app().TaalFile = IniFile::load(app().ExeDir + QStringLiteral("Taal0.ini"));
        app().TaalGeladen = app().TaalFile != nullptr;
        QVERIFY(ParameterDef_lezen());
        QVERIFY(ParamNo_lezen());
        for (int p = 0; p < ParCount; ++p)
            ParWaarden[p] = parDefault(p);
        ParWaarden[ParDecimalsParameter] = 2;
        for (int k = 1; k <= SollCount; ++k)
            SollWaarden[k] = (k % 7 == 0) ? -k * 125 : k * 1000 + k;
        app().AfdrukFirma = QStringLiteral("Machinebouw De Vries B.V.");
        app().AfdrukType = QStringLiteral("VX51");
        app().AfdrukSn = QStringLiteral("51-00417");

        TFormAfdrukkenPar par;
        par.FormActivate();
        const QStringList tree = par.leesTreeRegels();
        QVERIFY(tree.size() > 1);
        TFormAfdrukkenSoll soll;
        soll.FormActivate();

        const QString shots = QString::fromLocal8Bit(qgetenv("VX_SHOT_DIR"));
        int pages = 0;
        QStringList texts;
        auto render = [&](const QString& name, auto draw) {
            constexpr int dpi = 300;
            QImage img(QSize(int(21.0 / 2.54 * dpi), int(29.7 / 2.54 * dpi)), QImage::Format_RGB32);
            img.setDotsPerMeterX(int(dpi / 0.0254));
            img.setDotsPerMeterY(int(dpi / 0.0254));
            img.fill(Qt::white);
            int page = 1;
            QPainter p(&img);
            auto save = [&] {
                if (!shots.isEmpty())
                    img.save(QDir(shots).filePath(QStringLiteral("report-%1-page%2.png").arg(name).arg(page)));
            };
            draw(p, img.size(), [&] {
                save();
                img.fill(Qt::white);
                ++page;
            });
            p.end();
            save();
            return page;
        };
        // As printed from editors that hold a few values not sent.
        const QList<int> unsent = {100, 203, 504};
        par.setProperty(UnsentNumbersProperty, QVariant::fromValue(unsent));
        pages = render(QStringLiteral("parameters"), [&](QPainter& p, QSize size, NewPageFn next) {
            drawParameterReport(p, size, par.parameterHeader(), vx::InitParameterHeader(), tree, next, unsent);
        });
        QVERIFY(pages > 1);
        QCOMPARE(render(QStringLiteral("setpoints"), [&](QPainter& p, QSize size, NewPageFn next) {
                     drawSollwertReport(p, size, soll.reportHeader(), vx::InitSollwertHeader(), soll.SollTitel, next, {3, 44});
                 }),
                 1);

        // Every group or sub-menu of the tree with parameters is printed.
        RecordingDevice dev(A4, Dpi);
        {
            QPainter p(&dev);
            drawParameterReport(p, A4, par.reportHeader(), vx::InitParameterHeader(), tree,
                                [&] { ++dev.engine.page; });
        }
        int group = 0, sub = 0, printed = 0;
        for (const QString& l : tree.mid(1)) {
            if (l.startsWith(QStringLiteral("\t\t"))) ++sub;
            else if (l.startsWith(u'\t')) {
                group += 100;
                sub = 0;
            } else continue;
            if (parameterReportRows(group + sub) > 0)
                ++printed;
        }
        QVERIFY(printed > 5);
        // Once per menu, and again where a menu goes on over a page.
        QVERIFY(dev.engine.allTexts().count(vx::InitParameterHeader()) >= printed);

        if (!shots.isEmpty()) {
            for (int which = 0; which < 2; ++which) {
                QPdfWriter pdf(QDir(shots).filePath(which ? QStringLiteral("report-setpoints.pdf") : QStringLiteral("report-parameters.pdf")));
                pdf.setPageSize(QPageSize(QPageSize::A4));
                pdf.setResolution(600);
                QPainter p(&pdf);
                const QSize size(pdf.width(), pdf.height());
                if (which)
                    drawSollwertReport(p, size, soll.reportHeader(), vx::InitSollwertHeader(), soll.SollTitel);
                else
                    drawParameterReport(p, size, par.reportHeader(), vx::InitParameterHeader(), tree);
            }
        }
    }

    // The whole dialog: header fields kept, print dialog, a PDF written.
    void printDialogWritesPdf_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("language");
        QTest::newRow("printed") << true << true;
        QTest::newRow("print dialog cancelled") << false << true;
        QTest::newRow("printed without language file") << true << false;
    }
    void printDialogWritesPdf()
    {
        QFETCH(bool, accepted);
        QFETCH(bool, language);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("soll.pdf"));
        struct PdfUi : test::ScriptedUi {
            QString file;
            bool ok = true;
            bool print(QWidget*, QPrinter& printer) override
            {
                ++printCalls;
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(file);
                return ok;
            }
        };
        auto seams = std::make_unique<PdfUi>();
        seams->file = pdf;
        seams->ok = accepted;
        PdfUi* ui = seams.get();
        setUiSeams(std::move(seams));

        const QByteArray dataDir = qgetenv("VX_DATA_DIR");
        app().TaalFile = IniFile::load(QString::fromLocal8Bit(dataDir) + QStringLiteral("/Taal0.ini"));
        app().TaalGeladen = language;
        app().AfdrukFirma = QStringLiteral("Oud");
        app().AfdrukSn = QStringLiteral("SN 9");
        TFormAfdrukkenSoll dlg;
        dlg.show();
        QCOMPARE(dlg.EditFirma->text(), QStringLiteral("Oud"));
        QCOMPARE(dlg.windowTitle(), language ? QStringLiteral("Sollwerten afdrukken") : QStringLiteral("FormAfdrukkenSoll"));
        QCOMPARE(dlg.LabelSn->text(), language ? QStringLiteral("Serienummer:") : QStringLiteral("Serie nummer:"));
        dlg.EditFirma->setText(QStringLiteral("Nieuw"));
        dlg.CmdOK->click();
        QCOMPARE(ui->printCalls, 1);
        QCOMPARE(app().AfdrukFirma, QStringLiteral("Nieuw"));
        QCOMPARE(app().AfdrukSn, QStringLiteral("SN 9"));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(QFile::exists(pdf), accepted);
        if (accepted) {
            QFile f(pdf);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.readAll().startsWith("%PDF"));
        }
    }
};

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
