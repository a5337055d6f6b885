#include "InProcessEcuPort.h"

#include <algorithm>

namespace boardsim {

namespace {

emulink::Clock::Duration lineTime(std::size_t bytes)
{
    return std::chrono::duration_cast<emulink::Clock::Duration>(
        std::chrono::nanoseconds(consult::kByteTimeNs) * static_cast<long>(bytes));
}

} // namespace

InProcessEcuPort::InProcessEcuPort(EcuModel& ecu, emulink::Clock& clock, QObject* parent)
    : SerialPort(parent), ecu_(ecu), clock_(clock)
{}

InProcessEcuPort::~InProcessEcuPort() = default;

bool InProcessEcuPort::open(const QString& name, std::int32_t baud)
{
    close();
    if (name.isEmpty())
        return false;
    name_ = name;
    baud_ = baud;
    open_ = true;
    lineFree_ = clock_.now();
    return true;
}

void InProcessEcuPort::close()
{
    open_ = false;
    ++generation_;
    pumping_ = false;
    received_.clear();
}

bool InProcessEcuPort::write(std::span<const std::uint8_t> bytes)
{
    if (!open_)
        return false;
    writes_.emplace_back(bytes.begin(), bytes.end());
    ecu_.setTime(std::chrono::duration<double>(clock_.now().time_since_epoch()).count());
    const emulink::Bytes answer = ecu_.receive(bytes);
    checkCut();
    if (!answer.empty())
        send(answer);
    pump();
    return true;
}

void InProcessEcuPort::send(const emulink::Bytes& bytes)
{
    lineFree_ = std::max(lineFree_, clock_.now()) + lineTime(bytes.size());
    const std::uint64_t generation = generation_;
    clock_.callAt(lineFree_, this, [this, generation, bytes] {
        if (generation != generation_ || !open_)
            return;
        received_.insert(received_.end(), bytes.begin(), bytes.end());
        emit readyRead();
    });
}

void InProcessEcuPort::pump()
{
    // One chunk of the stream on the line at a time; the next is taken when this one is carried.
    if (pumping_ || !open_ || !ecu_.streaming())
        return;
    pumping_ = true;
    const std::uint64_t generation = generation_;
    clock_.callAt(std::max(lineFree_, clock_.now()), this, [this, generation] {
        if (generation != generation_)
            return;
        pumping_ = false;
        checkCut();
        if (!open_)
            return;
        ecu_.setTime(std::chrono::duration<double>(clock_.now().time_since_epoch()).count());
        const emulink::Bytes chunk = ecu_.nextStreamChunk();
        if (!chunk.empty())
            send(chunk);
        pump();
    });
}

void InProcessEcuPort::checkCut()
{
    if (!ecu_.takeCutLine())
        return;
    close();
    emit commsError(emulink::CommsEvent::HangUp);
}

emulink::Bytes InProcessEcuPort::readAll()
{
    emulink::Bytes out;
    out.swap(received_);
    return out;
}

} // namespace boardsim
