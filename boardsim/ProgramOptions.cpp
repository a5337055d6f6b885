#include "ProgramOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace boardsim {

namespace {

bool readInt(const std::string& text, int low, int high, int& value)
{
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || ptr != end || text.empty() || v < low || v > high)
        return false;
    value = v;
    return true;
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return parts;
        from = at + 1;
    }
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A list given once for all boards or once per board.
bool perBoard(const std::vector<std::string>& values, std::size_t boardCount, std::size_t index,
              std::string& value)
{
    if (values.size() == 1) {
        value = values[0];
        return true;
    }
    if (values.size() != boardCount)
        return false;
    value = values[index];
    return true;
}

} // namespace

bool parseFaultArgument(const std::string& text, Fault& fault, int& count)
{
    const std::size_t colon = text.find(':');
    const std::string name = lower(text.substr(0, colon));
    int n = 1;
    if (colon != std::string::npos && !readInt(text.substr(colon + 1), 0, 1000000, n))
        return false;
    if (!faultFromName(name, fault))
        return false;
    count = n;
    return true;
}

bool parseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error)
{
    std::vector<std::string> ids{"1"}, sizes{"27c256"}, versions{"1.0"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--no-pacing") {
            options.pacing = false;
        } else if (arg == "--no-stdin") {
            options.readStdin = false;
        } else if (arg == "--boards") {
            if (!value(v))
                return false;
            ids = split(v, ',');
        } else if (arg == "--size") {
            if (!value(v))
                return false;
            sizes = split(lower(v), ',');
        } else if (arg == "--version") {
            if (!value(v))
                return false;
            versions = split(v, ',');
        } else if (arg == "--port-file") {
            if (!value(options.portFile))
                return false;
        } else if (arg == "--program-folder") {
            if (!value(options.programFolder))
                return false;
        } else if (arg == "--port-number") {
            if (!value(v))
                return false;
            if (!readInt(v, 1, 255, options.portNumber)) {
                error = "--port-number takes a number from 1 to 255";
                return false;
            }
        } else if (arg == "--load") {
            if (!value(v))
                return false;
            ImageLoad load{v, -1};
            const std::size_t at = v.rfind('@');
            int id = 0;
            if (at != std::string::npos && readInt(v.substr(at + 1), 0, 255, id)) {
                load.file = v.substr(0, at);
                load.id = id;
            }
            if (load.file.empty()) {
                error = "--load needs a file name";
                return false;
            }
            options.loads.push_back(load);
        } else if (arg == "--save-dir") {
            if (!value(options.saveDir))
                return false;
        } else if (arg == "--log") {
            if (!value(options.logFile))
                return false;
        } else if (arg == "--late-ms") {
            int ms = 0;
            if (!value(v))
                return false;
            if (!readInt(v, 0, 600000, ms)) {
                error = "--late-ms takes a number of milliseconds";
                return false;
            }
            options.lateDelay = std::chrono::milliseconds(ms);
        } else if (arg == "--ecu") {
            options.ecu = true;
        } else if (arg == "--definition") {
            if (!value(options.definitionFile))
                return false;
        } else if (arg == "--ecu-port-number") {
            if (!value(v))
                return false;
            if (!readInt(v, 1, 255, options.ecuPortNumber)) {
                error = "--ecu-port-number takes a number from 1 to 255";
                return false;
            }
        } else if (arg == "--ecu-fault") {
            if (!value(v))
                return false;
            const std::size_t colon = v.find(':');
            EcuFault fault{};
            int count = 1;
            if (!ecuFaultFromName(lower(v.substr(0, colon)), fault) ||
                (colon != std::string::npos && !readInt(v.substr(colon + 1), 0, 1000000, count))) {
                error = "unknown ECU fault '" + v + "' (silent, noise, wrongecho, cutline)";
                return false;
            }
            options.ecuFaults.emplace_back(fault, count);
        } else if (arg == "--fault") {
            if (!value(v))
                return false;
            Fault fault{};
            int count = 1;
            if (!parseFaultArgument(v, fault, count)) {
                error = "unknown fault '" + v + "' (noreply, late, wrongsum, wrongchecksum, extra, hangup)";
                return false;
            }
            options.faults.emplace_back(fault, count);
        } else {
            error = "unknown argument '" + arg + "' (see --help)";
            return false;
        }
    }

    if (ids.empty() || ids.size() > 2) {
        error = "--boards takes one or two IDs, e.g. 1,2";
        return false;
    }
    options.boards.clear();
    for (std::size_t b = 0; b < ids.size(); ++b) {
        BoardConfig config;
        int id = 0;
        if (!readInt(ids[b], 0, 255, id)) {
            error = "board ID '" + ids[b] + "' is not a number from 0 to 255";
            return false;
        }
        config.id = static_cast<std::uint8_t>(id);

        std::string size;
        if (!perBoard(sizes, ids.size(), b, size) || (size != "27c256" && size != "27c512")) {
            error = "--size takes 27c256 or 27c512, once or once per board";
            return false;
        }
        config.capacity = size == "27c256" ? 0x8000 : 0x10000;

        std::string version;
        int major = 0, minor = 0;
        const std::vector<std::string> parts =
            perBoard(versions, ids.size(), b, version) ? split(version, '.') : std::vector<std::string>{};
        if (parts.size() != 2 || !readInt(parts[0], 0, 255, major) || !readInt(parts[1], 0, 255, minor)) {
            error = "--version takes MAJOR.MINOR (0 to 255 each), once or once per board";
            return false;
        }
        config.major = static_cast<std::uint8_t>(major);
        config.minor = static_cast<std::uint8_t>(minor);
        options.boards.push_back(config);
    }
    if ((!options.definitionFile.empty() || !options.ecuFaults.empty() || options.ecuPortNumber != 0) &&
        !options.ecu) {
        error = "--definition, --ecu-fault and --ecu-port-number belong to the ECU: add --ecu";
        return false;
    }
    return true;
}

