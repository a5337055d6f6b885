#include "EngineDefinitionDraft.h"

#include "FinderCorpus.h"

#include "vantrell/engine/EngineDefinition.h"
#include "vantrell/rom/MapAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace skerrow {
namespace {

namespace fs = std::filesystem;

MapCandidate candidate(std::int64_t address, MapKind kind, int size = 16, AxisRun rows = {0x0E0, 1},
                       AxisRun columns = {0x0F0, 1})
{
    MapCandidate c;
    c.address = address;
    c.size = size;
    c.kind = kind;
    c.score = 90;
    if (size == 16) {
        c.rowAxis = rows;
        c.columnAxis = columns;
    }
    return c;
}

// Writes the text where the editor's loader reads it and loads it.
class DefinitionFile
{
  public:
    DefinitionFile()
        : path_(fs::temp_directory_path() /
                ("skerrow-definition-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".ini"))
    {}
    ~DefinitionFile()
    {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }

    vantrell::DefinitionLoad load(const std::string& text)
    {
        std::ofstream(path_, std::ios::binary) << text;
        return vantrell::loadEngineDefinition(path_.string());
    }

  private:
    fs::path path_;
};

TEST(SkerrowEngineDefinitionDraft, TheTwoBestOfEachKindFillTheSlots)
{
    const std::vector<MapCandidate> found = {
        candidate(0x7300, MapKind::Timing),  candidate(0x7000, MapKind::Fuel),
        candidate(0x5000, MapKind::Fuel, 8), // an 8x8 table is no map of the editor
        candidate(0x6000, MapKind::Other),   candidate(0x7100, MapKind::Fuel),
        candidate(0x7200, MapKind::Timing),  candidate(0x7400, MapKind::Fuel),
    };
    const MapChoice choice = chooseMaps(found);
    EXPECT_EQ(choice, (MapChoice{{1, 4, 0, 5}}));
    EXPECT_TRUE(missingSlots(choice).empty());

    const MapChoice oneTiming =
        chooseMaps({candidate(0x7000, MapKind::Fuel), candidate(0x7200, MapKind::Timing)});
    EXPECT_EQ(missingSlots(oneTiming), (std::vector<std::string>{"fuellowmap", "ignlowmap"}));
    EXPECT_EQ(missingSlots(chooseMaps({})),
              (std::vector<std::string>{"fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap"}));
}

TEST(SkerrowEngineDefinitionDraft, AChoiceThatCannotMakeADefinitionIsRefusedWithItsReason)
{
    const std::vector<MapCandidate> found = {
        candidate(0x0100, MapKind::Fuel),      candidate(0x0200, MapKind::Fuel),
        candidate(0x0300, MapKind::Timing),    candidate(0x0400, MapKind::Timing),
        candidate(0x0500, MapKind::Timing, 8), candidate(0x0600, MapKind::Timing, 16, {}, {}),
        candidate(0x1F80, MapKind::Timing),
    };
    struct Case
    {
        const char* what;
        MapChoice choice;
        std::int64_t imageSize;
        const char* problem;
    };
    const Case cases[] = {
        {"a slot left empty", {{0, 1, 2, -1}}, 0x2000, "Choose a map for ignlowmap first."},
        {"an index past the list", {{0, 1, 2, 99}}, 0x2000, "Choose a map for ignlowmap first."},
        {"an 8x8 table", {{0, 1, 4, 3}}, 0x2000, "ignhighmap must be a 16x16 table inside the image."},
        {"a map past the end", {{0, 1, 2, 6}}, 0x2000, "ignlowmap must be a 16x16 table inside the image."},
        {"no axes for either ignition map",
         {{0, 1, 5, 5}},
         0x2000,
         "No axes fit the ignition maps, so ignrev and ignflow are unknown."},
        {"an image too small", {{0, 1, 2, 3}}, 0, "this image has 0 bytes."},
        {"an image of odd size", {{0, 1, 2, 3}}, 0x2001, "this image has 8193 bytes."},
        {"an image too large", {{0, 1, 2, 3}}, 0x10100, "this image has 65792 bytes."},
    };
    for (const Case& c : cases) {
        const DefinitionText draft = composeDefinition(found, c.choice, c.imageSize, "ecu.bin");
        EXPECT_TRUE(draft.text.empty()) << c.what;
        EXPECT_NE(draft.problem.find(c.problem), std::string::npos) << c.what << ": " << draft.problem;
    }
    // The knock map lends its axes when the main one has none.
    EXPECT_TRUE(composeDefinition(found, {{0, 1, 5, 3}}, 0x2000, "ecu.bin").problem.empty());
}

// The file made from the finds of a corpus image loads in the editor without a refusal and shows
// the planted maps on its map pages, with their axes; every table the finder does not know is
// marked absent.
TEST(SkerrowEngineDefinitionDraft, TheDefinitionOfFoundMapsLoadsInTheEditorAndShowsThem)
{
    for (const int index : {0, 3}) { // 8-bit axes, 16-bit axes
        const synthetic::CorpusImage corpus = synthetic::corpusImage(index);
        const synthetic::CorpusTruth truth = synthetic::parseCorpusTruth(corpus.truth);
        const auto found = findMaps(corpus.bytes);
        const MapChoice choice = chooseMaps(found);
        ASSERT_TRUE(missingSlots(choice).empty()) << index;
        const DefinitionText draft =
            composeDefinition(found, choice, static_cast<std::int64_t>(corpus.bytes.size()), "corpus.bin");
        ASSERT_EQ(draft.problem, "") << index;
        EXPECT_NE(draft.text.find("\r\n"), std::string::npos);

        DefinitionFile file;
        const vantrell::DefinitionLoad loaded = file.load(draft.text);
        ASSERT_TRUE(loaded.ok) << loaded.reason;
        const vantrell::EngineDefinition& def = loaded.definition;
        EXPECT_EQ(def.romsize, static_cast<std::int32_t>(corpus.bytes.size()));
        EXPECT_EQ(def.config, "corpus.bin");

        std::set<std::int64_t> fuel;
        std::set<std::int64_t> timing;
        for (const auto& map : truth.maps)
            (map.fuel ? fuel : timing).insert(map.address);
        using vantrell::MapKey;
        for (const MapKey key : {MapKey::FuelHigh, MapKey::FuelLow, MapKey::IgnHigh, MapKey::IgnLow}) {
            const auto set = vantrell::mapSet(def, corpus.bytes.size(), key);
            ASSERT_TRUE(set.has_value()) << index;
            const bool isFuel = key == MapKey::FuelHigh || key == MapKey::FuelLow;
            EXPECT_EQ((isFuel ? fuel : timing).count(set->map), 1u) << index << " " << set->map;
            const auto planted = std::find_if(truth.maps.begin(), truth.maps.end(),
                                              [&](const auto& m) { return m.address == set->map; });
            ASSERT_NE(planted, truth.maps.end());
            EXPECT_EQ(set->rpmAxis, planted->rpmAxis) << index;
            EXPECT_EQ(set->loadAxis, planted->loadAxis) << index;
        }
        for (const std::string* absent : {&def.kval, &def.injnulltime, &def.rev1, &def.speed4, &def.ttpmin,
                                          &def.ttpmax, &def.aflimit, &def.accelpump, &def.vqmap})
            EXPECT_TRUE(vantrell::isAbsent(*absent)) << *absent;
        const bool wide = truth.axes.front().bits == 16;
        EXPECT_EQ(draft.text.find("holds 16-bit values") != std::string::npos, wide) << index;
    }
}

TEST(SkerrowEngineDefinitionDraft, TheImageNameIsOneValueTheEditorCanShow)
{
    const std::vector<MapCandidate> found = {
        candidate(0x0100, MapKind::Fuel), candidate(0x0200, MapKind::Fuel),
        candidate(0x0300, MapKind::Timing), candidate(0x0400, MapKind::Timing)};
    std::string longName;
    for (int i = 0; i < 150; ++i)
        longName += "\xC3\xA9"; // é, two bytes each
    struct Case
    {
        std::string name;
        std::string shown;
    };
    const Case cases[] = {
        {"ecu 1.bin", "ecu 1.bin"},
        {"line\nbreak\r.bin", "line_break_.bin"},
        {"[section].bin", "[section].bin"},
        {"", "unnamed image"},
        {longName, longName.substr(0, 200)},
        {"x" + longName, "x" + longName.substr(0, 198)}, // not cut inside a character
    };
    for (const Case& c : cases) {
        const DefinitionText draft = composeDefinition(found, chooseMaps(found), 0x8000, c.name);
        ASSERT_EQ(draft.problem, "");
        DefinitionFile file;
        const vantrell::DefinitionLoad loaded = file.load(draft.text);
        ASSERT_TRUE(loaded.ok) << loaded.reason;
        EXPECT_EQ(loaded.definition.config, c.shown);
        EXPECT_EQ(loaded.definition.fuelhighmap, "&h100");
    }
}

} // namespace
} // namespace skerrow
