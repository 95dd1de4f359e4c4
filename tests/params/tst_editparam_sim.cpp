// The whole program against the simulated controller: the main window opens the
// editor, a single value goes to the controller from the service dialog, the loader
// has it computed, and closing after a single write asks first.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "params/EditParam.h"
#include "params/LeesParSoll.h"
#include "params/ParLoader.h"
#include "params/ParamService.h"
#include "params/SchrijfParSoll.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/InProcessUnit.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace vx;

namespace {

void whenModal(std::function<void()> action)
{
    QTimer::singleShot(0, std::move(action));
}

} // namespace

class TstEditParamSim : public QObject {
    Q_OBJECT

    test::ProgramFolder dir;

private slots:
    void initTestCase()
    {
        // The question before a whole-set write has its own test; here it would only
        // add to the questions counted.
        setWriteQuestionOn(false);
        if (qEnvironmentVariableIsEmpty("VX_DATA_DIR"))
            QSKIP("VX_DATA_DIR not set");
        QVERIFY(dir.copyShipped({"Parameters.txt", "ParNo.txt", "Taal0.ini", "Tree0.txt"}));
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
        sim::resetDefaultBus();
    }

    void singleWriteLoadAndClose()
    {
        auto* sui = test::ScriptedUi::install();
        resetValueStore();
        ParWaarden[203] = 2; // positions with two decimals, as if received
        const auto main = test::startMain(dir.path());
        QVERIFY(main);
        TFormMain& w = *main;

        auto* ed = w.findChild<TFormEditParam*>();
        auto* svc = w.findChild<TFormParamService*>();
        auto* loader = w.findChild<TFormParLoader*>();
        QVERIFY(ed && svc && loader);
        const QString accepted = taal("ParamService", "PanelTekst4", "");
        const QString loaded = taal("Loader", "PanelTekst4", "");
        const QString refused = taal("Loader", "PanelTekst5", "");

        int nr = -1;
        bool done = false;
        whenModal([&] {
            QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(ed));
            QVERIFY(ed->Loader1->isEnabled());
            QVERIFY(ed->NokkenInfo1->isEnabled()); // the other parts' windows are there
            QVERIFY(ed->ErrorNummers1->isEnabled());
            // group 2, third sub-menu, first row: a position (decimals of parameter 203)
            ed->TreeView1->setCurrentItem(ed->TreeView1->topLevelItem(0)->child(1)->child(2));
            ed->StringGrid1->setFocus();
            ed->StringGrid1->setCurrentCell(0, 0);
            nr = ed->cell(1, 1).toInt();
            whenModal([&] {
                QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(svc));
                svc->MaskEditParData->setText("1,5");
                svc->CmdZenden->click();
                QTRY_VERIFY_WITH_TIMEOUT(!svc->wachten(), 3000);
                QCOMPARE(svc->PanelService->text(), accepted);
                svc->CmdCancel->click();
            });
            QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
            QCOMPARE(sim::defaultBus().parameter(0, nr), 150);
            QCOMPARE(ParWaarden[nr], 150);
            QCOMPARE(ed->cell(1, 3), QString("1,50"));
            QVERIFY(ParGezondenEnNietGeladen);

            whenModal([&] {
                QTRY_VERIFY_WITH_TIMEOUT(!loader->Panel1->text().isEmpty(), 3000);
                const QString text = loader->Panel1->text();
                QVERIFY2(text == loaded || text.startsWith(refused), qPrintable(text));
                loader->CmdOK->click();
            });
            ed->Loader1->trigger();
            QVERIFY(!ParGezondenEnNietGeladen);

            // another single write, then close: the question comes first
            whenModal([&] {
                svc->MaskEditParData->setText("2");
                svc->CmdZenden->click();
                QTRY_VERIFY_WITH_TIMEOUT(!svc->wachten(), 3000);
                svc->CmdOK->click();
            });
            QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
            QCOMPARE(sim::defaultBus().parameter(0, nr), 200);
            QVERIFY(!ed->gewijzigd()); // what was sent is not unsent

            // A value only kept with OK stays unsent, though a send before left the
            // "sent, not loaded" flag up; putting it back clears the mark again.
            ed->StringGrid1->setCurrentCell(1, 0);
            const QString original = ed->cell(2, 3);
            for (const QString& text : {QStringLiteral("3"), original}) {
                whenModal([&] {
                    svc->MaskEditParData->setText(text);
                    svc->CmdOK->click();
                });
                QTest::keyClick(ed->StringGrid1, Qt::Key_Return);
                QCOMPARE(ed->gewijzigd(), text != original);
                QCOMPARE(ed->windowTitle().endsWith(QStringLiteral(" *")), text != original);
            }
            ed->Afsluiten1->trigger(); // the scripted box answers Yes
            done = true;
        });
        w.Par11Click();
        QVERIFY(done);
        QVERIFY(!ed->isVisible());
        QCOMPARE(sui->messages.size(), 1);
        QCOMPARE(sui->messages[0].icon, QMessageBox::Warning);

        const auto requests = sim::defaultBus().requests();
        QVERIFY(std::find(requests.begin(), requests.end(), "bp") != requests.end());
        w.CmdSelectUnit->click();
        setUiSeams(nullptr);
    }

    void transfersAndFiles()
    {
        auto* sui = test::ScriptedUi::install();
        resetValueStore();
        // One controller on a faster line keeps the whole-set transfers short, and
        // replies end at their line end.
        test::singleUnitAt38400();
        const auto main = test::startMain(dir.path(), test::At38400);
        QVERIFY(main);
        TFormMain& w = *main;
        test::fastRepliesOn(w);
        auto* ed = w.findChild<TFormEditParam*>();
        auto* lees = w.findChild<TFormLeesParSoll*>();
        auto* schrijf = w.findChild<TFormSchrijfParSoll*>();
        QVERIFY(ed && lees && schrijf);
        const QString file = dir.filePath("set.app");

        bool done = false;
        whenModal([&] {
            QVERIFY(ed->ParOntvangen1->isEnabled());
            QVERIFY(ed->ParZenden1->isEnabled());
            const QString before = ed->cell(1, 3);

            // Cancelled receive: nothing changes
            whenModal([&] { lees->CmdCancel->click(); });
            ed->ParOntvangen1->trigger();
            QCOMPARE(ParStatus, 0);
            QCOMPARE(ed->cell(1, 3), before);
            QCOMPARE(ParWaarden[0], 0);

            // Sending a set never loaded asks first; No sends nothing
            sim::defaultBus().clearLog();
            sui->answers = {QMessageBox::No};
            ed->ParZenden1->trigger();
            QCOMPARE(sui->messages.size(), 1);
            QCOMPARE(sim::defaultBus().requestCount(), size_t(0));

            // Receive to the end
            sim::defaultBus().setParameter(0, 0, 7);
            // A timer rather than a waiting loop: the line hands every byte over to
            // this thread, which must not sleep meanwhile.
            QTimer ok;
            connect(&ok, &QTimer::timeout, [&] {
                if (lees->isVisible() && lees->isDone())
                    lees->CmdOK->click();
                if (schrijf->isVisible() && schrijf->isDone())
                    schrijf->CmdOK->click();
            });
            ok.start(20);
            ed->ParOntvangen1->trigger();
            QCOMPARE(ParStatus, 1);
            QCOMPARE(ParWaarden[0], 7);
            QCOMPARE(ed->cell(1, 3), QString("7"));

            // Save, change, open again
            sui->fileNames = {file};
            ed->OpslaanAls1->trigger();
            QVERIFY(QFile::exists(file));
            ParWaarden[0] = 9;
            sui->fileNames = {file};
            ed->Openen1->trigger();
            QCOMPARE(ParStatus, 2);
            QCOMPARE(ParWaarden[0], 7);

            // Send the whole set: clears the single-write mark
            ParWaarden[0] = 3;
            ParGezondenEnNietGeladen = true;
            const int asked = int(sui->messages.size());
            ed->ParZenden1->trigger();
            QCOMPARE(sui->messages.size(), asked);
            QCOMPARE(sim::defaultBus().parameter(0, 0), 3);
            QVERIFY(!ParGezondenEnNietGeladen);
            ed->Afsluiten1->trigger();
            done = true;
        });
        w.Par11Click();
        QVERIFY(done);
        w.CmdSelectUnit->click();
        setUiSeams(nullptr);
    }
};

QTEST_MAIN(TstEditParamSim)
#include "tst_editparam_sim.moc"
