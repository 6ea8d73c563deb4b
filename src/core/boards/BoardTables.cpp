#include <array>
#include <initializer_list>
#include <span>
#include <string_view>

#include "core/boards/BlockFields.h"

// The block of every board with a dialog, and the multiplexer settings record: one record per board
// (title, set count, the words OK rebuilds whole, the fields). Some titles and captions mix Latin and
// Cyrillic letters of the same shape; they are shown exactly as written here.

namespace tervis::boards {

namespace {

constexpr std::uint16_t Words(std::initializer_list<int> words) {
    std::uint16_t mask = 0;
    for (int word : words) {
        mask = static_cast<std::uint16_t>(mask | (1U << word));
    }
    return mask;
}

constexpr std::array<std::string_view, 5> kPriorityItems{"0", "1", "2", "3", "нет"};
constexpr std::string_view kPriorityCaption = "Приоритет выдачи синхросигнала";

// --- 1E1
constexpr auto k1E1Fields = std::to_array<TBlockField>({
    {.Control = "CheckBox1", .Caption = "ошибок больше 10Е-3 (двухкр. инв.)", .Word = 0, .Bit = 0},
    {.Control = "CheckBox2", .Caption = "ошибок больше 10Е-6 (однокр. инв.)", .Word = 0, .Bit = 1},
    {.Control = "CheckBox3", .Caption = "не инвертировать проскальзывания", .Word = 0, .Bit = 2},
    {.Control = "CBRemoteLoop", .Caption = "удаленный loopback", .Word = 1, .Bit = 1},
    {.Control = "CBLocalLoop", .Caption = "локальный loopback", .Word = 1, .Bit = 2},
    {.Control = "CBUseAMI", .Caption = "кодировка AMI", .Word = 1, .Bit = 3},
    {.Control = "CBRemoteCtrl", .Caption = "используется для удаленного управления", .Word = 4, .Bit = 0},
});
constexpr TBlockLayout k1E1{.Type = 7,
                            .Title = "Конфигурация 1Е1, слот %d",
                            .SetCount = 1,
                            .Rebuilt = Words({0, 1, 4}),
                            .Fields = k1E1Fields};

// --- 4E1 and 4ToP
constexpr TBlockField kE1Priority{.Control = "ComboBox%d",
                                  .Caption = kPriorityCaption,
                                  .Word = 0,
                                  .Width = 4,
                                  .Kind = TFieldKind::List,
                                  .Sets = TSetLayout::Nibble,
                                  .Items = kPriorityItems,
                                  .Names = {.First = 1}};

constexpr TBlockField Nib(std::string_view control, std::string_view caption, std::uint8_t word,
                          std::uint8_t bit) {
    return {.Control = control, .Caption = caption, .Word = word, .Bit = bit, .Sets = TSetLayout::Nibble};
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
constexpr TBlockLayout k4E1{.Type = 10,
                            .Title = "Конфигурация 4E1, слот %d",
                            .SetCount = 4,
                            .Rebuilt = Words({0, 1, 2, 3, 4}),
                            .Fields = k4E1Fields};

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
constexpr TBlockLayout k4ToP{.Type = 22,
                             .Title = "Конфигурация 4ToP, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2, 3, 4}),
                             .Fields = k4ToPFields};

// --- 4И15: a priority list without a selection leaves priority 0.
constexpr std::array<std::string_view, 3> kE1CodeItems{"HDB3", "AMI", "NRZ (OMS)"};
constexpr std::array<std::string_view, 3> kE1CodeButtons{"RBUseHDB_%d", "RBUseAMI_%d", "RBUseNRZ_%d"};

constexpr auto k4I15Fields = std::to_array<TBlockField>({
    {.Control = "CBPriority_%d",
     .Caption = kPriorityCaption,
     .Word = 0,
     .Width = 4,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::Nibble,
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
     .Kind = TFieldKind::Radio,
     .Sets = TSetLayout::Nibble,
     .Items = kE1CodeItems,
     .Buttons = kE1CodeButtons,
     .NoSelection = TNoSelection::Value},
    Nib("CBUseG711_%d", "G.711", 3, 2),
    Nib("CBBefore84_%d", "до апреля 1984 года", 3, 3),
});
constexpr TBlockLayout k4I15{.Type = 13,
                             .Title = "Конфигурация 4I15, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2, 3}),
                             .Fields = k4I15Fields};

// --- 1DSL: rate code c stands for c + 1 channels; five bits carry the code.
constexpr auto k1DSLFields = std::to_array<TBlockField>({
    {.Control = "CBSpeed",
     .Caption = "Скорость:",
     .Word = 0,
     .Width = 16,
     .Kind = TFieldKind::Rate,
     .Offset = 3,
     .Rate = {.Format = "%dх64 кбит/с", .ChannelBias = 1, .CodeMask = 0x1F, .ClampBelowFirst = true}},
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
constexpr TBlockLayout k1DSL{.Type = 23,
                             .Title = "Конфигурация 1DSL, слот %d",
                             .SetCount = 1,
                             .Rebuilt = Words({0, 1, 2, 4}),
                             .Fields = k1DSLFields};

// --- 4DSL and 4DSLv2
constexpr std::array<std::string_view, 5> kDslModeItems{"без сигнализации CAS", "с одним каналом CAS",
                                                        "с двумя каналами CAS", "вынос станции ЛВ-420",
                                                        "концентратор ЛВ-420"};
constexpr std::array<std::string_view, 2> kTcPamItems{"TC-PAM16", "TC-PAM32"};
constexpr std::array<std::string_view, 2> kTcPamButtons{"RBTcPam16_%d", "RBTcPam32_%d"};
constexpr std::array<std::string_view, 6> kLineCodeItems{"TC-PAM 4",  "TC-PAM 8",  "TC-PAM 16",
                                                         "TC-PAM 32", "TC-PAM 64", "TC-PAM 128"};

constexpr TBlockField kDslSync{.Control = "CBSync%d",
                               .Caption = "приоритет выдачи синхросигнала",
                               .Word = 0,
                               .Width = 4,
                               .Kind = TFieldKind::List,
                               .Sets = TSetLayout::Nibble,
                               .Items = kPriorityItems};
constexpr TBlockField kDslMode{.Control = "CBMode%d",
                               .Caption = "режим линии",
                               .Word = 2,
                               .Width = 4,
                               .Kind = TFieldKind::List,
                               .Sets = TSetLayout::Nibble,
                               .Items = kDslModeItems};
constexpr TBlockField kDslTdm{.Control = "CBSpeedTDM%d",
                              .Caption = "скорость TDM",
                              .Word = 7,
                              .Width = 7,
                              .Kind = TFieldKind::Rate,
                              .Sets = TSetLayout::BytePair,
                              .Rate = {.Format = "%dx64 кбит/с"}};

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
     .Kind = TFieldKind::Rate,
     .Sets = TSetLayout::BytePair,
     .Offset = 3,
     .Rate = {.Format = "%dх64 кбит/с"}},
    {.Control = "",
     .Caption = "линейный код",
     .Word = 5,
     .Bit = 7,
     .Width = 1,
     .Kind = TFieldKind::Radio,
     .Sets = TSetLayout::BytePair,
     .Items = kTcPamItems,
     .Buttons = kTcPamButtons,
     .NoSelection = TNoSelection::Value},
    kDslTdm,
});
constexpr TBlockLayout k4DSL{.Type = 24,
                             .Title = "Конфигурация 4DSL, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2, 4, 5, 6, 7, 8}),
                             .Fields = k4DSLFields};

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
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::Nibble,
     .Items = kLineCodeItems},
    Nib("CBCtrlMode%d", "используется для удаленного управления", 4, 0),
    Nib("CBGhs%d", "старт G.hs", 4, 1),
    Nib("SelfControl%d", "самоконтроль потока", 4, 2),
    {.Control = "CBSpeedDSL%d",
     .Caption = "скорость DSL",
     .Word = 5,
     .Width = 8,
     .Kind = TFieldKind::Rate,
     .Sets = TSetLayout::BytePair,
     .Offset = 3,
     .Rate = {.Format = "%dx64 кбит/с"}},
    kDslTdm,
});
constexpr TBlockLayout k4DSLv2{.Type = 29,
                               .Title = "Конфигурация 4DSLv2, слот %d",
                               .SetCount = 4,
                               .Rebuilt = Words({0, 1, 2, 3, 4, 5, 6, 7, 8}),
                               .Fields = k4DSLv2Fields};

