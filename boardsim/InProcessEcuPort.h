// A SerialPort over a simulated ECU (EcuModel) in the same process, for unit tests of the diagnostic
// link. Bytes written reach the ECU at once; its answers and its stream become readable after the
// time a 9600 baud line takes to carry them, on the given clock. The ECU's cut-line fault and line
// events close the port as an unplugged cable would.
#pragma once

#include "EcuModel.h"
#include "emulink/Clock.h"
#include "emulink/SerialPort.h"

#include <cstdint>

namespace boardsim {

class InProcessEcuPort : public emulink::SerialPort
{
    Q_OBJECT
  public:
    // The port uses ecu and clock for its whole lifetime; it does not own them.
    InProcessEcuPort(EcuModel& ecu, emulink::Clock& clock, QObject* parent = nullptr);
    ~InProcessEcuPort() override;

    bool open(const QString& name, std::int32_t baud = kBoardBaud) override;
    void close() override;
    bool isOpen() const override { return open_; }
    QString name() const override { return name_; }
    void setDtr(bool) override {}
    void setRts(bool) override {}
    void discardBuffers() override { received_.clear(); }
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesWaiting() const override { return received_.size(); }
    emulink::Bytes readAll() override;
    QString errorText() const override { return {}; }
    emulink::OpenFailure openFailure() const override { return emulink::OpenFailure::None; }

    std::int32_t baud() const { return baud_; }
    // Every write, in order.
    const std::vector<emulink::Bytes>& writes() const { return writes_; }

  private:
    // Puts `bytes` on the line after what is already on it; readable once carried.
    void send(const emulink::Bytes& bytes);
    void pump();
    void checkCut();

    EcuModel& ecu_;
    emulink::Clock& clock_;
    QString name_;
    std::int32_t baud_ = 0;
    bool open_ = false;
    bool pumping_ = false;
    std::uint64_t generation_ = 0;
    emulink::Clock::TimePoint lineFree_{};
    emulink::Bytes received_;
    std::vector<emulink::Bytes> writes_;
};

} // namespace boardsim
