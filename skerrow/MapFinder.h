// Finds the places in a ROM image that look like fuel or timing maps: square tables whose cells
// change smoothly from each cell to its neighbours along rows and columns, often next to a run of
// rising bytes (an axis).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace skerrow {

// One place worth a look: a table of size x size bytes starting at address, and how map-like it is
// (0 = not at all, 100 = perfectly smooth with an axis beside it).
struct MapCandidate
{
    std::int64_t address = 0;
    int size = 16;
    double score = 0;

    bool operator==(const MapCandidate&) const = default;
};

// How map-like the size x size table at `address` is; 0 when it does not fit in the image.
// The table is smooth when the mean square difference of neighbouring cells is small against the
// spread of its values (for random bytes the ratio is about 1, for a map about 0.1); tables of
// nearly one value or of fewer different values than a row has cells (fills, flags, the edge
// between two fills) score 0, and tables where most neighbours are equal score little.
// Cells whose bit 7 is set (closed-loop fuel cells, knock-controlled timing cells) may form a
// block that stands off the rest of the map; the table is therefore also judged by its cells' low
// seven bits, comparing only neighbours whose bit 7 agrees, and the better view counts.
// A rising run of `size` bytes just before or just after the table adds a bonus, as maps are
// often stored next to one of their axes; a run that fits on as one more row of the table does not
// count, as it is the rest of the map.
double scoreWindow(std::span<const std::uint8_t> image, std::int64_t address, int size);

// Scores every 16x16 and every 8x8 table of the image, at every byte offset, and returns at most
// `count` of the best, best first, with no two overlapping (a table that overlaps a better one is
// passed over, so the list does not fill up with the same map seen one byte to the side). Only
// tables with a score above 0 are listed. Ties go to the lower address, then to 16x16.
// Time grows linearly with the image size; memory stays bounded (about count x 1024 candidates).
std::vector<MapCandidate> findMaps(std::span<const std::uint8_t> image, int count = 20);

} // namespace skerrow
