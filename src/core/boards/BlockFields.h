#pragma once

// The settings of each board's configuration block (and of the multiplexer settings record), written
// once as data: where each field lies, the control that edits it, its caption and its list items. The
// board dialogs take their captions and items from here, and the command-line dump uses the same tables
// to name a block's settings.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tervis::boards {

enum class TFieldKind : std::uint8_t {
    Flag,       // one bit, a check box
    List,       // a drop-down list with fixed items: value = item index + Offset
    Radio,      // radio buttons, one per item: value = item index
    Rate,       // a drop-down list of rates "N x 64 kbit/s": value = item index + Offset
    CheckItem,  // item `set` of a check list named Control; checked when any bit of the field is set
    Level,      // a track bar over the field's codes 0..255; ZeroLevelTenths gives the level of code 0
    Number,     // a drop-down list of the numbers First..Last by Step: value = item index x Step + Offset
};

// Where the copies of a per-set field lie.
enum class TSetLayout : std::uint8_t {
    Single,                // one field
    Nibble,                // set k: bits 4k.. of the word
    BytePair,              // set k: word + k / 2, bits 8 (k % 2)..
    WordPerSet,            // set k: word + k
    Pair,                  // set k: bits 2k.. of the word
    BitPerSet,             // set k: bit k of the word
    WordPerSetSkipSecond,  // set 0: the word; set k > 0: word + k + 1 (the word after the first is another's)
};

// What a list or a radio group without a selection stores.
enum class TNoSelection : std::uint8_t {
    IndexMinusOne,  // item index -1 goes through the offset and the field mask, as any index does
    Value,          // the field's NoneValue
    Refuse,         // the parameters are invalid (EInvalidParameters)
    RangeCheck,     // the value would not fit its word (ERangeCheck)
};

// How a per-set field's controls are named: Pattern's %d becomes set x Step + First, unless the names
// follow no pattern and are listed one per set.
struct TSetNames {
    std::uint8_t First = 0;
    std::uint8_t Step = 1;
    std::span<const std::string_view> Listed{};
};

// Number lists: the items First..Last by Step; the stored value moves by Step between items too.
struct TNumberItems {
    std::uint16_t First = 0;
    std::uint16_t Last = 0;
    std::uint16_t Step = 1;
    bool InTenths = false;  // items show the number in tenths ("2,0")
};

// Rate lists: an item reads "N x 64 kbit/s".
struct TRateItems {
    std::string_view Format{};     // the item text of N channels
    std::int8_t ChannelBias = 0;   // channels shown = rate code + ChannelBias
    std::uint16_t CodeMask = 0;    // the bits of the field that carry the rate code; 0: all of them
    bool ClampBelowFirst = false;  // a code below the first item's shows the first item
};

struct TBlockField {
    std::string_view Control;  // objectName; per-set fields put the set's number (Names) in place of %d
    std::string_view Caption;  // the box's caption or the list's label
    std::uint8_t Word = 0;
    std::uint8_t Bit = 0;  // lowest bit (within the set's group for per-set fields)
    std::uint8_t Width = 1;
    TFieldKind Kind = TFieldKind::Flag;
    TSetLayout Sets = TSetLayout::Single;
    std::span<const std::string_view> Items{};    // list items or radio captions
    std::span<const std::string_view> Buttons{};  // radio buttons' objectNames, one per item
    std::uint8_t Offset = 0;                      // stored value = item index + Offset
    TNoSelection NoSelection = TNoSelection::IndexMinusOne;
    std::uint8_t NoneValue = 0;  // stored without a selection under TNoSelection::Value
    TSetNames Names{};
    bool ReadOnly = false;      // shown only: OK writes back the value that was loaded
    bool Inverted = false;      // Flag: the box is checked when the bit is clear
    bool ClampToItems = false;  // Radio: a value beyond the items (or below the first) shows the nearest item
    TNumberItems Numbers{};     // Number only
    TRateItems Rate{};          // Rate only
    std::int16_t ZeroLevelTenths = 0;  // Level only: the level of code 0 in tenths of a dB
};

struct TBlockLayout {
    std::uint8_t Type = 0;
    std::string_view Title;     // the dialog's window title, "... слот %d"
    int SetCount = 1;           // 1, 4, or 6 for the CPU's inputs
    std::uint16_t Rebuilt = 0;  // bit k: word k is rebuilt whole on OK (its unlisted bits become 0)
    std::span<const TBlockField> Fields;
};

// The parameters a dialog was given cannot be stored.
class EInvalidParameters : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value that does not fit the word it is stored in.
class ERangeCheck : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The window title format of a board type's dialog ("... слот %d"), or nothing for a type without one.
std::optional<std::string_view> DialogTitleFormat(std::uint8_t type);
std::string DialogTitle(std::uint8_t type, int slot);

// The field table of a board type's block; null for types whose dialog keeps no table here.
const TBlockLayout* FindBlockLayout(std::uint8_t type);
// Every board's table, the multiplexer settings record's last.
std::span<const TBlockLayout* const> AllBlockLayouts();
// The fields of the multiplexer settings record (the CPU dialog).
const TBlockLayout& MuxSettingsLayout();

constexpr bool IsPerSet(const TBlockField& field) {
    return field.Sets != TSetLayout::Single;
}
std::string ControlName(const TBlockField& field, int set);
std::string ButtonName(const TBlockField& field, int item, int set);
const TBlockField* FindField(const TBlockLayout& layout, std::string_view control);

// Word index and lowest bit of a field's copy for a set.
struct TFieldPlace {
    int Word = 0;
    int Bit = 0;
};
TFieldPlace FieldPlace(const TBlockField& field, int set);
std::uint16_t FieldMask(const TBlockField& field);

unsigned ReadField(std::span<const std::uint16_t> words, const TBlockField& field, int set);
// Writes value, cut to the field's width, and leaves every other bit alone.
void WriteField(std::span<std::uint16_t> words, const TBlockField& field, int set, unsigned value);

// The item a list shows for a stored value: value - Offset, counted in 8 bits, when it is below
// itemCount; -1 (no selection) otherwise.
int ItemIndexFor(const TBlockField& field, unsigned value, int itemCount);
// The value a list or radio group stores for a selected item, or for -1 (no selection); throws
// EInvalidParameters or ERangeCheck when the field refuses a missing selection.
unsigned ValueForItem(const TBlockField& field, int index);

// The first step of OK: words rebuilt whole are cleared; the others keep their loaded values.
void ClearRebuiltWords(std::span<std::uint16_t> words, const TBlockLayout& layout);

// One setting of a block in words an operator reads.
struct TSettingText {
    int Set = -1;  // -1 for a setting of the whole board
    std::string Caption;
    std::string Value;
};
std::string FieldValueText(const TBlockField& field, unsigned value);
// The items of a list field as shown (Number lists are generated from First, Last and Step; Rate lists
// from the first code to the last the code mask allows, empty without a mask).
std::vector<std::string> ListItems(const TBlockField& field);
// The level of a Level field's code in dB: code x 0.1 + ZeroLevelTenths / 10.
double LevelDb(const TBlockField& field, unsigned code);
std::vector<TSettingText> DescribeBlock(std::uint8_t type, std::span<const std::uint16_t> words);
// "комплект 2: кодировка AMI" or "кодировка AMI".
std::string SettingName(const TSettingText& setting);

}  // namespace tervis::boards
