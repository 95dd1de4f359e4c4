#pragma once
// The serial port component and the protocol component base.
//
// Events are plain std::function members (assign a lambda; an empty one is "unassigned").
// They fire on the user-interface thread only. A reply arrives as a QByteArray holding
// the whole result stream, read from its start.
//
// Typical use in a window:
//     PX400ActPos1 = new TPX400Protocol(this);
//     PX400ActPos1->setSXComm(app().SXComm1);
//     PX400ActPos1->setProtocolFoot(TSequenceChar::scCR);
//     PX400ActPos1->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) { ... };
//     PX400ActPos1->OnCommError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray& r) { ... };
//     PX400ActPos1->setASCIIProtocol("ap 1");
//     PX400ActPos1->Send();
#include "comm/SerialLine.h"
#include "comm/TrafficBuffer.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QTimer;

namespace vx {

enum class TBaudrate { br1200,
                       br2400,
                       br4800,
                       br9600,
                       br19200,
                       br28800,
                       br38400,
                       br57600,
                       br115200 };
enum class TDataBit { db_7,
                      db_8 };
enum class TParityBit { None,
                        Even,
                        Odd };
enum class TStopBit { sb_1,
                      sb_2 };
enum class TPort { COM1,
                   COM2,
                   COM3,
                   COM4,
                   COM5,
                   COM6,
                   COM7,
                   COM8,
                   COM9,
                   COM10,
                   COM11,
                   COM12,
                   COM13,
                   COM14,
                   COM15,
                   COM16 };
enum class TPortAddr { pa_03F8,
                       pa_02F8,
                       pa_03E8,
                       pa_02E8 };
enum class TPortType { RS232C,
                       RS422,
                       RS485 };
enum class THardware { Standard,
                       PCLabPCL745,
                       PhoenixPSM,
                       UserDefined };
enum class TTransmitDriver { tdNone,
                             tdRegister7to1,
                             tdRTSto1,
                             tdDTRto0 };
enum class TReceiveDriver { rdNone,
                            rdRegister7to2 };

int baudrateValue(TBaudrate b);       // 1200 ... 115200
QString portDisplayName(TPort p);     // "COM 1"
QString portAddressText(TPortAddr a); // "03F8h"

// COM number (1...16) to device path. Defaults /dev/ttyS0 ... /dev/ttyS15; the path
// "sim" leads to the built-in simulator. Safe to call from any thread.
void setPortDevicePath(int comNumber, const std::string& path);
std::string portDevicePath(int comNumber);
void resetPortDevicePaths();
// Every port to one path, e.g. "sim" when the whole run is simulated.
void setAllPortDevicePaths(const std::string& path);

// Configuration failures of the port. what() is UTF-8.
class EComm : public std::runtime_error {
public:
    explicit EComm(const std::string& text) : std::runtime_error(text) { }
    QString text() const { return QString::fromUtf8(what()); }
};
class ECommHandleError : public EComm {
public:
    using EComm::EComm;
};
class ECommInitError : public EComm {
public:
    using EComm::EComm;
};

// Outcome of one exchange; all zero means success.
struct TCommError {
    uint32_t Code = 0;
    uint32_t OSError = 0;    // errno when Code is 0x1001
    uint32_t LineErrors = 0; // CE_* flags when Code is 0x1002
    bool isZero() const { return Code == 0 && OSError == 0 && LineErrors == 0; }
    bool operator==(const TCommError&) const = default;
};

enum : uint32_t {
    CommPortClosed = 1,
    CommDeviceError = 0x1000,
    CommSystemError = 0x1001,
    CommLineError = 0x1002,
    CommEmptyFrame = 0x1003,
    CommTimeout = 0x1070,
    CommCheckError = 0x1071,
    CommSX2Header = 0x1072,
    CommSX2Doubling = 0x1073,
    CommSSBHeader = 0x1074,
    CommSSBDoubling = 0x1075,
    CommStartChar = 0x1076,
    // The line kept sending past the reply limits (see TSXCommThread): a babbling
    // unit, a bus fault or noise. Not one of the library's original codes.
    CommBabbling = 0x1077,
    // The device behind the port is gone (adapter pulled). The port reports it once
    // and refuses every request with it until it is opened again.
    CommLineLost = 0x1078,
};

// Further line-error flags that only appear in texts.
enum : uint32_t { CE_TXFULL = 0x0100,
                  CE_IOE = 0x0400,
                  CE_MODE = 0x8000 };

// Outcome texts: row 0 is empty, rows 1 ... 49 as the library carries them;
// column 0 empty, 1 English, 2 German (empty where there is none).
extern const char* const CommErrorTexts[50][3];
QString commErrorText(const TCommError& error, bool german = false);
// Why a device could not be opened. A refused permission names the device's group
// and how to join it, since "Permission denied" alone leaves a technician stuck.
std::string openErrorText(const std::string& path, int osError);

class TSXComm;
class TSXCommThread;
class TSXProtocolComponent;

constexpr int FrameSize = 512;
using TFrame = std::array<uint8_t, FrameSize>;

// Which exchange the worker runs for a component.
enum class ProtocolKind { None,
                          ASCII,
                          SX2,
                          SSB };

// The request slot of a protocol component; the port's queue points at it.
struct TCommRequest {
    TSXProtocolComponent* Sender = nullptr;
    TFrame Frame{};
    int TimeoutTime = 0;
    // A line reply ends at the first pause, line end or not (probes at line settings
    // that may be wrong, whose garbage never has one).
    bool PauseEnds = false;
    // Before sending, wait until the line is quiet (the rest of an earlier reply may
    // still be coming), then purge.
    bool Settle = false;
};

class TSXComponent : public QObject {
    Q_OBJECT
public:
    explicit TSXComponent(QObject* owner = nullptr);
    ~TSXComponent() override;

