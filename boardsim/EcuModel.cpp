#include "EcuModel.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"
#include "consult/Channels.h"

#include <algorithm>
#include <cmath>

namespace boardsim {

namespace {

using consult::Bytes;

// The drive cycle: (seconds, rpm, TP), joined by straight lines, repeating. Idle, a pull through the
// gears into boost, cruising, a second pull to the limiter, and back to idle.
struct CyclePoint
{
    double t, rpm, tp;
};
constexpr CyclePoint kCycle[] = {{0, 800, 18},    {6, 800, 18},   {10, 2600, 70}, {14, 4200, 130},
                                 {18, 5600, 185}, {21, 3000, 40}, {30, 2800, 52}, {38, 3200, 60},
                                 {42, 6400, 195}, {46, 1800, 12}, {52, 900, 20},  {60, 800, 18}};
constexpr double kCycleLength = 60;

// Stray bytes the noise fault puts inside a frame.
constexpr std::uint8_t kNoise[] = {0x5A, 0xFF, 0x00};

std::optional<std::uint32_t> address(const common::IniText& ini, const char* key, std::uint32_t length,
                                     std::uint32_t romSize)
{
    const std::string text = ini.setting("address locations", key);
    if (!common::startsWithNumber(text))
        return std::nullopt;
    const double v = common::readNumber(text);
    if (v < 0 || v + length > romSize)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

} // namespace

bool loadEcuDefinition(const std::string& path, EcuDefinition& definition, std::string& error)
{
    const common::IniText ini = common::IniText::read(path);
    const std::string romsize = ini.setting("initialisation", "romsize");
    const double size = common::startsWithNumber(romsize) ? common::readNumber(romsize) : 0;
    if (size < 256 || size > 65536) {
        error = path + ": romsize is missing or not between 256 and 65536";
        return false;
    }
    EcuDefinition d;
    d.romSize = static_cast<std::uint32_t>(size);
    struct Key
    {
        const char* name;
        std::uint32_t length;
        std::uint32_t* target;
    };
    const Key keys[] = {{"fuelhighmap", 256, &d.fuel.map},   {"fuelrev", 16, &d.fuel.rpmAxis},
                        {"fuelflow", 16, &d.fuel.loadAxis},  {"ignhighmap", 256, &d.ignition.map},
                        {"ignrev", 16, &d.ignition.rpmAxis}, {"ignflow", 16, &d.ignition.loadAxis}};
    for (const Key& key : keys) {
        const auto a = address(ini, key.name, key.length, d.romSize);
        if (!a) {
            error = path + ": " + key.name + " is missing or reaches past the ROM";
            return false;
        }
        *key.target = *a;
    }
    d.tpAddress = consult::tpAddressFromDefinition(path);
    definition = d;
    return true;
}

const char* ecuFaultName(EcuFault fault)
{
    switch (fault) {
    case EcuFault::Silent:
        return "silent";
    case EcuFault::Noise:
        return "noise";
    case EcuFault::WrongEcho:
        return "wrongecho";
    case EcuFault::CutLine:
        return "cutline";
    }
    return "";
}

bool ecuFaultFromName(const std::string& name, EcuFault& fault)
{
    for (EcuFault f : {EcuFault::Silent, EcuFault::Noise, EcuFault::WrongEcho, EcuFault::CutLine}) {
        if (name == ecuFaultName(f)) {
            fault = f;
            return true;
        }
    }
    return false;
}

EcuModel::EcuModel(RomReader rom) : rom_(std::move(rom)) {}

void EcuModel::setDefinition(std::optional<EcuDefinition> definition)
{
    definition_ = std::move(definition);
}

void EcuModel::setTime(double seconds)
{
    time_ = seconds;
}

void EcuModel::setRpm(std::optional<double> rpm)
{
    fixedRpm_ = rpm;
}

void EcuModel::setTp(std::optional<double> tp)
{
    fixedTp_ = tp;
}

double EcuModel::rpm() const
{
    if (fixedRpm_)
        return *fixedRpm_;
    const double t = std::fmod(std::max(0.0, time_), kCycleLength);
    for (std::size_t i = 0; i + 1 < std::size(kCycle); ++i) {
        const CyclePoint& a = kCycle[i];
        const CyclePoint& b = kCycle[i + 1];
        if (t <= b.t)
            return a.rpm + (b.rpm - a.rpm) * (t - a.t) / (b.t - a.t);
    }
    return kCycle[0].rpm;
}

double EcuModel::tp() const
{
    if (fixedTp_)
        return *fixedTp_;
    const double t = std::fmod(std::max(0.0, time_), kCycleLength);
    for (std::size_t i = 0; i + 1 < std::size(kCycle); ++i) {
        const CyclePoint& a = kCycle[i];
        const CyclePoint& b = kCycle[i + 1];
        if (t <= b.t)
            return a.tp + (b.tp - a.tp) * (t - a.t) / (b.t - a.t);
    }
    return kCycle[0].tp;
}

std::optional<double> EcuModel::mapValue(const EcuMapPlace& place, bool fuel) const
{
    if (!definition_ || !rom_)
        return std::nullopt;
    std::vector<std::uint8_t> rpmBytes, loadBytes;
    for (std::uint32_t i = 0; i < 16; ++i) {
        rpmBytes.push_back(rom_(place.rpmAxis + i));
        loadBytes.push_back(rom_(place.loadAxis + i));
    }
    const auto rpmAxis = consult::rpmAxisFromBytes(rpmBytes);
    const auto loadAxis = consult::loadAxisFromBytes(loadBytes);
    const consult::Trace trace = consult::traceCell(rpm(), tp(), rpmAxis, loadAxis);
    if (!trace.hasLoad)
        return std::nullopt;
    return consult::interpolate(trace, [&](int r, int c) {
        const std::uint8_t b = rom_(place.map + static_cast<std::uint32_t>(16 * r + c));
        // Fuel cells with bit 7 set run closed loop: a small correction around a base of 32. Ignition
        // cells with bit 7 set have knock control on; the low seven bits are the advance.
        if (fuel)
            return (b & 0x80) != 0 ? 32.0 + (b - 192) : static_cast<double>(b);
        return static_cast<double>(b & 0x7F);
    });
}

consult::Trace EcuModel::fuelTrace() const
{
    if (!definition_ || !rom_)
        return {};
    std::vector<std::uint8_t> rpmBytes, loadBytes;
    for (std::uint32_t i = 0; i < 16; ++i) {
        rpmBytes.push_back(rom_(definition_->fuel.rpmAxis + i));
        loadBytes.push_back(rom_(definition_->fuel.loadAxis + i));
    }
    return consult::traceCell(rpm(), tp(), consult::rpmAxisFromBytes(rpmBytes),
                              consult::loadAxisFromBytes(loadBytes));
}

double EcuModel::injectionMs() const
{
    // A dead time, and the pulse the fuel map asks for at this load: TP/100 x value/10 ms.
    const double value = definition_ ? mapValue(definition_->fuel, true).value_or(40) : 40;
    return 0.5 + tp() / 100.0 * std::max(0.0, value) / 10.0;
}

double EcuModel::ignitionDegrees() const
{
    return definition_ ? mapValue(definition_->ignition, false).value_or(15) : 15;
}

std::uint8_t EcuModel::registerByte(std::uint8_t reg) const
{
    using consult::Channel;
    auto part = [](const Bytes& b, std::size_t i) { return i < b.size() ? b[i] : std::uint8_t{0}; };
    const double r = rpm(), t = tp();
    switch (reg) {
    case 0x00:
    case 0x01:
        return part(consult::encodeChannel(Channel::Rpm, r), reg);
    case 0x04:
    case 0x05:
        return part(consult::encodeChannel(Channel::AirflowVoltage, 1000 + 16 * t + 0.05 * r), reg - 0x04u);
    case 0x08:
        return part(consult::encodeChannel(Channel::Coolant, std::min(88.0, 20 + 2 * time_)), 0);
    case 0x09:
        // The oxygen sensor swings rich and lean about twice a second.
        return part(consult::encodeChannel(Channel::O2, std::fmod(time_, 1.0) < 0.5 ? 800 : 120), 0);
    case 0x0B:
        return part(consult::encodeChannel(Channel::Speed, r / 45), 0);
    case 0x0C:
        return part(consult::encodeChannel(Channel::Battery, 14100), 0);
    case 0x0D:
        return part(consult::encodeChannel(Channel::Throttle, std::min(4600.0, 450 + 20 * t)), 0);
    case 0x14:
    case 0x15:
        return part(consult::encodeChannel(Channel::InjectionTime, injectionMs()), reg - 0x14u);
    case 0x16:
        return part(consult::encodeChannel(Channel::IgnitionTiming, ignitionDegrees()), 0);
    default:
        return 0;
    }
}

std::uint8_t EcuModel::memoryByte(std::uint16_t address) const
{
    if (definition_ && definition_->tpAddress && *definition_->tpAddress == address)
        return static_cast<std::uint8_t>(std::clamp(std::round(tp()), 0.0, 255.0));
    return 0;
}

bool EcuModel::take(EcuFault fault)
{
    int& n = faults_[static_cast<std::size_t>(fault)];
    if (n <= 0)
        return false;
    --n;
    return true;
}

void EcuModel::injectFault(EcuFault fault, int count)
{
    int& n = faults_[static_cast<std::size_t>(fault)];
    n = count <= 0 ? 0 : n + count;
    if (fault == EcuFault::Silent && n > 0) {
        // Gone quiet at once: no end of frame, no stop answer.
        streaming_ = false;
        frameOpen_ = false;
        stopAnswer_.reset();
        initialised_ = false;
    }
    if (fault == EcuFault::CutLine && n > 0) {
        n = 0;
        cut_ = true;
    }
}

int EcuModel::pendingFaults(EcuFault fault) const
{
    return faults_[static_cast<std::size_t>(fault)];
}

bool EcuModel::takeCutLine()
{
    const bool cut = cut_;
    cut_ = false;
    return cut;
}

void EcuModel::echo(Bytes& out, std::uint8_t command, std::span<const std::uint8_t> parameters)
{
    out.push_back(take(EcuFault::WrongEcho) ? command : consult::echoOf(command));
    out.insert(out.end(), parameters.begin(), parameters.end());
}

void EcuModel::init(Bytes& out)
{
    if (faults_[static_cast<std::size_t>(EcuFault::Silent)] > 0) {
        take(EcuFault::Silent);
        return;
    }
    items_.clear();
    request_ = 0;
    pendingParams_ = 0;
    if (streaming_) {
        stopAnswer_ = consult::kInitReply; // after the frame under way
    } else {
        out.push_back(consult::kInitReply);
    }
    initialised_ = true;
}

Bytes EcuModel::receive(std::span<const std::uint8_t> bytes)
{
    Bytes out;
    for (std::uint8_t b : bytes) {
        if (pendingParams_ > 0) {
            params_.push_back(b);
            if (--pendingParams_ == 0)
                command(pendingCommand_, out);
            continue;
        }
        if (b == 0xFF) {
            ++ffRun_;
            continue;
        }
        const bool isInit = b == consult::kInit[2] && ffRun_ >= 2;
        ffRun_ = 0;
        if (isInit) {
            init(out);
            continue;
        }
        if (!initialised_ || faults_[static_cast<std::size_t>(EcuFault::Silent)] > 0)
            continue;
        if (streaming_) {
            if (b == consult::kCmdStop && !stopAnswer_)
                stopAnswer_ = consult::kStopReply;
            continue; // a streaming ECU hears nothing else
        }
        if (b == consult::kCmdRegister || b == consult::kCmdMemory) {
            pendingCommand_ = b;
            pendingParams_ = b == consult::kCmdRegister ? 1 : 2;
            params_.clear();
            continue;
        }
        command(b, out);
    }
    return out;
}

void EcuModel::command(std::uint8_t code, Bytes& out)
{
    switch (code) {
    case consult::kCmdRegister:
        echo(out, code, params_);
        items_.emplace_back(false, params_[0]);
        break;
    case consult::kCmdMemory:
        echo(out, code, params_);
        items_.emplace_back(true, static_cast<std::uint16_t>(params_[0] << 8 | params_[1]));
        break;
    case consult::kCmdFaultRead:
    case consult::kCmdFaultClear:
    case consult::kCmdPartNumber:
        echo(out, code, {});
        request_ = code;
        items_.clear();
        break;
    case consult::kCmdGo:
        if (request_ == consult::kCmdFaultRead) {
            out.push_back(consult::kFrameStart);
            out.push_back(static_cast<std::uint8_t>(2 * storedCodes.size()));
            for (const consult::FaultCode& f : storedCodes) {
                out.push_back(f.code);
                out.push_back(f.startsSinceSeen);
            }
        } else if (request_ == consult::kCmdFaultClear) {
            storedCodes.clear();
            out.push_back(consult::kFrameStart);
            out.push_back(0);
        } else if (request_ == consult::kCmdPartNumber) {
            out.push_back(consult::kFrameStart);
            out.push_back(static_cast<std::uint8_t>(partNumber.size()));
            out.insert(out.end(), partNumber.begin(), partNumber.end());
        } else if (!items_.empty()) {
            streamItems_ = items_;
            if (streamItems_.size() > consult::kMaxFrameData)
                streamItems_.resize(consult::kMaxFrameData);
            streaming_ = true;
            frameOpen_ = false;
            stopAnswer_.reset();
        }
        request_ = 0;
        items_.clear();
        break;
    case consult::kCmdStop:
        out.push_back(consult::kStopReply);
        break;
    default:
        break; // not a command this ECU knows
    }
}

Bytes EcuModel::nextStreamChunk()
{
    Bytes out;
    if (!streaming_)
        return out;
    if (stopAnswer_ && !frameOpen_) {
        out.push_back(*stopAnswer_);
        streaming_ = false;
        stopAnswer_.reset();
        return out;
    }
    if (!frameOpen_)
        out.push_back(consult::kFrameStart);
    out.push_back(static_cast<std::uint8_t>(streamItems_.size()));
    const bool noisy = take(EcuFault::Noise);
    for (std::size_t i = 0; i < streamItems_.size(); ++i) {
        if (noisy && i == streamItems_.size() / 2)
            out.insert(out.end(), std::begin(kNoise), std::end(kNoise));
        const auto& [memory, what] = streamItems_[i];
        out.push_back(memory ? memoryByte(what) : registerByte(static_cast<std::uint8_t>(what)));
    }
    if (stopAnswer_) {
        out.push_back(*stopAnswer_);
        streaming_ = false;
        frameOpen_ = false;
        stopAnswer_.reset();
    } else {
        out.push_back(consult::kFrameStart);
        frameOpen_ = true;
    }
    return out;
}

} // namespace boardsim
