#include "sim/SimBus.h"

#include "sim/SimNoise.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace vx::sim {

// ---- helpers ------------------------------------------------------------

namespace {

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

bool commandMatches(const std::string& filter, const std::string& request)
{
    if (filter.empty())
        return true;
    if (request.size() < filter.size() || request.compare(0, filter.size(), filter) != 0)
        return false;
    return request.size() == filter.size() || request[filter.size()] == ' ';
}

// The controller's own line editing: drops line feeds, honours backspace.
std::string editLine(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        if (c == '\n' || c == '\r')
            continue;
        if (c == '\b' || c == '\x7f') {
            if (!out.empty())
                out.pop_back();
            continue;
        }
        out += c;
    }
    return out;
}

// What a unit makes of a request line sent at `port`: the text, or nothing when
// the characters arrived damaged.
std::optional<std::string> decodeAtUnit(const std::string& raw, const LineFrame& port, const SimUnit& unit)
{
    if (port == unit.frame)
        return unit.frame.dataBits == 7 ? [&] {
            std::string s = raw;
            for (char& c : s)
                c = char(c & 0x7f);
            return s;
        }()
                                        : raw;
    const std::vector<RxChar> rx = receive({backToBack(raw, port, 0)}, unit.frame);
    std::string s;
    for (const RxChar& c : rx) {
        if (c.flags != 0)
            return std::nullopt;
        const bool printable = c.value >= 0x20 && c.value < 0x7f;
        if (!printable && c.value != '\r' && c.value != '\n' && c.value != '\b' && c.value != 0x7f)
            return std::nullopt;
        s += char(c.value);
    }
    if (s.empty() || s.back() != '\r' || s.find('\r') != s.size() - 1)
        return std::nullopt;
    return s;
}

LineFrame effectivePortFrame(const PortView& view, const SimUnit& unit)
{
    if (view.exact)
        return view.frame;
    LineFrame f = unit.frame;
    f.baud = view.frame.baud;
    f.stopBits = view.frame.stopBits;
    return f;
}

std::optional<int64_t> selectTarget(const std::string& text)
{
    // "sc u" with one decimal argument
    if (text.size() < 4 || text.compare(0, 3, "sc ") != 0)
        return std::nullopt;
    const size_t b = text.find_first_not_of(' ', 3);
    if (b == std::string::npos)
        return std::nullopt;
    const size_t e = text.find_last_not_of(' ');
    const std::string num = text.substr(b, e - b + 1);
    int64_t v;
    if (num.find(' ') != std::string::npos || !parseIniInteger(num, v) || num[0] == '$'
        || num.find_first_of("xX") != std::string::npos)
        return std::nullopt;
    return v;
}

std::string spoilEcho(const std::string& reply, Fault::Echo how)
{
    if (reply.size() < 2)
        return reply + "?";
    std::string r = reply;
    switch (how) {
    case Fault::Echo::LeadingZero:
        if (r.size() > 3 && r[2] == ' ') {
            r.insert(3, "0");
            return r;
        }
        break;
    case Fault::Echo::TrailingBlank:
        return r + " ";
    case Fault::Echo::OtherArguments:
        // The first all-digit argument (a sign allowed) goes up by one, digit by
        // digit, so no value is too long for it.
        for (size_t b = r.find(' '); b != std::string::npos; b = r.find(' ', b)) {
            b = r.find_first_not_of(' ', b);
            if (b == std::string::npos)
                break;
            const size_t e = std::min(r.find(' ', b), r.size());
            const size_t d = b + (r[b] == '-' || r[b] == '+' ? 1 : 0);
            if (d == e || !std::all_of(r.begin() + ptrdiff_t(d), r.begin() + ptrdiff_t(e), [](char c) { return c >= '0' && c <= '9'; })) {
                b = e;
                continue;
            }
            size_t i = e;
            for (; i > d && r[i - 1] == '9'; --i)
                r[i - 1] = '0';
            if (i == d)
                r.insert(d, "1");
            else
                ++r[i - 1];
            return r;
        }
        break;
    case Fault::Echo::OtherLetters:
        break;
    }
    r[0] = r[0] == 'z' ? 'a' : char(r[0] + 1);
    return r;
}

} // namespace

