// The editor's write-through seam on the emulator link: pages and the grid hand it bytes the ROM
// buffer already holds, and it sends them to every found board while the link is online.
#pragma once

#include "vantrell/editor/WriteThrough.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <vector>

namespace vantrell {

class EmulatorLink;

class LinkWriteThrough : public QObject, public WriteThrough
{
    Q_OBJECT
  public:
    explicit LinkWriteThrough(EmulatorLink& link, QObject* parent = nullptr);

    bool isOnline() const override;
    // Offline: nothing is sent. A board that does not answer takes the link offline inside the link
    // (with its status lines), so this always returns. A write asked for while another exchange is
    // waiting for its reply (from a timer or line event inside that wait) is held and sent, in order,
    // once the link is free: two exchanges never share the wire.
    void writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes) override;

    // Writes held back because the link was busy.
    std::size_t heldWrites() const { return held_.size(); }

  private:
    struct Held
    {
        std::uint32_t address;
        std::vector<std::uint8_t> bytes;
    };
    void sendHeld();

    EmulatorLink& link_;
    std::deque<Held> held_;
    QTimer retry_;
};

} // namespace vantrell
