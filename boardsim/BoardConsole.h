// The commands virtual-board reads on its standard input, worked on a BoardBus. No I/O: the answer
// lines come back as text, and saving and quitting are handed back to the caller as actions.
#pragma once

#include "BoardBus.h"
#include "EcuModel.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace boardsim {

struct ConsoleAnswer
{
    enum class Action { None, Save, Quit, HangUp };
    std::vector<std::string> lines; // what to print, one line each (empty for Save: the caller answers)
    Action action = Action::None;
    std::string saveDir; // for Save: the DIR argument, empty when none was given
};

class BoardConsole
{
  public:
    explicit BoardConsole(BoardBus& bus);
    // The simulated ECU the "ecu" commands work on (not owned; null: none, the commands are refused).
    void setEcu(EcuModel* ecu) { ecu_ = ecu; }

    // One command line (without its line end); blank lines give no answer.
    ConsoleAnswer execute(std::string_view line);

  private:
    Board* boardWithId(const std::string& idText);
    ConsoleAnswer executeEcu(const std::vector<std::string>& words);

    BoardBus& bus_;
    EcuModel* ecu_ = nullptr;
};

// Upper-case hex without blanks: {0x41, 0x01} -> "4101".
std::string hexBytes(std::span<const std::uint8_t> bytes);

} // namespace boardsim
