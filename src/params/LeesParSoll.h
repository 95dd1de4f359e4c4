#pragma once
// The read window: all parameters and/or setpoints from the controller, request by
// request, into its own buffers.
#include "params/TransferForm.h"

namespace vx {

class TFormLeesParSoll : public TTransferForm {
    Q_OBJECT
public:
    explicit TFormLeesParSoll(QWidget* parent = nullptr);

    TPX400Protocol* PX400LeesParSoll = nullptr; // "rp", "rs"; 1000 ms

    void PX400LeesParSollCommResult(const QByteArray& reply);
    void PX400LeesParSollCommError(const TCommError& error);

protected:
    const LangSection& texts() const override;
    void Start() override;
    void Continue() override;
    QList<TPX400Protocol*> components() const override { return {PX400LeesParSoll}; }
    TPX400Protocol* waitingComponent() const override { return PX400LeesParSoll; }

private:
    void readParameter(int nr);
    void readSetpoint(int nr);
};

// The program's read window (created at start-up), or null.
TFormLeesParSoll* FormLeesParSoll();

} // namespace vx
