// Logging graph window: logging against the simulated controller, stopping,
// auto-scroll, scales, settings and the saved files.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Taal.h"
#include "device/CommandSet.h"
#include "diagnostics/FormGrafiek.h"
#include "diagnostics/GraphPlot.h"
#include "diagnostics/GraphScope.h"
#include "params/FixedPoint.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <algorithm>
#include <memory>

using namespace vx;

namespace {

constexpr int Wait = 5000;

QByteArray reply(const QByteArray& value) { return "r0 " + value + "\r\n"; }

QColor textColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

} // namespace

class TestGrafiek : public QObject {
    Q_OBJECT
    std::unique_ptr<TSXComm> port;
    std::unique_ptr<TFormGrafiek> form;

    void feed(int count, const QByteArray& value = "5")
    {
        for (int i = 0; i < count; ++i) form->PX400LeesLogDataCommResult(nullptr, reply(value));
    }

private slots:
    void initTestCase() { sim::installInProcessSimulator(); }

    void init()
    {
        app() = AppState();
        resetValueStore();
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR") + '/';
        QVERIFY(loadTaalFile());
        sim::resetDefaultBus();
        setPortDevicePath(1, "sim");
        port = std::make_unique<TSXComm>();
        port->setBaudrate(TBaudrate::br9600);
        port->setFrameDatabits(TDataBit::db_8);
        port->setFrameParitybit(TParityBit::Odd);
        port->setFrameStopbits(TStopBit::sb_1);
        app().SXComm1 = port.get();
        port->Open();
        form = std::make_unique<TFormGrafiek>();
    }

    void cleanup()
    {
        form.reset();
        port->Close();
        app().SXComm1 = nullptr;
        port.reset();
        setUiSeams(nullptr);
    }

    void logsTheSimulatedAxis()
    {
        app().GrafiekXDiv = 1;  // 500 ms
        app().GrafiekYDiv = 13; // 1000000
        form->show();
        QVERIFY(form->CmdStartLog->isEnabled());
        QVERIFY(!form->CmdStopLog->isEnabled());
        form->CmdStartLog->click();
        QVERIFY(!form->CmdStartLog->isEnabled());
        QVERIFY(!form->ComboBoxBron->isEnabled());
        QVERIFY(form->ListBoxY->isEnabled());
        QCOMPARE(form->PanelCommError->text(), form->PanelTekst[2]);
        QTRY_VERIFY_WITH_TIMEOUT(form->LogIndex >= 10, Wait);
        form->CmdStopLog->click();
        QCOMPARE(form->PanelCommError->text(), form->PanelTekst[3]);
        QVERIFY(form->CmdStartLog->isEnabled());
        const int last = form->LogIndex;
        for (int i = 1; i <= last; ++i) QVERIFY(form->LogTijd[std::size_t(i)] >= form->LogTijd[std::size_t(i - 1)]);
        QVERIFY(form->LogTijd[std::size_t(last)] > 0);
        QVERIFY(form->LogWaarde[std::size_t(last)] != form->LogWaarde[0]); // the axis moves
        for (const std::string& r : sim::defaultBus().requests()) QCOMPARE(QString::fromStdString(r), QString("r0"));
        QTest::qWait(200);
        QCOMPARE(form->LogIndex, last); // stopped means no more samples

        if (qEnvironmentVariableIsSet("VX_SHOT_DIR")) {
            form->ListBoxX->setCurrentRow(2);
            form->ListBoxY->setCurrentRow(6);
            form->CheckHulplijnenYas->setChecked(true);
            form->CmdStartLog->click();
            QTRY_VERIFY_WITH_TIMEOUT(form->LogIndex >= 80, 20000);
            form->CmdStopLog->click();
            form->CmdAuto->click();
            form->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/grafiek.png");
        }
    }

