// Comparing the ROM buffer with a reference image (the stock image, say): which bytes differ, kept up
// to date as the buffer changes (a listener of the document), the listing of the differences by the
// tables the engine definition names, and the edit step that puts the reference's bytes back.
#pragma once

#include "vantrell/editor/EditorState.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrell {

// A table the definition places inside the ROM, under the name it gives it.
struct NamedTable
{
    std::string name; // "Main Fuel Map", "fuelflow", "kval", "VQ map", ...
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    bool cells = false; // a map: its differences are counted in cells
};

// The maps, axes, values and tables of the definition that lie inside the ROM, in the definition's
// order; absent and outside places are left out.
std::vector<NamedTable> namedTables(const EditorState& state);

class ReferenceCompare : public DocumentListener
{
  public:
    // Listens to the document for its whole lifetime; does not own it.
    explicit ReferenceCompare(RomDocument& document);
    ~ReferenceCompare() override;
    ReferenceCompare(const ReferenceCompare&) = delete;
    ReferenceCompare& operator=(const ReferenceCompare&) = delete;

    // Compares from now on with `bytes` (an image of any size, named `name`): its first ROM-size
    // bytes; a shorter image only for the bytes it has.
    void start(std::string name, std::vector<std::uint8_t> bytes);
    void stop();
    bool active() const { return active_; }
    const std::string& name() const { return name_; }
    // How many bytes from address 0 are compared: the smaller of the two sizes.
    std::size_t comparedSize() const;
    std::size_t referenceSize() const { return reference_.size(); }

    bool differsAt(std::uint32_t address) const;
    std::optional<std::uint8_t> referenceAt(std::uint32_t address) const;
    std::size_t differenceCount() const { return count_; }

    // "Compared with stock.bin: 412 bytes differ", a line when the reference is shorter than the ROM,
    // then one line per named table that differs ("Main Fuel Map 37 cells", "kval 2 bytes") and one
    // per run of differing bytes outside every table ("other 0x1234-0x1240"; at most kOtherLines of
    // them, then how many more).
    std::vector<std::string> listing(const std::vector<NamedTable>& tables) const;
    static constexpr std::size_t kOtherLines = 16;

    // The step that writes the reference's bytes at `addresses` (in that order, one byte each),
    // labelled `label`; only addresses the reference has. Nothing when none is left.
    std::optional<EditStep> revertStep(const std::vector<std::uint32_t>& addresses,
                                       const std::string& label) const;

    // Told [address, address + length) whose marks may have changed: a step's ranges, or the whole
    // buffer after a start, a stop or a load.
    void setChangedCallback(std::function<void(std::uint32_t, std::uint32_t)> changed)
    {
        changed_ = std::move(changed);
    }

    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad load) override;

  private:
    void recount();
    void tell(std::uint32_t address, std::uint32_t length);

    RomDocument& document_;
    bool active_ = false;
    std::string name_;
    std::vector<std::uint8_t> reference_;
    std::vector<bool> differs_;
    std::size_t count_ = 0;
    std::function<void(std::uint32_t, std::uint32_t)> changed_;
};

} // namespace vantrell
