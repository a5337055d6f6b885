// The editor's file dialogs, message boxes and beep on the real desktop.
#pragma once

#include "vantrell/editor/Dialogs.h"

#include <QString>

class QWidget;

namespace vantrell {

class QtDialogs : public Dialogs
{
  public:
    // Boxes and dialogs are shown modal to `parent` (may be null); it can be set later.
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::string fncGetFileNametoOpen(const std::string& strDialogTitle, const std::string& strFilter,
                                     const std::string& strDefaultExtention,
                                     const std::string& strDefaultPath) override;
    std::string fncGetFileNametoSave(const std::string& strFilter, const std::string& strDefaultExtention,
                                     const std::string& strDialogTitle,
                                     const std::string& strDefaultDir) override;
    Answer askYesNoCancel(const std::string& title, const std::string& text) override;
    Answer askYesNo(const std::string& title, const std::string& text) override;
    void showMessage(const std::string& title, const std::string& text) override;
    void beep() override;

    // "Rom Images|*.bin|All|*.*" -> "Rom Images (*.bin);;All (*.*)".
    static QString qtFilter(const std::string& filter);

  private:
    QWidget* parent_;
};

} // namespace vantrell
