#include "vantrell/xdf/XdfImport.h"

#include "vantrell/xdf/LinearEquation.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace vantrell::xdf {

namespace {

const QString kInit = QStringLiteral("initialisation");
const QString kAddresses = QStringLiteral("address locations");
const QString kAbsent = QStringLiteral("&hffff");

// The keys of a definition in the order the editor's own files list them.
const char* const kInitKeys[] = {"injectorsize", "cyl",        "cc",      "config",    "airflowmeter",
                                 "fuelstep",     "fuelchange", "ignstep", "ignchange", "revtimes",
                                 "revsize",      "speedtimes", "romsize"};
const char* const kAddressKeys[] = {"fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap", "fuelrev",
                                    "fuelflow",    "ignrev",     "ignflow",    "kval",      "injnulltime",
                                    "rev1",        "rev2",       "rev3",       "rev4",      "speed1",
                                    "speed2",      "speed3",     "speed4",     "ttpmin",    "ttpmax",
                                    "aflimit",     "accelpump",  "accelsize",  "vqmap",     "vqsize"};
// Facts of the engine that only a picked definition (or the user) can tell.
const char* const kFactKeys[] = {"injectorsize", "cyl",        "cc",      "airflowmeter",
                                 "fuelstep",     "fuelchange", "ignstep", "ignchange"};

QString hexAddress(std::int64_t address)
{
    return QStringLiteral("&h") + QString::number(address, 16);
}

QString shownAddress(std::int64_t address)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper();
}

QString numberValue(double v)
{
    return QString::number(v, 'g', 7);
}

bool matches(const QString& text, const char* pattern)
{
    const QRegularExpression re(QString::fromLatin1(pattern), QRegularExpression::CaseInsensitiveOption);
    return re.match(text).hasMatch();
}

// Word tests on titles and category names.
bool fuelWords(const QString& t)
{
    return matches(t, R"(\b(fuel\w*|inj\w*|afr|a/f|lambda|mixture|enrich\w*)\b)");
}
bool ignitionWords(const QString& t)
{
    return matches(t, R"(\b(ign\w*|timing|spark|advance)\b)");
}
bool knockWords(const QString& t)
{
    return matches(t, R"(\b(knock\w*|low|lo|regular|detonation|secondary)\b)");
}
bool mainWords(const QString& t)
{
    return matches(t, R"(\b(high|hi|main|primary|premium|normal)\b)");
}
// Maps of a kind that are not its main or knock map (warm-up, idle, limits, trims...).
bool otherMapWords(const QString& t)
{
    return matches(t, R"(\b(dwell|boost|idle|cold|warm\w*|crank\w*|start\w*|coolant|temp\w*|limit\w*|trim|)"
                      R"(comp\w*|correction|decel\w*|accel\w*|ttp|vq|maf|afm)\b)");
}
bool rpmWords(const QString& t)
{
    return matches(t, R"(\b(rpm|revs?|engine\s*speed)\b)");
}

enum class Kind { None, Fuel, Ignition };

const char* kindName(Kind k)
{
    return k == Kind::Fuel ? "fuel" : "ignition";
}

// A place in the image: the file offset of the first value, how many values, their size and flags.
struct Place
{
    std::int64_t address = 0;
    int count = 0;
    int bits = 8;
    std::uint32_t flags = 0;
    QString equation;
    bool packed = true; // the values lie side by side
    bool isSigned() const { return (flags & 0x01u) != 0; }
    bool lsbFirst() const { return (flags & 0x02u) != 0; }
    std::int64_t bytes() const { return static_cast<std::int64_t>(count) * ((bits + 7) / 8); }
};

bool inImage(const Place& p, std::int64_t imageSize)
{
    return p.address >= 0 && p.address + p.bytes() <= imageSize;
}

// How many values a place holds; kept far below what an int holds whatever the file says.
int valueCount(const XdfData& d, int fallback)
{
    constexpr std::int64_t kMost = 1 << 24;
    const std::int64_t n = d.rows > 0 && d.columns > 0 ? static_cast<std::int64_t>(d.rows) * d.columns
                                                       : std::max({d.rows, d.columns, fallback});
    return static_cast<int>(std::min(n, kMost));
}

QString constantName(const QString& title, qint64 line)
{
    return QStringLiteral("\"%1\" (line %2)").arg(title).arg(line);
}

// Where an axis's values lie, following a link to another table. `problem` says why an axis cannot
// serve an engine definition, naming the axis.
struct AxisPlace
{
    Place place;
    QString words; // units and titles that say what the axis is
    QString problem;
};

