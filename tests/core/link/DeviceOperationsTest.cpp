// The packet handler against the simulated multiplexer over an in-memory line, in virtual time.
#include <gtest/gtest.h>

#include <random>

#include "core/model/Recorders.h"
#include "support/Loopback.h"

namespace tervis {
namespace {

using test::TLinkedProgram;
using test::TLoopbackHandler;
using test::TPumpProgress;

constexpr std::size_t kUsedWords = 0x1C40;  // everything the program reads, writes and compares

// A fully populated chassis: sixteen 4E1 boards, links between them and to the generator, signalling.
void Populate(TMux& mux, std::uint32_t seed) {
    std::mt19937 random(seed);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        mux.SetSlotType(slot, {bt4E1, static_cast<std::uint16_t>(random() & 0xFFFF), 0});
        TBoardConfig block = mux.GetBoardConfig(slot);
        block[1] = static_cast<std::uint16_t>(random());
        block[8] = static_cast<std::uint16_t>(random());
        mux.SetBoardConfig(slot, block);
    }
    for (int i = 0; i < 600; ++i) {
        const int a = static_cast<int>(random() % 16);
        const int b = static_cast<int>(random() % 16);
        const int ca = 1 + static_cast<int>(random() % 127);
        const int cb = 1 + static_cast<int>(random() % 127);
        if (i % 7 == 0) {
            mux.LinkGenerator(a, ca);
        } else if (i % 5 == 0) {
            mux.LinkOneWay(a, ca, b, cb);
        } else {
            mux.LinkBoth(a, ca, b, cb);
        }
        mux.StoreSignalling(MakeEndpoint(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(ca)),
                            static_cast<std::uint16_t>(random() & 0xFF));
    }
    mux.SetMuxSettings({1, 2, 3, 4, 5, 6, 2, 255, 254, 7});
}

bool SameUsedWords(const TConfigImage& image, const sim::TConfigMemory& memory) {
    for (std::size_t i = 0; i < kUsedWords; ++i) {
        if (image[i] != memory[i]) {
            ADD_FAILURE() << "word 0x" << std::hex << i << ": " << image[i] << " vs " << memory[i];
            return false;
        }
    }
    return true;
}

class DeviceOperationsTest : public ::testing::Test {
protected:
    // The first transmission of every request (retransmissions carry the same control byte).
    std::vector<TPacket> FirstTransmissions() const {
        std::vector<TPacket> result;
        for (const TPacket& p : handler->sent) {
            if (result.empty() || result.back()[0] != p[0] || result.back() != p) {
                result.push_back(p);
            }
        }
        return result;
    }

