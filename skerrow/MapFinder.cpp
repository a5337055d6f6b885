#include "MapFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace skerrow {

namespace {

// The three ways a cell is read. The maps of these engine units keep a flag in bit 7 of some
// cells: a closed-loop fuel cell holds b - 192 (so a flagged 194 stands next to an unflagged 4),
// a knock-controlled timing cell keeps its advance in the low seven bits.
enum View { Raw = 0, FuelFlag = 1, KnockFlag = 2, ViewCount = 3 };

struct DecodeTables
{
    std::array<std::array<int, 256>, ViewCount> value{};

    DecodeTables()
    {
        for (int b = 0; b < 256; ++b) {
            value[Raw][static_cast<std::size_t>(b)] = b;
            value[FuelFlag][static_cast<std::size_t>(b)] = b >= 128 ? b - 192 : b;
            value[KnockFlag][static_cast<std::size_t>(b)] = b & 0x7F;
        }
    }
};

const DecodeTables& decode()
{
    static const DecodeTables tables;
    return tables;
}

inline int cell(std::span<const std::uint8_t> x, std::int64_t i, View view)
{
    return decode().value[static_cast<std::size_t>(view)][x[static_cast<std::size_t>(i)]];
}

inline std::int64_t sq(std::int64_t v)
{
    return v * v;
}

// ---- The quick measure over sliding sums ----

// Sums of one view of one table, kept up to date as the table slides by one byte. The row pairs of
// a contiguous span include the last cell of each row against the first of the next (the wraps),
// which are no neighbours; they are kept per address modulo N, since the N - 1 wraps of a table
// are those of the table N bytes before it, less its first and plus one more at its end.
struct SlidingView
{
    std::int64_t sum = 0;
    std::int64_t sumSquares = 0;
    std::int64_t spanRows = 0; // squared differences of all contiguous pairs
    std::int64_t columns = 0;  // squared differences of vertical neighbours
    std::vector<std::int64_t> wrapsByPhase;
};

struct Ranked
{
    double value = 0;
    std::int64_t address = 0;
};

bool rankedBefore(const Ranked& a, const Ranked& b)
{
    if (a.value != b.value)
        return a.value > b.value;
    return a.address < b.address;
}

// The best `limit` items offered, as a heap whose top is the worst of them.
class BestPool
{
  public:
    explicit BestPool(std::size_t limit) : limit_(limit) {}

    void offer(const Ranked& item)
    {
        if (items_.size() < limit_) {
            items_.push_back(item);
            std::push_heap(items_.begin(), items_.end(), rankedBefore);
        } else if (rankedBefore(item, items_.front())) {
            std::pop_heap(items_.begin(), items_.end(), rankedBefore);
            items_.back() = item;
            std::push_heap(items_.begin(), items_.end(), rankedBefore);
        }
    }

    const std::vector<Ranked>& items() const { return items_; }

