// The editor's link over the in-process port on the fake clock, with every reply of the boards open
// to the input: a normal answer, a board fault, arbitrary bytes at an arbitrary time instead of the
// answer or after it, or a line event. The input also chooses the operations (scan, online search,
// write-through, upload, range read, block write, going offline, ROM size).
// After each operation: it ended within its bound of fake time, the link is not busy, online means
// a port open, a board in the list and a ROM that fits, and a success was really one: what the link
// says the boards acknowledged is in the boards' memory.
#include "fuzz/targets/FuzzBoards.h"
#include "fuzz/targets/FuzzFiles.h"

#include "boardsim/BoardBus.h"
#include "boardsim/InProcessPort.h"
#include "common/StatusSink.h"
#include "emulink/FakeClock.h"
#include "emulink/Frames.h"
#include "vantrell/link/EmulatorLink.h"

#include <QCoreApplication>

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The in-process port with the input deciding what each write gets back.
class ScriptedPort : public boardsim::InProcessPort
{
  public:
    ScriptedPort(boardsim::BoardBus& bus, emulink::Clock& clock, FuzzedDataProvider& in)
        : InProcessPort(bus, clock), bus_(bus), clock_(clock), in_(in)
    {}

    bool write(std::span<const std::uint8_t> bytes) override
    {
        if (in_.remaining_bytes() == 0)
            return InProcessPort::write(bytes);
        const int mode = in_.ConsumeIntegralInRange<int>(0, 7);
        switch (mode) {
        case 1:
            bus_.injectFault(static_cast<boardsim::Fault>(in_.ConsumeIntegralInRange<int>(0, 5)));
            break;
        case 2:
        case 3:
            bus_.injectFault(boardsim::Fault::NoReply);
            later(in_.ConsumeBytes<std::uint8_t>(in_.ConsumeIntegralInRange<std::size_t>(0, 300)));
            break;
        case 4:
            later(in_.ConsumeBytes<std::uint8_t>(in_.ConsumeIntegralInRange<std::size_t>(0, 8)));
            break;
        case 5: {
            const auto event = static_cast<emulink::CommsEvent>(in_.ConsumeIntegralInRange<int>(0, 8));
            clock_.callAt(clock_.now() + delay(), this, [this, event] { injectCommsEvent(event); });
            break;
        }
        default:
            break;
        }
        return InProcessPort::write(bytes);
    }

  private:
    std::chrono::milliseconds delay()
    {
        return std::chrono::milliseconds(in_.ConsumeIntegralInRange<int>(0, 400));
    }

    void later(emulink::Bytes bytes)
    {
        clock_.callAt(clock_.now() + delay(), this,
                      [this, bytes = std::move(bytes)] { injectReceived(bytes); });
    }

    boardsim::BoardBus& bus_;
    emulink::Clock& clock_;
    FuzzedDataProvider& in_;
};

constexpr auto kTry = vantrell::EmulatorLink::kReplyTimeout;
constexpr int kTries = vantrell::EmulatorLink::kMaxFailuresInRow;
// Room for the posted deliveries and the port's reopening between the bounded waits.
constexpr auto kSlack = 1s;

// The board memory byte that ROM address `a` reaches on board `b`.
std::uint8_t boardByte(const boardsim::BoardBus& bus, std::size_t b, std::int64_t offset, std::size_t a)
{
    const auto& board = bus.boards()[b];
    return board
        .memory[static_cast<std::size_t>(offset + static_cast<std::int64_t>(a)) % board.config.capacity];
}

bool isFoundBoard(const vantrell::EmulatorLink& link, std::uint8_t id)
{
    for (int s = 0; s < link.foundCount() && s < 2; ++s)
        if (link.foundIds()[static_cast<std::size_t>(s)] == id)
            return true;
    return false;
}

