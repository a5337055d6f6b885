#include "EmulatorLink.h"

#include "common/Numbers.h"

#include <algorithm>
#include <utility>

namespace emulink {

namespace {

// Marks the link busy for the length of a call that talks to the boards.
class BusyScope
{
  public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& busy_;
};

std::uint32_t capacityOfSizeCode(std::uint8_t code)
{
    return code == '1' ? EmulatorLink::kCapacity27C256 : EmulatorLink::kCapacity27C512;
}

const char* eepromName(std::uint32_t capacity)
{
    return capacity == EmulatorLink::kCapacity27C256 ? "27c256" : "27c512";
}

// "<what> - ROM size of 65536 bytes is larger than the emulator memory of 32768 bytes".
std::string romTooLarge(const char* what, std::uint32_t romSize, std::uint32_t capacity)
{
    return std::string(what) + " - ROM size of" + common::numberText(romSize) +
           " bytes is larger than the emulator memory of" + common::numberText(capacity) + " bytes";
}

std::string hexAddress(std::int64_t value)
{
    if (value < 0)
        return "-&h" + common::hexTextPadded(static_cast<std::uint32_t>(-value), 4);
    return "&h" + common::hexTextPadded(static_cast<std::uint32_t>(value), 4);
}

} // namespace

EmulatorLink::EmulatorLink(SerialPort& port, Clock& clock, common::StatusSink& status, QObject* parent)
    : QObject(parent), port_(port), clock_(clock), status_(status)
{
    connect(&port_, &SerialPort::commsError, this, &EmulatorLink::onCommsError);
}

EmulatorLink::~EmulatorLink() = default;

void EmulatorLink::setFoundEmulators(std::array<std::uint8_t, 2> ids, int count)
{
    foundIds_ = ids;
    scannedCapacity_ = {};
    count = std::clamp(count, 0, 2);
    if (count != foundCount_) {
        foundCount_ = count;
        emit foundCountChanged(count);
    }
}

void EmulatorLink::setCapacity(std::uint32_t capacity)
{
    if (capacity == capacity_)
        return;
    capacity_ = capacity;
    emit capacityChanged(capacity);
}

void EmulatorLink::setRomSize(std::uint32_t romSize)
{
    romSize_ = romSize;
    // Online, the boards would get the edits that land inside them and miss the rest.
    if (online_ && !romFitsBoards())
        takeOffline({romTooLarge("Emulator disabled", romSize_, capacity_)});
}

// --- port ---

bool EmulatorLink::openPort()
{
    return openPowered(port_, portName_);
}

void EmulatorLink::closePort()
{
    closeDropped(port_);
}

bool EmulatorLink::isPortOpen() const
{
    return port_.isOpen();
}

// --- exchanges ---

void EmulatorLink::send(const Bytes& frame)
{
    port_.discardBuffers();
    port_.write(frame);
}

bool EmulatorLink::waitForBytes(std::size_t count, std::chrono::milliseconds timeout, bool exactly)
{
    // More bytes than `exactly` asks for can never become exactly that many: stop at once.
    clock_.waitFor(timeout, &port_, [&] { return !port_.isOpen() || port_.bytesWaiting() >= count; });
    if (!port_.isOpen())
        return false;
    const std::size_t waiting = port_.bytesWaiting();
    return exactly ? waiting == count : waiting >= count;
}

std::optional<std::uint16_t> EmulatorLink::wireAddress(std::int64_t romAddress, std::size_t length) const
{
    const std::int64_t wire = romAddress + emulatorOffset();
    const std::int64_t end = wire + static_cast<std::int64_t>(std::max<std::size_t>(length, 1));
    // The board holds `capacity` bytes; a wire address at or above it would wrap round the board's
    // memory and overwrite its bottom, and 0x10000 cannot be sent at all.
    if (wire < 0 || end > std::int64_t(capacity_) || end > 0x10000)
        return std::nullopt;
    return static_cast<std::uint16_t>(wire);
}

EmulatorLink::Attempt EmulatorLink::sendAndAwait(const Bytes& frame, std::size_t replyLength)
{
    send(frame);
    Attempt attempt;
    attempt.arrived = waitForBytes(replyLength, kReplyTimeout);
    attempt.reply = port_.readAll();
    return attempt;
}

bool EmulatorLink::verifiedBlockWrite(std::span<const std::uint8_t> data, std::int32_t romAddress,
                                      std::uint8_t id)
{
    const std::optional<std::uint16_t> wire = wireAddress(romAddress, data.size());
    if (busy_ || !wire || data.empty()) {
        // The upload checks all of this first; counted, so that its retry loop ends whatever happens.
        noteFailure();
        return false;
    }
    bool ok = false;
    {
        BusyScope busy(busy_);
        send(emulink::verifiedBlockWrite(id, *wire, data));
        const bool exactlyTwo = waitForBytes(2, kReplyTimeout, true);
        const Bytes reply = port_.readAll();
        const auto sum = blockSum(data);
        ok = exactlyTwo && reply.size() == 2 && reply[0] == sum[0] && reply[1] == sum[1];
    }
    if (ok)
        noteSuccess();
    else
        noteFailure();
    return ok;
}

Bytes EmulatorLink::versionProbe(std::uint8_t id)
{
    if (busy_)
        return {};
    BusyScope busy(busy_);
    send(versionRequest(id));
    waitForBytes(3, kProbeTimeout);
    return port_.readAll();
}

// --- discovery and online state ---

int EmulatorLink::scan()
{
    if (busy_)
        return -1;
    if (!openPort()) {
        reportOpenFailure();
        // Online with the port closed would only fail every write: the link goes offline.
        setOnline(false);
        emit wentOffline();
        return -1;
    }
    emit scanStarted();
    say(messages::kScanning);
    clock_.pause(kScanPause);

    int found = 0;
    std::array<std::uint8_t, 2> ids = foundIds_;
    foundCount_ = 0;
    scannedCapacity_ = {};
    for (std::uint8_t id : {std::uint8_t{1}, std::uint8_t{2}}) {
        emit scanProgress(id);
        // Reopened for each ID: DTR and RTS drop and rise again.
        openPort();
        const Bytes reply = versionProbe(id);
        if (!reply.empty()) {
            const auto slot = static_cast<std::size_t>(found);
            ids[slot] = id;
            // Any byte counts as found; the size is known only from a whole reply.
            if (reply.size() > 2)
                scannedCapacity_[slot] = capacityOfSizeCode(reply[2]);
            ++found;
            foundIds_ = ids;
            foundCount_ = found;
            emit foundCountChanged(found);
        }
    }
    emit scanProgress(0);

    say("Found " + common::numberText(found) + " emulators");
    for (int slot = 0; slot < found; ++slot)
        say("Emulator ID " + common::numberText(ids[static_cast<std::size_t>(slot)]));
    if (found == 0) {
        say(messages::kConnectBoard);
        say(messages::kRunSetupTool);
        if (online_) {
            goOffline();
            say(messages::kNoBoardInList);
        }
    }
    if (online_) {
        // The link stays online with the boards found now: a smaller one among them governs from now
        // on, as it would have when going online.
        std::uint32_t smallest = capacity_;
        for (int slot = 0; slot < found; ++slot)
            smallest = std::min(smallest, scannedCapacity_[std::size_t(slot)].value_or(capacity_));
        setCapacity(smallest);
        if (!romFitsBoards())
            takeOffline({romTooLarge("Emulator disabled", romSize_, capacity_)});
    }
    return found;
}

void EmulatorLink::toggleOnline()
{
    if (online_)
        goOffline();
    else
        goOnline();
}

bool EmulatorLink::goOnline()
{
    if (online_ || busy_)
        return online_;
    if (foundCount_ == 0) {
        goOffline();
        say(messages::kNoBoardInList);
        return false;
    }
    if (!openPort()) {
        goOffline();
        reportOpenFailure();
        return false;
    }

    say(messages::kLooking);
    const std::uint8_t id = foundIds_[0];
    Bytes reply;
    bool found = false;
    std::uint32_t otherCapacity = 0; // of the board in slot 2; 0: no second board
    {
        BusyScope busy(busy_);
        const Clock::TimePoint deadline = roundToSecond(clock_.now() + kOnlineSearch);
        do {
            if (!port_.isOpen())
                return false; // a line event closed the port; its lines have been shown
            send(versionRequest(id));
            const Clock::TimePoint until = roundToSecond(clock_.now() + std::chrono::seconds(1));
            // A whole reply ends the wait early; otherwise it lasts to the next whole second.
            clock_.waitUntil(until, &port_, [&] { return !port_.isOpen() || port_.bytesWaiting() >= 3; });
            reply = port_.readAll();
            found = reply.size() > 2;
        } while (!found && clock_.now() < deadline);
        if (found && foundCount_ == 2 && foundIds_[1] != id)
            otherCapacity = secondBoardCapacity();
    }

    if (!found) {
        say(messages::kNotFound);
        goOffline();
        return false;
    }
    if (!port_.isOpen())
        return false; // a line event closed the port meanwhile; its lines have been shown
    const std::uint32_t capacity = capacityOfSizeCode(reply[2]);
    say("Emulator found : v" + common::numberText(reply[0]) + "." + common::numberText(reply[1]));
    say(std::string("Can emulate up to ") + eepromName(capacity) + " eprom size");
    if (otherCapacity != 0 && otherCapacity != capacity)
        say("Emulator ID " + common::numberText(foundIds_[1]) + " can emulate up to " +
            eepromName(otherCapacity) + " eprom size");
    // Both boards get the same wire addresses: the smaller one decides what fits.
    setCapacity(otherCapacity != 0 ? std::min(capacity, otherCapacity) : capacity);
    if (!romFitsBoards()) {
        say(romTooLarge("Online refused", romSize_, capacity_));
        goOffline();
        return false;
    }
    setOnline(true);
    return true;
}

std::uint32_t EmulatorLink::secondBoardCapacity()
{
    // Asked afresh, since a board may have been changed since the scan; the scan's word is the
    // fallback, and without it the smaller size, so that a ROM that is let through fits either board.
    for (int attempt = 0; attempt < kMaxFailuresInRow && port_.isOpen(); ++attempt) {
        const Attempt version = sendAndAwait(versionRequest(foundIds_[1]), 3);
        if (version.arrived && version.reply.size() > 2)
            return capacityOfSizeCode(version.reply[2]);
    }
    return scannedCapacity_[1].value_or(kCapacity27C256);
}

void EmulatorLink::goOffline()
{
    setOnline(false);
    closePort();
    emit wentOffline();
}

// --- sending edits ---

WriteThroughResult EmulatorLink::writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes)
{
    if (!online_)
        return WriteThroughResult::NotOnline;
    if (busy_)
        return WriteThroughResult::Busy;
    if (bytes.empty())
        return WriteThroughResult::Sent;
    if (foundCount_ == 0) {
        takeOffline({messages::kNoBoardInList});
        return WriteThroughResult::LinkDropped;
    }
    if (!romFitsBoards()) {
        say(romTooLarge("Write refused", romSize_, capacity_));
        return WriteThroughResult::Refused;
    }
    const std::optional<std::uint16_t> first = wireAddress(romAddress, bytes.size());
    if (!first) {
        say("Write refused - ROM address " + hexAddress(romAddress) + " to " +
            hexAddress(std::int64_t(romAddress) + std::int64_t(bytes.size()) - 1) +
            " is outside the emulator memory");
        return WriteThroughResult::Refused;
    }

    for (std::size_t offset = 0; offset < bytes.size(); offset += kMaxShortWrite) {
        const auto piece = bytes.subspan(offset, std::min(kMaxShortWrite, bytes.size() - offset));
        const auto wire = static_cast<std::uint16_t>(*first + offset);
        for (int slot = 0; slot < foundCount_; ++slot) {
            // Each board is retried on its own, so a board that already has the bytes is not sent
            // them again. The third failure in a row takes the link offline and ends the loop.
            for (;;) {
                bool ok = false;
                {
                    BusyScope busy(busy_);
                    ok = sendAndAwait(shortWrite(foundIds_[slot], wire, piece), 1).arrived;
                }
                if (ok) {
                    noteSuccess();
                    break;
                }
                noteFailure();
                if (!online_)
                    return WriteThroughResult::LinkDropped;
            }
        }
    }
    return WriteThroughResult::Sent;
}

