#pragma once
// The controller's command set: every request text the tool sends and every way a
// reply is cut. Requests are two lower-case letters and decimal arguments separated
// by one blank (the protocol component adds the CR). A reply repeats the command
// letters and a blank, then the arguments and the value, then two line-end bytes.
#include <QByteArray>
#include <QString>
#include <optional>

namespace vx::cmd {

// --- reply read limits (bytes); a longer reply is not read at all -----------------------
inline constexpr int ReplyLimit = 100;      // general
inline constexpr int GraphReplyLimit = 50;  // logging graph
inline constexpr int IoReplyLimit = 20;     // input and output words

// --- requests -----------------------------------------------------------------------
QString selectUnit(int unit);                   // "sc 5"
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

QString readPar(int nr);                        // "rp 12"
QString readSoll(int nr);                       // "rs 3"
QString writePar(int nr, qint32 value);         // "wp 12 -345"
QString writeSoll(int nr, qint32 value);        // "ws 3 100"
QString readCalibration(int constant);          // "kr 2041"
QString writeCalibration(int constant, qint32 value);   // "kw 2041 -5"
QString calibrationMode(bool on);               // "km 1" / "km 0"
QString analogueOutput(int kind);               // "kf 0" none, "kf 1" voltage, "kf 2" current
QString outputTestValue(qint32 value);          // "ka 100000"

// --- replies ------------------------------------------------------------------------
// The reply without its last two bytes (the line end); "" for a reply of two bytes
// or fewer, or of more than limit bytes.
QString replyText(const QByteArray& reply, int limit = ReplyLimit);

// The value part: bytes 4 .. L-2 (after command letters and blank, before the line
// end); "" for a reply of five bytes or fewer, or of more than limit bytes.
QString replyValue(const QByteArray& reply, int limit = ReplyLimit);

// The first two bytes of the reply (the echoed command letters).
QString replyCommand(const QByteArray& reply);

// Strict decimal integer: optional sign and digits only, within 32 bits.
// Anything else (empty, blanks, hex, trailing text, overflow) gives none.
std::optional<qint32> parseDecimal(QStringView text);

// The value of a live-value reply as an integer, or none when it is not one.
std::optional<qint32> replyInteger(const QByteArray& reply, int limit = ReplyLimit);

// Input or output word (limit 20 bytes); a value that is not an integer counts as 0.
qint32 ioWord(const QByteArray& reply);

// "rf": no error when the value is empty or starts with "-1".
bool isNoError(const QString& errorValue);

// The controller type: the first four characters of the "rt" value.
QString controllerType(const QString& typeValue);

// Value of an "rp n v" / "rs n v" reply: the value part after its first blank, read as
// a decimal integer. None when the reply is too long or short, has no blank after the
// number, or the value is not an integer.
std::optional<qint32> transferValue(const QByteArray& reply);

// A reply to "wp"/"ws" that the controller refused: it starts with "er 7" and error 7
// is the whole number (so "er 70" is an unexpected reply, not a refusal).
bool isRefused(const QByteArray& reply);

// Whether the reply starts with the given command letters ("rp", "wp", ...).
bool repliesTo(const QByteArray& reply, const char* letters);

// Reply to "bp": accepted when the reply text is exactly "bp -1"; otherwise the detail
// is the reply text after its first three characters.
struct BpResult {
    bool accepted = false;
    QString detail;
};
BpResult bpResult(const QByteArray& reply);

// Device search: the reply text must equal the probe text exactly.
bool isProbeHit(const QByteArray& reply, int unit);

// Calibration replies: command letters, argument and value.
struct ReplyParts {
    QString text;       // reply without line end ("" when over the limit)
    QString command;    // first two characters
    QString rest;       // text after the first three characters
    QString argument;   // rest up to its first blank, or the whole rest
    QString value;      // rest after its first blank, or the whole rest
};
ReplyParts splitReply(const QByteArray& reply, int limit = ReplyLimit);

} // namespace vx::cmd