// ---- bus ----------------------------------------------------------------

SimBus::SimBus() : m_epoch(Clock::now()) { }

void SimBus::setParamTable(const ParamTable& table)
{
    std::lock_guard lock(m_mutex);
    m_table = table;
}

ParamTable SimBus::paramTable() const
{
    std::lock_guard lock(m_mutex);
    return m_table;
}

bool SimBus::loadParameters(const std::string& path)
{
    ParamTable t = loadParamTable(path);
    const bool ok = t.loaded;
    setParamTable(t);
    return ok;
}

void SimBus::addUnit(const UnitConfig& config)
{
    std::lock_guard lock(m_mutex);
    auto u = std::make_unique<SimUnit>(config, m_table);
    u->selected = m_units.empty();
    m_units.push_back(std::move(u));
}

void SimBus::removeUnits()
{
    std::lock_guard lock(m_mutex);
    m_units.clear();
}

std::vector<int> SimBus::unitNumbers() const
{
    std::lock_guard lock(m_mutex);
    std::vector<int> v;
    for (const auto& u : m_units)
        v.push_back(u->number);
    return v;
}

SimUnit* SimBus::findUnit(int number)
{
    for (auto& u : m_units)
        if (u->number == number)
            return u.get();
    return nullptr;
}

const SimUnit* SimBus::findUnit(int number) const
{
    for (const auto& u : m_units)
        if (u->number == number)
            return u.get();
    return nullptr;
}

bool SimBus::hasUnit(int number) const
{
    std::lock_guard lock(m_mutex);
    return findUnit(number) != nullptr;
}

bool SimBus::withUnit(int number, const std::function<void(SimUnit&)>& f)
{
    std::lock_guard lock(m_mutex);
    SimUnit* u = findUnit(number);
    if (u)
        f(*u);
    return u != nullptr;
}

int32_t SimBus::parameter(int unit, int number) const
{
    std::lock_guard lock(m_mutex);
    const SimUnit* u = findUnit(unit);
    return u && number >= 0 && number < SimUnit::ParameterCount ? u->parameters[size_t(number)] : 0;
}

void SimBus::setParameter(int unit, int number, int32_t value)
{
    std::lock_guard lock(m_mutex);
    if (SimUnit* u = findUnit(unit); u && number >= 0 && number < SimUnit::ParameterCount)
        u->parameters[size_t(number)] = value;
}

int32_t SimBus::setpoint(int unit, int number) const
{
    std::lock_guard lock(m_mutex);
    const SimUnit* u = findUnit(unit);
    return u && number >= 1 && number <= SimUnit::SetpointCount ? u->setpoints[size_t(number)] : 0;
}

void SimBus::setSetpoint(int unit, int number, int32_t value)
{
    std::lock_guard lock(m_mutex);
    if (SimUnit* u = findUnit(unit); u && number >= 1 && number <= SimUnit::SetpointCount)
        u->setpoints[size_t(number)] = value;
}

void SimBus::raiseError(int unit, int error)
{
    std::lock_guard lock(m_mutex);
    if (SimUnit* u = findUnit(unit))
        u->errorNumber = error;
}

int SimBus::errorNumber(int unit) const
{
    std::lock_guard lock(m_mutex);
    const SimUnit* u = findUnit(unit);
    return u ? u->errorNumber : -1;
}

std::array<int32_t, 4> SimBus::calibration(int unit) const
{
    std::lock_guard lock(m_mutex);
    const SimUnit* u = findUnit(unit);
    return u ? u->calibration : std::array<int32_t, 4>{};
}

std::array<int32_t, 4> SimBus::calibrationEeprom(int unit) const
{
    std::lock_guard lock(m_mutex);
    const SimUnit* u = findUnit(unit);
    return u ? u->calibrationEeprom : std::array<int32_t, 4>{};
}

int SimBus::selectedUnit() const
{
    std::lock_guard lock(m_mutex);
    int found = -1;
    for (const auto& u : m_units) {
        if (!u->selected)
            continue;
        if (found >= 0)
            return -1;
        found = u->number;
    }
    return found;
}