UploadResult EmulatorLink::upload(std::span<const std::uint8_t> rom,
                                  const std::function<void(int chunk, int chunkCount)>& progress)
{
    UploadResult result;
    if (!online_) {
        say(messages::kUploadOffline);
        return result;
    }
    if (busy_)
        return result;
    if (!romFitsBoards()) {
        say(romTooLarge("Upload refused", romSize_, capacity_));
        return result;
    }
    if (rom.empty() || rom.size() % kChunkSize != 0) {
        say("Upload refused - the ROM image is not a whole number of 256-byte blocks");
        return result;
    }
    if (rom.size() > capacity_) {
        say("Upload refused - ROM image of" + common::numberText(double(rom.size())) +
            " bytes is larger than the emulator memory of" + common::numberText(capacity_) + " bytes");
        return result;
    }
    if (rom.size() != romSize_) {
        // The offset comes from the definition's ROM size: another size would land the image elsewhere.
        say("Upload refused - the ROM buffer holds" + common::numberText(double(rom.size())) +
            " bytes but the engine definition gives" + common::numberText(romSize_));
        return result;
    }
    if (foundCount_ == 0)
        takeOffline({messages::kNoBoardInList});

    result.chunkCount = static_cast<int>(rom.size() / kChunkSize);
    for (int k = 0; k < result.chunkCount; ++k) {
        if (progress)
            progress(k, result.chunkCount);
        if (!online_)
            continue; // the link went offline: the rest is not sent
        const auto chunk = rom.subspan(std::size_t(k) * kChunkSize, kChunkSize);
        const auto romAddress = static_cast<std::int32_t>(std::size_t(k) * kChunkSize);
        bool everyBoard = true;
        for (int slot = 0; slot < foundCount_ && everyBoard; ++slot) {
            bool ok = false;
            // Bounded: the third failure in a row takes the link offline.
            while (!ok && online_)
                ok = verifiedBlockWrite(chunk, romAddress, foundIds_[slot]);
            everyBoard = ok;
        }
        if (everyBoard && online_)
            ++result.chunksSent;
    }

    result.complete = result.chunksSent == result.chunkCount;
    if (result.complete) {
        say(messages::kUploadDone);
    } else {
        say(messages::kUploadIncomplete);
        say("Chunks sent:" + common::numberText(result.chunksSent) + " of" +
            common::numberText(result.chunkCount));
    }
    return result;
}

