#include "device/CommandSet.h"

#include <cctype>
#include <iterator>
#include <limits>

namespace vx::cmd {

namespace {

QString request(const char* letters, std::initializer_list<qint64> args)
{
    QString s = QLatin1String(letters);
    for (qint64 a : args) {
        s += u' ';
        s += QString::number(a);
    }
    return s;
}

// Reply bytes are single-byte text.
QString text(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

} // namespace

QString selectUnit(int unit) { return request("sc", {unit}); }

QString liveValueRequest(int source)
{
    static const char* const bySource[] = {ActPos1, Velocity1, ActPos2, Velocity2,
                                           PosDifference, Voltage, Current};
    if (source < 0 || source >= int(std::size(bySource)))
        return QString();
    return QLatin1String(bySource[source]);
}

QString readPar(int nr) { return request("rp", {nr}); }
QString readSoll(int nr) { return request("rs", {nr}); }
QString writePar(int nr, qint32 value) { return request("wp", {nr, value}); }
QString writeSoll(int nr, qint32 value) { return request("ws", {nr, value}); }
QString readCalibration(int constant) { return request("kr", {constant}); }
QString writeCalibration(int constant, qint32 value) { return request("kw", {constant, value}); }
QString calibrationMode(bool on) { return request("km", {on ? 1 : 0}); }
QString analogueOutput(int kind) { return request("kf", {kind}); }
QString outputTestValue(qint32 value) { return request("ka", {value}); }

namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

bool isPrintable(QStringView s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            return false;
    }
    return true;
}

struct ShapeRow {
    const char* letters;
    const char* otherLetters;
    bool echoesArguments;
    ReplyValue value;
};

// The replies the tool reads. A request not listed here (the terminal's) is answered
// by its own letters with any text.
constexpr ShapeRow Shapes[] = {
    {"sc", "", true, ReplyValue::None},
    {"rt", "", false, ReplyValue::Text},
    {"rh", "", false, ReplyValue::Text},
    {"rx", "", false, ReplyValue::Text},
    {"rf", "", false, ReplyValue::ErrorNumber},
    {"wf", "", false, ReplyValue::None},
    {"r0", "", false, ReplyValue::Integer},
    {"r1", "", false, ReplyValue::Integer},
    {"r2", "", false, ReplyValue::Integer},
    {"r3", "", false, ReplyValue::Integer},
    {"r4", "", false, ReplyValue::Integer},
    {"r5", "", false, ReplyValue::Integer},
    {"r6", "", false, ReplyValue::Integer},
    {"ri", "", false, ReplyValue::Integer},
    {"ru", "", false, ReplyValue::Integer},
    {"rp", "", true, ReplyValue::Integer},
    {"rs", "", true, ReplyValue::Integer},
    {"wp", "", true, ReplyValue::None},
    {"ws", "", true, ReplyValue::None},
    {"bp", "", false, ReplyValue::Text},
    {"kr", "", true, ReplyValue::Integer},
    {"kw", "", true, ReplyValue::None},
    {"km", "", false, ReplyValue::None},
    {"kf", "ki", false, ReplyValue::None},
    {"ka", "", false, ReplyValue::None},
    {"ks", "", false, ReplyValue::None},
};

CheckedReply refused(CheckedReply r, Refusal why)
{
    r.refusal = why;
    r.number.reset();
    return r;
}

} // namespace

ReplyShape replyShape(QStringView request)
{
    const QStringView letters = request.left(2);
    for (const ShapeRow& row : Shapes) {
        if (letters == QLatin1String(row.letters))
            return {QLatin1String(row.letters), QLatin1String(row.otherLetters), row.echoesArguments, row.value};
    }
    return {letters.toString(), QString(), false, ReplyValue::Text};
}

