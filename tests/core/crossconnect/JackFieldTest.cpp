#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/crossconnect/JackField.h"
#include "core/link/StatusDecoding.h"
#include "core/model/Recorders.h"
#include "core/model/Requests.h"
#include "support/Endpoints.h"

namespace tervis {
namespace {

constexpr std::uint16_t kNone = kEndpointNone;
constexpr std::uint16_t kGen = kEndpointGenerator;
using TKind = THoverTarget::TKind;

using test::Ep;

class JackFieldTest : public ::testing::Test {
protected:
    void Put(int slot, std::uint8_t type, TBoardConfig block = {}) {
        mux.SetSlotType(slot, TSlotType{type, 0, 0});
        mux.SetBoardConfig(slot, block);
    }
    TJackField& Field() {
        field = std::make_unique<TJackField>(mux);
        return *field;
    }
    // The trunk row that shows the group starting at `entry`; the field must show it.
    int RowOf(std::uint16_t entry) {
        for (int row = 0; row < TJackField::kTrunkRows; ++row) {
            if (field->TrunkRowVisible(row) && field->TrunkEntry(field->TrunkOffset() + row) == entry) {
                return row;
            }
        }
        ADD_FAILURE() << "no row for entry " << entry;
        return 0;
    }
    void Click(std::uint16_t endpoint) { field->ClickTrunk(RowOf(endpoint & ~31), endpoint & 31); }
    TButtonView View(std::uint16_t endpoint) {
        return field->TrunkButton(RowOf(endpoint & ~31), endpoint & 31);
    }

