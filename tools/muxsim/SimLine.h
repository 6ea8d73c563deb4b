#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "SimMultiplexer.h"
#include "SimRandom.h"
#include "core/link/Frame.h"

namespace tervis::sim {

// Faults the line puts on what the multiplexers send. All random choices come from the line's seeded
// generator, so a seed and a sequence of calls always give the same faults.
struct TFaults {
    double LostProbability = 0;     // an answer frame is dropped
    double CorruptProbability = 0;  // one bit of an answer frame is flipped (never its final END)
    std::uint32_t DelayMs = 0;      // frames become available this much virtual time after they are sent
    bool Silent = false;            // requests still reach the devices and act, but nothing comes back
    std::size_t SplitBytes = 0;     // 0: TakeOutput hands over everything ready; else at most this many bytes
};

struct TLineCounters {
    std::uint64_t RequestsSeen = 0;         // frames with a good checksum from the configurator
    std::uint64_t RequestsMalformed = 0;    // too short for a request header
    std::uint64_t RequestsUnaddressed = 0;  // no multiplexer answers that device number and path
    std::uint64_t FramesSent = 0;           // frames put on the line (answers and unsolicited messages)
    std::uint64_t FramesLost = 0;
    std::uint64_t FramesCorrupted = 0;
    std::uint64_t FramesSilenced = 0;
};

// The serial line with every multiplexer on it: the directly attached one, RS-485/RS-422 neighbours by
// identifier, and remote multiplexers reached through an address path via one of those.
class TSimLine {
public:
    explicit TSimLine(std::uint32_t seed = 1);
    TSimLine(const TSimLine&) = delete;
    TSimLine& operator=(const TSimLine&) = delete;

    // Bytes from the configurator, in any pieces. Each complete request is answered at once (or after the
    // delay fault).
    void Receive(std::span<const std::uint8_t> bytes);
    // Virtual time for every multiplexer and for delayed frames.
    void Advance(std::uint32_t milliseconds);
    // Framed bytes towards the configurator that are due now (cut to SplitBytes when that fault is set).
    // Both also pick up what a multiplexer was scripted to send since the last call (trace events).
    std::vector<std::uint8_t> TakeOutput();
    bool HasOutput();
    std::uint64_t NowMs() const { return nowMs_; }

    // Device number 0 (and its identifier once one is written).
    TSimMultiplexer& Local() { return *stations_.front().Mux; }
    // Another multiplexer with identifier 1..19; std::invalid_argument for 0, above 19 or one already taken.
    TSimMultiplexer& AddRs485Device(std::uint8_t number);
    // A remote multiplexer behind the address path (two bytes per hop, 2..30 bytes), reached via the
    // multiplexer answering device number `via`. The same path twice gives the same multiplexer.
    TSimMultiplexer& AddRemote(std::span<const std::uint8_t> addressPath, std::uint8_t via = 0);
    // The multiplexer a request with this device number and path reaches, or nullptr.
    TSimMultiplexer* Find(std::uint8_t deviceNumber, std::span<const std::uint8_t> addressPath);

    TFaults& Faults() { return faults_; }
    void Reseed(std::uint32_t seed) { random_.Reseed(seed); }
    const TLineCounters& Counters() const { return counters_; }
    std::uint64_t RequestsSeen() const { return counters_.RequestsSeen; }

private:
    struct TStation {
        std::unique_ptr<TSimMultiplexer> Mux;
        bool Direct = false;             // on the RS-232 side: answers device number 0
        TSimMultiplexer* Via = nullptr;  // for a remote: the multiplexer it is reached through
        std::uint8_t ViaNumber = 0;      // the device number that reaches it
        std::vector<std::uint8_t> Path;
    };
    struct TPending {
        std::uint64_t DueMs;
        std::uint64_t Order;
        std::vector<std::uint8_t> Frame;
    };

    void OnPacket(const TFrameDecoder::TBuffer& buffer, std::size_t length);
    bool Answers(const TStation& station, std::uint8_t deviceNumber) const;
    void Send(std::uint8_t control, std::uint8_t deviceNumber, std::span<const std::uint8_t> path,
              std::span<const std::uint8_t> payload, std::uint64_t sentMs);
    void CollectUnsolicited();
    void ReleaseDue();

    std::vector<TStation> stations_;
    TFrameDecoder decoder_;
    TFaults faults_;
    TSimRandom random_;
    TLineCounters counters_;
    std::uint64_t nowMs_ = 0;
    std::uint64_t order_ = 0;
    std::vector<TPending> pending_;
    std::vector<std::uint8_t> ready_;
};

}  // namespace tervis::sim
