#include "ConsultLink.h"

#include <algorithm>

namespace consult {

namespace {

QString requestName(int request)
{
    switch (request) {
    case 0:
        return QStringLiteral("fault code request");
    case 1:
        return QStringLiteral("fault code clear");
    default:
        return QStringLiteral("part number request");
    }
}

QString hexText(const Bytes& bytes)
{
    QString text;
    for (std::uint8_t b : bytes)
        text += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return text.trimmed();
}

} // namespace

const char* stateName(ConsultLink::State state)
{
    switch (state) {
    case ConsultLink::State::Disconnected:
        return "Disconnected";
    case ConsultLink::State::Starting:
        return "Starting";
    case ConsultLink::State::NotResponding:
        return "Not responding";
    case ConsultLink::State::Ready:
        return "Ready";
    case ConsultLink::State::Streaming:
        return "Streaming";
    case ConsultLink::State::Busy:
        return "Busy";
    }
    return "";
}

ConsultLink::ConsultLink(emulink::SerialPort& port, emulink::Clock& clock, common::StatusSink* status,
                         QObject* parent)
    : QObject(parent), port_(port), clock_(clock), status_(status)
{
    connect(&port_, &emulink::SerialPort::readyRead, this, &ConsultLink::onReadyRead);
    connect(&port_, &emulink::SerialPort::commsError, this, &ConsultLink::onCommsError);
}

ConsultLink::~ConsultLink() = default;

void ConsultLink::say(const QString& line)
{
    if (status_ != nullptr)
        status_->appendStatusLine(line.toStdString());
    emit statusLine(line);
}

ConsultLink::Clock::Duration ConsultLink::lineTime(std::size_t bytes) const
{
    return std::chrono::duration_cast<Clock::Duration>(std::chrono::nanoseconds(kByteTimeNs) *
                                                       static_cast<long>(bytes));
}

void ConsultLink::setPhase(Phase phase)
{
    ++deadlineToken_;
    phase_ = phase;
    State state = State::Busy;
    switch (phase) {
    case Phase::Closed:
        state = State::Disconnected;
        break;
    case Phase::Starting:
    case Phase::StartQuiet:
        state = State::Starting;
        break;
    case Phase::NotResponding:
        state = State::NotResponding;
        break;
    case Phase::Ready:
        state = State::Ready;
        break;
    case Phase::StreamEcho:
    case Phase::Streaming:
        state = State::Streaming;
        break;
    default:
        break;
    }
    if (state != state_) {
        state_ = state;
        emit stateChanged(state);
    }
}

void ConsultLink::armDeadline(Clock::TimePoint when)
{
    const std::uint64_t token = ++deadlineToken_;
    deadline_ = when;
    clock_.callAt(when, this, [this, token] {
        if (token == deadlineToken_)
            onDeadline();
    });
}

bool ConsultLink::connectPort(const QString& name)
{
    disconnectPort();
    if (!port_.open(name, kBaud)) {
        say(QStringLiteral("ECU port %1: %2").arg(name, emulink::openFailureAdvice(port_)));
        return false;
    }
    reportedSilent_ = false;
    connectedSaid_ = false;
    framesRead_ = framesLost_ = 0;
    connectedAt_ = clock_.now();
    sendStart();
    return true;
}

void ConsultLink::disconnectPort()
{
    if (phase_ == Phase::Closed)
        return;
    if (port_.isOpen()) {
        // An ECU left streaming would stream into the next program that opens the line.
        if (phase_ == Phase::Streaming || phase_ == Phase::StreamEcho)
            port_.write(std::span<const std::uint8_t>(&kCmdStop, 1));
        port_.close();
    }
    requests_.clear();
    current_.reset();
    reader_.reset();
    setPhase(Phase::Closed);
    say(QStringLiteral("ECU disconnected"));
}

void ConsultLink::sendStart()
{
    lastStart_ = clock_.now();
    received_.clear();
    reader_.reset();
    port_.discardBuffers();
    port_.write(kInit);
    setPhase(Phase::Starting);
    armDeadline(lastStart_ + kStartTimeout);
}

void ConsultLink::startAnswered()
{
    // Restarts after a wrong echo or a lost stop reply are the link's own business: no line for them.
    if (reportedSilent_)
        say(QStringLiteral("ECU answers again"));
    else if (!connectedSaid_)
        say(QStringLiteral("ECU connected on %1").arg(port_.name()));
    connectedSaid_ = true;
    reportedSilent_ = false;
    setPhase(Phase::Ready);
    next();
}

void ConsultLink::notResponding(const QString& why)
{
    if (!reportedSilent_)
        say(why);
    reportedSilent_ = true;
    reader_.reset();
    current_.reset();
    setPhase(Phase::NotResponding);
    armDeadline(std::max(clock_.now(), lastStart_ + kRestartInterval));
}

void ConsultLink::next()
{
    if (phase_ != Phase::Ready)
        return;
    if (!requests_.empty()) {
        const Request request = requests_.front();
        requests_.pop_front();
        sendRequest(request);
    } else if (streamWanted_) {
        sendStream();
    }
}

bool ConsultLink::startStream(const StreamLayout& layout)
{
    if (!layout.fits()) {
        say(QStringLiteral("ECU stream: %1 data bytes chosen; a frame holds 1 to %2")
                .arg(layout.frameLength())
                .arg(kMaxFrameData));
        return false;
    }
    layout_ = layout;
    streamWanted_ = true;
    if (phase_ == Phase::Ready)
        next();
    else if (phase_ == Phase::Streaming || phase_ == Phase::StreamEcho)
        sendStop(); // the new set starts once the old one has stopped
    return true;
}

void ConsultLink::stopStream()
{
    streamWanted_ = false;
    if (phase_ == Phase::Streaming || phase_ == Phase::StreamEcho)
        sendStop();
}

bool ConsultLink::queue(Request request)
{
    if (phase_ == Phase::Closed)
        return false;
    requests_.push_back(request);
    if (phase_ == Phase::Ready)
        next();
    else if (phase_ == Phase::Streaming || phase_ == Phase::StreamEcho)
        sendStop(); // the stream resumes after the request
    return true;
}

bool ConsultLink::readFaultCodes()
{
    return queue(Request::FaultRead);
}

bool ConsultLink::clearFaultCodes()
{
    return queue(Request::FaultClear);
}

bool ConsultLink::readPartNumber()
{
    return queue(Request::PartNumber);
}

void ConsultLink::sendStream()
{
    const auto command = layout_.command();
    if (!command)
        return;
    command_ = *command;
    running_ = layout_;
    received_.clear();
    port_.discardBuffers();
    port_.write(command_.bytes);
    setPhase(Phase::StreamEcho);
    armDeadline(clock_.now() + lineTime(command_.bytes.size() + command_.echo.size()) + kRequestTimeout);
}

void ConsultLink::sendStop()
{
    port_.write(std::span<const std::uint8_t>(&kCmdStop, 1));
    if (!reader_)
        reader_ = std::make_unique<FrameReader>(std::max<std::size_t>(1, running_.frameLength()));
    reader_->expectStop();
    setPhase(Phase::Stopping);
    // The frame under way (at most 22 bytes) and the stop reply, with room to spare.
    armDeadline(clock_.now() + lineTime(kMaxFrameData + 3) + std::chrono::milliseconds(300));
}

void ConsultLink::sendRequest(Request request)
{
    current_ = request;
    switch (request) {
    case Request::FaultRead:
        command_ = faultReadCommand();
        break;
    case Request::FaultClear:
        command_ = faultClearCommand();
        break;
    case Request::PartNumber:
        command_ = partNumberCommand();
        break;
    }
    received_.clear();
    port_.discardBuffers();
    port_.write(command_.bytes);
    setPhase(Phase::RequestEcho);
    armDeadline(clock_.now() + kRequestTimeout);
}

void ConsultLink::finishRequest()
{
    current_.reset();
    setPhase(Phase::Ready);
    next();
}

void ConsultLink::takeFrames(const Bytes& bytes)
{
    if (!reader_)
        return;
    std::vector<Bytes> frames;
    const std::uint64_t lostBefore = reader_->framesLost();
    reader_->feed(bytes, frames);
    const auto now = clock_.now();
    for (const Bytes& data : frames) {
        LiveFrame frame;
        frame.timeMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - connectedAt_).count();
        auto values = running_.decode(data);
        if (!values)
            continue; // cannot happen: the reader passes frames of the running set's length only
        frame.values = std::move(*values);
        frame.raw = data;
        ++framesRead_;
        lastFrame_ = now;
        emit frameReceived(frame);
    }
    if (reader_ && reader_->framesLost() != lostBefore) {
        framesLost_ += reader_->framesLost() - lostBefore;
        emit framesLostChanged(framesLost_);
        // At most one line a second, however noisy the line.
        if (!lossReported_ || now - lastLossLine_ >= std::chrono::seconds(1)) {
            lossReported_ = true;
            lastLossLine_ = now;
            say(QStringLiteral(
                    "ECU stream: frames lost to line noise, %1 so far; the stream found its place again")
                    .arg(framesLost_));
        }
    }
}

