#include "vantrell/history/EditHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrell {
namespace {

class History : public ::testing::Test
{
  protected:
    void SetUp() override { doc.loadImage(std::vector<std::uint8_t>(64, 0)); }

    // One step writing `bytes` at `address`; `label` names it.
    void edit(const std::string& label, std::uint32_t address, std::vector<std::uint8_t> bytes,
              EditSource source = EditSource::GridKeys)
    {
        EditStepBuilder b(doc.buffer());
        b.write(address, bytes);
        ASSERT_TRUE(doc.apply(b.finish(label, source)));
    }

    RomDocument doc;
    EditHistory history{doc, 3};
};

TEST_F(History, UndoAndRedoPutBackExactlyTheBytesAndANewStepDropsTheRedoSteps)
{
    int told = 0;
    history.setChangedCallback([&told] { ++told; });
    edit("first", 0, {1, 2, 3});
    edit("second", 2, {9, 9}); // overlaps the first
    EXPECT_EQ(history.undoLabel(), "second");
    EXPECT_FALSE(history.canRedo());

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(doc.range(0, 4)[2], 3);
    EXPECT_EQ(history.redoLabel(), "second");
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(doc.bytes(), std::vector<std::uint8_t>(64, 0));
    EXPECT_FALSE(history.undo());

    ASSERT_TRUE(history.redo());
    EXPECT_EQ(doc.at(1), 2);
    edit("third", 10, {5});
    EXPECT_FALSE(history.canRedo()); // "second" is gone
    EXPECT_EQ(history.undoCount(), 2u);
    EXPECT_EQ(told, 6);
}

TEST_F(History, ARewriteWithoutChangeIsNoStepAndLeavesTheRedoSteps)
{
    edit("change", 4, {7});
    ASSERT_TRUE(history.undo());
    edit("rewrite", 5, {0}); // the grid's "any other key": the same byte again
    EXPECT_EQ(history.redoLabel(), "change");
    EXPECT_EQ(history.undoCount(), 0u);
}

TEST_F(History, OnlyTheNewestStepsAreKeptAndALoadEmptiesTheHistory)
{
    for (std::uint8_t i = 1; i <= 5; ++i)
        edit("step " + std::to_string(i), i, {i});
    EXPECT_EQ(history.undoCount(), 3u);
    while (history.undo()) {
    }
    EXPECT_EQ(doc.at(2), 2); // steps 1 and 2 fell out; their bytes stay
    EXPECT_EQ(doc.at(3), 0);

    for (DocumentLoad load : {DocumentLoad::Image, DocumentLoad::Definition, DocumentLoad::Cleared}) {
        edit("before load", 20, {1});
        if (load == DocumentLoad::Image)
            doc.loadImage(std::vector<std::uint8_t>(64, 3));
        else if (load == DocumentLoad::Definition)
            doc.reset(64);
        else
            doc.clear();
        EXPECT_FALSE(history.canUndo());
        EXPECT_FALSE(history.canRedo());
    }
}

TEST_F(History, UndoKeepsTheStepsOrderAndHowItReachesTheBoards)
{
    std::vector<EditStep> seen;
    struct Spy : DocumentListener
    {
        std::vector<EditStep>& seen;
        explicit Spy(std::vector<EditStep>& s) : seen(s) {}
        void stepApplied(const EditStep& step) override { seen.push_back(step); }
        void documentLoaded(DocumentLoad) override {}
    } spy(seen);
    doc.addListener(&spy);
    EditStepBuilder b(doc.buffer());
    b.write(30, 1);
    b.write(40, 2);
    b.write(50, 0); // unchanged: not kept
    ASSERT_TRUE(doc.apply(b.finish("shunt", EditSource::Shunt, false)));
    ASSERT_TRUE(history.undo());
    doc.removeListener(&spy);

    ASSERT_EQ(seen.size(), 2u);
    const EditStep& undo = seen[1];
    EXPECT_EQ(undo.label, "shunt");
    EXPECT_FALSE(undo.reachesBoards);
    ASSERT_EQ(undo.changes.size(), 2u);
    EXPECT_EQ(undo.changes[0], (ByteChange{30, {1}, {0}})); // the same order: the ranges do not overlap
    EXPECT_EQ(undo.changes[1], (ByteChange{40, {2}, {0}}));
}

} // namespace
} // namespace vantrell