// --- voice-frequency and signalling boards
constexpr std::array<std::string_view, 12> kProtocolItems{"E&M",
                                                          "Отключен",
                                                          "СЛ 2ВСК -> 2600",
                                                          "СЛ 2600 -> 2ВСК",
                                                          "СЛМ 2ВСК -> 2600",
                                                          "СЛМ 2600 -> 2ВСК",
                                                          "2600 <-> 1ВСК",
                                                          "2100 <-> 1ВСК",
                                                          "СЛ 2ВСК -> 1ВСК индуктивный",
                                                          "1ВСК индуктивный -> СЛ 2ВСК",
                                                          "СЛМ 2ВСК -> 1ВСК индуктивный",
                                                          "1ВСК индуктивный -> СЛМ 2ВСК"};
// A protocol index of 12 to 15 shows no selection, and OK cannot store it.
constexpr TBlockField kProtocol{.Control = "ComboBox%d",
                                .Caption = "протокол",
                                .Word = 1,
                                .Width = 4,
                                .Kind = TFieldKind::List,
                                .Sets = TSetLayout::Nibble,
                                .Items = kProtocolItems,
                                .NoSelection = TNoSelection::RangeCheck,
                                .Names = {.First = 1}};

constexpr std::array<std::string_view, 4> kThLevelItems{
    "прм +4,3 дБ  прд -13 дБ", "прм 0 дБ прд 0 дБ", "прм 0 дБ прд -6 дБ (2пр.)", "прм -13 дБ прд +4,3 дБ"};
