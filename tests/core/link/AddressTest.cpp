#include "core/link/Address.h"

#include <gtest/gtest.h>

#include "core/model/Mux.h"
#include "core/model/Recorders.h"

namespace tervis {
namespace {

TEST(AddressPath, ParseAndFormat) {
    struct Case {
        const char* text;
        std::vector<std::uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
        {"3,1-7,0;", {0x13, 0x07}, nullptr},
        {"3,1-7", {0x13, 0x07}, nullptr},
        {"0000000003,0000000001-0000000007,0;", {0x13, 0x07}, nullptr},
        {"99999999999999999999,0-1,0;", {}, "Неверный формат адреса"},
        {"4294967299,0-1,0;", {}, "Неверный формат адреса"},
        {"15,3-0,0;", {0x3F, 0x00}, nullptr},
        {"1,0-2,0;3-4,2", {0x01, 0x02, 0x03, 0x24}, nullptr},
        {"", {}, nullptr},
        {"16,0-1,0;", {}, "Неверный формат адреса"},
        {"1,4-2,0;", {}, "Неверный формат адреса"},
        {"1,256-2,0;", {}, "Неверный формат адреса"},
        {"1,0;", {}, "Неверный формат адреса"},
        {"a,0-1,0;", {}, "Неверный формат адреса"},
        {"1,-2,0;", {}, "Неверный формат адреса"},
        {"-1,0;", {}, "Неверный формат адреса"},
        {"1,0-2,0;;", {}, "Неверный формат адреса"},
        {"99999999999-1", {}, "Неверный формат адреса"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.error == nullptr) {
            EXPECT_EQ(ParseAddressPath(c.text), c.bytes);
        } else {
            try {
                ParseAddressPath(c.text);
                ADD_FAILURE() << "accepted";
            } catch (const EAddressError& e) {
                EXPECT_STREQ(e.what(), c.error);
            }
        }
    }
    EXPECT_EQ(FormatAddressPath({0x13, 0x07}), "3,1-7,0;");
    EXPECT_EQ(FormatAddressPath({}), "");
    EXPECT_EQ(ParseAddressPath(FormatAddressPath({0x13, 0x07, 0x3F, 0x20})),
              (std::vector<std::uint8_t>{0x13, 0x07, 0x3F, 0x20}));
}

TEST(AddressPath, FifteenHopsAtMost) {
    std::string text;
    for (int hop = 0; hop < 15; ++hop) {
        text += "1,1-2,2;";
    }
    EXPECT_EQ(ParseAddressPath(text).size(), 30u);
    try {
        ParseAddressPath(text + "3,0-4,0");
        ADD_FAILURE() << "sixteen hops accepted";
    } catch (const EAddressError& e) {
        EXPECT_STREQ(e.what(), "Слишком большая длина адреса");
    }
}

TEST(AddressPath, DeviceNumberAndIdentifierWrite) {
    TSettings settings;
    test::TOperatorRecorder messages;
    std::vector<TPacket> sent;
    std::vector<std::string> calls;
    TMux mux(nullptr, &messages, settings);
    mux.SetDeviceLink(std::make_unique<test::TRecordingLink>(sent, &calls));

    settings.rs485id = 19;
    EXPECT_EQ(mux.BuildRequest({0x64})[2], 0x13);
    // Any device number but 0 means RS-485, where the identifier may not be written.
    for (const int id : {19, 1, 255}) {
        settings.rs485id = id;
        messages.Messages.clear();
        EXPECT_FALSE(mux.WriteRs485Id(5)) << id;
        EXPECT_EQ(messages.Messages, std::vector<std::string>{"Запись возможна только через RS232!"}) << id;
        EXPECT_TRUE(calls.empty()) << id;
    }

    settings.rs485id = 0;
    EXPECT_TRUE(mux.WriteRs485Id(5));
    EXPECT_EQ(calls, std::vector<std::string>{"rs485id 5"});
}

}  // namespace
}  // namespace tervis
