// The scanner's walk through a ROM image: the loaded bytes, the table size N (16 or 8), the current
// address and the moves between tables. No Qt; the window drives it and shows what it cuts.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace skerrow {

// One table cut from the image: N x N cells in file order, row by row. Cells that lie past the end
// of the image are 0 and marked missing.
struct TableCut
{
    static constexpr int kMaxCells = 256;

    std::int64_t address = 0;
    int size = 16; // N
    std::array<std::uint8_t, kMaxCells> cells{};
    std::array<bool, kMaxCells> present{};

    int cellCount() const { return size * size; }
};

// Outcome of typing an address.
enum class AddressEntry { Moved, Clamped, NotHexadecimal };

class TableWalk
{
  public:
    // The largest image the scanner takes: every byte of it can be reached with six hex digits.
    static constexpr std::int64_t kMaxImageSize = 16 * 1024 * 1024;
    // The long step of "<<" and ">>".
    static constexpr std::int64_t kLongStep = 4096;

    // Takes a new image; the address returns to 0. The table size is left as it is.
    void setImage(std::vector<std::uint8_t> image);
    const std::vector<std::uint8_t>& image() const { return image_; }
    // True when an image of this many bytes can be scanned: at least one byte, at most kMaxImageSize.
    static bool acceptsImageSize(std::int64_t size) { return size > 0 && size <= kMaxImageSize; }
    std::int64_t imageSize() const { return static_cast<std::int64_t>(image_.size()); }

    // N: 16 or 8 (anything else is taken as 16). Setting it does not move the address.
    void setTableSize(int n);
    int tableSize() const { return size_; }
    std::int64_t step() const { return static_cast<std::int64_t>(size_) * size_; }

    std::int64_t address() const { return address_; }
    // Any address from 0 on; a negative one is taken as 0.
    void setAddress(std::int64_t address);

    // The four moves. Each either changes the address or leaves it; it returns whether it moved.
    // Back one table, but never below 0.
    bool stepBack();
    // On one table while image size - N x N is greater than the address, so a table never starts at
    // or past the end of the image.
    bool stepForward();
    // Back 4096 while the address is above 4096.
    bool jumpBack();
    // On 4096 while image size - 4096 is greater than the address.
    bool jumpForward();

    // Reads the typed text as hexadecimal (at most 0xFFFFFF). Not hexadecimal: nothing changes. An
    // address above the image size becomes image size - N x N (never below 0).
    AddressEntry enterAddress(std::string_view text);

    // The table at the current address.
    TableCut cut() const;

  private:
    std::vector<std::uint8_t> image_;
    int size_ = 16;
    std::int64_t address_ = 0;
};

} // namespace skerrow
