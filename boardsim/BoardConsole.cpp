#include "BoardConsole.h"

#include <charconv>
#include <cstdio>
#include <sstream>

namespace boardsim {

namespace {

std::vector<std::string> words(std::string_view line)
{
    std::istringstream in{std::string(line)};
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

bool readInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

ConsoleAnswer answer(std::string line)
{
    ConsoleAnswer a;
    a.lines.push_back(std::move(line));
    return a;
}

} // namespace

std::string hexBytes(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(bytes.size() * 2, '0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return text;
}

BoardConsole::BoardConsole(BoardBus& bus) : bus_(bus) {}

Board* BoardConsole::boardWithId(const std::string& idText)
{
    int id = -1;
    if (!readInt(idText, id))
        return nullptr;
    for (Board& board : bus_.boards()) {
        if (board.config.id == id)
            return &board;
    }
    return nullptr;
}

ConsoleAnswer BoardConsole::execute(std::string_view line)
{
    const std::vector<std::string> w = words(line);
    if (w.empty())
        return {};
    const std::string& command = w[0];

    if (command == "fault") {
        Fault fault{};
        int count = 1;
        if (w.size() < 2 || w.size() > 3 || !faultFromName(w[1], fault) ||
            (w.size() == 3 && (!readInt(w[2], count) || count < 0)))
            return answer("ERR usage: fault noreply|late|wrongsum|wrongchecksum|extra|hangup [count]");
        bus_.injectFault(fault, count);
        return answer("OK fault " + w[1] + " " + std::to_string(bus_.pendingFaults(fault)));
    }
    if (command == "late") {
        int ms = 0;
        if (w.size() != 2 || !readInt(w[1], ms) || ms < 0)
            return answer("ERR usage: late <milliseconds>");
        bus_.setLateReplyDelay(std::chrono::milliseconds(ms));
        return answer("OK late " + w[1]);
    }
    if (command == "save") {
        if (w.size() > 2)
            return answer("ERR usage: save [dir]");
        ConsoleAnswer a;
        a.action = ConsoleAnswer::Action::Save;
        if (w.size() == 2)
            a.saveDir = w[1];
        return a;
    }
    if (command == "dump" || command == "pull") {
        if (w.size() != 2)
            return answer("ERR usage: " + command + " <id>");
        const Board* board = boardWithId(w[1]);
        if (board == nullptr)
            return answer("ERR no board with ID " + w[1]);
        const std::string id = std::to_string(board->config.id);
        if (command == "dump")
            return answer("MEM " + id + " " + hexBytes(board->memory));
        return answer("PULL " + id + " " + std::to_string(board->pullMode));
    }
    if (command == "frames") {
        if (w.size() != 1)
            return answer("ERR usage: frames");
        ConsoleAnswer a;
        a.lines.push_back("FRAMES " + std::to_string(bus_.frameLog().size()));
        for (const emulink::Bytes& frame : bus_.frameLog())
            a.lines.push_back(hexBytes(frame));
        bus_.clearFrameLog();
        return a;
    }
    if (command == "id") {
        int index = -1;
        if (w.size() != 2 || !readInt(w[1], index))
            return answer("ERR usage: id <index>");
        if (index < 0 || static_cast<std::size_t>(index) >= bus_.boards().size())
            return answer("ERR no board at index " + w[1]);
        return answer("ID " + w[1] + " " +
                      std::to_string(bus_.boards()[static_cast<std::size_t>(index)].config.id));
    }
    if (command == "pending") {
        if (w.size() != 1)
            return answer("ERR usage: pending");
        return answer("PENDING " + std::to_string(bus_.partialFrameLength()));
    }
    if (command == "hangup") {
        ConsoleAnswer a = answer("OK hangup");
        a.action = ConsoleAnswer::Action::HangUp;
        return a;
    }
    if (command == "ecu")
        return executeEcu(w);
    if (command == "quit") {
        ConsoleAnswer a = answer("OK quit");
        a.action = ConsoleAnswer::Action::Quit;
        return a;
    }
    return answer("ERR unknown command '" + command + "' (see virtual-board --help)");
}

ConsoleAnswer BoardConsole::executeEcu(const std::vector<std::string>& w)
{
    if (ecu_ == nullptr)
        return answer("ERR no ECU (start with --ecu)");
    if (w.size() == 1) {
        const consult::Trace trace = ecu_->fuelTrace();
        char text[160];
        std::snprintf(text, sizeof text, "ECU rpm %.1f tp %.1f inj %.2f ign %.1f row %d col %d streaming %d",
                      ecu_->rpm(), ecu_->tp(), ecu_->injectionMs(), ecu_->ignitionDegrees(), trace.row,
                      trace.col, ecu_->streaming() ? 1 : 0);
        return answer(text);
    }
    const std::string& what = w[1];
    if ((what == "rpm" || what == "tp") && w.size() == 3) {
        std::optional<double> value;
        if (w[2] != "cycle") {
            int n = 0;
            if (!readInt(w[2], n) || n < 0 || n > (what == "rpm" ? 20000 : 255))
                return answer("ERR usage: ecu " + what + " <number>|cycle");
            value = n;
        }
        (what == "rpm" ? ecu_->setRpm(value) : ecu_->setTp(value));
        return answer("OK ecu " + what + " " + w[2]);
    }
    if (what == "cycle" && w.size() == 2) {
        ecu_->setRpm(std::nullopt);
        ecu_->setTp(std::nullopt);
        return answer("OK ecu cycle");
    }
    if (what == "fault" && (w.size() == 3 || w.size() == 4)) {
        EcuFault fault{};
        int count = 1;
        if (!ecuFaultFromName(w[2], fault) || (w.size() == 4 && (!readInt(w[3], count) || count < 0)))
            return answer("ERR usage: ecu fault silent|noise|wrongecho|cutline [count]");
        ecu_->injectFault(fault, count);
        return answer("OK ecu fault " + w[2] + " " + std::to_string(ecu_->pendingFaults(fault)));
    }
    return answer("ERR usage: ecu [rpm N|cycle] [tp N|cycle] [cycle] [fault NAME [COUNT]]");
}

} // namespace boardsim
