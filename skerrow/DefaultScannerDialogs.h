// The scanner's dialogs as the user sees them: a file-open dialog without a filter, message boxes
// with an OK button, the list of candidate maps and a file-save dialog for engine definitions.
#pragma once

#include "ScannerDialogs.h"

#include <QString>

#include <utility>

namespace skerrow {

class DefaultScannerDialogs : public ScannerDialogs
{
  public:
    // The open dialog starts in `programFolder`/data and a definition is suggested in its config/
    // folder, where the editor looks for engine definitions; an empty folder leaves the dialogs where
    // they start by themselves.
    explicit DefaultScannerDialogs(QString programFolder = {}) : programFolder_(std::move(programFolder)) {}

    QString openImageFile(QWidget* parent) override;
    void showMessage(QWidget* parent, const QString& text) override;
    int chooseMapCandidate(QWidget* parent, const std::vector<MapCandidate>& candidates,
                           const ScannedImage& image) override;
    QString saveDefinitionFile(QWidget* parent, const QString& suggested) override;

  private:
    QString programFolder_;
};

} // namespace skerrow
