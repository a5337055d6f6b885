// Where the setup tool shows its status text: the window's text area, or a string in tests.
#pragma once

#include <QString>

namespace pellory {

class StatusTextView
{
  public:
    virtual ~StatusTextView() = default;
    // Shows the whole status text; lines are separated by CR LF.
    virtual void showStatusText(const QString& text) = 0;
};

} // namespace pellory
