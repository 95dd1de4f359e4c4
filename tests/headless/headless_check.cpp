// A program made of the headless layers alone: a parameter set goes through its file
// format and back, and a reply through the command set's check. Its link line is
// what the layering test inspects.
#include "device/CommandSet.h"
#include "params/ParFormats.h"

#include <cstdio>

int main()
{
    vx::TParWaarden values;
    for (int n = 0; n < 512; ++n)
        values[n] = n * 7 - 1000;
    vx::TParWaarden back;
    const auto error = vx::files::parseParameterFile(vx::files::parameterFileText(0, values), back);
    const auto reply = vx::cmd::checkReply(u"rp 12", "rp 12 -916\r\n");
    const bool ok = error == vx::files::TextFileError::None && back[511] == values[511] && reply.ok()
                    && reply.number && *reply.number == values[12];
    std::puts(ok ? "headless layers work" : "headless layers broken");
    return ok ? 0 : 1;
}
