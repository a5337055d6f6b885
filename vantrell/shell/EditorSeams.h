// The editor's ways out to the user and the boards, behind small interfaces so the core and the pages
// can be driven by tests: file dialogs and message boxes, and the write-through of changed ROM bytes.
#pragma once

#include <cstdint>
#include <span>
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

// Sends bytes that the ROM buffer already holds to every found board while the link is online.
// While offline it sends nothing. It never fails to the caller: a board that does not answer takes
// the link offline (with its own status lines), after which every call returns at once.
class WriteThrough
{
  public:
    virtual ~WriteThrough() = default;
    virtual bool isOnline() const = 0;
    virtual void writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes) = 0;
};

} // namespace vantrell
