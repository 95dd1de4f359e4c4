// application.ini: defaults, number forms, lines kept in place, atomic save.
#include "app/VX40Main.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/SettingsFile.h"
#include "support/ScriptedUi.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { app() = AppState(); }

    void integerForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "12" << 12;
        QTest::newRow("hex 0x") << "0x8" << 8;
        QTest::newRow("hex 0X") << "0X1f" << 31;
        QTest::newRow("hex dollar") << "$10" << 16;
        QTest::newRow("letters give default") << "abc" << 6;
        QTest::newRow("empty gives default") << "" << 6;
        QTest::newRow("trailing junk gives default") << "12a" << 6;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("hex wraps like a register") << "$FFFFFFFF" << -1;
    }
    void integerForms()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QTemporaryDir dir;
        writeFile(dir.filePath("a.ini"), "[Serieel]\nbaudrate=" + text.toUtf8() + "\n");
        SettingsFile ini;
        QVERIFY(ini.load(dir.filePath("a.ini")));
        QCOMPARE(ini.readInteger("serieel", "BAUDRATE", 6), expected);
    }

    void rewriteKeepsForeignLinesInPlace()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("application.ini");
        writeFile(path, "; written by hand\r\n[Serieel]\r\nbaudrate=3\r\nmyOwnKey=keep me\r\n\r\n[Extra]\r\nfoo=bar\r\n");
        SettingsFile ini;
        QVERIFY(ini.load(path));
        ini.writeInteger("Serieel", "baudrate", 4);
        ini.writeInteger("Serieel", "databit", 1);
        ini.writeString("Algemeen", "OpenCloseDialoogPath", "/home/tech");
        QVERIFY(ini.save(path));
        const QByteArray out = readFile(path);
        QCOMPARE(out, QByteArray("; written by hand\r\n[Serieel]\r\nbaudrate=4\r\nmyOwnKey=keep me\r\ndatabit=1\r\n\r\n"
                                 "[Extra]\r\nfoo=bar\r\n\r\n[Algemeen]\r\nOpenCloseDialoogPath=/home/tech\r\n"));
    }

    void failedSaveLeavesFileAndReports()
    {
        SettingsFile ini;
        ini.writeInteger("Serieel", "baudrate", 1);
        QVERIFY(!ini.save("/nonexistent-folder/application.ini"));
        QVERIFY(!ini.errorString().isEmpty());
    }

    // A whole run of the main window: read at start, written at shut-down.
    void mainWindowRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("application.ini");
        writeFile(path, "[Serieel]\nunit_no=7\n; my note\nunknown=1\n[Opties]\nTaal=2\n"
                        "[Grafiek]\nX_hulplijn=5\nX_Div=0x10\n[Afdrukken]\nFirma=ACME b.v.\n");
        {
            MainOptions o;
            o.exeDir = dir.path() + "/";
            TFormMain w(o);
            QCOMPARE(w.SpinEditUnitSelect->value(), 7);
            QCOMPARE(app().TaalIndex, 2);
            QCOMPARE(app().GrafiekXDiv, 16);
            QVERIFY(app().GrafiekXHulplijn);
            QCOMPARE(app().AfdrukFirma, QString("ACME b.v."));
            w.close();
        }
        const QString out = QString::fromUtf8(readFile(path));
        QVERIFY(out.contains("; my note\r\nunknown=1"));
        QVERIFY(out.contains("X_hulplijn=1\r\n"));
        QVERIFY(out.contains("X_Div=16\r\n"));
        QVERIFY(out.contains("Y_hulplijn=0\r\n"));
        QVERIFY(out.contains("unit_no=7\r\n"));
        QVERIFY(out.contains("[Afdrukken]\r\nFirma=ACME b.v.\r\nType=\r\nSn=\r\n"));
    }

    // The two sets of starting values, and the port setters applied in file order.
    void portStartingValues_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("hardware");
        QTest::addColumn<int>("portType");
        QTest::addColumn<int>("transmit");
        QTest::addColumn<int>("receive");
        QTest::addColumn<int>("address");
        QTest::newRow("no file: design settings") << QByteArray() << int(TBaudrate::br9600) << int(TParityBit::Odd)
                                                  << int(THardware::PCLabPCL745) << int(TPortType::RS485) << int(TTransmitDriver::tdRegister7to1)
                                                  << int(TReceiveDriver::rdRegister7to2) << int(TPortAddr::pa_03F8);
        QTest::newRow("empty section: table defaults") << QByteArray("[Serieel]\n") << int(TBaudrate::br38400)
                                                       << int(TParityBit::Even) << int(THardware::PhoenixPSM) << int(TPortType::RS232C)
                                                       << int(TTransmitDriver::tdDTRto0) << int(TReceiveDriver::rdNone) << int(TPortAddr::pa_02E8);
        QTest::newRow("only Taal: table defaults") << QByteArray("[Opties]\nTaal=1\n") << int(TBaudrate::br38400)
                                                   << int(TParityBit::Even) << int(THardware::PhoenixPSM) << int(TPortType::RS232C)
                                                   << int(TTransmitDriver::tdDTRto0) << int(TReceiveDriver::rdNone) << int(TPortAddr::pa_02E8);
        QTest::newRow("hex baud") << QByteArray("[Serieel]\nbaudrate=0x8\n") << int(TBaudrate::br115200)
                                  << int(TParityBit::Even) << int(THardware::PhoenixPSM) << int(TPortType::RS232C)
                                  << int(TTransmitDriver::tdDTRto0) << int(TReceiveDriver::rdNone) << int(TPortAddr::pa_02E8);
        QTest::newRow("bad baud gives default") << QByteArray("[Serieel]\nbaudrate=abc\n") << int(TBaudrate::br38400)
                                                << int(TParityBit::Even) << int(THardware::PhoenixPSM) << int(TPortType::RS232C)
                                                << int(TTransmitDriver::tdDTRto0) << int(TReceiveDriver::rdNone) << int(TPortAddr::pa_02E8);
        QTest::newRow("out of range clamps") << QByteArray("[Serieel]\nbaudrate=20\nparity=0x102\n")
                                             << int(TBaudrate::br9600) << int(TParityBit::Odd) << int(THardware::PhoenixPSM) << int(TPortType::RS232C)
                                             << int(TTransmitDriver::tdDTRto0) << int(TReceiveDriver::rdNone) << int(TPortAddr::pa_02E8);
        // PCL745 forces RS485 and its drivers; the later port type RS232C then makes it user defined,
        // and the port name COM3 set before the port type moved the address.
        QTest::newRow("setter order") << QByteArray("[Serieel]\nhardware=1\nportname=2\nporttype=0\nreceivedrv=1\ntransmitdrv=1\n")
                                      << int(TBaudrate::br38400) << int(TParityBit::Even) << int(THardware::UserDefined) << int(TPortType::RS232C)
                                      << int(TTransmitDriver::tdRegister7to1) << int(TReceiveDriver::rdRegister7to2) << int(TPortAddr::pa_03E8);
    }
    void portStartingValues()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        if (!file.isEmpty()) writeFile(dir.filePath("application.ini"), file);
        MainOptions o;
        o.exeDir = dir.path() + "/";
        TFormMain w(o);
        const TSXComm& p = *w.SXComm1();
        QTEST(int(p.Baudrate()), "baud");
        QTEST(int(p.FrameParitybit()), "parity");
        QTEST(int(p.Hardware()), "hardware");
        QTEST(int(p.PortType()), "portType");
        QTEST(int(p.TransmitDriver()), "transmit");
        QTEST(int(p.ReceiveDriver()), "receive");
        QTEST(int(p.PortAddress()), "address");
    }

    void devicePathsFromPoorten()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("application.ini"), "[Poorten]\nCOM2=/dev/ttyUSB0\n");
        resetPortDevicePaths();
        MainOptions o;
        o.exeDir = dir.path() + "/";
        TFormMain w(o);
        QCOMPARE(portDevicePath(2), std::string("/dev/ttyUSB0"));
        QCOMPARE(portDevicePath(1), std::string("/dev/ttyS0"));
        resetPortDevicePaths();
    }

    void missingFileIsCreatedAtShutDown()
    {
        QTemporaryDir dir;
        MainOptions o;
        o.exeDir = dir.path() + "/";
        {
            TFormMain w(o);
            QCOMPARE(w.SpinEditUnitSelect->value(), 0);
            QCOMPARE(w.statusPanel(1)->text(), QString("Offline"));
            w.close();
        }
        const QString out = QString::fromUtf8(readFile(dir.filePath("application.ini")));
        for (const char* key : {"[Serieel]", "unit_no=0", "[Opties]", "Taal=0", "[Algemeen]", "[Grafiek]", "BronItem=0"})
            QVERIFY2(out.contains(QLatin1String(key)), key);
    }

    // A guard that holds the close and settles later (calibration mode switched off)
    // resumes it without asking the guards before it again (an editor's Discard).
    void heldCloseResumesPastTheAnsweredGuards()
    {
        QTemporaryDir dir;
        MainOptions o;
        o.exeDir = dir.path() + "/";
        TFormMain w(o);
        int asked = 0;
        int held = 0;
        w.addCloseGuard([&] { return ++asked > 0; });
        w.addCloseGuard([&] { return ++held > 1; });
        w.close();
        QCOMPARE(asked, 1);
        QVERIFY(!QFile::exists(dir.filePath("application.ini")));
        w.resumeClose();
        QCOMPARE(asked, 1);
        QCOMPARE(held, 1);
        QVERIFY(QFile::exists(dir.filePath("application.ini")));
    }

    void unwritableFolderIsReportedOnce()
    {
        auto* ui = test::ScriptedUi::install();
        MainOptions o;
        o.exeDir = "/nonexistent-folder/";
        {
            TFormMain w(o);
            w.close();
        }
        QCOMPARE(ui->messages.size(), 1);
        QCOMPARE(ui->messages[0].icon, QMessageBox::Critical);
        QVERIFY(ui->messages[0].text.contains("application.ini"));
        setUiSeams(nullptr);
    }

    void calibrateSwitchIsFirstArgumentOnly_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("visible");
        QTest::newRow("lower") << QStringList{"calibrate"} << true;
        QTest::newRow("upper") << QStringList{"CALIBRATE"} << true;
        QTest::newRow("mixed") << QStringList{"Calibrate", "x"} << true;
        QTest::newRow("second only") << QStringList{"x", "calibrate"} << false;
        QTest::newRow("none") << QStringList{} << false;
    }
    void calibrateSwitchIsFirstArgumentOnly()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, visible);
        QTemporaryDir dir;
        MainOptions o;
        o.exeDir = dir.path() + "/";
        o.arguments = args;
        TFormMain w(o);
        QCOMPARE(w.CmdCalibratie->isVisibleTo(&w), visible);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
