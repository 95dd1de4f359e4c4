// Properties of the termios line's PARMRK decoder, chosen by the first byte:
// - even: a clean byte stream through a real terminal (a pseudo-terminal, whose line
//   discipline doubles every FFh as a UART's does) decodes back unchanged, no line error;
// - odd, bit 1 clear: a stream of bytes, marked bytes and breaks, written as the line
//   discipline marks them, decodes back to its bytes with the right error classes,
//   however the reads cut it;
// - odd, bit 1 set: raw bytes, marks or not, decode to the same bytes and errors
//   whether read whole or in pieces (a mark cut between two reads waits for its rest).
#include "FuzzSupport.h"
#include "comm/PosixSerialLine.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>
#include <vector>

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

void throughPty(const uint8_t* data, size_t size)
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
}

struct Decoded {
    std::vector<uint8_t> bytes;
    uint32_t errors = 0;
    size_t left = 0; // bytes of an unfinished mark at the end
};

// As the line reads: pieces appended to one buffer, decoded as far as they go, the
// buffer emptied once all of it is taken. cuts gives the piece lengths (0: the rest).
Decoded decode(const std::vector<uint8_t>& stream, bool parity, fuzz::Input& cuts)
{
    Decoded d;
    std::vector<uint8_t> in;
    size_t pos = 0;
    size_t fed = 0;
    while (fed < stream.size()) {
        size_t n = cuts.empty() ? stream.size() - fed : 1 + cuts.byte() % 8;
        n = std::min(n, stream.size() - fed);
        in.insert(in.end(), stream.begin() + ptrdiff_t(fed), stream.begin() + ptrdiff_t(fed + n));
        fed += n;
        uint8_t b = 0;
        while (decodeMarked(in, pos, b, d.errors, parity))
            d.bytes.push_back(b);
        FUZZ_CHECK(pos <= in.size());
        if (pos == in.size()) {
            in.clear();
            pos = 0;
        }
    }
    d.left = in.size() - pos;
    FUZZ_CHECK(d.left <= 2); // FF, or FF 00
    return d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    if ((mode & 1) == 0) {
        if (size > 0) throughPty(data + 1, size - 1);
        return 0;
    }
    const bool parity = (mode & 4) != 0;
    const uint32_t markError = parity ? CE_RXPARITY : CE_FRAME;
    const size_t length = std::min<size_t>(in.byte(), size / 2);
    const QByteArray body = in.rest();
    // The bytes that describe the stream come first; what follows cuts it into reads.
    const auto* b = reinterpret_cast<const uint8_t*>(body.constData());
    const size_t streamBytes = std::min<size_t>(length * 2, size_t(body.size()));
    fuzz::Input cuts(b + streamBytes, size_t(body.size()) - streamBytes);
    if (mode & 2) {
        const std::vector<uint8_t> raw(b, b + streamBytes);
        fuzz::Input whole(nullptr, 0);
        const Decoded a = decode(raw, parity, whole);
        const Decoded c = decode(raw, parity, cuts);
        FUZZ_CHECK(a.bytes == c.bytes && a.errors == c.errors && a.left == c.left);
        FUZZ_CHECK(a.bytes.size() <= raw.size());
        FUZZ_CHECK((a.errors & ~(CE_BREAK | markError)) == 0);
        return 0;
    }
    // Pairs (kind, value): 0 a marked value, 1 a break, else the value as it came.
    std::vector<uint8_t> stream, expected;
    uint32_t expectedErrors = 0;
    for (size_t i = 0; i + 1 < streamBytes; i += 2) {
        const uint8_t kind = b[i] % 8, v = b[i + 1];
        if (kind == 0 && v != 0) {
            stream.insert(stream.end(), {0xFF, 0x00, v});
            expected.push_back(v);
            expectedErrors |= markError;
        } else if (kind <= 1) { // a marked NUL is the break's mark
            stream.insert(stream.end(), {0xFF, 0x00, 0x00});
            expectedErrors |= CE_BREAK;
        } else {
            stream.push_back(v);
            if (v == 0xFF) stream.push_back(0xFF);
            expected.push_back(v);
        }
    }
    const Decoded d = decode(stream, parity, cuts);
    FUZZ_CHECK(d.left == 0);
    FUZZ_CHECK(d.bytes == expected);
    FUZZ_CHECK(d.errors == expectedErrors);
    return 0;
}
