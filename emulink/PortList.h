// The serial ports the system has now, as the port lists of the editor and the setup tool show them, and
// the rule by which the windows point the user at a lone USB serial adapter. The listing comes from
// QSerialPortInfo (QtPortList.cpp), on Windows from the registry (WinPortList.cpp); everything else
// here is a plain function of PortDescription values.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace emulink {

// One port as the system describes it. Fields the system does not know are empty.
struct PortDescription
{
    QString device;       // what goes into the port box: "COM7" on Windows, "/dev/ttyUSB0" elsewhere
    QString description;  // e.g. "FT232R USB UART"
    QString manufacturer; // e.g. "FTDI"
    QString serialNumber;
    bool usb = false; // a USB serial adapter: the system knows its USB vendor

    bool operator==(const PortDescription&) const = default;
};

// The ports the system lists now, in its own order. Pseudo-terminals are not listed.
std::vector<PortDescription> systemPorts();

// USB serial adapters first, then the others; each group by device name with numbers in numeric order
// (ttyS2 before ttyS10).
std::vector<PortDescription> sortedForList(std::vector<PortDescription> ports);

// The text of a port's entry in the list: the device name, then what else is known, e.g.
// "/dev/ttyUSB0 - USB serial - FT232R USB UART - FTDI - serial number A50285BI". A description that
// merely repeats the device name, and a manufacturer already named in the description, are left out.
QString portListEntry(const PortDescription& port);

// Whether `name` names a device that exists now: one of `ports` (by device name; "\\.\COM7" is COM7,
// and on Windows case does not count),
// or for which `deviceExists` says so (a pseudo-terminal is never listed but has a device file).
bool portExists(const QString& name, const std::vector<PortDescription>& ports,
                const std::function<bool(const QString&)>& deviceExists);

// The device file check that portExists uses on this system: the file exists (Windows: never, its port
// names are no file paths).
bool deviceFileExists(const QString& name);

// The adapter to suggest: when exactly one of `ports` is a USB serial adapter and the port box is empty
// (blanks only) or names a port that does not exist (`resolvedName`, the box as resolvePortName turns it
// into a name, is empty or fails portExists). Nothing otherwise.
std::optional<PortDescription> suggestedAdapter(const QString& boxText, const QString& resolvedName,
                                                const std::vector<PortDescription>& ports,
                                                const std::function<bool(const QString&)>& deviceExists);

// The status line of the suggestion: "One USB serial adapter is connected: /dev/ttyUSB0 (FT232R USB
// UART, FTDI) - choose it in the serial port list beside the port box".
QString adapterSuggestionLine(const PortDescription& adapter);

} // namespace emulink
