// The status window: the always visible frame "frame_status_window" that shows the status log
// ("status_text") and holds the progress bar "progress". Every page reports through it, one line each.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/StatusLog.h"

#include <QGroupBox>

class QPlainTextEdit;
class QProgressBar;

namespace vantrell {

class StatusWindow : public QGroupBox, public common::StatusSink
{
    Q_OBJECT
  public:
    explicit StatusWindow(QWidget* parent = nullptr);

    // Appends the line and scrolls to it; the log keeps at most its last 5000 characters once it has
    // grown past 10000. A text left without a line break (the "Rom Saved" of a save) gets one first,
    // so the next line starts a line of its own.
    void appendStatusLine(const std::string& line) override;
    // Replaces the whole log text.
    void setText(const std::string& text);

    const StatusLog& log() const { return log_; }
    QPlainTextEdit* textBox() const { return text_; }
    QProgressBar* progressBar() const { return progress_; }

  private:
    void show();

    StatusLog log_;
    QPlainTextEdit* text_;
    QProgressBar* progress_;
};

} // namespace vantrell
