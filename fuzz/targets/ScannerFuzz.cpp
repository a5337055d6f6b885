// The scanner on an arbitrary image: the table walk with arbitrary addresses, sizes, moves and typed
// addresses; the conversions of each table in every mode; the listing of each row; the window judge
// at arbitrary addresses. The walk never leaves the image and a cut holds exactly the image's bytes.
// The map and axis finders have a target of their own (MapFinderFuzz.cpp): they read the whole image
// and run a thousand times slower.
#include "fuzz/targets/FuzzFiles.h"

#include "CellConversion.h"
#include "HexListing.h"
#include "MapFinder.h"
#include "TableWalk.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void checkCut(const skerrow::TableWalk& walk)
{
    const auto table = walk.cut();
    const auto& image = walk.image();
    FUZZ_CHECK(table.address == walk.address());
    FUZZ_CHECK(table.size == walk.tableSize());
    FUZZ_CHECK(walk.address() >= 0);
    for (int i = 0; i < table.cellCount(); ++i) {
        const bool inImage = table.address < walk.imageSize() && i < walk.imageSize() - table.address;
        FUZZ_CHECK(table.present[static_cast<std::size_t>(i)] == inImage);
        FUZZ_CHECK(table.cells[static_cast<std::size_t>(i)] ==
                   (inImage ? image[static_cast<std::size_t>(table.address + i)] : 0));
    }
    for (int r = 0; r < table.size; ++r)
        FUZZ_CHECK(!skerrow::listingLine(table, r).empty());
    std::array<double, skerrow::TableCut::kMaxCells> values{};
    for (int mode = -1; mode <= 3; ++mode) {
        const auto ranges =
            skerrow::convertTable(std::span(table.cells.data(), table.cellCount()), mode,
                                  std::span(values.data(), table.cellCount()), skerrow::initialRanges(mode));
        FUZZ_CHECK(ranges.zLow <= ranges.zHigh);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto moves = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 32));
    const auto typed = in.ConsumeRandomLengthString(10);
    const auto probe = in.ConsumeIntegral<std::int64_t>();
    std::vector<std::uint8_t> image = in.ConsumeRemainingBytes<std::uint8_t>();
    if (!skerrow::TableWalk::acceptsImageSize(static_cast<std::int64_t>(image.size())))
        return 0;

    skerrow::TableWalk walk;
    walk.setImage(image);
    checkCut(walk);
    for (std::size_t m = 0; m < moves.size(); ++m) {
        const std::int64_t before = walk.address();
        switch (moves[m] % 8) {
        case 0:
            walk.setTableSize(moves[m] / 8);
            break;
        case 1:
            FUZZ_CHECK(walk.stepBack() == (walk.address() != before));
            break;
        case 2:
            FUZZ_CHECK(walk.stepForward() == (walk.address() != before));
            FUZZ_CHECK(walk.address() == before || walk.address() < walk.imageSize());
            break;
        case 3:
            FUZZ_CHECK(walk.jumpBack() == (walk.address() != before));
            break;
        case 4:
            FUZZ_CHECK(walk.jumpForward() == (walk.address() != before));
            FUZZ_CHECK(walk.address() == before || walk.address() < walk.imageSize());
            break;
        case 5:
            if (walk.enterAddress(typed) == skerrow::AddressEntry::NotHexadecimal)
                FUZZ_CHECK(walk.address() == before);
            else // a typed address equal to the image size stays: its table shows no bytes
                FUZZ_CHECK(walk.address() <= walk.imageSize());
            break;
        case 6:
            walk.setAddress(probe);
            break;
        default:
            walk.setAddress(moves[m] * 97);
            break;
        }
        checkCut(walk);
    }

    for (int windowSize : {8, 16}) {
        const auto judged = skerrow::judgeWindow(image, probe, windowSize);
        if (probe < 0 || probe > static_cast<std::int64_t>(image.size()) - windowSize * windowSize)
            FUZZ_CHECK(judged.score == 0);
    }
    return 0;
}
