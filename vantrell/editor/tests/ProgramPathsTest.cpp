#include "vantrell/editor/ProgramPaths.h"

#include <gtest/gtest.h>

namespace vantrell {
namespace {

TEST(ProgramPaths, RememberedPathsAreTakenFromTheProgramFolderWhenRelative)
{
    EXPECT_EQ(resolveRememberedPath("data\\demo.bin", "/opt/t"), "/opt/t/data/demo.bin");
    EXPECT_EQ(resolveRememberedPath("data\\demo.bin", "/opt/t/"), "/opt/t/data/demo.bin");
    EXPECT_EQ(resolveRememberedPath("/home/u/rom.bin", "/opt/t"), "/home/u/rom.bin");
    EXPECT_EQ(resolveRememberedPath("C:\\roms\\a.bin", "/opt/t"), "C:/roms/a.bin");
    EXPECT_EQ(resolveRememberedPath("unknown value", "/opt/t"), "unknown value");
    EXPECT_EQ(resolveRememberedPath("", "/opt/t"), "");
}
} // namespace
} // namespace vantrell
