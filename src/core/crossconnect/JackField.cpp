#include "core/crossconnect/JackField.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/base/Bytes.h"
#include "core/base/Format.h"
#include "core/boards/BlockFields.h"
#include "core/link/StatusDecoding.h"

namespace tervis {

// One-character texts are assigned as std::string objects ("-"s): GCC 12 at -O3 warns falsely (-Wrestrict,
// a known false positive) inside std::string's assignment from a character pointer.
using namespace std::string_literals;

namespace {

constexpr int kLanGroups = 16;
constexpr int kLanTimeslots = 32;
constexpr int kPortChannels = 32;  // 2VS: port p owns channels 32p..32p+31
constexpr int k2VSPorts = 2;
constexpr std::uint16_t kNoMeasurerByte = 255;

std::uint16_t Endpoint(int slot, int channel) {
    return MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel));
}

// Types whose rows in the port area are hidden: they are shown in the trunk area, or have no channels.
bool HiddenInPortArea(std::uint8_t type) {
    switch (type) {
        case btNone:
        case bt1E1:
        case bt4E1:
        case bt4I15:
        case btADPCM:
        case btLAN:
        case bt4ToP:
        case bt1DSL:
        case bt4DSL:
        case btTLM:
        case btDP:
        case 28:
        case bt4DSLv2:
        case bt4DSLAlt:
            return true;
        default:
            return false;
    }
}

// How many 32-channel groups of a board go into the trunk list.
int TrunkGroups(std::uint8_t type) {
    switch (type) {
        case bt1E1:
        case btLAN:
        case bt1DSL:
        case 28:
            return 1;
        case bt4E1:
        case bt4ToP:
        case bt4DSL:
        case bt4DSLv2:
        case bt4DSLAlt:
            return 4;
        case bt4I15:
            return 2;
        case btADPCM:
            return 3;
        default:
            return 0;
    }
}

// The DSL rule: the nibble of W2 that belongs to a 64-channel stream tells which timeslots carry
// the stream's own signalling.
bool DslChannelFree(unsigned nibble, int u) {
    switch (nibble) {
        case 1:
            return u != 16;
        case 2:
            return u != 16 && u != 48;
        default:
            return true;
    }
}

int SlotBelow(int slot) {
    return (slot + kSlotCount - 1) % kSlotCount;
}

}  // namespace

TJackField::TJackField(TMux& mux) : mux_(mux) {
    groupList_.fill(kEndpointNone);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint8_t type = mux_.SlotBoardType(slot);
        const int groups = TrunkGroups(type);
        for (int k = 0; k < groups && TrunkCount() < kMaxTrunkEntries; ++k) {
            trunk_.push_back(Endpoint(slot, k * 32));
        }
        if (type == bt2VS) {
            portColumns_ = std::max(portColumns_, k2VSPorts);
        } else if (groups == 0) {
            portColumns_ = std::max(portColumns_, TMux::TypeChannels(type));
        }
    }
    RecomputeHighlight();
}

// --- scrolling

void TJackField::TrunkUp() {
    trunkOffset_ = std::max(0, trunkOffset_ - 1);
    RecomputeHighlight();
}

void TJackField::TrunkDown() {
    trunkOffset_ = std::max(0, std::min(trunkOffset_ + 1, TrunkCount() - kTrunkRows));
    RecomputeHighlight();
}

void TJackField::PortUp() {
    portOffset_ = std::max(0, portOffset_ - kPortColumnsShown);
    RecomputeHighlight();
}

void TJackField::PortDown() {
    // The offset stays a multiple of four, so the last page may show fewer than four ports.
    if (PortDownEnabled()) {
        portOffset_ += kPortColumnsShown;
    }
    RecomputeHighlight();
}

// --- labels

