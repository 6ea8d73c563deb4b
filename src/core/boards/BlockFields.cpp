#include "core/boards/BlockFields.h"

#include <algorithm>
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

// --- voice-frequency and signalling boards
constexpr std::array<sv, 12> kProtocolItems{"E&M",
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
                                .Kind = K::List,
                                .Sets = S::Nibble,
                                .Items = kProtocolItems,
                                .NoSelection = TNoSelection::RangeCheck,
                                .NameBase = 1};

constexpr std::array<sv, 4> kThLevelItems{"прм +4,3 дБ  прд -13 дБ", "прм 0 дБ прд 0 дБ",
                                          "прм 0 дБ прд -6 дБ (2пр.)", "прм -13 дБ прд +4,3 дБ"};
constexpr std::array<sv, 4> kThLevelButtons{"RadioGroup%d_0", "RadioGroup%d_1", "RadioGroup%d_2",
                                            "RadioGroup%d_3"};

// 4ТЧ: W0 and W1 are rebuilt; W2..W8 stay.
constexpr auto k4ThFields = std::to_array<TBlockField>({
    {.Control = "RadioGroup%d",
     .Caption = "уровни",
     .Word = 0,
     .Width = 2,
     .Kind = K::Radio,
     .Sets = S::Pair,
     .Items = kThLevelItems,
     .Buttons = kThLevelButtons,
     .NameBase = 1},
    kProtocol,
});

// 4ТЧУ: the levels of set 0 in W0, of sets 1..3 in W2..W4 (transmit in the high byte); W0..W4 are
// rebuilt, W5..W8 stay. The two-wire boxes live in the slot type record, not in the block.
constexpr std::array<sv, 4> kTxTrackBars{"TrackBar1", "TrackBar3", "TrackBar5", "TrackBar7"};
constexpr std::array<sv, 4> kRxTrackBars{"TrackBar2", "TrackBar4", "TrackBar6", "TrackBar8"};
constexpr auto k4ThuFields = std::to_array<TBlockField>({
    {.Control = "TrackBar%d",
     .Caption = "уровень передачи (четырёхпроводный)",
     .Word = 0,
     .Bit = 8,
     .Width = 8,
     .Kind = K::Level,
     .Sets = S::WordPerSetPastNext,
     .Names = kTxTrackBars,
     .LevelTenths = -176},
    {.Control = "TrackBar%d",
     .Caption = "уровень приёма",
     .Word = 0,
     .Bit = 0,
     .Width = 8,
     .Kind = K::Level,
     .Sets = S::WordPerSetPastNext,
     .Names = kRxTrackBars,
     .LevelTenths = -173},
    kProtocol,
});

// 4AK: a set is off when any bit of its group is set; OK rebuilds W1 with bit 4k only.
constexpr auto k4AkFields = std::to_array<TBlockField>({
    {.Control = "CheckListEn",
     .Caption = "отключить комплект",
     .Word = 1,
     .Width = 4,
     .Kind = K::CheckItem,
     .Sets = S::Nibble},
});

constexpr TBlockField kSetOff{.Control = "CheckListEn",
                              .Caption = "отключить комплект",
                              .Word = 1,
                              .Kind = K::CheckItem,
                              .Sets = S::Nibble};

// 4АЛ: W1 and W2 are rebuilt.
constexpr auto k4AlFields = std::to_array<TBlockField>({
    kSetOff,
    {.Control = "CheckListKeys",
     .Caption = "управление разговорным ключом",
     .Word = 2,
     .Kind = K::CheckItem,
     .Sets = S::Nibble},
});

// 4МБ: W1 is rebuilt.
constexpr auto k4MbFields = std::to_array<TBlockField>({
    kSetOff,
    {.Control = "CheckListKeys",
     .Caption = "конвертация МБ - E&M",
     .Word = 1,
     .Bit = 1,
     .Kind = K::CheckItem,
     .Sets = S::Nibble},
});

// 4СЛУ: mode code = item index + 1; code 0 shows "Отключен", codes 8..15 the last item. W1 is rebuilt.
constexpr std::array<sv, 7> kSluItems{"Отключен",     "СЛ 2ВСК->3Х",    "СЛ 3Х->2ВСК",    "СЛМ 2ВСК->3Х",
                                      "СЛМ 3Х->2ВСК", "СЛ 2ВСК->К727А", "СЛ К727А ->2ВСК"};
