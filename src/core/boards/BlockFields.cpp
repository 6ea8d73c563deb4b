#include "core/boards/BlockFields.h"

#include <algorithm>
#include <cstdio>

namespace tervis::boards {

namespace {

std::string FormatNumber(std::string_view format, int number) {
    std::string text;
    const std::size_t at = format.find("%d");
    if (at == std::string_view::npos) {
        return std::string(format);
    }
    text.reserve(format.size() + 4);
    text.append(format.substr(0, at));
    text.append(std::to_string(number));
    text.append(format.substr(at + 2));
    return text;
}

// The items of a Number field: First to Last by Step, as numbers or in tenths.
int NumberItemCount(const TNumberItems& numbers) {
    const unsigned step = numbers.Step == 0 ? 1U : numbers.Step;
    return numbers.Last < numbers.First ? 0 : static_cast<int>((numbers.Last - numbers.First) / step) + 1;
}

std::string NumberItemText(const TNumberItems& numbers, int index) {
    const unsigned step = numbers.Step == 0 ? 1U : numbers.Step;
    const unsigned number = numbers.First + static_cast<unsigned>(index) * step;
    if (numbers.InTenths) {
        return std::to_string(number / 10) + "," + std::to_string(number % 10);
    }
    return std::to_string(number);
}

// The rate code a Rate field's value carries.
unsigned RateCode(const TBlockField& field, unsigned value) {
    return field.Rate.CodeMask != 0 ? value & field.Rate.CodeMask : value;
}

}  // namespace

std::optional<std::string_view> DialogTitleFormat(std::uint8_t type) {
    const TBlockLayout* layout =
        type == MuxSettingsLayout().Type ? &MuxSettingsLayout() : FindBlockLayout(type);
    return layout != nullptr ? std::optional(layout->Title) : std::nullopt;
}

std::string DialogTitle(std::uint8_t type, int slot) {
    const auto format = DialogTitleFormat(type);
    return format ? FormatNumber(*format, slot) : std::string();
}

std::string ControlName(const TBlockField& field, int set) {
    if (!field.Names.Listed.empty()) {
        return std::string(field.Names.Listed[static_cast<std::size_t>(set)]);
    }
    return IsPerSet(field) ? FormatNumber(field.Control, set * field.Names.Step + field.Names.First)
                           : std::string(field.Control);
}

std::string ButtonName(const TBlockField& field, int item, int set) {
    const std::string_view format = field.Buttons[static_cast<std::size_t>(item)];
    return IsPerSet(field) ? FormatNumber(format, set + field.Names.First) : std::string(format);
}

const TBlockField* FindField(const TBlockLayout& layout, std::string_view control) {
    for (const TBlockField& field : layout.Fields) {
        if (field.Control == control) {
            return &field;
        }
    }
    return nullptr;
}

TFieldPlace FieldPlace(const TBlockField& field, int set) {
    switch (field.Sets) {
        case TSetLayout::Single:
            return {field.Word, field.Bit};
        case TSetLayout::Nibble:
            return {field.Word, 4 * set + field.Bit};
        case TSetLayout::BytePair:
            return {field.Word + set / 2, 8 * (set % 2) + field.Bit};
        case TSetLayout::WordPerSet:
            return {field.Word + set, field.Bit};
        case TSetLayout::Pair:
            return {field.Word, 2 * set + field.Bit};
        case TSetLayout::BitPerSet:
            return {field.Word, set + field.Bit};
        case TSetLayout::WordPerSetSkipSecond:
            return {field.Word + set + (set > 0 ? 1 : 0), field.Bit};
    }
    return {field.Word, field.Bit};
}

std::uint16_t FieldMask(const TBlockField& field) {
    return static_cast<std::uint16_t>(field.Width >= 16 ? 0xFFFFU : (1U << field.Width) - 1U);
}

unsigned ReadField(std::span<const std::uint16_t> words, const TBlockField& field, int set) {
    const TFieldPlace place = FieldPlace(field, set);
    return (unsigned{words[static_cast<std::size_t>(place.Word)]} >> place.Bit) & FieldMask(field);
}

void WriteField(std::span<std::uint16_t> words, const TBlockField& field, int set, unsigned value) {
    const TFieldPlace place = FieldPlace(field, set);
    std::uint16_t& word = words[static_cast<std::size_t>(place.Word)];
    const unsigned mask = unsigned{FieldMask(field)} << place.Bit;
    word = static_cast<std::uint16_t>((word & ~mask) | ((value << place.Bit) & mask));
}

int ItemIndexFor(const TBlockField& field, unsigned value, int itemCount) {
    if (field.Kind == TFieldKind::Number) {
        // Counted in full: a 16-bit field's value may lie hundreds of items from the first.
        const long above = static_cast<long>(value) - field.Offset;
        if (above < 0 || above > static_cast<long>(itemCount - 1) * field.Numbers.Step) {
            return -1;
        }
        return static_cast<int>(above / field.Numbers.Step);
    }
    if (field.Kind == TFieldKind::Radio) {
        const int index = static_cast<int>(value) - field.Offset;
        if (field.ClampToItems) {
            return std::clamp(index, 0, itemCount - 1);
        }
        return index >= 0 && index < itemCount ? index : -1;
    }
    if (field.Kind == TFieldKind::Rate) {
        const unsigned code = RateCode(field, value);
        if (code < field.Offset) {
            return field.Rate.ClampBelowFirst && itemCount > 0 ? 0 : -1;
        }
        return code - field.Offset < static_cast<unsigned>(itemCount) ? static_cast<int>(code - field.Offset)
                                                                      : -1;
    }
    const unsigned index = field.Offset != 0 ? (value - field.Offset) & 0xFFU : value;
    return index < static_cast<unsigned>(itemCount) ? static_cast<int>(index) : -1;
}

unsigned ValueForItem(const TBlockField& field, int index) {
    if (index < 0) {
        switch (field.NoSelection) {
            case TNoSelection::Value:
                return field.NoneValue;
            case TNoSelection::Refuse:
                throw EInvalidParameters("no item selected in " + std::string(field.Control));
            case TNoSelection::RangeCheck:
                throw ERangeCheck("no item selected in " + std::string(field.Control));
            case TNoSelection::IndexMinusOne:
                break;
        }
    }
    if (field.Kind == TFieldKind::Radio) {
        return static_cast<unsigned>(index + field.Offset);
    }
    if (field.Kind == TFieldKind::Number) {
        return static_cast<unsigned>(index * field.Numbers.Step + field.Offset) & FieldMask(field);
    }
    return static_cast<unsigned>(index + field.Offset) & FieldMask(field);
}

void ClearRebuiltWords(std::span<std::uint16_t> words, const TBlockLayout& layout) {
    for (std::size_t word = 0; word < words.size(); ++word) {
        if (layout.Rebuilt & (1U << word)) {
            words[word] = 0;
        }
    }
}

std::string FieldValueText(const TBlockField& field, unsigned value) {
    const auto unknown = [value] { return "?(" + std::to_string(value) + ")"; };
    switch (field.Kind) {
        case TFieldKind::Flag:
        case TFieldKind::CheckItem:
            return (value != 0) != field.Inverted ? "да" : "нет";
        case TFieldKind::List:
        case TFieldKind::Radio: {
            const int index = ItemIndexFor(field, value, static_cast<int>(field.Items.size()));
            return index < 0 ? unknown() : std::string(field.Items[static_cast<std::size_t>(index)]);
        }
        case TFieldKind::Number: {
            // The one item named, not the whole list made: a number field may have hundreds.
            const int index = ItemIndexFor(field, value, NumberItemCount(field.Numbers));
            return index < 0 ? unknown() : NumberItemText(field.Numbers, index);
        }
        case TFieldKind::Level: {
            char text[32];
            std::snprintf(text, sizeof text, "%u (%.1f дБ)", value, LevelDb(field, value));
            return text;
        }
        case TFieldKind::Rate: {
            unsigned code = RateCode(field, value);
            if (code < field.Offset) {
                if (!field.Rate.ClampBelowFirst) {
                    return unknown();
                }
                code = field.Offset;
            }
            return FormatNumber(field.Rate.Format, static_cast<int>(code) + field.Rate.ChannelBias);
        }
    }
    return unknown();
}

std::vector<std::string> ListItems(const TBlockField& field) {
    std::vector<std::string> items;
    if (field.Kind == TFieldKind::Rate) {
        // Without a mask the list is generated by its dialog (the DSL lines' rate rule).
        for (unsigned code = field.Offset; field.Rate.CodeMask != 0 && code <= field.Rate.CodeMask; ++code) {
            items.push_back(FieldValueText(field, code));
        }
        return items;
    }
    if (field.Kind != TFieldKind::Number) {
        items.assign(field.Items.begin(), field.Items.end());
        return items;
    }
    for (int index = 0; index < NumberItemCount(field.Numbers); ++index) {
        items.push_back(NumberItemText(field.Numbers, index));
    }
    return items;
}

double LevelDb(const TBlockField& field, unsigned code) {
    return (static_cast<int>(code) + field.ZeroLevelTenths) / 10.0;
}

std::vector<TSettingText> DescribeBlock(std::uint8_t type, std::span<const std::uint16_t> words) {
    std::vector<TSettingText> settings;
    const TBlockLayout* layout = FindBlockLayout(type);
    if (layout == nullptr) {
        return settings;
    }
    // Set by set, so that a reader finds one stream's settings together.
    for (const TBlockField& field : layout->Fields) {
        if (!IsPerSet(field)) {
            settings.push_back(
                {-1, std::string(field.Caption), FieldValueText(field, ReadField(words, field, 0))});
        }
    }
    for (int set = 0; set < layout->SetCount && layout->SetCount > 1; ++set) {
        for (const TBlockField& field : layout->Fields) {
            if (IsPerSet(field)) {
                settings.push_back(
                    {set, std::string(field.Caption), FieldValueText(field, ReadField(words, field, set))});
            }
        }
    }
    return settings;
}

std::string SettingName(const TSettingText& setting) {
    // A label's own colon would double the one that follows the name.
    std::string_view caption = setting.Caption;
    if (caption.ends_with(':')) {
        caption.remove_suffix(1);
    }
    if (setting.Set < 0) {
        return std::string(caption);
    }
    return "комплект " + std::to_string(setting.Set) + ": " + std::string(caption);
}

}  // namespace tervis::boards
