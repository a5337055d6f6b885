// Logs of the live data: one CSV file a session, written as frames arrive and read back for playback.
//
// Format: a header line "time (ms),<name> (<unit>),...,map row,map column", then one row a frame:
// the time in whole milliseconds since the log began, the values with a decimal point whatever the
// locale, and the traced cell (row and column counted from 0; empty when not known). Lines end in
// "\n". A file cut short by a crash reads back up to its last whole line.
#pragma once

#include "Channels.h"

#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace consult {

struct LogRow
{
    std::int64_t timeMs = 0;
    std::vector<double> values;
    int row = -1; // traced cell; -1 when not known
    int col = -1;
};

// Writes a log. The file is written straight through (a log grows while the engine runs; there is
// no old version to keep). Rows are flushed to the system at least every `kFlushIntervalMs` of log
// time, and at close, so a crash loses at most that much.
class LogWriter
{
  public:
    static constexpr std::int64_t kFlushIntervalMs = 250;

    LogWriter() = default;
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Creates (or truncates) the file and writes the header. False with `error` set when the file
    // cannot be written; the writer is then closed.
    bool open(const QString& path, const std::vector<StreamLayout::Column>& columns, QString& error);
    bool isOpen() const { return file_.isOpen(); }
    // Appends a row (its values in the header's column order). False when the write failed: the
    // writer closes, and errorText() says why.
    bool append(const LogRow& row);
    void flush();
    void close();
    QString errorText() const { return error_; }
    std::uint64_t rowsWritten() const { return rows_; }

  private:
    QFile file_;
    QString error_;
    std::size_t columnCount_ = 0;
    std::int64_t lastFlushMs_ = 0;
    std::uint64_t rows_ = 0;
};

// One value as the log writes it: up to `decimals` digits after the point, trailing zeros dropped.
std::string logNumber(double value, int decimals);

// A log read back.
class LogFile
{
  public:
    // Reads the file. False with `error` set when it cannot be read or has no header; rows that are
    // cut short or hold no numbers are skipped (and counted).
    bool read(const QString& path, QString& error);

    const std::vector<StreamLayout::Column>& columns() const { return columns_; }
    const std::vector<LogRow>& rows() const { return rows_; }
    std::size_t skippedLines() const { return skipped_; }
    // The column of that name; nothing when the log lacks it.
    std::optional<std::size_t> columnNamed(const std::string& name) const;
    // The row shown at a playback position: the last row at or before `timeMs` (the first row before
    // the log's start). Nothing for an empty log.
    std::optional<std::size_t> rowAt(std::int64_t timeMs) const;
    // Time of the last row (0 for an empty log).
    std::int64_t durationMs() const { return rows_.empty() ? 0 : rows_.back().timeMs; }

  private:
    std::vector<StreamLayout::Column> columns_;
    std::vector<LogRow> rows_;
    std::size_t skipped_ = 0;
};

} // namespace consult