std::string TJackField::TrunkLabel(std::uint8_t type, int slot, int k) {
    switch (type) {
        case bt1E1:
            return Format("%d\n1E1", slot);
        case bt4E1:
            return Format("%d, %d\n4E1", slot, k);
        case bt4ToP:
            return Format("%d, %d\n4ToP", slot, k);
        case bt4I15:
            return k == 0 ? Format("%d, 0 и 1\n4I15", slot) : Format("%d, 2 и 3\n4I15", slot);
        case btADPCM:
            return Format(k == 0 ? "%d, 0\nАДИКМ" : k == 1 ? "%d, 1\nАДИКМ" : "%d, +\nАДИКМ", slot);
        case btLAN:
            return Format("%d\nLAN", slot);
        case bt1DSL:
            return Format("%d\n1DSL", slot);
        case bt4DSL:
        case bt4DSLv2:
            return Format("%d, %d\n4DSL", slot, k / 2);
        case bt4DSLAlt:
            return Format("%d, %d\n4DSL", SlotBelow(slot), (k + 4) / 2);
        case 28:
            return Format("%d\nVoIP", slot);
        default:
            return Format("%d\n???", slot);
    }
}

std::string TJackField::TrunkRowLabel(int row) const {
    if (!TrunkRowVisible(row)) {
        return {};
    }
    const std::uint16_t entry = TrunkEntry(trunkOffset_ + row);
    const int slot = EndpointSlotOf(entry);
    return TrunkLabel(mux_.SlotBoardType(slot), slot, EndpointChannelOf(entry) / 32);
}

bool TJackField::PortRowVisible(int slot) const {
    return !HiddenInPortArea(mux_.SlotBoardType(slot));
}

std::string TJackField::PortRowLabel(int slot) const {
    return BoardTypeName(mux_.SlotBoardType(slot));
}

std::string TJackField::PartnerNotation(std::uint16_t n) const {
    if (n == kEndpointGenerator) {
        return "G";
    }
    if (n == kEndpointNone) {
        return "xxx";
    }
    if (!IsEndpoint(n)) {
        return Format("?(%d)", n);
    }
    const int slot = EndpointSlotOf(n);
    switch (mux_.SlotBoardType(slot)) {
        case bt4E1:
        case bt4ToP:
            return Format("%d,%d\n%d", slot, (n / 32) % 4, n % 32);
        case bt4I15:
            return Format("%d,%d\n%d", slot, (n / 16) % 4, n % 16);
        case btADPCM:
            switch ((n / 32) % 4) {
                case 0:
                    return Format("%d,0\n%d", slot, n % 32);
                case 1:
                    return Format("%d,1\n%d", slot, n % 32);
                case 2:
                    return Format("%d,+\n%d", slot, n % 32);
                default:
                    return "???";
            }
        case bt4DSL:
        case bt4DSLv2:
            return Format("%d,%d\n%d", slot, (n / 64) % 2, n % 64);
        case bt4DSLAlt:
            return Format("%d,%d\n%d", SlotBelow(slot), Bit(n, 6) ? 3 : 2, n % 64);
        default:
            return Format("%d\n%d", slot, n % 128);
    }
}

// --- enabling

bool TJackField::MayBeChosen(std::uint16_t endpoint) const {
    if (!IsEndpoint(endpoint)) {
        return false;
    }
    const int slot = EndpointSlotOf(endpoint);
    const std::uint8_t type = mux_.SlotBoardType(slot);
    if (type == btNone || IsGroupBoard(type)) {
        return false;
    }
    if ((mode_ == TEditMode::TwoWayPending || mode_ == TEditMode::OneWayPending ||
         mode_ == TEditMode::GroupSelection) &&
        endpoint == firstEnd_) {
        return false;
    }
    const int c = EndpointChannelOf(endpoint);
    const int t = c % 32;
    const auto setting = [&](std::string_view control, int set = 0) {
        return Setting(slot, type, control, set);
    };
    switch (type) {
        case bt1E1:
        case bt4I15:
            return t != 0 && t != 16;
        case bt4E1:
        case bt4ToP: {
            // Timeslots 0 and 16 carry speech only when the stream is told so.
            const int k = (c / 32) % 4;
            return (t != 0 || setting("CBUse0KI%d", k) != 0) && (t != 16 || setting("CBUse16KI%d", k) != 0);
        }
        case btADPCM:
            return !(c >= 64 && t < static_cast<int>(setting("ComboBox1") / 2) && c % 2 == 1);
        case bt8AK:
            // The subscriber remote mode (the mode buttons) with concentration.
            return !(setting("") != 0 && setting("CBConcentrator") != 0);
        case bt1DSL:
            return !(setting("CBConcentrator") != 0 && setting("CBLapdMode") != 0);
        case bt4DSL:
        case bt4DSLv2:
            return DslChannelFree(setting("CBMode%d", c / 64), c % 64);
        case bt4DSLAlt: {
            // The third and fourth lines of the 4DSL in the slot below.
            const int below = SlotBelow(slot);
            const std::uint8_t belowType = mux_.SlotBoardType(below);
            if (belowType != bt4DSL && belowType != bt4DSLv2) {
                return false;
            }
            return DslChannelFree(
                Setting(below, belowType, "CBMode%d", Bit(static_cast<unsigned>(c), 6) ? 3 : 2), c % 64);
        }
        default:
            return true;
    }
}

