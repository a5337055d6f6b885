// Command line of virtual-board, read into a value. Parsing only: no file is touched here.
#pragma once

#include "BoardBus.h"
#include "EcuModel.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace boardsim {

struct ImageLoad
{
    std::string file;
    int id = -1; // -1: every board
};

struct ProgramOptions
{
    std::vector<BoardConfig> boards{BoardConfig{}};
    bool pacing = true;
    std::string portFile;
    std::string programFolder;
    int portNumber = 1;
    std::vector<ImageLoad> loads;
    std::string saveDir;
    std::string logFile;
    std::vector<std::pair<Fault, int>> faults;
    std::chrono::milliseconds lateDelay{400};
    bool readStdin = true;
    bool help = false;
    // The simulated ECU on a second pseudo-terminal (its diagnostic line), and the engine definition
    // whose maps it runs on (empty: the program folder's current one).
    bool ecu = false;
    std::string definitionFile;
    std::vector<std::pair<EcuFault, int>> ecuFaults;
    int ecuPortNumber = 0; // [ports] number of the ECU's line in --program-folder; 0: the boards' + 1
};

// Reads the arguments (without the program name). On a bad argument returns false with a one-line reason.
bool parseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error);

// Reads a fault as given to --fault: NAME or NAME:COUNT, COUNT defaulting to 1.
bool parseFaultArgument(const std::string& text, Fault& fault, int& count);

// The text of virtual-board --help: every option and every standard-input command.
std::string helpText();

} // namespace boardsim
