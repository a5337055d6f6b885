// Test helper: runs the real virtual-board program (simulated emulator boards on a pseudo-terminal) as
// a child process, learns its port from the "PORT <path>" line and drives it through its standard
// input. Every call has a time bound and reports failure instead of hanging. The program ends when
// the helper is destroyed.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

class VirtualBoard
{
  public:
    using Bytes = std::vector<std::uint8_t>;

    // Arguments for virtual-board, e.g. {"--boards", "1,2", "--no-pacing"}.
    explicit VirtualBoard(QStringList arguments = {});
    ~VirtualBoard();
    VirtualBoard(const VirtualBoard&) = delete;
    VirtualBoard& operator=(const VirtualBoard&) = delete;

    // Path of the program: TESSAVEL_BINARY_DIR/bin/virtual-board.
    static QString programPath();

    // Starts the program and reads its PORT line. False (with errorText()) when it does not start or
    // prints no PORT line within the bound.
    bool start(int timeoutMs = 10000);
    bool isRunning() const;
    // The pseudo-terminal path the boards answer on.
    QString portPath() const { return portPath_; }
    // With --ecu: the simulated ECU's diagnostic line (its "ECU <path>" line); empty otherwise.
    QString ecuPortPath() const { return ecuPortPath_; }

    // Sends one command line and returns the first answer line (without its line end); nothing when
    // no line came within the bound.
    std::optional<QString> command(const QString& line, int timeoutMs = 10000);

    // `fault <name> [count]`: true on an "OK" answer.
    bool fault(const QString& name, int count = 1);
    // `dump <id>`: the board's whole memory.
    std::optional<Bytes> memory(int id);
    // `frames`: every frame received since the last call, in order.
    std::optional<std::vector<Bytes>> frames();
    // `pull <id>`: -1 never set, 0 hard, 255 soft.
    std::optional<int> pull(int id);

    // Sends `quit` and waits for the program to end; kills it when it does not.
    bool quit(int timeoutMs = 10000);

    QString errorText() const { return error_; }
    // Everything the program wrote to its standard error so far.
    QString standardError();

  private:
    std::optional<QString> readLine(int timeoutMs);

    QStringList arguments_;
    QProcess process_;
    QByteArray pending_;
    QString portPath_;
    QString ecuPortPath_;
    QString error_;
    QString stderr_;
};

// Parses a line of upper- or lower-case hex digit pairs; nothing for an odd count or a bad digit.
std::optional<std::vector<std::uint8_t>> parseHexBytes(const QString& text);

} // namespace testsupport
