#include "FinderCorpus.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <sstream>
#include <stdexcept>

// Every step below mirrors scripts/make_finder_corpus.py, draw for draw: a change on one side must
// be made on the other, or the quality benchmark reports that the two no longer agree.

namespace skerrow::synthetic {

namespace {

constexpr int kCalBytes = 0x1000;
constexpr int kSlot = 16;

using Bytes = std::vector<int>;

class Rng
{
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

  private:
    std::uint64_t state_;
};

Bytes risingAxis(Rng& rng, int count, int startLo, int startHi, int endLo, int endHi)
{
    const int start = rng.between(startLo, startHi);
    const int end = rng.between(endLo, endHi);
    std::vector<int> weights;
    for (int i = 0; i < count - 1; ++i)
        weights.push_back(rng.between(4, 12));
    const int total = std::accumulate(weights.begin(), weights.end(), 0);
    Bytes values{start};
    for (int w : weights)
        values.push_back(values.back() + std::max(1, w * (end - start) / total));
    return values;
}

std::vector<std::int64_t> scaled(const Bytes& axis)
{
    const std::int64_t span = axis.back() - axis.front();
    std::vector<std::int64_t> out;
    for (int a : axis)
        out.push_back((a - axis.front()) * 1000 / span);
    return out;
}

// A `steep` map rises with rpm about as much as with load, by the same few units from row to row.
Bytes fuelMap(Rng& rng, const Bytes& rpm, const Bytes& load, bool steep)
{
    auto xs = scaled(rpm);
    if (steep)
        for (std::size_t r = 0; r < xs.size(); ++r)
            xs[r] = static_cast<std::int64_t>(r) * 1000 / 15;
    const auto ys = scaled(load);
    const std::int64_t base = rng.between(2, 5);
    const std::int64_t gainLoad = rng.between(70, 95);
    const std::int64_t gainRpm = steep ? rng.between(45, 60) : rng.between(6, 16);
    const std::int64_t gainBoth = rng.between(0, 12);
    const int flagRows = rng.between(6, 10);
    const int flagCols = rng.between(2, 5);
    Bytes cells;
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            const std::int64_t x = xs[static_cast<std::size_t>(r)];
            const std::int64_t y = ys[static_cast<std::size_t>(c)];
            std::int64_t v =
                base + gainLoad * y * y / 1000000 + gainRpm * x / 1000 + gainBoth * x * y / 1000000;
            if (rng.below(12) == 0)
                v += 1;
            v = std::min<std::int64_t>(v, 127);
            if (r < flagRows && c < flagCols)
                cells.push_back(static_cast<int>(192 + v - rng.below(2)));
            else
                cells.push_back(static_cast<int>(v));
        }
    }
    return cells;
}

Bytes timingMap(Rng& rng, const Bytes& rpm, const Bytes& load)
{
    const auto xs = scaled(rpm);
    const auto ys = scaled(load);
    const std::int64_t base = rng.between(8, 14);
    const std::int64_t gainRpm = rng.between(14, 24);
    const std::int64_t gainLoad = rng.between(4, 12);
    const bool fallsWithLoad = rng.below(2) == 1;
    const int knockRow = rng.between(7, 11);
    const int knockCol = rng.between(6, 10);
    Bytes cells;
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            const std::int64_t x = xs[static_cast<std::size_t>(r)];
            const std::int64_t y = ys[static_cast<std::size_t>(c)];
            std::int64_t v = base + gainRpm * x / 1000;
            v = fallsWithLoad ? v - gainLoad * y / 1000 : v + gainLoad * y / 1000;
            if (rng.below(12) == 0)
                v += 1;
            v = std::clamp<std::int64_t>(v, 5, 40);
            cells.push_back(static_cast<int>(r >= knockRow && c >= knockCol ? (v | 0x80) : v));
        }
    }
    return cells;
}

Bytes lowOctane(Rng& rng, const Bytes& cells, bool fuel)
{
    Bytes out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const int b = cells[i];
        const int c = static_cast<int>(i % 16);
        if (c < 8) {
            out.push_back(b);
            continue;
        }
        // Python's // floors; (c - 6) is positive here, so / agrees.
        const int change = (c - 6) / 3 + rng.below(2);
        if (fuel)
            out.push_back(b >= 128 ? b : std::min(127, b + change));
        else
            out.push_back((b & 0x80) | std::max(5, (b & 0x7F) - change));
    }
    return out;
}

