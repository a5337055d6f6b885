// Shared pieces of the tools' tests: an engine laid out like the demo engine, a write-through that
// records what it is handed, and dialogs that answer from a script.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include "emulink/Frames.h"

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace vantrell::testing {

// A token for names of scratch files and folders that runs of the tests at the same time do not share.
inline std::string uniqueToken()
{
    return std::to_string(std::random_device{}());
}

inline EditorState demoLikeState()
{
    EditorState s;
    EngineDefinition& d = s.def;
    d.injectorsize = 370;
    d.airflowmeter = 5;
    d.fuelstep = 10;
    d.fuelchange = 8;
    d.ignstep = 25;
    d.ignchange = 3;
    d.revtimes = 12.5f;
    d.revsize = 2;
    d.speedtimes = 2;
    d.romsize = 32768;
    d.fuelhighmap = "&h7000";
    d.fuellowmap = "&h7100";
    d.ignhighmap = "&h7200";
    d.ignlowmap = "&h7300";
    d.fuelrev = "&h7400";
    d.fuelflow = "&h7410";
    d.ignrev = "&h7420";
    d.ignflow = "&h7430";
    d.kval = "&h7440";
    d.injnulltime = "&h7442";
    d.rev1 = "&h7450";
    d.rev2 = "&h7452";
    d.rev3 = "&h7454";
    d.rev4 = "&h7456";
    d.speed1 = "&h7458";
    d.speed2 = "&h7459";
    d.speed3 = "&h745a";
    d.speed4 = "&h745b";
    d.ttpmin = "&h7460";
    d.ttpmax = "&h7470";
    d.aflimit = "&h7480";
    d.accelpump = "&h7490";
    d.accelsize = "12";
    d.vqmap = "&h7500";
    d.vqsize = "128";
    s.definitionUsable = true;
    // Something in every byte, so that a write of the wrong byte shows.
    std::vector<std::uint8_t> image(32768);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>((i * 7 + 3) % 251);
    s.rom.loadImage(std::move(image));
    return s;
}

struct RecordedWrite
{
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
    bool operator==(const RecordedWrite&) const = default;
};

// Hears every edit step of the state's document as the editor's write-through does, and records the
// short writes that would go to the boards while `online`: the step's ranges in order, cut as the link
// cuts them.
class RecordingWriteThrough : public DocumentListener
{
  public:
    explicit RecordingWriteThrough(EditorState& state, bool online = true) : online(online), state_(state)
    {
        state_.rom.addListener(this);
    }
    ~RecordingWriteThrough() override { state_.rom.removeListener(this); }
    RecordingWriteThrough(const RecordingWriteThrough&) = delete;
    RecordingWriteThrough& operator=(const RecordingWriteThrough&) = delete;

    void stepApplied(const EditStep& step) override
    {
        if (!online || !step.reachesBoards)
            return;
        for (const ByteChange& change : step.changes)
            for (const auto& [offset, length] : emulink::shortWritePieces(change.after.size()))
                writes.push_back(
                    {change.address + static_cast<std::uint32_t>(offset),
                     std::vector<std::uint8_t>(change.after.begin() + std::ptrdiff_t(offset),
                                               change.after.begin() + std::ptrdiff_t(offset + length))});
    }
    void documentLoaded(DocumentLoad) override {}
    bool online;
    std::vector<RecordedWrite> writes;

  private:
    EditorState& state_;
};

// Counts the edit steps the state's document applies.
class StepCounter : public DocumentListener
{
  public:
    explicit StepCounter(EditorState& state) : state_(state) { state_.rom.addListener(this); }
    ~StepCounter() override { state_.rom.removeListener(this); }
    StepCounter(const StepCounter&) = delete;
    StepCounter& operator=(const StepCounter&) = delete;
    void stepApplied(const EditStep&) override { ++steps; }
    void documentLoaded(DocumentLoad) override {}
    int count() const { return steps; }
    int steps = 0;

  private:
    EditorState& state_;
};

class ScriptedDialogs : public Dialogs
{
  public:
    std::string fncGetFileNametoOpen(const std::string& title, const std::string& filter,
                                     const std::string& ext, const std::string& folder) override
    {
        asked.push_back("open|" + title + "|" + filter + "|" + ext + "|" + folder);
        return nextPath;
    }
    std::string fncGetFileNametoSave(const std::string& filter, const std::string& ext,
                                     const std::string& title, const std::string& folder) override
    {
        asked.push_back("save|" + title + "|" + filter + "|" + ext + "|" + folder);
        return nextPath;
    }
    Answer askYesNoCancel(const std::string&, const std::string&) override { return Answer::Cancel; }
    Answer askYesNo(const std::string&, const std::string&) override { return Answer::No; }
    void showMessage(const std::string&, const std::string& text) override { messages.push_back(text); }
    void beep() override { ++beeps; }

    std::string nextPath;
    std::vector<std::string> asked;
    std::vector<std::string> messages;
    int beeps = 0;
};

} // namespace vantrell::testing
