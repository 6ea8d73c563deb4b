#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/Endpoints.h"

namespace tervis {
namespace {

constexpr std::uint16_t kNone = kEndpointNone;
constexpr std::uint16_t kGen = kEndpointGenerator;

using test::Ep;

// A request to a directly attached multiplexer with RS-485 identifier 0.
TPacket Request(std::vector<std::uint8_t> payload) {
    TPacket packet(3 + payload.size(), 0x00);
    std::copy(payload.begin(), payload.end(), packet.begin() + 3);
    return packet;
}

// Command 0x14 for an endpoint whose signalling entry is the default 0x50.
TPacket EndpointCommand(std::uint16_t e, std::uint16_t link) {
    return Request({0x14, static_cast<std::uint8_t>(e >> 8), static_cast<std::uint8_t>(e),
                    static_cast<std::uint8_t>(link >> 8), static_cast<std::uint8_t>(link), 0x50});
}

class MuxConnections : public ::testing::Test {
protected:
    void Put(int slot, std::uint8_t type) { mux.SetSlotType(slot, TSlotType{type, 0, 0}); }
    void Pair(std::uint16_t a, std::uint16_t b) {
        mux.StoreLink(a, b);
        mux.StoreLink(b, a);
    }
    // Commands queued from here on are recorded.
    void Transmit() {
        settings.cashedtrx = true;
        mux.SetDeviceLink(std::make_unique<test::TRecordingLink>(packets));
    }
    // Asserts the LAN in `slot`: group entries of channels 0..31 (80 after the listed ones) and each
    // channel's partner, which must point back.
    void ExpectLan(int slot, const std::vector<std::uint16_t>& groups,
                   const std::vector<std::uint16_t>& partners) {
        for (int c = 0; c < 32; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const std::uint16_t partner = i < partners.size() ? partners[i] : kNone;
            EXPECT_EQ(mux.GetSignalling(Ep(slot, c)), i < groups.size() ? groups[i] : 80) << "channel " << c;
            EXPECT_EQ(mux.GetLink(Ep(slot, c)), partner) << "channel " << c;
            if (IsEndpoint(partner)) {
                EXPECT_EQ(mux.GetLink(partner), Ep(slot, c)) << "partner of channel " << c;
            }
        }
    }

    TSettings settings;
    std::vector<TPacket> packets;
    TMux mux{nullptr, nullptr, settings};
};

TEST_F(MuxConnections, LinkKindsAndUnlink) {
    mux.LinkBoth(0, 1, 1, 2);
    mux.LinkOneWay(0, 1, 2, 3);  // 2:3 listens to 0:1
    mux.LinkGenerator(3, 0);
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 2));
    EXPECT_EQ(mux.GetLink(Ep(1, 2)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(2, 3)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(3, 0)), kGen);

    mux.Unlink(2, 3);  // the source does not point back at its listener and keeps its link
    EXPECT_EQ(mux.GetLink(Ep(2, 3)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 2));
    mux.LinkOneWay(0, 1, 2, 3);
    mux.Unlink(0, 1);
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(1, 2)), kNone);     // pointed back
    EXPECT_EQ(mux.GetLink(Ep(2, 3)), Ep(0, 1));  // one-way listener keeps its entry

    mux.Unlink(3, 0);
    EXPECT_EQ(mux.GetLink(Ep(3, 0)), kNone);
    mux.StoreLink(Ep(3, 1), 0x0900);  // not an endpoint: nothing to follow
    EXPECT_NO_THROW(mux.Unlink(3, 1));
    EXPECT_EQ(mux.GetLink(Ep(3, 1)), kNone);
}

TEST_F(MuxConnections, LinkAllSkipsFramingAndLinkedChannels) {
    Put(2, bt1E1);
    Put(5, bt4E1);
    mux.StoreLink(Ep(2, 3), kGen);
    mux.StoreLink(Ep(5, 2), kGen);
    mux.LinkAll(2, 5);

    // Channels 0 and 16 frame both streams; 1E1 channel 3 and 4E1 channel 2 are taken, so 1E1 channel 2
    // goes to 4E1 channel 3 and from channel 4 on the numbers agree. The 1E1 runs out at 31.
    for (int c = 0; c < 32; ++c) {
        const bool framing = c == 0 || c == 16;
        EXPECT_EQ(mux.GetLink(Ep(2, c)), c == 3 ? kGen : framing ? kNone : Ep(5, c == 2 ? 3 : c)) << c;
        EXPECT_EQ(mux.GetLink(Ep(5, c)), c == 2 ? kGen : framing ? kNone : Ep(2, c == 3 ? 2 : c)) << c;
    }
    for (int c = 32; c < 128; ++c) {
        EXPECT_EQ(mux.GetLink(Ep(5, c)), kNone) << c;
    }
}

