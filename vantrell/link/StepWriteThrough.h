// Sends every edit step to the boards: the document's listener that hands each changed range, in the
// step's order and in pieces of at most 255 bytes (the largest short write), to the write-through
// seam while the link is online. A step the boards are not told of (the shunt) is not sent. Loads are
// never sent: an image reaches the boards by the upload.
#pragma once

#include "vantrell/document/RomDocument.h"
#include "vantrell/editor/WriteThrough.h"

#include <cstdint>

namespace vantrell {

// The largest piece a short write to the boards carries.
inline constexpr std::uint32_t kMaxWritePiece = 255;

class StepWriteThrough : public DocumentListener
{
  public:
    // Uses the seam for its whole lifetime; does not own it.
    explicit StepWriteThrough(WriteThrough& link) : link_(link) {}

    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad) override {}

  private:
    WriteThrough& link_;
};

} // namespace vantrell