AxisPlace resolveAxis(const XdfDocument& xdf, const XdfAxis& axis, const char* axisId, std::int64_t imageSize)
{
    AxisPlace out;
    const QString name = QStringLiteral("its %1 axis").arg(QLatin1String(axisId));
    if (!axis.present) {
        out.problem = name + QStringLiteral(" is missing");
        return out;
    }
    out.words = axis.units;
    if (axis.embedType == 3 && axis.linkId) {
        // The axis's own address may be stale: the linked table's data is what the ECU reads.
        std::uint32_t id = *axis.linkId;
        const XdfTable* linked = nullptr;
        for (int hops = 0; hops < 8; ++hops) {
            linked = xdf.tableWithId(id);
            if (linked == nullptr || linked->z.embedType != 3 || !linked->z.linkId)
                break;
            id = *linked->z.linkId;
        }
        if (linked == nullptr || !linked->z.data.hasAddress) {
            out.problem =
                name + QStringLiteral(" takes its values from table 0x%1, which the XDF does not hold")
                           .arg(QString::number(id, 16).toUpper());
            return out;
        }
        const XdfData& d = linked->z.data;
        const int count = valueCount(d, std::max(linked->x.indexCount, linked->y.indexCount));
        out.place = {xdf.fileAddress(d.address), count,          d.elementBits, d.typeFlags,
                     linked->z.equation,         d.packed(count)};
        out.words += QLatin1Char(' ') + linked->title + QLatin1Char(' ') + linked->z.units;
    } else if (axis.data.hasAddress) {
        const XdfData& d = axis.data;
        const int count = axis.indexCount > 0 ? axis.indexCount : valueCount(d, 0);
        out.place = {
            xdf.fileAddress(d.address), count, d.elementBits, d.typeFlags, axis.equation, d.packed(count)};
    } else {
        out.problem = name + QStringLiteral(" is labels only, with no values in the ROM");
        return out;
    }
    const Place& p = out.place;
    if (p.bits != 8)
        out.problem =
            name + QStringLiteral(" holds %1-bit values; our definitions take one-byte axes").arg(p.bits);
    else if (p.count != 16)
        out.problem = name + QStringLiteral(" has %1 values; our axes have 16").arg(p.count);
    else if (!p.packed)
        out.problem = name + QStringLiteral("'s values do not lie side by side in the ROM");
    else if (!inImage(p, imageSize))
        out.problem = name + QStringLiteral(" lies at %1, outside the %2-byte image")
                                 .arg(shownAddress(p.address))
                                 .arg(imageSize);
    return out;
}

bool saysRpm(const AxisPlace& axis)
{
    if (rpmWords(axis.words))
        return true;
    const auto line = linearForm(axis.place.equation);
    return line && std::abs(line->factor - 50) < 0.5 && line->offset == 0;
}

// All views of one map address, and what the import makes of them.
struct MapGroup
{
    std::int64_t address = 0;
    std::vector<const XdfTable*> views;
    int fuelVotes = 0;
    int ignitionVotes = 0;
    int knockVotes = 0;
    int mainVotes = 0;
    QString problem;     // why the definition cannot hold the map
    QString axisProblem; // why it cannot hold the map's axes (the map itself it can)
    AxisPlace rpm, load;
    bool axesCertain = false;
    Kind kind = Kind::None;
    bool kindCertain = false;
    double level = 0; // mean of the cells without their flag bit

    const XdfTable& first() const { return *views.front(); }
    QString name() const
    {
        QStringList titles;
        for (const XdfTable* t : views)
            if (!titles.contains(t->title))
                titles << QStringLiteral("\"%1\"").arg(t->title);
        return (titles.size() > 1 ? QStringLiteral("Tables ") : QStringLiteral("Table ")) +
               titles.join(", ") +
               QStringLiteral(" (line %1) at %2").arg(first().line).arg(shownAddress(address));
    }
    Kind wordKind() const
    {
        if (fuelVotes > ignitionVotes)
            return Kind::Fuel;
        if (ignitionVotes > fuelVotes)
            return Kind::Ignition;
        return Kind::None;
    }
};

// The cells of a 16x16 map as the editor reads them: RPM index r in the rows, load index c in the
// columns. The change along the columns tells fuel (rising with load) from ignition (falling).
struct MapData
{
    double trend = 0;
    double level = 0;
};

MapData mapData(const QByteArray& image, std::int64_t address)
{
    auto cell = [&](int r, int c) {
        return static_cast<std::uint8_t>(image[static_cast<qsizetype>(address + 16 * r + c)]);
    };
    double rise = 0;
    int pairs = 0;
    double sum = 0;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            const std::uint8_t v = cell(r, c);
            sum += v & 0x7F;
            // Cells with their flag bit set hold feedback or knock marks, not the plain value.
            if (c < 15 && (v & 0x80) == 0 && (cell(r, c + 1) & 0x80) == 0) {
                rise += cell(r, c + 1) - v;
                ++pairs;
            }
        }
    return {pairs >= 32 ? rise / pairs : 0.0, sum / 256};
}

