// What the board knowledge keeps of an upload that a board does not hold when read back: the bytes that
// differ are marked, over a link to simulated boards on a fake clock.
#include "vantrell/verify/BoardCheck.h"

#include "vantrell/link/EmulatorLink.h"

#include "boardsim/InProcessPort.h"
#include "common/StatusSink.h"
#include "emulink/FakeClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrell {
namespace {

TEST(BoardCheckUpload, ABoardThatWrapsItsMemoryLeavesTheDifferingBytesMarked)
{
    // A 32K board that says it holds 64K: the upload's second half lands on its first.
    boardsim::BoardBus bus({{1, 1, 0, 0x8000, 0x10000}});
    emulink::FakeClock clock;
    boardsim::InProcessPort port(bus, clock);
    common::StatusLines status;
    EmulatorLink link(port, clock, status);
    link.setPortName(QStringLiteral("sim0"));
    RomDocument document;
    std::vector<std::uint8_t> image(0x10000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i < 0x8000 ? 0x11 : 0x22);
    image[0x8010] = 0x11; // the same in both halves: not marked
    document.loadImage(image);
    BoardKnowledge knowledge;
    BoardCheck check(link, document, knowledge);
    std::uint32_t marksFrom = 1, marksLength = 0;
    check.setMarksChanged([&](std::uint32_t from, std::uint32_t length) {
        marksFrom = from;
        marksLength = length;
    });
    link.setRomSize(0x10000);
    link.setFoundEmulators({1, 0}, 1);
    ASSERT_TRUE(link.goOnline());

    const emulink::UploadResult result = link.upload(document.bytes());
    ASSERT_FALSE(result.complete);
    check.linkOffline(); // as the window does when the link goes offline
    check.uploadEnded(result);
    EXPECT_TRUE(knowledge.markedOn(1, 0x0000));
    EXPECT_TRUE(knowledge.markedOn(1, 0x00FF));
    EXPECT_FALSE(knowledge.markedOn(1, 0x0010));
    EXPECT_FALSE(knowledge.markedOn(1, 0xFF00));           // the last block holds what was sent
    EXPECT_EQ(knowledge.state(1, 0), BlockState::Unknown); // offline: nothing is known, the marks stay
    EXPECT_EQ(marksFrom, 0u);
    EXPECT_EQ(marksLength, 0x10000u);
}

} // namespace
} // namespace vantrell