void SimBus::setLatencyMs(double ms)
{
    std::lock_guard lock(m_mutex);
    // Out of range it would overflow the clock's durations.
    m_latencyMs = ms >= 0 && ms <= MaxLatencyMs ? ms : ms > MaxLatencyMs ? MaxLatencyMs
                                                                         : 0.0;
}

double SimBus::latencyMs() const
{
    std::lock_guard lock(m_mutex);
    return m_latencyMs;
}

int SimBus::addFault(const Fault& fault)
{
    std::lock_guard lock(m_mutex);
    m_faults.push_back({m_nextFaultId, fault});
    m_faults.back().rng.seed(fault.seed);
    return m_nextFaultId++;
}

void SimBus::removeFault(int id)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_faults, [id](const FaultSlot& s) { return s.id == id; });
}

void SimBus::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void SimBus::unplug()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_goneAt || *m_goneAt > Clock::now())
            m_goneAt = Clock::now();
    }
    wakeAll();
}

void SimBus::replug()
{
    std::lock_guard lock(m_mutex);
    if (m_goneAt) {
        m_goneAt.reset();
        ++m_plugGeneration;
    }
}

std::optional<Clock::time_point> SimBus::goneAt() const
{
    std::lock_guard lock(m_mutex);
    return m_goneAt;
}

uint64_t SimBus::plugGeneration() const
{
    std::lock_guard lock(m_mutex);
    return m_plugGeneration;
}

std::vector<LogEntry> SimBus::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::string> SimBus::requests() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> v;
    for (const LogEntry& e : m_log)
        v.push_back(e.request);
    return v;
}

size_t SimBus::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_logged;
}

void SimBus::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
    m_logged = 0;
}

void SimBus::setLogLimit(size_t entries)
{
    std::lock_guard lock(m_mutex);
    m_logLimit = std::max<size_t>(1, entries);
    if (m_log.size() > m_logLimit)
        m_log.erase(m_log.begin(), m_log.end() - ptrdiff_t(m_logLimit));
}

bool SimBus::waitForRequests(size_t count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_logChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_logged >= count; });
}

void SimBus::setLogObserver(std::function<void(const LogEntry&)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

void SimBus::reset()
{
    {
        std::lock_guard lock(m_mutex);
        m_units.clear();
        m_faults.clear();
        m_log.clear();
        m_logged = 0;
        m_latencyMs = 2.0;
        m_observer = nullptr;
        if (m_goneAt) {
            m_goneAt.reset();
            ++m_plugGeneration;
        }
    }
}

void SimBus::addWaker(void* owner, std::function<void()> wake)
{
    std::lock_guard lock(m_wakersMutex);
    m_wakers.emplace_back(owner, std::move(wake));
}

void SimBus::removeWaker(void* owner)
{
    std::lock_guard lock(m_wakersMutex);
    std::erase_if(m_wakers, [owner](const auto& w) { return w.first == owner; });
}

void SimBus::wakeAll()
{
    std::lock_guard lock(m_wakersMutex);
    for (auto& w : m_wakers)
        w.second();
}

std::vector<Fault> SimBus::matchFaults(const std::string& request, int replyingUnit)
{
    std::vector<Fault> fired;
    for (FaultSlot& s : m_faults) {
        const Fault& f = s.fault;
        if (!commandMatches(f.command, request))
            continue;
        if (f.unit >= 0 && f.unit != replyingUnit)
            continue;
        ++s.seen;
        if (f.kind == Fault::Kind::Random) {
            if (auto drawn = drawRandomFault(f, s.rng)) {
                ++s.fired;
                fired.push_back(std::move(*drawn));
            }
            continue;
        }
        const bool fire = f.nth > 0 ? s.seen == f.nth : (f.times < 0 || s.fired < f.times);
        if (fire) {
            ++s.fired;
            fired.push_back(f);
        }
    }
    return fired;
}

Delivery SimBus::transmit(PortSession& session, const uint8_t* data, size_t count, const PortView& view,
                          Clock::time_point start)
{
    Delivery out;
    std::vector<LogEntry> logged;
    std::function<void(const LogEntry&)> observer;
    {
        std::lock_guard lock(m_mutex);
        const auto charTime = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(charSeconds(view.frame)));
        for (size_t i = 0; i < count; ++i) {
            const auto charStart = start + charTime * int64_t(i);
            if (session.pending.empty())
                session.lineStart = charStart;
            session.pending += char(data[i]);
            if (data[i] == '\r') {
                processLine(session.pending, session.lineStart, charStart + charTime, view, out, logged);
                session.pending.clear();
            } else if (session.pending.size() > 1024) {
                // Nobody types that much without Enter; keep the tail only.
                session.pending.erase(0, session.pending.size() - 256);
            }
        }
        observer = m_observer;
    }
    if (!logged.empty()) {
        m_logChanged.notify_all();
        if (observer)
            for (const LogEntry& e : logged)
                observer(e);
    }
    return out;
}

