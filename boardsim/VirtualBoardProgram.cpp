#include "VirtualBoardProgram.h"

#include "BoardImages.h"
#include "common/clsIniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace boardsim {

namespace {

volatile std::sig_atomic_t g_signalled = 0;

void onSignal(int)
{
    g_signalled = 1;
}

std::string errnoText()
{
    return std::strerror(errno);
}

} // namespace

VirtualBoardProgram::VirtualBoardProgram(ProgramOptions options)
    : options_(std::move(options)),
      pacer_(options_.pacing ? LinePacer::kByteTime : std::chrono::nanoseconds(0)),
      stdinOpen_(options_.readStdin)
{}

VirtualBoardProgram::~VirtualBoardProgram()
{
    closeLine();
    if (log_ != nullptr)
        std::fclose(log_);
}

int VirtualBoardProgram::run()
{
    std::string error;
    if (!start(error)) {
        std::fprintf(stderr, "virtual-board: %s\n", error.c_str());
        return 2;
    }
    loop();
    releasePort();
    if (!options_.saveDir.empty()) {
        std::string why;
        if (!saveImages(bus_->boards(), options_.saveDir, why))
            std::fprintf(stderr, "virtual-board: %s\n", why.c_str());
    }
    closeLine();
    return 0;
}

bool VirtualBoardProgram::start(std::string& error)
{
    started_ = Clock::now();
    try {
        bus_ = std::make_unique<BoardBus>(options_.boards);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    bus_->setLateReplyDelay(options_.lateDelay);
    for (const auto& [fault, count] : options_.faults)
        bus_->injectFault(fault, count);
    console_ = std::make_unique<BoardConsole>(*bus_);
    if (options_.ecu && !startEcu(error))
        return false;

    for (const ImageLoad& load : options_.loads) {
        bool found = false;
        for (Board& board : bus_->boards()) {
            if (load.id >= 0 && board.config.id != load.id)
                continue;
            found = true;
            if (!loadImage(board, load.file, error))
                return false;
        }
        if (!found) {
            error = "--load " + load.file + "@" + std::to_string(load.id) + ": no board has that ID";
            return false;
        }
    }

    if (!options_.logFile.empty()) {
        log_ = std::fopen(options_.logFile.c_str(), "w");
        if (log_ == nullptr) {
            error = "cannot open log " + options_.logFile + ": " + errnoText();
            return false;
        }
    }

    // Signals are only taken inside ppoll, so the loop never misses one between its checks.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask_);
    sigdelset(&waitMask_, SIGINT);
    sigdelset(&waitMask_, SIGTERM);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    return openLine(error) && (!ecu_ || openEcuLine(error)) && announcePort(error);
}

bool VirtualBoardProgram::openLine(std::string& error)
{
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B115200);
    cfsetospeed(&raw, B115200);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        error = "cannot open a pseudo-terminal: " + errnoText();
        return false;
    }
    portPath_ = name;
    // The slave stays open here as well, so the master never reads as hung up while no host has the
    // port open (between a host's close and its next open); without it poll would report POLLHUP
    // without end.
    termios masterMode{};
    if (tcgetattr(master_, &masterMode) == 0) {
        cfmakeraw(&masterMode);
        tcsetattr(master_, TCSANOW, &masterMode);
    }
    // Packet mode: every read starts with a status byte, which tells when the host discards buffers.
    int on = 1;
    if (ioctl(master_, TIOCPKT, &on) != 0) {
        error = "cannot set packet mode on the pseudo-terminal: " + errnoText();
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    return true;
}

bool VirtualBoardProgram::announcePort(std::string& error)
{
    if (!options_.portFile.empty()) {
        std::string why;
        if (!common::writeFileReplacing(options_.portFile, portPath_, why)) {
            error = "cannot write " + options_.portFile + ": " + why;
            return false;
        }
    }
    if (!options_.programFolder.empty()) {
        const std::filesystem::path config = std::filesystem::path(options_.programFolder) / "config";
        std::error_code ec;
        std::filesystem::create_directories(config, ec);
        common::clsIniFile ini;
        ini.File = (config / "ports.ini").string();
        if (ec || ini.SaveSetting("ports", std::to_string(options_.portNumber), portPath_) == 0 ||
            (ecu_ && ini.SaveSetting("ports", std::to_string(ecuPortNumber()), ecuPath_) == 0)) {
            error = "cannot write " + ini.File;
            return false;
        }
    }
    print("PORT " + portPath_);
    if (ecu_)
        print("ECU " + ecuPath_);
    return true;
}

