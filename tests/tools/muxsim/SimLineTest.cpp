#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "SimBoards.h"
#include "SimLine.h"
#include "SimTestSupport.h"

namespace tervis::sim::test {
namespace {

// Reads the slot type of slot 0 through (device number, path); answers which board the reached
// multiplexer has there, or -1 when nobody answers.
int BoardSeenThrough(TSimLine& line, std::uint8_t device, const TBytes& path) {
    TBytes request{0x01, static_cast<std::uint8_t>(path.size()), device};
    request.insert(request.end(), path.begin(), path.end());
    request.insert(request.end(), {15, 0});
    const auto replies = Exchange(line, request);
    if (replies.size() != 1) {
        return -1;
    }
    const auto& reply = replies[0];
    if (reply.size() < 3 || reply.size() < 3u + reply[2] + 3u) {
        ADD_FAILURE() << "a reply of " << reply.size() << " bytes";
        return -1;
    }
    const std::size_t p = 3 + reply[2];
    EXPECT_EQ(reply[0], 0x01);
    EXPECT_EQ(reply[1], device);
    EXPECT_EQ(TBytes(reply.begin() + 3, reply.begin() + static_cast<std::ptrdiff_t>(p)), path);
    EXPECT_EQ(reply[p], 10);
    return reply[p + 2];
}

TEST(SimLine, DeviceNumbersAndAddressPathsReachTheirOwnMultiplexer) {
    TSimLine line;
    line.Local().ConfigureBoard(0, board::k4E1);
    line.AddRs485Device(3).ConfigureBoard(0, board::k1E1);
    line.AddRemote(TBytes{0x13, 0x07}).ConfigureBoard(0, board::k4DSL);
    line.AddRemote(TBytes{0x13, 0x07, 0x02, 0x31}).ConfigureBoard(0, board::kDP);
    line.AddRemote(TBytes{0x05, 0x00}, 3).ConfigureBoard(0, board::k4I15);

    struct TCase {
        std::uint8_t Device;
        TBytes Path;
        int Board;
    };
    const std::vector<TCase> cases = {
        {0, {}, board::k4E1},
        {3, {}, board::k1E1},
        {5, {}, -1},  // nobody has that identifier
        {0, {0x13, 0x07}, board::k4DSL},
        {0, {0x13, 0x07, 0x02, 0x31}, board::kDP},
        {3, {0x05, 0x00}, board::k4I15},
        {0, {0x13, 0x08}, -1},  // a path that names no multiplexer
        {0, {0x05, 0x00}, -1},  // that remote hangs behind device 3, not behind the local one
        {3, {0x13, 0x07}, -1},
        {0, {0x13}, -1},  // half a hop
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "device " << int(c.Device) << ", path of " << c.Path.size());
        EXPECT_EQ(BoardSeenThrough(line, c.Device, c.Path), c.Board);
    }
    EXPECT_EQ(line.Counters().RequestsUnaddressed, 5u);

    // Writing an identifier over RS-232 makes the local multiplexer answer it as well as 0.
    EXPECT_EQ(Exchange(line, {0x02, 0x00, 0x00, 185, 7}), (std::vector<TBytes>{{0x02, 0x00, 0x00, 185, 7}}));
    EXPECT_EQ(BoardSeenThrough(line, 7, {}), board::k4E1);
    EXPECT_EQ(BoardSeenThrough(line, 0, {}), board::k4E1);
    EXPECT_THROW(line.AddRs485Device(3), std::invalid_argument);
    EXPECT_THROW(line.AddRs485Device(20), std::invalid_argument);

