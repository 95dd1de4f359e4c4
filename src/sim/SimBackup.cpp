#include "sim/SimBackup.h"

#include "sim/SimBus.h"
#include "sim/SimOptions.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vx::sim {

namespace {

// The backup file's layout: two start marks, 2001 parameter slots, 2000 setpoint
// slots (from setpoint 1), two end marks; little-endian 32-bit words.
constexpr int32_t StartMark = 11223344;
constexpr int32_t EndMark = 123456789;
constexpr size_t ParSlots = 2001, SollSlots = 2000;
constexpr size_t FileSize = 4 * (2 + ParSlots + SollSlots + 2);

int32_t word(const std::string& bytes, size_t index)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * index;
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

bool jsonMember(const std::string& json, const std::string& name, std::string& value)
{
    const std::string key = "\"" + name + "\"";
    size_t at = json.find(key);
    if (at == std::string::npos)
        return false;
    at = json.find_first_not_of(" \t\r\n", at + key.size());
    if (at == std::string::npos || json[at] != ':')
        return false;
    at = json.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string::npos)
        return false;
    value.clear();
    if (json[at] != '"') {
        const size_t end = json.find_first_of(",}\r\n", at);
        value = json.substr(at, end == std::string::npos ? std::string::npos : end - at);
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        return !value.empty();
    }
    for (size_t i = at + 1; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"')
            return true;
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i >= json.size())
            return false;
        switch (json[i]) {
        case 'n': value += '\n'; break;
        case 't': value += '\t'; break;
        case 'r': value += '\r'; break;
        case 'b': value += '\b'; break;
        case 'f': value += '\f'; break;
        case 'u': {
            // Identification texts are ASCII; anything else becomes '?'.
            if (i + 4 >= json.size())
                return false;
            const long code = std::strtol(json.substr(i + 1, 4).c_str(), nullptr, 16);
            value += code > 0 && code < 0x80 ? char(code) : '?';
            i += 4;
            break;
        }
        default: value += json[i];
        }
    }
    return false;
}

bool loadBackupUnit(const std::string& path, BackupUnit& out, std::string& error)
{
    std::string bytes;
    if (!readFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    if (bytes.size() != FileSize) {
        error = path + ": " + std::to_string(bytes.size()) + " bytes, a backup file has " + std::to_string(FileSize);
        return false;
    }
    const size_t last = FileSize / 4 - 1;
    if (word(bytes, 0) != StartMark || word(bytes, 1) != StartMark || word(bytes, last - 1) != EndMark
        || word(bytes, last) != EndMark) {
        error = path + ": no backup file (its marks are wrong)";
        return false;
    }
    for (size_t n = 0; n < out.parameters.size(); ++n)
        out.parameters[n] = word(bytes, 2 + n);
    for (size_t n = 1; n < out.setpoints.size(); ++n)
        out.setpoints[n] = word(bytes, 2 + ParSlots + n - 1);

    // The first five parameters are the unit's own number and line settings.
    UnitConfig& c = out.config;
    static constexpr int bauds[] = {9600, 19200, 28800, 38400, 57600, 115200};
    if (out.parameters[0] >= 0 && out.parameters[0] <= 31)
        c.number = out.parameters[0];
    if (out.parameters[1] >= 0 && out.parameters[1] < int32_t(std::size(bauds)))
        c.frame.baud = bauds[out.parameters[1]];
    c.frame.parity = out.parameters[2] == 1 ? 'E' : out.parameters[2] == 2 ? 'O'
                                                                           : 'N';
    c.frame.stopBits = out.parameters[3] == 1 ? 2 : 1;
    c.frame.dataBits = out.parameters[4] == 0 ? 7 : 8;

    std::string json;
    out.hasManifest = readFile(path + ".json", json);
    if (!out.hasManifest)
        return true;
    std::string v;
    if (!jsonMember(json, "sha256", v)) {
        error = path + ".json: no manifest";
        return false;
    }
    if (jsonMember(json, "rt", v) && !v.empty()) {
        c.typeText = v;
        c.type = v.substr(0, 4);
    }
    if (jsonMember(json, "rh", v))
        c.hardwareText = v;
    if (jsonMember(json, "rx", v))
        c.extraText = v;
    if (jsonMember(json, "unit", v)) {
        const long unit = std::strtol(v.c_str(), nullptr, 10);
        if (unit >= 0 && unit <= 31)
            c.number = int(unit);
    }
    // "9600 8E1" as the simulator's "9600:8E1".
    if (jsonMember(json, "line", v) && v.find(' ') != std::string::npos) {
        LineFrame frame;
        if (parseFrame(v.replace(v.find(' '), 1, ":"), frame))
            c.frame = frame;
    }
    return true;
}

void addBackupUnit(SimBus& bus, const BackupUnit& unit)
{
    bus.addUnit(unit.config);
    bus.withUnit(unit.config.number, [&](SimUnit& u) {
        u.parameters = unit.parameters;
        u.setpoints = unit.setpoints;
    });
}

} // namespace vx::sim
