#include "sim/SimUnit.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>
#include <vector>

namespace vx::sim {

namespace {

constexpr double SpeedWobble = 0.1;   // axis 1 speed varies by +-10 %
constexpr double WobblePeriod = 8.0;  // seconds
constexpr double PulseSeconds = 0.02; // on-time of a pulse cam

bool parseArg(const std::string& s, int64_t& v)
{
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        neg = s[i] == '-';
        ++i;
    }
    if (i >= s.size() || s.size() - i > 12)
        return false;
    int64_t r = 0;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
        r = r * 10 + (s[i] - '0');
    }
    v = neg ? -r : r;
    return true;
}

bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

double frac(double x)
{
    return x - std::floor(x);
}

int64_t wrap(int64_t v, int64_t cycle)
{
    if (cycle <= 0)
        return v;
    v %= cycle;
    return v < 0 ? v + cycle : v;
}

} // namespace

SimUnit::SimUnit(const UnitConfig& c, const ParamTable& t)
    : number(c.number), frame(c.frame), table(t)
{
    const std::string type = c.type.empty() ? std::string("VX50") : c.type;
    typeText = !c.typeText.empty() ? c.typeText : type + " V2.04";
    hardwareText = !c.hardwareText.empty() ? c.hardwareText : "HW " + type.substr(0, 4) + "-3 rev C";
    extraText = !c.extraText.empty() ? c.extraText : "SN " + std::to_string(51000 + c.number * 17);
    for (size_t i = 0; i < parameters.size(); ++i)
        parameters[i] = table.limits[i].def;
    // The first five parameters are the unit's own line settings (unit number, then
    // the option positions of baud rate, parity, stop bits and data bits): a unit
    // reports the settings it answers at, not the file's defaults.
    static constexpr int bauds[] = {9600, 19200, 28800, 38400, 57600, 115200};
    for (int i = 0; i < int(std::size(bauds)); ++i)
        if (bauds[i] == frame.baud) parameters[1] = i;
    parameters[0] = number;
    parameters[2] = frame.parity == 'E' ? 1 : frame.parity == 'O' ? 2
                                                                  : 0;
    parameters[3] = frame.stopBits == 2 ? 1 : 0;
    parameters[4] = frame.dataBits == 7 ? 0 : 1;
    calibration = {-15, 12, 8, -4};
    calibrationEeprom = calibration;
}

void SimUnit::powerCycle()
{
    calibration = calibrationEeprom;
    calibrationMode = false;
    analogueOutput = 0;
    analogueTestValue = 0;
}

int32_t SimUnit::cycleLength() const
{
    const int dec = std::clamp(parameters[203], 0, 4);
    int32_t c = 360;
    for (int i = 0; i < dec; ++i)
        c *= 10;
    return c;
}

double SimUnit::turns(double t) const
{
    const double w = 2 * std::numbers::pi / WobblePeriod;
    return revolutionsPerSecond * (t + SpeedWobble * (1 - std::cos(w * t)) / w);
}

int32_t SimUnit::position1(double t) const
{
    return int32_t(std::floor(frac(turns(t)) * cycleLength()));
}

int32_t SimUnit::position2(double t) const
{
    return int32_t(std::floor(frac(turns(t - followLag)) * cycleLength()));
}

int32_t SimUnit::velocity1(double t) const
{
    const double w = 2 * std::numbers::pi / WobblePeriod;
    return int32_t(std::lround(cycleLength() * revolutionsPerSecond * (1 + SpeedWobble * std::sin(w * t))));
}

int32_t SimUnit::velocity2(double t) const
{
    return velocity1(t - followLag);
}

int32_t SimUnit::positionDifference(double t) const
{
    const int64_t c = cycleLength();
    int64_t d = wrap(int64_t(position1(t)) - position2(t), c);
    if (d >= c / 2)
        d -= c;
    return int32_t(d);
}

int32_t SimUnit::supplyVoltage(double t) const
{
    const double tau = 2 * std::numbers::pi;
    return int32_t(std::lround(240000 + 600 * std::sin(tau * t / 3.7) + 150 * std::sin(tau * t * 13.1)));
}

int32_t SimUnit::analogueCurrent(double t) const
{
    return int32_t(std::lround(120000 + 70000 * std::sin(2 * std::numbers::pi * t / 11.0)));
}

uint32_t SimUnit::inputWord(double t) const
{
    uint32_t w = 0;
    // The reference inputs see a mark during the first 5 % of every revolution.
    if (frac(turns(t)) < 0.05)
        w |= 1u << 0;
    if (frac(turns(t - followLag)) < 0.05)
        w |= 1u << 1;
    for (int i = 1; i <= 8; ++i)
        if (((int64_t(std::floor(t / (1.0 + 0.5 * i))) + i) & 1) != 0)
            w |= 1u << (1 + i);
    return w;
}

