#pragma once
// The library's port set-up dialog: a component bound to a port that shows the
// bilingual form (English, or German on a German system) for all ten port settings.
// The form writes the settings to the port on OK; it never opens the port.
#include "comm/SXComm.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLocale;
class QPushButton;
class QTabWidget;
class QWidget;

namespace vx {

class TSXSetupCommForm : public QDialog {
    Q_OBJECT
public:
    // language: 1 English, 2 German.
    explicit TSXSetupCommForm(int language, QWidget* parent = nullptr);

    int language() const { return m_language; }
    QString helpFile() const { return m_helpFile; }
    TSXComm* port() const { return m_port; }
    void setPort(TSXComm* port) { m_port = port; }
    // Called on OK when the COM name now leads to another device path.
    std::function<void(int comNumber, const QString& path)> OnDeviceChosen;

    QTabWidget* PageControl = nullptr;
    QWidget* TSAnschluss = nullptr;
    QWidget* TSErweitert = nullptr;
    QComboBox* CBAnschluss = nullptr;
    // Where the chosen COM name leads: a local device, or a network port typed in
    // (tcp://HOST:PORT, rfc2217://HOST:PORT); network ports in use are listed.
    QComboBox* CBGeraet = nullptr;
    QComboBox* CBBereich = nullptr;
    QComboBox* CBBaudrate = nullptr;
    QComboBox* CBDatenbits = nullptr;
    QComboBox* CBParitaet = nullptr;
    QComboBox* CBStopbits = nullptr;
    QComboBox* CBTyp = nullptr;
    QComboBox* CBHardware = nullptr;
    QComboBox* CBSenden = nullptr;
    QComboBox* CBEmpfangen = nullptr;
    QLabel* PortLabel = nullptr;
    QLabel* DeviceLabel = nullptr;
    QLabel* NetNoteLabel = nullptr; // raw TCP: the device server's own settings count
    QLabel* IORangeLabel = nullptr;
    QLabel* BaudrateLabel = nullptr;
    QLabel* DatabitsLabel = nullptr;
    QLabel* ParityLabel = nullptr;
    QLabel* StopbitsLabel = nullptr;
    QLabel* PortTypeLabel = nullptr;
    QLabel* HardwareLabel = nullptr;
    QLabel* TransmitterLabel = nullptr;
    QLabel* ReceiverLabel = nullptr;
    QLabel* ErrorLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

    // The built-in explanation the help button shows.
    QString helpText() const;

public slots:
    void FormActivate();
    void CBAnschlussChange();
    void CBGeraetChange();
    void CBHardwareChange();
    void CBTypChange();
    void CBEmpfangenChange();
    void CBSendenChange();
    void OKButtonClick();
    void HelpButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateCaption();
    void fillDevices();
    void showDevice();

    int m_language = 1;
    QString m_helpFile;
    QString m_captionPrefix;
    TSXComm* m_port = nullptr;
};

class TSXSetupCommDialog : public TSXComponent {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    explicit TSXSetupCommDialog(QObject* owner = nullptr);

    // Shows the form modally in the system's language; true when closed with OK.
    virtual bool Execute();
    // The same, always in English.
    virtual bool ExecuteEnglish();

    NotifyEvent OnClose; // the form is being destroyed
    NotifyEvent OnShow;  // the form is about to be shown
    // A COM name now leads elsewhere (the owner keeps it, e.g. in [Poorten]).
    std::function<void(int comNumber, const QString& path)> OnDeviceChosen;

    // 2 (German) for a German locale, else 1 (English).
    static int languageFor(const QLocale& locale);

private:
    bool run(int language);
};

} // namespace vx
