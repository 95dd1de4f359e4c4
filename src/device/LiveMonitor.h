#pragma once
// The controller's live state without a window: polling the live values, inputs and
// outputs, the error number and the terminal. It owns the protocol components (also
// those the select and identification plan runs on), checks every reply, and reports
// what it read; the main window only shows it.
#include "comm/SXComm.h"
#include "device/CommandSet.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace vx {

class TPX400Protocol;

// Reading live requests, for the main window's polling and vx5x monitor alike.
// The longest whole reply to a live request: input and output words are short.
int liveReplyLimit(QStringView request);
// A live value from its checked reply: the number, or -1 for an error number that
// says "no error"; none when the reply is unreadable.
std::optional<qint32> liveValue(QStringView request, const cmd::CheckedReply& reply);

class TLiveMonitor : public QObject {
    Q_OBJECT
public:
    TLiveMonitor(TSXComm* port, QObject* owner);

    // The live values in the order of their panels.
    enum Value { ActPos1,
                 ActPos2,
                 PosVerschil,
                 Snelheid1,
                 Snelheid2,
                 Spanning,
                 Stroom,
                 ValueCount };

    // Live values on with the analogue channel of parameter 280 (1 voltage, 2 current),
    // or off; inputs and outputs on or off.
    void setValuesPolling(bool on, int analogueChannel);
    void setIoPolling(bool on);
    void readError();
    void resetError();
    void sendTerminal(const QString& text);

    // What came back. A value is none when its reply was unreadable (cut, foreign,
    // no number).
    std::function<void(Value which, std::optional<qint32> value)> OnValue;
    std::function<void(Value which)> OnValueFailed;
    // Only readable words arrive: an unreadable one must not look like all off.
    std::function<void(qint32 word)> OnInputs;
    std::function<void(qint32 word)> OnOutputs;
    // A reply to the input (true) or output request that holds no readable word.
    std::function<void(bool inputs)> OnIoUnreadable;
    // A readable error number; "no error" when the controller says so.
    std::function<void(bool noError, const QString& value)> OnErrorNumber;
    std::function<void(const QByteArray& reply)> OnTerminalReply;
    // Failures of the input, error-number and terminal requests.
    std::function<void(const TCommError& error)> OnCommError;

    TPX400Protocol* PX400UnitSelect = nullptr;
    TPX400Protocol* PX400TypeInfo = nullptr;
    TPX400Protocol* PX400ActPos1 = nullptr;
    TPX400Protocol* PX400ActPos2 = nullptr;
    TPX400Protocol* PX400PosVerschil = nullptr;
    TPX400Protocol* PX400Snelheid1 = nullptr;
    TPX400Protocol* PX400Snelheid2 = nullptr;
    TPX400Protocol* PX400Spanning = nullptr;
    TPX400Protocol* PX400Stroom = nullptr;
    TPX400Protocol* PX400_in = nullptr;
    TPX400Protocol* PX400_uit = nullptr;
    TPX400Protocol* PX400ReadError = nullptr;
    TPX400Protocol* PX400ResetError = nullptr;
    TPX400Protocol* PX400Protocol1 = nullptr;

    TPX400Protocol* component(Value which) const;
    static const char* request(Value which);
    // The five axis values always, voltage or current as parameter 280 says.
    static bool polled(Value which, int analogueChannel);
};

} // namespace vx
