#include "FrameReader.h"

#include <gtest/gtest.h>

namespace consult {
namespace {

Bytes frame(std::initializer_list<std::uint8_t> data)
{
    Bytes f{kFrameStart, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data);
    return f;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Read
{
    std::vector<Bytes> frames;
    std::uint64_t lost = 0;
    bool stopped = false;
};

// Feeds the bytes in pieces of `piece` bytes (0: all at once).
Read readAll(const Bytes& bytes, std::size_t length, std::size_t piece = 0, bool stop = false)
{
    FrameReader reader(length);
    if (stop)
        reader.expectStop();
    Read read;
    const std::size_t step = piece == 0 ? bytes.size() : piece;
    for (std::size_t at = 0; at < bytes.size(); at += step)
        reader.feed(std::span(bytes).subspan(at, std::min(step, bytes.size() - at)), read.frames);
    read.lost = reader.framesLost();
    read.stopped = reader.stopped();
    return read;
}

TEST(FrameReader, TakesFramesConfirmedByTheNextStartWhateverThePieces)
{
    const Bytes f1 = frame({1, 2, 3}), f2 = frame({4, 0xFF, 3}), f3 = frame({7, 8, 9});
    const Bytes start = {kFrameStart};
    struct Case
    {
        const char* name;
        Bytes bytes;
        bool stop;
        std::vector<Bytes> frames;
        std::uint64_t lost;
        bool stopped;
    };
    const Case cases[] = {
        {"clean stream", join({f1, f2, f3, start}), false, {{1, 2, 3}, {4, 0xFF, 3}, {7, 8, 9}}, 0, false},
        {"last frame waits for its confirmation", join({f1, f2}), false, {{1, 2, 3}}, 0, false},
        {"stop reply confirms and ends",
         join({f1, f2, {kStopReply}, f3}),
         true,
         {{1, 2, 3}, {4, 0xFF, 3}},
         0,
         true},
        {"stop reply not expected is noise",
         join({f1, f2, {kStopReply}, f3, start}),
         false,
         {{1, 2, 3}, {7, 8, 9}},
         1,
         false},
        {"noise inside a frame drops it",
         join({f1, {0xFF, 3, 4, 0x11, 0x22, 5, 6}, f3, start}),
         false,
         {{1, 2, 3}, {7, 8, 9}},
         1,
         false},
        {"bad length drops the frame",
         join({f1, {0xFF, 9, 4, 5, 6}, f3, start}),
         false,
         {{1, 2, 3}, {7, 8, 9}},
         1,
         false},
        {"byte lost inside a frame",
         join({f1, {0xFF, 3, 4, 5}, f3, start}),
         false,
         {{1, 2, 3}, {7, 8, 9}},
         1,
         false},
        {"garbage before the first frame",
         join({{0x12, 0x34, 0x56}, f1, f2, start}),
         false,
         {{1, 2, 3}, {4, 0xFF, 3}},
         1,
         false},
        // Garbage right after a frame leaves it unconfirmed: it goes with the frames the garbage covers.
        {"long garbage counts the frames it covered",
         join({f1, Bytes(25, 0x00), f3, start}),
         false,
         {{7, 8, 9}},
         6,
         false},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {0u, 1u, 2u, 5u}) {
            const Read read = readAll(c.bytes, 3, piece, c.stop);
            EXPECT_EQ(read.frames, c.frames) << c.name << ", pieces of " << piece;
            EXPECT_EQ(read.lost, c.lost) << c.name << ", pieces of " << piece;
            EXPECT_EQ(read.stopped, c.stopped) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(FrameReader, RefusesLayoutsNoFrameCanHold)
{
    EXPECT_THROW(FrameReader(0), std::invalid_argument);
    EXPECT_THROW(FrameReader(21), std::invalid_argument);
}

TEST(FrameReader, ReplyFramesReadTheirOwnLength)
{
    struct Case
    {
        Bytes bytes;
        bool complete;
        bool bad;
        Bytes data;
    };
    const Case cases[] = {
        {{0xFF, 4, 0x14, 3, 0x21, 0}, true, false, {0x14, 3, 0x21, 0}},
        {{0xFF, 0}, true, false, {}},
        {{0xFF, 4, 0x14}, false, false, {}},
        {{0xFF}, false, false, {}},
        {{0x12, 0xFF, 0}, false, true, {}},
    };
    for (const Case& c : cases) {
        const ReplyFrame reply = readReplyFrame(c.bytes);
        EXPECT_EQ(reply.complete, c.complete);
        EXPECT_EQ(reply.bad, c.bad);
        EXPECT_EQ(reply.data, c.data);
    }
}

} // namespace
} // namespace consult
