#include "PortWalker.h"

#include <QDateTime>

#include <cstdio>
#include <exception>

#include "core/model/BoardTypes.h"
#include "platform/SerialPacketHandler.h"

namespace tervis::exporter {

namespace {

constexpr int kWatchMs = 100;

}  // namespace

TPortWalker::TPortWalker(std::string port, std::vector<TEntry> entries, TSampleStore& store,
                         int answerTimeoutMs, int roundIntervalMs, QObject* parent)
    : QObject(parent),
      port_(std::move(port)),
      entries_(std::move(entries)),
      store_(store),
      answerTimeoutMs_(answerTimeoutMs),
      roundIntervalMs_(roundIntervalMs) {
    settings_.device = port_;
    mux_ = std::make_unique<TMux>(this, this, settings_);
    // The port is opened the way the configurator opens it; a port that cannot be opened is tried
    // again every second, and its multiplexers are reported down meanwhile.
    auto link = std::make_unique<TSerialPacketHandler>(*mux_);
    handler_ = link.get();
    mux_->SetDeviceLink(std::move(link));
    connect(&watch_, &QTimer::timeout, this, &TPortWalker::OnWatch);
    watch_.start(kWatchMs);
    roundClock_.start();
    Begin(0);
}

TPortWalker::~TPortWalker() {
    watch_.stop();
    mux_.reset();  // closes the line before the walker's sinks go away
}

void TPortWalker::PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t) {
    // Called from the link's receive path: only note what arrived, and walk on from the event loop.
    if (message == kNotifySlotStatus) {
        if (handler_->AnswersReceived() >= firstOwnAnswer_) {
            ++slotReports_;
        }
    } else if (message == kNotifyAlarm) {
        alarmWord_ = static_cast<std::uint16_t>(wParam);
        alarmSeen_ = true;
    } else if (message == kNotifyInformation && wParam < 8) {
        infoSeen_ |= 1u << wParam;
    } else {
        return;
    }
    if (!advanceQueued_ && phase_ != TPhase::Idle) {
        advanceQueued_ = true;
        QMetaObject::invokeMethod(
            this, [this] { Advance(); }, Qt::QueuedConnection);
    }
}

void TPortWalker::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "tervis-exporter: %s\n", text.c_str());
}

void TPortWalker::ShowReport(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        ShowMessage(line);
    }
}

void TPortWalker::Begin(std::size_t index) {
    current_ = index;
    const TInventoryEntry& entry = entries_[index].Mux;
    settings_.rs485id = entry.Rs485Id;
    mux_->SetAddress(entry.Address);
    handler_->ClearQueue();
    mux_->SelectInfo(0, 0, false);
    mux_->SetSlotStatus({});
    sample_ = TMuxSample{};
    sample_.Name = entry.Name;
    slotReports_ = 0;
    alarmSeen_ = false;
    infoSeen_ = 0;
    alarmWord_ = 0;
    plan_.clear();
    planIndex_ = 0;
    phase_ = TPhase::Status;
    walkClock_.start();
    silence_.start();
    lastAnswers_ = handler_->AnswersReceived();
    selectedAtAnswers_ = lastAnswers_;
    firstOwnAnswer_ = lastAnswers_ + (handler_->AwaitingAnswer() ? 2 : 1);
}

void TPortWalker::Select(int slot, int unit, std::uint8_t type) {
    SelectReportedUnit(*mux_, TInfoRequest{slot, unit, type, 0});
    infoSeen_ = 0;
    selectedAtAnswers_ = handler_->AnswersReceived();
}

void TPortWalker::StartUnits() {
    plan_ = InformationPlan(sample_.Slots);
    planIndex_ = 0;
    phase_ = TPhase::Units;
    NextUnit();
}

void TPortWalker::NextUnit() {
    if (planIndex_ < plan_.size()) {
        const TInfoRequest& request = plan_[planIndex_];
        Select(request.Slot, request.Unit, request.Type);
    } else {
        Finish(true);
    }
}

void TPortWalker::Advance() {
    advanceQueued_ = false;
    try {
        switch (phase_) {
            case TPhase::Idle:
                return;
            case TPhase::Status:
                if (slotReports_ >= 2 && alarmSeen_) {
                    sample_.Slots = mux_->GetSlotStatus();
                    sample_.AlarmWord = alarmWord_;
                    phase_ = TPhase::Cpu;
                    Select(kCpuSlot, 0, btCPU);
                }
                return;
            case TPhase::Cpu:
                if ((infoSeen_ & (1u << kInfoCpu)) != 0) {
                    sample_.Cpu = mux_->CpuStatus();
                    sample_.AlarmWord = alarmWord_;  // the latest, polled while the CPU was selected
                    StartUnits();
                }
                return;
            case TPhase::Units:
                if (planIndex_ < plan_.size() &&
                    (infoSeen_ & plan_[planIndex_].Records) == plan_[planIndex_].Records) {
                    sample_.Units.push_back(CaptureUnit(*mux_, plan_[planIndex_]));
                    ++planIndex_;
                    NextUnit();
                }
                return;
        }
    } catch (const std::exception& error) {
        // Nothing may escape the event loop: the walk of this multiplexer ends as unanswered.
        ShowMessage(error.what());
        Finish(false);
    }
}

void TPortWalker::Finish(bool answered) {
    sample_.LinkUp = answered;
    sample_.PollSeconds = static_cast<double>(walkClock_.nsecsElapsed()) / 1e9;
    sample_.FinishedAt = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    store_.Publish(entries_[current_].StoreIndex, std::move(sample_));
    sample_ = TMuxSample{};
    ++walks_;
    mux_->SelectInfo(0, 0, false);
    phase_ = TPhase::Idle;
    if (current_ + 1 < entries_.size()) {
        Begin(current_ + 1);
    } else {
        current_ = 0;  // the round is over: the next one starts from the watch timer
    }
}

void TPortWalker::OnWatch() {
    try {
        Watch();
    } catch (const std::exception& error) {
        // Nothing may escape the event loop: the walk of this multiplexer ends as unanswered.
        ShowMessage(error.what());
        if (phase_ != TPhase::Idle) {
            Finish(false);
        }
    }
}

void TPortWalker::Watch() {
    if (phase_ == TPhase::Idle) {
        if (roundClock_.elapsed() >= roundIntervalMs_) {
            roundClock_.restart();
            Begin(0);
        }
        return;
    }
    const std::uint64_t answers = handler_->AnswersReceived();
    if (answers != lastAnswers_) {
        lastAnswers_ = answers;
        silence_.restart();
    }
    if (silence_.elapsed() > answerTimeoutMs_) {
        Finish(false);
        return;
    }
    if (answers - selectedAtAnswers_ <= kAnswersPerSelection) {
        return;
    }
    // The device answers, but not this poll. Without its slots the walk cannot go on; without its
    // alarm word it goes on as if there were none; a unit whose records never come (a board that does
    // not answer that poll) is left out of the page.
    switch (phase_) {
        case TPhase::Idle:
            return;
        case TPhase::Status:
            if (slotReports_ < 2) {
                Finish(false);
                return;
            }
            sample_.Slots = mux_->GetSlotStatus();
            phase_ = TPhase::Cpu;
            Select(kCpuSlot, 0, btCPU);
            return;
        case TPhase::Cpu:
            StartUnits();
            return;
        case TPhase::Units:
            ++planIndex_;
            NextUnit();
            return;
    }
}

}  // namespace tervis::exporter
