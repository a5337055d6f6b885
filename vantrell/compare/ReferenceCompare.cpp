#include "vantrell/compare/ReferenceCompare.h"

#include "common/Numbers.h"
#include "vantrell/tools/core/AirflowMeterSwap.h"
#include "vantrell/tools/core/Limiters.h"
#include "vantrell/tools/core/ToolSupport.h"

#include <algorithm>
#include <utility>

namespace vantrell {

namespace {

std::string hex4(std::uint32_t address)
{
    return "0x" + common::hexTextPadded(address, 4);
}

std::string counted(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::vector<NamedTable> namedTables(const EditorState& state)
{
    std::vector<NamedTable> tables;
    if (!state.definitionUsable)
        return tables;
    for (MapKey key : {MapKey::FuelHigh, MapKey::FuelLow, MapKey::IgnHigh, MapKey::IgnLow})
        if (const auto set = state.mapSetOf(key))
            tables.push_back({mapName(key), set->map, 256, true});
    const EngineDefinition& d = state.def;
    const std::uint32_t revWidth = d.revsize == 1 ? 1 : 2;
    const std::uint32_t accel = static_cast<std::uint32_t>(accelCount(d));
    const struct
    {
        const char* name;
        const std::string* text;
        std::uint32_t length;
    } places[] = {
        {"fuelrev", &d.fuelrev, 16},
        {"fuelflow", &d.fuelflow, 16},
        {"ignrev", &d.ignrev, 16},
        {"ignflow", &d.ignflow, 16},
        {"kval", &d.kval, 2},
        {"injnulltime", &d.injnulltime, 1},
        {"ttpmin", &d.ttpmin, 16},
        {"ttpmax", &d.ttpmax, 16},
        {"aflimit", &d.aflimit, 16},
        {"accelpump", &d.accelpump, accel},
        {"VQ map", &d.vqmap, vqSizeOf(d).value_or(0)},
        {"rev1", &d.rev1, revWidth},
        {"rev2", &d.rev2, revWidth},
        {"rev3", &d.rev3, revWidth},
        {"rev4", &d.rev4, revWidth},
        {"speed1", &d.speed1, 1},
        {"speed2", &d.speed2, 1},
        {"speed3", &d.speed3, 1},
        {"speed4", &d.speed4, 1},
    };
    for (const auto& p : places) {
        if (p.length == 0)
            continue;
        if (const auto address = tableAddress(state, *p.text, p.length))
            tables.push_back({p.name, *address, p.length, false});
    }
    return tables;
}

ReferenceCompare::ReferenceCompare(RomDocument& document) : document_(document)
{
    document_.addListener(this);
}

ReferenceCompare::~ReferenceCompare()
{
    document_.removeListener(this);
}

void ReferenceCompare::start(std::string name, std::vector<std::uint8_t> bytes)
{
    active_ = true;
    name_ = std::move(name);
    reference_ = std::move(bytes);
    recount();
}

void ReferenceCompare::stop()
{
    active_ = false;
    name_.clear();
    reference_.clear();
    recount();
}

std::size_t ReferenceCompare::comparedSize() const
{
    return active_ ? std::min(reference_.size(), document_.size()) : 0;
}

bool ReferenceCompare::differsAt(std::uint32_t address) const
{
    return address < differs_.size() && differs_[address];
}

std::optional<std::uint8_t> ReferenceCompare::referenceAt(std::uint32_t address) const
{
    if (address >= comparedSize())
        return std::nullopt;
    return reference_[address];
}

void ReferenceCompare::recount()
{
    const std::size_t n = comparedSize();
    differs_.assign(n, false);
    count_ = 0;
    for (std::size_t a = 0; a < n; ++a) {
        differs_[a] = reference_[a] != document_.at(a);
        count_ += differs_[a];
    }
    tell(0, static_cast<std::uint32_t>(document_.size()));
}

void ReferenceCompare::stepApplied(const EditStep& step)
{
    if (!active_)
        return;
    for (const ByteChange& c : step.changes) {
        for (std::uint32_t a = c.address; a < c.address + c.length() && a < differs_.size(); ++a) {
            const bool now = reference_[a] != document_.at(a);
            count_ = count_ - differs_[a] + now;
            differs_[a] = now;
        }
        tell(c.address, c.length());
    }
}

void ReferenceCompare::documentLoaded(DocumentLoad)
{
    if (active_)
        recount();
}

void ReferenceCompare::tell(std::uint32_t address, std::uint32_t length)
{
    if (changed_)
        changed_(address, length);
}

std::vector<std::string> ReferenceCompare::listing(const std::vector<NamedTable>& tables) const
{
    std::vector<std::string> lines;
    lines.push_back("Compared with " + name_ + ": " + counted(count_, "byte differs", "bytes differ"));
    if (reference_.size() < document_.size())
        lines.push_back(name_ + " holds " + std::to_string(reference_.size()) + " bytes: only the first " +
                        std::to_string(reference_.size()) + " of " + std::to_string(document_.size()) +
                        " bytes were compared");
    std::vector<bool> named(differs_.size(), false);
    for (const NamedTable& t : tables) {
        std::size_t n = 0;
        for (std::uint32_t a = t.address; a < t.address + t.length && a < differs_.size(); ++a) {
            named[a] = true;
            n += differs_[a];
        }
        if (n > 0)
            lines.push_back(t.name + " " +
                            (t.cells ? counted(n, "cell", "cells") : counted(n, "byte", "bytes")));
    }
    std::size_t others = 0;
    for (std::size_t a = 0; a < differs_.size();) {
        if (!differs_[a] || named[a]) {
            ++a;
            continue;
        }
        std::size_t end = a;
        while (end + 1 < differs_.size() && differs_[end + 1] && !named[end + 1])
            ++end;
        if (++others <= kOtherLines) {
            const auto first = static_cast<std::uint32_t>(a);
            const auto last = static_cast<std::uint32_t>(end);
            lines.push_back("other " + hex4(first) + (last > first ? "-" + hex4(last) : std::string()));
        }
        a = end + 1;
    }
    if (others > kOtherLines)
        lines.push_back("other: " + std::to_string(others - kOtherLines) + " more ranges");
    return lines;
}

std::optional<EditStep> ReferenceCompare::revertStep(const std::vector<std::uint32_t>& addresses,
                                                     const std::string& label) const
{
    EditStepBuilder step(document_.buffer());
    for (std::uint32_t a : addresses)
        if (const auto b = referenceAt(a))
            step.write(a, *b);
    if (step.empty())
        return std::nullopt;
    return step.finish(label, EditSource::Revert);
}

} // namespace vantrell
