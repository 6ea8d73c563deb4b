#pragma once

// The cross-connect editor without its window: which groups of which boards are shown where, what every
// channel button says and whether it may be pressed, what a click does to the model, and which buttons
// light up for the one under the pointer. The window draws these views and forwards clicks, keys and
// hover; every change goes through the model's link operations, so immediate transmission sends it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Mux.h"

namespace tervis {

enum class TEditMode : std::uint8_t {
    Idle = 0,
    TwoWayPending = 1,
    OneWayPending = 2,
    GeneratorPending = 3,
    MeasurerPending = 4,
    GroupSelection = 5,
};

enum class TButtonColour : std::uint8_t { Black, Highlight, Green, Purple };

// How one button is drawn. Captions break lines with "\n".
struct TButtonView {
    bool Visible = false;
    bool Enabled = false;
    bool Down = false;
    std::string Caption;
    std::string Hint;
    TButtonColour Colour = TButtonColour::Black;
    bool operator==(const TButtonView&) const = default;
};

// The button under the pointer, as the window knows it.
struct THoverTarget {
    enum class TKind : std::uint8_t { None, Trunk, Port, Generator, Measurer };
    TKind Kind = TKind::None;
    int RowOrSlot = 0;    // trunk row, or the port's slot
    int TagOrColumn = 0;  // tag within the trunk row, or the port column
    bool operator==(const THoverTarget&) const = default;
};

class TJackField {
public:
    static constexpr int kTrunkRows = 6;
    static constexpr int kTrunkButtons = 32;
    static constexpr int kPortColumnsShown = 4;
    static constexpr int kMaxTrunkEntries = 64;

    // Builds the trunk list and the port columns from the slot types; starts idle.
    explicit TJackField(TMux& mux);

    TMux& Model() const { return mux_; }
    TEditMode Mode() const { return mode_; }
    std::uint16_t FirstEnd() const { return firstEnd_; }
    bool CtrlHeld() const { return ctrl_; }
    int GroupCount() const { return groupCount_; }

    // --- trunk area: six rows of 32 buttons over the 32-channel groups of the stream boards
    int TrunkCount() const { return static_cast<int>(trunk_.size()); }
    std::uint16_t TrunkEntry(int index) const { return trunk_[static_cast<std::size_t>(index)]; }
    int TrunkOffset() const { return trunkOffset_; }
    bool TrunkUpEnabled() const { return trunkOffset_ > 0; }
    bool TrunkDownEnabled() const { return TrunkCount() - trunkOffset_ > kTrunkRows; }
    void TrunkUp();
    void TrunkDown();
    bool TrunkRowVisible(int row) const { return trunkOffset_ + row < TrunkCount(); }
    std::string TrunkRowLabel(int row) const;
    TButtonView TrunkButton(int row, int tag) const;

    // --- port area: one row per slot, four port columns at a time
    int PortOffset() const { return portOffset_; }
    int PortColumns() const { return portColumns_; }
    bool PortUpEnabled() const { return portOffset_ > 0; }
    bool PortDownEnabled() const { return portColumns_ - portOffset_ > kPortColumnsShown; }
    void PortUp();
    void PortDown();
    bool PortRowVisible(int slot) const;
    std::string PortRowLabel(int slot) const;
    TButtonView PortButton(int slot, int column) const;

    // --- CPU box
    TButtonView GeneratorButton() const;
    TButtonView MeasurerButton() const;
    bool ApplyEnabled() const { return mode_ == TEditMode::GroupSelection && groupCount_ > 0; }

    // --- operator actions; each one leaves the highlight set recomputed for the current hover target
    void ClickTrunk(int row, int tag);
    void ClickPort(int slot, int column);
    void ClickGenerator();
    void ClickMeasurer();
    void Apply();
    void Escape();
    void SetCtrl(bool held);
    // Returns whether anything is drawn differently now.
    bool SetHover(const THoverTarget& target);
    // Marks the button under the pointer and its partners again, for a model changed from elsewhere.
    void RecomputeHighlight();
    const THoverTarget& Hover() const { return hover_; }

    // --- texts shared with the window and the tests
    std::string PartnerNotation(std::uint16_t value) const;
    static std::string TrunkLabel(std::uint8_t type, int slot, int k);
    // The measured level in dB from the CPU status block; none when the block cannot hold it.
    static std::optional<double> MeasuredLevel(const TCpuStatus& block);

    // Whether a free channel may be chosen in the current mode.
    bool MayBeChosen(std::uint16_t endpoint) const;

private:
    // Marks a channel and its partner (and the partner's group), or a group button's partners.
    void HighlightChannel(std::uint16_t endpoint);
    void HighlightGroup(int slot, int index);
    // A setting of the block of a slot holding a board of the given type, read through its field table
    // by the control that edits it; 0 when the table has no such field.
    unsigned Setting(int slot, std::uint8_t type, std::string_view control, int set = 0) const;

    std::uint16_t MeasurerEndpoint() const;
    TButtonView ChannelView(std::uint16_t endpoint) const;
    TButtonView GroupView(int slot, int index) const;
    bool GroupBusy(int slot, int index) const;
    void ClickChannel(std::uint16_t endpoint);
    void ClickGroup(int slot, int index);
    void ToggleInGroup(std::uint16_t endpoint);
    void ToIdle();
    void MeasurerToGenerator();
    void MarkPartnerGroups(std::uint16_t endpoint);
    TButtonColour ChannelColour(std::uint16_t endpoint) const;
    std::string AdpcmHint(std::uint16_t endpoint) const;

    TMux& mux_;
    std::vector<std::uint16_t> trunk_;
    int trunkOffset_ = 0;
    int portOffset_ = 0;
    int portColumns_ = 0;
    TEditMode mode_ = TEditMode::Idle;
    std::uint16_t firstEnd_ = 0;
    int groupCount_ = 0;
    std::array<std::uint16_t, kChannelsPerSlot> groupList_{};  // chosen endpoints by channel, none = 0xFFFF
    int groupBase_ = -1;
    bool ctrl_ = false;
    THoverTarget hover_;
    std::array<bool, kEndpointCount> highlight_{};
    std::array<std::uint16_t, kSlotCount> groupHighlight_{};  // per slot: bit p for 2VS port / LAN group p
    bool generatorHighlighted_ = false;
    bool measurerHighlighted_ = false;
};

}  // namespace tervis
