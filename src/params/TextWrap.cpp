#include "params/TextWrap.h"

namespace vx {

namespace {
bool isBreakChar(QChar c)
{
    return c == u'\t' || c == u' ' || c == u'-' || c == u'.';
}
} // namespace

QString wrapMessage(const QString& text, int maxCol)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString out;
    int lineStart = 0;   // first character of the line being built
    int breakAfter = -1; // index of the last break character usable in this line
    QChar quote;         // the open quote, or null
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            // An existing break ends the line as it stands.
            const int end = i;
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            out += text.mid(lineStart, end - lineStart) + lineEnd;
            lineStart = i + 1;
            breakAfter = -1;
            ++i;
            continue;
        }
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (isBreakChar(c)) {
            breakAfter = i;
        }
        ++i;
        const int col = i - lineStart;
        if (quote.isNull() && col >= maxCol && i < n && breakAfter > lineStart) {
            out += text.mid(lineStart, breakAfter - lineStart + 1);
            int next = breakAfter + 1;
            while (next < n && (text[next] == u' ' || text[next] == u'\t'))
                ++next;
            if (next < n)
                out += lineEnd;
            lineStart = next;
            breakAfter = -1;
            // Re-scan from the new line start so break characters there count.
            i = next;
        }
    }
    out += text.mid(lineStart);
    return out;
}

} // namespace vx
