#include "app/InitSerial.h"

#include "comm/SXComm.h"
#include "comm/SerialLine.h"
#include "comm/SocketSerialLine.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/SerialDevices.h"
#include "core/SettingsFile.h"
#include "core/UiSeams.h"
#include "core/Widgets.h"
#include "params/ParameterDefs.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace vx {

namespace {

QComboBox* makeList(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setMinimumWidth(170);
    return c;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

void fillList(QComboBox* list, const QString& text)
{
    list->clear();
    list->addItems(parseOptionList(text));
}

// The selection as an ordinal of an enumeration with count values; none when the
// list has no selection or more items than the enumeration has values.
std::optional<int> selection(const QComboBox* list, int count, int offset = 0)
{
    const int i = list->currentIndex();
    if (i < 0 || i + offset >= count) return std::nullopt;
    return i + offset;
}

} // namespace

TFormInitSerial::TFormInitSerial(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormInitSerial"));
    setWindowTitle(QStringLiteral("Seriele poort"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* top = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Interface"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Extended"));
    top->addWidget(PageControl1);

    auto* f1 = new QFormLayout(TabSheet1);
    LabelPoort = makeLabel(TabSheet1, "LabelPoort", QStringLiteral("Poort"));
    ComboPoort = makeList(TabSheet1, "ComboPoort");
    f1->addRow(LabelPoort, ComboPoort);
    LabelDevice = makeLabel(TabSheet1, "LabelDevice", QStringLiteral("Apparaat"));
    ComboDevice = makeList(TabSheet1, "ComboDevice");
    ComboDevice->setEditable(true);
    ComboDevice->setMinimumWidth(280); // room for tcp://HOST:PORT as typed
    ComboDevice->setInsertPolicy(QComboBox::NoInsert);
    ComboDevice->setToolTip(QStringLiteral("/dev/ttyUSB0, tcp://HOST:PORT, rfc2217://HOST:PORT"));
    f1->addRow(LabelDevice, ComboDevice);
    LabelNetNote = makeLabel(TabSheet1, "LabelNetNote", QString());
    LabelNetNote->setWordWrap(true);
    LabelNetNote->setContentsMargins(0, 4, 0, 4);
    LabelNetNote->hide();
    f1->addRow(LabelNetNote);
    Label_IO = makeLabel(TabSheet1, "Label_IO", QStringLiteral("IO"));
    Combo_IO = makeList(TabSheet1, "Combo_IO");
    Combo_IO->setEnabled(false);
    f1->addRow(Label_IO, Combo_IO);
    LabelBaud = makeLabel(TabSheet1, "LabelBaud", QStringLiteral("Baud"));
    ComboBaud = makeList(TabSheet1, "ComboBaud");
    f1->addRow(LabelBaud, ComboBaud);
    LabelDataBits = makeLabel(TabSheet1, "LabelDataBits", QStringLiteral("Bits"));
    ComboDataBits = makeList(TabSheet1, "ComboDataBits");
    f1->addRow(LabelDataBits, ComboDataBits);
    LabelParity = makeLabel(TabSheet1, "LabelParity", QStringLiteral("Parity"));
    ComboParity = makeList(TabSheet1, "ComboParity");
    f1->addRow(LabelParity, ComboParity);
    LabelStopBits = makeLabel(TabSheet1, "LabelStopBits", QStringLiteral("stopbits"));
    ComboStopBits = makeList(TabSheet1, "ComboStopBits");
    f1->addRow(LabelStopBits, ComboStopBits);

    auto* f2 = new QFormLayout(TabSheet2);
    LabelHardware = makeLabel(TabSheet2, "LabelHardware", QStringLiteral("hardware"));
    ComboHardware = makeList(TabSheet2, "ComboHardware");
    f2->addRow(LabelHardware, ComboHardware);
    LabelPortType = makeLabel(TabSheet2, "LabelPortType", QStringLiteral("Poorttype"));
    ComboPortType = makeList(TabSheet2, "ComboPortType");
    f2->addRow(LabelPortType, ComboPortType);
    LabelReceiver = makeLabel(TabSheet2, "LabelReceiver", QStringLiteral("Receiver"));
    ComboReceiver = makeList(TabSheet2, "ComboReceiver");
    f2->addRow(LabelReceiver, ComboReceiver);
    LabelTransmitter = makeLabel(TabSheet2, "LabelTransmitter", QStringLiteral("Transmitter"));
    ComboTransmitter = makeList(TabSheet2, "ComboTransmitter");
    f2->addRow(LabelTransmitter, ComboTransmitter);
    // The interface hardware is shown, not chosen here.
    for (QComboBox* c : {ComboHardware, ComboPortType, ComboReceiver, ComboTransmitter}) c->setEnabled(false);

    const OkCancel buttons = addOkCancelRow(this, top);
    CmdOK = buttons.ok;
    CmdCancel = buttons.cancel;

    connect(ComboPoort, &QComboBox::activated, this, &TFormInitSerial::ComboPoortClick);
    connect(ComboPoort, &QComboBox::currentIndexChanged, this, &TFormInitSerial::showDevicePath);
    connect(ComboDevice, &QComboBox::editTextChanged, this, &TFormInitSerial::showNetNote);
    connect(ComboHardware, &QComboBox::activated, this, &TFormInitSerial::ComboHardwareClick);
    for (QComboBox* c : {ComboPortType, ComboReceiver, ComboTransmitter})
        connect(c, &QComboBox::activated, this, &TFormInitSerial::UserDefinedClick);
    connect(CmdOK, &QPushButton::clicked, this, &TFormInitSerial::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormInitSerial::CmdCancelClick);
}

void TFormInitSerial::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormInitSerial::LeesTeksten()
{
    setWindowTitle(texts::InitCom("Caption"));
    PageControl1->setTabText(0, texts::InitCom("RegInterface"));
    PageControl1->setTabText(1, texts::InitCom("RegExtended"));
    CmdOK->setText(texts::InitCom("CmdOK"));
    CmdCancel->setText(texts::InitCom("CmdCancel"));
    LabelPoort->setText(texts::InitCom("PortLabel"));
    LabelDevice->setText(texts::InitCom("DeviceLabel"));
    LabelNetNote->setText(texts::InitCom("NetNote"));
    fillList(ComboPoort, texts::InitCom("PortItems"));
    Label_IO->setText(texts::InitCom("IOLabel"));
    fillList(Combo_IO, texts::InitCom("IOItems"));
    LabelBaud->setText(texts::InitCom("BaudLabel"));
    fillList(ComboBaud, texts::InitCom("BaudItems"));
    LabelDataBits->setText(texts::InitCom("DatabitLabel"));
    fillList(ComboDataBits, texts::InitCom("DataBitItems"));
    LabelParity->setText(texts::InitCom("ParityLabel"));
    fillList(ComboParity, texts::InitCom("ParityItems"));
    LabelStopBits->setText(texts::InitCom("StopbitLabel"));
    fillList(ComboStopBits, texts::InitCom("StopbitItems"));
    LabelHardware->setText(texts::InitCom("HardwareLabel"));
    fillList(ComboHardware, texts::InitCom("HardwareItems"));
    LabelPortType->setText(texts::InitCom("PortTypeLabel"));
    fillList(ComboPortType, texts::InitCom("PortTypeItems"));
    LabelReceiver->setText(texts::InitCom("ReceiverLabel"));
    fillList(ComboReceiver, texts::InitCom("ReceiverItems"));
    LabelTransmitter->setText(texts::InitCom("TransmitterLabel"));
    fillList(ComboTransmitter, texts::InitCom("TransmitterItems"));
}

void TFormInitSerial::FormActivate()
{
    TSXComm* port = app().SXComm1;
    if (port) {
        try {
            port->Close();
        } catch (const EComm& e) {
            showError(this, QLatin1String(ApplicationTitle), e.text());
        }
    }
    if (app().TaalGeladen) LeesTeksten();
    fillDevices();
    if (port) {
        // An index past the end of a list leaves it without a selection.
        auto select = [](QComboBox* list, int i) { list->setCurrentIndex(i < list->count() ? i : -1); };
        select(ComboPoort, int(port->PortName()));
        select(Combo_IO, int(port->PortAddress()));
        select(ComboBaud, int(port->Baudrate()) - 3);
        select(ComboDataBits, int(port->FrameDatabits()));
        select(ComboParity, int(port->FrameParitybit()));
        select(ComboStopBits, int(port->FrameStopbits()));
        select(ComboHardware, int(port->Hardware()));
        select(ComboPortType, int(port->PortType()));
        select(ComboReceiver, int(port->ReceiveDriver()));
        select(ComboTransmitter, int(port->TransmitDriver()));
    }
    showDevicePath();
    PageControl1->setCurrentIndex(0);
    adjustSize(); // device names differ in length from one machine to another
}

namespace {
constexpr int kPathRole = Qt::UserRole;       // what [Poorten] gets: by-id name, else the path
constexpr int kDeviceRole = Qt::UserRole + 1; // the device node, to match a mapping with
constexpr int kAbsentRole = Qt::UserRole + 2; // the one item for a mapping with no device
} // namespace

void TFormInitSerial::fillDevices()
{
    ComboDevice->clear();
    ComboDevice->setEnabled(!app().Simulating);
    if (app().Simulating) return; // every COM name leads to the simulator
    int widest = 360;
    for (const SerialDevice& d : scanSerialDevices(DeviceRoot)) {
        QString text = d.description();
        if (!d.byId.isEmpty()) text += QStringLiteral("  \u2013  ") + QFileInfo(d.byId).fileName();
        ComboDevice->addItem(text);
        const int i = ComboDevice->count() - 1;
        // The by-id name stays the same when the adapter comes back under another number.
        ComboDevice->setItemData(i, d.byId.isEmpty() ? d.path : d.byId, kPathRole);
        ComboDevice->setItemData(i, d.path, kDeviceRole);
        if (!d.byId.isEmpty()) ComboDevice->setItemData(i, d.byId, Qt::ToolTipRole);
        // Whole names: the by-id tail is what tells two adapters of one make apart.
        widest = std::max(widest, ComboDevice->fontMetrics().horizontalAdvance(text) + 40);
    }
    // Network ports typed once for any COM name are offered again.
    for (int n = 1; n <= 16; ++n) {
        const QString path = QString::fromStdString(portDevicePath(n));
        if (!isNetworkPort(path.toStdString()) || ComboDevice->findData(path, kPathRole) >= 0) continue;
        ComboDevice->addItem(path);
        ComboDevice->setItemData(ComboDevice->count() - 1, path, kPathRole);
    }
    ComboDevice->setMinimumWidth(widest);
}

void TFormInitSerial::showDevicePath()
{
    // COM names are the design's; on this system each leads to a device path.
    for (int i = 0; i < ComboPoort->count() && i < 16; ++i)
        ComboPoort->setItemData(i, QString::fromStdString(portDevicePath(i + 1)), Qt::ToolTipRole);
    for (int i = ComboDevice->count() - 1; i >= 0; --i)
        if (ComboDevice->itemData(i, kAbsentRole).toBool()) ComboDevice->removeItem(i);
    const int com = ComboPoort->currentIndex();
    if (com < 0 || com >= 16) {
        ComboDevice->setCurrentIndex(-1);
        return;
    }
    const QString path = QString::fromStdString(portDevicePath(com + 1));
    const QString node = resolveSerialDevice(path, DeviceRoot);
    for (int i = 0; i < ComboDevice->count(); ++i) {
        if (ComboDevice->itemData(i, kPathRole).toString() == path
            || (!node.isEmpty() && ComboDevice->itemData(i, kDeviceRole).toString() == node)) {
            ComboDevice->setCurrentIndex(i);
            return;
        }
    }
    // The COM name leads to a device the scan does not list (a link to a pty or an
    // adapter, a device that is not there, the simulator): shown first, so OK without
    // another choice keeps it, and "not present" only when nothing is there.
    const QFileInfo there(DeviceRoot == QLatin1String("/") ? path : DeviceRoot + path);
    QString text = path + QStringLiteral(" (") + texts::InitCom("NotPresent") + u')';
    if (path == QLatin1String("sim"))
        text = QStringLiteral("simulator");
    else if (path.startsWith(u'/') && there.exists())
        text = there.isSymLink() ? path + QStringLiteral(" \u2192 ") + there.symLinkTarget() : path;
    ComboDevice->insertItem(0, text);
    ComboDevice->setItemData(0, path, kPathRole);
    ComboDevice->setItemData(0, true, kAbsentRole);
    ComboDevice->setCurrentIndex(0);
}

QString TFormInitSerial::chosenDevice() const
{
    const int i = ComboDevice->currentIndex();
    QString typed = ComboDevice->currentText().trimmed();
    // A listed item shows a description; what it leads to is in its data.
    if (i >= 0 && typed == ComboDevice->itemText(i).trimmed()) return ComboDevice->itemData(i, kPathRole).toString();
    return typed;
}

void TFormInitSerial::showNetNote()
{
    const bool raw = isRawNetworkPort(chosenDevice().toStdString());
    if (raw == LabelNetNote->isVisibleTo(this)) return;
    LabelNetNote->setVisible(raw);
    // The form layout gives a wrapped label one line; the note needs two or three.
    const int width = std::max(TabSheet1->width(), TabSheet1->sizeHint().width()) - 24;
    LabelNetNote->setMinimumHeight(raw ? LabelNetNote->heightForWidth(width) : 0);
    if (isVisible()) adjustSize();
}

bool TFormInitSerial::storeDeviceChoice()
{
    const int com = ComboPoort->currentIndex();
    const QString chosen = chosenDevice();
    if (app().Simulating || com < 0 || com >= 16 || chosen.isEmpty()) return true;
    const QString current = QString::fromStdString(portDevicePath(com + 1));
    if (chosen == current) return true;
    // Typed text must be a device path or a well-formed network port: anything else
    // would only fail later, at opening, with a less helpful message.
    std::string host, service, error;
    if (isNetworkPort(chosen.toStdString()) ? !splitNetworkPort(chosen.toStdString(), host, service, error)
                                            : !chosen.startsWith(u'/') && chosen != QLatin1String("sim")) {
        QString text = texts::InitCom("BadDevice").arg(chosen);
        if (!error.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(error);
        showError(this, QLatin1String(ApplicationTitle), text);
        ComboDevice->setFocus();
        return false;
    }
    // The same device under another name (a by-id link to it) is no new choice.
    const QString node = resolveSerialDevice(current, DeviceRoot);
    const int listed = ComboDevice->findData(chosen, kPathRole);
    if (!node.isEmpty() && listed >= 0 && ComboDevice->itemData(listed, kDeviceRole).toString() == node)
        return true;
    setPortDevicePath(com + 1, chosen.toStdString());
    savePortChoice(this, com + 1, chosen);
    return true;
}

void savePortChoice(QWidget* parent, int comNumber, const QString& path)
{
    // Written now, key by key, so the rest of the file stays as it is; the shut-down
    // save keeps this section.
    SettingsFile ini;
    ini.load(settingsFilePath());
    ini.writeString(QStringLiteral("Poorten"), QStringLiteral("COM%1").arg(comNumber), path);
    if (!ini.save(settingsFilePath()))
        showError(parent, QLatin1String(ApplicationTitle),
                  QStringLiteral("The port choice could not be saved to\n%1\n\n%2")
                      .arg(settingsFilePath(), ini.errorString()));
}

void TFormInitSerial::ComboPoortClick()
{
    const int i = ComboPoort->currentIndex();
    Combo_IO->setCurrentIndex(i < Combo_IO->count() ? i : -1);
}

void TFormInitSerial::ComboHardwareClick()
{
    auto set = [](QComboBox* list, int i) { list->setCurrentIndex(i < list->count() ? i : -1); };
    switch (ComboHardware->currentIndex()) {
    case 0:
    case 3:
        set(ComboPortType, 0);
        set(ComboReceiver, 0);
        set(ComboTransmitter, 0);
        break;
    case 1:
        set(ComboPortType, 2);
        set(ComboReceiver, 1);
        set(ComboTransmitter, 1);
        break;
    case 2:
        set(ComboPortType, 0);
        set(ComboReceiver, 0);
        set(ComboTransmitter, 3);
        break;
    default: break;
    }
}

void TFormInitSerial::UserDefinedClick()
{
    ComboHardware->setCurrentIndex(3 < ComboHardware->count() ? 3 : -1);
}

void TFormInitSerial::CmdOKClick()
{
    TSXComm* port = app().SXComm1;
    if (!port) {
        accept();
        return;
    }
    if (!storeDeviceChoice()) return;
    try {
        // A list without a selection keeps the port's value.
        if (auto v = selection(ComboPoort, 16)) port->setPortName(TPort(*v));
        if (auto v = selection(Combo_IO, 4)) port->setPortAddress(TPortAddr(*v));
        if (auto v = selection(ComboBaud, 9, 3)) port->setBaudrate(TBaudrate(*v));
        if (auto v = selection(ComboDataBits, 2)) port->setFrameDatabits(TDataBit(*v));
        if (auto v = selection(ComboParity, 3)) port->setFrameParitybit(TParityBit(*v));
        if (auto v = selection(ComboStopBits, 2)) port->setFrameStopbits(TStopBit(*v));
        if (auto v = selection(ComboHardware, 4)) port->setHardware(THardware(*v));
        if (auto v = selection(ComboPortType, 3)) port->setPortType(TPortType(*v));
        if (auto v = selection(ComboReceiver, 2)) port->setReceiveDriver(TReceiveDriver(*v));
        if (auto v = selection(ComboTransmitter, 4)) port->setTransmitDriver(TTransmitDriver(*v));
        port->Open();
    } catch (const EComm& e) {
        showError(this, QLatin1String(ApplicationTitle), e.text());
        return;
    }
    accept();
}

void TFormInitSerial::CmdCancelClick() { reject(); }

} // namespace vx
