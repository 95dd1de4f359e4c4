#pragma once
// The common part of the two print dialogs: three header fields kept in the shared
// state, OK to print, Cancel to close.
#include <QDialog>
#include <QSize>
#include <functional>

#include "setpoints/Reports.h"

class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;
class QPushButton;

namespace vx {

// The print dialogs' property with the numbers (a QList<int>) of the values the
// opening editor holds and has not sent, set before it opens the dialog: their rows
// are marked.
inline constexpr const char* UnsentNumbersProperty = "vxUnsentNumbers";

class TFormAfdrukken : public QDialog {
    Q_OBJECT
public:
    explicit TFormAfdrukken(QWidget* parent = nullptr);

    QLabel* LabelFirma = nullptr;
    QLabel* LabelType = nullptr;
    QLabel* LabelSn = nullptr;
    QLineEdit* EditFirma = nullptr;
    QLineEdit* EditType = nullptr;
    QLineEdit* EditSn = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

    QString PaginaTekst;
    QString KolomKop;

    // Texts and fields; runs every time the dialog is shown.
    virtual void FormActivate();
    void CmdOKClick();
    void CmdCancelClick();

    // The header of every page, from the labels and the shared fields; the date in
    // the system's short format.
    ReportHeader reportHeader() const;
    // The numbers the opening editor holds unsent (UnsentNumbersProperty).
    QList<int> nietGezonden() const;

protected:
    void showEvent(QShowEvent* event) override;
    // Builds KolomKop and prints.
    virtual void print() = 0;
    // Shows the print dialog and draws the job; closes the dialog in every case.
    void runPrintJob(const std::function<void(QPainter&, QSize)>& draw);
};

} // namespace vx