void VirtualBoardProgram::releasePort()
{
    if (options_.programFolder.empty() || portPath_.empty())
        return;
    // Pseudo-terminal numbers are handed out again: left behind, the entry would point the programs at
    // whatever terminal gets this number next (a user's shell) and they would write frames into it.
    // An entry that another board has written meanwhile is left alone.
    common::clsIniFile ini;
    ini.File = (std::filesystem::path(options_.programFolder) / "config" / "ports.ini").string();
    const auto release = [&](int number, const std::string& path) {
        const std::string key = std::to_string(number);
        if (ini.GetSetting("ports", key) == path && ini.SaveSetting("ports", key, "") == 0)
            std::fprintf(stderr, "virtual-board: cannot clear port %s in %s\n", key.c_str(),
                         ini.File.c_str());
    };
    release(options_.portNumber, portPath_);
    if (ecu_ && !ecuPath_.empty())
        release(ecuPortNumber(), ecuPath_);
}

int VirtualBoardProgram::ecuPortNumber() const
{
    return options_.ecuPortNumber > 0 ? options_.ecuPortNumber : options_.portNumber % 255 + 1;
}

void VirtualBoardProgram::loop()
{
    while (!stop_ && g_signalled == 0) {
        // A negative descriptor is left out by poll: a line that failed, input that ended.
        pollfd fds[3] = {{master_, POLLIN | POLLPRI, 0},
                         {stdinOpen_ ? STDIN_FILENO : -1, POLLIN, 0},
                         {ecuMaster_, POLLIN, 0}};
        timespec timeout{};
        timespec* wait = nullptr;
        std::optional<Clock::time_point> due;
        if (!outgoing_.empty())
            due = outgoing_.front().due;
        if (!ecuOut_.empty() && (!due || ecuOut_.front().due < *due))
            due = ecuOut_.front().due;
        if (due) {
            const auto left = std::max(*due - Clock::now(), Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            wait = &timeout;
        }
        const int ready = ppoll(fds, 3, wait, &waitMask_);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "virtual-board: poll failed: %s\n", errnoText().c_str());
            return;
        }
        if (fds[0].fd >= 0 && fds[0].revents != 0)
            readLine();
        if (fds[1].fd >= 0 && fds[1].revents != 0)
            readCommands();
        if (fds[2].fd >= 0 && fds[2].revents != 0)
            readEcuLine();
        sendDue();
        sendEcuDue();
    }
}

void VirtualBoardProgram::readLine()
{
    std::uint8_t buffer[4097];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        std::fprintf(stderr, "virtual-board: the line failed: %s\n", n < 0 ? errnoText().c_str() : "closed");
        log("ERROR", "line failed");
        closeLine();
        return;
    }
    if (buffer[0] != TIOCPKT_DATA) {
        if ((buffer[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE)) != 0) {
            const std::size_t dropped = bus_->partialFrameLength();
            bus_->discardInput();
            std::string what;
            if ((buffer[0] & TIOCPKT_FLUSHREAD) != 0)
                what += " host-input";
            if ((buffer[0] & TIOCPKT_FLUSHWRITE) != 0)
                what += " host-output";
            if (dropped != 0)
                what += ", dropped " + std::to_string(dropped) + " bytes of a partial frame";
            log("FLUSH", what.substr(1));
        }
        return;
    }

    const auto now = Clock::now();
    arrivals_.push_back({bus_->bytesReceived(), now});
    const std::size_t loggedBefore = bus_->frameLog().size();
    const std::vector<Reply> replies = bus_->receive(std::span(buffer + 1, static_cast<std::size_t>(n - 1)));
    const auto& frames = bus_->frameLog();
    for (std::size_t i = loggedBefore; i < frames.size(); ++i) {
        const emulink::Bytes& frame = frames[i];
        const bool good = emulink::frameChecksum(std::span(frame).first(frame.size() - 1)) == frame.back();
        log("RX", hexBytes(frame) + (good ? "" : " (wrong checksum, ignored)"));
    }
    for (const Reply& reply : replies) {
        const auto due =
            pacer_.schedule(arrivalOf(reply.frameStart), reply.frameLength, reply.bytes.size(), reply.delay);
        outgoing_.push_back({due, reply.bytes, reply.hangUp});
    }
    // Keep the arrival times that a frame not yet complete may still need.
    const std::uint64_t needed = bus_->bytesReceived() - bus_->partialFrameLength();
    while (arrivals_.size() >= 2 && arrivals_[1].index <= needed)
        arrivals_.pop_front();
}

