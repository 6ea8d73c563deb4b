#include "core/boards/BlockFields.h"

#include <array>
#include <cstdio>

namespace tervis::boards {

namespace {

using K = TFieldKind;
using S = TSetLayout;
using sv = std::string_view;

struct TTitle {
    std::uint8_t Type;
    sv Format;
};

// Some titles mix Latin and Cyrillic letters of the same shape; they are shown exactly as written here.
constexpr auto kTitles = std::to_array<TTitle>({
    {1, "Конфигурация TЧ, слот %d"},     {2, "Конфигурация AЛ, слот %d"},
    {3, "Конфигурация AK, слот %d"},     {7, "Конфигурация 1Е1, слот %d"},
    {8, "Конфигурация 4V24, слот %d"},   {9, "Конфигурация МБ, слот %d"},
    {10, "Конфигурация 4E1, слот %d"},   {11, "Конфигурация СЛУ, слот %d"},
    {12, "Конфигурация 2VS, слот %d"},   {13, "Конфигурация 4I15, слот %d"},
    {14, "Конфигурация АДИКМ, слот %d"}, {15, "Конфигурация 4С64, слот %d"},
    {16, "Конфигурация LAN, слот %d"},   {18, "Конфигурация 8AK, слот %d"},
    {19, "Конфигурация 4С1И, слот %d"},  {20, "Конфигурация 4ТЧУ, слот %d"},
    {22, "Конфигурация 4ToP, слот %d"},  {23, "Конфигурация 1DSL, слот %d"},
    {24, "Конфигурация 4DSL, слот %d"},  {26, "Конфигурация ДП, слот %d"},
    {27, "Конфигурация 4TLG, слот %d"},  {29, "Конфигурация 4DSLv2, слот %d"},
    {32, "Настройки мультиплексора"},
});

constexpr std::array<sv, 5> kPriorityItems{"0", "1", "2", "3", "нет"};
constexpr sv kPriorityCaption = "Приоритет выдачи синхросигнала";

// --- 1E1: W0, W1 and W4 are rebuilt whole; W2, W3 and W5..W8 stay as loaded.
constexpr auto k1E1Fields = std::to_array<TBlockField>({
    {.Control = "CheckBox1", .Caption = "ошибок больше 10Е-3 (двухкр. инв.)", .Word = 0, .Bit = 0},
    {.Control = "CheckBox2", .Caption = "ошибок больше 10Е-6 (однокр. инв.)", .Word = 0, .Bit = 1},
    {.Control = "CheckBox3", .Caption = "не инвертировать проскальзывания", .Word = 0, .Bit = 2},
    {.Control = "CBRemoteLoop", .Caption = "удаленный loopback", .Word = 1, .Bit = 1},
    {.Control = "CBLocalLoop", .Caption = "локальный loopback", .Word = 1, .Bit = 2},
    {.Control = "CBUseAMI", .Caption = "кодировка AMI", .Word = 1, .Bit = 3},
    {.Control = "CBRemoteCtrl", .Caption = "используется для удаленного управления", .Word = 4, .Bit = 0},
});

// --- 4E1 and 4ToP: W0..W4 are rebuilt; W5..W8 stay.
constexpr TBlockField kE1Priority{.Control = "ComboBox%d",
                                  .Caption = kPriorityCaption,
                                  .Word = 0,
                                  .Width = 4,
                                  .Kind = K::List,
                                  .Sets = S::Nibble,
                                  .Items = kPriorityItems,
                                  .NameBase = 1};

constexpr TBlockField Nib(sv control, sv caption, std::uint8_t word, std::uint8_t bit) {
    return {.Control = control, .Caption = caption, .Word = word, .Bit = bit, .Sets = S::Nibble};
}

constexpr auto k4E1Fields = std::to_array<TBlockField>({
    kE1Priority,
    Nib("CBNotUsed%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop%d", "локальный loopback", 1, 2),
    Nib("CBUseAMI%d", "кодировка AMI", 1, 3),
    Nib("CBUse16KI%d", "разговорный 16-й КИ", 2, 0),
    Nib("CBUsePRBS%d", "PRBS test", 2, 1),
    Nib("CBConc%d", "концентратор ЛВ-420", 2, 2),
    Nib("CBUseEqualizer%d", "длинная линия", 2, 3),
    Nib("CBRemoteControl%d", "используется для удаленного управления", 4, 0),
    Nib("CBUse0KI%d", "разговорный 0-й КИ", 4, 1),
});

constexpr auto k4ToPFields = std::to_array<TBlockField>({
    kE1Priority,
    Nib("CBNotUsed%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop%d", "локальный loopback", 1, 2),
    Nib("CBUse16KI%d", "разговорный 16-й КИ", 2, 0),
    Nib("CBUsePRBS%d", "PRBS test", 2, 1),
    Nib("CBConc%d", "концентратор ЛВ-420", 2, 2),
    Nib("CBRemoteControl%d", "используется для удаленного управления", 4, 0),
    Nib("CBUse0KI%d", "разговорный 0-й КИ", 4, 1),
});

// --- 4И15: W0..W3 are rebuilt; a priority list without a selection leaves priority 0.
constexpr std::array<sv, 3> kE1CodeItems{"HDB3", "AMI", "NRZ (OMS)"};
constexpr std::array<sv, 3> kE1CodeButtons{"RBUseHDB_%d", "RBUseAMI_%d", "RBUseNRZ_%d"};

constexpr auto k4I15Fields = std::to_array<TBlockField>({
    {.Control = "CBPriority_%d",
     .Caption = kPriorityCaption,
     .Word = 0,
     .Width = 4,
     .Kind = K::List,
     .Sets = S::Nibble,
     .Items = kPriorityItems,
     .NoSelection = TNoSelection::Value},
    Nib("CBNotUsed_%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop_%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop_%d", "локальный loopback", 1, 2),
    Nib("CBSendAIS_%d", "передача AIS", 2, 2),
    // A line-code field of 3 checks no button and is stored as HDB3.
    {.Control = "",
     .Caption = "линейный код",
     .Word = 3,
     .Width = 2,
     .Kind = K::Radio,
     .Sets = S::Nibble,
     .Items = kE1CodeItems,
     .Buttons = kE1CodeButtons,
     .NoSelection = TNoSelection::Value},
    Nib("CBUseG711_%d", "G.711", 3, 2),
    Nib("CBBefore84_%d", "до апреля 1984 года", 3, 3),
});

// --- 1DSL: W0, W1, W2 and W4 are rebuilt; W3 and W5..W8 stay. Rate code c stands for c + 1 channels.
constexpr auto k1DSLFields = std::to_array<TBlockField>({
    {.Control = "CBSpeed",
     .Caption = "Скорость:",
     .Word = 0,
     .Width = 16,
     .Kind = K::Rate,
     .Offset = 3,
     .RateFormat = "%dх64 кбит/с",
     .RateBias = 1},
    // The boxes of bits 1 and 2 carry each other's captions on this board.
    {.Control = "CBRemoteLoop", .Caption = "локальный loopback", .Word = 1, .Bit = 1},
    {.Control = "CBLocalLoop", .Caption = "удаленный loopback", .Word = 1, .Bit = 2},
    {.Control = "CBConcentrator", .Caption = "с концентрацией нагрузки", .Word = 1, .Bit = 3},
    {.Control = "CBSlave", .Caption = "ведомое устройство", .Word = 2, .Bit = 0},
    {.Control = "CBUseRemotePower", .Caption = "использовать дистанционное питание", .Word = 2, .Bit = 1},
    {.Control = "CBLapdMode", .Caption = "режим абонентского выноса ЛВ420", .Word = 2, .Bit = 2},
    {.Control = "CBAutoSpeed", .Caption = "автоопределение", .Word = 2, .Bit = 3},
    {.Control = "CBCtrlMode", .Caption = "использется для удаленного управления", .Word = 4, .Bit = 0},
});

// --- 4DSL and 4DSLv2
constexpr std::array<sv, 5> kDslModeItems{"без сигнализации CAS", "с одним каналом CAS",
                                          "с двумя каналами CAS", "вынос станции ЛВ-420",
                                          "концентратор ЛВ-420"};
constexpr std::array<sv, 2> kTcPamItems{"TC-PAM16", "TC-PAM32"};
constexpr std::array<sv, 2> kTcPamButtons{"RBTcPam16_%d", "RBTcPam32_%d"};
constexpr std::array<sv, 6> kLineCodeItems{"TC-PAM 4",  "TC-PAM 8",  "TC-PAM 16",
                                           "TC-PAM 32", "TC-PAM 64", "TC-PAM 128"};

constexpr TBlockField kDslSync{.Control = "CBSync%d",
                               .Caption = "приоритет выдачи синхросигнала",
                               .Word = 0,
                               .Width = 4,
                               .Kind = K::List,
                               .Sets = S::Nibble,
                               .Items = kPriorityItems};
constexpr TBlockField kDslMode{.Control = "CBMode%d",
                               .Caption = "режим линии",
                               .Word = 2,
                               .Width = 4,
                               .Kind = K::List,
                               .Sets = S::Nibble,
                               .Items = kDslModeItems};
constexpr TBlockField kDslTdm{.Control = "CBSpeedTDM%d",
                              .Caption = "скорость TDM",
                              .Word = 7,
                              .Width = 7,
                              .Kind = K::Rate,
                              .Sets = S::BytePair,
                              .RateFormat = "%dx64 кбит/с"};

constexpr auto k4DSLFields = std::to_array<TBlockField>({
    kDslSync,
    Nib("CBOffLine%d", "линия отключена", 1, 0),
    Nib("CBRemoteLoop%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop%d", "локальный loopback", 1, 2),
    Nib("CBSlave%d", "NTU", 1, 3),
    kDslMode,
    Nib("CBCtrlMode%d", "используется для удаленного управления", 4, 0),
    Nib("CBGhs%d", "старт G.hs", 4, 1),
    Nib("SelfControl%d", "самоконтроль потока", 4, 2),
    {.Control = "CBSpeedDSL%d",
     .Caption = "скорость DSL",
     .Word = 5,
     .Width = 7,
     .Kind = K::Rate,
     .Sets = S::BytePair,
     .Offset = 3,
     .RateFormat = "%dх64 кбит/с"},
    {.Control = "",
     .Caption = "линейный код",
     .Word = 5,
     .Bit = 7,
     .Width = 1,
     .Kind = K::Radio,
     .Sets = S::BytePair,
     .Items = kTcPamItems,
     .Buttons = kTcPamButtons,
     .NoSelection = TNoSelection::Value},
    kDslTdm,
});

constexpr auto k4DSLv2Fields = std::to_array<TBlockField>({
    kDslSync,
    Nib("CBOffLine%d", "линия отключена", 1, 0),
    Nib("CBRemoteLoop%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop%d", "локальный loopback", 1, 2),
    Nib("CBSlave%d", "NTU", 1, 3),
    kDslMode,
    {.Control = "CBTcpam%d",
     .Caption = "линейный код",
     .Word = 3,
     .Width = 4,
     .Kind = K::List,
     .Sets = S::Nibble,
     .Items = kLineCodeItems},
    Nib("CBCtrlMode%d", "используется для удаленного управления", 4, 0),
    Nib("CBGhs%d", "старт G.hs", 4, 1),
    Nib("SelfControl%d", "самоконтроль потока", 4, 2),
    {.Control = "CBSpeedDSL%d",
     .Caption = "скорость DSL",
     .Word = 5,
     .Width = 8,
     .Kind = K::Rate,
     .Sets = S::BytePair,
     .Offset = 3,
     .RateFormat = "%dx64 кбит/с"},
    kDslTdm,
});

// --- the multiplexer settings record (CPU): W0..W6 and W9 are rebuilt, W7 and W8 stay.
constexpr std::array<sv, 16> kSlotItems{"слот 0",  "слот 1",  "слот 2",  "слот 3", "слот 4",  "слот 5",
                                        "слот 6",  "слот 7",  "слот 8",  "слот 9", "слот 10", "слот 11",
                                        "слот 12", "слот 13", "слот 14", "слот 15"};
constexpr std::array<sv, 7> kInputPriorityItems{"приор. 0", "приор. 1", "приор. 2", "приор. 3",
                                                "приор. 4", "приор. 5", "никогда"};
constexpr std::array<sv, 4> kSyncTypeItems{"Внешняя (вход 5)", "По таблице (для ЦП85, 1E1 v1.0)",
                                           "По таблице приоритетов входов", "Только от ЦП"};
constexpr std::array<sv, 4> kSyncTypeButtons{"RadioGroup1_0", "RadioGroup1_1", "RadioGroup1_2",
                                             "RadioGroup1_3"};

constexpr auto kCpuFields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "слот",
     .Word = 0,
     .Width = 4,
     .Kind = K::List,
     .Sets = S::WordPerSet,
     .Items = kSlotItems,
     .NoSelection = TNoSelection::Refuse,
     .NameBase = 1},
    {.Control = "ComboBox%d",
     .Caption = "приоритет",
     .Word = 0,
     .Bit = 4,
     .Width = 3,
     .Kind = K::List,
     .Sets = S::WordPerSet,
     .Items = kInputPriorityItems,
     .NoSelection = TNoSelection::Refuse,
     .NameBase = 7},
    // A type of 4 or more shows no selection and is stored as "Только от ЦП".
    {.Control = "RadioGroup1",
     .Caption = "Тип синхронизации",
     .Word = 6,
     .Width = 16,
     .Kind = K::Radio,
     .Items = kSyncTypeItems,
     .Buttons = kSyncTypeButtons,
     .NoSelection = TNoSelection::Value,
     .NoneValue = 3},
    {.Control = "CheckBox1", .Caption = "Порог ошибок 10E-6", .Word = 9, .Bit = 0},
    {.Control = "CheckBox2", .Caption = "Порог ошибок 10Е-3", .Word = 9, .Bit = 1},
    {.Control = "CheckBox3", .Caption = "Удаленная потеря сверцикловой синхр.", .Word = 9, .Bit = 2},
    {.Control = "CheckBox4", .Caption = "Удаленная потеря цикловой синхр.", .Word = 9, .Bit = 3},
    {.Control = "CheckBox5", .Caption = "Потеря сверхцикловой синхронизации", .Word = 9, .Bit = 4},
    {.Control = "CheckBox6", .Caption = "Потеря цикловой синхронизации", .Word = 9, .Bit = 5},
    {.Control = "CheckBox7", .Caption = "Потеря потока", .Word = 9, .Bit = 6},
    {.Control = "CheckBox8", .Caption = "Отсутствие платы", .Word = 9, .Bit = 7},
});

