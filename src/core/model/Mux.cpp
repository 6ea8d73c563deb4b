#include "core/model/Mux.h"

#include "core/base/Bytes.h"
#include "core/base/Errors.h"
#include "core/model/Requests.h"

namespace tervis {

TMux::TMux(INotificationSink* owner, IOperatorMessages* operatorMessages, TSettings& settings)
    : owner_(owner),
      operator_(operatorMessages),
      settings_(settings),
      clock_(std::make_shared<TSystemClock>()) {
    Clear();
}

TMux::~TMux() = default;

std::uint16_t& TMux::Word(std::size_t index) {
    if (index >= image_.size()) {
        throw ERangeError("configuration image index out of range");
    }
    return image_[index];
}

void TMux::StoreImageWord(std::size_t index, std::uint16_t value) {
    std::uint16_t& word = Word(index);
    if (word != value) {
        word = value;
        SetModified(true);
    }
}

std::uint16_t TMux::Word(std::size_t index) const {
    if (index >= image_.size()) {
        throw ERangeError("configuration image index out of range");
    }
    return image_[index];
}

void TMux::CheckSlot(int slot) {
    if (slot < 0 || slot >= kSlotCount) {
        throw ERangeError("slot out of range");
    }
}

// Endpoints above 2047 would land in the next table of the image; refuse them instead.
void TMux::CheckEndpoint(std::uint16_t endpoint) {
    if (!IsEndpoint(endpoint)) {
        throw ERangeError("endpoint out of range");
    }
}

void TMux::Post(unsigned message, std::uintptr_t parameter) const {
    if (owner_ != nullptr) {
        owner_->PostNotification(message, parameter, 0);
    }
}

// --- whole configuration

void TMux::Clear() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        image_[image::kSlotTypes + s] = 0;
        image_[image::kParam1 + s] = 0;
        image_[image::kParam2 + s] = 0;
        for (int k = 0; k < kBlockWords; ++k) {
            image_[image::BlockWord(slot, k)] = 0;
        }
    }
    for (std::size_t e = 0; e < kEndpointCount; ++e) {
        image_[image::kLinks + e] = kEndpointNone;
        image_[image::kSignalling + e] = kSignallingDefault;
    }
    constexpr TMuxSettings kDefaultSettings = kDefaultMuxSettings;
    for (std::size_t i = 0; i < kDefaultSettings.size(); ++i) {
        image_[image::kMuxSettings + i] = kDefaultSettings[i];
    }
    SetModified(false);
}

void TMux::SetModified(bool modified) {
    modified_ = modified;
    Post(kNotifyModified, modified ? 1 : 0);
}

void TMux::Assign(const TMux& source) {
    StoreMuxSettings(source.GetMuxSettings());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        StoreSlotType(slot, source.GetSlotType(slot));
        StoreBoardConfig(slot, source.GetBoardConfig(slot));
    }
    for (std::uint16_t e = 0; e < kEndpointCount; ++e) {
        StoreLink(e, source.GetLink(e));
        StoreSignalling(e, source.GetSignalling(e));
    }
}

// --- device link and requests

void TMux::SetDeviceLink(std::unique_ptr<TDeviceLink> link) {
    link_ = std::move(link);
}

void TMux::SetAddress(std::vector<std::uint8_t> address) {
    address_ = std::move(address);
}

