#include "comm/SXComm.h"
#include "comm/SXCommThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <utility>

namespace vx {

// ---------------------------------------------------------------------------
// Names and device paths

int baudrateValue(TBaudrate b)
{
    static constexpr int values[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
    const int i = static_cast<int>(b);
    return i >= 0 && i < 9 ? values[i] : 9600;
}

QString portDisplayName(TPort p)
{
    return QStringLiteral("COM %1").arg(static_cast<int>(p) + 1);
}

QString portAddressText(TPortAddr a)
{
    static const char* const texts[] = {"03F8h", "02F8h", "03E8h", "02E8h"};
    const int i = static_cast<int>(a);
    return QString::fromLatin1(i >= 0 && i < 4 ? texts[i] : texts[0]);
}

namespace {

std::mutex& pathMutex()
{
    static std::mutex m;
    return m;
}

std::array<std::string, 16>& pathTable()
{
    static std::array<std::string, 16> table;
    return table;
}

std::string defaultPath(int comNumber)
{
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

template <class E>
E clampEnum(int i, int count, E def)
{
    return i >= 0 && i < count ? static_cast<E>(i) : def;
}

} // namespace

void setPortDevicePath(int comNumber, const std::string& path)
{
    if (comNumber < 1 || comNumber > 16)
        return;
    std::lock_guard lock(pathMutex());
    pathTable()[comNumber - 1] = path;
}

std::string portDevicePath(int comNumber)
{
    if (comNumber < 1 || comNumber > 16)
        return {};
    std::lock_guard lock(pathMutex());
    const std::string& p = pathTable()[comNumber - 1];
    return p.empty() ? defaultPath(comNumber) : p;
}

void setAllPortDevicePaths(const std::string& path)
{
    std::lock_guard lock(pathMutex());
    for (auto& p : pathTable())
        p = path;
}

void resetPortDevicePaths()
{
    std::lock_guard lock(pathMutex());
    for (auto& p : pathTable())
        p.clear();
}

// ---------------------------------------------------------------------------
// TSXComm

TSXComm::TSXComm(QObject* owner) : QObject(owner) { }

TSXComm::~TSXComm()
{
    m_destroying = true;
    try {
        Close();
    } catch (const EComm&) {
    }
    while (!m_components.empty())
        m_components.back()->setSXComm(nullptr);
    // Waiting runs posted events, and a reap among them may change the list: work on
    // a list of our own until none is left.
    while (!m_retired.empty()) {
        auto retired = std::move(m_retired);
        m_retired.clear();
        for (auto& t : retired) {
            if (inHandOver(t.get())) {
                // Deleted from inside one of this thread's own handlers: it can only end
                // after we are gone. It is terminated, touches nothing of ours any more
                // and frees itself when it ends.
                t.release()->orphan();
            } else {
                waitForThread(t.get());
            }
        }
    }
}

void TSXComm::setActive(bool on)
{
    if (on == m_active)
        return;
    if (on)
        Open();
    else
        Close();
}

std::string TSXComm::devicePath() const
{
    return portDevicePath(static_cast<int>(m_portName) + 1);
}

LineFrame TSXComm::lineFrame() const
{
    LineFrame f;
    f.baud = baudrateValue(m_baudrate);
    f.dataBits = m_databits == TDataBit::db_7 ? 7 : 8;
    f.parity = m_parity == TParityBit::Even ? 'E' : m_parity == TParityBit::Odd ? 'O'
                                                                                : 'N';
    f.stopBits = m_stopbits == TStopBit::sb_2 ? 2 : 1;
    return f;
}

void TSXComm::applyFrame()
{
    if (!m_active || !m_line)
        return;
    if (!m_line->setFrame(lineFrame())) {
        const std::string own = m_line->ownErrorText();
        throw ECommInitError(own.empty() ? SerialLine::systemMessage(m_line->lastError()) : own);
    }
}

void TSXComm::refuseWhileActive(const char* reason) const
{
    if (m_active)
        throw ECommInitError((displayName() + QStringLiteral(" is active!\r\n\r\n")).toStdString() + reason);
}

void TSXComm::setBaudrate(TBaudrate value)
{
    m_baudrate = clampEnum(static_cast<int>(value), 9, TBaudrate::br9600);
    applyFrame();
}

void TSXComm::setFrameDatabits(TDataBit value)
{
    m_databits = clampEnum(static_cast<int>(value), 2, TDataBit::db_8);
    applyFrame();
}

void TSXComm::setFrameParitybit(TParityBit value)
{
    m_parity = clampEnum(static_cast<int>(value), 3, TParityBit::Even);
    applyFrame();
}

void TSXComm::setFrameStopbits(TStopBit value)
{
    m_stopbits = clampEnum(static_cast<int>(value), 2, TStopBit::sb_1);
    applyFrame();
}

void TSXComm::setPortName(TPort value)
{
    refuseWhileActive("Cannot change port");
    const TPort old = m_portName;
    m_portName = clampEnum(static_cast<int>(value), 16, TPort::COM1);
    const int i = static_cast<int>(m_portName);
    // Only a new port name moves the address (a stored address survives the settings
    // file naming the same port); only the first four ports have a classic address.
    if (m_portName != old && i < 4)
        setPortAddress(static_cast<TPortAddr>(i));
}

void TSXComm::setPortAddress(TPortAddr value)
{
    refuseWhileActive("Cannot change the port address");
    m_portAddress = clampEnum(static_cast<int>(value), 4, TPortAddr::pa_03F8);
}

void TSXComm::setPortType(TPortType value)
{
    refuseWhileActive("Cannot change the port type");
    m_portType = clampEnum(static_cast<int>(value), 3, TPortType::RS232C);
    switch (m_hardware) {
    case THardware::Standard:
    case THardware::PhoenixPSM:
        if (m_portType != TPortType::RS232C)
            m_hardware = THardware::UserDefined;
        break;
    case THardware::PCLabPCL745:
        if (m_portType == TPortType::RS232C)
            m_hardware = THardware::UserDefined;
        break;
    case THardware::UserDefined:
        break;
    }
}

void TSXComm::setHardware(THardware value)
{
    refuseWhileActive("Cannot change port hardware");
    m_hardware = clampEnum(static_cast<int>(value), 4, THardware::Standard);
    switch (m_hardware) {
    case THardware::Standard:
        if (m_portType != TPortType::RS232C)
            setPortType(TPortType::RS232C);
        setTransmitDriver(TTransmitDriver::tdNone);
        setReceiveDriver(TReceiveDriver::rdNone);
        break;
    case THardware::PCLabPCL745:
        if (m_portType == TPortType::RS232C)
            setPortType(TPortType::RS485);
        setTransmitDriver(TTransmitDriver::tdRegister7to1);
        setReceiveDriver(TReceiveDriver::rdRegister7to2);
        break;
    case THardware::PhoenixPSM:
        if (m_portType != TPortType::RS232C)
            setPortType(TPortType::RS232C);
        setTransmitDriver(TTransmitDriver::tdDTRto0);
        setReceiveDriver(TReceiveDriver::rdNone);
        break;
    case THardware::UserDefined:
        break;
    }
}

void TSXComm::setTransmitDriver(TTransmitDriver value)
{
    refuseWhileActive("Cannot change device driver");
    m_transmit = clampEnum(static_cast<int>(value), 4, TTransmitDriver::tdNone);
    TTransmitDriver needed;
    switch (m_hardware) {
    case THardware::Standard: needed = TTransmitDriver::tdNone; break;
    case THardware::PCLabPCL745: needed = TTransmitDriver::tdRegister7to1; break;
    case THardware::PhoenixPSM: needed = TTransmitDriver::tdDTRto0; break;
    default: return;
    }
    if (m_transmit != needed)
        m_hardware = THardware::UserDefined;
}

void TSXComm::setReceiveDriver(TReceiveDriver value)
{
    refuseWhileActive("Cannot change device driver");
    m_receive = clampEnum(static_cast<int>(value), 2, TReceiveDriver::rdNone);
    TReceiveDriver needed;
    switch (m_hardware) {
    case THardware::Standard:
    case THardware::PhoenixPSM: needed = TReceiveDriver::rdNone; break;
    case THardware::PCLabPCL745: needed = TReceiveDriver::rdRegister7to2; break;
    default: return;
    }
    if (m_receive != needed)
        m_hardware = THardware::UserDefined;
}

void TSXComm::setBaudrateIndex(int i) { setBaudrate(clampEnum(i, 9, TBaudrate::br9600)); }
void TSXComm::setFrameDatabitsIndex(int i) { setFrameDatabits(clampEnum(i, 2, TDataBit::db_8)); }
void TSXComm::setFrameParitybitIndex(int i) { setFrameParitybit(clampEnum(i, 3, TParityBit::Even)); }
void TSXComm::setFrameStopbitsIndex(int i) { setFrameStopbits(clampEnum(i, 2, TStopBit::sb_1)); }
void TSXComm::setPortNameIndex(int i) { setPortName(clampEnum(i, 16, TPort::COM1)); }
void TSXComm::setPortAddressIndex(int i) { setPortAddress(clampEnum(i, 4, TPortAddr::pa_03F8)); }
void TSXComm::setPortTypeIndex(int i) { setPortType(clampEnum(i, 3, TPortType::RS232C)); }
void TSXComm::setHardwareIndex(int i) { setHardware(clampEnum(i, 4, THardware::Standard)); }
void TSXComm::setTransmitDriverIndex(int i) { setTransmitDriver(clampEnum(i, 4, TTransmitDriver::tdNone)); }
void TSXComm::setReceiveDriverIndex(int i) { setReceiveDriver(clampEnum(i, 2, TReceiveDriver::rdNone)); }

void TSXComm::Assign(const TSXComm& source)
{
    if (m_active || &source == this)
        return;
    setPortName(source.m_portName);
    setPortAddress(source.m_portAddress);
    setBaudrate(source.m_baudrate);
    setFrameDatabits(source.m_databits);
    setFrameParitybit(source.m_parity);
    setFrameStopbits(source.m_stopbits);
    setHardware(source.m_hardware);
    setPortType(source.m_portType);
    setReceiveDriver(source.m_receive);
    setTransmitDriver(source.m_transmit);
}

void TSXComm::Open()
{
    if (m_active)
        return;
    std::shared_ptr<SerialLine> line(createSerialLine(devicePath()));
    if (!line->open(devicePath())) {
        const std::string own = line->ownErrorText();
        throw ECommHandleError(own.empty() ? openErrorText(devicePath(), line->lastError()) : own);
    }
    m_line = std::move(line);
    m_active = true;
    m_lost = false;
    m_lostError = {};
    try {
        applyFrame();
        m_thread = std::make_unique<TSXCommThread>(this, m_line);
    } catch (...) {
        Close();
        throw;
    }
    if (std::exchange(m_lineBackToNote, false)) m_traffic->note(m_traffic->sourceId(QStringLiteral("Connection")), TrafficOutcome::Reconnected, "line back: " + devicePath());
    if (OnActivate && !m_destroying)
        OnActivate(this);
}

bool TSXComm::inHandOver(const TSXCommThread* thread) const
{
    return std::find(m_handOvers->begin(), m_handOvers->end(), thread) != m_handOvers->end();
}

void TSXComm::waitForThread(TSXCommThread* thread)
{
    // The worker may sit in a blocking hand-over to this thread; run those (they do
    // nothing once the worker is terminated) until it has left its loop.
    while (!thread->waitFinished(2))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    thread->join();
}

void TSXComm::reapRetired()
{
    m_reapScheduled = false;
    // A reap nested in waitForThread's posted events must not see threads this one
    // is about to free.
    auto retired = std::move(m_retired);
    m_retired.clear();
    std::vector<std::unique_ptr<TSXCommThread>> busy;
    for (auto& t : retired) {
        if (inHandOver(t.get()))
            busy.push_back(std::move(t));
        else
            waitForThread(t.get());
    }
    for (auto& t : busy)
        m_retired.push_back(std::move(t));
    if (!m_retired.empty() && !m_reapScheduled) {
        // Still inside a handler (e.g. a modal dialog runs its own loop); look again.
        m_reapScheduled = true;
        QTimer::singleShot(10, this, [this] { reapRetired(); });
    }
}

void TSXComm::Close()
{
    if (!m_active) {
        // Giving up on a lost line: from now on the port is simply closed.
        if (m_lost) {
            m_lost = false;
            m_lostError = {};
            if (OnDeactivate && !m_destroying)
                OnDeactivate(this);
        }
        return;
    }
    shutDown();
    if (OnDeactivate && !m_destroying)
        OnDeactivate(this);
}

void TSXComm::shutDown()
{
    m_active = false;
    for (TSXComponent* c : std::vector<TSXComponent*>(m_components)) {
        if (auto* p = qobject_cast<TSXProtocolComponent*>(c))
            p->setCyclic(false);
    }
    m_queue.clear();
    if (m_thread) {
        m_thread->Terminate();
        m_thread->StartRequest(nullptr);
    }
    // Closing the line also ends a read the worker is waiting in.
    if (m_line)
        m_line->close();
    if (m_thread) {
        if (inHandOver(m_thread.get())) {
            // Close came from a handler the worker is waiting on: it can only finish
            // after we return, so join it later.
            m_retired.push_back(std::move(m_thread));
            if (!m_reapScheduled) {
                m_reapScheduled = true;
                QTimer::singleShot(0, this, [this] { reapRetired(); });
            }
        } else {
            waitForThread(m_thread.get());
            m_thread.reset();
        }
    }
    m_line.reset();
}

void TSXComm::fastRepliesFailed()
{
    if (m_fastOff)
        return;
    m_fastOff = true;
    if (OnFastRepliesOff)
        OnFastRepliesOff(this);
}

void TSXComm::lineLost(TSXProtocolComponent* reporter, const TCommError& error)
{
    if (!m_active)
        return;
    // The descriptor goes at once: a USB adapter that comes back gets its old name
    // only when nobody holds the vanished one open.
    if (!reporter && m_queue.size() > 1 && m_queue[1] && m_queue[1]->Sender) {
        // The request that would have gone out next; the failure answers it.
        reporter = m_queue[1]->Sender;
        reporter->m_exchangeFrame = m_queue[1]->Frame;
        reporter->m_exchanged = true;
    }
    QPointer<TSXProtocolComponent> guard(reporter);
    shutDown();
    m_lost = true;
    m_lostError = error;
    // The exchange that found it ends without a record of its own.
    m_traffic->note(m_traffic->sourceId(QStringLiteral("Connection")), TrafficOutcome::Lost,
                    "line lost: " + devicePath());
    m_lineBackToNote = true;
    if (OnLineLost && !m_destroying)
        OnLineLost(this);
    if (guard)
        guard->reportLost(error);
}

int TSXComm::QueueRequest(TCommRequest* request)
{
    if (!m_active || !request)
        return -1;
    // A slot that is still waiting is sent once, with its newest frame; queueing it a
    // second time would send the same request twice.
    for (size_t i = 1; i < m_queue.size(); ++i) {
        if (m_queue[i] == request)
            return static_cast<int>(i);
    }
    m_queue.push_back(request);
    const int index = static_cast<int>(m_queue.size()) - 1;
    if (index == 0)
        startHead();
    return index;
}

void TSXComm::startHead()
{
    if (!m_thread || m_queue.empty())
        return;
    // The stream starts empty for each exchange; see TSXProtocolComponent::Send.
    if (TSXProtocolComponent* sender = m_queue.front()->Sender) {
        sender->m_result.clear();
        sender->m_exchangeFrame = m_queue.front()->Frame;
        sender->m_exchanged = true;
    }
    m_thread->StartRequest(m_queue.front());
}

void TSXComm::RequestDone()
{
    if (!m_queue.empty())
        m_queue.pop_front();
    while (!m_queue.empty() && m_queue.front() == nullptr)
        m_queue.pop_front();
    if (m_active)
        startHead();
}

void TSXComm::dropRequest(TCommRequest* request)
{
    if (m_queue.empty())
        return;
    if (m_queue.front() == request) {
        // In progress: keep the place so RequestDone still moves the queue on.
        m_queue.front() = nullptr;
        if (m_thread)
            m_thread->forgetComponent(request->Sender);
    }
    m_queue.erase(std::remove(m_queue.begin() + 1, m_queue.end(), request), m_queue.end());
}

void TSXComm::bind(TSXComponent* c)
{
    if (std::find(m_components.begin(), m_components.end(), c) == m_components.end())
        m_components.push_back(c);
}

void TSXComm::unbind(TSXComponent* c)
{
    m_components.erase(std::remove(m_components.begin(), m_components.end(), c), m_components.end());
}

// ---------------------------------------------------------------------------
// TSXComponent

TSXComponent::TSXComponent(QObject* owner) : QObject(owner) { }

TSXComponent::~TSXComponent()
{
    if (m_port)
        m_port->unbind(this);
}

void TSXComponent::setSXComm(TSXComm* port)
{
    if (port == m_port)
        return;
    if (m_port) {
        unboundFrom(m_port);
        m_port->unbind(this);
    }
    m_port = port;
    if (m_port)
        m_port->bind(this);
}

// ---------------------------------------------------------------------------
// TSXProtocolComponent

TSXProtocolComponent::TSXProtocolComponent(QObject* owner) : TSXComponent(owner)
{
    m_backoff = new QTimer(this);
    m_backoff->setSingleShot(true);
    QObject::connect(m_backoff, &QTimer::timeout, this, [this] {
        if (m_cyclic)
            Send();
    });
}

TSXProtocolComponent::~TSXProtocolComponent()
{
    m_destroying = true;
    if (SXComm())
        SXComm()->dropRequest(&m_request);
}

void TSXProtocolComponent::unboundFrom(TSXComm* port)
{
    port->dropRequest(&m_request);
}

bool TSXProtocolComponent::portOpen() const
{
    return SXComm() && SXComm()->Active();
}

void TSXProtocolComponent::setFrameByte(int position, uint8_t value)
{
    if (position >= 0 && position < FrameSize)
        m_frame[position] = value;
}

uint8_t TSXProtocolComponent::frameByte(int position) const
{
    return position >= 0 && position < FrameSize ? m_frame[position] : 0;
}

void TSXProtocolComponent::setCyclic(bool on)
{
    m_backoff->stop();
    m_backoffMs = 0;
    if (portOpen()) {
        m_cyclic = on;
        if (on) {
            if (OnActivate && !m_destroying)
                OnActivate(this);
            Send();
        } else if (OnDeactivate && !m_destroying) {
            OnDeactivate(this);
        }
    } else {
        m_cyclic = false;
        if (OnDeactivate && !m_destroying)
            OnDeactivate(this);
    }
}

void TSXProtocolComponent::Send()
{
    if (!portOpen()) {
        // A lost line says so to every request; a handler that sends again from
        // its error event is refused without a second event.
        if (SXComm() && SXComm()->Lost() && !m_refusing && !m_destroying && OnCommError) {
            m_refusing = true;
            OnCommError(this, SXComm()->LostError(), QByteArray());
            m_refusing = false;
        }
        return;
    }
    // While our own exchange is running the stream is filling with its reply; clearing
    // it now would cut that reply short. The next exchange clears it when it starts.
    if (!SXComm()->requestInProgress(&m_request))
        m_result.clear();
    m_request.Sender = this;
    m_request.Frame = m_frame;
    m_request.TimeoutTime = m_timeoutTime;
    m_request.PauseEnds = std::exchange(m_nextPauseEnds, false);
    m_request.Settle = std::exchange(m_nextSettle, false);
    SXComm()->QueueRequest(&m_request);
}

void TSXProtocolComponent::DataReceived(const uint8_t*, const uint8_t*, bool& restartFlag)
{
    restartFlag = false;
}

void TSXProtocolComponent::Complete(const TCommError& error, const uint8_t* buffer)
{
    if (!portOpen() || m_destroying)
        return;
    m_current = error;
    const int count = buffer ? buffer[0] : 0;
    if (m_current.isZero()) {
        if (count > 0)
            m_result.append(reinterpret_cast<const char*>(buffer), count);
        if (OnCommResult)
            OnCommResult(this, m_result);
        // The handler may have closed the port.
        if (!portOpen())
            return;
    }
    if (!(m_current == m_lastReported)) {
        m_lastReported = m_current;
        m_result.clear();
        if (count > 0)
            m_result.append(reinterpret_cast<const char*>(buffer), count);
        if (OnCommError)
            OnCommError(this, m_current, m_result);
        if (!portOpen())
            return;
    }
    if (!m_cyclic) {
        m_lastReported = TCommError{};
        return;
    }
    if (m_current.isZero()) {
        m_backoffMs = 0;
        Send();
        return;
    }
    // A failing line is asked again, but ever more slowly: re-sending straight from
    // the failure would keep a core busy and flood the line.
    m_backoffMs = m_backoffMs == 0 ? FirstBackoffMs : std::min(2 * m_backoffMs, MaxBackoffMs);
    m_backoff->start(m_backoffMs);
}

void TSXProtocolComponent::reportLost(const TCommError& error)
{
    if (m_destroying)
        return;
    m_lastReported = TCommError{};
    m_result.clear();
    if (OnCommError)
        OnCommError(this, error, m_result);
}

} // namespace vx