constexpr std::uint16_t Words(std::initializer_list<int> words) {
    std::uint16_t mask = 0;
    for (int word : words) {
        mask = static_cast<std::uint16_t>(mask | (1U << word));
    }
    return mask;
}

constexpr auto kLayouts = std::to_array<TBlockLayout>({
    {.Type = 7, .SetCount = 1, .Rebuilt = Words({0, 1, 4}), .Fields = k1E1Fields},
    {.Type = 10, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 3, 4}), .Fields = k4E1Fields},
    {.Type = 13, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 3}), .Fields = k4I15Fields},
    {.Type = 22, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 3, 4}), .Fields = k4ToPFields},
    {.Type = 23, .SetCount = 1, .Rebuilt = Words({0, 1, 2, 4}), .Fields = k1DSLFields},
    {.Type = 24, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 4, 5, 6, 7, 8}), .Fields = k4DSLFields},
    {.Type = 29, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 3, 4, 5, 6, 7, 8}), .Fields = k4DSLv2Fields},
});

constexpr TBlockLayout kCpuLayout{
    .Type = 32, .SetCount = 6, .Rebuilt = Words({0, 1, 2, 3, 4, 5, 6, 9}), .Fields = kCpuFields};

std::string FormatNumber(sv format, int number) {
    std::string text;
    const std::size_t at = format.find("%d");
    if (at == sv::npos) {
        return std::string(format);
    }
    text.reserve(format.size() + 4);
    text.append(format.substr(0, at));
    text.append(std::to_string(number));
    text.append(format.substr(at + 2));
    return text;
}

}  // namespace

