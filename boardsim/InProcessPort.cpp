#include "InProcessPort.h"

namespace boardsim {

using emulink::Bytes;
using emulink::CommsEvent;
using emulink::OpenFailure;

namespace {

// What a POSIX system says for each failure, so tests see the texts a real port would give.
QString systemText(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::PermissionDenied:
        return QStringLiteral("Permission denied");
    case OpenFailure::NoSuchPort:
        return QStringLiteral("No such file or directory");
    case OpenFailure::InUse:
        return QStringLiteral("Device or resource busy");
    case OpenFailure::Other:
    case OpenFailure::None:
        break;
    }
    return QStringLiteral("Input/output error");
}

} // namespace

InProcessPort::InProcessPort(BoardBus& bus, emulink::Clock& clock, QObject* parent)
    : SerialPort(parent), bus_(bus), clock_(clock)
{}

InProcessPort::~InProcessPort() = default;

void InProcessPort::refuseName(const QString& name, OpenFailure failure, const QString& text)
{
    if (failure == OpenFailure::None)
        failure = OpenFailure::Other;
    refused_.insert(name, Refusal{failure, text.isEmpty() ? systemText(failure) : text});
}

bool InProcessPort::open(const QString& name, std::int32_t /*baud*/)
{
    close();
    name_ = name;
    error_.clear();
    failure_ = OpenFailure::None;
    if (name.isEmpty()) {
        failure_ = OpenFailure::NoSuchPort;
        error_ = systemText(failure_);
        return false;
    }
    if (const auto refusal = refused_.constFind(name); refusal != refused_.cend()) {
        failure_ = refusal->failure;
        error_ = refusal->text;
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
    for (Reply& reply : bus_.receive(bytes)) {
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

} // namespace boardsim
