#include "MapFinder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace skerrow {

namespace {

// Sums over one table that the score is made of. All are whole numbers, so the sliding sums of
// findMaps and the direct sums of scoreWindow agree exactly.
//
// The maps of these engine units may keep a flag in bit 7 of some cells (closed-loop fuel cells,
// knock-controlled timing cells), which puts a cliff into a map that is smooth on either side of
// it. So each table is also looked at through its cells' low seven bits, comparing only
// neighbours whose bit 7 agrees ("flag-aware"); the better of the two views counts.
struct WindowSums
{
    std::int64_t sum = 0;        // cell values
    std::int64_t sumSquares = 0; // squared cell values
    std::int64_t rowDiff2 = 0;   // squared differences of neighbours along rows
    std::int64_t colDiff2 = 0;   // squared differences of neighbours along columns
    std::int64_t rowEqual = 0;   // equal neighbours along rows
    std::int64_t colEqual = 0;   // equal neighbours along columns
    int distinct = 0;            // different cell values
    // The flag-aware view.
    std::int64_t sum7 = 0;        // low seven bits of the cells
    std::int64_t sumSquares7 = 0; // their squares
    std::int64_t rowDiff7 = 0;    // squared differences of comparable neighbours along rows
    std::int64_t colDiff7 = 0;    // and along columns
    std::int64_t rowSame = 0;     // comparable neighbours (bit 7 agrees) along rows
    std::int64_t colSame = 0;     // and along columns
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

inline std::int64_t low7(std::int64_t b)
{
    return b & 0x7F;
}

inline std::int64_t same(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag)
{
    return ((x[static_cast<std::size_t>(i + lag)] ^ x[static_cast<std::size_t>(i)]) & 0x80) == 0 ? 1 : 0;
}

// Squared difference of the low seven bits of two neighbours whose bit 7 agrees, else 0.
inline std::int64_t diff7(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag)
{
    if (same(x, i, lag) == 0)
        return 0;
    return sq(low7(x[static_cast<std::size_t>(i + lag)]) - low7(x[static_cast<std::size_t>(i)]));
}

// The sums of the pairs (i, i + lag) that a table counts as neighbours.
struct PairSums
{
    std::int64_t diff2 = 0;
    std::int64_t equal = 0;
    std::int64_t diff7 = 0;
    std::int64_t same = 0;

