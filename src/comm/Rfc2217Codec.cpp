#include "comm/Rfc2217Codec.h"

#include <algorithm>

namespace vx::rfc2217 {

void TelnetParser::feed(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<Event>& events)
{
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        switch (m_state) {
        case State::Data:
            if (b == IAC)
                m_state = State::Iac;
            else
                data.push_back(b);
            break;
        case State::Iac:
            if (b == IAC) {
                data.push_back(IAC);
                m_state = State::Data;
            } else if (b >= WILL && b <= DONT) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == SB) {
                m_state = State::SubOption;
            } else {
                // NOP, GA, a stray SE and the like carry nothing for a serial line.
                m_state = State::Data;
            }
            break;
        case State::Verb:
            events.push_back({Event::Kind::Command, m_verb, b, {}});
            m_state = State::Data;
            break;
        case State::SubOption:
            m_sub = {Event::Kind::Sub, 0, b, {}};
            m_state = State::Sub;
            break;
        case State::Sub:
            if (b == IAC)
                m_state = State::SubIac;
            else if (m_sub.payload.size() < 256)
                m_sub.payload.push_back(b);
            break;
        case State::SubIac:
            if (b == SE) {
                events.push_back(std::move(m_sub));
                m_sub = {Event::Kind::Sub, 0, 0, {}};
                m_state = State::Data;
            } else {
                // IAC IAC is a doubled 255; anything else is a broken peer: keep the byte.
                if (m_sub.payload.size() < 256)
                    m_sub.payload.push_back(b);
                m_state = State::Sub;
            }
            break;
        }
    }
}

std::vector<uint8_t> escapeData(const uint8_t* data, size_t count)
{
    std::vector<uint8_t> out;
    out.reserve(count + 4);
    for (size_t i = 0; i < count; ++i) {
        out.push_back(data[i]);
        if (data[i] == IAC)
            out.push_back(IAC);
    }
    return out;
}

std::vector<uint8_t> comPortSub(uint8_t command, const std::vector<uint8_t>& value)
{
    std::vector<uint8_t> out{IAC, SB, OptComPort, command};
    const auto escaped = escapeData(value.data(), value.size());
    out.insert(out.end(), escaped.begin(), escaped.end());
    out.push_back(IAC);
    out.push_back(SE);
    return out;
}

std::vector<uint8_t> baudValue(int baud)
{
    const auto b = static_cast<uint32_t>(baud);
    return {uint8_t(b >> 24), uint8_t(b >> 16), uint8_t(b >> 8), uint8_t(b)};
}

uint8_t parityValue(char parity)
{
    return parity == 'O' ? 2 : parity == 'E' ? 3
                                             : 1;
}

uint8_t stopValue(int stopBits)
{
    return stopBits == 2 ? 2 : 1;
}

const char* settingName(uint8_t command)
{
    switch (command) {
    case SetBaudrate: return "baud rate";
    case SetDatasize: return "data bits";
    case SetParity: return "parity";
    case SetStopsize: return "stop bits";
    default: return "setting";
    }
}

namespace {

std::string valueText(uint8_t command, const std::vector<uint8_t>& v)
{
    switch (command) {
    case SetBaudrate:
        if (v.size() == 4)
            return std::to_string((uint32_t(v[0]) << 24) | (uint32_t(v[1]) << 16) | (uint32_t(v[2]) << 8) | v[3]);
        break;
    case SetParity:
        if (v.size() == 1) {
            static const char* names[] = {"?", "none", "odd", "even", "mark", "space"};
            return v[0] < 6 ? names[v[0]] : std::to_string(v[0]);
        }
        break;
    case SetStopsize:
        if (v.size() == 1)
            return v[0] == 3 ? "1.5" : std::to_string(v[0]);
        break;
    default:
        if (v.size() == 1)
            return std::to_string(v[0]);
    }
    return "?";
}

bool wanted(uint8_t option)
{
    return option == OptBinary || option == OptSuppressGoAhead || option == OptComPort;
}

} // namespace

std::vector<uint8_t> Client::greeting()
{
    std::vector<uint8_t> out;
    for (uint8_t opt : {OptBinary, OptSuppressGoAhead, OptComPort}) {
        out.insert(out.end(), {IAC, WILL, opt});
        m_willSent[opt] = true;
    }
    for (uint8_t opt : {OptBinary, OptSuppressGoAhead}) {
        out.insert(out.end(), {IAC, DO, opt});
        m_doSent[opt] = true;
    }
    return out;
}

std::vector<uint8_t> Client::setFrame(const LineFrame& frame)
{
    std::vector<uint8_t> out;
    auto add = [&](uint8_t command, std::vector<uint8_t> value) {
        const auto sub = comPortSub(command, value);
        out.insert(out.end(), sub.begin(), sub.end());
        // A newer value of the same setting replaces the one still waiting.
        std::erase_if(m_pending, [&](const Pending& p) { return p.command == command; });
        m_pending.push_back({command, std::move(value)});
    };
    if (!m_sent || frame.baud != m_frame.baud)
        add(SetBaudrate, baudValue(frame.baud));
    if (!m_sent || frame.dataBits != m_frame.dataBits)
        add(SetDatasize, {uint8_t(frame.dataBits)});
    if (!m_sent || frame.parity != m_frame.parity)
        add(SetParity, {parityValue(frame.parity)});
    if (!m_sent || frame.stopBits != m_frame.stopBits)
        add(SetStopsize, {stopValue(frame.stopBits)});
    m_sent = true;
    m_frame = frame;
    return out;
}

std::vector<uint8_t> Client::purge() const
{
    return comPortSub(PurgeData, {3});
}

