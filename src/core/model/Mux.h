#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/BoardTypes.h"
#include "core/model/DeviceLink.h"
#include "core/model/Seams.h"
#include "core/settings/Settings.h"

namespace tervis {

// Word indexes of the configuration image; a ".mux" file offset is twice the index.
namespace image {
constexpr std::size_t kWords = 32767;
constexpr std::size_t kSlotTypes = 0x0000;
constexpr std::size_t kParam1 = 0x0010;
constexpr std::size_t kParam2 = 0x0020;
constexpr std::size_t kBlockLow = 0x0030;     // W0..W4 at 0x0030 + 16k + slot
constexpr std::size_t kLinks = 0x0080;        // 2048 words, index = endpoint
constexpr std::size_t kSignalling = 0x0880;   // 2048 words, index = endpoint
constexpr std::size_t kMuxSettings = 0x1080;  // W0..W9
constexpr std::size_t kBlockHigh = 0x1C00;    // W5..W8 at 0x1C00 + 16(k-5) + slot

// The image word of block word k (W0..W8) of a slot.
constexpr std::size_t BlockWord(int slot, int k) {
    const auto s = static_cast<std::size_t>(slot);
    const auto w = static_cast<std::size_t>(k);
    return k < 5 ? kBlockLow + 16 * w + s : kBlockHigh + 16 * (w - 5) + s;
}
}  // namespace image

using TConfigImage = std::array<std::uint16_t, image::kWords>;

// Board type and the two parameter words of a slot.
struct TSlotType {
    std::uint8_t Type = 0;
    std::uint16_t Param1 = 0;
    std::uint16_t Param2 = 0;
    bool operator==(const TSlotType&) const = default;
};

constexpr int kBlockWords = 9;
constexpr int kMuxSettingsWords = 10;
using TBoardConfig = std::array<std::uint16_t, kBlockWords>;        // W0..W8
using TMuxSettings = std::array<std::uint16_t, kMuxSettingsWords>;  // W0..W9, each 0..255
// The settings record of a new or cleared configuration.
constexpr TMuxSettings kDefaultMuxSettings = {0, 16, 96, 96, 96, 96, 3, 255, 255, 0};
using TSlotSignalling = std::array<std::uint16_t, kChannelsPerSlot>;  // entries of one slot
using TSlotStatusWords = std::array<std::uint32_t, kSlotCount>;
using TCpuStatus = std::array<std::uint8_t, 256>;

constexpr std::uint16_t kSignallingDefault = 0x50;  // abcd 0101, active 0000
constexpr std::uint16_t kLanFreeTimeslot = 80;      // LAN timeslot without a group; >31 counts as free

// Stream alarm flags, in the order the device reports and the log examines them.
constexpr int kStreamAlarmFlags = 7;

// Stream state of one stream (E1, 4И15, 4C64, 1DSL).
struct TStreamState {
    std::array<std::uint8_t, kStreamAlarmFlags> Flags{};  // 0/1: signal, frame, multiframe, remote frame,
                                                          // remote multiframe, >10E-3, >10E-6
    std::uint32_t Period = 0;                             // b, seconds
    std::uint32_t SlipsE = 0;                             // slips of the first kind
    std::uint32_t SlipsF = 0;                             // slips of the second kind
    std::uint32_t SlipsTotal = 0;                         // e + f
    std::uint32_t FrameErrors = 0;                        // q
    double SlipRate = 0;
    double ErrorRate = 0;
    bool operator==(const TStreamState&) const = default;
};

// State of one 4C1И port.
struct TC1IState {
    std::uint8_t SignalLoss = 0;
    std::uint8_t RemoteAlarm = 0;
    std::uint8_t AllOnes = 0;
    std::uint8_t AllZeros = 0;
    std::uint32_t Errors = 0;
    std::uint32_t Period = 0;
    double ErrorRate = 0;
    bool operator==(const TC1IState&) const = default;
};

using TDslLine = std::array<std::uint8_t, 21>;
using TCasSnapshot = std::array<std::uint8_t, 16>;

// State of a remote-power (ДП) output.
struct TDpState {
    std::uint8_t Mode = 0;       // stabilisation mode 0..3
    std::uint8_t LineState = 0;  // 0..15
    std::uint8_t BreakValid = 0;
    std::int32_t Voltage = 0;  // V
    double Current = 0;        // mA
    double Leakage = 0;        // mA
    std::int32_t BreakVoltage = 0;
    bool operator==(const TDpState&) const = default;
};

// Information the device reported for one slot and unit.
struct TUnitInfo {
    TStreamState Stream;
    TC1IState C1I;
    TDslLine Dsl{};
    TCasSnapshot CasReceived{};  // E1 and DSL types
    TCasSnapshot CasTransmitted{};
    TCasSnapshot CasReceived15{};  // 4И15
    TCasSnapshot CasTransmitted15{};
    TDpState Dp;
};

// Notification codes of the information sub-records.
constexpr std::uintptr_t kInfoCpu = 0;
constexpr std::uintptr_t kInfoState = 1;  // stream or 4C1И state
constexpr std::uintptr_t kInfoLine = 2;   // DSL line or ДП state
constexpr std::uintptr_t kInfoCasReceived = 3;
constexpr std::uintptr_t kInfoCasTransmitted = 4;

struct TInfoSelection {
    std::uint8_t Slot = 0;
    std::uint8_t Unit = 0;
    std::uint8_t Type = 0;  // the slot's type while enabled, 0 otherwise
    bool Enabled = false;
};

// The model of one multiplexer: its configuration image (the one source of truth for files, the
// device and the comparison) and the device status it last reported.
class TMux {
public:
    // owner and operatorMessages may be null (the scratch model of the link has neither). The settings
    // belong to whoever creates the model and must outlive it.
    TMux(INotificationSink* owner, IOperatorMessages* operatorMessages, TSettings& settings);
    ~TMux();
    TMux(const TMux&) = delete;
    TMux& operator=(const TMux&) = delete;

