#include "ScannerWindow.h"

#include "EngineDefinitionDraft.h"
#include "FindMapsDialog.h"

#include "SyntheticImages.h"

#include "graph2d/LineGraph.h"
#include "plot3d/SurfacePlot.h"
#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace skerrow {
namespace {

// Answers the window's questions from a script and remembers what it was told.
class ScriptedDialogs : public ScannerDialogs
{
  public:
    std::deque<QString> files;
    QStringList messages;
    std::vector<MapCandidate> offered;
    int choice = -1;

    QString openImageFile(QWidget*) override
    {
        if (files.empty())
            return {};
        QString file = files.front();
        files.pop_front();
        return file;
    }
    void showMessage(QWidget*, const QString& text) override { messages << text; }
    int chooseMapCandidate(QWidget*, const std::vector<MapCandidate>& candidates,
                           const ScannedImage& image) override
    {
        offered = candidates;
        offeredImage = image;
        return choice;
    }
    QString saveDefinitionFile(QWidget*, const QString& suggested) override
    {
        suggestions << suggested;
        if (savePaths.empty())
            return {};
        QString path = savePaths.front();
        savePaths.pop_front();
        return path;
    }

    ScannedImage offeredImage;
    std::deque<QString> savePaths;
    QStringList suggestions;
};

class SkerrowScannerWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        auto owned = std::make_unique<ScriptedDialogs>();
        dialogs = owned.get();
        window = std::make_unique<ScannerWindow>(std::move(owned));
        window->show();
    }

    QString writeImage(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
        return path;
    }

    void import(const std::vector<std::uint8_t>& bytes)
    {
        dialogs->files.push_back(writeImage(QStringLiteral("image%1.bin").arg(++imports), bytes));
        window->ImportROMfile1Click();
        ASSERT_TRUE(window->isLoaded());
    }

    template <typename T> T* child(const char* name) { return testsupport::child<T>(*window, name); }

    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }

    void typeAddress(const QString& text)
    {
        QLineEdit* adr = child<QLineEdit>("adr");
        adr->setFocus();
        adr->selectAll();
        QTest::keyClicks(adr, text);
        QTest::keyClick(adr, Qt::Key_Return);
    }

    QString adrText() { return child<QLineEdit>("adr")->text(); }
    QString listingLine(int row) { return child<QListWidget>("lb1")->item(row)->text(); }
    plot3d::SurfacePlot* plot() { return child<plot3d::SurfacePlot>("surfacePlot"); }
    void chooseMode(int index)
    {
        QComboBox* nn = child<QComboBox>("nn");
        nn->setCurrentIndex(index);
        emit nn->activated(index);
    }

    static std::vector<std::uint8_t> pattern(std::size_t size)
    {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<std::uint8_t>((i * 13 + (i >> 8)) & 0xFF);
        return bytes;
    }

    QTemporaryDir dir;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<ScannerWindow> window;
    int imports = 0;
};

