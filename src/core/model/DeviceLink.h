#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tervis {

// A request or reply packet as it travels between the model, the queue and a transport.
using TPacket = std::vector<std::uint8_t>;

// The model's device link: the queue for the write commands of immediate transmission and the
// whole-device operations the model forwards. The packet handler implements it.
class TDeviceLink {
public:
    virtual ~TDeviceLink() = default;
    // Queues a request built by TMux::BuildRequest. With batch set, the queue length is reported once
    // at the end of a bulk operation instead of after every packet.
    virtual void Enqueue(TPacket packet, bool batch) = 0;

    // Device operations; each returns when it has finished (true) or was cancelled (false).
    virtual bool ReadConfiguration() = 0;
    virtual bool LoadConfiguration() = 0;
    // Empty when cancelled; otherwise whether the device's configuration differs.
    virtual std::optional<bool> CompareConfiguration() = 0;
    virtual bool ClearConfiguration() = 0;
    virtual void RestartMultiplexer() = 0;

    // Single-shot commands.
    virtual void ResetCounters(int slot, int port) = 0;
    virtual void LineTest(int slot, int port) = 0;
    virtual void Trace(int slot, int port) = 0;  // 255, 255 stops
    virtual void WriteRs485Id(int identifier) = 0;
    virtual void Reconnect() = 0;
};

}  // namespace tervis
