#include "MapFinder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace skerrow {

namespace {

// Sums over one table that the score is made of. All are whole numbers, so the sliding sums of
// findMaps and the direct sums of scoreWindow agree exactly.
struct WindowSums
{
    std::int64_t sum = 0;        // cell values
    std::int64_t sumSquares = 0; // squared cell values
    std::int64_t rowDiff2 = 0;   // squared differences of neighbours along rows
    std::int64_t colDiff2 = 0;   // squared differences of neighbours along columns
    std::int64_t rowEqual = 0;   // equal neighbours along rows
    std::int64_t colEqual = 0;   // equal neighbours along columns
    int distinct = 0;            // different cell values
};

inline std::int64_t sq(std::int64_t v)
{
    return v * v;
}

inline std::int64_t diff2(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag)
{
    return sq(static_cast<std::int64_t>(x[static_cast<std::size_t>(i + lag)]) -
              x[static_cast<std::size_t>(i)]);
}

inline std::int64_t equal(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag)
{
    return x[static_cast<std::size_t>(i + lag)] == x[static_cast<std::size_t>(i)] ? 1 : 0;
}

// A run of `length` bytes from `start` rises like an axis: it never falls, at most two steps stay
// level, and it climbs by at least `length` overall.
bool risesLikeAxis(std::span<const std::uint8_t> x, std::int64_t start, int length)
{
    const auto size = static_cast<std::int64_t>(x.size());
    if (start < 0 || start + length > size)
        return false;
    int level = 0;
    for (std::int64_t i = start; i + 1 < start + length; ++i) {
        const auto a = x[static_cast<std::size_t>(i)];
        const auto b = x[static_cast<std::size_t>(i + 1)];
        if (b < a)
            return false;
        if (b == a && ++level > 2)
            return false;
    }
    return x[static_cast<std::size_t>(start + length - 1)] - x[static_cast<std::size_t>(start)] >= length;
}

// The differences that the row sums over a contiguous span count but that are not neighbours in
// the table: the last cell of each row against the first of the next.
void rowWraps(std::span<const std::uint8_t> x, std::int64_t address, int n, std::int64_t& diff,
              std::int64_t& equalCount)
{
    diff = 0;
    equalCount = 0;
    for (int r = 0; r < n - 1; ++r) {
        const std::int64_t i = address + static_cast<std::int64_t>(r) * n + n - 1;
        diff += diff2(x, i, 1);
        equalCount += equal(x, i, 1);
    }
}

double scoreFromSums(std::span<const std::uint8_t> x, std::int64_t address, int n, const WindowSums& s)
{
    const double cells = static_cast<double>(n) * n;
    const double mean = static_cast<double>(s.sum) / cells;
    const double variance = static_cast<double>(s.sumSquares) / cells - mean * mean;
    // Below a spread of two steps, or with fewer different values than a row has cells, the table
    // is a fill, a flag table or the edge between two fills, not a map.
    if (variance < 4.0 || s.distinct < n)
        return 0;
    const double pairs = 2.0 * n * (n - 1);
    const double meanDiff2 = static_cast<double>(s.rowDiff2 + s.colDiff2) / pairs;
    // For independent bytes the mean square neighbour difference is twice the variance, so this
    // ratio is about 1 for noise and code and falls toward 0 as neighbours become alike.
    const double roughness = std::sqrt(meanDiff2 / (2.0 * variance));
    const double smoothness = std::max(0.0, 1.0 - roughness / 0.7);
    if (smoothness <= 0)
        return 0;
    // A table of two fills side by side is smooth almost everywhere but is no map: most of its
    // neighbours are equal. Maps may have level stretches, so only a majority of them counts.
    const double equalShare = static_cast<double>(s.rowEqual + s.colEqual) / pairs;
    const double variety = std::min(1.0, 2.0 * (1.0 - equalShare));
    const double body = 80.0 * smoothness * variety;
    if (body <= 0)
        return 0;
    const bool axisBefore = risesLikeAxis(x, address - n, n);
    const bool axisAfter = !axisBefore && risesLikeAxis(x, address + static_cast<std::int64_t>(n) * n, n);
    return body + (axisBefore || axisAfter ? 20.0 : 0.0);
}

bool better(const MapCandidate& a, const MapCandidate& b)
{
    if (a.score != b.score)
        return a.score > b.score;
    if (a.address != b.address)
        return a.address < b.address;
    return a.size > b.size;
}

// The best `limit` candidates seen so far, as a heap whose top is the worst of them.
class BestPool
{
  public:
    explicit BestPool(std::size_t limit) : m_limit(limit) {}

    void offer(const MapCandidate& candidate)
    {
        if (m_items.size() < m_limit) {
            m_items.push_back(candidate);
            std::push_heap(m_items.begin(), m_items.end(), better);
        } else if (better(candidate, m_items.front())) {
            std::pop_heap(m_items.begin(), m_items.end(), better);
            m_items.back() = candidate;
            std::push_heap(m_items.begin(), m_items.end(), better);
        }
    }

    std::vector<MapCandidate> sorted()
    {
        std::sort_heap(m_items.begin(), m_items.end(), better);
        return std::move(m_items);
    }