  private:
    std::size_t limit_;
    std::vector<Ranked> items_;
};

// 1 - sqrt(mean square neighbour difference / twice the variance): about 0 for noise and code
// (independent neighbours differ by twice the variance on average), near 1 for a smooth table.
// Windows that straddle two maps pass too, as their variance is large; the full judgement sorts
// them out.
double quickSmoothness(const SlidingView& v, std::int64_t wraps, double cells, double pairs)
{
    const double mean = static_cast<double>(v.sum) / cells;
    const double variance = static_cast<double>(v.sumSquares) / cells - mean * mean;
    if (variance < 1.0)
        return 0;
    const double meanDiff2 = static_cast<double>(v.spanRows - wraps + v.columns) / pairs;
    return 1.0 - std::sqrt(meanDiff2 / (2.0 * variance));
}

constexpr double kWorthJudging = 0.3;

// Offers every n x n table whose quick smoothness reaches kWorthJudging, best first.
void quickScan(std::span<const std::uint8_t> x, int n, BestPool& out)
{
    const auto size = static_cast<std::int64_t>(x.size());
    const std::int64_t cells = static_cast<std::int64_t>(n) * n;
    if (size < cells)
        return;
    std::array<SlidingView, ViewCount> views;
    std::array<int, 256> histogram{};
    int distinct = 0;
    int flagged = 0;
    const auto addCell = [&](std::int64_t i, int sign) {
        const auto b = x[static_cast<std::size_t>(i)];
        for (int v = 0; v < ViewCount; ++v) {
            const int value = cell(x, i, static_cast<View>(v));
            views[static_cast<std::size_t>(v)].sum += sign * value;
            views[static_cast<std::size_t>(v)].sumSquares += sign * sq(value);
        }
        flagged += b >= 128 ? sign : 0;
        if (sign > 0 && histogram[b]++ == 0)
            ++distinct;
        if (sign < 0 && --histogram[b] == 0)
            --distinct;
    };
    const auto pairDiff = [&](std::int64_t i, std::int64_t lag, View v) {
        return sq(cell(x, i + lag, v) - cell(x, i, v));
    };
    for (std::int64_t i = 0; i < cells; ++i)
        addCell(i, 1);
    for (int v = 0; v < ViewCount; ++v) {
        SlidingView& s = views[static_cast<std::size_t>(v)];
        for (std::int64_t i = 0; i + 1 < cells; ++i)
            s.spanRows += pairDiff(i, 1, static_cast<View>(v));
        for (std::int64_t i = 0; i + n < cells; ++i)
            s.columns += pairDiff(i, n, static_cast<View>(v));
        s.wrapsByPhase.assign(static_cast<std::size_t>(n), 0);
    }
    const double pairs = 2.0 * n * (n - 1);
    for (std::int64_t a = 0;; ++a) {
        const auto phase = static_cast<std::size_t>(a % n);
        for (int v = 0; v < ViewCount; ++v) {
            SlidingView& s = views[static_cast<std::size_t>(v)];
            std::int64_t& wraps = s.wrapsByPhase[phase];
            if (a < n) {
                wraps = 0;
                for (int r = 0; r < n - 1; ++r)
                    wraps += pairDiff(a + static_cast<std::int64_t>(r) * n + n - 1, 1, static_cast<View>(v));
            } else {
                wraps += pairDiff(a + cells - n - 1, 1, static_cast<View>(v)) -
                         pairDiff(a - 1, 1, static_cast<View>(v));
            }
        }
        // With fewer different values than a row has cells the table is a fill or a flag table.
        if (distinct >= n) {
            double best = quickSmoothness(views[Raw], views[Raw].wrapsByPhase[phase],
                                          static_cast<double>(cells), pairs);
            if (flagged > 0)
                for (int v = FuelFlag; v < ViewCount; ++v)
                    best =
                        std::max(best, quickSmoothness(views[static_cast<std::size_t>(v)],
                                                       views[static_cast<std::size_t>(v)].wrapsByPhase[phase],
                                                       static_cast<double>(cells), pairs));
            if (best >= kWorthJudging)
                out.offer({best, a});
        }
        if (a + cells >= size)
            break;
        addCell(a + cells, 1);
        addCell(a, -1);
        for (int v = 0; v < ViewCount; ++v) {
            SlidingView& s = views[static_cast<std::size_t>(v)];
            s.spanRows +=
                pairDiff(a + cells - 1, 1, static_cast<View>(v)) - pairDiff(a, 1, static_cast<View>(v));
            s.columns +=
                pairDiff(a + cells - n, n, static_cast<View>(v)) - pairDiff(a, n, static_cast<View>(v));
        }
    }
}

// ---- The full judgement ----

// Discrete orthogonal polynomials of degree 1 and 2 over the positions 0..n-1 of a line.
struct LineBasis
{
    std::array<double, 16> p1{};
    std::array<double, 16> p2{};
    double norm1 = 0;
    double norm2 = 0;

