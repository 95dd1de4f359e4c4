#pragma once
// A spin field that behaves like the calibration window expects: its value is
// its text as a decimal integer (anything else counts as the lower limit), the
// range applies when the program sets a value and when the field loses focus,
// and every change of the text is reported, typed or not (except an empty field
// getting its last number back when it loses focus).
#include <QAbstractSpinBox>
#include <functional>

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

    qint32 value() const;
    void setValue(qint64 v);
    QString text() const;
    void setText(const QString& text); // as typed: not limited
    void applyRange();

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString&) const override { }

    std::function<void()> OnChange;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    qint64 limited(qint64 v) const;
    qint32 m_min = 0;
    qint32 m_max = 0;
    qint64 m_lastValid = 0; // the last text that was a number
    bool m_quiet = false;   // a change OnChange is not told of
};

} // namespace vx
