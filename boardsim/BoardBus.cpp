#include "BoardBus.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace boardsim {

namespace {

constexpr std::size_t kChunkFrameLength = 6 + emulink::kChunkSize + 1;
constexpr std::size_t kConfigFrameLength = 6;

std::size_t wrap(const Board& board, std::size_t address)
{
    return address % board.memory.size();
}

std::uint16_t wireAddress(const emulink::Bytes& frame)
{
    return static_cast<std::uint16_t>((frame[4] << 8) | frame[5]);
}

void writeMemory(Board& board, std::size_t address, std::span<const std::uint8_t> data)
{
    for (std::size_t i = 0; i < data.size(); ++i)
        board.memory[wrap(board, address + i)] = data[i];
}

constexpr const char* kFaultNames[kFaultCount] = {"noreply",       "late",  "wrongsum",
                                                  "wrongchecksum", "extra", "hangup"};

} // namespace

const char* faultName(Fault fault)
{
    return kFaultNames[static_cast<std::size_t>(fault)];
}

bool faultFromName(const std::string& name, Fault& fault)
{
    for (std::size_t i = 0; i < kFaultCount; ++i) {
        if (name == kFaultNames[i]) {
            fault = static_cast<Fault>(i);
            return true;
        }
    }
    return false;
}

BoardBus::BoardBus(std::vector<BoardConfig> boards)
{
    if (boards.empty())
        throw std::invalid_argument("at least one board is needed");
    for (const BoardConfig& config : boards) {
        if (config.capacity != 0x8000 && config.capacity != 0x10000)
            throw std::invalid_argument("board capacity must be 0x8000 or 0x10000");
        boards_.push_back(Board{config, emulink::Bytes(config.capacity, 0xFF), -1});
    }
}

std::vector<Reply> BoardBus::receive(std::span<const std::uint8_t> bytes)
{
    std::vector<Reply> replies;
    for (std::uint8_t byte : bytes) {
        ++received_;
        feed(byte, replies);
    }
    return replies;
}

void BoardBus::feed(std::uint8_t byte, std::vector<Reply>& replies)
{
    if (partial_.empty()) {
        if (byte != emulink::kFrameStart && byte != emulink::kConfigStart)
            return; // noise between frames
        partialStart_ = received_ - 1;
    }
    partial_.push_back(byte);

    const long length = frameLengthSoFar();
    if (length < 0) {
        // Not a frame after all: drop its start byte and look for a start among the rest.
        emulink::Bytes rest(partial_.begin() + 1, partial_.end());
        const std::uint64_t restStart = partialStart_ + 1;
        partial_.clear();
        const std::uint64_t savedReceived = received_;
        received_ = restStart;
        for (std::uint8_t b : rest) {
            ++received_;
            feed(b, replies);
        }
        received_ = savedReceived;
        return;
    }
    if (length > 0 && partial_.size() == static_cast<std::size_t>(length))
        complete(replies);
}

long BoardBus::frameLengthSoFar() const
{
    if (partial_[0] == emulink::kConfigStart)
        return kConfigFrameLength;
    if (partial_.size() < 3)
        return 0;
    switch (partial_[2]) {
    case emulink::kCmdVersion:
    case emulink::kCmdStatus:
        return 4;
    case emulink::kCmdChunkRead:
        return 7;
    case emulink::kCmdChunkWrite:
    case emulink::kCmdVerifiedWrite:
        return kChunkFrameLength;
    case emulink::kCmdShortWrite:
        return partial_.size() < 4 ? 0 : 7 + static_cast<long>(partial_[3]);
    default:
        return -1;
    }
}

void BoardBus::complete(std::vector<Reply>& replies)
{
    emulink::Bytes frame;
    frame.swap(partial_);
    frameLog_.push_back(frame);

    const std::span<const std::uint8_t> body(frame.data(), frame.size() - 1);
    if (emulink::frameChecksum(body) != frame.back())
        return;

    const std::size_t before = replies.size();
    if (frame[0] == emulink::kConfigStart)
        answerConfig(frame, replies);
    else
        answerAddressed(frame, replies);
    for (std::size_t i = before; i < replies.size(); ++i) {
        replies[i].frameStart = partialStart_;
        replies[i].frameLength = frame.size();
    }
}

