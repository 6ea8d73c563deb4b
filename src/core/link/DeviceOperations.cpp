// Read, compare, load and clear: batches of confirmed packets worked off under a progress window.
#include <stdexcept>

#include "core/link/PacketHandler.h"
#include "core/model/Mux.h"

namespace tervis {

bool TCustomPacketHandler::RunPhase(const std::string& caption) {
    if (progressFactory_ == nullptr) {
        throw std::logic_error("device operation without a progress window");
    }
    tickCount_ = kTicksPerTransmission - 1;  // the first packet goes out at the next tick
    std::unique_ptr<IProgressWindow> window = progressFactory_->CreateProgress(caption);
    progress_ = window.get();
    window->Start(QueueLength());
    bool completed = false;
    try {
        completed = window->Execute();
    } catch (...) {
        progress_ = nullptr;
        ClearQueue();
        throw;
    }
    progress_ = nullptr;
    return completed;
}

void TCustomPacketHandler::QueueReadTypes() {
    EnqueueCommand({cmd::kReadSettings}, 0, false);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EnqueueCommand({cmd::kReadSlotType, static_cast<std::uint8_t>(slot)}, 0, true);
        EnqueueCommand({cmd::kReadBlock, static_cast<std::uint8_t>(slot)}, 0, true);
    }
    ReportQueueLength();
}

void TCustomPacketHandler::QueueReadChannels() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const int channels = Scratch().SlotChannels(slot);
        for (int channel = 0; channel < channels; ++channel) {
            const std::uint16_t e =
                MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel));
            EnqueueCommand(request::ReadEndpoint(e), 0, true);
        }
    }
    ReportQueueLength();
}

// Reads the device's configuration into the scratch model; true when both phases completed.
bool TCustomPacketHandler::ReadInto(const char* typesCaption, const char* channelsCaption) {
    ClearQueue();
    Scratch().Clear();
    QueueReadTypes();
    bool completed = RunPhase(typesCaption);
    if (completed) {
        QueueReadChannels();
        completed = RunPhase(channelsCaption);
    }
    ClearQueue();
    return completed;
}

bool TCustomPacketHandler::ReadConfiguration() {
    const bool completed = ReadInto("Чтение конфигурации плат...", "Чтение соединений...");
    if (completed) {
        owner_.Assign(Scratch());
    }
    return completed;
}

bool TCustomPacketHandler::ReadDevice() {
    return ReadInto("Чтение конфигурации плат...", "Чтение соединений...");
}

std::optional<bool> TCustomPacketHandler::CompareConfiguration() {
    if (!ReadInto("Сравнение - чтение типов плат...", "Сравнение - чтение соединений...")) {
        return std::nullopt;
    }
    return owner_.CompareWith(Scratch());
}

bool TCustomPacketHandler::LoadConfiguration() {
    ClearQueue();
    EnqueueCommand(request::WriteSettings(owner_.GetMuxSettings()), 0, true);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto s = static_cast<std::uint8_t>(slot);
        EnqueueCommand(request::WriteSlotType(slot, owner_.GetSlotType(slot)), 0, true);
        EnqueueCommand(request::WriteBlock(slot, owner_.GetBoardConfig(slot)), 0, true);
        const int channels = owner_.SlotChannels(slot);
        for (int channel = 0; channel < channels; ++channel) {
            const std::uint16_t e = MakeEndpoint(s, static_cast<std::uint8_t>(channel));
            EnqueueCommand(request::WriteEndpoint(e, owner_.GetLink(e), owner_.GetSignalling(e)), 0, true);
        }
    }
    ReportQueueLength();
    const bool completed = RunPhase("Загрузка конфигурации...");
    ClearQueue();
    return completed;
}

bool TCustomPacketHandler::ClearConfiguration() {
    ClearQueue();
    // The device is told the contents of a new configuration.
    EnqueueCommand(request::WriteSettings(kDefaultMuxSettings), 0, true);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto s = static_cast<std::uint8_t>(slot);
        EnqueueCommand(request::WriteSlotType(slot, TSlotType{}), 0, true);
        EnqueueCommand(request::WriteBlock(slot, TBoardConfig{}), 0, true);
        for (int channel = 0; channel < kChannelsPerSlot; ++channel) {
            const std::uint16_t e = MakeEndpoint(s, static_cast<std::uint8_t>(channel));
            EnqueueCommand(request::WriteEndpoint(e, kEndpointNone, kSignallingDefault), 0, true);
        }
    }
    ReportQueueLength();
    const bool completed = RunPhase("Очистка конфигурации...");
    ClearQueue();
    return completed;
}

}  // namespace tervis
