#include "core/link/PacketHandler.h"

#include <exception>

#include "core/model/Mux.h"

namespace tervis {

namespace {

constexpr int kStreamPollPairs = 64;  // 16 slots × 4 ports

std::uint8_t SlotPort(int slot, int port) {
    return static_cast<std::uint8_t>((slot & 0x0F) + 16 * port);
}

}  // namespace

TCustomPacketHandler::TCustomPacketHandler(TMux& owner) : owner_(owner) {}

TCustomPacketHandler::~TCustomPacketHandler() = default;

TMux& TCustomPacketHandler::Scratch() {
    if (!scratch_) {
        scratch_ = std::make_unique<TMux>(nullptr, nullptr, owner_.Settings());
    }
    return *scratch_;
}

void TCustomPacketHandler::Reconnect() {
    Disconnect();
    Connect();
}

// --- queue

void TCustomPacketHandler::Enqueue(TPacket packet, bool batch) {
    if (packet.empty() || static_cast<std::uint16_t>(tail_ + 1) == head_) {
        return;  // full ring: dropped
    }
    if ((packet[0] & kUnconfirmed) != 0 && QueueLength() >= kUnconfirmedFloodLimit) {
        return;  // polls and other unconfirmed packets never pile up behind a blocked head
    }
    sequence_ = static_cast<std::uint8_t>((sequence_ + 1) & 0x7F);
    packet[0] |= sequence_;
    // The tail walks the slots in order from 0, so it stands at the end of the ring until it has made all
    // of them.
    if (tail_ == ring_.size()) {
        ring_.emplace_back();
    }
    ring_[tail_] = std::move(packet);
    ++tail_;
    busy_ = true;
    if (!batch) {
        ReportQueueLength();
    }
}

void TCustomPacketHandler::ClearQueue() {
    head_ = 0;
    tail_ = 0;
    busy_ = false;
    ReportQueueLength();
}

void TCustomPacketHandler::Dequeue() {
    if (head_ == tail_) {
        return;
    }
    ring_[head_].clear();
    ++head_;
    if (head_ == tail_) {
        busy_ = false;
    }
    ReportQueueLength();
}

void TCustomPacketHandler::ReportQueueLength() {
    const int length = QueueLength();
    if (progress_ != nullptr) {
        progress_->Update(length);
    }
    if (owner_.Owner() != nullptr) {
        owner_.Owner()->PostNotification(kNotifyQueueLength, 0, length);
    }
}

void TCustomPacketHandler::EnqueueCommand(std::vector<std::uint8_t> payload, std::uint8_t control,
                                          bool batch) {
    TPacket packet = owner_.BuildRequest(payload);
    packet[0] = control;
    Enqueue(std::move(packet), batch);
}

// --- transmission and the tick

void TCustomPacketHandler::TransmitHead() {
    if (head_ == tail_) {
        return;
    }
    // The third transmission in a row without any packet from the device declares the link lost.
    if (unanswered_ >= 2) {
        owner_.SetLinkUp(false);
    } else {
        ++unanswered_;
    }
    const TPacket& packet = ring_[head_];
    const std::uint8_t control = packet[0];
    SendPacket(packet);
    if ((control & kUnconfirmed) != 0) {
        Dequeue();
    }
    lastControl_ = control;
    awaitingAnswer_ = true;
}

void TCustomPacketHandler::Tick() {
    ++tickCount_;
    if (tickCount_ < kTicksPerTransmission) {
        return;
    }
    if (!busy_) {
        PollStep();
    }
    TransmitHead();
    tickCount_ = 0;
}

namespace {

struct TInfoPoll {
    bool (*Applies)(std::uint8_t type);
    std::uint8_t Command;
    bool WithPort;
};
constexpr int kFirstInfoPollStep = 4;
constexpr TInfoPoll kInfoPolls[] = {
    {[](std::uint8_t type) { return type == btCPU; }, cmd::kPollCpu, false},
    {HasCasPolls, cmd::kPollCasReceived, true},
    {HasCasPolls, cmd::kPollCasTransmitted, true},
    {HasStatePoll, cmd::kPollState, true},
    {HasDslPoll, cmd::kPollDsl, true},
};

}  // namespace

void TCustomPacketHandler::PollStep() {
    const std::uint8_t type = owner_.InfoSelection().Type;
    const int slot = owner_.InfoSelection().Slot;
    const int port = owner_.InfoSelection().Unit;
    for (int attempts = 0; attempts < 9; ++attempts) {
        const int step = pollStep_;
        pollStep_ = (pollStep_ + 1) % 9;
        switch (step) {
            case 0:
                EnqueueCommand({cmd::kPollSlots}, kUnconfirmed, false);
                return;
            case 1:
                EnqueueCommand({cmd::kPollLeds}, kUnconfirmed, false);
                return;
            case 2:
                EnqueueCommand({cmd::kPollAlarm}, kUnconfirmed, false);
                return;
            case 3:
                if (owner_.Settings().uselog && QueueStreamStatus()) {
                    return;
                }
                break;
            default: {
                // Steps 4..8: the information polls of the selected board, each where its type has it.
                const TInfoPoll& poll = kInfoPolls[step - kFirstInfoPollStep];
                if (poll.Applies(type)) {
                    std::vector<std::uint8_t> payload{poll.Command};
                    if (poll.WithPort) {
                        payload.push_back(SlotPort(slot, port));
                    }
                    EnqueueCommand(std::move(payload), kUnconfirmed, false);
                    return;
                }
                break;
            }
        }
    }
}

// The stream-status rotation feeds the alarm log: the next (slot, port) whose board, as the device
// reports it, has streams.
bool TCustomPacketHandler::QueueStreamStatus() {
    for (int attempt = 0; attempt < kStreamPollPairs; ++attempt) {
        const int index = streamPollIndex_;
        streamPollIndex_ = (streamPollIndex_ + 1) % kStreamPollPairs;
        const int slot = index / 4;
        const int port = index % 4;
        const auto reported = static_cast<std::uint8_t>(owner_.SlotStatus(slot) & 0xFF);
        if ((reported == bt1E1 && port == 0) || reported == bt4E1 || reported == bt4ToP) {
            EnqueueCommand({cmd::kPollState, SlotPort(slot, port)}, kUnconfirmed, false);
            return true;
        }
    }
    return false;
}

// --- reception

void TCustomPacketHandler::PacketReceived(const TReceiveBuffer& buffer) {
    const std::uint8_t control = buffer[0];
    if (awaitingAnswer_ && control == lastControl_) {
        awaitingAnswer_ = false;
        ++answersReceived_;
    }
    if (head_ != tail_ && control == ring_[head_][0]) {
        if ((control & kUnconfirmed) == 0) {
            Dequeue();
        }
        TransmitHead();
        tickCount_ = 0;
    }
    if (control == lastControl_) {
        tickCount_ = kTicksPerTransmission - 1;  // the next tick, 50 ms later, polls and transmits
    }
    unanswered_ = 0;
    owner_.SetLinkUp(true);
    const std::size_t p = static_cast<std::size_t>(buffer[2]) + 3;
    if (p < buffer.size()) {
        // An error while storing a reply (the alarm log cannot be written) ends the handling of that
        // reply only: what was stored stays, the operator is told, and the link goes on.
        try {
            Dispatch(buffer, p);
        } catch (const std::exception& error) {
            owner_.ReportError(error.what());
        }
    }
}

// --- single-shot commands

void TCustomPacketHandler::RestartMultiplexer() {
    EnqueueCommand({cmd::kRestart}, kUnconfirmed, false);
}

void TCustomPacketHandler::ResetCounters(int slot, int port) {
    EnqueueCommand({cmd::kResetCounters, SlotPort(slot, port)}, kUnconfirmed, false);
}

void TCustomPacketHandler::LineTest(int slot, int port) {
    EnqueueCommand({cmd::kLineTest, SlotPort(slot, port)}, kUnconfirmed, false);
}

void TCustomPacketHandler::Trace(int slot, int port) {
    EnqueueCommand({cmd::kTrace, static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(port)}, 0, false);
}

void TCustomPacketHandler::WriteRs485Id(int identifier) {
    EnqueueCommand({cmd::kWriteRs485Id, static_cast<std::uint8_t>(identifier)}, 0, false);
}

}  // namespace tervis
