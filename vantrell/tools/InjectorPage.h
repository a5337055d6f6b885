// The "Injectors" page (frame_injector): the injector resize and the injector trim. Constructed hidden;
// the main window shows it with openPage(). Its entry fields follow every edit step but the grid's keys
// (a tool's commit, a map file load), and its own commands show the ROM buffer's K and null time after
// they ran, done or refused.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrell {

class InjectorPage : public QGroupBox, private DocumentListener
{
    Q_OBJECT
  public:
    // The page uses the state and seams for its whole lifetime; it does not own them.
    InjectorPage(EditorState& state, common::StatusSink& status, Dialogs& dialogs, QWidget* parent = nullptr);

    // Places and shows the page, sets the factory size caption and fills the entry fields.
    void openPage();
    // The factory size caption and the entry fields again from the definition and the ROM buffer,
    // without showing the page (after an image or definition load).
    void refill();
    // K and the null time from the ROM buffer into k_data_entry and null_data_entry.
    void fillEntryFields();

    ~InjectorPage() override;

  private:
    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad) override {}
    void recalculate();
    void trim();

    EditorState& state_;
    common::StatusSink& status_;
    Dialogs& dialogs_;
    QLabel* factory_ = nullptr;
    QLineEdit* newSize_ = nullptr;
    QLineEdit* kEntry_ = nullptr;
    QLineEdit* nullEntry_ = nullptr;
};

} // namespace vantrell
