// Safety backups and read-back against the simulated controller: the file name and
// pruning rules, a restore that keeps its way back, a safety read that fails before
// anything is written, and a write the controller silently ignores.
#include "app/Opties.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "core/Taal.h"
#include "device/ControllerLine.h"
#include "params/BackupRestore.h"
#include "params/CompareWindow.h"
#include "params/ParFormats.h"
#include "params/ParTree.h"
#include "params/ParameterDefs.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"
#include "setpoints/Reports.h"
#include "sim/SimBus.h"
#include "sim/SimOptions.h"
#include "support/EventWait.h"
#include "support/InProcessUnit.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vx;

class TestVerify : public QObject {
    Q_OBJECT
    TSXComm* m_port = nullptr;
    TFormSchrijfParSoll* m_schrijf = nullptr;
    QTemporaryDir m_dir;
    QString m_lastPanel;

    sim::SimBus& bus() { return sim::defaultBus(); }

    // The controller as a backup file's bytes, read straight from the simulator.
    QByteArray controllerBytes()
    {
        TParWaarden par;
        TSollWaarden soll;
        for (int n = 0; n <= 511; ++n)
            par[n] = bus().parameter(0, n);
        for (int n = 1; n <= 80; ++n)
            soll[n] = bus().setpoint(0, n);
        return files::backupFileBytes(par, soll);
    }

    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    int requestsStartingWith(const char* head)
    {
        int n = 0;
        for (const std::string& r : bus().requests())
            n += r.rfind(head, 0) == 0 ? 1 : 0;
        return n;
    }

private slots:
    void initTestCase()
    {
        const QString data = qEnvironmentVariable("VX_DATA_DIR");
        if (data.isEmpty())
            QSKIP("VX_DATA_DIR not set");
        QVERIFY(test::loadProgramData(data, 1));
        paths::setUserDataDir(m_dir.filePath("user"));
        test::singleUnitAt38400("SN 4711/B");
        for (int n = 1; n <= 80; ++n)
            bus().setSetpoint(0, n, n * 7);

        m_port = test::openCom1At38400(this);
        QVERIFY(m_port->Active());
        // Three whole-set passes per restore: replies end at their line end.
        setFastReplies(true, m_port);
        m_schrijf = new TFormSchrijfParSoll;
        // Answers the modal window: OK when done, Cancel when it failed.
        auto* t = new QTimer(m_schrijf);
        connect(t, &QTimer::timeout, this, [this] {
            if (!m_schrijf->isVisible() || !(m_schrijf->isDone() || m_schrijf->failed()))
                return;
            m_lastPanel = m_schrijf->Panel1->text();
            test::saveShot(m_schrijf, m_schrijf->isDone() ? "transfer-verified" : "transfer-safety-failed");
            (m_schrijf->isDone() ? m_schrijf->CmdOK : m_schrijf->CmdCancel)->click();
        });
        t->start(20);
    }

    void cleanupTestCase()
    {
        delete m_schrijf;
        if (m_port)
            m_port->Close();
        app().SXComm1 = nullptr;
        setUiSeams(nullptr);
        paths::setUserDataDir({});
    }

    void init()
    {
        // Every question answered Yes unless a test says otherwise, so each test also
        // runs on its own.
        test::ScriptedUi::install();
        bus().clearFaults();
        bus().clearLog();
        safety::setBackupsOn(true);
        safety::setVerifyOn(true);
        app().TaalGeladen = true;
    }