    TSettings settings;
    TMux mux{nullptr, nullptr, settings};
    std::unique_ptr<TJackField> field;
};

TEST_F(JackFieldTest, TrunkListRowLabelsAndPortColumnsFollowTheBoards) {
    Put(0, bt1E1);
    Put(1, bt4I15);
    Put(2, btADPCM);
    Put(3, btLAN);
    Put(4, bt4DSL);
    Put(5, bt4DSLAlt);
    Put(6, 28);
    Put(7, bt2VS);
    Put(8, bt8AK);
    Put(9, bt4TCh);
    TJackField& f = Field();
    const std::vector<std::uint16_t> expected = {
        Ep(0, 0),  Ep(1, 0),  Ep(1, 32), Ep(2, 0), Ep(2, 32), Ep(2, 64), Ep(3, 0),  Ep(4, 0),
        Ep(4, 32), Ep(4, 64), Ep(4, 96), Ep(5, 0), Ep(5, 32), Ep(5, 64), Ep(5, 96), Ep(6, 0)};
    ASSERT_EQ(f.TrunkCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < f.TrunkCount(); ++i) {
        EXPECT_EQ(f.TrunkEntry(i), expected[static_cast<std::size_t>(i)]) << i;
    }
    const std::vector<std::string> labels = {"0\n1E1",      "1, 0 и 1\n4I15", "1, 2 и 3\n4I15", "2, 0\nАДИКМ",
                                             "2, 1\nАДИКМ", "2, +\nАДИКМ",    "3\nLAN",         "4, 0\n4DSL",
                                             "4, 0\n4DSL",  "4, 1\n4DSL",     "4, 1\n4DSL",     "4, 2\n4DSL",
                                             "4, 2\n4DSL",  "4, 3\n4DSL",     "4, 3\n4DSL",     "6\nVoIP"};
    for (int i = 0; i < f.TrunkCount(); ++i) {
        while (f.TrunkOffset() + TJackField::kTrunkRows <= i) {
            f.TrunkDown();
        }
        EXPECT_EQ(f.TrunkRowLabel(i - f.TrunkOffset()), labels[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(TJackField::TrunkLabel(bt4E1, 3, 2), "3, 2\n4E1");
    EXPECT_EQ(TJackField::TrunkLabel(bt4ToP, 3, 1), "3, 1\n4ToP");
    EXPECT_EQ(TJackField::TrunkLabel(bt4DSLAlt, 0, 1), "15, 2\n4DSL");
    EXPECT_EQ(TJackField::TrunkLabel(17, 9, 0), "9\n???");

    // Port area: trunk boards and channel-less boards are hidden; the 8AK sets eight columns.
    EXPECT_EQ(f.PortColumns(), 8);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(f.PortRowVisible(slot), slot == 7 || slot == 8 || slot == 9) << slot;
    }
    EXPECT_EQ(f.PortRowLabel(8), "8AK");
    EXPECT_FALSE(f.PortUpEnabled());
    EXPECT_TRUE(f.PortButton(7, 1).Visible);
    EXPECT_FALSE(f.PortButton(7, 2).Visible) << "a 2VS has two ports";
    EXPECT_TRUE(f.PortButton(9, 3).Visible);
    f.PortDown();
    EXPECT_EQ(f.PortOffset(), 4);
    EXPECT_FALSE(f.PortDownEnabled());
    EXPECT_FALSE(f.PortButton(7, 0).Visible);
    EXPECT_FALSE(f.PortButton(9, 0).Visible);
    EXPECT_TRUE(f.PortButton(8, 3).Visible);
    f.PortDown();
    EXPECT_EQ(f.PortOffset(), 4);
    f.PortUp();
    EXPECT_EQ(f.PortOffset(), 0);
}

// Boards shown in the trunk area, group boards of the trunk list and boards without channels have no port
// row.
TEST_F(JackFieldTest, PortRowsOfEveryTypeCode) {
    const std::vector<int> hidden = {0, 7, 10, 13, 14, 16, 22, 23, 24, 25, 26, 28, 29, 33};
    for (int type = 0; type <= 33; ++type) {
        Put(3, static_cast<std::uint8_t>(type));
        const bool shown = std::find(hidden.begin(), hidden.end(), type) == hidden.end();
        EXPECT_EQ(Field().PortRowVisible(3), shown) << type;
    }
}

TEST_F(JackFieldTest, TrunkScrollingAndTheSixtyFourGroupLimit) {
    for (int slot = 0; slot < 8; ++slot) {
        Put(slot, bt4E1);
    }
    TJackField& f = Field();
    EXPECT_EQ(f.TrunkCount(), 32);
    EXPECT_FALSE(f.TrunkUpEnabled());
    for (int step = 1; step <= 30; ++step) {
        f.TrunkDown();
    }
    EXPECT_EQ(f.TrunkOffset(), 26) << "one group per click, never past the last six";
    EXPECT_FALSE(f.TrunkDownEnabled());
    EXPECT_EQ(f.TrunkRowLabel(5), "7, 3\n4E1");
    f.TrunkUp();
    EXPECT_EQ(f.TrunkOffset(), 25);
    EXPECT_TRUE(f.TrunkUpEnabled() && f.TrunkDownEnabled());

    for (int slot = 0; slot < kSlotCount; ++slot) {
        Put(slot, bt4ToP);
    }
    EXPECT_EQ(Field().TrunkCount(), TJackField::kMaxTrunkEntries);

    // Fewer groups than rows: the remaining rows are hidden and nothing scrolls.
    for (int slot = 0; slot < kSlotCount; ++slot) {
        Put(slot, slot == 4 ? bt1E1 : btNone);
    }
    TJackField& small = Field();
    small.TrunkDown();
    EXPECT_EQ(small.TrunkOffset(), 0);
    EXPECT_TRUE(small.TrunkRowVisible(0));
    EXPECT_FALSE(small.TrunkRowVisible(1));
    EXPECT_FALSE(small.TrunkButton(1, 0).Visible);
}

TEST_F(JackFieldTest, CaptionsShowThePartnerInTheNotationOfItsBoard) {
    Put(0, bt1E1);
    Put(1, bt4E1);
    Put(2, bt4I15);
    Put(3, btADPCM);
    Put(4, bt4DSL);
    Put(5, bt4DSLAlt);
    Put(6, bt4TCh);
    Put(7, bt4ToP);
    TJackField& f = Field();
    const struct {
        std::uint16_t Value;
        const char* Caption;
    } cases[] = {
        {Ep(1, 32 * 2 + 17), "1,2\n17"},
        {Ep(7, 31), "7,0\n31"},
        {Ep(2, 16 * 3 + 5), "2,3\n5"},
        {Ep(3, 7), "3,0\n7"},
        {Ep(3, 33), "3,1\n1"},
        {Ep(3, 64 + 9), "3,+\n9"},
        {Ep(3, 96), "???"},
        {Ep(4, 64 + 3), "4,1\n3"},
        {Ep(5, 64 + 2), "4,3\n2"},
        {Ep(5, 1), "4,2\n1"},
        {Ep(6, 2), "6\n2"},
        {Ep(0, 5), "0\n5"},
        {kGen, "G"},
        {kNone, "xxx"},
        {4000, "?(4000)"},
    };
    for (const auto& c : cases) {
        mux.StoreLink(Ep(0, 1), c.Value);
        EXPECT_EQ(f.TrunkButton(0, 1).Caption, c.Caption) << c.Value;
        EXPECT_EQ(f.TrunkButton(0, 1).Down, c.Value != kNone) << c.Value;
    }
    // Slot 0's 4DSL' belongs to the 4DSL in slot 15.
    Put(0, bt4DSLAlt);
    EXPECT_EQ(Field().PartnerNotation(Ep(0, 64)), "15,3\n0");
}

TEST_F(JackFieldTest, WhichFreeChannelsMayBeChosen) {
    const struct {
        std::uint8_t Type;
        TBoardConfig Block;
        int Channel;
        bool Expected;
    } cases[] = {
        {bt1E1, {}, 0, false},
        {bt1E1, {}, 16, false},
        {bt1E1, {}, 1, true},
        {bt4I15, {}, 32, false},
        {bt4I15, {}, 48, false},
        {bt4I15, {}, 47, true},
        // 4E1 stream 2: timeslot 0 with bit 9 of W4, timeslot 16 with bit 8 of W2.
        {bt4E1, {}, 64, false},
        {bt4E1, {0, 0, 0, 0, 1u << 9, 0, 0, 0, 0}, 64, true},
        {bt4E1, {0, 0, 0, 0, 1u << 8, 0, 0, 0, 0}, 64, false},
        {bt4E1, {}, 80, false},
        {bt4E1, {0, 0, 1u << 8, 0, 0, 0, 0, 0, 0}, 80, true},
        {bt4E1, {0, 0, 1u << 9, 0, 0, 0, 0, 0, 0}, 80, false},
        {bt4ToP, {0, 0, 1u, 0, 0, 0, 0, 0, 0}, 16, true},
        {bt4ToP, {}, 17, true},
        // ADPCM with W0 = 20: odd channels of the "+" group below timeslot 10 are taken by the pairing.
        {btADPCM, {20}, 64 + 9, false},
        {btADPCM, {20}, 64 + 8, true},
        {btADPCM, {20}, 64 + 11, true},
        {btADPCM, {20}, 33, true},
        // W0 = 22: timeslot 11 is W0 div 2 itself, where the pairing ends.
        {btADPCM, {22}, 64 + 11, true},
        {btADPCM, {22}, 96 + 9, false},
        {btADPCM, {22}, 64 + 9, false},
        {bt8AK, {3}, 5, false},
        {bt8AK, {1}, 5, true},
        {bt8AK, {2}, 5, true},
        {bt1DSL, {0, 8, 4}, 3, false},
        {bt1DSL, {0, 8, 0}, 3, true},
        {bt4DSL, {0, 0, 0x21}, 16, false},
        {bt4DSL, {0, 0, 0x21}, 17, true},
        {bt4DSL, {0, 0, 0x21}, 64 + 16, false},
        {bt4DSL, {0, 0, 0x21}, 64 + 48, false},
        {bt4DSL, {0, 0, 0x21}, 48, true},
        {bt4DSLv2, {0, 0, 0x30}, 64 + 16, true},
        {bt4TCh, {}, 0, true},
        {btNone, {}, 0, false},
        {bt2VS, {}, 0, false},
        {btLAN, {}, 0, false},
    };
    for (const auto& c : cases) {
        Put(3, c.Type, c.Block);
        EXPECT_EQ(Field().MayBeChosen(Ep(3, c.Channel)), c.Expected)
            << "type " << int(c.Type) << " channel " << c.Channel;
    }
    // A 4DSL' follows the nibbles 8..11 and 12..15 of W2 of the 4DSL below it, and nothing else.
    Put(3, bt4DSLAlt);
    Put(2, bt4DSL, {0, 0, 0x2100});
    EXPECT_FALSE(Field().MayBeChosen(Ep(3, 16)));
    EXPECT_TRUE(field->MayBeChosen(Ep(3, 17)));
    EXPECT_FALSE(field->MayBeChosen(Ep(3, 64 + 48)));
    EXPECT_TRUE(field->MayBeChosen(Ep(3, 48)));
    Put(2, bt4E1);
    EXPECT_FALSE(Field().MayBeChosen(Ep(3, 17)));

    // Disabled unless linked: the framing timeslot of a 1E1 with a link stays clickable.
    Put(0, bt1E1);
    EXPECT_FALSE(Field().TrunkButton(0, 0).Enabled);
    mux.StoreLink(Ep(0, 0), kGen);
    EXPECT_TRUE(Field().TrunkButton(0, 0).Enabled);
}

TEST_F(JackFieldTest, EditModesLeaveTheirLinksInTheModel) {
    Put(0, bt4E1);
    Put(1, bt1E1);
    TJackField& f = Field();

    // Two-way: the first end shows "->" and may not be chosen again; the second click links both ways.
    Click(Ep(0, 1));
    EXPECT_EQ(f.Mode(), TEditMode::TwoWayPending);
    EXPECT_EQ(View(Ep(0, 1)).Caption, "->");
    EXPECT_FALSE(View(Ep(0, 1)).Enabled);
    Click(Ep(1, 5));
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 5));
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), Ep(0, 1));

