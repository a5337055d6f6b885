#include "Channels.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"

#include <algorithm>
#include <cmath>

namespace consult {

namespace {

constexpr ChannelInfo kChannels[] = {
    {Channel::Rpm, "rpm", "RPM", "rpm", 0x00, 2, 12.5, 0, 0},
    {Channel::AirflowVoltage, "afm", "Airflow meter", "mV", 0x04, 2, 5, 0, 0},
    {Channel::Coolant, "coolant", "Coolant", "°C", 0x08, 1, 1, -50, 0},
    {Channel::O2, "o2", "O2 sensor", "mV", 0x09, 1, 10, 0, 0},
    {Channel::Speed, "speed", "Speed", "km/h", 0x0B, 1, 2, 0, 0},
    {Channel::Battery, "battery", "Battery", "mV", 0x0C, 1, 80, 0, 0},
    {Channel::Throttle, "throttle", "Throttle", "mV", 0x0D, 1, 20, 0, 0},
    {Channel::InjectionTime, "inj", "Injection time", "ms", 0x14, 2, 0.01, 0, 2},
    {Channel::IgnitionTiming, "ign", "Ignition timing", "° BTDC", 0x16, 1, -1, 110, 0},
};
static_assert(std::size(kChannels) == kChannelCount);

} // namespace

const ChannelInfo& channelInfo(Channel channel)
{
    return kChannels[static_cast<std::size_t>(channel)];
}

std::span<const ChannelInfo> allChannels()
{
    return kChannels;
}

std::optional<Channel> channelFromKey(const std::string& key)
{
    for (const ChannelInfo& info : kChannels) {
        if (key == info.key)
            return info.channel;
    }
    return std::nullopt;
}

double decodeChannel(Channel channel, std::span<const std::uint8_t> raw)
{
    const ChannelInfo& info = channelInfo(channel);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < info.registerCount && i < raw.size(); ++i)
        value = (value << 8) | raw[i];
    return info.offset + info.scale * static_cast<double>(value);
}

Bytes encodeChannel(Channel channel, double value)
{
    const ChannelInfo& info = channelInfo(channel);
    const double limit = info.registerCount == 2 ? 65535.0 : 255.0;
    const double raw = std::clamp(std::round((value - info.offset) / info.scale), 0.0, limit);
    const auto n = static_cast<std::uint32_t>(raw);
    if (info.registerCount == 2)
        return {static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)};
    return {static_cast<std::uint8_t>(n)};
}

StreamLayout::StreamLayout(std::vector<Channel> channels, std::vector<MemoryChannel> memory)
    : channels_(std::move(channels)), memory_(std::move(memory))
{}

std::vector<std::uint8_t> StreamLayout::registers() const
{
    std::vector<std::uint8_t> out;
    for (Channel c : channels_) {
        const ChannelInfo& info = channelInfo(c);
        for (std::size_t i = 0; i < info.registerCount; ++i)
            out.push_back(static_cast<std::uint8_t>(info.firstRegister + i));
    }
    return out;
}

std::size_t StreamLayout::frameLength() const
{
    return registers().size() + memory_.size();
}

bool StreamLayout::fits() const
{
    const std::size_t n = frameLength();
    return n >= 1 && n <= kMaxFrameData;
}

std::optional<Command> StreamLayout::command() const
{
    std::vector<MemoryAddress> addresses;
    for (const MemoryChannel& m : memory_)
        addresses.push_back(m.address);
    return streamCommand(registers(), addresses);
}

std::optional<std::vector<double>> StreamLayout::decode(std::span<const std::uint8_t> frame) const
{
    if (frame.size() != frameLength())
        return std::nullopt;
    std::vector<double> values;
    values.reserve(channels_.size() + memory_.size());
    std::size_t at = 0;
    for (Channel c : channels_) {
        const std::size_t n = channelInfo(c).registerCount;
        values.push_back(decodeChannel(c, frame.subspan(at, n)));
        at += n;
    }
    for (std::size_t i = 0; i < memory_.size(); ++i)
        values.push_back(frame[at + i]);
    return values;
}

std::vector<StreamLayout::Column> StreamLayout::columns() const
{
    std::vector<Column> out;
    for (Channel c : channels_) {
        const ChannelInfo& info = channelInfo(c);
        out.push_back({info.name, info.unit, info.decimals});
    }
    for (const MemoryChannel& m : memory_)
        out.push_back({m.name, m.unit, 0});
    return out;
}

std::optional<std::size_t> StreamLayout::columnOf(Channel channel) const
{
    const auto it = std::find(channels_.begin(), channels_.end(), channel);
    if (it == channels_.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - channels_.begin());
}

std::optional<std::size_t> StreamLayout::columnOf(const std::string& memoryName) const
{
    for (std::size_t i = 0; i < memory_.size(); ++i) {
        if (memory_[i].name == memoryName)
            return channels_.size() + i;
    }
    return std::nullopt;
}

StreamLayout standardLayout(std::optional<MemoryAddress> tpAddress)
{
    std::vector<Channel> channels;
    for (const ChannelInfo& info : kChannels)
        channels.push_back(info.channel);
    std::vector<MemoryChannel> memory;
    if (tpAddress)
        memory.push_back({*tpAddress, kTpName, ""});
    return StreamLayout(std::move(channels), std::move(memory));
}

std::optional<MemoryAddress> tpAddressFromDefinition(const std::string& definitionPath)
{
    // [consult] tpram: where the ECU keeps the map's load value (TP) in its memory. Optional: a
    // definition without it still streams, and the trace then follows the RPM row only.
    const std::string text = common::IniText::read(definitionPath).setting("consult", "tpram");
    if (text == common::clsIniFile::kUnknownValue || text == common::clsIniFile::kEmptyValue ||
        !common::startsWithNumber(text))
        return std::nullopt;
    const double value = common::readNumber(text);
    if (!(value >= 0 && value <= 0xFFFF))
        return std::nullopt;
    return static_cast<MemoryAddress>(value);
}

} // namespace consult
