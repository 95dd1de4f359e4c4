#include "sim/SimBus.h"

namespace vx::sim {

// ---- faults -------------------------------------------------------------

Fault Fault::noReply(const std::string& command, int nth)
{
    Fault f;
    f.kind = Kind::NoReply;
    f.command = command;
    f.nth = nth;
    return f;
}

Fault Fault::wrongEcho(const std::string& command, Echo how)
{
    Fault f;
    f.kind = Kind::WrongEcho;
    f.command = command;
    f.echo = how;
    return f;
}

Fault Fault::er7AtParameter(int number)
{
    Fault f;
    f.kind = Kind::Er7;
    f.command = "wp " + std::to_string(number);
    return f;
}

Fault Fault::er7AtSetpoint(int number)
{
    Fault f;
    f.kind = Kind::Er7;
    f.command = "ws " + std::to_string(number);
    return f;
}

Fault Fault::errorReply(const std::string& command, int number)
{
    Fault f;
    f.kind = Kind::Er7;
    f.command = command;
    f.errorNumber = number;
    return f;
}

Fault Fault::pause(const std::string& command, int ms, int atByte)
{
    Fault f;
    f.kind = Kind::Pause;
    f.command = command;
    f.pauseMs = ms;
    f.atByte = atByte;
    return f;
}

Fault Fault::garbageBefore(const std::string& command, const std::string& bytes)
{
    Fault f;
    f.kind = Kind::Garbage;
    f.command = command;
    if (!bytes.empty())
        f.garbage = bytes;
    return f;
}

Fault Fault::lineError(const std::string& command, uint32_t flags, int atByte)
{
    Fault f;
    f.kind = Kind::LineError;
    f.command = command;
    f.lineErrors = flags;
    f.atByte = atByte;
    return f;
}

Fault Fault::unplugAfter(int requests)
{
    Fault f;
    f.kind = Kind::Unplug;
    f.nth = requests;
    return f;
}

Fault Fault::noLineEnd(const std::string& command)
{
    Fault f;
    f.kind = Kind::NoLineEnd;
    f.command = command;
    return f;
}

Fault Fault::babble(const std::string& command, int ms)
{
    Fault f;
    f.kind = Kind::Babble;
    f.command = command;
    f.babbleMs = ms;
    return f;
}

Fault Fault::lfCr(const std::string& command)
{
    Fault f;
    f.kind = Kind::LfCr;
    f.command = command;
    return f;
}

Fault Fault::extraLineAfter(const std::string& command)
{
    Fault f;
    f.kind = Kind::ExtraLine;
    f.command = command;
    return f;
}

Fault Fault::ignoreWrite(int parameter)
{
    Fault f;
    f.kind = Kind::IgnoreWrite;
    f.command = "wp " + std::to_string(parameter);
    return f;
}

Fault Fault::cut(const std::string& command, int restMs, int atByte)
{
    Fault f;
    f.kind = Kind::Cut;
    f.command = command;
    f.pauseMs = restMs;
    f.atByte = atByte;
    return f;
}

Fault Fault::stale(const std::string& command, int lateMs)
{
    Fault f;
    f.kind = Kind::Stale;
    f.command = command;
    f.pauseMs = lateMs;
    return f;
}

Fault Fault::duplicate(const std::string& command)
{
    Fault f;
    f.kind = Kind::Duplicate;
    f.command = command;
    return f;
}

Fault Fault::corrupt(const std::string& command, uint64_t pick)
{
    Fault f;
    f.kind = Kind::Corrupt;
    f.command = command;
    f.pick = pick;
    return f;
}

Fault Fault::random(double rate, uint64_t seed, unsigned kinds)
{
    Fault f;
    f.kind = Kind::Random;
    f.rate = rate;
    f.seed = seed;
    f.kinds = kinds & RandomAll;
    return f;
}

const char* faultName(Fault::Kind kind)
{
    switch (kind) {
    case Fault::Kind::NoReply: return "no-reply";
    case Fault::Kind::WrongEcho: return "wrong-echo";
    case Fault::Kind::Er7: return "er7";
    case Fault::Kind::Pause: return "pause";
    case Fault::Kind::Garbage: return "garbage";
    case Fault::Kind::LineError: return "line-error";
    case Fault::Kind::Unplug: return "unplug";
    case Fault::Kind::NoLineEnd: return "no-line-end";
    case Fault::Kind::Babble: return "babble";
    case Fault::Kind::LfCr: return "lf-cr";
    case Fault::Kind::ExtraLine: return "extra-line";
    case Fault::Kind::IgnoreWrite: return "ignore-write";
    case Fault::Kind::Cut: return "cut";
    case Fault::Kind::Stale: return "stale";
    case Fault::Kind::Duplicate: return "dup";
    case Fault::Kind::Corrupt: return "corrupt";
    case Fault::Kind::Random: return "random";
    }
    return "?";
}

std::string faultName(const Fault& fault)
{
    if (!fault.label.empty())
        return fault.label;
    if (fault.kind == Fault::Kind::Er7 && fault.errorNumber != ErrRefused)
        return "er" + std::to_string(fault.errorNumber);
    return faultName(fault.kind);
}

} // namespace vx::sim
