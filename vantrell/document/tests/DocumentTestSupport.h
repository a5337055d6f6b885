// How a test puts bytes into a ROM document to set up its case: through the document's one mutator,
// like everything else.
#pragma once

#include "vantrell/document/RomDocument.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vantrell::testing {

inline void poke(RomDocument& doc, std::uint32_t address, std::uint8_t value)
{
    EditStepBuilder step(doc.buffer());
    step.write(address, value);
    // The boards are not told.
    ASSERT_TRUE(doc.apply(step.finish("test setup", EditSource::MapFile, false)));
}

} // namespace vantrell::testing
