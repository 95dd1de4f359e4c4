// The whole program against the in-process simulator, as a technician meets it:
// polling that comes back after every window that stopped it, a closed port that
// says so, the editors' unsaved-changes question, readable failure texts, the
// error panel leading to its help, and Qt's own buttons in the chosen language.
#include "app/InfoErrorNummers.h"
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/SerialLine.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Taal.h"
#include "core/Widgets.h"
#include "device/LiveMonitor.h"
#include "diagnostics/FormCalibratie.h"
#include "diagnostics/FormGrafiek.h"
#include "params/EditParam.h"
#include "params/TransferForm.h"
#include "params/ValueStore.h"
#include "setpoints/EditSollwerten.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/EventWait.h"
#include "support/MainWindow.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedUi.h"

#include <QAction>
#include <QFile>
#include <QFocusFrame>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtTest>

#include <cerrno>

using namespace vx;

namespace {

bool waitFor(const std::function<bool()>& done)
{
    return test::waitFor(done, 10000);
}

bool requested(const char* request)
{
    const auto all = sim::defaultBus().requests();
    return std::find(all.begin(), all.end(), std::string(request)) != all.end();
}

// Closes whatever modal window a menu item opens: a transfer when it is done (or
// at once, as a user giving up on it), any other window as with Escape.
QTimer* closeModalWindows(QObject* owner, bool cancelTransfers = true)
{
    auto* t = new QTimer(owner);
    t->setInterval(50);
    QObject::connect(t, &QTimer::timeout, owner, [cancelTransfers] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        if (auto* transfer = qobject_cast<TTransferForm*>(w)) {
            const bool ended = transfer->isDone() || transfer->failed();
            if (!ended && !cancelTransfers) return;
            (ended ? transfer->CmdOK : transfer->CmdCancel)->click();
            return;
        }
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    });
    t->start();
    return t;
}

} // namespace

class TestUsability : public QObject {
    Q_OBJECT

    test::ProgramFolder m_dir;
    std::unique_ptr<TFormMain> m_main;
    test::ScriptedUi* m_ui = nullptr;

    QAction* action(const char* name) { return m_main->findChild<QAction*>(QLatin1String(name)); }

    void pollBoth()
    {
        m_main->CmdActual->click();
        m_main->CmdInUit->click();
        QVERIFY(app().ActualAan && app().InUitAan);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.copyShipped({"Parameters.txt", "ParNo.txt", "Taal0.ini", "Tree0.txt", "ErrorHelp0.rtf"}));
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void init()
    {
        app() = AppState();
        resetValueStore();
        sim::resetDefaultBus();
        m_ui = test::ScriptedUi::install();
        m_main = test::startMain(m_dir.path(), test::NotConnected);
        app().OpenCloseDialoogPath = m_dir.dir.path();
        QVERIFY(test::connectMain(*m_main));
    }

    void cleanup()
    {
        m_main.reset();
        setUiSeams(nullptr);
    }

