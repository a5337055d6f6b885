// The virtual-board program: a BoardBus put on a pseudo-terminal, and with --ecu a simulated ECU on a
// second one that reads its maps from the first board's memory. One thread, one poll loop over the
// pty masters and standard input, idle while nothing happens. POSIX only.
#pragma once

#include "BoardBus.h"
#include "BoardConsole.h"
#include "EcuModel.h"
#include "LinePacer.h"
#include "ProgramOptions.h"

#include <csignal>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

namespace boardsim {

class VirtualBoardProgram
{
  public:
    explicit VirtualBoardProgram(ProgramOptions options);
    ~VirtualBoardProgram();
    VirtualBoardProgram(const VirtualBoardProgram&) = delete;
    VirtualBoardProgram& operator=(const VirtualBoardProgram&) = delete;

    // Opens the line, answers until quit, end of input, a signal or a hang-up; then empties its
    // --program-folder ports.ini entry (when it still names this line) and saves the images to
    // --save-dir when given. Returns the exit status (0, or 2 when start-up failed).
    int run();

  private:
    using Clock = LinePacer::Clock;
    struct Outgoing
    {
        Clock::time_point due;
        emulink::Bytes bytes;
        bool hangUp = false;
    };
    struct Arrival
    {
        std::uint64_t index; // stream index of the first byte of one read
        Clock::time_point at;
    };

    bool start(std::string& error);
    bool openLine(std::string& error);
    bool announcePort(std::string& error);
    // Empties the ports.ini entry written by announcePort() when it still names this program's line.
    void releasePort();
    void loop();
    void readLine();
    void readCommands();
    void runCommand(const std::string& line);
    void sendDue();
    void hangUp();
    Clock::time_point arrivalOf(std::uint64_t index) const;
    void print(const std::string& line);
    void log(const char* kind, const std::string& text);
    void closeLine();
    // --- the simulated ECU (--ecu) ---
    bool startEcu(std::string& error);
    bool openEcuLine(std::string& error);
    void readEcuLine();
    // Writes what is due on the ECU's line, then puts the next piece of a stream on it.
    void sendEcuDue();
    void queueEcu(const emulink::Bytes& bytes);
    void closeEcuLine(const char* why);
    double engineSeconds() const;
    // The [ports] number the ECU's line gets in --program-folder.
    int ecuPortNumber() const;

    ProgramOptions options_;
    std::unique_ptr<BoardBus> bus_;
    std::unique_ptr<BoardConsole> console_;
    LinePacer pacer_;
    int master_ = -1;
    int slave_ = -1;
    std::string portPath_;
    bool stop_ = false;
    bool stdinOpen_ = true;
    std::string commandBuffer_;
    std::deque<Outgoing> outgoing_;
    std::deque<Arrival> arrivals_;
    std::FILE* log_ = nullptr;
    Clock::time_point started_;
    sigset_t waitMask_{};

    std::unique_ptr<EcuModel> ecu_;
    std::uint32_t ecuRomSize_ = 0;
    int ecuMaster_ = -1;
    int ecuSlave_ = -1;
    std::string ecuPath_;
    std::deque<Outgoing> ecuOut_;
    Clock::time_point ecuLineFree_{};
};

} // namespace boardsim