std::optional<std::string_view> DialogTitleFormat(std::uint8_t type) {
    for (const TTitle& title : kTitles) {
        if (title.Type == type) {
            return title.Format;
        }
    }
    return std::nullopt;
}

std::string DialogTitle(std::uint8_t type, int slot) {
    const auto format = DialogTitleFormat(type);
    return format ? FormatNumber(*format, slot) : std::string();
}

const TBlockLayout* FindBlockLayout(std::uint8_t type) {
    for (const TBlockLayout& layout : kLayouts) {
        if (layout.Type == type) {
            return &layout;
        }
    }
    return nullptr;
}

const TBlockLayout& MuxSettingsLayout() {
    return kCpuLayout;
}

std::string ControlName(const TBlockField& field, int set) {
    return IsPerSet(field) ? FormatNumber(field.Control, set + field.NameBase) : std::string(field.Control);
}

std::string ButtonName(const TBlockField& field, int item, int set) {
    const sv format = field.Buttons[static_cast<std::size_t>(item)];
    return IsPerSet(field) ? FormatNumber(format, set) : std::string(format);
}

const TBlockField* FindField(const TBlockLayout& layout, std::string_view control) {
    for (const TBlockField& field : layout.Fields) {
        if (field.Control == control) {
            return &field;
        }
    }
    return nullptr;
}

