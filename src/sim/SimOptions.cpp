#include "sim/SimOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <sstream>
#include <vector>

namespace vx::sim {

namespace {

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::string cur;
    std::istringstream in(s);
    while (std::getline(in, cur, sep))
        parts.push_back(cur);
    if (!s.empty() && s.back() == sep)
        parts.emplace_back();
    return parts;
}

bool toInt(const std::string& s, int& v)
{
    int64_t x;
    if (s.empty() || !parseIniInteger(s, x) || x < -2147483647 || x > 2147483647)
        return false;
    v = int(x);
    return true;
}

bool addRandomKind(Fault& f, const std::string& name, std::string& error)
{
    const unsigned bit = randomKindBit(name);
    if (bit == 0) {
        error = "unknown random kind '" + name + "' (cut, stale, dup, garbage, burst, no-line-end, no-reply)";
        return false;
    }
    f.kinds |= bit;
    return true;
}

} // namespace

bool parseFrame(const std::string& text, LineFrame& frame)
{
    const auto parts = split(text, ':');
    if (parts.empty() || parts.size() > 2)
        return false;
    LineFrame f;
    f.parity = 'N';
    if (!toInt(parts[0], f.baud))
        return false;
    if (parts.size() == 2) {
        const std::string& p = parts[1];
        if (p.size() != 3)
            return false;
        f.dataBits = p[0] - '0';
        f.parity = char(std::toupper(static_cast<unsigned char>(p[1])));
        f.stopBits = p[2] - '0';
    }
    if (!validFrame(f))
        return false;
    frame = f;
    return true;
}

bool parseUnit(const std::string& text, UnitConfig& unit, std::string& error)
{
    const auto parts = split(text, ':');
    UnitConfig u;
    if (parts.empty() || !toInt(parts[0], u.number) || u.number < 0) {
        error = "bad unit number in '" + text + "'";
        return false;
    }
    if (parts.size() > 1 && !parts[1].empty()) {
        std::string t = parts[1];
        for (char& c : t)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        if (t != "VX50" && t != "VX51") {
            error = "unit type must be VX50 or VX51: '" + parts[1] + "'";
            return false;
        }
        u.type = t;
    }
    if (parts.size() > 2) {
        std::string f = parts[2];
        if (parts.size() > 3)
            f += ":" + parts[3];
        if (!parseFrame(f, u.frame) || parts.size() > 4) {
            error = "bad line settings in '" + text + "'";
            return false;
        }
        if (parts.size() == 3) {
            u.frame.dataBits = 8;
            u.frame.parity = 'O';
            u.frame.stopBits = 1;
        }
    }
    unit = u;
    return true;
}