constexpr std::array<std::string_view, 4> kThLevelButtons{"RadioGroup%d_0", "RadioGroup%d_1",
                                                          "RadioGroup%d_2", "RadioGroup%d_3"};

// 4ТЧ
constexpr auto k4ThFields = std::to_array<TBlockField>({
    {.Control = "RadioGroup%d",
     .Caption = "уровни",
     .Word = 0,
     .Width = 2,
     .Kind = TFieldKind::Radio,
     .Sets = TSetLayout::Pair,
     .Items = kThLevelItems,
     .Buttons = kThLevelButtons,
     .Names = {.First = 1}},
    kProtocol,
});
constexpr TBlockLayout k4Th{.Type = 1,
                            .Title = "Конфигурация TЧ, слот %d",
                            .SetCount = 4,
                            .Rebuilt = Words({0, 1}),
                            .Fields = k4ThFields};

// 4ТЧУ: the levels of set 0 in W0, of sets 1..3 in W2..W4 (transmit in the high byte). The
// two-wire boxes live in the slot type record, not in the block.
constexpr std::array<std::string_view, 4> kTxTrackBars{"TrackBar1", "TrackBar3", "TrackBar5", "TrackBar7"};
constexpr std::array<std::string_view, 4> kRxTrackBars{"TrackBar2", "TrackBar4", "TrackBar6", "TrackBar8"};
constexpr auto k4ThuFields = std::to_array<TBlockField>({
    {.Control = "TrackBar%d",
     .Caption = "уровень передачи (четырёхпроводный)",
     .Word = 0,
     .Bit = 8,
     .Width = 8,
     .Kind = TFieldKind::Level,
     .Sets = TSetLayout::WordPerSetSkipSecond,
     .Names = {.Listed = kTxTrackBars},
     .ZeroLevelTenths = -176},
    {.Control = "TrackBar%d",
     .Caption = "уровень приёма",
     .Word = 0,
     .Bit = 0,
     .Width = 8,
     .Kind = TFieldKind::Level,
     .Sets = TSetLayout::WordPerSetSkipSecond,
     .Names = {.Listed = kRxTrackBars},
     .ZeroLevelTenths = -173},
    kProtocol,
});
constexpr TBlockLayout k4Thu{.Type = 20,
                             .Title = "Конфигурация 4ТЧУ, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2, 3, 4}),
                             .Fields = k4ThuFields};

