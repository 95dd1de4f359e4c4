#include "core/Widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFocusFrame>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

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

QString withMnemonic(const QString& text, QString& taken)
{
    if (text.contains(u'&')) return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i).toLower();
        if (!c.isLetter() || taken.contains(c)) continue;
        taken += c;
        QString out = text;
        out.insert(i, u'&');
        return out;
    }
    return text;
}

namespace {

// The letter after a single '&' ("&&" is a literal ampersand); null when none.
QChar mnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'&') continue;
        if (text.at(i + 1) != u'&') return text.at(i + 1).toLower();
        ++i;
    }
    return {};
}

class DialogMnemonics : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* d = qobject_cast<QDialog*>(watched)) {
                // After the dialog's own show handling, which sets its language's texts.
                QPointer<QDialog> guard(d);
                QTimer::singleShot(0, d, [guard] {
                    if (guard) assignMnemonics(guard);
                });
            }
        }
        return false;
    }
};

} // namespace

void assignMnemonics(QWidget* window)
{
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    QString taken;
    for (const QAbstractButton* b : buttons)
        if (const QChar c = mnemonicOf(b->text()); !c.isNull() && !taken.contains(c)) taken += c;
    for (QAbstractButton* b : buttons) {
        // Icon-only and hidden buttons, and those of nested windows, keep their texts.
        if (b->text().isEmpty() || b->text().contains(u'&') || b->window() != window) continue;
        b->setText(withMnemonic(b->text(), taken));
    }
}

void showKeyboardFocus(QApplication& application)
{
    QObject::connect(&application, &QApplication::focusChanged, &application, [](QWidget*, QWidget* now) {
        static QPointer<QFocusFrame> frame;
        // Text fields and lists show their focus themselves; buttons and boxes do not.
        const bool framed = now && (qobject_cast<QAbstractButton*>(now) || qobject_cast<QComboBox*>(now));
        if (!framed) {
            if (frame) frame->setWidget(nullptr);
            return;
        }
        if (!frame) frame = new QFocusFrame(now);
        frame->setWidget(now);
    });
}

void assignDialogMnemonicsOnShow(QApplication& application)
{
    application.installEventFilter(new DialogMnemonics(&application));
}

} // namespace vx
