// The demo engine's definition (demo/config/demo32k.ini of the source tree), for targets that need an
// editor with a usable definition before they feed it a stranger's file.
#pragma once

#include "fuzz/targets/FuzzFiles.h"

#include "vantrell/editor/EditorState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// An editor state holding the demo definition and a ROM buffer of a known, non-zero pattern.
inline void loadDemo(vantrell::EditorState& state, common::StatusSink& status)
{
    static const std::string path = TESSAVEL_SOURCE_ROOT "/demo/config/demo32k.ini";
    static const std::vector<std::uint8_t> image = [] {
        std::vector<std::uint8_t> bytes(32768);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        return bytes;
    }();
    FUZZ_CHECK(state.loadDefinition(path, status));
    FUZZ_CHECK(state.rom.size() == image.size());
    state.rom.loadImage(image);
}

} // namespace fuzz
