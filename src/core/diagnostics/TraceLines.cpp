#include "core/diagnostics/TraceLines.h"

#include <array>
#include <string_view>

#include "core/base/Bytes.h"
#include "core/base/Format.h"
#include "core/model/BoardTypes.h"

namespace tervis {

namespace {

constexpr std::uint16_t kLongPauseMs = 10000;

std::uint8_t ByteAt(const TReceiveBuffer& buffer, std::size_t index) {
    return index < buffer.size() ? buffer[index] : 0;
}

// A state list of the voice-frequency and signalling boards: a name per value of the state's low nibble.
// nullptr stands for the dialling state; values beyond the list have no name.
using TStateList = std::array<const char*, 9>;
constexpr const char* kDialling = nullptr;
constexpr const char* kNone = "";

struct TStateTable {
    TStateList Names;
    int Count;
    bool Bit3Unknown;  // any value with bit 3 set has no name
};

// The states of a 4ТЧ or 4ТЧУ line in mode n (and n + 6), and of a 4СЛУ line in mode n.
constexpr TStateTable kVoiceMode2{
    {"исходное", "занятие", kDialling, "ответ", "отбой Б", "разъединение", "освобождение", kNone, kNone},
    7,
    false};
constexpr TStateTable kVoiceMode3{{"исходное", "занятие", "трансляция снятия ответа", kDialling,
                                   "трансляция ответа", "ответ", "отбой Б", "разъединение", kNone},
                                  8,
                                  true};
constexpr TStateTable kVoiceMode4{{"исходное", "занятие", kDialling, "Б занят", "Б свободен", "ответ",
                                   "отбой Б", "разъединение", "освобождение"},
                                  9,
                                  false};
constexpr TStateTable kVoiceMode5{{"исходное", "занятие", kDialling, "трансляция Б занят", "Б занят",
                                   "Б свободен", "ответ", "отбой Б", "разъединение"},
                                  9,
                                  false};
constexpr TStateTable kSluMode2{
    {"исходное", "занятие", kDialling, "ответ", "отбой/занятость Б", "блокировка", kNone, kNone, kNone},
    6,
    false};
constexpr TStateTable kSluMode3{
    {"исходное", kDialling, "ответ", "отбой/занятость Б", "блокировка", kNone, kNone, kNone, kNone},
    5,
    false};
constexpr TStateTable kSluMode4{
    {"исходное", "занятие", kDialling, "Б свободен", "ответ", "Б занят", "отбой Б", "блокировка", kNone},
    8,
    true};
constexpr TStateTable kSluMode5{
    {"исходное", kDialling, "Б свободен", "ответ", "Б занят", "отбой Б", "блокировка", kNone, kNone},
    7,
    false};
constexpr TStateTable kSluMode6{
    {"исходное", "занятие", kDialling, "ответ", "отбой/занятость Б", kNone, kNone, kNone, kNone}, 5, false};
constexpr TStateTable kSluMode7{
    {"исходное", kDialling, "ответ", "отбой/занятость Б", kNone, kNone, kNone, kNone, kNone}, 4, false};

std::string StateName(const TStateTable& table, std::uint8_t state) {
    const int value = state & 0x0F;
    if ((table.Bit3Unknown && (value & 0x08) != 0) || value >= table.Count) {
        return "???";
    }
    const char* name = table.Names[static_cast<std::size_t>(value)];
    if (name == kDialling) {
        return (state & 0x80) != 0 ? "    импульс" : "набор номера";
    }
    return name;
}

std::string CasLine(const char* format, const TTraceEvent& e, const std::string& time) {
    return Format(format, e.Slot, e.Port, IntToBin(e.State & 0x0F, 4).c_str(),
                  IntToBin((e.State >> 4) & 0x0F, 4).c_str(), time.c_str());
}

std::string StateLine(const char* format, const TStateTable& table, const TTraceEvent& e,
                      const std::string& time) {
    return Format(format, e.Slot, e.Port, StateName(table, e.State).c_str(), time.c_str());
}

std::string VoiceLine(const TTraceEvent& e, const std::string& time) {
    constexpr const char* kFormat = "4ТЧ(%d, %d): %s (%s)";
    switch (e.Mode) {
        case 0:
            return Format("4ТЧ(%d, %d): провод E (вх.) %d, провод M (исх.) %d (%s)", e.Slot, e.Port,
                          Bit(e.State, 1), Bit(e.State, 0), time.c_str());
        case 6:
            return Format("4TH(%d, %d): прм.2600 %d, прд.2600 %d (%s)", e.Slot, e.Port, Bit(e.State, 0),
                          Bit(e.State, 1), time.c_str());
        case 7:
            return Format("4TH(%d, %d): прм.2100 %d, прд.2100 %d (%s)", e.Slot, e.Port, Bit(e.State, 0),
                          Bit(e.State, 1), time.c_str());
        default:
            break;
    }
    // Modes 2..5 and 8..11 name the line's state from the same four tables.
    static constexpr std::array<const TStateTable*, 4> kLists{&kVoiceMode2, &kVoiceMode3, &kVoiceMode4,
                                                              &kVoiceMode5};
    if ((e.Mode >= 2 && e.Mode <= 5) || (e.Mode >= 8 && e.Mode <= 11)) {
        return StateLine(kFormat, *kLists[static_cast<std::size_t>((e.Mode - 2) % 6)], e, time);
    }
    return {};
}

std::string SignallingLine(const TTraceEvent& e, const std::string& time) {
    constexpr const char* kFormat = "4СЛУ(%d, %d): %s (%s)";
    static constexpr std::array<const TStateTable*, 6> kLists{&kSluMode2, &kSluMode3, &kSluMode4,
                                                              &kSluMode5, &kSluMode6, &kSluMode7};
    if (e.Mode < 2 || e.Mode > 7) {
        return {};
    }
    return StateLine(kFormat, *kLists[e.Mode - 2u], e, time);
}

}  // namespace

TTraceStart DecodeTraceStart(const TReceiveBuffer& buffer, std::size_t p) {
    return {ByteAt(buffer, p + 1), ByteAt(buffer, p + 2), ByteAt(buffer, p + 3)};
}

TTraceEvent DecodeTraceEvent(const TReceiveBuffer& buffer, std::size_t p) {
    TTraceEvent e;
    e.Slot = ByteAt(buffer, p + 1);
    e.Port = ByteAt(buffer, p + 2);
    e.Type = ByteAt(buffer, p + 3);
    e.Mode = ByteAt(buffer, p + 4);
    e.State = ByteAt(buffer, p + 5);
    e.TimeMs = static_cast<std::uint16_t>((ByteAt(buffer, p + 6) << 8) | ByteAt(buffer, p + 7));
    return e;
}

std::string TraceTimeText(std::uint16_t milliseconds) {
    return milliseconds >= kLongPauseMs ? std::string("> 10 с") : Format("%u мс", milliseconds);
}

std::string TraceStartText(const TTraceStart& start) {
    if (!ShowsTraceMessages(start.Type)) {
        return "Трассировка порта данного типа не поддерживается";
    }
    return Format("Прием сообщений от платы %d (%s), порт %d...", start.Slot,
                  BoardTypeName(start.Type).c_str(), start.Port);
}

std::string TraceLine(const TTraceEvent& e) {
    const std::string time = TraceTimeText(e.TimeMs);
    switch (e.Type) {
        case bt4AK:
            return Format("4AK(%d, %d): шлейф %d, вызов %d (%s)", e.Slot, e.Port, Bit(e.State, 1),
                          Bit(e.State, 0), time.c_str());
        case bt4AL:
            return Format("4AЛ(%d, %d): вызов %d, шлейф %d (%s)", e.Slot, e.Port, Bit(e.State, 1),
                          Bit(e.State, 0), time.c_str());
        case bt4MB:
            return Format("4МБ(%d, %d): вх. вызов %d, исх. вызов %d (%s)", e.Slot, e.Port, Bit(e.State, 1),
                          Bit(e.State, 0), time.c_str());
        case bt1E1:
        case bt4E1:
        case bt4ToP:
        case bt1DSL:
            return CasLine("Е1(%d, %d): CAS вх. %s, CAS исх. %s (%s)", e, time);
        case bt4I15:
            return CasLine("PCM15(%d, %d): CAS вх. %s, CAS исх. %s (%s)", e, time);
        case bt4DSL:
        case bt4DSLv2:
        case bt4DSLAlt:
            return CasLine("DSL(%d, %d): CAS вх. %s, CAS исх. %s (%s)", e, time);
        case bt4TCh:
        case bt4TChU:
            return VoiceLine(e, time);
        case bt4SLU:
            return SignallingLine(e, time);
        default:
            return {};
    }
}

}  // namespace tervis
