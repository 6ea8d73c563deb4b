#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "SimBoards.h"
#include "SimLine.h"
#include "SimTestSupport.h"

namespace tervis::sim::test {
namespace {

// The single reply to a request, or an empty packet when there was none.
TBytes Ask(TSimLine& line, const TBytes& request) {
    const auto replies = Exchange(line, request);
    return replies.size() == 1 ? replies[0] : TBytes{};
}

TBytes Slice(const TBytes& packet, std::size_t from, std::size_t count) {
    if (packet.size() < from + count) {
        return {};
    }
    return {packet.begin() + static_cast<std::ptrdiff_t>(from),
            packet.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

TEST(SimStatus, SlotStatesTypesAndLampsFollowTheHardware) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetBoard(0, board::k4E1);
    mux.ConfigureBoard(1, board::k1E1);  // configured, not plugged in
    mux.InstallBoard(2, board::k4TCh);   // plugged in, not configured
    mux.SetBoard(5, board::k1E1);
    mux.ConfigureBoard(6, board::k4E1);
    mux.InstallBoard(6, board::k4ToP);  // another type than configured
    mux.SetStreamAlarm(0, 2, 0, true);  // signal loss on stream 2
    mux.SetStreamAlarm(0, 3, 6, true);  // error rate on stream 3

    // Two bits per slot: slots 0..3 = 1, 0, 2, 0; slots 4..7 = 0, 1, 2, 0.
    const TBytes types = Ask(line, {0x80, 0x00, 0x00, 110});
    EXPECT_EQ(types, (TBytes{0x80, 0x00, 0x00, 115, 0x21, 0x24, 0x00, 0x00, 10, 0, 1, 0,
                             0,    7,    22,   0,   0,    0,    0,    0,    0,  0, 0, 0}));

    const TBytes lamps = Ask(line, {0x81, 0x00, 0x00, 100});
    ASSERT_EQ(lamps.size(), 4u + 36u);
    EXPECT_EQ(Slice(lamps, 4, 4), (TBytes{0x21, 0x24, 0x00, 0x00}));
    EXPECT_EQ(Slice(lamps, 8, 2), (TBytes{0x11, 0x32})) << "4E1: sets 0, 1 green; set 2 red, set 3 yellow";
    EXPECT_EQ(Slice(lamps, 8 + 2 * 5, 2), (TBytes{0x00, 0x01})) << "1E1: only the signal lamp is lit";
    EXPECT_EQ(Slice(lamps, 8 + 2 * 6, 2), (TBytes{0x00, 0x00})) << "a blocked board shows nothing";

    // Pulling the board out: absent, dark, no type; putting it back restores it.
    mux.UnplugBoard(0);
    const TBytes absentState = Ask(line, {0x82, 0x00, 0x00, 110});
    ASSERT_EQ(absentState.size(), types.size());
    EXPECT_EQ(absentState[4] & 3, 0);
    const TBytes absentType = Ask(line, {0x83, 0x00, 0x00, 110});
    ASSERT_EQ(absentType.size(), types.size());
    EXPECT_EQ(absentType[8], 0);
    EXPECT_EQ(Slice(Ask(line, {0x84, 0x00, 0x00, 100}), 8, 2), (TBytes{0, 0}));
    mux.PlugBoard(0);
    const TBytes plugged = Ask(line, {0x85, 0x00, 0x00, 110});
    ASSERT_EQ(plugged.size(), types.size());
    EXPECT_EQ(plugged[8], 10);

    mux.OverrideSlotState(0, kStateBlocked);
    mux.OverrideLamps(5, std::array<std::uint8_t, 2>{0x45, 0x67});
    const TBytes overridden = Ask(line, {0x86, 0x00, 0x00, 100});
    ASSERT_EQ(overridden.size(), lamps.size());
    EXPECT_EQ(overridden[4] & 3, kStateBlocked);
    EXPECT_EQ(Slice(overridden, 8 + 2 * 5, 2), (TBytes{0x45, 0x67}));
}

TEST(SimStatus, StreamStateCarriesAlarmsAndCountersThatMoveWithTime) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetBoard(3, board::k4E1);
    mux.SetStreamAlarm(3, 2, 0, true);
    mux.SetStreamAlarm(3, 2, 6, true);
    mux.SetStreamAlarm(3, 2, 1, true);
    line.Advance(3500);

    // Port 2 of slot 3: P+1 = 3 + 32, type, flags, then b, e, f, q as 24-bit little-endian counters.
    EXPECT_EQ(Ask(line, {0x80, 0x00, 0x00, 140, 0x23}),
              (TBytes{0x80, 0x00, 0x00, 145, 0x23, 10, 0x43, 3, 0, 0, 3, 0, 0, 0, 0, 0, 15, 0, 0}));
    EXPECT_EQ(Ask(line, {0x81, 0x00, 0x00, 140, 0x03}),
              (TBytes{0x81, 0x00, 0x00, 145, 0x03, 10, 0x00, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    // Counter reset clears that port only.
    Exchange(line, {0x82, 0x00, 0x00, 150, 0x23});
    EXPECT_EQ(mux.StreamCounters(3, 2).FrameErrors, 0u);
    EXPECT_EQ(mux.StreamCounters(3, 2).Period, 0u);
    EXPECT_EQ(mux.StreamCounters(3, 0).Period, 3u);

    // A set switched off in the block is neither monitored nor reported.
    mux.SetBlock(3, {0x3210, 0x0100, 0, 0, 0, 0, 0, 0, 0});
    const TBytes switchedOff = Ask(line, {0x83, 0x00, 0x00, 140, 0x23});
    ASSERT_EQ(switchedOff.size(), 19u);
    EXPECT_EQ(switchedOff[6], 0x00);

    // Boards of other kinds answer in the same length with their type and nothing else.
    mux.SetBoard(4, board::k4TCh);
    EXPECT_EQ(Ask(line, {0x84, 0x00, 0x00, 140, 0x04}),
              (TBytes{0x84, 0x00, 0x00, 145, 0x04, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SimStatus, AlarmRecordsFollowWhatIsWrongAndTheAlarmMask) {
    TSimLine line;
    auto& mux = line.Local();
    mux.ConfigureBoard(5, board::k4E1);  // missing
    mux.SetBoard(3, board::k4E1);
    mux.SetStreamAlarm(3, 1, 0, true);
    mux.SetStreamAlarm(3, 1, 7, true);
    mux.InstallBoard(9, board::k1E1);  // present but not configured: not an alarm
    mux.SetHardwareError(5);

    // The mask of a new configuration reports no board or stream alarm; a hardware error always counts.
    EXPECT_EQ(Ask(line, {0x80, 0x00, 0x00, 175}), (TBytes{0x80, 0x00, 0x00, 190, 4, 0x33, 0, 0, 5}));

    mux.SetAlarmMask(0xFF);
    EXPECT_EQ(Ask(line, {0x81, 0x00, 0x00, 175}),
              (TBytes{0x81, 0x00, 0x00, 190, 12, 0x33, 0, 0, 5, 0x32, 5, 10, 1, 0x31, 0x31, 10, 0x81}));

    // Only stream loss reported: the error-rate bit of the same record is masked off.
    mux.SetHardwareError(0);
    mux.SetAlarmMask(0x40);
    EXPECT_EQ(Ask(line, {0x82, 0x00, 0x00, 175}), (TBytes{0x82, 0x00, 0x00, 190, 4, 0x31, 0x31, 10, 0x01}));

    // The short form carries the most severe alarm as one word.
    mux.SetAlarmMask(0xFF);
    mux.SetAlarmReply(TAlarmReply::kWord);
    EXPECT_EQ(Ask(line, {0x83, 0x00, 0x00, 175}), (TBytes{0x83, 0x00, 0x00, 180, 0x50, 0x80}));
    mux.RemoveBoard(3);
    mux.ConfigureBoard(5, 0);
    mux.ConfigureBoard(3, 0);
    EXPECT_EQ(Ask(line, {0x84, 0x00, 0x00, 175}), (TBytes{0x84, 0x00, 0x00, 180, 0x00, 0x00}));

    // Many records are cut to what fits in one packet behind a long address path.
    TSimMultiplexer& remote = line.AddRemote(TBytes(30, 0x11));
    remote.SetAlarmMask(0xFF);
    for (int slot = 0; slot < 16; ++slot) {
        remote.SetBoard(slot, board::k4E1);
        for (int port = 0; port < 4; ++port) {
            remote.SetStreamFlags(slot, port, 0x01);
        }
    }
    TBytes request{0x85, 30, 0x00};
    request.insert(request.end(), 30, 0x11);
    request.push_back(175);
    const TBytes many = Ask(line, request);
    ASSERT_LE(many.size(), 254u);
    ASSERT_EQ(many.size(), 251u) << "54 of the 64 records fit";
    EXPECT_EQ(many[34], 216);
    EXPECT_EQ(Slice(many, 35, 4), (TBytes{0x31, 0x00, 10, 0x01}));
}

TEST(SimStatus, CasSnapshotsFollowTheSignallingTable) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetBoard(2, board::k4E1);
    mux.SetBoard(7, board::k4I15);
    // Port 1 of slot 2: timeslot 1 (channel 33) forced to 1101 by its active mask; timeslot 17 (channel 49)
    // passes on what arrives at slot 7 channel 1, which it is connected from.
    const int base = 2 * 128 + 32;
    mux.SetSignalling(base + 1, 0xDF);
    mux.SetLink(base + 17, 7 * 128 + 1);
    mux.SetReceivedCas(7, 1, 0x9);
    mux.SetReceivedCas(2, 33, 0x1);

    TBytes transmitted(15, 0x55);
    transmitted[0] = 0xD9;
    EXPECT_EQ(Slice(Ask(line, {0x80, 0x00, 0x00, 130, 0x12}), 3, 4), (TBytes{135, 0x12, 10, 0}));
    EXPECT_EQ(Slice(Ask(line, {0x81, 0x00, 0x00, 130, 0x12}), 7, 15), transmitted);
    TBytes received(15, 0x55);
    received[0] = 0x15;
    EXPECT_EQ(Slice(Ask(line, {0x82, 0x00, 0x00, 120, 0x12}), 7, 15), received);

    // 4И15: one channel per byte, in the low nibble, positions 1..15 of the stream.
    TBytes i15(15, 0x05);
    i15[0] = 0x09;
    EXPECT_EQ(Slice(Ask(line, {0x83, 0x00, 0x00, 120, 0x07}), 7, 15), i15);

    // A lost stream delivers all ones.
    mux.SetStreamAlarm(2, 1, 0, true);
    EXPECT_EQ(Slice(Ask(line, {0x84, 0x00, 0x00, 120, 0x12}), 7, 15), TBytes(15, 0xFF));
}

TEST(SimStatus, CpuBlockCountsUptimeRestartsAndFollowsTheClockSource) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetBoard(4, board::k4E1);
    mux.SetBlock(4, {0x3412, 0, 0, 0, 0, 0, 0, 0, 0});  // set 1 has the best priority of the board
    mux.SetSetting(0, 0x04);                            // input 0: slot 4, priority 0
    mux.SetSetting(kSettingSyncType, 2);
    mux.SetSetting(kSettingMeasurerHigh, 0xFF);
    mux.SetSetting(kSettingMeasurerLow, 0xFE);  // the generator: 0 dB
    line.Advance(90061 * 1000u);

    const TBytes block = Ask(line, {0x80, 0x00, 0x00, 155});
    EXPECT_EQ(block, (TBytes{0x80, 0x00, 0x00, 160,  0x36, 16, 10,   0x14, 0xC4, 0x09, 0x03,
                             0x00, 0xCD, 0x5F, 0x01, 0x00, 0,  0x00, 0x8E, 0x44, 0x00}));

    // Losing that stream moves the clock to the next one; restarts count and clear the uptime.
    mux.SetStreamAlarm(4, 1, 0, true);
    EXPECT_EQ(Slice(Ask(line, {0x81, 0x00, 0x00, 155}), 6, 2), (TBytes{10, 0x04}));
    EXPECT_EQ(Exchange(line, {0x02, 0x00, 0x00, 255}), (std::vector<TBytes>{{0x02, 0x00, 0x00, 255}}));
    EXPECT_TRUE(Exchange(line, {0x83, 0x00, 0x00, 255}).empty());
    line.Advance(2000);
    const TBytes restarted = Ask(line, {0x84, 0x00, 0x00, 155});
    EXPECT_EQ(Slice(restarted, 12, 5), (TBytes{2, 0, 0, 0, 2}));
    Exchange(line, {0x85, 0x00, 0x00, 150, 0xFF});
    EXPECT_EQ(mux.RestartCount(), 0);
}

TEST(SimStatus, RemotePowerAndDslRecords) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetBoard(6, board::kDP);
    // Voltage source at 250 V, feed on, maximum current 60 mA, into 5 kΩ: 50 mA.
    mux.SetBlock(6, {0x3280, 0x123C, 0x0A37, 300, 100, 0x5050, 0, 0, 0});
    mux.SetPowerLine(6, {TPowerLine::kNormal, 5000, 3, 150});
    EXPECT_EQ(Ask(line, {0x80, 0x00, 0x00, 140, 0x06}),
              (TBytes{0x80, 0x00, 0x00, 145, 0x06, 26, 0x01, 0xFA, 0x00, 0, 0xF4, 0x01, 0, 0x03, 0x00, 0,
                      0x96, 0x00, 0}));
    // The line test makes the break voltage valid; a leak above the threshold switches the feed off.
    Exchange(line, {0x81, 0x00, 0x00, 205, 0x06});
    mux.SetPowerLine(6, {TPowerLine::kLeak, 5000, 3, 150});
    EXPECT_EQ(Slice(Ask(line, {0x82, 0x00, 0x00, 140, 0x06}), 6, 13),
              (TBytes{0x17, 0, 0, 0, 0, 0, 0, 0x55, 0x00, 0, 0x96, 0x00, 0}));

    mux.SetBoard(8, board::k4DSLv2);
    mux.SetBoard(9, board::k1DSL);
    TSimDslLine dsl;
    dsl.Coding = 4;
    dsl.Reason = 163;
    mux.SetDslLine(8, 1, dsl);
    mux.SetStreamAlarm(8, 5, 2, true);  // CAS #2 of set 1 has lost its multiframe
    EXPECT_EQ(Ask(line, {0x83, 0x00, 0x00, 195, 0x18}),
              (TBytes{0x83, 0x00, 0x00, 200, 0x18, 29, 0, 0x23, 36, 12, 31, 1, 163, 0, 0, 0, 0, 0, 4}));
    mux.SetStreamAlarm(9, 0, 0, true);
    line.Advance(2000);
    EXPECT_EQ(Ask(line, {0x84, 0x00, 0x00, 195, 0x09}),
              (TBytes{0x84, 0x00, 0x00, 200, 0x09, 23, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 2, 2, 0}));
}

// Boards with layouts of their own: the 4C1И state record and its alarms, and a 4DSL whose sets 2 and 3
// live on the 4DSL' extension in the next slot.
TEST(SimStatus, C1IRecordAndDslExtension) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetAlarmMask(0xFF);
    mux.SetBoard(1, board::k4C1I);
    mux.SetStreamAlarm(1, 2, 2, true);  // all ones on port 2
    mux.SetStreamCounters(1, 2, {0x010203, 0, 0, 0x0A0B0C});
    EXPECT_EQ(Ask(line, {0x80, 0x00, 0x00, 140, 0x21}),
              (TBytes{0x80, 0x00, 0x00, 145, 0x21, 19, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0x0C, 0x0B,
                      0x0A}));
    EXPECT_EQ(Ask(line, {0x81, 0x00, 0x00, 175}), (TBytes{0x81, 0x00, 0x00, 190, 4, 0x31, 0x12, 19, 0x02}));
    EXPECT_EQ(Slice(Ask(line, {0x82, 0x00, 0x00, 100}), 8 + 2 * 1, 2), (TBytes{0x11, 0x31}));

    mux.SetBoard(10, board::k4DSL);
    mux.SetBoard(11, board::k4DSLExt);
    mux.SetReceivedCas(11, 32 + 1, 0xA);  // set 2, CAS #2, timeslot 1
    TBytes expected(15, 0x55);
    expected[0] = 0xA5;
    EXPECT_EQ(Slice(Ask(line, {0x83, 0x00, 0x00, 120, 0x6A}), 7, 15), expected);
    mux.RemoveBoard(11);
    EXPECT_EQ(Slice(Ask(line, {0x84, 0x00, 0x00, 120, 0x6A}), 7, 15), TBytes(15, 0));
}

}  // namespace
}  // namespace tervis::sim::test
