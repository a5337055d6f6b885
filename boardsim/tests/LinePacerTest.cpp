#include "LinePacer.h"

#include <gtest/gtest.h>

using boardsim::LinePacer;
using namespace std::chrono_literals;

TEST(LinePacer, ReplyIsDueWhenFrameAndReplyWouldHaveCrossedTheLine)
{
    LinePacer pacer;
    const LinePacer::Clock::time_point t0{1s};
    // A verified block write: 263 bytes out, 2 back, about 23 ms at 115200 baud.
    const auto due = pacer.schedule(t0, 263, 2);
    EXPECT_EQ(due - t0, 265 * LinePacer::kByteTime);
    EXPECT_GT(due - t0, 22ms);
}

TEST(LinePacer, RepliesLeaveOneAfterTheOther)
{
    LinePacer pacer;
    const LinePacer::Clock::time_point t0{1s};
    // Two boards answering one configuration frame: the second reply follows the first.
    const auto first = pacer.schedule(t0, 6, 1);
    const auto second = pacer.schedule(t0, 6, 1);
    EXPECT_EQ(second - first, LinePacer::kByteTime);

    // A late reply holds back the next one, even for a frame that came long after.
    const auto late = pacer.schedule(t0 + 10ms, 4, 3, 400ms);
    const auto next = pacer.schedule(t0 + 20ms, 4, 3);
    EXPECT_GE(late - t0, 410ms);
    EXPECT_EQ(next - late, 3 * LinePacer::kByteTime);

    // Once the line is free again the frame's own timing counts.
    const auto later = pacer.schedule(t0 + 2s, 4, 3);
    EXPECT_EQ(later - (t0 + 2s), 7 * LinePacer::kByteTime);
}

TEST(LinePacer, WithoutPacingOnlyTheLateDelayWaits)
{
    LinePacer pacer(0ns);
    const LinePacer::Clock::time_point t0{1s};
    EXPECT_EQ(pacer.schedule(t0, 263, 2), t0);
    EXPECT_EQ(pacer.schedule(t0, 4, 3, 400ms), t0 + 400ms);
}
