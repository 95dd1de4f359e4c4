#pragma once
// The service dialog's numeric entry rules as pure functions: the live filter for
// each typed character and the check that turns the entry text into a stored value.
#include <QChar>
#include <QString>
#include <QtGlobal>

namespace vx {

// Characters before the "," when decimals > 0, the whole text otherwise; a leading
// "-" does not count.
int integerPartLength(const QString& text, int decimals);
// The longer integer part of the limit texts: how many integer digits may be typed.
int serviceIntegerDigits(const QString& minTekst, const QString& maxTekst, int decimals);

struct ServiceKeyContext {
    QString text;  // the field's text before the key
    int caret = 0; // caret position, from 0 (start of the selection if any)
    bool hasSelection = false;
    int decimals = 0;      // resolved (9 already replaced)
    int integerDigits = 0; // the limit's digits; shown, no longer enforced while typing
    qint32 min = 0;
};

struct ServiceKeyResult {
    enum Action {
        Pass,         // let `ch` reach the field
        Swallow,      // drop the key
        PrependMinus, // put "-" in front of the text, caret to the end, drop the key
    };
    Action action = Swallow;
    QChar ch; // the character to type on Pass ("." already turned into ",")
};

// Backspace is QChar(8). Every other control key is the caller's business.
ServiceKeyResult serviceKeyFilter(QChar key, const ServiceKeyContext& ctx);

struct ServiceInputResult {
    enum Kind {
        Ok,
        TooLong,    // more than 8 digits once scaled, or more decimals than the parameter has
        OutOfRange, // outside min .. max
        Malformed,  // not a number (pasted text); never produced by the filter
    };
    Kind kind = Ok;
    qint32 value = 0;
};

// The entry text to the stored integer: empty counts as 0, a leading "-" negates,
// missing decimals are filled with zeros.
ServiceInputResult serviceInputValue(const QString& text, int decimals, qint32 min, qint32 max);

} // namespace vx
