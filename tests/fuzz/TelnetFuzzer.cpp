// A terminal server's bytes into the Telnet client, cut into pieces the fuzzer chooses: whatever arrives,
// the data and answers do not depend on how the stream was cut, the answers stay in proportion to what
// came in, and data escaped by us reads back unchanged. The same bytes as a port name parse into a name
// that prints back as itself.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/link/NetworkPort.h"
#include "core/link/Telnet.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

struct TResult {
    TBytes data;
    TBytes reply;
    tervis::TTelnetRefusal refusal = tervis::TTelnetRefusal::None;
    bool operator==(const TResult&) const = default;
};

TResult Run(std::span<const std::uint8_t> stream, std::size_t piece) {
    tervis::TTelnetClient client;
    TBytes offers;
    client.Start(offers);
    TResult result;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        client.Receive(stream.subspan(at, std::min(piece, stream.size() - at)), result.data, result.reply);
    }
    result.refusal = client.Refusal();
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tervis::fuzz::TFuzzInput input(data, size);
    const std::size_t piece = 1 + input.Byte() % 16;
    const std::span<const std::uint8_t> stream = input.Rest();

    const TResult whole = Run(stream, stream.size() + 1);
    FUZZ_CHECK(Run(stream, piece) == whole);
    FUZZ_CHECK(whole.data.size() <= stream.size());
    // Each option byte is answered with at most three bytes; the line settings go out once.
    FUZZ_CHECK(whole.reply.size() <= stream.size() + 64);

    TBytes escaped;
    tervis::TTelnetClient::EscapeData(stream, escaped);
    tervis::TTelnetClient plain;
    TResult back;
    plain.Receive(escaped, back.data, back.reply);
    FUZZ_CHECK(back.data == TBytes(stream.begin(), stream.end()));
    FUZZ_CHECK(back.reply.empty());

    const std::string name(stream.begin(), stream.end());
    if (const auto port = tervis::ParseNetworkPort(name)) {
        FUZZ_CHECK(tervis::IsNetworkPortName(name));
        FUZZ_CHECK(!port->host.empty() && port->port != 0);
        const bool v6 = port->host.find(':') != std::string::npos;
        const std::string scheme = port->kind == tervis::TNetworkPort::TKind::Raw ? "tcp://" : "rfc2217://";
        const std::string printed =
            scheme + (v6 ? "[" + port->host + "]" : port->host) + ":" + std::to_string(port->port);
        const auto again = tervis::ParseNetworkPort(printed);
        FUZZ_CHECK(again && again->host == port->host && again->port == port->port &&
                   again->kind == port->kind);
    }
    return 0;
}