unsigned TJackField::Setting(int slot, std::uint8_t type, std::string_view control, int set) const {
    const boards::TBlockLayout* layout = boards::FindBlockLayout(type);
    const boards::TBlockField* field = layout != nullptr ? boards::FindField(*layout, control) : nullptr;
    return field != nullptr ? boards::ReadField(mux_.GetBoardConfig(slot), *field, set) : 0;
}

// --- drawing

TButtonColour TJackField::ChannelColour(std::uint16_t endpoint) const {
    if (highlight_[endpoint]) {
        return TButtonColour::Highlight;
    }
    const int slot = EndpointSlotOf(endpoint);
    if (mux_.SlotBoardType(slot) != btADPCM) {
        return TButtonColour::Black;
    }
    // The pairing colours of the ADPCM board: channels compressed together share a colour.
    const unsigned w0 = Setting(slot, btADPCM, "ComboBox1");
    const int c = EndpointChannelOf(endpoint);
    const int t = c % 32;
    if (t >= static_cast<int>(w0 / 2)) {
        const bool green = (c % 2 == 0) == Bit(w0, 2);
        return green ? TButtonColour::Green : TButtonColour::Purple;
    }
    switch (c / 32) {
        case 0:
        case 1:
            return Bit(static_cast<unsigned>(c), 1) ? TButtonColour::Green : TButtonColour::Purple;
        case 2:
            return c % 4 == 0   ? TButtonColour::Purple
                   : c % 4 == 2 ? TButtonColour::Green
                                : TButtonColour::Black;
        default:
            return TButtonColour::Black;
    }
}

std::string TJackField::AdpcmHint(std::uint16_t endpoint) const {
    const int slot = EndpointSlotOf(endpoint);
    const int c = EndpointChannelOf(endpoint);
    if (mux_.SlotBoardType(slot) != btADPCM || c / 32 != 2) {
        return {};
    }
    const int t = c % 32;
    const int half = static_cast<int>(Setting(slot, btADPCM, "ComboBox1") / 2);
    std::vector<int> related;
    if (t >= half) {
        related = {t, 32 + t};
    } else if (t % 2 == 0) {
        related = {t, t + 1, 32 + t, 32 + t + 1};
    }
    std::string hint;
    for (int channel : related) {
        // Channels without a link add nothing rather than empty separators.
        const std::string name = mux_.LinkName(Endpoint(slot, channel));
        if (name.empty()) {
            continue;
        }
        if (!hint.empty()) {
            hint += ";";
        }
        hint += name;
    }
    return hint;
}

TButtonView TJackField::ChannelView(std::uint16_t endpoint) const {
    TButtonView view;
    view.Visible = true;
    const std::uint16_t link = mux_.GetLink(endpoint);
    const bool linked = link != kEndpointNone;
    const int channel = EndpointChannelOf(endpoint);
    if ((mode_ == TEditMode::TwoWayPending || mode_ == TEditMode::OneWayPending) && endpoint == firstEnd_) {
        view.Caption = "->";
    } else if (mode_ == TEditMode::GroupSelection &&
               groupList_[static_cast<std::size_t>(channel)] == endpoint) {
        view.Caption = "+"s;
    } else {
        view.Caption = PartnerNotation(link);
    }
    view.Down = linked && !(ctrl_ && mode_ == TEditMode::Idle);
    view.Enabled = linked || MayBeChosen(endpoint);
    view.Hint = AdpcmHint(endpoint);
    view.Colour = ChannelColour(endpoint);
    return view;
}

