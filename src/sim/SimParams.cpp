#include "sim/SimParams.h"

#include <cctype>
#include <fstream>
#include <limits>
#include <sstream>

namespace vx::sim {

bool ParamTable::allows(int number, int64_t value) const
{
    if (number < 0 || number > 511)
        return false;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return false;
    const ParamLimit& l = limits[size_t(number)];
    return !l.checked || (value >= l.min && value <= l.max);
}

bool parseIniInteger(const std::string& text, int64_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const int c = std::tolower(static_cast<unsigned char>(text[i]));
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return false;
        v = v * base + d;
        if (v > (int64_t(1) << 40))
            return false;
    }
    value = negative ? -v : v;
    return true;
}

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int32_t clamp32(int64_t v)
{
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return int32_t(v);
}

} // namespace

ParamTable parseParamTable(const std::string& text)
{
    ParamTable table;
    table.loaded = true;
    // First occurrence of a section or key wins.
    std::array<bool, 512> seenSection{};
    struct Keys {
        bool min = false, max = false, def = false;
    };
    std::array<Keys, 512> seenKey{};

    int current = -1;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = line.substr(1, line.size() - 2);
            current = -1;
            int64_t n;
            // Sections are named "%3.3d"; take only such names.
            if (name.size() == 3 && std::isdigit(static_cast<unsigned char>(name[0]))
                && parseIniInteger(name, n) && n >= 0 && n <= 511 && !seenSection[size_t(n)]) {
                seenSection[size_t(n)] = true;
                current = int(n);
            }
            continue;
        }
        if (current < 0)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = lower(line.substr(0, eq));
        int64_t v = 0;
        const bool ok = parseIniInteger(line.substr(eq + 1), v);
        ParamLimit& l = table.limits[size_t(current)];
        Keys& k = seenKey[size_t(current)];
        if (key == "min" && !k.min) {
            k.min = true;
            l.min = ok ? clamp32(v) : 0;
        } else if (key == "max" && !k.max) {
            k.max = true;
            l.max = ok ? clamp32(v) : 0;
        } else if (key == "default" && !k.def) {
            k.def = true;
            l.def = ok ? clamp32(v) : 0;
        }
    }
    for (size_t i = 0; i < 512; ++i)
        table.limits[i].checked = (seenKey[i].min || seenKey[i].max) && table.limits[i].min <= table.limits[i].max;
    return table;
}

ParamTable loadParamTable(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        ParamTable t;
        t.path = path;
        return t;
    }
    std::ostringstream ss;
    ss << f.rdbuf();
    ParamTable t = parseParamTable(ss.str());
    t.path = path;
    return t;
}

} // namespace vx::sim
