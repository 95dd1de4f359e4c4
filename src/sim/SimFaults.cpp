#include "sim/SimBus.h"

#include <algorithm>

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

Fault Fault::stale(const std::string& command, int ms)
{
    Fault f;
    f.kind = Kind::Stale;
    f.command = command;
    f.pauseMs = ms;
    return f;
}

void delayStaleReply(const Fault& fault, std::vector<RxByte>& bytes, size_t from)
{
    const auto delay = std::chrono::milliseconds(std::max(0, fault.pauseMs));
    for (size_t i = from; i < bytes.size(); ++i) {
        bytes[i].due += delay;
        bytes[i].onWire = true;
    }
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
    case Fault::Kind::Stale: return "stale";
    }
    return "?";
}

std::string faultName(const Fault& fault)
{
    if (fault.kind == Fault::Kind::Er7 && fault.errorNumber != ErrRefused)
        return "er" + std::to_string(fault.errorNumber);
    return faultName(fault.kind);
}

} // namespace vx::sim
