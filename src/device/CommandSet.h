#pragma once
// The controller's command set: every request text the tool sends and the one check
// every reply passes. Requests are two lower-case letters and decimal arguments separated
// by one blank (the protocol component adds the CR). A reply repeats the command
// letters and a blank, then the arguments and the value, then two line-end bytes.
#include <QByteArray>
#include <QString>
#include <optional>

namespace vx::cmd {

// --- reply read limits (bytes); a longer reply is not read at all -----------------------
inline constexpr int ReplyLimit = 100;     // general
inline constexpr int GraphReplyLimit = 50; // logging graph
inline constexpr int IoReplyLimit = 20;    // input and output words

// --- requests -----------------------------------------------------------------------
QString selectUnit(int unit); // "sc 5"
inline constexpr const char* ReadType = "rt";
inline constexpr const char* ReadIdent2 = "rh";
inline constexpr const char* ReadIdent3 = "rx";
inline constexpr const char* ReadError = "rf";
inline constexpr const char* ResetError = "wf";
inline constexpr const char* ActPos1 = "r0";
inline constexpr const char* Velocity1 = "r1";
inline constexpr const char* Voltage = "r2";
inline constexpr const char* Current = "r3";
inline constexpr const char* ActPos2 = "r4";
inline constexpr const char* Velocity2 = "r5";
inline constexpr const char* PosDifference = "r6";
inline constexpr const char* ReadInputs = "ri";
inline constexpr const char* ReadOutputs = "ru";
inline constexpr const char* ComputeParameters = "bp";
inline constexpr const char* StoreCalibration = "ks";

// Live value of graph source 0..6: r0, r1, r4, r5, r6, r2, r3; "" for another source.
QString liveValueRequest(int source);

QString readPar(int nr);                              // "rp 12"
QString readSoll(int nr);                             // "rs 3"
QString writePar(int nr, qint32 value);               // "wp 12 -345"
QString writeSoll(int nr, qint32 value);              // "ws 3 100"
QString readCalibration(int constant);                // "kr 2041"
QString writeCalibration(int constant, qint32 value); // "kw 2041 -5"
QString calibrationMode(bool on);                     // "km 1" / "km 0"
QString analogueOutput(int kind);                     // "kf 0" none, "kf 1" voltage, "kf 2" current
QString outputTestValue(qint32 value);                // "ka 100000"

// --- replies ------------------------------------------------------------------------
// Every reply goes through checkReply() before a window uses it: a reply cut by a
// pause, one that answers another request, or one that is no number where a number
// is read never becomes a value.

// How a request's reply carries its value.
enum class ReplyValue {
    None,        // a confirmation: "wp 12 5", "ks", "km 1"
    Integer,     // a whole decimal number: "r0 -1234", "rp 12 -350"
    ErrorNumber, // "rf": a number, or nothing at all for "no error"
    Text,        // printable text: "rt VX50 ...", "bp -1"
};

enum class Refusal {
    None,
    TooLong,          // more bytes than the window reads
    Cut,              // the last two bytes are not both line-end bytes
    ForeignLetters,   // it answers another command
    ForeignArguments, // it answers the command for another number
    NotANumber,       // the value is not a whole decimal number within 32 bits
    Unprintable,      // text with control bytes in it
    ControllerError,  // "er n"
};

struct CheckedReply {
    Refusal refusal = Refusal::None;
    QString text;                 // the reply without its line end
    QString letters;              // the letters it answered with ("ki" for "kf 2")
    QString value;                // what follows the letters and the echoed arguments
    std::optional<qint32> number; // the value as a number (Integer, ErrorNumber)
    int errorNumber = 0;          // n of "er n"

    bool ok() const { return refusal == Refusal::None; }
    // "er 7": the controller refused the value of a write.
    bool refusedValue() const { return refusal == Refusal::ControllerError && errorNumber == 7; }
};

// How the reply to a request is read: which letters may answer it, whether the
// reply repeats the request's arguments, and what kind of value follows.
struct ReplyShape {
    QString letters;      // the request's own letters
    QString otherLetters; // another reply that also answers it ("ki" for "kf"), or ""
    bool echoesArguments = false;
    ReplyValue value = ReplyValue::None;
};
ReplyShape replyShape(QStringView request);

// Whether reply answers request, whole, and with a value of its kind.
CheckedReply checkReply(QStringView request, const QByteArray& reply, int limit = ReplyLimit);

// Short English reason for logs and status texts ("reply cut", ...).
QString refusalText(const CheckedReply& reply);

// Decimal integer: optional sign and digits only, within 32 bits. Anything else
// (empty, blanks, hex, trailing text, overflow) gives none. Replies allow no "+".
std::optional<qint32> parseDecimal(QStringView text);

// "rf": no error when the value is empty or starts with "-1".
bool isNoError(const QString& errorValue);

// The controller type: the first four characters of the "rt" value.
QString controllerType(const QString& typeValue);

// Reply to "bp": accepted when it is exactly "bp -1"; a whole reply otherwise is a
// refusal whose detail is the reply text after its first three characters ("er n"
// included). A cut or foreign reply is unreadable: nobody knows what was computed.
struct BpResult {
    bool readable = false;
    bool accepted = false;
    QString detail;
};
BpResult bpResult(const QByteArray& reply);

// Device search: a whole reply whose text equals the probe text exactly.
bool isProbeHit(const QByteArray& reply, int unit);

} // namespace vx::cmd
