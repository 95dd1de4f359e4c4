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
        if (OnChange && !m_quiet) OnChange();
    });
}

void TSpinEdit::setRange(qint32 minValue, qint32 maxValue)
{
    m_min = minValue;
    m_max = maxValue;
}

qint64 TSpinEdit::limited(qint64 v) const
{
    return hasRange() ? std::clamp<qint64>(v, m_min, m_max) : std::clamp<qint64>(v, INT32_MIN, INT32_MAX);
}

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

void TSpinEdit::applyRange()
{
    if (cmd::parseDecimal(lineEdit()->text())) {
        setValue(value());
        return;
    }
    // An empty field or a lone "-" gets back the last number it held, quietly: the
    // lower limit it would read as was never typed and must not go anywhere.
    m_quiet = true;
    setValue(m_lastValid);
    m_quiet = false;
}

void TSpinEdit::stepBy(int steps) { setValue(qint64(value()) + steps); }

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
    // The range first, so what leaving the field sends (editingFinished) is the limited value.
    applyRange();
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace vx