bool SimUnit::camActive(int n, double t) const
{
    const int function = parameters[299 + size_t(n)];
    const int output = parameters[459 + size_t(n)];
    if (function < 1 || function > 3 || output < 1 || output > 16)
        return false;
    auto endpoint = [&](int selection, int own) -> std::optional<int64_t> {
        if (selection == 0)
            return own;
        if (selection >= 1 && selection <= SetpointCount)
            return setpoints[size_t(selection)];
        return std::nullopt;
    };
    const auto start = endpoint(parameters[379 + size_t(n)], parameters[159 + size_t(n)]);
    const auto end = endpoint(parameters[419 + size_t(n)], parameters[119 + size_t(n)]);
    if (!start || !end)
        return false;
    const bool second = parameters[339 + size_t(n)] == 1;
    const int64_t cycle = cycleLength();
    const int64_t pos = second ? position2(t) : position1(t);
    const double vel = second ? velocity2(t) : velocity1(t);
    // The advance (microseconds) switches the output earlier by the distance travelled in that time.
    const int64_t lead = std::llround(vel * parameters[19 + size_t(output)] * 1e-6);
    const int64_t d = wrap(pos + lead - *start, cycle);
    const int64_t length = wrap(*end - *start, cycle);
    switch (function) {
    case 1:
        return d < length;
    case 2:
        return d >= length;
    default:
        return d < std::min<int64_t>(length, std::max<int64_t>(1, std::llround(vel * PulseSeconds)));
    }
}

uint32_t SimUnit::outputWord(double t) const
{
    uint32_t w = 0;
    for (int n = 1; n <= 40; ++n)
        if (camActive(n, t))
            w |= 1u << (parameters[459 + size_t(n)] - 1);
    return w;
}

int SimUnit::firstBadParameter() const
{
    for (int i = 0; i < ParameterCount; ++i)
        if (!table.allows(i, parameters[size_t(i)]))
            return i;
    int bad = -1;
    auto note = [&](int p) {
        if (bad < 0 || p < bad)
            bad = p;
    };
    for (int n = 1; n <= 40; ++n) {
        if (parameters[299 + size_t(n)] <= 0)
            continue;
        const int out = parameters[459 + size_t(n)];
        if (out < 1 || out > 16)
            note(459 + n);
        const int s = parameters[379 + size_t(n)], e = parameters[419 + size_t(n)];
        if (s < 0 || s > SetpointCount)
            note(379 + n);
        if (e < 0 || e > SetpointCount)
            note(419 + n);
    }
    return bad;
}

void SimUnit::loadDemoSetup()
{
    const int64_t c = cycleLength();
    auto deg = [&](int d) { return int32_t(c * d / 360); };
    auto set = [&](int p, int32_t v) {
        if (table.allows(p, v))
            parameters[size_t(p)] = v;
    };
    const int32_t sp[] = {deg(120), deg(200), deg(45), deg(315)};
    for (int i = 0; i < 4; ++i)
        setpoints[1 + size_t(i)] = sp[i];
    struct Cam {
        int n, output, function, source, startSel, start, endSel, end;
    };
    const Cam cams[] = {
        {1, 1, 1, 0, 0, deg(10), 0, deg(90)},
        {2, 2, 2, 0, 1, 0, 2, 0},
        {3, 3, 3, 1, 0, deg(180), 0, deg(270)},
        {4, 1, 1, 0, 0, deg(300), 0, deg(340)},
        {5, 5, 1, 1, 3, 0, 4, 0},
    };
    for (const Cam& k : cams) {
        set(459 + k.n, k.output);
        set(339 + k.n, k.source);
        set(379 + k.n, k.startSel);
        set(159 + k.n, k.start);
        set(419 + k.n, k.endSel);
        set(119 + k.n, k.end);
        set(299 + k.n, k.function);
    }
}

std::string SimUnit::reply(const std::string& cmd, const std::string& rest) const
{
    return rest.empty() ? cmd : cmd + " " + rest;
}

