#include "vantrell/link/StepWriteThrough.h"

#include "vantrell/link/EmulatorLink.h"

#include <vector>

namespace vantrell {

void StepWriteThrough::stepApplied(const EditStep& step)
{
    if (!step.reachesBoards)
        return;
    std::vector<emulink::WriteRange> ranges;
    ranges.reserve(step.changes.size());
    for (const ByteChange& change : step.changes)
        ranges.push_back({change.address, change.after});
    link_.write(ranges);
}

} // namespace vantrell