void ConsultLink::onReadyRead()
{
    if (!port_.isOpen())
        return;
    const Bytes bytes = port_.readAll();
    if (bytes.empty())
        return;
    const auto now = clock_.now();
    switch (phase_) {
    case Phase::Starting:
    case Phase::StartQuiet:
        received_.insert(received_.end(), bytes.begin(), bytes.end());
        if (received_.back() == kInitReply && now <= lastStart_ + kStartTimeout) {
            setPhase(Phase::StartQuiet);
            armDeadline(now + kStartQuiet);
        } else if (phase_ == Phase::StartQuiet) {
            // More came after the answer: what ended in it was stream data, not the answer.
            setPhase(Phase::Starting);
            armDeadline(lastStart_ + kStartTimeout);
        }
        break;
    case Phase::StreamEcho: {
        received_.insert(received_.end(), bytes.begin(), bytes.end());
        const EchoCheck check = checkEcho(command_.echo, received_);
        if (check == EchoCheck::Wrong) {
            say(QStringLiteral("ECU echo wrong: the stream request came back as %1; starting again")
                    .arg(hexText(Bytes(received_.begin(),
                                       received_.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                               received_.size(), command_.echo.size()))))));
            sendStart();
        } else if (check == EchoCheck::Complete) {
            const Bytes rest(received_.begin() + static_cast<std::ptrdiff_t>(command_.echo.size()),
                             received_.end());
            received_.clear();
            reader_ = std::make_unique<FrameReader>(running_.frameLength());
            lastFrame_ = now;
            setPhase(Phase::Streaming);
            armDeadline(now + kStreamSilence);
            takeFrames(rest);
        }
        break;
    }
    case Phase::Streaming:
        takeFrames(bytes);
        break;
    case Phase::Stopping:
        takeFrames(bytes);
        if (reader_ && reader_->stopped()) {
            reader_.reset();
            setPhase(Phase::Ready);
            next();
        }
        break;
    case Phase::RequestEcho:
    case Phase::RequestReply: {
        received_.insert(received_.end(), bytes.begin(), bytes.end());
        const QString what = requestName(static_cast<int>(current_.value_or(Request::FaultRead)));
        if (phase_ == Phase::RequestEcho) {
            const EchoCheck check = checkEcho(command_.echo, received_);
            if (check == EchoCheck::Wrong) {
                say(QStringLiteral("ECU echo wrong: the %1 came back as %2; starting again")
                        .arg(what, hexText(Bytes(received_.begin(), received_.begin() + 1))));
                current_.reset();
                sendStart();
                break;
            }
            if (check == EchoCheck::Incomplete)
                break;
            received_.erase(received_.begin(),
                            received_.begin() + static_cast<std::ptrdiff_t>(command_.echo.size()));
            const auto deadline = deadline_;
            setPhase(Phase::RequestReply);
            armDeadline(deadline);
        }
        const ReplyFrame reply = readReplyFrame(received_);
        if (reply.bad) {
            say(QStringLiteral("ECU answered the %1 with line noise; starting again").arg(what));
            current_.reset();
            sendStart();
            break;
        }
        if (!reply.complete)
            break;
        const Request request = current_.value_or(Request::FaultRead);
        // The ECU repeats some answers until told to stop.
        port_.write(std::span<const std::uint8_t>(&kCmdStop, 1));
        setPhase(Phase::RequestStop);
        armDeadline(now + std::chrono::milliseconds(300));
        received_.clear();
        if (request == Request::FaultRead) {
            if (const auto codes = decodeFaultCodes(reply.data)) {
                emit faultCodesRead(*codes);
            } else {
                say(QStringLiteral("ECU fault codes: the answer has an odd length (%1 bytes)")
                        .arg(reply.data.size()));
            }
        } else if (request == Request::FaultClear) {
            say(QStringLiteral("ECU fault codes cleared"));
            emit faultCodesCleared();
        } else {
            emit partNumberRead(QString::fromStdString(decodePartNumber(reply.data)));
        }
        break;
    }
    case Phase::RequestStop:
        if (std::find(bytes.begin(), bytes.end(), kStopReply) != bytes.end())
            finishRequest();
        break;
    case Phase::Closed:
    case Phase::NotResponding:
    case Phase::Ready:
        break; // nothing is due: stray bytes are dropped
    }
}