    TSXComm* SXComm() const { return m_port; }
    void setSXComm(TSXComm* port);

protected:
    virtual void unboundFrom(TSXComm*) { }

private:
    TSXComm* m_port = nullptr;
};

class TSXProtocolComponent : public TSXComponent {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TSXProtocolComponent* sender)>;
    using CommResultEvent = std::function<void(TSXProtocolComponent* sender, const QByteArray& result)>;
    using CommErrorEvent = std::function<void(TSXProtocolComponent* sender, const TCommError& error,
                                              const QByteArray& result)>;

    explicit TSXProtocolComponent(QObject* owner = nullptr);
    ~TSXProtocolComponent() override;

    bool Cyclic() const { return m_cyclic; }
    void setCyclic(bool on);
    int TimeoutTime() const { return m_timeoutTime; }
    void setTimeoutTime(int ms) { m_timeoutTime = ms; }

    void setFrameByte(int position, uint8_t value);
    uint8_t frameByte(int position) const;
    const TFrame& frame() const { return m_frame; }

    virtual void Send();
    // For the next Send only (see TCommRequest).
    void setNextPauseEnds(bool on) { m_nextPauseEnds = on; }
    void setNextSettle(bool on) { m_nextSettle = on; }
    // Called on the user-interface thread by the worker: once per finished exchange
    // with the outcome and the exchange buffer (byte 0 = bytes to take from byte 0 on).
    virtual void Complete(const TCommError& error, const uint8_t* buffer);
    // One received block (byte 0 = count including itself) while the reply comes in.
    virtual void DataReceived(const uint8_t* block, const uint8_t* requestFrame, bool& restartFlag);
    virtual ProtocolKind protocolKind() const { return ProtocolKind::None; }
    // How the worker frames a line reply: start and stop character (0: none) and
    // whether they stay out of the stream. Only a line protocol has them.
    struct LineFraming {
        uint8_t start = 0;
        uint8_t stop = 0;
        bool filtered = false;
        // End the reply at its line end (CR LF or LF CR) once it holds its echo,
        // instead of waiting for the pause.
        bool lineEnd = false;
    };
    virtual LineFraming lineFraming() const { return {}; }