bool TJackField::GroupBusy(int slot, int index) const {
    if (mux_.SlotBoardType(slot) == bt2VS) {
        for (int c = index * kPortChannels; c < (index + 1) * kPortChannels; ++c) {
            if (mux_.GetLink(Endpoint(slot, c)) != kEndpointNone) {
                return true;
            }
        }
        return false;
    }
    const int channels = std::min(TMux::TypeChannels(btLAN), kChannelsPerSlot);
    for (int c = 0; c < channels; ++c) {
        if (mux_.GetSignalling(Endpoint(slot, c)) == index) {
            return true;
        }
    }
    return false;
}

TButtonView TJackField::GroupView(int slot, int index) const {
    TButtonView view;
    view.Visible = true;
    const bool first = mode_ == TEditMode::GroupSelection && firstEnd_ == Endpoint(slot, index);
    const bool busy = GroupBusy(slot, index);
    view.Caption = first ? "->" : busy ? "+" : "xxx";
    view.Down = busy;
    view.Enabled = !first;
    if (Bit(groupHighlight_[static_cast<std::size_t>(slot)], index)) {
        view.Colour = TButtonColour::Highlight;
    }
    return view;
}

TButtonView TJackField::TrunkButton(int row, int tag) const {
    if (!TrunkRowVisible(row) || tag < 0 || tag >= kTrunkButtons) {
        return {};
    }
    const std::uint16_t entry = TrunkEntry(trunkOffset_ + row);
    const int slot = EndpointSlotOf(entry);
    if (mux_.SlotBoardType(slot) == btLAN) {
        if (tag < kLanGroups) {
            return GroupView(slot, tag);
        }
        TButtonView unused;
        unused.Visible = true;
        unused.Caption = "xxx";
        return unused;
    }
    return ChannelView(static_cast<std::uint16_t>(entry + tag));
}

TButtonView TJackField::PortButton(int slot, int column) const {
    if (slot < 0 || slot >= kSlotCount || column < 0 || column >= kPortColumnsShown ||
        !PortRowVisible(slot)) {
        return {};
    }
    const std::uint8_t type = mux_.SlotBoardType(slot);
    const int port = portOffset_ + column;
    if (type == bt2VS) {
        return port < k2VSPorts ? GroupView(slot, port) : TButtonView{};
    }
    if (port >= TMux::TypeChannels(type)) {
        return {};
    }
    return ChannelView(Endpoint(slot, port));
}

std::uint16_t TJackField::MeasurerEndpoint() const {
    const TMuxSettings settings = mux_.GetMuxSettings();
    return static_cast<std::uint16_t>((settings[7] << 8) | (settings[8] & 0xFF));
}

TButtonView TJackField::GeneratorButton() const {
    TButtonView view;
    view.Visible = true;
    const bool pending = mode_ == TEditMode::GeneratorPending;
    view.Caption = pending ? "->" : "xxx";
    view.Enabled = !pending;
    view.Colour = generatorHighlighted_ ? TButtonColour::Highlight : TButtonColour::Black;
    return view;
}

TButtonView TJackField::MeasurerButton() const {
    TButtonView view;
    view.Visible = true;
    const bool pending = mode_ == TEditMode::MeasurerPending;
    const std::uint16_t endpoint = MeasurerEndpoint();
    view.Caption = pending ? "->" : PartnerNotation(endpoint);
    view.Enabled = !pending;
    view.Down = endpoint != kEndpointNone;
    view.Colour = measurerHighlighted_ ? TButtonColour::Highlight : TButtonColour::Black;
    return view;
}

// --- actions

void TJackField::ToIdle() {
    mode_ = TEditMode::Idle;
    groupList_.fill(kEndpointNone);
    groupCount_ = 0;
    groupBase_ = -1;
}