void BoardBus::answerAddressed(const emulink::Bytes& frame, std::vector<Reply>& replies)
{
    const std::uint8_t command = frame[2];
    for (Board& board : boards_) {
        if (board.config.id != frame[1])
            continue;
        Reply reply;
        switch (command) {
        case emulink::kCmdVersion: {
            const std::uint32_t claimed =
                board.config.reportedCapacity != 0 ? board.config.reportedCapacity : board.config.capacity;
            reply.bytes = {board.config.major, board.config.minor,
                           static_cast<std::uint8_t>(claimed == 0x8000 ? '1' : '2')};
            break;
        }
        case emulink::kCmdStatus:
            reply.bytes = {kStatusByte};
            break;
        case emulink::kCmdShortWrite:
            writeMemory(board, wireAddress(frame), std::span(frame).subspan(6, frame[3]));
            reply.bytes = {kAckByte};
            break;
        case emulink::kCmdChunkWrite:
            writeMemory(board, wireAddress(frame), std::span(frame).subspan(6, emulink::kChunkSize));
            reply.bytes = {kAckByte};
            break;
        case emulink::kCmdVerifiedWrite: {
            const auto data = std::span(frame).subspan(6, emulink::kChunkSize);
            writeMemory(board, wireAddress(frame), data);
            // The sum is taken over what the memory now holds, as a board reading back would.
            emulink::Bytes readBack(emulink::kChunkSize);
            for (std::size_t i = 0; i < readBack.size(); ++i)
                readBack[i] = board.memory[wrap(board, wireAddress(frame) + i)];
            const auto sum = emulink::blockSum(readBack);
            reply.bytes = {sum[0], sum[1]};
            break;
        }
        case emulink::kCmdChunkRead: {
            reply.bytes.resize(emulink::kChunkSize);
            for (std::size_t i = 0; i < emulink::kChunkSize; ++i)
                reply.bytes[i] = board.memory[wrap(board, wireAddress(frame) + i)];
            reply.bytes.push_back(emulink::frameChecksum(reply.bytes));
            break;
        }
        default:
            return;
        }
        sendReply(std::move(reply), command, replies);
    }
}

void BoardBus::answerConfig(const emulink::Bytes& frame, std::vector<Reply>& replies)
{
    if (frame[1] != 0x01 || frame[2] != 0x01)
        return;
    const std::uint8_t selector = frame[3];
    const std::uint8_t value = frame[4];
    if (selector != emulink::kConfigSetId && selector != emulink::kConfigSetPull)
        return;
    for (Board& board : boards_) {
        Reply reply;
        if (selector == emulink::kConfigSetId) {
            board.config.id = value;
            reply.bytes = {static_cast<std::uint8_t>('0' + value)};
        } else {
            board.pullMode = value;
            reply.bytes = {kPullAck};
        }
        sendReply(std::move(reply), emulink::kConfigStart, replies);
    }
}

void BoardBus::sendReply(Reply reply, std::uint8_t command, std::vector<Reply>& replies)
{
    if (take(Fault::HangUp)) {
        reply.bytes.clear();
        reply.hangUp = true;
        replies.push_back(std::move(reply));
        return;
    }
    if (take(Fault::NoReply))
        return;
    if (command == emulink::kCmdVerifiedWrite && take(Fault::WrongBlockSum))
        reply.bytes[0] = static_cast<std::uint8_t>(reply.bytes[0] + 1);
    if (command == emulink::kCmdChunkRead && take(Fault::WrongChunkChecksum))
        reply.bytes.back() = static_cast<std::uint8_t>(reply.bytes.back() + 1);
    if (take(Fault::LateReply))
        reply.delay = lateDelay_;
    if (take(Fault::ExtraBytes))
        reply.bytes.insert(reply.bytes.end(), kExtraBytes.begin(), kExtraBytes.end());
    replies.push_back(std::move(reply));
}

bool BoardBus::take(Fault fault)
{
    int& count = faults_[static_cast<std::size_t>(fault)];
    if (count <= 0)
        return false;
    --count;
    return true;
}

void BoardBus::discardInput()
{
    partial_.clear();
}

void BoardBus::injectFault(Fault fault, int count)
{
    int& pending = faults_[static_cast<std::size_t>(fault)];
    // Counts come from the console as typed: they add up to at most INT_MAX instead of overflowing.
    pending = count <= 0
                  ? 0
                  : (pending > std::numeric_limits<int>::max() - count ? std::numeric_limits<int>::max()
                                                                       : pending + count);
}

int BoardBus::pendingFaults(Fault fault) const
{
    return faults_[static_cast<std::size_t>(fault)];
}

void BoardBus::setLateReplyDelay(std::chrono::milliseconds d)
{
    lateDelay_ = d;
}

std::vector<Board>& BoardBus::boards()
{
    return boards_;
}

const std::vector<emulink::Bytes>& BoardBus::frameLog() const
{
    return frameLog_;
}

void BoardBus::clearFrameLog()
{
    frameLog_.clear();
}

} // namespace boardsim