    explicit LineBasis(int n)
    {
        const double mid = (n - 1) / 2.0;
        const double c = (static_cast<double>(n) * n - 1) / 12.0;
        for (int i = 0; i < n; ++i) {
            p1[static_cast<std::size_t>(i)] = i - mid;
            p2[static_cast<std::size_t>(i)] = (i - mid) * (i - mid) - c;
            norm1 += p1[static_cast<std::size_t>(i)] * p1[static_cast<std::size_t>(i)];
            norm2 += p2[static_cast<std::size_t>(i)] * p2[static_cast<std::size_t>(i)];
        }
    }
};

const LineBasis& basis(int n)
{
    static const LineBasis b16(16);
    static const LineBasis b8(8);
    return n == 16 ? b16 : b8;
}

struct LineFit
{
    double spread = 0;   // squares about the lines' means
    double leftover = 0; // squares the quadratic fits leave
    // Squared steps between neighbours, summed over the lines by the place of the step (step i lies
    // between positions i and i + 1 of every line).
    std::array<double, 15> stepSquares{};
};

// Adds the fit of one line of n values, `stride` apart in `v`.
void fitLine(const int* v, int stride, int n, LineFit& fit)
{
    const LineBasis& b = basis(n);
    double sum = 0;
    double sumSquares = 0;
    double d1 = 0;
    double d2 = 0;
    for (int i = 0; i < n; ++i) {
        const double y = v[i * stride];
        sum += y;
        sumSquares += y * y;
        d1 += y * b.p1[static_cast<std::size_t>(i)];
        d2 += y * b.p2[static_cast<std::size_t>(i)];
        if (i + 1 < n) {
            const double step = v[(i + 1) * stride] - y;
            fit.stepSquares[static_cast<std::size_t>(i)] += step * step;
        }
    }
    const double spread = std::max(0.0, sumSquares - sum * sum / n);
    fit.spread += spread;
    fit.leftover += std::max(0.0, spread - d1 * d1 / b.norm1 - d2 * d2 / b.norm2);
}

// How smooth the lines of one direction are, 0 (no better than noise) to 1: one minus the share of
// the lines' spread that quadratic fits leave, against the share they leave of independent values
// ((n - 3) / (n - 1)). Cells are whole numbers, and tuned maps carry a stray unit here and there, so
// a leftover of half a unit squared a cell is allowed for: the lines of a map that varies by only a
// few units are as smooth as bytes can be. Lines that hardly vary at all are smooth.
// A quadratic follows a step near the end of a line well enough, so the steps are looked at too:
// where the lines take a step at one place many times larger than their typical step (the place
// where one map ends and the next begins, or where a window wraps from the end of a map's row to
// the start of the next), they are two parts, not one surface. An axis with uneven points gives a
// map uneven steps too, a few times the typical one, so only a step far beyond that counts.
double directionSmoothness(const LineFit& fit, int n, bool& whole)
{
    whole = true;
    if (fit.spread < 1.0 * n * n)
        return 1;
    const double expectedForNoise = (n - 3.0) / (n - 1.0);
    const double jitter = 0.5 * n * n;
    const double smooth =
        std::max(0.0, 1.0 - std::max(0.0, fit.leftover - jitter) / fit.spread / expectedForNoise);
    std::array<double, 15> steps{};
    const auto places = static_cast<std::size_t>(n - 1);
    for (std::size_t i = 0; i < places; ++i)
        steps[i] = std::sqrt(fit.stepSquares[i] / n);
    const double largest =
        *std::max_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(places));
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(places / 2),
                     steps.begin() + static_cast<std::ptrdiff_t>(places));
    // A unit more on the typical step, so that plateaus and unit steps do not make a break of a
    // step of two.
    const double ratio = largest / (steps[places / 2] + 1.0);
    const double wholeness = std::clamp(1.0 - (ratio - 4.0) / 4.0, 0.0, 1.0);
    whole = wholeness >= 1.0;
    return smooth * wholeness;
}

// The rows and the columns are judged apart and the two results multiplied (and the root taken): a
// window over the end of one map and the start of the next has perfect rows, and the step in its
// columns must not drown in the rows' larger spread.
double lineSmoothness(const std::array<int, 256>& v, int n, bool& whole)
{
    whole = false;
    LineFit rows;
    LineFit columns;
    for (int i = 0; i < n; ++i) {
        fitLine(v.data() + static_cast<std::ptrdiff_t>(i) * n, 1, n, rows);
        fitLine(v.data() + i, n, n, columns);
    }
    // A table whose values hardly vary (a fill with a few stray bytes) tells nothing.
    if (rows.spread + columns.spread < 2.0 * n * n)
        return 0;
    bool wholeRows = false;
    bool wholeColumns = false;
    const double smooth =
        std::sqrt(directionSmoothness(rows, n, wholeRows) * directionSmoothness(columns, n, wholeColumns));
    whole = wholeRows && wholeColumns;
    return smooth;
}

struct Judged
{
    WindowJudgement judgement;
    View view = Raw;
    bool whole = false; // no step in its lines far beyond their typical step (in the view judged)
};