    // One-way: Ctrl on a linked channel starts a feed from it; each further click feeds one more until
    // Escape, and the source keeps its own link.
    f.SetCtrl(true);
    EXPECT_FALSE(View(Ep(0, 1)).Down) << "Ctrl draws every button up while idle";
    Click(Ep(0, 1));
    EXPECT_EQ(f.Mode(), TEditMode::OneWayPending);
    EXPECT_TRUE(View(Ep(1, 5)).Down) << "outside idle mode Ctrl leaves linked buttons down";
    f.SetCtrl(false);
    Click(Ep(0, 2));
    Click(Ep(0, 3));
    Click(Ep(0, 1));  // the source itself: a plain click on it breaks its link, it is not fed from itself
    EXPECT_EQ(f.Mode(), TEditMode::OneWayPending);
    f.Escape();
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
    EXPECT_EQ(mux.GetLink(Ep(0, 2)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), kNone);

    // Generator: from the button, then a channel; or from a pending two-way first end.
    f.ClickGenerator();
    EXPECT_EQ(f.Mode(), TEditMode::GeneratorPending);
    EXPECT_EQ(f.GeneratorButton().Caption, "->");
    EXPECT_FALSE(f.GeneratorButton().Enabled);
    Click(Ep(1, 7));
    EXPECT_EQ(mux.GetLink(Ep(1, 7)), kGen);
    EXPECT_EQ(View(Ep(1, 7)).Caption, "G");
    Click(Ep(1, 8));
    f.ClickGenerator();
    EXPECT_EQ(mux.GetLink(Ep(1, 8)), kGen);
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
    EXPECT_EQ(f.GeneratorButton().Caption, "xxx");
    EXPECT_FALSE(f.GeneratorButton().Down);

