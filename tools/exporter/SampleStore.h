#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/monitoring/Metrics.h"

namespace tervis::exporter {

// The last completed poll of every multiplexer, shared between the walkers (the event loop's thread) and
// the HTTP workers. A scrape takes a copy of the pointers and renders without holding the lock long, and
// never waits for the line.
class TSampleStore {
public:
    explicit TSampleStore(std::size_t muxCount) : samples_(muxCount) {}

    void Publish(std::size_t index, TMuxSample sample) {
        auto shared = std::make_shared<const TMuxSample>(std::move(sample));
        const std::lock_guard lock(mutex_);
        samples_.at(index) = std::move(shared);
    }

    // The page of every multiplexer polled at least once, in inventory order.
    std::string Render() const {
        std::vector<std::shared_ptr<const TMuxSample>> taken;
        {
            const std::lock_guard lock(mutex_);
            taken = samples_;
        }
        std::vector<TMuxSample> polled;
        for (const auto& sample : taken) {
            if (sample) {
                polled.push_back(*sample);
            }
        }
        return RenderMetrics(polled);
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<const TMuxSample>> samples_;
};

}  // namespace tervis::exporter