Judged judge(std::span<const std::uint8_t> x, std::int64_t address, int n)
{
    Judged result;
    const std::int64_t cells = static_cast<std::int64_t>(n) * n;
    // Compared against size - cells: any address may come in, and address + cells could overflow.
    if ((n != 8 && n != 16) || address < 0 || address > static_cast<std::int64_t>(x.size()) - cells)
        return result;
    std::array<bool, 256> seen{};
    int distinct = 0;
    int flagged = 0;
    int maxKnock = 0;
    int equalNeighbours = 0;
    for (std::int64_t i = 0; i < cells; ++i) {
        const auto b = x[static_cast<std::size_t>(address + i)];
        if (!seen[b]) {
            seen[b] = true;
            ++distinct;
        }
        flagged += b >= 128 ? 1 : 0;
        maxKnock = std::max(maxKnock, b & 0x7F);
        const auto r = i / n;
        const auto c = i % n;
        if (c + 1 < n && x[static_cast<std::size_t>(address + i + 1)] == b)
            ++equalNeighbours;
        if (r + 1 < n && x[static_cast<std::size_t>(address + i + n)] == b)
            ++equalNeighbours;
    }
    result.judgement.flaggedCells = flagged;
    if (distinct < n)
        return result;

    double best = 0;
    std::array<int, 256> values{};
    for (int v = 0; v < (flagged > 0 ? ViewCount : 1); ++v) {
        for (std::int64_t i = 0; i < cells; ++i)
            values[static_cast<std::size_t>(i)] = cell(x, address + i, static_cast<View>(v));
        bool whole = false;
        const double smooth = lineSmoothness(values, n, whole);
        if (smooth > best) {
            best = smooth;
            result.view = static_cast<View>(v);
            result.whole = whole;
        }
    }
    // Two fills side by side are smooth almost everywhere but no map: most of their neighbours are
    // equal. Maps have level stretches, so only a majority of them counts against the table.
    const double pairs = 2.0 * n * (n - 1);
    const double variety = std::min(1.0, 2.0 * (1.0 - equalNeighbours / pairs));
    double score = 100.0 * best * variety * (n == 8 ? 0.8 : 1.0);
    if (score <= 0)
        return result;
    // Maps are laid out on 16-byte and mostly on 256-byte boundaries: among tables that score
    // alike, the aligned one is the map and the others are the map seen a few bytes or rows aside.
    if (n == 16 && address % 16 == 0)
        score += address % 256 == 0 ? 3.0 : 1.5;
    result.judgement.score = score;
    // The closed-loop block of a fuel map is a part of it, not the whole; timing maps keep their
    // advance below 64 degrees.
    if (result.view == FuelFlag && flagged >= 2 && flagged <= cells * 3 / 4)
        result.judgement.kind = MapKind::Fuel;
    else if (maxKnock <= 63 && (flagged == 0 || (result.view == KnockFlag && flagged >= 2)))
        result.judgement.kind = MapKind::Timing;
    return result;
}

bool better(const MapCandidate& a, const MapCandidate& b)
{
    if (a.score != b.score)
        return a.score > b.score;
    if (a.address != b.address)
        return a.address < b.address;
    return a.size > b.size;
}

bool overlaps(std::int64_t aStart, std::int64_t aEnd, std::int64_t bStart, std::int64_t bEnd)
{
    return aStart < bEnd && bStart < aEnd;
}

std::int64_t endOf(const MapCandidate& c)
{
    return c.address + static_cast<std::int64_t>(c.size) * c.size;
}

// The map's mean value in each row and in each column, read in `view`.
void profiles(std::span<const std::uint8_t> x, std::int64_t address, View view, std::vector<double>& rows,
              std::vector<double>& columns)
{
    constexpr int n = 16;
    rows.assign(n, 0);
    columns.assign(n, 0);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            const double v = cell(x, address + static_cast<std::int64_t>(r) * n + c, view) / double{n};
            rows[static_cast<std::size_t>(r)] += v;
            columns[static_cast<std::size_t>(c)] += v;
        }
    }
}

// Scores from here on are rarely reached by anything but a map.
constexpr double kClearlyMapLike = 50;

// ---- Axes inside windows, and rivals ----

// Real units keep at most four axes back to back (the pairs of two kinds of map); a longer chain of
// rising runs is a table whose rows each rise.
constexpr std::size_t kMostAxesTogether = 4;

// The bytes the axis finder takes for axes, as sorted ranges that neither overlap nor touch.
class AxisBytes
{
  public:
    explicit AxisBytes(const std::vector<AxisRun>& axes)
    {
        std::vector<Range> spans;
        for (const int width : {1, 2}) {
            std::vector<AxisRun> chain;
            const auto endChain = [&] {
                if (chain.size() <= kMostAxesTogether)
                    for (const AxisRun& a : chain)
                        spans.push_back({a.address, a.address + a.bytes()});
                chain.clear();
            };
            for (const AxisRun& a : axes) { // by address
                if (a.width != width)
                    continue;
                if (!chain.empty() && chain.back().address + chain.back().bytes() != a.address)
                    endChain();
                chain.push_back(a);
            }
            endChain();
        }
        std::sort(spans.begin(), spans.end(),
                  [](const Range& a, const Range& b) { return a.start < b.start; });
        for (const Range& r : spans) {
            if (!ranges_.empty() && r.start <= ranges_.back().end)
                ranges_.back().end = std::max(ranges_.back().end, r.end);
            else
                ranges_.push_back(r);
        }
    }

