// The editor's status lines for what the link did: each result of LinkOperations, each notice and a
// line event, turned into the lines the user reads in the status window, in the order they are shown.
// Pure functions of the results; numbers are written with the sign position blank (" 2").
#pragma once

#include "emulink/LinkEvents.h"
#include "emulink/LinkResults.h"

#include <string>
#include <vector>

namespace vantrell {

// The fixed message texts, for the editor and for tests.
namespace link_messages {
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
} // namespace link_messages

// The line shown as the notice comes, before the wait it announces.
std::string noticeLine(emulink::Notice notice);
// The four lines of a line event, shown as it comes.
std::vector<std::string> lineEventLines();

// A port that would not open: kPortError, then what went wrong and what to do (when known).
std::vector<std::string> portFailureLines(const emulink::PortOpenFailure& failure);
// Why the link went offline; none for a line event (its lines were shown when it came).
std::vector<std::string> dropLines(const emulink::LinkDrop& drop);
// Why `what` ("Write refused", "Read refused", ...) sent nothing.
std::string refusalLine(const char* what, const emulink::Refusal& refusal);

// The lines after each operation.
std::vector<std::string> scanLines(const emulink::ScanResult& result);
std::vector<std::string> onlineLines(const emulink::OnlineResult& result);
std::vector<std::string> writeThroughLines(const emulink::WriteReport& report);
std::vector<std::string> uploadLines(const emulink::UploadResult& result);
std::vector<std::string> rangeReadLines(const emulink::RangeRead& read);
std::vector<std::string> blockWriteLines(const emulink::BlockWrite& write);

} // namespace vantrell
