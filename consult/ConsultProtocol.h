// The rules of the ECU's diagnostic line, as plain functions: the command bytes, what the ECU echoes
// for them, and the fault-code and part-number replies. No I/O, no Qt.
//
// The line runs at 9600 baud, 8N1. Every command byte comes back bit-inverted (0x5A -> 0xA5); the
// parameter bytes after it come back unchanged. The ECU's data replies are frames: 0xFF, a length
// byte, then that many data bytes (FrameReader reads them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace consult {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::int32_t kBaud = 9600;
// Ten bits a byte (start, eight data, stop) at 9600 baud: 1041.7 us, rounded up.
inline constexpr std::int64_t kByteTimeNs = 1041667;

inline constexpr std::uint8_t kInit[] = {0xFF, 0xFF, 0xEF};
inline constexpr std::uint8_t kInitReply = 0x10;
inline constexpr std::uint8_t kCmdRegister = 0x5A; // 5A <register>
inline constexpr std::uint8_t kCmdMemory = 0xC9;   // C9 <high> <low>
inline constexpr std::uint8_t kCmdGo = 0xF0;       // ends a request; the ECU starts sending frames
inline constexpr std::uint8_t kCmdStop = 0x30;     // the ECU ends its frame and answers kStopReply
inline constexpr std::uint8_t kStopReply = 0xCF;
inline constexpr std::uint8_t kCmdFaultRead = 0xD1;
inline constexpr std::uint8_t kCmdFaultClear = 0xC1;
inline constexpr std::uint8_t kCmdPartNumber = 0xD0;
inline constexpr std::uint8_t kFrameStart = 0xFF;
// Most data bytes one stream frame holds.
inline constexpr std::size_t kMaxFrameData = 20;

// A request: the bytes sent, and the echo that must come back before anything else. The closing
// kCmdGo is sent but not echoed: the ECU answers it with frames.
struct Command
{
    Bytes bytes;
    Bytes echo;
};

// What the ECU echoes for a command byte.
constexpr std::uint8_t echoOf(std::uint8_t command)
{
    return static_cast<std::uint8_t>(~command);
}

// A byte of ECU memory to stream, by its 16-bit address.
using MemoryAddress = std::uint16_t;

// 5A r ... C9 hi lo ... F0 for the registers and memory bytes, in that order. Nothing when the frame
// would hold no byte or more than kMaxFrameData.
std::optional<Command> streamCommand(std::span<const std::uint8_t> registers,
                                     std::span<const MemoryAddress> memory);
// D1 F0: the stored fault codes.
Command faultReadCommand();
// C1 F0: clears the stored fault codes.
Command faultClearCommand();
// D0 F0: the ECU part number.
Command partNumberCommand();

// How far a received echo agrees with the one expected.
enum class EchoCheck {
    Incomplete, // every byte so far agrees; more are due
    Complete,   // the whole echo arrived and agrees (bytes after it are not looked at)
    Wrong,      // a byte differs
};
EchoCheck checkEcho(std::span<const std::uint8_t> expected, std::span<const std::uint8_t> received);

// One stored fault: its code and the engine starts since it was last seen.
struct FaultCode
{
    std::uint8_t code = 0;
    std::uint8_t startsSinceSeen = 0;
    bool operator==(const FaultCode&) const = default;
};
// The pairs of a fault-code frame (none: no faults stored); nothing for an odd length.
std::optional<std::vector<FaultCode>> decodeFaultCodes(std::span<const std::uint8_t> data);

// The part number as text: the bytes as they are when all are printable ASCII, else upper-case hex
// pairs separated by blanks.
std::string decodePartNumber(std::span<const std::uint8_t> data);

} // namespace consult