TEST_F(SkerrowScannerWindow, StartsOnTheAboutPageWithItsControlsInPlace)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SKERROW V1.1"));
    EXPECT_EQ(window->centralWidget()->size(), QSize(588, 475));
    auto* pages = child<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("3D"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("2D - HEX"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("ABOUT "));
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("TabSheet2"));

    EXPECT_EQ(plot()->size(), QSize(545, 385));
    EXPECT_EQ(plot()->toolTip(), QStringLiteral("left mouse to rotate, right mouse button to zoom"));
    EXPECT_EQ(child<QListWidget>("lb1")->size(), QSize(553, 185));
    EXPECT_EQ(child<graph2d::LineGraph>("lineGraph")->size(), QSize(553, 201));

    QLineEdit* adr = child<QLineEdit>("adr");
    EXPECT_EQ(adr->text(), QStringLiteral("----"));
    EXPECT_FALSE(adr->isEnabled());
    EXPECT_EQ(adr->maxLength(), 6);
    QComboBox* nn = child<QComboBox>("nn");
    ASSERT_EQ(nn->count(), 3);
    EXPECT_EQ(nn->itemText(0), QStringLiteral("RAW DATA"));
    EXPECT_EQ(nn->itemText(1), QStringLiteral("CONVERT TO AF RATIOS (FUEL)"));
    EXPECT_EQ(nn->itemText(2), QStringLiteral("CONVERT TO DEGREES (TIMING)"));
    EXPECT_EQ(nn->currentText(), QStringLiteral("RAW DATA"));
    EXPECT_EQ(nn->width(), 217);
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("ADDRESS (HEX):"));
    EXPECT_EQ(child<QPushButton>("Button1")->text(), QStringLiteral("< "));
    EXPECT_EQ(child<QPushButton>("Button2")->text(), QStringLiteral(" >"));
    EXPECT_EQ(child<QPushButton>("Button3")->text(), QStringLiteral("<<"));
    EXPECT_EQ(child<QPushButton>("Button4")->text(), QStringLiteral(">>"));
    // The listing's columns line up only when narrow, wide and digit glyphs have one advance.
    const QFontMetricsF listingMetrics(child<QListWidget>("lb1")->font());
    EXPECT_GT(listingMetrics.horizontalAdvance(QLatin1Char('W')), 0);
    EXPECT_EQ(listingMetrics.horizontalAdvance(QLatin1Char('i')),
              listingMetrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(listingMetrics.horizontalAdvance(QLatin1Char('0')),
              listingMetrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(adr->font().pointSize(), 8);

    EXPECT_EQ(child<QAction>("ImportROMfile1")->text(), QStringLiteral("Import ROM file"));
    EXPECT_EQ(child<QAction>("Exit1")->text(), QStringLiteral("Exit"));
    EXPECT_TRUE(child<QAction>("N16x161")->isChecked());
    EXPECT_FALSE(child<QAction>("N8x81")->isChecked());
    EXPECT_FALSE(child<QAction>("FindMaps1")->isEnabled());
}

TEST_F(SkerrowScannerWindow, WalksA32KiBImageWithTheFourButtons)
{
    import(pattern(32768));
    EXPECT_TRUE(child<QLineEdit>("adr")->isEnabled());
    EXPECT_EQ(adrText(), QStringLiteral("0000"));
    for (int i = 0; i < 130; ++i)
        click("Button2");
    EXPECT_EQ(window->walk().address(), 0x7F00);
    EXPECT_EQ(adrText(), QStringLiteral("7F00"));

    typeAddress(QStringLiteral("7000"));
    click("Button4"); // 0x8000 - 0x1000 is not above 0x7000
    EXPECT_EQ(window->walk().address(), 0x7000);
    typeAddress(QStringLiteral("1000"));
    click("Button3");
    EXPECT_EQ(window->walk().address(), 0x1000);
    typeAddress(QStringLiteral("1001"));
    click("Button3");
    EXPECT_EQ(window->walk().address(), 1);
    click("Button1"); // stops at 0 rather than going below it
    EXPECT_EQ(window->walk().address(), 0);
    EXPECT_EQ(adrText(), QStringLiteral("0000"));
    click("Button1");
    EXPECT_EQ(window->walk().address(), 0);
}

TEST_F(SkerrowScannerWindow, TypedAddressesReadToTheEndClampOrAreRefused)
{
    const auto bytes = pattern(32768);
    import(bytes);
    typeAddress(QStringLiteral("7ff0"));
    EXPECT_EQ(window->walk().address(), 0x7FF0);
    QString expected = QStringLiteral("$7FF0: ");
    for (int c = 0; c < 16; ++c)
        expected += QStringLiteral("%1 ")
                        .arg(bytes[0x7FF0 + static_cast<std::size_t>(c)], 2, 16, QLatin1Char('0'))
                        .toUpper();
    EXPECT_TRUE(listingLine(0).startsWith(expected)) << listingLine(0).toStdString();
    EXPECT_TRUE(listingLine(1).startsWith(QStringLiteral("$8000: -- -- --"))) << listingLine(1).toStdString();
    const plot3d::DataMatrix* matrix = plot()->dataMatrix();
    EXPECT_EQ(matrix->element(16, 1), bytes[0x7FFF]);
    for (int r = 2; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c)
            ASSERT_EQ(matrix->element(c, r), 0.0) << c << "," << r;

    typeAddress(QStringLiteral("9000"));
    EXPECT_EQ(window->walk().address(), 0x7F00);
    EXPECT_EQ(adrText(), QStringLiteral("7F00"));

    typeAddress(QStringLiteral("xyz"));
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages.front(), QStringLiteral("Not a valid hexidecimal number"));
    EXPECT_EQ(window->walk().address(), 0x7F00);
    EXPECT_TRUE(listingLine(0).startsWith(QStringLiteral("$7F00:")));
}