TFieldPlace FieldPlace(const TBlockField& field, int set) {
    switch (field.Sets) {
        case TSetLayout::Single:
            return {field.Word, field.Bit};
        case TSetLayout::Nibble:
            return {field.Word, 4 * set + field.Bit};
        case TSetLayout::BytePair:
            return {field.Word + set / 2, 8 * (set % 2) + field.Bit};
        case TSetLayout::WordPerSet:
            return {field.Word + set, field.Bit};
    }
    return {field.Word, field.Bit};
}

std::uint16_t FieldMask(const TBlockField& field) {
    return static_cast<std::uint16_t>(field.Width >= 16 ? 0xFFFFU : (1U << field.Width) - 1U);
}

unsigned ReadField(std::span<const std::uint16_t> words, const TBlockField& field, int set) {
    const TFieldPlace place = FieldPlace(field, set);
    return (unsigned{words[static_cast<std::size_t>(place.Word)]} >> place.Bit) & FieldMask(field);
}

void WriteField(std::span<std::uint16_t> words, const TBlockField& field, int set, unsigned value) {
    const TFieldPlace place = FieldPlace(field, set);
    std::uint16_t& word = words[static_cast<std::size_t>(place.Word)];
    const unsigned mask = unsigned{FieldMask(field)} << place.Bit;
    word = static_cast<std::uint16_t>((word & ~mask) | ((value << place.Bit) & mask));
}

