// The editor's link to one or two emulator boards on one serial line: the link state (online flag,
// found-emulator list, capacity, emulator offset), port open and close, the scan, the online/offline
// toggle with its search, the reaction to line events, and the three ways data moves: the
// write-through of edited bytes, the ROM upload and the block read.
//
// Every operation runs on the user-interface thread. Waits go through the Clock: the window keeps
// painting, user input is held back until the wait ends. Messages go to the StatusSink one line each.
//
// Bounds that keep the editor from hanging on a silent board:
// - a reply that has not arrived within kReplyTimeout counts as no reply;
// - the sends retry by themselves, callers never repeat them: a short write, verified block write or
//   chunk read that fails counts towards kMaxFailuresInRow, and the third failure in a row takes the
//   link offline (port closed) with the "Emulator not responding" lines, which ends every retry;
// - online with no board in the found list the link goes offline with a status line instead of
//   addressing nobody.
//
// The ROM must fit every found board, or it would reach them in pieces: going online is refused while
// the ROM size of the engine definition is larger than capacity() (the smallest found board), a larger
// definition loaded while online takes the link offline, and every send refuses while the two disagree.
#pragma once

#include "Clock.h"
#include "Frames.h"
#include "SerialPort.h"

#include "common/StatusSink.h"

#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>

namespace emulink {

enum class WriteThroughResult {
    Sent,        // every found board acknowledged every byte
    NotOnline,   // the link is offline: nothing sent, the ROM buffer alone holds the change
    Refused,     // the range lies outside the board memory (below 0, at or above the capacity or
                 // 0x10000), or the ROM is larger than the board: status line shown, nothing sent
    LinkDropped, // the link went offline during the write (status lines shown)
    Busy,        // called from inside another exchange's wait: nothing sent (exchanges never interleave)
};

struct UploadResult
{
    bool complete = false; // every chunk reached every found board
    int chunksSent = 0;    // chunks that reached every found board
    int chunkCount = 0;    // chunks in the image (0 when the upload did not start)
};

class EmulatorLink : public QObject
{
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kReplyTimeout{250};
    static constexpr int kMaxFailuresInRow = 3;
    static constexpr std::chrono::milliseconds kProbeTimeout{50};
    static constexpr std::chrono::seconds kScanPause{3};
    static constexpr std::chrono::seconds kOnlineSearch{10};
    static constexpr std::uint32_t kCapacity27C256 = 0x8000;
    static constexpr std::uint32_t kCapacity27C512 = 0x10000;

    // The link uses the port, clock and sink for its whole lifetime; it does not own them.
    EmulatorLink(SerialPort& port, Clock& clock, common::StatusSink& status, QObject* parent = nullptr);
    ~EmulatorLink() override;

    // --- state ---
    bool isOnline() const { return online_; }
    // Board IDs of the two slots (0 until a scan fills them) and the count the last scan found.
    std::array<std::uint8_t, 2> foundIds() const { return foundIds_; }
    int foundCount() const { return foundCount_; }
    // Sets the found list directly (the scan does this; tests and tools may too). count 0..2. The
    // sizes that the scan heard from the boards are forgotten.
    void setFoundEmulators(std::array<std::uint8_t, 2> ids, int count);
    // Emulator capacity in bytes: the smaller size of the found boards as the last online search
    // found them; 0x8000 until a board has reported its size.
    std::uint32_t capacity() const { return capacity_; }
    // ROM size of the engine definition (bytes of the ROM buffer); 0 at start. A size larger than
    // capacity() while online takes the link offline, with a status line naming both sizes.
    std::uint32_t romSize() const { return romSize_; }
    void setRomSize(std::uint32_t romSize);
    // Capacity minus ROM size: the wire address of ROM address 0. Negative when the ROM is larger than
    // the board: the link is then offline and every send is refused.
    std::int64_t emulatorOffset() const { return std::int64_t(capacity_) - std::int64_t(romSize_); }

    // Name of the port that the next open uses (see resolvePortName in PortNames.h).
    void setPortName(const QString& name) { portName_ = name; }
    QString portName() const { return portName_; }

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
    Bytes versionProbe(std::uint8_t id);

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
    // Write-through of a range of the ROM buffer that the caller has already changed: a short write of
    // the bytes to every found board in list order, each board tried at most kMaxFailuresInRow times.
    // Ranges longer than 255 bytes go as several writes of at most 255 bytes. The retries are done
    // here: callers do not repeat the call (a Busy result in particular stays Busy until the outer
    // exchange has returned). An empty range is Sent without sending; online with an empty found list
    // the link goes offline (LinkDropped, status line).
    WriteThroughResult writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes);

