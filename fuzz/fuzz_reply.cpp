// Property: the command set's reply check agrees with a strict reference written here
// from the protocol's rules: a reply is taken only when whole (line end), within the
// limit, from the right command and number, and its value is exactly the number the
// bytes spell; "er n" is always the controller's refusal.
#include "FuzzSupport.h"
#include "device/CommandSet.h"

#include <optional>

using namespace vx;

namespace {

struct Request {
    const char* text;
    bool echoes;
    bool integer; // a number follows; otherwise a confirmation
};
constexpr Request Requests[] = {
    {"rp 12", true, true},
    {"rs 3", true, true},
    {"kr 2041", true, true},
    {"r0", false, true},
    {"ri", false, true},
    {"wp 12 -5", true, false},
    {"sc 5", true, false},
    {"ks", false, false},
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
    const QByteArray prefix = req.echoes ? QByteArray(req.text) : QByteArray(req.text).left(2);
    bool expectOk = false;
    std::optional<qint64> expectNumber;
    if (body.startsWith(prefix)) {
        const QByteArray after = body.mid(prefix.size());
        if (req.integer) {
            if (after.startsWith(' ') && (expectNumber = strictNumber(after.mid(1)))) expectOk = true;
        } else {
            expectOk = after.isEmpty() || after.startsWith(' ');
        }
    }
    FUZZ_CHECK(r.ok() == expectOk);
    if (expectOk && req.integer) FUZZ_CHECK(r.number && *r.number == *expectNumber);
    if (!r.ok()) FUZZ_CHECK(!r.number);
    return 0;
}