    // A multiplexer that is switched off takes nothing, and nothing behind it is reachable.
    line.Local().SetSilent(true);
    EXPECT_EQ(BoardSeenThrough(line, 0, {0x13, 0x07}), -1);
    EXPECT_EQ(BoardSeenThrough(line, 3, {}), board::k1E1);
}

// The pattern of answered requests under a fault, as a string of '+' (answered) and '-' (not).
std::string AnswerPattern(std::uint32_t seed, double lost, double corrupt, int requests) {
    TSimLine line(seed);
    line.Faults().LostProbability = lost;
    line.Faults().CorruptProbability = corrupt;
    std::string pattern;
    for (int i = 0; i < requests; ++i) {
        pattern += Exchange(line, {static_cast<std::uint8_t>(0x80 | (i & 0x7F)), 0x00, 0x00, 110}).size() == 1
                       ? '+'
                       : '-';
    }
    return pattern;
}

TEST(SimLine, LostAndCorruptedAnswersAreDeterministicForASeed) {
    for (const auto& [lost, corrupt] : {std::pair{0.3, 0.0}, std::pair{0.0, 0.3}, std::pair{0.2, 0.2}}) {
        SCOPED_TRACE(testing::Message() << "lost " << lost << ", corrupt " << corrupt);
        const std::string first = AnswerPattern(7, lost, corrupt, 60);
        EXPECT_EQ(AnswerPattern(7, lost, corrupt, 60), first);
        EXPECT_NE(AnswerPattern(8, lost, corrupt, 60), first);
        const auto missing = std::count(first.begin(), first.end(), '-');
        EXPECT_GT(missing, 5);
        EXPECT_LT(missing, 40);
    }

    // Every corrupted frame still reaches the configurator and is refused by its checksum.
    TSimLine line(3);
    line.Faults().CorruptProbability = 1.0;
    for (int i = 0; i < 20; ++i) {
        line.Receive(Frame({0x80, 0x00, 0x00, 100}));
        EXPECT_TRUE(line.HasOutput());
        EXPECT_TRUE(Packets(line.TakeOutput()).empty());
    }
    EXPECT_EQ(line.Counters().FramesCorrupted, 20u);
}

TEST(SimLine, DelaySilenceAndSplitWrites) {
    TSimLine line;
    line.Faults().DelayMs = 120;
    line.Receive(Frame({0x01, 0x00, 0x00, 45}));
    EXPECT_FALSE(line.HasOutput());
    line.Advance(119);
    EXPECT_FALSE(line.HasOutput());
    line.Advance(1);
    EXPECT_EQ(Packets(line.TakeOutput()).size(), 1u);

    // Silent: the write still acts, nothing comes back.
    line.Faults().DelayMs = 0;
    line.Faults().Silent = true;
    line.Receive(Frame({0x02, 0x00, 0x00, 10, 4, 10, 0, 0, 0, 0}));
    line.Advance(1000);
    EXPECT_FALSE(line.HasOutput());
    EXPECT_EQ(line.Local().ConfiguredBoard(4), board::k4E1);

    // Split: the bytes come in pieces of at most five that add up to the whole answer; requests may also
    // arrive in pieces.
    line.Faults().Silent = false;
    line.Faults().SplitBytes = 5;
    const TBytes request = Frame({0x03, 0x00, 0x00, 110});
    line.Receive(std::span(request).first(2));
    EXPECT_FALSE(line.HasOutput());
    line.Receive(std::span(request).subspan(2));
    TBytes joined;
    int pieces = 0;
    while (line.HasOutput()) {
        const TBytes piece = line.TakeOutput();
        EXPECT_LE(piece.size(), 5u);
        joined.insert(joined.end(), piece.begin(), piece.end());
        ++pieces;
    }
    EXPECT_GT(pieces, 4);
    const auto packets = Packets(joined);
    ASSERT_EQ(packets.size(), 1u);
    ASSERT_GE(packets[0].size(), 4u);
    EXPECT_EQ(packets[0][3], 115);
}

TEST(SimLine, TraceReportsEventsOfTheTracedPortUntilStopped) {
    TSimLine line;
    auto& mux = line.Local();
    mux.SetBoard(2, board::k4E1);
    mux.SetTraceInterval(0);

    EXPECT_EQ(Exchange(line, {0x05, 0x00, 0x00, 165, 2, 40}),
              (std::vector<TBytes>{{0x05, 0x00, 0x00, 165, 2, 40, 10}}));
    line.Advance(1500);
    mux.SetReceivedCas(2, 40, 0xD);
    mux.SetReceivedCas(2, 41, 0x1);  // another channel: no event
    line.Advance(300);
    mux.PushTraceEvent(6, 0x01);
    // Unsolicited messages never echo a request: control byte 0x80. Time since the previous event follows.
    EXPECT_EQ(Packets(line.TakeOutput()),
              (std::vector<TBytes>{{0x80, 0x00, 0x00, 170, 2, 40, 10, 0, 0x5D, 0x05, 0xDC},
                                   {0x80, 0x00, 0x00, 170, 2, 40, 10, 6, 0x01, 0x01, 0x2C}}));

    // Periodic events on a 4ТЧ: the call states of list A in turn, each with its interval.
    mux.SetBoard(5, board::k4TCh);
    mux.SetTraceInterval(250);
    Exchange(line, {0x06, 0x00, 0x00, 165, 5, 1});
    line.Advance(600);
    EXPECT_EQ(Packets(line.TakeOutput()),
              (std::vector<TBytes>{{0x80, 0x00, 0x00, 170, 5, 1, 1, 2, 0, 0x00, 0xFA},
                                   {0x80, 0x00, 0x00, 170, 5, 1, 1, 2, 1, 0x00, 0xFA}}));

    // The stop is answered in a form the configurator discards, and the messages end.
    EXPECT_EQ(Exchange(line, {0x07, 0x00, 0x00, 165, 255, 255}),
              (std::vector<TBytes>{{0x07, 0x00, 0x00, 165, 255, 255, 0}}));
    line.Advance(5000);
    mux.PushTraceEvent(0, 1);
    EXPECT_FALSE(line.HasOutput());
    EXPECT_FALSE(mux.Tracing());
}

TEST(SimLine, RemoteTraceComesBackOverItsPathAndARestartedDeviceIsDeafForAWhile) {
    TSimLine line;
    auto& remote = line.AddRemote(TBytes{0x13, 0x07});
    remote.SetBoard(1, board::k4AK);
    remote.SetTraceInterval(1000);
    line.Faults().DelayMs = 50;
    line.Receive(Frame({0x04, 0x02, 0x00, 0x13, 0x07, 165, 1, 2}));
    line.Advance(50);
    EXPECT_EQ(Packets(line.TakeOutput()),
              (std::vector<TBytes>{{0x04, 0x00, 0x02, 0x13, 0x07, 165, 1, 2, 3}}));
    line.Advance(999);
    EXPECT_FALSE(line.HasOutput()) << "the event at 1000 ms is still on its way";
    line.Advance(1);
    EXPECT_EQ(Packets(line.TakeOutput()),
              (std::vector<TBytes>{{0x80, 0x00, 0x02, 0x13, 0x07, 170, 1, 2, 3, 0, 0, 0x03, 0xE8}}));

    // While the local multiplexer restarts, neither it nor the remote behind it is heard.
    line.Faults().DelayMs = 0;
    line.Local().SetRestartDowntime(3000);
    EXPECT_TRUE(Exchange(line, {0x85, 0x00, 0x00, 255}).empty());
    line.Advance(2999);
    EXPECT_TRUE(Exchange(line, {0x86, 0x00, 0x00, 110}).empty());
    line.Advance(1);
    EXPECT_EQ(Exchange(line, {0x87, 0x00, 0x00, 110}).size(), 1u);
    EXPECT_EQ(line.Local().RestartCount(), 1);
    EXPECT_TRUE(remote.Tracing()) << "the remote itself did not restart";
}

}  // namespace
}  // namespace tervis::sim::test
