// Backup and restore that do not finish: a refused value, a cancelled save dialog and
// a failed read, against the simulated controller.
#include <QtTest>
#include <QTemporaryDir>

#include "app/core/AppState.h"
#include "app/core/Taal.h"
#include "comm/SXComm.h"
#include "params/BackupRestore.h"
#include "params/LeesParSoll.h"
#include "params/ParFiles.h"
#include "params/SchrijfParSoll.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QLabel>
#include <QPushButton>
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

} // namespace

class TestBackupFailures : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    TSXComm* m_port = nullptr;
    TFormLeesParSoll* m_lees = nullptr;
    TFormSchrijfParSoll* m_schrijf = nullptr;
    Answerer m_answer;
    int m_stops = 0;

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
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/';
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        app().StopPolling = [this] { ++m_stops; };
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");

        // One controller on a faster line keeps whole-controller runs short.
        sim::resetDefaultBus();
        bus().removeUnits();
        sim::UnitConfig c;
        c.frame = LineFrame{38400, 8, 'O', 1};
        bus().addUnit(c);
        for (int n = 1; n <= 80; ++n)
            bus().setSetpoint(0, n, n * 1001 - 40000);

        m_port = new TSXComm(this);
        m_port->setBaudrate(TBaudrate::br38400);
        m_port->setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = m_port;
        m_port->Open();
        QVERIFY(m_port->Active());
        m_lees = new TFormLeesParSoll;
        m_schrijf = new TFormSchrijfParSoll;
        m_answer.watch(*m_lees);
        m_answer.watch(*m_schrijf);
    }

    void cleanupTestCase()
    {
        delete m_lees;
        delete m_schrijf;
        m_port->Close();
        app().SXComm1 = nullptr;
    }

    void init()
    {
        app().TaalGeladen = true;
        app().OpenCloseDialoogPath = m_dir.path();
        bus().clearFaults();
        bus().clearLog();
        m_stops = 0;
        m_answer = Answerer{m_answer.lastPanel, 0};
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

    void backupCancelledMakesNoFile()
    {
        auto* ui = test::ScriptedUi::install();
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        // Save dialog cancelled after a complete read.
        QVERIFY(!BackupMaken(nullptr, *m_lees));
        QCOMPARE(m_answer.windowsSeen, 1);
        QCOMPARE(ui->dialogCaptions, QStringList{QStringLiteral("Save backup")});
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);

        // A read that fails produces no dialog and no file.
        bus().addFault(sim::Fault::noReply("rp 3"));
        ui->fileNames = {m_dir.filePath(QStringLiteral("never"))};
        QVERIFY(!BackupMaken(nullptr, *m_lees));
        QCOMPARE(m_answer.lastPanel, QStringLiteral("No reply from the controller!"));
        QCOMPARE(ui->dialogCaptions.size(), 1);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.bak"))));
    }
};

QTEST_MAIN(TestBackupFailures)
#include "tst_backup_failures.moc"
