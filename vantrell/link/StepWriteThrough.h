// Sends every edit step to the boards: the document's listener that hands the changed ranges of each
// step, in the step's order, to the link's one write entry (EmulatorLink::write), which checks, cuts
// and sends them. A step the boards are not told of (the shunt) is not sent. Loads are never sent: an
// image reaches the boards by the upload.
#pragma once

#include "vantrell/document/RomDocument.h"

namespace vantrell {

class EmulatorLink;

class StepWriteThrough : public DocumentListener
{
  public:
    // Uses the link for its whole lifetime; does not own it.
    explicit StepWriteThrough(EmulatorLink& link) : link_(link) {}

    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad) override {}

  private:
    EmulatorLink& link_;
};

} // namespace vantrell
