// Backup and restore against the simulated controller, from the main window's menu
// through the modal windows and the file dialogs: what goes over the line, the file, and what stays untouched.
#include <QTemporaryDir>
#include <QtTest>

#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "params/BackupRestore.h"
#include "params/CompareWindow.h"
#include "params/ControllerImage.h"
#include "params/EditParam.h"
#include "params/LeesParSoll.h"
#include "params/ParFiles.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"
#include "setpoints/EditSollwerten.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/EventWait.h"
#include "support/InProcessUnit.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

using namespace vx;

namespace {

// Answers a modal transfer window: OK when it is done, Cancel when it failed, after
// noting what the status panel said.
struct Answerer {
    QString lastPanel;
    int windowsSeen = 0;

    void watch(TTransferForm& w)
    {
        auto* t = new QTimer(&w);
        t->setInterval(20);
        QObject::connect(t, &QTimer::timeout, &w, [this, &w] {
            if (!w.isVisible() || !(w.isDone() || w.failed()))
                return;
            lastPanel = w.Panel1->text();
            ++windowsSeen;
            (w.isDone() ? w.CmdOK : w.CmdCancel)->click();
        });
        t->start();
    }
};

// How the question before a write names the connected controller.
QString target(int count)
{
    return QStringLiteral("%1 values will be written to this controller:\n\nType: VX50 V2.04\n"
                          "Serial number: SN 51000\nUnit: 0\nPort: COM 1 (sim)")
        .arg(count);
}

std::vector<std::string> expectedWrites(const TParWaarden& p, const TSollWaarden& s)
{
    std::vector<std::string> out;
    for (int n = 0; n <= 511; ++n)
        out.push_back("wp " + std::to_string(n) + ' ' + std::to_string(p[n]));
    for (int n = 1; n <= 80; ++n)
        out.push_back("ws " + std::to_string(n) + ' ' + std::to_string(s[n]));
    out.push_back("bp");
    return out;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    test::ProgramFolder m_program;
    std::unique_ptr<TFormMain> m_main;
    TFormLeesParSoll* m_lees = nullptr;
    TFormSchrijfParSoll* m_schrijf = nullptr;
    Answerer m_answer;

    sim::SimBus& bus() { return sim::defaultBus(); }

    TParWaarden simPars()
    {
        TParWaarden p;
        for (int n = 0; n <= 511; ++n)
            p[n] = bus().parameter(0, n);
        return p;
    }
    TSollWaarden simSoll()
    {
        TSollWaarden s;
        for (int n = 1; n <= 80; ++n)
            s[n] = bus().setpoint(0, n);
        return s;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The program folder: the shipped data files and English texts.
        QVERIFY(m_program.copyShipped({"Parameters.txt", "ParNo.txt", "Taal1.ini"}));
        QVERIFY(m_program.write("application.ini", "[Opties]\r\nTaal=1\r\n"));
        test::ScriptedUi::install();
        test::singleUnitAt38400();
        for (int n = 1; n <= 80; ++n)
            bus().setSetpoint(0, n, n * 1001 - 40000);

        m_main = test::startMain(m_program.path(), test::At38400);
        QVERIFY(m_main);
        QVERIFY(app().TaalGeladen);
        QVERIFY(m_main->SXComm1()->Active());
        // Whole-set runs: replies end at their line end (the pause rule has tests of its own).
        test::fastRepliesOn(*m_main);
        m_lees = FormLeesParSoll();
        m_schrijf = FormSchrijfParSoll();
        QVERIFY(m_lees && m_schrijf);
        QCOMPARE(m_lees->parentWidget(), m_main.get());
        m_answer.watch(*m_lees);
        m_answer.watch(*m_schrijf);
    }

    void cleanupTestCase()
    {
        m_main->SXComm1()->Close();
        m_main.reset();
        QVERIFY(!app().FormLeesParSoll);
    }

    void init()
    {
        app().TaalGeladen = true;
        app().OpenCloseDialoogPath = m_dir.path();
        // Identification and polling replies must not mix into the request log.
        QTest::qWait(300);
        bus().clearFaults();
        bus().clearLog();
        m_answer = Answerer{m_answer.lastPanel, 0};
    }

    QAction* action(const char* name) { return m_main->findChild<QAction*>(QLatin1String(name)); }

    // "Undo last restore" sits right below Restore and is enabled with it.
    void undoRestoreSitsBelowRestore()
    {
        QAction* undo = action("UndoRestore1");
        QVERIFY(undo);
        const QList<QAction*> items = qobject_cast<QMenu*>(undo->parent())->actions();
        QCOMPARE(items.indexOf(undo), items.indexOf(action("Restore1")) + 1);
        QCOMPARE(undo->text(), QStringLiteral("Undo last write..."));
        QVERIFY(undo->isEnabled());
        m_main->CmdSelectUnit->click(); // close
        QVERIFY(!action("Restore1")->isEnabled() && !undo->isEnabled());
        m_main->CmdSelectUnit->click();
        QVERIFY(undo->isEnabled());
    }

    void backupThenRestoreSendsWhatWasRead()
    {
        auto* ui = test::ScriptedUi::install();
        resetValueStore();
        ParWaarden[7] = 77;
        const TParWaarden pars = simPars();
        const TSollWaarden soll = simSoll();

        // The connection's own reads (the live scaling) are over before the log starts.
        QVERIFY(test::waitFor([&] { return !m_main->statusPanel(4)->text().isEmpty() && !m_main->liveScalingPending(); }, 20000));
        // Live values running: the backup stops them first.
        m_main->CmdActual->click();
        QVERIFY(app().ActualAan);
        QTest::qWait(200);
        bus().clearLog();

        const QString name = m_dir.filePath(QStringLiteral("unit0"));
        ui->fileNames = {name};
        QVERIFY(action("Backup1")->isEnabled());
        action("Backup1")->trigger();
        // The save dialog proposes a name that says which controller it was.
        QCOMPARE(ui->dialogDirs.value(0), QDir(m_dir.path()).filePath(QStringLiteral("VX50_SN51000_u0_") + QDate::currentDate().toString(Qt::ISODate) + ".bak"));
        // Stopped for the read, on again after it.
        QVERIFY(app().ActualAan);
        m_main->CmdActual->click();
        QVERIFY(!app().ActualAan);
        QTest::qWait(200);
        QCOMPARE(m_answer.lastPanel, QStringLiteral("Everything read."));

        // The read: rp 0 ... rp 511, then rs 1 ... rs 80.
        // The last live request may still have been on its way; the read's own are these.
        std::vector<std::string> reads;
        for (const auto& r : bus().requests())
            if (r.rfind("rp ", 0) == 0 || r.rfind("rs ", 0) == 0)
                reads.push_back(r);
        QCOMPARE(reads.size(), size_t(592));
        QCOMPARE(reads.front(), std::string("rp 0"));
        QCOMPARE(reads[511], std::string("rp 511"));
        QCOMPARE(reads[512], std::string("rs 1"));
        QCOMPARE(reads.back(), std::string("rs 80"));

        // The file: 16 020 bytes holding exactly what the controller had.
        QFile f(name + QStringLiteral(".bak"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.size(), 16020);
        QVERIFY(bytes == files::backupFileBytes(pars, soll));
        QCOMPARE(app().OpenCloseDialoogPath, m_dir.path());
        // The value store is not part of it.
        QCOMPARE(ParWaarden[7], 77);
        QCOMPARE(ParStatus, 0);

        // Change the controller, then restore the file.
        for (int n = 1; n <= 80; ++n)
            bus().setSetpoint(0, n, 0);
        bus().setParameter(0, 12, pars[12] + 1);
        // Live requests still queued when polling went off go out first.
        for (int i = 0; i < 20; ++i) {
            bus().clearLog();
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
            if (bus().requests().empty())
                break;
        }
        ui->fileNames = {name + QStringLiteral(".bak")};
        ui->answers = {QMessageBox::Yes};
        action("Restore1")->trigger();
        QCOMPARE(m_answer.windowsSeen, 2);
        QCOMPARE(m_answer.lastPanel, QStringLiteral("Restore complete, parameters loaded."));
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages[0].icon, QMessageBox::Warning);
        QCOMPARE(ui->messages[0].caption, QStringLiteral("Warning"));
        QCOMPARE(ui->messages[0].text, QStringLiteral("Restore from file  ") + name + QStringLiteral(".bak\n\r")
                                           + QStringLiteral("Every parameter and setpoint in the controller "
                                                            "will be overwritten. Continue?\n\n")
                                           + target(592));
        QCOMPARE(ui->messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(ui->messages[0].defaultButton, QMessageBox::No);
        // A finished restore is not offered again.
        QVERIFY(m_schrijf->CmdAgain->isHidden());
        QVERIFY(bus().requests() == expectedWrites(pars, soll));
        QVERIFY(simPars() == pars);
        QVERIFY(simSoll() == soll);
        QCOMPARE(ParWaarden[7], 77);
        QCOMPARE(ParStatus, 0);
    }

    // Every way of writing many values asks once, naming the controller and the count,
    // with No as the default; No sends nothing. The options' switch leaves out the
    // question for sends and ticked writes, never for a restore or an undo.
    void oneQuestionBeforeEveryWrite_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("lead");
        QTest::addRow("parameter editor send") << "parameters" << true << 512 << "";
        QTest::addRow("setpoint editor send") << "setpoints" << true << 80 << "";
        QTest::addRow("ticked write") << "ticked" << true << 2 << "";
        QTest::addRow("restore") << "restore" << true << 592 << "Restore from file";
        QTest::addRow("restore, switch off") << "restore" << false << 592 << "Restore from file";
        QTest::addRow("undo, switch off") << "undo" << false << 592 << "The safety backup";
        QTest::addRow("setpoint editor send, switch off") << "setpoints" << false << 0 << "";
    }

    void oneQuestionBeforeEveryWrite()
    {
        QFETCH(QString, how);
        QFETCH(bool, switchOn);
        QFETCH(int, count);
        QFETCH(QString, lead);
        auto* ui = test::ScriptedUi::install();
        const QString backup = m_dir.filePath(QStringLiteral("question.bak"));
        QVERIFY(files::writeBackupFile(nullptr, backup, simPars(), simSoll()));
        const QString safetyDir = safety::folder();
        QVERIFY(QDir().mkpath(safetyDir));
        QVERIFY(safety::save(safetyDir, safety::Identity{}, 0, simPars(), simSoll()).error.isEmpty());
        // No write on record: undo names the newest backup (what it undoes has its own test).
        QFile::remove(safetyDir + QStringLiteral("/writes.ini"));
        ParStatus = SollStatus = 1;
        const TSollWaarden soll = simSoll();
        for (int n = 1; n <= 80; ++n)
            SollWaarden[n] = soll[n];
        setWriteQuestionOn(switchOn);
        const auto restoreSwitch = qScopeGuard([] { setWriteQuestionOn(true); });
        // Where a question is due it is answered No; a write window that opened after all
        // is closed at once.
        ui->answers = {QMessageBox::No};
        if (count > 0)
            QTimer::singleShot(0, m_schrijf, [this] { m_schrijf->CmdCancel->click(); });
        bus().clearLog();

        TFormCompare compare(transfer::Sets{true, false}, m_main.get());
        if (how == "parameters") {
            m_main->findChild<TFormEditParam*>()->ParZendenClick();
        } else if (how == "setpoints") {
            m_main->findChild<TFormEditSollwerten*>()->Sollwertenzenden1Click();
        } else if (how == "restore") {
            ui->fileNames = {backup};
            QVERIFY(!RestoreUitvoeren(nullptr, *m_schrijf));
        } else if (how == "undo") {
            QVERIFY(!LaatsteRestoreTerug(nullptr, *m_schrijf));
        } else {
            resetValueStore();
            ParWaarden[12] = 3;
            ParWaarden[13] = 4;
            QVERIFY(compare.setSide(0, TFormCompare::Source::Editor));
            QVERIFY(compare.setSide(1, TFormCompare::Source::Defaults));
            compare.setTicked(0, true);
            compare.setTicked(1, true);
            compare.CmdWrite->click();
        }
        if (count == 0) {
            // No question: the send went ahead (the controller's own values, so nothing changes).
            QVERIFY2(ui->messages.isEmpty(), qPrintable(ui->messages.value(0).text));
            QVERIFY(bus().requestCount() > 0);
            QCOMPARE(bus().requests().front(), "ws 1 " + std::to_string(bus().setpoint(0, 1)));
            return;
        }
        QCOMPARE(ui->messages.size(), 1);
        const test::ShownMessage& m = ui->messages[0];
        QVERIFY2(m.text.startsWith(lead), qPrintable(m.text));
        QVERIFY2(m.text.contains(target(count)), qPrintable(m.text));
        QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(m.defaultButton, QMessageBox::No);
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR")) {
            QMessageBox box(m.icon, m.caption, m.text, m.buttons);
            box.setDefaultButton(m.defaultButton);
            box.show();
            test::saveShot(&box, QStringLiteral("write-question-") + how);
        }
        QTest::qWait(100);
        QCOMPARE(bus().requestCount(), size_t(0));
    }

