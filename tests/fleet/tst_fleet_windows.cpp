// The bus overview and the backup history against three simulated controllers (two
// types, two baud rates) in process: the search finds each with its identification,
// "Backup every unit" goes on past a silent one, a double-click connects the main
// window, another controller's backup is questioned before a restore, and the
// history lists a controller's backups in order and compares two.
#include "app/VX40Main.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "fleet/BackupHistory.h"
#include "fleet/BusOverview.h"
#include "params/BackupRestore.h"
#include "params/CompareWindow.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"
#include "params/SchrijfParSoll.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "sim/SimPortServer.h"
#include "support/EventWait.h"
#include "support/InProcessUnit.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <thread>

using namespace vx;

class TestFleetWindows : public QObject {
    Q_OBJECT
    QTemporaryDir m_data;
    test::ProgramFolder m_program;
    test::ScriptedUi* m_ui = nullptr;
    std::unique_ptr<TFormMain> m_main;
    TFormBusOverview* m_overview = nullptr;

    sim::SimBus& bus() { return sim::defaultBus(); }
    int rowOf(int unit) const
    {
        for (int row = 0; row < m_overview->units().size(); ++row)
            if (m_overview->units()[row].unit == unit)
                return row;
        return -1;
    }

private slots:
    void initTestCase()
    {
        paths::setUserDataDir(m_data.path());
        QVERIFY(m_program.copyShipped({"Parameters.txt", "ParNo.txt", "Taal1.ini", "ErrorHelp1.rtf"}));
        QVERIFY(m_program.write("application.ini", "[Opties]\r\nTaal=1\r\n"));
        m_ui = test::ScriptedUi::install();
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
        sim::resetDefaultBus();
        bus().removeUnits();
        for (const auto& [unit, baud, type] : {std::tuple{1, 38400, "VX50"}, {2, 38400, "VX51"}, {4, 57600, "VX50"}}) {
            sim::UnitConfig c;
            c.number = unit;
            c.frame = LineFrame{baud, 8, 'O', 1};
            c.type = type;
            bus().addUnit(c);
        }
        bus().raiseError(2, 3);
        m_main = test::startMain(m_program.path(), test::At38400 | test::NotConnected);
        QVERIFY(m_main);
        test::fastRepliesOn(*m_main);
        app().setUnitNumber(1);
        QVERIFY(test::connectMain(*m_main));
        m_overview = m_main->findChild<TFormBusOverview*>();
        QVERIFY(m_overview);
        plans::SearchChoice choice;
        choice.bauds = {TBaudrate::br38400, TBaudrate::br57600};
        choice.units = {0, 1, 2, 3, 4, 5};
        choice.parities = {TParityBit::Odd};
        choice.stops = {TStopBit::sb_1};
        m_overview->setSearchChoice(choice);
        m_overview->setBackupFolder(m_data.filePath("all"));
        m_overview->setPollGap(20);
    }

    void cleanupTestCase()
    {
        m_main.reset();
        sim::resetDefaultBus();
    }

    void overviewFindsEveryUnit()
    {
        m_overview->show();
        m_overview->CmdSearchBusClick();
        QVERIFY(test::waitFor([&] { return !m_overview->busy(); }, 30000));
        QCOMPARE(m_overview->units().size(), 3);
        const QStringList want[] = {{"COM1", "1", "38400 8O1", "VX50 V2.04", "HW VX50-3 rev C", "SN 51017"},
                                    {"COM1", "2", "38400 8O1", "VX51 V2.04", "HW VX51-3 rev C", "SN 51034"},
                                    {"COM1", "4", "57600 8O1", "VX50 V2.04", "HW VX50-3 rev C", "SN 51068"}};
        for (int row = 0; row < 3; ++row) {
            QStringList got;
            for (int col = 0; col <= TFormBusOverview::ColSerial; ++col)
                got << m_overview->cell(row, col);
            QCOMPARE(got, want[row]);
        }
        // The poll finds them all live, unit 2 with its error and the help's title for it.
        QVERIFY(test::waitFor([&] {
            for (int row = 0; row < 3; ++row)
                if (m_overview->cell(row, TFormBusOverview::ColState) != QLatin1String("live"))
                    return false;
            return !m_overview->cell(1, TFormBusOverview::ColError).isEmpty();
        },
                              10000));
        QCOMPARE(m_overview->cell(1, TFormBusOverview::ColError), QStringLiteral("3  Encoder error axis 1"));
        QCOMPARE(m_overview->cell(0, TFormBusOverview::ColError), QStringLiteral("-"));
        QCOMPARE(m_overview->cell(0, TFormBusOverview::ColBackup), QStringLiteral("none"));
    }

