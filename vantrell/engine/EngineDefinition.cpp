#include "vantrell/engine/EngineDefinition.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"

#include <utility>

namespace vantrell {

namespace {

bool hasNumber(const std::string& text)
{
    return text != common::clsIniFile::kUnknownValue && text != common::clsIniFile::kEmptyValue &&
           common::startsWithNumber(text);
}

} // namespace

bool isAbsent(const std::string& addressText)
{
    return addressText == "&hffff";
}

std::optional<std::uint32_t> addressOf(const std::string& addressText)
{
    if (!hasNumber(addressText))
        return std::nullopt;
    double v = common::readNumber(addressText);
    if (v < 0 || v > 4294967295.0)
        return std::nullopt;
    return static_cast<std::uint32_t>(common::roundHalfEven(v));
}

std::optional<std::uint32_t> addressInRom(const std::string& addressText, std::uint32_t length,
                                          std::uint32_t romSize)
{
    auto a = addressOf(addressText);
    if (!a || static_cast<std::uint64_t>(*a) + length > romSize)
        return std::nullopt;
    return a;
}

std::optional<std::uint16_t> tpAddressOf(const EngineDefinition& def)
{
    const std::optional<std::uint32_t> address = addressOf(def.tpram);
    if (!address || *address > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(*address);
}

DefinitionLoad loadEngineDefinition(const std::string& path)
{
    const common::IniText ini = common::IniText::read(path);
    auto get = [&](const char* section, const char* key) { return ini.setting(section, key); };
    auto number = [&](const char* key) { return common::readNumber(get("initialisation", key)); };

    DefinitionLoad result;
    EngineDefinition& d = result.definition;
    d.injectorsize = common::toInt32(number("injectorsize"));
    d.cyl = common::toInt32(number("cyl"));
    d.cc = common::toInt32(number("cc"));
    d.config = get("initialisation", "config");
    d.airflowmeter = common::toInt16(number("airflowmeter"));
    d.fuelstep = common::toInt16(number("fuelstep"));
    d.fuelchange = common::toInt16(number("fuelchange"));
    d.ignstep = common::toInt16(number("ignstep"));
    d.ignchange = common::toInt16(number("ignchange"));
    d.revtimes = static_cast<float>(number("revtimes"));
    d.revsize = common::toInt16(number("revsize"));
    d.speedtimes = static_cast<float>(number("speedtimes"));
    const std::string romsizeText = get("initialisation", "romsize");
    d.romsize = common::toInt32(common::readNumber(romsizeText));

    const char* al = "address locations";
    std::pair<const char*, std::string*> addresses[] = {{"fuelhighmap", &d.fuelhighmap},
                                                        {"fuellowmap", &d.fuellowmap},
                                                        {"ignhighmap", &d.ignhighmap},
                                                        {"ignlowmap", &d.ignlowmap},
                                                        {"kval", &d.kval},
                                                        {"injnulltime", &d.injnulltime},
                                                        {"fuelrev", &d.fuelrev},
                                                        {"ignrev", &d.ignrev},
                                                        {"fuelflow", &d.fuelflow},
                                                        {"ignflow", &d.ignflow},
                                                        {"rev1", &d.rev1},
                                                        {"rev2", &d.rev2},
                                                        {"rev3", &d.rev3},
                                                        {"rev4", &d.rev4},
                                                        {"speed1", &d.speed1},
                                                        {"speed2", &d.speed2},
                                                        {"speed3", &d.speed3},
                                                        {"speed4", &d.speed4},
                                                        {"vqsize", &d.vqsize},
                                                        {"vqmap", &d.vqmap},
                                                        {"ttpmin", &d.ttpmin},
                                                        {"ttpmax", &d.ttpmax},
                                                        {"aflimit", &d.aflimit},
                                                        {"accelsize", &d.accelsize},
                                                        {"accelpump", &d.accelpump}};
    for (auto& [key, target] : addresses)
        *target = get(al, key);
    d.tpram = get("consult", "tpram");

    if (romsizeText == common::clsIniFile::kUnknownValue || romsizeText == common::clsIniFile::kEmptyValue) {
        result.reason = "romsize is missing";
        return result;
    }
    if (!common::startsWithNumber(romsizeText)) {
        result.reason = "romsize is not a number";
        return result;
    }
    if (d.romsize < 256 || d.romsize > 65536) {
        result.reason = "romsize must lie between 256 and 65536";
        return result;
    }
    if (d.romsize % 256 != 0) {
        result.reason = "romsize is not a multiple of 256";
        return result;
    }
    const std::uint32_t size = static_cast<std::uint32_t>(d.romsize);
    std::pair<const char*, std::uint32_t> ranges[] = {
        {"fuelhighmap", 256}, {"fuellowmap", 256}, {"ignhighmap", 256}, {"ignlowmap", 256},
        {"fuelrev", 16},      {"fuelflow", 16},    {"ignrev", 16},      {"ignflow", 16}};
    for (auto& [key, length] : ranges) {
        const std::string text = get(al, key);
        if (!addressOf(text)) {
            result.reason = std::string(key) + (hasNumber(text) || text == common::clsIniFile::kUnknownValue
                                                    ? " is missing"
                                                    : " is not a number");
            if (text != common::clsIniFile::kUnknownValue && text != common::clsIniFile::kEmptyValue)
                result.reason = std::string(key) + " is not a number";
            return result;
        }
        if (!addressInRom(text, length, size)) {
            result.reason = std::string(key) + " reaches past the end of the ROM";
            return result;
        }
    }
    result.ok = true;
    return result;
}

} // namespace vantrell
