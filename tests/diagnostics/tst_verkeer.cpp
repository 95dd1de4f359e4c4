// The traffic window over a whole-set read against the simulated controller, with
// cyclic polling going on beside it.
#include <QtTest>

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ControllerLine.h"
#include "diagnostics/FormVerkeer.h"
#include "diagnostics/TrafficModel.h"
#include "params/BackupRestore.h"
#include "params/LeesParSoll.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/InProcessUnit.h"
#include "support/ScriptedUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

using namespace vx;

class TestVerkeer : public QObject {
    Q_OBJECT
    TSXComm* m_port = nullptr;

    static void shot(QWidget* w, const QString& name)
    {
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + '/' + name + ".png");
    }

private slots:
    void initTestCase()
    {
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/';
        app().StopPolling = [] {};
        test::ScriptedUi::install();
        test::singleUnitAt38400();
        m_port = test::openCom1At38400(this);
        setFastReplies(true, m_port);
        QVERIFY(m_port->Active());
    }

    void cleanupTestCase()
    {
        m_port->Close();
        setFastReplies(false, m_port);
        app().SXComm1 = nullptr;
    }

    void wholeReadWithPollingBeside_data();
    void wholeReadWithPollingBeside();
};

void TestVerkeer::wholeReadWithPollingBeside_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("NL") << 0;
    QTest::newRow("EN") << 1;
}

void TestVerkeer::wholeReadWithPollingBeside()
{
    QFETCH(int, language);
    app().TaalIndex = language;
    QVERIFY(loadTaalFile());
    app().ActualAan = true; // the live monitor is on: cyclic rows hidden at first

    TFormVerkeer w(m_port);
    w.show();
    QVERIFY(w.CheckVerbergCyclisch->isChecked());
    w.CmdWissenClick(); // only this read

    // A live value polled cyclically all through the read.
    TPX400Protocol* live = makeControllerComponent(this, "PX400ActPos1", 0, m_port);
    live->setASCIIProtocol(QStringLiteral("r0"));
    live->setCyclic(true);

    TFormLeesParSoll lees;
    bool shotTaken = false;
    QTimer ok;
    connect(&ok, &QTimer::timeout, &lees, [&] {
        if (!shotTaken && lees.counter() >= 300) {
            shotTaken = true;
            shot(&w, QStringLiteral("verkeer-read-") + (language ? "en" : "nl"));
        }
        if (lees.isVisible() && lees.isDone())
            lees.CmdOK->click();
    });
    ok.start(20);
    QVERIFY(ParSollOntvangen(lees));
    live->setCyclic(false);
    QTest::qWait(300);
    w.TimerVerkeerTimer();
    delete live;

    // Exactly the read is left with the cyclic rows hidden, in order; a loaded machine
    // may time out the odd request, which is then repeated right after.
    TrafficModel* m = w.model();
    QVERIFY(m->pulled() > 592);
    const int readRows = m->rowCount();
    int answered = 0, failed = 0;
    for (int row = 0; row < readRows; ++row) {
        const std::string expected = answered < 512 ? "rp " + std::to_string(answered) + "\r"
                                                    : "rs " + std::to_string(answered - 511) + "\r";
        QCOMPARE(m->record(row).request, expected);
        QVERIFY(!m->record(row).cyclic);
        (m->record(row).outcome == TrafficOutcome::Ok ? answered : failed)++;
    }
    QCOMPARE(answered, 592);
    QVERIFY2(failed <= 3, qPrintable(QString::number(failed)));
    // Shown again, the cyclic rows are all from the polling component.
    w.CheckVerbergCyclisch->setChecked(false);
    QCOMPARE(m->rowCount(), int(m->pulled()));
    // Components by what they ask, not by their class names.
    const int read = w.ComboComponent->findData(QStringLiteral("Transfer"));
    QVERIFY(read > 0);
    w.ComboComponent->setCurrentIndex(w.ComboComponent->findData(QStringLiteral("Live: position 1")));
    QCOMPARE(m->rowCount(), int(m->pulled()) - readRows);
    for (int row = 0; row < m->rowCount(); ++row)
        QVERIFY(m->record(row).cyclic);
    w.ComboComponent->setCurrentIndex(read);
    w.EditZoeken->setText(QStringLiteral("RS 8"));
    int found = 0;
    for (int row = 0; row < m->rowCount(); ++row) found += m->record(row).outcome == TrafficOutcome::Ok;
    QCOMPARE(found, 2); // rs 8, rs 80
    w.EditZoeken->clear();
    w.CheckAlleenFouten->setChecked(true);
    QCOMPARE(m->rowCount(), failed);
    w.CheckAlleenFouten->setChecked(false);
    w.CheckHex->setChecked(true);
    shot(&w, QStringLiteral("verkeer-filtered-") + (language ? "en" : "nl"));

    // Saving writes what the view shows, line for line.
    QTemporaryDir dir;
    for (const QString& name : {dir.filePath("t.txt"), dir.filePath("t.csv")}) {
        QVERIFY(w.saveTo(name));
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + m->rowCount());
        QList<int> columns;
        for (int c = 0; c < TrafficModel::ColumnCount; ++c)
            columns << c;
        const QChar sep = name.endsWith("csv") ? u',' : u'\t';
        QCOMPARE(lines[1], m->rowTexts(0, columns).join(sep));
        QCOMPARE(lines.last(), m->rowTexts(m->rowCount() - 1, columns).join(sep));
        QVERIFY(lines.last().contains(QStringLiteral("rs 80<CR>")));
    }

    // Paused, the view stands still while the port goes on capturing.
    w.CmdPauze->click();
    const size_t before = m->pulled();
    TPX400Protocol* one = makeControllerComponent(this, "PX400Once", 0, m_port);
    one->setASCIIProtocol(QStringLiteral("rt"));
    const uint64_t seq = m_port->traffic().nextSeq();
    one->Send();
    QTRY_VERIFY(m_port->traffic().nextSeq() > seq);
    w.TimerVerkeerTimer();
    QCOMPARE(m->pulled(), before);
    w.CmdPauze->click();
    QCOMPARE(m->pulled(), before + 1);
    delete one;
    app().ActualAan = false;
}

QTEST_MAIN(TestVerkeer)
#include "tst_verkeer.moc"
