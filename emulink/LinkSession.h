// What the editor's link holds between exchanges: the port name, the online flag, the found boards,
// the emulator capacity and the ROM size (and from them the emulator offset and the wire addresses),
// and whether an exchange is waiting for its reply. Plain state and the arithmetic on it: no I/O, no
// signals. LinkOperations changes it and reports the changes; nothing here judges or reports.
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace emulink {

// The two board sizes and the version reply's size code: '1' means the small board, any other value the
// large one.
inline constexpr std::uint32_t kCapacity27C256 = 0x8000;
inline constexpr std::uint32_t kCapacity27C512 = 0x10000;
std::uint32_t capacityOfSizeCode(std::uint8_t code);

// The found-emulator list: two ID slots, filled from the first, and how many of them the last scan (or
// a caller) filled. A slot past the count keeps the ID it had. `sizes` are what each found board said
// in its scan reply; empty when it was not heard (or the list was set by hand).
struct FoundBoards
{
    std::array<std::uint8_t, 2> ids{0, 0};
    int count = 0;
    std::array<std::optional<std::uint32_t>, 2> sizes{};
};

class LinkSession
{
  public:
    const QString& portName() const { return portName_; }
    void setPortName(const QString& name) { portName_ = name; }

    bool isOnline() const { return online_; }
    // Returns whether the flag changed.
    bool setOnline(bool online);

    const FoundBoards& found() const { return found_; }
    // Takes the list as it stands (count clamped to 0..2). Returns whether the count changed.
    bool setFound(const FoundBoards& found);
    // Whether `id` is in one of the first foundCount slots.
    bool isFound(std::uint8_t id) const;

    // The smaller size of the found boards as last reported; kCapacity27C256 until a board has reported.
    std::uint32_t capacity() const { return capacity_; }
    // Returns whether the capacity changed.
    bool setCapacity(std::uint32_t capacity);

    // ROM size of the engine definition (bytes of the ROM buffer); 0 at start.
    std::uint32_t romSize() const { return romSize_; }
    void setRomSize(std::uint32_t romSize) { romSize_ = romSize; }

    // Capacity minus ROM size: the wire address of ROM address 0. Negative when the ROM is larger than
    // the board.
    std::int64_t emulatorOffset() const { return std::int64_t(capacity_) - std::int64_t(romSize_); }
    // Every found board can hold the whole ROM.
    bool romFitsBoards() const { return romSize_ <= capacity_; }
    // Wire address of `length` bytes (at least 1) from ROM address `romAddress`, or nullopt when any of
    // them lies outside the board memory: below 0, at or above the capacity (it would wrap round the
    // board's memory and overwrite its bottom) or at or above 0x10000 (it cannot be sent).
    std::optional<std::uint16_t> wireAddress(std::int64_t romAddress, std::size_t length) const;

    // True while an exchange is waiting for its reply: a second exchange must not start.
    bool isBusy() const { return busy_; }
    void setBusy(bool busy) { busy_ = busy; }

  private:
    QString portName_;
    bool online_ = false;
    FoundBoards found_;
    std::uint32_t capacity_ = kCapacity27C256;
    std::uint32_t romSize_ = 0;
    bool busy_ = false;
};

} // namespace emulink