// Every board in the found list holds the ROM range (as the bus numbers its boards: by ID).
void checkBoardsHold(const boardsim::BoardBus& bus, const vantrell::EmulatorLink& link,
                     const std::vector<std::uint8_t>& rom, std::size_t from, std::size_t length)
{
    for (std::size_t b = 0; b < bus.boards().size(); ++b) {
        // Version replies made of noise can claim a larger board than there is, twice in a row; the
        // writes then wrap round the real one and their acknowledgements cannot tell (an upload's
        // read-back of the first and last block can). Only a board the link sees as it is must hold
        // what was acknowledged.
        if (!isFoundBoard(link, bus.boards()[b].config.id) ||
            bus.boards()[b].config.capacity < link.capacity())
            continue;
        for (std::size_t a = from; a < from + length; ++a) {
            if (boardByte(bus, b, link.emulatorOffset(), a) != rom[a])
                std::fprintf(stderr,
                             "board %d (capacity 0x%X) at ROM address 0x%zX: 0x%02X, sent 0x%02X; link "
                             "capacity 0x%X, ROM size 0x%X\n",
                             bus.boards()[b].config.id, bus.boards()[b].config.capacity, a,
                             boardByte(bus, b, link.emulatorOffset(), a), rom[a], link.capacity(),
                             link.romSize());
            FUZZ_CHECK(boardByte(bus, b, link.emulatorOffset(), a) == rom[a]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    boardsim::BoardBus bus(fuzz::boardsFrom(in));
    emulink::FakeClock clock;
    ScriptedPort port(bus, clock, in);
    common::StatusLines status;
    vantrell::EmulatorLink link(port, clock, status);
    link.setPortName(QStringLiteral("sim0"));

    std::vector<std::uint8_t> rom(256 * in.ConsumeIntegralInRange<std::size_t>(1, 256));
    for (auto& b : rom)
        b = in.ConsumeIntegral<std::uint8_t>();
    link.setRomSize(static_cast<std::uint32_t>(rom.size()));

    for (int op = 0; op < 24 && in.remaining_bytes() > 0; ++op) {
        const auto start = clock.now();
        std::chrono::milliseconds bound = kSlack;
        switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
            link.scan();
            bound += emulink::LinkOperations::kScanPause + 2 * vantrell::EmulatorLink::kProbeTimeout;
            break;
        case 1:
            // The setup page sets the list while offline; online, only the scan changes it.
            if (link.isOnline())
                break;
            link.setFoundEmulators({in.ConsumeIntegralInRange<std::uint8_t>(0, 3),
                                    in.ConsumeIntegralInRange<std::uint8_t>(0, 3)},
                                   in.ConsumeIntegralInRange<int>(0, 2));
            break;
        case 2:
            link.goOnline();
            // The search, then the size confirmed for each of two boards within one bounded request.
            bound += vantrell::EmulatorLink::kOnlineSearch + 2 * kTries * kTry;
            break;
        case 3:
            link.goOffline();
            break;
        case 4: {
            const auto from = in.ConsumeIntegralInRange<std::size_t>(0, rom.size() - 1);
            const auto length =
                in.ConsumeIntegralInRange<std::size_t>(0, std::min<std::size_t>(600, rom.size() - from));
            for (std::size_t a = from; a < from + length; ++a)
                rom[a] = in.ConsumeIntegral<std::uint8_t>();
            const auto result =
                link.writeThrough(static_cast<std::uint32_t>(from), std::span(rom.data() + from, length));
            bound += static_cast<int>((length + 254) / 255) * 2 * kTries * kTry;
            if (result == emulink::WriteThroughResult::Sent) {
                FUZZ_CHECK(link.isOnline());
                checkBoardsHold(bus, link, rom, from, length);
            }
            if (result == emulink::WriteThroughResult::LinkDropped)
                FUZZ_CHECK(!link.isOnline());
            break;
        }
        case 5: {
            const auto result = link.upload(rom);
            // Every chunk to two boards, then the read-back of two blocks from each.
            bound += (static_cast<int>(rom.size() / 256) + 2) * 2 * kTries * kTry;
            if (result.complete) {
                FUZZ_CHECK(result.chunksSent == result.chunkCount);
                FUZZ_CHECK(link.isOnline());
                checkBoardsHold(bus, link, rom, 0, rom.size());
            } else if (result.start == emulink::UploadResult::Start::Started) {
                FUZZ_CHECK(!link.isOnline());
            }
            break;
        }
        case 6: {
            const std::uint8_t id = in.ConsumeIntegralInRange<std::uint8_t>(0, 3);
            const auto blocks = rom.size() / 256;
            const auto first = in.ConsumeIntegralInRange<std::size_t>(0, blocks);
            const auto count = in.ConsumeIntegralInRange<std::size_t>(0, blocks - first + 1);
            const auto read = link.readRange(id, static_cast<std::uint32_t>(256 * first), 256 * count);
            bound += static_cast<int>(count) * kTries * kTry;
            FUZZ_CHECK(read.bytes.size() == 256 * static_cast<std::size_t>(read.blocksRead));
            FUZZ_CHECK(read.blocksRead <= read.blockCount);
            if (read.complete)
                FUZZ_CHECK(read.blocksRead == read.blockCount);
            break;
        }
        case 7: {
            const std::uint8_t id = in.ConsumeIntegralInRange<std::uint8_t>(0, 3);
            const auto block = in.ConsumeIntegralInRange<std::size_t>(0, rom.size() / 256 - 1);
            const auto write = link.writeBlock(id, static_cast<std::uint32_t>(256 * block),
                                               std::span(rom.data() + 256 * block, 256));
            bound += kTries * kTry;
            if (write.written) {
                for (std::size_t b = 0; b < bus.boards().size(); ++b)
                    if (bus.boards()[b].config.id == id && bus.boards()[b].config.capacity >= link.capacity())
                        for (std::size_t a = 256 * block; a < 256 * block + 256; ++a)
                            FUZZ_CHECK(boardByte(bus, b, link.emulatorOffset(), a) == rom[a]);
            }
            break;
        }
        case 8:
            rom.resize(256 * in.ConsumeIntegralInRange<std::size_t>(1, 256));
            link.setRomSize(static_cast<std::uint32_t>(rom.size()));
            break;
        default:
            (void)link.versionProbe(in.ConsumeIntegralInRange<std::uint8_t>(0, 3));
            bound += vantrell::EmulatorLink::kProbeTimeout;
            break;
        }
        FUZZ_CHECK(clock.now() - start <= bound);
        FUZZ_CHECK(!link.isBusy());
        if (link.isOnline()) {
            FUZZ_CHECK(link.isPortOpen());
            FUZZ_CHECK(link.foundCount() >= 1);
            FUZZ_CHECK(link.romSize() <= link.capacity());
        }
    }
    return 0;
}
