#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tervis {

// Telnet bytes and the options we speak.
namespace telnet {
constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPortOption = 44;
// Com port commands from the client; the server answers each with the command plus 100.
constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kSetControl = 5;
constexpr std::uint8_t kServerReplyOffset = 100;
constexpr std::uint8_t kParityNone = 1;
constexpr std::uint8_t kStopBitsOne = 1;
constexpr std::uint8_t kControlNoFlow = 1;
}  // namespace telnet

// What the far end would not do for us; the connection is useless for the link then.
enum class TTelnetRefusal {
    None,
    ComPortOption,  // the server refused the com port option: it cannot set the line
    BaudRate,       // it confirmed another speed than the one we asked for
    DataSize,
    Parity,
    StopSize,
};

// The client side of a Telnet connection to a terminal server with the com port option: it offers
// BINARY both ways, SUPPRESS-GO-AHEAD and the com port option, and once the server agrees to the latter
// sets its line to 57600 baud, 8 data bits, no parity, one stop bit and no flow control. Options it does
// not know are refused at once and never hold up the data. IAC is doubled in both directions.
// Pure: bytes in, bytes out; the caller owns the socket. Memory is bounded whatever the peer sends.
class TTelnetClient {
public:
    static constexpr std::uint32_t kBaudRate = 57600;
    static constexpr std::uint8_t kDataSize = 8;
    // A subnegotiation longer than this is ours to drop: the com port answers are a few bytes.
    static constexpr std::size_t kMaxSubnegotiation = 64;

    // Appends the opening offers to out.
    void Start(std::vector<std::uint8_t>& out);

    // Takes bytes from the server: the data bytes (IAC IAC made one 0xFF) are appended to data, the
    // answers the negotiation needs to reply.
    void Receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data,
                 std::vector<std::uint8_t>& reply);

    // Appends data to out with every 0xFF doubled.
    static void EscapeData(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);

    TTelnetRefusal Refusal() const { return refusal_; }
    // The server agreed to the com port option and our line settings went out.
    bool LineSettingsSent() const { return settingsSent_; }
    // The server confirmed all four line settings with the values we asked for.
    bool LineSettingsConfirmed() const { return confirmed_ == kAllConfirmed; }

private:
    // Option states of RFC 1143, without the queue bit: we never change our mind while waiting.
    enum class TOptionState : std::uint8_t { No, Yes, WantYes, WantNo };
    enum class TParse : std::uint8_t { Data, Iac, Option, SbOption, SbData, SbIac };
    static constexpr unsigned kAllConfirmed = 0x0F;

    void OnOption(std::uint8_t command, std::uint8_t option, std::vector<std::uint8_t>& reply);
    void OnSubnegotiation();
    void OnIacCommand(std::uint8_t byte);
    void SendLineSettings(std::vector<std::uint8_t>& reply);
    static bool WeWant(std::uint8_t option);  // options we enable on our side
    static bool HeMay(std::uint8_t option);   // options we let the server enable on its side

    std::array<TOptionState, 256> us_{};   // our side (WILL/WONT)
    std::array<TOptionState, 256> him_{};  // the server's side (DO/DONT)
    TParse parse_ = TParse::Data;
    std::uint8_t command_ = 0;  // WILL/WONT/DO/DONT waiting for its option byte
    std::uint8_t sbOption_ = 0;
    std::vector<std::uint8_t> sb_;
    bool sbOverflow_ = false;
    bool settingsSent_ = false;
    unsigned confirmed_ = 0;  // bit per confirmed setting: baud rate, data size, parity, stop size
    TTelnetRefusal refusal_ = TTelnetRefusal::None;
};

}  // namespace tervis
