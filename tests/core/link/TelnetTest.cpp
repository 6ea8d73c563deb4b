// The Telnet client with the com port option, against recorded server byte streams cut anywhere, and the
// network port names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/NetworkPort.h"
#include "core/link/Telnet.h"

namespace tervis {
namespace {

using TBytes = std::vector<std::uint8_t>;

// What a client gives back for a server stream fed in pieces of `piece` bytes.
struct TRun {
    TBytes data;
    TBytes reply;
};

TRun Feed(TTelnetClient& client, const TBytes& stream, std::size_t piece) {
    TRun run;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        const std::size_t n = std::min(piece, stream.size() - at);
        client.Receive(std::span(stream.data() + at, n), run.data, run.reply);
    }
    return run;
}

const TBytes kOffers = {0xFF, 0xFB, 0x00, 0xFF, 0xFB, 0x03, 0xFF, 0xFB,
                        0x2C, 0xFF, 0xFD, 0x00, 0xFF, 0xFD, 0x03};

// 57600 baud (0x0000E100), 8 data bits, no parity, one stop bit, no flow control.
const TBytes kLineSettings = {
    0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0xE1, 0x00, 0xFF, 0xF0,  //
    0xFF, 0xFA, 0x2C, 0x02, 0x08, 0xFF, 0xF0,                    //
    0xFF, 0xFA, 0x2C, 0x03, 0x01, 0xFF, 0xF0,                    //
    0xFF, 0xFA, 0x2C, 0x04, 0x01, 0xFF, 0xF0,                    //
    0xFF, 0xFA, 0x2C, 0x05, 0x01, 0xFF, 0xF0,
};

// The server's confirmations of the four line settings.
const TBytes kConfirmations = {
    0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0xE1, 0x00, 0xFF, 0xF0,  //
    0xFF, 0xFA, 0x2C, 0x66, 0x08, 0xFF, 0xF0,                    //
    0xFF, 0xFA, 0x2C, 0x67, 0x01, 0xFF, 0xF0,                    //
    0xFF, 0xFA, 0x2C, 0x68, 0x01, 0xFF, 0xF0,
};

TBytes Concat(std::initializer_list<TBytes> parts) {
    TBytes all;
    for (const TBytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

TEST(TelnetClient, OffersBinarySuppressGoAheadAndComPort) {
    TTelnetClient client;
    TBytes out;
    client.Start(out);
    EXPECT_EQ(out, kOffers);
    EXPECT_FALSE(client.LineSettingsSent());
}

TEST(TelnetClient, NegotiatesInAnyOrderAndCutAnywhere) {
    struct TCase {
        const char* name;
        TBytes server;
        TBytes expectedReply;
        TBytes expectedData;
    };
    const TCase cases[] = {
        {"answers in the order asked",
         Concat({{0xFF, 0xFD, 0x00, 0xFF, 0xFD, 0x03, 0xFF, 0xFD, 0x2C, 0xFF, 0xFB, 0x00, 0xFF, 0xFB, 0x03},
                 {0x10, 0xFF, 0xFF, 0x20}}),
         kLineSettings,
         {0x10, 0xFF, 0x20}},
        {"com port first, data between the answers",
         Concat({{0xFF, 0xFD, 0x2C, 0x41}, {0xFF, 0xFB, 0x03, 0x42, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00}}),
         kLineSettings,
         {0x41, 0x42}},
        // A server that asks for things itself before it answers: unknown options are refused, and what
        // we offered anyway is not offered twice.
        {"server offers first, unknown options refused",
         Concat({{0xFF, 0xFB, 0x01, 0xFF, 0xFD, 0x18, 0xFF, 0xFD, 0x1F, 0x55},
                 {0xFF, 0xFD, 0x2C, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00},
                 {0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03}}),
         Concat({{0xFF, 0xFE, 0x01, 0xFF, 0xFC, 0x18, 0xFF, 0xFC, 0x1F}, kLineSettings}),
         {0x55}},
        {"no answers at all: the data flows",
         {0x01, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xF1, 0x04},
         {},
         {0x01, 0x02, 0xFF, 0x03, 0x04}},
    };
    for (const TCase& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1000}}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
            TTelnetClient client;
            TBytes offers;
            client.Start(offers);
            const TRun run = Feed(client, c.server, piece);
            EXPECT_EQ(run.reply, c.expectedReply);
            EXPECT_EQ(run.data, c.expectedData);
            EXPECT_EQ(client.Refusal(), TTelnetRefusal::None);
            EXPECT_EQ(client.LineSettingsSent(), !c.expectedReply.empty());
        }
    }
}

