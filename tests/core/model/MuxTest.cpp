#include "core/model/Mux.h"

#include <gtest/gtest.h>

#include "core/base/Errors.h"
#include "core/model/Recorders.h"

namespace tervis {
namespace {

using test::TNotification;

class MuxTest : public ::testing::Test {
protected:
    MuxTest() : mux(std::make_unique<TMux>(&owner, &messages, settings)) {
        settings.cashedtrx = true;
        mux->SetDeviceLink(std::make_unique<test::TRecordingLink>(sent));
        owner.Posted.clear();
    }
    TMux& Mux() { return *mux; }

    TSettings settings;
    test::TNotificationRecorder owner;
    test::TOperatorRecorder messages;
    std::vector<TPacket> sent;
    std::unique_ptr<TMux> mux;
};

TEST_F(MuxTest, ClearWritesTheDefaultsAndPostsSavedOnce) {
    Mux().SetSlotType(3, {bt4E1, 1, 2});
    Mux().LinkBoth(3, 1, 4, 1);
    Mux().SetMuxSettings({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    owner.Posted.clear();

    Mux().Clear();
    EXPECT_FALSE(Mux().Modified());
    EXPECT_EQ(owner.Posted, (std::vector<TNotification>{{kNotifyModified, 0}}));
    EXPECT_EQ(Mux().GetMuxSettings(), (TMuxSettings{0, 16, 96, 96, 96, 96, 3, 255, 255, 0}));
    for (std::uint16_t e = 0; e < kEndpointCount; ++e) {
        ASSERT_EQ(Mux().GetLink(e), 0xFFFF);
        ASSERT_EQ(Mux().GetSignalling(e), 0x50);
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(Mux().GetSlotType(slot), TSlotType{});
        EXPECT_EQ(Mux().GetBoardConfig(slot), TBoardConfig{});
    }
}

TEST_F(MuxTest, PuttingA4E1IntoASlotQueuesBlockThenLinksThenSignallingThenType) {
    settings.cashedtrx = false;
    Mux().LinkBoth(3, 5, 7, 9);    // partner points back: unlinked too
    Mux().LinkOneWay(3, 6, 8, 1);  // 8/1 listens to 3/6 one way: keeps its entry
    Mux().StoreSignalling(MakeEndpoint(3, 2), 0x90);
    settings.cashedtrx = true;
    owner.Posted.clear();

    Mux().SetSlotType(3, {bt4E1, 0, 0});

    EXPECT_EQ(Mux().GetBoardConfig(3), (TBoardConfig{0x3210, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Mux().GetLink(MakeEndpoint(3, 5)), 0xFFFF);
    EXPECT_EQ(Mux().GetLink(MakeEndpoint(7, 9)), 0xFFFF);
    EXPECT_EQ(Mux().GetLink(MakeEndpoint(8, 1)), MakeEndpoint(3, 6));
    EXPECT_EQ(Mux().GetSignalling(MakeEndpoint(3, 2)), 0x50);
    EXPECT_TRUE(Mux().Modified());
    const std::vector<TPacket> expected = {
        {0x00, 0, 0, 0x1E, 3, 0x32, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0x00, 0, 0, 0x14, 0x01, 0x85, 0xFF, 0xFF, 0x50},  // 3/5 unlinked
        {0x00, 0, 0, 0x14, 0x03, 0x89, 0xFF, 0xFF, 0x50},  // its partner 7/9
        {0x00, 0, 0, 0x14, 0x01, 0x82, 0xFF, 0xFF, 0x50},  // 3/2 signalling reset
        {0x00, 0, 0, 0x0A, 3, 10, 0, 0, 0, 0},
    };
    EXPECT_EQ(sent, expected);
}

TEST_F(MuxTest, SetSlotTypeWithTheSameTypeSendsOnlyChangedParameters) {
    Mux().SetSlotType(2, {bt4TChU, 0x0102, 0});
    Mux().SetModified(false);
    sent.clear();

    Mux().SetSlotType(2, {bt4TChU, 0x0102, 0});
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(Mux().Modified());

    Mux().SetSlotType(2, {bt4TChU, 0x0304, 0x0506});
    EXPECT_EQ(sent, (std::vector<TPacket>{{0x00, 0, 0, 0x0A, 2, 20, 0x03, 0x04, 0x05, 0x06}}));
}

TEST_F(MuxTest, DefaultBlocksOfTheBoardTypes) {
    struct Case {
        std::uint8_t type;
        TBoardConfig block;
    };
    const Case cases[] = {
        {bt4V24, {0, 15, 0, 0, 0, 0, 0, 0, 0}},
        {bt4ToP, {0x3210, 0, 0, 0, 0, 0, 0, 0, 0}},
        {bt2VS, {128, 128, 10, 0, 0, 0, 0, 0, 0}},
        {bt4I15, {0x4444, 0, 0, 0x2222, 0, 0, 0, 0, 0}},
        {bt4C64, {0x4444, 0, 0, 0, 0, 0, 0, 0, 0}},
        {bt4DSLv2, {0x3210, 0, 0, 0, 0, 0x2020, 0x2020, 0x2020, 0x2020}},
        {btDP, {1, 4668, 2615, 300, 100, 0x5050, 0, 0, 0}},
        {bt4DSLAlt, {}},
        {bt1E1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.type});
        Mux().SetSlotType(9, {c.type, 0, 0});
        EXPECT_EQ(Mux().GetBoardConfig(9), c.block);
    }
}

TEST_F(MuxTest, StoresCompareBeforeWriting) {
    Mux().SetModified(false);
    owner.Posted.clear();
    Mux().StoreLink(5, 0xFFFF);
    Mux().StoreSignalling(5, 0x50);
    Mux().StoreBoardConfig(5, TBoardConfig{});
    Mux().StoreSlotType(5, TSlotType{});
    Mux().SetMuxSettings(Mux().GetMuxSettings());
    Mux().SetSlotSignalling(5, Mux().GetSlotSignalling(5));
    EXPECT_FALSE(Mux().Modified());
    EXPECT_TRUE(owner.Posted.empty());
    EXPECT_TRUE(sent.empty());

    // Every differing settings word marks the model once; the command goes out once.
    TMuxSettings settingsRecord = Mux().GetMuxSettings();
    settingsRecord[0] = 1;
    settingsRecord[9] = 200;
    Mux().SetMuxSettings(settingsRecord);
    EXPECT_EQ(owner.Of(kNotifyModified).size(), 2u);
    EXPECT_EQ(sent, (std::vector<TPacket>{{0x00, 0, 0, 0x28, 1, 16, 96, 96, 96, 96, 3, 255, 255, 200}}));
}

TEST_F(MuxTest, SlotSignallingIsStoredWholeThenSentInChannelOrder) {
    Mux().SetLink(MakeEndpoint(1, 4), MakeEndpoint(2, 0));
    sent.clear();
    TSlotSignalling entries = Mux().GetSlotSignalling(1);
    entries[127] = 0xF0;
    entries[4] = 0x0F;
    Mux().SetSlotSignalling(1, entries);
    EXPECT_EQ(sent, (std::vector<TPacket>{{0x00, 0, 0, 0x14, 0x00, 0x84, 0x01, 0x00, 0x0F},
                                          {0x00, 0, 0, 0x14, 0x00, 0xFF, 0xFF, 0xFF, 0xF0}}));
}

TEST_F(MuxTest, NothingIsSentWithImmediateTransmissionOffOrWithoutLink) {
    settings.cashedtrx = false;
    Mux().SetSlotType(0, {bt4E1, 0, 0});
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(Mux().Modified());

    TMux scratch(nullptr, nullptr, settings);
    settings.cashedtrx = true;
    scratch.SetSlotType(0, {bt4E1, 0, 0});
    EXPECT_TRUE(scratch.Modified());
}

TEST_F(MuxTest, RequestsCarryAddressAndDeviceNumber) {
    settings.rs485id = 0x0107;  // only the low byte travels
    Mux().SetAddress({0x12, 0x34, 0x56, 0x78});
    EXPECT_EQ(Mux().BuildRequest({0xFF}), (TPacket{0x00, 4, 0x07, 0x12, 0x34, 0x56, 0x78, 0xFF}));
    Mux().LinkGenerator(0, 1);
    EXPECT_EQ(
        sent,
        (std::vector<TPacket>{{0x00, 4, 0x07, 0x12, 0x34, 0x56, 0x78, 0x14, 0x00, 0x01, 0xFF, 0xFE, 0x50}}));
}

TEST_F(MuxTest, CpuPositionAndOutOfRangeSlots) {
    EXPECT_EQ(Mux().GetSlotType(16), (TSlotType{32, 0, 0}));
    EXPECT_EQ(Mux().SlotBoardType(16), 32);
    EXPECT_EQ(Mux().SlotBoardType(17), 0);
    EXPECT_EQ(Mux().SlotChannels(16), 0);
    EXPECT_THROW(Mux().StoreSlotType(16, {1, 0, 0}), ERangeError);
    EXPECT_THROW(Mux().GetBoardConfig(16), ERangeError);
    EXPECT_THROW(Mux().GetLink(2048), ERangeError);
    EXPECT_THROW(Mux().StoreSignalling(0xFFFE, 0), ERangeError);
    EXPECT_THROW(Mux().SetStreamState(16, 0, {}), ERangeError);
    EXPECT_THROW(Mux().SetDpState(0, 8, {}), ERangeError);
    EXPECT_EQ(Mux().EndpointBoardType(0xFFFE), 0);
}

TEST_F(MuxTest, EndpointAndLinkNames) {
    settings.cashedtrx = false;
    Mux().SetSlotType(3, {bt4E1, 0, 0});
    Mux().SetSlotType(4, {bt4TCh, 0, 0});
    EXPECT_EQ(Mux().EndpointName(3 * 128 + 70), "слот 3 (4E1), порт 6 (2)");
    EXPECT_EQ(Mux().EndpointName(4 * 128 + 2), "слот 4 (4ТЧ), порт 2");
    EXPECT_EQ(Mux().EndpointName(2048), "");
    Mux().LinkOneWay(4, 2, 3, 70);
    Mux().LinkGenerator(4, 3);
    Mux().StoreLink(4 * 128 + 1, 0x0900);
    EXPECT_EQ(Mux().LinkName(3 * 128 + 70), "слот 4 (4ТЧ), порт 2");
    EXPECT_EQ(Mux().LinkName(4 * 128 + 3), "генератор");
    EXPECT_EQ(Mux().LinkName(4 * 128 + 1), "");
    EXPECT_EQ(Mux().LinkName(4 * 128 + 0), "");
    // Queries answer neutrally beyond the endpoints; storing and getting links refuse.
    EXPECT_EQ(Mux().LinkName(2048), "");
    EXPECT_EQ(Mux().LinkName(kEndpointNone), "");
    EXPECT_THROW(Mux().GetLink(2048), ERangeError);
}

TEST_F(MuxTest, LinkStateAndSlotStatus) {
    Mux().SetSlotStatus({0x01020301u, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A});
    EXPECT_EQ(Mux().SlotStatus(0), 0x01020301u);
    EXPECT_EQ(Mux().SlotStatus(99), 0x01020301u);  // beyond the slots reads slot 0
    Mux().SetLinkUp(true);
    owner.Posted.clear();

    Mux().SetLinkUp(false);
    Mux().SetLinkUp(false);
    EXPECT_EQ(owner.Posted, (std::vector<TNotification>{{kNotifySlotStatus, 255}, {kNotifyLinkState, 0}}));
    EXPECT_EQ(Mux().GetSlotStatus(), TSlotStatusWords{});
    Mux().SetLinkUp(true);
    EXPECT_EQ(owner.Posted.back(), (TNotification{kNotifyLinkState, 1}));
}

TEST_F(MuxTest, InformationIsAnnouncedOnlyForTheSelectedUnit) {
    Mux().SetSlotType(5, {bt4DSL, 0, 0});
    Mux().SelectInfo(5, 2, true);
    EXPECT_EQ(Mux().InfoSelection().Type, bt4DSL);
    owner.Posted.clear();

    TDslLine line{};
    line[20] = 24;
    Mux().SetDslLine(5, 1, line);  // another unit: stored, not announced
    Mux().SetDslLine(5, 2, line);
    Mux().SetCasReceived(5, 2, {});
    Mux().SetCasTransmitted15(5, 2, {});
    Mux().SetC1IState(5, 2, {});
    Mux().SetCpuStatus({});
    EXPECT_EQ(Mux().GetDslLine(5, 1)[20], 24);
    EXPECT_EQ(owner.Posted, (std::vector<TNotification>{{kNotifyInformation, 2},
                                                        {kNotifyInformation, 3},
                                                        {kNotifyInformation, 4},
                                                        {kNotifyInformation, 1},
                                                        {kNotifyInformation, 0}}));

    Mux().SelectInfo(16, 0, true);
    EXPECT_EQ(Mux().InfoSelection().Type, 32);
    Mux().SelectInfo(5, 2, false);
    EXPECT_EQ(Mux().InfoSelection().Type, 0);
    owner.Posted.clear();
    Mux().SetDpState(5, 2, {});
    EXPECT_TRUE(owner.Posted.empty());
}

TEST_F(MuxTest, AssignCopiesTheConfigurationWithoutSending) {
    TSettings scratchSettings;
    TMux device(nullptr, nullptr, scratchSettings);
    device.SetSlotType(1, {bt4E1, 7, 8});
    device.LinkBoth(1, 1, 1, 2);
    device.StoreSignalling(200, 0x9F);
    device.DisconnectMeasurer();
    device.MeasurerToGenerator();

    Mux().Assign(device);
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(Mux().Modified());
    EXPECT_TRUE(Mux().MismatchLines(device).empty());

    Mux().SetModified(false);
    Mux().Assign(device);
    EXPECT_FALSE(Mux().Modified());
}

}  // namespace
}  // namespace tervis