    const QByteArray& resultStream() const { return m_result; }
    // The frame of the exchange now running, or that ran last: the request the
    // result stream answers (the slot's frame may already hold the next one).
    const TFrame& exchangeFrame() const { return m_exchangeFrame; }
    bool hasExchanged() const { return m_exchanged; }
    const TCommError& lastReportedError() const { return m_lastReported; }
    // Wait before a failed cyclic request is sent again (0: none). Grows from
    // FirstBackoffMs, doubling, to MaxBackoffMs while failures go on.
    int backoffMs() const { return m_backoffMs; }
    static constexpr int FirstBackoffMs = 100;
    static constexpr int MaxBackoffMs = 1000;
    TCommRequest* request() { return &m_request; }

    NotifyEvent OnActivate;
    NotifyEvent OnDeactivate;
    CommResultEvent OnCommResult;
    CommErrorEvent OnCommError;

protected:
    friend class TSXComm;
    void unboundFrom(TSXComm* port) override;
    bool portOpen() const;
    // The exchange of this component found the line lost.
    void reportLost(const TCommError& error);

    TFrame m_frame{};
    QByteArray m_result;

private:
    TFrame m_exchangeFrame{};
    bool m_exchanged = false;
    bool m_cyclic = false;
    int m_timeoutTime = 0;
    bool m_nextPauseEnds = false;
    bool m_nextSettle = false;
    TCommError m_current;
    TCommError m_lastReported;
    TCommRequest m_request;
    bool m_destroying = false;
    bool m_refusing = false;
    int m_backoffMs = 0;
    QTimer* m_backoff = nullptr;
};

class TSXComm : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TSXComm* sender)>;

    explicit TSXComm(QObject* owner = nullptr);
    ~TSXComm() override;

    bool Active() const { return m_active; }
    void setActive(bool on);
    // The line was lost while open: the port is closed, and requests are refused
    // with LostError() until Open succeeds or Close gives up on it.
    bool Lost() const { return m_lost; }
    const TCommError& LostError() const { return m_lostError; }

    TBaudrate Baudrate() const { return m_baudrate; }
    void setBaudrate(TBaudrate value);
    TDataBit FrameDatabits() const { return m_databits; }
    void setFrameDatabits(TDataBit value);
    TParityBit FrameParitybit() const { return m_parity; }
    void setFrameParitybit(TParityBit value);
    TStopBit FrameStopbits() const { return m_stopbits; }
    void setFrameStopbits(TStopBit value);

    TPort PortName() const { return m_portName; }
    void setPortName(TPort value);
    TPortAddr PortAddress() const { return m_portAddress; }
    void setPortAddress(TPortAddr value);
    TPortType PortType() const { return m_portType; }
    void setPortType(TPortType value);
    THardware Hardware() const { return m_hardware; }
    void setHardware(THardware value);
    TTransmitDriver TransmitDriver() const { return m_transmit; }
    void setTransmitDriver(TTransmitDriver value);
    TReceiveDriver ReceiveDriver() const { return m_receive; }
    void setReceiveDriver(TReceiveDriver value);

    // For stored integers (settings file): a value outside the enumeration becomes
    // the property's default.
    void setBaudrateIndex(int i);
    void setFrameDatabitsIndex(int i);
    void setFrameParitybitIndex(int i);
    void setFrameStopbitsIndex(int i);
    void setPortNameIndex(int i);
    void setPortAddressIndex(int i);
    void setPortTypeIndex(int i);
    void setHardwareIndex(int i);
    void setTransmitDriverIndex(int i);
    void setReceiveDriverIndex(int i);

    NotifyEvent OnActivate;
    NotifyEvent OnDeactivate;
    // Fired once when the line is lost (instead of OnDeactivate).
    NotifyEvent OnLineLost;
    // Fired once when replies that end at their line end gave trouble too often;
    // from then on every reply ends at the pause again, until resetFastReplies().
    NotifyEvent OnFastRepliesOff;
    bool FastRepliesOff() const { return m_fastOff; }
    void resetFastReplies() { m_fastOff = false; }

    // Copies the settings of another port; does nothing while this one is open.
    void Assign(const TSXComm& source);
    void Open();
    void Close();

    // Queue of protocol requests (user-interface thread only).
    int QueueRequest(TCommRequest* request);
    void RequestDone();
    int queuedRequests() const { return static_cast<int>(m_queue.size()); }
    bool requestInProgress(const TCommRequest* request) const
    {
        return !m_queue.empty() && m_queue.front() == request;
    }

    QString displayName() const { return portDisplayName(m_portName); }
    std::string devicePath() const;
    LineFrame lineFrame() const;
    const std::vector<TSXComponent*>& components() const { return m_components; }
    // Every exchange of this port, kept across Close and Open.
    TrafficBuffer& traffic() const { return *m_traffic; }
    std::shared_ptr<TrafficBuffer> trafficBuffer() const { return m_traffic; }