    void fileNameRule_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("rx");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "VX50"
                               << "SN 123456"
                               << "VX50_SN_123456_u0_2026-12-07_14-03-22.bak";
        QTest::newRow("empty") << "VX51"
                               << ""
                               << "VX51_unknown_u0_2026-12-07_14-03-22.bak";
        QTest::newRow("blanks only") << "VX50"
                                     << "   "
                                     << "VX50_unknown_u0_2026-12-07_14-03-22.bak";
        QTest::newRow("path and odd characters") << "VX50"
                                                 << "../a\\b:c*ü-9"
                                                 << "VX50____a_b_c__-9_u0_2026-12-07_14-03-22.bak";
        QTest::newRow("separator in type") << "V_X"
                                           << "x"
                                           << "V-X_x_u0_2026-12-07_14-03-22.bak";
        QTest::newRow("no type") << ""
                                 << "7"
                                 << "unknown_7_u0_2026-12-07_14-03-22.bak";
    }

    void fileNameRule()
    {
        QFETCH(QString, type);
        QFETCH(QString, rx);
        QFETCH(QString, name);
        const QDateTime when(QDate(2026, 12, 7), QTime(14, 3, 22));
        QCOMPARE(safety::fileName(type, rx, 0, when), name);
        QVERIFY(!name.contains(u'/'));
        // Every name the rule makes is found again as a safety backup of that rx text.
        QTemporaryDir dir;
        const safety::Taken t = safety::save(dir.path(), {type, rx}, 0, {}, {}, when);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QCOMPARE(safety::backups(dir.path(), &rx), QStringList{t.path});
    }

    // 50 kept per rx text, the oldest go; another controller's are left alone, and two
    // in the same second do not overwrite each other.
    void pruneKeepsNewestFifty()
    {
        QTemporaryDir dir;
        const QDateTime start(QDate(2026, 1, 1), QTime(8, 0, 0));
        TParWaarden par;
        for (int i = 0; i < 3; ++i)
            QVERIFY(safety::save(dir.path(), {"VX51", "other"}, 5, par, {}, start).ok());
        for (int i = 0; i < 55; ++i) {
            par[1] = i;
            QVERIFY(safety::save(dir.path(), {"VX50", "SN 1"}, 0, par, {}, start.addSecs(i)).ok());
        }
        const QString rx = "SN 1", other = "other";
        const QStringList kept = safety::backups(dir.path(), &rx);
        QCOMPARE(kept.size(), 50);
        QVERIFY(kept.first().endsWith("08-00-05.bak"));
        QCOMPARE(safety::backups(dir.path(), &other).size(), 3);
        TParWaarden newest;
        TSollWaarden soll;
        QCOMPARE(files::parseBackupFile(readAll(safety::latest(dir.path())), newest, soll), files::BackupError::None);
        QCOMPARE(newest[1], 54);
    }

    // Pruning goes by modification time, never takes the backup just written, and
    // leaves backups dated in the future alone without counting them.
    void pruneByModificationTime_data()
    {
        QTest::addColumn<int>("older");  // backups with a past modification time
        QTest::addColumn<int>("future"); // dated ahead, as by a clock once set ahead
        QTest::addColumn<int>("left");   // older ones kept
        QTest::newRow("55 older") << 55 << 0 << 49;
        QTest::newRow("49 older") << 49 << 0 << 49;
        QTest::newRow("50 in the future") << 0 << 50 << 0;
        QTest::newRow("55 older, 50 in the future") << 55 << 50 << 49;
    }
    void pruneByModificationTime()
    {
        QFETCH(int, older);
        QFETCH(int, future);
        QFETCH(int, left);
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        const safety::Identity id{"VX50", "SN 9"};
        auto place = [&](const QDateTime& named, const QDateTime& modified) {
            const QString path = dir.filePath(safety::fileName(id.type, id.rx, 0, named));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(files::backupFileBytes({}, {})) > 0 && f.flush());
            QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
        };
        // Names run against the modification times: the name of the oldest file is the newest.
        for (int i = 0; i < older; ++i)
            place(now.addDays(-1).addSecs(-i), now.addDays(-100).addSecs(i * 60));
        for (int i = 0; i < future; ++i)
            place(now.addYears(1).addSecs(i), now.addYears(1).addSecs(i));
        const safety::Taken t = safety::save(dir.path(), id, 0, {}, {}, now);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QVERIFY(QFileInfo::exists(t.path));
        const QStringList kept = safety::backups(dir.path(), &id.rx);
        QCOMPARE(kept.size(), 1 + future + left);
        // The older ones kept are the newest by modification time.
        QDateTime oldestKept;
        int olderKept = 0;
        for (const QString& path : kept) {
            const QDateTime m = QFileInfo(path).lastModified();
            if (path == t.path || m > now)
                continue;
            ++olderKept;
            if (!oldestKept.isValid() || m < oldestKept)
                oldestKept = m;
        }
        QCOMPARE(olderKept, left);
        if (left > 0)
            QCOMPARE(oldestKept.secsTo(now.addDays(-100)), -qint64(older - left) * 60);
    }

    // A restore saves the controller as it was first, verifies what it wrote, and undo
    // brings the earlier state back byte for byte.
    void restoreKeepsAWayBack()
    {
        const QByteArray before = controllerBytes();
        TParWaarden par;
        TSollWaarden soll;
        QCOMPARE(files::parseBackupFile(before, par, soll), files::BackupError::None);
        par[11] = par[11] == parMax(11) ? parMin(11) : parMax(11);
        for (int n = 1; n <= 80; ++n)
            soll[n] = -n;
        const QString file = m_dir.filePath("restore.bak");
        QVERIFY(files::saveAtomically(file, files::backupFileBytes(par, soll)));

        auto* ui = test::ScriptedUi::install();
        ui->fileNames = {file};
        ui->answers = {QMessageBox::Yes};
        QVERIFY(RestoreUitvoeren(nullptr, *m_schrijf));
        const QString saved = m_schrijf->safetyBackupPath();
        QVERIFY(QFileInfo(saved).fileName().startsWith("VX50_SN_4711_B_u0_"));
        QCOMPARE(QFileInfo(saved).absolutePath(), QDir(safety::folder()).absolutePath());
        QCOMPARE(readAll(saved), before);
        QVERIFY(m_lastPanel.contains("Verified: 592 of 592"));
        // Only what differed from the safety backup went out.
        QVERIFY2(m_lastPanel.contains("81 differing values written, 511 equal ones skipped"), qPrintable(m_lastPanel));
        QCOMPARE(requestsStartingWith("wp "), 1);
        QCOMPARE(controllerBytes(), files::backupFileBytes(par, soll));

        ui = test::ScriptedUi::install();
        ui->answers = {QMessageBox::Yes};
        QVERIFY(LaatsteRestoreTerug(nullptr, *m_schrijf));
        QCOMPARE(ui->messages.size(), 1);
        QVERIFY(ui->messages[0].text.contains(QDir::toNativeSeparators(saved)));
        QCOMPARE(controllerBytes(), before);
        QVERIFY(m_schrijf->verified() && m_schrijf->verifyResult().ok());

        // Answered No: nothing goes to the controller.
        ui = test::ScriptedUi::install();
        ui->answers = {QMessageBox::No};
        bus().clearLog();
        QVERIFY(!LaatsteRestoreTerug(nullptr, *m_schrijf));
        QCOMPARE(bus().requestCount(), size_t(0));
    }

    // A lost line or a refusal while the safety backup is read: nothing is written,
    // no file is left, and the window says why.
    void incompleteSafetyBackupPreventsRestore_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("why");
        QTest::newRow("lost") << "no-reply:cmd=rp_300"
                              << "rp 300";
        QTest::newRow("refused") << "er:n=3,cmd=rs_40"
                                 << "rs 40";
        QTest::newRow("identity") << "no-reply:cmd=rx"
                                  << "rx";
    }

    void incompleteSafetyBackupPreventsRestore()
    {
        QFETCH(QString, fault);
        QFETCH(QString, why);
        const QString file = m_dir.filePath("plain.bak");
        QVERIFY(files::saveAtomically(file, controllerBytes()));
        const int backupsBefore = int(safety::backups(safety::folder()).size());
        sim::Fault f;
        std::string error;
        QVERIFY(sim::parseFault(fault.toStdString(), f, error));
        bus().addFault(f);
        auto* ui = test::ScriptedUi::install();
        ui->fileNames = {file};
        ui->answers = {QMessageBox::Yes};
        QVERIFY(!RestoreUitvoeren(nullptr, *m_schrijf));
        QCOMPARE(requestsStartingWith("wp "), 0);
        QCOMPARE(requestsStartingWith("ws "), 0);
        QVERIFY2(m_lastPanel.contains("nothing was written") && m_lastPanel.contains(why), qPrintable(m_lastPanel));
        QCOMPARE(int(safety::backups(safety::folder()).size()), backupsBefore);
    }

    // Cancel before or during the safety backup closes the window without a write.
    void cancelDuringSafetyBackupWritesNothing()
    {
        for (const bool early : {true, false}) {
            bus().clearLog();
            m_schrijf->start(3);
            // The late Cancel comes once the safety read is under way (after the
            // identity requests), whatever the machine's load.
            if (!early)
                QTRY_VERIFY(requestsStartingWith("rp ") > 0);
            m_schrijf->CmdCancel->click();
            QTRY_VERIFY(!m_schrijf->isVisible());
            QTest::qWait(200);
            QCOMPARE(requestsStartingWith("wp "), 0);
            const int reads = requestsStartingWith("rp ");
            QVERIFY2(early ? reads == 0 : reads > 0 && reads < 512, qPrintable(QString::number(reads)));
            QVERIFY(m_schrijf->safetyBackupPath().isEmpty());
        }
    }

    // The controller echoes a write of parameter 12 but keeps its old value: the
    // read-back names it, and the compare window opens on it.
    void verifyCatchesAnIgnoredWrite()
    {
        safety::setBackupsOn(false);
        sim::Fault f;
        std::string error;
        QVERIFY(sim::parseFault("ignore-write:p=12", f, error));
        bus().addFault(f);
        const qint32 old = bus().parameter(0, 12);
        for (int n = 0; n <= 511; ++n)
            m_schrijf->ParBuffer[n] = bus().parameter(0, n);
        m_schrijf->ParBuffer[12] = old == parMax(12) ? parMin(12) : parMax(12);
        QCOMPARE(m_schrijf->run(0), int(QDialog::Accepted));
        QCOMPARE(bus().parameter(0, 12), old);
        const verify::Result& v = m_schrijf->verifyResult();
        QCOMPARE(v.total, 512);
        QCOMPARE(v.verified, 511);
        QCOMPARE(v.mismatches.size(), 1);
        QCOMPARE(v.mismatches[0].number, 12);
        QCOMPARE(v.mismatches[0].b, old);
        QVERIFY2(m_lastPanel.contains("Verified: 511 of 512") && m_lastPanel.contains("P012"), qPrintable(m_lastPanel));
        QVERIFY(m_schrijf->safetyBackupPath().isEmpty());
    }

    // Write ticked: one refused (stays marked), one ignored (caught by the read-back),
    // one written and verified; in every language, with a screenshot of each.
    void writeTickedIsVerified()
    {
        TParWaarden original;
        for (int n = 0; n <= 511; ++n)
            original[n] = bus().parameter(0, n);
        TParWaarden par = original;
        QList<int> changed;
        for (int n = 1; n <= 511 && changed.size() < 3; ++n)
            if (n != ParDecimalsParameter && parExists(n) && parType(n) == 0 && parMin(n) < parMax(n)
                && par[n] != parMax(n)) {
                par[n] = parMax(n);
                changed << n;
            }
        QCOMPARE(changed.size(), 3);
        const QString file = m_dir.filePath("three.app");
        QVERIFY(files::saveAtomically(file, files::parameterFileText(0, par)));

        for (int lang : {1, 0, 2}) {
            app().TaalIndex = lang;
            QVERIFY(loadTaalFile());
            resetValueStore();
            for (int n : changed)
                bus().setParameter(0, n, original[n]);
            bus().clearFaults();
            TFormCompare w(transfer::Sets{true, false});
            w.resize(900, 360);
            w.show();
            QVERIFY(w.setSide(0, TFormCompare::Source::File, file));
            QVERIFY(w.setSide(1, TFormCompare::Source::Controller));
            QVERIFY(test::waitFor([&] { return !w.busy(); }, 240000));
            QCOMPARE(w.visibleRows(), 3);
            for (int r = 0; r < 3; ++r)
                w.setTicked(r, true);
            bus().addFault(sim::Fault::er7AtParameter(changed[0]));
            bus().addFault(sim::Fault::ignoreWrite(changed[1]));
            w.CmdWrite->click();
            // The rows are written from the event loop.
            QVERIFY(test::waitFor([&] { return !w.busy(); }, 60000));
            QCOMPARE(w.stateAt(0), TFormCompare::RowState::Refused);
            QCOMPARE(w.stateAt(1), TFormCompare::RowState::Mismatch);
            QCOMPARE(w.stateAt(2), TFormCompare::RowState::Verified);
            QVERIFY(w.rowAt(0).differs() && w.rowAt(1).differs() && !w.rowAt(2).differs());
            // Only the verified value counts as sent for an editor.
            QCOMPARE(w.confirmed().size(), 1);
            QCOMPARE(w.confirmed()[0].number, changed[2]);
            QCOMPARE(w.confirmed()[0].value, par[changed[2]]);
            if (lang == 1)
                QVERIFY2(w.PanelStatus->text().contains("Verified: 1 of 2"), qPrintable(w.PanelStatus->text()));
            test::saveShot(&w, QStringLiteral("verify-compare-%1").arg(lang == 0 ? "nl" : lang == 1 ? "en"
                                                                                                    : "de"));
        }
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        bus().clearFaults();
    }

    // Grouped by the editor's menu tree (menu order, then number; no menu last), and
    // printed to a PDF through the report machinery.
    void groupedByMenuAndPrinted()
    {
        resetValueStore();
        ParWaarden = compare::defaultsSet().par;
        int changed = 0;
        for (int n = 511; n >= 0 && changed < 30; --n)
            if (parExists(n) && parType(n) == 0 && parDefault(n) < parMax(n)) {
                ParWaarden[n] = parDefault(n) + 1;
                ++changed;
            }
        TFormCompare w(transfer::Sets{true, false}); // the editor against the defaults
        QCOMPARE(w.visibleRows(), changed);
        QVERIFY(w.Grid->isColumnHidden(TFormCompare::ColMenu));
        w.CheckGroup->setChecked(true);
        QVERIFY(!w.Grid->isColumnHidden(TFormCompare::ColMenu));
        const auto places = compare::menuPlaces(loadParTree());
        QVERIFY(!places.isEmpty());
        std::pair<int, int> last{-1, -1};
        for (int r = 0; r < w.visibleRows(); ++r) {
            const int n = w.rowAt(r).number;
            const std::pair<int, int> key{places.contains(n) ? places[n].order : INT_MAX, n};
            QVERIFY(key > last);
            last = key;
            QCOMPARE(w.cellText(r, TFormCompare::ColMenu),
                     places.contains(n) ? places[n].heading : QStringLiteral("(in no menu)"));
        }

        TFormCompare::setReportDrawer([](QPainter& p, QSize size, const QString& title, const QStringList& lines,
                                         const std::function<void()>& newPage) {
            drawLinesReport(p, size, currentReportHeader(), title, lines, newPage);
        });
        const QStringList lines = w.reportLines();
        QVERIFY(lines.contains(w.cellText(0, TFormCompare::ColMenu)));
        w.resize(900, 500);
        test::saveShot(&w, "verify-compare-grouped");
        const QString shots = qEnvironmentVariable("VX_SHOT_DIR");
        const QString pdf = shots.isEmpty() ? m_dir.filePath("compare.pdf") : shots + "/verify-compare.pdf";
        QVERIFY(w.printPdf(pdf));
        QVERIFY(readAll(pdf).startsWith("%PDF"));
        TFormCompare::setReportDrawer({});
    }

    // Opties shows and changes both switches.
    void optionsSwitchBoth()
    {
        TFormOpties o;
        o.show();
        QVERIFY(o.CheckVeiligheidsbackup->isChecked() && o.CheckVerifieren->isChecked());
        QCOMPARE(o.CheckVerifieren->text(), QStringLiteral("Read back and verify after writing"));
        test::saveShot(&o, "verify-opties");
        QVERIFY(!o.CheckAllesSchrijven->isChecked());
        o.CheckVeiligheidsbackup->setChecked(false);
        o.CheckAllesSchrijven->setChecked(true);
        o.CmdOKClick();
        QVERIFY(!safety::backupsOn() && safety::verifyOn() && writeEveryValueOn());
        setWriteEveryValueOn(false);
    }
};

QTEST_MAIN(TestVerify)
#include "tst_verify.moc"
