#pragma once
// Print dialog of the setpoint report, opened from the setpoint editor.
#include "setpoints/AfdrukkenBase.h"

namespace vx {

class TFormAfdrukkenSoll : public TFormAfdrukken {
    Q_OBJECT
public:
    explicit TFormAfdrukkenSoll(QWidget* parent = nullptr);
    ~TFormAfdrukkenSoll() override;

    QString SollTitel;

    void FormActivate() override;
    void InitSollwertHeader();
    void PrintSollwerten();

protected:
    void print() override { PrintSollwerten(); }
};

// Opens the setpoint print dialog modally (the start-up instance, or a temporary one
// when none exists); the setpoints numbered in nietGezonden are marked as not sent.
void printSollwertReport(QWidget* parent, const QList<int>& nietGezonden);

} // namespace vx
