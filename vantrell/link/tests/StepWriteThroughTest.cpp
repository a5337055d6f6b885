// The document's listener over the link: what an edit step puts on the wire.
#include "vantrell/link/StepWriteThrough.h"

#include "InProcessRig.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vantrell::testing {
namespace {

// Short writes to board `id` as (wire address, length).
std::vector<std::pair<std::uint32_t, std::size_t>> sentTo(const boardsim::BoardBus& bus, std::uint8_t id)
{
    std::vector<std::pair<std::uint32_t, std::size_t>> sent;
    for (const emulink::Bytes& f : bus.frameLog())
        if (f[1] == id && f[2] == emulink::kCmdShortWrite)
            sent.emplace_back(std::uint32_t(f[4] << 8 | f[5]), f[3]);
    return sent;
}

TEST(StepWriteThrough, SendsRangesInOrderInPiecesOf255AndOnlyWhileOnline)
{
    // A 32K ROM on 32K boards: wire addresses are ROM addresses. Board 3 is in the list but never
    // answers: it takes the link offline at the first piece it is sent.
    InProcessRig rig({{1, 1, 0, 0x8000}});
    rig.link.setRomSize(0x8000);
    rig.online({1, 0}, 1);
    RomDocument doc;
    doc.reset(0x8000);
    StepWriteThrough sender(rig.link);
    doc.addListener(&sender);

    auto step = [&doc](bool reachesBoards) {
        EditStepBuilder b(doc.buffer());
        b.write(1000, std::vector<std::uint8_t>(600, 1));
        b.write(4, 7);
        return b.finish("tool", EditSource::AirflowMeter, reachesBoards);
    };
    ASSERT_TRUE(doc.apply(step(true)));
    EXPECT_EQ(sentTo(rig.bus, 1), (std::vector<std::pair<std::uint32_t, std::size_t>>{
                                      {1000, 255}, {1255, 255}, {1510, 90}, {4, 1}}));

    rig.bus.clearFrameLog();
    ASSERT_TRUE(doc.apply(step(false))); // the shunt: the boards are not told
    doc.loadImage(std::vector<std::uint8_t>(0x8000, 3));
    EXPECT_TRUE(rig.bus.frameLog().empty());

    // The second board stops answering at the first piece: the rest stays in the buffer.
    rig.link.goOffline();
    rig.online({1, 3}, 2);
    ASSERT_TRUE(rig.link.isOnline());
    ASSERT_TRUE(doc.apply(step(true)));
    EXPECT_EQ(sentTo(rig.bus, 1).size(), 1u);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_EQ(doc.at(4), 7);
    doc.removeListener(&sender);
}

} // namespace
} // namespace vantrell::testing
