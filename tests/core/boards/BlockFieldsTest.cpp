#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "core/boards/BlockFields.h"

namespace tervis::boards {
namespace {

using TWords = std::array<std::uint16_t, 10>;

// Every copy of every field lies inside its record and no two fields share a bit: a slip in a table
// row (a wrong word, bit or set layout) shows here before any dialog is opened.
TEST(BlockFields, FieldsOfEveryTableFitTheirWordsAndNeverOverlap) {
    std::vector<const TBlockLayout*> layouts = {&MuxSettingsLayout()};
    for (int type : {1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 22, 23, 24, 26, 27, 29}) {
        ASSERT_NE(FindBlockLayout(static_cast<std::uint8_t>(type)), nullptr) << type;
        layouts.push_back(FindBlockLayout(static_cast<std::uint8_t>(type)));
    }
    for (const TBlockLayout* layout : layouts) {
        const int words = layout->Type == 32 ? 10 : 9;
        std::array<std::uint16_t, 10> used{};
        for (const TBlockField& field : layout->Fields) {
            const int sets = IsPerSet(field) ? layout->SetCount : 1;
            for (int set = 0; set < sets; ++set) {
                const TFieldPlace place = FieldPlace(field, set);
                SCOPED_TRACE(ControlName(field, set) + " of type " + std::to_string(layout->Type));
                ASSERT_LT(place.Word, words);
                ASSERT_LE(place.Bit + field.Width, 16);
                const auto mask = static_cast<std::uint16_t>(unsigned{FieldMask(field)} << place.Bit);
                EXPECT_EQ(used[static_cast<std::size_t>(place.Word)] & mask, 0);
                used[static_cast<std::size_t>(place.Word)] |= mask;
                if (field.Kind == TFieldKind::Radio) {
                    EXPECT_EQ(field.Buttons.size(), field.Items.size());
                }
            }
        }
    }
}

TEST(BlockFields, PlacesOfPerSetFields) {
    struct TCase {
        std::uint8_t Type;
        std::string_view Control;
        int Set;
        std::string Name;
        int Word;
        int Bit;
    };
    const TCase cases[] = {
        {10, "ComboBox%d", 3, "ComboBox4", 0, 12},
        {10, "CBUseAMI%d", 2, "CBUseAMI2", 1, 11},
        {13, "CBBefore84_%d", 1, "CBBefore84_1", 3, 7},
        {24, "CBSpeedDSL%d", 3, "CBSpeedDSL3", 6, 8},
        {24, "CBSpeedTDM%d", 1, "CBSpeedTDM1", 7, 8},
        {29, "CBTcpam%d", 2, "CBTcpam2", 3, 8},
        {32, "ComboBox%d", 4, "ComboBox5", 4, 0},  // the slot list of input 4
        {12, "ComboBox%d", 1, "ComboBox4", 1, 0},  // the 2VS n lists are the even ones
        {15, "CBOutputPriority_%d", 1, "CBOutPutPriority_1", 0, 4},
        {20, "TrackBar%d", 1, "TrackBar3", 2, 8},  // the 4ТЧУ skips W1
        {20, "TrackBar%d", 3, "TrackBar7", 4, 8},
        {19, "CheckBox%d", 2, "CheckBox9", 1, 8},
    };
    for (const TCase& c : cases) {
        const TBlockLayout& layout = c.Type == 32 ? MuxSettingsLayout() : *FindBlockLayout(c.Type);
        const TBlockField* field = FindField(layout, c.Control);
        ASSERT_NE(field, nullptr) << c.Control;
        EXPECT_EQ(ControlName(*field, c.Set), c.Name);
        EXPECT_EQ(FieldPlace(*field, c.Set).Word, c.Word) << c.Name;
        EXPECT_EQ(FieldPlace(*field, c.Set).Bit, c.Bit) << c.Name;
    }
    // The CPU's priority lists follow its six slot lists.
    const TBlockField& priority = MuxSettingsLayout().Fields[1];
    EXPECT_EQ(ControlName(priority, 1), "ComboBox8");
    EXPECT_EQ(FieldPlace(priority, 1).Word, 1);
    EXPECT_EQ(FieldPlace(priority, 1).Bit, 4);
    // The 4DSL's TC-PAM32 button of set 1 is the top bit of W5.
    const TBlockField* tcPam = nullptr;
    for (const TBlockField& field : FindBlockLayout(24)->Fields) {
        if (field.Kind == TFieldKind::Radio) {
            tcPam = &field;
        }
    }
    ASSERT_NE(tcPam, nullptr);
    EXPECT_EQ(FieldPlace(*tcPam, 1).Bit, 15);
    EXPECT_EQ(ButtonName(*tcPam, 1, 1), "RBTcPam32_1");
}

TEST(BlockFields, WritingAFieldLeavesEveryOtherBit) {
    TWords words;
    words.fill(0xFFFF);
    const TBlockField* rate = FindField(*FindBlockLayout(24), "CBSpeedDSL%d");
    WriteField(words, *rate, 1, 0x1FF);  // cut to 7 bits
    EXPECT_EQ(words[5], 0xFFFF);
    WriteField(words, *rate, 1, 5);
    EXPECT_EQ(words[5], 0x85FF);
    EXPECT_EQ(ReadField(words, *rate, 1), 5U);
    EXPECT_EQ(words[6], 0xFFFF);
}

struct TShow {
    const TBlockField* Field;
    unsigned Value;
    int Index;      // the item the list shows for the value
    int Count = 0;  // the items the list holds; 0: as many as the field offers
};

void ExpectShown(std::span<const TShow> shows) {
    for (const TShow& show : shows) {
        const int own = show.Field->Kind == TFieldKind::Radio
                            ? static_cast<int>(show.Field->Items.size())
                            : static_cast<int>(ListItems(*show.Field).size());
        EXPECT_EQ(ItemIndexFor(*show.Field, show.Value, show.Count != 0 ? show.Count : own), show.Index)
            << show.Field->Control << " value " << show.Value;
    }
}

struct TStore {
    const TBlockField* Field;
    int Index;
    unsigned Value;
};

void ExpectStored(std::span<const TStore> stores) {
    for (const TStore& store : stores) {
        EXPECT_EQ(ValueForItem(*store.Field, store.Index), store.Value)
            << store.Field->Control << " index " << store.Index;
    }
}

// What a list shows for a stored value, and what a list shows nothing stores.
TEST(BlockFields, ListItemsForValuesAndValuesForMissingSelections) {
    const TBlockField* e1Priority = FindField(*FindBlockLayout(10), "ComboBox%d");
    const TBlockField* i15Priority = FindField(*FindBlockLayout(13), "CBPriority_%d");
    const TBlockField* dslRate = FindField(*FindBlockLayout(24), "CBSpeedDSL%d");
    const TBlockField* dslTdm = FindField(*FindBlockLayout(24), "CBSpeedTDM%d");
    const TBlockField* dslSync = FindField(*FindBlockLayout(24), "CBSync%d");
    const TBlockField* v2Rate = FindField(*FindBlockLayout(29), "CBSpeedDSL%d");
    const TBlockField* v2Code = FindField(*FindBlockLayout(29), "CBTcpam%d");
    const TBlockField* oneDslRate = FindField(*FindBlockLayout(23), "CBSpeed");
    const TBlockField& cpuType = MuxSettingsLayout().Fields[2];

    const TShow shows[] = {
        {e1Priority, 4, 4, 5}, {e1Priority, 5, -1, 5}, {e1Priority, 15, -1, 5},
        {dslRate, 3, 0, 87},   {dslRate, 89, 86, 87},  {dslRate, 2, -1, 87},  // 2 - 3 in 8 bits is 255
        {dslRate, 90, -1, 87}, {v2Rate, 0, -1, 176},   {v2Rate, 178, 175, 176},
        {dslTdm, 0, 0, 33},    {dslTdm, 33, -1, 33},
    };
    ExpectShown(shows);
    const TStore stores[] = {
        {e1Priority, -1, 15}, {e1Priority, 4, 4}, {i15Priority, -1, 0}, {dslSync, -1, 15},
        {dslRate, -1, 2},     {dslRate, 86, 89},  {dslTdm, -1, 127},    {v2Rate, -1, 2},
        {v2Rate, 175, 178},   {v2Code, -1, 15},   {oneDslRate, -1, 2},  {oneDslRate, 28, 31},
        {&cpuType, -1, 3},    {&cpuType, 0, 0},
    };
    ExpectStored(stores);
    // A protocol, a 4V24 rate or the 2VS set 1 priority without a selection does not fit its word.
    EXPECT_THROW(ValueForItem(*FindField(*FindBlockLayout(1), "ComboBox%d"), -1), ERangeCheck);
    EXPECT_THROW(ValueForItem(*FindField(*FindBlockLayout(20), "ComboBox%d"), -1), ERangeCheck);
    EXPECT_THROW(ValueForItem(*FindField(*FindBlockLayout(8), "ComboBox%d"), -1), ERangeCheck);
    EXPECT_THROW(ValueForItem(*FindField(*FindBlockLayout(12), "CBSync1"), -1), ERangeCheck);
    EXPECT_EQ(ValueForItem(*FindField(*FindBlockLayout(12), "CBSync0"), -1), 3u);
    // An input of the CPU's table without a slot or a priority cannot be stored.
    EXPECT_THROW(ValueForItem(MuxSettingsLayout().Fields[0], -1), EInvalidParameters);
    EXPECT_THROW(ValueForItem(MuxSettingsLayout().Fields[1], -1), EInvalidParameters);
}

// The words OK rebuilds whole on each board (their unlisted bits become 0); the others keep what was loaded.
TEST(BlockFields, WordsEachBoardRebuilds) {
    const std::pair<int, std::vector<int>> boards[] = {
        {7, {0, 1, 4}},
        {10, {0, 1, 2, 3, 4}},
        {22, {0, 1, 2, 3, 4}},
        {13, {0, 1, 2, 3}},
        {23, {0, 1, 2, 4}},
        {24, {0, 1, 2, 4, 5, 6, 7, 8}},
        {29, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {1, {0, 1}},
        {20, {0, 1, 2, 3, 4}},
        {3, {1}},
        {2, {1, 2}},
        {9, {1}},
        {11, {1}},
        {14, {0}},
        {18, {0, 1}},
        {27, {1, 2}},
        {8, {0, 1, 2}},
        {12, {0, 1, 2}},
        {15, {0, 1, 2}},
        {16, {0}},
        {19, {0, 1, 2, 3}},
        {26, {0, 1, 2, 3, 4, 5, 6}},
        {32, {0, 1, 2, 3, 4, 5, 6, 9}},
    };
    for (const auto& [type, rebuilt] : boards) {
        const TBlockLayout& layout =
            type == 32 ? MuxSettingsLayout() : *FindBlockLayout(static_cast<std::uint8_t>(type));
        TWords words;
        words.fill(0xABCD);
        ClearRebuiltWords(words, layout);
        TWords expected;
        expected.fill(0xABCD);
        for (int word : rebuilt) {
            expected[static_cast<std::size_t>(word)] = 0;
        }
        EXPECT_EQ(words, expected) << "type " << type;
    }
}

TEST(BlockFields, RebuiltWordsAreClearedOthersKept) {
    TWords words;
    words.fill(0xABCD);
    ClearRebuiltWords(std::span(words).first(9), *FindBlockLayout(7));  // 1E1: W0, W1, W4
    EXPECT_EQ(words, (TWords{0, 0, 0xABCD, 0xABCD, 0, 0xABCD, 0xABCD, 0xABCD, 0xABCD, 0xABCD}));
    words.fill(0xABCD);
    ClearRebuiltWords(words, MuxSettingsLayout());  // W7 and W8 are the measurer's
    EXPECT_EQ(words, (TWords{0, 0, 0, 0, 0, 0, 0, 0xABCD, 0xABCD, 0}));
}

// Mixed letters kept as the operator knows them: Latin T in "TЧ", Latin A in "AЛ" and "AK", Cyrillic Е in
// "1Е1", Latin I in "4I15", Cyrillic С in "4С64" and "4С1И".
TEST(BlockFields, DialogTitles) {
    const std::pair<int, std::string_view> titles[] = {
        {1, "Конфигурация TЧ, слот 5"},     {2, "Конфигурация AЛ, слот 5"},
        {3, "Конфигурация AK, слот 5"},     {7, "Конфигурация 1Е1, слот 5"},
        {8, "Конфигурация 4V24, слот 5"},   {9, "Конфигурация МБ, слот 5"},
        {10, "Конфигурация 4E1, слот 5"},   {11, "Конфигурация СЛУ, слот 5"},
        {12, "Конфигурация 2VS, слот 5"},   {13, "Конфигурация 4I15, слот 5"},
        {14, "Конфигурация АДИКМ, слот 5"}, {15, "Конфигурация 4С64, слот 5"},
        {16, "Конфигурация LAN, слот 5"},   {18, "Конфигурация 8AK, слот 5"},
        {19, "Конфигурация 4С1И, слот 5"},  {20, "Конфигурация 4ТЧУ, слот 5"},
        {22, "Конфигурация 4ToP, слот 5"},  {23, "Конфигурация 1DSL, слот 5"},
        {24, "Конфигурация 4DSL, слот 5"},  {26, "Конфигурация ДП, слот 5"},
        {27, "Конфигурация 4TLG, слот 5"},  {29, "Конфигурация 4DSLv2, слот 5"},
        {32, "Настройки мультиплексора"},
    };
    for (const auto& [type, title] : titles) {
        EXPECT_EQ(DialogTitle(static_cast<std::uint8_t>(type), 5), title) << type;
    }
    EXPECT_EQ(DialogTitle(13, 15), "Конфигурация 4I15, слот 15");
    EXPECT_EQ(AllBlockLayouts().size(), std::size(titles));
    for (int type : {0, 25, 33, 34, 255}) {
        EXPECT_FALSE(DialogTitleFormat(static_cast<std::uint8_t>(type)).has_value()) << type;
    }
}

// The value of one setting of a described block, "(missing)" when it is not there.
std::string DescribedValue(const std::vector<TSettingText>& settings, int set, std::string_view caption) {
    for (const TSettingText& setting : settings) {
        if (setting.Set == set && setting.Caption == caption) {
            return setting.Value;
        }
    }
    return "(missing)";
}

TEST(BlockFields, BlocksDescribedInTheOperatorsWords) {
    std::array<std::uint16_t, 9> block{0x3F10, 0x0800, 0, 0, 0x0002, 0, 0, 0, 0};
    const std::vector<TSettingText> settings = DescribeBlock(10, block);
    ASSERT_EQ(settings.size(), 44u);  // eleven settings of four sets
    const auto find = [&](int set, std::string_view caption) {
        return DescribedValue(settings, set, caption);
    };
    EXPECT_EQ(find(0, "Приоритет выдачи синхросигнала"), "0");
    EXPECT_EQ(find(1, "Приоритет выдачи синхросигнала"), "1");
    EXPECT_EQ(find(2, "Приоритет выдачи синхросигнала"), "?(15)");
    EXPECT_EQ(find(2, "кодировка AMI"), "да");
    EXPECT_EQ(find(1, "кодировка AMI"), "нет");
    EXPECT_EQ(find(0, "разговорный 0-й КИ"), "да");
    EXPECT_EQ(SettingName({2, "кодировка AMI", "да"}), "комплект 2: кодировка AMI");

    const std::array<std::uint16_t, 9> dsl{0, 0, 0, 0, 0, 0x0020, 0, 0x001E, 0};
    const std::vector<TSettingText> one = DescribeBlock(23, dsl);
    EXPECT_EQ(one.front().Caption, "Скорость:");
    EXPECT_EQ(one.front().Value, "4х64 кбит/с");
    const std::vector<TSettingText> four = DescribeBlock(24, dsl);
    const auto rate = std::find_if(four.begin(), four.end(), [](const TSettingText& s) {
        return s.Set == 0 && s.Caption == "скорость DSL";
    });
    ASSERT_NE(rate, four.end());
    EXPECT_EQ(rate->Value, "32х64 кбит/с");
    EXPECT_TRUE(DescribeBlock(25, dsl).empty());
}

// The lists of the DSL dialogs, item by item.
TEST(BlockFields, DslListsItemByItem) {
    const std::vector<std::string> modes = {"без сигнализации CAS", "с одним каналом CAS",
                                            "с двумя каналами CAS", "вынос станции ЛВ-420",
                                            "концентратор ЛВ-420"};
    EXPECT_EQ(ListItems(*FindField(*FindBlockLayout(24), "CBMode%d")), modes);
    EXPECT_EQ(ListItems(*FindField(*FindBlockLayout(29), "CBMode%d")), modes);
    EXPECT_EQ(ListItems(*FindField(*FindBlockLayout(29), "CBTcpam%d")),
              (std::vector<std::string>{"TC-PAM 4", "TC-PAM 8", "TC-PAM 16", "TC-PAM 32", "TC-PAM 64",
                                        "TC-PAM 128"}));
    const std::vector<std::string> priorities = {"0", "1", "2", "3", "нет"};
    EXPECT_EQ(ListItems(*FindField(*FindBlockLayout(24), "CBSync%d")), priorities);
    // The line rates: Cyrillic х on the 4DSL, Latin x on the 4DSLv2 and in the TDM lists.
    EXPECT_EQ(FieldValueText(*FindField(*FindBlockLayout(24), "CBSpeedDSL%d"), 3), "3х64 кбит/с");
    EXPECT_EQ(FieldValueText(*FindField(*FindBlockLayout(29), "CBSpeedDSL%d"), 3), "3x64 кбит/с");
    EXPECT_EQ(FieldValueText(*FindField(*FindBlockLayout(24), "CBSpeedTDM%d"), 5), "5x64 кбит/с");
}

// The 1DSL rate: five bits of W0 carry the code, a code below 3 shows the first item; the dump, the dialog
// and the field table agree.
TEST(BlockFields, OneDslRateMaskAndClamp) {
    const TBlockField& rate = *FindField(*FindBlockLayout(23), "CBSpeed");
    const struct {
        std::uint16_t W0;
        int Index;
        std::string_view Text;
    } cases[] = {
        {0x0025, 2, "6х64 кбит/с"},   {0x0000, 0, "4х64 кбит/с"}, {0x0020, 0, "4х64 кбит/с"},
        {0x001F, 28, "32х64 кбит/с"}, {0x0002, 0, "4х64 кбит/с"}, {0x0003, 0, "4х64 кбит/с"},
        {0x0004, 1, "5х64 кбит/с"},   {0xFFE5, 2, "6х64 кбит/с"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ItemIndexFor(rate, c.W0, 29), c.Index) << c.W0;
        const std::array<std::uint16_t, 9> block{c.W0, 0, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(DescribeBlock(23, block).front().Value, c.Text) << c.W0;
    }
    const std::vector<std::string> items = ListItems(rate);
    ASSERT_EQ(items.size(), 29u);
    EXPECT_EQ(items.front(), "4х64 кбит/с");
    EXPECT_EQ(items[1], "5х64 кбит/с");
    EXPECT_EQ(items.back(), "32х64 кбит/с");
    EXPECT_EQ(ValueForItem(rate, 0), 3u);
    EXPECT_EQ(ValueForItem(rate, 28), 31u);
}

// The lists whose items are not plain indexes: number lists counted from their first code (hundreds of
// items for a whole-word field), lists by steps, radio groups that show the nearest item.
TEST(BlockFields, NumberListsStepsAndClampedGroups) {
    const TBlockLayout& dp = *FindBlockLayout(26);
    const TBlockField* stabilisation = FindField(dp, "CBVoltageVal");
    const TBlockField* minCurrent = FindField(dp, "CBVoltageMinI");
    const TBlockField* maxVoltage = FindField(dp, "CBCurrentMaxU");
    const TBlockField* leak = FindField(dp, "CBLeakLevel");
    const TBlockField* adpcm = FindField(*FindBlockLayout(14), "ComboBox1");
    const TBlockField* slu = FindField(*FindBlockLayout(11), "RadioGroup%d");
    const TBlockField* v24Mode = FindField(*FindBlockLayout(8), "RadioGroup1");
    const TBlockField* c1iMode = FindField(*FindBlockLayout(19), "RadioGroup1");

    const TShow shows[] = {
        {stabilisation, 0, 0},
        {stabilisation, 100, 100},
        {stabilisation, 101, -1},
        {minCurrent, 0, -1},
        {minCurrent, 18, 17},
        {maxVoltage, 79, -1},
        {maxVoltage, 80, 0},
        {maxVoltage, 600, 520},
        {maxVoltage, 601, -1},
        {leak, 19, -1},
        {leak, 20, 0},
        {leak, 80, 60},
        {adpcm, 6, 1},
        {adpcm, 64, 16},
        {adpcm, 65, -1},
        {slu, 0, 0},
        {slu, 1, 0},
        {slu, 7, 6},
        {slu, 15, 6},
        {v24Mode, 3, 2},
        {c1iMode, 3, 2},  // the 4C1И mode 3 shows the last item
    };
    ExpectShown(shows);
    // Without a selection a ДП list stores the code one below its first item.
    const TStore stores[] = {
        {stabilisation, -1, 255}, {minCurrent, -1, 0}, {maxVoltage, -1, 79},
        {maxVoltage, 520, 600},   {leak, -1, 19},      {adpcm, -1, 0},
        {adpcm, 15, 60},          {slu, 0, 1},         {slu, 6, 7},
        {v24Mode, -1, 3},
    };
    ExpectStored(stores);
    EXPECT_EQ(ListItems(*leak).front(), "2,0");
    EXPECT_EQ(ListItems(*leak).back(), "8,0");
    EXPECT_EQ(ListItems(*maxVoltage).size(), 521u);
}

TEST(BlockFields, VoiceDataAndPowerBlocksDescribed) {
    struct TCase {
        std::uint8_t Type;
        std::array<std::uint16_t, 9> Words;
        int Set;
        std::string_view Caption;
        std::string_view Value;
    };
    constexpr std::array<std::uint16_t, 9> dp{1, 0x123C, 0x0A37, 300, 100, 0x5050, 0, 0, 0};
    constexpr std::array<std::uint16_t, 9> thu{0xB000, 0x00C1, 0, 0, 0x00FF, 0, 0, 0, 0};
    constexpr std::array<std::uint16_t, 9> ak8{1, 0x8002, 0, 0, 0, 0, 0, 0, 0};
    constexpr std::array<std::uint16_t, 9> vs{0x80E5, 0x0080, 0x000A, 0, 0, 0, 0, 0, 0};
    const TCase cases[] = {
        {26, dp, -1, "тип источника", "источник тока"},
        {26, dp, -1, "отключить ДП", "да"},  // bit 7 clear: the feed is off
        {26, dp, -1, "мин. ток, мA", "18"},
        {26, dp, -1, "макс. напряжение, В:", "300"},
        {26, dp, -1, "порог тока утечки, мА:", "8,0"},
        {20, thu, 0, "уровень передачи (четырёхпроводный)", "176 (0.0 дБ)"},
        {20, thu, 3, "уровень приёма", "255 (8.2 дБ)"},
        {20, thu, 0, "протокол", "Отключен"},
        {20, thu, 1, "протокол", "?(12)"},
        {18, ak8, -1, "режим", "Режим абонентского выноса ЛВ420"},
        {18, ak8, 0, "отключить сигнализацию", "да"},
        {18, ak8, 7, "отключить сигнализацию", "да"},
        {18, ak8, 6, "отключить сигнализацию", "нет"},
        {12, vs, 0, "N =", "384 кбит/с (n=6)"},
        {12, vs, 0, "интерфейс", "Отключен"},
        {12, vs, 0, "режим DTE", "да"},
        {12, vs, 1, "интерфейс", "V.35"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DescribedValue(DescribeBlock(c.Type, c.Words), c.Set, c.Caption), c.Value)
            << int(c.Type) << " set " << c.Set << " " << c.Caption;
    }
}

}  // namespace
}  // namespace tervis::boards