    // --- whole configuration
    void Clear();
    bool Modified() const { return modified_; }
    void SetModified(bool modified);
    void Assign(const TMux& source);
    bool SaveToFile(const std::filesystem::path& name);
    bool LoadFromFile(const std::filesystem::path& name);
    // The bytes of a ".mux" file of the image: its 32767 words, little-endian.
    std::string FileBytes() const;
    // Takes the image from the first 65534 bytes of a ".mux" file; with fewer bytes returns false and
    // leaves the model untouched.
    bool LoadFileBytes(std::string_view bytes);
    bool CompareWith(const TMux& other) const;
    // The mismatch lines of the comparison, the program's side (this) on the left.
    std::vector<std::string> MismatchLines(const TMux& other) const;
    const TConfigImage& Image() const { return image_; }
    // One word of the image as given, whatever it means: what a file holds that none of the operations
    // below can say (the byte beside a board type, a word nothing reads). Nothing goes to the device.
    void StoreImageWord(std::size_t index, std::uint16_t value);

    // --- device link and requests
    void SetDeviceLink(std::unique_ptr<TDeviceLink> link);
    TDeviceLink* DeviceLink() const { return link_.get(); }
    void SetAddress(std::vector<std::uint8_t> address);
    const std::vector<std::uint8_t>& Address() const { return address_; }
    TPacket BuildRequest(const std::vector<std::uint8_t>& payload) const;
    TSettings& Settings() const { return settings_; }
    INotificationSink* Owner() const { return owner_; }
    IOperatorMessages* OperatorMessages() const { return operator_; }
    void ReportError(const std::string& text) const {
        if (operator_ != nullptr) {
            operator_->ShowError(text);
        }
    }