Kind dataKind(const MapData& d)
{
    if (d.trend > 0.5)
        return Kind::Fuel;
    if (d.trend < -0.5)
        return Kind::Ignition;
    return Kind::None;
}

class Importer
{
  public:
    Importer(const XdfDocument& xdf, const QByteArray& image, const std::optional<EngineFacts>& facts,
             const QString& imageName)
        : xdf_(xdf), image_(image), imageSize_(image.size()), facts_(facts), imageName_(imageName)
    {
        for (const char* k : kInitKeys)
            result_.keys.push_back({kInit, QString::fromLatin1(k), {}, {}, false});
        for (const char* k : kAddressKeys)
            result_.keys.push_back({kAddresses, QString::fromLatin1(k), {}, {}, false});
    }

    ImportResult run()
    {
        romSize();
        maps();
        constants();
        engineFacts();
        return result_;
    }

  private:
    void set(const char* key, const QString& value, const QString& source, bool certain)
    {
        DefinitionKey* k = result_.find(QString::fromLatin1(key));
        k->value = value;
        k->source = source;
        k->certain = certain;
    }

    void romSize()
    {
        if (imageSize_ < 256 || imageSize_ > 65536 || imageSize_ % 256 != 0) {
            result_.refused << QStringLiteral(
                                   "The image %1 has %2 bytes; the editor takes 256 to 65536 bytes in "
                                   "whole 256-byte pages")
                                   .arg(imageName_)
                                   .arg(imageSize_);
            set("romsize", {}, QStringLiteral("image %1 cannot be used").arg(imageName_), false);
            return;
        }
        set("romsize", QString::number(imageSize_), QStringLiteral("size of the image %1").arg(imageName_),
            true);
    }

    // --- the four maps and their axes ---

    void maps()
    {
        std::vector<MapGroup> groups;
        for (const XdfTable& t : xdf_.tables) {
            const XdfData& z = t.z.data;
            const int rows = z.rows > 0 ? z.rows : t.y.indexCount;
            const int columns = z.columns > 0 ? z.columns : t.x.indexCount;
            if (!t.z.present || !z.hasAddress || rows <= 1 || columns <= 1)
                continue;
            const QString words = t.title + QLatin1Char(' ') + t.categories.join(QLatin1Char(' '));
            if (otherMapWords(t.title) || (!fuelWords(words) && !ignitionWords(words)))
                continue;
            const std::int64_t address = xdf_.fileAddress(z.address);
            auto g = std::find_if(groups.begin(), groups.end(),
                                  [&](const MapGroup& m) { return m.address == address; });
            if (g == groups.end()) {
                groups.push_back({});
                g = groups.end() - 1;
                g->address = address;
            }
            g->views.push_back(&t);
            g->fuelVotes += 2 * fuelWords(t.title) + fuelWords(t.categories.join(QLatin1Char(' ')));
            g->ignitionVotes +=
                2 * ignitionWords(t.title) + ignitionWords(t.categories.join(QLatin1Char(' ')));
            g->knockVotes += knockWords(t.title);
            g->mainVotes += mainWords(t.title);
        }
        for (MapGroup& g : groups)
            judge(g);
        chooseKind(groups, Kind::Fuel, "fuelhighmap", "fuellowmap", "fuelrev", "fuelflow");
        chooseKind(groups, Kind::Ignition, "ignhighmap", "ignlowmap", "ignrev", "ignflow");
    }

