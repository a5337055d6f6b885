// The "Misc" page (frame_limiters, "Misc Limiters"): six one-row grids, four read-only tables and the
// rev and speed limits, which change on key release (plus and minus keys, Shift for the big step).
// Constructed hidden.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/shell/EditorSeams.h"
#include "vantrell/shell/EditorState.h"
#include "vantrell/tools/Limiters.h"

#include <QGroupBox>

#include <map>
#include <string>

class QTableWidget;

namespace vantrell {

class LimiterPage : public QGroupBox
{
    Q_OBJECT
  public:
    // The page uses the state and seams for its whole lifetime; it does not own them.
    LimiterPage(EditorState& state, common::StatusSink& status, WriteThrough& link, Dialogs& dialogs,
                QWidget* parent = nullptr);

    // Fills and shows the grids present in the engine definition, then places and shows the page.
    void openPage();

    // What a key release means to the limit cells: the =/+ key and the -/_ key of the main keyboard (as a
    // real keyboard sends them, with or without Shift); every other key is "other". On Windows the
    // key's virtual key code (187 plus, 189 minus) decides, so the keys work in every keyboard layout
    // (Shift with the plus key of a German layout gives "*"); 0 when there is none.
    static LimiterKey limiterKeyOf(int qtKey, Qt::KeyboardModifiers modifiers, quint32 windowsVirtualKey = 0);

    // Twips to pixels at 15 twips a pixel.
    static int pixels(int twips) { return (twips + 7) / 15; }

  signals:
    void romEditStarted();
    void romEditFinished();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fillGrid(QTableWidget* table, const LimiterGrid& grid);

    EditorState& state_;
    common::StatusSink& status_;
    WriteThrough& link_;
    std::map<std::string, QTableWidget*> tables_;
};

} // namespace vantrell