VirtualBoardProgram::Clock::time_point VirtualBoardProgram::arrivalOf(std::uint64_t index) const
{
    for (auto it = arrivals_.rbegin(); it != arrivals_.rend(); ++it) {
        if (it->index <= index)
            return it->at;
    }
    return arrivals_.empty() ? Clock::now() : arrivals_.front().at;
}

void VirtualBoardProgram::sendDue()
{
    const auto now = Clock::now();
    while (!outgoing_.empty() && outgoing_.front().due <= now && master_ >= 0) {
        Outgoing out = std::move(outgoing_.front());
        outgoing_.pop_front();
        if (out.hangUp) {
            hangUp();
            return;
        }
        std::size_t written = 0;
        while (written < out.bytes.size()) {
            const ssize_t n = write(master_, out.bytes.data() + written, out.bytes.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
        log("TX",
            hexBytes(out.bytes) +
                (written < out.bytes.size() ? " (" + std::to_string(written) + " sent, line full)" : ""));
    }
    if (master_ < 0)
        outgoing_.clear();
}

void VirtualBoardProgram::hangUp()
{
    log("HANGUP", portPath_);
    std::fprintf(stderr, "virtual-board: hung up %s\n", portPath_.c_str());
    closeLine();
    stop_ = true;
}

void VirtualBoardProgram::readCommands()
{
    char buffer[4096];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        // End of input: a last line without its line end still counts.
        if (!commandBuffer_.empty())
            runCommand(commandBuffer_);
        commandBuffer_.clear();
        stdinOpen_ = false;
        stop_ = true;
        return;
    }
    commandBuffer_.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while (!stop_ && (end = commandBuffer_.find('\n')) != std::string::npos) {
        std::string line = commandBuffer_.substr(0, end);
        commandBuffer_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        runCommand(line);
    }
}

void VirtualBoardProgram::runCommand(const std::string& line)
{
    ConsoleAnswer answer = console_->execute(line);
    if (answer.action == ConsoleAnswer::Action::Save) {
        const std::string dir = answer.saveDir.empty() ? options_.saveDir : answer.saveDir;
        std::string why;
        if (dir.empty())
            answer.lines.push_back("ERR save needs a folder: save DIR, or start with --save-dir");
        else if (!saveImages(bus_->boards(), dir, why))
            answer.lines.push_back("ERR " + why);
        else
            answer.lines.push_back("OK saved " + dir);
    }
    for (const std::string& text : answer.lines)
        print(text);
    if (answer.action == ConsoleAnswer::Action::Quit)
        stop_ = true;
    if (answer.action == ConsoleAnswer::Action::HangUp)
        hangUp();
    if (ecu_ && ecu_->takeCutLine())
        closeEcuLine("cut (fault)");
}

void VirtualBoardProgram::print(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void VirtualBoardProgram::log(const char* kind, const std::string& text)
{
    if (log_ == nullptr)
        return;
    const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    std::fprintf(log_, "%.6f %s %s\n", seconds, kind, text.c_str());
    std::fflush(log_);
}

void VirtualBoardProgram::closeLine()
{
    closeEcuLine(nullptr);
    if (master_ >= 0)
        close(master_);
    if (slave_ >= 0)
        close(slave_);
    master_ = slave_ = -1;
}

double VirtualBoardProgram::engineSeconds() const
{
    return std::chrono::duration<double>(Clock::now() - started_).count();
}

bool VirtualBoardProgram::startEcu(std::string& error)
{
    std::string path = options_.definitionFile;
    if (path.empty() && !options_.programFolder.empty()) {
        // The definition the editor uses: config/emulator.ini names it, in the program folder's config.
        const std::filesystem::path config = std::filesystem::path(options_.programFolder) / "config";
        const std::string engine =
            common::IniText::read((config / "emulator.ini").string()).setting("init", "engine");
        if (engine != common::clsIniFile::kUnknownValue && engine != common::clsIniFile::kEmptyValue)
            path = (config / engine).string();
    }
    // The ROM as the first board holds it: an image smaller than the board lies at its top.
    ecu_ = std::make_unique<EcuModel>([this](std::uint32_t address) -> std::uint8_t {
        const emulink::Bytes& memory = bus_->boards().front().memory;
        const std::size_t capacity = memory.size();
        const std::size_t offset = ecuRomSize_ <= capacity ? capacity - ecuRomSize_ + address : address;
        return memory[offset % capacity];
    });
    if (path.empty()) {
        std::fprintf(stderr, "virtual-board: the ECU runs without an engine definition (give --definition or "
                             "--program-folder): fixed injection time and ignition timing\n");
    } else {
        EcuDefinition definition;
        if (!loadEcuDefinition(path, definition, error)) {
            error = "--ecu: " + error;
            return false;
        }
        ecuRomSize_ = definition.romSize;
        if (!definition.tpAddress)
            std::fprintf(stderr, "virtual-board: %s names no [consult] tpram: the ECU keeps TP nowhere\n",
                         path.c_str());
        ecu_->setDefinition(definition);
    }
    for (const auto& [fault, count] : options_.ecuFaults)
        ecu_->injectFault(fault, count);
    console_->setEcu(ecu_.get());
    return true;
}

bool VirtualBoardProgram::openEcuLine(std::string& error)
{
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    char name[256] = {};
    if (openpty(&ecuMaster_, &ecuSlave_, name, &raw, nullptr) != 0) {
        error = "cannot open a pseudo-terminal for the ECU: " + errnoText();
        return false;
    }
    ecuPath_ = name;
    termios masterMode{};
    if (tcgetattr(ecuMaster_, &masterMode) == 0) {
        cfmakeraw(&masterMode);
        tcsetattr(ecuMaster_, TCSANOW, &masterMode);
    }
    // As for the boards' line, the slave stays open here so the master never reads as hung up.
    fcntl(ecuMaster_, F_SETFL, fcntl(ecuMaster_, F_GETFL) | O_NONBLOCK);
    fcntl(ecuMaster_, F_SETFD, FD_CLOEXEC);
    fcntl(ecuSlave_, F_SETFD, FD_CLOEXEC);
    return true;
}

void VirtualBoardProgram::readEcuLine()
{
    std::uint8_t buffer[1024];
    const ssize_t n = read(ecuMaster_, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        closeEcuLine(n < 0 ? "failed" : "closed");
        return;
    }
    const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(n));
    log("ECU-RX", hexBytes(bytes));
    ecu_->setTime(engineSeconds());
    const emulink::Bytes answer = ecu_->receive(bytes);
    if (!answer.empty())
        queueEcu(answer);
    if (ecu_->takeCutLine())
        closeEcuLine("cut (fault)");
}

void VirtualBoardProgram::queueEcu(const emulink::Bytes& bytes)
{
    // Bytes leave one after the other at the line's speed, whatever the pseudo-terminal could take.
    // A stream keeps the line busy without a gap: a piece queued a little late (the loop woke late)
    // still follows the one before it at once, as on a real line.
    const auto byteTime = std::chrono::nanoseconds(consult::kByteTimeNs);
    const auto now = Clock::now();
    const auto start = now - ecuLineFree_ < std::chrono::milliseconds(5) ? ecuLineFree_ : now;
    ecuLineFree_ = start + byteTime * static_cast<long>(bytes.size());
    ecuOut_.push_back({ecuLineFree_, bytes, false});
}

void VirtualBoardProgram::sendEcuDue()
{
    if (ecuMaster_ < 0)
        return;
    const auto now = Clock::now();
    while (!ecuOut_.empty() && ecuOut_.front().due <= now) {
        const Outgoing out = std::move(ecuOut_.front());
        ecuOut_.pop_front();
        std::size_t written = 0;
        while (written < out.bytes.size()) {
            const ssize_t n = write(ecuMaster_, out.bytes.data() + written, out.bytes.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
        log("ECU-TX", hexBytes(out.bytes));
    }
    // The next piece of a stream goes on the line as the one before it ends: values taken now.
    if (ecuOut_.empty() && ecu_->streaming()) {
        ecu_->setTime(engineSeconds());
        const emulink::Bytes chunk = ecu_->nextStreamChunk();
        if (!chunk.empty())
            queueEcu(chunk);
    }
}

void VirtualBoardProgram::closeEcuLine(const char* why)
{
    if (ecuMaster_ < 0)
        return;
    if (why != nullptr) {
        std::fprintf(stderr, "virtual-board: the ECU line %s %s\n", ecuPath_.c_str(), why);
        log("ECU-HANGUP", ecuPath_);
    }
    close(ecuMaster_);
    if (ecuSlave_ >= 0)
        close(ecuSlave_);
    ecuMaster_ = ecuSlave_ = -1;
    ecuOut_.clear();
}

} // namespace boardsim