TEST_F(SkerrowScannerWindow, EightByEightStepsBy64WithEightShortLines)
{
    import(pattern(4096));
    child<QAction>("N8x81")->trigger();
    EXPECT_TRUE(child<QAction>("N8x81")->isChecked());
    EXPECT_EQ(plot()->dataMatrix()->nrOfColumns(), 8);
    EXPECT_EQ(plot()->dataMatrix()->nrOfRows(), 8);
    click("Button2");
    EXPECT_EQ(window->walk().address(), 64);
    QListWidget* lb1 = child<QListWidget>("lb1");
    ASSERT_EQ(lb1->count(), 8);
    for (int r = 0; r < 8; ++r) {
        const QString line = lb1->item(r)->text();
        EXPECT_TRUE(
            line.startsWith(QStringLiteral("$%1: ").arg(64 + 8 * r, 4, 16, QLatin1Char('0')).toUpper()))
            << line.toStdString();
        // "$0040: ", eight pairs with their blanks, " | ", eight characters.
        EXPECT_EQ(line.indexOf(QStringLiteral(" | ")), 7 + 8 * 3) << line.toStdString();
        EXPECT_EQ(line.size(), 7 + 8 * 3 + 3 + 8) << line.toStdString();
    }
    EXPECT_EQ(lb1->currentRow(), 0);
}

TEST_F(SkerrowScannerWindow, ConversionsSetValuesAndRangesAndModeChangesKeepTheAddress)
{
    std::vector<std::uint8_t> bytes(1024, 159);
    for (std::size_t i = 0; i < 256; i += 2)
        bytes[i] = 160;
    const std::uint8_t samples[] = {0, 128, 159, 160, 255, 20, 200, 250};
    for (std::size_t i = 0; i < sizeof samples; ++i)
        bytes[512 + i] = samples[i];
    import(bytes);

    chooseMode(1);
    EXPECT_EQ(plot()->rangeZLow(), 6.0);
    EXPECT_EQ(plot()->rangeZHigh(), 21.0);
    EXPECT_EQ(plot()->colorScaleLow(), 10.0);
    EXPECT_EQ(plot()->colorScaleHigh(), 17.0);
    EXPECT_DOUBLE_EQ(plot()->dataMatrix()->element(1, 1), 19.6);

    typeAddress(QStringLiteral("200"));
    const plot3d::DataMatrix* matrix = plot()->dataMatrix();
    EXPECT_DOUBLE_EQ(matrix->element(1, 1), 14.7);
    EXPECT_DOUBLE_EQ(matrix->element(2, 1), 7.35);
    EXPECT_NEAR(matrix->element(3, 1), 6.556, 1e-3);
    EXPECT_DOUBLE_EQ(matrix->element(4, 1), 19.6);
    EXPECT_NEAR(matrix->element(5, 1), 9.851, 1e-3);

    chooseMode(2);
    EXPECT_EQ(window->walk().address(), 0x200);
    EXPECT_EQ(matrix->element(6, 1), 20.0);
    EXPECT_EQ(matrix->element(7, 1), 72.0);
    EXPECT_EQ(matrix->element(8, 1), -5.0);
    EXPECT_EQ(plot()->colorScaleLow(), 0.0);
    EXPECT_EQ(plot()->colorScaleHigh(), 50.0);
    EXPECT_EQ(plot()->rangeZLow(), -6.0);  // round(-5) - 1
    EXPECT_EQ(plot()->rangeZHigh(), 73.0); // the first value above the end, 72, sets it

    chooseMode(0);
    EXPECT_EQ(plot()->rangeZLow(), 0.0);
    EXPECT_EQ(plot()->rangeZHigh(), 255.0);
    EXPECT_EQ(plot()->colorScaleHigh(), 255.0);
    EXPECT_EQ(matrix->element(7, 1), 200.0);
}