TEST(TelnetClient, RepeatedAndUnaskedOffersNeverLoop) {
    TTelnetClient client;
    TBytes offers;
    client.Start(offers);
    // Our offers answered, then the server says it all again: nothing more to say back.
    const TBytes answers = {0xFF, 0xFD, 0x00, 0xFF, 0xFD, 0x03, 0xFF, 0xFD,
                            0x2C, 0xFF, 0xFB, 0x00, 0xFF, 0xFB, 0x03};
    EXPECT_EQ(Feed(client, answers, 1000).reply, kLineSettings);
    EXPECT_TRUE(Feed(client, answers, 1000).reply.empty());
    // The server turns BINARY off on its side: we acknowledge once.
    EXPECT_EQ(Feed(client, {0xFF, 0xFC, 0x00}, 1000).reply, (TBytes{0xFF, 0xFE, 0x00}));
    EXPECT_TRUE(Feed(client, {0xFF, 0xFC, 0x00}, 1000).reply.empty());
}

TEST(TelnetClient, ComPortAnswersConfirmOrRefuse) {
    struct TCase {
        const char* name;
        TBytes server;
        TTelnetRefusal refusal;
        bool confirmed;
    };
    const TBytes agree = {0xFF, 0xFD, 0x2C};
    const TCase cases[] = {
        {"all four confirmed", Concat({agree, kConfirmations}), TTelnetRefusal::None, true},
        {"confirmed in pieces with data after", Concat({agree, kConfirmations, {0x7E}}), TTelnetRefusal::None,
         true},
        {"server refuses the com port option", {0xFF, 0xFE, 0x2C}, TTelnetRefusal::ComPortOption, false},
        {"server will not do it on its side either",
         {0xFF, 0xFE, 0x2C, 0xFF, 0xFC, 0x2C},
         TTelnetRefusal::ComPortOption,
         false},
        {"another speed", Concat({agree, {0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0}}),
         TTelnetRefusal::BaudRate, false},
        {"a speed with 0xFF escaped",
         Concat({agree, {0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0}}),
         TTelnetRefusal::BaudRate, false},
        {"seven data bits", Concat({agree, {0xFF, 0xFA, 0x2C, 0x66, 0x07, 0xFF, 0xF0}}),
         TTelnetRefusal::DataSize, false},
        {"even parity", Concat({agree, {0xFF, 0xFA, 0x2C, 0x67, 0x03, 0xFF, 0xF0}}), TTelnetRefusal::Parity,
         false},
        {"two stop bits", Concat({agree, {0xFF, 0xFA, 0x2C, 0x68, 0x02, 0xFF, 0xF0}}),
         TTelnetRefusal::StopSize, false},
        {"modem state notices change nothing", Concat({agree, {0xFF, 0xFA, 0x2C, 0x6B, 0x30, 0xFF, 0xF0}}),
         TTelnetRefusal::None, false},
    };
    for (const TCase& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{1000}}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
            TTelnetClient client;
            TBytes offers;
            client.Start(offers);
            Feed(client, c.server, piece);
            EXPECT_EQ(client.Refusal(), c.refusal);
            EXPECT_EQ(client.LineSettingsConfirmed(), c.confirmed);
        }
    }
}

