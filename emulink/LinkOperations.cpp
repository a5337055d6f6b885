#include "LinkOperations.h"

#include <algorithm>
#include <utility>

namespace emulink {

// Marks the session busy for the length of an exchange.
class LinkOperations::BusyScope
{
  public:
    explicit BusyScope(LinkSession& session) : session_(session) { session_.setBusy(true); }
    ~BusyScope() { session_.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    LinkSession& session_;
};

LinkOperations::LinkOperations(LinkSession& session, BoardChannel& channel, LinkEvents& events)
    : session_(session), channel_(channel), events_(events)
{}

// --- port ---

bool LinkOperations::openPort()
{
    return openPowered(channel_.port(), session_.portName());
}

void LinkOperations::closePort()
{
    closeDropped(channel_.port());
}

bool LinkOperations::isPortOpen() const
{
    return channel_.port().isOpen();
}

// --- set-up ---

void LinkOperations::setFoundBoards(std::array<std::uint8_t, 2> ids, int count)
{
    FoundBoards found;
    found.ids = ids;
    found.count = count;
    if (session_.setFound(found))
        events_.foundCountChanged(session_.found().count);
}

LinkDrop LinkOperations::setRomSize(std::uint32_t romSize)
{
    session_.setRomSize(romSize);
    // Online, the boards would get the edits that land inside them and miss the rest.
    if (session_.isOnline() && !session_.romFitsBoards())
        return dropRomTooLarge();
    return {};
}

// --- discovery and online state ---

Bytes LinkOperations::probeVersion(std::uint8_t id)
{
    if (session_.isBusy())
        return {};
    BusyScope busy(session_);
    return channel_.exchange(versionRequest(id), 3, BoardChannel::Awaited::AtLeast, kProbeTimeout).bytes;
}

ScanResult LinkOperations::scan()
{
    ScanResult result;
    if (session_.isBusy())
        return result;
    result.ran = true;
    if (!openPort()) {
        result.portFailure = portFailure();
        // Online with the port closed would only fail every write: the link goes offline.
        setOnline(false);
        events_.wentOffline();
        return result;
    }
    events_.scanStarted();
    events_.notice(Notice::Scanning);
    channel_.clock().pause(kScanPause);

    FoundBoards found = session_.found();
    found.count = 0;
    found.sizes = {};
    session_.setFound(found);
    for (std::uint8_t id : {std::uint8_t{1}, std::uint8_t{2}}) {
        events_.scanProgress(id);
        // Reopened for each ID: DTR and RTS drop and rise again.
        openPort();
        const Bytes reply = probeVersion(id);
        if (!reply.empty()) {
            const auto slot = static_cast<std::size_t>(found.count);
            found.ids[slot] = id;
            // Any byte counts as found; the size is known only from a whole reply.
            if (reply.size() > 2)
                found.sizes[slot] = capacityOfSizeCode(reply[2]);
            ++found.count;
            session_.setFound(found);
            events_.foundCountChanged(found.count);
        }
    }
    events_.scanProgress(0);
    result.found = found;

    if (found.count == 0 && session_.isOnline()) {
        goOffline();
        result.drop.cause = DropCause::NoBoardInList;
    }
    if (session_.isOnline()) {
        // The link stays online with the boards found now: a smaller one among them governs from now
        // on, as it would have when going online.
        std::uint32_t smallest = session_.capacity();
        for (int slot = 0; slot < found.count; ++slot)
            smallest = std::min(smallest, found.sizes[std::size_t(slot)].value_or(session_.capacity()));
        setCapacity(smallest);
        if (!session_.romFitsBoards())
            result.drop = dropRomTooLarge();
    }
    return result;
}

OnlineResult LinkOperations::goOnline()
{
    OnlineResult result;
    if (session_.isOnline() || session_.isBusy())
        return result;
    if (session_.found().count == 0) {
        goOffline();
        result.outcome = OnlineResult::Outcome::NoBoardInList;
        return result;
    }
    if (!openPort()) {
        result.portFailure = portFailure();
        goOffline();
        result.outcome = OnlineResult::Outcome::PortFailure;
        return result;
    }

    events_.notice(Notice::LookingForBoard);
    SerialPort& port = channel_.port();
    Clock& clock = channel_.clock();
    const std::uint8_t id = session_.found().ids[0];
    Bytes reply;
    bool found = false;
    {
        BusyScope busy(session_);
        const Clock::TimePoint deadline = roundToSecond(clock.now() + kOnlineSearch);
        do {
            if (!port.isOpen()) {
                // A line event closed the port; it was reported when it came.
                result.outcome = OnlineResult::Outcome::LineEvent;
                return result;
            }
            channel_.send(versionRequest(id));
            const Clock::TimePoint until = roundToSecond(clock.now() + std::chrono::seconds(1));
            // A whole reply ends the wait early; otherwise it lasts to the next whole second.
            reply = channel_.awaitReply(3, BoardChannel::Awaited::AtLeast, until).bytes;
            found = reply.size() > 2;
        } while (!found && clock.now() < deadline);
        const FoundBoards& boards = session_.found();
        if (found && boards.count == 2 && boards.ids[1] != id) {
            result.secondId = boards.ids[1];
            result.secondSize = secondBoardSize();
        }
    }

    if (!found) {
        goOffline();
        result.outcome = OnlineResult::Outcome::NotFound;
        return result;
    }
    if (!port.isOpen()) {
        result.outcome = OnlineResult::Outcome::LineEvent;
        return result;
    }
    result.major = reply[0];
    result.minor = reply[1];
    result.boardSize = capacityOfSizeCode(reply[2]);
    // Both boards get the same wire addresses: the smaller one decides what fits.
    setCapacity(result.secondSize != 0 ? std::min(result.boardSize, result.secondSize) : result.boardSize);
    result.romSize = session_.romSize();
    result.capacity = session_.capacity();
    if (!session_.romFitsBoards()) {
        goOffline();
        result.outcome = OnlineResult::Outcome::RomTooLarge;
        return result;
    }
    setOnline(true);
    result.outcome = OnlineResult::Outcome::Online;
    return result;
}

std::uint32_t LinkOperations::secondBoardSize()
{
    // Asked afresh, since a board may have been changed since the scan; the scan's word is the
    // fallback, and without it the smaller size, so that a ROM that is let through fits either board.
    const BoardChannel::Outcome version = channel_.askVersion(session_.found().ids[1]);
    if (version.ok)
        return capacityOfSizeCode(version.reply[2]);
    return session_.found().sizes[1].value_or(kCapacity27C256);
}

void LinkOperations::goOffline()
{
    takeOffline();
}

// --- sending ---

WriteReport LinkOperations::writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes)
{
    WriteReport report;
    if (!session_.isOnline()) {
        report.result = WriteThroughResult::NotOnline;
        return report;
    }
    if (session_.isBusy()) {
        report.result = WriteThroughResult::Busy;
        return report;
    }
    if (bytes.empty())
        return report;
    if (session_.found().count == 0) {
        takeOffline();
        report.result = WriteThroughResult::LinkDropped;
        report.drop.cause = DropCause::NoBoardInList;
        return report;
    }
    if (!session_.romFitsBoards()) {
        report.result = WriteThroughResult::Refused;
        report.refusal = {RefusalReason::RomTooLarge, 0, 0, session_.romSize(), session_.capacity(), 0};
        return report;
    }
    const std::optional<std::uint16_t> first = session_.wireAddress(romAddress, bytes.size());
    if (!first) {
        report.result = WriteThroughResult::Refused;
        report.refusal.reason = RefusalReason::OutsideMemory;
        report.refusal.first = romAddress;
        report.refusal.last = std::int64_t(romAddress) + std::int64_t(bytes.size()) - 1;
        return report;
    }

    for (std::size_t offset = 0; offset < bytes.size(); offset += kMaxShortWrite) {
        const auto piece = bytes.subspan(offset, std::min(kMaxShortWrite, bytes.size() - offset));
        const auto wire = static_cast<std::uint16_t>(*first + offset);
        for (int slot = 0; slot < session_.found().count; ++slot) {
            // Each board is retried on its own, so a board that already has the bytes is not sent
            // them again.
            const std::uint8_t id = session_.found().ids[std::size_t(slot)];
            BoardChannel::Outcome outcome;
            {
                BusyScope busy(session_);
                outcome = channel_.writeShort(id, wire, piece);
            }
            if (!outcome.ok) {
                report.result = WriteThroughResult::LinkDropped;
                report.drop = dropAfterFailure(id, outcome);
                return report;
            }
        }
    }
    return report;
}

UploadResult LinkOperations::upload(std::span<const std::uint8_t> rom, const Progress& progress)
{
    UploadResult result;
    const auto refuse = [&result](Refusal refusal) {
        result.start = UploadResult::Start::Refused;
        result.refusal = refusal;
        return result;
    };
    if (!session_.isOnline()) {
        result.start = UploadResult::Start::Offline;
        return result;
    }
    if (session_.isBusy()) {
        result.start = UploadResult::Start::Busy;
        return result;
    }
    if (!session_.romFitsBoards())
        return refuse({RefusalReason::RomTooLarge, 0, 0, session_.romSize(), session_.capacity(), 0});
    if (rom.empty() || rom.size() % kChunkSize != 0)
        return refuse({RefusalReason::NotWholeBlocks, 0, 0, 0, 0, rom.size()});
    if (rom.size() > session_.capacity())
        return refuse({RefusalReason::ImageLargerThanBoard, 0, 0, 0, session_.capacity(), rom.size()});
    // The offset comes from the ROM size of the definition: another size would land the image elsewhere.
    if (rom.size() != session_.romSize())
        return refuse({RefusalReason::ImageNotRomSize, 0, 0, session_.romSize(), 0, rom.size()});
    if (session_.found().count == 0) {
        takeOffline();
        result.drop.cause = DropCause::NoBoardInList;
    }

    result.chunkCount = static_cast<int>(rom.size() / kChunkSize);
    for (int k = 0; k < result.chunkCount; ++k) {
        if (progress)
            progress(k, result.chunkCount);
        if (!session_.isOnline())
            continue; // the link went offline: the rest is not sent
        const auto chunk = rom.subspan(std::size_t(k) * kChunkSize, kChunkSize);
        const auto romAddress = static_cast<std::int64_t>(std::size_t(k) * kChunkSize);
        bool everyBoard = true;
        for (int slot = 0; slot < session_.found().count && everyBoard; ++slot) {
            const std::uint8_t id = session_.found().ids[std::size_t(slot)];
            // Checked before the loop; only a ROM size changed from inside a wait can move it out.
            const std::optional<std::uint16_t> wire = session_.wireAddress(romAddress, kChunkSize);
            BoardChannel::Outcome outcome;
            if (wire) {
                BusyScope busy(session_);
                outcome = channel_.writeVerifiedBlock(id, *wire, chunk);
            }
            if (!outcome.ok) {
                result.drop = dropAfterFailure(id, outcome);
                everyBoard = false;
            }
        }
        if (everyBoard && session_.isOnline())
            ++result.chunksSent;
    }
    result.complete = result.chunksSent == result.chunkCount;
    return result;
}

RangeRead LinkOperations::readRange(std::uint8_t id, std::uint32_t romAddress, std::size_t length,
                                    const Progress& progress)
{
    RangeRead read;
    if (!session_.isOnline() || session_.isBusy()) {
        read.start = RangeRead::Start::Offline;
        return read;
    }
    if (session_.found().count == 0) {
        takeOffline();
        read.start = RangeRead::Start::NoBoards;
        read.drop.cause = DropCause::NoBoardInList;
        return read;
    }
    if (!session_.isFound(id)) {
        read.start = RangeRead::Start::NotFound;
        return read;
    }
    const auto refuse = [&read](Refusal refusal) {
        read.start = RangeRead::Start::Refused;
        read.refusal = refusal;
        return read;
    };
    if (!session_.romFitsBoards())
        return refuse({RefusalReason::RomTooLarge, 0, 0, session_.romSize(), session_.capacity(), 0});
    if (length % kChunkSize != 0)
        return refuse({RefusalReason::NotWholeBlocks, 0, 0, 0, 0, length});
    const std::optional<std::uint16_t> first = session_.wireAddress(romAddress, length);
    if (length > 0 && !first) {
        return refuse({RefusalReason::OutsideMemory, romAddress,
                       std::int64_t(romAddress) + std::int64_t(length) - 1, 0, 0, 0});
    }

    read.blockCount = static_cast<int>(length / kChunkSize);
    read.bytes.reserve(length);
    for (int block = 0; block < read.blockCount; ++block) {
        if (progress)
            progress(block, read.blockCount);
        if (!session_.isOnline()) {
            // Taken offline from inside the progress call or a wait.
            read.drop.cause = DropCause::LineEvent;
            return read;
        }
        const auto wire = static_cast<std::uint16_t>(*first + std::size_t(block) * kChunkSize);
        BoardChannel::Outcome outcome;
        {
            BusyScope busy(session_);
            outcome = channel_.readChunk(id, wire);
        }
        if (!outcome.ok) {
            read.drop = dropAfterFailure(id, outcome);
            return read;
        }
        read.bytes.insert(read.bytes.end(), outcome.reply.begin(), outcome.reply.end());
        ++read.blocksRead;
    }
    read.complete = true;
    return read;
}

BlockWrite LinkOperations::writeBlock(std::uint8_t id, std::uint32_t romAddress,
                                      std::span<const std::uint8_t> block)
{
    BlockWrite write;
    if (!session_.isOnline() || session_.isBusy()) {
        write.start = RangeRead::Start::Offline;
        return write;
    }
    if (session_.found().count == 0) {
        takeOffline();
        write.start = RangeRead::Start::NoBoards;
        write.drop.cause = DropCause::NoBoardInList;
        return write;
    }
    if (!session_.isFound(id)) {
        write.start = RangeRead::Start::NotFound;
        return write;
    }
    const auto refuse = [&write](Refusal refusal) {
        write.start = RangeRead::Start::Refused;
        write.refusal = refusal;
        return write;
    };
    if (!session_.romFitsBoards())
        return refuse({RefusalReason::RomTooLarge, 0, 0, session_.romSize(), session_.capacity(), 0});
    if (block.size() != kChunkSize)
        return refuse({RefusalReason::NotWholeBlocks, 0, 0, 0, 0, block.size()});
    const std::optional<std::uint16_t> wire = session_.wireAddress(romAddress, kChunkSize);
    if (!wire)
        return refuse({RefusalReason::OutsideMemory, romAddress,
                       std::int64_t(romAddress) + std::int64_t(kChunkSize) - 1, 0, 0, 0});
    BoardChannel::Outcome outcome;
    {
        BusyScope busy(session_);
        outcome = channel_.writeVerifiedBlock(id, *wire, block);
    }
    if (!outcome.ok) {
        write.drop = dropAfterFailure(id, outcome);
        return write;
    }
    write.written = true;
    return write;
}

// --- state changes ---

void LinkOperations::setOnline(bool online)
{
    if (session_.setOnline(online))
        events_.onlineChanged(online);
}

void LinkOperations::setCapacity(std::uint32_t capacity)
{
    if (session_.setCapacity(capacity))
        events_.capacityChanged(capacity);
}

void LinkOperations::takeOffline()
{
    setOnline(false);
    closePort();
    events_.wentOffline();
}

PortOpenFailure LinkOperations::portFailure() const
{
    const SerialPort& port = channel_.port();
    return PortOpenFailure{port.openFailure(), port.name(), port.errorText()};
}

LinkDrop LinkOperations::dropAfterFailure(std::uint8_t id, const BoardChannel::Outcome& outcome)
{
    LinkDrop drop;
    if (!session_.isOnline()) {
        drop.cause = DropCause::LineEvent;
        return drop;
    }
    takeOffline();
    drop.cause = DropCause::NotResponding;
    drop.boardId = id;
    drop.failures = outcome.failures;
    return drop;
}

LinkDrop LinkOperations::dropRomTooLarge()
{
    takeOffline();
    LinkDrop drop;
    drop.cause = DropCause::RomTooLarge;
    drop.romSize = session_.romSize();
    drop.capacity = session_.capacity();
    return drop;
}

} // namespace emulink
