#pragma once
// The application's serial settings dialog: port, baud rate, data bits, parity and stop
// bits are chosen; I/O range and interface hardware follow from them and are shown.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace vx {

class TFormInitSerial : public QDialog {
    Q_OBJECT
public:
    explicit TFormInitSerial(QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QLabel* LabelPoort = nullptr;
    // Where the chosen COM name leads: the serial devices present on this system, the
    // network ports other COM names lead to, or one typed in (tcp://, rfc2217://).
    QLabel* LabelDevice = nullptr;
    QComboBox* ComboDevice = nullptr;
    QLabel* LabelNetNote = nullptr; // raw TCP: the device server's own settings count
    QLabel* Label_IO = nullptr;
    QLabel* LabelBaud = nullptr;
    QLabel* LabelDataBits = nullptr;
    QLabel* LabelParity = nullptr;
    QLabel* LabelStopBits = nullptr;
    QComboBox* ComboPoort = nullptr;
    QComboBox* Combo_IO = nullptr;
    QComboBox* ComboBaud = nullptr;
    QComboBox* ComboDataBits = nullptr;
    QComboBox* ComboParity = nullptr;
    QComboBox* ComboStopBits = nullptr;
    QLabel* LabelHardware = nullptr;
    QLabel* LabelPortType = nullptr;
    QLabel* LabelReceiver = nullptr;
    QLabel* LabelTransmitter = nullptr;
    QComboBox* ComboHardware = nullptr;
    QComboBox* ComboPortType = nullptr;
    QComboBox* ComboReceiver = nullptr;
    QComboBox* ComboTransmitter = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

    // The file-system root the device list is read from; tests use a made-up one.
    QString DeviceRoot = QStringLiteral("/");

public slots:
    void FormActivate();
    void ComboPoortClick();
    void ComboHardwareClick();
    void UserDefinedClick();
    void CmdOKClick();
    void CmdCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LeesTeksten();
    void showDevicePath();
    void fillDevices();
    void showNetNote();
    // The device path or network port chosen or typed; empty when none.
    QString chosenDevice() const;
    bool storeDeviceChoice();
};

// Keeps in application.ini's [Poorten] where a COM name leads (a device or network
// port); says so when the file cannot be written.
void savePortChoice(QWidget* parent, int comNumber, const QString& path);

} // namespace vx