constexpr std::array<sv, 7> kSluButtons{"RadioGroup%d_0", "RadioGroup%d_1", "RadioGroup%d_2",
                                        "RadioGroup%d_3", "RadioGroup%d_4", "RadioGroup%d_5",
                                        "RadioGroup%d_6"};
constexpr auto k4SluFields = std::to_array<TBlockField>({
    {.Control = "RadioGroup%d",
     .Caption = "режим",
     .Word = 1,
     .Width = 4,
     .Kind = K::Radio,
     .Sets = S::Nibble,
     .Items = kSluItems,
     .Buttons = kSluButtons,
     .Offset = 1,
     .NameBase = 1,
     .ClampLast = true},
});

// АДИКМ: W0 counts the 16 kbit/s channels, 0..64 by 4; a larger count shows no selection, stored as 0.
constexpr auto kAdpcmFields = std::to_array<TBlockField>({
    {.Control = "ComboBox1",
     .Caption = "Каналов со скоростью 16 кбит/с",
     .Word = 0,
     .Width = 16,
     .Kind = K::Number,
     .NoSelection = TNoSelection::Value,
     .First = 0,
     .Last = 64,
     .Step = 4},
});

// 8AK: eight sets; a set's signalling is off when either of its two bits is set, and OK sets bit 2k only.
// W0 and W1 are rebuilt.
constexpr std::array<sv, 2> k8AkModeItems{"Режим прямого абонента (стандартный)",
                                          "Режим абонентского выноса ЛВ420"};
constexpr std::array<sv, 2> k8AkModeButtons{"RBStandardMode", "RBLapdMode"};
constexpr auto k8AkFields = std::to_array<TBlockField>({
    {.Control = "",
     .Caption = "режим",
     .Word = 0,
     .Kind = K::Radio,
     .Items = k8AkModeItems,
     .Buttons = k8AkModeButtons},
    {.Control = "CBConcentrator", .Caption = "с концентрацей нагрузки", .Word = 0, .Bit = 1},
    {.Control = "CheckBox%d",
     .Caption = "отключить сигнализацию",
     .Word = 1,
     .Width = 2,
     .Sets = S::Pair,
     .NameBase = 1},
});

// 4TLG: W1 and W2 are rebuilt.
constexpr auto k4TlgFields = std::to_array<TBlockField>({
    Nib("CBLeftUnused_%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop_%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop_%d", "локальный loopback", 1, 2),
    Nib("CBOnePol_%d", "однополюсная работа", 1, 3),
    {.Control = "CB4in1", .Caption = "в одном канале", .Word = 2, .Bit = 0},
});

// --- data boards
// 4V24: W0..W2 are rebuilt. A rate of 12..15 shows no selection, and OK cannot store it.
constexpr std::array<sv, 12> kV24RateItems{"Отключен",    "110 бит/с",   "300 бит/с",   "600 бит/с ",
                                           "1200 бит/с",  "2400 бит/с",  "4800 бит/с",  "9600 бит/с",
                                           "14400 бит/с", "19200 бит/с", "38400 бит/с", "57600 бит/с"};
constexpr std::array<sv, 3> kV24ModeItems{"Нормальный", "{0, 1} -> 0, {2, 3} -> 1", "{0, 1, 2, 3} -> 0"};
constexpr std::array<sv, 3> kModeButtons{"RadioGroup1_0", "RadioGroup1_1", "RadioGroup1_2"};
constexpr auto k4V24Fields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "скорость",
     .Word = 0,
     .Width = 4,
     .Kind = K::List,
     .Sets = S::Nibble,
     .Items = kV24RateItems,
     .NoSelection = TNoSelection::RangeCheck,
     .NameBase = 1},
    {.Control = "CheckBox%d",
     .Caption = "отключить сигнализацию",
     .Word = 1,
     .Sets = S::BitPerSet,
     .NameBase = 1},
    {.Control = "RadioGroup1",
     .Caption = "режим",
     .Word = 2,
     .Width = 2,
     .Kind = K::Radio,
     .Items = kV24ModeItems,
     .Buttons = kModeButtons,
     .NoSelection = TNoSelection::Value,
     .NoneValue = 3,
     .ClampLast = true},
});

