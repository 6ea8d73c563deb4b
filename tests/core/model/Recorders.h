#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/model/DeviceLink.h"
#include "core/model/Seams.h"

namespace tervis::test {

struct TNotification {
    unsigned Message;
    std::uintptr_t Parameter;
    bool operator==(const TNotification&) const = default;
};

class TNotificationRecorder : public INotificationSink {
public:
    void PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t) override {
        Posted.push_back({message, wParam});
    }
    std::vector<TNotification> Of(unsigned message) const {
        std::vector<TNotification> result;
        for (const auto& n : Posted) {
            if (n.Message == message) {
                result.push_back(n);
            }
        }
        return result;
    }
    std::vector<TNotification> Posted;
};

class TOperatorRecorder : public IOperatorMessages {
public:
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void ShowReport(const std::vector<std::string>& lines) override { Reports.push_back(lines); }
    std::vector<std::string> Messages;
    std::vector<std::vector<std::string>> Reports;
};

// A device link that keeps what the model queued and which operations it forwarded; the test reads
// them through shared vectors because the model owns the link.
class TRecordingLink : public TDeviceLink {
public:
    explicit TRecordingLink(std::vector<TPacket>& sink, std::vector<std::string>* calls = nullptr)
        : sink_(sink), calls_(calls) {}
    void Enqueue(TPacket packet, bool) override { sink_.push_back(std::move(packet)); }
    bool ReadConfiguration() override { return Call("read"); }
    bool LoadConfiguration() override { return Call("load"); }
    std::optional<bool> CompareConfiguration() override { return Call("compare"); }
    bool ClearConfiguration() override { return Call("clear"); }
    void RestartMultiplexer() override { Call("restart"); }
    void ResetCounters(int slot, int port) override { Call("reset " + Pair(slot, port)); }
    void LineTest(int slot, int port) override { Call("linetest " + Pair(slot, port)); }
    void Trace(int slot, int port) override { Call("trace " + Pair(slot, port)); }
    void WriteRs485Id(int identifier) override { Call("rs485id " + std::to_string(identifier)); }
    void Reconnect() override { Call("reconnect"); }

private:
    static std::string Pair(int a, int b) { return std::to_string(a) + "," + std::to_string(b); }
    bool Call(const std::string& name) {
        if (calls_ != nullptr) {
            calls_->push_back(name);
        }
        return true;
    }
    std::vector<TPacket>& sink_;
    std::vector<std::string>* calls_;
};

class TFixedClock : public IClock {
public:
    explicit TFixedClock(TLocalTime time) : Time(time) {}
    TLocalTime Now() const override { return Time; }
    TLocalTime Time;
};

}  // namespace tervis::test
