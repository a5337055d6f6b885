// virtual-board's frame parser, board model and console fed arbitrary bytes and commands, with faults
// injected between them. The boards keep their memory size; a partial frame never grows past the
// longest frame; after the host discards its buffers, a good chunk read gets its exact answer from
// the board's memory whatever came before.
#include "fuzz/targets/FuzzBoards.h"
#include "fuzz/targets/FuzzFiles.h"

#include "boardsim/BoardBus.h"
#include "boardsim/BoardConsole.h"
#include "emulink/Frames.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The longest frame of the protocol: a chunk or verified block write (header, 256 bytes, checksum).
constexpr std::size_t kLongestFrame = 263;

void checkChunkRead(boardsim::BoardBus& bus, std::uint8_t id, std::uint16_t wireAddress)
{
    for (std::size_t f = 0; f < boardsim::kFaultCount; ++f)
        bus.injectFault(static_cast<boardsim::Fault>(f), 0);
    bus.discardInput();
    const auto replies = bus.receive(emulink::chunkRead(id, wireAddress));
    const boardsim::Board* board = nullptr;
    for (const auto& b : bus.boards())
        if (!board && b.config.id == id)
            board = &b;
    if (!board) {
        FUZZ_CHECK(replies.empty());
        return;
    }
    FUZZ_CHECK(!replies.empty());
    const auto& reply = replies.front().bytes;
    FUZZ_CHECK(reply.size() == emulink::kChunkSize + 1);
    FUZZ_CHECK(!replies.front().hangUp);
    for (std::size_t i = 0; i < emulink::kChunkSize; ++i)
        FUZZ_CHECK(reply[i] == board->memory[(wireAddress + i) % board->config.capacity]);
    FUZZ_CHECK(reply.back() == emulink::frameChecksum(std::span(reply.data(), emulink::kChunkSize)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto configs = fuzz::boardsFrom(in);
    boardsim::BoardBus bus(configs);
    boardsim::BoardConsole console(bus);

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
        case 1:
        case 2: {
            const auto bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(1, 300));
            for (const auto& reply : bus.receive(bytes))
                FUZZ_CHECK(reply.frameStart + reply.frameLength <= bus.bytesReceived());
            break;
        }
        case 3:
            bus.injectFault(static_cast<boardsim::Fault>(in.ConsumeIntegralInRange<int>(0, 5)),
                            in.ConsumeIntegralInRange<int>(-1, 3));
            break;
        case 4:
            bus.discardInput();
            FUZZ_CHECK(bus.partialFrameLength() == 0);
            break;
        case 5:
            (void)console.execute(in.ConsumeRandomLengthString(64));
            break;
        case 6:
            checkChunkRead(bus, in.ConsumeIntegralInRange<std::uint8_t>(0, 3),
                           in.ConsumeIntegral<std::uint16_t>());
            break;
        default:
            bus.clearFrameLog();
            break;
        }
        FUZZ_CHECK(bus.partialFrameLength() < kLongestFrame);
        FUZZ_CHECK(bus.boards().size() == configs.size());
        for (std::size_t b = 0; b < configs.size(); ++b)
            FUZZ_CHECK(bus.boards()[b].memory.size() == bus.boards()[b].config.capacity);
        for (const auto& frame : bus.frameLog())
            FUZZ_CHECK(!frame.empty() &&
                       (frame[0] == emulink::kFrameStart || frame[0] == emulink::kConfigStart));
    }
    return 0;
}
