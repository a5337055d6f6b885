// A link over simulated boards in the test process: bus, fake clock, port, status lines and link.
#pragma once

#include "vantrell/link/EmulatorLink.h"

#include "boardsim/InProcessPort.h"
#include "common/StatusSink.h"
#include "emulink/FakeClock.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrell::testing {

struct InProcessRig
{
    explicit InProcessRig(std::vector<boardsim::BoardConfig> boards = {{1, 1, 0, 0x8000}, {2, 1, 0, 0x8000}})
        : bus(std::move(boards)), port(bus, clock), link(port, clock, status)
    {
        link.setPortName(QStringLiteral("sim0"));
    }

    // Found list and online flag as a scan and a successful search would leave them.
    void online(std::array<std::uint8_t, 2> ids = {1, 2}, int count = 2)
    {
        link.setFoundEmulators(ids, count);
        link.goOnline();
        status.lines.clear();
        bus.clearFrameLog();
    }

    std::vector<std::string> takeLines()
    {
        std::vector<std::string> out;
        out.swap(status.lines);
        return out;
    }

    boardsim::BoardBus bus;
    emulink::FakeClock clock;
    boardsim::InProcessPort port;
    common::StatusLines status;
    EmulatorLink link;
};

inline emulink::Bytes bytesOf(std::initializer_list<int> values)
{
    emulink::Bytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

} // namespace vantrell::testing
