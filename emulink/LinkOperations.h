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
//   wait) does nothing, so two exchanges never interleave on the wire.
//
// The ROM must fit every found board, or it would reach them in pieces: going online is refused while
// the ROM size is larger than the capacity (the smallest found board), a larger ROM size set while
// online takes the link offline, and every send is refused while the two disagree.
#pragma once

#include "BoardChannel.h"
#include "LinkEvents.h"
#include "LinkResults.h"
#include "LinkSession.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace emulink {

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
    // Write-through of a range that the ROM buffer already holds: short writes of at most 255 bytes,
    // each to every found board in list order, each a bounded request. An empty range is Sent without
    // sending.
    WriteReport writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes);
    // Upload of the ROM image in 256-byte chunks, each to every found board (verified block write, a
    // bounded request) before the next. `progress(k, chunkCount)` is called before chunk k, for every
    // chunk, also after the link went offline (the rest is then not sent). The image must be a whole
    // number of chunks, no larger than the capacity and of the session's ROM size.
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
    void setOnline(bool online);
    void setCapacity(std::uint32_t capacity);
    void takeOffline();
    PortOpenFailure portFailure() const;
    // After a request that failed: a link still online was let down by the board and goes offline now;
    // one already offline was taken offline during the wait.
    LinkDrop dropAfterFailure(std::uint8_t id, const BoardChannel::Outcome& outcome);
    LinkDrop dropRomTooLarge();
    std::uint32_t secondBoardSize();

    LinkSession& session_;
    BoardChannel& channel_;
    LinkEvents& events_;
};

} // namespace emulink