void ConsultLink::onDeadline()
{
    switch (phase_) {
    case Phase::Starting:
    case Phase::StreamEcho:
        notResponding(QStringLiteral("ECU not responding on %1; trying again every %2 seconds")
                          .arg(port_.name())
                          .arg(kRestartInterval.count() / 1000));
        break;
    case Phase::StartQuiet:
        startAnswered();
        break;
    case Phase::NotResponding:
        sendStart();
        break;
    case Phase::Streaming:
        if (clock_.now() - lastFrame_ >= kStreamSilence)
            notResponding(
                QStringLiteral("ECU not responding on %1 (the stream stopped); trying again every %2 seconds")
                    .arg(port_.name())
                    .arg(kRestartInterval.count() / 1000));
        else
            armDeadline(lastFrame_ + kStreamSilence);
        break;
    case Phase::Stopping:
        // No stop reply: start again, which also ends any stream.
        sendStart();
        break;
    case Phase::RequestEcho:
    case Phase::RequestReply:
        say(QStringLiteral("ECU did not answer the %1 in time")
                .arg(requestName(static_cast<int>(current_.value_or(Request::FaultRead)))));
        current_.reset();
        sendStart();
        break;
    case Phase::RequestStop:
        finishRequest();
        break;
    case Phase::Closed:
    case Phase::Ready:
        break;
    }
}

void ConsultLink::onCommsError(emulink::CommsEvent event)
{
    if (phase_ == Phase::Closed)
        return;
    if (event == emulink::CommsEvent::HangUp || !port_.isOpen()) {
        say(QStringLiteral("ECU line cut on %1: the port went away; connect again when it is back")
                .arg(port_.name()));
        port_.close();
        requests_.clear();
        current_.reset();
        reader_.reset();
        setPhase(Phase::Closed);
        return;
    }
    say(QStringLiteral("ECU line: %1").arg(QString::fromLatin1(emulink::commsEventName(event))));
}

} // namespace consult
