#include "core/crossconnect/ConnectionList.h"

namespace tervis {

std::uint16_t MeasurerEndpoint(const TMux& mux) {
    const TMuxSettings settings = mux.GetMuxSettings();
    // Each settings word carries one byte; anything above it is not part of the endpoint.
    return static_cast<std::uint16_t>(((settings[7] & 0xFF) << 8) | (settings[8] & 0xFF));
}

std::string ChannelDescription(const TMux& mux, std::uint16_t endpoint) {
    return mux.EndpointName(endpoint, TMux::TEndpointNaming::ConnectionList);
}

std::string LinkDescription(const TMux& mux, std::uint16_t link) {
    if (link == kEndpointGenerator) {
        return "генератор";
    }
    if (IsEndpoint(link)) {
        return ChannelDescription(mux, link);
    }
    return "???";
}

std::vector<std::string> ConnectionListLines(const TMux& mux) {
    std::vector<std::string> lines;
    const std::uint16_t measurer = MeasurerEndpoint(mux);
    if (measurer != kEndpointNone) {
        lines.push_back("измеритель <- " + LinkDescription(mux, measurer));
    }
    for (std::uint16_t endpoint = 0; endpoint < kEndpointCount; ++endpoint) {
        const std::uint16_t link = mux.GetLink(endpoint);
        if (link != kEndpointNone) {
            lines.push_back(ChannelDescription(mux, endpoint) + " <- " + LinkDescription(mux, link));
        }
    }
    return lines;
}

}  // namespace tervis
