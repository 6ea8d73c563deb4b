// The lines of the port trace, built from the device's messages.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/diagnostics/TraceLines.h"

namespace tervis {
namespace {

struct TLineCase {
    std::uint8_t Type;
    std::uint8_t Mode;
    std::uint8_t State;
    std::uint16_t Time;
    const char* Expected;  // "" for no line
};

TEST(TraceLines, EveryBoardTypeAndMode) {
    const TLineCase cases[] = {
        {3, 0, 0x02, 120, "4AK(3, 5): шлейф 1, вызов 0 (120 мс)"},
        {2, 0, 0x01, 0, "4AЛ(3, 5): вызов 0, шлейф 1 (0 мс)"},
        {9, 0, 0x03, 40, "4МБ(3, 5): вх. вызов 1, исх. вызов 1 (40 мс)"},
        // CAS: input nibble from bits 3..0, output from bits 7..4.
        {10, 0, 0x5A, 9999, "Е1(3, 5): CAS вх. 1010, CAS исх. 0101 (9999 мс)"},
        {7, 0, 0x5A, 10000, "Е1(3, 5): CAS вх. 1010, CAS исх. 0101 (> 10 с)"},
        {22, 0, 0x0F, 65535, "Е1(3, 5): CAS вх. 1111, CAS исх. 0000 (> 10 с)"},
        {23, 0, 0xF0, 1, "Е1(3, 5): CAS вх. 0000, CAS исх. 1111 (1 мс)"},
        {13, 0, 0x18, 2, "PCM15(3, 5): CAS вх. 1000, CAS исх. 0001 (2 мс)"},
        {24, 0, 0x91, 3, "DSL(3, 5): CAS вх. 0001, CAS исх. 1001 (3 мс)"},
        {29, 0, 0x91, 3, "DSL(3, 5): CAS вх. 0001, CAS исх. 1001 (3 мс)"},
        {33, 0, 0x91, 3, "DSL(3, 5): CAS вх. 0001, CAS исх. 1001 (3 мс)"},
        // 4ТЧ and 4ТЧУ by mode; E/M wires take bit 1 first, the tone lines bit 0 first.
        {1, 0, 0x02, 5, "4ТЧ(3, 5): провод E (вх.) 1, провод M (исх.) 0 (5 мс)"},
        {20, 6, 0x02, 5, "4TH(3, 5): прм.2600 0, прд.2600 1 (5 мс)"},
        {1, 7, 0x01, 5, "4TH(3, 5): прм.2100 1, прд.2100 0 (5 мс)"},
        {1, 1, 0x01, 5, ""},
        {1, 12, 0x01, 5, ""},
        {1, 2, 0x82, 5, "4ТЧ(3, 5):     импульс (5 мс)"},
        {1, 2, 0x02, 5, "4ТЧ(3, 5): набор номера (5 мс)"},
        {1, 2, 0x07, 5, "4ТЧ(3, 5): ??? (5 мс)"},
        {1, 8, 0x06, 5, "4ТЧ(3, 5): освобождение (5 мс)"},
        {1, 3, 0x03, 5, "4ТЧ(3, 5): набор номера (5 мс)"},
        {1, 9, 0x07, 5, "4ТЧ(3, 5): разъединение (5 мс)"},
        {1, 3, 0x08, 5, "4ТЧ(3, 5): ??? (5 мс)"},  // list B: bit 3 is unknown
        {1, 4, 0x08, 5, "4ТЧ(3, 5): освобождение (5 мс)"},
        {1, 10, 0x09, 5, "4ТЧ(3, 5): ??? (5 мс)"},
        {20, 5, 0x03, 5, "4ТЧ(3, 5): трансляция Б занят (5 мс)"},
        {20, 11, 0x88, 5, "4ТЧ(3, 5): разъединение (5 мс)"},  // bit 7 matters for dialling only
        // 4СЛУ lists E..J by modes 2..7.
        {11, 2, 0x05, 5, "4СЛУ(3, 5): блокировка (5 мс)"},
        {11, 2, 0x06, 5, "4СЛУ(3, 5): ??? (5 мс)"},
        {11, 3, 0x81, 5, "4СЛУ(3, 5):     импульс (5 мс)"},
        {11, 4, 0x07, 5, "4СЛУ(3, 5): блокировка (5 мс)"},
        {11, 4, 0x08, 5, "4СЛУ(3, 5): ??? (5 мс)"},
        {11, 5, 0x01, 5, "4СЛУ(3, 5): набор номера (5 мс)"},
        {11, 6, 0x04, 5, "4СЛУ(3, 5): отбой/занятость Б (5 мс)"},
        {11, 7, 0x03, 5, "4СЛУ(3, 5): отбой/занятость Б (5 мс)"},
        {11, 7, 0x04, 5, "4СЛУ(3, 5): ??? (5 мс)"},
        {11, 1, 0x00, 5, ""},
        {11, 8, 0x00, 5, ""},
        // Boards without trace lines.
        {8, 0, 0x00, 5, ""},
        {15, 0, 0x00, 5, ""},
        {0, 0, 0x00, 5, ""},
    };
    for (const TLineCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "type " << int(c.Type) << " mode " << int(c.Mode) << " state " << int(c.State));
        EXPECT_EQ(TraceLine({3, 5, c.Type, c.Mode, c.State, c.Time}), c.Expected);
    }
}

// Every state list, item by item: the 4ТЧ lists by modes 2..5 (and 8..11), the 4СЛУ lists by modes 2..7.
// "D" is the dialling state; "?" no name.
TEST(TraceLines, StateListsItemByItem) {
    struct TList {
        std::uint8_t Type;
        std::uint8_t Mode;
        std::array<const char*, 9> Names;
    };
    const TList lists[] = {
        {1, 2, {"исходное", "занятие", "D", "ответ", "отбой Б", "разъединение", "освобождение", "?", "?"}},
        {1,
         3,
         {"исходное", "занятие", "трансляция снятия ответа", "D", "трансляция ответа", "ответ", "отбой Б",
          "разъединение", "?"}},
        {1,
         4,
         {"исходное", "занятие", "D", "Б занят", "Б свободен", "ответ", "отбой Б", "разъединение",
          "освобождение"}},
        {20,
         5,
         {"исходное", "занятие", "D", "трансляция Б занят", "Б занят", "Б свободен", "ответ", "отбой Б",
          "разъединение"}},
        {11, 2, {"исходное", "занятие", "D", "ответ", "отбой/занятость Б", "блокировка", "?", "?", "?"}},
        {11, 3, {"исходное", "D", "ответ", "отбой/занятость Б", "блокировка", "?", "?", "?", "?"}},
        {11, 4, {"исходное", "занятие", "D", "Б свободен", "ответ", "Б занят", "отбой Б", "блокировка", "?"}},
        {11, 5, {"исходное", "D", "Б свободен", "ответ", "Б занят", "отбой Б", "блокировка", "?", "?"}},
        {11, 6, {"исходное", "занятие", "D", "ответ", "отбой/занятость Б", "?", "?", "?", "?"}},
        {11, 7, {"исходное", "D", "ответ", "отбой/занятость Б", "?", "?", "?", "?", "?"}},
    };
    for (const TList& list : lists) {
        for (std::uint8_t value = 0; value < 16; ++value) {
            const std::string name = value < 9 ? list.Names[value] : "?";
            const std::string shown = name == "D" ? "набор номера" : name == "?" ? "???" : name;
            const std::string prefix = list.Type == 11 ? "4СЛУ(3, 5): " : "4ТЧ(3, 5): ";
            EXPECT_EQ(TraceLine({3, 5, list.Type, list.Mode, value, 7}), prefix + shown + " (7 мс)")
                << "type " << int(list.Type) << " mode " << int(list.Mode) << " value " << int(value);
        }
    }
}

TEST(TraceLines, StartTextNamesTheBoardOrRefuses) {
    EXPECT_EQ(TraceStartText({4, 17, 10}), "Прием сообщений от платы 4 (4E1), порт 17...");
    EXPECT_EQ(TraceStartText({2, 0, 8}), "Трассировка порта данного типа не поддерживается");
    EXPECT_EQ(TraceStartText({2, 0, 12}), "Трассировка порта данного типа не поддерживается");
}

TEST(TraceLines, DecodesMessagesAfterTheReplyCode) {
    TReceiveBuffer buffer{};
    const std::size_t p = 7;  // an address of four bytes
    const std::uint8_t message[] = {170, 3, 40, 10, 0, 0x5A, 0x27, 0x10};
    std::copy(std::begin(message), std::end(message), buffer.begin() + p);
    const TTraceEvent e = DecodeTraceEvent(buffer, p);
    EXPECT_EQ(e.Slot, 3);
    EXPECT_EQ(e.Port, 40);
    EXPECT_EQ(e.Type, 10);
    EXPECT_EQ(e.State, 0x5A);
    EXPECT_EQ(e.TimeMs, 10000) << "the time travels high byte first";
    // A message at the very end of the buffer reads zeros beyond it instead of running off.
    const TTraceEvent end = DecodeTraceEvent(buffer, buffer.size() - 2);
    EXPECT_EQ(end.TimeMs, 0);
}

}  // namespace
}  // namespace tervis
