#include "SystemSerialPort.h"

namespace emulink {

std::unique_ptr<SerialPort> makeSystemSerialPort(QObject* parent)
{
    return std::make_unique<SystemSerialPort>(parent);
}

} // namespace emulink