TEST_F(SkerrowScannerWindow, ListingLineHasTheExactText)
{
    std::vector<std::uint8_t> bytes(0x2000, 0x2E);
    const std::uint8_t row[16] = {0x41, 0x42, 0x00, 0xFF, 0x7F, 0x20, 0x30, 0x39,
                                  0x61, 0x7A, 0x0D, 0x0A, 0x5B, 0x5D, 0x24, 0x7E};
    std::copy(std::begin(row), std::end(row), bytes.begin() + 0x1F00);
    import(bytes);
    typeAddress(QStringLiteral("1F00"));
    EXPECT_EQ(
        listingLine(0),
        QStringLiteral("$1F00: 41 42 00 FF 7F 20 30 39 61 7A 0D 0A 5B 5D 24 7E  | AB.\u00FF. 09az..[]$~"));
}

TEST_F(SkerrowScannerWindow, CancelledImportLeavesRawModeSize16AndTheViews)
{
    import(pattern(8192));
    child<QAction>("N8x81")->trigger();
    typeAddress(QStringLiteral("100"));
    chooseMode(1);
    const QString line = listingLine(3);
    const double cell = plot()->dataMatrix()->element(2, 2);

    window->ImportROMfile1Click(); // the script has no file: the dialog is cancelled
    EXPECT_FALSE(window->isLoaded());
    EXPECT_EQ(window->conversionMode(), 0);
    EXPECT_EQ(window->walk().tableSize(), 16);
    EXPECT_EQ(listingLine(3), line);
    EXPECT_EQ(plot()->dataMatrix()->element(2, 2), cell);
    click("Button2"); // nothing is read while no image is loaded
    EXPECT_EQ(listingLine(3), line);
    EXPECT_FALSE(child<QAction>("FindMaps1")->isEnabled());
}

TEST_F(SkerrowScannerWindow, EmptyHugeAndMissingFilesAreRefusedWithAMessage)
{
    import(pattern(4096));
    typeAddress(QStringLiteral("200"));
    const QString line = listingLine(0);

    dialogs->files.push_back(writeImage(QStringLiteral("empty.bin"), {}));
    window->ImportROMfile1Click();
    dialogs->files.push_back(
        writeImage(QStringLiteral("huge.bin"), std::vector<std::uint8_t>(16 * 1024 * 1024 + 1)));
    window->ImportROMfile1Click();
    dialogs->files.push_back(dir.filePath(QStringLiteral("missing.bin")));
    window->ImportROMfile1Click();

    ASSERT_EQ(dialogs->messages.size(), 3);
    EXPECT_TRUE(dialogs->messages[0].contains(QStringLiteral("empty")));
    EXPECT_TRUE(dialogs->messages[1].contains(QStringLiteral("16 MiB")));
    EXPECT_TRUE(dialogs->messages[2].contains(QStringLiteral("No such file")) ||
                dialogs->messages[2].contains(QStringLiteral("not found")))
        << dialogs->messages[2].toStdString();
    EXPECT_FALSE(window->isLoaded());
    EXPECT_EQ(window->walk().imageSize(), 4096); // the previous image is kept
    EXPECT_EQ(listingLine(0), line);

    // A file that fits afterwards loads as usual.
    import(pattern(16 * 1024 * 1024));
    EXPECT_EQ(window->walk().imageSize(), 16 * 1024 * 1024);
    typeAddress(QStringLiteral("FFFFF0"));
    EXPECT_EQ(window->walk().address(), 0xFFFFF0);
}