TEST_F(MuxConnections, LinkAllStopsWhenTheShorterSideRunsOut) {
    Put(0, bt4TCh);
    Put(2, bt1E1);
    mux.LinkAll(2, 0);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(mux.GetLink(Ep(0, c)), Ep(2, c + 1));
    }
    EXPECT_EQ(mux.GetLink(Ep(2, 5)), kNone);
}

TEST_F(MuxConnections, LinkAllToReusesLinkedSources) {
    Put(0, bt4TCh);
    Put(1, bt4AL);
    Pair(Ep(0, 1), Ep(7, 0));
    mux.StoreLink(Ep(1, 2), kGen);
    mux.LinkAllTo(0, 1);
    EXPECT_EQ(mux.GetLink(Ep(1, 0)), Ep(0, 0));
    EXPECT_EQ(mux.GetLink(Ep(1, 1)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(1, 2)), kGen);
    EXPECT_EQ(mux.GetLink(Ep(1, 3)), Ep(0, 2));
    // Sources are not written: one-way connections live in the receiver's entry only.
    EXPECT_EQ(mux.GetLink(Ep(0, 0)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(7, 0));
    EXPECT_EQ(mux.GetLink(Ep(7, 0)), Ep(0, 1));
}

TEST_F(MuxConnections, BulkLinkingRefusesGroupAndChannellessSlots) {
    Put(3, bt4TCh);
    struct TCase {
        int Other;
        std::uint8_t Type;
    };
    for (const TCase& c : {TCase{4, btNone}, TCase{4, bt2VS}, TCase{4, btADPCM}, TCase{4, btLAN},
                           TCase{kCpuSlot, btCPU}, TCase{3, bt4TCh}}) {
        if (c.Other != kCpuSlot && c.Other != 3) {
            Put(c.Other, c.Type);
        }
        mux.SetModified(false);
        const TConfigImage before = mux.Image();
        mux.LinkAll(3, c.Other);
        mux.LinkAll(c.Other, 3);
        mux.LinkAllTo(3, c.Other);
        mux.LinkAllTo(c.Other, 3);
        EXPECT_TRUE(mux.Image() == before) << "type " << int{c.Type} << " in slot " << c.Other;
        EXPECT_FALSE(mux.Modified());
    }
}

TEST_F(MuxConnections, MeasurerSendsTheSettingsRecordWhenItChanges) {
    Transmit();
    mux.ConnectMeasurer(2, 5);
    EXPECT_EQ(mux.GetMuxSettings(), (TMuxSettings{0, 16, 96, 96, 96, 96, 3, 1, 5, 0}));
    mux.ConnectMeasurer(2, 5);
    mux.MeasurerToGenerator();
    EXPECT_EQ(packets, (std::vector<TPacket>{Request({0x28, 0, 16, 96, 96, 96, 96, 3, 1, 5, 0}),
                                             Request({0x28, 0, 16, 96, 96, 96, 96, 3, 255, 254, 0})}));
    mux.ConnectMeasurer(15, 127);
    EXPECT_EQ(mux.GetMuxSettings()[7], 7);
    EXPECT_EQ(mux.GetMuxSettings()[8], 255);
    mux.DisconnectMeasurer();
    EXPECT_EQ(mux.GetMuxSettings(), (TMuxSettings{0, 16, 96, 96, 96, 96, 3, 255, 255, 0}));
}

TEST_F(MuxConnections, AssignAndReleasePort) {
    Put(4, bt2VS);
    mux.AssignPortTimeslots(4, 0, {Ep(9, 1)});
    Transmit();
    mux.AssignPortTimeslots(4, 1, {Ep(1, 5), kNone, Ep(2, 7), Ep(3, 9)});
    EXPECT_EQ(
        packets,
        (std::vector<TPacket>{
            EndpointCommand(0x0220, 0x0085), EndpointCommand(0x0085, 0x0220), EndpointCommand(0x0221, 0x0107),
            EndpointCommand(0x0107, 0x0221), EndpointCommand(0x0222, 0x0189), EndpointCommand(0x0189, 0x0222),
            Request({0x1E, 4, 0x00, 0x80, 0x00, 0x82, 0x00, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}));
    const std::uint16_t partners[] = {Ep(1, 5), Ep(2, 7), Ep(3, 9)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mux.GetLink(Ep(4, 32 + i)), partners[i]);
        EXPECT_EQ(mux.GetLink(partners[i]), Ep(4, 32 + i));
    }
    EXPECT_EQ(mux.GetLink(Ep(4, 35)), kNone);
    EXPECT_EQ(mux.GetBoardConfig(4)[0], 128);  // one timeslot: count - 1 = 0
    EXPECT_EQ(mux.GetBoardConfig(4)[1], 128 | 2);

    mux.StoreLink(Ep(2, 7), Ep(6, 6));  // relinked elsewhere since
    mux.ReleasePortOf(Ep(4, 40));
    for (int c = 32; c < 64; ++c) {
        EXPECT_EQ(mux.GetLink(Ep(4, c)), kNone);
    }
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(3, 9)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(2, 7)), Ep(6, 6));
    EXPECT_EQ(mux.GetBoardConfig(4)[1], 128);
    EXPECT_EQ(mux.GetLink(Ep(4, 0)), Ep(9, 1));  // port 0 untouched
    EXPECT_EQ(mux.GetLink(Ep(9, 1)), Ep(4, 0));
    EXPECT_EQ(mux.GroupCapacity(4), 32);
    EXPECT_EQ(mux.GroupCapacity(5), 0);
}

