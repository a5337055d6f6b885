// The "Misc" page (frame_limiters, "Misc Limiters"): six one-row grids, four read-only tables and the
// rev and speed limits, which change on key release (plus and minus keys, Shift for the big step).
// Constructed hidden.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/keyboard/EditKeyReader.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"
#include "vantrell/tools/core/Limiters.h"

#include <QGroupBox>

#include <map>
#include <string>

class QTableWidget;

namespace vantrell {

class LimiterPage : public QGroupBox, private DocumentListener
{
    Q_OBJECT
  public:
    // The page uses the state, seams and key reader for its whole lifetime; it does not own them.
    LimiterPage(EditorState& state, common::StatusSink& status, Dialogs& dialogs, EditKeyReader& keys,
                QWidget* parent = nullptr);

    // Fills and shows the grids present in the engine definition, then places and shows the page.
    void openPage();
    // Fills the grids again from the ROM buffer and the definition, without showing the page: after
    // an image or definition load no key in a grid can write a value of the image that was replaced.
    void refill();

    // Twips to pixels at 15 twips a pixel.
    static int pixels(int twips) { return (twips + 7) / 15; }

    ~LimiterPage() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Another edit step (an undo, say) may change what the grids show: they are filled again. The
    // page's own limit edits leave the cell with the text the edit gave it.
    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad) override {}

    void fillGrid(QTableWidget* table, const LimiterGrid& grid);

    EditorState& state_;
    common::StatusSink& status_;
    EditKeyReader& keys_;
    std::map<std::string, QTableWidget*> tables_;
    bool editing_ = false;
};

} // namespace vantrell
