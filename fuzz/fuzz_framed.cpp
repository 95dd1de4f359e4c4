// Property: a frame the framed codecs put on the line is taken back whole and unchanged
// by the same codec, and any bytes that follow (noise, cut telegrams, doubled or single
// escape bytes) end in NeedMore, Done or Error without reading or writing past the frame.
#include "FuzzSupport.h"
#include "comm/SSBCodec.h"
#include "comm/SX2Codec.h"

#include <memory>

using namespace vx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool ssb = in.byte() & 1;
    std::unique_ptr<FrameCodec> codec;
    if (ssb) codec = std::make_unique<SSBCodec>();
    else codec = std::make_unique<SX2Codec>();

    TFrame frame{};
    const int count = 2 + in.byte() % (ssb ? SSBCodec::MaxData : 254);
    frame[0] = uint8_t(count);
    for (int i = 1; i < count; ++i) frame[size_t(i)] = in.byte();

    const std::vector<uint8_t> wire = codec->encode(frame);
    codec->reset();
    FrameCodec::Status s = FrameCodec::Status::NeedMore;
    size_t used = 0;
    for (; used < wire.size() && s == FrameCodec::Status::NeedMore; ++used) s = codec->feed(wire[used]);
    FUZZ_CHECK(s == FrameCodec::Status::Done && used == wire.size());
    for (int i = 0; i < count; ++i) FUZZ_CHECK(codec->reply()[size_t(i)] == frame[size_t(i)]);
    FUZZ_CHECK((codec->error() == codec::DeviceError) == (frame[1] == 0xFF));

    // The rest of the input as a reply of its own.
    codec->reset();
    const QByteArray noise = in.rest();
    s = FrameCodec::Status::NeedMore;
    for (qsizetype i = 0; i < noise.size() && s == FrameCodec::Status::NeedMore; ++i) s = codec->feed(uint8_t(noise[i]));
    if (s == FrameCodec::Status::Error) FUZZ_CHECK(codec->error() != 0);
    if (s == FrameCodec::Status::Done) FUZZ_CHECK(codec->reply()[0] >= 1);
    return 0;
}