TEST_F(MuxConnections, AssignPortFillsAtMostOnePortAndNeverWritesAtTheGenerator) {
    Put(4, bt2VS);
    std::vector<std::uint16_t> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back(Ep(10, i));
    }
    mux.AssignPortTimeslots(4, 1, many);
    EXPECT_EQ(mux.GetLink(Ep(4, 63)), Ep(10, 31));
    EXPECT_EQ(mux.GetLink(Ep(4, 64)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(10, 32)), kNone);
    EXPECT_EQ(mux.GetBoardConfig(4)[1], 128 | 31);

    EXPECT_NO_THROW(mux.AssignPortTimeslots(4, 0, {kGen}));
    EXPECT_EQ(mux.GetLink(Ep(4, 0)), kGen);
    EXPECT_EQ(mux.GetBoardConfig(4)[0], 128);
}

class MuxConnectionsLan : public MuxConnections {
protected:
    // Channels 0..4 hold groups 1, 1, 5, 5, 5, each linked both ways to slot 1, same channel.
    void SetUp() override {
        Put(6, btLAN);
        TSlotSignalling entries = mux.GetSlotSignalling(6);
        const std::uint16_t groups[] = {1, 1, 5, 5, 5};
        for (int c = 0; c < 32; ++c) {
            entries[static_cast<std::size_t>(c)] = c < 5 ? groups[c] : kLanFreeTimeslot;
        }
        mux.SetSlotSignalling(6, entries);
        for (int c = 0; c < 5; ++c) {
            Pair(Ep(6, c), Ep(1, c));
        }
    }
};

TEST_F(MuxConnectionsLan, InsertShiftsLaterGroupsAndTheirPartners) {
    EXPECT_EQ(mux.FreeLanTimeslots(6), 27);
    mux.InsertLanGroup(6, 3, {Ep(2, 0), kNone, Ep(2, 1)});
    ExpectLan(6, {1, 1, 3, 3, 5, 5, 5},
              {Ep(1, 0), Ep(1, 1), Ep(2, 0), Ep(2, 1), Ep(1, 2), Ep(1, 3), Ep(1, 4)});
    EXPECT_EQ(mux.FreeLanTimeslots(6), 25);
    EXPECT_EQ(mux.GroupCapacity(6), 25);
    EXPECT_EQ(mux.GetSignalling(Ep(6, 32)), kSignallingDefault);
}

