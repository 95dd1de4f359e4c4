#include "params/ParamText.h"

#include "device/CommandSet.h"
#include "params/FixedPoint.h"
#include "params/ParameterDefs.h"

#include <algorithm>
#include <vector>

namespace vx::partext {

namespace {

constexpr int Languages = 3;

QString normalised(const QString& text)
{
    QString s = text.trimmed().toCaseFolded();
    s.replace(u'_', u' ');
    s.replace(u'-', u' ');
    return s.simplified();
}

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> row(std::size_t(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int up = row[std::size_t(j)];
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            row[std::size_t(j)] = std::min({up + 1, row[std::size_t(j - 1)] + 1, diagonal + cost});
            diagonal = up;
        }
    }
    return row.back();
}

} // namespace

Lookup findParameter(const QString& text)
{
    Lookup r;
    QString t = text.trimmed();
    if (t.startsWith(u'p', Qt::CaseInsensitive) && t.size() > 1 && t[1].isDigit())
        t = t.mid(1);
    if (const auto n = cmd::parseDecimal(t); n && !t.startsWith(u'-')) {
        if (*n >= TParWaarden::first && *n <= TParWaarden::last)
            r.number = *n;
        return r;
    }
    const QString wanted = normalised(text);
    if (wanted.isEmpty())
        return r;
    QList<int> prefixed;
    QStringList prefixedNames;
    int best = -1;
    int bestDistance = 1 << 30;
    for (int lang = 0; lang < Languages; ++lang) {
        for (int nr = TParWaarden::first; nr <= TParWaarden::last; ++nr) {
            const QString name = parNaam(parSection(nr), lang);
            if (name.isEmpty())
                continue;
            const QString n = normalised(name);
            if (n == wanted) {
                r.number = nr;
                return r;
            }
            if (n.startsWith(wanted) && !prefixed.contains(nr)) {
                prefixed << nr;
                prefixedNames << name;
            }
            const int d = editDistance(wanted, n.left(wanted.size() + 2));
            if (d < bestDistance) {
                bestDistance = d;
                best = nr;
            }
        }
    }
    if (prefixed.size() == 1) {
        r.number = prefixed.front();
    } else if (prefixed.size() > 1) {
        r.ambiguous = prefixedNames;
    } else if (best >= 0) {
        r.suggestion = parNaam(best).isEmpty() ? parNaam(parSection(best), 1) : parNaam(best);
    }
    return r;
}

int decimalsOf(int nr, qint32 p203)
{
    const int dec = parDec(nr);
    return dec == 9 ? int(p203) : dec;
}

QString scaledText(int nr, qint32 value, qint32 p203)
{
    if (parType(nr) != 0)
        return optionText(parOpties(nr), value);
    return FixedToText(decimalsOf(nr, p203), value);
}

QString setpointText(qint32 value, qint32 p203)
{
    return FixedToText(p203, value);
}

Parsed parseValue(int nr, const QString& text, qint32 p203, bool raw)
{
    Parsed r;
    const qint32 lo = parMin(nr);
    const qint32 hi = parMax(nr);
    const bool limited = parExists(nr) && lo <= hi;
    const QString t = text.trimmed();
    if (raw) {
        const auto n = cmd::parseDecimal(t);
        if (!n) {
            r.kind = Parsed::Malformed;
            return r;
        }
        r.value = *n;
    } else if (parType(nr) != 0) {
        // An option by its text, in any language, or by its index.
        bool found = false;
        for (int lang = 0; lang < Languages && !found; ++lang) {
            const QStringList items = parOpties(parSection(nr), lang);
            for (qsizetype i = 0; i < items.size(); ++i)
                if (items[i].compare(t, Qt::CaseInsensitive) == 0) {
                    r.value = qint32(i);
                    found = true;
                    break;
                }
        }
        if (!found) {
            const auto n = cmd::parseDecimal(t);
            if (!n) {
                r.kind = Parsed::Malformed;
                return r;
            }
            r.value = *n;
        }
    } else {
        QString comma = t;
        comma.replace(u'.', u',');
        const qint32 v = TextToFixed(comma, decimalsOf(nr, p203), true, limited ? lo : -2000000000,
                                     limited ? hi : 2000000000);
        if (v == FixedMalformed) {
            r.kind = Parsed::Malformed;
            return r;
        }
        if (v == FixedOutOfRange) {
            r.kind = Parsed::OutOfRange;
            return r;
        }
        r.value = v;
    }
    if (limited && (r.value < lo || r.value > hi))
        r.kind = Parsed::OutOfRange;
    return r;
}

QString limitsText(int nr, qint32 p203)
{
    if (parType(nr) != 0)
        return parOpties(nr).join(QStringLiteral(", "));
    return scaledText(nr, parMin(nr), p203) + QStringLiteral(" .. ") + scaledText(nr, parMax(nr), p203);
}

} // namespace vx::partext
