// Parameter editor: tree and grid, limit panels, keyboard, defaults, Clear, the send
// confirmation and the closing question after single writes.
#include "core/AppState.h"
#include "core/Taal.h"
#include "params/EditParam.h"
#include "params/ParLoader.h"
#include "params/ParamService.h"
#include "params/ParameterDefs.h"
#include "params/TextWrap.h"
#include "params/ValueStore.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedLine.h"
#include "support/ScriptedUi.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace vx;
using vx::test::LineScript;
using vx::test::ScriptedUi;

namespace {

const QByteArray kParameters =
    "[005]\nnaam0=Groep\ndec=0\nmin=0\nmax=10\ndefault=3\n"
    "[020]\nnaam0=Snelheid\ntype=0\ndec=2\nmin=-1000\nmax=100000\ndefault=1234\n"
    "[021]\nnaam0=Modus\ntype=1\nopties0=Uit,Aan\nmin=0\nmax=1\ndefault=1\n"
    "[030]\nnaam0=Nok aan\ndec=1\nmin=0\nmax=3600\ndefault=50\n"
    "[031]\nnaam0=Nok uit\ndec=1\nmin=0\nmax=3600\ndefault=60\n";

const QByteArray kParNo =
    "[0]\nParId1=5\n"
    "[300]\nParId1=5\n"
    "[302]\nParId1=20\nParId2=21\nParId3=-1\nParId4=22\n"
    "[800]\nParId1=-1\n"
    "[801]\nParId1=30\nParId2=31\n";

const QByteArray kTree =
    "Parameters\n\tAlgemeen\n\tAs 1\n\tAs 2\n\t\tEncoder\n\t\tPositie\n"
    "\tG4\n\tG5\n\tG6\n\tG7\n\tNokken\n\t\tNok 1\n";

const QByteArray kTaal =
    "[EditParam]\nCaption=Parameters bewerken\nKolomTekst3=Waarde\nMsg_waarschuwingCaption=Let op\n"
    "ZendMsg_1=Z1\nZendMsg_2=Z2\nZendMsg_3=Z3\nZendMsg_4=Z4\nZendMsg_5=Z5\nZendMsg_6=Z6\n"
    "Msg_InfoCaption=Info\nmsg_DefaultParGeladen=Geladen\nMsg_ErrorCaption=Fout\nmsg_ErrorSetDefaultPar=Geen\n"
    "Msg_ParGezondenEnNietGeladen=Parameters zijn gezonden maar nog niet geladen ('Laad par'). Toch sluiten?\n"
    "[ParamService]\nPanelTekst4=T4\nPanelTekst10=T10\n"
    "[Loader]\nPanelTekst4=L4\n"
    "[Afdrukken]\nMsg_waarschuwingCaption=Afdruk\nAfdrukMsg_1=A1\nAfdrukMsg_6=A6\n";

// Counts openings instead of showing the dialog.
class CountingService : public TFormParamService {
public:
    int opened = 0;
    int exec() override
    {
        ++opened;
        return QDialog::Rejected;
    }
};

// Stands in for the print dialog of the reports.
class CountingDialog : public QDialog {
public:
    using QDialog::QDialog;
    int opened = 0;
    int unsent = -1; // what the editor told the print dialog
    int exec() override
    {
        ++opened;
        unsent = property(UnsentValuesProperty).toInt();
        return QDialog::Rejected;
    }
};

// Runs action once the next modal dialog is up.
void whenModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget* w = QApplication::activeModalWidget();
        action(w);
    });
}

} // namespace

class TstEditParam : public QObject {
    Q_OBJECT

    test::ProgramFolder dir;
    std::unique_ptr<TSXComm> port;
    TFormEditParam* ed = nullptr;
    ScriptedUi* sui = nullptr;

    QTreeWidgetItem* node(int group, int sub = -1)
    {
        QTreeWidgetItem* g = ed->TreeView1->topLevelItem(0)->child(group - 1);
        return sub < 0 ? g : g->child(sub - 1);
    }
    void selectNode(int group, int sub = -1) { ed->TreeView1->setCurrentItem(node(group, sub)); }
    QPoint cellCentre(int row, int col)
    {
        return ed->StringGrid1->visualItemRect(ed->StringGrid1->item(row - 1, col)).center();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(dir.write("Parameters.txt", kParameters));
        QVERIFY(dir.write("ParNo.txt", kParNo));
        QVERIFY(dir.write("Tree0.txt", kTree));
        QVERIFY(dir.write("Taal0.ini", kTaal));
        app().ExeDir = dir.path();
        app().TaalIndex = 0;
        QVERIFY(ParameterDef_lezen());
        QVERIFY(ParamNo_lezen());
        QVERIFY(loadTaalFile());
        port = vx::test::openScriptedPort();
    }

