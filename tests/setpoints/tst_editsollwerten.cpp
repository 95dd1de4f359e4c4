#include "core/AppState.h"
#include "core/IniFile.h"
#include "params/EditParam.h"
#include "params/ValueStore.h"
#include "setpoints/AfdrukkenSoll.h"
#include "setpoints/EditSollwerten.h"
#include "support/ScriptedUi.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace vx;

class TstEditSollwerten : public QObject {
    Q_OBJECT

    std::unique_ptr<TFormEditSollwerten> form;
    test::ScriptedUi* scripted = nullptr;

    QTableWidget* grid() const { return form->StringGrid1; }

    // Keys go where the user's would: the grid, or its editor once one is open.
    static void type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    static void loadLanguage()
    {
        const QByteArray dir = qgetenv("VX_DATA_DIR");
        app().TaalFile = IniFile::load(QString::fromLocal8Bit(dir) + QStringLiteral("/Taal0.ini"));
        app().TaalGeladen = app().TaalFile != nullptr;
    }

    void start(int decimals)
    {
        ParWaarden[ParDecimalsParameter] = decimals;
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->FormActivate();
        grid()->setFocus();
        QTRY_VERIFY(grid()->hasFocus());
    }

private slots:
    void init()
    {
        resetValueStore();
        app().TaalFile.reset();
        app().TaalGeladen = false;
        scripted = test::ScriptedUi::install();
        form = std::make_unique<TFormEditSollwerten>();
    }
    void cleanup()
    {
        form.reset();
        setUiSeams(nullptr);
    }

    void enterStoresThroughFixedPoint_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<qint32>("before");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qint32>("stored");
        QTest::addColumn<QString>("shown");

