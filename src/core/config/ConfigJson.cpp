// The JSON form of a configuration: the dump's document and the build that reads it back.
#include "core/config/ConfigJson.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

#include "core/base/Format.h"
#include "core/boards/BlockFields.h"
#include "core/crossconnect/ConnectionList.h"

namespace tervis::boards {

namespace {

using TJson = nlohmann::ordered_json;

// --- the meanings the dump shows beside the raw values

std::string SyncInputMeaning(int input, std::uint16_t value) {
    const unsigned priority = (value >> 4) & 7;
    const std::string priorityText = priority == 6   ? std::string("никогда")
                                     : priority == 7 ? std::string("приор. ?(7)")
                                                     : Format("приор. %u", priority);
    return Format("таблица синхронизации, вход %d: слот %u, ", input, value & 15U) + priorityText;
}

std::string SyncTypeMeaning(std::uint16_t value) {
    static const char* const kNames[] = {"Внешняя (вход 5)", "По таблице (для ЦП85, 1E1 v1.0)",
                                         "По таблице приоритетов входов", "Только от ЦП"};
    const std::string name = value < 4 ? kNames[value] : Format("?(%u)", unsigned{value});
    return "тип синхронизации: " + name;
}

std::string SettingMeaning(const TMux& mux, int word, std::uint16_t value) {
    if (word <= 5) {
        return SyncInputMeaning(word, value);
    }
    switch (word) {
        case 6:
            return SyncTypeMeaning(value);
        case 7:
            return "измеритель, старший байт";
        case 8: {
            const std::uint16_t measurer = MeasurerEndpoint(mux);
            return "измеритель, младший байт: " +
                   (measurer == kEndpointNone ? std::string("не подключён") : LinkDescription(mux, measurer));
        }
        default:
            return "сигнализация аварий: " + IntToBin(value, 8);
    }
}

std::string SignallingText(std::uint16_t value, bool group) {
    if (group) {
        return value <= 31 ? Format("группа %u", unsigned{value}) : Format("свободен (%u)", unsigned{value});
    }
    std::string text = "abcd " + IntToBin(value >> 4, 4) + ", акт. " + IntToBin(value, 4);
    if (value > 0xFF) {
        text += Format(" (0x%04X)", unsigned{value});  // bits the device never sees; shown, not hidden
    }
    return text;
}

// A LAN board's first 32 channels are timeslots whose entries name their group, not CAS bits.
bool IsGroupEntry(const TMux& mux, int slot, int channel) {
    return mux.SlotBoardType(slot) == btLAN && channel < 32;
}

// The type codes a slot can hold: no board, or any board the type picker offers.
bool FitsBoardSlot(long long type) {
    return type == btNone || (type > 0 && type < kBoardTypeCodes && type != btCPU &&
                              BoardTypeHasName(static_cast<std::uint8_t>(type)));
}

// --- the document's layout: the top object and its arrays spread over lines, each entry on one line

void WriteOneLine(const TJson& value, std::string& out) {
    if (value.is_object() || value.is_array()) {
        const bool object = value.is_object();
        out += object ? '{' : '[';
        bool first = true;
        for (auto it = value.begin(); it != value.end(); ++it) {
            out += first ? "" : ", ";
            first = false;
            if (object) {
                out += JsonQuote(it.key()) + ": ";
            }
            WriteOneLine(*it, out);
        }
        out += object ? '}' : ']';
        return;
    }
    out += value.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

void WriteSpread(const TJson& value, int depth, std::string& out) {
    const bool object = value.is_object();
    if (!(object || value.is_array()) || depth >= 2 || value.empty()) {
        WriteOneLine(value, out);
        return;
    }
    const std::string indent(static_cast<std::size_t>(2 * (depth + 1)), ' ');
    out += object ? '{' : '[';
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        out += first ? "\n" : ",\n";
        first = false;
        out += indent;
        if (object) {
            out += JsonQuote(it.key()) + ": ";
        }
        WriteSpread(*it, depth + 1, out);
    }
    out += '\n' + std::string(static_cast<std::size_t>(2 * depth), ' ');
    out += object ? '}' : ']';
}

TJson SlotJson(const TDumpSlot& entry) {
    TJson slot;
    slot["slot"] = entry.Slot;
    slot["type"] = entry.Record.Type;
    slot["name"] = BoardTypeName(entry.Record.Type);
    slot["params"] = {entry.Record.Param1, entry.Record.Param2};
    slot["block"] = entry.Block;
    const std::vector<TSettingText> settings = DescribeBlock(entry.Record.Type, entry.Block);
    if (!settings.empty()) {
        TJson& named = slot["settings"] = TJson::array();
        for (const TSettingText& setting : settings) {
            named.push_back({{"set", setting.Set < 0 ? TJson(nullptr) : TJson(setting.Set)},
                             {"name", setting.Caption},
                             {"value", setting.Value}});
        }
    }
    return slot;
}

TJson SignallingJson(const TDumpSignalling& entry) {
    TJson item;
    item["slot"] = entry.Slot;
    item["channel"] = entry.Channel;
    item["value"] = entry.Value;
    if (entry.Group) {
        item["group"] = entry.Value <= 31 ? TJson(entry.Value) : TJson(nullptr);
    } else {
        item["abcd"] = IntToBin(entry.Value >> 4, 4);
        item["active"] = IntToBin(entry.Value, 4);
    }
    item["text"] = entry.Text;
    return item;
}

TJson DumpDocument(const TConfigDump& dump) {
    TJson doc;
    TJson& slots = doc["slots"] = TJson::array();
    for (const TDumpSlot& entry : dump.Slots) {
        slots.push_back(SlotJson(entry));
    }
    TJson& settings = doc["settings"] = TJson::array();
    for (const TDumpSetting& entry : dump.Settings) {
        settings.push_back(
            {{"word", Format("W%d", entry.Word)}, {"value", entry.Value}, {"meaning", entry.Meaning}});
    }
    TJson& links = doc["links"] = TJson::array();
    for (const TDumpLink& entry : dump.Links) {
        // The measurer is no channel: its entry has no endpoint.
        links.push_back(
            {{"endpoint", entry.Endpoint == kEndpointNone ? TJson(nullptr) : TJson(entry.Endpoint)},
             {"link", entry.Link},
             {"text", entry.Text}});
    }
    TJson& signalling = doc["signalling"] = TJson::array();
    for (const TDumpSignalling& entry : dump.Signalling) {
        signalling.push_back(SignallingJson(entry));
    }
    return doc;
}

// The part of a dump the named sections carry. What the build would refuse there is left to the raw
// words: a slot whose board type no dialog offers, a link or CAS entry of a channel the boards do not
// have (or to one), a settings or CAS value wider than a byte.
TConfigDump NamedPart(const TMux& mux, TConfigDump dump) {
    std::array<int, kSlotCount> channels{};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        channels[static_cast<std::size_t>(slot)] =
            FitsBoardSlot(mux.SlotBoardType(slot)) ? mux.SlotChannels(slot) : 0;
    }
    const auto isChannel = [&channels](std::uint16_t endpoint) {
        return endpoint < kEndpointCount && EndpointChannelOf(endpoint) < channels[EndpointSlotOf(endpoint)];
    };
    std::erase_if(dump.Slots, [](const TDumpSlot& entry) { return !FitsBoardSlot(entry.Record.Type); });
    std::erase_if(dump.Settings, [](const TDumpSetting& entry) { return entry.Value > 0xFF; });
    std::erase_if(dump.Links, [&isChannel](const TDumpLink& entry) {
        return (entry.Endpoint != kEndpointNone && !isChannel(entry.Endpoint)) ||
               (entry.Link != kEndpointGenerator && !isChannel(entry.Link));
    });
    std::erase_if(dump.Signalling, [&isChannel](const TDumpSignalling& entry) {
        return entry.Value > 0xFF || !isChannel(MakeEndpoint(static_cast<std::uint8_t>(entry.Slot),
                                                             static_cast<std::uint8_t>(entry.Channel)));
    });
    return dump;
}

// The parts of the image, for the raw words' explanation.
struct TImageRegion {
    std::size_t First;
    std::size_t Words;
    const char* Name;
};

constexpr TImageRegion kImageRegions[] = {
    {image::kSlotTypes, kSlotCount, "типы плат"},
    {image::kParam1, kSlotCount, "параметры плат, первое слово"},
    {image::kParam2, kSlotCount, "параметры плат, второе слово"},
    {image::kBlockLow, 5 * kSlotCount, "блоки плат, W0..W4"},
    {image::kLinks, kEndpointCount, "соединения"},
    {image::kSignalling, kEndpointCount, "сигнальные биты"},
    {image::kMuxSettings, kMuxSettingsWords, "настройки мультиплексора"},
    {image::kBlockHigh, 4 * kSlotCount, "блоки плат, W5..W8"},
};

// The region index lies in and where it ends; a word outside them all is one nothing reads.
std::pair<const char*, std::size_t> ImageRegion(std::size_t index) {
    std::size_t end = image::kWords;
    for (const TImageRegion& region : kImageRegions) {
        if (index >= region.First && index < region.First + region.Words) {
            return {region.Name, region.First + region.Words};
        }
        if (region.First > index) {
            end = std::min(end, region.First);
        }
    }
    return {"не используется", end};
}

// The words where image differs from built, as runs of up to 16 neighbours within one region.
TJson RawRuns(const TConfigImage& built, const TConfigImage& image) {
    constexpr std::size_t kRunWords = 16;
    TJson runs = TJson::array();
    for (std::size_t index = 0; index < image.size();) {
        if (built[index] == image[index]) {
            ++index;
            continue;
        }
        const auto [name, regionEnd] = ImageRegion(index);
        TJson run;
        run["at"] = index;
        TJson& words = run["words"] = TJson::array();
        for (; index < regionEnd && words.size() < kRunWords && built[index] != image[index]; ++index) {
            words.push_back(Format("%04X", unsigned{image[index]}));
        }
        run["text"] = name;
        runs.push_back(std::move(run));
    }
    return runs;
}

}  // namespace