    // Whether the definition can hold the map, and its kind from words and data.
    void judge(MapGroup& g)
    {
        // Views that agree with the editor's layout come first: one such view is enough.
        const XdfTable* best = g.views.front();
        for (const XdfTable* t : g.views)
            if (t->z.data.elementBits == 8 && t->z.data.rows == 16 && t->z.data.columns == 16) {
                best = t;
                break;
            }
        const XdfTable& t = *best;
        const XdfData& z = t.z.data;
        const int rows = z.rows > 0 ? z.rows : t.y.indexCount;
        const int columns = z.columns > 0 ? z.columns : t.x.indexCount;
        if (z.elementBits != 8 || rows != 16 || columns != 16) {
            g.problem = QStringLiteral("%1x%2 cells of %3 bits; our definitions hold maps of 16x16 bytes")
                            .arg(rows)
                            .arg(columns)
                            .arg(z.elementBits);
            return;
        }
        if (!z.packed(16)) {
            g.problem =
                QStringLiteral("its cells do not lie side by side in the ROM (strides of %1 and %2 bits)")
                    .arg(z.majorStrideBits)
                    .arg(z.minorStrideBits);
            return;
        }
        if (g.address < 0 || g.address + 256 > imageSize_) {
            g.problem = QStringLiteral("it lies outside the %1-byte image").arg(imageSize_);
            return;
        }
        const AxisPlace x = resolveAxis(xdf_, t.x, "x", imageSize_);
        const AxisPlace y = resolveAxis(xdf_, t.y, "y", imageSize_);
        // The y axis labels the rows; RPM is taken to be there unless the axes say otherwise.
        const bool xRpm = saysRpm(x);
        const bool yRpm = saysRpm(y);
        const bool rpmOnX = xRpm && !yRpm;
        g.axesCertain = xRpm != yRpm;
        // In the ROM the rows are the y axis, or the x axis when the data is stored column by column.
        const bool romRowsAreX = z.columnMajor();
        if (rpmOnX != romRowsAreX) {
            g.problem = QStringLiteral("RPM runs along the columns of its data in the ROM; our maps keep RPM "
                                       "in the rows");
            if (!g.axesCertain)
                g.problem += QStringLiteral(" (no axis says which is RPM: the y axis, which labels the rows, "
                                            "was taken for it)");
            return;
        }
        g.rpm = rpmOnX ? x : y;
        g.load = rpmOnX ? y : x;
        for (const AxisPlace* a : {&g.rpm, &g.load})
            if (!a->problem.isEmpty() && g.axisProblem.isEmpty())
                g.axisProblem = a->problem;
        const MapData data = mapData(image_, g.address);
        g.level = data.level;
        const Kind byWords = g.wordKind();
        const Kind byData = dataKind(data);
        if (byWords == Kind::None) {
            g.kind = byData;
        } else if (byData == Kind::None || byData == byWords) {
            g.kind = byWords;
            g.kindCertain = byData == byWords;
        } else {
            g.kind = byData;
            result_.partial << QStringLiteral(
                                   "%1 is titled as a %2 map, but its data changes with load as %3 "
                                   "does; taken as an %3 map")
                                   .arg(g.name(), QLatin1String(kindName(byWords)),
                                        QLatin1String(kindName(byData)));
        }
    }

    void chooseKind(const std::vector<MapGroup>& groups, Kind kind, const char* highKey, const char* lowKey,
                    const char* rpmKey, const char* loadKey)
    {
        std::vector<const MapGroup*> usable;
        for (const MapGroup& g : groups) {
            if (!g.problem.isEmpty()) {
                if (g.wordKind() == kind)
                    result_.refused << QStringLiteral("%1: %2").arg(g.name(), g.problem);
            } else if (g.kind == kind)
                usable.push_back(&g);
        }
        const QString kindText = QLatin1String(kindName(kind));
        const QString notFound = QStringLiteral("no %1 map the definition can hold").arg(kindText);
        if (usable.size() < 2) {
            if (usable.size() == 1)
                result_.refused << QStringLiteral(
                                       "%1 is the only %2 map the definition can hold; our definitions "
                                       "need a main and a knock %2 map")
                                       .arg(usable.front()->name(), kindText);
            else
                result_.refused << QStringLiteral("The XDF has %1").arg(notFound);
            for (const char* key : {highKey, lowKey, rpmKey, loadKey})
                set(key, {}, notFound, false);
            return;
        }
        // The surest first, then the lowest address.
        std::stable_sort(usable.begin(), usable.end(), [](const MapGroup* a, const MapGroup* b) {
            if (a->kindCertain != b->kindCertain)
                return a->kindCertain;
            return a->address < b->address;
        });
        for (std::size_t i = 2; i < usable.size(); ++i)
            result_.partial << QStringLiteral("%1 is a further %2 map; not used, as our definitions hold two")
                                   .arg(usable[i]->name(), kindText);
        const MapGroup* a = usable[0];
        const MapGroup* b = usable[1];
        // Main and knock: from the titles, else from the data (the knock fuel map is the richer one, the
        // knock ignition map the one with less advance).
        const int lowA = a->knockVotes - a->mainVotes;
        const int lowB = b->knockVotes - b->mainVotes;
        const bool dataSaysALow = kind == Kind::Fuel ? a->level > b->level : a->level < b->level;
        bool aLow = false;
        bool certain = false;
        if (lowA != lowB) {
            aLow = lowA > lowB;
            certain = a->level == b->level || aLow == dataSaysALow;
        } else if (a->level != b->level)
            aLow = dataSaysALow;
        else
            aLow = a->address > b->address;
        const MapGroup* high = aLow ? b : a;
        const MapGroup* low = aLow ? a : b;
        const QString how = certain ? QString() : QStringLiteral("; main or knock judged from the data");
        set(highKey, hexAddress(high->address), high->name() + how, certain && high->kindCertain);
        set(lowKey, hexAddress(low->address), low->name() + how, certain && low->kindCertain);
        // Both maps of a kind share one pair of axes: the main map's, else the knock map's.
        const MapGroup* axes = high->axisProblem.isEmpty()  ? high
                               : low->axisProblem.isEmpty() ? low
                                                            : nullptr;
        if (axes == nullptr) {
            for (const MapGroup* m : {high, low})
                result_.refused << QStringLiteral("%1: %2; %3 and %4 are left to be filled in")
                                       .arg(m->name(), m->axisProblem, QLatin1String(rpmKey),
                                            QLatin1String(loadKey));
            set(rpmKey, {}, high->axisProblem, false);
            set(loadKey, {}, high->axisProblem, false);
            return;
        }
        set(rpmKey, hexAddress(axes->rpm.place.address), QStringLiteral("RPM axis of ") + axes->name(),
            axes->axesCertain);
        set(loadKey, hexAddress(axes->load.place.address), QStringLiteral("load axis of ") + axes->name(),
            axes->axesCertain);
        const MapGroup* other = axes == high ? low : high;
        if (!other->axisProblem.isEmpty())
            result_.partial << QStringLiteral("%1: %2; the axes of the other %3 map are used")
                                   .arg(other->name(), other->axisProblem, kindText);
        else if (other->rpm.place.address != axes->rpm.place.address ||
                 other->load.place.address != axes->load.place.address)
            result_.partial << QStringLiteral(
                                   "%1 has axes of its own at %2 and %3; the definition shares the %4 "
                                   "map axes of %5 between both maps")
                                   .arg(other->name(), shownAddress(other->rpm.place.address),
                                        shownAddress(other->load.place.address), kindText, axes->name());
    }