CheckedReply checkReply(QStringView request, const QByteArray& reply, int limit)
{
    CheckedReply r;
    const qsizetype size = reply.size();
    if (size > limit)
        return refused(r, Refusal::TooLong);
    // The line end is the only proof that the controller finished: a pause inside
    // the digits also ends the reading, one byte or many short.
    if (size < 2 || !isLineEnd(reply[size - 1]) || !isLineEnd(reply[size - 2]))
        return refused(r, Refusal::Cut);
    r.text = text(reply.left(size - 2));

    const ReplyShape shape = replyShape(request);
    if (shape.letters != QLatin1String("er") && r.text.startsWith(QLatin1String("er "))) {
        if (const auto n = parseDecimal(QStringView(r.text).mid(3)); n && r.text[3] != u'+') {
            r.errorNumber = *n;
            return refused(r, Refusal::ControllerError);
        }
    }

    r.letters = r.text.left(2);
    QStringView rest = QStringView(r.text).mid(2);
    const bool own = r.letters == shape.letters;
    if ((!own && (shape.otherLetters.isEmpty() || r.letters != shape.otherLetters))
        || (!rest.isEmpty() && rest[0] != u' '))
        return refused(r, Refusal::ForeignLetters);

    if (own && shape.echoesArguments) {
        // "rp 12" is answered by "rp 12 ...", never by "rp 120 ..." or "rp 13 ...".
        const QStringView arguments = request.mid(2);
        if (!rest.startsWith(arguments))
            return refused(r, Refusal::ForeignArguments);
        rest = rest.mid(arguments.size());
        if (!rest.isEmpty() && rest[0] != u' ')
            return refused(r, Refusal::ForeignArguments);
    }
    r.value = rest.isEmpty() ? QString() : rest.mid(1).toString();

    switch (shape.value) {
    case ReplyValue::None:
        break;
    case ReplyValue::ErrorNumber:
        if (r.value.isEmpty())
            break;
        [[fallthrough]];
    case ReplyValue::Integer:
        // The controller writes no plus sign; one here is not its own number.
        if (!r.value.startsWith(u'+'))
            r.number = parseDecimal(r.value);
        if (!r.number)
            return refused(r, Refusal::NotANumber);
        break;
    case ReplyValue::Text:
        if (!isPrintable(r.value))
            return refused(r, Refusal::Unprintable);
        break;
    }
    return r;
}

QString refusalText(const CheckedReply& reply)
{
    switch (reply.refusal) {
    case Refusal::None: return QString();
    case Refusal::TooLong: return QStringLiteral("reply too long");
    case Refusal::Cut: return QStringLiteral("reply cut (no line end)");
    case Refusal::ForeignLetters: return QStringLiteral("reply to another command");
    case Refusal::ForeignArguments: return QStringLiteral("reply for another number");
    case Refusal::NotANumber: return QStringLiteral("value is no whole number");
    case Refusal::Unprintable: return QStringLiteral("reply not readable text");
    case Refusal::ControllerError: return QStringLiteral("er %1").arg(reply.errorNumber);
    }
    return QString();
}

std::optional<qint32> parseDecimal(QStringView s)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i >= s.size())
        return std::nullopt;
    qint64 acc = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        acc = acc * 10 + (c - u'0');
        if (acc > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        acc = -acc;
    if (acc > std::numeric_limits<qint32>::max() || acc < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(acc);
}

bool isNoError(const QString& errorValue)
{
    return errorValue.isEmpty() || errorValue.startsWith(QLatin1String("-1"));
}

QString controllerType(const QString& typeValue) { return typeValue.left(4); }

BpResult bpResult(const QByteArray& reply)
{
    const CheckedReply r = checkReply(u"bp", reply);
    if (r.refusal == Refusal::ControllerError)
        return {true, false, r.text};
    if (!r.ok())
        return {};
    if (r.text == QLatin1String("bp -1"))
        return {true, true, QString()};
    return {true, false, r.text.mid(3)};
}

bool isProbeHit(const QByteArray& reply, int unit)
{
    const QString probe = selectUnit(unit);
    const CheckedReply r = checkReply(probe, reply);
    return r.ok() && r.text == probe;
}

} // namespace vx::cmd
