#include "core/Csv.h"

#include <algorithm>

namespace vx::csv {

QString field(const QString& text, QChar separator)
{
    const bool quote = std::any_of(text.cbegin(), text.cend(), [&](QChar c) {
        return c == u',' || c == separator || c == u'"' || c == u'\r' || c == u'\n';
    });
    if (!quote)
        return text;
    QString q = text;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString row(const QStringList& fields, QChar separator)
{
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += separator;
        out += field(fields.at(i), separator);
    }
    return out;
}

} // namespace vx::csv