// 2VS: set k in Wk. The n field (bits 0..4) follows the port's cross-connections and is only shown;
// OK keeps it and rebuilds bits 5..15. W2 is rebuilt whole.
constexpr std::array<sv, 32> k2VsRateItems{
    "64 кбит/с (n=1)",    "128 кбит/с (n=2)",   "192 кбит/с (n=3)",   "256 кбит/с (n=4)",
    "320 кбит/с (n=5)",   "384 кбит/с (n=6)",   "448 кбит/с (n=7)",   "512 кбит/с (n=8)",
    "576 кбит/с (n=9)",   "640 кбит/с (n=10)",  "704 кбит/с (n=11)",  "768 кбит/с (n=12)",
    "832 кбит/с (n=13)",  "896 кбит/с (n=14)",  "960 кбит/с (n=15)",  "1024 кбит/с (n=16)",
    "1088 кбит/с (n=17)", "1152 кбит/с (n=18)", "1216 кбит/с (n=19)", "1280 кбит/с (n=20)",
    "1344 кбит/с (n=21)", "1408 кбит/с (n=22)", "1472 кбит/с (n=23)", "1536 кбит/с (n=24)",
    "1600 кбит/с (n=25)", "1664 кбит/с (n=26)", "1728 кбит/с (n=27)", "1792 кбит/с (n=28)",
    "1856 кбит/с (n=29)", "1920 кбит/с (n=30)", "1984 кбит/с (n=31)", "2048 кбит/с (n=32)"};
constexpr std::array<sv, 8> k2VsInterfaceItems{"---",  "V.11 (RS-530A)",     "V.11 (RS-530)", "V.11 (X.21)",
                                               "V.35", "V.11 (RS-449/V.36)", "V.28/RS232",    "Отключен"};
constexpr std::array<sv, 3> k2VsSyncItems{"0", "1", "нет"};
constexpr auto k2VsFields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "N =",
     .Word = 0,
     .Width = 5,
     .Kind = K::List,
     .Sets = S::WordPerSet,
     .Items = k2VsRateItems,
     .NameBase = 2,
     .NameStep = 2,
     .ReadOnly = true},
    {.Control = "ComboBox%d",
     .Caption = "интерфейс",
     .Word = 0,
     .Bit = 5,
     .Width = 3,
     .Kind = K::List,
     .Sets = S::WordPerSet,
     .Items = k2VsInterfaceItems,
     .NameBase = 1,
     .NameStep = 2},
    {.Control = "CBCtsEqRts%d", .Caption = "CTS = RTS", .Word = 0, .Bit = 14, .Sets = S::WordPerSet},
    {.Control = "CBMode%d", .Caption = "режим DTE", .Word = 0, .Bit = 15, .Sets = S::WordPerSet},
    // Without a selection set 0's priority stores 3; set 1's cannot be stored at all.
    {.Control = "CBSync0",
     .Caption = "приоритет выдачи синхросигнала комплекта №0",
     .Word = 2,
     .Width = 2,
     .Kind = K::List,
     .Items = k2VsSyncItems},
    {.Control = "CBSync1",
     .Caption = "приоритет выдачи синхросигнала комплекта №1",
     .Word = 2,
     .Bit = 2,
     .Width = 2,
     .Kind = K::List,
     .Items = k2VsSyncItems,
     .NoSelection = TNoSelection::RangeCheck},
});

// 4C64: W0..W2 are rebuilt; a priority list without a selection stores 15.
constexpr std::array<sv, 4> k4C64PriorityNames{"CBOutputPriority_0", "CBOutPutPriority_1",
                                               "CBOutputPriority_2", "CBOutputPriority_3"};
constexpr auto k4C64Fields = std::to_array<TBlockField>({
    {.Control = "CBOutputPriority_%d",
     .Caption = kPriorityCaption,
     .Word = 0,
     .Width = 4,
     .Kind = K::List,
     .Sets = S::Nibble,
     .Items = kPriorityItems,
     .Names = k4C64PriorityNames},
    Nib("CBLeftUnused_%d", "не использовать комплект", 1, 0),
    Nib("CBRemoteLoop_%d", "удаленный loopback", 1, 1),
    Nib("CBLocalLoop_%d", "локальный loopback", 1, 2),
    Nib("CBPrbsTest_%d", "PRBS test", 2, 1),
});

