#include "SimLine.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tervis::sim {

namespace {

constexpr std::size_t kChecksumBytes = 2;
constexpr std::size_t kHeaderBytes = 3;  // control byte, address length, device number
constexpr std::uint8_t kMaxIdentifier = 19;
constexpr std::size_t kMaxPathBytes = 30;
// Unsolicited messages answer no request: bit 7 set and sequence 0 can never release a confirmed request
// waiting in the configurator's queue.
constexpr std::uint8_t kUnsolicitedControl = 0x80;

}  // namespace

TSimLine::TSimLine(std::uint32_t seed)
    : decoder_(
          [this](const TFrameDecoder::TBuffer& buffer, std::size_t length) { OnPacket(buffer, length); }),
      random_(seed) {
    TStation local;
    local.Mux = std::make_unique<TSimMultiplexer>();
    local.Direct = true;
    stations_.push_back(std::move(local));
}

TSimMultiplexer& TSimLine::AddRs485Device(std::uint8_t number) {
    if (number == 0 || number > kMaxIdentifier) {
        throw std::invalid_argument("RS-485 identifier " + std::to_string(number));
    }
    for (const auto& station : stations_) {
        if (station.Via == nullptr && station.Mux->Identifier() == number) {
            throw std::invalid_argument("RS-485 identifier " + std::to_string(number) +
                                        " already on the line");
        }
    }
    TStation station;
    station.Mux = std::make_unique<TSimMultiplexer>();
    station.Mux->SetIdentifier(number);
    station.ViaNumber = number;
    stations_.push_back(std::move(station));
    return *stations_.back().Mux;
}

TSimMultiplexer& TSimLine::AddRemote(std::span<const std::uint8_t> addressPath, std::uint8_t via) {
    if (addressPath.empty() || addressPath.size() % 2 != 0 || addressPath.size() > kMaxPathBytes) {
        throw std::invalid_argument("address path of " + std::to_string(addressPath.size()) + " bytes");
    }
    TSimMultiplexer* entry = nullptr;
    for (const auto& station : stations_) {
        if (station.Via == nullptr && Answers(station, via)) {
            entry = station.Mux.get();
            break;
        }
    }
    if (entry == nullptr) {
        throw std::invalid_argument("no multiplexer answers device number " + std::to_string(via));
    }
    if (TSimMultiplexer* existing = Find(via, addressPath)) {
        return *existing;
    }
    TStation station;
    station.Mux = std::make_unique<TSimMultiplexer>();
    station.Via = entry;
    station.ViaNumber = via;
    station.Path.assign(addressPath.begin(), addressPath.end());
    stations_.push_back(std::move(station));
    return *stations_.back().Mux;
}

bool TSimLine::Answers(const TStation& station, std::uint8_t deviceNumber) const {
    // Device number 0 reaches whoever sits on the RS-232 side, whatever identifier it has been given.
    if (station.Direct && deviceNumber == 0) {
        return true;
    }
    return deviceNumber != 0 && station.Mux->Identifier() == deviceNumber;
}

TSimMultiplexer* TSimLine::Find(std::uint8_t deviceNumber, std::span<const std::uint8_t> addressPath) {
    for (auto& entry : stations_) {
        if (entry.Via != nullptr || !Answers(entry, deviceNumber)) {
            continue;
        }
        if (addressPath.empty()) {
            return entry.Mux.get();
        }
        for (auto& remote : stations_) {
            if (remote.Via == entry.Mux.get() && std::ranges::equal(remote.Path, addressPath)) {
                return remote.Mux.get();
            }
        }
    }
    return nullptr;
}

void TSimLine::Receive(std::span<const std::uint8_t> bytes) {
    decoder_.Feed(bytes);
    CollectUnsolicited();
    ReleaseDue();
}

