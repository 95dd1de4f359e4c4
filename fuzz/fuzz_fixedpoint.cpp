// Property: TextToFixed reads back whatever FixedToText writes, for every decimals
// setting and every value the definitions' limits allow; and a text it accepts lies
// within the bounds and reads back the same once written out again.
#include "FuzzSupport.h"
#include "params/FixedPoint.h"

using namespace vx;

namespace {
// The widest limits a definition holds, and the nine-character rule's own.
constexpr qint32 Lower = -99999999, Upper = 999999999;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    int decimals = int(in.byte() % 40) - 2;
    if (decimals == 9) decimals = 8; // 9 stands for parameter 203's count, not for nine
    const qint32 value = in.int32();
    const bool negative = in.byte() & 1;
    const QString text = QString::fromLatin1(in.rest());

    if (value >= Lower && value <= Upper) {
        FUZZ_CHECK(TextToFixed(FixedToText(decimals, value), decimals, true, Lower, Upper) == value);
    }
    const qint32 v = TextToFixed(text, decimals, negative, Lower, Upper);
    if (v != FixedMalformed && v != FixedOutOfRange) {
        FUZZ_CHECK(v >= Lower && v <= Upper);
        FUZZ_CHECK(negative || v >= 0);
        FUZZ_CHECK(TextToFixed(FixedToText(decimals, v), decimals, negative, Lower, Upper) == v);
    }
    return 0;
}