Bytes words(const std::vector<int>& values)
{
    Bytes out;
    for (int v : values) {
        out.push_back((v >> 8) & 0xFF);
        out.push_back(v & 0xFF);
    }
    return out;
}

// Python's floor division for the one place where the dividend can be negative.
int floorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

Bytes oneDTable(Rng& rng, bool rising)
{
    const int shape = rng.below(4);
    const int start = rng.between(0, 120);
    if (rising)
        return risingAxis(rng, 16, 20, 60, 150, 240);
    Bytes out;
    for (int i = 0; i < 16; ++i) {
        int v = 0;
        if (shape == 0)
            v = start + i * rng.between(0, 3) / 2;
        else if (shape == 1)
            v = start + 100 - i * 5 + rng.below(2);
        else if (shape == 2)
            v = start + 40 - floorDiv((i - 8) * (i - 8), 2);
        else
            v = start + (i / 4) * 9;
        out.push_back(std::clamp(v, 0, 255));
    }
    return out;
}

Bytes partNumber(Rng& rng)
{
    std::string text = "TS";
    for (int i = 0; i < 5; ++i)
        text += static_cast<char>('0' + rng.below(10));
    text += '-';
    for (int i = 0; i < 3; ++i)
        text += static_cast<char>('A' + rng.below(26));
    text.resize(16, ' ');
    return Bytes(text.begin(), text.end());
}

Bytes constants(Rng& rng)
{
    Bytes out;
    for (int i = 0; i < 16; ++i) {
        const int kind = rng.below(4);
        if (kind == 0)
            out.push_back(rng.below(40));
        else if (kind == 1)
            out.push_back(0xFF);
        else if (kind == 2)
            out.push_back(0x00);
        else
            out.push_back(rng.below(256));
    }
    return out;
}

class Layout
{
  public:
    explicit Layout(Rng& rng) : rng_(rng), free_(kCalBytes / kSlot, true) {}

    // The offset of `slots` free slots taken at random (slot `phase` of the block on a 256-byte
    // boundary when `pageAligned`). Never short of room with the blocks corpusImage places; a change
    // that overfills the area throws rather than write a block where another lies.
    int place(int slots, bool pageAligned, int phase = 0)
    {
        std::vector<int> starts;
        for (int s = 0; s + slots <= static_cast<int>(free_.size()); ++s) {
            if (pageAligned && (s + phase) % 16 != 0)
                continue;
            if (std::all_of(free_.begin() + s, free_.begin() + s + slots, [](bool f) { return f; }))
                starts.push_back(s);
        }
        if (starts.empty())
            throw std::runtime_error("the calibration area has no room for " + std::to_string(slots) +
                                     " slots");
        const int s = starts[static_cast<std::size_t>(rng_.below(static_cast<int>(starts.size())))];
        std::fill(free_.begin() + s, free_.begin() + s + slots, false);
        return s * kSlot;
    }

  private:
    Rng& rng_;
    std::vector<bool> free_;
};

struct Opcode
{
    int op;
    int kind; // 0 none, 1 relative, 2 imm byte, 3 imm word, 4 direct, 5 indexed, 6 ext data, 7 ext store, 8
              // call
    int weight;
};

constexpr std::array<Opcode, 69> kOpcodes = {{
    {0x39, 0, 4}, {0x3B, 0, 1}, {0x4F, 0, 3}, {0x5F, 0, 3}, {0x08, 0, 3}, {0x09, 0, 2}, {0x1B, 0, 1},
    {0x36, 0, 2}, {0x32, 0, 2}, {0x44, 0, 2}, {0x48, 0, 2}, {0x16, 0, 2}, {0x17, 0, 1}, {0x0C, 0, 1},
    {0x0E, 0, 1}, {0x0F, 0, 1}, {0x3A, 0, 1}, {0x3D, 0, 1}, {0x20, 1, 4}, {0x26, 1, 6}, {0x27, 1, 5},
    {0x24, 1, 3}, {0x25, 1, 3}, {0x2A, 1, 2}, {0x2B, 1, 2}, {0x22, 1, 2}, {0x23, 1, 2}, {0x86, 2, 5},
    {0xC6, 2, 4}, {0x81, 2, 4}, {0xC1, 2, 3}, {0x84, 2, 3}, {0x8A, 2, 2}, {0x8B, 2, 2}, {0x80, 2, 2},
    {0xC4, 2, 2}, {0xCE, 3, 4}, {0x8C, 3, 2}, {0xCC, 3, 3}, {0x96, 4, 8}, {0x97, 4, 7}, {0xD6, 4, 6},
    {0xD7, 4, 5}, {0xDC, 4, 4}, {0xDD, 4, 4}, {0x9B, 4, 2}, {0x91, 4, 2}, {0xDE, 4, 2}, {0xDF, 4, 2},
    {0x13, 4, 2}, {0x12, 4, 2}, {0xA6, 5, 4}, {0xE6, 5, 4}, {0xA7, 5, 2}, {0xE7, 5, 2}, {0xEC, 5, 3},
    {0xED, 5, 2}, {0x6F, 5, 1}, {0xB6, 6, 6}, {0xF6, 6, 5}, {0xFC, 6, 4}, {0xFE, 6, 2}, {0xB1, 6, 1},
    {0xB7, 7, 4}, {0xF7, 7, 3}, {0xFD, 7, 3}, {0xBD, 8, 7}, {0x7E, 8, 3},
}};