    // Whether the bytes [start, start + length) all lie in axes.
    bool cover(std::int64_t start, std::int64_t length) const
    {
        auto it = std::upper_bound(ranges_.begin(), ranges_.end(), start,
                                   [](std::int64_t v, const Range& r) { return v < r.start; });
        if (it == ranges_.begin())
            return false;
        --it;
        return it->end >= start + length;
    }

  private:
    struct Range
    {
        std::int64_t start = 0;
        std::int64_t end = 0;
    };
    std::vector<Range> ranges_;
};

// The rows of the n x n table at `address` that lie in axes: how many, the first and the last.
struct AxisRows
{
    int count = 0;
    int first = -1;
    int last = -1;
};

AxisRows axisRowsOf(const AxisBytes& axes, std::int64_t address, int n)
{
    AxisRows rows;
    for (int r = 0; r < n; ++r) {
        if (!axes.cover(address + static_cast<std::int64_t>(r) * n, n))
            continue;
        ++rows.count;
        rows.first = rows.first < 0 ? r : rows.first;
        rows.last = r;
    }
    return rows;
}

// A window clear of the axes that scores this share of one holding them shows what the latter is.
constexpr double kClearOfAxesShare = 0.5;

// A table holding rows the axis finder takes for axes is no map but axes and the start of the map
// they lead into (or the end of the map before them): a window that starts on the axes and runs
// into the map can look nearly as smooth as the map. A 16x16 map whose own rows happen to rise like
// axes stays a map: a table that clearly looks like one is dropped only when half its rows or more
// lie in axes, or when the table beside those rows, overlapping it and clear of them (for axes
// before a map, the map), scores at least half as much, which a map seen a few rows aside into its
// neighbours does not. Rows of eight bytes are too short for that judgement: an 8x8 table with a
// row in axes is dropped.
bool axesNotMap(std::span<const std::uint8_t> x, const AxisBytes& axes, std::int64_t address, int n,
                double score, bool& holdsAxisRows)
{
    const AxisRows rows = axisRowsOf(axes, address, n);
    holdsAxisRows = rows.count > 0;
    if (rows.count == 0)
        return false;
    if (n != 16 || 2 * rows.count >= n || score < kClearlyMapLike)
        return true;
    // The tables that overlap this one but not its axis rows: after them, and before them.
    double clear = 0;
    if (rows.last + 1 < n)
        clear = judge(x, address + static_cast<std::int64_t>(rows.last + 1) * n, n).judgement.score;
    if (rows.first > 0)
        clear = std::max(
            clear, judge(x, address - static_cast<std::int64_t>(n - rows.first) * n, n).judgement.score);
    return clear >= kClearOfAxesShare * score;
}

// What a table shows besides its score, for choosing among tables that are one map seen a few rows
// aside.
struct Evidence
{
    int alignment = 0; // 2 on a boundary of the table's size (256 bytes for 16x16), 1 on a row's
    bool axisRows = false;
    bool whole = false; // no break in its lines
};

int alignmentOf(std::int64_t address, int n)
{
    return address % (static_cast<std::int64_t>(n) * n) == 0 ? 2 : address % n == 0 ? 1 : 0;
}

// Tables that overlap by more than half and lie whole rows apart are one map seen a few rows aside
// (or axes and the map): the evidence picks the map among those that score within this share of the
// best of them.
constexpr double kRivalShare = 0.75;

// Whether `a` is the map rather than `b`: maps lie on boundaries, hold no axis rows and have no
// break in their lines; among equals the higher score wins.
bool favoured(const MapCandidate& a, const Evidence& ea, const MapCandidate& b, const Evidence& eb)
{
    if (ea.alignment != eb.alignment)
        return ea.alignment > eb.alignment;
    if (ea.axisRows != eb.axisRows)
        return !ea.axisRows;
    if (ea.whole != eb.whole)
        return ea.whole;
    return better(a, b);
}

} // namespace

WindowJudgement judgeWindow(std::span<const std::uint8_t> image, std::int64_t address, int size)
{
    return judge(image, address, size).judgement;
}

