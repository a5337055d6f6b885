// The one way the core reports to the user: one line at a time. The editor's status window
// implements it; tests collect the lines.
#pragma once

#include <string>
#include <vector>

namespace common {

class StatusSink
{
  public:
    virtual ~StatusSink() = default;
    virtual void appendStatusLine(const std::string& line) = 0;
};

// Keeps every line; for tests and for code that reports later.
class StatusLines : public StatusSink
{
  public:
    void appendStatusLine(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

} // namespace common
