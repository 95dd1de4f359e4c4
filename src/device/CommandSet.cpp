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

QString replyText(const QByteArray& reply, int limit)
{
    if (reply.size() > limit || reply.size() <= 2)
        return QString();
    return text(reply.left(reply.size() - 2));
}

QString replyValue(const QByteArray& reply, int limit)
{
    if (reply.size() > limit || reply.size() <= 5)
        return QString();
    return text(reply.mid(3, reply.size() - 5));
}

QString replyCommand(const QByteArray& reply) { return text(reply.left(2)); }

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

std::optional<qint32> replyInteger(const QByteArray& reply, int limit)
{
    return parseDecimal(replyValue(reply, limit));
}

qint32 ioWord(const QByteArray& reply)
{
    return replyInteger(reply, IoReplyLimit).value_or(0);
}

bool isNoError(const QString& errorValue)
{
    return errorValue.isEmpty() || errorValue.startsWith(QLatin1String("-1"));
}

QString controllerType(const QString& typeValue) { return typeValue.left(4); }

std::optional<qint32> transferValue(const QByteArray& reply)
{
    const QString value = replyValue(reply, ReplyLimit);
    const qsizetype blank = value.indexOf(u' ');
    // Without a blank the text is only the echoed number; that is no value.
    if (blank < 0)
        return std::nullopt;
    return parseDecimal(QStringView(value).mid(blank + 1));
}

bool isRefused(const QByteArray& reply)
{
    if (!reply.startsWith("er 7"))
        return false;
    return reply.size() == 4 || !std::isdigit(static_cast<unsigned char>(reply[4]));
}

bool repliesTo(const QByteArray& reply, const char* letters)
{
    return reply.startsWith(letters);
}

BpResult bpResult(const QByteArray& reply)
{
    const QString t = replyText(reply, ReplyLimit);
    if (t == QLatin1String("bp -1"))
        return {true, QString()};
    return {false, t.mid(3)};
}

bool isProbeHit(const QByteArray& reply, int unit)
{
    const QString t = replyText(reply, ReplyLimit);
    return !t.isEmpty() && t == selectUnit(unit);
}

ReplyParts splitReply(const QByteArray& reply, int limit)
{
    ReplyParts p;
    p.text = replyText(reply, limit);
    p.command = p.text.left(2);
    p.rest = p.text.mid(3);
    if (!p.rest.isEmpty()) {
        const qsizetype blank = p.rest.indexOf(u' ');
        p.argument = blank < 0 ? p.rest : p.rest.left(blank);
        p.value = blank < 0 ? p.rest : p.rest.mid(blank + 1);
    }
    return p;
}

} // namespace vx::cmd
