// The diagnostic link's frame reader fed arbitrary bytes in arbitrary pieces. Every frame it passes
// on has the stream's length; the pieces never change what it reads (the same frames, the same lost
// count, the same stop); it never holds more than the bytes of one frame and its confirmation while
// it waits; after any noise, clean frames are read again. The reply-frame reader and the layout's
// decoding take the same bytes.
#include "fuzz/targets/FuzzFiles.h"

#include "consult/Channels.h"
#include "consult/FrameReader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Read
{
    std::vector<consult::Bytes> frames;
    std::uint64_t lost = 0;
    bool stopped = false;
};

Read readInPieces(std::size_t length, bool stop, const std::vector<std::uint8_t>& bytes,
                  const std::vector<std::size_t>& pieces)
{
    consult::FrameReader reader(length);
    if (stop)
        reader.expectStop();
    Read read;
    std::size_t at = 0, p = 0;
    while (at < bytes.size()) {
        const std::size_t n =
            pieces.empty() ? bytes.size() : std::min(pieces[p++ % pieces.size()], bytes.size() - at);
        reader.feed(std::span(bytes).subspan(at, n), read.frames);
        at += n;
    }
    read.lost = reader.framesLost();
    read.stopped = reader.stopped();
    FUZZ_CHECK(reader.framesRead() == read.frames.size());
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, consult::kMaxFrameData);
    const bool stop = in.ConsumeBool();
    std::vector<std::size_t> pieces;
    for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i)
        pieces.push_back(in.ConsumeIntegralInRange<std::size_t>(1, 40));
    const std::vector<std::uint8_t> bytes = in.ConsumeRemainingBytes<std::uint8_t>();

    const Read whole = readInPieces(length, stop, bytes, {});
    for (const consult::Bytes& frame : whole.frames)
        FUZZ_CHECK(frame.size() == length);
    const Read pieced =
        readInPieces(length, stop, bytes, pieces.empty() ? std::vector<std::size_t>{1} : pieces);
    FUZZ_CHECK(pieced.frames == whole.frames);
    FUZZ_CHECK(pieced.lost == whole.lost);
    FUZZ_CHECK(pieced.stopped == whole.stopped);

    // After whatever came before, two clean frames and the start of a third: the reader finds its
    // place again and reads at least the second of them.
    if (!whole.stopped) {
        consult::FrameReader reader(length);
        std::vector<consult::Bytes> frames;
        reader.feed(bytes, frames);
        consult::Bytes clean;
        for (int f = 0; f < 2; ++f) {
            clean.push_back(consult::kFrameStart);
            clean.push_back(static_cast<std::uint8_t>(length));
            for (std::size_t i = 0; i < length; ++i)
                clean.push_back(static_cast<std::uint8_t>(0x40 + f));
        }
        clean.push_back(consult::kFrameStart);
        frames.clear();
        reader.feed(clean, frames);
        FUZZ_CHECK(!frames.empty());
        FUZZ_CHECK(frames.back() == consult::Bytes(length, 0x41));
    }

    const consult::ReplyFrame reply = consult::readReplyFrame(bytes);
    if (reply.complete)
        FUZZ_CHECK(reply.data.size() + 2 == reply.length && reply.length <= bytes.size());
    const consult::StreamLayout layout = consult::standardLayout(0x0108);
    for (const consult::Bytes& frame : whole.frames)
        FUZZ_CHECK(layout.decode(frame).has_value() == (frame.size() == layout.frameLength()));
    return 0;
}
