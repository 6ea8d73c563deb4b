#include "core/crossconnect/ConnectionList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Endpoints.h"

namespace tervis {
namespace {

using Lines = std::vector<std::string>;

using test::Ep;

class ConnectionList : public ::testing::Test {
protected:
    TSettings settings;
    TMux mux{nullptr, nullptr, settings};
};

TEST_F(ConnectionList, EmptyConfigurationHasNoLines) {
    EXPECT_EQ(ConnectionListLines(mux), Lines{});
}

TEST_F(ConnectionList, ListsEveryReceivingChannelInEndpointOrder) {
    mux.SetSlotType(2, {bt4E1, 0, 0});
    mux.SetSlotType(3, {bt4ToP, 0, 0});
    mux.SetSlotType(4, {bt4TCh, 0, 0});
    mux.LinkBoth(2, 33, 4, 1);    // two-way: once from each end
    mux.LinkOneWay(3, 70, 4, 2);  // one-way: only on the receiving channel 4/2
    mux.LinkGenerator(4, 3);
    mux.StoreLink(Ep(4, 0), 0x0900);     // neither the generator nor a channel
    mux.StoreLink(Ep(6, 5), Ep(3, 70));  // an empty slot still shows its entry
    mux.ConnectMeasurer(2, 70);

    EXPECT_EQ(ConnectionListLines(mux), (Lines{
                                            "измеритель <- слот 2 (4E1), порт 6 (2)",
                                            "слот 2 (4E1), порт 1 (1) <- слот 4 (4ТЧ), порт 1",
                                            "слот 4 (4ТЧ), порт 0 <- ???",
                                            "слот 4 (4ТЧ), порт 1 <- слот 2 (4E1), порт 1 (1)",
                                            "слот 4 (4ТЧ), порт 2 <- слот 3 (4ToP), порт 70",
                                            "слот 4 (4ТЧ), порт 3 <- генератор",
                                            "слот 6 (---), порт 5 <- слот 3 (4ToP), порт 70",
                                        }));
    // The cross-connect field names the 4ToP channel by stream; the list does not.
    EXPECT_EQ(mux.EndpointName(Ep(3, 70)), "слот 3 (4ToP), порт 6 (2)");
}

TEST_F(ConnectionList, MeasurerLineFollowsWordsSevenAndEight) {
    struct TCase {
        std::uint16_t High;
        std::uint16_t Low;
        Lines Expected;
    };
    const TCase cases[] = {
        {255, 255, {}},
        {255, 254, {"измеритель <- генератор"}},
        {0, 5, {"измеритель <- слот 0 (---), порт 5"}},
        {9, 0, {"измеритель <- ???"}},
        {255, 0, {"измеритель <- ???"}},
    };
    for (const TCase& c : cases) {
        TMuxSettings record = mux.GetMuxSettings();
        record[7] = c.High;
        record[8] = c.Low;
        mux.StoreMuxSettings(record);
        EXPECT_EQ(ConnectionListLines(mux), c.Expected) << c.High << "/" << c.Low;
    }
}

}  // namespace
}  // namespace tervis
