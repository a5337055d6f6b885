// A SerialPort over simulated boards in the same process (BoardBus), for unit tests of everything that
// talks to boards. Bytes written reach the bus at once; each reply becomes readable from the event
// loop after its delay on the given clock (a posted call for no delay), as bytes from a real line
// would. Line events and failed opens can be injected.
#pragma once

#include "BoardBus.h"

#include "emulink/Clock.h"
#include "emulink/SerialPort.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace boardsim {

class InProcessPort : public emulink::SerialPort
{
    Q_OBJECT
  public:
    // The port uses bus and clock for its whole lifetime; it does not own them.
    InProcessPort(BoardBus& bus, emulink::Clock& clock, QObject* parent = nullptr);
    ~InProcessPort() override;

    bool open(const QString& name, std::int32_t baud = kBoardBaud) override;
    void close() override;
    bool isOpen() const override { return open_; }
    QString name() const override { return name_; }
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    void discardBuffers() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesWaiting() const override { return received_.size(); }
    emulink::Bytes readAll() override;
    QString errorText() const override { return error_; }
    emulink::OpenFailure openFailure() const override { return failure_; }

    // --- test controls ---
    // open() of this name fails with `failure` (not None) and `text` as errorText(); an empty text
    // gives the usual system text of that failure. Empty names always fail as NoSuchPort.
    void refuseName(const QString& name, emulink::OpenFailure failure = emulink::OpenFailure::NoSuchPort,
                    const QString& text = {});
    // Emits a line event as the serial layer would; HangUp closes the port first.
    void injectCommsEvent(emulink::CommsEvent event);
    // Puts bytes in the receive buffer as if a board had sent them unasked.
    void injectReceived(const emulink::Bytes& bytes);

    bool dtr() const { return dtr_; }
    bool rts() const { return rts_; }
    int openCount() const { return openCount_; }
    int discardCount() const { return discardCount_; }
    // Every write, in order, as handed to the port.
    const std::vector<emulink::Bytes>& writes() const { return writes_; }

  private:
    struct Refusal
    {
        emulink::OpenFailure failure;
        QString text;
    };
    void deliver(std::uint64_t generation, const emulink::Bytes& bytes);

    BoardBus& bus_;
    emulink::Clock& clock_;
    QString name_;
    QString error_;
    emulink::OpenFailure failure_ = emulink::OpenFailure::None;
    QHash<QString, Refusal> refused_;
    bool open_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    int openCount_ = 0;
    int discardCount_ = 0;
    // Replies scheduled before a close belong to a line that is gone: they are dropped.
    std::uint64_t generation_ = 0;
    emulink::Bytes received_;
    std::vector<emulink::Bytes> writes_;
};

} // namespace boardsim
