#include "vantrell/link/EmulatorLink.h"

namespace vantrell {

// Passes the operations' events on as the link's signals, and the notices to the status lines.
class EmulatorLink::Relay : public emulink::LinkEvents
{
  public:
    explicit Relay(EmulatorLink& link) : link_(link) {}

    void onlineChanged(bool online) override { emit link_.onlineChanged(online); }
    void wentOffline() override { emit link_.wentOffline(); }
    void capacityChanged(std::uint32_t capacity) override { emit link_.capacityChanged(capacity); }
    void foundCountChanged(int count) override { emit link_.foundCountChanged(count); }
    void scanStarted() override { emit link_.scanStarted(); }
    void scanProgress(int value) override { emit link_.scanProgress(value); }
    void notice(emulink::Notice notice) override { link_.say({noticeLine(notice)}); }
    void heldWritesSent(const emulink::WriteReport& report) override { link_.say(writeThroughLines(report)); }

  private:
    EmulatorLink& link_;
};

EmulatorLink::EmulatorLink(emulink::SerialPort& port, emulink::Clock& clock, common::StatusSink& status,
                           QObject* parent)
    : QObject(parent), status_(status), channel_(port, clock), relay_(std::make_unique<Relay>(*this)),
      operations_(session_, channel_, *relay_)
{
    connect(&port, &emulink::SerialPort::commsError, this, &EmulatorLink::onCommsError);
    connect(&port, &emulink::SerialPort::portAdvice, this,
            [this](const QString& text) { status_.appendStatusLine(text.toStdString()); });
}

EmulatorLink::~EmulatorLink() = default;

void EmulatorLink::setFoundEmulators(std::array<std::uint8_t, 2> ids, int count)
{
    operations_.setFoundBoards(ids, count);
}

void EmulatorLink::setRomSize(std::uint32_t romSize)
{
    say(dropLines(operations_.setRomSize(romSize)));
}

bool EmulatorLink::openPort()
{
    return operations_.openPort();
}

void EmulatorLink::closePort()
{
    operations_.closePort();
}

bool EmulatorLink::isPortOpen() const
{
    return operations_.isPortOpen();
}

emulink::Bytes EmulatorLink::versionProbe(std::uint8_t id)
{
    return operations_.probeVersion(id);
}

int EmulatorLink::scan()
{
    const emulink::ScanResult result = operations_.scan();
    say(scanLines(result));
    return result.count();
}

void EmulatorLink::toggleOnline()
{
    if (isOnline())
        goOffline();
    else
        goOnline();
}

bool EmulatorLink::goOnline()
{
    say(onlineLines(operations_.goOnline()));
    return isOnline();
}

void EmulatorLink::goOffline()
{
    operations_.goOffline();
}

emulink::WriteThroughResult EmulatorLink::write(std::span<const emulink::WriteRange> ranges)
{
    const emulink::WriteReport report = operations_.write(ranges);
    say(writeThroughLines(report));
    return report.result;
}

emulink::WriteThroughResult EmulatorLink::writeThrough(std::uint32_t romAddress,
                                                       std::span<const std::uint8_t> bytes)
{
    const emulink::WriteRange range{romAddress, bytes};
    return write(std::span(&range, 1));
}

emulink::UploadResult EmulatorLink::upload(std::span<const std::uint8_t> rom,
                                           const std::function<void(int chunk, int chunkCount)>& progress)
{
    const emulink::UploadResult result = operations_.upload(rom, progress);
    say(uploadLines(result));
    return result;
}

emulink::RangeRead EmulatorLink::readRange(std::uint8_t id, std::uint32_t romAddress, std::size_t length,
                                           const std::function<void(int block, int blockCount)>& progress)
{
    emulink::RangeRead read = operations_.readRange(id, romAddress, length, progress);
    say(rangeReadLines(read));
    return read;
}

emulink::BlockWrite EmulatorLink::writeBlock(std::uint8_t id, std::uint32_t romAddress,
                                             std::span<const std::uint8_t> block)
{
    const emulink::BlockWrite write = operations_.writeBlock(id, romAddress, block);
    say(blockWriteLines(write));
    return write;
}

std::optional<emulink::Bytes> EmulatorLink::readBlock(std::uint8_t id, std::uint32_t romAddress)
{
    emulink::RangeRead read = readRange(id, romAddress, emulink::kChunkSize);
    if (!read.complete)
        return std::nullopt;
    return std::move(read.bytes);
}

void EmulatorLink::onCommsError(emulink::CommsEvent /*event*/)
{
    operations_.goOffline();
    say(lineEventLines());
}

void EmulatorLink::say(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        status_.appendStatusLine(line);
}

} // namespace vantrell