    // Upload of the ROM buffer: 256-byte chunks, each chunk to every found board (verified block write,
    // at most kMaxFailuresInRow tries) before the next. `progress(k, chunkCount)` is called before
    // chunk k. Reports "Emulator disabled - cannot upload to emulator" when offline, refuses (status
    // line) an image larger than the emulator capacity, not a whole number of chunks or not of the
    // size given to setRomSize(), and ends with
    // "buffer moved to emulator successfully" only when every chunk reached every board; otherwise
    // "Upload incomplete - emulator disabled" and the count of chunks sent.
    UploadResult upload(std::span<const std::uint8_t> rom,
                        const std::function<void(int chunk, int chunkCount)>& progress = {});

    // Block read, for checking what the boards hold: a chunk read of the 256 bytes at ROM address
    // romAddress (wire address romAddress + emulatorOffset()) from the found board `id`. No reply
    // within kReplyTimeout, a reply of other than 257 bytes or a wrong checksum is a failure in a row
    // as for the write-through: the read is tried again, at most kMaxFailuresInRow times, and the third
    // failure takes the link offline. Callers do not repeat the call.
    // Returns the board's 256 bytes, or nullopt:
    // - nothing sent: offline; called from inside another exchange's wait; `id` not in the found list;
    //   the ROM larger than capacity() or the 256 bytes outside the board memory (status line, not a
    //   failure); online with an empty found list (the link goes offline, status line);
    // - after sending: the link went offline during the read (failures or a line event, status lines).
    std::optional<Bytes> readBlock(std::uint8_t id, std::uint32_t romAddress);

    // True while an exchange is waiting for its reply.
    bool isBusy() const { return busy_; }

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
    struct Attempt
    {
        bool arrived = false; // the awaited number of bytes came in time
        Bytes reply;
    };
    void send(const Bytes& frame);
    // One frame, then the wait for at least `replyLength` bytes and the read of everything waiting.
    Attempt sendAndAwait(const Bytes& frame, std::size_t replyLength);
    bool waitForBytes(std::size_t count, std::chrono::milliseconds timeout, bool exactly = false);
    std::optional<std::uint16_t> wireAddress(std::int64_t romAddress, std::size_t length) const;
    // Verified block write of `data` (256 bytes) at romAddress + emulatorOffset() to one board, for
    // the upload (which checks the range first). Success iff exactly the 2 bytes of the block sum came
    // back in time; a failure counts towards kMaxFailuresInRow.
    bool verifiedBlockWrite(std::span<const std::uint8_t> data, std::int32_t romAddress, std::uint8_t id);
    std::uint32_t secondBoardCapacity();
    bool romFitsBoards() const { return romSize_ <= capacity_; }
    void setCapacity(std::uint32_t capacity);
    void reportOpenFailure();
    void noteSuccess() { failuresInRow_ = 0; }
    void noteFailure();
    void setOnline(bool online);
    void takeOffline(std::initializer_list<std::string> lines);
    void onCommsError(CommsEvent event);
    void say(const std::string& line);

    SerialPort& port_;
    Clock& clock_;
    common::StatusSink& status_;
    QString portName_;
    bool online_ = false;
    std::array<std::uint8_t, 2> foundIds_{0, 0};
    int foundCount_ = 0;
    // Size of each found board as its scan reply gave it; empty when not heard.
    std::array<std::optional<std::uint32_t>, 2> scannedCapacity_{};
    std::uint32_t capacity_ = kCapacity27C256;
    std::uint32_t romSize_ = 0;
    int failuresInRow_ = 0;
    bool busy_ = false;
};

// The exact message texts of the link, for the editor and for tests.
namespace messages {
inline constexpr const char* kWarning = "*******WARNING*********";
inline constexpr const char* kCommsError = "Comms error detected";
inline constexpr const char* kNotResponding = "Emulator not responding";
inline constexpr const char* kDisabled = "Emulator Disabled";
inline constexpr const char* kPortError = "Invalid comport or comport init error";
inline constexpr const char* kScanning = "Scanning for emulators - please wait - powering comport";
inline constexpr const char* kConnectBoard = "Please connect an emulator (or emulators) to selected comport";
inline constexpr const char* kRunSetupTool = "Or run the Pellory program first...";
inline constexpr const char* kLooking = "Looking for emulator on selected comport for 10 seconds";
inline constexpr const char* kNotFound = "Emulator not found on selected comport";
inline constexpr const char* kNoBoardInList = "No emulator found by the last scan - emulator disabled";
inline constexpr const char* kUploadOffline = "Emulator disabled - cannot upload to emulator";
inline constexpr const char* kUploadDone = "buffer moved to emulator successfully";
inline constexpr const char* kUploadIncomplete = "Upload incomplete - emulator disabled";
} // namespace messages

} // namespace emulink
