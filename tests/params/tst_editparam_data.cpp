// The editor on the shipped data set in each language: every menu fits the grid
// (values and option texts within their columns). With VX_SHOTS_DIR set it also
// saves pictures of the editor and the service dialog there.
#include "core/AppState.h"
#include "core/Taal.h"
#include "params/EditParam.h"
#include "params/ParamService.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "support/ScriptedUi.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace vx;

class TstEditParamData : public QObject {
    Q_OBJECT

    QString shots;

    void save(QWidget* w, const QString& name)
    {
        if (shots.isEmpty())
            return;
        QApplication::processEvents();
        QVERIFY(w->grab().save(shots + '/' + name + ".png"));
    }

    // Selects the first row of the shown menu whose parameter is of the given kind.
    bool selectRow(TFormEditParam& ed, bool option)
    {
        for (int r = 1; r <= TFormEditParam::GridRows; ++r) {
            const QString nr = ed.cell(r, 1);
            if (!nr.isEmpty() && (parType(nr) == 1) == option) {
                ed.StringGrid1->setFocus();
                ed.StringGrid1->setCurrentCell(r - 1, 0);
                ed.StringGrid1SelectCell(r);
                return true;
            }
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        const QString data = qEnvironmentVariable("VX_DATA_DIR");
        if (data.isEmpty())
            QSKIP("VX_DATA_DIR not set");
        shots = qEnvironmentVariable("VX_SHOTS_DIR");
        app().ExeDir = data + '/';
        test::ScriptedUi::install();
    }

    void menusFit_data()
    {
        QTest::addColumn<int>("taal");
        QTest::newRow("Nederlands") << 0;
        QTest::newRow("English") << 1;
        QTest::newRow("Deutsch") << 2;
    }

    void menusFit()
    {
        QFETCH(int, taal);
        app().TaalIndex = taal;
        QVERIFY(loadTaalFile());
        QVERIFY(ParameterDef_lezen());
        QVERIFY(ParamNo_lezen());
        resetValueStore();

        TFormEditParam ed;
        TFormParamService svc;
        ed.setServiceDialog(&svc);
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        ed.activateWindow();
        (void)QTest::qWaitForWindowActive(&ed); // offscreen has no window manager to wait for
        ed.LaadDefault1->trigger();
        QVERIFY(ed.TreeView1->topLevelItemCount() > 0);

        const QFontMetrics fm(ed.StringGrid1->font());
        const QRect view = ed.StringGrid1->viewport()->rect();
        QVERIFY(view.contains(ed.StringGrid1->visualItemRect(ed.StringGrid1->item(TFormEditParam::GridRows - 1, 4))));
        for (QTreeWidgetItemIterator it(ed.TreeView1); *it; ++it) {
            ed.TreeView1->setCurrentItem(*it);
            for (int r = 1; r <= TFormEditParam::GridRows; ++r)
                for (int c : {3, 4}) {
                    const int room = ed.StringGrid1->columnWidth(c) - (c == 3 ? 4 : 2);
                    if (fm.horizontalAdvance(ed.cell(r, c)) > room)
                        QFAIL(qPrintable(QStringLiteral("%1 row %2 column %3 does not fit: %4")
                                             .arg((*it)->text(0))
                                             .arg(r)
                                             .arg(c)
                                             .arg(ed.cell(r, c))));
                }
        }

        const QString lang = taal == 0 ? "nl" : taal == 1 ? "en"
                                                          : "de";
        QTreeWidgetItem* root = ed.TreeView1->topLevelItem(0);
        // group 8, first cam; group 2, its position menu
        ed.TreeView1->setCurrentItem(root->child(7)->child(0));
        root->child(7)->setExpanded(true);
        QVERIFY(selectRow(ed, false));
        save(&ed, "editor_cam_" + lang);
        QVERIFY(ed.CmdClear->isEnabled());

        ed.TreeView1->setCurrentItem(root->child(1)->child(2));
        root->child(1)->setExpanded(true);
        QVERIFY(selectRow(ed, false));
        save(&ed, "editor_numeric_" + lang);
        svc.show();
        QVERIFY(svc.MaskEditParData->isVisible());
        save(&svc, "service_numeric_" + lang);
        svc.hide();

        ed.TreeView1->setCurrentItem(root->child(0)->child(0));
        QVERIFY(selectRow(ed, true));
        svc.show();
        QVERIFY(svc.ComboParData->isVisible());
        QVERIFY(svc.ComboParData->currentIndex() >= 0);
        save(&svc, "service_option_" + lang);
        svc.hide();
    }
};

QTEST_MAIN(TstEditParamData)
#include "tst_editparam_data.moc"