void TJackField::ClickTrunk(int row, int tag) {
    const TButtonView view = TrunkButton(row, tag);
    if (view.Visible && view.Enabled) {
        const std::uint16_t entry = TrunkEntry(trunkOffset_ + row);
        const int slot = EndpointSlotOf(entry);
        if (mux_.SlotBoardType(slot) == btLAN) {
            ClickGroup(slot, tag);
        } else {
            ClickChannel(static_cast<std::uint16_t>(entry + tag));
        }
    }
    RecomputeHighlight();
}

void TJackField::ClickPort(int slot, int column) {
    const TButtonView view = PortButton(slot, column);
    if (view.Visible && view.Enabled) {
        if (mux_.SlotBoardType(slot) == bt2VS) {
            ClickGroup(slot, portOffset_ + column);
        } else {
            ClickChannel(Endpoint(slot, portOffset_ + column));
        }
    }
    RecomputeHighlight();
}

void TJackField::ClickChannel(std::uint16_t endpoint) {
    const int slot = EndpointSlotOf(endpoint);
    const int channel = EndpointChannelOf(endpoint);
    const std::uint16_t link = mux_.GetLink(endpoint);
    // A linked channel is measured with Ctrl held; a plain click on it breaks its link, as in every mode,
    // and the measurer stays pending.
    if (link == kEndpointNone || ctrl_) {
        const int firstSlot = EndpointSlotOf(firstEnd_);
        const int firstChannel = EndpointChannelOf(firstEnd_);
        switch (mode_) {
            case TEditMode::GroupSelection:
                if (!ctrl_) {
                    ToggleInGroup(endpoint);
                }
                break;
            case TEditMode::Idle:
                firstEnd_ = endpoint;
                mode_ = ctrl_ ? TEditMode::OneWayPending : TEditMode::TwoWayPending;
                break;
            case TEditMode::TwoWayPending:
                // A channel is never linked to itself.
                if (endpoint != firstEnd_) {
                    mux_.LinkBoth(firstSlot, firstChannel, slot, channel);
                    ToIdle();
                }
                break;
            case TEditMode::OneWayPending:
                if (endpoint != firstEnd_) {
                    mux_.LinkOneWay(firstSlot, firstChannel, slot, channel);
                }
                break;
            case TEditMode::GeneratorPending:
                mux_.LinkGenerator(slot, channel);
                ToIdle();
                break;
            case TEditMode::MeasurerPending:
                mux_.ConnectMeasurer(slot, channel);
                ToIdle();
                break;
        }
        return;
    }
    // A linked channel: the click breaks the link at once. A group board's partner loses its whole
    // group first, so the board's group bookkeeping stays consistent.
    if (IsEndpoint(link)) {
        const std::uint8_t partnerType = mux_.EndpointBoardType(link);
        if (partnerType == bt2VS) {
            mux_.ReleasePortOf(link);
        } else if (partnerType == btLAN) {
            mux_.RemoveLanGroupOf(link);
        }
    }
    mux_.Unlink(slot, channel);
}

void TJackField::ToggleInGroup(std::uint16_t endpoint) {
    const std::uint8_t type = mux_.EndpointBoardType(endpoint);
    const int width = GroupSourceWidth(type);
    if (width == 0) {
        return;
    }
    const int base = endpoint & ~(width - 1);
    const auto channel = static_cast<std::size_t>(EndpointChannelOf(endpoint));
    if (groupBase_ >= 0 && base != groupBase_) {
        return;
    }
    if (groupList_[channel] == endpoint) {
        groupList_[channel] = kEndpointNone;
        --groupCount_;
        if (groupCount_ == 0) {
            groupBase_ = -1;  // nothing chosen: the next channel may come from any group
        }
        return;
    }
    if (groupCount_ >= mux_.GroupCapacity(EndpointSlotOf(firstEnd_))) {
        return;
    }
    groupList_[channel] = endpoint;
    ++groupCount_;
    groupBase_ = base;
}