TConfigDump CollectDump(const TMux& mux) {
    TConfigDump dump;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        TDumpSlot entry{slot, mux.GetSlotType(slot), mux.GetBoardConfig(slot)};
        // An empty slot is left out unless a foreign file left words in it.
        if (!(entry.Record == TSlotType{} && entry.Block == TBoardConfig{})) {
            dump.Slots.push_back(entry);
        }
    }

    const TMuxSettings settings = mux.GetMuxSettings();
    for (int word = 0; word < kMuxSettingsWords; ++word) {
        const std::uint16_t value = settings[static_cast<std::size_t>(word)];
        dump.Settings.push_back({word, value, SettingMeaning(mux, word, value)});
    }

    // The connection list's lines pair up with the linked endpoints in order, after the measurer's.
    const std::vector<std::string> lines = ConnectionListLines(mux);
    std::size_t line = 0;
    const std::uint16_t measurer = MeasurerEndpoint(mux);
    if (measurer != kEndpointNone) {
        dump.Links.push_back({kEndpointNone, measurer, lines.at(line++)});
    }
    for (std::uint16_t endpoint = 0; endpoint < kEndpointCount; ++endpoint) {
        const std::uint16_t link = mux.GetLink(endpoint);
        if (link != kEndpointNone) {
            dump.Links.push_back({endpoint, link, lines.at(line++)});
        }
    }

    for (int slot = 0; slot < kSlotCount; ++slot) {
        const int channels = mux.SlotChannels(slot);
        for (int channel = 0; channel < channels; ++channel) {
            const std::uint16_t value = mux.GetSignalling(
                MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel)));
            if (value != kSignallingDefault) {
                const bool group = IsGroupEntry(mux, slot, channel);
                dump.Signalling.push_back({slot, channel, value, group, SignallingText(value, group)});
            }
        }
    }
    return dump;
}