  private:
    std::size_t m_limit;
    std::vector<MapCandidate> m_items;
};

bool overlaps(const MapCandidate& a, const MapCandidate& b)
{
    const std::int64_t aEnd = a.address + static_cast<std::int64_t>(a.size) * a.size;
    const std::int64_t bEnd = b.address + static_cast<std::int64_t>(b.size) * b.size;
    return a.address < bEnd && b.address < aEnd;
}

void scoreAllWindows(std::span<const std::uint8_t> x, int n, BestPool& out)
{
    const auto size = static_cast<std::int64_t>(x.size());
    const std::int64_t cells = static_cast<std::int64_t>(n) * n;
    if (size < cells)
        return;
    // Sums of the table at address 0, kept up to date as the table slides by one byte: the cell
    // sums and the contiguous difference sums lose their first term and gain one at the end; only
    // the N - 1 row wraps are counted afresh for each table.
    WindowSums s;
    std::int64_t spanRowDiff2 = 0;
    std::int64_t spanRowEqual = 0;
    std::array<int, 256> histogram{};
    for (std::int64_t i = 0; i < cells; ++i) {
        const auto v = x[static_cast<std::size_t>(i)];
        s.sum += v;
        s.sumSquares += sq(v);
        if (histogram[v]++ == 0)
            ++s.distinct;
    }
    for (std::int64_t i = 0; i < cells - 1; ++i) {
        spanRowDiff2 += diff2(x, i, 1);
        spanRowEqual += equal(x, i, 1);
    }
    for (std::int64_t i = 0; i < cells - n; ++i) {
        s.colDiff2 += diff2(x, i, n);
        s.colEqual += equal(x, i, n);
    }
    for (std::int64_t a = 0;; ++a) {
        std::int64_t wrapDiff2 = 0;
        std::int64_t wrapEqual = 0;
        rowWraps(x, a, n, wrapDiff2, wrapEqual);
        s.rowDiff2 = spanRowDiff2 - wrapDiff2;
        s.rowEqual = spanRowEqual - wrapEqual;
        const double score = scoreFromSums(x, a, n, s);
        if (score > 0)
            out.offer({a, n, score});
        if (a + cells >= size)
            break;
        const auto first = static_cast<std::int64_t>(x[static_cast<std::size_t>(a)]);
        const auto next = static_cast<std::int64_t>(x[static_cast<std::size_t>(a + cells)]);
        s.sum += next - first;
        s.sumSquares += sq(next) - sq(first);
        if (--histogram[static_cast<std::size_t>(first)] == 0)
            --s.distinct;
        if (histogram[static_cast<std::size_t>(next)]++ == 0)
            ++s.distinct;
        spanRowDiff2 += diff2(x, a + cells - 1, 1) - diff2(x, a, 1);
        spanRowEqual += equal(x, a + cells - 1, 1) - equal(x, a, 1);
        s.colDiff2 += diff2(x, a + cells - n, n) - diff2(x, a, n);
        s.colEqual += equal(x, a + cells - n, n) - equal(x, a, n);
    }
}

} // namespace

double scoreWindow(std::span<const std::uint8_t> image, std::int64_t address, int size)
{
    const std::int64_t cells = static_cast<std::int64_t>(size) * size;
    if (size < 2 || address < 0 || address + cells > static_cast<std::int64_t>(image.size()))
        return 0;
    WindowSums s;
    std::array<bool, 256> seen{};
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            const std::int64_t i = address + static_cast<std::int64_t>(r) * size + c;
            if (!seen[image[static_cast<std::size_t>(i)]]) {
                seen[image[static_cast<std::size_t>(i)]] = true;
                ++s.distinct;
            }
            s.sum += image[static_cast<std::size_t>(i)];
            s.sumSquares += sq(image[static_cast<std::size_t>(i)]);
            if (c + 1 < size) {
                s.rowDiff2 += diff2(image, i, 1);
                s.rowEqual += equal(image, i, 1);
            }
            if (r + 1 < size) {
                s.colDiff2 += diff2(image, i, size);
                s.colEqual += equal(image, i, size);
            }
        }
    }
    return scoreFromSums(image, address, size, s);
}

std::vector<MapCandidate> findMaps(std::span<const std::uint8_t> image, int count)
{
    if (count <= 0)
        return {};
    // Every candidate looked at before the last pick is either picked or overlaps a pick, and a
    // 16x16 pick overlaps 511 other 16x16 and 319 8x8 tables: so the best count x 1024 decide the
    // list exactly, however large the image.
    BestPool pool(static_cast<std::size_t>(count) * 1024);
    scoreAllWindows(image, 16, pool);
    scoreAllWindows(image, 8, pool);
    const std::vector<MapCandidate> all = pool.sorted();
    std::vector<MapCandidate> best;
    for (const auto& candidate : all) {
        if (static_cast<int>(best.size()) >= count)
            break;
        const bool clash = std::any_of(best.begin(), best.end(),
                                       [&](const MapCandidate& taken) { return overlaps(taken, candidate); });
        if (!clash)
            best.push_back(candidate);
    }
    return best;
}

} // namespace skerrow
