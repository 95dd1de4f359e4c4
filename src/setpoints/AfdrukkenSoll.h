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

} // namespace vx
