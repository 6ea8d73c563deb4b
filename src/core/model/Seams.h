#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tervis {

// Notifications the model and the link post to their owner window (message, parameter).
constexpr unsigned kWmUser = 0x400;
constexpr unsigned kNotifyModified = kWmUser + 10;     // 1 modified, 0 saved
constexpr unsigned kNotifyLinkState = kWmUser + 20;    // 1 link up, 0 down
constexpr unsigned kNotifySlotStatus = kWmUser + 30;   // slot, or 255 for all
constexpr unsigned kNotifyInformation = kWmUser + 40;  // 0 CPU status, 1..4 information sub-record
constexpr unsigned kNotifyQueueLength = kWmUser + 50;  // queue length in the second parameter
constexpr unsigned kNotifyAlarm = kWmUser + 60;        // current device alarm word; 0 clears
constexpr unsigned kNotifyActivate = kWmUser + 70;     // bring the application to the front

constexpr std::uintptr_t kAllSlots = 255;

// The owner of a model or a link. Posting never blocks and never calls into a window: the owner
// queues the notification and handles it later on the UI thread.
class INotificationSink {
public:
    virtual ~INotificationSink() = default;
    virtual void PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// Messages to the operator: message boxes and the mismatch report window.
class IOperatorMessages {
public:
    virtual ~IOperatorMessages() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // Shows the report window modally with these lines.
    virtual void ShowReport(const std::vector<std::string>& lines) = 0;
    // A file error met while handling the device's data (the alarm log cannot be written), shown like
    // the program's other file errors. It arrives on the link's receive path: a window must not run a
    // modal loop inside this call.
    virtual void ShowError(const std::string& text) { ShowMessage(text); }
};

// Local date and time, as the alarm log writes it.
struct TLocalTime {
    int Year = 0;
    int Month = 0;  // 1..12
    int Day = 0;    // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// The only way the core learns the time of day.
class IClock {
public:
    virtual ~IClock() = default;
    virtual TLocalTime Now() const = 0;
};

// The machine's local clock.
class TSystemClock final : public IClock {
public:
    TLocalTime Now() const override;
};

}  // namespace tervis
