#include "ConsultProtocol.h"

#include <algorithm>
#include <cctype>

namespace consult {

namespace {

// One command byte with its parameters: the command comes back inverted, the parameters unchanged.
void append(Command& command, std::uint8_t code, std::initializer_list<std::uint8_t> parameters)
{
    command.bytes.push_back(code);
    command.echo.push_back(echoOf(code));
    for (std::uint8_t p : parameters) {
        command.bytes.push_back(p);
        command.echo.push_back(p);
    }
}

Command single(std::uint8_t code)
{
    Command command;
    append(command, code, {});
    command.bytes.push_back(kCmdGo);
    return command;
}

} // namespace

std::optional<Command> streamCommand(std::span<const std::uint8_t> registers,
                                     std::span<const MemoryAddress> memory)
{
    const std::size_t count = registers.size() + memory.size();
    if (count == 0 || count > kMaxFrameData)
        return std::nullopt;
    Command command;
    for (std::uint8_t r : registers)
        append(command, kCmdRegister, {r});
    for (MemoryAddress a : memory)
        append(command, kCmdMemory, {static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF)});
    command.bytes.push_back(kCmdGo);
    return command;
}

Command faultReadCommand()
{
    return single(kCmdFaultRead);
}

Command faultClearCommand()
{
    return single(kCmdFaultClear);
}

Command partNumberCommand()
{
    return single(kCmdPartNumber);
}

EchoCheck checkEcho(std::span<const std::uint8_t> expected, std::span<const std::uint8_t> received)
{
    const std::size_t n = std::min(expected.size(), received.size());
    if (!std::equal(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(n), received.begin()))
        return EchoCheck::Wrong;
    return received.size() >= expected.size() ? EchoCheck::Complete : EchoCheck::Incomplete;
}

std::optional<std::vector<FaultCode>> decodeFaultCodes(std::span<const std::uint8_t> data)
{
    if (data.size() % 2 != 0)
        return std::nullopt;
    std::vector<FaultCode> codes;
    for (std::size_t i = 0; i < data.size(); i += 2)
        codes.push_back({data[i], data[i + 1]});
    return codes;
}

std::string decodePartNumber(std::span<const std::uint8_t> data)
{
    const bool printable =
        std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b >= 0x20 && b < 0x7F; });
    if (printable)
        return std::string(data.begin(), data.end());
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : data) {
        if (!text.empty())
            text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

} // namespace consult