std::optional<std::string> SimUnit::execute(const std::string& raw, double t)
{
    size_t b = raw.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::nullopt;
    const std::string line = raw.substr(b, raw.find_last_not_of(' ') - b + 1);
    if (line.size() < 2 || !std::isalpha(static_cast<unsigned char>(line[0]))
        || !std::isalnum(static_cast<unsigned char>(line[1])))
        return std::nullopt;
    const std::string cmd = line.substr(0, 2);
    std::string key = cmd;
    for (char& ch : key)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    if (line.size() > 2 && line[2] != ' ')
        return "er " + std::to_string(ErrUnknownCommand);

    std::vector<int64_t> args;
    {
        size_t i = 2;
        while (i < line.size()) {
            while (i < line.size() && line[i] == ' ')
                ++i;
            if (i >= line.size())
                break;
            size_t j = line.find(' ', i);
            if (j == std::string::npos)
                j = line.size();
            int64_t v;
            if (!parseArg(line.substr(i, j - i), v))
                return "er " + std::to_string(ErrBadArguments);
            args.push_back(v);
            i = j;
        }
    }
    auto err = [](int e) { return "er " + std::to_string(e); };
    auto echo = [&](const std::string& value = {}) {
        std::string r = cmd;
        for (int64_t a : args)
            r += " " + std::to_string(a);
        if (!value.empty())
            r += " " + value;
        return r;
    };
    auto want = [&](size_t n) { return args.size() == n; };

    if (key == "sc") {
        if (!want(1))
            return err(ErrBadArguments);
        if (args[0] != number)
            return std::nullopt;
        return echo();
    }
    if (key == "rt" || key == "rh" || key == "rx") {
        if (!want(0))
            return err(ErrBadArguments);
        return reply(cmd, key == "rt" ? typeText : key == "rh" ? hardwareText
                                                               : extraText);
    }
    if (key == "rf")
        return want(0) ? echo(std::to_string(errorNumber)) : err(ErrBadArguments);
    if (key == "wf") {
        if (!want(0))
            return err(ErrBadArguments);
        errorNumber = -1;
        return echo();
    }
    if (key.size() == 2 && key[0] == 'r' && std::string("0123456iu").find(key[1]) != std::string::npos) {
        if (!want(0))
            return err(ErrBadArguments);
        int64_t v = 0;
        switch (key[1]) {
        case '0': v = position1(t); break;
        case '1': v = velocity1(t); break;
        case '2': v = supplyVoltage(t); break;
        case '3': v = analogueCurrent(t); break;
        case '4': v = position2(t); break;
        case '5': v = velocity2(t); break;
        case '6': v = positionDifference(t); break;
        case 'i': v = inputWord(t); break;
        default: v = outputWord(t); break;
        }
        return echo(std::to_string(v));
    }
    if (key == "rp" || key == "wp") {
        if (!want(key == "rp" ? 1 : 2))
            return err(ErrBadArguments);
        if (args[0] < 0 || args[0] >= ParameterCount)
            return err(ErrBadNumber);
        int32_t& p = parameters[size_t(args[0])];
        if (key == "rp")
            return echo(std::to_string(p));
        if (!table.allows(int(args[0]), args[1]))
            return err(ErrRefused);
        p = int32_t(args[1]);
        return echo();
    }
    if (key == "rs" || key == "ws") {
        if (!want(key == "rs" ? 1 : 2))
            return err(ErrBadArguments);
        if (args[0] < 1 || args[0] > SetpointCount)
            return err(ErrBadNumber);
        int32_t& s = setpoints[size_t(args[0])];
        if (key == "rs")
            return echo(std::to_string(s));
        if (!fitsInt32(args[1]) || args[1] < setpointMin || args[1] > setpointMax)
            return err(ErrRefused);
        s = int32_t(args[1]);
        return echo();
    }
    if (key == "bp") {
        if (!want(0))
            return err(ErrBadArguments);
        return reply(cmd, std::to_string(firstBadParameter()));
    }
    if (key == "kr") {
        if (!want(1))
            return err(ErrBadArguments);
        if (args[0] < CalibrationFirst || args[0] > CalibrationFirst + 3)
            return err(ErrBadNumber);
        return echo(std::to_string(calibration[size_t(args[0] - CalibrationFirst)]));
    }
    if (key == "km") {
        if (!want(1))
            return err(ErrBadArguments);
        if (args[0] != 0 && args[0] != 1)
            return err(ErrRefused);
        calibrationMode = args[0] == 1;
        if (!calibrationMode)
            analogueOutput = 0;
        return echo();
    }
    if (key == "kw" || key == "kf" || key == "ka" || key == "ks") {
        // Changing the analogue channel needs calibration mode.
        if (!calibrationMode)
            return err(ErrNotCalibrating);
        if (key == "ks") {
            if (!want(0))
                return err(ErrBadArguments);
            calibrationEeprom = calibration;
            return echo();
        }
        if (key == "kw") {
            if (!want(2))
                return err(ErrBadArguments);
            if (args[0] < CalibrationFirst || args[0] > CalibrationFirst + 3)
                return err(ErrBadNumber);
            const bool gain = args[0] == 2042 || args[0] == 2044;
            if (!fitsInt32(args[1]) || (gain && (args[1] < -1000 || args[1] > 1000)))
                return err(ErrRefused);
            calibration[size_t(args[0] - CalibrationFirst)] = int32_t(args[1]);
            return echo();
        }
        if (!want(1))
            return err(ErrBadArguments);
        if (key == "kf") {
            if (args[0] < 0 || args[0] > 2)
                return err(ErrRefused);
            analogueOutput = int(args[0]);
            return echo();
        }
        // ka: a test value on the selected channel
        if (analogueOutput == 0 || args[0] < -100000 || args[0] > 100000)
            return err(ErrRefused);
        analogueTestValue = int32_t(args[0]);
        return echo();
    }
    return err(ErrUnknownCommand);
}

} // namespace vx::sim
