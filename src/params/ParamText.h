#pragma once
// Parameters by name and values as the user writes them, without a window: the
// number behind a name typed in any language (case-insensitive, unique prefix,
// the closest name when none fits), and the scaled text of a value and back.
#include "params/ValueStore.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vx::partext {

struct Lookup {
    int number = -1;       // the parameter, or -1
    QStringList ambiguous; // names the text is a prefix of, when more than one
    QString suggestion;    // the closest name, when nothing fits
};
// "12", "P012", "baud rate", "Baud_Rate", "baud" (when no other name starts so).
Lookup findParameter(const QString& text);

// Decimals a parameter's integer carries: dec 9 takes p203, the value of parameter 203.
int decimalsOf(int nr, qint32 p203);

// The value as the editor shows it: option text, or the fixed-point text.
QString scaledText(int nr, qint32 value, qint32 p203);
// A setpoint's value with p203 decimals.
QString setpointText(qint32 value, qint32 p203);

struct Parsed {
    enum Kind { Ok,
                Malformed,
                OutOfRange };
    Kind kind = Ok;
    qint32 value = 0;
};
// A scaled text ("12,50", "12.50", an option text) or, when raw, a plain integer,
// checked against the definition's limits.
Parsed parseValue(int nr, const QString& text, qint32 p203, bool raw);
// The limits as scaled texts: "0 .. 31" or the option list.
QString limitsText(int nr, qint32 p203);

} // namespace vx::partext
