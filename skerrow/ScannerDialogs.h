// The questions the scanner window asks the user, behind one seam so that tests can answer them
// without a modal dialog waiting for a person.
#pragma once

#include "MapFinder.h"

#include <QString>

#include <vector>

class QWidget;

namespace skerrow {

class ScannerDialogs
{
  public:
    virtual ~ScannerDialogs() = default;

    // The ROM image file to import, or an empty text when the user cancels.
    virtual QString openImageFile(QWidget* parent) = 0;
    // A message box with an OK button; returns when the user has closed it.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // Lets the user pick one of the candidate map places (at least one is given); returns its index,
    // or -1 when the user picks none.
    virtual int chooseMapCandidate(QWidget* parent, const std::vector<MapCandidate>& candidates) = 0;
};

} // namespace skerrow