    void cleanupTestCase()
    {
        port->Close();
        app().SXComm1 = nullptr;
    }

    void init()
    {
        resetValueStore();
        LineScript::get().reset();
        sui = ScriptedUi::install();
        ed = new TFormEditParam;
        ed->show();
        QVERIFY(QTest::qWaitForWindowExposed(ed));
    }

    void cleanup()
    {
        ParGezondenEnNietGeladen = false;
        delete ed;
        ed = nullptr;
        setUiSeams(nullptr);
    }

    void activation()
    {
        QCOMPARE(ed->windowTitle(), QString("Parameters bewerken"));
        QCOMPARE(ed->cell(0, 3), QString("Waarde"));
        QCOMPARE(ed->TreeView1->topLevelItemCount(), 1);
        QVERIFY(ed->TreeView1->topLevelItem(0)->isExpanded());
        QCOMPARE(ed->TreeView1->currentItem(), ed->TreeView1->topLevelItem(0));
        QCOMPARE(ed->cell(1, 0), QString("0.0.1"));
        QCOMPARE(ed->cell(1, 1), QString("005"));
        QVERIFY(!node(3)->icon(0).isNull());
        QVERIFY(!ed->Loader1->isEnabled()); // port open, but no loader
        TFormParLoader loader;
        ed->setLoader(&loader);
        QVERIFY(ed->Loader1->isEnabled());
        ed->setLoader(nullptr);
    }

    void treeFileMissingOrBroken()
    {
        app().TaalIndex = 2; // no Tree2.txt, and no falling back to Tree0.txt
        ed->hide();
        ed->show();
        app().TaalIndex = 0;
        QCOMPARE(ed->TreeView1->topLevelItemCount(), 0);
        QCOMPARE(ed->cell(1, 1), QString());
        QVERIFY(sui->messages.isEmpty());

        QVERIFY(dir.write("Tree0.txt", "Parameters\n\tAlgemeen\n\t\t\tTe diep\n\tAs 1\n"));
        ed->hide();
        ed->show();
        QVERIFY(dir.write("Tree0.txt", kTree));
        QCOMPARE(sui->messages.size(), 1);
        QCOMPARE(sui->messages[0].icon, QMessageBox::Critical);
        QVERIFY(sui->messages[0].text.contains(" error raised, with message : "));
        QCOMPARE(ed->TreeView1->topLevelItem(0)->childCount(), 1);
        QCOMPARE(ed->cell(1, 1), QString("005"));
    }