void SimBus::processLine(const std::string& raw, Clock::time_point lineStart, Clock::time_point lineEnd,
                         const PortView& view, Delivery& out, std::vector<LogEntry>& logged)
{
    // The master talking again silences a babbling unit.
    std::erase_if(out.bytes, [&](const RxByte& b) { return b.babble && b.due > lineStart; });

    LogEntry entry;
    entry.started = lineStart;
    entry.sent = lineEnd;
    entry.ms = seconds(lineEnd - m_epoch) * 1000.0;
    // Without the CR, and without the LF a terminal may send after the previous CR.
    entry.request = raw.substr(0, raw.size() - 1);
    entry.request.erase(0, std::min(entry.request.size(), entry.request.find_first_not_of('\n')));
    entry.frame = view.frame;

    const double t = seconds(lineEnd - m_epoch);

    // What every unit understood of the line.
    struct Heard {
        SimUnit* unit;
        std::string text;
        LineFrame port;
    };
    std::vector<Heard> heard;
    for (auto& u : m_units) {
        const LineFrame port = effectivePortFrame(view, *u);
        if (auto s = decodeAtUnit(raw, port, *u))
            heard.push_back({u.get(), editLine(*s), port});
    }
    std::vector<Heard*> responders;
    for (Heard& h : heard) {
        const auto target = selectTarget(h.text);
        if (target ? *target == h.unit->number : h.unit->selected)
            responders.push_back(&h);
    }
    const int addressed = responders.empty() ? -1 : responders.front()->unit->number;
    const std::vector<Fault> fired = matchFaults(entry.request, addressed);
    auto firedKind = [&](Fault::Kind k) -> const Fault* {
        for (const Fault& f : fired)
            if (f.kind == k)
                return &f;
        return nullptr;
    };
    for (const Fault& f : fired)
        entry.faults.push_back(faultName(f));

    const bool lost = firedKind(Fault::Kind::NoReply) != nullptr;
    struct Answer {
        SimUnit* unit;
        std::string text;
        LineFrame port;
    };
    std::vector<Answer> answers;
    const Fault* refused = firedKind(Fault::Kind::Er7);
    if (!lost) {
        // "sc u" selects u and deselects every other unit that heard it; a
        // refused "sc" changes nothing, like any other refused request.
        if (!refused)
            for (Heard& h : heard)
                if (const auto target = selectTarget(h.text))
                    h.unit->selected = *target == h.unit->number;
        for (Heard* h : responders) {
            std::optional<std::string> r;
            if (refused) {
                r = "er " + std::to_string(refused->errorNumber);
            } else if (firedKind(Fault::Kind::IgnoreWrite)) {
                // Answered like any accepted write; the values stay as they were.
                const auto parameters = h->unit->parameters;
                const auto setpoints = h->unit->setpoints;
                r = h->unit->execute(h->text, t);
                h->unit->parameters = parameters;
                h->unit->setpoints = setpoints;
            } else {
                r = h->unit->execute(h->text, t);
            }
            if (!r)
                continue;
            if (const Fault* f = firedKind(Fault::Kind::WrongEcho))
                *r = spoilEcho(*r, f->echo);
            if (const Fault* f = firedKind(Fault::Kind::Corrupt))
                *r = corrupted(*r, f->pick);
            answers.push_back({h->unit, *r, h->port});
        }
    }

    const double lineEndS = t;
    double replyStart = lineEndS + m_latencyMs / 1000.0;
    LineFrame portFrame = view.frame;
    if (!view.exact && !answers.empty())
        portFrame = answers.front().port;

    std::vector<RxChar> rx;
    if (const Fault* g = firedKind(Fault::Kind::Garbage)) {
        const double ct = charSeconds(portFrame);
        for (size_t i = 0; i < g->garbage.size(); ++i)
            rx.push_back({uint8_t(g->garbage[i]), 0, replyStart + ct * double(i + 1)});
        replyStart += ct * double(g->garbage.size());
    }
    const size_t replyFrom = rx.size();
    std::string ending = firedKind(Fault::Kind::NoLineEnd) ? "" : firedKind(Fault::Kind::LfCr) ? "\n\r"
                                                                                               : "\r\n";
    if (const Fault* x = firedKind(Fault::Kind::ExtraLine))
        ending += x->extraLine;
    const bool twice = firedKind(Fault::Kind::Duplicate) != nullptr;
    if (!answers.empty()) {
        std::vector<TxStream> streams;
        const Fault* pause = firedKind(Fault::Kind::Pause);
        for (const Answer& a : answers) {
            std::string text = a.text + ending;
            if (twice)
                text += text;
            TxStream s = backToBack(text, a.unit->frame, replyStart);
            if (pause)
                for (size_t i = size_t(std::max(0, pause->atByte)); i < s.chars.size(); ++i)
                    s.chars[i].start += pause->pauseMs / 1000.0;
            streams.push_back(std::move(s));
        }
        const std::vector<RxChar> got = receive(streams, portFrame);
        rx.insert(rx.end(), got.begin(), got.end());
        // A unit on other line settings never produces a clean echo, even where the
        // bit patterns happen to survive (one stop bit read as two, say).
        bool mismatch = false;
        for (const Answer& a : answers)
            mismatch = mismatch || a.unit->frame != a.port;
        if (mismatch && rx.size() > replyFrom) {
            const std::string clean = answers.front().text + ending;
            std::string seen;
            uint32_t flags = 0;
            for (size_t i = replyFrom; i < rx.size(); ++i) {
                seen += char(rx[i].value);
                flags |= rx[i].flags;
            }
            if (flags == 0 && seen == clean) {
                rx[replyFrom].value ^= 0x20;
                rx[replyFrom].flags |= CE_FRAME;
            }
        }
        entry.unit = answers.front().unit->number;
    }
    if (const Fault* le = firedKind(Fault::Kind::LineError); le && rx.size() > replyFrom) {
        const size_t i = std::min(replyFrom + size_t(std::max(0, le->atByte)), rx.size() - 1);
        rx[i].flags |= le->lineErrors;
    }

    const size_t firstOut = out.bytes.size();
    for (const RxChar& c : rx) {
        RxByte b;
        b.value = c.value;
        b.flags = c.flags;
        b.due = m_epoch + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(c.ready));
        if (!out.bytes.empty() && b.due < out.bytes.back().due)
            b.due = out.bytes.back().due;
        out.bytes.push_back(b);
        entry.reply += char(c.value);
    }
    // A stalled unit: the reply, or its rest from inside the digits, comes late.
    const Fault* cut = firedKind(Fault::Kind::Cut);
    const Fault* stale = firedKind(Fault::Kind::Stale);
    if ((cut || stale) && out.bytes.size() > firstOut) {
        size_t from = firstOut;
        if (!stale && !answers.empty()) {
            const size_t at = cut->atByte >= 0 ? size_t(cut->atByte) : cutPosition(answers.front().text, cut->pick);
            from = std::min(firstOut + (replyFrom + at), out.bytes.size());
        }
        const auto delay = std::chrono::milliseconds(std::max(0, (stale ? stale : cut)->pauseMs));
        for (size_t i = from; i < out.bytes.size(); ++i) {
            out.bytes[i].due += delay;
            out.bytes[i].late = true;
        }
    }
    if (firedKind(Fault::Kind::Unplug)) {
        const auto last = out.bytes.empty()
                              ? lineEnd + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_latencyMs / 1000.0))
                              : out.bytes.back().due;
        const auto when = last + std::chrono::milliseconds(1);
        if (!m_goneAt || *m_goneAt > when)
            m_goneAt = when;
    }
    if (const Fault* b = firedKind(Fault::Kind::Babble)) {
        // Clean bytes at the port's own rate: running thousands of them through
        // the bit-level model would hold the bus lock for too long.
        std::string pattern;
        for (size_t i = replyFrom; i < rx.size(); ++i)
            pattern += char(rx[i].value);
        if (pattern.empty())
            pattern = "rf 0\r\n";
        const double ct = charSeconds(portFrame);
        const double from = rx.size() > replyFrom ? rx.back().ready : replyStart;
        const size_t count = ct > 0 && b->babbleMs > 0
                                 ? size_t(std::min(double(Fault::BabbleLimit), b->babbleMs / 1000.0 / ct))
                                 : 0;
        const auto ready = [&](size_t i) {
            return m_epoch + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(from + ct * double(i + 1)));
        };
        out.bytes.reserve(out.bytes.size() + count);
        for (size_t i = 0; i < count; ++i) {
            RxByte x;
            x.value = uint8_t(pattern[i % pattern.size()]);
            x.due = std::max(ready(i), out.bytes.empty() ? Clock::time_point{} : out.bytes.back().due);
            x.babble = true;
            out.bytes.push_back(x);
        }
    }
    if (m_log.size() >= m_logLimit)
        m_log.erase(m_log.begin(), m_log.begin() + ptrdiff_t(std::max<size_t>(1, m_logLimit / 10)));
    m_log.push_back(entry);
    ++m_logged;
    logged.push_back(std::move(entry));
}