const Opcode& pickOpcode(Rng& rng)
{
    static const int total = [] {
        int sum = 0;
        for (const Opcode& o : kOpcodes)
            sum += o.weight;
        return sum;
    }();
    int roll = rng.below(total);
    for (const Opcode& o : kOpcodes) {
        if (roll < o.weight)
            return o;
        roll -= o.weight;
    }
    return kOpcodes.back();
}

Bytes codeStream(Rng& rng, int length, int codeCpu, const std::vector<int>& calTargets)
{
    std::vector<int> ram;
    for (int i = 0; i < 20; ++i)
        ram.push_back(rng.between(0x40, 0xFF));
    std::vector<int> io;
    for (int i = 0; i < 8; ++i)
        io.push_back(0x1000 + rng.below(0x40));
    std::vector<int> routines;
    for (int i = 0; i < 24; ++i)
        routines.push_back(codeCpu + rng.below(length));
    const auto pick = [&](const std::vector<int>& from) {
        return from[static_cast<std::size_t>(rng.below(static_cast<int>(from.size())))];
    };
    const auto append = [](Bytes& out, const Bytes& more) {
        out.insert(out.end(), more.begin(), more.end());
    };
    Bytes out;
    while (static_cast<int>(out.size()) < length) {
        const int roll = rng.below(100);
        if (roll < 5 && out.size() > 64) {
            const int n = rng.between(6, 20);
            const int src = rng.below(static_cast<int>(out.size()) - n);
            const Bytes idiom(out.begin() + src, out.begin() + src + n);
            append(out, idiom);
            continue;
        }
        if (roll < 7) {
            const int entries = rng.between(3, 8);
            for (int i = 0; i < entries; ++i)
                append(out, words({pick(routines)}));
            continue;
        }
        const Opcode& o = pickOpcode(rng);
        out.push_back(o.op);
        switch (o.kind) {
        case 1:
            out.push_back((rng.below(64) - 32) & 0xFF);
            break;
        case 2:
            out.push_back(rng.below(4) == 0 ? rng.below(256) : rng.below(32));
            break;
        case 3:
            append(out, words({rng.below(2) == 0 ? pick(calTargets) : rng.below(0x800)}));
            break;
        case 4:
            out.push_back(pick(ram));
            break;
        case 5:
            out.push_back(rng.below(16));
            break;
        case 6:
            if (rng.below(3) == 0) {
                append(out, words({pick(io)}));
            } else {
                const int target = pick(calTargets);
                append(out, words({target + rng.below(16)}));
            }
            break;
        case 7:
            append(out, words({rng.below(2) == 0 ? pick(io) : 0x0100 + rng.below(0x300)}));
            break;
        case 8:
            append(out, words({pick(routines)}));
            break;
        default:
            break;
        }
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string hex4(std::int64_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04llx", static_cast<long long>(v));
    return text;
}

} // namespace

CorpusImage corpusImage(int index)
{
    Rng rng(0x5EED0000ull + static_cast<std::uint64_t>(index));
    const int size = std::array{8192, 16384, 32768}[static_cast<std::size_t>(index % 3)];
    const bool calAtTop = (index / 3) % 2 == 0;
    const int cal = calAtTop ? size - kCalBytes : 0;
    const int codeStart = calAtTop ? 0 : kCalBytes;
    const int codeEnd = calAtTop ? size - kCalBytes : size;
    const bool wideAxes = index % 4 == 3;
    const bool packed = index >= kLooseImageCount;
    // Packed 16-bit axes stand four to a block: the fuel pair and the timing pair.
    const bool sharedAxes = index % 3 == 0 && !(packed && wideAxes);
    const int variant = index % 5;
    std::vector<bool> kinds = {true, true, false, false}; // true: fuel
    if (variant == 1)
        kinds = {true, true, false};
    else if (variant == 2)
        kinds = {true, false};
    else if (variant == 4)
        kinds = {true, true, false, false, true, false};

    Bytes image(static_cast<std::size_t>(size), 0xFF);
    std::ostringstream truth;
    truth << "size " << size << "\n";
    truth << "calibration " << hex4(cal) << " " << hex4(cal + kCalBytes) << "\n";
    truth << "code " << hex4(codeStart) << " " << hex4(codeEnd) << "\n";
    Layout layout(rng);
    const auto put = [&](int address, const Bytes& data) {
        std::copy(data.begin(), data.end(), image.begin() + address);
    };

    const bool split = kinds.size() >= 3 && rng.below(2) == 1;
    std::vector<std::vector<bool>> groups;
    if (split)
        groups = {{kinds.begin(), kinds.begin() + 2}, {kinds.begin() + 2, kinds.end()}};
    else
        groups = {kinds};
    const int axisBytes = wideAxes ? 32 : 16;
    const int pairCount = sharedAxes ? 1 : 2;
    // Packed: the pairs of axes that stand before each group. 8-bit pairs stand before the group of
    // their maps where the fuel and timing maps lie apart; otherwise all stand before the first group.
    const bool ownPairs = packed && split && pairCount == 2 && !wideAxes;
    std::vector<int> pairsBefore(groups.size(), 0);
    if (packed)
        for (std::size_t g = 0; g < groups.size(); ++g)
            pairsBefore[g] = ownPairs ? 1 : (g == 0 ? pairCount : 0);
    std::vector<int> mapPlaces;
    std::vector<int> axisPlaces;
    int stretched = -1; // the map followed by two rows that carry it on
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const auto& group = groups[g];
        const bool aligned = rng.below(6) != 0;
        const int lead = pairsBefore[g] * 2 * axisBytes / kSlot;
        const int tail = packed && aligned && g + 1 == groups.size() ? 2 : 0;
        const int offset = layout.place(lead + 16 * static_cast<int>(group.size()) + tail, aligned, lead);
        for (int p = 0; p < pairsBefore[g]; ++p)
            axisPlaces.push_back(cal + offset + p * 2 * axisBytes);
        for (std::size_t j = 0; j < group.size(); ++j)
            mapPlaces.push_back(cal + offset + lead * kSlot + 256 * static_cast<int>(j));
        if (tail > 0)
            stretched = static_cast<int>(mapPlaces.size()) - 1;
    }

    struct Pair
    {
        int rpmAt, loadAt;
        Bytes rpm, load;
    };
    std::vector<Pair> pairs;
    for (int p = 0; p < pairCount; ++p) {
        Bytes rpm =
            wideAxes ? risingAxis(rng, 16, 400, 800, 6000, 7200) : risingAxis(rng, 16, 12, 20, 120, 140);
        Bytes load =
            wideAxes ? risingAxis(rng, 16, 20, 60, 900, 1400) : risingAxis(rng, 16, 10, 16, 100, 117);
        const int at = packed ? axisPlaces[static_cast<std::size_t>(p)]
                              : cal + layout.place(2 * axisBytes / kSlot, false);
        put(at, wideAxes ? words(rpm) : rpm);
        put(at + axisBytes, wideAxes ? words(load) : load);
        truth << "axis " << hex4(at) << " " << (wideAxes ? 16 : 8) << " rpm\n";
        truth << "axis " << hex4(at + axisBytes) << " " << (wideAxes ? 16 : 8) << " load\n";
        pairs.push_back({at, at + axisBytes, rpm, load});
    }

    Bytes lastFuel;
    Bytes lastTiming;
    for (std::size_t m = 0; m < kinds.size(); ++m) {
        const bool fuel = kinds[m];
        const Pair& pair = sharedAxes || fuel ? pairs[0] : pairs[1];
        Bytes& last = fuel ? lastFuel : lastTiming;
        Bytes cells;
        if (!last.empty())
            cells = lowOctane(rng, last, fuel);
        else
            cells = fuel ? fuelMap(rng, pair.rpm, pair.load, packed) : timingMap(rng, pair.rpm, pair.load);
        last = cells;
        put(mapPlaces[m], cells);
        truth << "map " << hex4(mapPlaces[m]) << (fuel ? " fuel " : " timing ") << hex4(pair.rpmAt) << " "
              << hex4(pair.loadAt) << "\n";
    }

    if (stretched >= 0) {
        // Idle and cranking rows tuned by hand, and two rows after the map that carry its last two
        // on (the knock flag of a timing cell stays as it is).
        const auto address = static_cast<std::size_t>(mapPlaces[static_cast<std::size_t>(stretched)]);
        for (std::size_t i = 0; i < 32; ++i)
            image[address + i] = std::clamp(image[address + i] + rng.between(-3, 3), 0, 255);
        for (int k = 1; k <= 2; ++k) {
            for (std::size_t c = 0; c < 16; ++c) {
                const int last = image[address + 240 + c];
                const int before = image[address + 224 + c];
                const int v = (last & 0x7F) + k * ((last & 0x7F) - (before & 0x7F));
                image[address + 240 + 16 * static_cast<std::size_t>(k) + c] =
                    (last & 0x80) | std::clamp(v, 0, 127);
            }
        }
        truth << "table " << hex4(static_cast<std::int64_t>(address) + 256) << " 32\n";
    }

    const int cpuBase = 0x10000 - size;
    std::vector<int> targets;
    for (int a : mapPlaces)
        targets.push_back(cpuBase + a);
    for (const Pair& p : pairs)
        targets.push_back(cpuBase + p.rpmAt);
    const int curveAt = cal + layout.place(8, false);
    const int peak = rng.between(40000, 62000);
    std::vector<int> curve;
    for (int j = 0; j < 64; ++j)
        curve.push_back(static_cast<int>(static_cast<std::int64_t>(peak) * j * j / (63 * 63)));
    put(curveAt, words(curve));
    truth << "table " << hex4(curveAt) << " 128\n";
    targets.push_back(cpuBase + curveAt);
    const int tableCount = rng.between(3, 6);
    for (int t = 0; t < tableCount; ++t) {
        const int at = cal + layout.place(1, false);
        const bool rising = t == 0 && rng.below(3) == 0;
        put(at, oneDTable(rng, rising));
        truth << "table " << hex4(at) << " 16\n";
        targets.push_back(cpuBase + at);
    }
    const int constantCount = rng.between(2, 4);
    for (int k = 0; k < constantCount; ++k) {
        const int at = cal + layout.place(1, false);
        put(at, constants(rng));
        truth << "table " << hex4(at) << " 16\n";
        targets.push_back(cpuBase + at);
    }
    const int partAt = cal + layout.place(1, false);
    put(partAt, partNumber(rng));
    truth << "table " << hex4(partAt) << " 16\n";

    put(codeStart, codeStream(rng, codeEnd - codeStart, cpuBase + codeStart, targets));
    if (!calAtTop) {
        std::vector<int> vectors;
        for (int i = 0; i < 8; ++i)
            vectors.push_back(cpuBase + codeStart + rng.below(codeEnd - codeStart));
        put(size - 16, words(vectors));
    }
    return {std::vector<std::uint8_t>(image.begin(), image.end()), truth.str()};
}