// LAN: eight HDLC channels in W0, two bits each; W0 is rebuilt.
constexpr std::array<sv, 4> kLanCodingItems{"без инверсии", "инверсия по маске 0x55",
                                            "инверсия по маске 0xFF", "инверсия по маске 0xAA"};
constexpr auto kLanFields = std::to_array<TBlockField>({
    {.Control = "ComboBox%d",
     .Caption = "HDLC coding",
     .Word = 0,
     .Width = 2,
     .Kind = K::List,
     .Sets = S::Pair,
     .Items = kLanCodingItems,
     .NameBase = 1},
});

// 4C1И: W0..W3 are rebuilt; a rate list without a selection leaves 0 ("1200 бит/с").
constexpr std::array<sv, 3> k4C1IModeItems{"Нормальный", "{0, 1} -> 0, {2, 3} -> 1 (V < 28800)",
                                           "{0, 1, 2, 3} -> 0  (V < 14400)"};
constexpr std::array<sv, 9> k4C1IRateItems{"1200 бит/с",  "2400 бит/с",  "4800 бит/с",
                                           "9600 бит/с",  "14400 бит/с", "19200 бит/с",
                                           "28800 бит/с", "38400 бит/с", "48000 бит/с"};
constexpr TBlockField C1IBox(sv caption, std::uint8_t bit) {
    return {.Control = "CheckBox%d",
            .Caption = caption,
            .Word = 1,
            .Bit = bit,
            .Sets = S::Nibble,
            .NameBase = static_cast<std::uint8_t>(bit + 1),
            .NameStep = 4};
}
constexpr auto k4C1IFields = std::to_array<TBlockField>({
    {.Control = "RadioGroup1",
     .Caption = "режим",
     .Word = 0,
     .Width = 2,
     .Kind = K::Radio,
     .Items = k4C1IModeItems,
     .Buttons = kModeButtons,
     .NoSelection = TNoSelection::Value,
     .ClampLast = true},
    C1IBox("локальный loopback", 0),
    C1IBox("удалённый loopback", 1),
    C1IBox("PRBS test ", 2),
    C1IBox("PRBS testD", 3),
    {.Control = "ComboBox%d",
     .Caption = "Скорость",
     .Word = 2,
     .Width = 4,
     .Kind = K::List,
     .Sets = S::Nibble,
     .Items = k4C1IRateItems,
     .NoSelection = TNoSelection::Value,
     .NameBase = 1},
    Nib("CBNotUsed%d", "не использовать комплект", 3, 0),
});

// --- ДП: codes are the shown value minus the first item's; a list without a selection stores the code one
// below its first item. W0..W6 are rebuilt (W6 to 0), W7 and W8 stay.
constexpr std::array<sv, 2> kDpSourceItems{"источник напряжения", "источник тока"};
constexpr std::array<sv, 2> kDpSourceButtons{"RBVoltageSource", "RBCurrentSource"};
constexpr TBlockField DpList(sv control, sv caption, std::uint8_t word, std::uint8_t bit, std::uint8_t width,
                             std::uint16_t first, std::uint16_t last, std::uint8_t offset) {
    return {.Control = control,
            .Caption = caption,
            .Word = word,
            .Bit = bit,
            .Width = width,
            .Kind = K::Number,
            .Offset = offset,
            .First = first,
            .Last = last};
}
constexpr auto kDpFields = std::to_array<TBlockField>({
    {.Control = "",
     .Caption = "тип источника",
     .Word = 0,
     .Kind = K::Radio,
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
     .Kind = K::Number,
     .Offset = 20,
     .First = 20,
     .Last = 80,
     .Tenths = true},
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
    {.Type = 1, .SetCount = 4, .Rebuilt = Words({0, 1}), .Fields = k4ThFields},
    {.Type = 20, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 3, 4}), .Fields = k4ThuFields},
    {.Type = 3, .SetCount = 4, .Rebuilt = Words({1}), .Fields = k4AkFields},
    {.Type = 2, .SetCount = 4, .Rebuilt = Words({1, 2}), .Fields = k4AlFields},
    {.Type = 9, .SetCount = 4, .Rebuilt = Words({1}), .Fields = k4MbFields},
    {.Type = 11, .SetCount = 4, .Rebuilt = Words({1}), .Fields = k4SluFields},
    {.Type = 14, .SetCount = 1, .Rebuilt = Words({0}), .Fields = kAdpcmFields},
    {.Type = 18, .SetCount = 8, .Rebuilt = Words({0, 1}), .Fields = k8AkFields},
    {.Type = 27, .SetCount = 4, .Rebuilt = Words({1, 2}), .Fields = k4TlgFields},
    {.Type = 8, .SetCount = 4, .Rebuilt = Words({0, 1, 2}), .Fields = k4V24Fields},
    {.Type = 12, .SetCount = 2, .Rebuilt = Words({0, 1, 2}), .Fields = k2VsFields},
    {.Type = 15, .SetCount = 4, .Rebuilt = Words({0, 1, 2}), .Fields = k4C64Fields},
    {.Type = 16, .SetCount = 8, .Rebuilt = Words({0}), .Fields = kLanFields},
    {.Type = 19, .SetCount = 4, .Rebuilt = Words({0, 1, 2, 3}), .Fields = k4C1IFields},
    {.Type = 26, .SetCount = 1, .Rebuilt = Words({0, 1, 2, 3, 4, 5, 6}), .Fields = kDpFields},
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
    if (!field.Names.empty()) {
        return std::string(field.Names[static_cast<std::size_t>(set)]);
    }
    return IsPerSet(field) ? FormatNumber(field.Control, set * field.NameStep + field.NameBase)
                           : std::string(field.Control);
}