std::string JsonQuote(std::string_view text) {
    return TJson(std::string(text)).dump(-1, ' ', false, TJson::error_handler_t::replace);
}

// --- reading a document back

namespace {

constexpr std::size_t kMaxFaults = 50;

std::string Quoted(std::string_view text) {
    // Built by appending: GCC 12 at -O3 sees a false overlap in "\"" + std::string (-Wrestrict).
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

std::string JoinQuoted(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + Quoted(item);
    }
    return text;
}

std::string BoardSlotTypes() {
    std::string text;
    for (int type = 0; type < kBoardTypeCodes; ++type) {
        if (FitsBoardSlot(type)) {
            text += (text.empty() ? "" : ", ") +
                    Format("%d (%s)", type, BoardTypeName(static_cast<std::uint8_t>(type)).c_str());
        }
    }
    return text;
}

// The value of a field whose shown text is text, trying what the field can show: its items, or every
// code of a narrow field.
std::optional<unsigned> FieldValueFor(const TBlockField& field, const std::string& text) {
    if (field.Kind == TFieldKind::List || field.Kind == TFieldKind::Radio ||
        field.Kind == TFieldKind::Number) {
        const std::vector<std::string> items = ListItems(field);
        for (std::size_t index = 0; index < items.size(); ++index) {
            if (items[index] == text) {
                return ValueForItem(field, static_cast<int>(index));
            }
        }
        return std::nullopt;
    }
    for (unsigned value = 0; value <= std::min<unsigned>(FieldMask(field), 0xFF); ++value) {
        if (FieldValueText(field, value) == text) {
            return value;
        }
    }
    if (field.Kind == TFieldKind::Level) {
        // A level may be given by its code alone.
        for (unsigned value = 0; value <= std::min<unsigned>(FieldMask(field), 0xFF); ++value) {
            if (std::to_string(value) == text) {
                return value;
            }
        }
    }
    return std::nullopt;
}

std::string AllowedFieldTexts(const TBlockField& field) {
    switch (field.Kind) {
        case TFieldKind::List:
        case TFieldKind::Radio:
        case TFieldKind::Number:
            return JoinQuoted(ListItems(field));
        case TFieldKind::Level:
            return Format("код 0..%u", std::min<unsigned>(FieldMask(field), 0xFF));
        default: {
            std::vector<std::string> texts;
            for (unsigned value = 0; value <= std::min<unsigned>(FieldMask(field), 0xFF); ++value) {
                const std::string text = FieldValueText(field, value);
                if (!text.starts_with("?(") && std::find(texts.begin(), texts.end(), text) == texts.end()) {
                    texts.push_back(text);
                }
            }
            return JoinQuoted(texts);
        }
    }
}

class TBuilder {
public:
    explicit TBuilder(TMux& mux) : mux_(mux) {}