double scoreWindow(std::span<const std::uint8_t> image, std::int64_t address, int size)
{
    return judgeWindow(image, address, size).score;
}

std::vector<MapCandidate> findMaps(std::span<const std::uint8_t> image, int count)
{
    if (count <= 0)
        return {};
    // The quick measure lets through every map, the windows a few bytes or rows beside each, and
    // straddles; a few thousand places hold them all with room to spare.
    BestPool pool16(std::max<std::size_t>(2048, static_cast<std::size_t>(count) * 64));
    BestPool pool8(std::max<std::size_t>(1024, static_cast<std::size_t>(count) * 32));
    quickScan(image, 16, pool16);
    quickScan(image, 8, pool8);

    const std::vector<AxisRun> allAxes = findAxes(image);
    const AxisBytes axisBytes(allAxes);
    struct Entry
    {
        MapCandidate candidate;
        Evidence evidence;
    };
    std::vector<Entry> judged;
    const auto judgeAll = [&](const BestPool& pool, int n) {
        for (const Ranked& item : pool.items()) {
            const Judged j = judge(image, item.address, n);
            if (j.judgement.score <= 0)
                continue;
            bool holdsAxisRows = false;
            if (axesNotMap(image, axisBytes, item.address, n, j.judgement.score, holdsAxisRows))
                continue;
            judged.push_back(
                {{item.address, n, j.judgement.score, j.judgement.kind, j.judgement.flaggedCells, {}, {}},
                 {alignmentOf(item.address, n), holdsAxisRows, j.whole}});
        }
    };
    judgeAll(pool16, 16);
    judgeAll(pool8, 8);
    std::sort(judged.begin(), judged.end(),
              [](const Entry& a, const Entry& b) { return better(a.candidate, b.candidate); });

    std::vector<MapCandidate> best;
    const auto clashes = [&](const MapCandidate& c) {
        return std::any_of(best.begin(), best.end(), [&](const MapCandidate& taken) {
            return overlaps(taken.address, endOf(taken), c.address, endOf(c));
        });
    };
    for (const Entry& entry : judged) {
        if (static_cast<int>(best.size()) >= count)
            break;
        const MapCandidate& candidate = entry.candidate;
        if (clashes(candidate))
            continue;
        // The same map seen whole rows aside, or axes and the map, compete as one: the evidence
        // picks among those that score nearly as well.
        const std::int64_t n = candidate.size;
        const Entry* pick = &entry;
        for (const Entry& rival : judged) {
            const MapCandidate& r = rival.candidate;
            const std::int64_t shift = r.address - candidate.address;
            if (r.size != candidate.size || shift == 0 || shift % n != 0 || std::abs(shift) >= n * n / 2 ||
                r.score < kRivalShare * candidate.score || clashes(r))
                continue;
            if (favoured(r, rival.evidence, pick->candidate, pick->evidence))
                pick = &rival;
        }
        best.push_back(pick->candidate);
    }
    // A table chosen over a rival keeps its own score: the list stays best first.
    std::sort(best.begin(), best.end(), better);

    // Rising runs inside what clearly looks like a 16x16 map are rows of it, not axes; nor is a map
    // ever its own axis.
    const auto inside = [](const MapCandidate& c, const AxisRun& axis) {
        return overlaps(c.address, endOf(c), axis.address, axis.address + axis.bytes());
    };
    std::vector<AxisRun> axes;
    for (const AxisRun& axis : allAxes) {
        const bool inMap = std::any_of(best.begin(), best.end(), [&](const MapCandidate& c) {
            return c.size == 16 && c.score >= kClearlyMapLike && inside(c, axis);
        });
        if (!inMap)
            axes.push_back(axis);
    }
    std::vector<double> rowProfile;
    std::vector<double> columnProfile;
    std::vector<AxisRun> outside;
    for (MapCandidate& candidate : best) {
        if (candidate.size != 16)
            continue;
        outside.clear();
        std::copy_if(axes.begin(), axes.end(), std::back_inserter(outside),
                     [&](const AxisRun& axis) { return !inside(candidate, axis); });
        profiles(image, candidate.address, judge(image, candidate.address, 16).view, rowProfile,
                 columnProfile);
        const AxisPair pair = bestAxesFor(image, outside, candidate.address, rowProfile, columnProfile);
        candidate.rowAxis = pair.rows;
        candidate.columnAxis = pair.columns;
    }
    return best;
}

} // namespace skerrow