CorpusTruth parseCorpusTruth(const std::string& text)
{
    CorpusTruth truth;
    truth.ok = true;
    std::istringstream lines(text);
    std::string line;
    const auto number = [](const std::string& word, std::int64_t& value) {
        try {
            std::size_t used = 0;
            value = std::stoll(word, &used, 0);
            return used == word.size();
        } catch (...) {
            return false;
        }
    };
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        bool good = true;
        if (w[0] == "size" && w.size() == 2) {
            good = number(w[1], truth.size);
        } else if (w[0] == "code" && w.size() == 3) {
            good = number(w[1], truth.codeStart) && number(w[2], truth.codeEnd);
        } else if (w[0] == "map" && w.size() == 5) {
            PlantedMap m;
            m.fuel = w[2] == "fuel";
            good = number(w[1], m.address) && number(w[3], m.rpmAxis) && number(w[4], m.loadAxis) &&
                   (m.fuel || w[2] == "timing");
            truth.maps.push_back(m);
        } else if (w[0] == "axis" && w.size() == 4) {
            PlantedAxis a;
            std::int64_t bits = 0;
            good = number(w[1], a.address) && number(w[2], bits) && (bits == 8 || bits == 16);
            a.bits = static_cast<int>(bits);
            truth.axes.push_back(a);
        } else if (w[0] == "map" || w[0] == "axis" || w[0] == "size" || w[0] == "code") {
            good = false;
        }
        truth.ok = truth.ok && good;
    }
    truth.ok = truth.ok && truth.size > 0;
    return truth;
}

} // namespace skerrow::synthetic
