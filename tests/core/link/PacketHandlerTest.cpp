#include "core/link/PacketHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

// A transport that records what was transmitted and at which tick.
class TRecordingHandler : public TCustomPacketHandler {
public:
    explicit TRecordingHandler(TMux& owner) : TCustomPacketHandler(owner) { Connect(); }
    ~TRecordingHandler() override { Disconnect(); }
    void Connect() override { ++connects; }
    void Disconnect() override { ++disconnects; }
    void SendPacket(const TPacket& packet) override { sent.push_back({ticks, packet}); }

    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            ++ticks;
            Tick();
        }
    }
    // Answers with a packet echoing the control byte of the last transmission.
    void Answer(std::uint8_t code, std::vector<std::uint8_t> parameters = {}) {
        AnswerWith(sent.back().packet[0], code, std::move(parameters));
    }
    void AnswerWith(std::uint8_t control, std::uint8_t code, std::vector<std::uint8_t> parameters = {}) {
        TReceiveBuffer buffer{};
        buffer[0] = control;
        buffer[3] = code;
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            buffer[4 + i] = parameters[i];
        }
        PacketReceived(buffer);
    }
    std::vector<std::uint8_t> Codes() const {
        std::vector<std::uint8_t> codes;
        for (const auto& s : sent) {
            codes.push_back(s.packet[3 + s.packet[1]]);
        }
        return codes;
    }

    struct TSent {
        int tick;
        TPacket packet;
    };
    std::vector<TSent> sent;
    int ticks = 0;
    int connects = 0;
    int disconnects = 0;
};

class PacketHandlerTest : public ::testing::Test {
protected:
    PacketHandlerTest() {
        auto link = std::make_unique<TRecordingHandler>(*mux);
        handler = link.get();
        mux->SetDeviceLink(std::move(link));
    }

    TSettings settings;
    test::TNotificationRecorder owner;
    std::unique_ptr<TMux> mux = std::make_unique<TMux>(&owner, nullptr, settings);
    TRecordingHandler* handler;
};

TEST_F(PacketHandlerTest, SilentDevicePollsEvery500msAndLinkDropsAtTheThirdPoll) {
    mux->SetLinkUp(true);
    mux->SetSlotStatus({0x0101u});
    owner.Posted.clear();

    handler->Ticks(9);
    EXPECT_TRUE(handler->sent.empty());
    handler->Ticks(41);
    ASSERT_EQ(handler->sent.size(), 5u);
    for (std::size_t i = 0; i < handler->sent.size(); ++i) {
        EXPECT_EQ(handler->sent[i].tick, 10 * static_cast<int>(i + 1));
        EXPECT_EQ(handler->sent[i].packet[0] & 0x80, 0x80) << "polls are unconfirmed";
    }
    // Without stream logging or a selection only the three fixed steps run.
    EXPECT_EQ(handler->Codes(), (std::vector<std::uint8_t>{110, 100, 175, 110, 100}));
    EXPECT_EQ(handler->sent[0].packet, (TPacket{0x81, 0, 0, 110}));
    EXPECT_EQ(handler->QueueLength(), 0);

    const auto linkStates = owner.Of(kNotifyLinkState);
    ASSERT_EQ(linkStates.size(), 1u);
    EXPECT_EQ(linkStates[0].Parameter, 0u);
    EXPECT_EQ(mux->SlotStatus(0), 0u);
    // The link went down at the third transmission (tick 30), clearing the tiles first.
    EXPECT_EQ(owner.Of(kNotifySlotStatus).size(), 1u);
}

