// Property: a clean byte stream through a real terminal (a pseudo-terminal, whose line
// discipline doubles every FFh as a UART's does under PARMRK) decodes back unchanged
// by the termios line's mark decoder, with no line error reported.
#include "FuzzSupport.h"
#include "comm/PosixSerialLine.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace vx;

namespace {

struct Pty {
    int master = -1, slave = -1;
    PosixSerialLine line;
    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        if (!line.open(name)) return;
        line.setFrame({9600, 8, 'E', 1});
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Pty pty;
    FUZZ_CHECK(pty.line.isOpen());
    size = std::min<size_t>(size, 1024); // well inside the terminal's input buffer
    pty.line.purge();
    pty.line.takeLineErrors();
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(pty.master, data + written, size - written);
        FUZZ_CHECK(n > 0);
        written += size_t(n);
    }
    for (size_t i = 0; i < size; ++i) {
        uint8_t b = 0;
        FUZZ_CHECK(pty.line.readByte(b, 2000) == SerialLine::ReadResult::Byte);
        FUZZ_CHECK(b == data[i]);
    }
    uint8_t extra = 0;
    FUZZ_CHECK(pty.line.readByte(extra, 0) == SerialLine::ReadResult::Timeout);
    FUZZ_CHECK(pty.line.takeLineErrors() == 0);
    return 0;
}
