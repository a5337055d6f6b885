#include "vantrell/tools/core/InjectorTools.h"

#include "common/Numbers.h"
#include "vantrell/tools/core/ToolSupport.h"

#include <array>
#include <cmath>
#include <vector>

namespace vantrell {

namespace {

struct Table
{
    const char* key;
    const std::string* text;
    std::uint32_t length;
    bool optional; // may be "&hffff"
};

// Scales the 16 bytes at `address` by r, clamping at 255; reports how many were clamped.
void scaleTable(EditStepBuilder& step, std::uint32_t address, double r, const char* key,
                common::StatusSink& status)
{
    int clamped = 0;
    std::uint8_t scaled[16];
    for (std::uint32_t i = 0; i < 16; ++i) {
        const double v = common::roundHalfEven(step.at(address + i) * r);
        if (v > 255)
            ++clamped;
        scaled[i] = common::toByte(v);
    }
    step.write(address, scaled);
    if (clamped > 0)
        status.appendStatusLine(std::string(key) + ":" + common::numberText(clamped) +
                                " bytes above 255 clamped to 255");
}

} // namespace

std::array<std::uint8_t, 2> kBytes(std::uint32_t k)
{
    return {static_cast<std::uint8_t>(k / 256), static_cast<std::uint8_t>(k % 256)};
}

std::string factoryCaption(const EditorState& state)
{
    return "Factory Injector Size is " + common::numberText(state.def.injectorsize) + "cc per injector";
}

std::string kEntryText(std::uint32_t k)
{
    return byteHex(static_cast<std::uint8_t>(k / 256)) + byteHex(k % 256);
}

InjectorEntryTexts injectorEntryTexts(const EditorState& state)
{
    InjectorEntryTexts texts{"-", "-"};
    if (auto k = tableAddress(state, state.def.kval, 2))
        texts.k = byteHex(state.rom.at(*k)) + byteHex(state.rom.at(*k + 1));
    if (auto n = tableAddress(state, state.def.injnulltime, 1))
        texts.nullTime = byteHex(state.rom.at(*n));
    return texts;
}

std::uint32_t clampedK(double k, common::StatusSink& status, Dialogs& dialogs)
{
    if (k <= 65535)
        return k < 0 ? 0 : static_cast<std::uint32_t>(k);
    dialogs.showMessage("Vantrell", injector_messages::kClamp);
    status.appendStatusLine(injector_messages::kClamp);
    return 65535;
}

ResizeResult resizeInjectors(EditorState& state, const std::string& newSizeText, common::StatusSink& status,
                             Dialogs& dialogs)
{
    ResizeResult result;
    const std::string refused = "Injector resize refused: ";
    const double n = common::readNumber(newSizeText);
    if (!common::startsWithNumber(newSizeText) || !std::isfinite(n) || n <= 0) {
        status.appendStatusLine(refused + "the new injector size \"" + newSizeText +
                                "\" is not a positive number");
        return result;
    }
    if (state.def.injectorsize <= 0) {
        status.appendStatusLine(refused + "the factory injector size" +
                                common::numberText(state.def.injectorsize) + " is not a positive number");
        return result;
    }
    if (!std::isfinite(static_cast<double>(state.def.injectorsize) / n)) {
        status.appendStatusLine(refused + "the new injector size \"" + newSizeText + "\" is too small");
        return result;
    }
    const EngineDefinition& def = state.def;
    // Every place the resize writes must lie inside the ROM before anything changes.
    const std::vector<Table> tables = {
        {"kval", &def.kval, 2, false},          {"injnulltime", &def.injnulltime, 1, false},
        {"ttpmin", &def.ttpmin, 16, true},      {"ttpmax", &def.ttpmax, 16, true},
        {"fuelflow", &def.fuelflow, 16, false}, {"ignflow", &def.ignflow, 16, false}};
    for (const Table& t : tables) {
        if (t.optional && isAbsent(*t.text))
            continue;
        if (!tableAddress(state, *t.text, t.length)) {
            status.appendStatusLine(refused + outsideRomText(t.key, *t.text));
            return result;
        }
    }

    // K, then ttpmin, ttpmax, fuelflow and ignflow: one step, in that order to the boards.
    EditStepBuilder step(state.rom.buffer());
    const std::uint32_t kAddress = *tableAddress(state, def.kval, 2);
    const std::uint32_t nullAddress = *tableAddress(state, def.injnulltime, 1);

    const std::uint32_t k0 = step.at(kAddress) * 256u + step.at(kAddress + 1);
    status.appendStatusLine("current k = " + common::hexPairText(k0));
    const double r = static_cast<double>(state.def.injectorsize) / n;
    const double k1Raw = common::roundHalfEven(k0 * r);
    status.appendStatusLine("new k = " +
                            common::hexPairText(static_cast<std::uint32_t>(std::min(k1Raw, 4294967295.0))));
    const std::uint32_t k1 = clampedK(k1Raw, status, dialogs);
    step.write(kAddress, kBytes(k1));
    result.kText = kEntryText(k1);

    state.def.injectorsize = common::toInt32(n);
    status.appendStatusLine(injector_messages::kUpdatedK);

    const double w = step.at(nullAddress);
    const double d = common::roundHalfEven(w - w * r);
    const double h = common::roundHalfEven(d / 2);
    // A much smaller injector would suggest a negative time; nothing below zero can be stored.
    const double suggestion = std::max(0.0, w + h);
    status.appendStatusLine("Recommend trying NULL value of " +
                            common::hexText(static_cast<std::uint32_t>(suggestion)));

    if (!isAbsent(def.ttpmin))
        scaleTable(step, *tableAddress(state, def.ttpmin, 16), r, "ttpmin", status);
    if (!isAbsent(def.ttpmax)) {
        const std::uint32_t a = *tableAddress(state, def.ttpmax, 16);
        std::uint8_t capped[16];
        for (std::uint32_t i = 0; i < 16; ++i)
            capped[i] = i < 6 ? step.at(a + i) : 255;
        step.write(a, capped);
    }
    scaleTable(step, *tableAddress(state, def.fuelflow, 16), r, "fuelflow", status);
    scaleTable(step, *tableAddress(state, def.ignflow, 16), r, "ignflow", status);

    const EditStep resize = step.finish("injector resize", EditSource::InjectorResize);
    if (!state.rom.apply(resize)) {
        status.appendStatusLine(refusedStepLine(resize));
        return result;
    }
    result.done = true;
    return result;
}

bool trimInjectors(EditorState& state, const std::string& kText, const std::string& nullText,
                   common::StatusSink& status)
{
    const std::string refused = "Injector trim refused: ";
    // The places first: a field showing "-" for a place outside the ROM is refused for that reason.
    const auto kAddress = tableAddress(state, state.def.kval, 2);
    if (!kAddress) {
        status.appendStatusLine(refused + outsideRomText("kval", state.def.kval));
        return false;
    }
    const auto nullAddress = tableAddress(state, state.def.injnulltime, 1);
    if (!nullAddress) {
        status.appendStatusLine(refused + outsideRomText("injnulltime", state.def.injnulltime));
        return false;
    }
    const auto k = common::parseHex(kText, 0xFFFF);
    if (!k) {
        status.appendStatusLine(refused + "the K value \"" + kText +
                                "\" is not a hexadecimal number from 0 to FFFF");
        return false;
    }
    const auto n = common::parseHex(nullText, 0xFF);
    if (!n) {
        status.appendStatusLine(refused + "the null time \"" + nullText +
                                "\" is not a hexadecimal number from 0 to FF");
        return false;
    }
    EditStepBuilder step(state.rom.buffer());
    step.write(*kAddress, kBytes(*k));
    step.write(*nullAddress, static_cast<std::uint8_t>(*n));
    const EditStep trim = step.finish("injector trim update", EditSource::InjectorTrim);
    if (!state.rom.apply(trim)) {
        status.appendStatusLine(refusedStepLine(trim));
        return false;
    }
    status.appendStatusLine(injector_messages::kTrimDone);
    return true;
}

} // namespace vantrell