    void pollingComesBackAfterEachWindow_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("log");
        // Every window that takes the line or stops the polling, opened as the user does.
        for (const char* item : {"Par11", "Par21", "VX40ontvangen1", "Backup1", "Restore1", "UndoRestore1",
                                 "VX40zoeken1", "displaynokken1", "Grafiek1", "CmdCalibratie"})
            QTest::newRow(item) << QString::fromLatin1(item) << false;
        QTest::newRow("Grafiek1 log") << QStringLiteral("Grafiek1") << true; // the graph paused the polling
    }

    void pollingComesBackAfterEachWindow()
    {
        QFETCH(QString, item);
        QFETCH(bool, log);
        pollBoth();
        QTimer logger;
        if (log) {
            // Start a log (the pause question is answered Yes), close once it has samples.
            connect(&logger, &QTimer::timeout, this, [started = false]() mutable {
                auto* graph = qobject_cast<TFormGrafiek*>(QApplication::activeModalWidget());
                if (!graph) return;
                if (!started) {
                    started = true;
                    graph->CmdStartLog->click();
                    QVERIFY(!app().ActualAan && !app().InUitAan);
                } else if (graph->LogIndex >= 3) {
                    graph->reject();
                }
            });
            logger.start(50);
        } else {
            closeModalWindows(m_main.get());
        }
        if (QAction* a = action(item.toLatin1().constData()))
            a->trigger();
        else
            m_main->openWindow(item);
        logger.stop();

        // After a window that opened the port again, once the unit is identified anew.
        QVERIFY(waitFor([] { return app().ActualAan && app().InUitAan; }));
        QCOMPARE(m_main->CmdActual->text(), m_main->TxtCmdActual_OFF);
        QCOMPARE(m_main->CmdInUit->text(), m_main->TxtCmdIO_OFF);
        // And it really runs: one click switches it off, as the caption says.
        sim::defaultBus().clearLog();
        QVERIFY(waitFor([] { return requested("r0") && requested("ri") && requested("ru"); }));
        QVERIFY(waitFor([this] { return !m_main->PanelActPos1->text().isEmpty(); }));
        m_main->CmdActual->click();
        QVERIFY(!app().ActualAan);
        QCOMPARE(m_main->CmdActual->text(), m_main->TxtCmdActual_ON);
    }

    // Closed with calibration mode still on (answered No): the main window says so.
    void calibrationModeLeftOnShowsInTheMainWindow()
    {
        auto* form = m_main->findChild<TFormCalibratie*>();
        QVERIFY(form);
        QVERIFY(m_main->KalibratieIndicator->isHidden());
        QTimer script;
        connect(&script, &QTimer::timeout, this, [&] {
            if (QApplication::activeModalWidget() != form) return;
            if (!form->KalibratieModeAan && form->CmdSetKalibtatieMode->isEnabled()) {
                form->CmdSetKalibtatieMode->click();
            } else if (form->KalibratieModeAan) {
                m_ui->answers = {QMessageBox::No};
                form->reject();
            }
        });
        script.start(100);
        m_main->openWindow(QStringLiteral("CmdCalibratie"));
        script.stop();
        QVERIFY(!m_main->KalibratieIndicator->isHidden());
        QCOMPARE(m_main->KalibratieIndicator->text().trimmed(), texts::Main("KalibratieModeAan"));
    }

    // The line lost while a window had the polling stopped: back when the line is.
    void pollingComesBackWhenTheLineReturnsAfterAWindow()
    {
        pollBoth();
        int stage = 0;
        QTimer script;
        connect(&script, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            if (stage == 0) {
                sim::defaultBus().unplug();
                stage = 1;
            }
            if (m_main->SXComm1()->Lost()) {
                d->reject();
                stage = 2;
            } else {
                m_main->Timer1Timer(); // something on the line finds it gone
            }
        });
        script.start(50);
        action("Par11")->trigger();
        script.stop();
        QCOMPARE(stage, 2);
        QVERIFY(m_main->SXComm1()->Lost());
        sim::defaultBus().replug();
        QVERIFY(waitFor([] { return app().ActualAan && app().InUitAan; }));
        sim::defaultBus().clearLog();
        QVERIFY(waitFor([] { return requested("r0") && requested("ri"); }));
    }

    // Every dialog button gets an Alt+letter when shown: first free letter, after the
    // letters captions already carry; a literal "&&" is no mnemonic.
    void altLetters_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first letters") << QStringList{"OK", "Cancel", "Help"} << QStringList{"&OK", "&Cancel", "&Help"};
        QTest::newRow("taken letter moves on") << QStringList{"Open", "Options"} << QStringList{"&Open", "O&ptions"};
        QTest::newRow("own letters first") << QStringList{"Save", "&Send"} << QStringList{"S&ave", "&Send"};
        QTest::newRow("literal ampersand") << QStringList{"S && R", "Stop"} << QStringList{"S && R", "&Stop"};
        QTest::newRow("no letter left") << QStringList{"a", "A", "1"} << QStringList{"&a", "A", "1"};
    }
    void altLetters()
    {
        QFETCH(QStringList, captions);
        QFETCH(QStringList, expected);
        static bool installed = false;
        if (!std::exchange(installed, true)) assignDialogMnemonicsOnShow(*qApp);
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        QList<QPushButton*> buttons;
        for (const QString& c : captions) {
            buttons << new QPushButton(c, &d);
            layout->addWidget(buttons.last());
        }
        d.show();
        auto texts = [&] {
            QStringList t;
            for (const QPushButton* b : buttons) t << b->text();
            return t;
        };
        QTRY_COMPARE(texts(), expected);
    }

    // A frame follows the keyboard focus over buttons and lists.
    void keyboardFocusIsFramed()
    {
        static bool installed = false;
        if (!std::exchange(installed, true)) showKeyboardFocus(*qApp);
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        auto* a = new QPushButton(QStringLiteral("A"), &d);
        auto* b = new QPushButton(QStringLiteral("B"), &d);
        layout->addWidget(a);
        layout->addWidget(b);
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        b->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(d.findChild<QFocusFrame*>() && d.findChild<QFocusFrame*>()->widget() == b);
        QFocusFrame* frame = d.findChild<QFocusFrame*>();
        QVERIFY(frame->isVisible());
        a->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(frame->widget(), a);
    }

    void serialCancelLeavesThePortClosedAndSaysSo()
    {
        pollBoth();
        closeModalWindows(m_main.get());
        action("Serial1")->trigger();
        QVERIFY(!m_main->SXComm1()->Active());
        QCOMPARE(m_main->PanelComInfo->text(), QString("Poort gesloten. Kies Verbinden om weer te verbinden."));
        // Nothing is polled, and no caption claims otherwise.
        QVERIFY(!app().ActualAan && !app().InUitAan);
        QCOMPARE(m_main->CmdActual->text(), m_main->TxtCmdActual_ON);
        QCOMPARE(m_main->CmdInUit->text(), m_main->TxtCmdIO_ON);
    }

    void missingDeviceIsNamedWithWhatToCheck()
    {
        m_main->CmdSelectUnit->click(); // disconnect
        const QString path = m_dir.filePath("ttyUSB9");
        setPortDevicePath(1, path.toStdString());
        m_ui->messages.clear();
        m_main->CmdSelectUnit->click();
        setPortDevicePath(1, "sim");
        QCOMPARE(m_ui->messages.size(), 1);
        const QString text = m_ui->messages[0].text;
        QVERIFY2(text.startsWith("COM 1 leidt naar " + path + ", maar dat apparaat bestaat niet."), qPrintable(text));
        QVERIFY(text.contains("USB-adapter"));
    }

    // Which window, what was done before closing it, and whether closing asks.
    void unsavedChangesAreAskedAbout_data()
    {
        QTest::addColumn<bool>("setpoints");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("asks");
        for (const bool soll : {false, true}) {
            const char* w = soll ? "setpoints" : "parameters";
            QTest::addRow("%s untouched", w) << soll << "none" << false;
            QTest::addRow("%s changed", w) << soll << "change" << true;
            QTest::addRow("%s changed and saved", w) << soll << "save" << false;
        }
        QTest::addRow("setpoints changed and sent") << true << "send" << false;
    }

    void unsavedChangesAreAskedAbout()
    {
        QFETCH(bool, setpoints);
        QFETCH(QString, step);
        QFETCH(bool, asks);
        QDialog* editor = setpoints ? static_cast<QDialog*>(m_main->findChild<TFormEditSollwerten*>())
                                    : static_cast<QDialog*>(m_main->findChild<TFormEditParam*>());
        QVERIFY(editor);
        editor->show();
        QVERIFY(!editor->windowTitle().endsWith(" *"));
        if (step != "none") {
            if (setpoints) SollWaarden[5] += 10;
            else ParWaarden[12] += 1;
            if (auto* p = qobject_cast<TFormEditParam*>(editor)) p->VulGrid();
            else static_cast<TFormEditSollwerten*>(editor)->InitSollwertStringgrid();
        }
        const QString path = m_dir.filePath(setpoints ? "changed.aps" : "changed.app");
        if (step == "save") {
            m_ui->fileNames = {path};
            if (auto* p = qobject_cast<TFormEditParam*>(editor)) {
                p->OpslaanAlsClick();
                QVERIFY(p->statusPanel(6)->text().contains(QDir::toNativeSeparators(path)));
            } else {
                auto* s = static_cast<TFormEditSollwerten*>(editor);
                s->Opslaanals1Click();
                QVERIFY(s->Panel1->text().contains(QDir::toNativeSeparators(path)));
            }
            QVERIFY(editor->windowTitle().contains("changed.a"));
        } else if (step == "send") {
            QTimer* closer = closeModalWindows(m_main.get(), false);
            static_cast<TFormEditSollwerten*>(editor)->Sollwertenzenden1Click();
            delete closer;
            QCOMPARE(sim::defaultBus().setpoint(0, 5), SollWaarden[5]);
        }
        QCOMPARE(editor->windowTitle().endsWith(" *"), step == "change");

        m_ui->messages.clear();
        m_ui->answers = {QMessageBox::Cancel};
        editor->reject();
        QCOMPARE(m_ui->messages.size(), asks ? 1 : 0);
        QCOMPARE(editor->isVisible(), asks);
        if (!asks) return;
        QVERIFY(m_ui->messages[0].buttons.testFlag(QMessageBox::Apply));
        // The program asks the same before it quits; Discard puts the values back, so
        // neither asks again.
        m_ui->answers = {QMessageBox::Cancel};
        QVERIFY(!m_main->close());
        QCOMPARE(m_ui->messages.size(), 2);
        m_ui->answers = {QMessageBox::Discard};
        editor->reject();
        QVERIFY(!editor->isVisible());
        QCOMPARE(m_ui->messages.size(), 3);
        QVERIFY(!editor->windowTitle().endsWith(" *"));
    }

    void errorPanelNamesTheTypeAndOpensItsHelp()
    {
        app().ApparaatType = QStringLiteral("VX51");
        app().InUitAan = false;
        m_main->live()->OnErrorNumber(false, QStringLiteral("7"));
        QCOMPARE(m_main->PanelErrorNo->text(), QString("VX51... Error: 7"));
        QTest::mouseClick(m_main->PanelErrorNo, Qt::LeftButton);
        auto* help = m_main->findChild<TFormInfoErrorNummers*>();
        QVERIFY(help && help->isVisible());
        const int block = help->blockOfNumber(7);
        QVERIFY(block > 0);
        QCOMPARE(help->RichEdit1->textCursor().blockNumber(), block);
    }

    void ioBoxesReadableAndGreyWhenTheirPollingFails()
    {
        m_main->CmdInUit->click();
        m_main->live()->OnInputs(1 << 2); // input 1
        const QPalette on = m_main->TbIn[0]->palette();
        QCOMPARE(on.color(QPalette::Window), QColor(0, 0, 255));
        QCOMPARE(on.color(QPalette::WindowText), QColor(Qt::white));
        m_main->live()->PX400_in->OnCommError(nullptr, TCommError{CommTimeout, 0, 0}, {});
        QCOMPARE(m_main->TbIn[0]->palette().color(QPalette::Window), QColor(160, 160, 160));
        QVERIFY(m_main->TbUitgang[0]->palette().color(QPalette::Window) != QColor(160, 160, 160));
    }

    void failuresInWords_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<uint>("os");
        QTest::addColumn<uint>("line");
        QTest::addColumn<QString>("starts");
        QTest::newRow("no reply") << uint(CommTimeout) << 0u << 0u << "Geen antwoord van unit 3.";
        QTest::newRow("parity") << uint(CommLineError) << 0u << uint(CE_RXPARITY) << "Lijnfout: pariteit.";
        QTest::newRow("framing and overrun")
            << uint(CommLineError) << 0u << uint(CE_FRAME | CE_OVERRUN) << "Lijnfout: framing, overrun.";
        QTest::newRow("break") << uint(CommLineError) << 0u << uint(CE_BREAK) << "Lijnfout: break.";
        QTest::newRow("system")
            << uint(CommSystemError) << uint(EIO) << 0u
            << "Systeemfout: " + QString::fromStdString(SerialLine::systemMessage(EIO)) + ".";
    }

    void failuresInWords()
    {
        QFETCH(uint, code);
        QFETCH(uint, os);
        QFETCH(uint, line);
        QFETCH(QString, starts);
        const QString text = commFailureText(TCommError{code, os, line}, 3);
        QVERIFY2(text.startsWith(starts), qPrintable(text));
        // The numbers stay, for support.
        if (code != CommTimeout) QVERIFY(text.endsWith(QStringLiteral(" %1, %2").arg(os).arg(line)));
    }

    void qtSpeaksTheChosenLanguage_data()
    {
        QTest::addColumn<int>("taal");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("nl") << 0 << "Annuleren";
        QTest::newRow("en") << 1 << "Cancel";
        QTest::newRow("de") << 2 << "Abbrechen";
    }

    void qtSpeaksTheChosenLanguage()
    {
        QFETCH(int, taal);
        QFETCH(QString, cancel);
        loadQtTranslations(taal);
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), cancel);
        loadQtTranslations(1);
    }
};

QTEST_MAIN(TestUsability)
#include "tst_usability.moc"
