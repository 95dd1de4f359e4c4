// Cam overview: grid colours and the details of the selected cam, from the value
// store and a small definition file.
#include "core/AppState.h"
#include "core/Taal.h"
#include "diagnostics/CamOverview.h"
#include "diagnostics/FormDisplayNokken.h"
#include "params/FixedPoint.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"

#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

// Options of the cam parameters the tests look at: cam 5 and cam 7.
QByteArray definitions()
{
    QByteArray out;
    auto section = [&](int nr, const QByteArray& options) {
        out += "[" + parSection(nr).toLatin1() + "]\nnaam0=p\ntype=1\nopties0=" + options + "\n";
    };
    QByteArray selections = "Eigen";
    for (int k = 1; k <= 80; ++k) selections += ",S" + QByteArray::number(k);
    for (int n : {5, 7}) {
        section(nokken::functionPar(n), "Uit,Nok,Vooruit,Achteruit");
        section(nokken::sourcePar(n), "Pos1,Pos2");
        section(nokken::startSelectPar(n), selections);
        section(nokken::endSelectPar(n), selections);
    }
    return out;
}

} // namespace

class TestCamOverview : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void init()
    {
        app() = AppState();
        resetValueStore();
        QFile f(dir.filePath("Parameters.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(definitions());
        f.close();
        app().ExeDir = dir.path() + '/';
        QVERIFY(ParameterDef_lezen());
    }

    void cellColours_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("row");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("red on its output") << 1 << 3 << QColor(255, 0, 0);
        QTest::newRow("green on its output") << 2 << 3 << QColor(0, 255, 0);
        QTest::newRow("other row plain") << 2 << 4 << QColor();
        QTest::newRow("function 0 plain") << 0 << 3 << QColor();
    }
    void cellColours()
    {
        QFETCH(int, function);
        QFETCH(int, row);
        QFETCH(QColor, expected);
        ParWaarden[nokken::functionPar(5)] = function;
        ParWaarden[nokken::outputPar(5)] = 3;
        QCOMPARE(nokken::cellColour(5, row), expected);
    }

    void positions_data()
    {
        QTest::addColumn<int>("selection");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("selectText");
        QTest::newRow("setpoint 12") << 12 << "7,50"
                                     << "S12";
        QTest::newRow("own position") << 0 << "15,00"
                                      << "Eigen";
        QTest::newRow("setpoint 80") << 80 << "-0,01"
                                     << "S80";
        QTest::newRow("beyond the table") << 81 << OverflowMark << "";
        QTest::newRow("negative") << -1 << OverflowMark << "";
    }
    void positions()
    {
        QFETCH(int, selection);
        QFETCH(QString, value);
        QFETCH(QString, selectText);
        ParWaarden[203] = 2;
        ParWaarden[nokken::functionPar(7)] = 1;
        ParWaarden[nokken::outputPar(7)] = 4;
        ParWaarden[nokken::ownStartPar(7)] = 1500;
        ParWaarden[nokken::ownEndPar(7)] = 1500;
        SollWaarden[12] = 750;
        SollWaarden[80] = -1;
        ParWaarden[nokken::startSelectPar(7)] = selection;
        ParWaarden[nokken::endSelectPar(7)] = selection;
        const nokken::CamDetails d = nokken::details(7, 4);
        QCOMPARE(d.aanvang, value);
        QCOMPARE(d.selectAanvang, selectText);
        QCOMPARE(d.einde, value);
        QCOMPARE(d.selectEinde, selectText);
    }

    void advanceOfTheDrivenOutput()
    {
        ParWaarden[nokken::functionPar(7)] = 1;
        ParWaarden[nokken::outputPar(7)] = 4;
        ParWaarden[23] = 1234;
        ParWaarden[203] = 0;
        QCOMPARE(nokken::details(7, 4).vervroeging, QString("1,234"));
    }

    void missingOptionTextEmpties()
    {
        ParWaarden[nokken::functionPar(5)] = 3;
        ParWaarden[nokken::outputPar(5)] = 1;
        ParWaarden[nokken::sourcePar(5)] = 2; // list has two items
        QCOMPARE(nokken::details(5, 1).bron, QString());
        app().ParameterDefGeladen = false;
        app().ParameterDef.reset();
        QCOMPARE(nokken::details(5, 1).functie, QString());
        QCOMPARE(nokken::details(5, 1).nokNummer, QString("5"));
    }

    void windowShowsSelectedCam()
    {
        ParWaarden[nokken::functionPar(5)] = 2;
        ParWaarden[nokken::outputPar(5)] = 3;
        ParWaarden[nokken::sourcePar(5)] = 1;
        ParWaarden[nokken::hysteresisPar(5)] = 25;
        ParWaarden[203] = 2;
        ParWaarden[nokken::functionPar(6)] = 0;
        ParWaarden[nokken::outputPar(6)] = 3;
        TFormDisplayNokken w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.StringGrid1->item(3, 0)->text(), QString("3")); // no language file
        QCOMPARE(w.StringGrid1->item(0, 40)->text(), QString("40"));

        w.StringGrid1->setCurrentCell(3, 5);
        QCOMPARE(w.PanelNokNummer->text(), QString("5"));
        QCOMPARE(w.PanelFunctie->text(), QString("Vooruit"));
        QCOMPARE(w.PanelBron->text(), QString("Pos2"));
        QCOMPARE(w.PanelHysteresis->text(), QString("0,25"));
        w.StringGrid1->setCurrentCell(2, 5);
        QCOMPARE(w.PanelNokNummer->text(), QString());
        QCOMPARE(w.PanelFunctie->text(), QString());
        w.StringGrid1->setCurrentCell(3, 6); // function 0: no details
        QCOMPARE(w.PanelNokNummer->text(), QString());

        const QImage img = w.StringGrid1->viewport()->grab().toImage();
        const QPoint green = w.StringGrid1->visualItemRect(w.StringGrid1->item(3, 5)).center();
        QCOMPARE(img.pixelColor(green * img.devicePixelRatio()), QColor(0, 255, 0));
        // The legend names each cell colour by its function, as drawn.
        const QStringList names = {"Nok", "Vooruit", "Achteruit"};
        for (int f = 1; f <= 3; ++f) {
            QCOMPARE(w.LegendaTekst[f - 1]->text(), names[f - 1]);
            const QImage swatch = w.LegendaKleur[f - 1]->grab().toImage();
            QCOMPARE(swatch.pixelColor(swatch.rect().center()), nokken::functionColour(f));
        }
        ParWaarden[nokken::functionPar(5)] = 3;
        QCOMPARE(nokken::cellColour(5, 3), w.LegendaKleur[2]->palette().color(QPalette::Window));
        const QPoint plain = w.StringGrid1->visualItemRect(w.StringGrid1->item(3, 6)).center();
        QVERIFY(img.pixelColor(plain * img.devicePixelRatio()) != QColor(0, 255, 0));
    }

    // The simulator's demo cams with the shipped definitions and language file.
    void simulatorCams()
    {
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR") + '/';
        QVERIFY(ParameterDef_lezen());
        QVERIFY(loadTaalFile());
        sim::resetDefaultBus();
        const sim::SimBus& bus = sim::defaultBus();
        for (int p = 0; p < ParCount; ++p) ParWaarden[p] = bus.parameter(0, p);
        for (int k = 1; k <= SollCount; ++k) SollWaarden[k] = bus.setpoint(0, k);
        QVERIFY(ParWaarden[nokken::functionPar(2)] > 0);
        const int output = ParWaarden[nokken::outputPar(2)];
        const int startSel = ParWaarden[nokken::startSelectPar(2)];

        TFormDisplayNokken w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.StringGrid1->item(1, 0)->text(), QString("Uitg-1"));
        w.StringGrid1->setCurrentCell(output, 2);
        QCOMPARE(w.PanelNokNummer->text(), QString("2"));
        QCOMPARE(w.PanelSelectAanvang->text(), parOpties(nokken::startSelectPar(2)).value(startSel));
        QCOMPARE(w.PanelAanvang->text(), FixedToText(9, startSel ? SollWaarden[startSel] : ParWaarden[nokken::ownStartPar(2)]));
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            w.grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/nokken.png");
    }
};

QTEST_MAIN(TestCamOverview)
#include "tst_camoverview.moc"
