#pragma once
// CSV fields as RFC 4180 writes them, for every export of the program: a field is
// quoted when it holds a comma, the separator in use, a quote, CR or LF, and quotes
// inside it are doubled. Anything else stays as it is.
#include <QString>
#include <QStringList>

namespace vx::csv {

QString field(const QString& text, QChar separator = u',');
// The fields of one row, each as field() gives it, joined by the separator.
QString row(const QStringList& fields, QChar separator = u',');

} // namespace vx::csv
