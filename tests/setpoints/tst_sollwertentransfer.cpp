// The setpoint editor's receive, send and file commands against the simulated
// controller and the transfer windows.
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/ControllerLine.h"
#include "params/ControllerImage.h"
#include "params/LeesParSoll.h"
#include "params/ParFiles.h"
#include "params/ParameterDefs.h"
#include "params/SchrijfParSoll.h"
#include "params/ValueStore.h"
#include "setpoints/AfdrukkenPar.h"
#include "setpoints/AfdrukkenSoll.h"
#include "setpoints/EditSollwerten.h"
#include "setpoints/Reports.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vx;

class TstSollwertenTransfer : public QObject {
    Q_OBJECT

    std::unique_ptr<TSXComm> port;
    std::unique_ptr<TFormLeesParSoll> lees;
    std::unique_ptr<TFormSchrijfParSoll> schrijf;
    std::unique_ptr<TFormEditSollwerten> form;
    test::ScriptedUi* scripted = nullptr;

    // Ends the transfer window's modal loop once it is done: OK, or Cancel.
    void finishTransfer(TTransferForm* w, bool ok)
    {
        auto* timer = new QTimer(form.get());
        connect(timer, &QTimer::timeout, timer, [w, ok, timer] {
            if (!w->isVisible() || !(w->isDone() || w->failed()))
                return;
            timer->stop();
            (ok && w->isDone() ? w->CmdOK : w->CmdCancel)->click();
            timer->deleteLater();
        });
        timer->start(20);
    }

private slots:
    void initTestCase()
    {
        // The question before a whole-set write has its own test; here it would only
        // add to the questions counted.
        setWriteQuestionOn(false);
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR") + u'/';
        app().TaalIndex = 0;
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void init()
    {
        resetValueStore();
        QVERIFY(loadTaalFile());
        scripted = test::ScriptedUi::install();
        sim::resetDefaultBus();
        port = std::make_unique<TSXComm>();
        port->setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = port.get();
        port->Open();
        QVERIFY(port->Active());
        // Replies end at their line end: these runs are about the setpoints, not the pause rule.
        setFastReplies(true, port.get());
        lees = std::make_unique<TFormLeesParSoll>();
        schrijf = std::make_unique<TFormSchrijfParSoll>();
        app().FormLeesParSoll = lees.get();
        app().FormSchrijfParSoll = schrijf.get();
        form = std::make_unique<TFormEditSollwerten>();
        form->show();
    }

    void cleanup()
    {
        form.reset();
        app().FormLeesParSoll = nullptr;
        app().FormSchrijfParSoll = nullptr;
        lees.reset();
        schrijf.reset();
        port->Close();
        app().SXComm1 = nullptr;
        port.reset();
        setUiSeams(nullptr);
    }

    void itemsFollowThePort()
    {
        QVERIFY(form->Sollwertenontvangen1->isEnabled());
        QVERIFY(form->Sollwertenzenden1->isEnabled());
        port->Close();
        form->FormActivate();
        QVERIFY(!form->Sollwertenontvangen1->isEnabled());
        QVERIFY(!form->Sollwertenzenden1->isEnabled());
    }

    void receive_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("closed with Cancel after the read: kept") << false;
    }
    void receive()
    {
        QFETCH(bool, ok);
        auto& bus = sim::defaultBus();
        for (int n = 1; n <= 80; ++n)
            bus.setSetpoint(0, n, n * 100 - 4000);
        ParWaarden[ParDecimalsParameter] = 2;
        SollWaarden[5] = 77;
        finishTransfer(lees.get(), ok);
        form->Sollwertenontvangen1Click();
        // A finished read is never dropped silently, whichever button closes it.
        Q_UNUSED(ok);
        QCOMPARE(SollStatus, 1);
        QCOMPARE(SollWaarden[5], 500 - 4000);
        QCOMPARE(SollWaarden[80], 4000);
        QCOMPARE(form->StringGrid1->item(5, 1)->text(), QStringLiteral("-35,00"));
        QCOMPARE(form->StringGrid1->item(40, 4)->text(), QStringLiteral("40,00"));
    }

