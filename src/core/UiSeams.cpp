#include "core/UiSeams.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace vx {

namespace {
std::unique_ptr<UiSeams>& current()
{
    static std::unique_ptr<UiSeams> seams = std::make_unique<UiSeams>();
    return seams;
}
} // namespace

namespace {
// The caption of the Apply button while askUnsaved asks.
QString g_applyText;
// The default button while askYesDefaultNo asks.
QMessageBox::StandardButton g_defaultButton = QMessageBox::NoButton;
} // namespace

QMessageBox::StandardButton UiSeams::message(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons)
{
    // Messages joined from several texts use LF CR; shown as is, Qt would add a blank line.
    QString shown = text;
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    QMessageBox box(icon, caption, shown, buttons, parent);
    if (QAbstractButton* apply = box.button(QMessageBox::Apply); apply && !g_applyText.isEmpty())
        apply->setText(g_applyText);
    if (g_defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(g_defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString UiSeams::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString UiSeams::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dlg(parent, caption, dir, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
    return dlg.selectedFiles().constFirst();
}

bool UiSeams::print(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dlg(&printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

UiSeams& ui() { return *current(); }

void setUiSeams(std::unique_ptr<UiSeams> seams)
{
    current() = seams ? std::move(seams) : std::make_unique<UiSeams>();
}

void showError(QWidget* parent, const QString& caption, const QString& text)
{
    ui().message(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

void showWarning(QWidget* parent, const QString& caption, const QString& text)
{
    ui().message(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok);
}

void showInfo(QWidget* parent, const QString& caption, const QString& text)
{
    ui().message(parent, QMessageBox::Information, caption, text, QMessageBox::Ok);
}

bool askYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    return ui().message(parent, QMessageBox::Question, caption, text,
                        QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

bool askYesDefaultNo(QWidget* parent, const QString& caption, const QString& text)
{
    g_defaultButton = QMessageBox::No;
    const auto answer = ui().message(parent, QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No);
    g_defaultButton = QMessageBox::NoButton;
    return answer == QMessageBox::Yes;
}

QMessageBox::StandardButton askedDefaultButton() { return g_defaultButton; }

QMessageBox::StandardButton askUnsaved(QWidget* parent, const QString& caption, const QString& text,
                                       QMessageBox::StandardButtons buttons, const QString& sendText)
{
    g_applyText = sendText;
    const QMessageBox::StandardButton answer = ui().message(parent, QMessageBox::Warning, caption, text, buttons);
    g_applyText.clear();
    return answer;
}

} // namespace vx
