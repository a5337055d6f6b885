// The questions the scanner window asks the user, behind one seam so that tests can answer them
// without a modal dialog waiting for a person.
#pragma once

#include "MapFinder.h"

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace skerrow {

// The image the candidates were found in: its file and its size in bytes.
struct ScannedImage
{
    QString fileName;
    std::int64_t size = 0;
};

class ScannerDialogs
{
  public:
    virtual ~ScannerDialogs() = default;

    // The ROM image file to import, or an empty text when the user cancels.
    virtual QString openImageFile(QWidget* parent) = 0;
    // A message box with an OK button; returns when the user has closed it.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // Lets the user pick one of the candidate map places (at least one is given) to show, and
    // write an engine definition from them; returns the index of the place to show, or -1 when the
    // user picks none.
    virtual int chooseMapCandidate(QWidget* parent, const std::vector<MapCandidate>& candidates,
                                   const ScannedImage& image) = 0;
    // The file to write an engine definition to, starting from `suggested`, or an empty text when
    // the user cancels.
    virtual QString saveDefinitionFile(QWidget* parent, const QString& suggested) = 0;
};

} // namespace skerrow
