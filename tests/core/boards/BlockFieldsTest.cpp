#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "core/boards/BlockFields.h"

namespace tervis::boards {
namespace {

using TWords = std::array<std::uint16_t, 10>;

// Every copy of every field lies inside its record and no two fields share a bit: a slip in a table
// row (a wrong word, bit or set layout) shows here before any dialog is opened.
TEST(BlockFields, FieldsOfEveryTableFitTheirWordsAndNeverOverlap) {
    std::vector<const TBlockLayout*> layouts = {&MuxSettingsLayout()};
    for (int type : {7, 10, 13, 22, 23, 24, 29}) {
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
        {10, "ComboBox%d", 3, "ComboBox4", 0, 12},      {10, "CBUseAMI%d", 2, "CBUseAMI2", 1, 11},
        {13, "CBBefore84_%d", 1, "CBBefore84_1", 3, 7}, {24, "CBSpeedDSL%d", 3, "CBSpeedDSL3", 6, 8},
        {24, "CBSpeedTDM%d", 1, "CBSpeedTDM1", 7, 8},   {29, "CBTcpam%d", 2, "CBTcpam2", 3, 8},
        {32, "ComboBox%d", 4, "ComboBox5", 4, 0},  // the slot list of input 4
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

    struct TShow {
        const TBlockField* Field;
        unsigned Value;
        int Count;
        int Index;
    };
    const TShow shows[] = {
        {e1Priority, 4, 5, 4}, {e1Priority, 5, 5, -1}, {e1Priority, 15, 5, -1},
        {dslRate, 3, 87, 0},   {dslRate, 89, 87, 86},  {dslRate, 2, 87, -1},  // 2 - 3 in 8 bits is 255
        {dslRate, 90, 87, -1}, {v2Rate, 0, 176, -1},   {v2Rate, 178, 176, 175},
        {dslTdm, 0, 33, 0},    {dslTdm, 33, 33, -1},
    };
    for (const TShow& show : shows) {
        EXPECT_EQ(ItemIndexFor(*show.Field, show.Value, show.Count), show.Index)
            << show.Field->Control << " value " << show.Value;
    }

    struct TStore {
        const TBlockField* Field;
        int Index;
        unsigned Value;
    };
    const TStore stores[] = {
        {e1Priority, -1, 15}, {e1Priority, 4, 4}, {i15Priority, -1, 0}, {dslSync, -1, 15},
        {dslRate, -1, 2},     {dslRate, 86, 89},  {dslTdm, -1, 127},    {v2Rate, -1, 2},
        {v2Rate, 175, 178},   {v2Code, -1, 15},   {oneDslRate, -1, 2},  {oneDslRate, 28, 31},
        {&cpuType, -1, 3},    {&cpuType, 0, 0},
    };
    for (const TStore& store : stores) {
        EXPECT_EQ(ValueForItem(*store.Field, store.Index), store.Value)
            << store.Field->Control << " index " << store.Index;
    }
    // An input of the CPU's table without a slot or a priority cannot be stored.
    EXPECT_THROW(ValueForItem(MuxSettingsLayout().Fields[0], -1), EInvalidParameters);
    EXPECT_THROW(ValueForItem(MuxSettingsLayout().Fields[1], -1), EInvalidParameters);
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

TEST(BlockFields, DialogTitles) {
    EXPECT_EQ(DialogTitle(7, 5), "Конфигурация 1Е1, слот 5");
    EXPECT_EQ(DialogTitle(13, 15), "Конфигурация 4I15, слот 15");
    EXPECT_EQ(DialogTitle(32, 16), "Настройки мультиплексора");
    for (int type : {0, 25, 33, 34, 255}) {
        EXPECT_FALSE(DialogTitleFormat(static_cast<std::uint8_t>(type)).has_value()) << type;
    }
}

TEST(BlockFields, BlocksDescribedInTheOperatorsWords) {
    std::array<std::uint16_t, 9> block{0x3F10, 0x0800, 0, 0, 0x0002, 0, 0, 0, 0};
    const std::vector<TSettingText> settings = DescribeBlock(10, block);
    ASSERT_EQ(settings.size(), 44u);  // eleven settings of four sets
    const auto find = [&](int set, std::string_view caption) {
        for (const TSettingText& setting : settings) {
            if (setting.Set == set && setting.Caption == caption) {
                return setting.Value;
            }
        }
        return std::string("(missing)");
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
    EXPECT_EQ(one.front().Value, "?(0)");
    const std::vector<TSettingText> four = DescribeBlock(24, dsl);
    const auto rate = std::find_if(four.begin(), four.end(), [](const TSettingText& s) {
        return s.Set == 0 && s.Caption == "скорость DSL";
    });
    ASSERT_NE(rate, four.end());
    EXPECT_EQ(rate->Value, "32х64 кбит/с");
    EXPECT_TRUE(DescribeBlock(25, dsl).empty());
}

}  // namespace
}  // namespace tervis::boards