    void backupEveryUnitGoesOnPastASilentOne()
    {
        sim::Fault silent = sim::Fault::noReply("rp");
        silent.unit = 4;
        const int id = bus().addFault(silent);
        m_ui->messages.clear();
        m_overview->CmdBackupAllClick();
        QVERIFY(m_overview->busy());
        QVERIFY(test::waitFor([&] { return !m_overview->busy(); }, 60000));
        bus().removeFault(id);
        QCOMPARE(m_ui->messages.size(), 1);
        QVERIFY2(m_ui->messages[0].text.startsWith("Backup every unit: 2 done, 1 failed"),
                 qPrintable(m_ui->messages[0].text));
        QCOMPARE(m_overview->summary().size(), 3);
        QVERIFY(m_overview->summary().contains("unit 4: failed, no reply to rp 0"));
        const QStringList files = QDir(m_overview->backupFolder()).entryList({"*.bak"});
        QCOMPARE(files.size(), 2);
        for (const QString& f : files) {
            const QString path = QDir(m_overview->backupFolder()).filePath(f);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(manifest::check(path, file.readAll()).state, manifest::State::Matches);
        }
        QVERIFY(m_overview->cell(rowOf(1), TFormBusOverview::ColBackup) != QLatin1String("none"));
        QCOMPARE(m_overview->cell(rowOf(4), TFormBusOverview::ColBackup), QStringLiteral("none"));
    }

    void restoreOfAnotherTypeAsks()
    {
        // The main window is at unit 1, a VX50; the backup is unit 2's, a VX51.
        const QStringList vx51 = QDir(m_overview->backupFolder()).entryList({"VX51_*.bak"});
        QCOMPARE(vx51.size(), 1);
        const QString path = QDir(m_overview->backupFolder()).filePath(vx51[0]);
        auto* schrijf = qobject_cast<TFormSchrijfParSoll*>(app().FormSchrijfParSoll);
        QVERIFY(schrijf);
        // Closed, the main window's unit is selected again when the port opens.
        m_overview->reject();
        QVERIFY(test::connectMain(*m_main));
        QCOMPARE(app().ApparaatRx, QStringLiteral("SN 51017"));
        bus().clearLog();
        m_ui->messages.clear();
        m_ui->answers = {QMessageBox::No};
        QVERIFY(!RestoreBestand(m_main.get(), *schrijf, path));
        QCOMPARE(m_ui->messages.size(), 1);
        const test::ShownMessage& m = m_ui->messages[0];
        QCOMPARE(m.caption, QStringLiteral("Another controller"));
        QVERIFY2(m.text.contains("Backup: VX51, rx \"SN 51034\"") && m.text.contains("Connected: VX50, rx \"SN 51017\""),
                 qPrintable(m.text));
        QCOMPARE(m.defaultButton, QMessageBox::No);
        for (const std::string& r : bus().requests())
            QVERIFY2(r.rfind("wp", 0) != 0 && r.rfind("ws", 0) != 0, r.c_str());

        // One changed byte: refused without a question.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        bytes[200] = char(bytes[200] ^ 0x10);
        QVERIFY(saveAtomically(path + "-changed.bak", bytes));
        QVERIFY(QFile::copy(manifest::pathFor(path), manifest::pathFor(path + "-changed.bak")));
        m_ui->messages.clear();
        QVERIFY(!RestoreBestand(m_main.get(), *schrijf, path + "-changed.bak"));
        QCOMPARE(m_ui->messages.size(), 1);
        QVERIFY(m_ui->messages[0].text.contains("was changed or damaged"));
        QFile::remove(path + "-changed.bak");
        QFile::remove(manifest::pathFor(path + "-changed.bak"));
    }