    void restoreAnsweredNoOrWithoutTextsSendsNothing_data()
    {
        QTest::addColumn<bool>("texts");
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << true << int(QMessageBox::No);
        QTest::newRow("Cancel") << true << int(QMessageBox::Cancel);
        QTest::newRow("no language texts") << false << int(QMessageBox::Yes);
    }

    void restoreAnsweredNoOrWithoutTextsSendsNothing()
    {
        QFETCH(bool, texts);
        QFETCH(int, answer);
        const QString name = m_dir.filePath(QStringLiteral("plain.bak"));
        QVERIFY(files::writeBackupFile(nullptr, name, simPars(), simSoll()));
        auto* ui = test::ScriptedUi::install();
        app().TaalGeladen = texts;
        ui->fileNames = {name};
        ui->answers = {QMessageBox::StandardButton(answer)};
        QVERIFY(!RestoreUitvoeren(nullptr, *m_schrijf));
        QCOMPARE(ui->messages.size(), texts ? 1 : 0);
        QCOMPARE(m_answer.windowsSeen, 0);
        QCOMPARE(bus().requestCount(), size_t(0));
    }

    void damagedBackupIsRejectedBeforeSending()
    {
        const QString name = m_dir.filePath(QStringLiteral("short.bak"));
        QByteArray bytes = files::backupFileBytes(simPars(), simSoll());
        bytes.chop(1);
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        auto* ui = test::ScriptedUi::install();
        ui->fileNames = {name};
        QVERIFY(!RestoreUitvoeren(nullptr, *m_schrijf));
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages[0].text, QStringLiteral("This is not a valid backup file; nothing is sent."));
        QCOMPARE(bus().requestCount(), size_t(0));
    }

    void restoreRefusedAtParameter100StopsThere()
    {
        const QString name = m_dir.filePath(QStringLiteral("refused.bak"));
        QVERIFY(files::writeBackupFile(nullptr, name, simPars(), simSoll()));
        auto* ui = test::ScriptedUi::install();
        ui->fileNames = {name};
        bus().addFault(sim::Fault::er7AtParameter(100));
        QVERIFY(!RestoreUitvoeren(nullptr, *m_schrijf));
        QCOMPARE(m_answer.lastPanel, QStringLiteral("(er 7) Value refused by the controller."));
        const auto sent = bus().requests();
        QCOMPARE(sent.size(), size_t(101));
        QVERIFY(QString::fromStdString(sent.back()).startsWith(QLatin1String("wp 100 ")));
    }

    // With the differences rule a restore writes one value; what its boxes say must
    // follow what the controller confirmed, and an unfinished write stays the way back.
    void writesSayWhatTheControllerConfirmed()
    {
        safety::setBackupsOn(true);
        const auto off = qScopeGuard([] { safety::setBackupsOn(false); });
        TParWaarden pars = simPars();
        pars[100] += 1;
        const QString name = m_dir.filePath(QStringLiteral("one-differs.bak"));
        QVERIFY(files::writeBackupFile(nullptr, name, pars, simSoll()));
        // What the controller holds is known from a whole read: the question can count.
        QCOMPARE(m_lees->run(2), int(QDialog::Accepted));
        const auto interruptedBox = [](const test::ScriptedUi& ui) {
            for (const test::ShownMessage& m : ui.messages)
                if (m.caption == QLatin1String("Write interrupted"))
                    return m.text.split(QStringLiteral("\n\r"));
            return QStringList();
        };

        auto* ui = test::ScriptedUi::install();
        ui->fileNames = {name};
        bus().addFault(sim::Fault::er7AtParameter(100));
        QVERIFY(!RestoreUitvoeren(nullptr, *m_schrijf));
        QVERIFY(ui->messages[0].text.contains(QLatin1String("1 of 592 values differ")));
        QCOMPARE(interruptedBox(*ui), QStringList({"The controller confirmed 0 values: none.",
                                                   "Parameter 100 was refused by the controller."}));
        const auto first = safety::lastWrite(safety::folder(), app().ApparaatRx);
        QVERIFY(first && !first->finished && QFile::exists(first->backup));

        // Run again: told that the last one did not finish, and its backup stays the way back.
        bus().clearFaults();
        ui = test::ScriptedUi::install();
        ui->fileNames = {name};
        QVERIFY(RestoreUitvoeren(nullptr, *m_schrijf));
        QVERIFY2(ui->messages[0].text.contains(QLatin1String("did not finish")), qPrintable(ui->messages[0].text));
        QCOMPARE(bus().parameter(0, 100), pars[100]);
        const auto second = safety::lastWrite(safety::folder(), app().ApparaatRx);
        QVERIFY(second && second->finished);
        QCOMPARE(second->backup, first->backup);

        // Undo says what it undoes, and writes the backup from before the first attempt.
        ui = test::ScriptedUi::install();
        ui->answers = {QMessageBox::No};
        QVERIFY(!LaatsteRestoreTerug(nullptr, *m_schrijf));
        QVERIFY2(ui->messages[0].text.contains(QLatin1String("the restore of")), qPrintable(ui->messages[0].text));
        QVERIFY(ui->messages[0].text.contains(QDir::toNativeSeparators(first->backup)));
    }

    // "bp" goes out when a parameter was written since the last one, even if nothing
    // differs now; "loaded" is said only after it.
    void loadedOnlyAfterAConfirmedBp()
    {
        safety::setBackupsOn(true);
        const auto off = qScopeGuard([] { safety::setBackupsOn(false); });
        for (const bool pending : {true, false}) {
            if (pending) {
                bus().setParameter(0, 20, 1500);
                images::connectedImage()->confirmed(transfer::Item::Parameter, 20, 1500); // as the service dialog's Send
            }
            QVERIFY(images::connected()->writtenSinceCompute() == pending);
            bus().clearLog();
            m_schrijf->ParBuffer = simPars();
            QCOMPARE(m_schrijf->run(0), int(QDialog::Accepted));
            const auto sent = bus().requests();
            QCOMPARE(std::count(sent.begin(), sent.end(), std::string("bp")), pending ? 1 : 0);
            QCOMPARE(m_answer.lastPanel.section(u'\n', 0, 0),
                     pending ? QStringLiteral("Parameters sent and loaded.")
                             : QStringLiteral("The controller already holds these values; nothing was written."));
            QVERIFY(!images::connected()->writtenSinceCompute());
        }
    }

    // The main window's receive is the editor's new reference, not an edit; a restore
    // after it makes the editor's set older than the controller, and it says so.
    void editorFollowsTheControllerItIsAbout()
    {
        auto* ed = m_main->findChild<TFormEditParam*>();
        QVERIFY(ed);
        auto* ui = test::ScriptedUi::install();
        QVERIFY(ParSollOntvangen(*m_lees));
        ed->show();
        ParWaarden[7] += 1; // an edit not sent
        QVERIFY(ed->gewijzigd());
        ed->hide();
        QVERIFY(ParSollOntvangen(*m_lees));
        ed->show();
        QVERIFY(!ed->gewijzigd());
        ed->verwerpWijzigingen();
        QCOMPARE(ParWaarden[7], bus().parameter(0, 7));
        QVERIFY(!ed->windowTitle().contains(QLatin1String("older")));
        ed->hide();

        TParWaarden pars = simPars();
        pars[100] += 1;
        const QString name = m_dir.filePath(QStringLiteral("other.bak"));
        QVERIFY(files::writeBackupFile(nullptr, name, pars, simSoll()));
        ui->fileNames = {name};
        QVERIFY(RestoreUitvoeren(nullptr, *m_schrijf));
        ed->show();
        QVERIFY2(ed->windowTitle().contains(QLatin1String("older than the controller")), qPrintable(ed->windowTitle()));
        // Sending it would undo the restore: the question offers to receive first.
        ui = test::ScriptedUi::install();
        ui->answers = {QMessageBox::Cancel};
        bus().clearLog();
        ed->ParZendenClick();
        QCOMPARE(ui->messages.size(), 1);
        QVERIFY(ui->messages[0].text.startsWith(QLatin1String("Note: this set is older")));
        QCOMPARE(bus().requestCount(), size_t(0));
        ed->hide();
    }

    void failedReadMakesNoFile()
    {
        auto* ui = test::ScriptedUi::install();
        bus().addFault(sim::Fault::noReply("rp 3"));
        ui->fileNames = {m_dir.filePath(QStringLiteral("never"))};
        QVERIFY(!BackupMaken(nullptr, *m_lees));
        QCOMPARE(m_answer.lastPanel, QStringLiteral("No reply from the controller!"));
        QVERIFY(ui->dialogCaptions.isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.bak"))));
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
