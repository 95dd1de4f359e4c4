#pragma once
// The write window: all parameters and/or setpoints from its own buffers to the
// controller, request by request, then the computation of derived parameters ("bp").
#include "params/SafetyBackup.h"
#include "params/TransferForm.h"
#include "params/Verify.h"
#include "plans/TransferPlans.h"

#include <QMessageBox>

#include <memory>

namespace vx::plans {
class SafeWritePlan;
}

namespace vx {

class TFormSchrijfParSoll : public TTransferForm {
    Q_OBJECT
public:
    explicit TFormSchrijfParSoll(QWidget* parent = nullptr);
    ~TFormSchrijfParSoll() override;

    TPX400Protocol* PX400SchrijfParSoll = nullptr;    // "wp", "ws"; 100 ms
    TPX400Protocol* PX400BerekenParameters = nullptr; // "bp"; 2000 ms

    void PX400SchrijfParSollCommResult(const QByteArray& reply);
    void PX400BerekenParametersCommResult(const QByteArray& reply);
    // Shared by both components.
    void PX400SchrijfParSollCommError(const TCommError& error);

    // Fixed text while the controller computes.
    static constexpr const char* ComputingText = "Bereken parameters";

    // Safety backup and read-back (when switched on); 1000 ms like the read window.
    TPX400Protocol* PX400Controle = nullptr;
    // Opens the compare window on what was written against what was read back.
    QPushButton* CmdCompare = nullptr;
    // The safety backup this run saved before writing (empty: none).
    const QString& safetyBackupPath() const { return m_safetyPath; }
    // The read-back after the last finished write, if one ran.
    bool verified() const { return m_verified; }
    const verify::Result& verifyResult() const { return m_verify; }
    void CmdCompareClick();
    // What this write is called in the record of the last write ("send", "restore",
    // "undo"); empty: by its mode.
    void setKind(const QString& kind);

protected:
    const LangSection& texts() const override;
    void Start() override;
    void Continue() override;
    QList<TPX400Protocol*> components() const override
    {
        return {PX400SchrijfParSoll, PX400BerekenParameters, PX400Controle};
    }
    void interrupted() override;
    void requestSent(const plans::Request& request) override;
    void stepTaken() override;
    void planFinished() override;
    void lineDown() override;

private:
    // Runs the guarded write: the safety backup first when asked, the read-back
    // after it when switched on; resume goes on from the value in flight.
    void runPlan(bool backup, bool resume);
    void backupEnded();
    void writeEnded();
    void readBackEnded();
    // The write's own end text, and whether it is red ("bp" refused).
    QString writeEndText(bool& red) const;
    compare::ValueSet writtenSet() const;
    QString finishText() const;
    // What the controller holds after a write that stopped early, for the message box.
    QString interruptedText() const;

    // Records that this write began (its safety backup taken).
    void recordBegin();

    std::unique_ptr<plans::SafeWritePlan> m_plan;
    // Values confirmed by the earlier plans of this run (before Continue or Again).
    QList<plans::ValueRef> m_writtenBefore;
    QString m_kind;
    bool m_refused = false;  // the value in flight was answered with "er 7"
    bool m_reported = false; // the interruption was told once this run
    QString m_safetyPath;
    bool m_verified = false;
    verify::Result m_verify;
    compare::ValueSet m_readBack;
};

// The program's write window (created at start-up), or null.
TFormSchrijfParSoll* FormSchrijfParSoll();

// Whether whole-set sends and ticked writes ask first (the options' switch, on by default).
bool writeQuestionOn();
void setWriteQuestionOn(bool on);
// Whole-set sends and restores write every value, not only those that differ from the
// safety backup (the options' switch, off by default).
bool writeEveryValueOn();
void setWriteEveryValueOn(bool on);
// Values a whole-set write of the mode (0, 1, 3) puts on the line.
int valuesOfMode(int mode);
// How many values go to which controller: its type and serial texts, unit and port.
QString writeTargetText(int count);
// The one question before count values go to the connected controller, default No:
// lead (a caller's own question) above the target. Asked only while the switch is on,
// unless always. True to write.
bool confirmWrite(QWidget* parent, int count, const QString& lead = {}, const QString& caption = {},
                  bool always = false);
// The same for a whole-set write of `set`: says how many values differ from what the
// controller is known to hold, or that only those that differ go.
bool confirmWrite(QWidget* parent, const compare::ValueSet& set, const QString& lead = {}, const QString& caption = {},
                  bool always = false);
QString writeCountLine(const compare::ValueSet& set);
// A guarded write to the connected controller that did not finish, and the backup that
// stays the way back; empty when there is none.
QString unfinishedWriteNote();
// What an editor's title adds about its set against the connected controller: older
// than what the tool has since read or written there (a set that came from or went to
// it at `since`), other decimals. Empty when nothing is to say.
QString controllerNote(const compare::ValueSet& document, bool fromController, const QDateTime& since,
                       int documentDecimals);
// How many values the controller was since found or made to hold that the set does not.
int olderThanController(const compare::ValueSet& document, bool fromController, const QDateTime& since);
// Before a whole-set send of an editor's set that is older than the controller (it
// would undo what was written since): Yes to receive first, No to send anyway, Cancel.
// No when the set is not older.
QMessageBox::StandardButton askOlderSet(QWidget* parent, const compare::ValueSet& document, bool fromController,
                                        const QDateTime& since);
// "send", "restore", "undo" in the user's language.
QString writeKindText(const QString& kind);

} // namespace vx
