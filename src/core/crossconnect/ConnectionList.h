#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/Mux.h"

namespace tervis {

// The endpoint the level measurer listens to: W7 the high byte, W8 the low byte of the settings record.
// kEndpointNone when it is not connected, kEndpointGenerator when it listens to the generator.
std::uint16_t MeasurerEndpoint(const TMux& mux);

// "слот S (NAME), порт P" for a channel below 2048; a 4E1 channel also names its stream:
// "слот S (4E1), порт T (STREAM)" with the timeslot T. Empty text for any other value.
std::string ChannelDescription(const TMux& mux, std::uint16_t endpoint);

// What a link entry names: "генератор", the channel description, or "???" for a value that is
// neither (0xFFFF included; callers skip unconnected entries before asking).
std::string LinkDescription(const TMux& mux, std::uint16_t link);

// Every cross-connection of the model, one line each, receiving side first: the measurer line
// ("измеритель <- ...") when the measurer is connected, then "CHANNEL <- SOURCE" for every endpoint
// 0..2047 with a link, in endpoint order. A two-way link appears once from each end.
std::vector<std::string> ConnectionListLines(const TMux& mux);

}  // namespace tervis
