#include "core/monitoring/Inventory.h"

#include <gtest/gtest.h>

#include "core/base/Cp1251.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

TProfileFile Load(const std::string& utf8) {
    test::TTempDir dir;
    test::WriteBytes(dir / "inventory.ini", Utf8ToCp1251(utf8));
    TProfileFile file;
    EXPECT_TRUE(file.Load(dir / "inventory.ini"));
    return file;
}

TEST(Inventory, SectionsBecomeMultiplexersGroupedByTheirPort) {
    const TProfileFile file = Load(
        "[Узел-1]\nport=/dev/ttyUSB0\n"
        "[far]\nPORT=/dev/ttyUSB0\naddress=3,1-7,0;\nrs485id=4\n"
        "[other]\nport=COM2\naddress=\n"
        "[узел-1]\nrs485id=9\n");  // the same section again: names are case-insensitive, the first key wins
    const std::vector<TInventoryEntry> entries = ReadInventory(file);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Name, "Узел-1");
    EXPECT_EQ(entries[0].Rs485Id, 9);
    EXPECT_TRUE(entries[0].Address.empty());
    EXPECT_EQ(entries[1].Address, (std::vector<std::uint8_t>{0x13, 0x07}));
    EXPECT_EQ(entries[1].Rs485Id, 4);
    EXPECT_EQ(entries[2].Port, "COM2");

    const std::vector<TInventoryPort> ports = GroupByPort(entries);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].Port, "/dev/ttyUSB0");
    ASSERT_EQ(ports[0].Muxes.size(), 2u);
    EXPECT_EQ(ports[0].Muxes[1].Name, "far");
    EXPECT_EQ(ports[1].Muxes.size(), 1u);
}

TEST(Inventory, BadEntriesAreRefusedNamingTheSection) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "В описании нет ни одного мультиплексора"},
        {"port=/dev/ttyS0\n", "В описании нет ни одного мультиплексора"},
        {"[a]\naddress=3,1-7,0;\n", "[a]: не указан порт (port)"},
        {"[a]\nport=COM1\naddress=3,x\n", "[a]: Неверный формат адреса: 3,x"},
        {"[a]\nport=COM1\nrs485id=20\n", "[a]: номер устройства должен быть от 0 до 19: 20"},
        {"[a]\nport=COM1\nrs485id=-1\n", "[a]: номер устройства должен быть от 0 до 19: -1"},
        {"[a]\nport=COM1\nrs485id=2x\n", "[a]: номер устройства должен быть от 0 до 19: 2x"},
    };
    for (const auto& c : cases) {
        try {
            ReadInventory(Load(c.text));
            ADD_FAILURE() << c.text;
        } catch (const EInventoryError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.text;
        }
    }
    std::string many;
    for (int i = 0; i <= 1024; ++i) {
        many += "[m" + std::to_string(i) + "]\nport=COM1\n";
    }
    EXPECT_THROW(ReadInventory(Load(many)), EInventoryError);
}

}  // namespace
}  // namespace tervis