// 4AK: a set is off when any bit of its group is set; OK rebuilds W1 with bit 4k only.
constexpr auto k4AkFields = std::to_array<TBlockField>({
    {.Control = "CheckListEn",
     .Caption = "отключить комплект",
     .Word = 1,
     .Width = 4,
     .Kind = TFieldKind::CheckItem,
     .Sets = TSetLayout::Nibble},
});
constexpr TBlockLayout k4Ak{.Type = 3,
                            .Title = "Конфигурация AK, слот %d",
                            .SetCount = 4,
                            .Rebuilt = Words({1}),
                            .Fields = k4AkFields};

constexpr TBlockField kSetOff{.Control = "CheckListEn",
                              .Caption = "отключить комплект",
                              .Word = 1,
                              .Kind = TFieldKind::CheckItem,
                              .Sets = TSetLayout::Nibble};

// 4АЛ
constexpr auto k4AlFields = std::to_array<TBlockField>({
    kSetOff,
    {.Control = "CheckListKeys",
     .Caption = "управление разговорным ключом",
     .Word = 2,
     .Kind = TFieldKind::CheckItem,
     .Sets = TSetLayout::Nibble},
});
constexpr TBlockLayout k4Al{.Type = 2,
                            .Title = "Конфигурация AЛ, слот %d",
                            .SetCount = 4,
                            .Rebuilt = Words({1, 2}),
                            .Fields = k4AlFields};

// 4МБ
constexpr auto k4MbFields = std::to_array<TBlockField>({
    kSetOff,
    {.Control = "CheckListKeys",
     .Caption = "конвертация МБ - E&M",
     .Word = 1,
     .Bit = 1,
     .Kind = TFieldKind::CheckItem,
     .Sets = TSetLayout::Nibble},
});
constexpr TBlockLayout k4Mb{.Type = 9,
                            .Title = "Конфигурация МБ, слот %d",
                            .SetCount = 4,
                            .Rebuilt = Words({1}),
                            .Fields = k4MbFields};

// 4СЛУ: mode code = item index + 1; code 0 shows "Отключен", codes 8..15 the last item.
constexpr std::array<std::string_view, 7> kSluItems{"Отключен",       "СЛ 2ВСК->3Х",  "СЛ 3Х->2ВСК",
                                                    "СЛМ 2ВСК->3Х",   "СЛМ 3Х->2ВСК", "СЛ 2ВСК->К727А",
                                                    "СЛ К727А ->2ВСК"};
constexpr std::array<std::string_view, 7> kSluButtons{"RadioGroup%d_0", "RadioGroup%d_1", "RadioGroup%d_2",
                                                      "RadioGroup%d_3", "RadioGroup%d_4", "RadioGroup%d_5",
                                                      "RadioGroup%d_6"};
constexpr auto k4SluFields = std::to_array<TBlockField>({
    {.Control = "RadioGroup%d",
     .Caption = "режим",
     .Word = 1,
     .Width = 4,
     .Kind = TFieldKind::Radio,
     .Sets = TSetLayout::Nibble,
     .Items = kSluItems,
     .Buttons = kSluButtons,
     .Offset = 1,
     .Names = {.First = 1},
     .ClampToItems = true},
});
constexpr TBlockLayout k4Slu{.Type = 11,
                             .Title = "Конфигурация СЛУ, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({1}),
                             .Fields = k4SluFields};

// АДИКМ: W0 counts the 16 kbit/s channels, 0..64 by 4; a larger count shows no selection, stored as 0.
constexpr auto kAdpcmFields = std::to_array<TBlockField>({
    {.Control = "ComboBox1",
     .Caption = "Каналов со скоростью 16 кбит/с",
     .Word = 0,
     .Width = 16,
     .Kind = TFieldKind::Number,
     .NoSelection = TNoSelection::Value,
     .Numbers = {.First = 0, .Last = 64, .Step = 4}},
});
constexpr TBlockLayout kAdpcm{.Type = 14,
                              .Title = "Конфигурация АДИКМ, слот %d",
                              .SetCount = 1,
                              .Rebuilt = Words({0}),
                              .Fields = kAdpcmFields};

// 8AK: eight sets; a set's signalling is off when either of its two bits is set, and OK sets bit 2k only.
constexpr std::array<std::string_view, 2> k8AkModeItems{"Режим прямого абонента (стандартный)",
                                                        "Режим абонентского выноса ЛВ420"};
