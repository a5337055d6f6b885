#include "BoardImages.h"

#include "common/clsIniFile.h"

#include <filesystem>
#include <set>

namespace boardsim {

bool loadImage(Board& board, const std::string& file, std::string& error)
{
    std::string contents;
    if (!common::readWholeFile(file, contents)) {
        error = "cannot read " + file;
        return false;
    }
    if (contents.empty() || contents.size() > board.memory.size()) {
        error = file + " holds " + std::to_string(contents.size()) + " bytes; board " +
                std::to_string(board.config.id) + " takes 1 to " + std::to_string(board.memory.size());
        return false;
    }
    const std::size_t offset = board.memory.size() - contents.size();
    for (std::size_t i = 0; i < contents.size(); ++i)
        board.memory[offset + i] = static_cast<std::uint8_t>(contents[i]);
    return true;
}

bool saveImages(const std::vector<Board>& boards, const std::string& dir, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    bool ok = true;
    std::set<int> seen;
    for (const Board& board : boards) {
        std::string name = "board-" + std::to_string(board.config.id);
        if (!seen.insert(board.config.id).second)
            name += "-2";
        const std::string path = (std::filesystem::path(dir) / (name + ".bin")).string();
        std::string why;
        if (!common::writeFileReplacing(path, std::string(board.memory.begin(), board.memory.end()), why)) {
            error = "cannot write " + path + ": " + why;
            ok = false;
        }
    }
    return ok;
}

} // namespace boardsim
