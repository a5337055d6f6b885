// The "Airflow Meter" page (frame_afm): nine meters to choose from (option buttons afm_0..afm_8 in the
// button group "afm"), the curve graph, and "Commit AFM Changes". Constructed hidden.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"
#include "vantrell/tools/core/AirflowMeterSwap.h"

#include <QGroupBox>

#include <array>

class QButtonGroup;
class QRadioButton;

namespace vantrell {

class MeterGraph;

class AirflowMeterPage : public QGroupBox, private DocumentListener
{
    Q_OBJECT
  public:
    // The page uses the state and seams for its whole lifetime; it does not own them.
    AirflowMeterPage(EditorState& state, common::StatusSink& status, Dialogs& dialogs,
                     QWidget* parent = nullptr);

    // Captions from afm.ini, the stock meter chosen, the working curve from the ROM and drawn (start-up
    // and after every ROM image or engine definition load, so a commit never writes a curve of the
    // image or engine that was replaced).
    void loadMeterList();
    // Places and shows the page and the graph, takes the working curve from the ROM and draws it.
    void openPage();
    // Hides the page and the graph; a curve chosen but not committed is discarded.
    void closePage();

    const AirflowMeterSwap& swap() const { return swap_; }
    MeterGraph* graph() const { return graph_; }

    ~AirflowMeterPage() override;

  private:
    // Another edit step (an undo of a commit, say) while the page is open: the graph shows the ROM's
    // curve again.
    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad) override {}
    void choose(int index);
    void commit();
    void showSelection();
    void drawGraph();

    EditorState& state_;
    common::StatusSink& status_;
    Dialogs& dialogs_;
    AirflowMeterSwap swap_;
    QButtonGroup* group_ = nullptr;
    std::array<QRadioButton*, kMeterCount> buttons_{};
    MeterGraph* graph_ = nullptr;
    bool committing_ = false;
};

} // namespace vantrell
