#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tervis {

// Keeps one listener on a list for as long as it lives: destroying or resetting it takes the listener
// off. The list may be destroyed first; the subscription then does nothing.
class [[nodiscard]] TSubscription {
public:
    TSubscription() = default;
    explicit TSubscription(std::function<void()> leave) : leave_(std::move(leave)) {}
    TSubscription(TSubscription&& other) noexcept : leave_(std::exchange(other.leave_, nullptr)) {}
    TSubscription& operator=(TSubscription&& other) noexcept {
        if (this != &other) {
            Reset();
            leave_ = std::exchange(other.leave_, nullptr);
        }
        return *this;
    }
    TSubscription(const TSubscription&) = delete;
    TSubscription& operator=(const TSubscription&) = delete;
    ~TSubscription() { Reset(); }

    void Reset() {
        if (auto leave = std::exchange(leave_, nullptr)) {
            leave();
        }
    }

private:
    std::function<void()> leave_;
};

// Any number of listeners of one interface, called in the order they joined. A listener is on the list
// while the subscription it was given lives; one that leaves during a call (its own or another
// listener's) is not called afterwards.
template <typename TListener>
class TListenerList {
public:
    TSubscription Subscribe(TListener& listener) {
        state_->Listeners.push_back(&listener);
        return TSubscription([weak = std::weak_ptr<TState>(state_), listener = &listener] {
            if (const auto state = weak.lock()) {
                auto& listeners = state->Listeners;
                const auto at = std::find(listeners.begin(), listeners.end(), listener);
                if (at != listeners.end()) {
                    listeners.erase(at);
                }
            }
        });
    }

    template <typename F>
    void ForEach(F&& call) const {
        const std::shared_ptr<TState> state = state_;  // a listener may destroy the owner of the list
        const std::vector<TListener*> snapshot = state->Listeners;
        for (TListener* listener : snapshot) {
            const auto& now = state->Listeners;
            if (std::find(now.begin(), now.end(), listener) != now.end()) {
                call(*listener);
            }
        }
    }

    std::size_t Size() const { return state_->Listeners.size(); }

private:
    struct TState {
        std::vector<TListener*> Listeners;
    };
    std::shared_ptr<TState> state_ = std::make_shared<TState>();
};

}  // namespace tervis
