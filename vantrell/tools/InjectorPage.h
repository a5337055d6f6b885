// The "Injectors" page (frame_injector): the injector resize and the injector trim. Constructed hidden;
// the main window shows it with openPage() and refreshes its entry fields after every grid fill.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/shell/EditorSeams.h"
#include "vantrell/shell/EditorState.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrell {

class InjectorPage : public QGroupBox
{
    Q_OBJECT
  public:
    // The page uses the state and seams for its whole lifetime; it does not own them.
    InjectorPage(EditorState& state, common::StatusSink& status, WriteThrough& link, Dialogs& dialogs,
                 QWidget* parent = nullptr);

    // Places and shows the page, sets the factory size caption and fills the entry fields.
    void openPage();
    // The factory size caption and the entry fields again from the definition and the ROM buffer,
    // without showing the page (after an image or definition load).
    void refill();
    // K and the null time from the ROM buffer into k_data_entry and null_data_entry.
    void fillEntryFields();

  signals:
    void romEditStarted();
    void romEditFinished();

  private:
    void recalculate();
    void trim();

    EditorState& state_;
    common::StatusSink& status_;
    WriteThrough& link_;
    Dialogs& dialogs_;
    QLabel* factory_ = nullptr;
    QLineEdit* newSize_ = nullptr;
    QLineEdit* kEntry_ = nullptr;
    QLineEdit* nullEntry_ = nullptr;
};

} // namespace vantrell