TEST(TelnetClient, HostileSubnegotiationsStayBoundedAndInStep) {
    TTelnetClient client;
    TBytes offers;
    client.Start(offers);
    // A subnegotiation far beyond any com port answer, then one cut short by a command without its SE:
    // both are dropped and the data after them arrives intact.
    TBytes stream = {0xFF, 0xFA, 0x2C, 0x65};
    stream.insert(stream.end(), 100000, 0x00);
    stream.insert(stream.end(), {0xFF, 0xF0, 0x31, 0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xFD, 0x01, 0x32});
    const TRun run = Feed(client, stream, 4096);
    EXPECT_EQ(run.data, (TBytes{0x31, 0x32}));
    EXPECT_EQ(run.reply, (TBytes{0xFF, 0xFC, 0x01}));
    EXPECT_EQ(client.Refusal(), TTelnetRefusal::None);
}

TEST(TelnetClient, EscapesEveryIacOnTheWayOut) {
    TBytes out = {0x01};
    TTelnetClient::EscapeData(TBytes{0xFF, 0x00, 0xFF, 0xFF, 0xFE}, out);
    EXPECT_EQ(out, (TBytes{0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}));
}

TEST(NetworkPortName, ParsesSchemesHostsAndPorts) {
    struct TCase {
        const char* name;
        bool valid;
        TNetworkPort::TKind kind;
        const char* host;
        int port;
    };
    using K = TNetworkPort::TKind;
    const TCase cases[] = {
        {"tcp://127.0.0.1:2000", true, K::Raw, "127.0.0.1", 2000},
        {"rfc2217://console.example:7001", true, K::Rfc2217, "console.example", 7001},
        {"rfc2217://[::1]:65535", true, K::Rfc2217, "::1", 65535},
        {"tcp://[fe80::1%eth0]:1", true, K::Raw, "fe80::1%eth0", 1},
        {"tcp://host:0", false, K::Raw, "", 0},
        {"tcp://host:65536", false, K::Raw, "", 0},
        {"tcp://host:", false, K::Raw, "", 0},
        {"tcp://host", false, K::Raw, "", 0},
        {"tcp://:2000", false, K::Raw, "", 0},
        {"tcp://::1:2000", false, K::Raw, "", 0},
        {"tcp://[::1:2000", false, K::Raw, "", 0},
        {"tcp://[::1]2000", false, K::Raw, "", 0},
        {"tcp://[host]:2000", false, K::Raw, "", 0},
        {"tcp://host:20x0", false, K::Raw, "", 0},
        {"tcp://user@host:2000", false, K::Raw, "", 0},
        {"tcp://host name:2000", false, K::Raw, "", 0},
        {"telnet://host:23", false, K::Raw, "", 0},
        {"/dev/ttyUSB0", false, K::Raw, "", 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<TNetworkPort> parsed = ParseNetworkPort(c.name);
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(parsed->kind, c.kind);
            EXPECT_EQ(parsed->host, c.host);
            EXPECT_EQ(parsed->port, c.port);
        }
    }
    EXPECT_TRUE(IsNetworkPortName("tcp://nonsense"));
    EXPECT_TRUE(IsNetworkPortName("rfc2217://"));
    EXPECT_FALSE(IsNetworkPortName("COM1"));
    EXPECT_FALSE(IsNetworkPortName("/dev/pts/3"));
}

TEST(ReopenDelay, DoublesFromTheFirstPauseUpToTheLongest) {
    const struct {
        int Failures;
        int Ms;
    } cases[] = {{0, 1000},  {1, 2000},  {2, 4000},   {3, 8000},       {4, 16000},
                 {5, 30000}, {6, 30000}, {40, 30000}, {1 << 30, 30000}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReopenDelayMs(c.Failures, 1000, 30000), c.Ms) << c.Failures;
    }
    EXPECT_EQ(ReopenDelayMs(3, 40, 160), 160);
    EXPECT_EQ(ReopenDelayMs(0, 1000, 500), 500);  // the longest pause wins over the first
}

}  // namespace
}  // namespace tervis
