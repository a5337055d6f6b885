// The boards a board or link target runs against: board 1, and board 2 when the input asks for it,
// each of 32 or 64 kB as the input says.
#pragma once

#include "boardsim/BoardBus.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace fuzz {

inline std::vector<boardsim::BoardConfig> boardsFrom(FuzzedDataProvider& in)
{
    std::vector<boardsim::BoardConfig> configs{{1, 1, 0, in.ConsumeBool() ? 0x8000u : 0x10000u}};
    if (in.ConsumeBool())
        configs.push_back({2, 1, 0, in.ConsumeBool() ? 0x8000u : 0x10000u});
    return configs;
}

} // namespace fuzz
