#include "SetupCommands.h"

namespace emulink {

namespace {

Bytes sendAndCollect(SerialPort& port, Clock& clock, const Bytes& frame, Clock::Duration wait)
{
    port.discardBuffers();
    port.write(frame);
    // A fixed wait: whatever arrives within it is the reply.
    clock.pause(wait);
    return port.readAll();
}

} // namespace

Bytes setupVersionProbe(SerialPort& port, Clock& clock, std::uint8_t id)
{
    return sendAndCollect(port, clock, versionRequest(id), kSetupProbeWait);
}

Bytes configurationCommand(SerialPort& port, Clock& clock, const Bytes& frame)
{
    return sendAndCollect(port, clock, frame, kConfigWait);
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
