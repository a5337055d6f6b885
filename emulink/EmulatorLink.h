// The editor's link to one or two emulator boards on one serial line: the link state (online flag,
// found-emulator list, capacity, emulator offset), port open and close, the command exchange, the
// verified block write, the scan, the online/offline toggle with its search, the reaction to line
// events, the write-through of edited bytes and the ROM upload.
//
// Every operation runs on the user-interface thread. Waits go through the Clock: the window keeps
// painting, user input is held back until the wait ends. Messages go to the StatusSink one line each.
//
// Bounds that keep the editor from hanging on a silent board:
// - a reply that has not arrived within kReplyTimeout counts as no reply;
// - a failed exchange or verified block write counts towards kMaxFailuresInRow; the third failure in a
//   row takes the link offline (port closed) with the "Emulator not responding" lines. Since an
//   exchange while offline reports success, every repeat-until-success loop of a caller ends;
// - online with no board in the found list the link goes offline with a status line instead of
//   addressing nobody.
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
#include <string_view>

namespace emulink {

// The commands of the command exchange, by the names the editor uses for them.
enum class Command {
    Version,    // "version": version request, 3 reply bytes
    Status,     // "status": status request, 1 reply byte
    Hidden,     // "hidden": short write, 1 reply byte
    ChunkWrite, // "chunkwrite": chunk write, 1 reply byte
    ChunkRead,  // "chunkread": chunk read, 256 bytes and their checksum
};
std::optional<Command> commandFromName(std::string_view name);

struct ExchangeResult
{
    bool success = false;
    // The reply of the last board addressed ("O" while offline). For a chunk read the checksum byte
    // has been taken off, so a read whose checksum is wrong still returns its 256 data bytes.
    Bytes reply;
};

enum class WriteThroughResult {
    Sent,        // every found board acknowledged every byte
    NotOnline,   // the link is offline: nothing sent, the ROM buffer alone holds the change
    Refused,     // the range lies outside the board memory (below 0, at or above the capacity or
                 // 0x10000): status line shown, nothing sent
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
    // Sets the found list directly (the scan does this; tests and tools may too). count 0..2.
    void setFoundEmulators(std::array<std::uint8_t, 2> ids, int count);
    // Emulator capacity in bytes: 0x8000 until a board has reported its size.
    std::uint32_t capacity() const { return capacity_; }
    void setCapacity(std::uint32_t capacity);
    // ROM size of the engine definition (bytes of the ROM buffer); 0 at start.
    std::uint32_t romSize() const { return romSize_; }
    void setRomSize(std::uint32_t romSize);
    // Capacity minus ROM size: the wire address of ROM address 0. Negative when the ROM is larger than
    // the board; every send is then refused.
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

    // --- exchanges ---
    // The command exchange. Offline: nothing sent, success with the reply "O". Online: the frame is
    // sent to every found board in list order at wire address romAddress + emulatorOffset(); success
    // only when every board answered in time (and, for a chunk read, with the right checksum).
    // `data` is used by "hidden" (1..255 bytes) and "chunkwrite". An unknown name or a wire address
    // outside 0..0xFFFF fails without sending and without counting as a failed write.
    ExchangeResult exchange(Command command, std::span<const std::uint8_t> data, std::int32_t romAddress);
    ExchangeResult exchange(std::string_view commandName, std::span<const std::uint8_t> data,
                            std::int32_t romAddress);

    // Verified block write of `data` (256 bytes) at romAddress + emulatorOffset() to one board. Does
    // not look at the online flag. Success iff exactly the 2 bytes of the block sum came back in time.
    bool verifiedBlockWrite(std::span<const std::uint8_t> data, std::int32_t romAddress, std::uint8_t id);

    // The editor's version probe: the version request, then up to 50 ms for 3 bytes. Returns what
    // arrived (empty when nothing did). Not counted as a failure when silent.
    Bytes versionProbe(std::uint8_t id);

    // --- discovery and online state ---
    // The scan: port open (on failure "Invalid comport or comport init error"; if the link was online
    // it goes offline), a 3-second pause, then a probe of IDs 1 and 2 with the port reopened before
    // each. Reports progress through scanProgress() and each find through foundCountChanged(), then
    // the result lines. Returns the found count (-1 when the port could not be opened). A scan that
    // finds nothing while online takes the link offline with a status line.
    int scan();

    // Toggle online/offline. The editor checks its emulator settings before calling this.
    void toggleOnline();
    // Going online: needs a board in the found list (else a status line, link stays offline), opens
    // the port (on failure "Invalid comport or comport init error", link offline), then the 10-second
    // online search on slot 1. Found: version and size lines, capacity and offset follow the board,
    // online. Not found: "Emulator not found on selected comport", port closed, offline.
    // Returns isOnline().
    bool goOnline();
    // Going offline: online flag false, port closed with DTR and RTS dropped. Nothing is reported.
    void goOffline();

    // --- sending edits ---
    // Write-through of a range of the ROM buffer that the caller has already changed: a short write of
    // the bytes to every found board in list order, each board tried at most kMaxFailuresInRow times.
    // Ranges longer than 255 bytes go as several writes of at most 255 bytes. The retries are done
    // here: callers do not repeat the call (a Busy result in particular stays Busy until the outer
    // exchange has returned).
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

    // True while an exchange is waiting for its reply.
    bool isBusy() const { return busy_; }

  signals:
    // The online flag changed (the editor colours its status label: green/"ACTIVE" when true).
    void onlineChanged(bool online);
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
        bool success = false;
        Bytes reply;
    };
    void send(const Bytes& frame);
    Attempt exchangeWith(Command command, std::uint8_t id, std::span<const std::uint8_t> data,
                         std::uint16_t wireAddress);
    bool waitForBytes(std::size_t count, std::chrono::milliseconds timeout, bool exactly = false);
    std::optional<std::uint16_t> wireAddress(std::int64_t romAddress, std::size_t length) const;
    void noteSuccess() { failuresInRow_ = 0; }
    void noteFailure();
    void setOnline(bool online);
    void takeOffline(std::initializer_list<const char*> lines);
    void onCommsError(CommsEvent event);
    void say(const std::string& line);

    SerialPort& port_;
    Clock& clock_;
    common::StatusSink& status_;
    QString portName_;
    bool online_ = false;
    std::array<std::uint8_t, 2> foundIds_{0, 0};
    int foundCount_ = 0;
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