    void add(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag, std::int64_t sign = 1);
};

inline std::int64_t equal(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag)
{
    return x[static_cast<std::size_t>(i + lag)] == x[static_cast<std::size_t>(i)] ? 1 : 0;
}

void PairSums::add(std::span<const std::uint8_t> x, std::int64_t i, std::int64_t lag, std::int64_t sign)
{
    diff2 += sign * skerrow::diff2(x, i, lag);
    equal += sign * skerrow::equal(x, i, lag);
    diff7 += sign * skerrow::diff7(x, i, lag);
    same += sign * skerrow::same(x, i, lag);
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
PairSums rowWraps(std::span<const std::uint8_t> x, std::int64_t address, int n)
{
    PairSums wraps;
    for (int r = 0; r < n - 1; ++r)
        wraps.add(x, address + static_cast<std::int64_t>(r) * n + n - 1, 1);
    return wraps;
}

// The part of the score that the cells themselves earn (0..80): smooth neighbours against the
// spread of the values, less when most neighbours are equal. For independent bytes the mean square
// neighbour difference is twice the variance, so the roughness is about 1 for noise and code and
// falls toward 0 as neighbours become alike. Pairs left uncompared (their bit 7 differs) are
// charged as noise, so leaving them out never makes a table look smoother than it is.
double bodyScore(double cells, double sum, double sumSquares, double diff2, double uncompared,
                 double equalCount, double pairs)
{
    const double mean = sum / cells;
    const double variance = sumSquares / cells - mean * mean;
    if (variance < 4.0)
        return 0;
    const double meanDiff2 = (diff2 + uncompared * 2.0 * variance) / pairs;
    const double roughness = std::sqrt(meanDiff2 / (2.0 * variance));
    const double smoothness = std::max(0.0, 1.0 - roughness / 0.7);
    // A table of two fills side by side is smooth almost everywhere but is no map: most of its
    // neighbours are equal. Maps may have level stretches, so only a majority of them counts.
    const double variety = std::min(1.0, 2.0 * (1.0 - equalCount / pairs));
    return std::max(0.0, 80.0 * smoothness * variety);
}

double scoreFromSums(std::span<const std::uint8_t> x, std::int64_t address, int n, const WindowSums& s)
{
    const double cells = static_cast<double>(n) * n;
    // With fewer different values than a row has cells (or, in bodyScore, a spread below two
    // steps) the table is a fill, a flag table or the edge between two fills, not a map.
    if (s.distinct < n)
        return 0;
    const double pairs = 2.0 * n * (n - 1);
    const auto d = [](std::int64_t v) { return static_cast<double>(v); };
    const double equalCount = d(s.rowEqual + s.colEqual);
    const double body = std::max(
        bodyScore(cells, d(s.sum), d(s.sumSquares), d(s.rowDiff2 + s.colDiff2), 0, equalCount, pairs),
        bodyScore(cells, d(s.sum7), d(s.sumSquares7), d(s.rowDiff7 + s.colDiff7),
                  pairs - d(s.rowSame + s.colSame), equalCount, pairs));
    if (body <= 0)
        return 0;
    // A run that fits on as one more row of the table is the rest of the map (the table sits a row
    // off the map), not an axis beside it.
    const double rowStep2 = d(s.colDiff2) / (static_cast<double>(n) * (n - 1));
    const auto axisAt = [&](std::int64_t run, std::int64_t edgeRow) {
        if (!risesLikeAxis(x, run, n))
            return false;
        std::int64_t gap2 = 0;
        for (int c = 0; c < n; ++c)
            gap2 += diff2(x, edgeRow + c, run - edgeRow);
        return static_cast<double>(gap2) > 4.0 * n * rowStep2;
    };
    const std::int64_t lastRow = address + static_cast<std::int64_t>(n) * (n - 1);
    const bool axis = axisAt(address - n, address) || axisAt(lastRow + n, lastRow);
    return body + (axis ? 20.0 : 0.0);
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
    explicit BestPool(std::size_t limit) : limit_(limit) {}

    void offer(const MapCandidate& candidate)
    {
        if (items_.size() < limit_) {
            items_.push_back(candidate);
            std::push_heap(items_.begin(), items_.end(), better);
        } else if (better(candidate, items_.front())) {
            std::pop_heap(items_.begin(), items_.end(), better);
            items_.back() = candidate;
            std::push_heap(items_.begin(), items_.end(), better);
        }
    }

    std::vector<MapCandidate> sorted()
    {
        std::sort_heap(items_.begin(), items_.end(), better);
        return std::move(items_);
    }

  private:
    std::size_t limit_;
    std::vector<MapCandidate> items_;
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
    // sums and the contiguous difference sums lose their first term and gain one at the end. The
    // N - 1 row wraps of a table are those of the table N bytes before it, less its first wrap and
    // plus one more at the end, so they are kept per address modulo N.
    WindowSums s;
    PairSums spanRows;
    PairSums columns;
    std::array<int, 256> histogram{};
    for (std::int64_t i = 0; i < cells; ++i) {
        const auto v = x[static_cast<std::size_t>(i)];
        s.sum += v;
        s.sumSquares += sq(v);
        s.sum7 += low7(v);
        s.sumSquares7 += sq(low7(v));
        if (histogram[v]++ == 0)
            ++s.distinct;
    }
    for (std::int64_t i = 0; i < cells - 1; ++i)
        spanRows.add(x, i, 1);
    for (std::int64_t i = 0; i < cells - n; ++i)
        columns.add(x, i, n);
    std::vector<PairSums> wrapsByPhase(static_cast<std::size_t>(n));
    for (std::int64_t a = 0;; ++a) {
        PairSums& wraps = wrapsByPhase[static_cast<std::size_t>(a % n)];
        if (a < n) {
            wraps = rowWraps(x, a, n);
        } else {
            wraps.add(x, a - 1, 1, -1);
            wraps.add(x, a + cells - n - 1, 1);
        }
        s.rowDiff2 = spanRows.diff2 - wraps.diff2;
        s.rowEqual = spanRows.equal - wraps.equal;
        s.rowDiff7 = spanRows.diff7 - wraps.diff7;
        s.rowSame = spanRows.same - wraps.same;
        s.colDiff2 = columns.diff2;
        s.colEqual = columns.equal;
        s.colDiff7 = columns.diff7;
        s.colSame = columns.same;
        const double score = scoreFromSums(x, a, n, s);
        if (score > 0)
            out.offer({a, n, score});
        if (a + cells >= size)
            break;
        const auto first = static_cast<std::int64_t>(x[static_cast<std::size_t>(a)]);
        const auto next = static_cast<std::int64_t>(x[static_cast<std::size_t>(a + cells)]);
        s.sum += next - first;
        s.sumSquares += sq(next) - sq(first);
        s.sum7 += low7(next) - low7(first);
        s.sumSquares7 += sq(low7(next)) - sq(low7(first));
        if (--histogram[static_cast<std::size_t>(first)] == 0)
            --s.distinct;
        if (histogram[static_cast<std::size_t>(next)]++ == 0)
            ++s.distinct;
        spanRows.add(x, a + cells - 1, 1);
        spanRows.add(x, a, 1, -1);
        columns.add(x, a + cells - n, n);
        columns.add(x, a, n, -1);
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
            const std::int64_t v = image[static_cast<std::size_t>(i)];
            s.sum += v;
            s.sumSquares += sq(v);
            s.sum7 += low7(v);
            s.sumSquares7 += sq(low7(v));
            PairSums pairs;
            if (c + 1 < size)
                pairs.add(image, i, 1);
            s.rowDiff2 += pairs.diff2;
            s.rowEqual += pairs.equal;
            s.rowDiff7 += pairs.diff7;
            s.rowSame += pairs.same;
            pairs = {};
            if (r + 1 < size)
                pairs.add(image, i, size);
            s.colDiff2 += pairs.diff2;
            s.colEqual += pairs.equal;
            s.colDiff7 += pairs.diff7;
            s.colSame += pairs.same;
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
