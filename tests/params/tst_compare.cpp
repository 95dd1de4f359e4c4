// The compare window against the simulated controller: the rows that differ, single
// writes of ticked rows with their results, and files that never reach the line.
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ControllerLine.h"
#include "params/CompareWindow.h"
#include "params/ParFormats.h"
#include "params/ParameterDefs.h"
#include "sim/SimBus.h"
#include "support/EventWait.h"
#include "support/InProcessUnit.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

class TestCompare : public QObject {
    Q_OBJECT
    TSXComm* m_port = nullptr;
    QTemporaryDir m_dir;

    sim::SimBus& bus() { return sim::defaultBus(); }

    // The controller's parameters as a file, before anything is changed.
    QString controllerFile()
    {
        TParWaarden par;
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n)
            par[n] = bus().parameter(0, n);
        const QString path = m_dir.filePath("unit0.app");
        [&] { QVERIFY(files::saveAtomically(path, files::parameterFileText(0, par))); }();
        return path;
    }

private slots:
    void initTestCase()
    {
        const QString data = qEnvironmentVariable("VX_DATA_DIR");
        if (data.isEmpty())
            QSKIP("VX_DATA_DIR not set");
        QVERIFY(test::loadProgramData(data, 1));
        test::ScriptedUi::install();
        test::singleUnitAt38400();

        m_port = test::openCom1At38400(this);
        QVERIFY(m_port->Active());
        // A whole set from the controller: replies end at their line end.
        setFastReplies(true, m_port);
    }

    void cleanupTestCase()
    {
        if (m_port)
            m_port->Close();
        app().SXComm1 = nullptr;
        setUiSeams(nullptr);
    }

    // Three changed parameters give three rows; two ticked, one refused: two "wp", one
    // "bp", and the refused row keeps its mark while the editor follows the written one.
    void fileAgainstControllerAndWriteTicked()
    {
        resetValueStore();
        const QString file = controllerFile();
        QList<int> changed;
        for (int n = 1; n <= 511 && changed.size() < 3; ++n)
            if (n != ParDecimalsParameter && parExists(n) && parType(n) == 0 && parMin(n) < parMax(n)
                && bus().parameter(0, n) != parMax(n)) {
                bus().setParameter(0, n, parMax(n));
                changed << n;
            }
        QCOMPARE(changed.size(), 3);

        TFormCompare w(transfer::Sets{true, false});
        w.show();
        QVERIFY(w.setSide(0, TFormCompare::Source::File, file));
        QVERIFY(w.setSide(1, TFormCompare::Source::Controller));
        // The old comparison is greyed while the controller is read from the event loop.
        QVERIFY(!w.Grid->isEnabled());
        QVERIFY(test::waitFor([&] { return !w.busy(); }, 240000));
        QVERIFY(w.Grid->isEnabled());
        QCOMPARE(w.visibleRows(), 3);
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(w.rowAt(r).number, changed[r]);
            QCOMPARE(w.rowAt(r).b, parMax(changed[r]));
        }
        w.CheckOnlyDiff->setChecked(false);
        QCOMPARE(w.visibleRows(), 512);
        w.CheckOnlyDiff->setChecked(true);

        // Space ticks the current row, arrows move.
        w.Grid->setFocus();
        w.Grid->setCurrentIndex(w.Grid->model()->index(0, TFormCompare::ColNumber));
        QTest::keyClick(w.Grid, Qt::Key_Space);
        QTest::keyClick(w.Grid, Qt::Key_Down);
        QTest::keyClick(w.Grid, Qt::Key_Space);
        QVERIFY(w.isTicked(0) && w.isTicked(1) && !w.isTicked(2));
        test::saveShot(&w, "compare-en-diff");

        bus().addFault(sim::Fault::er7AtParameter(changed[1]));
        bus().clearLog();
        w.CmdWrite->click();
        // The rows are written from the event loop.
        QVERIFY(test::waitFor([&] { return !w.busy(); }, 60000));
        bus().clearFaults();
        int wp = 0, bp = 0;
        for (const std::string& r : bus().requests()) {
            wp += r.rfind("wp ", 0) == 0 ? 1 : 0;
            bp += r == "bp" ? 1 : 0;
        }
        QCOMPARE(wp, 2);
        QCOMPARE(bp, 1);

        QCOMPARE(bus().parameter(0, changed[0]), w.rowAt(0).a);
        QCOMPARE(ParWaarden[changed[0]], w.rowAt(0).a);
        QCOMPARE(bus().parameter(0, changed[1]), parMax(changed[1]));
        // The written row now agrees and stays with its result; the refused one stays marked.
        QCOMPARE(w.visibleRows(), 3);
        QCOMPARE(w.stateAt(0), TFormCompare::RowState::Written);
        QVERIFY(!w.rowAt(0).differs());
        QCOMPARE(w.stateAt(1), TFormCompare::RowState::Refused);
        QVERIFY(w.rowAt(1).differs());
        QVERIFY(w.isTicked(1));
        QVERIFY(w.cellText(1, TFormCompare::ColResult).contains("er 7"));
        // The result column is in view without scrolling.
        const int resultEnd = w.Grid->columnViewportPosition(TFormCompare::ColResult)
                              + w.Grid->columnWidth(TFormCompare::ColResult);
        QVERIFY2(resultEnd <= w.Grid->viewport()->width(), qPrintable(QString::number(resultEnd)));
        test::saveShot(&w, "compare-en-results");

        const QString csv = m_dir.filePath("compare.csv");
        QVERIFY(w.exportCsv(csv));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("\r\n"), 4);

        app().TaalIndex = 0;
        QVERIFY(loadTaalFile());
        w.LezenTeksten();
        test::saveShot(&w, "compare-nl-results");
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
    }

    // A file that does not parse is refused before any request, and option values
    // outside their list show as raw numbers marked unknown.
    void badFileAndUnknownOption()
    {
        resetValueStore();
        const QString bad = m_dir.filePath("bad.app");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(files::ParameterHeader) + "\r\nP000=1\r\nP001=x\r\n");
        f.close();

        int option = -1;
        for (int n = 0; n <= 511 && option < 0; ++n)
            if (parExists(n) && parType(n) != 0)
                option = n;
        QVERIFY(option >= 0);
        ParWaarden = compare::defaultsSet().par;
        ParWaarden[option] = 99;

        TFormCompare w(transfer::Sets{true, false});
        bus().clearLog();
        QVERIFY(!w.setSide(0, TFormCompare::Source::File, bad));
        QVERIFY(w.PanelStatus->text().contains("bad.app"));
        QCOMPARE(w.visibleRows(), 1); // still the editor against the defaults
        QCOMPARE(w.rowAt(0).number, option);
        QVERIFY(w.cellText(0, TFormCompare::ColA).startsWith("99 "));
        w.CmdWrite->click(); // nothing ticked
        QVERIFY(bus().requests().empty());

        w.setTicked(0, true);
        w.CmdTakeClick(); // the defaults' value into the editor
        QCOMPARE(ParWaarden[option], parDefault(option));
    }
};

QTEST_MAIN(TestCompare)
#include "tst_compare.moc"