    // Escape abandons every pending mode without touching the model.
    const TConfigImage before = mux.Image();
    Click(Ep(1, 9));
    f.Escape();
    f.ClickMeasurer();
    f.Escape();
    f.ClickGenerator();
    f.Escape();
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
    EXPECT_EQ(mux.Image(), before);
}

TEST_F(JackFieldTest, BreakingATwoWayLinkKeepsAFeedFromElsewhere) {
    Put(0, bt4E1);
    TJackField& f = Field();
    mux.StoreLink(Ep(0, 1), Ep(0, 2));
    mux.StoreLink(Ep(0, 2), Ep(0, 1));
    mux.StoreLink(Ep(0, 3), Ep(0, 2));  // 3 listens to 2 as well
    Click(Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 2)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), Ep(0, 2));
    EXPECT_EQ(f.Mode(), TEditMode::Idle);

    // A one-way receiver clicked: only its own entry goes; the source's other link stays.
    mux.StoreLink(Ep(0, 2), Ep(0, 9));
    mux.StoreLink(Ep(0, 9), Ep(0, 2));
    Click(Ep(0, 3));
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 2)), Ep(0, 9));
}

TEST_F(JackFieldTest, MeasurerFollowsTheModeAndOneClickRemovesIt) {
    Put(0, bt4E1);
    Put(2, bt1E1);
    TJackField& f = Field();
    const auto measurer = [&] {
        const TMuxSettings s = mux.GetMuxSettings();
        return static_cast<std::uint16_t>((s[7] << 8) | s[8]);
    };
    mux.SetMuxSettings({0, 0, 0, 0, 0, 0, 0, 255, 255, 0});
    EXPECT_EQ(f.MeasurerButton().Caption, "xxx");

    f.ClickMeasurer();
    EXPECT_EQ(f.Mode(), TEditMode::MeasurerPending);
    EXPECT_FALSE(f.MeasurerButton().Enabled);
    Click(Ep(2, 5));
    EXPECT_EQ(measurer(), Ep(2, 5));
    EXPECT_EQ(f.MeasurerButton().Caption, "2\n5");
    EXPECT_TRUE(f.MeasurerButton().Down);

    // Removed with one click whatever the mode.
    Click(Ep(0, 4));
    f.ClickMeasurer();
    EXPECT_EQ(measurer(), kNone);
    EXPECT_EQ(f.Mode(), TEditMode::TwoWayPending);
    // Two-way first end to the measurer; the mode ends.
    f.ClickMeasurer();
    EXPECT_EQ(measurer(), Ep(0, 4));
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
    f.ClickMeasurer();
    // Generator pending, then the measurer: the measurer listens to the generator.
    f.ClickGenerator();
    f.ClickMeasurer();
    EXPECT_EQ(measurer(), kGen);
    EXPECT_EQ(f.MeasurerButton().Caption, "G");
    f.ClickMeasurer();
    // Measurer pending, then the generator.
    f.ClickMeasurer();
    f.ClickGenerator();
    EXPECT_EQ(measurer(), kGen);
    f.ClickMeasurer();
    // One-way pending keeps its mode.
    f.SetCtrl(true);
    Click(Ep(0, 6));
    f.SetCtrl(false);
    f.ClickMeasurer();
    EXPECT_EQ(measurer(), Ep(0, 6));
    EXPECT_EQ(f.Mode(), TEditMode::OneWayPending);
    f.Escape();
    f.ClickMeasurer();

    // A plain click on a linked channel breaks its link at once and the measurer stays pending; with
    // Ctrl held the linked channel is measured and keeps its link.
    mux.LinkBoth(0, 7, 2, 7);
    f.ClickMeasurer();
    Click(Ep(0, 7));
    EXPECT_EQ(measurer(), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 7)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(2, 7)), kNone);
    EXPECT_EQ(f.Mode(), TEditMode::MeasurerPending);
    mux.LinkBoth(0, 8, 2, 8);
    f.SetCtrl(true);
    Click(Ep(0, 8));
    f.SetCtrl(false);
    EXPECT_EQ(measurer(), Ep(0, 8));
    EXPECT_EQ(mux.GetLink(Ep(0, 8)), Ep(2, 8));
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
}

