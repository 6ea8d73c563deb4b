#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/Endpoints.h"

namespace tervis {
namespace {

using Lines = std::vector<std::string>;

using test::Ep;

// The program's configuration is on the left of every line, the device's on the right.
class MuxCompare : public ::testing::Test {
protected:
    void PutBoth(int slot, std::uint8_t type) {
        program.SetSlotType(slot, TSlotType{type, 0, 0});
        device.SetSlotType(slot, TSlotType{type, 0, 0});
    }

    TSettings settings;
    test::TOperatorRecorder operatorMessages;
    TMux program{nullptr, &operatorMessages, settings};
    TMux device{nullptr, nullptr, settings};
};

TEST_F(MuxCompare, IdenticalConfigurationsOnlyTellTheOperator) {
    PutBoth(3, bt4E1);
    program.LinkBoth(3, 1, 3, 2);
    device.LinkBoth(3, 1, 3, 2);
    EXPECT_FALSE(program.CompareWith(device));
    EXPECT_EQ(operatorMessages.Messages, Lines{"Отличий не найдено"});
    EXPECT_TRUE(operatorMessages.Reports.empty());
}

TEST_F(MuxCompare, SettingsGiveOneLineForTheFirstDifferingWord) {
    const std::string table = "ЦП: несовпадение таблицы синхронизации";
    const std::string measurer = "ЦП: несовпадение соединения измерителя";
    struct TCase {
        std::vector<std::size_t> Words;
        std::string Line;
    };
    const TCase cases[] = {
        {{0}, table},
        {{5}, table},
        {{2, 7}, table},
        {{6}, "ЦП: несовпадение типа синхронизации"},
        {{6, 9}, "ЦП: несовпадение типа синхронизации"},
        {{7}, measurer},
        {{8}, measurer},
        {{9}, "ЦП: несовпадение настроек"},
    };
    for (const TCase& c : cases) {
        TMux other{nullptr, nullptr, settings};
        TMuxSettings record = other.GetMuxSettings();
        for (std::size_t w : c.Words) {
            record[w] = 200;
        }
        other.SetMuxSettings(record);
        EXPECT_EQ(program.MismatchLines(other), Lines{c.Line}) << "first word " << c.Words[0];
    }
}

TEST_F(MuxCompare, DifferentTypesGiveOnlyTheTypeLine) {
    program.SetSlotType(3, TSlotType{bt4E1, 0, 0});
    for (int c = 0; c < 128; ++c) {
        program.LinkGenerator(3, c);
    }
    program.SetSlotType(7, TSlotType{bt4TCh, 1, 2});
    device.SetSlotType(7, TSlotType{bt4AL, 3, 4});
    device.StoreSignalling(Ep(7, 0), 0x90);
    EXPECT_EQ(program.MismatchLines(device), (Lines{"Плата 3: несовпадение типа \"4E1\" - \"---\"",
                                                    "Плата 7: несовпадение типа \"4ТЧ\" - \"4АЛ\""}));
}

TEST_F(MuxCompare, EachParameterAndBlockWordGivesOneConfigurationLine) {
    PutBoth(2, bt4E1);
    for (int field = 0; field < 2 + kBlockWords; ++field) {
        TMux other{nullptr, nullptr, settings};
        other.Assign(device);
        TSlotType type = other.GetSlotType(2);
        TBoardConfig block = other.GetBoardConfig(2);
        if (field == 0) {
            type.Param1 = 1;
        } else if (field == 1) {
            type.Param2 = 1;
        } else {
            block[static_cast<std::size_t>(field - 2)] ^= 0x0100;
        }
        other.StoreSlotType(2, type);
        other.StoreBoardConfig(2, block);
        EXPECT_EQ(program.MismatchLines(other), Lines{"Плата 2: несовпадение конфигурации "})
            << "field " << field;
    }
}

TEST_F(MuxCompare, ConfigurationLineOnceThenChannelLines) {
    PutBoth(2, bt4E1);
    device.StoreSlotType(2, TSlotType{bt4E1, 7, 8});
    TBoardConfig block = device.GetBoardConfig(2);
    block[8] = 0x2020;
    device.StoreBoardConfig(2, block);
    device.StoreLink(Ep(2, 127), Ep(0, 1));
    EXPECT_EQ(program.MismatchLines(device),
              (Lines{"Плата 2: несовпадение конфигурации ",
                     "Плата 2, канал 127: несовпадение соединения (\"нет\" - слот 0, порт 1)"}));
}

TEST_F(MuxCompare, LinkNotations) {
    struct TCase {
        std::uint16_t Left;
        std::uint16_t Right;
        std::string Tail;
    };
    const TCase cases[] = {
        {Ep(1, 7), kEndpointNone, "(слот 1, порт 7 - \"нет\")"},
        {kEndpointNone, kEndpointGenerator, "(\"нет\" - генератор)"},
        {kEndpointGenerator, Ep(15, 127), "(генератор - слот 15, порт 127)"},
        {kEndpointGenerator, kEndpointNone, "(генератор - \"нет\")"},
        {Ep(0, 0), Ep(12, 33), "(слот 0, порт 0 - слот 12, порт 33)"},
        {0x0900, kEndpointGenerator, "(слот 18, порт 0 - генератор)"},  // not an endpoint: printed as is
        {Ep(3, 4), 0x0FFF, "(слот 3, порт 4 - слот 31, порт 127)"},
    };
    PutBoth(5, bt4E1);
    for (const TCase& c : cases) {
        program.StoreLink(Ep(5, 2), c.Left);
        device.StoreLink(Ep(5, 2), c.Right);
        EXPECT_EQ(program.MismatchLines(device),
                  Lines{"Плата 5, канал 2: несовпадение соединения " + c.Tail});
    }
}

TEST_F(MuxCompare, SignallingBitsAfterTheLinkOfTheSameChannel) {
    PutBoth(5, bt4E1);
    program.StoreSignalling(Ep(5, 2), 0x5A);
    device.StoreSignalling(Ep(5, 2), 0x0F);
    EXPECT_EQ(program.MismatchLines(device),
              Lines{"Плата 5, канал 2: несовпадение сигнальных битов (0101, 1010 - 0000, 1111)"});
    device.StoreLink(Ep(5, 2), kEndpointGenerator);
    EXPECT_EQ(program.MismatchLines(device),
              (Lines{
                  "Плата 5, канал 2: несовпадение соединения (\"нет\" - генератор)",
                  "Плата 5, канал 2: несовпадение сигнальных битов (0101, 1010 - 0000, 1111)",
              }));
}

TEST_F(MuxCompare, OnlyTheBoardsChannelsAreCompared) {
    PutBoth(4, bt4TCh);
    for (int c = 3; c < 128; ++c) {
        device.StoreLink(Ep(4, c), kEndpointGenerator);
        device.StoreSignalling(Ep(4, c), 0);
    }
    EXPECT_EQ(program.MismatchLines(device),
              (Lines{
                  "Плата 4, канал 3: несовпадение соединения (\"нет\" - генератор)",
                  "Плата 4, канал 3: несовпадение сигнальных битов (0101, 0000 - 0000, 0000)",
              }));

    for (std::uint8_t type : std::initializer_list<std::uint8_t>{0, 4, 21, 25, 26, 31, 40}) {
        TMux left{nullptr, nullptr, settings};
        TMux right{nullptr, nullptr, settings};
        left.StoreSlotType(9, TSlotType{type, 0, 0});
        right.StoreSlotType(9, TSlotType{type, 0, 0});
        right.StoreLink(Ep(9, 0), Ep(1, 1));
        right.StoreSignalling(Ep(9, 0), 0xFF);
        EXPECT_TRUE(left.MismatchLines(right).empty()) << "type " << int{type};
    }
}

TEST_F(MuxCompare, ReportListsEverythingInOrder) {
    program.SetSlotType(3, TSlotType{bt4E1, 0, 0});
    PutBoth(5, bt4E1);
    PutBoth(12, bt1E1);
    TMuxSettings record = device.GetMuxSettings();
    record[6] = 1;
    device.SetMuxSettings(record);
    TBoardConfig block = program.GetBoardConfig(5);
    block[0] = 0x0123;
    program.SetBoardConfig(5, block);
    device.LinkGenerator(5, 1);
    program.StoreLink(Ep(5, 2), Ep(1, 7));
    device.StoreSignalling(Ep(5, 2), 0x90);
    device.StoreSignalling(Ep(12, 31), 0x51);

    const Lines expected = {
        "ЦП: несовпадение типа синхронизации",
        "Плата 3: несовпадение типа \"4E1\" - \"---\"",
        "Плата 5: несовпадение конфигурации ",
        "Плата 5, канал 1: несовпадение соединения (\"нет\" - генератор)",
        "Плата 5, канал 2: несовпадение соединения (слот 1, порт 7 - \"нет\")",
        "Плата 5, канал 2: несовпадение сигнальных битов (0101, 0000 - 1001, 0000)",
        "Плата 12, канал 31: несовпадение сигнальных битов (0101, 0000 - 0101, 0001)",
    };
    EXPECT_EQ(program.MismatchLines(device), expected);
    EXPECT_TRUE(program.CompareWith(device));
    EXPECT_EQ(operatorMessages.Reports, std::vector<Lines>{expected});
    EXPECT_TRUE(operatorMessages.Messages.empty());
}

}  // namespace
}  // namespace tervis