// The tick at which the link-down notification is posted, counting transmissions from the last answer.
TEST_F(PacketHandlerTest, LinkIsDeclaredLostExactlyAtTheThirdUnansweredTransmission) {
    const auto linkDowns = [&] {
        std::size_t downs = 0;
        for (const auto& n : owner.Of(kNotifyLinkState)) {
            downs += n.Parameter == 0 ? 1 : 0;
        }
        return downs;
    };
    // From a fresh answer: transmissions at ticks 10, 20, 30 (after the answer), the third one drops it.
    handler->Ticks(10);
    handler->Answer(115);  // link up, unanswered count back to 0; the next poll follows one tick later
    ASSERT_TRUE(mux->LinkUp());
    const int answeredAt = handler->ticks;
    owner.Posted.clear();
    std::vector<int> transmissionTicks;
    int downTick = -1;
    for (int i = 0; i < 40 && downTick < 0; ++i) {
        const std::size_t before = handler->sent.size();
        handler->Ticks(1);
        if (handler->sent.size() > before) {
            transmissionTicks.push_back(handler->ticks - answeredAt);
        }
        if (linkDowns() > 0) {
            downTick = handler->ticks - answeredAt;
        }
    }
    ASSERT_EQ(transmissionTicks.size(), 3u) << "the link went down at another transmission";
    EXPECT_EQ(transmissionTicks, (std::vector<int>{1, 11, 21}));
    EXPECT_EQ(downTick, 21) << "lost at the third transmission, not before";
    EXPECT_EQ(linkDowns(), 1u);

    // An answer between transmissions starts the count again: two more silent polls keep the link.
    handler->Answer(115);
    ASSERT_TRUE(mux->LinkUp());
    owner.Posted.clear();
    handler->Ticks(1 + 10);  // the poll after the answer and the next one: two unanswered transmissions
    EXPECT_EQ(linkDowns(), 0u) << "two unanswered transmissions keep the link";
    handler->Ticks(9);
    EXPECT_EQ(linkDowns(), 0u) << "nothing is decided between transmissions";
    handler->Ticks(1);
    EXPECT_EQ(linkDowns(), 1u) << "the third one drops it";
}

TEST_F(PacketHandlerTest, AnsweringDeviceIsPolled50msAfterEachAnswer) {
    handler->Ticks(10);
    ASSERT_EQ(handler->sent.size(), 1u);
    handler->Answer(115);
    EXPECT_TRUE(mux->LinkUp());
    handler->Ticks(1);
    ASSERT_EQ(handler->sent.size(), 2u);
    EXPECT_EQ(handler->sent[1].tick, 11);
    handler->Answer(105);
    handler->Ticks(1);
    handler->Answer(180, {0, 0});
    handler->Ticks(1);
    EXPECT_EQ(handler->Codes(), (std::vector<std::uint8_t>{110, 100, 175, 110}));
    // An answer that matches nothing transmitted does not speed anything up.
    handler->AnswerWith(0x55, 115);
    handler->Ticks(9);
    EXPECT_EQ(handler->sent.size(), 4u);
    handler->Ticks(1);
    EXPECT_EQ(handler->sent.size(), 5u);
}

TEST_F(PacketHandlerTest, ConfirmedPacketIsRetransmittedUnchangedUntilAnswered) {
    mux->RestartMultiplexer();  // unconfirmed: sent once
    handler->Enqueue(mux->BuildRequest({cmd::kReadSettings}), false);
    handler->Enqueue(mux->BuildRequest({cmd::kReadSlotType, 3}), false);
    handler->Ticks(10);
    ASSERT_EQ(handler->sent.size(), 1u);
    EXPECT_EQ(handler->sent[0].packet, (TPacket{0x81, 0, 0, 255}));
    EXPECT_EQ(handler->QueueLength(), 2);
    // The answer to the unconfirmed packet removes nothing else.
    handler->Answer(0);
    EXPECT_EQ(handler->QueueLength(), 2);
    // That answer matched the last transmission: the next packet follows 50 ms later, then every 500 ms.
    handler->Ticks(30);
    ASSERT_EQ(handler->sent.size(), 4u);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(handler->sent[i].packet, (TPacket{0x02, 0, 0, 45})) << i;
        EXPECT_EQ(handler->sent[i].tick, 1 + 10 * i);
    }
    // The answer releases the head and the next packet goes out at once.
    handler->Answer(40);
    ASSERT_EQ(handler->sent.size(), 5u);
    EXPECT_EQ(handler->sent[4].packet, (TPacket{0x03, 0, 0, 15, 3}));
    EXPECT_EQ(handler->sent[4].tick, 40);
    EXPECT_EQ(handler->QueueLength(), 1);
}

TEST_F(PacketHandlerTest, UnconfirmedFloodIsCappedBehindABlockedHead) {
    handler->Enqueue(mux->BuildRequest({cmd::kReadSettings}), false);
    for (int i = 0; i < 11; ++i) {
        mux->ResetCounters(1, 0);
    }
    EXPECT_EQ(handler->QueueLength(), 10);  // the tenth unconfirmed one and later were dropped
    for (int i = 0; i < 5; ++i) {
        handler->Enqueue(mux->BuildRequest({cmd::kReadSlotType, 0}), false);  // confirmed never dropped
    }
    EXPECT_EQ(handler->QueueLength(), 15);
    const auto lengths = owner.Of(kNotifyQueueLength);
    EXPECT_FALSE(lengths.empty());
    handler->ClearQueue();
    EXPECT_EQ(handler->QueueLength(), 0);
    EXPECT_FALSE(handler->Busy());
}

