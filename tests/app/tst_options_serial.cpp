// The serial settings dialog: what it shows, the linked lists, OK and Cancel.
#include "app/InitSerial.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/Loopback.h"
#include "support/ScriptedUi.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace vx;

class TstOptionsSerial : public QObject {
    Q_OBJECT
    std::unique_ptr<TSXComm> m_port;
    test::ScriptedUi* m_ui = nullptr;

    void useLanguageFile(const QString& dir)
    {
        app().ExeDir = dir;
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
    }

private slots:
    void initTestCase() { sim::installInProcessSimulator(); }
    void init()
    {
        app() = AppState();
        sim::resetDefaultBus();
        resetPortDevicePaths();
        m_port = std::make_unique<TSXComm>();
        app().SXComm1 = m_port.get();
        m_ui = test::ScriptedUi::install();
        useLanguageFile(qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/');
    }
    void cleanup()
    {
        m_port.reset();
        app().SXComm1 = nullptr;
        setUiSeams(nullptr);
        resetPortDevicePaths();
    }

    void showsThePortSettings()
    {
        m_port->setPortName(TPort::COM2);
        m_port->setBaudrate(TBaudrate::br38400);
        m_port->setFrameDatabits(TDataBit::db_7);
        m_port->setFrameParitybit(TParityBit::Odd);
        m_port->setFrameStopbits(TStopBit::sb_2);
        m_port->setHardware(THardware::PCLabPCL745);
        m_port->setPortType(TPortType::RS485);
        m_port->setTransmitDriver(TTransmitDriver::tdRegister7to1);
        m_port->setReceiveDriver(TReceiveDriver::rdRegister7to2);
        TFormInitSerial w;
        w.PageControl1->setCurrentIndex(1);
        w.FormActivate();
        QCOMPARE(w.ComboPoort->currentText(), QStringLiteral("COM 2"));
        QCOMPARE(w.Combo_IO->currentText(), QStringLiteral("02F8 - 02FF"));
        QCOMPARE(w.ComboBaud->currentText(), QStringLiteral("38400"));
        QCOMPARE(w.ComboParity->currentText(), QStringLiteral("Odd"));
        QCOMPARE(w.ComboHardware->currentText(), QStringLiteral("PCLab Card PCL 745"));
        QCOMPARE(w.ComboPortType->currentText(), QStringLiteral("RS 485"));
        QCOMPARE(w.ComboTransmitter->currentText(), QStringLiteral("Register 7 = 1"));
        QCOMPARE(w.PageControl1->currentIndex(), 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("Serial port"));
        for (QComboBox* c : {w.Combo_IO, w.ComboHardware, w.ComboPortType, w.ComboReceiver, w.ComboTransmitter})
            QVERIFY(!c->isEnabled());
    }

    // A pseudo-terminal stands in for a USB adapter under a made-up /dev and /sys.
    void listsTheDevicesAndStoresTheChoice()
    {
        QTemporaryDir tmp;
        const QString r = tmp.path();
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        auto put = [](const QString& path, const QByteArray& text) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        QDir().mkpath(r + "/dev/serial/by-id");
        QVERIFY(QFile::link(QString::fromLocal8Bit(::ptsname(master)), r + "/dev/ttyUSB0"));
        const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3ZQX-if00-port0";
        QVERIFY(QFile::link("../../ttyUSB0", r + byId));
        put(r + "/sys/devices/usb1/1-2/manufacturer", "FTDI\n");
        put(r + "/sys/devices/usb1/1-2/product", "FT232R USB UART\n");
        QDir().mkpath(r + "/sys/devices/usb1/1-2/1-2:1.0");
        QDir().mkpath(r + "/sys/class/tty/ttyUSB0");
        QVERIFY(QFile::link(r + "/sys/devices/usb1/1-2/1-2:1.0", r + "/sys/class/tty/ttyUSB0/device"));
        put(r + "/dev/ttyS0", {});
        put(r + "/sys/class/tty/ttyS0/type", "4\n");
        QDir().mkpath(r + "/sys/class/tty/ttyS0/device");

        const QByteArray before = "; site settings\n[Serieel]\nbaudrate=3\n[Poorten]\nCOM2=/dev/ttyS7\n[Eigen]\nx=1\n";
        app().SettingsPath = r + "/application.ini";
        put(app().SettingsPath, before);
        setPortDevicePath(2, "/dev/ttyS7");

        TFormInitSerial w;
        w.DeviceRoot = r;
        w.FormActivate();
        QCOMPARE(w.ComboDevice->count(), 2);
        QCOMPARE(w.ComboDevice->currentText(), QStringLiteral("/dev/ttyS0")); // COM1's default
        QCOMPARE(w.ComboDevice->itemText(1),
                 QStringLiteral("/dev/ttyUSB0 (FTDI FT232R USB UART)  \u2013  usb-FTDI_FT232R_USB_UART_A10K3ZQX-if00-port0"));
        // COM2 leads to a device that is not there: shown first, and kept by OK.
        w.ComboPoort->setCurrentIndex(1);
        QCOMPARE(w.ComboDevice->count(), 3);
        QCOMPARE(w.ComboDevice->currentText(), QStringLiteral("/dev/ttyS7 (not present)"));
        // COM3 leads to a link the scan does not list (a pty): there, so not "not present".
        QVERIFY(QFile::link(QString::fromLocal8Bit(::ptsname(master)), r + "/dev/vx5x-pty"));
        setPortDevicePath(3, "/dev/vx5x-pty");
        w.ComboPoort->setCurrentIndex(2);
        QCOMPARE(w.ComboDevice->currentText(), "/dev/vx5x-pty \u2192 " + QString::fromLocal8Bit(::ptsname(master)));
        w.ComboPoort->setCurrentIndex(0);
        QCOMPARE(w.ComboDevice->count(), 2);
        const bool shot = qEnvironmentVariableIsSet("VX_SHOT_DIR");
        if (shot) w.show(); // showing activates the dialog again
        w.ComboDevice->setCurrentIndex(1);
        if (shot) {
            w.ComboDevice->showPopup();
            QTest::qWait(50);
            w.grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/initserial-devices.png");
            w.ComboDevice->view()->window()->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/initserial-device-list.png");
            w.ComboDevice->hidePopup();
        }
        w.CmdOKClick(); // the by-id name is not on this machine, so opening fails; the choice stays

        QCOMPARE(QString::fromStdString(portDevicePath(1)), byId);
        QFile f(app().SettingsPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // Every line stays (the settings file writes its own line ends).
        QCOMPARE(f.readAll().replace("\r\n", "\n"), QByteArray(before).replace("COM2=/dev/ttyS7\n", "COM2=/dev/ttyS7\nCOM1=" + byId.toUtf8() + "\n"));
        ::close(master);
    }

    void portChoosesTheIoRange_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("range");
        QTest::newRow("COM 1") << 0 << 0;
        QTest::newRow("COM 3") << 2 << 2;
        QTest::newRow("COM 9 has no range") << 8 << -1;
    }
    void portChoosesTheIoRange()
    {
        QFETCH(int, port);
        QFETCH(int, range);
        TFormInitSerial w;
        w.FormActivate();
        w.ComboPoort->setCurrentIndex(port);
        w.ComboPoortClick();
        QCOMPARE(w.Combo_IO->currentIndex(), range);
    }

    void hardwareRules_data()
    {
        QTest::addColumn<int>("hardware");
        QTest::addColumn<int>("portType");
        QTest::addColumn<int>("receiver");
        QTest::addColumn<int>("transmitter");
        QTest::newRow("standard") << 0 << 0 << 0 << 0;
        QTest::newRow("PCLab") << 1 << 2 << 1 << 1;
        QTest::newRow("Phoenix") << 2 << 0 << 0 << 3;
        QTest::newRow("user defined") << 3 << 0 << 0 << 0;
    }
    void hardwareRules()
    {
        QFETCH(int, hardware);
        QFETCH(int, portType);
        QFETCH(int, receiver);
        QFETCH(int, transmitter);
        TFormInitSerial w;
        w.FormActivate();
        w.ComboHardware->setCurrentIndex(hardware);
        w.ComboHardwareClick();
        QCOMPARE(w.ComboPortType->currentIndex(), portType);
        QCOMPARE(w.ComboReceiver->currentIndex(), receiver);
        QCOMPARE(w.ComboTransmitter->currentIndex(), transmitter);
        w.ComboTransmitter->setCurrentIndex(2);
        w.UserDefinedClick();
        QCOMPARE(w.ComboHardware->currentIndex(), 3);
    }

    void activationClosesThePortAndCancelLeavesItClosed()
    {
        setPortDevicePath(1, "sim");
        m_port->Open();
        TFormInitSerial w;
        w.FormActivate();
        QVERIFY(!m_port->Active());
        w.CmdCancelClick();
        QVERIFY(!m_port->Active());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }

    void okOpensWithTheNewSettings()
    {
        setPortDevicePath(2, "sim");
        TFormInitSerial w;
        w.FormActivate();
        w.ComboPoort->setCurrentIndex(1);
        w.ComboPoortClick();
        w.ComboBaud->setCurrentIndex(3);
        w.ComboParity->setCurrentIndex(1);
        w.ComboStopBits->setCurrentIndex(0);
        w.CmdOKClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(m_port->Active());
        QCOMPARE(m_port->PortName(), TPort::COM2);
        QCOMPARE(m_port->PortAddress(), TPortAddr::pa_02F8);
        QCOMPARE(m_port->Baudrate(), TBaudrate::br38400);
        QCOMPARE(m_port->FrameParitybit(), TParityBit::Even);
        QCOMPARE(m_port->FrameStopbits(), TStopBit::sb_1);
        QVERIFY(m_ui->messages.isEmpty());
        m_port->Close();
    }

    void openingFailureKeepsTheDialogOpen()
    {
        setPortDevicePath(3, "/nonexistent/ttyVX");
        TFormInitSerial w;
        w.show();
        w.ComboPoort->setCurrentIndex(2);
        w.CmdOKClick();
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].icon, QMessageBox::Critical);
        QVERIFY(w.isVisible());
        QVERIFY(!m_port->Active());
        QCOMPARE(m_port->PortName(), TPort::COM3); // kept for the next try
    }

    // A network port typed in: checked before it is kept, kept in [Poorten] when it is
    // well formed (even when nothing answers yet), offered again for every COM name.
    void typedNetworkPort_data()
    {
        QTest::addColumn<QString>("typed"); // %1: a port something listens on, %2: one nobody does
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("note");
        QTest::newRow("raw, listening") << "tcp://127.0.0.1:%1" << true << true << true;
        QTest::newRow("rfc2217, refused") << " rfc2217://127.0.0.1:%2 " << true << false << false;
        QTest::newRow("no port number") << "tcp://127.0.0.1" << false << false << true;
        QTest::newRow("not a path") << "ttyUSB0" << false << false << false;
    }
    void typedNetworkPort()
    {
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        QFETCH(bool, opens);
        QFETCH(bool, note);
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 && ::listen(listener, 4) == 0);
        QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len) == 0);
        typed.replace(QStringLiteral("%1"), QString::number(ntohs(sa.sin_port)))
            .replace(QStringLiteral("%2"), QString::number(test::freePort()));
        QTemporaryDir dir;
        app().SettingsPath = dir.filePath("application.ini");

        TFormInitSerial w;
        w.show();
        w.ComboDevice->setEditText(typed);
        QCOMPARE(w.LabelNetNote->isVisibleTo(&w), note);
        w.CmdOKClick();
        QCOMPARE(QString::fromStdString(portDevicePath(1)), kept ? typed.trimmed() : QStringLiteral("/dev/ttyS0"));
        QCOMPARE(m_port->Active(), opens);
        QCOMPARE(w.result(), int(opens ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(m_ui->messages.size(), opens ? 0 : 1);
        if (!opens) {
            // A bad name is named; a refused port says where it tried.
            const QString where = kept ? typed.trimmed().section(QStringLiteral("//"), 1) : typed;
            QVERIFY2(m_ui->messages[0].text.contains(where), qPrintable(m_ui->messages[0].text));
        }
        m_port->Close();
        QFile ini(app().SettingsPath);
        QCOMPARE(ini.open(QIODevice::ReadOnly) && ini.readAll().contains(("COM1=" + typed.trimmed()).toUtf8()), kept);
        if (kept) {
            TFormInitSerial again;
            again.FormActivate();
            again.ComboPoort->setCurrentIndex(1);
            QVERIFY(again.ComboDevice->findText(typed.trimmed()) >= 0);
        }
        ::close(listener);
    }

    // Lists come from the language file only: a list without a selection, or an item
    // the port does not have, leaves the port's value alone.
    void noSelectionKeepsThePortValue_data()
    {
        QTest::addColumn<QByteArray>("initCom");
        QTest::addColumn<int>("portItem");
        QTest::addColumn<int>("baudItem");
        QTest::newRow("no language file") << QByteArray() << -1 << -1;
        QTest::newRow("empty lists") << QByteArray("[InitCom]\nCaption=x\n") << -1 << -1;
        QTest::newRow("more items than ports and rates")
            << QByteArray("[InitCom]\nPortItems=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20\n"
                          "BaudItems=9600,19200,28800,38400,57600,115200,230400,460800\n")
            << 18 << 7;
    }
    void noSelectionKeepsThePortValue()
    {
        QFETCH(QByteArray, initCom);
        QFETCH(int, portItem);
        QFETCH(int, baudItem);
        QTemporaryDir dir;
        app() = AppState();
        app().SXComm1 = m_port.get();
        if (!initCom.isEmpty()) {
            QFile f(dir.filePath("Taal1.ini"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(initCom);
            f.close();
            useLanguageFile(dir.path() + u'/');
        }
        setPortDevicePath(5, "sim");
        m_port->setPortName(TPort::COM5);
        m_port->setBaudrate(TBaudrate::br57600);
        m_port->setFrameParitybit(TParityBit::None);
        TFormInitSerial w;
        w.FormActivate();
        QCOMPARE(w.CmdCancel->text(), QStringLiteral("Cancel"));
        w.ComboPoort->setCurrentIndex(portItem);
        w.ComboBaud->setCurrentIndex(baudItem);
        w.CmdOKClick();
        QCOMPARE(m_port->PortName(), TPort::COM5);
        QCOMPARE(m_port->Baudrate(), TBaudrate::br57600);
        QCOMPARE(m_port->FrameParitybit(), TParityBit::None);
        QVERIFY(m_port->Active());
        m_port->Close();
    }
};

QTEST_MAIN(TstOptionsSerial)
#include "tst_options_serial.moc"