constexpr std::array<std::string_view, 2> k8AkModeButtons{"RBStandardMode", "RBLapdMode"};
constexpr auto k8AkFields = std::to_array<TBlockField>({
    {.Control = "",
     .Caption = "режим",
     .Word = 0,
     .Kind = TFieldKind::Radio,
     .Items = k8AkModeItems,
     .Buttons = k8AkModeButtons},
    {.Control = "CBConcentrator", .Caption = "с концентрацей нагрузки", .Word = 0, .Bit = 1},
    {.Control = "CheckBox%d",
     .Caption = "отключить сигнализацию",
     .Word = 1,
     .Width = 2,
     .Sets = TSetLayout::Pair,
     .Names = {.First = 1}},
});
constexpr TBlockLayout k8Ak{.Type = 18,
                            .Title = "Конфигурация 8AK, слот %d",
                            .SetCount = 8,
                            .Rebuilt = Words({0, 1}),
                            .Fields = k8AkFields};

// 4TLG
constexpr auto k4TlgFields = std::to_array<TBlockField>({
    Nib("CBLeftUnused_%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop_%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop_%d", "локальный loopback", 1, 2),
    Nib("CBOnePol_%d", "однополюсная работа", 1, 3),
    {.Control = "CB4in1", .Caption = "в одном канале", .Word = 2, .Bit = 0},
});
constexpr TBlockLayout k4Tlg{.Type = 27,
                             .Title = "Конфигурация 4TLG, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({1, 2}),
                             .Fields = k4TlgFields};

// --- data boards
// 4V24: a rate of 12..15 shows no selection, and OK cannot store it.
constexpr std::array<std::string_view, 12> kV24RateItems{
    "Отключен",   "110 бит/с",  "300 бит/с",   "600 бит/с ",  "1200 бит/с",  "2400 бит/с",
    "4800 бит/с", "9600 бит/с", "14400 бит/с", "19200 бит/с", "38400 бит/с", "57600 бит/с"};
constexpr std::array<std::string_view, 3> kV24ModeItems{"Нормальный", "{0, 1} -> 0, {2, 3} -> 1",
                                                        "{0, 1, 2, 3} -> 0"};
constexpr std::array<std::string_view, 3> kModeButtons{"RadioGroup1_0", "RadioGroup1_1", "RadioGroup1_2"};
constexpr auto k4V24Fields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "скорость",
     .Word = 0,
     .Width = 4,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::Nibble,
     .Items = kV24RateItems,
     .NoSelection = TNoSelection::RangeCheck,
     .Names = {.First = 1}},
    {.Control = "CheckBox%d",
     .Caption = "отключить сигнализацию",
     .Word = 1,
     .Sets = TSetLayout::BitPerSet,
     .Names = {.First = 1}},
    {.Control = "RadioGroup1",
     .Caption = "режим",
     .Word = 2,
     .Width = 2,
     .Kind = TFieldKind::Radio,
     .Items = kV24ModeItems,
     .Buttons = kModeButtons,
     .NoSelection = TNoSelection::Value,
     .NoneValue = 3,
     .ClampToItems = true},
});
constexpr TBlockLayout k4V24{.Type = 8,
                             .Title = "Конфигурация 4V24, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2}),
                             .Fields = k4V24Fields};

// 2VS: set k in Wk. The n field (bits 0..4) follows the port's cross-connections and is only shown;
// OK keeps it and rebuilds bits 5..15.
constexpr std::array<std::string_view, 32> k2VsRateItems{
    "64 кбит/с (n=1)",    "128 кбит/с (n=2)",   "192 кбит/с (n=3)",   "256 кбит/с (n=4)",
    "320 кбит/с (n=5)",   "384 кбит/с (n=6)",   "448 кбит/с (n=7)",   "512 кбит/с (n=8)",
    "576 кбит/с (n=9)",   "640 кбит/с (n=10)",  "704 кбит/с (n=11)",  "768 кбит/с (n=12)",
    "832 кбит/с (n=13)",  "896 кбит/с (n=14)",  "960 кбит/с (n=15)",  "1024 кбит/с (n=16)",
    "1088 кбит/с (n=17)", "1152 кбит/с (n=18)", "1216 кбит/с (n=19)", "1280 кбит/с (n=20)",
    "1344 кбит/с (n=21)", "1408 кбит/с (n=22)", "1472 кбит/с (n=23)", "1536 кбит/с (n=24)",
    "1600 кбит/с (n=25)", "1664 кбит/с (n=26)", "1728 кбит/с (n=27)", "1792 кбит/с (n=28)",
    "1856 кбит/с (n=29)", "1920 кбит/с (n=30)", "1984 кбит/с (n=31)", "2048 кбит/с (n=32)"};
