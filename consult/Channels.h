// What the ECU can stream and how its bytes read: the registers with their names, units and scales,
// and bytes of ECU memory (the map's load value, TP, among them). A StreamLayout is one chosen set:
// the request it takes, the frame length it gives, and the values of each frame. No I/O, no Qt.
#pragma once

#include "ConsultProtocol.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace consult {

enum class Channel {
    Rpm,            // registers 00 (high), 01 (low), x 12.5 rpm
    AirflowVoltage, // 04, 05, x 5 mV
    Coolant,        // 08, value - 50 degrees C
    O2,             // 09, x 10 mV
    Speed,          // 0B, x 2 km/h
    Battery,        // 0C, x 80 mV
    Throttle,       // 0D, x 20 mV
    InjectionTime,  // 14, 15, / 100 ms
    IgnitionTiming, // 16, 110 - value, degrees before top dead centre
};
inline constexpr std::size_t kChannelCount = 9;

struct ChannelInfo
{
    Channel channel;
    const char* key;  // short name for logs and settings: "rpm", "inj", ...
    const char* name; // shown to the user: "RPM", "Injection time", ...
    const char* unit; // "rpm", "mV", "°C" (UTF-8), ...
    std::uint8_t firstRegister;
    std::size_t registerCount; // 1, or 2 for a high and a low byte
    double scale;              // value = offset + scale * raw
    double offset;
    int decimals; // digits after the point worth showing
};

const ChannelInfo& channelInfo(Channel channel);
// Every channel, in the order above.
std::span<const ChannelInfo> allChannels();
// By its key; nothing for an unknown one.
std::optional<Channel> channelFromKey(const std::string& key);

// The value of a channel from its raw bytes (high byte first).
double decodeChannel(Channel channel, std::span<const std::uint8_t> raw);
// The raw bytes that carry `value` (rounded, clamped to what the bytes hold): for the simulated ECU
// and for tests.
Bytes encodeChannel(Channel channel, double value);

// A byte of ECU memory in a stream, with the name and unit it is shown under.
struct MemoryChannel
{
    MemoryAddress address = 0;
    std::string name; // "TP"
    std::string unit; // "" for a raw count
};

// The key of the TP byte in a layout's values, where the trace finds it.
inline constexpr const char* kTpName = "TP";

class StreamLayout
{
  public:
    StreamLayout() = default;
    StreamLayout(std::vector<Channel> channels, std::vector<MemoryChannel> memory);

    const std::vector<Channel>& channels() const { return channels_; }
    const std::vector<MemoryChannel>& memory() const { return memory_; }

    // Register bytes in request order, and the data bytes a frame carries.
    std::vector<std::uint8_t> registers() const;
    std::size_t frameLength() const;
    // Whether the ECU can send this set in one frame (1..kMaxFrameData bytes).
    bool fits() const;
    // The request for this set; nothing when it does not fit.
    std::optional<Command> command() const;

    // Values in column order: the channels, then the memory bytes. Nothing when the frame has not the
    // layout's length.
    std::optional<std::vector<double>> decode(std::span<const std::uint8_t> frame) const;

    // Columns in value order: name, unit, decimals.
    struct Column
    {
        std::string name;
        std::string unit;
        int decimals = 0;
    };
    std::vector<Column> columns() const;
    // The column of a channel or of a named memory byte; nothing when the layout lacks it.
    std::optional<std::size_t> columnOf(Channel channel) const;
    std::optional<std::size_t> columnOf(const std::string& memoryName) const;

  private:
    std::vector<Channel> channels_;
    std::vector<MemoryChannel> memory_;
};

// The layout the editor streams: every register above, and the TP byte when its address is known.
StreamLayout standardLayout(std::optional<MemoryAddress> tpAddress);

// The TP address an engine definition names: key "tpram" of section [consult] (optional; most of
// these ECUs keep TP in memory, not in a register). Nothing when the key is missing or no address
// of 0..0xFFFF.
std::optional<MemoryAddress> tpAddressFromDefinition(const std::string& definitionPath);

} // namespace consult
