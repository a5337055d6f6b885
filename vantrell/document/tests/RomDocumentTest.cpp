#include "vantrell/document/RomDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrell {
namespace {

// Writes down what it is told, with a name, into a log shared by several listeners.
class Recorder : public DocumentListener
{
  public:
    Recorder(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void stepApplied(const EditStep& step) override { log_.push_back(name_ + " step " + step.label); }
    void documentLoaded(DocumentLoad load) override
    {
        log_.push_back(name_ + " load " + std::to_string(static_cast<int>(load)));
    }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

std::vector<std::uint8_t> counting(std::size_t n)
{
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

TEST(RomDocument, ListenersHearStepsInTheOrderTheyWereAddedAndLoadsAsLoads)
{
    RomDocument doc;
    std::vector<std::string> log;
    Recorder first("first", log), second("second", log);
    doc.addListener(&first);
    doc.addListener(&second);
    doc.addListener(&first); // once is enough

    doc.reset(16);
    doc.loadImage(counting(32));
    doc.clear();
    EditStepBuilder b(doc.buffer());
    b.write(3, 0x42);
    EXPECT_TRUE(doc.apply(b.finish("poke", EditSource::GridKeys)));
    doc.removeListener(&first);
    EditStepBuilder again(doc.buffer());
    again.write(4, 1);
    ASSERT_TRUE(doc.apply(again.finish("again", EditSource::Limit)));

    EXPECT_EQ(log, (std::vector<std::string>{"first load 0", "second load 0", "first load 2", "second load 2",
                                             "first load 1", "second load 1", "first step poke",
                                             "second step poke", "second step again"}));
    EXPECT_EQ(doc.size(), 32u);
    EXPECT_EQ(doc.at(3), 0x42);
}

TEST(RomDocument, ABuilderReadsItsOwnWritesAndLeavesTheBufferAlone)
{
    RomDocument doc;
    doc.loadImage(counting(64));
    EditStepBuilder b(doc.buffer());
    const std::uint8_t first[] = {0xA0, 0xA1, 0xA2, 0xA3};
    ASSERT_TRUE(b.write(10, first));
    ASSERT_TRUE(b.write(12, b.at(11) + 1)); // reads 0xA1 from the step, not 11 from the buffer
    EXPECT_FALSE(b.write(62, first));       // would end outside the buffer: refused, not recorded
    EXPECT_EQ(doc.at(12), 12);

    const EditStep step = b.finish("two ranges", EditSource::InjectorTrim);
    ASSERT_EQ(step.changes.size(), 2u);
    EXPECT_EQ(step.changes[1], (ByteChange{12, {0xA2}, {0xA2}}));
    EXPECT_TRUE(step.changesBytes());

    ASSERT_TRUE(doc.apply(step));
    EXPECT_EQ(doc.range(10, 4)[2], 0xA2);
    // The inverse puts back exactly what was there, although the ranges overlap.
    ASSERT_TRUE(doc.apply(step.inverse()));
    EXPECT_EQ(doc.bytes(), counting(64));
}

TEST(RomDocument, AStepThatDoesNotFitIsRefusedWholeAndNobodyHearsOfIt)
{
    RomDocument doc;
    doc.loadImage(counting(16));
    std::vector<std::string> log;
    Recorder listener("l", log);
    doc.addListener(&listener);

    struct Case
    {
        const char* what;
        ByteChange second;
    };
    const Case cases[] = {
        {"outside the buffer", {15, {15, 0}, {1, 2}}},
        {"lengths differ", {5, {5}, {1, 2}}},
        {"computed against other bytes", {5, {99}, {1}}},
    };
    for (const Case& c : cases) {
        EditStep step;
        step.label = c.what;
        step.changes = {ByteChange{2, {2}, {200}}, c.second};
        EXPECT_FALSE(doc.apply(step)) << c.what;
        EXPECT_EQ(doc.bytes(), counting(16)) << c.what; // the first range was rolled back
    }
    EXPECT_TRUE(log.empty());

    EditStep same;
    same.changes = {ByteChange{1, {1}, {1}}};
    EXPECT_TRUE(doc.apply(same)); // rewrites without a change are steps the boards still hear
    EXPECT_FALSE(same.changesBytes());
}

} // namespace
} // namespace vantrell
