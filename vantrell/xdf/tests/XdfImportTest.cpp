#include "XdfTestFiles.h"

#include "vantrell/engine/EngineDefinition.h"

#include <QDir>
#include <QTemporaryDir>

namespace vantrell::xdf {
namespace {

using namespace testing;

const char* const kMapAndAxisKeys[] = {"fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap",
                                       "fuelrev",     "fuelflow",   "ignrev",     "ignflow"};
const char* const kDemoAddresses[] = {"&h7000", "&h7100", "&h7200", "&h7300",
                                      "&h7400", "&h7410", "&h7420", "&h7430"};

TEST(XdfImport, EveryFormOfTheDemoMapsImportsAtTheDemoAddresses)
{
    // Base offsets as attributes and as an element, linked axes with stale addresses, column-major data
    // with RPM on x, titles that name other addresses: the addresses in the data count.
    for (const char* file : {"demo.xdf", "base_attributes.xdf", "base_element.xdf", "linked_axes.xdf",
                             "column_major.xdf", "wrong_titles.xdf", "by_category.xdf"}) {
        const ImportResult r = importFile(file);
        EXPECT_TRUE(r.refused.isEmpty()) << file << ": " << joined(r.refused);
        EXPECT_TRUE(r.missing().isEmpty()) << file;
        for (std::size_t i = 0; i < std::size(kMapAndAxisKeys); ++i)
            EXPECT_EQ(value(r, kMapAndAxisKeys[i]), kDemoAddresses[i]) << file << " " << kMapAndAxisKeys[i];
        EXPECT_EQ(value(r, "romsize"), "32768") << file;
        EXPECT_TRUE(certain(r, "romsize"));
    }
}

TEST(XdfImport, DemoLimitsConstantsAndTablesWithTheirSizesAndFactors)
{
    const ImportResult r = importFile("demo.xdf");
    const std::pair<const char*, const char*> expected[] = {{"kval", "&h7440"},
                                                            {"injnulltime", "&h7442"},
                                                            {"rev1", "&h7450"},
                                                            {"rev2", "&h7452"},
                                                            {"rev3", "&h7454"},
                                                            {"rev4", "&h7456"},
                                                            {"revsize", "2"},
                                                            {"revtimes", "12.5"},
                                                            {"speed1", "&h7458"},
                                                            {"speed4", "&h745b"},
                                                            {"speedtimes", "2"},
                                                            {"ttpmin", "&h7460"},
                                                            {"ttpmax", "&h7470"},
                                                            {"aflimit", "&h7480"},
                                                            {"accelpump", "&h7490"},
                                                            {"accelsize", "12"},
                                                            {"vqmap", "&h7500"},
                                                            {"vqsize", "128"},
                                                            {"config", "Demo turbo six 2.5 (XDF)"}};
    for (const auto& [key, v] : expected) {
        EXPECT_EQ(value(r, key), v) << key;
        EXPECT_TRUE(certain(r, key)) << key;
    }
    // The raw and the feedback views of a fuel map are one map, and the cold start map is no
    // main map: nothing is left over.
    EXPECT_TRUE(r.partial.isEmpty()) << joined(r.partial);
    for (const DefinitionKey& k : r.keys)
        EXPECT_FALSE(k.source.isEmpty()) << k.key.toStdString();
    EXPECT_TRUE(r.find(QStringLiteral("fuelhighmap"))->source.contains(QStringLiteral("(feedback)")));
}

TEST(XdfImport, EngineFactsComeFromThePickedDefinitionOrAreGuesses)
{
    const ImportResult picked = importFile("demo.xdf", "data/demo.bin", "config/demo32k.ini");
    EXPECT_EQ(value(picked, "injectorsize"), "370");
    EXPECT_EQ(value(picked, "cyl"), "6");
    EXPECT_TRUE(picked.find(QStringLiteral("cc"))->source.contains(QStringLiteral("demo32k.ini")));
    const ImportResult none = importFile("demo.xdf");
    for (const char* key : {"injectorsize", "cyl", "cc", "airflowmeter"}) {
        EXPECT_EQ(value(none, key), "0") << key;
        EXPECT_FALSE(certain(none, key)) << key;
    }
    QString error;
    EXPECT_FALSE(readEngineFacts(QStringLiteral("/nonexistent.ini"), error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

TEST(XdfImport, WhatTheDefinitionCannotHoldIsRefusedWithALineNamingTheTable)
{
    struct Case
    {
        const char* file;
        std::vector<std::vector<const char*>> lines;
        std::vector<const char*> missing;
    } cases[] = {
        {"rpm_columns.xdf",
         {{"\"Fuel map high octane\"", "RPM runs along the columns"}, {"\"Ignition map knock\"", "RPM runs"}},
         {"fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap"}},
        // The maps themselves can be held: only their axes are left to fill in.
        {"bad_axes.xdf",
         {{"\"Fuel map knock\"", "y axis holds 16-bit values", "fuelrev and fuelflow are left"},
          {"\"Ignition map high octane\"", "x axis is labels only"}},
         {"fuelrev", "fuelflow", "ignrev", "ignflow"}},
        {"small_maps.xdf",
         {{"\"Fuel map high octane\"", "12x16 cells of 8 bits"},
          {"\"Ignition map\"", "only ignition map", "main and a knock"}},
         {"fuelhighmap", "ignlowmap"}},
    };
    for (const Case& c : cases) {
        const ImportResult r = importFile(c.file);
        for (const auto& parts : c.lines)
            EXPECT_TRUE(anyLineHas(r.refused, parts)) << c.file << ": " << joined(r.refused);
        for (const char* key : c.missing)
            EXPECT_TRUE(r.missing().contains(QLatin1String(key))) << c.file << " " << key;
    }
    // A definition for a 32 KB image does not fit a 16 KB one: refused, with the image's own size.
    const ImportResult small = importFile("demo.xdf", "data/demo16k.bin");
    EXPECT_EQ(value(small, "romsize"), "16384");
    EXPECT_TRUE(anyLineHas(small.refused, {"\"Fuel map high octane\"", "outside the 16384-byte image"}))
        << joined(small.refused);
    EXPECT_EQ(value(small, "kval"), "&hffff");
}

TEST(XdfImport, WhatTheDefinitionHoldsOnlyInPartIsWrittenAbsentWithALine)
{
    const ImportResult r = importFile("odd_constants.xdf");
    struct Case
    {
        const char* key;
        std::vector<const char*> line;
    } cases[] = {
        {"kval", {"\"Injector K value\"", "low byte first", "kval written as &hffff"}},
        {"injnulltime", {"\"Injector latency\"", "signed"}},
        {"rev1", {"\"Rev limits\"", "\"X*X/4\" is not a plain factor"}},
        {"speed1", {"\"Speed limit 1\"", "\"X*2+5\" is not a plain factor"}},
        {"ttpmin", {"\"TTP min\"", "16 values of 16 bits"}},
        {"vqmap", {"\"VQ map\"", "low byte first"}},
        {"ttpmax", {"\"TTP max\"", "do not lie side by side"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(value(r, c.key), "&hffff") << c.key;
        EXPECT_TRUE(anyLineHas(r.partial, c.line)) << c.key << ": " << joined(r.partial);
    }
    EXPECT_TRUE(anyLineHas(r.partial, {"\"K constant\"", "also looks like kval", "\"Injector K value\""}))
        << joined(r.partial);
    EXPECT_EQ(value(r, "vqsize"), "0");
    EXPECT_TRUE(r.refused.isEmpty()) << joined(r.refused);
    EXPECT_EQ(value(r, "fuelhighmap"), "&h7000");
}

TEST(XdfImport, DataDecidesWhereTitlesSayNothingOrTheWrongKind)
{
    const ImportResult r = importFile("wrong_titles.xdf");
    // "Fuel knock map" holds ignition data; both fuel maps are "Fuel map": the richer is the knock map.
    EXPECT_TRUE(
        anyLineHas(r.partial, {"\"Fuel knock map\"", "titled as a fuel map", "taken as an ignition map"}))
        << joined(r.partial);
    EXPECT_FALSE(certain(r, "fuelhighmap"));
    EXPECT_FALSE(certain(r, "ignlowmap"));
    EXPECT_TRUE(certain(r, "ignhighmap"));
}

// Loads a definition file with the editor's own loader.
EngineDefinition loaded(const QString& path)
{
    const DefinitionLoad load = loadEngineDefinition(path.toStdString());
    EXPECT_TRUE(load.ok) << path.toStdString() << ": " << load.reason;
    return load.definition;
}

TEST(XdfImport, SavedDefinitionLoadsInTheEditorLikeTheHandWrittenOne)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("config")));
    const auto all = [](const EngineDefinition& e) {
        return std::tuple{e.injectorsize, e.cyl,     e.cc,        e.airflowmeter, e.fuelstep,
                          e.fuelchange,   e.ignstep, e.ignchange, e.revtimes,     e.revsize,
                          e.speedtimes,   e.romsize, e.kval,      e.injnulltime,  e.rev1,
                          e.rev4,         e.speed1,  e.speed4,    e.vqsize,       e.vqmap,
                          e.ttpmin,       e.ttpmax,  e.aflimit,   e.accelsize,    e.accelpump};
    };
    struct Case
    {
        const char* xdf;
        const char* image;
        const char* hand; // the definition we wrote by hand for the image
        bool everything;  // the XDF holds every table the hand-written definition holds
    } cases[] = {
        {"demo.xdf", "data/demo.bin", "config/demo32k.ini", true},
        {"demo16k.xdf", "data/demo16k.bin", "config/demo16k.ini", true},
        {"base_element.xdf", "data/demo.bin", "config/demo32k.ini", true},
        {"linked_axes.xdf", "data/demo.bin", "config/demo32k.ini", false},
        {"column_major.xdf", "data/demo.bin", "config/demo32k.ini", false},
    };
    for (const Case& c : cases) {
        const EngineDefinition hand = loaded(demoPath(c.hand));
        const ImportResult r = importFile(c.xdf, c.image, c.hand);
        const QString path = folder.filePath(QStringLiteral("config/imported.ini"));
        QString error;
        ASSERT_TRUE(saveDefinition(path, definitionText(r.keys, QStringLiteral("test")), error))
            << error.toStdString();
        EngineDefinition d = loaded(path);
        for (const auto& [mine, theirs] : {std::pair{d.fuelhighmap, hand.fuelhighmap},
                                           {d.fuellowmap, hand.fuellowmap},
                                           {d.ignhighmap, hand.ignhighmap},
                                           {d.ignlowmap, hand.ignlowmap},
                                           {d.fuelrev, hand.fuelrev},
                                           {d.fuelflow, hand.fuelflow},
                                           {d.ignrev, hand.ignrev},
                                           {d.ignflow, hand.ignflow}})
            EXPECT_EQ(addressOf(mine), addressOf(theirs)) << c.xdf << " " << mine << " " << theirs;
        EXPECT_EQ(d.romsize, hand.romsize) << c.xdf;
        EXPECT_EQ(d.injectorsize, hand.injectorsize) << c.xdf;
        if (c.everything) {
            EXPECT_NE(d.config, hand.config); // the XDF's title
            d.config = hand.config;
            EXPECT_TRUE(all(d) == all(hand)) << c.xdf;
        }
    }
}

TEST(XdfImport, DefinitionTextKeepsEachValueOnItsLineAndLeavesOutEmptyKeys)
{
    const std::vector<DefinitionKey> keys = {
        {QStringLiteral("initialisation"), QStringLiteral("config"), QStringLiteral("two\nlines"), {}, true},
        {QStringLiteral("initialisation"), QStringLiteral("cyl"), QString(), {}, false},
        {QStringLiteral("address locations"), QStringLiteral("kval"), QStringLiteral("&h7440"), {}, true}};
    const QByteArray text = definitionText(keys, QStringLiteral("a.xdf\r\n[initialisation]"));
    EXPECT_EQ(text.count("\n[initialisation]"), 1) << text.toStdString();
    EXPECT_TRUE(text.contains("config=two lines\r\n"));
    EXPECT_FALSE(text.contains("cyl="));
    EXPECT_TRUE(text.contains("[address locations]\r\nkval=&h7440\r\n"));
}

} // namespace
} // namespace vantrell::xdf