TEST_F(JackFieldTest, TwoVsPortsAreAssignedAndReleasedAsGroups) {
    Put(0, bt4E1);
    Put(1, bt4I15);
    Put(5, bt2VS);
    TJackField& f = Field();
    EXPECT_EQ(f.PortButton(5, 1).Caption, "xxx");

    f.ClickPort(5, 1);
    EXPECT_EQ(f.Mode(), TEditMode::GroupSelection);
    EXPECT_EQ(f.PortButton(5, 1).Caption, "->");
    EXPECT_FALSE(f.PortButton(5, 1).Enabled);
    EXPECT_FALSE(f.ApplyEnabled());
    Click(Ep(0, 3));
    Click(Ep(0, 2));
    Click(Ep(0, 40));  // another stream: ignored once the group is fixed
    Click(Ep(0, 5));
    Click(Ep(0, 5));  // chosen twice: unchosen
    EXPECT_EQ(f.GroupCount(), 2);
    EXPECT_EQ(View(Ep(0, 2)).Caption, "+");
    EXPECT_EQ(View(Ep(0, 5)).Caption, "xxx");
    EXPECT_TRUE(f.ApplyEnabled());
    f.Apply();
    EXPECT_EQ(f.Mode(), TEditMode::Idle);
    // Chosen channels go to the port in channel order.
    EXPECT_EQ(mux.GetLink(Ep(5, 32)), Ep(0, 2));
    EXPECT_EQ(mux.GetLink(Ep(5, 33)), Ep(0, 3));
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), Ep(5, 33));
    EXPECT_EQ(mux.GetBoardConfig(5)[1] & 0x1F, 1);
    EXPECT_EQ(f.PortButton(5, 1).Caption, "+");
    EXPECT_TRUE(f.PortButton(5, 1).Down);
    EXPECT_EQ(f.PortButton(5, 0).Caption, "xxx");

    // A click on one of the port's partners releases the whole port.
    Click(Ep(0, 2));
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(5, 33)), kNone);
    EXPECT_EQ(f.PortButton(5, 1).Caption, "xxx");

    // 4И15 groups are 16 channels wide; a click on the busy port releases it.
    f.ClickPort(5, 0);
    Click(Ep(1, 17));
    Click(Ep(1, 33));  // the next 16-channel stream: ignored
    f.Apply();
    EXPECT_EQ(mux.GetLink(Ep(5, 0)), Ep(1, 17));
    EXPECT_EQ(mux.GetLink(Ep(5, 1)), kNone);
    f.ClickPort(5, 0);
    EXPECT_EQ(mux.GetLink(Ep(1, 17)), kNone);
    EXPECT_EQ(f.Mode(), TEditMode::Idle);

    // Escape abandons a selection; a free port does nothing outside idle.
    f.ClickPort(5, 0);
    Click(Ep(0, 9));
    f.Escape();
    EXPECT_EQ(mux.GetLink(Ep(0, 9)), kNone);
    Click(Ep(0, 9));
    f.ClickPort(5, 0);
    EXPECT_EQ(f.Mode(), TEditMode::TwoWayPending);
}

