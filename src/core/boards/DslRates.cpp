#include "core/boards/DslRates.h"

namespace tervis::boards::dsl {

std::string RateItemCyrillic(int channels) {
    return std::to_string(channels) + "х64 кбит/с";
}

std::string RateItemLatin(int channels) {
    return std::to_string(channels) + "x64 кбит/с";
}

int TdmMaximum(int lineRate, bool remote, bool selfControl) {
    int maximum = lineRate > kTdmCap ? kTdmCap : lineRate - (remote ? 1 : 0);
    if (selfControl && maximum < kTdmCap) {
        --maximum;
    }
    return maximum;
}

int TdmIndexAfterRebuild(int previousIndex, int maximum) {
    return previousIndex < maximum ? previousIndex : maximum;
}

std::optional<int> LanChannels(int lineRate, bool remote, bool selfControl, int tdmRate) {
    const int channels = lineRate - (remote ? 1 : 0) - (selfControl ? 1 : 0) - tdmRate;
    if (channels < 0) {
        return std::nullopt;
    }
    return channels;
}

std::string LanText(int channels) {
    return std::to_string(channels) + "x64 = " + std::to_string(channels * 64) + " кбит/с";
}

TTcPamEnabling TcPamEnabling(int lineRateIndex) {
    return {lineRateIndex <= kTcPam16HighestIndex, lineRateIndex >= kTcPam32LowestIndex};
}

std::optional<bool> ForcedTcPam32(int lineRateIndex) {
    if (lineRateIndex < kTcPam32LowestIndex) {
        return false;
    }
    if (lineRateIndex > kTcPam16HighestIndex) {
        return true;
    }
    return std::nullopt;
}

int HighestLineRate(int lineCode) {
    switch (lineCode) {
        case 1:
            return 78;
        case 2:
            return 118;
        case 3:
            return 157;
        case 4:
        case 5:
            return 178;
        default:  // TC-PAM 4, and any code the list does not offer
            return 38;
    }
}

int LineRateIndexAfterRebuild(int previousIndex, int lineCode) {
    if (lineCode == kTcPam32LineCode) {
        return kTcPam32LowestIndex;
    }
    const int count = HighestLineRate(lineCode) - kLowestLineRate + 1;
    return previousIndex < count ? previousIndex : count - 1;
}

int LineRateIndexForCode(int pickedIndex, int lineCode) {
    return lineCode == kTcPam32LineCode && pickedIndex < kTcPam32LowestIndex ? kTcPam32LowestIndex
                                                                             : pickedIndex;
}

}  // namespace tervis::boards::dsl
