// The main window's terminal: history across restarts, completion from the command
// set and the log of earlier exchanges, against the simulated controller.
#include "app/TerminalPanel.h"
#include "app/VX40Main.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "core/Taal.h"
#include "core/TerminalHistory.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace vx;

class TestTerminal : public QObject {
    Q_OBJECT
    QTemporaryDir m_program;
    QTemporaryDir m_userData;

    static void shot(const QPixmap& pm, const QString& name)
    {
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            pm.save(qEnvironmentVariable("VX_SHOT_DIR") + '/' + name + ".png");
    }

private slots:
    void initTestCase()
    {
        const QString data = qEnvironmentVariable("VX_DATA_DIR");
        for (const char* f : {"Parameters.txt", "ParNo.txt", "Taal0.ini", "Taal1.ini", "Taal2.ini"})
            QVERIFY(QFile::copy(data + "/" + f, m_program.filePath(f)));
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
        paths::setUserDataDir(m_userData.path());
    }
    void cleanupTestCase() { paths::setUserDataDir({}); }

    void historySurvivesRestartWithoutRepeats();
    void offers_data();
    void offers();
    void terminalInMainWindow_data();
    void terminalInMainWindow();
};

void TestTerminal::historySurvivesRestartWithoutRepeats()
{
    const QString file = m_userData.filePath("h/term_history");
    {
        TerminalHistory h(file);
        h.load();
        for (const char* r : {"rp 1", " rp 1 ", "rt", "", "rp 1"})
            QVERIFY(h.add(QLatin1String(r)));
        QCOMPARE(h.entries(), QStringList({"rp 1", "rt", "rp 1"}));
        QCOMPARE(h.older(QStringLiteral("typ")), QStringLiteral("rp 1"));
        QCOMPARE(h.older({}), QStringLiteral("rt"));
        QCOMPARE(h.older({}), QStringLiteral("rp 1"));
        QCOMPARE(h.older({}), QStringLiteral("rp 1")); // stays at the oldest
        QCOMPARE(h.newer({}), QStringLiteral("rt"));
        QCOMPARE(h.newer({}), QStringLiteral("rp 1"));
        QCOMPARE(h.newer({}), QStringLiteral("typ")); // back to what was typed
    }
    TerminalHistory again(file);
    again.load();
    QCOMPARE(again.entries(), QStringList({"rp 1", "rt", "rp 1"}));
    for (int i = 0; i < 250; ++i)
        again.add(QStringLiteral("rp %1").arg(i));
    TerminalHistory third(file);
    third.load();
    QCOMPARE(third.entries().size(), TerminalHistory::Limit);
    QCOMPARE(third.entries().constLast(), QStringLiteral("rp 249"));
}

void TestTerminal::offers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("firstShownContains");
    QTest::newRow("one letter") << "r" << QStringList() << "";
    QTest::newRow("command") << "rp" << QStringList{"rp "} << "Read parameter";
    QTest::newRow("any case") << "RT" << QStringList{"rt "} << "Read type";
    QTest::newRow("unknown") << "zz" << QStringList() << "";
    QTest::newRow("rp number") << "rp 203" << QStringList{"rp 203"} << "rp 203  -> Decimals of positions";
    QTest::newRow("wp number") << "wp 203" << QStringList{"wp 203 "} << "Decimals of positions";
    QTest::newRow("no such parameter") << "rp 999" << QStringList() << "";
    QTest::newRow("with value") << "wp 203 2" << QStringList() << "";
}

void TestTerminal::offers()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, texts);
    QFETCH(QString, firstShownContains);
    app() = AppState();
    app().ExeDir = m_program.path() + u'/';
    app().TaalIndex = 1;
    QVERIFY(loadTaalFile());
    QVERIFY(ParameterDef_lezen());
    QStringList got;
    const auto offers = terminalOffers(typed);
    for (const TerminalOffer& o : offers)
        got << o.text;
    QCOMPARE(got, texts);
    if (!offers.empty())
        QVERIFY2(offers.front().shown.contains(firstShownContains), qPrintable(offers.front().shown));
}