    // --- whole-device operations, forwarded to the device link (nothing happens without one)
    bool ReadConfiguration();
    bool LoadConfiguration();
    std::optional<bool> CompareConfiguration();
    bool ClearConfiguration();
    void RestartMultiplexer();
    void ResetCounters(int slot, int port);
    void LineTest(int slot, int port);
    void Trace(int slot, int port);
    // The identifier can only be written to the multiplexer reached directly over RS-232: with a device
    // number set, the operator is told so and nothing is queued.
    bool WriteRs485Id(int identifier);
    void Reconnect();

    // --- slot level
    TSlotType GetSlotType(int slot) const;
    void StoreSlotType(int slot, const TSlotType& record);
    void SetSlotType(int slot, const TSlotType& record);
    std::uint8_t SlotBoardType(int slot) const;
    static int TypeChannels(unsigned type) { return TypeChannelCount(type); }
    int SlotChannels(int slot) const;
    TBoardConfig GetBoardConfig(int slot) const;
    void StoreBoardConfig(int slot, const TBoardConfig& block);
    void SetBoardConfig(int slot, const TBoardConfig& block);
    TSlotSignalling GetSlotSignalling(int slot) const;
    void SetSlotSignalling(int slot, const TSlotSignalling& entries);
    TMuxSettings GetMuxSettings() const;
    void StoreMuxSettings(const TMuxSettings& record);
    void SetMuxSettings(const TMuxSettings& record);
    static TBoardConfig DefaultBoardConfig(std::uint8_t type);

    // --- endpoint level
    std::uint16_t GetLink(std::uint16_t endpoint) const;
    void StoreLink(std::uint16_t endpoint, std::uint16_t value);
    void SetLink(std::uint16_t endpoint, std::uint16_t value);
    std::uint16_t GetSignalling(std::uint16_t endpoint) const;
    void StoreSignalling(std::uint16_t endpoint, std::uint16_t value);
    static std::uint16_t MakeEndpoint(std::uint8_t slot, std::uint8_t channel) {
        return tervis::MakeEndpoint(slot, channel);
    }
    static std::uint8_t EndpointSlot(std::uint16_t endpoint) { return EndpointSlotOf(endpoint); }
    std::uint8_t EndpointBoardType(std::uint16_t endpoint) const;
    enum class TEndpointNaming { Field, ConnectionList };
    std::string EndpointName(std::uint16_t endpoint, TEndpointNaming naming = TEndpointNaming::Field) const;
    std::string LinkName(std::uint16_t endpoint) const;

    // --- connections and groups
    void Unlink(int slot, int channel);
    void LinkBoth(int slotA, int channelA, int slotB, int channelB);
    void LinkOneWay(int slotA, int channelA, int slotB, int channelB);
    void LinkGenerator(int slot, int channel);
    void LinkAll(int slotA, int slotB);
    void LinkAllTo(int slotA, int slotB);
    void CopyBoardConfig(int sourceSlot, int targetSlot);
    void ConnectMeasurer(int slot, int channel);
    void MeasurerToGenerator();
    void DisconnectMeasurer();
    void AssignPortTimeslots(int slot, int port, const std::vector<std::uint16_t>& endpoints);
    void ReleasePort(int slot, int port);
    void ReleasePortOf(std::uint16_t endpoint);
    void InsertLanGroup(int slot, int group, const std::vector<std::uint16_t>& endpoints);
    void RemoveLanGroup(int slot, int group);
    void RemoveLanGroupOf(std::uint16_t endpoint);
    int FreeLanTimeslots(int slot) const;
    int GroupCapacity(int slot) const;

    // --- device status
    bool LinkUp() const { return linkUp_; }
    void SetLinkUp(bool up);
    void SetSlotStatus(const TSlotStatusWords& words);
    const TSlotStatusWords& GetSlotStatus() const { return slotStatus_; }
    std::uint32_t SlotStatus(int slot) const;
    void SetCpuStatus(const TCpuStatus& block);
    const TCpuStatus& CpuStatus() const { return cpuStatus_; }
    void SelectInfo(int slot, int unit, bool enabled);
    const TInfoSelection& InfoSelection() const { return selection_; }

