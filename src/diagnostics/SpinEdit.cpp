#include "diagnostics/SpinEdit.h"

#include "device/CommandSet.h"

#include <QLineEdit>
#include <algorithm>

namespace vx {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (const auto v = cmd::parseDecimal(lineEdit()->text())) m_lastValid = *v;
    });
}

void TSpinEdit::setRange(qint32 minValue, qint32 maxValue)
{
    m_min = minValue;
    m_max = maxValue;
}

qint64 TSpinEdit::limited(qint64 v) const { return std::clamp<qint64>(v, lowest(), highest()); }

qint32 TSpinEdit::value() const
{
    if (const auto v = cmd::parseDecimal(lineEdit()->text())) return *v;
    return m_min;
}

void TSpinEdit::setValue(qint64 v)
{
    const QString t = QString::number(limited(v));
    if (t != lineEdit()->text()) lineEdit()->setText(t);
}

QString TSpinEdit::text() const { return lineEdit()->text(); }

void TSpinEdit::setText(const QString& text) { lineEdit()->setText(text); }

std::optional<qint64> TSpinEdit::typedNumber() const
{
    const QString t = lineEdit()->text();
    const bool negative = t.startsWith(u'-');
    const QString digits = negative ? t.mid(1) : t;
    if (digits.isEmpty()) return std::nullopt;
    // validate() lets only digits through; more than 18 of them is far outside any range.
    if (digits.size() > 18) return negative ? INT64_MIN : INT64_MAX;
    const qint64 v = digits.toLongLong();
    return negative ? -v : v;
}

void TSpinEdit::applyRange()
{
    // An empty field or a lone "-" gets back the last number it held: the lower
    // limit it would read as was never typed.
    setValue(cmd::parseDecimal(lineEdit()->text()) ? value() : m_lastValid);
}

void TSpinEdit::stepBy(int steps)
{
    if (m_keepsTyped) {
        const auto typed = typedNumber();
        if (typed && !inRange(*typed)) { // a step from the nearest limit was never asked for
            if (OnStep) OnStep();
            return;
        }
        const QString before = text();
        setValue((typed ? *typed : m_lastValid) + steps);
        if (OnStep && text() != before) OnStep();
        return;
    }
    setValue(qint64(value()) + steps);
}

QValidator::State TSpinEdit::validate(QString& input, int&) const
{
    // Digits with an optional leading minus; partial texts are fine while typing.
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (!(c.isDigit() || (i == 0 && c == u'-'))) return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    if (isReadOnly() || !isEnabled()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    // A set point takes the nearest limit on leaving the field, before editingFinished.
    if (!m_keepsTyped) applyRange();
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace vx
