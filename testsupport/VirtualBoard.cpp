#include "VirtualBoard.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace testsupport {

VirtualBoard::VirtualBoard(QStringList arguments) : arguments_(std::move(arguments))
{
    process_.setProcessChannelMode(QProcess::SeparateChannels);
}

VirtualBoard::~VirtualBoard()
{
    if (process_.state() != QProcess::NotRunning)
        quit(5000);
}

QString VirtualBoard::programPath()
{
    return QStringLiteral(TESSAVEL_BINARY_DIR "/bin/virtual-board");
}

bool VirtualBoard::start(int timeoutMs)
{
    process_.start(programPath(), arguments_);
    if (!process_.waitForStarted(timeoutMs)) {
        error_ = QStringLiteral("virtual-board did not start: ") + process_.errorString();
        return false;
    }
    const std::optional<QString> line = readLine(timeoutMs);
    if (!line || !line->startsWith(QStringLiteral("PORT "))) {
        error_ = QStringLiteral("no PORT line from virtual-board (got '%1'; stderr: %2)")
                     .arg(line.value_or(QString()), standardError());
        return false;
    }
    portPath_ = line->mid(5).trimmed();
    if (arguments_.contains(QStringLiteral("--ecu"))) {
        const std::optional<QString> ecu = readLine(timeoutMs);
        if (!ecu || !ecu->startsWith(QStringLiteral("ECU "))) {
            error_ = QStringLiteral("no ECU line from virtual-board (got '%1')").arg(ecu.value_or(QString()));
            return false;
        }
        ecuPortPath_ = ecu->mid(4).trimmed();
    }
    return true;
}

bool VirtualBoard::isRunning() const
{
    return process_.state() == QProcess::Running;
}

std::optional<QString> VirtualBoard::readLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype end = pending_.indexOf('\n');
        if (end >= 0) {
            QString line = QString::fromUtf8(pending_.left(end)).trimmed();
            pending_.remove(0, end + 1);
            return line;
        }
        if (process_.state() == QProcess::NotRunning) {
            pending_ += process_.readAllStandardOutput();
            if (pending_.indexOf('\n') >= 0)
                continue;
            error_ = QStringLiteral("virtual-board has ended");
            return std::nullopt;
        }
        if (deadline.hasExpired()) {
            error_ = QStringLiteral("no answer from virtual-board in time");
            return std::nullopt;
        }
        // Blocks in the kernel until output arrives: no polling.
        if (process_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            pending_ += process_.readAllStandardOutput();
    }
}

std::optional<QString> VirtualBoard::command(const QString& line, int timeoutMs)
{
    if (process_.state() != QProcess::Running) {
        error_ = QStringLiteral("virtual-board is not running");
        return std::nullopt;
    }
    process_.write((line + QLatin1Char('\n')).toUtf8());
    process_.waitForBytesWritten(timeoutMs);
    return readLine(timeoutMs);
}

bool VirtualBoard::fault(const QString& name, int count)
{
    const auto answer = command(QStringLiteral("fault %1 %2").arg(name).arg(count));
    return answer && answer->startsWith(QStringLiteral("OK"));
}

std::optional<VirtualBoard::Bytes> VirtualBoard::memory(int id)
{
    const auto answer = command(QStringLiteral("dump %1").arg(id));
    const QString prefix = QStringLiteral("MEM %1 ").arg(id);
    if (!answer || !answer->startsWith(prefix)) {
        error_ = QStringLiteral("unexpected answer to dump: ") + answer.value_or(error_);
        return std::nullopt;
    }
    return parseHexBytes(answer->mid(prefix.size()));
}

std::optional<std::vector<VirtualBoard::Bytes>> VirtualBoard::frames()
{
    const auto answer = command(QStringLiteral("frames"));
    if (!answer || !answer->startsWith(QStringLiteral("FRAMES "))) {
        error_ = QStringLiteral("unexpected answer to frames: ") + answer.value_or(error_);
        return std::nullopt;
    }
    bool ok = false;
    const int count = answer->mid(7).trimmed().toInt(&ok);
    if (!ok || count < 0)
        return std::nullopt;
    std::vector<Bytes> result;
    for (int i = 0; i < count; ++i) {
        const auto line = readLine(10000);
        if (!line)
            return std::nullopt;
        auto bytes = parseHexBytes(*line);
        if (!bytes)
            return std::nullopt;
        result.push_back(std::move(*bytes));
    }
    return result;
}

std::optional<int> VirtualBoard::pull(int id)
{
    const auto answer = command(QStringLiteral("pull %1").arg(id));
    const QString prefix = QStringLiteral("PULL %1 ").arg(id);
    if (!answer || !answer->startsWith(prefix))
        return std::nullopt;
    bool ok = false;
    const int value = answer->mid(prefix.size()).trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool VirtualBoard::quit(int timeoutMs)
{
    if (process_.state() == QProcess::NotRunning)
        return true;
    process_.write("quit\n");
    process_.waitForBytesWritten(timeoutMs);
    process_.closeWriteChannel();
    if (process_.waitForFinished(timeoutMs))
        return process_.exitStatus() == QProcess::NormalExit;
    process_.kill();
    process_.waitForFinished(timeoutMs);
    error_ = QStringLiteral("virtual-board did not end on quit and was killed");
    return false;
}

QString VirtualBoard::standardError()
{
    stderr_ += QString::fromUtf8(process_.readAllStandardError());
    return stderr_;
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(digits.size() / 2));
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        bool ok = false;
        const uint value = digits.mid(i, 2).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

} // namespace testsupport
