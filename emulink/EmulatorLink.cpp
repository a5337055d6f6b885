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

std::size_t replyLength(Command command)
{
    switch (command) {
    case Command::Version:
        return expectedReplyLength(static_cast<char>(kCmdVersion));
    case Command::Status:
        return expectedReplyLength(static_cast<char>(kCmdStatus));
    case Command::Hidden:
        return expectedReplyLength(static_cast<char>(kCmdShortWrite));
    case Command::ChunkWrite:
        return expectedReplyLength(static_cast<char>(kCmdChunkWrite));
    case Command::ChunkRead:
        return expectedReplyLength(static_cast<char>(kCmdChunkRead));
    }
    return 1;
}

// Bytes of board memory that the command touches from its wire address on (0: none).
std::size_t touchedLength(Command command, std::size_t dataSize)
{
    switch (command) {
    case Command::Hidden:
    case Command::ChunkWrite:
        return dataSize;
    case Command::ChunkRead:
        return kChunkSize;
    case Command::Version:
    case Command::Status:
        return 0;
    }
    return 0;
}

std::string hexAddress(std::int64_t value)
{
    if (value < 0)
        return "-&h" + common::hexTextPadded(static_cast<std::uint32_t>(-value), 4);
    return "&h" + common::hexTextPadded(static_cast<std::uint32_t>(value), 4);
}

} // namespace

std::optional<Command> commandFromName(std::string_view name)
{
    if (name == "version")
        return Command::Version;
    if (name == "status")
        return Command::Status;
    if (name == "hidden")
        return Command::Hidden;
    if (name == "chunkwrite")
        return Command::ChunkWrite;
    if (name == "chunkread")
        return Command::ChunkRead;
    return std::nullopt;
}

EmulatorLink::EmulatorLink(SerialPort& port, Clock& clock, common::StatusSink& status, QObject* parent)
    : QObject(parent), port_(port), clock_(clock), status_(status)
{
    connect(&port_, &SerialPort::commsError, this, &EmulatorLink::onCommsError);
}

EmulatorLink::~EmulatorLink() = default;

void EmulatorLink::setFoundEmulators(std::array<std::uint8_t, 2> ids, int count)
{
    foundIds_ = ids;
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

EmulatorLink::Attempt EmulatorLink::exchangeWith(Command command, std::uint8_t id,
                                                 std::span<const std::uint8_t> data,
                                                 std::uint16_t wireAddress)
{
    Bytes frame;
    switch (command) {
    case Command::Version:
        frame = versionRequest(id);
        break;
    case Command::Status:
        frame = statusRequest(id);
        break;
    case Command::Hidden:
        frame = shortWrite(id, wireAddress, data);
        break;
    case Command::ChunkWrite:
        frame = chunkWrite(id, wireAddress, data);
        break;
    case Command::ChunkRead:
        frame = chunkRead(id, wireAddress);
        break;
    }
    const std::size_t expected = replyLength(command);
    send(frame);
    const bool arrived = waitForBytes(expected, kReplyTimeout);
    Attempt attempt;
    attempt.reply = port_.readAll();
    if (!arrived)
        return attempt;
    if (command == Command::ChunkRead) {
        // The last byte is the board's sum of the data before it; the data is returned either way.
        const std::uint8_t sum = attempt.reply.back();
        attempt.reply.pop_back();
        attempt.success = sum == frameChecksum(attempt.reply);
        return attempt;
    }
    attempt.success = true;
    return attempt;
}

ExchangeResult EmulatorLink::exchange(std::string_view commandName, std::span<const std::uint8_t> data,
                                      std::int32_t romAddress)
{
    const std::optional<Command> command = commandFromName(commandName);
    if (!command)
        return online_ ? ExchangeResult{} : ExchangeResult{true, Bytes{'O'}};
    return exchange(*command, data, romAddress);
}

ExchangeResult EmulatorLink::exchange(Command command, std::span<const std::uint8_t> data,
                                      std::int32_t romAddress)
{
    if (!online_)
        return ExchangeResult{true, Bytes{'O'}};
    if (busy_)
        return ExchangeResult{}; // called from inside another exchange's wait: never interleave
    if (foundCount_ == 0) {
        takeOffline({messages::kNoBoardInList});
        return ExchangeResult{true, Bytes{'O'}};
    }
    if (command == Command::Hidden && (data.empty() || data.size() > kMaxShortWrite))
        return ExchangeResult{};
    // Version and status requests carry no address: only the commands that touch memory are checked.
    const std::size_t touched = touchedLength(command, data.size());
    const std::optional<std::uint16_t> wire =
        touched == 0 ? std::optional<std::uint16_t>(0) : wireAddress(romAddress, touched);
    if (!wire) {
        say("Exchange refused - ROM address " + hexAddress(romAddress) + " is outside the emulator memory");
        noteFailure();
        return online_ ? ExchangeResult{} : ExchangeResult{true, Bytes{'O'}};
    }

    ExchangeResult result;
    {
        BusyScope busy(busy_);
        bool all = true;
        for (int slot = 0; slot < foundCount_; ++slot) {
            Attempt attempt = exchangeWith(command, foundIds_[slot], data, *wire);
            all = all && attempt.success;
            result.reply = std::move(attempt.reply);
            if (!port_.isOpen())
                break; // a line event ended the link meanwhile
        }
        // Success only when every board took it: a board that missed a write must not be hidden
        // behind the one after it.
        result.success = all;
    }
    if (result.success)
        noteSuccess();
    else
        noteFailure();
    return result;
}

bool EmulatorLink::verifiedBlockWrite(std::span<const std::uint8_t> data, std::int32_t romAddress,
                                      std::uint8_t id)
{
    if (busy_)
        return false;
    const std::optional<std::uint16_t> wire = wireAddress(romAddress, data.size());
    if (!wire || data.empty()) {
        say("Block write refused - ROM address " + hexAddress(romAddress) +
            " is outside the emulator memory");
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
        say(messages::kPortError);
        // Online with the port closed would only fail every write: the link goes offline.
        setOnline(false);
        return -1;
    }
    emit scanStarted();
    say(messages::kScanning);
    clock_.pause(kScanPause);

    int found = 0;
    std::array<std::uint8_t, 2> ids = foundIds_;
    foundCount_ = 0;
    for (std::uint8_t id : {std::uint8_t{1}, std::uint8_t{2}}) {
        emit scanProgress(id);
        // Reopened for each ID: DTR and RTS drop and rise again.
        openPort();
        const Bytes reply = versionProbe(id);
        if (!reply.empty()) {
            ids[static_cast<std::size_t>(found)] = id;
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
        say(messages::kPortError);
        return false;
    }

    say(messages::kLooking);
    const std::uint8_t id = foundIds_[0];
    Bytes reply;
    bool found = false;
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
    }

    if (!found) {
        say(messages::kNotFound);
        goOffline();
        return false;
    }
    say("Emulator found : v" + common::numberText(reply[0]) + "." + common::numberText(reply[1]));
    if (reply[2] == '1') {
        say("Can emulate up to 27c256 eprom size");
        setCapacity(kCapacity27C256);
    } else {
        say("Can emulate up to 27c512 eprom size");
        setCapacity(kCapacity27C512);
    }
    setOnline(true);
    return true;
}

void EmulatorLink::goOffline()
{
    setOnline(false);
    closePort();
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
                    ok = exchangeWith(Command::Hidden, foundIds_[slot], piece, wire).success;
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

void EmulatorLink::takeOffline(std::initializer_list<const char*> lines)
{
    setOnline(false);
    closePort();
    for (const char* line : lines)
        say(line);
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
