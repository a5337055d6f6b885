#include "SerialPort.h"

namespace emulink {

const char* commsEventName(CommsEvent event)
{
    switch (event) {
    case CommsEvent::Break:
        return "break";
    case CommsEvent::FramingError:
        return "framing error";
    case CommsEvent::Overrun:
        return "port overrun";
    case CommsEvent::ReceiveOverflow:
        return "receive buffer overflow";
    case CommsEvent::ParityError:
        return "parity error";
    case CommsEvent::TransmitFull:
        return "transmit buffer full";
    case CommsEvent::SettingsError:
        return "error reading the port settings";
    case CommsEvent::HangUp:
        return "hang-up";
    case CommsEvent::WriteFailed:
        return "write failed";
    }
    return "unknown";
}

SerialPort::SerialPort(QObject* parent) : QObject(parent) {}

SerialPort::~SerialPort() = default;

bool openPowered(SerialPort& port, const QString& name)
{
    closeDropped(port);
    if (!port.open(name))
        return false;
    port.setDtr(true);
    port.setRts(true);
    port.discardBuffers();
    if (!port.isOpen()) {
        // A line event during the set-up may have closed it; leave it closed and dropped.
        closeDropped(port);
        return false;
    }
    return true;
}

void closeDropped(SerialPort& port)
{
    if (!port.isOpen())
        return;
    port.setDtr(false);
    port.setRts(false);
    port.close();
}

} // namespace emulink
