// The editor's ways out to the user: file dialogs and message boxes, behind a small interface so
// the core and the pages can be driven by tests.
#pragma once

#include <string>

namespace vantrell {

class Dialogs
{
  public:
    virtual ~Dialogs() = default;

    // File-open dialog; the filter is "description|pattern|..." pairs. Returns the chosen path, or
    // "" when cancelled. A typed name of a file that does not exist is returned too.
    virtual std::string fncGetFileNametoOpen(const std::string& strDialogTitle, const std::string& strFilter,
                                             const std::string& strDefaultExtention,
                                             const std::string& strDefaultPath) = 0;
    // File-save dialog (note the argument order); no question before an existing file is replaced.
    virtual std::string fncGetFileNametoSave(const std::string& strFilter,
                                             const std::string& strDefaultExtention,
                                             const std::string& strDialogTitle,
                                             const std::string& strDefaultDir) = 0;

    enum class Answer { Yes, No, Cancel };
    // A question box with Yes, No and Cancel and a question icon.
    virtual Answer askYesNoCancel(const std::string& title, const std::string& text) = 0;
    // A question box with Yes and No (No when closed otherwise).
    virtual Answer askYesNo(const std::string& title, const std::string& text) = 0;
    // An information box with an OK button.
    virtual void showMessage(const std::string& title, const std::string& text) = 0;
    virtual void beep() = 0;
};

} // namespace vantrell
