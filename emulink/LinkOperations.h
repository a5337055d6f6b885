// The editor's link operations over a LinkSession and a BoardChannel: port open and close, the scan, the
// online search and going offline, the write-through of edited bytes, the ROM upload and the read of a
// ROM range from one board. Each returns what happened (LinkResults.h) and says nothing to the user;
// state changes, the scan's progress and the two notices that precede a long wait go to LinkEvents as
// they happen.
//
// Every operation runs on the user-interface thread. Bounds that keep the editor from hanging on a
// silent board:
// - every exchange is a bounded request of the channel: a board that fails kMaxFailuresInRow times in
//   a row takes the link offline (port closed; DropCause::NotResponding), which ends every retry;
// - online with no board in the found list the link goes offline (DropCause::NoBoardInList) instead of
//   addressing nobody;
// - an operation called while another one waits for its reply (from a timer or line event inside that
//   wait) does nothing, so two exchanges never interleave on the wire; a write asked for then is held
//   and sent, in order, once the link is free.
//
// Every operation that sends passes one gate first (online, not busy, a board in the found list, the
// board asked for among them, the ROM fits, the data's own shape, every range inside the board memory),
// and says which check stopped it.
//
// A board's size comes from the version reply, whose size byte has no checksum: going online takes a
// size only when two replies in a row agree, the smaller of two that disagree, and the small size for
// one that a board does not repeat. After every full upload the first and the last block of each board
// are read back, so that a board whose memory is smaller than it says (the writes wrap round it and
// every block sum still matches) is caught.
//
// The ROM must fit every found board, or it would reach them in pieces: going online is refused while
// the ROM size is larger than the capacity (the smallest found board), a larger ROM size set while
// online takes the link offline, and every send is refused while the two disagree.
#pragma once

#include "BoardChannel.h"
#include "LinkEvents.h"
#include "LinkResults.h"
#include "LinkSession.h"

