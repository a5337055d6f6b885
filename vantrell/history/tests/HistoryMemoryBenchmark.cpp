// Bytes of undo history per edited cell: a full history (1000 steps) of one-cell edits, of 12-cell
// block edits and of whole-map (256-cell) edits. The counter bytes_per_cell is the bound to watch: the
// history keeps only the changed bytes, a few bytes each, plus a small record per step.
#include "vantrell/history/EditHistory.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void FullHistory(benchmark::State& state)
{
    const auto cells = static_cast<std::uint32_t>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        vantrell::RomDocument doc;
        doc.loadImage(std::vector<std::uint8_t>(32768, 0));
        vantrell::EditHistory history(doc);
        for (std::uint32_t n = 0; n < vantrell::EditHistory::kLimit; ++n) {
            vantrell::EditStepBuilder step(doc.buffer());
            for (std::uint32_t c = 0; c < cells; ++c) // one range a cell, as the grid's keys write them
                step.write((n * 16 + c * 17) % 32768,
                           static_cast<std::uint8_t>(step.at((n * 16 + c * 17) % 32768) + 1));
            (void)doc.apply(step.finish("edit of cells on Main Fuel Map", vantrell::EditSource::GridKeys));
        }
        bytes = history.memoryBytes();
    }
    state.counters["history_bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_cell"] =
        static_cast<double>(bytes) / (static_cast<double>(vantrell::EditHistory::kLimit) * cells);
}

BENCHMARK(FullHistory)->Arg(1)->Arg(12)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
