#include "vantrell/link/StepWriteThrough.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vantrell {
namespace {

class Wire : public WriteThrough
{
  public:
    bool isOnline() const override { return online; }
    void writeThrough(std::uint32_t address, std::span<const std::uint8_t> bytes) override
    {
        if (!online)
            return; // as the link does: offline, nothing goes out
        sent.emplace_back(address, bytes.size());
        if (dropAfter > 0 && sent.size() == dropAfter)
            online = false;
    }
    bool online = true;
    std::size_t dropAfter = 0;
    std::vector<std::pair<std::uint32_t, std::size_t>> sent;
};

TEST(StepWriteThrough, SendsRangesInOrderInPiecesOf255AndOnlyWhileOnline)
{
    RomDocument doc;
    doc.reset(2048);
    Wire wire;
    StepWriteThrough sender(wire);
    doc.addListener(&sender);

    auto step = [&doc](bool reachesBoards) {
        EditStepBuilder b(doc.buffer());
        b.write(1000, std::vector<std::uint8_t>(600, 1));
        b.write(4, 7);
        return b.finish("tool", EditSource::AirflowMeter, reachesBoards);
    };
    ASSERT_TRUE(doc.apply(step(true)));
    EXPECT_EQ(wire.sent, (std::vector<std::pair<std::uint32_t, std::size_t>>{
                             {1000, 255}, {1255, 255}, {1510, 90}, {4, 1}}));

    wire.sent.clear();
    ASSERT_TRUE(doc.apply(step(false))); // the shunt: the boards are not told
    doc.loadImage(std::vector<std::uint8_t>(2048, 3));
    EXPECT_TRUE(wire.sent.empty());

    wire.dropAfter = 1; // the board stops answering after the first piece: the rest stays in the buffer
    ASSERT_TRUE(doc.apply(step(true)));
    EXPECT_EQ(wire.sent.size(), 1u);
    EXPECT_EQ(doc.at(4), 7);
}

} // namespace
} // namespace vantrell
