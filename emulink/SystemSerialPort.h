// The serial port of this system, for the programs and the tests that open real lines: QtSerialPort
// (Qt Serial Port) on Linux and other systems, WinSerialPort (the Win32 communications API) on
// Windows. Callers name SystemSerialPort or call makeSystemSerialPort() and never choose themselves.
#pragma once

#include "SerialPort.h"

#include <memory>

#ifdef Q_OS_WIN
#include "WinSerialPort.h"
#else
#include "QtSerialPort.h"
#endif

namespace emulink {

#ifdef Q_OS_WIN
using SystemSerialPort = WinSerialPort;
#else
using SystemSerialPort = QtSerialPort;
#endif

// A closed port of this system's kind.
std::unique_ptr<SerialPort> makeSystemSerialPort(QObject* parent = nullptr);

} // namespace emulink