TEST_F(MuxConnectionsLan, InsertEdgeCases) {
    mux.SetModified(false);
    const TConfigImage before = mux.Image();
    mux.InsertLanGroup(6, 3, {kNone, kNone});
    EXPECT_TRUE(mux.Image() == before);

    mux.InsertLanGroup(6, 1, {Ep(2, 5)});  // more timeslots for a group go after its present ones
    EXPECT_NO_THROW(mux.InsertLanGroup(6, 7, {kGen}));  // the generator has no entry to point back
    ExpectLan(6, {1, 1, 1, 5, 5, 5, 7}, {Ep(1, 0), Ep(1, 1), Ep(2, 5), Ep(1, 2), Ep(1, 3), Ep(1, 4), kGen});

    TSlotSignalling full = mux.GetSlotSignalling(6);
    std::fill(full.begin(), full.begin() + 32, std::uint16_t{2});
    mux.SetSlotSignalling(6, full);
    const TConfigImage filled = mux.Image();
    mux.InsertLanGroup(6, 4, {Ep(2, 0)});  // no entry above 4
    EXPECT_TRUE(mux.Image() == filled);
}

TEST_F(MuxConnectionsLan, InsertBeyondTheLastTimeslotDropsWhatIsPushedOut) {
    std::vector<std::uint16_t> endpoints;
    std::vector<std::uint16_t> partners = {Ep(1, 0), Ep(1, 1)};
    for (int i = 0; i < 28; ++i) {
        endpoints.push_back(Ep(3, i));
        partners.push_back(Ep(3, i));
    }
    partners.insert(partners.end(), {Ep(1, 2), Ep(1, 3)});
    mux.InsertLanGroup(6, 3, endpoints);
    std::vector<std::uint16_t> groups = {1, 1};
    groups.insert(groups.end(), 28, 3);
    groups.insert(groups.end(), {5, 5});
    ExpectLan(6, groups, partners);
    EXPECT_EQ(mux.GetLink(Ep(1, 4)), kNone);  // its timeslot went to the new group
}

TEST_F(MuxConnectionsLan, RemoveMovesLaterGroupsDownAndFreesTheTail) {
    mux.InsertLanGroup(6, 3, {Ep(2, 0), Ep(2, 1)});
    mux.SetModified(false);
    const TConfigImage before = mux.Image();
    mux.RemoveLanGroup(6, 4);
    EXPECT_TRUE(mux.Image() == before);
    EXPECT_FALSE(mux.Modified());

    mux.RemoveLanGroup(6, 3);
    ExpectLan(6, {1, 1, 5, 5, 5}, {Ep(1, 0), Ep(1, 1), Ep(1, 2), Ep(1, 3), Ep(1, 4)});
    EXPECT_EQ(mux.GetLink(Ep(2, 0)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(2, 1)), kNone);

    mux.RemoveLanGroupOf(Ep(6, 0));  // group 1
    ExpectLan(6, {5, 5, 5}, {Ep(1, 2), Ep(1, 3), Ep(1, 4)});
    EXPECT_EQ(mux.GetLink(Ep(1, 0)), kNone);

    mux.RemoveLanGroup(6, 5);
    ExpectLan(6, {}, {});
    EXPECT_EQ(mux.GetLink(Ep(1, 4)), kNone);
    EXPECT_EQ(mux.FreeLanTimeslots(6), 32);
}

TEST_F(MuxConnections, CopySameTypeKeepsTargetLinksAndNothingFromEmptyOrCpu) {
    Put(1, bt4E1);
    Put(2, bt4E1);
    mux.SetSlotType(1, TSlotType{bt4E1, 0x0102, 0x0304});
    const TBoardConfig block = {0x1234, 1, 2, 3, 4, 5, 6, 7, 8};
    mux.SetBoardConfig(1, block);
    mux.StoreSignalling(Ep(1, 5), 0x9F);
    Pair(Ep(1, 3), Ep(8, 8));
    Pair(Ep(2, 4), Ep(9, 9));

    mux.CopyBoardConfig(1, 2);
    EXPECT_EQ(mux.GetSlotType(2), (TSlotType{bt4E1, 0x0102, 0x0304}));
    EXPECT_EQ(mux.GetBoardConfig(2), block);
    EXPECT_EQ(mux.GetSlotSignalling(2), mux.GetSlotSignalling(1));
    EXPECT_EQ(mux.GetLink(Ep(2, 4)), Ep(9, 9));
    EXPECT_EQ(mux.GetLink(Ep(9, 9)), Ep(2, 4));
    EXPECT_EQ(mux.GetLink(Ep(2, 3)), kNone);

    mux.SetModified(false);
    const TConfigImage before = mux.Image();
    mux.CopyBoardConfig(0, 2);  // empty slot
    mux.CopyBoardConfig(kCpuSlot, 2);
    EXPECT_TRUE(mux.Image() == before);
    EXPECT_FALSE(mux.Modified());
}

