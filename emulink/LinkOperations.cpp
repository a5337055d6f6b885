#include "LinkOperations.h"

#include <algorithm>
#include <utility>

namespace emulink {

// Marks the session busy for the length of an exchange; at its end, writes held meanwhile get their
// turn.
class LinkOperations::BusyScope
{
  public:
    explicit BusyScope(LinkOperations& operations) : operations_(operations)
    {
        operations_.session_.setBusy(true);
    }
    ~BusyScope()
    {
        operations_.session_.setBusy(false);
        operations_.exchangeEnded();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    LinkOperations& operations_;
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
    BusyScope busy(*this);
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
    std::optional<SizeAnswer> size;
    {
        BusyScope busy(*this);
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
        if (found) {
            size = confirmSize(id, capacityOfSizeCode(reply[2]));
            const FoundBoards& boards = session_.found();
            if (boards.count == 2 && boards.ids[1] != id) {
                result.secondId = boards.ids[1];
                // Asked afresh, since a board may have been changed since the scan; the scan's word is
                // the fallback, and without it the smaller size, so that a ROM that is let through fits
                // either board.
                const std::optional<SizeAnswer> second = confirmSize(result.secondId, std::nullopt);
                if (second) {
                    result.secondSize = second->size;
                    result.secondSizeCheck = second->check;
                    result.secondHeardSize = second->heard;
                    result.secondOtherSize = second->other;
                } else {
                    result.secondSize = boards.sizes[1].value_or(kCapacity27C256);
                }
            }
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
    result.boardId = id;
    result.major = reply[0];
    result.minor = reply[1];
    result.boardSize = size->size;
    result.sizeCheck = size->check;
    result.heardSize = size->heard;
    result.otherSize = size->other;
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

std::optional<LinkOperations::SizeAnswer> LinkOperations::confirmSize(std::uint8_t id,
                                                                      std::optional<std::uint32_t> heard)
{
    // Within the bound of one bounded request: a reply that does not come is asked again, at most
    // kMaxFailuresInRow times in all.
    for (int ask = 0; ask < BoardChannel::kMaxFailuresInRow && channel_.port().isOpen(); ++ask) {
        const BoardChannel::Reply reply =
            channel_.exchange(versionRequest(id), 3, BoardChannel::Awaited::AtLeast);
        if (!reply.arrived)
            continue;
        const std::uint32_t size = capacityOfSizeCode(reply.bytes[2]);
        if (!heard) {
            heard = size;
            continue;
        }
        if (size == *heard)
            return SizeAnswer{size, SizeCheck::Agreed, 0, 0};
        return SizeAnswer{std::min(size, *heard), SizeCheck::Disagreed, *heard, size};
    }
    if (!heard)
        return std::nullopt;
    if (*heard == kCapacity27C256)
        return SizeAnswer{kCapacity27C256, SizeCheck::Agreed, 0, 0}; // nothing larger to doubt
    return SizeAnswer{kCapacity27C256, SizeCheck::Unconfirmed, *heard, 0};
}

void LinkOperations::goOffline()
{
    takeOffline();
}

// --- the gate ---

LinkOperations::Gate LinkOperations::gate(const Access& access)
{
    Gate gate;
    const auto stop = [&gate](Stop why, Refusal refusal = {}) {
        gate.stop = why;
        gate.refusal = refusal;
        return gate;
    };
    if (!session_.isOnline())
        return stop(Stop::Offline);
    if (session_.isBusy())
        return stop(Stop::Busy);
    if (access.emptySendsNothing &&
        std::all_of(access.ranges.begin(), access.ranges.end(), [](const auto& r) { return r.second == 0; }))
        return stop(Stop::Nothing);
    if (session_.found().count == 0) {
        // Online with nobody to address: the link goes offline.
        takeOffline();
        gate.drop.cause = DropCause::NoBoardInList;
        return stop(Stop::NoBoards);
    }
    if (access.board && !session_.isFound(*access.board))
        return stop(Stop::NotFound);
    if (!session_.romFitsBoards())
        return stop(Stop::Refused,
                    {RefusalReason::RomTooLarge, 0, 0, session_.romSize(), session_.capacity(), 0});
    if (access.shape.refused())
        return stop(Stop::Refused, access.shape);
    for (const auto& [romAddress, length] : access.ranges) {
        if (length == 0) {
            gate.wire.push_back(0);
            continue;
        }
        const std::optional<std::uint16_t> wire = session_.wireAddress(romAddress, length);
        if (!wire) {
            gate.wire.clear();
            return stop(Stop::Refused, {RefusalReason::OutsideMemory, romAddress,
                                        romAddress + std::int64_t(length) - 1, 0, 0, 0});
        }
        gate.wire.push_back(*wire);
    }
    return gate;
}

// --- sending ---

WriteReport LinkOperations::write(std::span<const WriteRange> ranges)
{
    // Writes held during an earlier exchange go first: a range never overtakes one asked for before it.
    std::deque<HeldWrite> held;
    held.swap(held_);
    std::vector<WriteRange> all;
    for (const HeldWrite& h : held)
        all.push_back({h.romAddress, h.bytes});
    all.insert(all.end(), ranges.begin(), ranges.end());
    Access access;
    access.emptySendsNothing = true;
    for (const WriteRange& r : all)
        access.ranges.emplace_back(r.romAddress, r.bytes.size());

    WriteReport report;
    Gate open = gate(access);
    switch (open.stop) {
    case Stop::Open:
        break;
    case Stop::Busy:
        held_ = std::move(held);
        for (const WriteRange& r : ranges)
            held_.push_back({r.romAddress, Bytes(r.bytes.begin(), r.bytes.end())});
        report.result = WriteThroughResult::Busy;
        return report;
    case Stop::Offline:
        report.result = WriteThroughResult::NotOnline;
        return report;
    case Stop::Nothing:
        return report;
    case Stop::NoBoards:
        report.result = WriteThroughResult::LinkDropped;
        report.drop = open.drop;
        return report;
    case Stop::NotFound:
    case Stop::Refused:
        report.result = WriteThroughResult::Refused;
        report.refusal = open.refusal;
        return report;
    }

    for (std::size_t r = 0; r < all.size(); ++r) {
        for (const auto& [offset, length] : shortWritePieces(all[r].bytes.size())) {
            const auto piece = all[r].bytes.subspan(offset, length);
            const auto wire = static_cast<std::uint16_t>(open.wire[r] + offset);
            for (int slot = 0; slot < session_.found().count; ++slot) {
                // Each board is retried on its own, so a board that already has the bytes is not sent
                // them again.
                const std::uint8_t id = session_.found().ids[std::size_t(slot)];
                BoardChannel::Outcome outcome;
                {
                    BusyScope busy(*this);
                    outcome = channel_.writeShort(id, wire, piece);
                }
                if (!outcome.ok) {
                    report.result = WriteThroughResult::LinkDropped;
                    report.drop = dropAfterFailure(id, outcome);
                    return report;
                }
            }
        }
    }
    return report;
}

WriteReport LinkOperations::writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes)
{
    const WriteRange range{romAddress, bytes};
    return write(std::span(&range, 1));
}

void LinkOperations::exchangeEnded()
{
    if (held_.empty() || flushPosted_)
        return;
    flushPosted_ = true;
    channel_.clock().callAt(channel_.clock().now(), &flushContext_, [this] { sendHeld(); });
}

void LinkOperations::sendHeld()
{
    flushPosted_ = false;
    // Still busy (the call came inside another exchange's wait): posted again when that one ends.
    if (held_.empty() || session_.isBusy())
        return;
    events_.heldWritesSent(write({}));
}

UploadResult LinkOperations::upload(std::span<const std::uint8_t> rom, const Progress& progress)
{
    UploadResult result;
    Access access;
    // The offset comes from the ROM size of the definition: another size would land the image elsewhere.
    if (rom.empty() || rom.size() % kChunkSize != 0)
        access.shape = {RefusalReason::NotWholeBlocks, 0, 0, 0, 0, rom.size()};
    else if (rom.size() > session_.capacity())
        access.shape = {RefusalReason::ImageLargerThanBoard, 0, 0, 0, session_.capacity(), rom.size()};
    else if (rom.size() != session_.romSize())
        access.shape = {RefusalReason::ImageNotRomSize, 0, 0, session_.romSize(), 0, rom.size()};
    access.ranges.emplace_back(0, rom.size());
    const Gate open = gate(access);
    switch (open.stop) {
    case Stop::Open:
    case Stop::Nothing:
        break;
    case Stop::Offline:
        result.start = UploadResult::Start::Offline;
        return result;
    case Stop::Busy:
        result.start = UploadResult::Start::Busy;
        return result;
    case Stop::NoBoards:
        // Offline now: the chunks below are counted, not sent.
        result.drop = open.drop;
        break;
    case Stop::NotFound:
    case Stop::Refused:
        result.start = UploadResult::Start::Refused;
        result.refusal = open.refusal;
        return result;
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
            // Checked by the gate; only a ROM size changed from inside a wait can move it out.
            const std::optional<std::uint16_t> wire = session_.wireAddress(romAddress, kChunkSize);
            BoardChannel::Outcome outcome;
            if (wire) {
                BusyScope busy(*this);
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
    if (result.chunkCount > 0 && result.chunksSent == result.chunkCount)
        readBack(rom, result);
    result.complete =
        result.chunksSent == result.chunkCount && session_.isOnline() && !result.drop.happened();
    return result;
}

void LinkOperations::readBack(std::span<const std::uint8_t> rom, UploadResult& result)
{
    std::vector<std::size_t> blocks{0};
    if (rom.size() > kChunkSize)
        blocks.push_back(rom.size() - kChunkSize);
    for (int slot = 0; slot < session_.found().count; ++slot) {
        const std::uint8_t id = session_.found().ids[std::size_t(slot)];
        for (const std::size_t romAddress : blocks) {
            if (!session_.isOnline()) {
                result.drop.cause = DropCause::LineEvent;
                return;
            }
            const std::optional<std::uint16_t> wire =
                session_.wireAddress(std::int64_t(romAddress), kChunkSize);
            BoardChannel::Outcome outcome;
            if (wire) {
                BusyScope busy(*this);
                outcome = channel_.readChunk(id, *wire);
            }
            if (!outcome.ok) {
                result.drop = dropAfterFailure(id, outcome);
                return;
            }
            ReadBack back;
            back.id = id;
            back.romAddress = static_cast<std::uint32_t>(romAddress);
            back.equal = std::equal(outcome.reply.begin(), outcome.reply.end(),
                                    rom.begin() + std::ptrdiff_t(romAddress));
            back.bytes = std::move(outcome.reply);
            result.readBack.push_back(std::move(back));
        }
    }
    const auto differs = std::find_if(result.readBack.begin(), result.readBack.end(),
                                      [](const ReadBack& back) { return !back.equal; });
    if (differs == result.readBack.end())
        return;
    // The board does not hold what it acknowledged: every write to it may land elsewhere.
    takeOffline();
    result.drop.cause = DropCause::ReadBackDiffers;
    result.drop.boardId = differs->id;
    result.drop.romAddress = differs->romAddress;
}

RangeRead LinkOperations::readRange(std::uint8_t id, std::uint32_t romAddress, std::size_t length,
                                    const Progress& progress)
{
    RangeRead read;
    Access access;
    access.board = id;
    if (length % kChunkSize != 0)
        access.shape = {RefusalReason::NotWholeBlocks, 0, 0, 0, 0, length};
    access.ranges.emplace_back(romAddress, length);
    const Gate open = gate(access);
    if (!startOf(open, read.start, read.refusal, read.drop))
        return read;

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
        const auto wire = static_cast<std::uint16_t>(open.wire[0] + std::size_t(block) * kChunkSize);
        BoardChannel::Outcome outcome;
        {
            BusyScope busy(*this);
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
    Access access;
    access.board = id;
    if (block.size() != kChunkSize)
        access.shape = {RefusalReason::NotWholeBlocks, 0, 0, 0, 0, block.size()};
    access.ranges.emplace_back(romAddress, kChunkSize);
    const Gate open = gate(access);
    if (!startOf(open, write.start, write.refusal, write.drop))
        return write;
    BoardChannel::Outcome outcome;
    {
        BusyScope busy(*this);
        outcome = channel_.writeVerifiedBlock(id, open.wire[0], block);
    }
    if (!outcome.ok) {
        write.drop = dropAfterFailure(id, outcome);
        return write;
    }
    write.written = true;
    return write;
}

bool LinkOperations::startOf(const Gate& gate, RangeRead::Start& start, Refusal& refusal, LinkDrop& drop)
{
    switch (gate.stop) {
    case Stop::Open:
    case Stop::Nothing:
        return true;
    case Stop::Offline:
    case Stop::Busy:
        start = RangeRead::Start::Offline;
        return false;
    case Stop::NoBoards:
        start = RangeRead::Start::NoBoards;
        drop = gate.drop;
        return false;
    case Stop::NotFound:
        start = RangeRead::Start::NotFound;
        return false;
    case Stop::Refused:
        start = RangeRead::Start::Refused;
        refusal = gate.refusal;
        return false;
    }
    return false;
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
    // Held writes are not sent to a link that went offline; the buffer alone holds them.
    held_.clear();
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
