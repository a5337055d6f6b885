#include "SetupCommands.h"

#include "BoardChannel.h"

namespace emulink {

Bytes setupVersionProbe(SerialPort& port, Clock& clock, std::uint8_t id)
{
    return BoardChannel(port, clock).collect(versionRequest(id), kSetupProbeWait);
}

Bytes configurationCommand(SerialPort& port, Clock& clock, const Bytes& frame)
{
    return BoardChannel(port, clock).collect(frame, kConfigWait);
}

Bytes setEmulatorId(SerialPort& port, Clock& clock, std::uint8_t newId)
{
    return configurationCommand(port, clock, setEmulatorIdFrame(newId));
}

Bytes setPull(SerialPort& port, Clock& clock, std::uint8_t value)
{
    return configurationCommand(port, clock, setPullFrame(value));
}

} // namespace emulink
