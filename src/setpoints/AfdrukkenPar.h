#pragma once
// Print dialog of the parameter report, opened from the parameter editor.
#include "setpoints/AfdrukkenBase.h"

#include <QStringList>

namespace vx {

class TFormAfdrukkenPar : public TFormAfdrukken {
    Q_OBJECT
public:
    explicit TFormAfdrukkenPar(QWidget* parent = nullptr);
    ~TFormAfdrukkenPar() override;

    void FormActivate() override;
    void InitParameterHeader();
    void PrintParameters();

    // The tree file of the current language as lines; a file that exists but cannot
    // be read shows the load message and gives what was read (nothing).
    QStringList leesTreeRegels();
    // The page header, with a note when the editor holds values not sent.
    ReportHeader parameterHeader() const;

protected:
    void print() override { PrintParameters(); }
};

// Opens the parameter print dialog modally (the start-up instance, or a temporary
// one when none exists). The parameter editor's print command calls this after its
// own "never loaded" question.
void printParameterReport(QWidget* parent);

} // namespace vx