TPacket TMux::BuildRequest(const std::vector<std::uint8_t>& payload) const {
    TPacket packet;
    packet.reserve(3 + address_.size() + payload.size());
    packet.push_back(0x00);  // control byte: the queue fills in the sequence number
    packet.push_back(static_cast<std::uint8_t>(address_.size()));
    packet.push_back(static_cast<std::uint8_t>(settings_.rs485id & 0xFF));
    packet.insert(packet.end(), address_.begin(), address_.end());
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

void TMux::Send(const std::vector<std::uint8_t>& payload) {
    if (settings_.cashedtrx && link_) {
        link_->Enqueue(BuildRequest(payload), false);
    }
}

void TMux::SendEndpoint(std::uint16_t endpoint) {
    Send(request::WriteEndpoint(endpoint, GetLink(endpoint), GetSignalling(endpoint)));
}

void TMux::SendSlotType(int slot) {
    Send(request::WriteSlotType(slot, GetSlotType(slot)));
}

void TMux::SendBoardConfig(int slot) {
    Send(request::WriteBlock(slot, GetBoardConfig(slot)));
}

void TMux::SendMuxSettings() {
    Send(request::WriteSettings(GetMuxSettings()));
}

// --- whole-device operations

bool TMux::ReadConfiguration() {
    return link_ && link_->ReadConfiguration();
}
bool TMux::LoadConfiguration() {
    return link_ && link_->LoadConfiguration();
}
std::optional<bool> TMux::CompareConfiguration() {
    return link_ ? link_->CompareConfiguration() : std::nullopt;
}
bool TMux::ClearConfiguration() {
    return link_ && link_->ClearConfiguration();
}

void TMux::RestartMultiplexer() {
    if (link_) {
        link_->RestartMultiplexer();
    }
}

void TMux::ResetCounters(int slot, int port) {
    if (link_) {
        link_->ResetCounters(slot, port);
    }
}

void TMux::LineTest(int slot, int port) {
    if (link_) {
        link_->LineTest(slot, port);
    }
}

void TMux::Trace(int slot, int port) {
    if (link_) {
        link_->Trace(slot, port);
    }
}

bool TMux::WriteRs485Id(int identifier) {
    if (settings_.rs485id != 0) {
        if (operator_ != nullptr) {
            operator_->ShowMessage("Запись возможна только через RS232!");
        }
        return false;
    }
    if (link_) {
        link_->WriteRs485Id(identifier);
    }
    return true;
}

void TMux::Reconnect() {
    if (link_) {
        link_->Reconnect();
    }
}

// --- slot level

TSlotType TMux::GetSlotType(int slot) const {
    if (slot == kCpuSlot) {
        return TSlotType{btCPU, 0, 0};
    }
    CheckSlot(slot);
    const auto s = static_cast<std::size_t>(slot);
    return TSlotType{Low(image_[image::kSlotTypes + s]), image_[image::kParam1 + s],
                     image_[image::kParam2 + s]};
}

void TMux::StoreSlotType(int slot, const TSlotType& record) {
    CheckSlot(slot);
    if (GetSlotType(slot) == record) {
        return;
    }
    const auto s = static_cast<std::size_t>(slot);
    image_[image::kSlotTypes + s] = record.Type;
    image_[image::kParam1 + s] = record.Param1;
    image_[image::kParam2 + s] = record.Param2;
    SetModified(true);
}

TBoardConfig TMux::DefaultBoardConfig(std::uint8_t type) {
    TBoardConfig block{};
    switch (type) {
        case bt4V24:
            block[1] = 15;
            break;
        case bt4E1:
        case bt4ToP:
            block[0] = 0x3210;
            break;
        case bt2VS:
            block[0] = 128;
            block[1] = 128;
            block[2] = 10;
            break;
        case bt4I15:
            block[0] = 0x4444;
            block[3] = 0x2222;
            break;
        case bt4C64:
            block[0] = 0x4444;
            break;
        case bt4DSL:
        case bt4DSLv2:
            block[0] = 0x3210;
            block[5] = block[6] = block[7] = block[8] = 0x2020;
            break;
        case btDP:
            block = {1, 4668, 2615, 300, 100, 0x5050, 0, 0, 0};
            break;
        default:
            break;
    }
    return block;
}

void TMux::SetSlotType(int slot, const TSlotType& record) {
    const TSlotType old = GetSlotType(slot);
    CheckSlot(slot);
    if (record.Type != old.Type) {
        SetBoardConfig(slot, DefaultBoardConfig(record.Type));
        TSlotSignalling signalling{};
        for (int channel = 0; channel < kChannelsPerSlot; ++channel) {
            Unlink(slot, channel);
            signalling[static_cast<std::size_t>(channel)] = kSignallingDefault;
        }
        SetSlotSignalling(slot, signalling);
    }
    StoreSlotType(slot, record);
    if (!(record == old)) {
        SendSlotType(slot);
    }
}

std::uint8_t TMux::SlotBoardType(int slot) const {
    if (slot == kCpuSlot) {
        return btCPU;
    }
    if (slot < 0 || slot > kCpuSlot) {
        return 0;
    }
    return GetSlotType(slot).Type;
}

int TMux::SlotChannels(int slot) const {
    if (slot < 0 || slot >= kSlotCount) {
        return 0;
    }
    return TypeChannels(SlotBoardType(slot));
}

TBoardConfig TMux::GetBoardConfig(int slot) const {
    CheckSlot(slot);
    TBoardConfig block{};
    for (int k = 0; k < kBlockWords; ++k) {
        block[static_cast<std::size_t>(k)] = image_[image::BlockWord(slot, k)];
    }
    return block;
}

void TMux::StoreBoardConfig(int slot, const TBoardConfig& block) {
    if (GetBoardConfig(slot) == block) {
        return;
    }
    for (int k = 0; k < kBlockWords; ++k) {
        image_[image::BlockWord(slot, k)] = block[static_cast<std::size_t>(k)];
    }
    SetModified(true);
}

void TMux::SetBoardConfig(int slot, const TBoardConfig& block) {
    const bool changed = GetBoardConfig(slot) != block;
    StoreBoardConfig(slot, block);
    if (changed) {
        SendBoardConfig(slot);
    }
}

TSlotSignalling TMux::GetSlotSignalling(int slot) const {
    CheckSlot(slot);
    TSlotSignalling entries{};
    for (int channel = 0; channel < kChannelsPerSlot; ++channel) {
        entries[static_cast<std::size_t>(channel)] =
            GetSignalling(MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel)));
    }
    return entries;
}

