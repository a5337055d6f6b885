// The list of places that look like maps, best first, for the user to pick one to jump to.
#pragma once

#include "MapFinder.h"

#include <QDialog>
#include <QString>

#include <vector>

class QListWidget;

namespace skerrow {

class FindMapsDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit FindMapsDialog(const std::vector<MapCandidate>& candidates, QWidget* parent = nullptr);

    // The row the user picked (the first one unless another was selected), or -1 with no rows.
    int chosenIndex() const;

    // The line shown for one candidate, in columns: "$1235     16x16  score  92.4".
    static QString candidateText(const MapCandidate& candidate);

  private:
    QListWidget* list_ = nullptr;
};

} // namespace skerrow
