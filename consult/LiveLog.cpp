#include "LiveLog.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace consult {

namespace {

constexpr const char* kTimeHeader = "time (ms)";
constexpr const char* kRowHeader = "map row";
constexpr const char* kColHeader = "map column";

std::string headerText(const StreamLayout::Column& column)
{
    std::string text = column.name;
    if (!column.unit.empty())
        text += " (" + column.unit + ")";
    // A comma would split the column.
    std::replace(text.begin(), text.end(), ',', ';');
    return text;
}

StreamLayout::Column columnFromHeader(const std::string& text)
{
    StreamLayout::Column column;
    const std::size_t open = text.rfind(" (");
    if (open != std::string::npos && !text.empty() && text.back() == ')') {
        column.name = text.substr(0, open);
        column.unit = text.substr(open + 2, text.size() - open - 3);
    } else {
        column.name = text;
    }
    return column;
}

std::optional<double> readDouble(const QByteArray& field)
{
    const QByteArray text = field.trimmed();
    double value = 0;
    const auto [end, ec] = std::from_chars(text.constData(), text.constData() + text.size(), value);
    if (text.isEmpty() || ec != std::errc() || end != text.constData() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> readCell(const QByteArray& field)
{
    if (field.trimmed().isEmpty())
        return -1;
    const auto v = readDouble(field);
    if (!v || *v < 0 || *v > 255 || *v != std::floor(*v))
        return std::nullopt;
    return static_cast<int>(*v);
}

} // namespace

std::string logNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        return "";
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, std::max(0, decimals));
    if (ec != std::errc())
        return "";
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

LogWriter::~LogWriter()
{
    close();
}

bool LogWriter::open(const QString& path, const std::vector<StreamLayout::Column>& columns, QString& error)
{
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("cannot write the log %1: %2").arg(path, file_.errorString());
        return false;
    }
    std::string header = kTimeHeader;
    for (const auto& column : columns) {
        header += ',';
        header += headerText(column);
    }
    header += std::string(",") + kRowHeader + "," + kColHeader + "\n";
    columnCount_ = columns.size();
    rows_ = 0;
    lastFlushMs_ = std::numeric_limits<std::int64_t>::min() / 2; // the first row goes out at once
    if (file_.write(header.data(), static_cast<qint64>(header.size())) !=
            static_cast<qint64>(header.size()) ||
        !file_.flush()) {
        error = QStringLiteral("cannot write the log %1: %2").arg(path, file_.errorString());
        file_.close();
        return false;
    }
    return true;
}

bool LogWriter::append(const LogRow& row)
{
    if (!file_.isOpen())
        return false;
    std::string line = std::to_string(row.timeMs);
    for (std::size_t i = 0; i < columnCount_; ++i) {
        line += ',';
        if (i < row.values.size())
            line += logNumber(row.values[i], 3);
    }
    line += ',';
    if (row.row >= 0)
        line += std::to_string(row.row);
    line += ',';
    if (row.col >= 0)
        line += std::to_string(row.col);
    line += '\n';
    if (file_.write(line.data(), static_cast<qint64>(line.size())) != static_cast<qint64>(line.size())) {
        error_ = QStringLiteral("cannot write the log %1: %2").arg(file_.fileName(), file_.errorString());
        file_.close();
        return false;
    }
    ++rows_;
    if (row.timeMs - lastFlushMs_ >= kFlushIntervalMs || row.timeMs < lastFlushMs_) {
        lastFlushMs_ = row.timeMs;
        flush();
    }
    return true;
}

void LogWriter::flush()
{
    if (file_.isOpen() && !file_.flush()) {
        error_ = QStringLiteral("cannot write the log %1: %2").arg(file_.fileName(), file_.errorString());
        file_.close();
    }
}

void LogWriter::close()
{
    if (file_.isOpen()) {
        flush();
        file_.close();
    }
}

bool LogFile::read(const QString& path, QString& error)
{
    columns_.clear();
    rows_.clear();
    skipped_ = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the log %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray all = file.readAll();
    QList<QByteArray> lines = all.split('\n');
    // The part after the last line end is a line cut short (or nothing).
    const bool lastWhole = all.endsWith('\n');
    if (!lastWhole && !lines.isEmpty() && !lines.back().isEmpty())
        ++skipped_;
    lines.removeLast();
    if (lines.isEmpty()) {
        error = QStringLiteral("the log %1 has no header line").arg(path);
        return false;
    }
    QList<QByteArray> header = lines.front().trimmed().split(',');
    if (header.size() < 3 || header.front().trimmed() != kTimeHeader ||
        header[header.size() - 2].trimmed() != kRowHeader || header.back().trimmed() != kColHeader) {
        error = QStringLiteral("%1 is not a live data log (its first line is no log header)").arg(path);
        return false;
    }
    for (qsizetype i = 1; i + 2 < header.size(); ++i)
        columns_.push_back(columnFromHeader(header[i].trimmed().toStdString()));
    const qsizetype fields = header.size();
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QList<QByteArray> f = lines[n].trimmed().split(',');
        if (f.size() != fields) {
            ++skipped_;
            continue;
        }
        LogRow row;
        const auto time = readDouble(f[0]);
        const auto r = readCell(f[fields - 2]);
        const auto c = readCell(f[fields - 1]);
        if (!time || !r || !c || *time < 0 || *time > 9.2e18) {
            ++skipped_;
            continue;
        }
        row.timeMs = static_cast<std::int64_t>(*time);
        row.row = *r;
        row.col = *c;
        for (qsizetype i = 1; i + 2 < fields; ++i)
            row.values.push_back(readDouble(f[i]).value_or(std::nan("")));
        // Playback moves by time: rows out of order are kept out.
        if (!rows_.empty() && row.timeMs < rows_.back().timeMs) {
            ++skipped_;
            continue;
        }
        rows_.push_back(std::move(row));
    }
    return true;
}

std::optional<std::size_t> LogFile::columnNamed(const std::string& name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].name == name)
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> LogFile::rowAt(std::int64_t timeMs) const
{
    if (rows_.empty())
        return std::nullopt;
    const auto after = std::upper_bound(rows_.begin(), rows_.end(), timeMs,
                                        [](std::int64_t t, const LogRow& row) { return t < row.timeMs; });
    if (after == rows_.begin())
        return 0;
    return static_cast<std::size_t>(after - rows_.begin() - 1);
}

} // namespace consult
