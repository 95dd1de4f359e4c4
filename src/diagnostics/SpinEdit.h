#pragma once
// A spin field that behaves like the calibration window expects: its value is
// its text as a decimal integer (anything else counts as the lower limit), and the
// range applies when the program sets a value and when the field loses focus. A
// field whose value goes straight to a controller keeps what was typed instead, so
// its owner refuses a value outside the range rather than sending the nearest limit.
#include <QAbstractSpinBox>
#include <functional>
#include <optional>

namespace vx {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // No range when both limits are 0.
    void setRange(qint32 minValue, qint32 maxValue);
    qint32 minValue() const { return m_min; }
    qint32 maxValue() const { return m_max; }
    bool hasRange() const { return m_min != 0 || m_max != 0; }
    // The limits a typed value must keep: the range, else those of a 32-bit value.
    qint64 lowest() const { return hasRange() ? m_min : INT32_MIN; }
    qint64 highest() const { return hasRange() ? m_max : INT32_MAX; }

    qint32 value() const;
    void setValue(qint64 v);
    QString text() const;
    void setText(const QString& text); // as typed: not limited
    void applyRange();
    // The typed text as a number, however large; none for an empty field or a lone "-".
    std::optional<qint64> typedNumber() const;
    bool inRange(qint64 v) const { return v >= lowest() && v <= highest(); }
    // Keeps what was typed on leaving the field, and steps only from a value in range.
    void setKeepsTyped(bool on) { m_keepsTyped = on; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString&) const override { }

    // Told after a step (arrow key, spin button, wheel), or of a step refused
    // because the typed text lies outside the range.
    std::function<void()> OnStep;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    qint64 limited(qint64 v) const;
    qint32 m_min = 0;
    qint32 m_max = 0;
    qint64 m_lastValid = 0; // the last text that was a number
    bool m_keepsTyped = false;
};

} // namespace vx
