// The live trace on the editor's maps and what the grid model makes of it, over the demo definition and
// image: the TP address of the definition, the running cell and its neighbours' weights, the row alone
// without TP, the trail and its reset on another map.
#include "vantrell/grid/MapGridModel.h"
#include "vantrell/live/LiveTrace.h"

#include "common/clsIniFile.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace vantrell {
namespace {

const std::string kDefinition = TESSAVEL_SOURCE_DIR "/demo/config/default";

struct DemoState
{
    DemoState()
    {
        common::StatusLines status;
        EXPECT_TRUE(state.loadDefinition(kDefinition, status));
        QFile f(QStringLiteral(TESSAVEL_SOURCE_DIR "/demo/data/demo.bin"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray all = f.readAll();
        state.rom.loadImage(std::vector<std::uint8_t>(all.begin(), all.end()));
        const MapSet set = *state.mapSetOf(MapKey::FuelHigh);
        for (std::uint32_t i = 0; i < 16; ++i) {
            rpm.push_back(state.rom.at(set.rpmAxis + i) * 50.0);
            load.push_back(state.rom.at(set.loadAxis + i));
        }
    }
    EditorState state;
    std::vector<double> rpm, load; // the main fuel map's breakpoints
};

TEST(LiveTrace, TheTpAddressComesFromTheConsultSectionWhenItHoldsOne)
{
    const std::pair<std::string, std::optional<std::uint16_t>> cases[] = {
        {"&h108", 0x108},
        {"264", 264},
        {"&hffff", 0xFFFF},
        {"&h10000", std::nullopt}, // past what the ECU can address
        {"-1", std::nullopt},
        {"x12", std::nullopt},
        {common::clsIniFile::kEmptyValue, std::nullopt}, // the key is missing
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EngineDefinition def;
        def.tpram = text;
        EXPECT_EQ(tpAddressOf(def), expected) << text;
    }
    EXPECT_EQ(tpAddressOf(loadEngineDefinition(kDefinition).definition), 0x108);
}

TEST(LiveTrace, MarksTheRunningCellTheFourAroundItByClosenessAndTheRowAloneWithoutTp)
{
    DemoState demo;
    struct Case
    {
        double rpm;
        std::optional<double> tp;
        int row, col;
        std::vector<std::tuple<int, int, float>> weights; // cells with a share of the running point
    };
    const double midRpm = (demo.rpm[5] + demo.rpm[6]) / 2,
                 quarterTp = demo.load[4] + (demo.load[5] - demo.load[4]) / 4;
    const Case cases[] = {
        {demo.rpm[5], demo.load[4], 5, 4, {{5, 4, 1.f}}},
        {midRpm, quarterTp, 5, 4, {{5, 4, 0.375f}, {5, 5, 0.125f}, {6, 4, 0.375f}, {6, 5, 0.125f}}},
        {0, 0, 0, 0, {{0, 0, 1.f}}},            // below both axes: their first breakpoints
        {99999, 255, 15, 15, {{15, 15, 1.f}}},  // above both axes: their last breakpoints
        {demo.rpm[7], std::nullopt, 7, -1, {}}, // no TP: the row alone
    };
    for (const Case& c : cases) {
        LiveTrace trace(demo.state);
        trace.setColumns(0, c.tp ? std::optional<std::size_t>(1) : std::nullopt);
        const std::vector<double> values = {c.rpm, c.tp.value_or(0)};
        const consult::Trace& t = trace.take(values);
        ASSERT_TRUE(t.valid) << c.rpm;
        EXPECT_EQ(t.row, c.row) << c.rpm;
        EXPECT_EQ(t.col, c.col) << c.rpm;
        const CellTrace looks = trace.looks();
        float total = 0;
        for (int r = 0; r < 16; ++r)
            for (int col = 0; col < 16; ++col) {
                const TraceLook& l = looks.at(r, col);
                total += l.weight;
                EXPECT_EQ(l.running, r == c.row && col == c.col) << c.rpm << " " << r << "," << col;
                EXPECT_EQ(l.rowOnly, !c.tp && r == c.row) << c.rpm << " " << r << "," << col;
            }
        for (const auto& [r, col, w] : c.weights)
            EXPECT_NEAR(looks.at(r, col).weight, w, 1e-6) << c.rpm << " " << r << "," << col;
        EXPECT_NEAR(total, c.tp ? 1.f : 0.f, 1e-6) << c.rpm;
    }
}

TEST(LiveTrace, TheTrailFadesWithAgeAndStartsAgainOnAnotherMap)
{
    DemoState demo;
    LiveTrace trace(demo.state, 4);
    trace.setColumns(0, 1);
    for (int row : {2, 3, 3, 4}) // a repeated cell is one trail mark
        trace.take(std::vector<double>{demo.rpm[static_cast<std::size_t>(row)], demo.load[1]});
    CellTrace looks = trace.looks();
    EXPECT_FLOAT_EQ(looks.at(4, 1).trail, 1.f);
    EXPECT_FLOAT_EQ(looks.at(3, 1).trail, 0.75f);
    EXPECT_FLOAT_EQ(looks.at(2, 1).trail, 0.5f);
    EXPECT_TRUE(looks.at(4, 1).running);

    demo.state.currentMap = MapKey::IgnHigh;
    trace.retrace();
    looks = trace.looks();
    for (const TraceLook& l : looks.cells)
        EXPECT_EQ(l.trail, 0.f);
    EXPECT_TRUE(trace.current().valid);

    trace.clear();
    for (const TraceLook& l : trace.looks().cells)
        EXPECT_FALSE(l.marked());
}

TEST(LiveTrace, TheGridModelUpdatesOnlyTheCellsWhoseMarkChanged)
{
    DemoState demo;
    MapGridModel model(demo.state);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    CellTrace first;
    first.at(5, 4).running = true;
    model.setTrace(first);
    CellTrace second = first;
    second.at(7, 9).trail = 0.5f;
    model.setTrace(second);
    model.setTrace(second); // the same marks: nothing to redraw
    ASSERT_EQ(changed.size(), 2);
    // Grid coordinates: one more than the map's for the header row and column.
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(6, 5));
    EXPECT_EQ(changed[0][1].value<QModelIndex>(), model.index(6, 5));
    EXPECT_EQ(changed[1][0].value<QModelIndex>(), model.index(8, 10));
    EXPECT_EQ(changed[1][2].value<QList<int>>(), QList<int>{MapGridModel::TraceRole});
    EXPECT_TRUE(model.data(model.index(6, 5), MapGridModel::TraceRole).value<TraceLook>().running);
    EXPECT_FALSE(model.data(model.index(0, 5), MapGridModel::TraceRole).isValid());
}

} // namespace
} // namespace vantrell
