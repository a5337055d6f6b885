// What the link's operations tell their owner while they run, at the moment it happens: state changes
// that windows show (online flag, found count, capacity), the progress of the scan, and the two notices
// a user must read before a long wait starts. Everything else an operation has to say comes back in its
// result. Every function does nothing unless overridden.
#pragma once

#include "LinkResults.h"

#include <cstdint>

namespace emulink {

enum class Notice {
    Scanning,        // the scan has powered the port and pauses before probing
    LookingForBoard, // the online search starts its wait for the board in slot 1
};

class LinkEvents
{
  public:
    virtual ~LinkEvents() = default;

    virtual void onlineChanged(bool /*online*/) {}
    // An operation ended with the link offline and the port closed (going offline, a failed online
    // attempt, a scan whose port will not open, a line event, a silent board), also when the link had not
    // been online: a window shows what the line is doing now.
    virtual void wentOffline() {}
    virtual void capacityChanged(std::uint32_t /*capacity*/) {}
    virtual void foundCountChanged(int /*count*/) {}
    virtual void scanStarted() {}
    virtual void scanProgress(int /*value*/) {}
    virtual void notice(Notice /*notice*/) {}
    // Writes held while another exchange waited were sent (or not: the report says) once it ended.
    virtual void heldWritesSent(const WriteReport& /*report*/) {}
};

} // namespace emulink
