#include "vantrell/link/LinkStatusLines.h"

#include "common/Numbers.h"

namespace vantrell {

using emulink::BlockWrite;
using emulink::DropCause;
using emulink::LinkDrop;
using emulink::Notice;
using emulink::OnlineResult;
using emulink::PortOpenFailure;
using emulink::RangeRead;
using emulink::Refusal;
using emulink::RefusalReason;
using emulink::ScanResult;
using emulink::SizeCheck;
using emulink::UploadResult;
using emulink::WriteReport;
using emulink::WriteThroughResult;

namespace {

const char* eepromName(std::uint32_t capacity)
{
    return capacity == emulink::kCapacity27C256 ? "27c256" : "27c512";
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

// Why a board's size is not the one it said, when it is not: "" when two replies agreed.
std::string sizeCheckLine(std::uint8_t id, SizeCheck check, std::uint32_t heard, std::uint32_t other,
                          std::uint32_t taken)
{
    const std::string board = "Emulator ID " + common::numberText(id);
    switch (check) {
    case SizeCheck::Agreed:
        return {};
    case SizeCheck::Disagreed:
        return board + " gave two sizes, " + eepromName(heard) + " and " + eepromName(other) + " - " +
               eepromName(taken) + " is taken";
    case SizeCheck::Unconfirmed:
        return board + " did not repeat its size of " + eepromName(heard) + " - " + eepromName(taken) +
               " is taken";
    }
    return {};
}

void append(std::vector<std::string>& lines, const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
}

} // namespace

std::string noticeLine(Notice notice)
{
    switch (notice) {
    case Notice::Scanning:
        return link_messages::kScanning;
    case Notice::LookingForBoard:
        return link_messages::kLooking;
    }
    return {};
}

std::vector<std::string> lineEventLines()
{
    return {link_messages::kWarning, link_messages::kCommsError, link_messages::kDisabled,
            link_messages::kWarning};
}

std::vector<std::string> portFailureLines(const PortOpenFailure& failure)
{
    std::vector<std::string> lines{link_messages::kPortError};
    const QString reason = emulink::openFailureAdvice(failure.kind, failure.portName, failure.systemText);
    if (!reason.isEmpty())
        lines.push_back(reason.toStdString());
    return lines;
}

std::vector<std::string> dropLines(const LinkDrop& drop)
{
    switch (drop.cause) {
    case DropCause::None:
    case DropCause::LineEvent:
        return {};
    case DropCause::NoBoardInList:
        return {link_messages::kNoBoardInList};
    case DropCause::NotResponding:
        return {link_messages::kWarning, link_messages::kNotResponding, link_messages::kDisabled,
                link_messages::kWarning};
    case DropCause::RomTooLarge:
        return {romTooLarge("Emulator disabled", drop.romSize, drop.capacity)};
    case DropCause::ReadBackDiffers:
        return {"Emulator ID " + common::numberText(drop.boardId) + " holds other bytes at ROM address " +
                hexAddress(drop.romAddress) + " to " + hexAddress(std::int64_t(drop.romAddress) + 255) +
                " than were uploaded - its memory may be smaller than it reports"};
    }
    return {};
}

std::string refusalLine(const char* what, const Refusal& refusal)
{
    const std::string head = std::string(what) + " - ";
    switch (refusal.reason) {
    case RefusalReason::None:
        return {};
    case RefusalReason::RomTooLarge:
        return romTooLarge(what, refusal.romSize, refusal.capacity);
    case RefusalReason::OutsideMemory:
        return head + "ROM address " + hexAddress(refusal.first) + " to " + hexAddress(refusal.last) +
               " is outside the emulator memory";
    case RefusalReason::NotWholeBlocks:
        return head + "the ROM image is not a whole number of 256-byte blocks";
    case RefusalReason::ImageLargerThanBoard:
        return head + "ROM image of" + common::numberText(double(refusal.imageSize)) +
               " bytes is larger than the emulator memory of" + common::numberText(refusal.capacity) +
               " bytes";
    case RefusalReason::ImageNotRomSize:
        return head + "the ROM buffer holds" + common::numberText(double(refusal.imageSize)) +
               " bytes but the engine definition gives" + common::numberText(refusal.romSize);
    }
    return {};
}

std::vector<std::string> scanLines(const ScanResult& result)
{
    if (!result.ran)
        return {};
    if (result.portFailure)
        return portFailureLines(*result.portFailure);
    // The Scanning line was shown before the pause.
    std::vector<std::string> lines{"Found " + common::numberText(result.found.count) + " emulators"};
    for (int slot = 0; slot < result.found.count; ++slot)
        lines.push_back("Emulator ID " + common::numberText(result.found.ids[std::size_t(slot)]));
    if (result.found.count == 0) {
        lines.push_back(link_messages::kConnectBoard);
        lines.push_back(link_messages::kRunSetupTool);
    }
    append(lines, dropLines(result.drop));
    return lines;
}

std::vector<std::string> onlineLines(const OnlineResult& result)
{
    using Outcome = OnlineResult::Outcome;
    switch (result.outcome) {
    case Outcome::Unchanged:
    case Outcome::LineEvent:
        return {};
    case Outcome::NoBoardInList:
        return {link_messages::kNoBoardInList};
    case Outcome::PortFailure:
        return result.portFailure ? portFailureLines(*result.portFailure)
                                  : std::vector<std::string>{link_messages::kPortError};
    case Outcome::NotFound:
        return {link_messages::kNotFound};
    case Outcome::RomTooLarge:
    case Outcome::Online:
        break;
    }
    // The Looking line was shown before the search.
    std::vector<std::string> lines{"Emulator found : v" + common::numberText(result.major) + "." +
                                   common::numberText(result.minor)};
    const std::string firstCheck =
        sizeCheckLine(result.boardId, result.sizeCheck, result.heardSize, result.otherSize, result.boardSize);
    if (!firstCheck.empty())
        lines.push_back(firstCheck);
    lines.push_back(std::string("Can emulate up to ") + eepromName(result.boardSize) + " eprom size");
    const std::string secondCheck =
        sizeCheckLine(result.secondId, result.secondSizeCheck, result.secondHeardSize, result.secondOtherSize,
                      result.secondSize);
    if (result.secondSize != 0 && !secondCheck.empty())
        lines.push_back(secondCheck);
    if (result.secondSize != 0 && result.secondSize != result.boardSize)
        lines.push_back("Emulator ID " + common::numberText(result.secondId) + " can emulate up to " +
                        eepromName(result.secondSize) + " eprom size");
    if (result.outcome == Outcome::RomTooLarge)
        lines.push_back(romTooLarge("Online refused", result.romSize, result.capacity));
    return lines;
}

std::vector<std::string> writeThroughLines(const WriteReport& report)
{
    switch (report.result) {
    case WriteThroughResult::Refused:
        return {refusalLine("Write refused", report.refusal)};
    case WriteThroughResult::LinkDropped:
        return dropLines(report.drop);
    case WriteThroughResult::Sent:
    case WriteThroughResult::NotOnline:
    case WriteThroughResult::Busy:
        break;
    }
    return {};
}

std::vector<std::string> uploadLines(const UploadResult& result)
{
    switch (result.start) {
    case UploadResult::Start::Offline:
        return {link_messages::kUploadOffline};
    case UploadResult::Start::Busy:
        return {};
    case UploadResult::Start::Refused:
        return {refusalLine("Upload refused", result.refusal)};
    case UploadResult::Start::Started:
        break;
    }
    std::vector<std::string> lines = dropLines(result.drop);
    if (result.complete) {
        lines.push_back(link_messages::kUploadDone);
    } else {
        lines.push_back(link_messages::kUploadIncomplete);
        lines.push_back("Chunks sent:" + common::numberText(result.chunksSent) + " of" +
                        common::numberText(result.chunkCount));
    }
    return lines;
}

std::vector<std::string> rangeReadLines(const RangeRead& read)
{
    switch (read.start) {
    case RangeRead::Start::Offline:
    case RangeRead::Start::NotFound:
        return {};
    case RangeRead::Start::NoBoards:
        return dropLines(read.drop);
    case RangeRead::Start::Refused:
        if (read.refusal.reason == RefusalReason::NotWholeBlocks)
            return {"Read refused - a range of" + common::numberText(double(read.refusal.imageSize)) +
                    " bytes is not a whole number of 256-byte blocks"};
        return {refusalLine("Read refused", read.refusal)};
    case RangeRead::Start::Started:
        break;
    }
    return dropLines(read.drop);
}

std::vector<std::string> blockWriteLines(const BlockWrite& write)
{
    switch (write.start) {
    case RangeRead::Start::Offline:
    case RangeRead::Start::NotFound:
        return {};
    case RangeRead::Start::NoBoards:
        return dropLines(write.drop);
    case RangeRead::Start::Refused:
        return {refusalLine("Block write refused", write.refusal)};
    case RangeRead::Start::Started:
        break;
    }
    return dropLines(write.drop);
}

} // namespace vantrell