bool parseFault(const std::string& text, Fault& fault, std::string& error)
{
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    Fault f;
    if (kind == "no-reply")
        f.kind = Fault::Kind::NoReply;
    else if (kind == "wrong-echo")
        f.kind = Fault::Kind::WrongEcho;
    else if (kind == "er7" || kind == "er")
        f.kind = Fault::Kind::Er7;
    else if (kind == "pause")
        f.kind = Fault::Kind::Pause;
    else if (kind == "garbage")
        f.kind = Fault::Kind::Garbage;
    else if (kind == "line-error")
        f.kind = Fault::Kind::LineError;
    else if (kind == "unplug")
        f.kind = Fault::Kind::Unplug;
    else if (kind == "no-line-end")
        f.kind = Fault::Kind::NoLineEnd;
    else if (kind == "babble")
        f.kind = Fault::Kind::Babble;
    else if (kind == "lf-cr")
        f.kind = Fault::Kind::LfCr;
    else if (kind == "extra-line")
        f.kind = Fault::Kind::ExtraLine;
    else if (kind == "ignore-write")
        f.kind = Fault::Kind::IgnoreWrite;
    else if (kind == "cut")
        f = Fault::cut();
    else if (kind == "stale")
        f = Fault::stale();
    else if (kind == "dup")
        f.kind = Fault::Kind::Duplicate;
    else if (kind == "random")
        f = Fault::random(0, 1);
    else {
        error = "unknown fault '" + kind + "'";
        return false;
    }
    if (colon != std::string::npos) {
        std::string lastKey;
        for (const std::string& kv : split(text.substr(colon + 1), ',')) {
            const size_t eq = kv.find('=');
            // kinds=cut,stale,dup: the list goes on after the comma.
            if (eq == std::string::npos && lastKey == "kinds") {
                if (!addRandomKind(f, kv, error))
                    return false;
                continue;
            }
            if (eq == std::string::npos) {
                error = "expected key=value in '" + kv + "'";
                return false;
            }
            const std::string key = kv.substr(0, eq);
            std::string value = kv.substr(eq + 1);
            lastKey = key;
            int n = 0;
            const bool isInt = toInt(value, n);
            auto needInt = [&] {
                if (!isInt)
                    error = "'" + key + "' needs a number";
                return isInt;
            };
            if (key == "cmd") {
                for (char& c : value)
                    if (c == '_' || c == '+')
                        c = ' ';
                f.command = value;
            } else if (key == "nth" || key == "after") {
                if (!needInt() || n < 1) {
                    error = "'" + key + "' needs a number of at least 1";
                    return false;
                }
                f.nth = n;
            } else if (key == "times") {
                if (!needInt())
                    return false;
                f.times = n;
            } else if (key == "unit") {
                if (!needInt())
                    return false;
                f.unit = n;
            } else if (key == "p" || key == "s") {
                if (!needInt())
                    return false;
                f.command = (key == "p" ? "wp " : "ws ") + std::to_string(n);
            } else if (key == "ms" || key == "at" || key == "n") {
                if (!isInt || n < 0) {
                    error = "'" + key + "' needs a number of at least 0";
                    return false;
                }
                if (key == "n")
                    f.errorNumber = n;
                else if (key == "at")
                    f.atByte = n;
                else if (f.kind == Fault::Kind::Babble)
                    f.babbleMs = n;
                else
                    f.pauseMs = n;
            } else if (key == "bytes") {
                if (value.empty() || value.size() % 2 != 0) {
                    error = "bytes must be pairs of hex digits";
                    return false;
                }
                std::string bytes;
                for (size_t i = 0; i < value.size(); i += 2) {
                    int64_t b;
                    if (!parseIniInteger("$" + value.substr(i, 2), b)) {
                        error = "bytes must be pairs of hex digits";
                        return false;
                    }
                    bytes += char(b);
                }
                f.garbage = bytes;
            } else if (key == "flags") {
                uint32_t flags = 0;
                for (const std::string& name : split(value, '|')) {
                    if (name == "parity")
                        flags |= CE_RXPARITY;
                    else if (name == "frame")
                        flags |= CE_FRAME;
                    else if (name == "overrun")
                        flags |= CE_OVERRUN;
                    else if (name == "break")
                        flags |= CE_BREAK;
                    else if (name == "rxover")
                        flags |= CE_RXOVER;
                    else {
                        error = "unknown line error '" + name + "'";
                        return false;
                    }
                }
                f.lineErrors = flags;
            } else if (key == "rate" || key == "seed" || key == "kinds") {
                if (f.kind != Fault::Kind::Random) {
                    error = "'" + key + "' belongs to random";
                    return false;
                }
                if (key == "kinds") {
                    f.kinds = 0;
                    for (const std::string& k : split(value, '|'))
                        if (!addRandomKind(f, k, error))
                            return false;
                } else if (key == "rate") {
                    char* end = nullptr;
                    const double rate = std::strtod(value.c_str(), &end);
                    if (value.empty() || !end || *end || !(rate >= 0 && rate <= 1)) {
                        error = "rate needs a probability from 0 to 1, e.g. 0.01";
                        return false;
                    }
                    f.rate = rate;
                } else {
                    char* end = nullptr;
                    errno = 0;
                    const unsigned long long seed = std::strtoull(value.c_str(), &end, 10);
                    if (value.empty() || value[0] == '-' || !end || *end || errno != 0) {
                        error = "seed needs a whole number of at least 0";
                        return false;
                    }
                    f.seed = seed;
                }
            } else if (key == "echo") {
                if (value == "letters")
                    f.echo = Fault::Echo::OtherLetters;
                else if (value == "zero")
                    f.echo = Fault::Echo::LeadingZero;
                else if (value == "blank")
                    f.echo = Fault::Echo::TrailingBlank;
                else if (value == "args")
                    f.echo = Fault::Echo::OtherArguments;
                else {
                    error = "echo must be letters, zero, blank or args";
                    return false;
                }
            } else {
                error = "unknown key '" + key + "'";
                return false;
            }
        }
    }
    if (f.kind == Fault::Kind::Random && f.kinds == 0) {
        error = "kinds needs at least one of cut, stale, dup, garbage, burst, no-line-end, no-reply";
        return false;
    }
    if (f.kind == Fault::Kind::Unplug && f.nth < 1) {
        error = "unplug needs after=N";
        return false;
    }
    fault = f;
    return true;
}