// ---- the default bus -----------------------------------------------------

std::string defaultParametersPath()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string dir;
    if (n > 0) {
        dir.assign(buf, size_t(n));
        dir = dir.substr(0, dir.find_last_of('/') + 1);
    }
    std::string beside = dir + "Parameters.txt";
    if (std::ifstream(beside).good())
        return beside;
    if (const char* env = std::getenv("VX_DATA_DIR"); env && *env) {
        std::string p = std::string(env) + "/Parameters.txt";
        if (std::ifstream(p).good())
            return p;
    }
    // An installed or unpacked package keeps the data in share/ beside bin/.
    for (const std::string& p : {dir + "../share/vx5x-tool/Parameters.txt", std::string("/usr/share/vx5x-tool/Parameters.txt")})
        if (std::ifstream(p).good())
            return p;
    return beside;
}

namespace {
std::mutex defaultPathMutex;
std::string defaultPath;
} // namespace

void setDefaultBusParametersPath(const std::string& path)
{
    std::lock_guard lock(defaultPathMutex);
    defaultPath = path;
}

void addDefaultUnits(SimBus& bus)
{
    std::string path;
    {
        std::lock_guard lock(defaultPathMutex);
        path = defaultPath;
    }
    bus.loadParameters(path.empty() ? defaultParametersPath() : path);
    UnitConfig a;
    a.number = 0;
    a.frame = {9600, 8, 'O', 1};
    a.type = "VX50";
    UnitConfig b;
    b.number = 5;
    b.frame = {38400, 8, 'E', 1};
    b.type = "VX51";
    bus.addUnit(a);
    bus.addUnit(b);
    for (int n : {0, 5})
        bus.withUnit(n, [](SimUnit& u) { u.loadDemoSetup(); });
}

SimBus& defaultBus()
{
    // Never destroyed: lines on worker threads may outlive static destruction.
    static SimBus* bus = [] {
        auto* b = new SimBus;
        addDefaultUnits(*b);
        return b;
    }();
    return *bus;
}

void resetDefaultBus()
{
    SimBus& bus = defaultBus();
    bus.reset();
    addDefaultUnits(bus);
}

} // namespace vx::sim
