// A whole-set read and write whose adapter is pulled halfway, against vx5x-sim on
// a pseudo-terminal: the transfer stops, and once the main window has the line back
// "Verder" goes on from the first value not confirmed, so nothing is asked twice.
#include "app/VX40Main.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "params/ValueStore.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"
#include "support/SimProcess.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

// How often each request starting with `prefix` (e.g. "ws ") went to the controller,
// by its number.
QMap<int, int> countByNumber(const QList<test::LogLine>& log, const QString& prefix)
{
    QMap<int, int> n;
    for (const test::LogLine& l : log)
        if (l.request.startsWith(prefix)) ++n[l.request.mid(prefix.size()).section(u' ', 0, 0).toInt()];
    return n;
}

// Values asked more than once. Continuing where the line was lost repeats none, or
// the odd one a loaded machine let time out and repeated; starting again from the
// first value would repeat dozens.
int repeated(const QMap<int, int>& counts)
{
    int n = 0;
    for (int c : counts) n += c - 1;
    return n;
}

} // namespace

class TestTransferLineLoss : public QObject {
    Q_OBJECT

    test::ProgramFolder m_dir;

    // Waits for the stop, then for the line to come back, and goes on.
    static void stopAndContinue(TTransferForm& form)
    {
        QTRY_VERIFY_WITH_TIMEOUT(form.failed(), 20000);
        QVERIFY(!form.isDone());
        // It says the line went and at which value, not just "communication error".
        QVERIFY2(QRegularExpression(R"(lijn weg bij S0\d\d)").match(form.Panel1->text()).hasMatch(),
                 qPrintable(form.Panel1->text()));
        // Which device went, and for a read that what was read so far is not kept yet.
        QVERIFY2(form.Panel1->text().contains(QLatin1String("adapter)")), qPrintable(form.Panel1->text()));
        QCOMPARE(form.Panel1->text().contains(QLatin1String("niet bewaard")),
                 qobject_cast<TFormLeesParSoll*>(&form) != nullptr);
        QVERIFY(form.CmdAgain->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form.CmdVerder->isEnabled(), 10000);
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            form.grab().save(qEnvironmentVariable("VX_SHOT_DIR") + '/' + form.objectName() + "-verder.png");
        form.CmdVerder->click();
        QTRY_VERIFY_WITH_TIMEOUT(form.isDone(), 20000);
        QVERIFY(!form.failed());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.copyShipped({"Parameters.txt", "ParNo.txt", "Taal0.ini"}));
        app() = AppState();
        resetValueStore();
    }

    void setpointsReadAndWrittenAcrossAnUnplug()
    {
        auto* seams = test::ScriptedUi::install();
        const QString link = m_dir.filePath("adapter");
        setPortDevicePath(1, link.toStdString());
        // The first loss comes halfway through the read, the second halfway
        // through the write (the count runs on across the re-plug).
        test::SimProcess sim;
        QVERIFY(sim.start({"--link", link, "--fault", "unplug:after=44", "--fault", "unplug:after=130",
                           "--replug-after", "300"}));
        const auto mainWindow = test::startMain(m_dir.path(), test::NoWindows);
        QVERIFY(mainWindow);

        TFormLeesParSoll read;
        read.start(1);
        stopAndContinue(read);
        // The read window's own buffer has them all; the value store none yet.
        QCOMPARE(SollWaarden[1], 0);
        const auto reads = countByNumber(sim.requests(), "rs ");
        QCOMPARE(reads.size(), 80);
        QVERIFY2(repeated(reads) <= 2, qPrintable(QString::number(repeated(reads))));

        TFormSchrijfParSoll write;
        write.SollwBuffer = read.SollwBuffer;
        write.start(1);
        stopAndContinue(write);
        const auto writes = countByNumber(sim.requests(), "ws ");
        QCOMPARE(writes.size(), 80);
        QVERIFY2(repeated(writes) <= 2, qPrintable(QString::number(repeated(writes))));
        // The stop was told once, with what the controller confirmed.
        QCOMPARE(seams->messages.size(), 1);
        QCOMPARE(sim.paths.size(), 3);
        setUiSeams(nullptr);
        resetPortDevicePaths();
    }
};

QTEST_MAIN(TestTransferLineLoss)
#include "tst_transfer_lineloss.moc"