    // --- constants and small tables ---

    struct Item
    {
        QString name;
        Place place;
    };

    void constants()
    {
        std::vector<Item> items;
        auto add = [&](const QString& name, const Place& p) {
            for (const Item& i : items)
                if (i.place.address == p.address)
                    return; // another view of a place already taken
            items.push_back({name, p});
        };
        for (const XdfConstant& c : xdf_.constants)
            if (c.data.hasAddress)
                add(constantName(c.title, c.line),
                    {xdf_.fileAddress(c.data.address), std::max(1, valueCount(c.data, 1)), c.data.elementBits,
                     c.data.typeFlags, c.equation, c.data.packed(std::max(1, c.data.columns))});
        for (const XdfTable& t : xdf_.tables) {
            const XdfData& z = t.z.data;
            const int rows = z.rows > 0 ? z.rows : t.y.indexCount;
            const int columns = z.columns > 0 ? z.columns : t.x.indexCount;
            if (z.hasAddress && (rows <= 1 || columns <= 1))
                add(constantName(t.title, t.line),
                    {xdf_.fileAddress(z.address), std::max({rows, columns, 1}), z.elementBits, z.typeFlags,
                     t.z.equation, z.packed(std::max({rows, columns, 1}))});
        }

        std::map<QString, std::vector<const Item*>> byKey;
        for (const Item& i : items) {
            const QString& t = i.name;
            const char* key = nullptr;
            if (matches(t, R"(\bttp\s*min)"))
                key = "ttpmin";
            else if (matches(t, R"(\bttp\s*max)"))
                key = "ttpmax";
            else if (matches(t, R"(\b(af|afm|airflow|air\s*flow|maf)\s*limit)"))
                key = "aflimit";
            else if (matches(t, R"(\b(rev|rpm|engine\s*speed)\s*limit|\brpm\s*cut|\bredline)"))
                key = "rev";
            else if (matches(t, R"(\b(vehicle\s*)?(speed|vss)\s*limit)"))
                key = "speed";
            else if (
                matches(t,
                        R"(\bk\s*[-_]?\s*(value|val|const\w*|factor)\b|\bkval\b|\binjector\s+k\b|^\s*k\s*$)"))
                key = "kval";
            else if (matches(t, R"(latency|null\s*time|dead\s*time|injector\s+offset)"))
                key = "injnulltime";
            else if (matches(t, R"(\baccel\w*\s*(pump|enrich\w*)|\bacceleration\b)"))
                key = "accelpump";
            else if (matches(t, R"(\bvq\b|air\s*flow\s*meter|airflow\s*meter|\bmaf\b|\bafm\b)"))
                key = "vqmap";
            if (key != nullptr)
                byKey[QString::fromLatin1(key)].push_back(&i);
        }
        const auto first = [&](const char* key) -> const Item* {
            const auto found = byKey.find(QString::fromLatin1(key));
            if (found == byKey.end() || found->second.empty())
                return nullptr;
            for (std::size_t i = 1; i < found->second.size(); ++i)
                result_.partial << QStringLiteral("%1 also looks like %2; the first, %3, is used")
                                       .arg(found->second[i]->name, QLatin1String(key),
                                            found->second.front()->name);
            return found->second.front();
        };

        word("kval", first("kval"));
        oneByte("injnulltime", first("injnulltime"));
        for (const char* key : {"ttpmin", "ttpmax", "aflimit"})
            table16(key, first(key));
        accelPump(first("accelpump"));
        vqMap(first("vqmap"));
        limits(byKey[QStringLiteral("rev")], "rev", "revtimes", true);
        limits(byKey[QStringLiteral("speed")], "speed", "speedtimes", false);
    }