TEST_F(MuxConnectionsLan, CopyLanKeepsTargetGroupsOrResetsAnotherType) {
    Put(7, btLAN);
    TSlotSignalling groups = mux.GetSlotSignalling(7);
    groups[0] = 9;
    mux.SetSlotSignalling(7, groups);
    Pair(Ep(7, 0), Ep(9, 0));
    mux.CopyBoardConfig(6, 7);
    EXPECT_EQ(mux.GetSignalling(Ep(7, 0)), 9);
    EXPECT_EQ(mux.GetLink(Ep(7, 0)), Ep(9, 0));

    Put(8, bt4TCh);
    mux.StoreSignalling(Ep(8, 0), 0x33);
    Pair(Ep(8, 0), Ep(9, 1));
    mux.CopyBoardConfig(6, 8);
    EXPECT_EQ(mux.SlotBoardType(8), btLAN);
    EXPECT_EQ(mux.GetLink(Ep(8, 0)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(9, 1)), kNone);
    for (std::uint16_t entry : mux.GetSlotSignalling(8)) {
        EXPECT_EQ(entry, kSignallingDefault);
    }
}

TEST_F(MuxConnections, CopyToAnotherTypeUnlinksThenAppliesTheSource) {
    Put(1, bt2VS);
    mux.AssignPortTimeslots(1, 0, {Ep(5, 0), Ep(5, 1), Ep(5, 2), Ep(5, 3), Ep(5, 4), Ep(5, 5)});
    mux.AssignPortTimeslots(1, 1, {Ep(5, 6), Ep(5, 7), Ep(5, 8), Ep(5, 9)});
    TBoardConfig block = mux.GetBoardConfig(1);
    block[2] = 12;
    mux.SetBoardConfig(1, block);
    mux.StoreSignalling(Ep(1, 40), 0xA5);
    Put(3, bt4TCh);
    Pair(Ep(3, 0), Ep(9, 1));

    mux.CopyBoardConfig(1, 3);
    EXPECT_EQ(mux.SlotBoardType(3), bt2VS);
    EXPECT_EQ(mux.GetBoardConfig(3), (TBoardConfig{128, 128, 12, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mux.GetBoardConfig(1)[0], 128 | 5);  // the source keeps its counts
    EXPECT_EQ(mux.GetLink(Ep(3, 0)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(9, 1)), kNone);
    EXPECT_EQ(mux.GetSignalling(Ep(3, 40)), 0xA5);
}

// --- what goes to the device with immediate transmission on

TEST_F(MuxConnections, LinkBothSendsBothEntriesOnceWithHeader) {
    settings.rs485id = 0x105;
    mux.SetAddress({0x03, 0x07});
    mux.StoreSignalling(Ep(0, 1), 0x9A);
    Transmit();
    mux.LinkBoth(0, 1, 1, 1);
    mux.LinkBoth(0, 1, 1, 1);  // nothing changes, nothing is sent
    EXPECT_EQ(packets,
              (std::vector<TPacket>{{0x00, 0x02, 0x05, 0x03, 0x07, 0x14, 0x00, 0x01, 0x00, 0x81, 0x9A},
                                    {0x00, 0x02, 0x05, 0x03, 0x07, 0x14, 0x00, 0x81, 0x00, 0x01, 0x50}}));
}

TEST_F(MuxConnections, LinkAllAndGeneratorSendInLinkOrder) {
    Put(0, bt4TCh);
    Put(1, bt4AL);
    mux.StoreLink(Ep(0, 1), kGen);
    mux.StoreLink(Ep(1, 0), kGen);
    Transmit();
    mux.LinkAll(0, 1);
    mux.LinkGenerator(3, 0);
    EXPECT_EQ(packets, (std::vector<TPacket>{EndpointCommand(0x0000, 0x0081), EndpointCommand(0x0081, 0x0000),
                                             EndpointCommand(0x0002, 0x0082), EndpointCommand(0x0082, 0x0002),
                                             EndpointCommand(0x0003, 0x0083), EndpointCommand(0x0083, 0x0003),
                                             Request({0x14, 0x01, 0x80, 0xFF, 0xFE, 0x50})}));
}

}  // namespace
}  // namespace tervis
