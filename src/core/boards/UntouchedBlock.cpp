#include "core/boards/UntouchedBlock.h"

#include "core/boards/DslRates.h"

namespace tervis::boards {
namespace {

constexpr std::uint8_t kType4DslV2 = 29;
constexpr int kRemoteStationMode = 3;  // "вынос станции ЛВ-420" takes the management channel

bool IsDslLines(const TBlockLayout& layout) {
    return FindField(layout, "CBSpeedDSL%d") != nullptr;
}

int ItemCount(const TBlockField& field) {
    return static_cast<int>(ListItems(field).size());
}

int Shown(const TBlockLayout& layout, std::string_view control, std::span<const std::uint16_t> words,
          int set) {
    const TBlockField& field = *FindField(layout, control);
    return ShownItem(layout, field, words, set);
}

}  // namespace

TDslLineShown ShownDslLine(const TBlockLayout& layout, std::span<const std::uint16_t> words, int set) {
    TDslLineShown shown;
    const TBlockField& lineRate = *FindField(layout, "CBSpeedDSL%d");
    const TBlockField& tdm = *FindField(layout, "CBSpeedTDM%d");
    if (layout.Type == kType4DslV2) {
        // The line-rate list is rebuilt for the line code before the stored rate is shown.
        shown.LineCode = Shown(layout, "CBTcpam%d", words, set);
        shown.LineRateCount = dsl::HighestLineRate(shown.LineCode) - dsl::kLowestLineRate + 1;
    } else {
        shown.LineRateCount = dsl::kHighest4DslLineRate - dsl::kLowestLineRate + 1;
    }
    shown.LineRate = ItemIndexFor(lineRate, ReadField(words, lineRate, set), shown.LineRateCount);
    const bool controlled = Shown(layout, "CBCtrlMode%d", words, set) != 0;
    const bool remote = Shown(layout, "CBMode%d", words, set) == kRemoteStationMode || controlled;
    const bool selfControl = Shown(layout, "SelfControl%d", words, set) != 0;
    // The TDM list is rebuilt whenever a line rate is shown: for the stored one, or else, on the 4DSLv2,
    // for the one the line code's rebuild left, when the remote-control or self-monitoring box was
    // checked during the load (its handler rebuilds the list).
    int rate = shown.LineRate;
    if (rate < 0 && layout.Type == kType4DslV2 && (controlled || selfControl)) {
        rate = dsl::LineRateIndexAfterRebuild(-1, shown.LineCode);
    }
    shown.TdmCount =
        rate >= 0 ? dsl::TdmMaximum(rate + dsl::kLowestLineRate, remote, selfControl) + 1 : ItemCount(tdm);
    shown.Tdm = ItemIndexFor(tdm, ReadField(words, tdm, set), shown.TdmCount);
    return shown;
}

int ShownItem(const TBlockLayout& layout, const TBlockField& field, std::span<const std::uint16_t> words,
              int set) {
    const unsigned value = ReadField(words, field, set);
    switch (field.Kind) {
        case TFieldKind::Flag:
            return (value != 0) != field.Inverted ? 1 : 0;
        case TFieldKind::CheckItem:
            return value != 0 ? 1 : 0;
        case TFieldKind::Level:
            return static_cast<int>(value);
        case TFieldKind::Radio:
            return ItemIndexFor(field, value, static_cast<int>(field.Items.size()));
        case TFieldKind::List:
        case TFieldKind::Number:
        case TFieldKind::Rate:
            break;
    }
    if (IsDslLines(layout)) {
        if (field.Control == "CBSpeedDSL%d") {
            return ShownDslLine(layout, words, set).LineRate;
        }
        if (field.Control == "CBSpeedTDM%d") {
            return ShownDslLine(layout, words, set).Tdm;
        }
    }
    return ItemIndexFor(field, value, ItemCount(field));
}

TBoardConfig UntouchedBlock(std::uint8_t type, const TBoardConfig& block) {
    const TBlockLayout* layout = FindBlockLayout(type);
    if (layout == nullptr) {
        return block;
    }
    const TBoardConfig& loaded = block;
    std::vector<std::vector<int>> shown;
    const auto show = [&] {
        shown.clear();
        for (const TBlockField& field : layout->Fields) {
            const int sets = IsPerSet(field) ? layout->SetCount : 1;
            shown.emplace_back();
            for (int set = 0; set < sets; ++set) {
                shown.back().push_back(ShownItem(*layout, field, loaded, set));
            }
        }
    };
    show();
    TBoardConfig out = loaded;
    ClearRebuiltWords(out, *layout);
    for (std::size_t f = 0; f < layout->Fields.size(); ++f) {
        const TBlockField& field = layout->Fields[f];
        for (std::size_t set = 0; set < shown[f].size(); ++set) {
            const int item = shown[f][set];
            unsigned value = 0;
            switch (field.Kind) {
                case TFieldKind::Flag:
                    value = (item != 0) != field.Inverted ? 1 : 0;
                    break;
                case TFieldKind::CheckItem:
                case TFieldKind::Level:
                    value = static_cast<unsigned>(item);
                    break;
                default:
                    value = ValueForItem(field, item);
                    break;
            }
            if (field.ReadOnly) {
                value = ReadField(loaded, field, static_cast<int>(set));
            }
            WriteField(out, field, static_cast<int>(set), value);
        }
    }
    return out;
}

}  // namespace tervis::boards