void Client::receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<uint8_t>& reply)
{
    std::vector<TelnetParser::Event> events;
    m_parser.feed(bytes, count, data, events);
    for (const auto& e : events) {
        if (e.kind == TelnetParser::Event::Kind::Command)
            onCommand(e.verb, e.option, reply);
        else if (e.option == OptComPort)
            onSub(e.payload);
    }
}

void Client::onCommand(uint8_t verb, uint8_t option, std::vector<uint8_t>& reply)
{
    // Answer only what changes our side, so two peers never echo each other forever.
    switch (verb) {
    case DO:
        if (wanted(option)) {
            if (!m_willSent[option])
                reply.insert(reply.end(), {IAC, WILL, option});
            m_willSent[option] = true;
        } else {
            reply.insert(reply.end(), {IAC, WONT, option});
        }
        break;
    case DONT:
        if (option == OptComPort) {
            m_comPortRefused = true;
            m_pending.clear();
            m_error = "the device server does not take line settings (no RFC 2217)";
        }
        if (m_willSent[option]) {
            reply.insert(reply.end(), {IAC, WONT, option});
            m_willSent[option] = false;
        }
        break;
    case WILL:
        if (option == OptBinary || option == OptSuppressGoAhead) {
            if (!m_doSent[option])
                reply.insert(reply.end(), {IAC, DO, option});
            m_doSent[option] = true;
        } else if (option != OptComPort) {
            // The server's echo or line mode would change the bytes; COM-PORT-OPTION
            // from the server side is only its notice that it speaks it.
            reply.insert(reply.end(), {IAC, DONT, option});
        }
        break;
    case WONT:
        if (m_doSent[option]) {
            reply.insert(reply.end(), {IAC, DONT, option});
            m_doSent[option] = false;
        }
        break;
    default:
        break;
    }
}

void Client::onSub(const std::vector<uint8_t>& payload)
{
    if (payload.empty())
        return;
    const uint8_t command = payload[0];
    const std::vector<uint8_t> value(payload.begin() + 1, payload.end());
    if (command == NotifyLinestate + ServerOffset) {
        if (value.size() == 1) {
            const uint8_t s = value[0];
            if (s & LsOverrun) m_lineErrors |= CE_OVERRUN;
            if (s & LsParity) m_lineErrors |= CE_RXPARITY;
            if (s & LsFraming) m_lineErrors |= CE_FRAME;
            if (s & LsBreak) m_lineErrors |= CE_BREAK;
        }
        return;
    }
    if (command < ServerOffset)
        return;
    const uint8_t asked = command - ServerOffset;
    const auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending& p) { return p.command == asked; });
    if (it == m_pending.end())
        return;
    if (value != it->value && m_error.empty())
        m_error = std::string("the device server refused ") + settingName(asked) + " " + valueText(asked, it->value)
                  + " (it answered " + valueText(asked, value) + ")";
    m_pending.erase(it);
}

uint32_t Client::takeLineErrors()
{
    const uint32_t e = m_lineErrors;
    m_lineErrors = 0;
    return e;
}

// ---------------------------------------------------------------------------

std::vector<uint8_t> Server::greeting() const
{
    return {IAC, WILL, OptBinary, IAC, DO, OptBinary, IAC, WILL, OptSuppressGoAhead, IAC, DO, OptSuppressGoAhead, IAC, DO, OptComPort};
}

void Server::receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<uint8_t>& reply)
{
    std::vector<TelnetParser::Event> events;
    m_parser.feed(bytes, count, data, events);
    for (const auto& e : events) {
        if (e.kind == TelnetParser::Event::Kind::Command) {
            // The greeting already asked for what we want; refuse anything else once.
            if (e.verb == WILL && !wanted(e.option))
                reply.insert(reply.end(), {IAC, DONT, e.option});
            else if (e.verb == DO && !wanted(e.option))
                reply.insert(reply.end(), {IAC, WONT, e.option});
            continue;
        }
        if (e.option != OptComPort || e.payload.empty())
            continue;
        const uint8_t command = e.payload[0];
        const std::vector<uint8_t> v(e.payload.begin() + 1, e.payload.end());
        std::vector<uint8_t> answer;
        switch (command) {
        case SetBaudrate:
            if (v.size() == 4) {
                const int baud = int((uint32_t(v[0]) << 24) | (uint32_t(v[1]) << 16) | (uint32_t(v[2]) << 8) | v[3]);
                if (baud > 0)
                    m_frame.baud = baud;
            }
            answer = baudValue(m_frame.baud);
            break;
        case SetDatasize:
            if (v.size() == 1 && (v[0] == 7 || v[0] == 8))
                m_frame.dataBits = v[0];
            answer = {uint8_t(m_frame.dataBits)};
            break;
        case SetParity:
            if (v.size() == 1 && v[0] >= 1 && v[0] <= 3)
                m_frame.parity = v[0] == 2 ? 'O' : v[0] == 3 ? 'E'
                                                             : 'N';
            answer = {parityValue(m_frame.parity)};
            break;
        case SetStopsize:
            if (v.size() == 1 && (v[0] == 1 || v[0] == 2))
                m_frame.stopBits = v[0];
            answer = {stopValue(m_frame.stopBits)};
            break;
        case PurgeData:
            if (v.size() == 1 && (v[0] == 1 || v[0] == 3))
                m_purge = true;
            answer = v;
            break;
        default:
            answer = v;
            break;
        }
        const auto sub = comPortSub(uint8_t(command + ServerOffset), answer);
        reply.insert(reply.end(), sub.begin(), sub.end());
    }
}

bool Server::takePurge()
{
    const bool p = m_purge;
    m_purge = false;
    return p;
}

} // namespace vx::rfc2217