TEST_F(JackFieldTest, LanGroupsAreInsertedUpToTheFreeTimeslotsAndRemoved) {
    Put(0, bt4E1);
    Put(4, btLAN);
    TSlotSignalling entries = mux.GetSlotSignalling(4);
    for (int c = 0; c < 32; ++c) {
        entries[static_cast<std::size_t>(c)] = c < 29 ? 7 : kLanFreeTimeslot;  // three free timeslots
    }
    mux.SetSlotSignalling(4, entries);
    TJackField& f = Field();
    const int lanRow = RowOf(Ep(4, 0));
    EXPECT_EQ(f.TrunkButton(lanRow, 7).Caption, "+");
    EXPECT_EQ(f.TrunkButton(lanRow, 2).Caption, "xxx");
    EXPECT_TRUE(f.TrunkButton(lanRow, 2).Enabled);
    EXPECT_FALSE(f.TrunkButton(lanRow, 16).Enabled);
    EXPECT_EQ(f.TrunkButton(lanRow, 20).Caption, "xxx");

    f.ClickTrunk(lanRow, 2);
    for (int c = 1; c <= 5; ++c) {
        Click(Ep(0, c));
    }
    EXPECT_EQ(f.GroupCount(), 3) << "only as many as the LAN has free timeslots";
    f.Apply();
    EXPECT_EQ(mux.GetSignalling(Ep(4, 0)), 2);
    EXPECT_EQ(mux.GetLink(Ep(4, 2)), Ep(0, 3));
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(4, 0));
    EXPECT_EQ(mux.GetSignalling(Ep(4, 3)), 7);
    EXPECT_EQ(f.TrunkButton(lanRow, 2).Caption, "+");

    // Breaking a link to a LAN channel removes its whole group; so does a click on the busy group.
    Click(Ep(0, 2));
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), kNone);
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), kNone);
    EXPECT_EQ(mux.GetSignalling(Ep(4, 0)), 7);
    f.ClickTrunk(lanRow, 7);
    EXPECT_EQ(mux.GetSignalling(Ep(4, 0)), kLanFreeTimeslot);
    EXPECT_EQ(f.TrunkButton(lanRow, 7).Caption, "xxx");
}

