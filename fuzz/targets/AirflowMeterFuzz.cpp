// The airflow meter list (afm.ini) and a meter's curve file, both from the input, with the engine's
// VQ map size and place from the input too. A refused meter leaves the selection, rating and curve
// as they were; a chosen one gives a curve of the VQ map's size; the commit writes only the VQ map,
// K and the AF limit.
#include "fuzz/targets/DemoDefinition.h"
#include "fuzz/targets/FuzzFiles.h"

#include "common/StatusSink.h"
#include "vantrell/engine/EngineDefinition.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"
#include "vantrell/tools/core/AirflowMeterSwap.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

class QuietDialogs : public vantrell::Dialogs
{
  public:
    std::string fncGetFileNametoOpen(const std::string&, const std::string&, const std::string&,
                                     const std::string&) override
    {
        return {};
    }
    std::string fncGetFileNametoSave(const std::string&, const std::string&, const std::string&,
                                     const std::string&) override
    {
        return {};
    }
    Answer askYesNoCancel(const std::string&, const std::string&) override { return Answer::Yes; }
    Answer askYesNo(const std::string&, const std::string&) override { return Answer::Yes; }
    void showMessage(const std::string&, const std::string&) override {}
    void beep() override {}
};

bool inside(std::size_t a, std::optional<std::uint32_t> start, std::size_t length)
{
    return start && a >= *start && a < *start + length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool ownVq = in.ConsumeBool();
    const std::string vqsize = in.ConsumeRandomLengthString(8);
    const std::string vqmap = in.ConsumeRandomLengthString(8);
    const int airflowmeter = in.ConsumeIntegralInRange<int>(-1, 9);
    const int chosen = in.ConsumeIntegralInRange<int>(-1, 9);
    const std::string curve = in.ConsumeRandomLengthString(600);
    const std::string list = in.ConsumeRemainingBytesAsString();

    common::StatusLines status;
    vantrell::EditorState state;
    fuzz::loadDemo(state, status);
    state.folders = vantrell::ProgramFolders::under(fuzz::scratchFolder().string());
    std::filesystem::create_directories(state.folders.config);
    std::filesystem::create_directories(state.folders.afm);
    fuzz::writeScratch("config/afm.ini", list);
    fuzz::writeScratch("afm/curve.afm", curve);
    if (ownVq) {
        state.def.vqsize = vqsize;
        state.def.vqmap = vqmap;
    }
    state.def.airflowmeter = static_cast<std::int16_t>(airflowmeter);

    vantrell::AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    const auto vq = vantrell::vqSizeOf(state.def);

    const auto selected = swap.selected();
    const auto rating = swap.chosenRating();
    const auto working = swap.workingCurve();
    if (swap.chooseMeter(state, chosen, status)) {
        FUZZ_CHECK(swap.selected() == chosen);
        FUZZ_CHECK(vq.has_value() && swap.workingCurve().size() == *vq);
    } else {
        FUZZ_CHECK(swap.selected() == selected);
        FUZZ_CHECK(swap.chosenRating() == rating);
        FUZZ_CHECK(swap.workingCurve() == working);
    }
    (void)swap.graphCommands(state);

    const auto before = state.rom.bytes();
    QuietDialogs dialogs;
    const bool committed = swap.commit(state, status, dialogs);
    const auto& after = state.rom.bytes();
    FUZZ_CHECK(after.size() == before.size());
    if (!committed) {
        FUZZ_CHECK(after == before);
        return 0;
    }
    const auto vqAt = vantrell::addressInRom(state.def.vqmap, vq.value_or(0), after.size());
    const auto kAt = vantrell::addressInRom(state.def.kval, 2, after.size());
    const auto afAt = vantrell::addressInRom(state.def.aflimit, 16, after.size());
    for (std::size_t a = 0; a < after.size(); ++a)
        if (after[a] != before[a])
            FUZZ_CHECK(inside(a, vqAt, vq.value_or(0)) || inside(a, kAt, 2) || inside(a, afAt, 16));
    return 0;
}