void TJackField::ClickGroup(int slot, int index) {
    if (GroupBusy(slot, index)) {
        if (mux_.SlotBoardType(slot) == bt2VS) {
            mux_.ReleasePort(slot, index);
        } else {
            mux_.RemoveLanGroup(slot, index);
        }
        return;
    }
    if (mode_ != TEditMode::Idle) {
        return;
    }
    ToIdle();
    mode_ = TEditMode::GroupSelection;
    firstEnd_ = Endpoint(slot, index);
}

// The second click of a measurer-and-generator pair, whichever came first.
void TJackField::MeasurerToGenerator() {
    mux_.MeasurerToGenerator();
    ToIdle();
}

void TJackField::ClickGenerator() {
    switch (mode_) {
        case TEditMode::Idle:
            mode_ = TEditMode::GeneratorPending;
            firstEnd_ = 0;
            break;
        case TEditMode::TwoWayPending:
            mux_.LinkGenerator(EndpointSlotOf(firstEnd_), EndpointChannelOf(firstEnd_));
            ToIdle();
            break;
        case TEditMode::MeasurerPending:
            MeasurerToGenerator();
            break;
        default:
            break;
    }
    RecomputeHighlight();
}

void TJackField::ClickMeasurer() {
    const TMuxSettings settings = mux_.GetMuxSettings();
    if (settings[7] != kNoMeasurerByte || settings[8] != kNoMeasurerByte) {
        mux_.DisconnectMeasurer();
    } else {
        switch (mode_) {
            case TEditMode::Idle:
                mode_ = TEditMode::MeasurerPending;
                break;
            case TEditMode::TwoWayPending:
            case TEditMode::OneWayPending:
                // A one-way feed goes on feeding after the measurer is connected to its source.
                mux_.ConnectMeasurer(EndpointSlotOf(firstEnd_), EndpointChannelOf(firstEnd_));
                if (mode_ == TEditMode::TwoWayPending) {
                    ToIdle();
                }
                break;
            case TEditMode::GeneratorPending:
                MeasurerToGenerator();
                break;
            default:
                break;
        }
    }
    RecomputeHighlight();
}

void TJackField::Apply() {
    if (!ApplyEnabled()) {
        return;
    }
    const int slot = EndpointSlotOf(firstEnd_);
    const int index = EndpointChannelOf(firstEnd_);
    const std::vector<std::uint16_t> list(groupList_.begin(), groupList_.end());
    if (mux_.SlotBoardType(slot) == bt2VS) {
        mux_.AssignPortTimeslots(slot, index, list);
    } else if (mux_.SlotBoardType(slot) == btLAN) {
        mux_.InsertLanGroup(slot, index, list);
    }
    ToIdle();
    RecomputeHighlight();
}

void TJackField::Escape() {
    if (mode_ != TEditMode::Idle) {
        ToIdle();
    }
    RecomputeHighlight();
}

void TJackField::SetCtrl(bool held) {
    ctrl_ = held;
    RecomputeHighlight();
}

bool TJackField::SetHover(const THoverTarget& target) {
    if (target == hover_) {
        return false;
    }
    const auto highlight = highlight_;
    const auto groups = groupHighlight_;
    const bool generator = generatorHighlighted_;
    const bool measurer = measurerHighlighted_;
    hover_ = target;
    RecomputeHighlight();
    return highlight != highlight_ || groups != groupHighlight_ || generator != generatorHighlighted_ ||
           measurer != measurerHighlighted_;
}

// --- highlighting

