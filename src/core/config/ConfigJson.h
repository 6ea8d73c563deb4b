#pragma once

// A configuration as a JSON document and back: the form `tervis-cli dump --json` writes and
// `tervis-cli build` reads. Both directions use the block field tables, so a setting is written and read
// by the caption and item texts the board dialogs show.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Mux.h"

namespace tervis::boards {

// --- what a dump shows; the text and the JSON form are both made from this

struct TDumpSlot {
    int Slot = 0;
    TSlotType Record;
    TBoardConfig Block{};
};

struct TDumpSetting {
    int Word = 0;
    std::uint16_t Value = 0;
    std::string Meaning;
};

struct TDumpLink {
    std::uint16_t Endpoint = 0;  // kEndpointNone for the measurer
    std::uint16_t Link = 0;
    std::string Text;  // the connection list's line
};

struct TDumpSignalling {
    int Slot = 0;
    int Channel = 0;
    std::uint16_t Value = 0;
    bool Group = false;  // a LAN timeslot: Value is the owning group (or above 31 for a free timeslot)
    std::string Text;
};

struct TConfigDump {
    std::vector<TDumpSlot> Slots;  // empty slots are left out
    std::vector<TDumpSetting> Settings;
    std::vector<TDumpLink> Links;
    std::vector<TDumpSignalling> Signalling;  // entries other than kSignallingDefault
};

TConfigDump CollectDump(const TMux& mux);

// The dump as a JSON document (keys in a fixed order, one line per entry, ending with a line break).
// What the named sections cannot carry (a board type no dialog offers, an entry past a board's
// channels, a value wider than its field, a word nothing reads) follows in "raw" as the image words
// themselves; an image the window could have made has none.
std::string DumpJson(const TMux& mux);

// text as a JSON string literal, quotes included; UTF-8 passes through unchanged.
std::string JsonQuote(std::string_view text);

// The largest document BuildFromJson reads, and how deep its values may nest.
constexpr std::size_t kMaxJsonBytes = 4 * 1024 * 1024;
constexpr int kMaxJsonDepth = 32;

// Applies a document to mux, which holds the base (a new configuration or another file). A section the
// document leaves out keeps the base; a slot or settings word it leaves out keeps the base too, while
// "links" and "signalling", when present, describe their tables whole; "raw" words go last, as they
// are. Returns one line per fault, each naming the JSON path and what is allowed; when there is any, mux
// is left as it was.
std::vector<std::string> BuildFromJson(std::string_view text, TMux& mux);

}  // namespace tervis::boards
