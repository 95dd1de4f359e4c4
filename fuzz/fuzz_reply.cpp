// Property: the command set's reply check agrees with a strict reference written here
// from the protocol's rules, for every kind of request the tool sends: a reply is
// taken only when whole (line end), within the limit, from the right command and
// number, its value exactly the number the bytes spell or printable text; "er n" is
// always the controller's refusal.
#include "FuzzSupport.h"
#include "device/CommandSet.h"

#include <optional>

using namespace vx;

namespace {

enum class Value { None,
                   Integer,
                   ErrorNumber,
                   Text };

struct Request {
    const char* text;
    bool echoes;
    Value value;
    const char* otherLetters = ""; // a second reply that answers it
};
// Every request kind the tool sends.
constexpr Request Requests[] = {
    {"sc 5", true, Value::None},
    {"rt", false, Value::Text},
    {"rh", false, Value::Text},
    {"rx", false, Value::Text},
    {"rf", false, Value::ErrorNumber},
    {"wf", false, Value::None},
    {"r0", false, Value::Integer},
    {"r1", false, Value::Integer},
    {"r2", false, Value::Integer},
    {"r3", false, Value::Integer},
    {"r4", false, Value::Integer},
    {"r5", false, Value::Integer},
    {"r6", false, Value::Integer},
    {"ri", false, Value::Integer},
    {"ru", false, Value::Integer},
    {"rp 12", true, Value::Integer},
    {"rs 3", true, Value::Integer},
    {"wp 12 -5", true, Value::None},
    {"ws 3 100", true, Value::None},
    {"bp", false, Value::Text},
    {"kr 2041", true, Value::Integer},
    {"kw 2042 -5", true, Value::None},
    {"km 1", false, Value::None},
    {"kf 2", false, Value::None, "ki"},
    {"ka 100000", false, Value::None},
    {"ks", false, Value::None},
};

// -?[0-9]+ within 32 bits, leading zeros allowed.
std::optional<qint64> strictNumber(const QByteArray& s)
{
    qsizetype i = s.startsWith('-') ? 1 : 0;
    if (i >= s.size()) return std::nullopt;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > (qint64(1) << 31)) return std::nullopt;
    }
    if (s.startsWith('-')) v = -v;
    if (v > 2147483647 || v < -2147483648LL) return std::nullopt;
    return v;
}

bool lineEnd(char c) { return c == '\r' || c == '\n'; }

// Reply text is single-byte; C0, DEL and C1 are no text.
bool printable(const QByteArray& s)
{
    for (const char c : s) {
        const auto u = uchar(c);
        if (u < 0x20 || (u >= 0x7f && u < 0xa0)) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const Request& req = Requests[in.byte() % std::size(Requests)];
    const int limit = 10 + in.byte() % 100;
    const QByteArray reply = in.rest();
    const cmd::CheckedReply r = cmd::checkReply(QString::fromLatin1(req.text), reply, limit);

    const bool whole = reply.size() <= limit && reply.size() >= 2 && lineEnd(reply.back()) && lineEnd(reply[reply.size() - 2]);
    const QByteArray body = reply.left(reply.size() - 2);
    if (!whole) {
        FUZZ_CHECK(!r.ok() && !r.number);
        return 0;
    }
    if (body.startsWith("er ") && body.size() > 3 && body[3] != '+' && strictNumber(body.mid(3))) {
        FUZZ_CHECK(r.refusal == cmd::Refusal::ControllerError && r.errorNumber == *strictNumber(body.mid(3)));
        return 0;
    }
    // What must precede the value: the request itself, or only its letters.
    const QByteArray letters = QByteArray(req.text).left(2);
    QByteArray prefix = req.echoes ? QByteArray(req.text) : letters;
    if (*req.otherLetters && body.startsWith(req.otherLetters)) prefix = req.otherLetters;
    bool expectOk = false;
    std::optional<qint64> expectNumber;
    if (body.startsWith(prefix)) {
        const QByteArray after = body.mid(prefix.size());
        const QByteArray value = after.mid(1);
        const bool separated = after.isEmpty() || after.startsWith(' ');
        switch (req.value) {
        case Value::None: expectOk = separated; break;
        case Value::Text: expectOk = separated && printable(value); break;
        case Value::ErrorNumber:
            // Nothing (no error), or a number.
            if (value.isEmpty()) {
                expectOk = separated;
                break;
            }
            [[fallthrough]];
        case Value::Integer:
            if (after.startsWith(' ') && (expectNumber = strictNumber(value))) expectOk = true;
            break;
        }
    }
    FUZZ_CHECK(r.ok() == expectOk);
    if (expectOk && expectNumber) FUZZ_CHECK(r.number && *r.number == *expectNumber);
    if (!r.ok()) FUZZ_CHECK(!r.number);
    return 0;
}
