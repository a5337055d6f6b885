// The map file reader on any file, into any of the four maps. A file shorter than a map file is
// refused and changes nothing; otherwise exactly the map and its two axes change, to the file's
// first 288 bytes; a map saved and loaded again leaves the buffer as it was.
#include "fuzz/targets/DemoDefinition.h"
#include "fuzz/targets/FuzzFiles.h"

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"
#include "vantrell/tools/core/MapOperations.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class FileDialogs : public vantrell::Dialogs
{
  public:
    std::string path;
    std::string fncGetFileNametoOpen(const std::string&, const std::string&, const std::string&,
                                     const std::string&) override
    {
        return path;
    }
    std::string fncGetFileNametoSave(const std::string&, const std::string&, const std::string&,
                                     const std::string&) override
    {
        return path;
    }
    Answer askYesNoCancel(const std::string&, const std::string&) override { return Answer::Yes; }
    Answer askYesNo(const std::string&, const std::string&) override { return Answer::Yes; }
    void showMessage(const std::string&, const std::string&) override {}
    void beep() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto key = static_cast<vantrell::MapKey>(in.ConsumeIntegralInRange<int>(0, 3));
    const std::string file = in.ConsumeRemainingBytesAsString();

    common::StatusLines status;
    vantrell::EditorState state;
    fuzz::loadDemo(state, status);
    state.folders = vantrell::ProgramFolders::under(fuzz::scratchFolder().string());
    const auto before = state.rom.bytes();
    const auto set = state.mapSetOf(key);
    FUZZ_CHECK(set.has_value());

    FileDialogs dialogs;
    dialogs.path = fuzz::writeScratch("map.dat", file);
    const bool changed = vantrell::loadMapFile(state, dialogs, status, key);
    const auto& after = state.rom.bytes();
    FUZZ_CHECK(after.size() == before.size());
    if (file.size() < vantrell::kMapFileSize) {
        FUZZ_CHECK(!changed);
        FUZZ_CHECK(after == before);
        return 0;
    }
    // The whole buffer at once: a loop over 32 kB of checks would be most of each run.
    auto expected = before;
    std::copy_n(file.begin(), 256, expected.begin() + set->map);
    std::copy_n(file.begin() + 256, 16, expected.begin() + set->rpmAxis);
    std::copy_n(file.begin() + 272, 16, expected.begin() + set->loadAxis);
    FUZZ_CHECK(after == expected);
    if (after != before)
        FUZZ_CHECK(changed);

    // Saved and loaded again: the file holds 288 bytes and the ROM buffer stays as it is.
    dialogs.path = (fuzz::scratchFolder() / "saved.dat").string();
    FUZZ_CHECK(vantrell::saveMapFile(state, dialogs, status, key));
    FUZZ_CHECK(fuzz::readScratch(dialogs.path).size() == vantrell::kMapFileSize);
    const auto loaded = state.rom.bytes();
    (void)vantrell::loadMapFile(state, dialogs, status, key);
    FUZZ_CHECK(state.rom.bytes() == loaded);
    return 0;
}