    void Apply(const TJson& doc) {
        if (!doc.is_object()) {
            Fault("$", "ожидается объект");
            return;
        }
        CheckKeys(doc, "", {"$schema", "slots", "settings", "links", "signalling", "raw"});
        // Settings first: the links' measurer entry, read later, owns W7 and W8.
        if (const TJson* settings = Member(doc, "settings")) {
            ApplySettings(*settings);
        }
        if (const TJson* slots = Member(doc, "slots")) {
            ApplySlots(*slots);
        }
        if (const TJson* links = Member(doc, "links")) {
            ApplyLinks(*links);
        }
        if (const TJson* signalling = Member(doc, "signalling")) {
            ApplySignalling(*signalling);
        }
        if (const TJson* raw = Member(doc, "raw")) {
            ReadRaw(*raw);
        }
    }

    void Fault(const std::string& path, const std::string& text) {
        if (faults_.size() < kMaxFaults) {
            faults_.push_back(path + ": " + text);
        } else {
            ++skipped_;
        }
    }

    // The raw words by index, to be written over everything else.
    const std::map<std::size_t, std::uint16_t>& RawWords() const { return rawWords_; }

    std::vector<std::string> Faults() const {
        std::vector<std::string> lines = faults_;
        if (skipped_ > 0) {
            lines.push_back(Format("и ещё ошибок: %zu", skipped_));
        }
        return lines;
    }

private:
    static const TJson* Member(const TJson& object, const char* key) {
        const auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }

    static std::string At(const std::string& path, const std::string& key) {
        return path.empty() ? key : path + "." + key;
    }

    static std::string At(const std::string& path, std::size_t index) {
        return path + "[" + std::to_string(index) + "]";
    }

    bool CheckKeys(const TJson& object, const std::string& path, std::initializer_list<const char*> allowed) {
        bool good = true;
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (std::none_of(allowed.begin(), allowed.end(),
                             [&](const char* key) { return it.key() == key; })) {
                std::string keys;
                for (const char* key : allowed) {
                    keys += (keys.empty() ? "" : ", ") + std::string(key);
                }
                Fault(At(path, it.key()), "неизвестный ключ; допустимы: " + keys);
                good = false;
            }
        }
        return good;
    }

    struct TEntry {
        const TJson& Item;
        std::string Path;
        std::size_t Index;
    };

    // The entries of an array that are objects with only the allowed keys; each other entry is a fault,
    // and so is anything but an array.
    std::vector<TEntry> Entries(const TJson& array, const std::string& path,
                                std::initializer_list<const char*> allowed) {
        std::vector<TEntry> entries;
        if (!array.is_array()) {
            Fault(path, "ожидается массив");
            return entries;
        }
        for (std::size_t i = 0; i < array.size(); ++i) {
            const std::string itemPath = At(path, i);
            if (!array[i].is_object()) {
                Fault(itemPath, "ожидается объект");
            } else if (CheckKeys(array[i], itemPath, allowed)) {
                entries.push_back({array[i], itemPath, i});
            }
        }
        return entries;
    }

    std::optional<long long> Integer(const TJson& value, const std::string& path, long long min,
                                     long long max) {
        if (!value.is_number_integer()) {
            Fault(path, Format("ожидается целое число %lld..%lld", min, max));
            return std::nullopt;
        }
        const long long number = value.is_number_unsigned() && value.get<unsigned long long>() >
                                                                   static_cast<unsigned long long>(max)
                                     ? max + 1
                                     : value.get<long long>();
        if (number < min || number > max) {
            Fault(path, Format("%s вне диапазона %lld..%lld", value.dump().c_str(), min, max));
            return std::nullopt;
        }
        return number;
    }

    std::optional<long long> RequiredInteger(const TJson& object, const std::string& path, const char* key,
                                             long long min, long long max) {
        const TJson* value = Member(object, key);
        if (value == nullptr) {
            Fault(path, Format("не указан ключ \"%s\"", key));
            return std::nullopt;
        }
        return Integer(*value, At(path, key), min, max);
    }