TEST_F(SkerrowScannerWindow, GraphShowsTheSelectedRowAndTheHexPageShowsItsAddress)
{
    const auto bytes = pattern(4096);
    import(bytes);
    typeAddress(QStringLiteral("300"));
    auto* graph = child<graph2d::LineGraph>("lineGraph");
    ASSERT_GE(graph->seriesList().count(), 1u);
    const graph2d::PointSeries& series = graph->series(0);
    EXPECT_EQ(series.color(), graph2d::colorBlack);
    EXPECT_EQ(graph->visibleArea().x2, 15.0);
    EXPECT_FALSE(graph->numbVert());
    ASSERT_EQ(series.count(), 16u);
    EXPECT_EQ(series.point(5).y, bytes[0x305]); // no row chosen yet: row 0

    auto* pages = child<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);
    EXPECT_FALSE(child<QComboBox>("nn")->isEnabled());
    QListWidget* lb1 = child<QListWidget>("lb1");
    QTest::mouseClick(lb1->viewport(), Qt::LeftButton, {}, lb1->visualItemRect(lb1->item(3)).center());
    EXPECT_EQ(lb1->currentRow(), 3);
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(series.point(i).y, bytes[0x330 + i]) << i;
    EXPECT_EQ(adrText(), QStringLiteral("0330"));

    click("Button2"); // the chosen row stays chosen
    EXPECT_EQ(lb1->currentRow(), 3);
    EXPECT_EQ(series.point(0).y, bytes[0x430]);
    EXPECT_EQ(adrText(), QStringLiteral("0430"));

    pages->setCurrentIndex(0);
    EXPECT_TRUE(child<QComboBox>("nn")->isEnabled());
    EXPECT_EQ(adrText(), QStringLiteral("0400"));
}

TEST_F(SkerrowScannerWindow, EnterOnTheHexPageStartsTheTableAtTheTypedAddressAndStaysThere)
{
    const auto bytes = pattern(32768);
    import(bytes);
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QListWidget* lb1 = child<QListWidget>("lb1");
    QTest::mouseClick(lb1->viewport(), Qt::LeftButton, {}, lb1->visualItemRect(lb1->item(5)).center());
    ASSERT_EQ(lb1->currentRow(), 5);
    ASSERT_EQ(adrText(), QStringLiteral("0050"));
    const auto& series = child<graph2d::LineGraph>("lineGraph")->series(0);

    // A clamped address behaves the same: the box shows where the table really starts.
    const struct
    {
        const char* typed;
        std::int64_t table;
        const char* shown;
    } entries[] = {{"1000", 0x1000, "1000"}, {"9000", 0x7F00, "7F00"}};
    for (const auto& entry : entries) {
        QTest::mouseClick(lb1->viewport(), Qt::LeftButton, {}, lb1->visualItemRect(lb1->item(5)).center());
        for (int enter = 1; enter <= 2; ++enter) {
            if (enter == 1)
                typeAddress(QLatin1String(entry.typed));
            else
                QTest::keyClick(child<QLineEdit>("adr"), Qt::Key_Return); // on the box's text as it is
            EXPECT_EQ(window->walk().address(), entry.table) << entry.typed << " Enter " << enter;
            EXPECT_EQ(lb1->currentRow(), 0) << entry.typed << " Enter " << enter;
            EXPECT_EQ(adrText().toStdString(), entry.shown) << entry.typed << " Enter " << enter;
            EXPECT_EQ(series.point(1).y, bytes[static_cast<std::size_t>(entry.table) + 1]) << entry.typed;
        }
    }
}

