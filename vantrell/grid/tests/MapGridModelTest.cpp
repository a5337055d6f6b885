#include "vantrell/grid/MapGridModel.h"

#include "vantrell/document/RomFile.h"

#include "common/StatusSink.h"

#include <QBrush>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>

namespace vantrell {
namespace {

class GridModel : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const std::string demo = std::string(TESSAVEL_SOURCE_DIR) + "/demo";
        ASSERT_TRUE(state.loadDefinition(demo + "/config/default", status));
        ASSERT_TRUE(readRomImage(demo + "/data/demo.bin", state.rom).ok);
        model.setModeSource([this] { return mode; });
    }
    QColor colour(const QModelIndex& index, int role) const
    {
        return index.data(role).value<QBrush>().color();
    }

    EditorState state;
    common::StatusLines status;
    DisplayMode mode = DisplayMode::Data;
    MapGridModel model{state};
};

TEST_F(GridModel, ACellShowsItsTextAndColourInEveryDisplayMode)
{
    const MapSet set = *state.currentMapSet();
    const QModelIndex cell = model.index(6, 9); // map cell (5, 8)
    for (DisplayMode m : {DisplayMode::Data, DisplayMode::InjectorTime, DisplayMode::AfRatio,
                          DisplayMode::DutyCycle, DisplayMode::Power, DisplayMode::Raw}) {
        mode = m;
        model.refresh();
        const CellLook look = cellLook(state, set, MapKind::Fuel, m, 5, 8);
        EXPECT_EQ(cell.data().toString().toStdString(), look.text) << int(m);
        EXPECT_EQ(colour(cell, Qt::BackgroundRole),
                  QColor(look.background.r, look.background.g, look.background.b));
        EXPECT_EQ(colour(cell, Qt::ForegroundRole), QColor(Qt::white));
        EXPECT_EQ(cell.data(MapGridModel::MarksRole).toInt(), 0);
    }
    const QModelIndex header = model.index(0, 9);
    EXPECT_EQ(header.data().toString().toStdString(), columnHeaderText(state.rom.at(set.loadAxis + 8)));
    EXPECT_EQ(colour(header, Qt::BackgroundRole), QColor(212, 208, 200));
    EXPECT_EQ(model.flags(header), Qt::NoItemFlags);
    EXPECT_TRUE(model.flags(cell).testFlag(Qt::ItemIsSelectable));

    // Marks are kept by ROM address: they follow the cell, and two kinds add up.
    model.setMarked(CellMark::DiffersFromReference, cellAddress(set, 5, 8), 1, true);
    model.setMarked(CellMark::DiffersOnBoard, cellAddress(set, 5, 7), 2, true);
    EXPECT_EQ(cell.data(MapGridModel::MarksRole).toInt(), 3);
    model.clearMarks(CellMark::DiffersFromReference);
    EXPECT_EQ(cell.data(MapGridModel::MarksRole).toInt(), 2);
}

TEST_F(GridModel, AStepChangesOnlyTheCellsItTouchedAndKeysShowTheEditColours)
{
    const MapSet set = *state.currentMapSet();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const std::optional<EditStep> keys = cellKeyStep(state, CellBlock{3, 2, 4, 3}, EditKey::Plus, true);
    ASSERT_TRUE(keys && state.rom.apply(*keys));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(3, 2));
    EXPECT_EQ(changed[0][1].value<QModelIndex>(), model.index(4, 3));
    const Rgb edited = editCellColour(MapKind::Fuel, state.rom.at(cellAddress(set, 2, 1)));
    EXPECT_EQ(colour(model.index(3, 2), Qt::BackgroundRole), QColor(edited.r, edited.g, edited.b));

    // A load axis byte changes its header and the whole column; any step but the keys brings the grid
    // colours back to the cells the keys had changed.
    const std::optional<EditStep> axis = loadAxisStep(state, 5, 1);
    ASSERT_TRUE(axis && state.rom.apply(*axis));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[1][0].value<QModelIndex>(), model.index(0, 2));
    EXPECT_EQ(changed[1][1].value<QModelIndex>(), model.index(16, 5));
    const Rgb grid = gridCellColour(MapKind::Fuel, state.rom.at(cellAddress(set, 2, 1)));
    EXPECT_EQ(colour(model.index(3, 2), Qt::BackgroundRole), QColor(grid.r, grid.g, grid.b));
}

} // namespace
} // namespace vantrell