    // A 16-bit word: a number, or its hex digits as the text dump shows them ("3210" or "0x3210").
    std::optional<std::uint16_t> Word(const TJson& value, const std::string& path) {
        if (value.is_string()) {
            std::string digits = value.get<std::string>();
            if (digits.starts_with("0x") || digits.starts_with("0X")) {
                digits.erase(0, 2);
            }
            if (!digits.empty() && digits.size() <= 4 &&
                digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
                return static_cast<std::uint16_t>(std::stoul(digits, nullptr, 16));
            }
            Fault(path, Format("%s не шестнадцатеричное слово; допустимо 0000..FFFF", value.dump().c_str()));
            return std::nullopt;
        }
        const auto number = Integer(value, path, 0, 0xFFFF);
        return number ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*number)) : std::nullopt;
    }

    std::optional<std::string> String(const TJson& value, const std::string& path) {
        if (!value.is_string()) {
            Fault(path, "ожидается строка");
            return std::nullopt;
        }
        return value.get<std::string>();
    }

    // --- settings record

    void ApplySettings(const TJson& settings) {
        TMuxSettings record = mux_.GetMuxSettings();
        std::set<long long> seen;
        for (const auto& [item, path, index] : Entries(settings, "settings", {"word", "value", "meaning"})) {
            const auto word = SettingsWord(item, path);
            const auto value = RequiredInteger(item, path, "value", 0, 255);
            if (!word || !value) {
                continue;
            }
            if (!seen.insert(*word).second) {
                Fault(At(path, "word"), Format("слово W%lld уже указано", *word));
                continue;
            }
            record[static_cast<std::size_t>(*word)] = static_cast<std::uint16_t>(*value);
        }
        mux_.StoreMuxSettings(record);
    }

    std::optional<long long> SettingsWord(const TJson& item, const std::string& path) {
        const TJson* word = Member(item, "word");
        if (word == nullptr) {
            Fault(path, "не указан ключ \"word\"");
            return std::nullopt;
        }
        if (word->is_string()) {
            const std::string name = word->get<std::string>();
            for (int index = 0; index < kMuxSettingsWords; ++index) {
                if (name == Format("W%d", index)) {
                    return index;
                }
            }
            Fault(At(path, "word"), Quoted(name) + " не слово настроек; допустимы W0..W9");
            return std::nullopt;
        }
        return Integer(*word, At(path, "word"), 0, kMuxSettingsWords - 1);
    }

    // --- slots

    void ApplySlots(const TJson& slots) {
        std::map<long long, std::size_t> seen;
        for (const auto& [item, path, i] :
             Entries(slots, "slots", {"slot", "type", "name", "params", "block", "settings"})) {
            const auto slot = RequiredInteger(item, path, "slot", 0, kSlotCount - 1);
            if (!slot) {
                continue;
            }
            if (const auto [it, fresh] = seen.emplace(*slot, i); !fresh) {
                Fault(At(path, "slot"), Format("слот %lld уже описан в slots[%zu]", *slot, it->second));
                continue;
            }
            ApplySlot(item, path, static_cast<int>(*slot));
        }
    }

    std::optional<std::uint8_t> SlotTypeOf(const TJson& item, const std::string& path, int slot) {
        std::optional<std::uint8_t> type = mux_.SlotBoardType(slot);
        if (const TJson* code = Member(item, "type")) {
            const auto number = Integer(*code, At(path, "type"), 0, 255);
            if (!number) {
                return std::nullopt;
            }
            if (!FitsBoardSlot(*number)) {
                Fault(At(path, "type"), Format("тип %lld не ставится в слот %d; допустимы: ", *number, slot) +
                                            BoardSlotTypes());
                return std::nullopt;
            }
            type = static_cast<std::uint8_t>(*number);
        }
        if (const TJson* name = Member(item, "name")) {
            const auto text = String(*name, At(path, "name"));
            if (!text) {
                return std::nullopt;
            }
            if (Member(item, "type") != nullptr) {
                if (*text != BoardTypeName(*type)) {
                    Fault(At(path, "name"), Quoted(*text) + Format(" не совпадает с типом %d (%s)", *type,
                                                                   BoardTypeName(*type).c_str()));
                    return std::nullopt;
                }
                return type;
            }
            for (int code = 0; code < kBoardTypeCodes; ++code) {
                if (FitsBoardSlot(code) && BoardTypeName(static_cast<std::uint8_t>(code)) == *text) {
                    return static_cast<std::uint8_t>(code);
                }
            }
            Fault(At(path, "name"),
                  "неизвестный тип платы " + Quoted(*text) + "; допустимы: " + BoardSlotTypes());
            return std::nullopt;
        }
        return type;
    }

    void ApplySlot(const TJson& item, const std::string& path, int slot) {
        const auto type = SlotTypeOf(item, path, slot);
        if (!type) {
            return;
        }
        TSlotType record = mux_.GetSlotType(slot);
        record.Type = *type;
        if (const TJson* params = Member(item, "params")) {
            if (!params->is_array() || params->size() != 2) {
                Fault(At(path, "params"), "ожидается массив из двух слов");
                return;
            }
            const auto first = Word((*params)[0], At(path, "params") + "[0]");
            const auto second = Word((*params)[1], At(path, "params") + "[1]");
            if (!first || !second) {
                return;
            }
            record.Param1 = *first;
            record.Param2 = *second;
        }
        // A new type brings its default block and frees the slot's channels, as in the window.
        mux_.SetSlotType(slot, record);
        TBoardConfig block = mux_.GetBoardConfig(slot);
        if (const TJson* words = Member(item, "block")) {
            if (!words->is_array() || words->size() != kBlockWords) {
                Fault(At(path, "block"), Format("ожидается массив из %d слов", kBlockWords));
                return;
            }
            for (std::size_t k = 0; k < block.size(); ++k) {
                const auto word = Word((*words)[k], At(path, "block") + "[" + std::to_string(k) + "]");
                if (!word) {
                    return;
                }
                block[k] = *word;
            }
        }
        if (const TJson* settings = Member(item, "settings")) {
            ApplyBlockSettings(*settings, At(path, "settings"), *type, block);
        }
        mux_.StoreBoardConfig(slot, block);
    }

    // Named settings go on top of the block words; one whose text the block already shows changes
    // nothing, so a dump's words and names never fight.
    void ApplyBlockSettings(const TJson& settings, const std::string& path, std::uint8_t type,
                            TBoardConfig& block) {
        const TBlockLayout* layout = FindBlockLayout(type);
        if (layout == nullptr && settings.is_array() && !settings.empty()) {
            Fault(path,
                  "у платы " + BoardTypeName(type) + " нет именованных параметров; укажите слова block");
            return;
        }
        // Without a layout only an empty array gets here, and it has no entries.
        for (const auto& [item, itemPath, index] : Entries(settings, path, {"set", "name", "value"})) {
            ApplyBlockSetting(item, itemPath, *layout, block);
        }
    }

    const TBlockField* FieldNamed(const TBlockLayout& layout, const std::string& caption,
                                  const std::string& path) {
        std::vector<std::string> captions;
        for (const TBlockField& field : layout.Fields) {
            if (IsPerSet(field) && layout.SetCount <= 1) {
                continue;  // never shown
            }
            if (field.Caption == caption) {
                return &field;
            }
            captions.emplace_back(field.Caption);
        }
        Fault(path, "у платы " + BoardTypeName(layout.Type) + " нет параметра " + Quoted(caption) +
                        "; допустимы: " + JoinQuoted(captions));
        return nullptr;
    }

    std::optional<int> SetOf(const TJson& item, const std::string& path, const TBlockLayout& layout,
                             const TBlockField& field) {
        const TJson* set = Member(item, "set");
        if (!IsPerSet(field)) {
            if (set != nullptr && !set->is_null()) {
                Fault(At(path, "set"), "параметр относится ко всей плате; допустимо: null");
                return std::nullopt;
            }
            return 0;
        }
        if (set == nullptr || set->is_null()) {
            Fault(At(path, "set"), Format("нужен номер комплекта 0..%d", layout.SetCount - 1));
            return std::nullopt;
        }
        const auto number = Integer(*set, At(path, "set"), 0, layout.SetCount - 1);
        return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
    }

    void ApplyBlockSetting(const TJson& item, const std::string& path, const TBlockLayout& layout,
                           TBoardConfig& block) {
        const TJson* name = Member(item, "name");
        const TJson* value = Member(item, "value");
        if (name == nullptr || value == nullptr) {
            Fault(path, "нужны ключи \"name\" и \"value\"");
            return;
        }
        const auto caption = String(*name, At(path, "name"));
        const auto text = String(*value, At(path, "value"));
        if (!caption || !text) {
            return;
        }
        const TBlockField* field = FieldNamed(layout, *caption, At(path, "name"));
        if (field == nullptr) {
            return;
        }
        const auto set = SetOf(item, path, layout, *field);
        if (!set) {
            return;
        }
        if (FieldValueText(*field, ReadField(block, *field, *set)) == *text) {
            return;
        }
        if (field->ReadOnly) {
            Fault(At(path, "value"), "параметр " + Quoted(*caption) + " только для чтения");
            return;
        }
        const auto stored = FieldValueFor(*field, *text);
        if (!stored) {
            Fault(At(path, "value"),
                  Quoted(*text) + " нет в списке; допустимо: " + AllowedFieldTexts(*field));
            return;
        }
        WriteField(block, *field, *set, *stored);
    }

    // --- links and signalling

    // Why value is no channel of a board in the configuration being built, or nothing when it is one.
    std::optional<std::string> ChannelFault(long long value) const {
        const auto endpoint = static_cast<std::uint16_t>(value);
        const int slot = EndpointSlotOf(endpoint);
        const int channel = EndpointChannelOf(endpoint);
        const int channels = mux_.SlotChannels(slot);
        if (channel < channels) {
            return std::nullopt;
        }
        const std::string board = BoardTypeName(mux_.SlotBoardType(slot));
        if (channels == 0) {
            return Format("%lld: слот %d, канал %d, но в слоте %d (%s) нет каналов", value, slot, channel,
                          slot, board.c_str());
        }
        return Format("%lld: слот %d, канал %d, но у платы %s в слоте %d каналы 0..%d", value, slot, channel,
                      board.c_str(), slot, channels - 1);
    }

    void ApplyLinks(const TJson& links) {
        std::vector<std::uint16_t> table(kEndpointCount, kEndpointNone);
        std::uint16_t measurer = kEndpointNone;
        std::set<long long> seen;
        for (const auto& [item, path, index] : Entries(links, "links", {"endpoint", "link", "text"})) {
            const TJson* endpoint = Member(item, "endpoint");
            if (endpoint == nullptr) {
                Fault(path, "не указан ключ \"endpoint\" (null для измерителя)");
                continue;
            }
            std::optional<long long> from = -1;  // the measurer
            if (!endpoint->is_null()) {
                from = Integer(*endpoint, At(path, "endpoint"), 0, kEndpointCount - 1);
                if (from) {
                    if (const auto fault = ChannelFault(*from)) {
                        Fault(At(path, "endpoint"), *fault);
                        from.reset();
                    }
                }
            }
            const auto to = RequiredInteger(item, path, "link", 0, kEndpointGenerator);
            if (!from || !to) {
                continue;
            }
            if (*to != kEndpointGenerator) {
                if (*to >= kEndpointCount) {
                    Fault(At(path, "link"), Format("%lld не канал и не генератор; допустимы 0..%d и %u", *to,
                                                   kEndpointCount - 1, unsigned{kEndpointGenerator}));
                    continue;
                }
                if (const auto fault = ChannelFault(*to)) {
                    Fault(At(path, "link"), *fault);
                    continue;
                }
            }
            if (!seen.insert(*from).second) {
                Fault(At(path, "endpoint"), *from < 0 ? std::string("измеритель уже подключён")
                                                      : Format("у канала %lld уже есть соединение", *from));
                continue;
            }
            (*from < 0 ? measurer : table[static_cast<std::size_t>(*from)]) = static_cast<std::uint16_t>(*to);
        }
        for (std::uint16_t e = 0; e < kEndpointCount; ++e) {
            mux_.StoreLink(e, table[e]);
        }
        TMuxSettings record = mux_.GetMuxSettings();
        record[7] = static_cast<std::uint16_t>(measurer >> 8);
        record[8] = static_cast<std::uint16_t>(measurer & 0xFF);
        mux_.StoreMuxSettings(record);
    }

    // The entry's value: "value" first, then the parts the dump writes beside it, any of which may have
    // been edited (abcd and active bits, or a LAN timeslot's group).
    std::optional<std::uint16_t> SignallingValue(const TJson& item, const std::string& path, bool group) {
        long long value = kSignallingDefault;
        if (const TJson* given = Member(item, "value")) {
            const auto number = Integer(*given, At(path, "value"), 0, 255);
            if (!number) {
                return std::nullopt;
            }
            value = *number;
        }
        const auto nibble = [&](const char* key, int shift) {
            const TJson* bits = Member(item, key);
            if (bits == nullptr) {
                return true;
            }
            const bool good = bits->is_string() && bits->get<std::string>().size() == 4 &&
                              bits->get<std::string>().find_first_not_of("01") == std::string::npos;
            if (!good || group) {
                Fault(At(path, key), group ? "у временного интервала LAN нет битов; укажите group"
                                           : "ожидаются четыре цифры 0 или 1, например \"0101\"");
                return false;
            }
            value = (value & ~(0xFL << shift)) |
                    (static_cast<long long>(BinToInt(bits->get<std::string>())) << shift);
            return true;
        };
        if (!nibble("abcd", 4) || !nibble("active", 0)) {
            return std::nullopt;
        }
        if (const TJson* owner = Member(item, "group")) {
            if (!group) {
                Fault(At(path, "group"), "группа бывает только у временных интервалов 0..31 платы LAN");
                return std::nullopt;
            }
            if (owner->is_null()) {
                value = value <= 31 ? kLanFreeTimeslot : value;
            } else {
                const auto number = Integer(*owner, At(path, "group"), 0, 31);
                if (!number) {
                    return std::nullopt;
                }
                value = *number;
            }
        }
        return static_cast<std::uint16_t>(value);
    }

    void ApplySignalling(const TJson& signalling) {
        std::vector<std::uint16_t> table(kEndpointCount, kSignallingDefault);
        std::set<std::uint16_t> seen;
        for (const auto& [item, path, index] : Entries(
                 signalling, "signalling", {"slot", "channel", "value", "group", "abcd", "active", "text"})) {
            const auto slot = RequiredInteger(item, path, "slot", 0, kSlotCount - 1);
            const auto channel = RequiredInteger(item, path, "channel", 0, kChannelsPerSlot - 1);
            if (!slot || !channel) {
                continue;
            }
            const std::uint16_t endpoint =
                MakeEndpoint(static_cast<std::uint8_t>(*slot), static_cast<std::uint8_t>(*channel));
            if (const auto fault = ChannelFault(endpoint)) {
                Fault(At(path, "channel"), *fault);
                continue;
            }
            const auto value = SignallingValue(
                item, path, IsGroupEntry(mux_, static_cast<int>(*slot), static_cast<int>(*channel)));
            if (!value) {
                continue;
            }
            if (!seen.insert(endpoint).second) {
                Fault(path, Format("слот %lld, канал %lld уже указан", *slot, *channel));
                continue;
            }
            table[endpoint] = *value;
        }
        for (std::uint16_t e = 0; e < kEndpointCount; ++e) {
            mux_.StoreSignalling(e, table[e]);
        }
    }

    // --- raw words: checked here, written by the caller over the finished configuration

    void ReadRaw(const TJson& raw) {
        std::map<std::size_t, std::size_t> entryOf;  // word index -> the raw entry that gave it
        for (const auto& [item, path, entry] : Entries(raw, "raw", {"at", "words", "text"})) {
            const auto at = RequiredInteger(item, path, "at", 0, image::kWords - 1);
            const TJson* words = Member(item, "words");
            if (words == nullptr) {
                Fault(path, "не указан ключ \"words\"");
                continue;
            }
            if (!words->is_array() || words->empty()) {
                Fault(At(path, "words"), "ожидается непустой массив слов");
                continue;
            }
            if (!at) {
                continue;
            }
            const auto first = static_cast<std::size_t>(*at);
            if (words->size() > image::kWords - first) {
                Fault(At(path, "words"), Format("%zu слов с %zu выходят за образ; в нём слова 0..%zu",
                                                words->size(), first, image::kWords - 1));
                continue;
            }
            for (std::size_t k = 0; k < words->size(); ++k) {
                const auto word = Word((*words)[k], At(At(path, "words"), k));
                if (!word) {
                    break;
                }
                if (const auto [it, fresh] = entryOf.emplace(first + k, entry); !fresh) {
                    Fault(At(path, "words"),
                          Format("слово %zu уже указано в raw[%zu]", first + k, it->second));
                    break;
                }
                rawWords_[first + k] = *word;
            }
        }
    }

    TMux& mux_;
    std::vector<std::string> faults_;
    std::size_t skipped_ = 0;
    std::map<std::size_t, std::uint16_t> rawWords_;
};

