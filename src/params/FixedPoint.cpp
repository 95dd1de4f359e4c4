#include "params/FixedPoint.h"

#include "params/ValueStore.h"

namespace vx {

QString FixedToText(qint32 decimals, qint32 value)
{
    if (decimals == 9) decimals = ParWaarden[ParDecimalsParameter];
    if (decimals < 1) return QString::number(value);
    // Work on the 64-bit magnitude so INT_MIN keeps its digits.
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -qint64(value) : qint64(value));
    // A nonsense decimals count from a damaged parameter set must not build a huge string.
    decimals = qMin(decimals, 32);
    if (digits.size() < decimals + 1) digits = QString(decimals + 1 - digits.size(), u'0') + digits;
    digits.insert(digits.size() - decimals, u',');
    return negative ? u'-' + digits : digits;
}

qint32 TextToFixed(const QString& input, qint32 decimals, bool negativeAllowed, qint32 lower, qint32 upper)
{
    QString text = input;
    // The same ceiling as FixedToText: a damaged definition must not pad a huge string.
    decimals = qMin(decimals, 32);
    if (text.isEmpty() || text == QLatin1String(",") || text == QLatin1String("-")) return FixedMalformed;
    for (QChar c : text)
        if (!(c >= u'0' && c <= u'9') && c != u',' && c != u'-') return FixedMalformed;

    const int commas = int(text.count(u','));
    if (decimals <= 0) {
        if (commas > 0) return FixedMalformed;
    } else {
        if (commas > 1) return FixedMalformed;
        if (commas == 1 && text.size() - 1 - text.indexOf(u',') > decimals) return FixedMalformed;
        if (commas == 0) text += u',';
        while (text.size() - 1 - text.indexOf(u',') < decimals) text += u'0';
    }

    const int minuses = int(text.count(u'-'));
    if (!negativeAllowed && minuses > 0) return FixedMalformed;
    if (minuses > 1 || (minuses == 1 && !text.startsWith(u'-'))) return FixedMalformed;

    text.remove(u',');
    // Leading zeros carry no digits: FixedToText writes "-0,20000000" for -20000000
    // with eight decimals, and that has to read back.
    const qsizetype firstDigit = text.startsWith(u'-') ? 1 : 0;
    qsizetype zeros = 0;
    while (firstDigit + zeros + 1 < text.size() && text.at(firstDigit + zeros) == u'0') ++zeros;
    text.remove(firstDigit, zeros);
    if (text.size() > 9) return FixedMalformed;
    bool ok = false;
    const qint32 v = text.toInt(&ok);
    if (!ok) {
        // "-" followed only by the appended zeros ("-,0" with one decimal) is zero.
        if (text == QLatin1String("-")) return 0 < lower || 0 > upper ? FixedOutOfRange : 0;
        return FixedMalformed;
    }
    if (v < lower || v > upper) return FixedOutOfRange;
    return v;
}

} // namespace vx
