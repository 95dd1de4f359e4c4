#pragma once
// What the read and write windows share: the buttons, progress bar and status panel,
// the state flags, the communication-error handling and the rules for closing.
#include "core/Taal.h"
#include "device/CommandSet.h"
#include "params/SetTransfer.h"
#include "params/ValueStore.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vx::plans {
class AsyncRunner;
struct Request;
} // namespace vx::plans

namespace vx {

class TPX400Protocol;
class TSXProtocolComponent;
struct TCommError;

class TTransferForm : public QDialog {
    Q_OBJECT
public:
    // Mode 0 parameters, 1 setpoints, 2 parameters then setpoints, 3 whole controller.
    int Mode = 0;
    // Values read, or to be written. Callers fill them before a write and take them
    // after a read that ended with OK.
    TParWaarden ParBuffer;
    TSollWaarden SollwBuffer;

    // Sets the mode and shows the window modally; QDialog::Accepted only through OK.
    int run(int mode);
    // Without a modal loop (tests, or a caller that waits for finished()): sets the
    // mode and shows the window, which starts the transfer.
    void start(int mode);

    enum class Phase { Parameters,
                       Setpoints,
                       Computing };
    int counter() const { return m_counter; }
    Phase phase() const { return m_phase; }
    bool failed() const { return m_failed; }
    bool isDone() const { return m_done; }
    bool cancelRequested() const { return m_cancelRequested; }

    QLabel* Panel1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdAgain = nullptr;
    // After a communication failure: go on from the first value not confirmed,
    // once the line is open again (the main window reconnects a lost one).
    QPushButton* CmdVerder = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    // Loads the texts, binds the components to the main window's port and starts.
    void FormActivate();
    void CmdOKClick();
    void CmdAgainClick();
    void CmdVerderClick();
    void CmdCancelClick();

protected:
    TTransferForm(const QString& designCaption, QWidget* parent);

    // The window's own texts (all twelve status texts; unused ones stay empty).
    void LezenTeksten();
    // The language-file section of the window: captions of modes 0 ... 3 (CaptionModeN)
    // and the status texts it lists (PanelTeksten).
    virtual const LangSection& texts() const = 0;
    // Runs the first request of the mode.
    virtual void Start() = 0;
    // Sends the request in flight when the transfer stopped (m_phase, m_counter) again.
    virtual void Continue() = 0;
    virtual QList<TPX400Protocol*> components() const = 0;

    // The runner's reports: a request went out, an outcome was taken, the plan ended.
    virtual void requestSent(const plans::Request& request) = 0;
    virtual void stepTaken() = 0;
    virtual void planFinished() = 0;
    // The port is gone while a reply is awaited: a lost reply is not asked again.
    virtual void lineDown() = 0;

    void resetForStart();
    void showStatus(const QString& text, bool red = false);
    // "text number", the running count.
    void showProgress(const QString& tekst, int number);
    void fail(const QString& text);
    void finish(const QString& text, bool red = false);
    // The red failure text naming the value the plan gave up on and, below it, why
    // its reply was not taken.
    QString unexpectedReplyText(const transfer::Result& result, char phaseLetter) const;
    // Why a reply was not taken, in the user's language.
    static QString reasonText(const cmd::CheckedReply& reply);
    // A lost reply or a failed line ended the transfer: Verder may go on later.
    void lineFailed(const TCommError& error);
    // Moves the status to the value the plan is at (m_phase, m_counter) after an
    // outcome; the progress bar follows a new value.
    void followValue(transfer::Item item, int number);
    // The transfer stopped before its end (failure, or Cancel while a request was out).
    virtual void interrupted() { }
    // What a lost line means for what was transferred so far (empty: nothing to add).
    virtual QString lostNote() const { return QString(); }
    // A component's failure, handed to the runner for the request in flight.
    void CommError(const TCommError& error);
    // A component's reply, handed to the runner.
    void CommResult(TPX400Protocol* c, const QByteArray& reply);
    // Cancel was pressed while a request was out: close now (true) or go on.
    bool closeIfCancelRequested();
    void setProgressMaximum(int max);
    void setProgressPosition(int position);

    // The line: puts the component's request on it, and whether a reply can still
    // come. Tests replace both to script the replies.
    virtual void transmit(TPX400Protocol* c);
    virtual bool portOpen() const;

    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    QString m_designCaption;
    QString PanelTekst[12];
    // Sends the plan's requests through the window's components.
    plans::AsyncRunner* m_runner = nullptr;
    int m_counter = 0;
    Phase m_phase = Phase::Parameters;
    bool m_failed = false;
    bool m_done = false;
    bool m_cancelRequested = false;
    // Set by run() and start(): the next Start() begins a new transfer, not Again.
    bool m_newRun = false;
    // A safety backup or read-back is under way; Cancel only asks it to stop.
    bool m_checking = false;
    // The last failure was the line's, not the controller's answer: Verder may go on.
    bool m_canContinue = false;
    // While a transfer that may go on waits, looks whether the line is back.
    QTimer* m_lineWatch = nullptr;
    // Closes after Cancel when no reply or error comes in one exchange's time.
    QTimer* m_cancelTimer = nullptr;
};

} // namespace vx
