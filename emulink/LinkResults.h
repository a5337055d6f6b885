// What the link's operations report back: what was sent, what was refused and why, and whether (and
// why) the link went offline on the way. The operations say nothing to the user: what the user reads
// is the caller's to write from these results.
#pragma once

#include "LinkSession.h"
#include "SerialPort.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace emulink {

// Why an operation took the link offline.
enum class DropCause {
    None,            // it did not
    NoBoardInList,   // online with an empty found list: there was nobody to address
    NotResponding,   // a board failed BoardChannel::kMaxFailuresInRow times in a row
    LineEvent,       // a line event (or a close of the port) took the link offline during a wait; the
                     // line event was reported when it came
    RomTooLarge,     // the ROM no longer fits the smallest found board
    ReadBackDiffers, // after an upload a board read back other bytes than were sent (boardId, romAddress):
                     // its memory may be smaller than it says, so that the writes wrapped round it
};

struct LinkDrop
{
    DropCause cause = DropCause::None;
    std::uint8_t boardId = 0;  // NotResponding: the board that stayed silent
    int failures = 0;          // NotResponding: its failures in a row
    std::uint32_t romSize = 0; // RomTooLarge: the ROM size and the capacity it exceeds
    std::uint32_t capacity = 0;
    std::uint32_t romAddress = 0; // ReadBackDiffers: the first ROM address of the block that differs

    bool happened() const { return cause != DropCause::None; }
};

// Why an operation sent nothing (the link state is unchanged).
enum class RefusalReason {
    None,
    RomTooLarge,          // the ROM is larger than the smallest found board (romSize, capacity)
    OutsideMemory,        // the range reaches outside the board memory (first, last ROM address)
    NotWholeBlocks,       // an image or range that is not a whole number of 256-byte blocks (imageSize)
    ImageLargerThanBoard, // an upload image larger than the capacity (imageSize, capacity)
    ImageNotRomSize,      // an upload image of another size than the ROM size (imageSize, romSize)
};

struct Refusal
{
    RefusalReason reason = RefusalReason::None;
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::uint32_t romSize = 0;
    std::uint32_t capacity = 0;
    std::size_t imageSize = 0;

    bool refused() const { return reason != RefusalReason::None; }
};

// A port that would not open, as the port described it at the time.
struct PortOpenFailure
{
    OpenFailure kind = OpenFailure::Other;
    QString portName;
    QString systemText;
};

struct ScanResult
{
    bool ran = false;                           // false: called inside another exchange's wait, nothing done
    std::optional<PortOpenFailure> portFailure; // the port would not open: the scan stopped there
    FoundBoards found;                          // the list as the scan left it, with the sizes heard
    LinkDrop drop;                              // online before: NoBoardInList or RomTooLarge

    // The found count, or -1 when the scan did not run or the port would not open.
    int count() const { return ran && !portFailure ? found.count : -1; }
};

// How a board's size was taken: the version reply's size byte has no checksum, so a size counts only
// when two replies in a row agree.
enum class SizeCheck {
    Agreed,      // two replies in a row gave the size
    Disagreed,   // two replies in a row gave two sizes (heard, then the other): the smaller is taken
    Unconfirmed, // one reply (heard) and no second within the bound: the small size is taken
};

struct OnlineResult
{
    enum class Outcome {
        Unchanged,     // already online, or called inside another exchange's wait: nothing done
        NoBoardInList, // no board in the found list
        PortFailure,   // the port would not open (portFailure)
        LineEvent,     // a line event ended the search; it was reported when it came
        NotFound,      // the board in slot 1 did not answer within the search
        RomTooLarge,   // found, but the ROM is larger than the smaller board (romSize, capacity)
        Online,
    };
    Outcome outcome = Outcome::Unchanged;
    std::optional<PortOpenFailure> portFailure;
    // Found: the board in slot 1 and what it said.
    std::uint8_t boardId = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint32_t boardSize = 0;
    SizeCheck sizeCheck = SizeCheck::Agreed;
    std::uint32_t heardSize = 0; // Disagreed: the first size heard; Unconfirmed: the size heard once
    std::uint32_t otherSize = 0; // Disagreed: the second size heard
    // The board in slot 2, when there is one (secondSize 0: none was asked): its size as it said now, as
    // the scan heard it, or the small size when neither.
    std::uint8_t secondId = 0;
    std::uint32_t secondSize = 0;
    SizeCheck secondSizeCheck = SizeCheck::Agreed; // as for slot 1, when it answered at all
    std::uint32_t secondHeardSize = 0;
    std::uint32_t secondOtherSize = 0;
    // The ROM size and the capacity that followed from the sizes.
    std::uint32_t romSize = 0;
    std::uint32_t capacity = 0;
};

enum class WriteThroughResult {
    Sent,        // every found board acknowledged every byte
    NotOnline,   // the link is offline: nothing sent, the ROM buffer alone holds the change
    Refused,     // the range lies outside the board memory (below 0, at or above the capacity or
                 // 0x10000), or the ROM is larger than the board: nothing sent
    LinkDropped, // the link went offline during the write
    Busy,        // called from inside another exchange's wait: nothing sent now (exchanges never
                 // interleave); the bytes are held and sent, in order, once the link is free
};

struct WriteReport
{
    WriteThroughResult result = WriteThroughResult::Sent;
    Refusal refusal; // Refused: why
    LinkDrop drop;   // LinkDropped: why
};

// A block read back from a board after an upload.
struct ReadBack
{
    std::uint8_t id = 0;
    std::uint32_t romAddress = 0; // the block's first ROM address
    Bytes bytes;                  // what the board holds there (256 bytes)
    bool equal = false;           // the same as the uploaded image
};

struct UploadResult
{
    bool complete = false; // every chunk reached every found board and every block read back was equal
    int chunksSent = 0;    // chunks that reached every found board
    int chunkCount = 0;    // chunks in the image (0 when the upload did not start)

    enum class Start {
        Started,
        Offline, // the link was offline: nothing sent
        Busy,    // called inside another exchange's wait: nothing sent
        Refused, // the image or the ROM size does not suit the boards (refusal): nothing sent
    };
    Start start = Start::Started;
    Refusal refusal;
    LinkDrop drop; // the link went offline during the upload: the chunks after it were not sent
    // Once every chunk reached every board: the first and the last block of each board, read back in
    // found order (a board that fails its read ends them, drop says why).
    std::vector<ReadBack> readBack;
};

// A read of a ROM range from one found board, block by block.
struct RangeRead
{
    enum class Start {
        Started,
        Offline,  // offline or called inside another exchange's wait: nothing sent
        NotFound, // the board is not in the found list: nothing sent
        NoBoards, // online with an empty found list: the link went offline (drop), nothing sent
        Refused,  // refusal says why: nothing sent
    };
    Start start = Start::Started;
    Refusal refusal;
    LinkDrop drop;      // the link went offline during the read: the blocks after it were not read
    int blockCount = 0; // 256-byte blocks in the range
    int blocksRead = 0; // blocks read, from the first on
    Bytes bytes;        // their bytes, blocksRead × 256
    bool complete = false;
};

// A verified block write of one 256-byte block to one found board.
struct BlockWrite
{
    RangeRead::Start start = RangeRead::Start::Started; // as for a read: why nothing was sent
    Refusal refusal;
    LinkDrop drop;        // the board failed (the link is offline now) or the link went offline
    bool written = false; // the board answered with the block's sum
};

} // namespace emulink
