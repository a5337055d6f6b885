// virtual-board: simulated emulator boards on a pseudo-terminal (see virtual-board --help).
#include "ProgramOptions.h"
#include "VirtualBoardProgram.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    boardsim::ProgramOptions options;
    std::string error;
    if (!boardsim::parseProgramOptions(args, options, error)) {
        std::fprintf(stderr, "virtual-board: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(boardsim::helpText().c_str(), stdout);
        return 0;
    }
    return boardsim::VirtualBoardProgram(std::move(options)).run();
}