    void historyListsAndCompares()
    {
        // Two more backups of unit 1, each with one setpoint more changed.
        const QString dir = m_data.filePath("manual");
        QDir().mkpath(dir);
        manifest::rememberFolder(paths::userDataDir(), dir);
        const QString first = QDir(m_overview->backupFolder()).entryList({"VX50_*_u1_*.bak"}).value(0);
        QFile f(QDir(m_overview->backupFolder()).filePath(first));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        for (int k = 1; k <= 2; ++k) {
            qToLittleEndian<qint32>(1000 + k, bytes.data() + 8 + 4 * 2001 + 4 * (k - 1));
            manifest::Manifest m =
                manifest::describe(bytes, QLatin1String(manifest::KindManual), QDateTime::currentDateTime().addDays(k));
            m.rt = QStringLiteral("VX50 V2.04");
            m.rx = QStringLiteral("SN 51017");
            m.unit = 1;
            QVERIFY(manifest::saveBackup(QDir(dir).filePath(QStringLiteral("later%1.bak").arg(k)), bytes, m));
        }
        TFormBackupHistory* history = m_main->findChild<TFormBackupHistory*>();
        QVERIFY(history);
        history->showController(QStringLiteral("SN 51017"));
        QCOMPARE(history->entries().size(), 3);
        QCOMPARE(QFileInfo(history->cell(0, TFormBackupHistory::ColFile)).fileName(), QStringLiteral("later2.bak"));
        QCOMPARE(QFileInfo(history->cell(1, TFormBackupHistory::ColFile)).fileName(), QStringLiteral("later1.bak"));
        QCOMPARE(QFileInfo(history->cell(2, TFormBackupHistory::ColFile)).fileName(), first);
        QCOMPARE(history->cell(0, TFormBackupHistory::ColKind), QStringLiteral("manual"));
        QCOMPARE(history->cell(2, TFormBackupHistory::ColKind), QStringLiteral("all units"));
        QCOMPARE(history->cell(0, TFormBackupHistory::ColDiffers), QStringLiteral("1"));
        QCOMPARE(history->cell(1, TFormBackupHistory::ColDiffers), QStringLiteral("1"));
        QCOMPARE(history->cell(2, TFormBackupHistory::ColDiffers), QStringLiteral("-"));
        // The newest against the oldest: two setpoints differ.
        history->select({0, 2});
        history->CmdCompareClick();
        TFormCompare* compare = history->findChild<TFormCompare*>();
        QVERIFY(compare && compare->isVisible());
        QCOMPARE(compare->visibleRows(), 2);
        // Each side named whole by kind, time and file; the header's lines not cut.
        const fleet::HistoryEntry* sides[] = {&history->entries()[2], &history->entries()[0]};
        const char* kinds[] = {"Backup (all units)", "Backup (manual)"};
        for (int side = 0; side < 2; ++side) {
            const QString when = sides[side]->date.toString("yyyy-MM-dd HH:mm:ss");
            QCOMPARE(compare->sideText(side),
                     QString("%1, %2, %3").arg(kinds[side], when, QFileInfo(sides[side]->path).fileName()));
            QCOMPARE(compare->headerText(side), QString("%1\n%2").arg(kinds[side], when));
            const int col = side == 0 ? TFormCompare::ColA : TFormCompare::ColB;
            const QFontMetrics fm = compare->Grid->horizontalHeader()->fontMetrics();
            QVERIFY(compare->Grid->columnWidth(col) > fm.horizontalAdvance(when));
            QVERIFY(compare->Grid->model()->headerData(col, Qt::Horizontal, Qt::ToolTipRole).toString().endsWith(QDir::toNativeSeparators(sides[side]->path)));
        }
        QVERIFY(QTest::qWaitForWindowExposed(compare));
        QTest::qWait(300);
        QVERIFY(compare->ComboA->width() >= compare->ComboA->sizeHint().width());
        test::saveShot(compare, "history-compare");
        compare->close();
    }

    void doubleClickConnectsTheMainWindow()
    {
        // Through the menu item, as the user opens it.
        QTimer::singleShot(0, m_overview, [&] {
            QVERIFY(test::waitFor([&] { return m_overview->isVisible() && rowOf(4) >= 0; }, 5000));
            m_overview->connectRow(rowOf(4));
        });
        m_main->openWindow(QStringLiteral("BusOverview1"));
        QVERIFY(test::waitFor([&] { return app().ApparaatRx == QLatin1String("SN 51068"); }, 20000));
        QCOMPARE(app().unitNumber(), 4);
        QCOMPARE(m_main->SXComm1()->Baudrate(), TBaudrate::br57600);
    }

    // A raw network port carries every baud rate, so each unit answers at each: it is
    // still one unit, at the settings it answered at first, and connects at them.
    void rawNetworkPortCountsUnits()
    {
        sim::SimPortServer server(bus());
        std::string bound, error;
        QVERIFY2(server.listenTcp("127.0.0.1:0", false, LineFrame{38400, 8, 'O', 1}, bound, error), error.c_str());
        std::thread serving([&] {
            std::string message;
            server.run(message);
        });
        const auto stop = qScopeGuard([&] {
            server.stop();
            serving.join();
        });
        TSXComm* port = m_main->SXComm1();
        port->Close();
        setPortDevicePath(1, "tcp://" + bound);
        port->setBaudrate(TBaudrate::br38400);
        app().setUnitNumber(1);
        QVERIFY(test::connectMain(*m_main));
        QVERIFY(test::waitFor([&] { return app().ApparaatRx == QLatin1String("SN 51017"); }, 20000));
        plans::SearchChoice choice;
        choice.bauds = {TBaudrate::br9600, TBaudrate::br57600};
        choice.units = {0, 1, 2, 3};
        choice.parities = {TParityBit::Odd};
        choice.stops = {TStopBit::sb_1};
        m_overview->setSearchChoice(choice);
        m_overview->show();
        m_overview->CmdSearchBusClick();
        QVERIFY(test::waitFor([&] { return !m_overview->busy(); }, 30000));
        QCOMPARE(m_overview->PanelStatus->text(), QStringLiteral("2 units found"));
        for (int unit : {1, 2})
            QCOMPARE(m_overview->cell(rowOf(unit), TFormBusOverview::ColLine), QStringLiteral("9600 8O1"));
        test::saveShot(m_overview, "overview-raw-network");
        m_overview->connectRow(rowOf(2));
        QCOMPARE(port->Baudrate(), TBaudrate::br9600);
        QCOMPARE(app().unitNumber(), 2);
    }
};

QTEST_MAIN(TestFleetWindows)
#include "tst_fleet_windows.moc"
