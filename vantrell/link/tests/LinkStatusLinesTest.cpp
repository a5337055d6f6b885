// The status lines of a range read, from the results the link's operations return over simulated boards
// on a fake clock: the lines rangeReadLines() gives, and the link writes exactly those to the status.
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

} // namespace
} // namespace vantrell::testing
