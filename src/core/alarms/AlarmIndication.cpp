#include "core/alarms/AlarmIndication.h"

#include <array>
#include <cstdlib>

#include "core/model/BoardTypes.h"

namespace tervis {

namespace {

// In priority order, highest first.
constexpr std::array<TAlarmKind, 10> kKinds = {{
    {0x800, "no_link", "Нет связи с мультиплексором!"},
    {0x100, "hardware_error", "Аппаратная ошибка (код %d)!"},
    {0x080, "board_missing", "Отсутствует плата (слот %d)!"},
    {0x040, "stream_loss", "Потеря потока (слот %d)!"},
    {0x020, "frame_sync_loss", "Потеря цикловой синхронизации (слот %d)!"},
    {0x010, "multiframe_sync_loss", "Потеря сверхцикловой синхронизации (слот %d)!"},
    {0x008, "remote_frame_sync_loss", "Удаленная потеря цикловой синхронизации (слот %d)!"},
    {0x004, "remote_multiframe_sync_loss", "Удаленная потеря сверхцикловой сихронизации (слот %d)!"},
    {0x002, "error_rate_1e3", "Превышен порог ошибок 10Е-3 (слот %d)!"},
    {0x001, "error_rate_1e6", "Превышен порог ошибок 10Е-6 (слот %d)!"},
}};

}  // namespace

std::span<const TAlarmKind> AlarmKinds() {
    return kKinds;
}

std::uint16_t ReduceAlarmWord(std::uint16_t word) {
    for (const TAlarmKind& kind : kKinds) {
        if ((word & kind.Bit) != 0) {
            return static_cast<std::uint16_t>((word & 0xF000) | kind.Bit);
        }
    }
    return word;
}

std::string AlarmText(std::uint16_t reduced) {
    for (const TAlarmKind& kind : kKinds) {
        if ((reduced & kind.Bit) != 0) {
            return kind.Bit == kAlarmNoLink ? std::string(kind.Text) : Format(kind.Text, reduced >> 12);
        }
    }
    return Format("Неизвестная ошибка (%d)!", reduced);
}

bool TAlarmIndicator::Show(std::uint16_t word) {
    if (word == 0) {
        const bool had = current_ != 0;
        Clear();
        return had;
    }
    const std::uint16_t reduced = ReduceAlarmWord(word);
    if (reduced == current_) {
        return false;  // keeps its phase: an acknowledged alarm stays acknowledged
    }
    current_ = reduced;
    phase_ = 0;
    text_ = AlarmText(reduced);
    return true;
}

void TAlarmIndicator::Clear() {
    current_ = 0;
    phase_ = 0;
    text_.clear();
}

void TAlarmIndicator::Acknowledge() {
    if (current_ != 0 && std::abs(phase_) >= kBlinkStart) {
        phase_ = -phase_;  // a second click on an acknowledged alarm makes it blink again
    }
}

TAlarmIndicator::TTick TAlarmIndicator::Tick() {
    TTick tick;
    if (current_ == 0 || phase_ < 0) {
        return tick;
    }
    phase_ = phase_ >= kPhaseWrap ? kBlinkStart : phase_ + 1;
    if (phase_ < kBlinkStart) {
        return tick;
    }
    tick.PlaySound = phase_ == kBlinkStart;
    tick.Beep = (phase_ & 8) != 0;
    return tick;
}

TAlarmIndicator::TLook TAlarmIndicator::Look() const {
    if (current_ == 0) {
        return TLook::Hidden;
    }
    if (phase_ < 0) {
        return TLook::Acknowledged;
    }
    return phase_ < kBlinkStart ? TLook::Steady : TLook::Blink;
}

}  // namespace tervis
