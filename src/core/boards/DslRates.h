#pragma once

// The rate rule of the four-line DSL boards: what the TDM list may offer for a line rate, the LAN
// capacity left over, the TC-PAM16/32 choice of the 4DSL and the line-rate lists of the 4DSLv2 per
// line code. Rates count channels of 64 kbit/s.

#include <optional>
#include <string>

namespace tervis::boards::dsl {

constexpr int kLowestLineRate = 3;        // line-rate item 0
constexpr int kHighest4DslLineRate = 89;  // 87 items on the 4DSL
constexpr int kTdmCap = 64;
constexpr int kTcPam32LineCode = 3;       // 4DSLv2 "TC-PAM 32"
constexpr int kTcPam32LowestIndex = 9;    // 12 channels: the lowest rate TC-PAM 32 is run at
constexpr int kTcPam16HighestIndex = 57;  // 60 channels: the highest rate TC-PAM16 is run at (4DSL)
constexpr int kDefaultLineCode = 5;       // the 4DSLv2 lists are built for TC-PAM 128 at creation

// "12х64 кбит/с" with the Cyrillic х (4DSL and 1DSL line rates) or "12x64 кбит/с" with the Latin x
// (TDM rates and 4DSLv2 line rates).
std::string RateItemCyrillic(int channels);
std::string RateItemLatin(int channels);

// The highest TDM rate M a line of n channels can carry: n capped at 64, less the management channel
// (remote) and the self-monitoring channel (self) below the cap.
int TdmMaximum(int lineRate, bool remote, bool selfControl);
// The TDM list index after the list is rebuilt for maximum M: the previous index when below M, else M.
int TdmIndexAfterRebuild(int previousIndex, int maximum);

// The LAN channels left on the line, L = n - R - S - t; nothing when negative.
std::optional<int> LanChannels(int lineRate, bool remote, bool selfControl, int tdmRate);
// "5x64 = 320 кбит/с".
std::string LanText(int channels);

// 4DSL: which line-code buttons a line-rate index allows.
struct TTcPamEnabling {
    bool TcPam16 = true;
    bool TcPam32 = true;
};
TTcPamEnabling TcPamEnabling(int lineRateIndex);
// 4DSL: after the operator picks a line rate, the button the rate forces, if any (true: TC-PAM32).
std::optional<bool> ForcedTcPam32(int lineRateIndex);

// 4DSLv2: the highest line rate N of a line code (3..N are offered).
int HighestLineRate(int lineCode);
// 4DSLv2: the line-rate index after the list is rebuilt for a code, from the previous index.
int LineRateIndexAfterRebuild(int previousIndex, int lineCode);
// 4DSLv2: the index the operator's pick of a line rate becomes under the line code.
int LineRateIndexForCode(int pickedIndex, int lineCode);

}  // namespace tervis::boards::dsl
