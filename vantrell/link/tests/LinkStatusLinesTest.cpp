// The status lines of a range read, from the results the link's operations return over simulated boards
// on a fake clock: the lines rangeReadLines() gives, and the link writes exactly those to the status. And
// the lines of a size that two version replies did not confirm, and of an upload that a board does not
// hold when read back.
#include "vantrell/link/LinkStatusLines.h"

#include "InProcessRig.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace vantrell::testing {
namespace {

using boardsim::Fault;
using emulink::RangeRead;

// Two 27C512 boards, a 32K ROM, online: ROM address 0 is wire address 0x8000.
const std::vector<boardsim::BoardConfig> kTwo27C512{{1, 1, 0, 0x10000}, {2, 1, 0, 0x10000}};

void goOnlineWithA32KRom(InProcessRig& rig)
{
    rig.link.setRomSize(0x8000);
    rig.online();
    ASSERT_EQ(rig.link.emulatorOffset(), 0x8000);
}

TEST(LinkStatusLinesRangeRead, AWholeReadSaysNothing)
{
    InProcessRig rig(kTwo27C512);
    goOnlineWithA32KRom(rig);
    const RangeRead read = rig.link.readRange(2, 0x7D00, 0x300);
    EXPECT_TRUE(read.complete);
    EXPECT_TRUE(rangeReadLines(read).empty());
    EXPECT_TRUE(rig.takeLines().empty());
}

TEST(LinkStatusLinesRangeRead, ABoardFallingSilentGivesTheNotRespondingLines)
{
    InProcessRig rig(kTwo27C512);
    goOnlineWithA32KRom(rig);
    const RangeRead read = rig.link.readRange(1, 0, 0x800, [&](int block, int) {
        if (block == 5)
            rig.bus.injectFault(Fault::NoReply, 1000);
    });
    EXPECT_FALSE(read.complete);
    EXPECT_THAT(rangeReadLines(read), ElementsAre(link_messages::kWarning, link_messages::kNotResponding,
                                                  link_messages::kDisabled, link_messages::kWarning));
    EXPECT_EQ(rig.takeLines(), rangeReadLines(read));
}

TEST(LinkStatusLinesRangeRead, ARangeThatCannotBeReadSaysWhy)
{
    struct Case
    {
        std::uint8_t id;
        std::uint32_t address;
        std::size_t length;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {3, 0, 256, {}},
        {1, 0, 300, {"Read refused - a range of 300 bytes is not a whole number of 256-byte blocks"}},
        {1, 0x7F00, 0x200, {"Read refused - ROM address &h7F00 to &h80FF is outside the emulator memory"}},
        {1, 0x7F01, 0x100, {"Read refused - ROM address &h7F01 to &h8000 is outside the emulator memory"}},
    };
    for (const Case& c : cases) {
        InProcessRig rig(kTwo27C512);
        goOnlineWithA32KRom(rig);
        const std::string label =
            std::to_string(c.id) + " @" + std::to_string(c.address) + " +" + std::to_string(c.length);
        const RangeRead read = rig.link.readRange(c.id, c.address, c.length);
        EXPECT_FALSE(read.complete) << label;
        EXPECT_EQ(rangeReadLines(read), c.lines) << label;
        EXPECT_EQ(rig.takeLines(), c.lines) << label;
        EXPECT_TRUE(rig.bus.frameLog().empty()) << label;
    }
}

TEST(LinkStatusLinesOnline, ASizeThatIsNotConfirmedSaysWhichSizeIsTaken)
{
    using emulink::OnlineResult;
    using emulink::SizeCheck;
    struct Case
    {
        SizeCheck check;
        std::uint32_t heard, other, taken;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {SizeCheck::Agreed,
         0,
         0,
         0x10000,
         {"Emulator found : v 1. 0", "Can emulate up to 27c512 eprom size"}},
        {SizeCheck::Disagreed,
         0x10000,
         0x8000,
         0x8000,
         {"Emulator found : v 1. 0", "Emulator ID  1 gave two sizes, 27c512 and 27c256 - 27c256 is taken",
          "Can emulate up to 27c256 eprom size"}},
        {SizeCheck::Unconfirmed,
         0x10000,
         0,
         0x8000,
         {"Emulator found : v 1. 0", "Emulator ID  1 did not repeat its size of 27c512 - 27c256 is taken",
          "Can emulate up to 27c256 eprom size"}},
    };
    for (const Case& c : cases) {
        OnlineResult result;
        result.outcome = OnlineResult::Outcome::Online;
        result.boardId = 1;
        result.major = 1;
        result.boardSize = c.taken;
        result.sizeCheck = c.check;
        result.heardSize = c.heard;
        result.otherSize = c.other;
        EXPECT_EQ(onlineLines(result), c.lines) << int(c.check);
    }
}

TEST(LinkStatusLinesUpload, ABoardThatWrapsItsMemoryEndsTheUploadAsIncomplete)
{
    // A 32K board that says it holds 64K.
    InProcessRig rig({{1, 1, 0, 0x8000, 0x10000}});
    rig.link.setRomSize(0x10000);
    rig.online({1, 0}, 1);
    ASSERT_TRUE(rig.link.isOnline());
    emulink::Bytes rom(0x10000);
    for (std::size_t i = 0; i < rom.size(); ++i)
        rom[i] = static_cast<std::uint8_t>(i / 256);
    const emulink::UploadResult result = rig.link.upload(rom);
    EXPECT_FALSE(result.complete);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_THAT(rig.takeLines(),
                ElementsAre("Emulator ID  1 holds other bytes at ROM address &h0000 to &h00FF "
                            "than were uploaded - its memory may be smaller than it reports",
                            link_messages::kUploadIncomplete, "Chunks sent: 256 of 256"));
}

} // namespace
} // namespace vantrell::testing
