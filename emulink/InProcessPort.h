// A SerialPort over simulated boards in the same process (boardsim::BoardBus), for unit tests of
// everything that talks to boards. Bytes written reach the bus at once; each reply becomes readable
// from the event loop after its delay on the given clock (a posted call for no delay), as bytes from a
// real line would. Line events can be injected.
#pragma once

#include "Clock.h"
#include "SerialPort.h"

#include "boardsim/BoardBus.h"

#include <QSet>
#include <QString>

#include <cstdint>
#include <vector>

namespace emulink {

class InProcessPort : public SerialPort
{
    Q_OBJECT
  public:
    // The port uses bus and clock for its whole lifetime; it does not own them.
    InProcessPort(boardsim::BoardBus& bus, Clock& clock, QObject* parent = nullptr);
    ~InProcessPort() override;

    bool open(const QString& name) override;
    void close() override;
    bool isOpen() const override { return open_; }
    QString name() const override { return name_; }
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    void discardBuffers() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesWaiting() const override { return received_.size(); }
    Bytes readAll() override;
    QString errorText() const override { return error_; }

    // --- test controls ---
    // Names that open() refuses (a port that does not exist). Empty names are always refused.
    void refuseName(const QString& name) { refused_.insert(name); }
    // Emits a line event as the serial layer would; HangUp closes the port first.
    void injectCommsEvent(CommsEvent event);
    // Puts bytes in the receive buffer as if a board had sent them unasked.
    void injectReceived(const Bytes& bytes);

    bool dtr() const { return dtr_; }
    bool rts() const { return rts_; }
    int openCount() const { return openCount_; }
    int discardCount() const { return discardCount_; }
    // Every write, in order, as handed to the port.
    const std::vector<Bytes>& writes() const { return writes_; }

  private:
    void deliver(std::uint64_t generation, const Bytes& bytes);

    boardsim::BoardBus& bus_;
    Clock& clock_;
    QString name_;
    QString error_;
    QSet<QString> refused_;
    bool open_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    int openCount_ = 0;
    int discardCount_ = 0;
    // Replies scheduled before a close belong to a line that is gone: they are dropped.
    std::uint64_t generation_ = 0;
    Bytes received_;
    std::vector<Bytes> writes_;
};

} // namespace emulink
