// The airflow meter swap of the "Airflow Meter" page: the meter list from afm.ini, the working curve
// (from the ROM's VQ map or a meter's curve file), the graph's drawing commands, and the commit of the
// VQ map, K and the AF limit.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/grid/core/CellView.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrell {

inline constexpr int kMeterCount = 9;

// One drawing command of the curve graph, in its user scale: 600 units wide, 70000 high, origin at the
// top left, y growing downward. A frame is a rectangle's outline: drawings are laid over one another,
// and a filled rectangle would wipe the curves drawn before.
struct GraphCommand
{
    enum class Kind { Frame, Line, Dot };
    Kind kind = Kind::Line;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a dot uses (x1, y1)
    Rgb colour;
    bool operator==(const GraphCommand&) const = default;
};

inline constexpr int kGraphWidth = 600;
inline constexpr int kGraphHeight = 70000;

namespace afm_messages {
inline constexpr const char* kCommitted =
    "K value, VQ map and AFlimit all updated - Upload the map to the emulator now";
}

class AirflowMeterSwap
{
  public:
    // The meter list: captions from afm.ini, no selection, then the engine's stock meter chosen (which
    // sets the chosen rating), then the working curve filled from the ROM.
    void loadMeterList(const EditorState& state, common::StatusSink& status);

    // Choose meter `index` (0..8): the rating and the last words of its curve file become the chosen
    // rating and the working curve. A meter whose curve file is missing or unreadable, whose "size" is
    // above 256, or that holds fewer words than the ROM's VQ map is refused with a status line: the
    // selection, the rating and the curve stay as they were. Returns whether it was chosen.
    bool chooseMeter(const EditorState& state, int index, common::StatusSink& status);

    // The working curve becomes the ROM's own VQ map ("vqsize" bytes at "vqmap"); empty when the
    // engine's VQ map does not lie inside the ROM.
    void fillCurveFromRom(const EditorState& state);

    // Writes the working curve, the scaled K and the AF limit into the ROM buffer as one edit step (to
    // the boards in that order). No selection: a beep,
    // nothing written. A rating of 0, a VQ map, K or AF limit outside the ROM, or a working curve that
    // is not the VQ map's size: refused with a status line, nothing written. K above 65535 is clamped
    // with the resize's clamp message. Returns whether the ROM buffer changed.
    bool commit(EditorState& state, common::StatusSink& status, Dialogs& dialogs);

    // One drawing of the graph for the working curve: a black frame, the grey grid, the curve in yellow
    // from a green starting dot.
    std::vector<GraphCommand> graphCommands(const EditorState& state) const;

    const std::array<std::string, kMeterCount>& captions() const { return captions_; }
    std::optional<int> selected() const { return selected_; }
    std::int32_t chosenRating() const { return chosenRating_; }
    const std::vector<std::uint8_t>& workingCurve() const { return curve_; }

  private:
    std::array<std::string, kMeterCount> captions_{"S13 CA18DET", "S13 SR20DET", "S14 SR20DET",
                                                   "S15 SR20DET", "RB20DET",     "RB25DET",
                                                   "RB26DETT",    "Z32",         "User"};
    std::optional<int> selected_;
    std::int32_t chosenRating_ = 0;
    std::vector<std::uint8_t> curve_;
};

// "vqsize" as a whole number, or nothing when it is not a positive number.
std::optional<std::uint32_t> vqSizeOf(const EngineDefinition& def);

} // namespace vantrell
