#include "vantrell/shell/StatusWindow.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace vantrell {

StatusWindow::StatusWindow(QWidget* parent)
    : QGroupBox(QStringLiteral("Vantrell V") + QStringLiteral(" last version - discontinued"), parent),
      text_(new QPlainTextEdit(this)), progress_(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frame_status_window"));
    text_->setObjectName(QStringLiteral("status_text"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(text_, 1);
    layout->addWidget(progress_);
}

void StatusWindow::appendStatusLine(const std::string& line)
{
    const std::string& current = log_.text();
    if (!current.empty() && current.back() != '\n')
        log_.setText(current + "\r\n");
    log_.appendStatusLine(line);
    show();
}

void StatusWindow::setText(const std::string& text)
{
    log_.setText(text);
    show();
}

void StatusWindow::show()
{
    QString text = QString::fromStdString(log_.text());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith('\n'))
        text.chop(1);
    text_->setPlainText(text);
    // The caret stays at the end, so the newest line is in view.
    text_->moveCursor(QTextCursor::End);
    text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

} // namespace vantrell
