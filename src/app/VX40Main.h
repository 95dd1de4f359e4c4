#pragma once
// The main window: connection, live monitor, terminal and the program's menu.
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace vx {

namespace plans {
class AsyncRunner;
class Plan;
class ReconnectPlan;
class SelectPlan;
} // namespace plans

class SettingsFile;
class TLiveMonitor;
class TerminalPanel;
class TPX400Protocol;
class TSXComm;
struct TCommError;

// What the main window says about a failed request, in words first, then the numbers.
QString commFailureText(const TCommError& error, int unit);

struct MainOptions {
    QString exeDir;        // folder of the program's files, ending in '/'; empty: the executable's
    QStringList arguments; // command-line arguments after the program name, our own options removed
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(const MainOptions& options, QWidget* parent = nullptr);
    ~TFormMain() override;

    TSXComm* SXComm1() const { return m_port; }
    // The live state behind the panels, with the design's protocol components.
    TLiveMonitor* live() const { return m_live; }
    // The terminal's history, completion and log.
    TerminalPanel* terminal() const { return m_terminal; }

    // Menu items a later window attaches to: the action stays disabled until a
    // handler is attached, so nothing pretends to work.
    void setWindowOpener(const QString& actionName, std::function<void()> opener);
    // Asked before the program closes; false keeps it open (unsaved work, a
    // controller left in calibration mode).
    void addCloseGuard(std::function<bool()> guard) { m_closeGuards.push_back(std::move(guard)); }
    // Closes again after a guard that held the close and has now settled (calibration
    // mode switched off): the guards before it were answered already and are not asked again.
    void resumeClose();
    // Runs a menu item's window as its menu item does: polling that was on comes back after.
    // A window that takes the line (it selects other units) runs with the live values
    // paused; they come back after the main window's unit is selected again.
    void openWindow(const QString& actionName, bool takesLine = false) { runOpener(actionName, takesLine); }
    // Selects and identifies the connected unit again (another window used the bus).
    void selectAgain();
    // Says on screen that another window uses the line (empty: nobody does).
    void lineUsedBy(const QString& text);
    // The decimals and channel of the live values are being read after identification.
    bool liveScalingPending() const { return !m_scalingToRead.empty(); }
    // After a window that may have stopped polling or closed the port: polling that
    // was on is on again, and the captions say what is polled. While a lost line is
    // being reconnected it comes back once the controller is found again.
    void restorePolling(bool wasActual, bool wasIo);
    // Closes as Exit does, without those questions: the program was told to end (a signal).
    void closeWithoutQuestions()
    {
        m_closeGuards.clear();
        close();
    }

    void Configfile_lezen();
    bool ProgrammaInstellingen_opslaan();
    void TekstFile_Lezen();
    void LezenTeksten();
    void ParameterDef_lezen();
    void ParamNo_lezen();
    void Disable_checkboxen_status_klemmen();
    void InputFunctieTeksten();
    void OutputFunctieTeksten();

    QLabel* statusPanel(int index) const { return m_status.at(index); }
    QString settingsSaveError() const { return m_saveError; }

    static void setBoxColor(QWidget* box, const QColor& colour);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void FormCreate();
    // Connection and live monitor.
    void CmdSelectUnitClick();
    void SXComm1Activate();
    void SXComm1Deactivate();
    // The adapter went away: show it, and wait for it to come back.
    void SXComm1LineLost();
    void TimerReconnectTimer();
    void ActualActief();
    void InUitActief();
    void CmdResetErrorClick();
    void CmdTerminalZendenClick();
    void Timer1Timer();
    void StopPolling();
    void Exit1Click();
    void Par11Click();
    void Par21Click();
    void Serial1Click();
    void ww1Click();
    void VX40ontvangen1Click();
    void Backup1Click();
    void Restore1Click();
    void VX40zoeken1Click();
    void displaynokken1Click();
    void Grafiek1Click();
    void Verkeer1Click();
    void FormAboutClick();
    void Errno1Click();
    void CmdCalibratieClick();

private:
    void buildControls();
    void buildMenu();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, void (TFormMain::*slot)());
    void runOpener(const QString& actionName, bool stopPolling = false);
    void updateConnectionItems();
    bool portOpen() const;
    void buildComponents();
    // Points the shared state's hooks at this window (on) or back at their defaults.
    void bindHooks(bool on);
    void PX400UnitSelectComError(const TCommError& error);
    void identified(int step, const std::optional<QString>& text);
    // Select and identification, and the reconnect, run as plans on m_connect.
    void runSelect();
    void startReconnect();
    void connectProgressed();
    void connectFinished();
    // After an automatic reconnect: the same controller resumes the polling that
    // was on; another one is asked about first.
    void reconnectIdentified();
    void resumePolling();
    // An input or output word not read (no reply, an unusable one) while polled.
    void ioFailed(bool inputs);
    void showIoUnknown(bool inputs);
    // Right after identification: the parameters the live values are shown with
    // (decimals, analogue channel), so the first value shown is already scaled.
    void readLiveScaling();
    // The analogue channel the connected controller uses (0 while not known).
    int liveChannel() const;
    void liveScalingRead(const std::optional<qint32>& value);
    void showOpenError(const QString& text);
    QString lostText() const;
    // The panel of a live value (TLiveMonitor::Value).
    QLabel* valuePanel(int which) const;
    void setIoBoxes(QLabel* const* boxes, int count, int firstBit, qint32 word);
    void readPortSettings(const SettingsFile& ini);
    void writePortSettings(SettingsFile& ini);

    MainOptions m_options;
    TSXComm* m_port = nullptr;               // owned
    TLiveMonitor* m_live = nullptr;          // the live state the window shows
    plans::AsyncRunner* m_connect = nullptr; // runs the select and the reconnect
    std::unique_ptr<plans::SelectPlan> m_selectPlan;
    std::unique_ptr<plans::ReconnectPlan> m_reconnectPlan;
    plans::Plan* m_connectRunning = nullptr; // which of the two m_connect runs
    TerminalPanel* m_terminal = nullptr;
    std::map<QString, std::function<void()>> m_openers;
    std::vector<std::function<bool()>> m_closeGuards;
    std::size_t m_heldBy = 0;     // the guard that held the last close
    bool m_resumingClose = false; // resumeClose(): start after m_heldBy
    QString m_saveError;
    bool m_closing = false;
    // Identification texts (rt, rh, rx) of the controller now or last connected.
    QString m_ident[3];
    QString m_identBeforeLoss[3];
    // While set, the reconnected controller is being identified: nothing else is sent.
    bool m_reconnecting = false;
    QString m_lostDevice; // device path the lost port led to
    QString m_lostById;   // its /dev/serial/by-id name, if it has one
    bool m_calibrationMode = false;
    // Polling a window's end would have restored while a reconnect was under way.
    bool m_resumeActual = false;
    int m_selectedUnit = -1;           // the unit the last select was for
    bool m_resumeAfterScaling = false; // polling goes on once the decimals are read
    void unitBoxChanged();
    bool m_resumeIo = false;
    // The scaling parameters still to read after identification (none: done).
    std::vector<int> m_scalingToRead;
    TPX400Protocol* m_scalingComponent = nullptr;

public:
    // Controls, named as in the design so tests and other windows find them.
    QLabel* PanelComInfo = nullptr;
    QGroupBox* GroupBoxUnit = nullptr;
    QPushButton* CmdSelectUnit = nullptr;
    QSpinBox* SpinEditUnitSelect = nullptr;
    QLabel* PanelErrorNo = nullptr;
    QGroupBox* GroupBoxIngangen = nullptr;
    QLabel* TbIn[8] = {};       // Tb_in1..Tb_in5, TB_in6..TB_in8
    QLabel* LabelFunIn[8] = {}; // LabelFun_in1..8
    QLabel* TB_K0_1 = nullptr;
    QLabel* TB_K0_2 = nullptr;
    QLabel* LabelFun_K0_1 = nullptr;
    QLabel* LabelFun_K0_2 = nullptr;
    QGroupBox* GroupBoxUitgangen = nullptr;
    QLabel* TbUitgang[16] = {};
    QLabel* LabelFunUit[16] = {};
    QGroupBox* GroupBoxActual = nullptr;
    QLabel* LabelActualPositie = nullptr;
    QLabel* LabelActualSnelheid = nullptr;
    QLabel* LabelPosVerschil = nullptr;
    QLabel* LabelActualSpanning = nullptr;
    QLabel* LabelActualStroom = nullptr;
    QLabel* PanelActPos1 = nullptr;
    QLabel* PanelActPos2 = nullptr;
    QLabel* PanelSnelheid1 = nullptr;
    QLabel* PanelSnelheid2 = nullptr;
    QLabel* PanelPosVerschil = nullptr;
    QLabel* PanelSpanning = nullptr;
    QLabel* PanelStroom = nullptr;
    QPushButton* CmdActual = nullptr;
    QPushButton* CmdInUit = nullptr;
    QPushButton* CmdResetError = nullptr;
    QGroupBox* GroupBoxTerminal = nullptr;
    QLineEdit* EditZenden = nullptr;
    QPushButton* CmdTerminalZenden = nullptr;
    QPlainTextEdit* MemoReceive = nullptr;
    QPushButton* CmdCalibratie = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* TimerReconnect = nullptr;
    // Reconnect by itself when a lost line comes back (Opties, application.ini).
    bool AutomatischVerbinden = true;
    std::vector<QLabel*> m_status;
    std::vector<QMenu*> m_menus;                // by position, for the language texts
    std::vector<std::vector<QAction*>> m_items; // items per menu, separators included

    // State texts from the language file; empty until one is read.
    QString TxtCmdComOpen, TxtCmdComClose, TxtCmdIO_ON, TxtCmdIO_OFF;
    QString TxtCmdActual_ON, TxtCmdActual_OFF, TxtPanelTekst0, TxtPanelTekst1;
    QString ErrorIndicator;
    QLabel* SimIndicator = nullptr;
    QLabel* KalibratieIndicator = nullptr;
    // The controller confirmed calibration mode on (and not yet off).
    void showCalibrationMode(bool on);

    // The thirteen protocol components of the live monitor.
};

} // namespace vx
