// The editor's link to one or two emulator boards on one serial line, as the editor's windows use it: a
// QObject over a LinkSession (what the link holds), a BoardChannel (one board's bounded exchange) and
// LinkOperations (scan, online search, write-through, upload, range read), which writes the status lines
// for each operation's result to the StatusSink and turns state changes into signals.
//
// Every operation runs on the user-interface thread. Waits go through the Clock: the window keeps
// painting, user input is held back until the wait ends. Messages go to the StatusSink one line each,
// in the order the user reads them: the lines that announce a long wait ("Scanning...", "Looking...")
// and those of a line event as they happen, every other line when its operation returns. What the port
// advises about its device (SerialPort::portAdvice: a USB adapter's receive delay) is one line as it
// comes.
//
// Bounds that keep the editor from hanging on a silent board (see LinkOperations):
// - a reply that has not arrived within kReplyTimeout counts as no reply;
// - the sends retry by themselves, callers never repeat them: a short write, verified block write or
//   chunk read that fails kMaxFailuresInRow times in a row takes the link offline (port closed) with the
//   "Emulator not responding" lines, which ends every retry;
// - online with no board in the found list the link goes offline with a status line instead of
//   addressing nobody.
//
// The ROM must fit every found board, or it would reach them in pieces: going online is refused while
// the ROM size of the engine definition is larger than capacity() (the smallest found board), a larger
// definition loaded while online takes the link offline, and every send refuses while the two disagree.
#pragma once

#include "vantrell/link/LinkStatusLines.h"

#include "common/StatusSink.h"
#include "emulink/BoardChannel.h"
#include "emulink/Clock.h"
#include "emulink/Frames.h"
#include "emulink/LinkEvents.h"
#include "emulink/LinkOperations.h"
#include "emulink/LinkResults.h"
#include "emulink/LinkSession.h"
#include "emulink/SerialPort.h"

#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrell {

class EmulatorLink : public QObject
{
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kReplyTimeout = emulink::BoardChannel::kReplyTimeout;
    static constexpr int kMaxFailuresInRow = emulink::BoardChannel::kMaxFailuresInRow;
    static constexpr std::chrono::milliseconds kProbeTimeout = emulink::LinkOperations::kProbeTimeout;
    static constexpr std::chrono::seconds kScanPause = emulink::LinkOperations::kScanPause;
    static constexpr std::chrono::seconds kOnlineSearch = emulink::LinkOperations::kOnlineSearch;
    static constexpr std::uint32_t kCapacity27C256 = emulink::kCapacity27C256;
    static constexpr std::uint32_t kCapacity27C512 = emulink::kCapacity27C512;

    // The link uses the port, clock and sink for its whole lifetime; it does not own them.
    EmulatorLink(emulink::SerialPort& port, emulink::Clock& clock, common::StatusSink& status,
                 QObject* parent = nullptr);
    ~EmulatorLink() override;

    // --- state ---
    // Everything the link holds, for reading.
    const emulink::LinkSession& session() const { return session_; }
    bool isOnline() const { return session_.isOnline(); }
    // Board IDs of the two slots (0 until a scan fills them) and the count the last scan found.
    std::array<std::uint8_t, 2> foundIds() const { return session_.found().ids; }
    int foundCount() const { return session_.found().count; }
    // Sets the found list directly (the scan does this; tests and tools may too). count 0..2. The
    // sizes that the scan heard from the boards are forgotten.
    void setFoundEmulators(std::array<std::uint8_t, 2> ids, int count);
    // Emulator capacity in bytes: the smaller size of the found boards as the last online search
    // found them; 0x8000 until a board has reported its size.
    std::uint32_t capacity() const { return session_.capacity(); }
    // ROM size of the engine definition (bytes of the ROM buffer); 0 at start. A size larger than
    // capacity() while online takes the link offline, with a status line naming both sizes.
    std::uint32_t romSize() const { return session_.romSize(); }
    void setRomSize(std::uint32_t romSize);
    // Capacity minus ROM size: the wire address of ROM address 0. Negative when the ROM is larger than
    // the board: the link is then offline and every send is refused.
    std::int64_t emulatorOffset() const { return session_.emulatorOffset(); }

    // Name of the port that the next open uses (see resolvePortName in emulink/PortNames.h).
    void setPortName(const QString& name) { session_.setPortName(name); }
    QString portName() const { return session_.portName(); }

    // --- port ---
    // Port open: close (DTR and RTS drop), open the named port, raise DTR and RTS, discard both
    // buffers. Returns whether the port is open afterwards; nothing is reported.
    bool openPort();
    // Port close: drop DTR and RTS and close, when open.
    void closePort();
    bool isPortOpen() const;

    // --- probing ---
    // The editor's version probe: the version request to `id`, then up to kProbeTimeout for 3 bytes.
    // Returns what arrived: empty when nothing did, when the port is closed, and (nothing sent) when
    // called from inside another exchange's wait. Does not look at the online flag; never counted as a
    // failure.
    emulink::Bytes versionProbe(std::uint8_t id);

    // --- discovery and online state ---
    // The scan: port open (on failure kPortError and a line with the reason; if the link was online it
    // goes offline), a 3-second pause, then a probe of IDs 1 and 2 with the port reopened before each.
    // Reports progress through scanProgress() and each find through foundCountChanged(), then the
    // result lines, and remembers the size that each found board gave in its reply. Returns the found
    // count; -1 when the port could not be opened or when called from inside another exchange's wait
    // (nothing done). A scan that finds nothing while online takes the link offline with a status line;
    // one that finds a board smaller than capacity() while online lowers capacity() to it, and takes
    // the link offline (status line naming both sizes) when the ROM no longer fits.
    int scan();