constexpr std::array<std::string_view, 8> k2VsInterfaceItems{
    "---",  "V.11 (RS-530A)",     "V.11 (RS-530)", "V.11 (X.21)",
    "V.35", "V.11 (RS-449/V.36)", "V.28/RS232",    "Отключен"};
constexpr std::array<std::string_view, 3> k2VsSyncItems{"0", "1", "нет"};
constexpr auto k2VsFields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "N =",
     .Word = 0,
     .Width = 5,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::WordPerSet,
     .Items = k2VsRateItems,
     .Names = {.First = 2, .Step = 2},
     .ReadOnly = true},
    {.Control = "ComboBox%d",
     .Caption = "интерфейс",
     .Word = 0,
     .Bit = 5,
     .Width = 3,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::WordPerSet,
     .Items = k2VsInterfaceItems,
     .Names = {.First = 1, .Step = 2}},
    {.Control = "CBCtsEqRts%d", .Caption = "CTS = RTS", .Word = 0, .Bit = 14, .Sets = TSetLayout::WordPerSet},
    {.Control = "CBMode%d", .Caption = "режим DTE", .Word = 0, .Bit = 15, .Sets = TSetLayout::WordPerSet},
    // Without a selection set 0's priority stores 3; set 1's cannot be stored at all.
    {.Control = "CBSync0",
     .Caption = "приоритет выдачи синхросигнала комплекта №0",
     .Word = 2,
     .Width = 2,
     .Kind = TFieldKind::List,
     .Items = k2VsSyncItems},
    {.Control = "CBSync1",
     .Caption = "приоритет выдачи синхросигнала комплекта №1",
     .Word = 2,
     .Bit = 2,
     .Width = 2,
     .Kind = TFieldKind::List,
     .Items = k2VsSyncItems,
     .NoSelection = TNoSelection::RangeCheck},
});
constexpr TBlockLayout k2Vs{.Type = 12,
                            .Title = "Конфигурация 2VS, слот %d",
                            .SetCount = 2,
                            .Rebuilt = Words({0, 1, 2}),
                            .Fields = k2VsFields};

// 4C64: a priority list without a selection stores 15.
constexpr std::array<std::string_view, 4> k4C64PriorityNames{"CBOutputPriority_0", "CBOutPutPriority_1",
                                                             "CBOutputPriority_2", "CBOutputPriority_3"};
constexpr auto k4C64Fields = std::to_array<TBlockField>({
    {.Control = "CBOutputPriority_%d",
     .Caption = kPriorityCaption,
     .Word = 0,
     .Width = 4,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::Nibble,
     .Items = kPriorityItems,
     .Names = {.Listed = k4C64PriorityNames}},
    Nib("CBLeftUnused_%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop_%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop_%d", "локальный loopback", 1, 2),
    Nib("CBPrbsTest_%d", "PRBS test", 2, 1),
});
constexpr TBlockLayout k4C64{.Type = 15,
                             .Title = "Конфигурация 4С64, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2}),
                             .Fields = k4C64Fields};

// LAN: eight HDLC channels in W0, two bits each.
constexpr std::array<std::string_view, 4> kLanCodingItems{"без инверсии", "инверсия по маске 0x55",
                                                          "инверсия по маске 0xFF", "инверсия по маске 0xAA"};
constexpr auto kLanFields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "HDLC coding",
     .Word = 0,
     .Width = 2,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::Pair,
     .Items = kLanCodingItems,
     .Names = {.First = 1}},
});
constexpr TBlockLayout kLan{.Type = 16,
                            .Title = "Конфигурация LAN, слот %d",
                            .SetCount = 8,
                            .Rebuilt = Words({0}),
                            .Fields = kLanFields};