    TSettings settings;
    test::TNotificationRecorder owner;
    test::TOperatorRecorder messages;
    sim::TSimLine line{7};
    std::unique_ptr<TMux> mux = std::make_unique<TMux>(&owner, &messages, settings);
    TLinkedProgram linked{*mux, line};
    TLoopbackHandler* handler = linked.handler;
    TPumpProgress* pump = linked.pump.get();
};

TEST_F(DeviceOperationsTest, LoadReadCompareAndClearAFullChassis) {
    Populate(*mux, 1);
    handler->sent.clear();
    ASSERT_TRUE(mux->LoadConfiguration());
    EXPECT_TRUE(SameUsedWords(mux->Image(), line.Local().ConfigMemory()));
    ASSERT_EQ(pump->phases.size(), 1u);
    EXPECT_EQ(pump->phases[0].Caption, "Загрузка конфигурации...");
    EXPECT_EQ(pump->phases[0].Total, 1 + 16 * (2 + 128));
    EXPECT_EQ(handler->QueueLength(), 0);

    // Read it back into a fresh program.
    TSettings otherSettings;
    test::TNotificationRecorder otherOwner;
    TMux reader(&otherOwner, &messages, otherSettings);
    const TLinkedProgram readerLink(reader, line);
    const TPumpProgress& readerPump = *readerLink.pump;
    ASSERT_TRUE(reader.ReadConfiguration());
    EXPECT_TRUE(reader.Image() == mux->Image());
    EXPECT_TRUE(reader.Modified());
    ASSERT_EQ(readerPump.phases.size(), 2u);
    EXPECT_EQ(readerPump.phases[0].Caption, "Чтение конфигурации плат...");
    EXPECT_EQ(readerPump.phases[0].Total, 33);
    EXPECT_EQ(readerPump.phases[1].Caption, "Чтение соединений...");
    EXPECT_EQ(readerPump.phases[1].Total, 16 * 128);

    // Compare: equal, then one difference on the device.
    ASSERT_EQ(mux->CompareConfiguration(), std::optional<bool>(false));
    EXPECT_EQ(messages.Messages, std::vector<std::string>{"Отличий не найдено"});
    EXPECT_EQ(pump->phases[1].Caption, "Сравнение - чтение типов плат...");
    EXPECT_EQ(pump->phases[2].Caption, "Сравнение - чтение соединений...");
    line.Local().SetSignalling(5 * 128 + 2, 0x90);
    const std::uint16_t before = mux->GetSignalling(5 * 128 + 2);
    ASSERT_EQ(mux->CompareConfiguration(), std::optional<bool>(true));
    ASSERT_EQ(messages.Reports.size(), 1u);
    EXPECT_EQ(
        messages.Reports[0],
        std::vector<std::string>{"Плата 5, канал 2: несовпадение сигнальных битов (" +
                                 IntToBin(before >> 4, 4) + ", " + IntToBin(before, 4) + " - 1001, 0000)"});

    // Clear: 2081 packets, the device ends up with a new configuration, the program keeps its own.
    const TConfigImage kept = mux->Image();
    handler->sent.clear();
    ASSERT_TRUE(mux->ClearConfiguration());
    EXPECT_EQ(pump->phases.back().Total, 2081);
    EXPECT_EQ(FirstTransmissions().size(), 2081u);
    TSettings blankSettings;
    TMux blank(nullptr, nullptr, blankSettings);
    EXPECT_TRUE(SameUsedWords(blank.Image(), line.Local().ConfigMemory()));
    EXPECT_TRUE(mux->Image() == kept);
}

TEST_F(DeviceOperationsTest, ReadRequestsAreExactAndCountedPerBoardChannel) {
    line.Local().ConfigureBoard(5, bt4TCh);
    line.Local().ConfigureBoard(9, bt1E1);
    settings.rs485id = 0;
    ASSERT_TRUE(mux->ReadConfiguration());
    const std::vector<TPacket> requests = FirstTransmissions();
    std::vector<TPacket> expected = {{0x01, 0, 0, 45}};
    std::uint8_t sequence = 1;
    for (std::uint8_t slot = 0; slot < 16; ++slot) {
        expected.push_back({++sequence, 0, 0, 15, slot});
        expected.push_back({++sequence, 0, 0, 35, slot});
    }
    for (int channel = 0; channel < 4; ++channel) {
        expected.push_back({++sequence, 0, 0, 25, 0x02, static_cast<std::uint8_t>(0x80 + channel)});
    }
    for (int channel = 0; channel < 32; ++channel) {
        expected.push_back({++sequence, 0, 0, 25, 0x04, static_cast<std::uint8_t>(0x80 + channel)});
    }
    ASSERT_GE(requests.size(), expected.size());
    EXPECT_EQ(std::vector<TPacket>(requests.begin(),
                                   requests.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_EQ(requests.size(), expected.size());
    EXPECT_EQ(mux->SlotBoardType(9), bt1E1);
}

TEST_F(DeviceOperationsTest, OperationsSurviveLostAndCorruptedFrames) {
    line.Faults().LostProbability = 0.04;
    line.Faults().CorruptProbability = 0.04;
    Populate(*mux, 2);
    ASSERT_TRUE(mux->LoadConfiguration());
    EXPECT_TRUE(SameUsedWords(mux->Image(), line.Local().ConfigMemory()));
    EXPECT_GT(line.Counters().FramesLost, 20u);
    EXPECT_GT(line.Counters().FramesCorrupted, 20u);

    TSettings otherSettings;
    TMux reader(nullptr, &messages, otherSettings);
    const TLinkedProgram readerLink(reader, line);
    const TLoopbackHandler& readerHandler = *readerLink.handler;
    ASSERT_TRUE(reader.ReadConfiguration());
    EXPECT_TRUE(reader.Image() == mux->Image());
    ASSERT_EQ(reader.CompareConfiguration(), std::optional<bool>(false));

    // Lost and spoilt answers cost retransmissions, never a wrong value.
    EXPECT_GT(readerHandler.transmissions, 33u + 16u * 128u);
}

TEST_F(DeviceOperationsTest, CancelledReadLeavesTheProgramsConfigurationAlone) {
    Populate(*mux, 3);
    settings.cashedtrx = false;
    mux->SetModified(false);
    const TConfigImage before = mux->Image();
    line.Local().ConfigureBoard(0, bt4E1);
    line.Local().ConfigureBoard(1, bt4DSL);
    line.Faults().DelayMs = 100;  // slow enough to cancel in the middle
    pump->cancelWhen = [](std::size_t phase, int remaining) { return phase == 1 && remaining < 100; };
    EXPECT_FALSE(mux->ReadConfiguration());
    EXPECT_TRUE(mux->Image() == before);
    EXPECT_FALSE(mux->Modified());
    EXPECT_EQ(handler->QueueLength(), 0);
    ASSERT_EQ(pump->phases.size(), 2u);
    EXPECT_FALSE(pump->phases[1].Completed);

    pump->cancelWhen = [](std::size_t phase, int) { return phase == 2; };  // the first phase of the compare
    EXPECT_EQ(mux->CompareConfiguration(), std::nullopt);
    EXPECT_TRUE(messages.Messages.empty());
    EXPECT_TRUE(messages.Reports.empty());
}

TEST_F(DeviceOperationsTest, NoLinkMeansTheFirstPacketIsRetriedUntilCancelled) {
    line.Faults().Silent = true;
    pump->cancelWhen = [this](std::size_t, int) { return handler->ticks >= 200; };
    EXPECT_FALSE(mux->LoadConfiguration());
    EXPECT_FALSE(mux->LinkUp());
    const std::vector<TPacket> requests = FirstTransmissions();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0][3], 40);
    EXPECT_EQ(handler->transmissions, 20u);  // every 500 ms, the first at the first tick
    EXPECT_EQ(pump->phases[0].Updates.front(), 1 + 16 * 2);
}

TEST_F(DeviceOperationsTest, PassChangesOnReachesTheDevice) {
    settings.cashedtrx = true;
    mux->SetSlotType(3, {bt4E1, 0, 0});
    mux->LinkBoth(3, 1, 3, 2);
    mux->ConnectMeasurer(3, 5);
    for (int i = 0; i < 40 && handler->QueueLength() > 0; ++i) {
        handler->Step();
    }
    EXPECT_EQ(handler->QueueLength(), 0);
    EXPECT_EQ(line.Local().ConfiguredBoard(3), bt4E1);
    EXPECT_EQ(line.Local().Block(3)[0], 0x3210);
    EXPECT_EQ(line.Local().Link(3 * 128 + 1), 3 * 128 + 2);
    EXPECT_EQ(line.Local().Setting(8), 3 * 128 + 5 - 256);
    EXPECT_TRUE(mux->LinkUp());
}

TEST_F(DeviceOperationsTest, AddressPathAndDeviceNumberReachTheRightMultiplexer) {
    const std::vector<std::uint8_t> path = {0x13, 0x07};
    sim::TSimMultiplexer& remote = line.AddRemote(path);
    sim::TSimMultiplexer& neighbour = line.AddRs485Device(4);
    remote.ConfigureBoard(2, bt4ToP);
    neighbour.ConfigureBoard(2, bt1DSL);
    line.Local().ConfigureBoard(2, bt4E1);

    mux->SetAddress(path);
    ASSERT_TRUE(mux->ReadConfiguration());
    EXPECT_EQ(mux->SlotBoardType(2), bt4ToP);
    EXPECT_EQ(handler->sent.front(), (TPacket{0x01, 2, 0, 0x13, 0x07, 45}));

    mux->SetAddress({});
    settings.rs485id = 4;
    ASSERT_TRUE(mux->ReadConfiguration());
    EXPECT_EQ(mux->SlotBoardType(2), bt1DSL);

    // A number nobody answers: no link, nothing read.
    settings.rs485id = 9;
    const auto ticksBefore = handler->ticks;
    pump->cancelWhen = [this, ticksBefore](std::size_t, int) { return handler->ticks >= ticksBefore + 40; };
    EXPECT_FALSE(mux->ReadConfiguration());
    EXPECT_FALSE(mux->LinkUp());
    EXPECT_EQ(mux->SlotBoardType(2), bt1DSL);
}

TEST_F(DeviceOperationsTest, PollingFillsStatusAndAlarmsFromTheDevice) {
    line.Local().SetBoard(4, bt4E1);
    line.Local().ConfigureBoard(6, bt4TCh);  // configured but absent
    line.Local().SetAlarmMask(0xFF);
    line.Local().SetStreamAlarm(4, 1, 0, true);
    settings.uselog = false;
    mux->SelectInfo(4, 1, false);
    for (int i = 0; i < 40; ++i) {
        handler->Step();
    }
    EXPECT_TRUE(mux->LinkUp());
    EXPECT_EQ(mux->SlotStatus(4) & 0xFFFF, 0x010Au);  // working 4E1
    EXPECT_EQ((mux->SlotStatus(6) >> 8) & 0xFF, 0u);  // absent
    const auto alarms = owner.Of(kNotifyAlarm);
    ASSERT_FALSE(alarms.empty());
    EXPECT_EQ(alarms.back().Parameter, 0x6080u) << "a configured board that is absent outranks a stream loss";

    // The information selection adds the stream state poll.
    mux->SetSlotType(4, {bt4E1, 0, 0});
    mux->SelectInfo(4, 1, true);
    for (int i = 0; i < 40; ++i) {
        handler->Step();
    }
    EXPECT_EQ(mux->GetStreamState(4, 1).Flags[0], 1);

    // Pulling the plug: the link goes down within three polls and the tiles are cleared.
    line.Faults().Silent = true;
    for (int i = 0; i < 40; ++i) {
        handler->Step();
    }
    EXPECT_FALSE(mux->LinkUp());
    EXPECT_EQ(mux->SlotStatus(4), 0u);
}

}  // namespace
}  // namespace tervis