    void menuRows_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("sub");
        QTest::addColumn<QStringList>("row1");
        QTest::newRow("second sub-menu of the third group") << 3 << 2
                                                            << QStringList{"3.2.1", "020", "Snelheid", "0,00", ""};
        QTest::newRow("group node uses sub 0") << 3 << -1 << QStringList{"3.0.1", "005", "Groep", "0", ""};
        QTest::newRow("menu without rows") << 1 << -1 << QStringList{"", "", "", "", ""};
    }

    void menuRows()
    {
        QFETCH(int, group);
        QFETCH(int, sub);
        QFETCH(QStringList, row1);
        selectNode(group, sub);
        for (int c = 0; c < TFormEditParam::GridCols; ++c)
            QCOMPARE(ed->cell(1, c), row1[c]);
    }

    void gridValues()
    {
        ParWaarden[20] = -1234;
        ParWaarden[21] = 1;
        ParWaarden[22] = 77;
        selectNode(3, 2);
        QCOMPARE(ed->cell(1, 3), QString("-12,34"));
        QCOMPARE(ed->cell(2, 0), QString("3.2.2"));
        QCOMPARE(ed->cell(2, 4), QString("Aan"));
        // ParId3=-1 leaves the row empty
        QCOMPARE(ed->cell(3, 0), QString());
        QCOMPARE(ed->cell(3, 1), QString());
        // a number without definition: position, number and the plain value only
        QCOMPARE(ed->cell(4, 0), QString("3.2.4"));
        QCOMPARE(ed->cell(4, 1), QString("022"));
        QCOMPARE(ed->cell(4, 2), QString());
        QCOMPARE(ed->cell(4, 3), QString("77"));
        QVERIFY(ed->StringGrid1->item(0, 3)->textAlignment() & Qt::AlignRight);
        ParWaarden[21] = 5;
        ed->VulGrid();
        QCOMPARE(ed->cell(2, 4), QString(OverflowMark));
    }

    void noParNoLeavesGridEmpty()
    {
        app().ParamNoGeladen = false;
        ed->hide();
        ed->show();
        selectNode(3, 2);
        QCOMPARE(ed->cell(1, 1), QString());
        selectNode(8, 1);
        QVERIFY(ed->CmdClear->isEnabled());
        QCOMPARE(ed->cell(1, 1), QString());
        app().ParamNoGeladen = true;
    }

    void clearOnlyInCamGroup()
    {
        ParWaarden[30] = 11;
        ParWaarden[31] = 12;
        ParWaarden[20] = 13;
        ParStatus = 2;
        selectNode(3, 2);
        QVERIFY(!ed->CmdClear->isEnabled());
        selectNode(8, 1);
        QVERIFY(ed->CmdClear->isEnabled());
        QTest::mouseClick(ed->CmdClear, Qt::LeftButton);
        QCOMPARE(ParWaarden[30], 0);
        QCOMPARE(ParWaarden[31], 0);
        QCOMPARE(ParWaarden[20], 13);
        QCOMPARE(ed->cell(1, 3), QString("0,0"));
        QCOMPARE(ParStatus, 2);
    }

    void keyboardMovesRowAndPanels()
    {
        selectNode(3, 2);
        ed->StringGrid1->setFocus();
        ed->StringGrid1->setCurrentCell(0, 0);
        QCOMPARE(ServicePar.Nr, QString("020"));
        QCOMPARE(ed->statusPanel(1)->text(), QString("-10,00"));
        QCOMPARE(ed->statusPanel(3)->text(), QString("1000,00"));
        QCOMPARE(ed->statusPanel(5)->text(), QString("12,34"));
        QTest::keyClick(ed->StringGrid1, Qt::Key_Down);
        QCOMPARE(ServicePar.Nr, QString("021"));
        QCOMPARE(ed->statusPanel(5)->text(), QString("1"));
        QTest::keyClick(ed->StringGrid1, Qt::Key_Down); // empty row
        QCOMPARE(ServicePar.Nr, QString());
        QCOMPARE(ed->statusPanel(1)->text(), QString());
        QTest::keyClick(ed->StringGrid1, Qt::Key_Up);
        QCOMPARE(ServicePar.Nr, QString("021"));
        ed->TreeView1->setFocus(Qt::TabFocusReason);
        QCOMPARE(ed->statusPanel(3)->text(), QString());
    }

    void enterAndDoubleClickOpenServiceOnlyForParameters()
    {
        CountingService svc;
        ed->setServiceDialog(&svc);
        selectNode(3, 2);
        ed->StringGrid1->setFocus();
        ed->StringGrid1->setCurrentCell(2, 0); // row 3: no parameter
        QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
        QTest::mouseClick(ed->StringGrid1->viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
        QTest::mouseDClick(ed->StringGrid1->viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
        QCOMPARE(svc.opened, 0);
        QTest::keyClick(ed->StringGrid1, Qt::Key_Up);
        QTest::keyClick(ed->StringGrid1, Qt::Key_Enter);
        QCOMPARE(svc.opened, 1);
        QCOMPARE(ServicePar.Nr, QString("021"));
        QTest::mouseClick(ed->StringGrid1->viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
        QTest::mouseDClick(ed->StringGrid1->viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
        QCOMPARE(svc.opened, 2);
        QCOMPARE(ServicePar.Nr, QString("020"));
        QVERIFY(ed->isVisible());
    }

    void serviceDialogChangeShowsInGrid()
    {
        TFormParamService svc;
        ed->setServiceDialog(&svc);
        selectNode(3, 2);
        ed->StringGrid1->setFocus();
        ed->StringGrid1->setCurrentCell(0, 0);
        whenModal([&svc](QWidget* w) {
            QCOMPARE(w, static_cast<QWidget*>(&svc));
            svc.MaskEditParData->setText("-2,5");
            svc.CmdOK->click();
        });
        QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
        QCOMPARE(ParWaarden[20], -250);
        QCOMPARE(ed->cell(1, 3), QString("-2,50"));
        QCOMPARE(ServicePar.Waarde, QString("-2,50"));
    }

    void loadDefaults()
    {
        ParWaarden[22] = 9;
        ParWaarden[511] = 9;
        ed->LaadDefault1->trigger();
        QCOMPARE(ParWaarden[5], 3);
        QCOMPARE(ParWaarden[20], 1234);
        QCOMPARE(ParWaarden[22], 0);
        QCOMPARE(ParWaarden[511], 0);
        QCOMPARE(ParStatus, 3);
        QCOMPARE(sui->messages.size(), 1);
        QCOMPARE(sui->messages[0].icon, QMessageBox::Information);
        QCOMPARE(sui->messages[0].text, QString("Geladen"));
        QCOMPARE(ed->cell(1, 3), QString("3"));

        app().ParameterDefGeladen = false;
        ParStatus = 1;
        ParWaarden[20] = 1;
        ed->LaadDefault1->trigger();
        app().ParameterDefGeladen = true;
        QCOMPARE(sui->messages.size(), 2);
        QCOMPARE(sui->messages[1].icon, QMessageBox::Critical);
        QCOMPARE(sui->messages[1].text, QString("Geen"));
        QCOMPARE(ParWaarden[20], 1);
        QCOMPARE(ParStatus, 1);
    }

    void sendConfirmation()
    {
        ParStatus = 0;
        sui->answers = {QMessageBox::No};
        QVERIFY(!ed->ZendenToegestaan());
        QCOMPARE(sui->messages.size(), 1);
        QCOMPARE(sui->messages[0].text, QString("Z1\n\rZ2\n\rZ3\n\rZ4\n\rZ5\n\rZ6"));
        QCOMPARE(sui->messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QVERIFY(ed->ZendenToegestaan()); // Yes
        app().TaalGeladen = false;
        QVERIFY(!ed->ZendenToegestaan());
        app().TaalGeladen = true;
        QCOMPARE(sui->messages.size(), 2);
        ParStatus = 1;
        QVERIFY(ed->ZendenToegestaan());
        QCOMPARE(sui->messages.size(), 2);
    }

    void closingQuestionAfterSingleWrite()
    {
        TFormParamService svc;
        ed->setServiceDialog(&svc);
        LineScript::get().answer("wp 20 500", "wp 20 500");
        LineScript::get().answer("bp", "bp -1");
        selectNode(3, 2);
        ed->StringGrid1->setFocus();
        ed->StringGrid1->setCurrentCell(0, 0);

        auto zenden = [&svc](QWidget*) {
            svc.MaskEditParData->setText("5");
            svc.CmdZenden->click();
            QTRY_COMPARE_WITH_TIMEOUT(svc.PanelService->text(), QString("T4"), 3000);
            svc.CmdCancel->click();
        };
        whenModal(zenden);
        QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
        QVERIFY(ParGezondenEnNietGeladen);

        sui->answers = {QMessageBox::No};
        ed->close();
        QVERIFY(ed->isVisible());
        QCOMPARE(sui->messages.size(), 1);
        QCOMPARE(sui->messages[0].icon, QMessageBox::Warning);
        QCOMPARE(sui->messages[0].caption, QString("Let op"));
        QCOMPARE(sui->messages[0].text,
                 wrapMessage("Parameters zijn gezonden maar nog niet geladen ('Laad par'). Toch sluiten?", 42));
        QVERIFY(sui->messages[0].text.contains("\r\n"));

        // "bp" from the service dialog
        whenModal([&svc](QWidget*) {
            svc.CmdBerPar->click();
            QTRY_COMPARE_WITH_TIMEOUT(svc.PanelService->text(), QString("T10"), 3000);
            svc.CmdCancel->click();
        });
        QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
        QVERIFY(!ParGezondenEnNietGeladen);

        // "bp" from the loader
        TFormParLoader loader;
        ed->setLoader(&loader);
        whenModal(zenden);
        QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
        QVERIFY(ParGezondenEnNietGeladen);
        whenModal([&loader](QWidget*) {
            QTRY_COMPARE_WITH_TIMEOUT(loader.Panel1->text(), QString("L4"), 3000);
            loader.CmdOK->click();
        });
        ed->Loader1->trigger();
        QVERIFY(!ParGezondenEnNietGeladen);

        // reopening the editor
        whenModal(zenden);
        QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
        QVERIFY(ParGezondenEnNietGeladen);
        ed->hide();
        ed->show();
        QVERIFY(!ParGezondenEnNietGeladen);

        ed->close();
        QVERIFY(!ed->isVisible());
        QCOMPARE(sui->messages.size(), 1);
    }

    void closingQuestionYesCloses()
    {
        ParGezondenEnNietGeladen = true;
        int refreshed = 0;
        app().InputFunctieTeksten = [&refreshed] { ++refreshed; };
        sui->answers = {QMessageBox::Cancel, QMessageBox::Yes};
        QTest::keyClick(ed, Qt::Key_Escape);
        QVERIFY(ed->isVisible());
        ed->Afsluiten1->trigger();
        QVERIFY(!ed->isVisible());
        QCOMPARE(refreshed, 2);
        app().InputFunctieTeksten = [] {};
    }

    void otherProgramWindowsOnlyWhenPresent()
    {
        QVERIFY(!ed->NokkenInfo1->isEnabled());
        QVERIFY(!ed->ErrorNummers1->isEnabled());
        QVERIFY(!ed->Afdrukken1->isEnabled());
        QDialog cams;
        app().FormDisplayNokken = &cams;
        ed->hide();
        ed->show();
        app().FormDisplayNokken = nullptr;
        QVERIFY(ed->NokkenInfo1->isEnabled());
        QVERIFY(!ed->ErrorNummers1->isEnabled());
    }

    void reactivatedAfterAnotherNonModalWindow()
    {
        QWidget help;
        auto* edit = new QLineEdit(&help);
        help.show();
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        QTest::qWait(20); // the activation of the editor itself
        ParGezondenEnNietGeladen = true;
        help.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        edit->setFocus();
        QVERIFY(ParGezondenEnNietGeladen);
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        QVERIFY(!ParGezondenEnNietGeladen);

        // a modal dialog opened from here does not count
        help.hide();
        QDialog modal(ed);
        auto* field = new QLineEdit(&modal);
        modal.setModal(true);
        modal.show();
        QVERIFY(QTest::qWaitForWindowActive(&modal));
        field->setFocus();
        ParGezondenEnNietGeladen = true;
        modal.hide();
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        QVERIFY(ParGezondenEnNietGeladen);
    }

    void printAsksWhenNothingLoaded()
    {
        CountingDialog print;
        app().FormAfdrukkenPar = &print;
        ed->hide();
        ed->show();
        QVERIFY(ed->Afdrukken1->isEnabled());
        ParStatus = 0;
        sui->answers = {QMessageBox::Cancel, QMessageBox::Yes};
        ed->Afdrukken1->trigger();
        QCOMPARE(print.opened, 0);
        ed->Afdrukken1->trigger();
        QCOMPARE(print.opened, 1);
        QCOMPARE(sui->messages.size(), 2);
        QCOMPARE(sui->messages[0].caption, QString("Afdruk"));
        QCOMPARE(sui->messages[0].text, QString("A1\n\r\n\r\n\r\n\r\n\rA6"));
        app().TaalGeladen = false;
        ed->Afdrukken1->trigger(); // no texts, no question, no printing
        app().TaalGeladen = true;
        QCOMPARE(print.opened, 1);
        ParStatus = 3;
        ed->Afdrukken1->trigger();
        QCOMPARE(print.opened, 2);
        QCOMPARE(print.unsent, 0);
        QCOMPARE(sui->messages.size(), 2);
        // Values changed here and not sent are counted for the report's header.
        ParWaarden[5] += 1;
        ParWaarden[20] += 1;
        ed->Afdrukken1->trigger();
        QCOMPARE(print.unsent, 2);
        QCOMPARE(print.property(UnsentValuesProperty).toInt(), 0);
        app().FormAfdrukkenPar = nullptr;
    }

    void wrapAtColumn42_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wrapped");
        QTest::newRow("short") << "Toch sluiten?"
                               << "Toch sluiten?";
        QTest::newRow("fits exactly") << "Parameters were sent to the controller but"
                                      << "Parameters were sent to the controller but";
        QTest::newRow("at a blank")
            << "Parameters were sent to the controller but not yet loaded."
            << "Parameters were sent to the controller \r\nbut not yet loaded.";
        QTest::newRow("quotes stay whole")
            << "aaaaaaaaa bbbbbbbbb cccccccc 'dd ee ff gg hh ii' jj"
            << "aaaaaaaaa bbbbbbbbb cccccccc \r\n'dd ee ff gg hh ii' jj";
        QTest::newRow("at a dash") << QString(38, 'x') + "-abcdefgh" << QString(38, 'x') + "-\r\nabcdefgh";
        QTest::newRow("long word stays") << QString(50, 'x') << QString(50, 'x');
    }

    void wrapAtColumn42()
    {
        QFETCH(QString, text);
        QFETCH(QString, wrapped);
        QCOMPARE(wrapMessage(text, 42), wrapped);
    }
};

QTEST_MAIN(TstEditParam)
#include "tst_editparam.moc"