std::string ButtonName(const TBlockField& field, int item, int set) {
    const sv format = field.Buttons[static_cast<std::size_t>(item)];
    return IsPerSet(field) ? FormatNumber(format, set + field.NameBase) : std::string(format);
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
        case TSetLayout::Pair:
            return {field.Word, 2 * set + field.Bit};
        case TSetLayout::BitPerSet:
            return {field.Word, set + field.Bit};
        case TSetLayout::WordPerSetPastNext:
            return {field.Word + set + (set > 0 ? 1 : 0), field.Bit};
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
    if (field.Kind == TFieldKind::Number) {
        // Counted in full: a 16-bit field's value may lie hundreds of items from the first.
        const long above = static_cast<long>(value) - field.Offset;
        if (above < 0 || above > static_cast<long>(itemCount - 1) * field.Step) {
            return -1;
        }
        return static_cast<int>(above / field.Step);
    }
    if (field.Kind == TFieldKind::Radio) {
        const int index = static_cast<int>(value) - field.Offset;
        if (field.ClampLast) {
            return std::clamp(index, 0, itemCount - 1);
        }
        return index >= 0 && index < itemCount ? index : -1;
    }
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
        return static_cast<unsigned>(index + field.Offset);
    }
    if (field.Kind == TFieldKind::Number) {
        return static_cast<unsigned>(index * field.Step + field.Offset) & FieldMask(field);
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
        case TFieldKind::CheckItem:
            return (value != 0) != field.Inverted ? "да" : "нет";
        case TFieldKind::List:
        case TFieldKind::Radio:
        case TFieldKind::Number: {
            const std::vector<std::string> items = ListItems(field);
            const int index = ItemIndexFor(field, value, static_cast<int>(items.size()));
            return index < 0 ? unknown() : items[static_cast<std::size_t>(index)];
        }
        case TFieldKind::Level: {
            char text[32];
            std::snprintf(text, sizeof text, "%u (%.1f дБ)", value, LevelDb(field, value));
            return text;
        }
        case TFieldKind::Rate:
            if (value < field.Offset) {
                return unknown();
            }
            return FormatNumber(field.RateFormat, static_cast<int>(value) + field.RateBias);
    }
    return unknown();
}

std::vector<std::string> ListItems(const TBlockField& field) {
    std::vector<std::string> items;
    if (field.Kind != TFieldKind::Number) {
        items.assign(field.Items.begin(), field.Items.end());
        return items;
    }
    const unsigned step = field.Step == 0 ? 1U : field.Step;
    for (unsigned number = field.First; number <= field.Last; number += step) {
        if (field.Tenths) {
            items.push_back(std::to_string(number / 10) + "," + std::to_string(number % 10));
        } else {
            items.push_back(std::to_string(number));
        }
    }
    return items;
}

double LevelDb(const TBlockField& field, unsigned code) {
    return (static_cast<int>(code) + field.LevelTenths) / 10.0;
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