// Where in the text a byte offset lies, as an editor counts: "строка 3, столбец 7".
std::string TextPlace(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;  // UTF-8 continuation bytes belong to the letter before
        }
    }
    return Format("строка %zu, столбец %zu", line, column);
}

// The offset where nesting first goes deeper than allowed, outside strings; nothing if it never does.
std::optional<std::size_t> TooDeep(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kMaxJsonDepth) {
                return i;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return std::nullopt;
}

// The document applied to a scratch model holding mux; mux changes only when everything in it was good,
// and then the raw words go last, over whatever the rest gave.
std::vector<std::string> ApplyDocument(const TJson& doc, TMux& mux) {
    TSettings settings;
    TMux scratch(nullptr, nullptr, settings);
    scratch.Assign(mux);
    TBuilder builder(scratch);
    builder.Apply(doc);
    std::vector<std::string> faults = builder.Faults();
    if (faults.empty()) {
        mux.Assign(scratch);
        for (const auto& [index, word] : builder.RawWords()) {
            mux.StoreImageWord(index, word);
        }
    }
    return faults;
}

}  // namespace

std::vector<std::string> BuildFromJson(std::string_view text, TMux& mux) {
    if (text.size() > kMaxJsonBytes) {
        return {Format("документ длиннее %zu байт", kMaxJsonBytes)};
    }
    if (const auto deep = TooDeep(text)) {
        return {TextPlace(text, *deep) + Format(": вложенность глубже %d", kMaxJsonDepth)};
    }
    TJson doc;
    try {
        doc = TJson::parse(text);
    } catch (const TJson::parse_error& e) {
        // The library counts the byte it stopped at from 1.
        return {TextPlace(text, e.byte > 0 ? e.byte - 1 : 0) + ": неверный JSON"};
    }
    return ApplyDocument(doc, mux);
}

std::string DumpJson(const TMux& mux) {
    TJson doc = DumpDocument(NamedPart(mux, CollectDump(mux)));
    // Whatever the named sections leave unsaid goes as the words themselves: what building them gives is
    // compared with the image, word by word.
    TSettings settings;
    TMux built(nullptr, nullptr, settings);
    const std::vector<std::string> faults = ApplyDocument(doc, built);
    if (!faults.empty()) {
        throw std::logic_error("the build refuses the dump: " + faults.front());
    }
    TJson raw = RawRuns(built.Image(), mux.Image());
    if (!raw.empty()) {
        doc["raw"] = std::move(raw);
    }
    std::string text;
    WriteSpread(doc, 0, text);
    text += '\n';
    return text;
}

}  // namespace tervis::boards
