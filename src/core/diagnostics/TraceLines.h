#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/link/PacketHandler.h"

namespace tervis {

// One line-signalling event of the traced port, as the device reports it.
struct TTraceEvent {
    std::uint8_t Slot = 0;
    std::uint8_t Port = 0;
    std::uint8_t Type = 0;
    std::uint8_t Mode = 0;
    std::uint8_t State = 0;
    std::uint16_t TimeMs = 0;  // since the previous event
};

// The answer to a trace start: the board the device traces.
struct TTraceStart {
    std::uint8_t Slot = 0;
    std::uint8_t Port = 0;
    std::uint8_t Type = 0;
};

// p is the reply code position in the received packet.
TTraceStart DecodeTraceStart(const TReceiveBuffer& buffer, std::size_t p);
TTraceEvent DecodeTraceEvent(const TReceiveBuffer& buffer, std::size_t p);

// "1234 мс", or "> 10 с" from 10 seconds on.
std::string TraceTimeText(std::uint16_t milliseconds);

// The first line of a trace: the board and port the device answered for, or the refusal for boards whose
// messages are not shown.
std::string TraceStartText(const TTraceStart& start);

// The line of one event; empty for types and modes that have none.
std::string TraceLine(const TTraceEvent& event);

}  // namespace tervis
