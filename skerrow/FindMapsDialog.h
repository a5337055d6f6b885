// The list of places that look like maps, best first, for the user to pick one to jump to; and the
// four maps an engine definition for the editor would be written from, with "Save Engine
// Definition..." to write it.
#pragma once

#include "EngineDefinitionDraft.h"
#include "MapFinder.h"
#include "ScannerDialogs.h"

#include <QDialog>
#include <QString>

#include <array>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;

namespace skerrow {

class FindMapsDialog : public QDialog
{
    Q_OBJECT
  public:
    // `dialogs` asks where to save and shows what went wrong; it must outlive the dialog.
    FindMapsDialog(const std::vector<MapCandidate>& candidates, const ScannedImage& image,
                   ScannerDialogs& dialogs, QWidget* parent = nullptr);

    // The row the user picked (the first one unless another was selected), or -1 with no rows.
    int chosenIndex() const;
    // The candidates chosen for the four maps, as the boxes show them.
    MapChoice mapChoice() const;

    // The line shown for one candidate, in columns: address, size, score, kind and axes, as in
    // "$0100     16x16  score  98.2  fuel, flagged  axes $00E0 $00F0".
    static QString candidateText(const MapCandidate& candidate);
    // Which maps are still missing, one line for each kind that lacks one ("Fewer than two
    // timing-like maps were found: pick ignlowmap from the list."); empty when none are.
    static QString missingText(const MapChoice& choice);

  public slots:
    // "Save Engine Definition...": writes the definition of the chosen maps to a file the user
    // names. A choice that cannot make a definition is reported and nothing is asked or written; a
    // failed write leaves any earlier file as it was.
    void saveDefinition();

  private:
    void showMissing();

    std::vector<MapCandidate> candidates_;
    ScannedImage image_;
    ScannerDialogs& dialogs_;
    QListWidget* list_ = nullptr;
    std::array<QComboBox*, 4> slotBoxes_{};
    QLabel* missing_ = nullptr;
    QLabel* saved_ = nullptr;
};

} // namespace skerrow
