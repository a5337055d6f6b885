// Shared pieces of the tools' tests: an engine laid out like the demo engine, a write-through that
// records what it is handed, and dialogs that answer from a script.
#pragma once

#include "vantrell/shell/EditorSeams.h"
#include "vantrell/shell/EditorState.h"

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
    s.rom.reset(32768);
    // Something in every byte, so that a write of the wrong byte shows.
    for (std::size_t i = 0; i < s.rom.size(); ++i)
        s.rom.bytes()[i] = static_cast<std::uint8_t>((i * 7 + 3) % 251);
    return s;
}

struct RecordedWrite
{
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
    bool operator==(const RecordedWrite&) const = default;
};

class RecordingWriteThrough : public WriteThrough
{
  public:
    explicit RecordingWriteThrough(bool online = true) : online(online) {}
    bool isOnline() const override { return online; }
    void writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes) override
    {
        writes.push_back({romAddress, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
    }
    bool online;
    std::vector<RecordedWrite> writes;
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
    void showMessage(const std::string&, const std::string& text) override { messages.push_back(text); }
    void beep() override { ++beeps; }

    std::string nextPath;
    std::vector<std::string> asked;
    std::vector<std::string> messages;
    int beeps = 0;
};

} // namespace vantrell::testing