TEST_F(SkerrowScannerWindow, FindMapsListsThePlantedMapsAndJumpsToTheChosenOne)
{
    import(synthetic::plantedImage());
    ASSERT_TRUE(child<QAction>("FindMaps1")->isEnabled());
    dialogs->choice = -1;
    child<QAction>("FindMaps1")->trigger();
    ASSERT_GE(dialogs->offered.size(), 3u);
    EXPECT_LE(dialogs->offered.size(), 20u);
    EXPECT_EQ(window->walk().address(), 0); // nothing chosen: nothing moves
    // The list knows the image, for the engine definition written from it.
    EXPECT_EQ(dialogs->offeredImage.fileName, dir.filePath(QStringLiteral("image1.bin")));
    EXPECT_EQ(dialogs->offeredImage.size, 65536);

    int eightByEight = -1;
    for (std::size_t i = 0; i < 3; ++i)
        if (dialogs->offered[i].address == 0x9777 && dialogs->offered[i].size == 8)
            eightByEight = static_cast<int>(i);
    ASSERT_GE(eightByEight, 0);
    dialogs->choice = eightByEight;
    child<QAction>("FindMaps1")->trigger();
    EXPECT_EQ(window->walk().tableSize(), 8);
    EXPECT_TRUE(child<QAction>("N8x81")->isChecked());
    EXPECT_EQ(window->walk().address(), 0x9777);
    EXPECT_EQ(adrText(), QStringLiteral("9777"));
    EXPECT_TRUE(listingLine(0).startsWith(QStringLiteral("$9777:")));
    EXPECT_EQ(plot()->dataMatrix()->nrOfColumns(), 8);
}

TEST_F(SkerrowScannerWindow, FindMapsDialogListsAddressSizeScoreKindAndAxesBestFirst)
{
    const std::vector<MapCandidate> candidates = {
        {0x1235, 16, 92.44, MapKind::Fuel, 30, {0x00E0, 1}, {0x00F0, 1}},
        {0x0400, 16, 88.0, MapKind::Timing, 40, {0x0AA0, 2}, {0x0AC0, 2}},
        {0x9777, 8, 7.0, MapKind::Other, 0, {}, {}},
    };
    EXPECT_EQ(FindMapsDialog::candidateText(candidates[0]),
              QStringLiteral("$1235     16x16  score  92.4  fuel, flagged  axes $00E0 $00F0"));
    EXPECT_EQ(
        FindMapsDialog::candidateText(candidates[1]),
        QStringLiteral("$0400     16x16  score  88.0  timing         axes $0AA0 (16-bit) $0AC0 (16-bit)"));
    EXPECT_EQ(FindMapsDialog::candidateText(candidates[2]),
              QStringLiteral("$9777       8x8  score   7.0  other          no axes"));
    FindMapsDialog dialog(candidates, {dir.filePath(QStringLiteral("ecu.bin")), 0x10000}, *dialogs);
    EXPECT_EQ(dialog.findChild<QListWidget*>(QStringLiteral("candidateList"))->count(), 3);
    EXPECT_EQ(dialog.chosenIndex(), 0);
}