int ItemIndexFor(const TBlockField& field, unsigned value, int itemCount) {
    const unsigned index = field.Offset != 0 ? (value - field.Offset) & 0xFFU : value;
    return index < static_cast<unsigned>(itemCount) ? static_cast<int>(index) : -1;
}

unsigned ValueForItem(const TBlockField& field, int index) {
    if (index < 0) {
        switch (field.NoSelection) {
            case TNoSelection::Value:
                return field.NoneValue;
            case TNoSelection::Refuse:
                throw EInvalidParameters("no item selected in " + std::string(field.Control));
            case TNoSelection::RangeCheck:
                throw ERangeCheck("no item selected in " + std::string(field.Control));
            case TNoSelection::Wrap:
                break;
        }
    }
    if (field.Kind == TFieldKind::Radio) {
        return static_cast<unsigned>(index);
    }
    return static_cast<unsigned>(index + field.Offset) & FieldMask(field);
}

void ClearRebuiltWords(std::span<std::uint16_t> words, const TBlockLayout& layout) {
    for (std::size_t word = 0; word < words.size(); ++word) {
        if (layout.Rebuilt & (1U << word)) {
            words[word] = 0;
        }
    }
}

std::string FieldValueText(const TBlockField& field, unsigned value) {
    const auto unknown = [value] { return "?(" + std::to_string(value) + ")"; };
    switch (field.Kind) {
        case TFieldKind::Flag:
            return value != 0 ? "да" : "нет";
        case TFieldKind::List:
        case TFieldKind::Radio: {
            const int index = field.Kind == TFieldKind::Radio
                                  ? (value < field.Items.size() ? static_cast<int>(value) : -1)
                                  : ItemIndexFor(field, value, static_cast<int>(field.Items.size()));
            return index < 0 ? unknown() : std::string(field.Items[static_cast<std::size_t>(index)]);
        }
        case TFieldKind::Rate:
            if (value < field.Offset) {
                return unknown();
            }
            return FormatNumber(field.RateFormat, static_cast<int>(value) + field.RateBias);
    }
    return unknown();
}

std::vector<TSettingText> DescribeBlock(std::uint8_t type, std::span<const std::uint16_t> words) {
    std::vector<TSettingText> settings;
    const TBlockLayout* layout = FindBlockLayout(type);
    if (layout == nullptr) {
        return settings;
    }
    // Set by set, so that a reader finds one stream's settings together.
    for (const TBlockField& field : layout->Fields) {
        if (!IsPerSet(field)) {
            settings.push_back(
                {-1, std::string(field.Caption), FieldValueText(field, ReadField(words, field, 0))});
        }
    }
    for (int set = 0; set < layout->SetCount && layout->SetCount > 1; ++set) {
        for (const TBlockField& field : layout->Fields) {
            if (IsPerSet(field)) {
                settings.push_back(
                    {set, std::string(field.Caption), FieldValueText(field, ReadField(words, field, set))});
            }
        }
    }
    return settings;
}

std::string SettingName(const TSettingText& setting) {
    // A label's own colon would double the one that follows the name.
    std::string_view caption = setting.Caption;
    if (caption.ends_with(':')) {
        caption.remove_suffix(1);
    }
    if (setting.Set < 0) {
        return std::string(caption);
    }
    return "комплект " + std::to_string(setting.Set) + ": " + std::string(caption);
}

}  // namespace tervis::boards
