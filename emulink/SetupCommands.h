// The setup tool's exchanges: the version probe with its fixed 50 ms wait and the two configuration
// frames with their fixed 1-second wait. They need only a port and a clock (no link state), and
// discard both buffers before sending, as every exchange does. Waits go through the clock (the window
// keeps painting, user input waits). Nothing here judges a reply.
#pragma once

#include "Clock.h"
#include "Frames.h"
#include "SerialPort.h"

#include <chrono>
#include <cstdint>

namespace emulink {

inline constexpr std::chrono::milliseconds kSetupProbeWait{50};
inline constexpr std::chrono::seconds kConfigWait{1};

// Version request to `id`, a fixed 50 ms, then everything waiting (empty when nothing came).
Bytes setupVersionProbe(SerialPort& port, Clock& clock, std::uint8_t id);

// Sends a configuration frame, waits a fixed second, returns everything waiting.
Bytes configurationCommand(SerialPort& port, Clock& clock, const Bytes& frame);

// The two configuration commands by their meaning (setEmulatorIdFrame / setPullFrame).
Bytes setEmulatorId(SerialPort& port, Clock& clock, std::uint8_t newId);
Bytes setPull(SerialPort& port, Clock& clock, std::uint8_t value);

} // namespace emulink