TEST_F(PacketHandlerTest, TheQueueHolds65535PacketsInOrderAcrossTheEndOfItsRing) {
    int next = 0;
    const auto enqueue = [&] {
        handler->Enqueue(mux->BuildRequest({cmd::kReadBlock, static_cast<std::uint8_t>(next >> 8),
                                            static_cast<std::uint8_t>(next & 0xFF)}),
                         true);
        ++next;
    };
    const auto answer = [&](int count) {
        for (int i = 0; i < count && handler->QueueLength() > 0; ++i) {
            handler->Answer(0);
        }
    };
    while (next < 65535) {
        enqueue();
    }
    EXPECT_EQ(handler->QueueLength(), 65535);
    enqueue();  // full: dropped
    EXPECT_EQ(handler->QueueLength(), 65535);

    // A thousand answered make room for a thousand more, which go round the end of the ring.
    handler->Ticks(10);
    answer(1000);
    next = 65535;
    while (next < 65535 + 1000) {
        enqueue();
    }
    EXPECT_EQ(handler->QueueLength(), 65535);
    answer(70000);
    EXPECT_EQ(handler->QueueLength(), 0);

    std::vector<int> numbers;
    for (const auto& s : handler->sent) {
        numbers.push_back((s.packet[4] << 8) | s.packet[5]);
    }
    std::vector<int> expected;
    for (int i = 0; i < 65535 + 1000; ++i) {
        expected.push_back(i & 0xFFFF);
    }
    EXPECT_EQ(numbers, expected);
}

TEST_F(PacketHandlerTest, SequenceNumbersWrapAndKeepBit7) {
    const auto workOff = [&] {
        while (handler->QueueLength() > 0) {
            handler->Ticks(10);
            handler->Answer(40);
        }
    };
    for (int i = 1; i <= 127; ++i) {
        handler->Enqueue(mux->BuildRequest({cmd::kReadSettings}), true);
    }
    workOff();
    mux->RestartMultiplexer();  // unconfirmed: keeps bit 7 and takes number 0
    handler->Enqueue(mux->BuildRequest({cmd::kReadSettings}), false);
    workOff();

    std::vector<std::uint8_t> expected;
    for (int i = 1; i <= 127; ++i) {
        expected.push_back(static_cast<std::uint8_t>(i));
    }
    expected.push_back(0x80);
    expected.push_back(0x01);
    std::vector<std::uint8_t> transmitted;  // retransmissions folded
    for (const auto& s : handler->sent) {
        if (transmitted.empty() || transmitted.back() != s.packet[0]) {
            transmitted.push_back(s.packet[0]);
        }
    }
    EXPECT_EQ(transmitted, expected);
}

TEST_F(PacketHandlerTest, PollCycleFollowsLoggingAndTheInformationSelection) {
    settings.uselog = true;
    // The device reports a 1E1 in slot 2 and a 4E1 in slot 5.
    handler->Ticks(10);
    handler->Answer(115, {0, 0, 0, 0, 0, 0, 7, 0, 0, 10});
    mux->SetSlotType(7, {bt4DSL, 0, 0});
    mux->SelectInfo(7, 2, true);
    for (int i = 0; i < 12; ++i) {
        handler->Ticks(1);
        handler->Answer(0);
    }
    std::vector<std::pair<std::uint8_t, std::uint8_t>> requests;
    for (const auto& s : handler->sent) {
        requests.push_back({s.packet[3], s.packet.size() > 4 ? s.packet[4] : std::uint8_t{0}});
    }
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> expected = {
        {110, 0},    {100, 0},    {175, 0},    {140, 0x02},  // stream rotation: 1E1 port 0 only
        {120, 0x27}, {130, 0x27}, {195, 0x27},               // 4DSL selection: CAS and DSL, no state poll
        {110, 0},    {100, 0},    {175, 0},    {140, 0x05},  // then the 4E1, port 0
        {120, 0x27}, {130, 0x27}};
    EXPECT_EQ(requests, expected);

    // The CPU selected: its status poll is the bare command.
    mux->SelectInfo(kCpuSlot, 0, true);
    handler->sent.clear();
    for (int i = 0; i < 9; ++i) {
        handler->Ticks(1);
        handler->Answer(0);
    }
    const auto cpuPoll = std::find_if(handler->sent.begin(), handler->sent.end(),
                                      [](const auto& s) { return s.packet[3] == 155; });
    ASSERT_NE(cpuPoll, handler->sent.end());
    EXPECT_EQ(cpuPoll->packet.size(), 4u) << "header and command, nothing after";
}