    bool placeInImage(const char* key, const Item& item)
    {
        if (!item.place.packed) {
            partlyHeld(key, item, QStringLiteral("its values do not lie side by side in the ROM"));
            return false;
        }
        if (inImage(item.place, imageSize_))
            return true;
        partlyHeld(key, item,
                   QStringLiteral("it lies at %1, outside the %2-byte image")
                       .arg(shownAddress(item.place.address))
                       .arg(imageSize_));
        return false;
    }

    void notInXdf(const char* key) { set(key, kAbsent, QStringLiteral("not in the XDF"), false); }

    void partlyHeld(const char* key, const Item& item, const QString& reason)
    {
        set(key, kAbsent, item.name + QStringLiteral(": ") + reason, false);
        result_.partial
            << QStringLiteral("%1: %2; %3 written as &hffff").arg(item.name, reason, QLatin1String(key));
    }

    void taken(const char* key, const Item& item)
    {
        set(key, hexAddress(item.place.address), item.name, true);
    }

    void word(const char* key, const Item* item)
    {
        if (item == nullptr)
            return notInXdf(key);
        const Place& p = item->place;
        if (p.bits != 16)
            return partlyHeld(
                key, *item,
                QStringLiteral("it holds %1-bit values; the editor reads a 16-bit word").arg(p.bits));
        if (p.lsbFirst())
            return partlyHeld(key, *item,
                              QStringLiteral("it is stored low byte first; the editor reads the high "
                                             "byte first"));
        if (p.isSigned())
            return partlyHeld(key, *item, QStringLiteral("it is signed; the editor reads it unsigned"));
        if (placeInImage(key, *item))
            taken(key, *item);
    }

    void oneByte(const char* key, const Item* item)
    {
        if (item == nullptr)
            return notInXdf(key);
        const Place& p = item->place;
        if (p.bits != 8)
            return partlyHeld(
                key, *item, QStringLiteral("it holds %1-bit values; the editor reads one byte").arg(p.bits));
        if (p.isSigned())
            return partlyHeld(key, *item, QStringLiteral("it is signed; the editor reads it unsigned"));
        if (placeInImage(key, *item))
            taken(key, *item);
    }

    void table16(const char* key, const Item* item)
    {
        if (item == nullptr)
            return notInXdf(key);
        const Place& p = item->place;
        if (p.bits != 8 || p.count != 16)
            return partlyHeld(
                key, *item,
                QStringLiteral("%1 values of %2 bits; the editor reads 16 bytes").arg(p.count).arg(p.bits));
        if (p.isSigned())
            return partlyHeld(key, *item, QStringLiteral("it is signed; the editor reads it unsigned"));
        if (placeInImage(key, *item))
            taken(key, *item);
    }

    void accelPump(const Item* item)
    {
        set("accelsize", QStringLiteral("0"), QStringLiteral("no acceleration table"), false);
        if (item == nullptr)
            return notInXdf("accelpump");
        const Place& p = item->place;
        if (p.bits != 8 || p.isSigned())
            return partlyHeld("accelpump", *item,
                              QStringLiteral("%1-bit %2 values; the editor reads unsigned bytes")
                                  .arg(p.bits)
                                  .arg(p.isSigned() ? QStringLiteral("signed") : QStringLiteral("unsigned")));
        if (!placeInImage("accelpump", *item))
            return;
        taken("accelpump", *item);
        set("accelsize", QString::number(p.count), QStringLiteral("length of ") + item->name, true);
    }