TEST_F(JackFieldTest, HoverHighlightsTheChannelAndItsPartners) {
    Put(0, bt4E1);
    Put(4, btLAN);
    Put(6, bt2VS);
    TJackField& f = Field();
    mux.LinkBoth(0, 1, 0, 2);
    mux.LinkGenerator(0, 3);
    mux.InsertLanGroup(4, 5, {Ep(0, 10), Ep(0, 11)});
    mux.AssignPortTimeslots(6, 1, {Ep(0, 20), Ep(0, 21)});
    mux.ConnectMeasurer(0, 30);
    const int row = RowOf(Ep(0, 0));
    const int lanRow = RowOf(Ep(4, 0));
    const auto red = [&](std::uint16_t e) { return View(e).Colour == TButtonColour::Highlight; };

    EXPECT_TRUE(f.SetHover({TKind::Trunk, row, 1}));
    EXPECT_TRUE(red(Ep(0, 1)) && red(Ep(0, 2)));
    EXPECT_FALSE(red(Ep(0, 3)));
    EXPECT_FALSE(f.SetHover({TKind::Trunk, row, 1})) << "same button: nothing to redraw";

    f.SetHover({TKind::Trunk, row, 3});
    EXPECT_TRUE(red(Ep(0, 3)));
    EXPECT_FALSE(red(Ep(0, 1)));
    EXPECT_EQ(f.GeneratorButton().Colour, TButtonColour::Highlight);

    // A channel of a LAN group lights the group's button and every channel of the group.
    f.SetHover({TKind::Trunk, row, 10});
    EXPECT_TRUE(red(Ep(0, 10)) && red(Ep(0, 11)));
    EXPECT_EQ(f.TrunkButton(lanRow, 5).Colour, TButtonColour::Highlight);
    f.SetHover({TKind::Trunk, lanRow, 5});
    EXPECT_TRUE(red(Ep(0, 10)) && red(Ep(0, 11)));
    EXPECT_EQ(f.TrunkButton(lanRow, 5).Colour, TButtonColour::Highlight);

    // The same for a 2VS port.
    f.SetHover({TKind::Trunk, row, 21});
    EXPECT_TRUE(red(Ep(0, 20)) && red(Ep(0, 21)));
    EXPECT_EQ(f.PortButton(6, 1).Colour, TButtonColour::Highlight);
    EXPECT_NE(f.PortButton(6, 0).Colour, TButtonColour::Highlight);
    f.SetHover({TKind::Port, 6, 1});
    EXPECT_TRUE(red(Ep(0, 20)) && red(Ep(0, 21)));

    // The measurer lights itself and its channel; the generator button lights nothing.
    f.SetHover({TKind::Measurer, 0, 0});
    EXPECT_TRUE(red(Ep(0, 30)));
    EXPECT_EQ(f.MeasurerButton().Colour, TButtonColour::Highlight);
    f.SetHover({TKind::Generator, 0, 0});
    EXPECT_FALSE(red(Ep(0, 3)) || red(Ep(0, 30)));
    EXPECT_EQ(f.GeneratorButton().Colour, TButtonColour::Black);

    // Leaving the field clears everything; an action recomputes for the button still under the pointer.
    f.SetHover({TKind::Trunk, row, 1});
    Click(Ep(0, 1));
    EXPECT_FALSE(red(Ep(0, 2))) << "the link is gone, so is its partner's highlight";
    EXPECT_TRUE(f.SetHover({}));
    EXPECT_FALSE(red(Ep(0, 1)));
}