TEST_F(PacketHandlerTest, ReplyTablesUpdateTheSlotStatus) {
    // 105: states 2 bits per slot, LED bytes; 115: states and reported types.
    std::vector<std::uint8_t> leds = {0b11100100, 0, 0, 0b00000001};
    for (int s = 0; s < 16; ++s) {
        leds.push_back(static_cast<std::uint8_t>(0x10 + s));
        leds.push_back(static_cast<std::uint8_t>(0x80 + s));
    }
    handler->AnswerWith(0x33, 105, leds);
    EXPECT_EQ(mux->SlotStatus(0), 0x80100000u);
    EXPECT_EQ(mux->SlotStatus(1), 0x81110100u);
    EXPECT_EQ(mux->SlotStatus(2), 0x82120200u);
    EXPECT_EQ(mux->SlotStatus(3), 0x83130300u);
    EXPECT_EQ(mux->SlotStatus(12), 0x8C1C0100u);

    std::vector<std::uint8_t> types = {0, 0, 0, 0b00000010};
    for (int s = 0; s < 16; ++s) {
        types.push_back(static_cast<std::uint8_t>(s == 12 ? 10 : 0));
    }
    handler->AnswerWith(0x34, 115, types);
    EXPECT_EQ(mux->SlotStatus(12), 0x8C1C020Au);
    EXPECT_EQ(mux->SlotStatus(1), 0x81110000u);
    EXPECT_EQ(owner.Of(kNotifySlotStatus).size(), 2u);
}

