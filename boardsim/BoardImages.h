// ROM image files of the simulated boards.
#pragma once

#include "BoardBus.h"

#include <string>
#include <vector>

namespace boardsim {

// Loads a raw image into the board's memory. An image smaller than the board lies at the top of the
// memory (the host puts ROM address 0 at capacity minus ROM size); the rest is left as it was.
// False with a reason when the file cannot be read, is empty or is larger than the board.
bool loadImage(Board& board, const std::string& file, std::string& error);

// Writes DIR/board-<id>.bin for every board (a second board with the same ID gets board-<id>-2.bin),
// creating DIR when needed. Each file is replaced whole or left as it was. False with a reason when a
// file could not be written (the others are still attempted).
bool saveImages(const std::vector<Board>& boards, const std::string& dir, std::string& error);

} // namespace boardsim