TEST_F(JackFieldTest, AdpcmColoursAndHint) {
    Put(0, bt1E1);
    Put(3, btADPCM, {24});  // pairing below timeslot 12; W0 bit 2 clear
    Field();
    mux.LinkBoth(3, 4, 0, 1);
    mux.LinkBoth(3, 5, 0, 2);
    mux.LinkBoth(3, 36, 0, 3);
    const struct {
        int Channel;
        TButtonColour Colour;
    } cases[] = {
        {12, TButtonColour::Purple}, {13, TButtonColour::Green},  // from W0/2 on: even green with bit 2 only
        {2, TButtonColour::Green},   {4, TButtonColour::Purple},  // groups 0, 1: bit 1 of c
        {64, TButtonColour::Purple}, {66, TButtonColour::Green}, {65, TButtonColour::Black},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(View(Ep(3, c.Channel)).Colour, c.Colour) << c.Channel;
    }
    Put(3, btADPCM, {28});  // pairing below timeslot 14; W0 bit 2 set
    EXPECT_EQ(Field().TrunkButton(RowOf(Ep(3, 0)), 14).Colour, TButtonColour::Green);
    EXPECT_EQ(field->TrunkButton(RowOf(Ep(3, 0)), 15).Colour, TButtonColour::Purple);

    // The "+" row tells what the paired channels of groups 0 and 1 carry.
    EXPECT_EQ(View(Ep(3, 64 + 4)).Hint, "слот 0 (1E1), порт 1;слот 0 (1E1), порт 2;слот 0 (1E1), порт 3");
    EXPECT_EQ(View(Ep(3, 64 + 5)).Hint, "");
    EXPECT_EQ(View(Ep(3, 4)).Hint, "");
    mux.LinkGenerator(3, 32 + 20);
    EXPECT_EQ(View(Ep(3, 64 + 20)).Hint, "генератор");
}

TEST_F(JackFieldTest, EveryChangeIsSentWithImmediateTransmission) {
    Put(0, bt4E1);
    settings.cashedtrx = true;
    std::vector<TPacket> packets;
    mux.SetDeviceLink(std::make_unique<test::TRecordingLink>(packets));
    TJackField& f = Field();
    Click(Ep(0, 1));
    EXPECT_TRUE(packets.empty()) << "choosing the first end changes nothing";
    Click(Ep(0, 2));
    f.ClickMeasurer();
    f.SetCtrl(true);  // measures the linked channel instead of breaking its link
    Click(Ep(0, 2));
    f.SetCtrl(false);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0][3], cmd::kWriteEndpoint);
    EXPECT_EQ(packets[1][3], cmd::kWriteEndpoint);
    EXPECT_EQ(packets[2][3], cmd::kWriteSettings);
}

TEST(JackFieldLevel, LevelFromTheCpuStatusBlock) {
    const auto block = [](std::uint8_t addressLength, std::uint32_t v) {
        TCpuStatus b{};
        b[2] = addressLength;
        const std::size_t p = 3 + addressLength + 14;
        for (int i = 0; i < 4; ++i) {
            b[p + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
        }
        return b;
    };
    const struct {
        std::uint32_t Value;
        const char* Text;
    } cases[] = {{0, "-65.45"},     {2400, "-65.45"},   {2399, "-65.45"},
                 {4492800, "0.00"}, {449280, "-20.00"}, {8985600, "6.02"}};
    for (const auto& c : cases) {
        const auto level = TJackField::MeasuredLevel(block(0, c.Value));
        ASSERT_TRUE(level.has_value());
        EXPECT_EQ(LevelText(*level), c.Text) << c.Value;
    }
    EXPECT_EQ(LevelText(*TJackField::MeasuredLevel(block(6, 2400)), ','), "-65,45");
    EXPECT_TRUE(TJackField::MeasuredLevel(block(235, 4492800)).has_value());
    // An address field so long that the value would lie past the stored reply.
    TCpuStatus tooLong{};
    tooLong[2] = 236;
    EXPECT_FALSE(TJackField::MeasuredLevel(tooLong).has_value());
}

}  // namespace
}  // namespace tervis
