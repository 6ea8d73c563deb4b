#pragma once

#include <cstdint>
#include <vector>

namespace tervis {

// A request or reply packet as it travels between the model, the queue and a transport.
using TPacket = std::vector<std::uint8_t>;

// What the model needs of its device link: a place to queue the write commands of immediate
// transmission. The packet handler implements it.
class TDeviceLink {
public:
    virtual ~TDeviceLink() = default;
    // Queues a request built by TMux::BuildRequest. With batch set, the queue length is reported once
    // at the end of a bulk operation instead of after every packet.
    virtual void Enqueue(TPacket packet, bool batch) = 0;
};

}  // namespace tervis
