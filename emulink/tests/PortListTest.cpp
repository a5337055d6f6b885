#include "LatencyControl.h"
#include "PortList.h"

#include <QSet>

#include <gtest/gtest.h>

namespace emulink {
namespace {

PortDescription usbPort(const char* device, const char* description = "", const char* manufacturer = "",
                        const char* serialNumber = "")
{
    return {QString::fromUtf8(device), QString::fromUtf8(description), QString::fromUtf8(manufacturer),
            QString::fromUtf8(serialNumber), true};
}

PortDescription plainPort(const char* device, const char* description = "")
{
    return {QString::fromUtf8(device), QString::fromUtf8(description), {}, {}, false};
}

TEST(PortList, EntryNamesTheDeviceThenWhatElseIsKnown)
{
    const struct
    {
        PortDescription port;
        const char* entry;
    } cases[] = {
        {usbPort("/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI"),
         "/dev/ttyUSB0 - USB serial - FT232R USB UART - FTDI - serial number A50285BI"},
        // A manufacturer already in the description is not repeated, whatever its case.
        {usbPort("COM7", "FTDI USB Serial Port", "ftdi"), "COM7 - USB serial - FTDI USB Serial Port"},
        // Some systems describe a port by its own name.
        {usbPort("/dev/ttyACM0", "ttyACM0", "Arduino"), "/dev/ttyACM0 - USB serial - Arduino"},
        {plainPort("COM1", "com1"), "COM1"},
        {usbPort("/dev/ttyUSB1", "  ", " QinHeng ", " 42 "),
         "/dev/ttyUSB1 - USB serial - QinHeng - serial number 42"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portListEntry(c.port), QString::fromUtf8(c.entry)) << c.entry;
}

TEST(PortList, AdaptersComeFirstAndNumbersSortByValue)
{
    const std::vector<PortDescription> listed = sortedForList({
        plainPort("/dev/ttyS10"),
        usbPort("/dev/ttyUSB10"),
        plainPort("/dev/ttyS2"),
        usbPort("/dev/ttyUSB9"),
        plainPort("/dev/ttyS02a"),
        plainPort("COM3"),
    });
    QStringList order;
    for (const PortDescription& port : listed)
        order << port.device;
    EXPECT_EQ(order, (QStringList{"/dev/ttyUSB9", "/dev/ttyUSB10", "/dev/ttyS2", "/dev/ttyS02a",
                                  "/dev/ttyS10", "COM3"}));
}

TEST(PortList, SuggestsTheOnlyAdapterWhenTheBoxNamesNoPortThatExists)
{
    const std::vector<PortDescription> oneAdapter{plainPort("/dev/ttyS0"), usbPort("/dev/ttyUSB0", "CP2102")};
    const std::vector<PortDescription> twoAdapters{usbPort("/dev/ttyUSB0"), usbPort("/dev/ttyUSB1")};
    const std::vector<PortDescription> noAdapter{plainPort("/dev/ttyS0"), plainPort("COM1")};
    const std::vector<PortDescription> windowsAdapter{plainPort("COM1"), usbPort("COM7")};
    // Device files that exist without being listed: a pseudo-terminal.
    const QSet<QString> files{"/dev/pts/4"};
    const auto fileExists = [&](const QString& name) { return files.contains(name); };

    const struct
    {
        const char* boxText;
        const char* resolvedName;
        const std::vector<PortDescription>& ports;
        const char* suggested; // "" for none
    } cases[] = {
        {"", "", oneAdapter, "/dev/ttyUSB0"},
        {"3", "", oneAdapter, "/dev/ttyUSB0"}, // a number with no port behind it
        {"/dev/ttyUSB3", "/dev/ttyUSB3", oneAdapter, "/dev/ttyUSB0"},
        {"1", "/dev/ttyS0", oneAdapter, ""},
        {"/dev/ttyUSB0", "/dev/ttyUSB0", oneAdapter, ""},
        {"/dev/pts/4", "/dev/pts/4", oneAdapter, ""},
        {"", "", twoAdapters, ""},
        {"", "", noAdapter, ""},
        {"COM9", "COM9", windowsAdapter, "COM7"},
        {R"(\\.\COM1)", R"(\\.\COM1)", windowsAdapter, ""},
    };
    for (const auto& c : cases) {
        const auto adapter = suggestedAdapter(QString::fromUtf8(c.boxText), QString::fromUtf8(c.resolvedName),
                                              c.ports, fileExists);
        EXPECT_EQ(adapter ? adapter->device : QString(), QString::fromUtf8(c.suggested))
            << "box '" << c.boxText << "'";
    }
}

TEST(PortList, SuggestionLineNamesTheAdapterAndWhereToChooseIt)
{
    EXPECT_EQ(adapterSuggestionLine(usbPort("/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A5")),
              "One USB serial adapter is connected: /dev/ttyUSB0 (FT232R USB UART, FTDI) - choose it in the "
              "serial port list beside the port box");
}

TEST(LatencyAdvice, OnlyAnAdapterThatKeepsItsDelayIsReportedWithWhereTheSettingIs)
{
    using Answer = LatencyControl::Answer;
    const struct
    {
        Answer answer;
        const char* device;
        Platform platform;
        const char* named; // a part of the advice; nullptr for none
    } cases[] = {
        {Answer::Lowered, "/dev/ttyUSB0", Platform::Linux, nullptr},
        {Answer::NotTaken, "/dev/pts/3", Platform::Linux, nullptr},
        {Answer::NotLowered, "/dev/ttyUSB1", Platform::Linux,
         "(Operation not permitted): replies may wait up to 16 ms - to set it by hand: echo 1 | sudo tee "
         "/sys/bus/usb-serial/devices/ttyUSB1/latency_timer"},
        {Answer::NotLowered, "COM7", Platform::Windows, "set its Latency Timer to 1 in Device Manager"},
        {Answer::NotLowered, "/dev/cu.usbserial-A5", Platform::MacOS, "in the adapter driver's settings"},
    };
    for (const auto& c : cases) {
        const QString advice = lowLatencyAdvice({c.answer, QStringLiteral("Operation not permitted")},
                                                QString::fromUtf8(c.device), c.platform);
        if (c.named == nullptr)
            EXPECT_TRUE(advice.isEmpty()) << c.device;
        else
            EXPECT_TRUE(advice.contains(QString::fromUtf8(c.device)) &&
                        advice.contains(QString::fromUtf8(c.named)))
                << advice.toStdString();
    }
}

} // namespace
} // namespace emulink
