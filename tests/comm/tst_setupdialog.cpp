// The library's port set-up dialog: language by the system, the hardware rules,
// OK on an open port, and the settings written on OK.
#include "comm/SXComm.h"
#include "comm/SXSetupCommDialog.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using namespace vx;

namespace {

// This program runs on a German system: the locale is read from the environment
// when the application starts.
const bool germanSystem = [] {
    qputenv("LC_ALL", "de_DE.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    return true;
}();

// Runs f on the modal form once it is up, then closes it with the given button.
void whenShown(std::function<void(TSXSetupCommForm*)> f, const char* button)
{
    QTimer::singleShot(0, [f, button] {
        auto* form = qobject_cast<TSXSetupCommForm*>(QApplication::activeModalWidget());
        if (!form) {
            QTimer::singleShot(10, [f, button] { whenShown(f, button); });
            return;
        }
        f(form);
        form->findChild<QPushButton*>(QLatin1String(button))->click();
    });
}

} // namespace

class TstSetupDialog : public QObject {
    Q_OBJECT
    std::unique_ptr<TSXComm> m_port;

private slots:
    void initTestCase()
    {
        QVERIFY(germanSystem);
        sim::installInProcessSimulator();
    }
    void init()
    {
        sim::resetDefaultBus();
        resetPortDevicePaths();
        m_port = std::make_unique<TSXComm>();
    }
    void cleanup() { m_port.reset(); }

    void executeShowsGermanOnAGermanSystem()
    {
        TSXSetupCommDialog d;
        d.setSXComm(m_port.get());
        int shown = 0, closed = 0;
        d.OnShow = [&](QObject*) { ++shown; };
        d.OnClose = [&](QObject*) { ++closed; };
        QString caption, cancel, helpFile, parity;
        whenShown([&](TSXSetupCommForm* f) {
            caption = f->windowTitle();
            cancel = f->CancelButton->text();
            helpFile = f->helpFile();
            parity = f->CBParitaet->itemText(2);
        },
                  "CancelButton");
        QVERIFY(!d.Execute());
        QCOMPARE(caption, QStringLiteral("Serielle Schnittstelle COM 1"));
        QCOMPARE(cancel, QStringLiteral("Abbrechen"));
        QCOMPARE(helpFile, QStringLiteral("SXInitComm.hlp"));
        QCOMPARE(parity, QStringLiteral("Ungerade"));
        QCOMPARE(shown, 1);
        QCOMPARE(closed, 1);
    }

    void executeEnglishWritesTheSettingsOnOk()
    {
        TSXSetupCommDialog d;
        d.setSXComm(m_port.get());
        QString caption;
        whenShown([&](TSXSetupCommForm* f) {
            f->CBAnschluss->setCurrentIndex(1);
            f->CBAnschlussChange();
            caption = f->windowTitle();
            f->CBBaudrate->setCurrentIndex(8);
            f->CBDatenbits->setCurrentIndex(0);
            f->CBParitaet->setCurrentIndex(0);
            f->CBStopbits->setCurrentIndex(1);
            f->CBHardware->setCurrentIndex(2);
            f->CBHardwareChange();
        },
                  "OKButton");
        QVERIFY(d.ExecuteEnglish());
        QCOMPARE(caption, QStringLiteral("Serial port COM 2"));
        QCOMPARE(m_port->PortName(), TPort::COM2);
        QCOMPARE(m_port->PortAddress(), TPortAddr::pa_02F8);
        QCOMPARE(m_port->Baudrate(), TBaudrate::br115200);
        QCOMPARE(m_port->FrameDatabits(), TDataBit::db_7);
        QCOMPARE(m_port->FrameParitybit(), TParityBit::None);
        QCOMPARE(m_port->FrameStopbits(), TStopBit::sb_2);
        QCOMPARE(m_port->Hardware(), THardware::PhoenixPSM);
        QCOMPARE(m_port->PortType(), TPortType::RS232C);
        QCOMPARE(m_port->TransmitDriver(), TTransmitDriver::tdDTRto0);
        QCOMPARE(m_port->ReceiveDriver(), TReceiveDriver::rdNone);
        QVERIFY(!m_port->Active()); // the dialog never opens the port
    }

