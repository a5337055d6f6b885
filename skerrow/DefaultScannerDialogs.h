// The scanner's dialogs as the user sees them: a file-open dialog without a filter, message boxes
// with an OK button and the list of candidate maps.
#pragma once

#include "ScannerDialogs.h"

namespace skerrow {

class DefaultScannerDialogs : public ScannerDialogs
{
  public:
    QString openImageFile(QWidget* parent) override;
    void showMessage(QWidget* parent, const QString& text) override;
    int chooseMapCandidate(QWidget* parent, const std::vector<MapCandidate>& candidates) override;
};

} // namespace skerrow
