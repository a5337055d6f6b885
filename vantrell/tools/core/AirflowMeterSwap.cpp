#include "vantrell/tools/core/AirflowMeterSwap.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"
#include "vantrell/tools/core/InjectorTools.h"
#include "vantrell/tools/core/ToolSupport.h"

#include <array>
#include <cmath>
#include <span>

namespace vantrell {

namespace {

// The meter list, read once for each question asked of it.
common::IniText meterList(const EditorState& state)
{
    return common::IniText::read(state.folders.config + "/afm.ini");
}

std::int32_t ratingOf(const common::IniText& ini, int index)
{
    return common::toInt32(common::readNumber(ini.setting(std::to_string(index), "hp")));
}

// The ROM map's word count, "vqsize" / 2 rounded.
std::uint32_t wordCount(std::uint32_t vqsize)
{
    return static_cast<std::uint32_t>(common::roundHalfEven(vqsize / 2.0));
}

} // namespace

std::optional<std::uint32_t> vqSizeOf(const EngineDefinition& def)
{
    if (!common::startsWithNumber(def.vqsize))
        return std::nullopt;
    const double v = common::roundHalfEven(common::readNumber(def.vqsize));
    if (!(v > 0) || v > 65536)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

void AirflowMeterSwap::loadMeterList(const EditorState& state, common::StatusSink& status)
{
    const common::IniText ini = meterList(state);
    for (int i = 0; i < kMeterCount; ++i)
        captions_[static_cast<std::size_t>(i)] = ini.setting(std::to_string(i), "name");
    selected_.reset();
    const int stock = state.def.airflowmeter;
    if (stock < 0 || stock >= kMeterCount)
        status.appendStatusLine("Stock airflow meter" + common::numberText(stock) +
                                " is not in the meter list (0 to 8): no meter selected");
    else
        chooseMeter(state, stock, status);
    fillCurveFromRom(state);
}

bool AirflowMeterSwap::chooseMeter(const EditorState& state, int index, common::StatusSink& status)
{
    if (index < 0 || index >= kMeterCount)
        return false;
    const common::IniText ini = meterList(state);
    const std::string section = std::to_string(index);
    const std::string name = ini.setting(section, "name");
    const std::string file = ini.setting(section, "file");
    const double size = common::readNumber(ini.setting(section, "size"));
    const std::string refused = "Airflow meter " + name + " refused: ";

    const auto vqsize = vqSizeOf(state.def);
    if (!vqsize) {
        status.appendStatusLine(refused + "the engine's \"vqsize\" " + state.def.vqsize + " is not usable");
        return false;
    }
    if (size > 256) {
        status.appendStatusLine(refused + "its size" + common::numberText(size) +
                                " is above the 256 bytes read from a curve file");
        return false;
    }
    std::string contents;
    const std::string path = state.folders.afm + "/" + common::normalisePath(file);
    if (!fileExists(path) || !common::readWholeFile(path, contents)) {
        status.appendStatusLine(refused + "its curve file " + file + " cannot be read");
        return false;
    }
    const std::uint32_t a = wordCount(*vqsize);
    const double n = size / 2;
    const double skip = common::roundHalfEven(n - a);
    // Every copied byte must come from the meaningful part of the file: n words at least a, and the
    // last word copied inside the file itself.
    const double fileWords = std::min<double>(contents.size(), 256) / 2;
    if (n < a || skip < 0 || skip + a > fileWords || 2 * a > 256) {
        status.appendStatusLine(refused + "its curve holds" +
                                common::numberText(std::floor(std::min(n, fileWords))) +
                                " words, the VQ map needs" + common::numberText(a));
        return false;
    }

    std::array<std::uint8_t, 256> buffer{};
    for (std::size_t i = 0; i < buffer.size() && i < contents.size(); ++i)
        buffer[i] = static_cast<std::uint8_t>(contents[i]);
    chosenRating_ = ratingOf(ini, index);
    selected_ = index;
    curve_.assign(*vqsize, 0);
    const auto offset = static_cast<std::size_t>(2 * skip);
    for (std::size_t j = 0; j + 1 < 2 * a + 1; j += 2) {
        if (j < curve_.size())
            curve_[j] = buffer[j + offset];
        if (j + 1 < curve_.size())
            curve_[j + 1] = buffer[j + offset + 1];
    }
    return true;
}

void AirflowMeterSwap::fillCurveFromRom(const EditorState& state)
{
    curve_.clear();
    const auto vqsize = vqSizeOf(state.def);
    if (!vqsize)
        return;
    const auto address = tableAddress(state, state.def.vqmap, *vqsize);
    if (!address)
        return;
    const auto bytes = state.rom.range(*address, *vqsize);
    curve_.assign(bytes.begin(), bytes.end());
}

bool AirflowMeterSwap::commit(EditorState& state, common::StatusSink& status, Dialogs& dialogs)
{
    if (!selected_) {
        dialogs.beep();
        return false;
    }
    const std::string refused = "AFM commit refused: ";
    const EngineDefinition& def = state.def;
    const auto vqsize = vqSizeOf(def);
    if (!vqsize) {
        status.appendStatusLine(refused + "the engine's \"vqsize\" " + def.vqsize + " is not usable");
        return false;
    }
    const auto vqAddress = tableAddress(state, def.vqmap, *vqsize);
    if (!vqAddress) {
        status.appendStatusLine(refused + outsideRomText("vqmap", def.vqmap));
        return false;
    }
    const auto kAddress = tableAddress(state, def.kval, 2);
    if (!kAddress) {
        status.appendStatusLine(refused + outsideRomText("kval", def.kval));
        return false;
    }
    std::optional<std::uint32_t> afAddress;
    if (!isAbsent(def.aflimit)) {
        afAddress = tableAddress(state, def.aflimit, 16);
        if (!afAddress) {
            status.appendStatusLine(refused + outsideRomText("aflimit", def.aflimit));
            return false;
        }
    }
    if (curve_.size() != *vqsize) {
        status.appendStatusLine(refused + "the working curve does not match the VQ map's size");
        return false;
    }
    const std::int32_t stock = ratingOf(meterList(state), def.airflowmeter);
    if (stock <= 0 || chosenRating_ <= 0) {
        status.appendStatusLine(refused + "a meter rating of 0 (stock" + common::numberText(stock) +
                                ", chosen" + common::numberText(chosenRating_) + ") cannot scale K");
        return false;
    }

    // The VQ map, K and the AF limit: one step, in that order to the boards.
    EditStepBuilder step(state.rom.buffer());
    step.write(*vqAddress, std::span<const std::uint8_t>(curve_.data(), *vqsize));

    const std::uint32_t k0 = step.at(*kAddress) * 256u + step.at(*kAddress + 1);
    const double ratio = static_cast<double>(stock) / static_cast<double>(chosenRating_);
    const std::uint32_t k1 = clampedK(common::roundHalfEven(k0 / ratio), status, dialogs);
    step.write(*kAddress, kBytes(k1));

    if (afAddress) {
        std::array<std::uint8_t, 16> limit;
        limit.fill(254);
        step.write(*afAddress, limit);
    }
    const EditStep commit = step.finish("airflow meter commit", EditSource::AirflowMeter);
    if (!state.rom.apply(commit)) {
        status.appendStatusLine(refusedStepLine(commit));
        return false;
    }
    status.appendStatusLine(afm_messages::kCommitted);
    return true;
}

std::vector<GraphCommand> AirflowMeterSwap::graphCommands(const EditorState& state) const
{
    using K = GraphCommand::Kind;
    const Rgb grey{128, 128, 128};
    std::vector<GraphCommand> out;
    out.push_back({K::Frame, 10, 1000, 590, 69000, Rgb{0, 0, 0}});
    for (int k = 0; k <= 16; ++k)
        out.push_back({K::Line, 60 + 32 * k, 2000, 60 + 32 * k, 68000, grey});
    for (int k = 0; k <= 16; ++k)
        out.push_back({K::Line, 60, 2000 + 4096 * k, 572, 2000 + 4096 * k, grey});
    const auto vqsize = vqSizeOf(state.def);
    if (!vqsize)
        return out;
    const int step = static_cast<int>(512 / *vqsize);
    int penX = 60, penY = 67700;
    out.push_back({K::Dot, penX, penY, penX, penY, Rgb{0, 255, 0}});
    const std::uint32_t end = 2 * wordCount(*vqsize);
    auto byteAt = [this](std::uint32_t j) { return j < curve_.size() ? curve_[j] : 0; };
    for (std::uint32_t j = 0; j < end; j += 2) {
        const int w = byteAt(j) * 256 + byteAt(j + 1);
        const int x = 60 + static_cast<int>(j) * step;
        const int y = 67700 - w;
        out.push_back({K::Line, penX, penY, x, y, Rgb{255, 255, 0}});
        penX = x;
        penY = y;
    }
    return out;
}

} // namespace vantrell