    void fullBufferStopsTheLog()
    {
        form->show();
        form->CmdStartLog->click();
        feed(3995); // the rest come from the controller
        QTRY_COMPARE_WITH_TIMEOUT(form->LogIndex, 4000, Wait);
        QCOMPARE(form->PanelCommError->text(), form->PanelTekst[4]);
        QVERIFY(!form->PanelTekst[4].isEmpty());
        QCOMPARE(form->Gauge1->value(), 4000);
        QVERIFY(form->CmdStartLog->isEnabled());
        QVERIFY(!form->CmdStopLog->isEnabled());
        QVERIFY(!form->PX400LeesLogData->Cyclic());
        const size_t sent = sim::defaultBus().requestCount();
        QTest::qWait(200);
        QCOMPARE(sim::defaultBus().requestCount(), sent);
    }

    void timeoutStopsTheLog()
    {
        sim::defaultBus().addFault(sim::Fault::noReply("r0", 3));
        form->show();
        form->CmdStartLog->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->CmdStartLog->isEnabled(), Wait);
        QCOMPARE(form->LogIndex, 1);
        QCOMPARE(form->PanelCommError->text(), form->PanelTekst[0]);
        QCOMPARE(textColour(form->PanelCommError), QColor(Qt::red));
        QVERIFY(!form->CmdStopLog->isEnabled());
        QVERIFY(form->ComboBoxBron->isEnabled());
        QVERIFY(!form->PX400LeesLogData->Cyclic());
    }

    // Only a whole reply to the request with a whole number is a sample; every other
    // reply is a counted gap, and the time axis carries on from the real tick times.
    void samplesAndGaps()
    {
        quint32 now = 1000;
        form->TickCount = [&] { return now; };
        form->LogWaarde[1] = 99;
        form->show();
        form->CmdStartLog->click();
        QCOMPARE(form->LogIndex, -1);
        form->PX400LeesLogDataCommResult(nullptr, reply("-1234"));
        now = 1500;
        const QByteArray unreadable[] = {"er 7\r\n", "r0 +7\r\n", "r0\r\n", "r0 -35", "r0 -35\r",
                                         "r4 7\r\n", "r0 " + QByteArray(46, '1') + "\r\n"};
        for (const QByteArray& r : unreadable) form->PX400LeesLogDataCommResult(nullptr, r);
        QCOMPARE(form->LogIndex, 0);
        QCOMPARE(form->LogGaten, 7);
        QCOMPARE(form->LogWaarde[1], 99);
        now = 13345;
        form->PX400LeesLogDataCommResult(nullptr, reply("7"));
        QCOMPARE(form->LogIndex, 1);
        QCOMPARE(form->LogWaarde[0], -1234);
        QCOMPARE(form->LogWaarde[1], 7);
        QCOMPARE(form->LogTijd[1], 12345);
        QCOMPARE(form->LabelBufferCount->text(), QString("12,3 sec, 7 ") + taal("Grafiek", "Gaten", "gaps"));
        form->CmdStopLogClick();
        form->PX400LeesLogDataCommResult(nullptr, reply("55")); // in flight at the stop
        QCOMPARE(form->LogIndex, 1);
        form->CmdStartLogClick(); // a new log overwrites from index 0, gaps from 0
        form->PX400LeesLogDataCommResult(nullptr, reply("55"));
        QCOMPARE(form->LogWaarde[0], 55);
        QCOMPARE(form->LogGaten, 0);
        QCOMPARE(form->LabelBufferCount->text(), QString("0,0 sec"));
        form->CmdStopLogClick();
    }

    void autoScrollFollowsTheNewest()
    {
        app().GrafiekXDiv = 0; // 200 ms
        form->show();
        form->CheckBoxAutoScroll->setChecked(true);
        form->CmdStartLog->click();
        feed(101);
        QCOMPARE(form->firstShownSample(), form->LogIndex - 25);
        form->CmdStopLogClick();
        form->ScrollBar1->setValue(10);
        QCOMPARE(form->firstShownSample(), 10);
    }

    void currentFixesTheValueScale()
    {
        ParWaarden[203] = 0;
        form->show();
        QCOMPARE(form->ComboBoxBron->count(), 7);
        form->ComboBoxBron->setCurrentIndex(6);
        QCOMPARE(form->ListBoxY->currentRow(), 8);
        QCOMPARE(form->yDiv(), 40000);
        QVERIFY(!form->ListBoxY->isEnabled());
        form->ComboBoxBron->setCurrentIndex(5);
        QCOMPARE(form->yDiv(), 20000);
        form->ComboBoxBron->setCurrentIndex(1);
        QVERIFY(form->ListBoxY->isEnabled());
    }

    void settingsSurviveReopening()
    {
        AppState& s = app();
        s.GrafiekXDiv = 3;
        s.GrafiekYDiv = 12;
        s.GrafiekBronItem = 4;
        s.GrafiekXHulplijn = true;
        s.GrafiekYHulplijn = false;
        form->show();
        QCOMPARE(form->xDivMs(), 2000);
        QCOMPARE(form->yDiv(), 500000);
        QCOMPARE(form->ComboBoxBron->currentIndex(), 4);
        QVERIFY(form->CheckHulplijnenXas->isChecked());
        form->ListBoxX->setCurrentRow(5);
        form->ListBoxY->setCurrentRow(0);
        form->ComboBoxBron->setCurrentIndex(2);
        form->CheckHulplijnenYas->setChecked(true);
        form->close();
        QCOMPARE(s.GrafiekXDiv, 5);
        QCOMPARE(s.GrafiekYDiv, 0);
        QCOMPARE(s.GrafiekBronItem, 2);
        QVERIFY(s.GrafiekYHulplijn);
        form->show();
        QCOMPARE(form->xDivMs(), 10000);
        QCOMPARE(form->yDiv(), 100);
        QCOMPARE(form->ComboBoxBron->currentIndex(), 2);
        QVERIFY(form->CheckHulplijnenYas->isChecked());
        form->close();

        // Indices from a hand-edited application.ini that name no item.
        s.GrafiekXDiv = 99;
        s.GrafiekYDiv = -4;
        s.GrafiekBronItem = 12;
        form->show();
        QCOMPARE(form->xDivMs(), 10000);
        QCOMPARE(form->yDiv(), 100);
        form->CmdStartLog->click(); // no source: nothing to send yet
        QCOMPARE(form->PX400LeesLogData->ASCIIProtocol(), QString());
        form->CmdStopLogClick();
    }

    // A second source is asked right after the first in every cycle; both fill with
    // rising times, cursors read the stored samples, and zoom leaves them untouched.
    void twoChannelsCursorsAndZoom()
    {
        app().GrafiekXDiv = 2; // 1 s
        form->show();
        form->ComboKanaal2->setCurrentIndex(2); // velocity 1 beside position 1
        form->CmdStartLog->click();
        QVERIFY(!form->ComboKanaal2->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form->LogIndex >= 12, 20000);
        form->CmdStopLog->click();
        const int last = form->LogIndex;
        for (int i = 1; i <= last; ++i) {
            const auto k = std::size_t(i);
            QVERIFY(form->LogTijd[k] >= form->LogTijd[k - 1]);
            QVERIFY(form->LogTijd2[k] >= form->LogTijd[k]);
            QVERIFY(form->LogTijd2[k] >= form->LogTijd2[k - 1]);
        }
        const auto& requests = sim::defaultBus().requests();
        QVERIFY(requests.size() >= std::size_t(2 * last));
        for (std::size_t i = 0; i < std::size_t(2 * last); ++i)
            QCOMPARE(QString::fromStdString(requests[i]), QString(i % 2 ? "r1" : "r0"));

        form->CmdAuto->click();
        form->CheckCursors->setChecked(true);
        const int sample = last / 2;
        const int x = int(qint64(form->LogTijd[std::size_t(sample)]) * 60 / form->xDivMs());
        form->setCursorAt(0, x);
        form->setCursorAt(1, int(qint64(form->LogTijd[std::size_t(last)]) * 60 / form->xDivMs()));
        const int a = form->cursorSample(0);
        QVERIFY(std::abs(a - sample) <= 1);
        const QString text = form->cursorText();
        QVERIFY2(text.startsWith("A: " + FixedToText(3, form->LogTijd[std::size_t(a)]) + " s"), qPrintable(text));
        QVERIFY2(text.contains(graph::scaledText(0, form->LogWaarde[std::size_t(a)])), qPrintable(text));
        QVERIFY2(text.contains(QChar(0x394)), qPrintable(text));
        const QString shots = qEnvironmentVariable("VX_SHOT_DIR");
        if (!shots.isEmpty()) form->grab().save(shots + "/grafiek-twee-kanalen.png");

        const auto before = form->LogWaarde;
        QWheelEvent wheel(QPointF(300, 100), form->Image1->mapToGlobal(QPointF(300, 100)), QPoint(), QPoint(0, 240),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->Image1, &wheel);
        QVERIFY(form->zoom().active);
        QVERIFY(form->zoom().msPerPixel < form->xDivMs() / 60.0);
        if (!shots.isEmpty()) form->grab().save(shots + "/grafiek-zoom-cursors.png");
        QTest::keyClick(form.get(), Qt::Key_Home);
        QVERIFY(!form->zoom().active);
        QCOMPARE(form->LogWaarde, before);
    }

    // Position 2 beside position 1: both in units in the read-out and the CSV, and the
    // status line with rate, mouse and both cursors shows whole (two lines, tooltip).
    void bothChannelsInUnitsAndTheStatusFits()
    {
        auto* ui = test::ScriptedUi::install();
        ParWaarden[203] = 2;
        app().GrafiekXDiv = 2; // 1 s
        form->show();
        form->ComboKanaal2->setCurrentIndex(3); // position 2
        form->CmdStartLog->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->LogIndex >= 12, 20000);
        form->CmdStopLog->click();
        const int last = form->LogIndex;
        form->CheckCursors->setChecked(true);
        form->setCursorAt(0, int(qint64(form->LogTijd[std::size_t(last / 3)]) * 60 / form->xDivMs()));
        form->setCursorAt(1, int(qint64(form->LogTijd[std::size_t(last)]) * 60 / form->xDivMs()));
        QMouseEvent move(QEvent::MouseMove, QPointF(200, 150), form->Image1->mapToGlobal(QPointF(200, 150)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form->Image1, &move);

        const QString text = form->cursorText();
        const QRegularExpression inUnits(R"(A: [\d,]+ s  -?\d+,\d\d \(AWE\) / -?\d+,\d\d \(AWE\))");
        QVERIFY2(inUnits.match(text).hasMatch(), qPrintable(text));
        const QLabel* status = form->LabelStatus;
        QVERIFY2(status->text().contains(text), qPrintable(status->text()));
        QCOMPARE(status->toolTip(), status->text());
        const QRect room = status->contentsRect();
        const QRect needed = status->fontMetrics().boundingRect(room, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, status->text());
        QVERIFY2(needed.height() <= room.height() && needed.width() <= room.width(), qPrintable(status->text()));
        QVERIFY(status->geometry().bottom() < form->height());
        // The scale lists give the scale in the axes' units, not in counts.
        const int k = int(std::find(graph::YDivValues.begin(), graph::YDivValues.end(), 10000) - graph::YDivValues.begin());
        QCOMPARE(form->ListBoxY->item(k)->text(), QStringLiteral("100,00"));
        QCOMPARE(form->ComboSchaal2->itemText(k), QStringLiteral("100,00"));
        const QString shots = qEnvironmentVariable("VX_SHOT_DIR");
        if (!shots.isEmpty()) form->grab().save(shots + "/grafiek-kanalen-eenheden.png");

        QTemporaryDir dir;
        ui->fileNames = {dir.filePath("two.csv")};
        QVERIFY(form->CmdSaveCsvClick());
        QFile csv(dir.filePath("two.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), last + 2);
        QVERIFY2(QString::fromUtf8(lines[0]).count(QRegularExpression(R"(\(AWE\) \d+,\d\d/div)")) == 2, lines[0]);
        const QRegularExpression units(R"(^"-?\d+,\d\d"$)");
        for (int i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> f = lines[i].split(',');
            // time, raw, "units" (split at its comma) for each channel
            QCOMPARE(f.size(), 8);
            QVERIFY2(units.match(QString::fromUtf8(f[2] + ',' + f[3])).hasMatch(), lines[i]);
            QVERIFY2(units.match(QString::fromUtf8(f[6] + ',' + f[7])).hasMatch(), lines[i]);
        }
    }

    // Each channel reads against an axis of its own in its own unit (one axis when unit
    // and scale agree): the axis names the second curve's value where the curve lies,
    // and the read-out at that height names both values with their units.
    void eachChannelHasItsOwnAxis_data()
    {
        QTest::addColumn<int>("source2");
        QTest::addColumn<qint32>("yDiv2");
        QTest::addColumn<int>("timeBase"); // of both axes' velocities
        QTest::addColumn<qint32>("value2");
        QTest::addColumn<QStringList>("axis2"); // label at the curve, unit; empty: no axis of its own
        QTest::addColumn<QString>("readOut");
        QTest::newRow("velocity at half the scale") << 1 << 5000 << 0 << 10000 << QStringList{"100,00", "(AWE/s)"}
                                                    << "200,00 (AWE) / 100,00 (AWE/s)";
        QTest::newRow("velocity 2 per minute") << 3 << 100000 << 1 << -200000 << QStringList{"-2000,00", "(AWE/min)"}
                                               << "-200,00 (AWE) / -2000,00 (AWE/min)";
        QTest::newRow("voltage") << 5 << 20000 << 0 << 40000 << QStringList{"4", "(V)"} << "200,00 (AWE) / 4,0000 (V)";
        QTest::newRow("position 2 on the same axis") << 2 << 10000 << 0 << 20000 << QStringList{}
                                                     << "200,00 (AWE) / 200,00 (AWE)";
    }
    void eachChannelHasItsOwnAxis()
    {
        QFETCH(int, source2);
        QFETCH(qint32, yDiv2);
        QFETCH(int, timeBase);
        QFETCH(qint32, value2);
        QFETCH(QStringList, axis2);
        QFETCH(QString, readOut);
        ParWaarden[203] = 2;
        ParWaarden[57] = ParWaarden[77] = timeBase;
        app().GrafiekXDiv = 2; // 1 s
        app().GrafiekYDiv = 6; // 100,00 a division
        quint32 now = 0;
        form->TickCount = [&] { return now; };
        form->show();
        form->ComboKanaal2->setCurrentIndex(source2 + 1);
        form->ComboSchaal2->setCurrentIndex(int(std::find(graph::YDivValues.begin(), graph::YDivValues.end(), yDiv2) - graph::YDivValues.begin()));
        form->CmdStartLog->click();
        const QByteArray second = cmd::liveValueRequest(source2).toLatin1() + ' ' + QByteArray::number(value2) + "\r\n";
        for (int i = 0; i < 10; ++i, now += 100) {
            form->PX400LeesLogDataCommResult(nullptr, reply("0"));
            form->PX400LeesLogDataCommResult(nullptr, second);
        }
        form->CmdStopLogClick();

        const int y = graph::MiddleY - int(qint64(value2) * graph::YDivPixels / yDiv2);
        QCOMPARE(form->plotImage().pixelColor(20, y), graph::Channel2Colour);
        auto hasColour = [](const QImage& image, const QColor& c) {
            for (int py = 0; py < image.height(); ++py)
                for (int px = 0; px < image.width(); ++px)
                    if (image.pixelColor(px, py) == c) return true;
            return false;
        };
        const QStringList left = form->valueAxisTexts(0), right = form->valueAxisTexts(1);
        QCOMPARE(left.last(), QString("(AWE)"));
        QCOMPARE(form->ImageY2->isVisible(), !axis2.isEmpty());
        QCOMPARE(hasColour(form->valueStripImage(), graph::Channel1Colour), !axis2.isEmpty());
        if (axis2.isEmpty()) {
            QVERIFY(right.isEmpty());
        } else {
            QVERIFY(hasColour(form->valueStrip2Image(), graph::Channel2Colour));
            QCOMPARE(right.size(), 12);                                     // eleven labels, then the unit
            QCOMPARE(right.at((y - 4) / graph::YDivPixels), axis2.first()); // ticks at plot rows 4, 44, ...
            QCOMPARE(right.last(), axis2.last());
        }
        const QString text = form->mouseText(20, y);
        QVERIFY2(text.endsWith("  " + readOut), qPrintable(text));
        const QString shots = qEnvironmentVariable("VX_SHOT_DIR");
        if (!shots.isEmpty()) form->grab().save(shots + "/grafiek-assen-" + QString::number(source2) + ".png");
    }

    // Live polling beside the log: the window asks to pause it; paused, it comes back
    // when the log ends; not paused, the status line says why the rate is low.
    void livePollingIsPausedWhileLogging_data()
    {
        QTest::addColumn<bool>("pause");
        QTest::newRow("paused") << true;
        QTest::newRow("shared") << false;
    }
    void livePollingIsPausedWhileLogging()
    {
        QFETCH(bool, pause);
        auto* ui = test::ScriptedUi::install();
        ui->answers = {pause ? QMessageBox::Yes : QMessageBox::No};
        app().ActualAan = true;
        app().InUitAan = true;
        int pauses = 0;
        QList<std::pair<bool, bool>> resumed;
        form->PauseLivePolling = [&] {
            ++pauses;
            app().ActualAan = app().InUitAan = false;
        };
        form->ResumeLivePolling = [&](bool a, bool io) { resumed << std::pair(a, io); };
        form->show();
        form->CmdStartLog->click();
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages[0].icon, QMessageBox::Question);
        QCOMPARE(pauses, pause ? 1 : 0);
        QCOMPARE(form->LivePollingPaused(), pause);
        QTRY_VERIFY_WITH_TIMEOUT(form->LogIndex >= 5, Wait);
        QCOMPARE(form->LabelStatus->text().contains(texts::Grafiek("GedeeldeLijn")), !pause);
        QVERIFY(resumed.isEmpty());
        form->CmdStopLog->click();
        const QList<std::pair<bool, bool>> expected =
            pause ? QList<std::pair<bool, bool>>{{true, true}} : QList<std::pair<bool, bool>>{};
        QCOMPARE(resumed, expected);
        form->reject(); // nothing more to put back
        QCOMPARE(resumed, expected);
    }

    void savesCsvAndPng()
    {
        auto* ui = test::ScriptedUi::install();
        QTemporaryDir dir;
        quint32 now = 0;
        form->TickCount = [&] { return now; };
        form->show();
        form->CmdStartLog->click();
        for (int v : {10, -20, 30}) {
            form->PX400LeesLogDataCommResult(nullptr, reply(QByteArray::number(v)));
            now += 250;
        }
        form->CmdStopLogClick();
        ui->fileNames = {dir.filePath("log.csv"), dir.filePath("plot.png"), dir.filePath("plot.pdf"),
                         dir.filePath("missing/x.csv")};
        QVERIFY(form->CmdSaveCsvClick());
        QFile csv(dir.filePath("log.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        // The columns the CSV always had, then the value in units, which reads back
        // to the raw value under a header naming source, unit and scale.
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QVERIFY2(lines[0].startsWith("time_ms,value,") && lines[0].contains("(AWE)"), lines[0]);
        const QList<QByteArray> expected = {"0,10,", "250,-20,", "500,30,"};
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(lines[i + 1].startsWith(expected[i]), lines[i + 1]);
            const QString scaled = QString::fromUtf8(lines[i + 1].mid(expected[i].size())).remove(u'"');
            qint32 raw = 0;
            QVERIFY(graph::scaledValue(form->ComboBoxBron->currentIndex(), scaled, &raw));
            QCOMPARE(raw, form->LogWaarde[std::size_t(i)]);
        }
        QVERIFY(form->CmdSavePngClick());
        const QImage png(dir.filePath("plot.png"));
        QCOMPARE(png.size(), form->composedImage().size());
        QCOMPARE(png.pixelColor(80 + 75, 12 + 212), QColor(0, 0, 255)); // -20 at 250 ms
        QVERIFY(form->CmdSavePdfClick());
        QFile pdf(dir.filePath("plot.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-" && pdf.size() > 2000);
        QVERIFY(!form->CmdSaveCsvClick()); // folder does not exist
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages.first().icon, QMessageBox::Critical);
        QVERIFY(!form->CmdSaveCsvClick()); // cancelled: nothing shown
        QCOMPARE(ui->messages.size(), 1);
    }
};

QTEST_MAIN(TestGrafiek)
#include "tst_grafiek.moc"