// 4C1И: a rate list without a selection leaves 0 ("1200 бит/с").
constexpr std::array<std::string_view, 3> k4C1IModeItems{"Нормальный", "{0, 1} -> 0, {2, 3} -> 1 (V < 28800)",
                                                         "{0, 1, 2, 3} -> 0  (V < 14400)"};
constexpr std::array<std::string_view, 9> k4C1IRateItems{"1200 бит/с",  "2400 бит/с",  "4800 бит/с",
                                                         "9600 бит/с",  "14400 бит/с", "19200 бит/с",
                                                         "28800 бит/с", "38400 бит/с", "48000 бит/с"};
constexpr TBlockField C1IBox(std::string_view caption, std::uint8_t bit) {
    return {.Control = "CheckBox%d",
            .Caption = caption,
            .Word = 1,
            .Bit = bit,
            .Sets = TSetLayout::Nibble,
            .Names = {.First = static_cast<std::uint8_t>(bit + 1), .Step = 4}};
}
constexpr auto k4C1IFields = std::to_array<TBlockField>({
    {.Control = "RadioGroup1",
     .Caption = "режим",
     .Word = 0,
     .Width = 2,
     .Kind = TFieldKind::Radio,
     .Items = k4C1IModeItems,
     .Buttons = kModeButtons,
     .NoSelection = TNoSelection::Value,
     .ClampToItems = true},
    C1IBox("локальный loopback", 0),
    C1IBox("удалённый loopback", 1),
    C1IBox("PRBS test ", 2),
    C1IBox("PRBS testD", 3),
    {.Control = "ComboBox%d",
     .Caption = "Скорость",
     .Word = 2,
     .Width = 4,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::Nibble,
     .Items = k4C1IRateItems,
     .NoSelection = TNoSelection::Value,
     .Names = {.First = 1}},
    Nib("CBNotUsed%d", "не использовать комплект", 3, 0),
});
constexpr TBlockLayout k4C1I{.Type = 19,
                             .Title = "Конфигурация 4С1И, слот %d",
                             .SetCount = 4,
                             .Rebuilt = Words({0, 1, 2, 3}),
                             .Fields = k4C1IFields};

// --- ДП: codes are the shown value minus the first item's; a list without a selection stores the code one
// below its first item. W6 holds no field and becomes 0.
constexpr std::array<std::string_view, 2> kDpSourceItems{"источник напряжения", "источник тока"};
constexpr std::array<std::string_view, 2> kDpSourceButtons{"RBVoltageSource", "RBCurrentSource"};
constexpr TBlockField DpList(std::string_view control, std::string_view caption, std::uint8_t word,
                             std::uint8_t bit, std::uint8_t width, std::uint16_t first, std::uint16_t last,
                             std::uint8_t offset) {
    return {.Control = control,
            .Caption = caption,
            .Word = word,
            .Bit = bit,
            .Width = width,
            .Kind = TFieldKind::Number,
            .Offset = offset,
            .Numbers = {.First = first, .Last = last}};
}
constexpr auto kDpFields = std::to_array<TBlockField>({
    {.Control = "",
     .Caption = "тип источника",
     .Word = 0,
     .Kind = TFieldKind::Radio,
     .Items = kDpSourceItems,
     .Buttons = kDpSourceButtons},
    {.Control = "CBDisableLeak", .Caption = "запретить отключение по утечке", .Word = 0, .Bit = 1},
    {.Control = "CBDisableBreak", .Caption = "запретить отключение по обрыву", .Word = 0, .Bit = 2},
    {.Control = "CBDisableShort", .Caption = "запретить отключение по замыканию", .Word = 0, .Bit = 3},
    {.Control = "CBOffline", .Caption = "отключить ДП", .Word = 0, .Bit = 7, .Inverted = true},
    DpList("CBVoltageVal", "напряжение стабилизации, В:", 0, 8, 8, 200, 300, 0),
    DpList("CBVoltageMaxI", "макс. ток, мА", 1, 0, 8, 40, 150, 40),
    DpList("CBVoltageMinI", "мин. ток, мA", 1, 8, 8, 1, 150, 1),
    DpList("CBCurrentVal", "ток стабилизации, мA:", 2, 0, 8, 40, 150, 40),
    DpList("CBCurrentOffI", "порог отключения, мА:", 2, 8, 8, 1, 150, 1),
    DpList("CBCurrentMaxU", "макс. напряжение, В:", 3, 0, 16, 80, 600, 80),
    DpList("CBCurrentMinU", "мин. напряжение, В:", 4, 0, 16, 60, 600, 60),
    DpList("CBRestrictionLevel", "порог ограничения тока, мA:", 5, 0, 8, 70, 160, 70),
    {.Control = "CBLeakLevel",
     .Caption = "порог тока утечки, мА:",
     .Word = 5,
     .Bit = 8,
     .Width = 8,
     .Kind = TFieldKind::Number,
     .Offset = 20,
     .Numbers = {.First = 20, .Last = 80, .InTenths = true}},
});
constexpr TBlockLayout kDp{.Type = 26,
                           .Title = "Конфигурация ДП, слот %d",
                           .SetCount = 1,
                           .Rebuilt = Words({0, 1, 2, 3, 4, 5, 6}),
                           .Fields = kDpFields};