void TMux::SetSlotSignalling(int slot, const TSlotSignalling& entries) {
    const TSlotSignalling old = GetSlotSignalling(slot);
    for (int channel = 0; channel < kChannelsPerSlot; ++channel) {
        StoreSignalling(MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel)),
                        entries[static_cast<std::size_t>(channel)]);
    }
    for (int channel = 0; channel < kChannelsPerSlot; ++channel) {
        const auto c = static_cast<std::size_t>(channel);
        if (old[c] != entries[c]) {
            SendEndpoint(MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel)));
        }
    }
}

TMuxSettings TMux::GetMuxSettings() const {
    TMuxSettings record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = image_[image::kMuxSettings + i];
    }
    return record;
}

void TMux::StoreMuxSettings(const TMuxSettings& record) {
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (image_[image::kMuxSettings + i] != record[i]) {
            image_[image::kMuxSettings + i] = record[i];
            SetModified(true);
        }
    }
}

void TMux::SetMuxSettings(const TMuxSettings& record) {
    const bool changed = GetMuxSettings() != record;
    StoreMuxSettings(record);
    if (changed) {
        SendMuxSettings();
    }
}

// --- endpoint level

std::uint16_t TMux::GetLink(std::uint16_t endpoint) const {
    CheckEndpoint(endpoint);
    return Word(image::kLinks + endpoint);
}

void TMux::StoreLink(std::uint16_t endpoint, std::uint16_t value) {
    CheckEndpoint(endpoint);
    StoreImageWord(image::kLinks + endpoint, value);
}

void TMux::SetLink(std::uint16_t endpoint, std::uint16_t value) {
    const std::uint16_t old = GetLink(endpoint);
    StoreLink(endpoint, value);
    if (old != value) {
        SendEndpoint(endpoint);
    }
}

std::uint16_t TMux::GetSignalling(std::uint16_t endpoint) const {
    CheckEndpoint(endpoint);
    return Word(image::kSignalling + endpoint);
}

void TMux::StoreSignalling(std::uint16_t endpoint, std::uint16_t value) {
    CheckEndpoint(endpoint);
    StoreImageWord(image::kSignalling + endpoint, value);
}

std::uint8_t TMux::EndpointBoardType(std::uint16_t endpoint) const {
    return IsEndpoint(endpoint) ? SlotBoardType(EndpointSlot(endpoint)) : 0;
}

std::string TMux::EndpointName(std::uint16_t endpoint, TEndpointNaming naming) const {
    if (!IsEndpoint(endpoint)) {
        return {};
    }
    const int slot = EndpointSlot(endpoint);
    const std::uint8_t type = SlotBoardType(slot);
    const std::string name = BoardTypeName(type);
    // The connection list names the stream of the 4E1 only; the cross-connect field and link names do
    // it for every board with streams.
    const bool streams =
        naming == TEndpointNaming::ConnectionList ? type == bt4E1 : HasStreamEndpointNames(type);
    if (streams) {
        // The timeslot follows "порт"; the stream stands in parentheses.
        return Format("слот %d (%s), порт %d (%d)", slot, name.c_str(), endpoint & 31, (endpoint >> 5) & 3);
    }
    return Format("слот %d (%s), порт %d", slot, name.c_str(), endpoint & 127);
}

