// The demo engine's definition (demo/config/demo32k.ini) as text, for targets that need an editor
// with a usable definition before they feed it a stranger's file.
#pragma once

#include "fuzz/targets/FuzzFiles.h"

#include "vantrell/shell/EditorState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

inline constexpr const char* kDemoDefinition = R"([initialisation]
injectorsize=370
cyl=6
cc=2500
config=Demo turbo six 2.5
airflowmeter=5
fuelstep=10
fuelchange=8
ignstep=25
ignchange=3
revtimes=12.5
revsize=2
speedtimes=2
romsize=32768

[address locations]
fuelhighmap=&h7000
fuellowmap=&h7100
ignhighmap=&h7200
ignlowmap=&h7300
fuelrev=&h7400
fuelflow=&h7410
ignrev=&h7420
ignflow=&h7430
kval=&h7440
injnulltime=&h7442
rev1=&h7450
rev2=&h7452
rev3=&h7454
rev4=&h7456
speed1=&h7458
speed2=&h7459
speed3=&h745a
speed4=&h745b
ttpmin=&h7460
ttpmax=&h7470
aflimit=&h7480
accelpump=&h7490
accelsize=12
vqmap=&h7500
vqsize=128
)";

// An editor state holding the demo definition and a ROM buffer of a known, non-zero pattern.
inline void loadDemo(vantrell::EditorState& state, common::StatusSink& status)
{
    static const std::string path = writeScratch("demo32k.ini", kDemoDefinition);
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
