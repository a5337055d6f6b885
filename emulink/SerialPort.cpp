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

QString openFailureAdvice(OpenFailure failure, const QString& portName, const QString& systemText,
                          bool dialoutAdvice)
{
    // An empty name comes from a port number with no port behind it.
    const QString port = portName.isEmpty() ? QString() : QStringLiteral(" ") + portName;
    switch (failure) {
    case OpenFailure::None:
        return {};
    case OpenFailure::PermissionDenied: {
        const QString denied = portName.isEmpty() ? QStringLiteral("Permission denied")
                                                  : QStringLiteral("Permission denied on ") + portName;
        if (dialoutAdvice)
            return denied + QStringLiteral(" - add your user to the dialout group, then log in again");
        return denied;
    }
    case OpenFailure::NoSuchPort:
        return QStringLiteral("No such port") + port +
               QStringLiteral(" - check the cable and the port number");
    case OpenFailure::InUse:
        return QStringLiteral("Port") + port +
               QStringLiteral(" is in use by another program - close it and try again");
    case OpenFailure::Other:
        break;
    }
    if (systemText.isEmpty())
        return QStringLiteral("Cannot open") + port;
    return QStringLiteral("Cannot open") + port + QStringLiteral(" - ") + systemText;
}

QString openFailureAdvice(const SerialPort& port)
{
    return openFailureAdvice(port.openFailure(), port.name(), port.errorText());
}

} // namespace emulink