    const TUnitInfo& UnitInfo(int slot, int unit) const;
    const TStreamState& GetStreamState(int slot, int unit) const { return UnitInfo(slot, unit).Stream; }
    void SetStreamState(int slot, int unit, const TStreamState& state);
    const TC1IState& GetC1IState(int slot, int unit) const { return UnitInfo(slot, unit).C1I; }
    void SetC1IState(int slot, int unit, const TC1IState& state);
    const TDslLine& GetDslLine(int slot, int unit) const { return UnitInfo(slot, unit).Dsl; }
    void SetDslLine(int slot, int unit, const TDslLine& line);
    const TCasSnapshot& GetCasReceived(int slot, int unit) const { return UnitInfo(slot, unit).CasReceived; }
    void SetCasReceived(int slot, int unit, const TCasSnapshot& snapshot);
    const TCasSnapshot& GetCasTransmitted(int slot, int unit) const {
        return UnitInfo(slot, unit).CasTransmitted;
    }
    void SetCasTransmitted(int slot, int unit, const TCasSnapshot& snapshot);
    const TCasSnapshot& GetCasReceived15(int slot, int unit) const {
        return UnitInfo(slot, unit).CasReceived15;
    }
    void SetCasReceived15(int slot, int unit, const TCasSnapshot& snapshot);
    const TCasSnapshot& GetCasTransmitted15(int slot, int unit) const {
        return UnitInfo(slot, unit).CasTransmitted15;
    }
    void SetCasTransmitted15(int slot, int unit, const TCasSnapshot& snapshot);
    const TDpState& GetDpState(int slot, int unit) const { return UnitInfo(slot, unit).Dp; }
    void SetDpState(int slot, int unit, const TDpState& state);

    // --- stream alarm log
    // Appends one line to this month's log when "uselog" is on and the text is not empty.
    void LogAlarm(const std::string& text);
    void SetClock(std::shared_ptr<const IClock> clock);
    // Folder of the monthly log files; empty (the default) is the current directory.
    void SetLogDirectory(std::filesystem::path directory) { logDirectory_ = std::move(directory); }
    std::filesystem::path AlarmLogPath() const;

private:
    std::filesystem::path AlarmLogPathAt(const TLocalTime& now) const;
    std::uint16_t& Word(std::size_t index);
    std::uint16_t Word(std::size_t index) const;
    static void CheckSlot(int slot);
    static void CheckEndpoint(std::uint16_t endpoint);
    TUnitInfo& MutableUnitInfo(int slot, int unit);
    void Post(unsigned message, std::uintptr_t parameter) const;
    void PostInformation(int slot, int unit, std::uintptr_t code) const;
    // Queues a write command when immediate transmission is on and a link is attached.
    void Send(const std::vector<std::uint8_t>& payload);
    void SendEndpoint(std::uint16_t endpoint);
    void SendSlotType(int slot);
    void SendBoardConfig(int slot);
    void SendMuxSettings();
    // Clears the entry of the endpoint's partner if that entry points back at the endpoint.
    void FreePartner(std::uint16_t endpoint, std::uint16_t partner);
    void DropBackLink(std::uint16_t endpoint);
    // Moves a LAN timeslot's group entry and link to another timeslot of the slot; a partner that pointed
    // back follows it.
    void MoveLanTimeslot(int slot, int from, int to, TSlotSignalling& entries);
    void LinkAllChannels(int slotA, int slotB, bool oneWay);

    bool modified_ = false;
    INotificationSink* owner_;
    IOperatorMessages* operator_;
    TSettings& settings_;
    TConfigImage image_{};
    std::vector<std::uint8_t> address_;
    bool linkUp_ = false;
    TInfoSelection selection_;
    TSlotStatusWords slotStatus_{};
    TCpuStatus cpuStatus_{};
    std::unique_ptr<std::array<TUnitInfo, kSlotCount * kUnitCount>> unitInfo_;
    std::unique_ptr<TDeviceLink> link_;
    std::shared_ptr<const IClock> clock_;
    std::filesystem::path logDirectory_;
};

}  // namespace tervis