void TSimLine::OnPacket(const TFrameDecoder::TBuffer& buffer, std::size_t length) {
    ++counters_.RequestsSeen;
    const std::size_t packetLength = length - kChecksumBytes;
    const std::span<const std::uint8_t> packet(buffer.data(), packetLength);
    if (packetLength < kHeaderBytes + 1 || kHeaderBytes + packet[1] >= packetLength) {
        ++counters_.RequestsMalformed;
        return;
    }
    const std::uint8_t control = packet[0];
    const std::uint8_t pathLength = packet[1];
    const std::uint8_t deviceNumber = packet[2];
    const auto path = packet.subspan(kHeaderBytes, pathLength);
    const auto command = packet.subspan(kHeaderBytes + pathLength);

    bool reached = false;
    for (auto& entry : stations_) {
        // A remote is only reachable while the multiplexer in front of it listens.
        if (entry.Via != nullptr || !Answers(entry, deviceNumber) || !entry.Mux->Listening()) {
            continue;
        }
        TSimMultiplexer* target = nullptr;
        if (path.empty()) {
            target = entry.Mux.get();
        } else {
            for (auto& remote : stations_) {
                if (remote.Via == entry.Mux.get() && std::ranges::equal(remote.Path, path)) {
                    target = remote.Mux.get();
                }
            }
        }
        if (target == nullptr || !target->Listening()) {
            continue;
        }
        reached = true;
        const std::size_t room = kMaxPacketBytes - kHeaderBytes - pathLength;
        const auto answer = target->Execute(command, (control & 0x80) == 0, room);
        if (answer) {
            Send(control, deviceNumber, path, *answer, nowMs_);
        }
    }
    if (!reached) {
        ++counters_.RequestsUnaddressed;
    }
}

void TSimLine::Send(std::uint8_t control, std::uint8_t deviceNumber, std::span<const std::uint8_t> path,
                    std::span<const std::uint8_t> payload, std::uint64_t sentMs) {
    if (faults_.Silent) {
        ++counters_.FramesSilenced;
        return;
    }
    if (faults_.LostProbability > 0 && random_.NextUnit() < faults_.LostProbability) {
        ++counters_.FramesLost;
        return;
    }
    // Reply header: the echoed control byte, the device number (not read by the configurator), the length
    // of the address field and the address path the request came by.
    std::vector<std::uint8_t> packet{control, deviceNumber, static_cast<std::uint8_t>(path.size())};
    packet.insert(packet.end(), path.begin(), path.end());
    packet.insert(packet.end(), payload.begin(), payload.end());
    std::vector<std::uint8_t> frame;
    if (!EncodeFrame(packet, frame)) {
        return;  // cannot happen for the sizes the device builds; nothing goes out
    }
    if (faults_.CorruptProbability > 0 && random_.NextUnit() < faults_.CorruptProbability) {
        const std::uint64_t bit = random_.NextBelow((frame.size() - 1) * 8);
        frame[bit / 8] = static_cast<std::uint8_t>(frame[bit / 8] ^ (1u << (bit % 8)));
        ++counters_.FramesCorrupted;
    }
    ++counters_.FramesSent;
    TPending pending{sentMs + faults_.DelayMs, order_++, std::move(frame)};
    const auto at =
        std::upper_bound(pending_.begin(), pending_.end(), pending, [](const TPending& a, const TPending& b) {
            return a.DueMs < b.DueMs || (a.DueMs == b.DueMs && a.Order < b.Order);
        });
    pending_.insert(at, std::move(pending));
}

void TSimLine::CollectUnsolicited() {
    for (auto& station : stations_) {
        auto messages = station.Mux->TakeUnsolicited();
        if (messages.empty()) {
            continue;
        }
        // A remote behind a deaf multiplexer cannot be heard either.
        if (station.Via != nullptr && !station.Via->Listening()) {
            continue;
        }
        for (const auto& message : messages) {
            // The device's clock may have started later than the line's; place the message at its own time.
            const std::uint64_t age = station.Mux->NowMs() - message.AtMs;
            const std::uint64_t sentMs = nowMs_ >= age ? nowMs_ - age : 0;
            Send(kUnsolicitedControl, station.ViaNumber, station.Path, message.Payload, sentMs);
        }
    }
}

void TSimLine::Advance(std::uint32_t milliseconds) {
    nowMs_ += milliseconds;
    for (auto& station : stations_) {
        station.Mux->Advance(milliseconds);
    }
    CollectUnsolicited();
    ReleaseDue();
}

void TSimLine::ReleaseDue() {
    auto it = pending_.begin();
    while (it != pending_.end() && it->DueMs <= nowMs_) {
        ready_.insert(ready_.end(), it->Frame.begin(), it->Frame.end());
        ++it;
    }
    pending_.erase(pending_.begin(), it);
}

bool TSimLine::HasOutput() {
    CollectUnsolicited();
    ReleaseDue();
    return !ready_.empty();
}

std::vector<std::uint8_t> TSimLine::TakeOutput() {
    CollectUnsolicited();
    ReleaseDue();
    std::vector<std::uint8_t> out;
    if (faults_.SplitBytes == 0 || ready_.size() <= faults_.SplitBytes) {
        out.swap(ready_);
        return out;
    }
    const auto cut = ready_.begin() + static_cast<std::ptrdiff_t>(faults_.SplitBytes);
    out.assign(ready_.begin(), cut);
    ready_.erase(ready_.begin(), cut);
    return out;
}

}  // namespace tervis::sim