    void sendNeverLoadedAsksFirst_data()
    {
        QTest::addColumn<bool>("language");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("sent");
        QTest::newRow("never loaded, No") << true << 0 << int(QMessageBox::No) << true << false;
        QTest::newRow("never loaded, Cancel") << true << 0 << int(QMessageBox::Cancel) << true << false;
        QTest::newRow("never loaded, Yes") << true << 0 << int(QMessageBox::Yes) << true << true;
        QTest::newRow("never loaded, no language") << false << 0 << int(QMessageBox::Yes) << false << false;
        QTest::newRow("received before") << true << 1 << int(QMessageBox::No) << false << true;
    }
    void sendNeverLoadedAsksFirst()
    {
        QFETCH(bool, language);
        QFETCH(int, status);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, sent);
        app().TaalGeladen = language;
        SollStatus = status;
        for (int n = 1; n <= 80; ++n)
            SollWaarden[n] = 1000 + n;
        scripted->answers.push_back(QMessageBox::StandardButton(answer));
        auto& bus = sim::defaultBus();
        bus.clearLog();
        finishTransfer(schrijf.get(), true);
        form->Sollwertenzenden1Click();
        QCOMPARE(scripted->messages.size(), asked ? 1 : 0);
        if (asked) {
            const auto& m = scripted->messages.constFirst();
            QCOMPARE(m.caption, QStringLiteral("Waarschuwing"));
            QCOMPARE(m.text.count(QStringLiteral("\n\r")), 4);
            QVERIFY(m.text.endsWith(QStringLiteral("\n\rToch zenden?")));
            QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        }
        if (sent) {
            QCOMPARE(bus.requests().size(), size_t(80));
            QCOMPARE(bus.requests().back(), std::string("ws 80 1080"));
            QCOMPARE(bus.setpoint(0, 17), 1017);
        } else {
            QCOMPARE(bus.requestCount(), size_t(0));
        }
        QCOMPARE(SollStatus, status);
    }

    // A parameter file with other decimals opened meanwhile changes neither what the
    // editor shows nor what goes to the controller: typed 100 is 100,00 for a
    // controller with two decimals. A set in other decimals is rescaled, or refused
    // when a value would lose a digit.
    void sendsInTheControllersDecimals_data()
    {
        QTest::addColumn<int>("setDecimals"); // -1: received from the controller
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected"); // setpoint 5 on the controller; 0: nothing sent
        QTest::newRow("received, file with 3 opened") << -1 << "100" << 10000;
        QTest::newRow("set in 3 decimals") << 3 << "100" << 10000;
        QTest::newRow("set in 3 decimals, a digit too many") << 3 << "100,001" << 0;
        QTest::newRow("set in 1 decimal") << 1 << "-2,5" << -250;
    }
    void sendsInTheControllersDecimals()
    {
        QFETCH(int, setDecimals);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        auto& bus = sim::defaultBus();
        bus.setParameter(0, ParDecimalsParameter, 2);
        for (int n = 1; n <= 80; ++n)
            bus.setSetpoint(0, n, n * 12000);
        images::setConnected(port->displayName(), 0);
        images::connectedImage()->read(transfer::Item::Parameter, ParDecimalsParameter, 2);
        finishTransfer(lees.get(), true);
        form->Sollwertenontvangen1Click();
        QCOMPARE(form->StringGrid1->item(1, 1)->text(), QStringLiteral("120,00"));
        if (setDecimals >= 0) {
            SollDecimalen = setDecimals;
            SollStatus = 2;
        }
        ParWaarden[ParDecimalsParameter] = 3; // a file opened in the parameter editor
        ParStatus = 2;
        form->InitSollwertStringgrid();
        if (setDecimals < 0)
            QCOMPARE(form->StringGrid1->item(1, 1)->text(), QStringLiteral("120,00"));
        form->StringGrid1->setCurrentCell(5, 1);
        form->EditCol = 1;
        form->EditRow = 5;
        form->StringGrid1->item(5, 1)->setText(typed);
        form->StringGrid1KeyDown(Qt::Key_Return);
        bus.clearLog();
        bus.setSetpoint(0, 5, 1);
        finishTransfer(schrijf.get(), true);
        form->Sollwertenzenden1Click();
        if (expected == 0) {
            QCOMPARE(bus.requestCount(), size_t(0));
            QVERIFY(scripted->messages.last().text.startsWith(QLatin1String("Sollwert 5")));
        } else {
            QCOMPARE(bus.setpoint(0, 5), expected);
            if (setDecimals < 0)
                QCOMPARE(bus.setpoint(0, 1), 12000);
        }
        images::reset();
    }

    // For a look at the reports of the simulated controller's values: with VX_SHOT_DIR
    // set, both reports are printed to PDF through their dialogs and page 1 of each
    // is written as PNG.
    void reportsOfSimulatedController()
    {
        const QString shots = qEnvironmentVariable("VX_SHOT_DIR");
        if (shots.isEmpty())
            QSKIP("VX_SHOT_DIR not set");
        QVERIFY(ParameterDef_lezen());
        QVERIFY(ParamNo_lezen());
        finishTransfer(lees.get(), true);
        QCOMPARE(lees->run(0), int(QDialog::Accepted));
        for (int n = 0; n < ParCount; ++n)
            ParWaarden[n] = lees->ParBuffer[n];
        ParStatus = 1;
        finishTransfer(lees.get(), true);
        form->Sollwertenontvangen1Click();
        QCOMPARE(SollStatus, 1);
        app().AfdrukFirma = QStringLiteral("Simulator");
        app().AfdrukType = QStringLiteral("VX5x");
        app().AfdrukSn = QStringLiteral("unit 0");

        struct PdfUi : test::ScriptedUi {
            QString file;
            bool print(QWidget*, QPrinter& printer) override
            {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(file);
                return true;
            }
        };
        auto seams = std::make_unique<PdfUi>();
        PdfUi* ui = seams.get();
        setUiSeams(std::move(seams));
        TFormAfdrukkenPar par;
        TFormAfdrukkenSoll soll;
        for (TFormAfdrukken* dlg : {static_cast<TFormAfdrukken*>(&par), static_cast<TFormAfdrukken*>(&soll)}) {
            ui->file = QDir(shots).filePath(QStringLiteral("report-sim-%1.pdf").arg(dlg->objectName()));
            dlg->show();
            dlg->CmdOKClick();
            QVERIFY(QFile::exists(ui->file));
        }

        // Each page as its own PNG.
        auto png = [&](const QString& name, const std::function<void(QPainter&, QSize, NewPageFn)>& draw) {
            constexpr int dpi = 300;
            QImage img(QSize(2480, 3508), QImage::Format_RGB32);
            img.setDotsPerMeterX(int(dpi / 0.0254));
            img.setDotsPerMeterY(int(dpi / 0.0254));
            img.fill(Qt::white);
            int page = 1;
            auto save = [&] { QVERIFY(img.save(QDir(shots).filePath(QStringLiteral("%1-page%2.png").arg(name).arg(page)))); };
            QPainter p(&img);
            draw(p, img.size(), [&] {
                save();
                img.fill(Qt::white);
                ++page;
            });
            p.end();
            save();
        };
        png(QStringLiteral("report-sim-parameters"), [&](QPainter& p, QSize size, NewPageFn next) {
            drawParameterReport(p, size, par.reportHeader(), InitParameterHeader(), par.leesTreeRegels(), next);
        });
        png(QStringLiteral("report-sim-setpoints"), [&](QPainter& p, QSize size, NewPageFn next) {
            drawSollwertReport(p, size, soll.reportHeader(), InitSollwertHeader(), soll.SollTitel, next);
        });
    }

    void openAndSaveFiles()
    {
        QTemporaryDir dir;
        TSollWaarden values;
        for (int n = 1; n <= 80; ++n)
            values[n] = -n;
        const QString path = dir.filePath(QStringLiteral("tabel.aps"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(files::setpointFileText(3, values));
        }
        scripted->fileNames.push_back(path);
        form->Openen1Click();
        QCOMPARE(SollStatus, 2);
        QCOMPARE(SollWaarden[80], -80);
        QCOMPARE(form->StringGrid1->item(40, 4)->text(), QStringLiteral("-80"));

        // Saving changes neither the store nor its status.
        SollWaarden[1] = 4321;
        const QString saved = dir.filePath(QStringLiteral("kopie.aps"));
        scripted->fileNames.push_back(saved);
        form->Opslaanals1Click();
        QCOMPARE(SollStatus, 2);
        QFile f(saved);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("S001 4321\r\n"));

        // A parameter file is refused and leaves the store alone.
        const QString wrong = dir.filePath(QStringLiteral("par.app"));
        {
            QFile p(wrong);
            QVERIFY(p.open(QIODevice::WriteOnly));
            p.write(files::parameterFileText(3, TParWaarden{}));
        }
        scripted->fileNames.push_back(wrong);
        form->Openen1Click();
        QCOMPARE(SollWaarden[1], 4321);
        QCOMPARE(scripted->messages.constLast().text, QStringLiteral("Dit is geen sollwertbestand."));
    }
};

QTEST_MAIN(TstSollwertenTransfer)
#include "tst_sollwertentransfer.moc"
