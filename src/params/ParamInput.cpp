#include "params/ParamInput.h"

namespace vx {

namespace {
constexpr QChar kBackspace(8);
constexpr QChar kComma(u',');
constexpr QChar kMinus(u'-');
} // namespace

int integerPartLength(const QString& text, int decimals)
{
    QString t = text;
    if (t.startsWith(kMinus))
        t.remove(0, 1);
    if (decimals > 0) {
        const int comma = int(t.indexOf(kComma));
        if (comma >= 0)
            return comma;
    }
    return int(t.size());
}

int serviceIntegerDigits(const QString& minTekst, const QString& maxTekst, int decimals)
{
    return qMax(integerPartLength(minTekst, decimals), integerPartLength(maxTekst, decimals));
}

ServiceKeyResult serviceKeyFilter(QChar key, const ServiceKeyContext& ctx)
{
    ServiceKeyResult swallow{ServiceKeyResult::Swallow, QChar()};
    QChar ch = key;
    if (!(ch == kBackspace || ch.isDigit() || ch == kComma || ch == kMinus || ch == u'.'))
        return swallow;
    if (ch.isDigit() && ch.unicode() > 127)
        return swallow; // only the ASCII digits
    if (ch == u'.')
        ch = kComma;

    const QString& text = ctx.text;
    if (ch == kComma && (ctx.decimals <= 0 || text.contains(kComma)))
        return swallow;
    if (ch == kMinus && ctx.min >= 0)
        return swallow;
    if (ch == kMinus && text.contains(kMinus) && !ctx.hasSelection)
        return swallow;
    // Nothing goes in front of the sign.
    if (text.contains(kMinus) && ctx.caret == 0 && !ctx.hasSelection)
        return swallow;
    if (ctx.min < 0 && ch == kMinus && ctx.caret != 0) {
        // Typed over a selection: a second sign would make the text read as a
        // positive number later, so a text with a sign keeps the one it has.
        if (text.contains(kMinus))
            return swallow;
        return {ServiceKeyResult::PrependMinus, QChar()};
    }

    // Digits are never dropped for want of room: a dropped digit turned 1000000 into
    // 100000, which was then sent as if typed. OK and Send refuse what does not fit.
    return {ServiceKeyResult::Pass, ch};
}

ServiceInputResult serviceInputValue(const QString& text, int decimals, qint32 min, qint32 max)
{
    QString t = text.isEmpty() ? QStringLiteral("0") : text;
    bool negative = false;
    if (t.contains(kMinus)) {
        // The filter only ever puts the sign first; anything else was pasted.
        if (!t.startsWith(kMinus))
            return {ServiceInputResult::Malformed, 0};
        t.remove(0, 1);
        negative = true;
    }
    if (decimals > 0) {
        if (!t.contains(kComma))
            t += kComma;
        const int after = int(t.size()) - int(t.indexOf(kComma)) - 1;
        // More decimals than the parameter has would scale the value wrongly.
        if (after > decimals)
            return {ServiceInputResult::TooLong, 0};
        t += QString(decimals - after, u'0');
        t.remove(t.indexOf(kComma), 1);
    }
    if (t.size() > 8)
        return {ServiceInputResult::TooLong, 0};
    if (t.isEmpty())
        t = QStringLiteral("0"); // a lone "-"
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return {ServiceInputResult::Malformed, 0};
    qint32 value = t.toInt();
    if (negative)
        value = -value;
    if (value < min || value > max)
        return {ServiceInputResult::OutOfRange, value};
    return {ServiceInputResult::Ok, value};
}

} // namespace vx
