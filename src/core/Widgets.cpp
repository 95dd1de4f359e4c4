#include "core/Widgets.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPalette>
#include <QPushButton>

namespace vx {

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

OkCancel addOkCancelRow(QDialog* dialog, QBoxLayout* layout)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    OkCancel b{box->button(QDialogButtonBox::Ok), box->button(QDialogButtonBox::Cancel)};
    b.ok->setObjectName(QStringLiteral("CmdOK"));
    b.ok->setText(QStringLiteral("OK"));
    b.ok->setDefault(true);
    b.cancel->setObjectName(QStringLiteral("CmdCancel"));
    b.cancel->setText(QStringLiteral("Cancel"));
    layout->addWidget(box);
    return b;
}

} // namespace vx
