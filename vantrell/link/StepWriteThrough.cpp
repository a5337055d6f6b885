#include "vantrell/link/StepWriteThrough.h"

#include <algorithm>
#include <span>

namespace vantrell {

void StepWriteThrough::stepApplied(const EditStep& step)
{
    if (!step.reachesBoards)
        return;
    for (const ByteChange& change : step.changes) {
        // Asked again for every range: a board that stops answering takes the link offline midway, and
        // the rest of the step then stays in the buffer alone.
        if (!link_.isOnline())
            return;
        const std::span<const std::uint8_t> bytes(change.after);
        for (std::uint32_t done = 0; done < bytes.size();) {
            const std::uint32_t piece = std::min<std::uint32_t>(kMaxWritePiece, change.length() - done);
            link_.writeThrough(change.address + done, bytes.subspan(done, piece));
            done += piece;
        }
    }
}

} // namespace vantrell