bool parseCommandLine(int argc, char** argv, SimCommandLine& cmd, std::string& error, bool& showUsage)
{
    enum { Device = 256,
           Frame,
           Unit,
           Params,
           Latency,
           Error,
           NoDemo,
           FaultOpt,
           Log,
           Link,
           ReplugAfter,
           ReplugRx,
           Listen,
           ListenRfc2217,
           FromBackup,
           Help };
    static const option longOptions[] = {
        {"device", required_argument, nullptr, Device},
        {"frame", required_argument, nullptr, Frame},
        {"unit", required_argument, nullptr, Unit},
        {"params", required_argument, nullptr, Params},
        {"latency", required_argument, nullptr, Latency},
        {"error", required_argument, nullptr, Error},
        {"no-demo", no_argument, nullptr, NoDemo},
        {"fault", required_argument, nullptr, FaultOpt},
        {"log", no_argument, nullptr, Log},
        {"link", required_argument, nullptr, Link},
        {"replug-after", required_argument, nullptr, ReplugAfter},
        {"replug-rx", required_argument, nullptr, ReplugRx},
        {"listen", required_argument, nullptr, Listen},
        {"listen-rfc2217", required_argument, nullptr, ListenRfc2217},
        {"from-backup", required_argument, nullptr, FromBackup},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };
    showUsage = false;
    auto unknown = [&](const char* word) {
        error = std::string("unknown option '") + word + "'";
        showUsage = true;
        return false;
    };
    // getopt_long would take "--dev" for --device and "--frame=..." too; the options
    // stay as they were documented, one word each, the value in the next.
    auto spelledOut = [&](const char* word, int index) {
        return std::strcmp(word, index < 0 ? "-h" : "--") == 0 || (index >= 0 && std::strncmp(word, "--", 2) == 0 && std::strcmp(word + 2, longOptions[index].name) == 0);
    };
    // "+": stop at the first word that is not an option, as it is reported in its place;
    // ":": a missing value is told apart from an unknown option.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int at = optind == 0 ? 1 : optind;
        int index = -1;
        const int c = getopt_long(argc, argv, "+:h", longOptions, &index);
        if (c == -1) {
            if (at < argc)
                return unknown(argv[at]); // a plain word, or "--"
            return true;
        }
        const char* word = argv[at];
        if (c == '?')
            return unknown(word);
        if (c == ':') {
            if (optopt == 'h' || optopt == 0)
                return unknown(word);
            error = std::string(word) + " needs a value";
            for (const option& o : longOptions)
                if (o.name && o.val == optopt && !spelledOut(word, int(&o - longOptions)))
                    return unknown(word);
            return false;
        }
        if (!spelledOut(word, c == 'h' ? -1 : index))
            return unknown(word);
        const std::string value = optarg ? optarg : "";
        switch (c) {
        case 'h':
        case Help:
            cmd.help = true;
            return true;
        case Device:
            cmd.device = value;
            break;
        case Frame:
            if (!parseFrame(value, cmd.frame)) {
                error = "bad line settings '" + value + "'";
                return false;
            }
            cmd.frameGiven = true;
            break;
        case Unit: {
            UnitConfig u;
            if (!parseUnit(value, u, error))
                return false;
            cmd.units.push_back(u);
            break;
        }
        case Params:
            cmd.paramsPath = value;
            break;
        case Latency: {
            char* end = nullptr;
            cmd.latency = std::strtod(value.c_str(), &end);
            // Written this way round, a NaN fails too.
            if (value.empty() || !end || *end || !(cmd.latency >= 0 && cmd.latency <= SimBus::MaxLatencyMs)) {
                error = "bad latency '" + value + "': want milliseconds from 0 to 10000";
                return false;
            }
            break;
        }
        case Error: {
            int n = 0, e = 0;
            if (std::sscanf(value.c_str(), "%d:%d", &n, &e) != 2) {
                error = "--error needs N:E";
                return false;
            }
            cmd.errors.emplace_back(n, e);
            break;
        }
        case NoDemo:
            cmd.demo = false;
            break;
        case FaultOpt: {
            Fault f;
            if (!parseFault(value, f, error)) {
                std::string text = "fault '";
                text += value;
                text += "': ";
                text += error.empty() ? "bad value" : error;
                error = std::move(text);
                return false;
            }
            cmd.faults.push_back(f);
            break;
        }
        case Log:
            cmd.logRequests = true;
            break;
        case Link:
            cmd.link = value;
            break;
        case ReplugAfter: {
            char* end = nullptr;
            const long ms = std::strtol(value.c_str(), &end, 10);
            if (!end || *end || ms < 0 || ms > 3600000) {
                error = "bad re-plug time '" + value + "'";
                return false;
            }
            cmd.replugAfterMs = int(ms);
            break;
        }
        case ReplugRx:
            cmd.replugRx = value;
            break;
        case FromBackup:
            cmd.fromBackup = value;
            break;
        case Listen:
        case ListenRfc2217:
            if (value.empty()) {
                error = std::string(word) + " needs a value";
                return false;
            }
            cmd.listen = value;
            cmd.listenRfc2217 = c == ListenRfc2217;
            break;
        default:
            return unknown(word);
        }
    }
}

} // namespace vx::sim
