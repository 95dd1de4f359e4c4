#pragma once
// The write window: all parameters and/or setpoints from its own buffers to the
// controller, request by request, then the computation of derived parameters ("bp").
#include "params/TransferForm.h"

namespace vx {

class TFormSchrijfParSoll : public TTransferForm {
    Q_OBJECT
public:
    explicit TFormSchrijfParSoll(QWidget* parent = nullptr);

    TPX400Protocol* PX400SchrijfParSoll = nullptr;    // "wp", "ws"; 100 ms
    TPX400Protocol* PX400BerekenParameters = nullptr; // "bp"; 2000 ms

    void PX400SchrijfParSollCommResult(const QByteArray& reply);
    void PX400BerekenParametersCommResult(const QByteArray& reply);
    // Shared by both components.
    void PX400SchrijfParSollCommError(const TCommError& error);

    // Fixed text while the controller computes.
    static constexpr const char* ComputingText = "Bereken parameters";

protected:
    const LangSection& texts() const override;
    void Start() override;
    void Continue() override;
    QList<TPX400Protocol*> components() const override { return {PX400SchrijfParSoll, PX400BerekenParameters}; }
    TPX400Protocol* waitingComponent() const override;
    void interrupted() override;

private:
    void writeParameter(int nr);
    void writeSetpoint(int nr);
    void compute();
    QString finishText() const;
    // What the controller holds after a write that stopped early, for the message box.
    QString interruptedText() const;

    bool m_refused = false;  // the value in flight was answered with "er 7"
    bool m_reported = false; // the interruption was told once this run
};

// The program's write window (created at start-up), or null.
TFormSchrijfParSoll* FormSchrijfParSoll();

} // namespace vx
