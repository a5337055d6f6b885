// A simulated ECU on the diagnostic line, as a pure state machine: bytes from the host go in, the
// ECU's answers come out; the stream comes out a chunk at a time when the caller's line is free. No
// I/O and no clock of its own: the caller says what time it is (engine seconds) and paces the bytes.
//
// The engine runs a drive cycle (RPM and TP along a fixed, repeating course) unless RPM or TP are set
// by hand. Its injection time and ignition timing come from the main fuel and ignition maps as the
// ROM holds them at this moment (read through the RomReader, so an edit written to the board shows
// in the next frame): the four cells around the running point, weighted by closeness.
//
// Faults, each for the next COUNT times it can apply: silent (the stream stops and the next COUNT
// starts get no answer), noise (three stray bytes inside the next frame), wrong echo (a command byte
// is echoed as it was sent, not inverted), cut line (the caller closes the line; see takeCutLine()).
#pragma once

#include "consult/ConsultProtocol.h"
#include "consult/MapTrace.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace boardsim {

// Where an engine definition puts a map and its axes (ROM addresses), and the ECU memory address at
// which the ECU keeps TP ([consult] tpram).
struct EcuMapPlace
{
    std::uint32_t map = 0;
    std::uint32_t rpmAxis = 0;
    std::uint32_t loadAxis = 0;
};
struct EcuDefinition
{
    std::uint32_t romSize = 0;
    EcuMapPlace fuel;
    EcuMapPlace ignition;
    std::optional<std::uint16_t> tpAddress;
};

// Reads the keys the editor's definition uses: romsize, fuelhighmap, fuelrev, fuelflow, ignhighmap,
// ignrev, ignflow, and [consult] tpram. False with a reason when a map or axis address is missing or
// reaches past the ROM.
bool loadEcuDefinition(const std::string& path, EcuDefinition& definition, std::string& error);

enum class EcuFault { Silent, Noise, WrongEcho, CutLine };
inline constexpr std::size_t kEcuFaultCount = 4;
// "silent", "noise", "wrongecho", "cutline", and back; false for an unknown name.
const char* ecuFaultName(EcuFault fault);
bool ecuFaultFromName(const std::string& name, EcuFault& fault);

class EcuModel
{
  public:
    // Reads one byte of the ROM at a ROM address (as the engine definition counts them).
    using RomReader = std::function<std::uint8_t(std::uint32_t romAddress)>;

    explicit EcuModel(RomReader rom = {});

    // Without a definition the ECU still talks; injection time and ignition timing then stay at
    // fixed values.
    void setDefinition(std::optional<EcuDefinition> definition);
    const std::optional<EcuDefinition>& definition() const { return definition_; }

    // --- the engine ---
    // Engine time in seconds; moves the drive cycle.
    void setTime(double seconds);
    // A fixed RPM or TP; nothing returns it to the drive cycle.
    void setRpm(std::optional<double> rpm);
    void setTp(std::optional<double> tp);
    double rpm() const;
    double tp() const;
    double injectionMs() const;
    double ignitionDegrees() const;
    // The trace of the running point on the fuel map (invalid without a definition).
    consult::Trace fuelTrace() const;

    // --- the line ---
    // Bytes from the host; returns what the ECU sends at once (echoes, answers, reply frames).
    consult::Bytes receive(std::span<const std::uint8_t> bytes);
    bool streaming() const { return streaming_; }
    // The next piece of the stream: the rest of the frame under way and the start byte of the next one
    // (so a host sees a frame confirmed the moment it ends), or the rest and the stop answer after a
    // stop. Values are taken now. Empty when not streaming.
    consult::Bytes nextStreamChunk();

    void injectFault(EcuFault fault, int count = 1);
    int pendingFaults(EcuFault fault) const;
    // True once after a cut-line fault was injected: the caller closes the line.
    bool takeCutLine();

    std::vector<consult::FaultCode> storedCodes{{0x21, 5}, {0x34, 12}};
    std::string partNumber = "TSV-ECU-0001";

  private:
    std::uint8_t registerByte(std::uint8_t reg) const;
    std::uint8_t memoryByte(std::uint16_t address) const;
    void echo(consult::Bytes& out, std::uint8_t command, std::span<const std::uint8_t> parameters);
    void command(std::uint8_t code, consult::Bytes& out);
    void init(consult::Bytes& out);
    std::optional<double> mapValue(const EcuMapPlace& place, bool fuel) const;
    bool take(EcuFault fault);

    RomReader rom_;
    std::optional<EcuDefinition> definition_;
    double time_ = 0;
    std::optional<double> fixedRpm_, fixedTp_;

    bool initialised_ = false;
    int ffRun_ = 0;
    std::uint8_t pendingCommand_ = 0;
    std::size_t pendingParams_ = 0;
    consult::Bytes params_;
    std::vector<std::pair<bool, std::uint16_t>> items_, streamItems_; // (memory?, register or address)
    std::uint8_t request_ = 0;                                        // D1, C1 or D0 awaiting F0
    bool streaming_ = false;
    bool frameOpen_ = false;
    std::optional<std::uint8_t> stopAnswer_;
    std::array<int, kEcuFaultCount> faults_{};
    bool cut_ = false;
};

} // namespace boardsim
