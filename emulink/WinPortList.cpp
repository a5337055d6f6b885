// systemPorts() on Windows: the serial device map of the registry (every COM port the drivers have
// made, built-in, USB or virtual), described by the device installer's records where it has them
// (friendly name, manufacturer, and whether the port sits on USB).
#include "PortList.h"

#include <QHash>

#include <windows.h>

// The device class GUIDs are defined here rather than taken from a library.
#include <initguid.h>

#include <devguid.h>
#include <setupapi.h>

namespace emulink {

namespace {

struct DeviceRecord
{
    QString friendlyName;
    QString manufacturer;
    QString serialNumber;
    bool usb = false;
};

QString registryString(HKEY key, const wchar_t* value)
{
    wchar_t buffer[512];
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    buffer[size / sizeof(wchar_t)] = L'\0';
    return QString::fromWCharArray(buffer);
}

QString deviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property)
{
    wchar_t buffer[512];
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type, reinterpret_cast<BYTE*>(buffer),
                                           sizeof(buffer) - sizeof(wchar_t), nullptr))
        return {};
    buffer[std::size(buffer) - 1] = L'\0';
    return QString::fromWCharArray(buffer); // a multi-string gives its first entry
}

// The device installer's record of each port, by COM name (upper case).
QHash<QString, DeviceRecord> deviceRecords()
{
    QHash<QString, DeviceRecord> records;
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return records;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        const QString portName = registryString(key, L"PortName").toUpper();
        RegCloseKey(key);
        if (portName.isEmpty())
            continue;
        DeviceRecord record;
        record.friendlyName = deviceProperty(devices, device, SPDRP_FRIENDLYNAME);
        record.manufacturer = deviceProperty(devices, device, SPDRP_MFG);
        const QString hardwareId = deviceProperty(devices, device, SPDRP_HARDWAREID);
        // USB\VID_0403&PID_6001 (the adapter itself) or FTDIBUS\VID_0403+PID_6001+A50285BIA (a bus
        // driver of the adapter's vendor): both name a USB vendor.
        record.usb = hardwareId.contains(QStringLiteral("VID_"), Qt::CaseInsensitive);
        wchar_t instance[512];
        if (SetupDiGetDeviceInstanceIdW(devices, &device, instance, static_cast<DWORD>(std::size(instance)),
                                        nullptr)) {
            // USB\VID_0403&PID_6001\A50285BI: the last part is the adapter's serial number, unless
            // Windows made one up (it then holds '&').
            const QString id = QString::fromWCharArray(instance);
            const QString last = id.section(u'\\', -1);
            if (id.startsWith(QStringLiteral("USB\\"), Qt::CaseInsensitive) && !last.contains(u'&'))
                record.serialNumber = last;
        }
        records.insert(portName, record);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return records;
}

// Drivers whose device names give a USB adapter away when the installer has no record of the port.
bool usbDriverName(const QString& device)
{
    static const char* const kinds[] = {"USBSER", "VCP", "SILABSER", "PROLIFIC", "CH341", "CH9102", "FTDI"};
    for (const char* kind : kinds) {
        if (device.contains(QLatin1String(kind), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

std::vector<PortDescription> systemPorts()
{
    std::vector<PortDescription> ports;
    HKEY map = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) !=
        ERROR_SUCCESS)
        return ports;
    const QHash<QString, DeviceRecord> records = deviceRecords();
    // Values: the driver's device name ("\Device\VCP0") = the port's name ("COM7").
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD nameLength = static_cast<DWORD>(std::size(valueName));
        wchar_t data[256];
        DWORD dataSize = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(map, i, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataSize / sizeof(wchar_t)] = L'\0';
        PortDescription port;
        port.device = QString::fromWCharArray(data).trimmed();
        if (port.device.isEmpty())
            continue;
        const QString driverDevice = QString::fromWCharArray(valueName, static_cast<qsizetype>(nameLength));
        const auto record = records.constFind(port.device.toUpper());
        if (record != records.constEnd()) {
            // "USB Serial Port (COM7)": the port's own name in brackets says nothing new.
            QString description = record->friendlyName;
            const QString suffix = QStringLiteral(" (") + port.device + u')';
            if (description.endsWith(suffix, Qt::CaseInsensitive))
                description.chop(suffix.size());
            port.description = description;
            port.manufacturer = record->manufacturer;
            port.serialNumber = record->serialNumber;
            port.usb = record->usb;
        } else {
            port.usb = usbDriverName(driverDevice);
        }
        ports.push_back(std::move(port));
    }
    RegCloseKey(map);
    return ports;
}

} // namespace emulink
