#pragma once
// Calibration of the controller's analogue channel: calibration mode, channel
// choice, set points, offset and gain, and storing them in the EEPROM. Each
// control is enabled only after the controller has confirmed the step before it.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTimer;

namespace vx {

class TPX400Protocol;
class TSXProtocolComponent;
class TSpinEdit;
struct TCommError;

class TFormCalibratie : public QDialog {
    Q_OBJECT
public:
    explicit TFormCalibratie(QWidget* parent = nullptr);
    ~TFormCalibratie() override;

    static QString closeQuestion();

    void FormActivate();
    void PX400LeesKalibratieWaardenCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400KalibratieCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400KalibratieCommError(TSXProtocolComponent* sender, const TCommError& error);

    void EnableSpanning();
    void DisableSpanning();
    void EnableStroom();
    void DisableStroom();

    bool KalibratieModeAan = false;
    int LeesNummer = 2041;
    std::array<qint32, 4> EepromWaarde{}; // offset U, gain U, offset I, gain I
    bool GezondenNietGesaved = false;

    TPX400Protocol* PX400LeesKalibratieWaarden = nullptr;
    TPX400Protocol* PX400Kalibratie = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    TSpinEdit* SpinEdit3 = nullptr;
    TSpinEdit* SpinEdit6 = nullptr;
    TSpinEdit* SpinEdit7 = nullptr;
    TSpinEdit* SpinEdit8 = nullptr;
    TSpinEdit* SpinEdit_Offset_U = nullptr;
    TSpinEdit* SpinEdit_Gain_U = nullptr;
    TSpinEdit* SpinEdit_Offset_I = nullptr;
    TSpinEdit* SpinEdit_Gain_I = nullptr;
    QPushButton* CmdSetUmin = nullptr;
    QPushButton* CmdSetUnul = nullptr;
    QPushButton* CmdSetUmax = nullptr;
    QPushButton* CmdSetImin = nullptr;
    QPushButton* CmdSetInul = nullptr;
    QPushButton* CmdSetImax = nullptr;
    QPushButton* CmdSetKalibtatieMode = nullptr;
    QPushButton* CmdResCalibtatieMode = nullptr;
    QPushButton* CmdSet_U_actief = nullptr;
    QPushButton* CmdSet_I_actief = nullptr;
    QPushButton* CmdSet_I_InActief = nullptr;
    QPushButton* CmdSaveToEEPROM = nullptr;
    QLabel* Panel1 = nullptr;
    // Says why a typed calibration value was not sent (outside its limits).
    QLabel* LabelBereik = nullptr;
    QLabel* LabelOffset_U = nullptr;
    QLabel* LabelGain_U = nullptr;
    QLabel* LabelOffset_I = nullptr;
    QLabel* LabelGain_I = nullptr;

    // Asks before closing with written values not yet saved, and whether to switch
    // a controller still in calibration mode back ("km 0").
    void reject() override;
    // The calibration-mode question alone (also when the program closes); false: stay
    // open for now. After Yes it sends "km 0" and returns false; once the controller
    // has confirmed, whenOff runs (the close goes on), else a warning is shown.
    bool ModeUitVoorSluiten(std::function<void()> whenOff = {});
    void LeesTeksten();
    // Told when the controller confirms calibration mode on or off, so the main
    // window can show a mode left on after this window closed.
    std::function<void(bool)> OnModeChanged;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Channel {
        QGroupBox* box;
        std::array<TSpinEdit*, 3> setPoints;
        std::array<QPushButton*, 3> setButtons;
        TSpinEdit* offset;
        TSpinEdit* gain;
        std::array<QLabel*, 7> labels; // offset, gain, three units, two notes
    };
    void buildChannel(Channel& ch, const QString& caption, const QString& unit, qint32 setPointRange);
    void setChannel(Channel& ch, bool on);
    void sendCommand(const QString& text);
    void setPanel(const QString& text, const QColor& colour);
    void commitField(int constant);
    QString fieldName(int constant) const;
    void setModeAan(bool on);
    TSpinEdit* fieldOf(int constant) const;
    void modeOffEnded();

    Channel m_u{};
    Channel m_i{};
    // While closing waits for "km 0" to be confirmed: the time allowed, and what follows.
    QTimer* m_modeOffTimer = nullptr;
    bool m_modeOffPending = false;
    std::function<void()> m_afterModeOff;
    // What each constant last held on the controller (read or sent): a field put back
    // to it has nothing to send.
    std::array<std::optional<qint32>, 4> m_onController{};
    // What each field last held that was read or taken: a refused entry returns to it.
    std::array<qint32, 4> m_accepted{};
};

} // namespace vx
