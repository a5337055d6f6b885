#include "FrameReader.h"

#include <algorithm>
#include <stdexcept>

namespace consult {

FrameReader::FrameReader(std::size_t dataLength) : dataLength_(dataLength)
{
    if (dataLength == 0 || dataLength > kMaxFrameData)
        throw std::invalid_argument("a stream frame holds 1 to 20 data bytes");
}

void FrameReader::expectStop()
{
    stopExpected_ = true;
}

void FrameReader::feed(std::span<const std::uint8_t> bytes, std::vector<Bytes>& frames)
{
    if (stopped_)
        return;
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    const std::size_t frameSize = dataLength_ + 2;
    const auto length = static_cast<std::uint8_t>(dataLength_);
    // Bytes before `at` are used up; they leave the buffer once, at the end.
    std::size_t at = 0;
    auto skip = [&](std::size_t count) {
        at += count;
        skipped_ += count;
        hunting_ = true;
    };

    while (!stopped_ && at < buffer_.size()) {
        const std::size_t left = buffer_.size() - at;
        // Where a frame should start.
        if (buffer_[at] != kFrameStart) {
            if (stopExpected_ && !hunting_ && buffer_[at] == kStopReply) {
                stopped_ = true;
                break;
            }
            // Drop everything up to the next possible frame start.
            const auto from = buffer_.begin() + static_cast<std::ptrdiff_t>(at);
            skip(static_cast<std::size_t>(std::find(from + 1, buffer_.end(), kFrameStart) - from));
            continue;
        }
        if (left < 2)
            break;
        if (buffer_[at + 1] != length) {
            skip(1);
            continue;
        }
        if (left < frameSize + 1)
            break; // the frame, or the byte that confirms it, is still due
        const std::uint8_t after = buffer_[at + frameSize];
        if (after != kFrameStart && !(stopExpected_ && after == kStopReply)) {
            skip(1);
            continue;
        }
        if (hunting_) {
            // The bytes skipped since the place was lost, in frames: what the noise cost.
            const std::uint64_t lost = (skipped_ + frameSize / 2) / frameSize;
            framesLost_ += std::max<std::uint64_t>(1, lost);
            hunting_ = false;
            skipped_ = 0;
        }
        const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(at);
        frames.emplace_back(first + 2, first + static_cast<std::ptrdiff_t>(frameSize));
        ++framesRead_;
        at += frameSize;
    }
    if (stopped_)
        buffer_.clear();
    else
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
}

ReplyFrame readReplyFrame(std::span<const std::uint8_t> bytes)
{
    ReplyFrame reply;
    if (bytes.empty())
        return reply;
    if (bytes[0] != kFrameStart) {
        reply.bad = true;
        return reply;
    }
    if (bytes.size() < 2 || bytes.size() < 2u + bytes[1])
        return reply;
    reply.complete = true;
    reply.length = 2u + bytes[1];
    reply.data.assign(bytes.begin() + 2, bytes.begin() + static_cast<std::ptrdiff_t>(reply.length));
    return reply;
}

} // namespace consult