#include <QObject>

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace emulink {

// A range of the ROM buffer to write to the boards: its first ROM address and its bytes.
struct WriteRange
{
    std::uint32_t romAddress = 0;
    std::span<const std::uint8_t> bytes;
};

class LinkOperations
{
  public:
    // The editor's version probe waits this long for its three bytes.
    static constexpr std::chrono::milliseconds kProbeTimeout{50};
    static constexpr std::chrono::seconds kScanPause{3};
    static constexpr std::chrono::seconds kOnlineSearch{10};

    using Progress = std::function<void(int step, int stepCount)>;

    // Uses session, channel and events for its whole lifetime; owns none of them.
    LinkOperations(LinkSession& session, BoardChannel& channel, LinkEvents& events);

    // --- port ---
    // Close (DTR and RTS drop), open the session's port, raise DTR and RTS, discard both buffers.
    // Returns whether the port is open afterwards.
    bool openPort();
    // Drop DTR and RTS and close, when open.
    void closePort();
    bool isPortOpen() const;

    // --- set-up ---
    // Found list as given (count 0..2), the scan's sizes forgotten.
    void setFoundBoards(std::array<std::uint8_t, 2> ids, int count);
    // A ROM size larger than the capacity while online takes the link offline (DropCause::RomTooLarge).
    LinkDrop setRomSize(std::uint32_t romSize);

    // --- discovery and online state ---
    // The version request to `id`, then up to kProbeTimeout for 3 bytes; returns what arrived (empty
    // when nothing did, when the port is closed, and, nothing sent, while another exchange waits).
    // Never counted as a failure; does not look at the online flag.
    Bytes probeVersion(std::uint8_t id);
    // Port open (on failure: if it was online, the link goes offline); Notice::Scanning and a
    // 3-second pause; then IDs 1 and 2 probed with the port reopened before each. The found list
    // restarts at count 0 and fills from slot 1, keeping the IDs of slots it does not refill. Online
    // before: finding nothing takes the link offline; a smaller board found lowers the capacity, and
    // the link goes offline when the ROM no longer fits.
    ScanResult scan();
    // Needs a board in the found list and a port that opens, then Notice::LookingForBoard and the
    // 10-second search for the board in slot 1 (a request each whole second). With two boards the one
    // in slot 2 is asked its size too (one bounded request; its scan size, or the small size, when it
    // stays silent). The capacity becomes the smaller size; a ROM larger than that is refused. Every
    // outcome but Online and Unchanged leaves the link offline with the port closed.
    OnlineResult goOnline();
    // Online flag false, port closed, LinkEvents::wentOffline.
    void goOffline();

    // --- sending ---
    // The write-through of ranges that the ROM buffer already holds (an edit step's, in its order): each
    // cut into short writes (shortWritePieces in Frames.h), each piece to every found board in list order,
    // each a bounded request. A board that fails takes the link offline and the rest is not sent. Ranges with
    // no bytes at all are Sent without sending. Called while another exchange waits (Busy), the ranges
    // are copied and held; held writes go first at the next write, or on their own once that exchange
    // has ended (their report then goes to LinkEvents::heldWritesSent). Going offline drops them.
    WriteReport write(std::span<const WriteRange> ranges);
    // write() of one range.
    WriteReport writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes);
    // Writes held until the exchange now waiting has ended.
    std::size_t heldWrites() const { return held_.size(); }
    // Upload of the ROM image in 256-byte chunks, each to every found board (verified block write, a
    // bounded request) before the next. `progress(k, chunkCount)` is called before chunk k, for every
    // chunk, also after the link went offline (the rest is then not sent). The image must be a whole
    // number of chunks, no larger than the capacity and of the session's ROM size. Once every chunk
    // reached every board, the first and the last block of each board are read back (chunk reads); a
    // block that differs from the image takes the link offline (DropCause::ReadBackDiffers) and the
    // upload is not complete.
    UploadResult upload(std::span<const std::uint8_t> rom, const Progress& progress = {});
    // Read of `length` bytes from ROM address `romAddress` from the found board `id`, in 256-byte
    // blocks (chunk reads, each a bounded request); `progress(b, blockCount)` is called before block b.
    // The length must be a whole number of blocks and the range must lie inside the board memory. A
    // drop ends the read: the result holds the blocks read before it.
    RangeRead readRange(std::uint8_t id, std::uint32_t romAddress, std::size_t length,
                        const Progress& progress = {});
    // Verified block write of the 256 bytes `block` at ROM address `romAddress` to the found board `id`
    // (a bounded request, as each chunk of the upload). Nothing is sent for the same reasons as a read.
    BlockWrite writeBlock(std::uint8_t id, std::uint32_t romAddress, std::span<const std::uint8_t> block);

  private:
    class BusyScope;
    // What an operation asks of the link before it sends anything.
    struct Access
    {
        std::optional<std::uint8_t> board;                        // one found board; none: every one
        std::vector<std::pair<std::int64_t, std::size_t>> ranges; // ROM ranges it reaches (start, length)
        Refusal shape;                  // what the caller found wrong with its data, if anything
        bool emptySendsNothing = false; // ranges with no bytes at all: nothing to do after online and busy
    };
    enum class Stop { Open, Offline, Busy, Nothing, NoBoards, NotFound, Refused };
    struct Gate
    {
        Stop stop = Stop::Open;
        Refusal refusal;                 // Refused
        LinkDrop drop;                   // NoBoards: the link went offline
        std::vector<std::uint16_t> wire; // Open: the wire address of each range (0 for an empty one)
    };
    // The checks in the order the class comment gives; NoBoards takes the link offline.
    Gate gate(const Access& access);
    // A read's or block write's start from the gate; true when it may send.
    static bool startOf(const Gate& gate, RangeRead::Start& start, Refusal& refusal, LinkDrop& drop);
    // The size of board `id` as two version replies in a row give it (heard: a first reply already
    // had), at most kMaxFailuresInRow requests; nullopt when it did not answer at all.
    struct SizeAnswer
    {
        std::uint32_t size = 0;
        SizeCheck check = SizeCheck::Agreed;
        std::uint32_t heard = 0;
        std::uint32_t other = 0;
    };
    std::optional<SizeAnswer> confirmSize(std::uint8_t id, std::optional<std::uint32_t> heard);
    // The first and last block of every found board read back after an upload of `rom`.
    void readBack(std::span<const std::uint8_t> rom, UploadResult& result);
    void exchangeEnded();
    void sendHeld();
    void setOnline(bool online);
    void setCapacity(std::uint32_t capacity);
    void takeOffline();
    PortOpenFailure portFailure() const;
    // After a request that failed: a link still online was let down by the board and goes offline now;
    // one already offline was taken offline during the wait.
    LinkDrop dropAfterFailure(std::uint8_t id, const BoardChannel::Outcome& outcome);
    LinkDrop dropRomTooLarge();

    LinkSession& session_;
    BoardChannel& channel_;
    LinkEvents& events_;
    struct HeldWrite
    {
        std::uint32_t romAddress;
        Bytes bytes;
    };
    std::deque<HeldWrite> held_;
    bool flushPosted_ = false;
    QObject flushContext_; // ends the posted send of held writes with the operations
};

} // namespace emulink