std::string helpText()
{
    return R"(virtual-board: one or two simulated ROM emulator boards on a pseudo-terminal.

Usage:
  virtual-board [--boards 1,2] [--size 27c256|27c512] [--version 1.2] [--no-pacing]
                [--port-file FILE] [--program-folder DIR [--port-number N]]
                [--load FILE[@ID]]... [--save-dir DIR] [--log FILE] [--fault NAME[:COUNT]]...
                [--late-ms MS] [--no-stdin] [--help]
                [--ecu [--definition FILE] [--ecu-port-number N] [--ecu-fault NAME[:COUNT]]...]

Options:
  --boards IDS          IDs of the boards on the line, one or two, comma separated (default 1).
  --size SIZE           27c256 (0x8000 bytes, size code '1') or 27c512 (0x10000 bytes, size code
                        '2'); one value for every board or one per board (default 27c256).
  --version M.N         firmware version reported to version requests; one or one per board
                        (default 1.0).
  --no-pacing           answer at once. By default a reply leaves no sooner than the frame and the
                        reply would take on a 115200 baud line at 10 bits a byte (86.8 us a byte),
                        counted from the arrival of the frame's first byte; replies leave in order.
  --port-file FILE      also write the pseudo-terminal path (no line end) to FILE.
  --program-folder DIR  also set [ports] N=<path> in DIR/config/ports.ini, keeping its other lines;
                        at exit the entry is emptied again when it still names this line.
  --port-number N       the N for --program-folder (default 1).
  --load FILE[@ID]      load a ROM image into board ID (into every board without @ID). An image
                        smaller than the board lies at the top of its memory, as the host places
                        it. Memory not loaded holds 0xFF (an erased EPROM).
  --save-dir DIR        save the images to DIR/board-<id>.bin at exit.
  --log FILE            log every frame received (RX), every reply sent (TX) and every buffer
                        discard seen (FLUSH), one line each with the seconds since start.
  --fault NAME[:COUNT]  inject a fault into the next COUNT replies (default 1), see below.
  --late-ms MS          delay of the late-reply fault (default 400).
  --no-stdin            do not read commands; run until SIGTERM/SIGINT or a hang-up.
  --help                this text.
  --ecu                 also simulate the engine's ECU on its diagnostic line: a second
                        pseudo-terminal at 9600 baud, always paced (1.04 ms a byte). Its engine runs
                        a 60-second drive cycle unless RPM or TP are set (see "ecu" below); it
                        reports injection time and ignition timing from the main fuel and ignition
                        maps it reads from the first board's memory, so an edit written to the board
                        shows in its next frames. Commands: FF FF EF start (answers 10); 5A <reg> and
                        C9 <hi> <lo> choose a stream (echoes inverted command bytes, parameters
                        unchanged), F0 streams frames FF <len> <data> until 30 (ends the frame,
                        answers CF); D1 F0 fault codes, C1 F0 clears them, D0 F0 part number.
  --definition FILE     the engine definition for the ECU's maps and its TP address ([consult]
                        tpram); by default the one config/emulator.ini names in --program-folder.
  --ecu-port-number N   with --program-folder, also set [ports] N=<ECU path> in its ports.ini
                        (emptied again at exit like the boards' entry); default: --port-number + 1.
  --ecu-fault NAME[:COUNT]  an ECU fault at start (see "ecu fault" below).

Start-up: the first line on standard output is "PORT <path>" (flushed), e.g. PORT /dev/pts/3.
With --ecu the second line is "ECU <path>", the ECU's diagnostic line.
Nothing else is written to standard output except the answers to commands; diagnostics go to
standard error.

Frames: 'A' ID 'V'|'S'|'w'|'W'|'R'|'X' ... C are answered only by the board with that ID;
'e' 01 01 FD ID C (set ID, the board takes the new ID at once, answers the ID as the character
'0'+ID) and 'e' 01 01 FF V C (set pull, answers 'P') by every board, one reply each. Frames with
a wrong checksum get no reply. Short, chunk write and status answer 'K'. When the host discards
its buffers (seen through packet mode) a partly received frame is dropped. Wire addresses at or
above a board's size wrap round its memory.

Faults (NAME): each applies to the next COUNT replies it can change (COUNT default 1; 0 cancels).
  noreply        the reply is not sent
  late           the reply is sent --late-ms later (default 400 ms) and holds back the ones after it
  wrongsum       a verified block write answers a wrong block sum (waits for such a reply)
  wrongchecksum  a chunk read answers a wrong checksum byte (waits for such a reply)
  extra          two extra bytes 0x5A 0xA5 follow the reply
  hangup         instead of replying the board closes the line and the program exits
                 (after saving the images to --save-dir when given)

Commands on standard input, one a line. Each answers one line (FRAMES also the lines after it);
a refused command answers "ERR <reason>":
  fault NAME [COUNT]   -> OK fault NAME COUNT      (COUNT pending for that fault afterwards)
  late MS              -> OK late MS               (delay of the late fault)
  save [DIR]           -> OK saved DIR             (board-<id>.bin per board; DIR defaults to --save-dir)
  dump ID              -> MEM ID HEX               (the whole memory, upper-case hex, no blanks)
  frames               -> FRAMES N, then N lines of upper-case hex, one frame each, received since
                          the last frames command (frames with a wrong checksum included)
  pull ID              -> PULL ID VALUE            (-1 never set, 0 hard, 255 soft)
  id INDEX             -> ID INDEX VALUE           (current ID of board INDEX, counted from 0 in
                                                    --boards order)
  pending              -> PENDING N                (bytes of a frame begun but not complete)
  hangup               -> OK hangup, then the line is closed at once and the program ends
  quit                 -> OK quit, then the program ends
  ecu                  -> ECU rpm R tp T inj MS ign DEG row R col C streaming 0|1
                          (row and col: the fuel map cell the engine runs in, -1 when unknown)
  ecu rpm N|cycle      -> OK ecu rpm N             (a fixed RPM, or back to the drive cycle)
  ecu tp N|cycle       -> OK ecu tp N              (a fixed TP, or back to the drive cycle)
  ecu fault NAME [COUNT] -> OK ecu fault NAME COUNT
                          silent     the stream stops and the next COUNT starts get no answer
                          noise      three stray bytes inside each of the next COUNT frames
                          wrongecho  the next COUNT command bytes are echoed uninverted
                          cutline    the ECU's line is closed (the boards go on)
The program ends on quit, at the end of standard input, on SIGTERM or SIGINT, and after a hang-up
fault, saving the images to --save-dir first when given. Exit status 0; 2 for a bad command line
or a start-up failure.
)";
}

} // namespace boardsim