    void vqMap(const Item* item)
    {
        set("vqsize", QStringLiteral("0"), QStringLiteral("no airflow meter map"), false);
        if (item == nullptr)
            return notInXdf("vqmap");
        const Place& p = item->place;
        if (p.bits != 16)
            return partlyHeld(
                "vqmap", *item,
                QStringLiteral("it holds %1-bit values; the editor reads 16-bit words").arg(p.bits));
        if (p.lsbFirst())
            return partlyHeld("vqmap", *item,
                              QStringLiteral("it is stored low byte first; the editor reads the "
                                             "high byte first"));
        if (p.isSigned())
            return partlyHeld("vqmap", *item, QStringLiteral("it is signed; the editor reads it unsigned"));
        if (!placeInImage("vqmap", *item))
            return;
        taken("vqmap", *item);
        set("vqsize", QString::number(p.bytes()), QStringLiteral("length in bytes of ") + item->name, true);
    }

    // Rev or speed limits: up to four places (a table of several limits gives one place each), one
    // width and one factor for all. A limit the editor would misread is written as "&hffff".
    void limits(const std::vector<const Item*>& items, const char* prefix, const char* factorKey, bool rev)
    {
        struct Limit
        {
            const Item* item;
            std::int64_t address;
        };
        std::vector<Limit> found;
        std::optional<int> bits;
        std::optional<double> factor;
        for (const Item* item : items) {
            const Place& p = item->place;
            const char* slot = rev ? "rev limits" : "speed limits";
            QString problem;
            const auto line = linearForm(p.equation);
            if (rev ? (p.bits != 8 && p.bits != 16) : p.bits != 8)
                problem = QStringLiteral("it holds %1-bit values; the editor reads %2")
                              .arg(p.bits)
                              .arg(rev ? QStringLiteral("one or two bytes") : QStringLiteral("one byte"));
            else if (p.bits == 16 && p.lsbFirst())
                problem = QStringLiteral("it is stored low byte first; the editor reads the high byte first");
            else if (p.isSigned())
                problem = QStringLiteral("it is signed; the editor reads it unsigned");
            else if (!line)
                problem = QStringLiteral("its conversion \"%1\" is not a plain factor").arg(p.equation);
            else if (line->offset != 0 || line->factor <= 0)
                problem = QStringLiteral("its conversion \"%1\" is not a plain factor").arg(p.equation);
            else if ((bits && *bits != p.bits) || (factor && std::abs(*factor - line->factor) > 1e-9))
                problem =
                    QStringLiteral("its size or factor differs from the other %1").arg(QLatin1String(slot));
            else if (!p.packed)
                problem = QStringLiteral("its values do not lie side by side in the ROM");
            else if (!inImage(p, imageSize_))
                problem = QStringLiteral("it lies at %1, outside the %2-byte image")
                              .arg(shownAddress(p.address))
                              .arg(imageSize_);
            if (!problem.isEmpty()) {
                result_.partial << QStringLiteral("%1: %2; not used for the %3")
                                       .arg(item->name, problem, QLatin1String(slot));
                continue;
            }
            bits = p.bits;
            factor = line->factor;
            for (int i = 0; i < p.count && found.size() < 4; ++i)
                found.push_back({item, p.address + i * (p.bits / 8)});
        }
        for (std::size_t i = 0; i < 4; ++i) {
            const QByteArray key = prefix + QByteArray::number(static_cast<int>(i + 1));
            if (i < found.size())
                set(key.constData(), hexAddress(found[i].address), found[i].item->name, true);
            else
                set(key.constData(), kAbsent, QStringLiteral("not in the XDF"), false);
        }
        if (factor) {
            const QString source = QStringLiteral("conversion of ") + found.front().item->name;
            set(factorKey, numberValue(*factor), source, true);
            if (rev)
                set("revsize", *bits == 8 ? QStringLiteral("1") : QStringLiteral("2"),
                    QStringLiteral("value size of ") + found.front().item->name, true);
        }
    }

    // --- what the XDF does not hold ---

    void engineFacts()
    {
        const QString picked = facts_ ? QStringLiteral("definition %1").arg(facts_->name) : QString();
        const auto fromFacts = [&](const char* key, bool certain) {
            if (facts_) {
                const auto v = facts_->values.find(QString::fromLatin1(key));
                if (v != facts_->values.end()) {
                    set(key, v->second, picked, certain);
                    return true;
                }
            }
            return false;
        };
        for (const char* key : kFactKeys)
            if (!fromFacts(key, true))
                set(key, QStringLiteral("0"), QStringLiteral("not in the XDF: enter the engine's value"),
                    false);
        for (const char* key : {"revtimes", "revsize", "speedtimes"})
            if (result_.find(QString::fromLatin1(key))->value.isEmpty() && !fromFacts(key, false))
                set(key, QStringLiteral("0"), QStringLiteral("no limits in the XDF"), false);
        if (!xdf_.title.isEmpty())
            set("config", xdf_.title, QStringLiteral("title of the XDF"), true);
        else if (!fromFacts("config", false))
            set("config", QFileInfo(imageName_).completeBaseName(), QStringLiteral("name of the image"),
                false);
    }