    // Toggle online/offline. The editor checks its emulator settings before calling this.
    void toggleOnline();
    // Going online: needs a board in the found list (else a status line, link stays offline), opens
    // the port (on failure kPortError and a line with the reason, link offline), then the 10-second
    // online search on slot 1.
    // - Not found: "Emulator not found on selected comport", port closed, offline.
    // - Found: version and size lines. With two boards the one in slot 2 is asked for its size too (at
    //   most kMaxFailuresInRow version requests of kReplyTimeout each; when it stays silent its size
    //   from the scan counts, or 0x8000 when the scan did not hear it), with a size line of its own when
    //   it differs. capacity() becomes the smaller size and the offset follows. A ROM size above it:
    //   one "Online refused" line naming both sizes, port closed, offline. Otherwise online.
    // Returns isOnline(); does nothing when already online or called from inside an exchange's wait.
    bool goOnline();
    // Going offline: online flag false, port closed with DTR and RTS dropped, wentOffline(). No status
    // line.
    void goOffline();

    // --- sending edits ---
    // The one write entry: ranges of the ROM buffer that the caller has already changed (an edit step's,
    // in its order), each as short writes of at most 255 bytes to every found board in list order, each
    // board tried at most kMaxFailuresInRow times. The retries are done here: callers do not repeat the
    // call. Asked for from inside another exchange's wait, the ranges are held (Busy) and sent, in order,
    // once the link is free, with the lines of what happened then. Ranges with no bytes are Sent without
    // sending; online with an empty found list the link goes offline (LinkDropped, status line).
    // Refusals come with a status line.
    emulink::WriteThroughResult write(std::span<const emulink::WriteRange> ranges);
    // write() of one range.
    emulink::WriteThroughResult writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes);
    // Writes held until the exchange now waiting has ended.
    std::size_t heldWrites() const { return operations_.heldWrites(); }

    // Upload of the ROM buffer: 256-byte chunks, each chunk to every found board (verified block write,
    // at most kMaxFailuresInRow tries) before the next. `progress(k, chunkCount)` is called before
    // chunk k. Reports "Emulator disabled - cannot upload to emulator" when offline, refuses (status
    // line) an image larger than the emulator capacity, not a whole number of chunks or not of the
    // size given to setRomSize(), and ends with
    // "buffer moved to emulator successfully" only when every chunk reached every board; otherwise
    // "Upload incomplete - emulator disabled" and the count of chunks sent. Once every chunk reached
    // every board the first and the last block of each are read back; a board that holds other bytes
    // there takes the link offline with a line naming it and the block, and the upload is incomplete.
    emulink::UploadResult upload(std::span<const std::uint8_t> rom,
                                 const std::function<void(int chunk, int chunkCount)>& progress = {});

    // Range read, for checking what a board holds: `length` bytes (a whole number of 256-byte blocks)
    // from ROM address romAddress (wire address romAddress + emulatorOffset()) from the found board
    // `id`, one chunk read per block; `progress(b, blockCount)` is called before block b. A block whose
    // reply does not come within kReplyTimeout, is not 257 bytes or has a wrong checksum is read again,
    // and the third failure in a row takes the link offline ("Emulator not responding" lines), which
    // ends the read with the blocks read before it. Nothing is sent (RangeRead::start says why) when
    // offline, called from inside another exchange's wait, for a board not in the found list, for a
    // ROM larger than capacity() or a range outside the board memory (a status line each, never counted
    // as a failure), and online with an empty found list (the link goes offline, status line).
    emulink::RangeRead readRange(std::uint8_t id, std::uint32_t romAddress, std::size_t length,
                                 const std::function<void(int block, int blockCount)>& progress = {});
    // Verified block write of 256 bytes at ROM address romAddress to the found board `id` (at most
    // kMaxFailuresInRow tries; the third failure takes the link offline with its lines). Refusals as
    // for readRange(), with a status line.
    emulink::BlockWrite writeBlock(std::uint8_t id, std::uint32_t romAddress,
                                   std::span<const std::uint8_t> block);
    // readRange() of the one block at romAddress: its 256 bytes, or nullopt when it was not read.
    std::optional<emulink::Bytes> readBlock(std::uint8_t id, std::uint32_t romAddress);

    // True while an exchange is waiting for its reply.
    bool isBusy() const { return session_.isBusy(); }

  signals:
    // The online flag changed (the editor colours its status label: green/"ACTIVE" when true).
    void onlineChanged(bool online);
    // An operation ended with the link offline and the port closed: toggled off, a failed online
    // attempt (no board in the list, a port that will not open, no answer, a ROM too large), a scan
    // whose port will not open, a line event, a silent board. Also when the link had never been online,
    // so the editor's status label shows what the line is doing now, not what it looked like at start.
    void wentOffline();
    // The scan's progress bar value (0..10): the ID being probed, 0 at the end.
    void scanProgress(int value);
    // The port opened for a scan: the editor brings the emulator setup page to the front.
    void scanStarted();
    // The found count changed (after each board the scan finds).
    void foundCountChanged(int count);
    // The capacity changed (a board reported its size); emulatorOffset() has followed.
    void capacityChanged(std::uint32_t capacity);

  private:
    class Relay;
    void onCommsError(emulink::CommsEvent event);
    void say(const std::vector<std::string>& lines);

    common::StatusSink& status_;
    emulink::LinkSession session_;
    emulink::BoardChannel channel_;
    std::unique_ptr<Relay> relay_;
    emulink::LinkOperations operations_;
};

} // namespace vantrell