std::optional<Bytes> EmulatorLink::readBlock(std::uint8_t id, std::uint32_t romAddress)
{
    if (!online_ || busy_)
        return std::nullopt;
    if (foundCount_ == 0) {
        takeOffline({messages::kNoBoardInList});
        return std::nullopt;
    }
    if (std::find(foundIds_.begin(), foundIds_.begin() + foundCount_, id) == foundIds_.begin() + foundCount_)
        return std::nullopt;
    if (!romFitsBoards()) {
        say(romTooLarge("Read refused", romSize_, capacity_));
        return std::nullopt;
    }
    const std::optional<std::uint16_t> wire = wireAddress(romAddress, kChunkSize);
    if (!wire) {
        say("Read refused - ROM address " + hexAddress(romAddress) + " to " +
            hexAddress(std::int64_t(romAddress) + std::int64_t(kChunkSize) - 1) +
            " is outside the emulator memory");
        return std::nullopt;
    }

    // Bounded: the third failure in a row takes the link offline.
    while (online_) {
        Attempt attempt;
        {
            BusyScope busy(busy_);
            attempt = sendAndAwait(chunkRead(id, *wire), kChunkSize + 1);
        }
        Bytes& reply = attempt.reply;
        // The last byte is the board's sum of the 256 before it; more bytes than that is a garbled reply.
        if (attempt.arrived && reply.size() == kChunkSize + 1) {
            const std::uint8_t sum = reply.back();
            reply.pop_back();
            if (sum == frameChecksum(reply)) {
                noteSuccess();
                return std::move(reply);
            }
        }
        noteFailure();
    }
    return std::nullopt;
}

// --- failures and line events ---

void EmulatorLink::noteFailure()
{
    if (!online_) {
        failuresInRow_ = 0;
        return;
    }
    if (++failuresInRow_ >= kMaxFailuresInRow)
        takeOffline({messages::kWarning, messages::kNotResponding, messages::kDisabled, messages::kWarning});
}

void EmulatorLink::setOnline(bool online)
{
    failuresInRow_ = 0;
    if (online == online_)
        return;
    online_ = online;
    emit onlineChanged(online);
}

void EmulatorLink::takeOffline(std::initializer_list<std::string> lines)
{
    setOnline(false);
    closePort();
    emit wentOffline();
    for (const std::string& line : lines)
        say(line);
}

void EmulatorLink::reportOpenFailure()
{
    say(messages::kPortError);
    const QString reason = openFailureAdvice(port_);
    if (!reason.isEmpty())
        say(reason.toStdString());
}

void EmulatorLink::onCommsError(CommsEvent /*event*/)
{
    takeOffline({messages::kWarning, messages::kCommsError, messages::kDisabled, messages::kWarning});
}

void EmulatorLink::say(const std::string& line)
{
    status_.appendStatusLine(line);
}

} // namespace emulink