void TestTerminal::terminalInMainWindow_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("NL") << 0;
    QTest::newRow("EN") << 1;
}

void TestTerminal::terminalInMainWindow()
{
    QFETCH(int, language);
    const QString lang = language ? "en" : "nl";
    app() = AppState();
    app().TaalIndex = language;
    resetValueStore();
    sim::resetDefaultBus();
    test::ScriptedUi::install();
    QFile::remove(TerminalHistory::defaultFile());
    {
        TerminalHistory h(TerminalHistory::defaultFile());
        h.add(QStringLiteral("rx"));
    }

    MainOptions o;
    o.exeDir = m_program.path() + u'/';
    auto w = std::make_unique<TFormMain>(o);
    w->Timer1->stop();
    w->show();
    w->CmdSelectUnit->click();
    QTRY_VERIFY_WITH_TIMEOUT(w->CmdTerminalZenden->isEnabled(), 5000);
    TerminalPanel* t = w->terminal();
    QCOMPARE(t->history().entries(), QStringList({"rx"}));

    for (const char* request : {"rt", "rp 203"}) {
        w->EditZenden->clear();
        w->MemoReceive->clear();
        QTest::keyClicks(w->EditZenden, QLatin1String(request));
        QVERIFY(t->completer()->popup()->isVisible());
        QCOMPARE(t->completer()->completionModel()->rowCount(), 1);
        if (QByteArray(request) == "rp 203") {
            QPixmap pm = w->grab();
            QPainter p(&pm);
            QWidget* popup = t->completer()->popup();
            p.drawPixmap(popup->mapToGlobal(QPoint()) - w->mapToGlobal(QPoint()), popup->grab());
            p.end();
            shot(pm, "terminal-completion-" + lang);
        }
        t->completer()->popup()->hide();
        w->CmdTerminalZenden->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->MemoReceive->toPlainText().isEmpty(), 3000);
    }
    // Repeats in a row count once; Up walks back through them.
    w->CmdTerminalZenden->click();
    QCOMPARE(t->history().entries(), QStringList({"rx", "rt", "rp 203"}));
    w->EditZenden->clear();
    QTest::keyClick(w->EditZenden, Qt::Key_Up);
    QCOMPARE(w->EditZenden->text(), QStringLiteral("rp 203"));
    QTest::keyClick(w->EditZenden, Qt::Key_Up);
    QCOMPARE(w->EditZenden->text(), QStringLiteral("rt"));
    QTest::keyClick(w->EditZenden, Qt::Key_Down);
    QCOMPARE(w->EditZenden->text(), QStringLiteral("rp 203"));

    // The log lists each request and its reply with times; only the terminal's own.
    t->button()->click();
    QTRY_VERIFY_WITH_TIMEOUT(t->logText().count(u'\n') >= 6, 3000);
    const QStringList lines = t->logText().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    QVERIFY2(lines[0].endsWith("  > rt") && lines[1].contains("  < rt "), qPrintable(lines.join('|')));
    QVERIFY(lines[3].contains("  < rp 203 ") && lines[3].endsWith("<CR><LF>"));
    QCOMPARE(t->form()->ComboHistorie->itemText(0), QStringLiteral("rp 203"));
    t->form()->CheckHex->setChecked(true);
    QVERIFY(t->logText().contains("72 70 20 32 30 33"));
    shot(t->form()->grab(), "terminal-log-" + lang);
    QTemporaryDir dir;
    QVERIFY(t->saveLog(dir.filePath("log.txt")));
    QFile saved(dir.filePath("log.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), t->logText());
    t->clearLog();
    QVERIFY(t->logText().isEmpty());
    t->form()->close();
    w->CmdSelectUnit->click();
    w.reset();

    // A new start finds the history again.
    auto again = std::make_unique<TFormMain>(o);
    QCOMPARE(again->terminal()->history().entries(), QStringList({"rx", "rt", "rp 203"}));
}

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
