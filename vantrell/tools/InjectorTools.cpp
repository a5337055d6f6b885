#include "vantrell/tools/InjectorTools.h"

#include "common/Numbers.h"
#include "vantrell/tools/ToolSupport.h"

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
void scaleTable(RomBuffer& rom, std::uint32_t address, double r, const char* key, common::StatusSink& status)
{
    int clamped = 0;
    for (std::uint32_t i = 0; i < 16; ++i) {
        const double v = common::roundHalfEven(rom.at(address + i) * r);
        if (v > 255)
            ++clamped;
        rom.set(address + i, common::toByte(v));
    }
    if (clamped > 0)
        status.appendStatusLine(std::string(key) + ":" + common::numberText(clamped) +
                                " bytes above 255 clamped to 255");
}

} // namespace

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
                             WriteThrough& link, Dialogs& dialogs)
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

    RomBuffer& rom = state.rom;
    const std::uint32_t kAddress = *tableAddress(state, def.kval, 2);
    const std::uint32_t nullAddress = *tableAddress(state, def.injnulltime, 1);

    const std::uint32_t k0 = rom.at(kAddress) * 256u + rom.at(kAddress + 1);
    status.appendStatusLine("current k = " + common::hexPairText(k0));
    const double r = static_cast<double>(state.def.injectorsize) / n;
    const double k1Raw = common::roundHalfEven(k0 * r);
    status.appendStatusLine("new k = " +
                            common::hexPairText(static_cast<std::uint32_t>(std::min(k1Raw, 4294967295.0))));
    const std::uint32_t k1 = clampedK(k1Raw, status, dialogs);
    rom.set(kAddress, static_cast<std::uint8_t>(k1 / 256));
    rom.set(kAddress + 1, static_cast<std::uint8_t>(k1 % 256));
    sendRange(link, rom, kAddress, 2);
    result.kText = kEntryText(k1);

    state.def.injectorsize = common::toInt32(n);
    status.appendStatusLine(injector_messages::kUpdatedK);

    const double w = rom.at(nullAddress);
    const double d = common::roundHalfEven(w - w * r);
    const double h = common::roundHalfEven(d / 2);
    // A much smaller injector would suggest a negative time; nothing below zero can be stored.
    const double suggestion = std::max(0.0, w + h);
    status.appendStatusLine("Recommend trying NULL value of " +
                            common::hexText(static_cast<std::uint32_t>(suggestion)));

    if (!isAbsent(def.ttpmin)) {
        const std::uint32_t a = *tableAddress(state, def.ttpmin, 16);
        scaleTable(rom, a, r, "ttpmin", status);
        sendRange(link, rom, a, 16);
    }
    if (!isAbsent(def.ttpmax)) {
        const std::uint32_t a = *tableAddress(state, def.ttpmax, 16);
        for (std::uint32_t i = 6; i < 16; ++i)
            rom.set(a + i, 255);
        sendRange(link, rom, a, 16);
    }
    const std::uint32_t fuelAxis = *tableAddress(state, def.fuelflow, 16);
    scaleTable(rom, fuelAxis, r, "fuelflow", status);
    sendRange(link, rom, fuelAxis, 16);
    const std::uint32_t ignAxis = *tableAddress(state, def.ignflow, 16);
    scaleTable(rom, ignAxis, r, "ignflow", status);
    sendRange(link, rom, ignAxis, 16);

    result.done = true;
    return result;
}

bool trimInjectors(EditorState& state, const std::string& kText, const std::string& nullText,
                   common::StatusSink& status, WriteThrough& link)
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
    state.rom.set(*kAddress, static_cast<std::uint8_t>(*k / 256));
    state.rom.set(*kAddress + 1, static_cast<std::uint8_t>(*k % 256));
    sendRange(link, state.rom, *kAddress, 2);
    state.rom.set(*nullAddress, static_cast<std::uint8_t>(*n));
    sendRange(link, state.rom, *nullAddress, 1);
    status.appendStatusLine(injector_messages::kTrimDone);
    return true;
}

} // namespace vantrell