TEST_F(PacketHandlerTest, AlarmRecordsReduceToTheMostSevereWord) {
    struct Case {
        std::vector<std::uint8_t> records;
        std::uint16_t word;
    };
    const Case cases[] = {
        // stream loss in slot 3, then board absent in slot 5: 0x080 beats 0x040
        {{8, 0x31, 0x30, 0, 0x01, 0x32, 0x05, 0, 0x01}, 0x5080},
        // two stream records with equal bits: the first one's slot stays
        {{8, 0x31, 0x30, 0, 0x02, 0x31, 0x70, 0, 0x02}, 0x3020},
        // several bits of one record stay together; bit 5 is ignored
        {{4, 0x31, 0x90, 0, 0xE9}, 0x9000 | 0x040 | 0x008 | 0x002 | 0x001},
        // bit 6 alone is the 10E-3 error alarm, bit 7 alone the 10E-6 one
        {{4, 0x31, 0x90, 0, 0x40}, 0x9002},
        {{4, 0x31, 0x90, 0, 0x80}, 0x9001},
        // hardware error: the code in the top nibble
        {{4, 0x33, 0, 0, 0x0E}, 0xE100},
        // hardware error outranks a missing board, in either order
        {{8, 0x32, 0x05, 0, 0x01, 0x33, 0, 0, 0x0E}, 0xE100},
        {{8, 0x33, 0, 0, 0x0E, 0x32, 0x05, 0, 0x01}, 0xE100},
        // no records; an unknown kind; a flag byte without alarms
        {{0}, 0},
        {{4, 0x34, 0xFF, 0xFF, 0xFF}, 0},
        {{4, 0x31, 0x30, 0, 0x20}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        owner.Posted.clear();
        handler->AnswerWith(0x40, 190, c.records);
        ASSERT_EQ(owner.Of(kNotifyAlarm).size(), 1u);
        EXPECT_EQ(owner.Of(kNotifyAlarm)[0].Parameter, c.word);
    }
    owner.Posted.clear();
    handler->AnswerWith(0x40, 180, {0x50, 0x80});
    ASSERT_EQ(owner.Of(kNotifyAlarm).size(), 1u);
    EXPECT_EQ(owner.Of(kNotifyAlarm)[0].Parameter, 0x5080u);
}

TEST_F(PacketHandlerTest, InformationRepliesAreDecodedIntoTheRecords) {
    // Stream state of a 4E1 port 2 in slot 6: signal loss and >10E-6, b = 0x010203 s, e = 2, f = 3, q = 10.
    handler->AnswerWith(0x41, 145, {0x26, 10, 0x81, 0x03, 0x02, 0x01, 2, 0, 0, 3, 0, 0, 10, 0, 0});
    const TStreamState& state = mux->GetStreamState(6, 2);
    EXPECT_EQ(state.Flags, (std::array<std::uint8_t, 7>{1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(state.Period, 0x010203u);
    EXPECT_EQ(state.SlipsTotal, 5u);
    EXPECT_DOUBLE_EQ(state.ErrorRate, 10.0 / 0x010203);
    // Zero period: the rate is the count itself.
    handler->AnswerWith(0x41, 145, {0x06, 7, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0});
    EXPECT_DOUBLE_EQ(mux->GetStreamState(6, 0).ErrorRate, 4.0);
    EXPECT_EQ(mux->GetStreamState(6, 0).Flags[5], 1);

    handler->AnswerWith(0x42, 145, {0x11, 19, 0x0A, 10, 0, 0, 9, 9, 9, 9, 9, 9, 5, 0, 0});
    const TC1IState& c1i = mux->GetC1IState(1, 1);
    EXPECT_EQ((std::array<int, 4>{c1i.SignalLoss, c1i.RemoteAlarm, c1i.AllOnes, c1i.AllZeros}),
              (std::array<int, 4>{1, 0, 0, 1}));
    EXPECT_DOUBLE_EQ(c1i.ErrorRate, 0.5);

    handler->AnswerWith(0x43, 145, {0x04, 26, 0x56, 0x2C, 0x01, 0, 0x7B, 0, 0, 0x05, 0, 0, 0xE8, 0x03});
    const TDpState& dp = mux->GetDpState(4, 0);
    EXPECT_EQ(dp.Mode, 2);
    EXPECT_EQ(dp.BreakValid, 1);
    EXPECT_EQ(dp.LineState, 5);
    EXPECT_EQ(dp.Voltage, 300);
    EXPECT_DOUBLE_EQ(dp.Current, 12.3);
    EXPECT_DOUBLE_EQ(dp.Leakage, 0.5);
    EXPECT_EQ(dp.BreakVoltage, 1000);

    std::vector<std::uint8_t> cas = {0x13, 13, 0};
    for (std::uint8_t i = 1; i <= 15; ++i) {
        cas.push_back(i);
    }
    handler->AnswerWith(0x44, 135, cas);
    EXPECT_EQ(mux->GetCasTransmitted15(3, 1)[14], 15);
    EXPECT_EQ(mux->GetCasTransmitted(3, 1)[14], 0);

    // 4DSLv2 line record: state, multiframe flags, coding from P+15.
    handler->AnswerWith(0x45, 200, {0x09, 29, 0, 0x33, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 0x42});
    const TDslLine& line = mux->GetDslLine(9, 0);
    EXPECT_EQ(line[0], 3);
    EXPECT_EQ(line[7], 1);
    EXPECT_EQ(line[8], 1);
    EXPECT_EQ(line[3], 0x42);
    EXPECT_EQ(line[10], 11);
    EXPECT_EQ(line[2], 14);
    EXPECT_EQ(line[1], 15);
    EXPECT_EQ(line[19], 20);
    EXPECT_EQ(line[20], 29);

    // The CPU block only while the CPU is selected.
    handler->AnswerWith(0x46, 160, {1, 2, 3});
    EXPECT_EQ(mux->CpuStatus()[4], 0);
    mux->SelectInfo(16, 0, true);
    handler->AnswerWith(0x46, 160, {1, 2, 3});
    EXPECT_EQ(mux->CpuStatus()[4], 1);
}

TEST_F(PacketHandlerTest, ConfigurationRepliesFillTheScratchModelOnly) {
    handler->AnswerWith(0x01, 10, {4, 10, 0x12, 0x34, 0x56, 0x78});
    handler->AnswerWith(0x02, 20, {0x02, 0x05, 0x00, 0x81, 0x9F});
    handler->AnswerWith(0x03, 30, {4, 0x32, 0x10, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0xAB, 0xCD});
    handler->AnswerWith(0x04, 40, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    // Out-of-range slots and endpoints are ignored rather than trusted.
    handler->AnswerWith(0x05, 10, {16, 10, 0, 0, 0, 0});
    handler->AnswerWith(0x06, 20, {0x08, 0x00, 0x00, 0x01, 0x50});

    const TMux& scratch = handler->Scratch();
    EXPECT_EQ(scratch.GetSlotType(4), (TSlotType{10, 0x1234, 0x5678}));
    EXPECT_EQ(scratch.GetLink(0x0205), 0x0081);
    EXPECT_EQ(scratch.GetSignalling(0x0205), 0x9F);
    EXPECT_EQ(scratch.GetBoardConfig(4), (TBoardConfig{0x3210, 1, 2, 3, 4, 5, 6, 7, 0xABCD}));
    EXPECT_EQ(scratch.GetMuxSettings(), (TMuxSettings{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(mux->SlotBoardType(4), 0);
}

TEST_F(PacketHandlerTest, TraceRepliesReachTheTraceWindow) {
    struct TTrace : ITraceSink {
        void TraceStarted(const TReceiveBuffer& b, std::size_t p) override { started.push_back(b[p + 1]); }
        void TraceMessage(const TReceiveBuffer& b, std::size_t p) override { messages.push_back(b[p + 7]); }
        std::vector<int> started, messages;
    } trace;
    handler->AnswerWith(0x10, 165, {3, 1, 1});  // no window yet: dropped
    const TSubscription subscription = handler->SubscribeTrace(trace);
    handler->AnswerWith(0x10, 165, {3, 1, 1});
    handler->AnswerWith(0x10, 165, {16, 0, 1});  // 16 × 128 is no endpoint
    handler->AnswerWith(0x10, 170, {3, 1, 1, 0, 2, 0x01, 0x02});
    EXPECT_EQ(trace.started, std::vector<int>{3});
    EXPECT_EQ(trace.messages, std::vector<int>{0x02});

    mux->Trace(3, 1);
    mux->Trace(255, 255);
    mux->LineTest(4, 1);
    mux->ResetCounters(15, 15);
    mux->WriteRs485Id(7);
    handler->Ticks(50);
    ASSERT_EQ(handler->sent.size(), 5u) << "the confirmed trace start is retransmitted until answered";
    for (const auto& s : handler->sent) {
        EXPECT_EQ(s.packet, (TPacket{0x01, 0, 0, 165, 3, 1}));
    }
    handler->Answer(165, {3, 1, 1});
    handler->Answer(165, {255, 255, 0});
    handler->Ticks(10);
    handler->Ticks(10);
    ASSERT_EQ(handler->sent.size(), 9u);
    EXPECT_EQ(handler->sent[5].packet, (TPacket{0x02, 0, 0, 165, 255, 255}));
    EXPECT_EQ(handler->sent[6].packet, (TPacket{0x83, 0, 0, 205, 0x14}));
    EXPECT_EQ(handler->sent[7].packet, (TPacket{0x84, 0, 0, 150, 0xFF}));
    EXPECT_EQ(handler->sent[8].packet, (TPacket{0x05, 0, 0, 185, 7}));
}

// Trace windows come and go: each one listening gets every trace reply; one that has left, or is
// destroyed while another is being called, is never called again.
TEST_F(PacketHandlerTest, TraceRepliesFanOutToEveryListenerStillListening) {
    struct TTrace : ITraceSink {
        void TraceStarted(const TReceiveBuffer&, std::size_t) override {
            ++started;
            if (onCall) {
                onCall();
            }
        }
        void TraceMessage(const TReceiveBuffer&, std::size_t) override { ++messages; }
        int started = 0;
        int messages = 0;
        std::function<void()> onCall;
        TSubscription subscription;  // the window leaves the list when it is destroyed
    };
    TTrace first;
    TTrace second;
    first.subscription = handler->SubscribeTrace(first);
    second.subscription = handler->SubscribeTrace(second);
    handler->AnswerWith(0x10, 165, {3, 1, 1});
    handler->AnswerWith(0x10, 170, {3, 1, 1, 0, 2, 0x01, 0x02});
    EXPECT_EQ(std::make_pair(first.started, first.messages), std::make_pair(1, 1));
    EXPECT_EQ(std::make_pair(second.started, second.messages), std::make_pair(1, 1));

    second.subscription.Reset();  // the second window closed
    handler->AnswerWith(0x10, 170, {3, 1, 1, 0, 2, 0x01, 0x02});
    EXPECT_EQ(first.messages, 2);
    EXPECT_EQ(second.messages, 1) << "a window that left is not called";

    // The first window's call destroys a third one that joined after it: the third is not called.
    auto third = std::make_unique<TTrace>();
    third->subscription = handler->SubscribeTrace(*third);
    first.onCall = [&] { third.reset(); };
    handler->AnswerWith(0x10, 165, {3, 1, 1});  // under ASan a call to the freed window would fail here
    EXPECT_EQ(first.started, 2);
    EXPECT_EQ(third, nullptr);

    // A window may outlive the link it listened to.
    mux.reset();
    first.subscription.Reset();
}

TEST_F(PacketHandlerTest, ReconnectClosesAndReopensTheTransport) {
    EXPECT_EQ(handler->connects, 1);
    mux->Reconnect();
    EXPECT_EQ(handler->disconnects, 1);
    EXPECT_EQ(handler->connects, 2);
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// Every reply placed with its last byte at the end of the 256-byte receive buffer is taken; one byte
// further it changes nothing, yet still counts as a sign of life. Last is the offset of the last byte
// the reply's layout reads, counted from the reply code.
TEST_F(PacketHandlerTest, EveryReplyFitsAtItsLastPositionAndIsIgnoredOneByteBeyond) {
    struct TTrace : ITraceSink {
        void TraceStarted(const TReceiveBuffer&, std::size_t) override { ++calls; }
        void TraceMessage(const TReceiveBuffer&, std::size_t) override { ++calls; }
        int calls = 0;
    };
    // What a reply changes where it is taken.
    struct TProbe {
        const TMux& Model;
        TRecordingHandler& Device;
        const TTrace& Trace;
        test::TNotificationRecorder& Posted;
    };
    struct TCase {
        const char* Name;
        std::size_t Last;
        std::vector<std::uint8_t> Head;  // the code and the first parameters; the rest are 0x11
        std::function<bool(const TProbe&)> Stored;
    };
    const auto unitRecord = [](auto read) {
        return [read](const TProbe& probe) { return read(probe.Model.UnitInfo(2, 0)); };
    };
    const auto alarm = [](const TProbe& probe) { return !probe.Posted.Of(kNotifyAlarm).empty(); };
    const auto traced = [](const TProbe& probe) { return probe.Trace.calls != 0; };
    const auto slot15 = [](const TProbe& probe) { return probe.Model.SlotStatus(15) != 0; };
    const auto dsl = unitRecord([](const TUnitInfo& unit) { return unit.Dsl[20] != 0; });
    const std::vector<TCase> cases = {
        {"slot type",
         6,
         {10, 3},
         [](const TProbe& probe) { return probe.Device.Scratch().GetSlotType(3).Type != 0; }},
        {"endpoint",
         5,
         {20, 0x02, 0x05},
         [](const TProbe& probe) { return probe.Device.Scratch().GetLink(0x0205) == 0x1111; }},
        {"block",
         19,
         {30, 4},
         [](const TProbe& probe) { return probe.Device.Scratch().GetBoardConfig(4)[8] != 0; }},
        {"settings",
         10,
         {40},
         [](const TProbe& probe) { return probe.Device.Scratch().GetMuxSettings()[9] != 0; }},
        {"lamps", 36, {105}, slot15},
        {"reported types", 20, {115}, slot15},
        {"CAS received", 18, {125, 0x02, 10}, unitRecord([](const TUnitInfo& unit) {
             return unit.CasReceived[14] != 0;
         })},
        {"CAS transmitted", 18, {135, 0x02, 10}, unitRecord([](const TUnitInfo& unit) {
             return unit.CasTransmitted[14] != 0;
         })},
        {"stream state", 15, {145, 0x02, 10}, unitRecord([](const TUnitInfo& unit) {
             return unit.Stream.Period != 0;
         })},
        {"4C1И state", 15, {145, 0x02, 19}, unitRecord([](const TUnitInfo& unit) {
             return unit.C1I.Period != 0;
         })},
        {"remote power state", 14, {145, 0x02, 26}, unitRecord([](const TUnitInfo& unit) {
             return unit.Dp.Voltage != 0;
         })},
        {"1DSL line", 14, {200, 0x02, 23}, dsl},
        {"4DSL line", 14, {200, 0x02, 24}, dsl},
        {"4DSLv2 line", 15, {200, 0x02, 29}, dsl},
        {"CPU status", 17, {160}, [](const TProbe& probe) { return probe.Model.CpuStatus()[0] != 0; }},
        {"trace started", 3, {165, 3, 1}, traced},
        {"trace message", 7, {170}, traced},
        {"alarm word", 2, {180}, alarm},
        {"alarm records", 5, {190, 4, 0x31, 0x40, 0, 0x01}, alarm},
    };
    for (const TCase& c : cases) {
        for (const bool fits : {true, false}) {
            SCOPED_TRACE(std::string(c.Name) + (fits ? " at its last position" : " one byte beyond"));
            test::TNotificationRecorder recorder;
            TMux model(&recorder, nullptr, settings);
            auto link = std::make_unique<TRecordingHandler>(model);
            TRecordingHandler& device = *link;
            model.SetDeviceLink(std::move(link));
            model.SelectInfo(kCpuSlot, 0, true);
            TTrace trace;
            const TSubscription subscription = device.SubscribeTrace(trace);
            recorder.Posted.clear();

            TReceiveBuffer buffer{};
            const std::size_t p = 255 - c.Last + (fits ? 0 : 1);
            buffer[0] = 0x41;
            buffer[2] = static_cast<std::uint8_t>(p - 3);
            for (std::size_t k = 0; p + k < buffer.size(); ++k) {
                buffer[p + k] = k < c.Head.size() ? c.Head[k] : 0x11;
            }
            device.PacketReceived(buffer);
            EXPECT_TRUE(model.LinkUp());
            EXPECT_EQ(c.Stored({model, device, trace, recorder}), fits);
        }
    }
}

// The progress of an exchange is what the device answers to us: packets with a foreign control byte or
// unsolicited replies do not count however many arrive, and one transmission counts once.
TEST_F(PacketHandlerTest, OnlyAnswersToOurTransmissionsCountAsProgress) {
    handler->Ticks(10);
    ASSERT_EQ(handler->sent.size(), 1u);
    const std::uint8_t ours = handler->sent.back().packet[0];
    for (int i = 0; i < 20; ++i) {
        handler->AnswerWith(static_cast<std::uint8_t>(ours ^ 0x01), 180, {0, 0});
        handler->AnswerWith(0x00, 105);
    }
    EXPECT_EQ(handler->AnswersReceived(), 0u);
    EXPECT_TRUE(mux->LinkUp());  // they were still signs of life
    handler->Answer(115);
    handler->Answer(115);
    EXPECT_EQ(handler->AnswersReceived(), 1u);
    handler->Ticks(1);
    handler->Answer(105);
    EXPECT_EQ(handler->AnswersReceived(), 2u);
}

// An alarm log that cannot be written ends the handling of that reply only: the record is stored, the
// operator is told once, and the link takes the next replies.
TEST(PacketHandlerLogTest, FailingAlarmLogEndsOnlyThatReply) {
    test::TTempDir dir;
    TSettings settings;
    settings.uselog = true;
    test::TNotificationRecorder owner;
    test::TOperatorRecorder operatorMessages;
    TMux mux(&owner, &operatorMessages, settings);
    mux.SetClock(std::make_shared<test::TFixedClock>(TLocalTime{2026, 12, 8, 10, 0, 0}));
    mux.SetLogDirectory(dir.Path());
    std::filesystem::create_directory(dir / "12-2026.log");  // cannot be opened as a file
    auto link = std::make_unique<TRecordingHandler>(mux);
    TRecordingHandler& handler = *link;
    mux.SetDeviceLink(std::move(link));

    // Stream state of a 4E1, slot 6 port 2: remote frame loss and >10E-3 raised: two events.
    EXPECT_NO_THROW(handler.AnswerWith(0x41, 145, {0x26, 10, 0x48, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mux.GetStreamState(6, 2).Flags, (std::array<std::uint8_t, 7>{0, 0, 0, 1, 0, 1, 0}));
    ASSERT_EQ(operatorMessages.Messages.size(), 1u);
    EXPECT_NE(operatorMessages.Messages[0].find("12-2026.log"), std::string::npos);

    // The link goes on: the next reply is taken.
    handler.AnswerWith(0x42, 180, {0x51, 0x00});
    EXPECT_EQ(owner.Of(kNotifyAlarm), (std::vector<test::TNotification>{{kNotifyAlarm, 0x5100}}));
}

// A progress window that fails (it could not be shown) ends the operation with its error, and no part of
// the batch stays queued to be sent behind the operator's back.
TEST_F(PacketHandlerTest, AFailingProgressWindowLeavesNothingQueued) {
    struct TFailingWindow : IProgressWindow {
        void Start(int) override {}
        void Update(int) override {}
        bool Execute() override { throw std::runtime_error("нет окна"); }
    };
    struct TFailingFactory : IProgressFactory {
        std::unique_ptr<IProgressWindow> CreateProgress(const std::string&) override {
            return std::make_unique<TFailingWindow>();
        }
    } factory;
    handler->SetProgressFactory(&factory);
    const std::function<void()> operations[] = {
        [&] { mux->ReadConfiguration(); },
        [&] { mux->LoadConfiguration(); },
        [&] { mux->ClearConfiguration(); },
        [&] { mux->CompareConfiguration(); },
    };
    for (const auto& operation : operations) {
        EXPECT_THROW(operation(), std::runtime_error);
        EXPECT_EQ(handler->QueueLength(), 0);
        handler->Ticks(10);
        EXPECT_TRUE(handler->sent.empty() || (handler->sent.back().packet[0] & 0x80) != 0)
            << "only polls go out afterwards";
    }
}

}  // namespace
}  // namespace tervis
