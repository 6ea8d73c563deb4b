#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

#include "SampleStore.h"
#include "core/model/Mux.h"
#include "core/monitoring/Inventory.h"
#include "core/monitoring/Metrics.h"
#include "core/settings/Settings.h"

namespace tervis {
class TSerialPacketHandler;
}

namespace tervis::exporter {

// One line and the multiplexers behind it, walked in turn with the packet handler's own status and
// information polls: one model and one link for the port, its address and device number switched
// between walks, so that never two requests are on the line at once. A multiplexer that leaves every
// request unanswered for the answer timeout is reported down and the walk goes on with the next one.
class TPortWalker : public QObject, public INotificationSink, public IOperatorMessages {
    Q_OBJECT
public:
    struct TEntry {
        TInventoryEntry Mux;
        std::size_t StoreIndex = 0;
    };
    TPortWalker(std::string port, std::vector<TEntry> entries, TSampleStore& store, int answerTimeoutMs,
                int roundIntervalMs, QObject* parent = nullptr);
    ~TPortWalker() override;

    // Walks completed since the start, of every multiplexer of the port.
    std::uint64_t WalksCompleted() const { return walks_; }

private:
    enum class TPhase { Idle, Status, Cpu, Units };

    void PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void ShowMessage(const std::string& text) override;
    void ShowReport(const std::vector<std::string>& lines) override;

    void Begin(std::size_t index);
    void Advance();
    void Select(int slot, int unit, std::uint8_t type);
    // The information polls of the boards the slot types call for, one board after the other.
    void StartUnits();
    void NextUnit();
    void Finish(bool answered);
    void OnWatch();
    void Watch();

    std::string port_;
    std::vector<TEntry> entries_;
    TSampleStore& store_;
    int answerTimeoutMs_;
    int roundIntervalMs_;
    TSettings settings_;
    std::unique_ptr<TMux> mux_;
    TSerialPacketHandler* handler_ = nullptr;
    QTimer watch_;
    QElapsedTimer walkClock_;
    QElapsedTimer silence_;
    QElapsedTimer roundClock_;
    std::uint64_t lastAnswers_ = 0;
    std::uint64_t selectedAtAnswers_ = 0;
    std::uint64_t walks_ = 0;

    std::size_t current_ = 0;
    TPhase phase_ = TPhase::Idle;
    bool advanceQueued_ = false;
    // What arrived for the current multiplexer since its walk began or the selection changed.
    int slotReports_ = 0;
    // Slot reports count only from this answer on: an answer still due when the walk moved on to this
    // multiplexer comes from the one before it on the line.
    std::uint64_t firstOwnAnswer_ = 0;
    bool alarmSeen_ = false;
    unsigned infoSeen_ = 0;
    std::uint16_t alarmWord_ = 0;
    std::vector<TInfoRequest> plan_;
    std::size_t planIndex_ = 0;
    TMuxSample sample_;
};

}  // namespace tervis::exporter