        QTest::newRow("point becomes comma") << 2 << 0 << "12.5"
                                             << "12,5" << true << 1250 << "12,50";
        QTest::newRow("decimals filled in") << 2 << 0 << "5"
                                            << "5" << true << 500 << "5,00";
        QTest::newRow("no comma without decimals") << 0 << 0 << "1,2.3"
                                                   << "123" << true << 123 << "123";
        QTest::newRow("one comma only") << 2 << 0 << "1,,5"
                                        << "1,5" << true << 150 << "1,50";
        QTest::newRow("letters and blanks dropped") << 1 << 0 << "a1 b2+"
                                                    << "12" << true << 120 << "12,0";
        QTest::newRow("upper bound") << 0 << 0 << "99999999"
                                     << "99999999" << true << 99999999 << "99999999";
        QTest::newRow("above upper bound") << 0 << 7 << "100000000"
                                           << "100000000" << false << 7 << "7";
        QTest::newRow("lower bound") << 0 << 0 << "-9999999"
                                     << "-9999999" << true << -9999999 << "-9999999";
        QTest::newRow("below lower bound") << 0 << 7 << "-10000000"
                                           << "-10000000" << false << 7 << "7";
        QTest::newRow("too many decimals") << 2 << 777 << "1,234"
                                           << "1,234" << false << 777 << "7,77";
        QTest::newRow("minus inside rejected later") << 1 << 4 << "1-2"
                                                     << "1-2" << false << 4 << "0,4";
        QTest::newRow("second minus dropped") << 1 << 0 << "--5"
                                              << "-5" << true << -50 << "-5,0";
        // The typed text replaces the shown one, so the old sign does not block a new one.
        QTest::newRow("negative over negative") << 2 << -300 << "-5"
                                                << "-5" << true << -500 << "-5,00";
        QTest::newRow("comma over a value with comma") << 2 << 150 << ",5"
                                                       << ",5" << true << 50 << "0,50";
    }
    void enterStoresThroughFixedPoint()
    {
        QFETCH(int, decimals);
        QFETCH(qint32, before);
        QFETCH(QString, keys);
        QFETCH(QString, whileTyping);
        QFETCH(bool, accepted);
        QFETCH(qint32, stored);
        QFETCH(QString, shown);

        SollWaarden[1] = before;
        start(decimals);
        type(keys);
        QVERIFY(form->inplaceEditor());
        QCOMPARE(form->inplaceEditor()->text(), whileTyping);
        press(Qt::Key_Return);

        QCOMPARE(SollWaarden[1], stored);
        QCOMPARE(grid()->item(1, 1)->text(), shown);
        QCOMPARE(form->Panel1->text(), accepted ? QString() : form->InvalidText);
        QVERIFY(!form->InvalidText.isEmpty());
        // Accepted: on to the next row with the editor open; refused: stay.
        QCOMPARE(grid()->currentRow(), accepted ? 2 : 1);
        QCOMPARE(grid()->currentColumn(), 1);
        QVERIFY(form->editing());
        if (!accepted)
            QCOMPARE(form->inplaceEditor()->text(), shown);
        QCOMPARE(SollStatus, 0);
    }

    void rightHalfAndLastRow()
    {
        start(0);
        grid()->setCurrentCell(40, 4);
        type(QStringLiteral("33"));
        press(Qt::Key_Enter);
        QCOMPARE(SollWaarden[80], 33);
        QCOMPARE(grid()->currentRow(), 40);
        QCOMPARE(grid()->currentColumn(), 4);
        QCOMPARE(grid()->item(40, 4)->text(), QStringLiteral("33"));
        QCOMPARE(SollWaarden[40], 0);
    }

    void arrowsJumpBetweenValueColumns()
    {
        start(0);
        grid()->setCurrentCell(5, 1);
        press(Qt::Key_Right);
        QCOMPARE(grid()->currentColumn(), 4);
        QCOMPARE(grid()->currentRow(), 5);
        press(Qt::Key_Right);
        QCOMPARE(grid()->currentColumn(), 4);
        press(Qt::Key_Left);
        QCOMPARE(grid()->currentColumn(), 1);
        press(Qt::Key_Left);
        QCOMPARE(grid()->currentColumn(), 1);
        press(Qt::Key_Up);
        QCOMPARE(grid()->currentRow(), 4);
        grid()->setCurrentCell(1, 1);
        press(Qt::Key_Up); // the header row is never selected
        QCOMPARE(grid()->currentRow(), 1);

        // While editing, no arrow leaves the cell.
        grid()->setCurrentCell(5, 1);
        type(QStringLiteral("12"));
        for (Qt::Key k : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left, Qt::Key_Tab}) {
            press(k);
            QCOMPARE(grid()->currentRow(), 5);
            QCOMPARE(grid()->currentColumn(), 1);
            QVERIFY(form->editing());
        }
        // A click on another cell is refused while editing, too.
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(9, 4)).center());
        QCOMPARE(grid()->currentRow(), 5);
    }

    void clicksSelectOnlyValueCells()
    {
        start(0);
        auto click = [&](int row, int col) {
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                              grid()->visualRect(grid()->model()->index(row, col)).center());
        };
        click(7, 4);
        QCOMPARE(grid()->currentRow(), 7);
        QCOMPARE(grid()->currentColumn(), 4);
        for (int col : {0, 2, 3}) {
            click(9, col);
            QCOMPARE(grid()->currentRow(), 7);
            QCOMPARE(grid()->currentColumn(), 4);
        }
        click(0, 1);
        QCOMPARE(grid()->currentRow(), 7);
    }

    void escapeRestoresAndClearsMessage()
    {
        SollWaarden[1] = 1234;
        start(2);
        type(QStringLiteral("1,234"));
        press(Qt::Key_Return);
        QCOMPARE(form->Panel1->text(), form->InvalidText);
        type(QStringLiteral("99"));
        press(Qt::Key_Escape);
        QVERIFY(!form->editing());
        QCOMPARE(grid()->item(1, 1)->text(), QStringLiteral("12,34"));
        QCOMPARE(form->Panel1->text(), QString());
        QCOMPARE(SollWaarden[1], 1234);
    }

    void activationRefillsAndResets()
    {
        SollWaarden[41] = -7;
        start(1);
        QCOMPARE(grid()->item(1, 4)->text(), QStringLiteral("-0,7"));
        QCOMPARE(grid()->item(40, 3)->text(), QStringLiteral("80"));
        grid()->setCurrentCell(12, 4);
        type(QStringLiteral("x,"));
        form->Panel1->setText(QStringLiteral("old"));
        SollWaarden[41] = 25;
        form->FormActivate();
        QVERIFY(!form->editing());
        QCOMPARE(grid()->currentRow(), 1);
        QCOMPARE(grid()->currentColumn(), 1);
        QCOMPARE(grid()->item(1, 4)->text(), QStringLiteral("2,5"));
        QCOMPARE(form->Panel1->text(), QString());
    }

    void languageTexts()
    {
        loadLanguage();
        QVERIFY(app().TaalGeladen);
        start(0);
        QCOMPARE(form->windowTitle(), QStringLiteral("Sollwerten bewerken"));
        QCOMPARE(grid()->item(0, 0)->text(), QStringLiteral("Nr"));
        QCOMPARE(grid()->item(0, 4)->text(), QStringLiteral("Waarde"));
        QCOMPARE(form->InvalidText, QStringLiteral("Invoer ongeldig!"));
        // No open port: nothing to receive from or send to.
        QVERIFY(!form->Sollwertenontvangen1->isEnabled());
        QVERIFY(!form->Sollwertenzenden1->isEnabled());
    }

    // Discard puts back what was last loaded, received, saved or sent, in both editors,
    // so a whole-set send afterwards cannot write the discarded value.
    void discardPutsBackTheLastLoadedValues_data()
    {
        QTest::addColumn<bool>("setpoints");
        QTest::addColumn<int>("answer");
        for (bool soll : {false, true}) {
            const char* w = soll ? "setpoint editor" : "parameter editor";
            QTest::addRow("%s, Discard", w) << soll << int(QMessageBox::Discard);
            QTest::addRow("%s, Cancel", w) << soll << int(QMessageBox::Cancel);
        }
    }
    void discardPutsBackTheLastLoadedValues()
    {
        QFETCH(bool, setpoints);
        QFETCH(int, answer);
        loadLanguage();
        const bool discard = answer == QMessageBox::Discard;
        qint32& value = setpoints ? SollWaarden[5] : ParWaarden[56];
        int& status = setpoints ? SollStatus : ParStatus;
        value = 12;
        status = 2; // as opened from a file
        std::unique_ptr<TFormEditParam> param;
        QDialog* editor = form.get();
        if (!setpoints) {
            param = std::make_unique<TFormEditParam>();
            editor = param.get();
        }
        editor->show();
        // Changed and kept with OK, not sent.
        value = 44;
        status = 3;
        scripted->answers = {QMessageBox::StandardButton(answer)};
        editor->reject();
        QCOMPARE(scripted->messages.size(), 1);
        QCOMPARE(editor->isVisible(), !discard);
        QCOMPARE(value, discard ? 12 : 44);
        QCOMPARE(status, discard ? 2 : 3);
        // Reopened: the old value is back and nothing is marked unsent.
        editor->hide();
        editor->show();
        QCOMPARE(editor->windowTitle().endsWith(QStringLiteral(" *")), !discard);
        if (setpoints)
            QCOMPARE(grid()->item(5, 1)->text(), discard ? QStringLiteral("12") : QStringLiteral("44"));
    }

    void cellColoursFollowFocus()
    {
        start(0);
        grid()->setCurrentCell(3, 1);
        auto colourAt = [&](int row, int col) {
            const QImage img = grid()->viewport()->grab().toImage();
            const QRect r = grid()->visualRect(grid()->model()->index(row, col));
            return img.pixelColor(r.left() + 2, r.bottom() - 1);
        };
        QCOMPARE(colourAt(5, 0), QColor(255, 255, 151));
        QCOMPARE(colourAt(5, 1), grid()->palette().color(QPalette::Base));
        QCOMPARE(colourAt(3, 1), grid()->palette().color(QPalette::Highlight));
        QCOMPARE(colourAt(0, 1), grid()->palette().color(QPalette::Button));
        grid()->clearFocus();
        form->Panel1->setFocus();
        QCOMPARE(colourAt(5, 0), grid()->palette().color(QPalette::Base));
        QCOMPARE(colourAt(3, 1), grid()->palette().color(QPalette::Base));
    }

    // For a look at the window: VX_SHOT_DIR=... under a virtual display (xcb).
    void screenshotWhileEditing()
    {
        const QString shots = QString::fromLocal8Bit(qgetenv("VX_SHOT_DIR"));
        if (shots.isEmpty())
            QSKIP("VX_SHOT_DIR not set");
        loadLanguage();
        for (int k = 1; k <= SollCount; ++k)
            SollWaarden[k] = k % 5 == 0 ? -k * 37 : k * 1250;
        start(2);
        type(QStringLiteral("12.5"));
        press(Qt::Key_Return);
        type(QStringLiteral("1,234"));
        press(Qt::Key_Return);
        type(QStringLiteral("-7.2"));
        QTest::qWait(200);
        QVERIFY(form->grab().save(shots + QStringLiteral("/setpoint-editor-editing.png")));
    }

    void printAsksWhenNeverLoaded_data()
    {
        QTest::addColumn<bool>("language");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("printDialogs");
        QTest::newRow("no language, never loaded: nothing") << false << 0 << int(QMessageBox::Yes) << 0 << 0;
        QTest::newRow("never loaded, No") << true << 0 << int(QMessageBox::No) << 1 << 0;
        QTest::newRow("never loaded, Cancel") << true << 0 << int(QMessageBox::Cancel) << 1 << 0;
        QTest::newRow("never loaded, Yes") << true << 0 << int(QMessageBox::Yes) << 1 << 1;
        QTest::newRow("loaded from file") << false << 2 << int(QMessageBox::Yes) << 0 << 1;
    }
    void printAsksWhenNeverLoaded()
    {
        QFETCH(bool, language);
        QFETCH(int, status);
        QFETCH(int, answer);
        QFETCH(int, questions);
        QFETCH(int, printDialogs);
        if (language)
            loadLanguage();
        SollStatus = status;
        scripted->answers.push_back(QMessageBox::StandardButton(answer));
        TFormAfdrukkenSoll dialog(form.get());
        app().FormAfdrukkenSoll = &dialog;
        const auto forget = qScopeGuard([] { app().FormAfdrukkenSoll = nullptr; });
        start(0);
        int shown = 0;
        // The print dialog is modal: note it and cancel it from inside its loop.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (dialog.isVisible()) {
                ++shown;
                dialog.CmdCancel->click();
            }
        });
        poll.start(10);
        form->AfdrukkenClick();
        QCOMPARE(scripted->messages.size(), questions);
        QCOMPARE(shown, printDialogs);
        QCOMPARE(scripted->printCalls, 0);
        if (questions) {
            const auto& m = scripted->messages.constFirst();
            QCOMPARE(m.icon, QMessageBox::Warning);
            QCOMPARE(m.caption, QStringLiteral("Waarschuwing"));
            QVERIFY(m.text.startsWith(QStringLiteral("Er zijn nog geen sollwerten geladen:\n\rniet van")));
            QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        }
    }
};

QTEST_MAIN(TstEditSollwerten)
#include "tst_editsollwerten.moc"