    const XdfDocument& xdf_;
    const QByteArray& image_;
    const std::int64_t imageSize_;
    const std::optional<EngineFacts>& facts_;
    const QString imageName_;
    ImportResult result_;
};

// A value as one INI line can hold it.
QString oneLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return out.trimmed();
}

} // namespace

std::optional<EngineFacts> readEngineFacts(const QString& path, QString& error)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        error = QStringLiteral("%1 cannot be read").arg(path);
        return std::nullopt;
    }
    const common::IniText ini = common::IniText::read(path.toStdString());
    EngineFacts facts;
    facts.name = info.fileName();
    for (const char* key : kInitKeys) {
        const std::string v = ini.setting("initialisation", key);
        if (v != common::clsIniFile::kUnknownValue && v != common::clsIniFile::kEmptyValue)
            facts.values[QString::fromLatin1(key)] = QString::fromStdString(v);
    }
    if (facts.values.empty()) {
        error = QStringLiteral("%1 holds no engine facts (no [initialisation] keys)").arg(path);
        return std::nullopt;
    }
    return facts;
}

const DefinitionKey* ImportResult::find(const QString& key) const
{
    for (const DefinitionKey& k : keys)
        if (k.key == key)
            return &k;
    return nullptr;
}

DefinitionKey* ImportResult::find(const QString& key)
{
    return const_cast<DefinitionKey*>(std::as_const(*this).find(key));
}

QStringList ImportResult::missing() const
{
    QStringList out;
    for (const char* key : {"romsize", "fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap", "fuelrev",
                            "fuelflow", "ignrev", "ignflow"}) {
        const DefinitionKey* k = find(QString::fromLatin1(key));
        if (k == nullptr || k->value.trimmed().isEmpty())
            out << QString::fromLatin1(key);
    }
    return out;
}

QStringList ImportResult::problems() const
{
    QStringList out;
    for (const QString& key : missing())
        out << key + QStringLiteral(" has no value");
    if (!out.isEmpty())
        return out;
    const QString romText = find(QStringLiteral("romsize"))->value;
    const double romSize = common::readNumber(romText.toStdString());
    if (!common::startsWithNumber(romText.toStdString()) || romSize < 256 || romSize > 65536 ||
        std::fmod(romSize, 256) != 0)
        return {QStringLiteral("romsize %1 is not a ROM size the editor takes (256 to 65536 bytes in whole "
                               "256-byte pages)")
                    .arg(romText)};
    for (const char* key : {"fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap", "fuelrev", "fuelflow",
                            "ignrev", "ignflow"}) {
        const QString text = find(QString::fromLatin1(key))->value;
        const double length = QByteArray(key).endsWith("map") ? 256 : 16;
        const double address = common::readNumber(text.toStdString());
        if (!common::startsWithNumber(text.toStdString()) || address < 0)
            out << QStringLiteral("%1 %2 is not an address").arg(QLatin1String(key), text);
        else if (address + length > romSize)
            out << QStringLiteral("%1 %2 reaches past the end of the %3-byte ROM")
                       .arg(QLatin1String(key), text)
                       .arg(romSize);
    }
    return out;
}

ImportResult importXdf(const XdfDocument& xdf, const QByteArray& image,
                       const std::optional<EngineFacts>& facts, const QString& imageName)
{
    return Importer(xdf, image, facts, imageName).run();
}

QByteArray definitionText(const std::vector<DefinitionKey>& keys, const QString& origin)
{
    QString t;
    const auto line = [&t](const QString& text) { t += text + QStringLiteral("\r\n"); };
    line(QStringLiteral("; Engine definition imported from ") + oneLine(origin) + QLatin1Char('.'));
    line(QStringLiteral(
        "; \"&hffff\" marks a table the ROM does not have, or one the editor cannot read as the "
        "XDF describes it."));
    for (const QString& section : {kInit, kAddresses}) {
        if (section == kAddresses)
            line({});
        line(QLatin1Char('[') + section + QLatin1Char(']'));
        for (const DefinitionKey& k : keys) {
            const QString value = oneLine(k.value);
            if (k.section == section && !value.isEmpty())
                line(k.key + QLatin1Char('=') + value);
        }
    }
    return t.toUtf8();
}

bool saveDefinition(const QString& path, const QByteArray& text, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vantrell::xdf
