#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tervis {

constexpr std::uint16_t kAlarmNoLink = 0x800;

// One alarm the panel knows: its bit in the alarm word, a stable ASCII name for other programs (metric
// labels), and the panel's text with %d for the slot or error code.
struct TAlarmKind {
    std::uint16_t Bit;
    const char* Name;
    const char* Text;
};
// Every alarm the panel knows, highest priority first.
std::span<const TAlarmKind> AlarmKinds();

// The word reduced to its single most severe alarm bit, with the slot (or error code) of bits 12..15.
// A word without any known bit stays as it is.
std::uint16_t ReduceAlarmWord(std::uint16_t word);
// The alarm panel's text of a reduced word.
std::string AlarmText(std::uint16_t reduced);

// The alarm panel's state: steady and silent for 4 s, then blinking and sounding until acknowledged.
class TAlarmIndicator {
public:
    enum class TLook { Hidden, Steady, Blink, Acknowledged };

    // Alarm notification: a positive word shows it, 0 clears. Returns true when the panel changed.
    bool Show(std::uint16_t word);
    void Clear();
    // The panel's click; only a blinking alarm can be acknowledged.
    void Acknowledge();
    // Every 50 ms. playSound is set on the ticks the alarm sound starts, beep on the red-panel ticks.
    struct TTick {
        bool PlaySound = false;
        bool Beep = false;
    };
    TTick Tick();

    std::uint16_t Current() const { return current_; }
    int Phase() const { return phase_; }
    const std::string& Text() const { return text_; }
    TLook Look() const;
    // During a blink, whether the panel is red this tick (text in the panel colour).
    bool RedPanel() const { return current_ != 0 && phase_ >= kBlinkStart && (phase_ & 8) != 0; }

    static constexpr int kBlinkStart = 80;  // 80 ticks: 4 s of steady display
    static constexpr int kPhaseWrap = 160;

private:
    std::uint16_t current_ = 0;
    int phase_ = 0;
    std::string text_;
};

}  // namespace tervis