private:
    friend class TSXComponent;
    friend class TSXProtocolComponent;
    friend class TSXCommThread;

    void refuseWhileActive(const char* reason) const;
    // Stops polling, the queue and the worker, and closes the line.
    void shutDown();
    // Worker hand-over: the exchange of `reporter` found the device gone (null:
    // it went right after a reply; the next request waiting hears of it).
    void lineLost(TSXProtocolComponent* reporter, const TCommError& error);
    // Worker hand-over: fast replies gave trouble too often in a row.
    void fastRepliesFailed();
    void startHead();
    void applyFrame();
    void bind(TSXComponent* c);
    void unbind(TSXComponent* c);
    // A component goes away or is unbound: its request must never start or complete.
    void dropRequest(TCommRequest* request);
    // Worker threads whose Close came from inside one of their own hand-overs.
    void reapRetired();
    void waitForThread(TSXCommThread* thread);
    bool inHandOver(const TSXCommThread* thread) const;

    bool m_active = false;
    bool m_lost = false;
    bool m_fastOff = false;
    TCommError m_lostError;
    bool m_lineBackToNote = false; // the next opening is the line coming back
    TBaudrate m_baudrate = TBaudrate::br9600;
    TDataBit m_databits = TDataBit::db_8;
    TParityBit m_parity = TParityBit::Even;
    TStopBit m_stopbits = TStopBit::sb_1;
    TPort m_portName = TPort::COM1;
    TPortAddr m_portAddress = TPortAddr::pa_03F8;
    TPortType m_portType = TPortType::RS232C;
    THardware m_hardware = THardware::Standard;
    TTransmitDriver m_transmit = TTransmitDriver::tdNone;
    TReceiveDriver m_receive = TReceiveDriver::rdNone;

    bool m_destroying = false;
    std::shared_ptr<SerialLine> m_line;
    std::unique_ptr<TSXCommThread> m_thread;
    std::vector<std::unique_ptr<TSXCommThread>> m_retired;
    bool m_reapScheduled = false;
    // Threads whose hand-over runs now. Shared with the threads, so a port deleted from
    // inside a handler leaves them something valid to step out of.
    std::shared_ptr<std::vector<const TSXCommThread*>> m_handOvers =
        std::make_shared<std::vector<const TSXCommThread*>>();
    std::vector<TSXComponent*> m_components;
    std::deque<TCommRequest*> m_queue;
    // Shared with the worker, which may outlive the port when detached.
    std::shared_ptr<TrafficBuffer> m_traffic = std::make_shared<TrafficBuffer>();
};

} // namespace vx