// Two fuel-like maps but one timing-like one: the dialog fills what it can, says what is missing,
// refuses to write until the user has picked it, and then writes the file the user names.
TEST_F(SkerrowScannerWindow, FindMapsDialogSaysWhichMapsAreMissingAndSavesOnceTheyArePicked)
{
    const std::vector<MapCandidate> candidates = {
        {0x7000, 16, 99.0, MapKind::Fuel, 30, {0x7E00, 1}, {0x7E10, 1}},
        {0x7200, 16, 98.0, MapKind::Timing, 40, {0x7E20, 1}, {0x7E30, 1}},
        {0x2345, 8, 60.0, MapKind::Timing, 0, {}, {}},
        {0x7100, 16, 97.0, MapKind::Fuel, 30, {0x7E00, 1}, {0x7E10, 1}},
        {0x7300, 16, 70.0, MapKind::Other, 12, {0x7E20, 1}, {0x7E30, 1}},
    };
    FindMapsDialog dialog(candidates, {dir.filePath(QStringLiteral("ecu.bin")), 0x8000}, *dialogs);
    const auto box = [&](const char* name) { return dialog.findChild<QComboBox*>(QLatin1String(name)); };
    auto* missing = dialog.findChild<QLabel*>(QStringLiteral("missingMapsLabel"));
    auto* save = dialog.findChild<QPushButton*>(QStringLiteral("saveDefinitionButton"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), QStringLiteral("Save Engine Definition..."));
    EXPECT_EQ(dialog.mapChoice(), (MapChoice{{0, 3, 1, -1}}));
    // Only 16x16 tables are offered for the editor's maps: none, then four of the five.
    EXPECT_EQ(box("ignlowmapChoice")->count(), 5);
    EXPECT_EQ(missing->text(),
              QStringLiteral("Fewer than two timing-like maps were found: pick ignlowmap from the list."));

    dialogs->savePaths.push_back(dir.filePath(QStringLiteral("never.ini")));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages, QStringList{QStringLiteral("Choose a map for ignlowmap first.")});
    EXPECT_TRUE(dialogs->suggestions.isEmpty()); // nothing asked, nothing written
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("never.ini"))));
    dialogs->savePaths.clear();

    box("ignlowmapChoice")->setCurrentIndex(box("ignlowmapChoice")->findData(4));
    EXPECT_TRUE(missing->text().isEmpty());
    box("fuellowmapChoice")->setCurrentIndex(0);
    EXPECT_EQ(missing->text(),
              QStringLiteral("Fewer than two fuel-like maps were found: pick fuellowmap from the list."));
    box("fuellowmapChoice")->setCurrentIndex(box("fuellowmapChoice")->findData(3));

    // Cancelled: nothing is written.
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(dialogs->suggestions.size(), 1);
    EXPECT_EQ(dialogs->suggestions[0], dir.filePath(QStringLiteral("ecu.ini")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});

    // A folder that does not exist: the reason is shown and nothing is written.
    const QString lost = dir.filePath(QStringLiteral("missing/ecu.ini"));
    dialogs->savePaths.push_back(lost);
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages.size(), 2);
    EXPECT_TRUE(dialogs->messages[1].startsWith(QDir::toNativeSeparators(lost)))
        << dialogs->messages[1].toStdString();
    EXPECT_FALSE(QFile::exists(lost));

    const QString target = dir.filePath(QStringLiteral("ecu.ini"));
    dialogs->savePaths.push_back(target);
    QTest::mouseClick(save, Qt::LeftButton);
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    for (const char* line :
         {"romsize=32768\r\n", "config=ecu.bin\r\n", "fuelhighmap=&h7000\r\n", "fuellowmap=&h7100\r\n",
          "ignhighmap=&h7200\r\n", "ignlowmap=&h7300\r\n", "fuelrev=&h7e00\r\n", "fuelflow=&h7e10\r\n",
          "ignrev=&h7e20\r\n", "ignflow=&h7e30\r\n", "kval=&hffff\r\n"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line;
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("savedLabel"))->text(),
              QStringLiteral("Saved ") + QDir::toNativeSeparators(target));
    EXPECT_EQ(dialogs->messages.size(), 2);
}

TEST_F(SkerrowScannerWindow, AboutLinksShowHelpTextAndExitCloses)
{
    emit child<QLabel>("LinkLabel1")->linkActivated(QStringLiteral("usage"));
    emit child<QLabel>("LinkLabel2")->linkActivated(QStringLiteral("conversions"));
    ASSERT_EQ(dialogs->messages.size(), 2);
    EXPECT_TRUE(dialogs->messages[0].contains(QStringLiteral("Import ROM file")));
    EXPECT_TRUE(dialogs->messages[1].contains(QStringLiteral("CONVERT TO AF RATIOS (FUEL)")));
    child<QAction>("Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(SkerrowScannerWindow, ScanningWritesNoFiles)
{
    import(synthetic::plantedImage());
    child<QAction>("N8x81")->trigger();
    click("Button2");
    chooseMode(2);
    window->close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("image1.bin")});
}

} // namespace
} // namespace skerrow