// --- the multiplexer settings record (CPU)
constexpr std::array<std::string_view, 16> kSlotItems{
    "слот 0", "слот 1", "слот 2",  "слот 3",  "слот 4",  "слот 5",  "слот 6",  "слот 7",
    "слот 8", "слот 9", "слот 10", "слот 11", "слот 12", "слот 13", "слот 14", "слот 15"};
constexpr std::array<std::string_view, 7> kInputPriorityItems{"приор. 0", "приор. 1", "приор. 2", "приор. 3",
                                                              "приор. 4", "приор. 5", "никогда"};
constexpr std::array<std::string_view, 4> kSyncTypeItems{
    "Внешняя (вход 5)", "По таблице (для ЦП85, 1E1 v1.0)", "По таблице приоритетов входов", "Только от ЦП"};
constexpr std::array<std::string_view, 4> kSyncTypeButtons{"RadioGroup1_0", "RadioGroup1_1", "RadioGroup1_2",
                                                           "RadioGroup1_3"};

constexpr auto kCpuFields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "слот",
     .Word = 0,
     .Width = 4,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::WordPerSet,
     .Items = kSlotItems,
     .NoSelection = TNoSelection::Refuse,
     .Names = {.First = 1}},
    {.Control = "ComboBox%d",
     .Caption = "приоритет",
     .Word = 0,
     .Bit = 4,
     .Width = 3,
     .Kind = TFieldKind::List,
     .Sets = TSetLayout::WordPerSet,
     .Items = kInputPriorityItems,
     .NoSelection = TNoSelection::Refuse,
     .Names = {.First = 7}},
    // A type of 4 or more shows no selection and is stored as "Только от ЦП".
    {.Control = "RadioGroup1",
     .Caption = "Тип синхронизации",
     .Word = 6,
     .Width = 16,
     .Kind = TFieldKind::Radio,
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

constexpr TBlockLayout kCpuLayout{.Type = 32,
                                  .Title = "Настройки мультиплексора",
                                  .SetCount = 6,
                                  .Rebuilt = Words({0, 1, 2, 3, 4, 5, 6, 9}),
                                  .Fields = kCpuFields};

constexpr auto kLayouts = std::to_array<const TBlockLayout*>({
    &k1E1,  &k4E1,   &k4I15, &k4ToP, &k1DSL, &k4DSL, &k4DSLv2, &k4Th, &k4Thu, &k4Ak, &k4Al,       &k4Mb,
    &k4Slu, &kAdpcm, &k8Ak,  &k4Tlg, &k4V24, &k2Vs,  &k4C64,   &kLan, &k4C1I, &kDp,  &kCpuLayout,
});

}  // namespace

const TBlockLayout* FindBlockLayout(std::uint8_t type) {
    for (const TBlockLayout* layout : kLayouts) {
        if (layout->Type == type && layout != &kCpuLayout) {
            return layout;
        }
    }
    return nullptr;
}

const TBlockLayout& MuxSettingsLayout() {
    return kCpuLayout;
}

std::span<const TBlockLayout* const> AllBlockLayouts() {
    return kLayouts;
}

}  // namespace tervis::boards