std::string TMux::LinkName(std::uint16_t endpoint) const {
    if (!IsEndpoint(endpoint)) {
        return {};  // a query answers neutrally; only storing and getting links refuse
    }
    const std::uint16_t link = GetLink(endpoint);
    if (link == kEndpointGenerator) {
        return "генератор";
    }
    return IsEndpoint(link) ? EndpointName(link) : std::string();
}

// --- device status

void TMux::SetLinkUp(bool up) {
    if (up == linkUp_) {
        return;
    }
    linkUp_ = up;
    if (!up) {
        SetSlotStatus(TSlotStatusWords{});
    }
    Post(kNotifyLinkState, up ? 1 : 0);
}

void TMux::SetSlotStatus(const TSlotStatusWords& words) {
    slotStatus_ = words;
    Post(kNotifySlotStatus, kAllSlots);
}

std::uint32_t TMux::SlotStatus(int slot) const {
    if (slot < 0 || slot >= kSlotCount) {
        slot = 0;
    }
    return slotStatus_[static_cast<std::size_t>(slot)];
}

void TMux::SetCpuStatus(const TCpuStatus& block) {
    cpuStatus_ = block;
    Post(kNotifyInformation, kInfoCpu);
}

void TMux::SelectInfo(int slot, int unit, bool enabled) {
    selection_.Slot = static_cast<std::uint8_t>(slot);
    selection_.Unit = static_cast<std::uint8_t>(unit);
    selection_.Type = enabled ? GetSlotType(slot).Type : 0;
    selection_.Enabled = enabled;
}

const TUnitInfo& TMux::UnitInfo(int slot, int unit) const {
    if (slot < 0 || slot >= kSlotCount || unit < 0 || unit >= kUnitCount) {
        throw ERangeError("slot or unit out of range");
    }
    if (!unitInfo_) {
        static const TUnitInfo kNothingReported{};
        return kNothingReported;
    }
    return (*unitInfo_)[static_cast<std::size_t>(slot * kUnitCount + unit)];
}

TUnitInfo& TMux::MutableUnitInfo(int slot, int unit) {
    if (!unitInfo_) {  // made when a device first reports: a model for a file never needs it
        unitInfo_ = std::make_unique<std::array<TUnitInfo, kSlotCount * kUnitCount>>();
    }
    return const_cast<TUnitInfo&>(UnitInfo(slot, unit));
}

void TMux::PostInformation(int slot, int unit, std::uintptr_t code) const {
    if (selection_.Enabled && selection_.Slot == slot && selection_.Unit == unit) {
        Post(kNotifyInformation, code);
    }
}

void TMux::SetC1IState(int slot, int unit, const TC1IState& state) {
    MutableUnitInfo(slot, unit).C1I = state;
    PostInformation(slot, unit, kInfoState);
}

void TMux::SetDslLine(int slot, int unit, const TDslLine& line) {
    MutableUnitInfo(slot, unit).Dsl = line;
    PostInformation(slot, unit, kInfoLine);
}

void TMux::SetCasReceived(int slot, int unit, const TCasSnapshot& snapshot) {
    MutableUnitInfo(slot, unit).CasReceived = snapshot;
    PostInformation(slot, unit, kInfoCasReceived);
}

void TMux::SetCasTransmitted(int slot, int unit, const TCasSnapshot& snapshot) {
    MutableUnitInfo(slot, unit).CasTransmitted = snapshot;
    PostInformation(slot, unit, kInfoCasTransmitted);
}

void TMux::SetCasReceived15(int slot, int unit, const TCasSnapshot& snapshot) {
    MutableUnitInfo(slot, unit).CasReceived15 = snapshot;
    PostInformation(slot, unit, kInfoCasReceived);
}

void TMux::SetCasTransmitted15(int slot, int unit, const TCasSnapshot& snapshot) {
    MutableUnitInfo(slot, unit).CasTransmitted15 = snapshot;
    PostInformation(slot, unit, kInfoCasTransmitted);
}

void TMux::SetDpState(int slot, int unit, const TDpState& state) {
    MutableUnitInfo(slot, unit).Dp = state;
    PostInformation(slot, unit, kInfoLine);
}

}  // namespace tervis