void TJackField::MarkPartnerGroups(std::uint16_t endpoint) {
    if (!IsEndpoint(endpoint)) {
        return;
    }
    const int slot = EndpointSlotOf(endpoint);
    const std::uint8_t type = mux_.SlotBoardType(slot);
    if (type == btLAN) {
        const std::uint16_t group = mux_.GetSignalling(endpoint);
        if (group >= kLanGroups) {
            return;
        }
        groupHighlight_[static_cast<std::size_t>(slot)] |= static_cast<std::uint16_t>(1U << group);
        for (int c = 0; c < kLanTimeslots; ++c) {
            const std::uint16_t member = Endpoint(slot, c);
            if (mux_.GetSignalling(member) == group) {
                const std::uint16_t partner = mux_.GetLink(member);
                if (IsEndpoint(partner)) {
                    highlight_[partner] = true;
                }
            }
        }
    } else if (type == bt2VS) {
        const int port = (endpoint >> 5) & 1;
        groupHighlight_[static_cast<std::size_t>(slot)] |= static_cast<std::uint16_t>(1U << port);
        for (int c = port * kPortChannels; c < (port + 1) * kPortChannels; ++c) {
            const std::uint16_t partner = mux_.GetLink(Endpoint(slot, c));
            if (IsEndpoint(partner)) {
                highlight_[partner] = true;
            }
        }
    }
}

void TJackField::HighlightChannel(std::uint16_t endpoint) {
    highlight_[endpoint] = true;
    const std::uint16_t partner = mux_.GetLink(endpoint);
    if (partner == kEndpointGenerator) {
        generatorHighlighted_ = true;
    } else if (IsEndpoint(partner)) {
        highlight_[partner] = true;
        MarkPartnerGroups(partner);
    }
}

void TJackField::HighlightGroup(int slot, int index) {
    // A group button stands for its group: mark the partners of all its channels.
    const std::uint16_t member =
        mux_.SlotBoardType(slot) == bt2VS ? Endpoint(slot, index * kPortChannels) : kEndpointNone;
    if (member != kEndpointNone) {
        MarkPartnerGroups(member);
        return;
    }
    for (int c = 0; c < kLanTimeslots; ++c) {
        if (mux_.GetSignalling(Endpoint(slot, c)) == index) {
            MarkPartnerGroups(Endpoint(slot, c));
            return;
        }
    }
    groupHighlight_[static_cast<std::size_t>(slot)] |= static_cast<std::uint16_t>(1U << index);
}

void TJackField::RecomputeHighlight() {
    highlight_.fill(false);
    groupHighlight_.fill(0);
    generatorHighlighted_ = false;
    measurerHighlighted_ = false;
    switch (hover_.Kind) {
        case THoverTarget::TKind::Trunk: {
            if (!TrunkRowVisible(hover_.RowOrSlot) || hover_.TagOrColumn < 0 ||
                hover_.TagOrColumn >= kTrunkButtons) {
                break;
            }
            const std::uint16_t entry = TrunkEntry(trunkOffset_ + hover_.RowOrSlot);
            const int slot = EndpointSlotOf(entry);
            if (mux_.SlotBoardType(slot) == btLAN) {
                if (hover_.TagOrColumn < kLanGroups) {
                    HighlightGroup(slot, hover_.TagOrColumn);
                }
            } else {
                HighlightChannel(static_cast<std::uint16_t>(entry + hover_.TagOrColumn));
            }
            break;
        }
        case THoverTarget::TKind::Port: {
            const TButtonView view = PortButton(hover_.RowOrSlot, hover_.TagOrColumn);
            if (!view.Visible) {
                break;
            }
            const int port = portOffset_ + hover_.TagOrColumn;
            if (mux_.SlotBoardType(hover_.RowOrSlot) == bt2VS) {
                HighlightGroup(hover_.RowOrSlot, port);
            } else {
                HighlightChannel(Endpoint(hover_.RowOrSlot, port));
            }
            break;
        }
        case THoverTarget::TKind::Measurer: {
            measurerHighlighted_ = true;
            const std::uint16_t endpoint = MeasurerEndpoint();
            if (endpoint == kEndpointGenerator) {
                generatorHighlighted_ = true;
            } else if (IsEndpoint(endpoint)) {
                highlight_[endpoint] = true;
            }
            break;
        }
        case THoverTarget::TKind::Generator:
        case THoverTarget::TKind::None:
            break;
    }
}

// --- level

std::optional<double> TJackField::MeasuredLevel(const TCpuStatus& block) {
    const std::optional<TCpuState> state = DecodeCpuStatus(block);
    return state ? std::optional(CpuLevelDb(state->LevelCode)) : std::nullopt;
}

}  // namespace tervis
