#pragma once
// The read window: all parameters and/or setpoints from the controller, request by
// request, into its own buffers.
#include "params/TransferForm.h"

#include <memory>

namespace vx::plans {
class SetReadPlan;
}

namespace vx {

class TFormLeesParSoll : public TTransferForm {
    Q_OBJECT
public:
    explicit TFormLeesParSoll(QWidget* parent = nullptr);
    ~TFormLeesParSoll() override;

    TPX400Protocol* PX400LeesParSoll = nullptr; // "rp", "rs"; 1000 ms

    void PX400LeesParSollCommResult(const QByteArray& reply);
    void PX400LeesParSollCommError(const TCommError& error);

protected:
    const LangSection& texts() const override;
    void Start() override;
    void Continue() override;
    QList<TPX400Protocol*> components() const override { return {PX400LeesParSoll}; }
    void requestSent(const plans::Request& request) override;
    void stepTaken() override;
    void planFinished() override;
    void lineDown() override;
    QString lostNote() const override;

private:
    // Starts the read, from the value in flight when resuming.
    void runPlan(bool resume);

    std::unique_ptr<plans::SetReadPlan> m_plan;
};

// The program's read window (created at start-up), or null.
TFormLeesParSoll* FormLeesParSoll();

} // namespace vx