    // A network port typed in: kept on OK and handed to the owner; the ones in use
    // are offered for the other COM names; a raw one says the server's settings count.
    void networkPortTypedIn()
    {
        setPortDevicePath(4, "rfc2217://10.1.2.3:4001");
        TSXSetupCommDialog d;
        d.setSXComm(m_port.get());
        QList<QPair<int, QString>> chosen;
        d.OnDeviceChosen = [&](int com, const QString& path) { chosen.append({com, path}); };
        bool offered = false, noteForRfc = true, noteForRaw = false;
        QString shown;
        whenShown([&](TSXSetupCommForm* f) {
            shown = f->CBGeraet->currentText();
            offered = f->CBGeraet->findText(QStringLiteral("rfc2217://10.1.2.3:4001")) >= 0;
            f->CBAnschluss->setCurrentIndex(1);
            f->CBAnschlussChange();
            f->CBGeraet->setEditText(QStringLiteral("rfc2217://plc-gw:4002"));
            noteForRfc = f->NetNoteLabel->isVisibleTo(f);
            f->CBGeraet->setEditText(QStringLiteral("tcp://[::1]:4003"));
            noteForRaw = f->NetNoteLabel->isVisibleTo(f);
        },
                  "OKButton");
        QVERIFY(d.ExecuteEnglish());
        QCOMPARE(shown, QStringLiteral("/dev/ttyS0"));
        QVERIFY(offered);
        QVERIFY(!noteForRfc);
        QVERIFY(noteForRaw);
        QCOMPARE(portDevicePath(2), std::string("tcp://[::1]:4003"));
        QCOMPARE(chosen, (QList<QPair<int, QString>>{{2, QStringLiteral("tcp://[::1]:4003")}}));

        // A name without a port number keeps the form open and says how to write it.
        QString error;
        bool stillOpen = false;
        whenShown([&](TSXSetupCommForm* f) {
            f->CBGeraet->setEditText(QStringLiteral("rfc2217://10.1.2.3"));
            f->OKButton->click();
            error = f->ErrorLabel->text();
            stillOpen = f->isVisible();
        },
                  "CancelButton");
        QVERIFY(!d.ExecuteEnglish());
        QVERIFY(stillOpen);
        QVERIFY2(error.contains(QStringLiteral("rfc2217://HOST:PORT")), qPrintable(error));
        QCOMPARE(chosen.size(), 1);
    }

    // Each row: a hardware choice, then a change of one list, and what follows.
    void hardwareRules_data()
    {
        QTest::addColumn<int>("hardware");
        QTest::addColumn<QString>("list"); // changed afterwards; empty: none
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("expHardware");
        QTest::addColumn<int>("expType");
        QTest::addColumn<int>("expTransmitter");
        QTest::addColumn<int>("expReceiver");
        QTest::newRow("PCLab makes RS 485") << 1 << "" << 0 << 1 << 2 << 1 << 1;
        QTest::newRow("PCLab, then RTS") << 1 << "CBSenden" << 2 << 3 << 2 << 2 << 1;
        QTest::newRow("PCLab, then RS 232") << 1 << "CBTyp" << 0 << 3 << 0 << 1 << 1;
        QTest::newRow("PCLab, then no receiver") << 1 << "CBEmpfangen" << 0 << 3 << 2 << 1 << 0;
        QTest::newRow("Phoenix from RS 485") << 2 << "" << 0 << 2 << 0 << 3 << 0;
        QTest::newRow("Phoenix, then no transmitter") << 2 << "CBSenden" << 0 << 3 << 0 << 0 << 0;
        QTest::newRow("standard, then RS 485") << 0 << "CBTyp" << 2 << 3 << 2 << 0 << 0;
    }
    void hardwareRules()
    {
        QFETCH(int, hardware);
        QFETCH(QString, list);
        QFETCH(int, item);
        QFETCH(int, expHardware);
        QFETCH(int, expType);
        QFETCH(int, expTransmitter);
        QFETCH(int, expReceiver);
        m_port->setPortType(TPortType::RS485);
        TSXSetupCommForm f(1);
        f.setPort(m_port.get());
        f.FormActivate();
        f.CBHardware->setCurrentIndex(hardware);
        f.CBHardwareChange();
        if (!list.isEmpty()) {
            f.findChild<QComboBox*>(list)->setCurrentIndex(item);
            if (list == QLatin1String("CBSenden")) f.CBSendenChange();
            else if (list == QLatin1String("CBTyp")) f.CBTypChange();
            else f.CBEmpfangenChange();
        }
        QCOMPARE(f.CBHardware->currentIndex(), expHardware);
        QCOMPARE(f.CBTyp->currentIndex(), expType);
        QCOMPARE(f.CBSenden->currentIndex(), expTransmitter);
        QCOMPARE(f.CBEmpfangen->currentIndex(), expReceiver);
    }

    void openPortShowsSettingsWithOkDisabled()
    {
        setPortDevicePath(1, "sim");
        m_port->setBaudrate(TBaudrate::br38400);
        m_port->Open();
        TSXSetupCommForm f(1);
        f.setPort(m_port.get());
        f.FormActivate();
        QVERIFY(!f.OKButton->isEnabled());
        QCOMPARE(f.CBBaudrate->currentText(), QStringLiteral("38400"));
        m_port->Close();
        f.FormActivate();
        QVERIFY(f.OKButton->isEnabled());
    }

    void helpButtonExplainsTheSettings()
    {
        TSXSetupCommForm f(2);
        f.HelpButton->click();
        auto* help = f.findChild<QTextBrowser*>(QStringLiteral("HelpText"));
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->toPlainText().contains(QStringLiteral("Parit\u00e4t")));
        QVERIFY(!f.CBParitaet->whatsThis().isEmpty());
    }
};

QTEST_MAIN(TstSetupDialog)
#include "tst_setupdialog.moc"
