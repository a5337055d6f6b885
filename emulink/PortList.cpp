#include "PortList.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace emulink {

namespace {

// The end of the run of digits that starts at `from`.
qsizetype digitsEnd(const QString& text, qsizetype from)
{
    while (from < text.size() && text[from].isDigit())
        ++from;
    return from;
}

// Name order with numbers compared by value: ttyS2 before ttyS10, COM3 before COM12.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype endA = digitsEnd(a, i);
            const qsizetype endB = digitsEnd(b, j);
            // Leading zeros do not make a number larger.
            while (i + 1 < endA && a[i] == u'0')
                ++i;
            while (j + 1 < endB && b[j] == u'0')
                ++j;
            const auto digitsA = QStringView(a).mid(i, endA - i);
            const auto digitsB = QStringView(b).mid(j, endB - j);
            if (digitsA.size() != digitsB.size())
                return digitsA.size() < digitsB.size();
            if (const int order = digitsA.compare(digitsB); order != 0)
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

// Description, manufacturer and (when asked) serial number, as far as they say something new.
QStringList knownDetails(const PortDescription& port, bool withSerialNumber)
{
    const QString device = port.device.trimmed();
    const QString description = port.description.trimmed();
    const QString manufacturer = port.manufacturer.trimmed();
    const QString serialNumber = port.serialNumber.trimmed();
    QStringList parts;
    // Some systems give the port's own name as its description.
    const bool describesItself = description.compare(device, Qt::CaseInsensitive) == 0 ||
                                 description.compare(device.section(u'/', -1), Qt::CaseInsensitive) == 0;
    if (!description.isEmpty() && !describesItself)
        parts << description;
    if (!manufacturer.isEmpty() && !description.contains(manufacturer, Qt::CaseInsensitive))
        parts << manufacturer;
    if (withSerialNumber && !serialNumber.isEmpty())
        parts << QStringLiteral("serial number ") + serialNumber;
    return parts;
}

// Windows port names ignore case ("com7" is COM7); device paths elsewhere do not.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;
#endif

// "\\.\COM12" and "COM12" name the same Windows port.
QString withoutDevicePrefix(const QString& name)
{
    static const QString prefix = QStringLiteral("\\\\.\\");
    return name.startsWith(prefix) ? name.mid(prefix.size()) : name;
}

} // namespace

std::vector<PortDescription> sortedForList(std::vector<PortDescription> ports)
{
    std::stable_sort(ports.begin(), ports.end(), [](const PortDescription& a, const PortDescription& b) {
        if (a.usb != b.usb)
            return a.usb;
        return naturalLess(a.device, b.device);
    });
    return ports;
}

QString portListEntry(const PortDescription& port)
{
    QStringList parts{port.device.trimmed()};
    if (port.usb)
        parts << QStringLiteral("USB serial");
    parts << knownDetails(port, true);
    return parts.join(QStringLiteral(" - "));
}

bool portExists(const QString& name, const std::vector<PortDescription>& ports,
                const std::function<bool(const QString&)>& deviceExists)
{
    const QString wanted = withoutDevicePrefix(name.trimmed());
    if (wanted.isEmpty())
        return false;
    const auto listed = std::any_of(ports.begin(), ports.end(), [&](const PortDescription& port) {
        return withoutDevicePrefix(port.device).compare(wanted, kNameCase) == 0;
    });
    return listed || (deviceExists && deviceExists(wanted));
}

bool deviceFileExists(const QString& name)
{
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return false;
#else
    return QFileInfo::exists(name);
#endif
}

std::optional<PortDescription> suggestedAdapter(const QString& boxText, const QString& resolvedName,
                                                const std::vector<PortDescription>& ports,
                                                const std::function<bool(const QString&)>& deviceExists)
{
    const auto adapters =
        std::count_if(ports.begin(), ports.end(), [](const PortDescription& port) { return port.usb; });
    if (adapters != 1)
        return std::nullopt;
    if (!boxText.trimmed().isEmpty() && portExists(resolvedName, ports, deviceExists))
        return std::nullopt;
    return *std::find_if(ports.begin(), ports.end(), [](const PortDescription& port) { return port.usb; });
}

QString adapterSuggestionLine(const PortDescription& adapter)
{
    const QStringList details = knownDetails(adapter, false);
    const QString named = details.isEmpty() ? adapter.device.trimmed()
                                            : adapter.device.trimmed() + QStringLiteral(" (") +
                                                  details.join(QStringLiteral(", ")) + QStringLiteral(")");
    return QStringLiteral("One USB serial adapter is connected: ") + named +
           QStringLiteral(" - choose it in the serial port list beside the port box");
}

} // namespace emulink
