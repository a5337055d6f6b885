#include "vantrell/link/LinkWriteThrough.h"

#include "vantrell/link/EmulatorLink.h"

namespace vantrell {

LinkWriteThrough::LinkWriteThrough(EmulatorLink& link, QObject* parent) : QObject(parent), link_(link)
{
    retry_.setInterval(5);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &LinkWriteThrough::sendHeld);
}

bool LinkWriteThrough::isOnline() const
{
    return link_.isOnline();
}

void LinkWriteThrough::writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes)
{
    if (!link_.isOnline())
        return;
    if (link_.isBusy() || !held_.empty()) {
        held_.push_back(Held{romAddress, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
        retry_.start();
        return;
    }
    link_.writeThrough(romAddress, bytes);
}

void LinkWriteThrough::sendHeld()
{
    while (!held_.empty()) {
        if (link_.isBusy()) {
            retry_.start();
            return;
        }
        const Held next = std::move(held_.front());
        held_.pop_front();
        link_.writeThrough(next.address, next.bytes);
    }
}

} // namespace vantrell
