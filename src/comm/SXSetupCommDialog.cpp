#include "comm/SXSetupCommDialog.h"

#include "comm/SocketSerialLine.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <memory>

namespace vx {

namespace {

// Each row: English, German.
struct Text {
    const char* en;
    const char* de;
};

const Text kHelpFile{"SXInitCommE.hlp", "SXInitComm.hlp"};
const Text kCaption{"Serial port", "Serielle Schnittstelle"};
const Text kOK{"OK", "OK"};
const Text kCancel{"Cancel", "Abbrechen"};
const Text kHelp{"&Help", "&Hilfe"};
const Text kTSAnschluss{"Port configuration", "Anschlu\u00dfeinstellungen"};
const Text kTSErweitert{"Extended", "Erweitert"};
const Text kPort{"&Port:", "&Anschlu\u00df:"};
const Text kDevice{"De&vice:", "&Ger\u00e4t:"};
const Text kRawNote{"Raw TCP carries no line settings: set the device server to the same baud rate, data bits, "
                    "parity and stop bits.",
                    "Reines TCP \u00fcbertr\u00e4gt keine Leitungseinstellungen: den Ger\u00e4teserver auf dieselbe "
                    "Baudrate, Datenbits, Parit\u00e4t und Stoppbits einstellen."};
const Text kIORange{"I/&O range:", "&E/A-Bereich:"};
const Text kBaudrate{"&Bits per second:", "&Bits pro Sekunde:"};
const Text kDatabits{"&Data bits:", "&Datenbits:"};
const Text kParity{"P&arity:", "&Parit\u00e4t:"};
const Text kParityItems[3] = {{"None", "Keine"}, {"Even", "Gerade"}, {"Odd", "Ungerade"}};
const Text kStopbits{"&Stop bits:", "&Stoppbits:"};
const Text kHardware{"&Hardware:", "&Hardware:"};
const Text kHardwareItems[4] = {{"Standard", "Standard"},
                                {"PCLab Card PCL 745", "PCLab-Karte PCL 745"},
                                {"Phoenix PSM-V24/RS485", "Phoenix PSM-V24/RS485"},
                                {"User defined", "Benutzerdefiniert"}};
const Text kPortType{"&Port type:", "&Anschlu\u00dftyp:"};
const Text kReceiver{"&Receiver:", "&Empf\u00e4nger:"};
const Text kReceiverItems[2] = {{"None", "Nein"}, {"Register 7 = 2", "Register 7 = 2"}};
const Text kTransmitter{"&Transmitter:", "&Sender:"};
const Text kTransmitterItems[4] = {
    {"None", "Nein"}, {"Register 7 = 1", "Register 7 = 1"}, {"RTS = 1", "RTS = 1"}, {"DTR = 0", "DTR = 0"}};

// Help contexts of the lists, as the help files number their topics.
const Text kHelpTopics[10] = {
    {"Port: the serial port (COM 1 ... COM 16). Each COM name leads to a device path of this system "
     "(/dev/ttyS0 ... by default; see [Poorten] in application.ini).",
     "Anschlu\u00df: die serielle Schnittstelle (COM 1 ... COM 16). Jeder COM-Name f\u00fchrt zu einem "
     "Ger\u00e4tepfad dieses Systems (/dev/ttyS0 ... voreingestellt; siehe [Poorten] in application.ini)."},
    {"I/O range: the classic address of the port; it follows the port and is shown for information.",
     "E/A-Bereich: die klassische Adresse der Schnittstelle; sie folgt dem Anschlu\u00df und dient nur der "
     "Information."},
    {"Bits per second: the line speed; it must match the controller.",
     "Bits pro Sekunde: die \u00dcbertragungsgeschwindigkeit; sie mu\u00df zur Steuerung passen."},
    {"Data bits: 7 or 8 bits per character.", "Datenbits: 7 oder 8 Bit je Zeichen."},
    {"Parity: none, even or odd; it must match the controller.",
     "Parit\u00e4t: keine, gerade oder ungerade; sie mu\u00df zur Steuerung passen."},
    {"Stop bits: 1 or 2.", "Stoppbits: 1 oder 2."},
    {"Hardware: the interface between PC and line. Choosing one sets port type, transmitter and receiver "
     "to what it needs; changing those afterwards makes it \"User defined\".",
     "Hardware: die Schnittstelle zwischen PC und Leitung. Die Auswahl stellt Anschlu\u00dftyp, Sender und "
     "Empf\u00e4nger passend ein; eine sp\u00e4tere \u00c4nderung macht sie \"Benutzerdefiniert\"."},
    {"Port type: RS 232 C, RS 422 or RS 485.", "Anschlu\u00dftyp: RS 232 C, RS 422 oder RS 485."},
    {"Receiver: how the receiver of an RS 485 card is switched on.",
     "Empf\u00e4nger: wie der Empf\u00e4nger einer RS-485-Karte eingeschaltet wird."},
    {"Transmitter: how the transmitter of an RS 485 line is switched on while sending.",
     "Sender: wie der Sender einer RS-485-Leitung beim Senden eingeschaltet wird."},
};
const Text kHelpClosed{"The settings can be changed only while the port is closed.",
                       "Die Einstellungen lassen sich nur bei geschlossener Schnittstelle \u00e4ndern."};

QComboBox* makeList(QWidget* parent, const char* name, int helpContext)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setProperty("helpContext", helpContext);
    c->setMinimumWidth(180);
    return c;
}

QLabel* makeLabel(QWidget* parent, const char* name, QComboBox* buddy)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setBuddy(buddy);
    return l;
}

