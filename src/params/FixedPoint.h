#pragma once
// Scaled integers as texts with a comma, whatever the locale: 1234 with two
// decimals is "12,34". Decimals 9 means "as many as parameter 203 says".
#include <QString>
#include <QtGlobal>

namespace vx {

inline constexpr qint32 FixedMalformed = 2000000001;
inline constexpr qint32 FixedOutOfRange = 2000000002;

QString FixedToText(qint32 decimals, qint32 value);
// Returns the scaled integer, FixedMalformed or FixedOutOfRange (bounds inclusive).
qint32 TextToFixed(const QString& text, qint32 decimals, bool negativeAllowed, qint32 lower, qint32 upper);

} // namespace vx
