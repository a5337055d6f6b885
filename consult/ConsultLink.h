// The diagnostic link to the ECU over a serial port (emulink::SerialPort, opened at 9600 baud): start,
// stream a chosen set of registers and memory bytes, stop, fault codes and part number.
//
// Event-driven: every call returns at once; what follows comes as signals from the event loop, so
// the window keeps working while the link streams or waits. No nested waits. Every wait is bounded:
// the start waits kStartTimeout for the ECU's answer, a request kRequestTimeout, a stream kStreamSilence
// for the next frame. A silent ECU gives the status line "ECU not responding" (once, within a second),
// and the link starts again every kRestartInterval until the user disconnects; once the ECU answers,
// the stream the user chose resumes by itself.
//
// Requests (fault codes, part number) wait their turn: a running stream is stopped for them and
// resumed after them. Two exchanges never interleave on the wire.
#pragma once

#include "Channels.h"
#include "ConsultProtocol.h"
#include "FrameReader.h"

#include "common/StatusSink.h"
#include "emulink/Clock.h"
#include "emulink/SerialPort.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace consult {

// One decoded stream frame.
struct LiveFrame
{
    std::int64_t timeMs = 0;    // since the port was connected: rises across restarts of the stream
    std::vector<double> values; // in the column order of streamingLayout()
    Bytes raw;                  // the frame's data bytes
};

class ConsultLink : public QObject
{
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kStartTimeout{600};
    static constexpr std::chrono::milliseconds kRestartInterval{2000};
    static constexpr std::chrono::milliseconds kStreamSilence{500};
    static constexpr std::chrono::milliseconds kRequestTimeout{800};
    // Quiet after the start answer: an ECU still streaming from before would go on sending.
    static constexpr std::chrono::milliseconds kStartQuiet{30};

    enum class State {
        Disconnected,  // no port
        Starting,      // start sent, waiting for the ECU's answer
        NotResponding, // the ECU did not answer; a new start is due
        Ready,         // the ECU answered; nothing running
        Streaming,     // frames arrive (or the stream request's echo is due)
        Busy,          // a request or a stop is on the wire
    };

    // The link uses port and clock for its whole lifetime; it does not own them. `status` (may be
    // null) gets the status lines as well as statusLine().
    ConsultLink(emulink::SerialPort& port, emulink::Clock& clock, common::StatusSink* status = nullptr,
                QObject* parent = nullptr);
    ~ConsultLink() override;

    // Opens the port at 9600 baud and starts the ECU. False (with a status line) when the port cannot
    // be opened.
    bool connectPort(const QString& name);
    // Stops a stream (without waiting for the answer), closes the port and forgets queued requests.
    void disconnectPort();

    // The set to stream. Streams as soon as the ECU is ready, and again after every restart, until
    // stopStream(). False (with a status line) when the set does not fit in one frame.
    bool startStream(const StreamLayout& layout);
    void stopStream();
    const StreamLayout& layout() const { return layout_; }
    // The set of the frames now arriving (their values' column order); it becomes the chosen set when
    // the ECU has taken the new request.
    const StreamLayout& streamingLayout() const { return running_; }
    bool streamWanted() const { return streamWanted_; }

    // Requests; each answers with its signal, or a status line when it fails. Queued while another
    // exchange runs; refused (false) when no port is connected.
    bool readFaultCodes();
    bool clearFaultCodes();
    bool readPartNumber();

    State state() const { return state_; }
    std::uint64_t framesRead() const { return framesRead_; }
    std::uint64_t framesLost() const { return framesLost_; }

  signals:
    void stateChanged(consult::ConsultLink::State state);
    void statusLine(const QString& line);
    void frameReceived(const consult::LiveFrame& frame);
    // The count of frames lost to noise so far (since connecting) grew.
    void framesLostChanged(quint64 lost);
    void faultCodesRead(const std::vector<consult::FaultCode>& codes);
    void faultCodesCleared();
    void partNumberRead(const QString& partNumber);

  private:
    enum class Phase {
        Closed,
        Starting,
        StartQuiet,    // start answered; waiting for quiet
        NotResponding, // a restart is scheduled
        Ready,
        StreamEcho, // stream request sent, echo due
        Streaming,
        Stopping,     // stop sent, the end of the frame and the stop reply due
        RequestEcho,  // request sent, echo due
        RequestReply, // echo in, reply frame due
        RequestStop,  // reply in, stop sent, stop reply due
    };
    enum class Request { FaultRead, FaultClear, PartNumber };

    using Clock = emulink::Clock;

    void onReadyRead();
    void onCommsError(emulink::CommsEvent event);
    void sendStart();
    void startAnswered();
    void notResponding(const QString& why);
    void next();
    void sendStream();
    void sendStop();
    void sendRequest(Request request);
    void finishRequest();
    void takeFrames(const Bytes& bytes);
    void setPhase(Phase phase);
    // Calls onDeadline() at `when` unless another deadline or a phase change came first.
    void armDeadline(Clock::TimePoint when);
    void onDeadline();
    void say(const QString& line);
    bool queue(Request request);
    Clock::Duration lineTime(std::size_t bytes) const;

    emulink::SerialPort& port_;
    Clock& clock_;
    common::StatusSink* status_;
    State state_ = State::Disconnected;
    Phase phase_ = Phase::Closed;
    std::uint64_t deadlineToken_ = 0;
    Clock::TimePoint deadline_{};
    Clock::TimePoint lastStart_{};
    Clock::TimePoint lastByte_{};
    bool reportedSilent_ = false;
    bool connectedSaid_ = false;

    StreamLayout layout_;
    StreamLayout running_;
    bool streamWanted_ = false;
    std::unique_ptr<FrameReader> reader_;
    Clock::TimePoint connectedAt_{};
    Clock::TimePoint lastFrame_{};
    std::uint64_t framesRead_ = 0;
    std::uint64_t framesLost_ = 0;
    bool lossReported_ = false;
    Clock::TimePoint lastLossLine_{};

    std::deque<Request> requests_;
    std::optional<Request> current_;
    Command command_;
    Bytes received_;
};

// Short English name of a state, for the editor's state label and test output.
const char* stateName(ConsultLink::State state);

} // namespace consult

Q_DECLARE_METATYPE(consult::LiveFrame)
