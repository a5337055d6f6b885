#include "InProcessPort.h"

namespace emulink {

InProcessPort::InProcessPort(boardsim::BoardBus& bus, Clock& clock, QObject* parent)
    : SerialPort(parent), bus_(bus), clock_(clock)
{}

InProcessPort::~InProcessPort() = default;

bool InProcessPort::open(const QString& name)
{
    close();
    name_ = name;
    error_.clear();
    if (name.isEmpty() || refused_.contains(name)) {
        error_ = QStringLiteral("no such port");
        return false;
    }
    open_ = true;
    ++openCount_;
    return true;
}

void InProcessPort::close()
{
    if (!open_)
        return;
    open_ = false;
    dtr_ = false;
    rts_ = false;
    ++generation_;
    received_.clear();
    // A frame cut short by the close is never completed.
    bus_.discardInput();
}

void InProcessPort::setDtr(bool raised)
{
    if (open_)
        dtr_ = raised;
}

void InProcessPort::setRts(bool raised)
{
    if (open_)
        rts_ = raised;
}

void InProcessPort::discardBuffers()
{
    if (!open_)
        return;
    ++discardCount_;
    received_.clear();
    bus_.discardInput();
}

bool InProcessPort::write(std::span<const std::uint8_t> bytes)
{
    if (!open_)
        return false;
    writes_.emplace_back(bytes.begin(), bytes.end());
    const std::uint64_t generation = generation_;
    for (boardsim::Reply& reply : bus_.receive(bytes)) {
        const bool hangUp = reply.hangUp;
        clock_.callAt(clock_.now() + reply.delay, this,
                      [this, generation, hangUp, bytes = std::move(reply.bytes)] {
                          deliver(generation, bytes);
                          if (hangUp && generation == generation_ && open_) {
                              close();
                              emit commsError(CommsEvent::HangUp);
                          }
                      });
    }
    return true;
}

Bytes InProcessPort::readAll()
{
    Bytes out;
    out.swap(received_);
    return out;
}

void InProcessPort::injectCommsEvent(CommsEvent event)
{
    if (event == CommsEvent::HangUp)
        close();
    emit commsError(event);
}

void InProcessPort::injectReceived(const Bytes& bytes)
{
    deliver(generation_, bytes);
}

void InProcessPort::deliver(std::uint64_t generation, const Bytes& bytes)
{
    if (generation != generation_ || !open_ || bytes.empty())
        return;
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    emit readyRead();
}

} // namespace emulink