void selectIndex(QComboBox* list, int i) { list->setCurrentIndex(i >= 0 && i < list->count() ? i : -1); }

} // namespace

TSXSetupCommForm::TSXSetupCommForm(int language, QWidget* parent)
    : QDialog(parent), m_language(language == 2 ? 2 : 1)
{
    setObjectName(QStringLiteral("SXSetupCommForm"));
    const bool de = m_language == 2;
    auto t = [de](const Text& x) { return QString::fromUtf8(de ? x.de : x.en); };

    auto* top = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    TSAnschluss = new QWidget;
    TSAnschluss->setObjectName(QStringLiteral("TSAnschluss"));
    TSErweitert = new QWidget;
    TSErweitert->setObjectName(QStringLiteral("TSErweitert"));
    PageControl->addTab(TSAnschluss, t(kTSAnschluss));
    PageControl->addTab(TSErweitert, t(kTSErweitert));
    top->addWidget(PageControl);

    auto* f1 = new QFormLayout(TSAnschluss);
    CBAnschluss = makeList(TSAnschluss, "CBAnschluss", 1);
    CBBereich = makeList(TSAnschluss, "CBBereich", 2);
    CBBaudrate = makeList(TSAnschluss, "CBBaudrate", 3);
    CBDatenbits = makeList(TSAnschluss, "CBDatenbits", 4);
    CBParitaet = makeList(TSAnschluss, "CBParitaet", 5);
    CBStopbits = makeList(TSAnschluss, "CBStopbits", 6);
    PortLabel = makeLabel(TSAnschluss, "PortLabel", CBAnschluss);
    CBGeraet = new QComboBox(TSAnschluss);
    CBGeraet->setObjectName(QStringLiteral("CBGeraet"));
    CBGeraet->setEditable(true);
    CBGeraet->setInsertPolicy(QComboBox::NoInsert);
    CBGeraet->setMinimumWidth(260);
    CBGeraet->setToolTip(QStringLiteral("/dev/ttyUSB0, tcp://HOST:PORT, rfc2217://HOST:PORT"));
    DeviceLabel = makeLabel(TSAnschluss, "DeviceLabel", CBGeraet);
    NetNoteLabel = new QLabel(TSAnschluss);
    NetNoteLabel->setObjectName(QStringLiteral("NetNoteLabel"));
    NetNoteLabel->setWordWrap(true);
    NetNoteLabel->hide();
    IORangeLabel = makeLabel(TSAnschluss, "IORangeLabel", CBBereich);
    BaudrateLabel = makeLabel(TSAnschluss, "BaudrateLabel", CBBaudrate);
    DatabitsLabel = makeLabel(TSAnschluss, "DatabitsLabel", CBDatenbits);
    ParityLabel = makeLabel(TSAnschluss, "ParityLabel", CBParitaet);
    StopbitsLabel = makeLabel(TSAnschluss, "StopbitsLabel", CBStopbits);
    f1->addRow(PortLabel, CBAnschluss);
    f1->addRow(DeviceLabel, CBGeraet);
    f1->addRow(NetNoteLabel);
    f1->addRow(IORangeLabel, CBBereich);
    f1->addRow(BaudrateLabel, CBBaudrate);
    f1->addRow(DatabitsLabel, CBDatenbits);
    f1->addRow(ParityLabel, CBParitaet);
    f1->addRow(StopbitsLabel, CBStopbits);

    auto* f2 = new QFormLayout(TSErweitert);
    CBHardware = makeList(TSErweitert, "CBHardware", 7);
    CBTyp = makeList(TSErweitert, "CBTyp", 8);
    CBEmpfangen = makeList(TSErweitert, "CBEmpfangen", 9);
    CBSenden = makeList(TSErweitert, "CBSenden", 10);
    HardwareLabel = makeLabel(TSErweitert, "HardwareLabel", CBHardware);
    PortTypeLabel = makeLabel(TSErweitert, "PortTypeLabel", CBTyp);
    ReceiverLabel = makeLabel(TSErweitert, "ReceiverLabel", CBEmpfangen);
    TransmitterLabel = makeLabel(TSErweitert, "TransmitterLabel", CBSenden);
    f2->addRow(HardwareLabel, CBHardware);
    f2->addRow(PortTypeLabel, CBTyp);
    f2->addRow(ReceiverLabel, CBEmpfangen);
    f2->addRow(TransmitterLabel, CBSenden);

    ErrorLabel = new QLabel(this);
    ErrorLabel->setObjectName(QStringLiteral("ErrorLabel"));
    ErrorLabel->setWordWrap(true);
    {
        QPalette p = ErrorLabel->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        ErrorLabel->setPalette(p);
    }
    ErrorLabel->hide();
    top->addWidget(ErrorLabel);

    auto* buttons = new QHBoxLayout;
    HelpButton = new QPushButton(t(kHelp), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    HelpButton->setAutoDefault(false);
    buttons->addWidget(HelpButton);
    buttons->addStretch();
    OKButton = new QPushButton(t(kOK), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(t(kCancel), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    top->addLayout(buttons);

    // Creation: texts and lists for the language.
    m_helpFile = t(kHelpFile);
    m_captionPrefix = t(kCaption);
    setWindowTitle(m_captionPrefix);
    PortLabel->setText(t(kPort));
    DeviceLabel->setText(t(kDevice));
    NetNoteLabel->setText(t(kRawNote));
    IORangeLabel->setText(t(kIORange));
    BaudrateLabel->setText(t(kBaudrate));
    DatabitsLabel->setText(t(kDatabits));
    ParityLabel->setText(t(kParity));
    StopbitsLabel->setText(t(kStopbits));
    HardwareLabel->setText(t(kHardware));
    PortTypeLabel->setText(t(kPortType));
    ReceiverLabel->setText(t(kReceiver));
    TransmitterLabel->setText(t(kTransmitter));
    for (int i = 1; i <= 16; ++i) CBAnschluss->addItem(QStringLiteral("COM %1").arg(i));
    CBBereich->addItems({QStringLiteral("03F8 - 03FF"), QStringLiteral("02F8 - 02FF"), QStringLiteral("03E8 - 03EF"),
                         QStringLiteral("02E8 - 02EF")});
    CBBaudrate->addItems({QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                          QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("28800"),
                          QStringLiteral("38400"), QStringLiteral("57600"), QStringLiteral("115200")});
    CBDatenbits->addItems({QStringLiteral("7"), QStringLiteral("8")});
    for (const Text& x : kParityItems) CBParitaet->addItem(t(x));
    CBStopbits->addItems({QStringLiteral("1"), QStringLiteral("2")});
    for (const Text& x : kHardwareItems) CBHardware->addItem(t(x));
    CBTyp->addItems({QStringLiteral("RS 232 C"), QStringLiteral("RS 422"), QStringLiteral("RS 485")});
    for (const Text& x : kReceiverItems) CBEmpfangen->addItem(t(x));
    for (const Text& x : kTransmitterItems) CBSenden->addItem(t(x));
    for (QComboBox* c : findChildren<QComboBox*>()) {
        const int ctx = c->property("helpContext").toInt();
        if (ctx >= 1 && ctx <= 10) c->setWhatsThis(t(kHelpTopics[ctx - 1]));
    }
    PageControl->setCurrentIndex(0);

    connect(CBAnschluss, &QComboBox::activated, this, &TSXSetupCommForm::CBAnschlussChange);
    connect(CBGeraet, &QComboBox::currentTextChanged, this, &TSXSetupCommForm::CBGeraetChange);
    connect(CBHardware, &QComboBox::activated, this, &TSXSetupCommForm::CBHardwareChange);
    connect(CBTyp, &QComboBox::activated, this, &TSXSetupCommForm::CBTypChange);
    connect(CBEmpfangen, &QComboBox::activated, this, &TSXSetupCommForm::CBEmpfangenChange);
    connect(CBSenden, &QComboBox::activated, this, &TSXSetupCommForm::CBSendenChange);
    connect(OKButton, &QPushButton::clicked, this, &TSXSetupCommForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &TSXSetupCommForm::HelpButtonClick);
}

void TSXSetupCommForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TSXSetupCommForm::FormActivate()
{
    if (!m_port) return;
    TSAnschluss->setEnabled(true);
    TSErweitert->setEnabled(true);
    OKButton->setEnabled(!m_port->Active());
    selectIndex(CBAnschluss, int(m_port->PortName()));
    selectIndex(CBBereich, int(m_port->PortAddress()));
    selectIndex(CBBaudrate, int(m_port->Baudrate()));
    selectIndex(CBDatenbits, int(m_port->FrameDatabits()));
    selectIndex(CBParitaet, int(m_port->FrameParitybit()));
    selectIndex(CBStopbits, int(m_port->FrameStopbits()));
    selectIndex(CBHardware, int(m_port->Hardware()));
    selectIndex(CBTyp, int(m_port->PortType()));
    selectIndex(CBEmpfangen, int(m_port->ReceiveDriver()));
    selectIndex(CBSenden, int(m_port->TransmitDriver()));
    fillDevices();
    updateCaption();
}

void TSXSetupCommForm::fillDevices()
{
    CBGeraet->clear();
    QStringList items;
    // Local devices: adapters by their lasting name, then the plain nodes.
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QString& n : byId.entryList(QDir::System | QDir::Files, QDir::Name))
        items << byId.filePath(n);
    const QDir dev(QStringLiteral("/dev"));
    for (const QString& n : dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")}, QDir::System, QDir::Name))
        items << dev.filePath(n);
    // Network ports other COM names lead to: typed once, offered again.
    for (int n = 1; n <= 16; ++n) {
        const std::string path = portDevicePath(n);
        if (isNetworkPort(path) && !items.contains(QString::fromStdString(path)))
            items << QString::fromStdString(path);
    }
    CBGeraet->addItems(items);
    showDevice();
}

void TSXSetupCommForm::showDevice()
{
    const int com = CBAnschluss->currentIndex();
    CBGeraet->setEditText(com >= 0 ? QString::fromStdString(portDevicePath(com + 1)) : QString());
    CBGeraetChange();
}

void TSXSetupCommForm::CBGeraetChange()
{
    NetNoteLabel->setVisible(isRawNetworkPort(CBGeraet->currentText().trimmed().toStdString()));
}

void TSXSetupCommForm::updateCaption()
{
    setWindowTitle(QStringLiteral("%1 %2").arg(m_captionPrefix, CBAnschluss->currentText()));
}

void TSXSetupCommForm::CBAnschlussChange()
{
    selectIndex(CBBereich, CBAnschluss->currentIndex());
    showDevice();
    updateCaption();
}

void TSXSetupCommForm::CBHardwareChange()
{
    constexpr int rs232 = 0, rs485 = 2;
    switch (CBHardware->currentIndex()) {
    case 1:
        if (CBTyp->currentIndex() == rs232) selectIndex(CBTyp, rs485);
        selectIndex(CBSenden, 1);
        selectIndex(CBEmpfangen, 1);
        break;
    case 0:
    case 2:
        if (CBTyp->currentIndex() != rs232) selectIndex(CBTyp, rs232);
        selectIndex(CBSenden, CBHardware->currentIndex() == 2 ? 3 : 0);
        selectIndex(CBEmpfangen, 0);
        break;
    default: break;
    }
}

void TSXSetupCommForm::CBTypChange()
{
    const int hw = CBHardware->currentIndex();
    const bool rs232 = CBTyp->currentIndex() == 0;
    if ((hw == 1 && rs232) || ((hw == 0 || hw == 2) && !rs232)) selectIndex(CBHardware, 3);
}

void TSXSetupCommForm::CBEmpfangenChange()
{
    const int hw = CBHardware->currentIndex();
    if (hw == 3 || hw < 0) return;
    const int expected = hw == 1 ? 1 : 0;
    if (CBEmpfangen->currentIndex() != expected) selectIndex(CBHardware, 3);
}

void TSXSetupCommForm::CBSendenChange()
{
    const int hw = CBHardware->currentIndex();
    if (hw == 3 || hw < 0) return;
    const int expected = hw == 0 ? 0 : hw == 1 ? 1
                                               : 3;
    if (CBSenden->currentIndex() != expected) selectIndex(CBHardware, 3);
}

void TSXSetupCommForm::OKButtonClick()
{
    const int com = CBAnschluss->currentIndex() + 1;
    const std::string device = CBGeraet->currentText().trimmed().toStdString();
    if (isNetworkPort(device)) {
        std::string host, port, error;
        if (!splitNetworkPort(device, host, port, error)) {
            ErrorLabel->setText(QString::fromStdString(error));
            ErrorLabel->show();
            return;
        }
    }
    if (m_port) {
        try {
            // Lists always hold a selection here; a missing one keeps the port's value.
            auto sel = [](QComboBox* c) { return c->currentIndex(); };
            if (sel(CBAnschluss) >= 0) m_port->setPortName(TPort(sel(CBAnschluss)));
            if (sel(CBBereich) >= 0) m_port->setPortAddress(TPortAddr(sel(CBBereich)));
            if (sel(CBBaudrate) >= 0) m_port->setBaudrate(TBaudrate(sel(CBBaudrate)));
            if (sel(CBDatenbits) >= 0) m_port->setFrameDatabits(TDataBit(sel(CBDatenbits)));
            if (sel(CBParitaet) >= 0) m_port->setFrameParitybit(TParityBit(sel(CBParitaet)));
            if (sel(CBStopbits) >= 0) m_port->setFrameStopbits(TStopBit(sel(CBStopbits)));
            if (sel(CBHardware) >= 0) m_port->setHardware(THardware(sel(CBHardware)));
            if (sel(CBTyp) >= 0) m_port->setPortType(TPortType(sel(CBTyp)));
            if (sel(CBEmpfangen) >= 0) m_port->setReceiveDriver(TReceiveDriver(sel(CBEmpfangen)));
            if (sel(CBSenden) >= 0) m_port->setTransmitDriver(TTransmitDriver(sel(CBSenden)));
            if (com >= 1 && !device.empty() && device != portDevicePath(com)) {
                setPortDevicePath(com, device);
                if (OnDeviceChosen) OnDeviceChosen(com, QString::fromStdString(device));
            }
        } catch (const EComm& e) {
            // The port was opened behind the form's back: say so, keep the form open.
            ErrorLabel->setText(e.text());
            ErrorLabel->show();
            OKButton->setEnabled(!m_port->Active());
            return;
        }
    }
    accept();
}

QString TSXSetupCommForm::helpText() const
{
    const bool de = m_language == 2;
    QString html = QStringLiteral("<p><b>%1</b></p>").arg(m_captionPrefix.toHtmlEscaped());
    for (const Text& x : kHelpTopics)
        html += QStringLiteral("<p>%1</p>").arg(QString::fromUtf8(de ? x.de : x.en).toHtmlEscaped());
    html += QStringLiteral("<p><i>%1</i></p>").arg(QString::fromUtf8(de ? kHelpClosed.de : kHelpClosed.en));
    return html;
}

void TSXSetupCommForm::HelpButtonClick()
{
    // The named help files are not shipped; the form carries its own short help.
    auto* help = findChild<QDialog*>(QStringLiteral("HelpWindow"));
    if (!help) {
        help = new QDialog(this);
        help->setObjectName(QStringLiteral("HelpWindow"));
        help->setWindowTitle(m_captionPrefix + QStringLiteral(" \u2013 ") + HelpButton->text().remove(QLatin1Char('&')));
        auto* l = new QVBoxLayout(help);
        auto* text = new QTextBrowser(help);
        text->setObjectName(QStringLiteral("HelpText"));
        text->setHtml(helpText());
        l->addWidget(text);
        help->resize(420, 360);
    }
    help->show();
    help->raise();
}

TSXSetupCommDialog::TSXSetupCommDialog(QObject* owner) : TSXComponent(owner) { }

int TSXSetupCommDialog::languageFor(const QLocale& locale)
{
    return locale.language() == QLocale::German ? 2 : 1;
}

bool TSXSetupCommDialog::Execute() { return run(languageFor(QLocale::system())); }

bool TSXSetupCommDialog::ExecuteEnglish() { return run(1); }

bool TSXSetupCommDialog::run(int language)
{
    auto form = std::make_unique<TSXSetupCommForm>(language);
    form->setPort(SXComm());
    form->OnDeviceChosen = OnDeviceChosen;
    if (OnShow) OnShow(this);
    // Centred on the screen, as a dialog of its own.
    form->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form->move(screen->availableGeometry().center() - form->rect().center());
    const bool ok = form->exec() == QDialog::Accepted;
    if (OnClose) OnClose(this);
    return ok;
}

} // namespace vx
