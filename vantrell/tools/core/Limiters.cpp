#include "vantrell/tools/core/Limiters.h"

#include "common/Numbers.h"
#include "vantrell/rom/MapAccess.h"
#include "vantrell/tools/core/ToolSupport.h"

#include <algorithm>
#include <cmath>

namespace vantrell {

namespace {

LimiterGrid tableGrid(const EditorState& state, const char* name, const char* caption,
                      const std::string& text, int count, int y, int width)
{
    LimiterGrid g;
    g.name = name;
    g.caption = caption;
    g.shown = !isAbsent(text);
    g.x = 720;
    g.y = y;
    g.width = width;
    const auto address = tableAddress(state, text, static_cast<std::uint32_t>(std::max(count, 1)));
    for (int i = 0; i < count; ++i)
        g.cells.push_back(address ? std::to_string(state.rom.at(*address + static_cast<std::uint32_t>(i)))
                                  : "-");
    return g;
}

std::uint32_t revWidth(const EngineDefinition& def)
{
    return def.revsize == 1 ? 1 : 2;
}

int stepped(int v, LimiterKey key, int step)
{
    if (key == LimiterKey::Plus)
        return v + step;
    if (key == LimiterKey::Minus)
        return v - step;
    return v;
}

// The largest whole value, at most `cap`, whose stored form still fits `maxStored`. The store divides
// by `times` and rounds halves to even, so the bound lies up to half a step above maxStored * times:
// with 12.5 rpm a step, 3193 rpm is stored as 255 like 3187.5, and only 3194 no longer fits.
int largestStorable(double maxStored, double times, int cap)
{
    int largest = static_cast<int>(std::min<double>(std::ceil((maxStored + 0.5) * times), cap));
    while (largest > 0 && common::roundHalfEven(largest / times) > maxStored)
        --largest;
    return largest;
}

struct Places
{
    std::vector<std::uint32_t> addresses;
    std::string refusal;
};

Places presentPlaces(const EditorState& state,
                     const std::vector<std::pair<const char*, const std::string*>>& keys, std::uint32_t width)
{
    Places p;
    for (const auto& [key, text] : keys) {
        if (isAbsent(*text))
            continue;
        const auto a = tableAddress(state, *text, width);
        if (!a) {
            p.refusal = outsideRomText(key, *text);
            p.addresses.clear();
            return p;
        }
        p.addresses.push_back(*a);
    }
    return p;
}

} // namespace

int accelCount(const EngineDefinition& def)
{
    // More than 256 entries cannot be a table of this ECU; a text without a number shows none.
    return std::clamp<int>(common::toInt32(common::readNumber(def.accelsize)), 0, 256);
}

std::vector<LimiterGrid> limiterGrids(const EditorState& state)
{
    const EngineDefinition& def = state.def;
    std::vector<LimiterGrid> grids;
    grids.push_back(tableGrid(state, "boostlimit", "AFM Limiter", def.aflimit, 16, 360, 6870));
    grids.push_back(tableGrid(state, "injbase", "Injector Min", def.ttpmin, 16, 1000, 6870));
    grids.push_back(tableGrid(state, "injcap", "Injector Max", def.ttpmax, 16, 1700, 6870));
    const int accel = accelCount(def);
    grids.push_back(
        tableGrid(state, "accl", "Accl Table", def.accelpump, accel, 2400, accel == 16 ? 6870 : 3990));

    LimiterGrid rev;
    rev.name = "rev_limiter_entry";
    rev.caption = "RPM Limit";
    rev.shown = !isAbsent(def.rev1);
    rev.x = 720;
    rev.y = 3200;
    rev.width = 2100;
    rev.cellWidth = 1000;
    const auto revAddress = tableAddress(state, def.rev1, revWidth(def));
    rev.cells.push_back(revAddress ? readScaledValue(def, state.rom.buffer(), *revAddress) : "-");
    grids.push_back(rev);

    LimiterGrid speed = rev;
    speed.name = "speed_limiter_entry";
    speed.caption = "KPH Limit";
    speed.shown = !isAbsent(def.speed1);
    speed.x = 5480;
    const auto speedAddress = tableAddress(state, def.speed1, 1);
    speed.cells = {speedAddress ? common::numberTextSingle(static_cast<float>(state.rom.at(*speedAddress)) *
                                                           def.speedtimes)
                                : "-"};
    grids.push_back(speed);
    return grids;
}

std::string editRevLimit(EditorState& state, const std::string& cellText, LimiterKey key, bool shift,
                         common::StatusSink& status)
{
    const EngineDefinition& def = state.def;
    const std::string refused = "Rev limit not changed: ";
    if (!(def.revtimes > 0)) {
        status.appendStatusLine(refused + "\"revtimes\" is not a positive number");
        return cellText;
    }
    const Places places = presentPlaces(
        state, {{"rev1", &def.rev1}, {"rev2", &def.rev2}, {"rev3", &def.rev3}, {"rev4", &def.rev4}},
        revWidth(def));
    if (!places.refusal.empty()) {
        status.appendStatusLine(refused + places.refusal);
        return cellText;
    }
    int v = stepped(common::toInt16(common::readNumber(cellText)), key, shift ? 1000 : 50);
    v = std::clamp(v, 0, kRevLimitMax);
    const double maxStored = def.revsize == 1 ? 255.0 : 65535.0;
    const double times = static_cast<double>(def.revtimes);
    const int largest = largestStorable(maxStored, times, kRevLimitMax);
    if (v > largest) {
        status.appendStatusLine("Rev limit" + common::numberText(v) +
                                " does not fit its stored width: clamped to" + common::numberText(largest));
        v = largest;
    }
    EditStepBuilder step(state.rom.buffer());
    for (std::uint32_t a : places.addresses)
        step.write(a, scaledValueBytes(def, v));
    const EditStep edit = step.finish("rev limit edit", EditSource::Limit);
    if (!state.rom.apply(edit)) {
        status.appendStatusLine(refusedStepLine(edit));
        return cellText;
    }
    return common::numberText(v);
}

std::string editSpeedLimit(EditorState& state, const std::string& cellText, LimiterKey key, bool shift,
                           common::StatusSink& status)
{
    const EngineDefinition& def = state.def;
    const std::string refused = "Speed limit not changed: ";
    if (!(def.speedtimes > 0)) {
        status.appendStatusLine(refused + "\"speedtimes\" is not a positive number");
        return cellText;
    }
    const Places places = presentPlaces(
        state,
        {{"speed1", &def.speed1}, {"speed2", &def.speed2}, {"speed3", &def.speed3}, {"speed4", &def.speed4}},
        1);
    if (!places.refusal.empty()) {
        status.appendStatusLine(refused + places.refusal);
        return cellText;
    }
    int v = stepped(common::toInt16(common::readNumber(cellText)), key, shift ? 100 : 10);
    v = std::clamp(v, 0, kSpeedLimitMax);
    const double times = static_cast<double>(def.speedtimes);
    const int largest = largestStorable(255.0, times, kSpeedLimitMax);
    if (v > largest) {
        status.appendStatusLine("Speed limit" + common::numberText(v) +
                                " does not fit its stored byte: clamped to" + common::numberText(largest));
        v = largest;
    }
    const std::uint8_t u = common::toByte(v / times);
    EditStepBuilder step(state.rom.buffer());
    for (std::uint32_t a : places.addresses)
        step.write(a, u);
    const EditStep edit = step.finish("speed limit edit", EditSource::Limit);
    if (!state.rom.apply(edit)) {
        status.appendStatusLine(refusedStepLine(edit));
        return cellText;
    }
    return common::numberText(v);
}

} // namespace vantrell
