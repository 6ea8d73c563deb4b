// Stream alarm flags turned into "[+]"/"[-]" events and the monthly alarm log.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>

#include "core/base/Cp1251.h"
#include "core/base/Errors.h"
#include "core/base/SafeFile.h"
#include "core/model/Mux.h"

namespace tervis {

namespace {

// Event texts without the sign; "10Е" holds the Cyrillic Е.
constexpr std::array<const char*, kStreamAlarmFlags> kFlagTexts = {
    "потеря сигнала (%d, %d)",
    "потеря цикловой синхронизации (%d, %d)",
    "потеря сверхцикловой синхронизации (%d, %d)",
    "удалённая потеря цикловой синхронизации (%d, %d)",
    "удалённая потеря сверхцикловой синхронизации (%d, %d)",
    "ошибок больше 10Е-3 (%d, %d)",
    "ошибок больше 10Е-6 (%d, %d)",
};

// Flags 0..2 are the local losses: a loss that has just appeared explains the others, so the
// examination of that report stops there.
constexpr int kLocalLossFlags = 3;

}  // namespace

TLocalTime TSystemClock::Now() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return TLocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
}

void TMux::SetClock(std::shared_ptr<const IClock> clock) {
    clock_ = std::move(clock);
}

std::filesystem::path TMux::AlarmLogPath() const {
    return AlarmLogPathAt(clock_->Now());
}

// One file per month, named like 03-2026.log; the date of each line picks its file.
std::filesystem::path TMux::AlarmLogPathAt(const TLocalTime& now) const {
    return logDirectory_ / Format("%02d-%04d.log", now.Month, now.Year);
}

void TMux::LogAlarm(const std::string& text) {
    if (!settings_.uselog || text.empty()) {
        return;
    }
    const TLocalTime now = clock_->Now();
    const std::filesystem::path name = AlarmLogPathAt(now);
    const std::string line = Format("%02d.%02d.%02d %02d:%02d:%02d -> ", now.Day, now.Month, now.Year % 100,
                                    now.Hour, now.Minute, now.Second) +
                             text + "\r\n";
    // Opened and closed for every line, so the file can be read, moved or deleted meanwhile.
    errno = 0;
    std::ofstream out(name, std::ios::binary | std::ios::app);
    if (!out) {
        throw EInOutError(IoMessage("Не удалось открыть файл", name, errno));
    }
    const std::string encoded = Utf8ToCp1251(line);
    out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
    out.close();
    if (!out) {
        throw EInOutError("Ошибка записи файла " + name.string());
    }
}

void TMux::SetStreamState(int slot, int unit, const TStreamState& state) {
    TUnitInfo& info = MutableUnitInfo(slot, unit);
    const TStreamState old = info.Stream;
    info.Stream = state;
    PostInformation(slot, unit, kInfoState);

    const auto event = [&](int flag) {
        const auto f = static_cast<std::size_t>(flag);
        const bool raised = state.Flags[f] != 0;
        LogAlarm(std::string(raised ? "[+] " : "[-] ") + Format(kFlagTexts[f], slot, unit));
    };
    for (int flag = 0; flag < kLocalLossFlags; ++flag) {
        const auto f = static_cast<std::size_t>(flag);
        if (state.Flags[f] != old.Flags[f]) {
            event(flag);
            if (state.Flags[f] != 0) {
                return;
            }
        }
    }
    for (int flag = kLocalLossFlags; flag < kStreamAlarmFlags; ++flag) {
        const auto f = static_cast<std::size_t>(flag);
        if (state.Flags[f] != old.Flags[f]) {
            event(flag);
        }
    }
}

}  // namespace tervis
