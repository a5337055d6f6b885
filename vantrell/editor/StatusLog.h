// The text of the editor's status log. Each line ends in CR LF; when the text grows past 10000
// characters it is cut to its last 5000, so the log never grows without bound.
#pragma once

#include "common/StatusSink.h"

#include <string>

namespace vantrell {

class StatusLog : public common::StatusSink
{
  public:
    void appendStatusLine(const std::string& line) override
    {
        text_ += line;
        text_ += "\r\n";
        if (text_.size() > 10000)
            text_ = text_.substr(text_.size() - 5000);
    }
    // Replaces the whole text (the ROM save does this).
    void setText(const std::string& text) { text_ = text; }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

} // namespace vantrell
