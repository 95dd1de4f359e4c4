#include "setpoints/AfdrukkenBase.h"

#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

namespace vx {

TFormAfdrukken::TFormAfdrukken(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* grid = new QGridLayout(this);
    auto row = [&](int r, const char* labelName, const char* caption, const char* editName,
                   QLabel*& label, QLineEdit*& edit) {
        label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QLatin1String(labelName));
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(editName));
        edit->setMinimumWidth(220);
        label->setBuddy(edit);
        grid->addWidget(label, r, 0, Qt::AlignRight);
        grid->addWidget(edit, r, 1);
    };
    row(0, "LabelFirma", "Firma:", "EditFirma", LabelFirma, EditFirma);
    row(1, "LabelType", "Type:", "EditType", LabelType, EditType);
    row(2, "LabelSn", "Serie nummer:", "EditSn", LabelSn, EditSn);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Annuleren"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(CmdOK, &QPushButton::clicked, this, &TFormAfdrukken::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormAfdrukken::CmdCancelClick);
}

void TFormAfdrukken::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormAfdrukken::FormActivate()
{
    const AppState& s = app();
    // The fields always show the kept values: OK takes them over, and empty fields
    // would wipe the header saved in the settings file.
    EditFirma->setText(s.AfdrukFirma);
    EditType->setText(s.AfdrukType);
    EditSn->setText(s.AfdrukSn);
    // Empty fields are offered what the connected controller calls itself.
    if (s.SXComm1 && s.SXComm1->Active()) {
        if (EditType->text().isEmpty())
            EditType->setText(s.ApparaatRt);
        if (EditSn->text().isEmpty())
            EditSn->setText(s.ApparaatRx);
    }
    if (!s.TaalGeladen)
        return;
    LabelFirma->setText(texts::Afdrukken("LabelFirma"));
    LabelType->setText(texts::Afdrukken("LabelType"));
    LabelSn->setText(texts::Afdrukken("LabelSn"));
    CmdOK->setText(texts::Afdrukken("CmdOK"));
    CmdCancel->setText(texts::Afdrukken("CmdCancel"));
    PaginaTekst = texts::Afdrukken("TekstPagina");
}

void TFormAfdrukken::CmdOKClick()
{
    AppState& s = app();
    s.AfdrukFirma = EditFirma->text();
    s.AfdrukType = EditType->text();
    s.AfdrukSn = EditSn->text();
    print();
}

void TFormAfdrukken::CmdCancelClick() { reject(); }

ReportHeader TFormAfdrukken::reportHeader() const
{
    const AppState& s = app();
    ReportHeader h;
    h.labelFirma = LabelFirma->text();
    h.labelType = LabelType->text();
    h.labelSn = LabelSn->text();
    h.firma = s.AfdrukFirma;
    h.type = s.AfdrukType;
    h.sn = s.AfdrukSn;
    h.paginaTekst = PaginaTekst;
    h.datum = reportDate(s.TaalIndex, QDate::currentDate());
    return h;
}

QList<int> TFormAfdrukken::nietGezonden() const { return property(UnsentNumbersProperty).value<QList<int>>(); }

void TFormAfdrukken::runPrintJob(const std::function<void(QPainter&, QSize)>& draw)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("VX5x Printing"));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!ui().print(this, printer)) {
        reject();
        return;
    }
    // Only the printer and the number of copies are taken from the dialog.
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setDocName(QStringLiteral("VX5x Printing"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        // Not silently: the user would otherwise wait for a page that never comes.
        showError(this, windowTitle(),
                  printer.outputFileName().isEmpty()
                      ? QStringLiteral("The printer could not be started.")
                      : QStringLiteral("Could not write %1.").arg(printer.outputFileName()));
        reject();
        return;
    }
    draw(painter, QSize(printer.width(), printer.height()));
    painter.end();
    accept();
}

} // namespace vx
