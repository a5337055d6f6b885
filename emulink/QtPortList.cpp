// systemPorts() where Qt Serial Port lists the ports (Linux and other systems; Windows has its own
// listing in WinPortList.cpp).
#include "PortList.h"

#include <QSerialPortInfo>

namespace emulink {

std::vector<PortDescription> systemPorts()
{
    std::vector<PortDescription> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortDescription port;
#ifdef Q_OS_WIN
        port.device = info.portName();
#else
        port.device = info.systemLocation();
#endif
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        port.usb = info.hasVendorIdentifier();
        ports.push_back(std::move(port));
    }
    return ports;
}

} // namespace emulink
