// The map and axis finders on an arbitrary image: every axis and map found lies inside the image, an
// axis has sixteen values, no more maps are given than asked for and none overlaps another.
#include "fuzz/targets/FuzzFiles.h"

#include "AxisFinder.h"
#include "MapFinder.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int count = 1 + data[0] % 24;
    const std::span<const std::uint8_t> image(data + 1, size - 1);
    const auto imageSize = static_cast<std::int64_t>(image.size());

    const auto axes = skerrow::findAxes(image);
    for (const auto& axis : axes) {
        FUZZ_CHECK(axis.address >= 0 && axis.address + axis.bytes() <= imageSize);
        FUZZ_CHECK(skerrow::axisValues(image, axis).size() == 16);
    }
    const auto maps = skerrow::findMaps(image, count);
    FUZZ_CHECK(maps.size() <= static_cast<std::size_t>(count));
    for (const auto& map : maps) {
        FUZZ_CHECK(map.address >= 0);
        FUZZ_CHECK(map.address + std::int64_t(map.size) * map.size <= imageSize);
    }
    for (std::size_t a = 0; a < maps.size(); ++a)
        for (std::size_t b = a + 1; b < maps.size(); ++b) {
            const auto endA = maps[a].address + std::int64_t(maps[a].size) * maps[a].size;
            const auto endB = maps[b].address + std::int64_t(maps[b].size) * maps[b].size;
            FUZZ_CHECK(endA <= maps[b].address || endB <= maps[a].address);
        }
    return 0;
}
