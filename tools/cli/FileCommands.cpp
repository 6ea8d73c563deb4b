// The file commands of tervis-cli: "dump" shows a ".mux" file as text or JSON, "diff" compares two.
#include "FileCommands.h"

#include <exception>
#include <memory>
#include <ostream>
#include <sstream>
#include <variant>

#include "core/base/Errors.h"
#include "core/boards/BlockFields.h"
#include "core/crossconnect/ConnectionList.h"

namespace tervis::cli {

namespace {

// The same numbers as the device commands' codes; kept to this file so the two headers can meet in
// one program.
constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

constexpr const char* kDumpUsage =
    "Использование: tervis-cli dump [--json] ФАЙЛ\n"
    "Выводит конфигурацию из файла \".mux\": платы (тип, параметры, слова блока конфигурации W0..W8\n"
    "в шестнадцатеричном виде), настройки мультиплексора W0..W9, соединения и сигнальные биты,\n"
    "отличные от исходных (0101, 0000). Вывод построчный и всегда в одном порядке, поэтому два\n"
    "вывода удобно сравнивать.\n"
    "  --json      вывести то же содержимое в формате JSON\n"
    "  -h, --help  показать эту справку\n"
    "Коды завершения: 0 - успешно, 2 - ошибка (неверные параметры, файл не найден или не читается).\n";

constexpr const char* kDiffUsage =
    "Использование: tervis-cli diff ЛЕВЫЙ ПРАВЫЙ\n"
    "Сравнивает две конфигурации \".mux\" так же, как команда \"Сравнить\": слева ЛЕВЫЙ (конфигурация\n"
    "программы), справа ПРАВЫЙ (конфигурация мультиплексора). Выводит строки несовпадений или\n"
    "\"Отличий не найдено\".\n"
    "  -h, --help  показать эту справку\n"
    "Коды завершения: 0 - отличий нет, 1 - есть отличия, 2 - ошибка (неверные параметры, файл\n"
    "не найден или не читается).\n";

// Keeps the model's messages to the operator so that the command can print them.
class TMessageCollector : public IOperatorMessages {
public:
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void ShowReport(const std::vector<std::string>& lines) override {
        Messages.insert(Messages.end(), lines.begin(), lines.end());
    }
    std::vector<std::string> Messages;
};

// A configuration read from a file, with settings of its own: a command never touches the
// process-wide ones.
struct TLoadedMux {
    TSettings Settings;
    TMessageCollector Messages;
    TMux Mux{nullptr, &Messages, Settings};
};

// Loads name; on failure the reason is on err and the result is false.
bool Load(TLoadedMux& loaded, const std::string& name, std::ostream& err) {
    try {
        if (loaded.Mux.LoadFromFile(name)) {
            return true;
        }
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return false;
    }
    // The model refuses a missing file with its own message ("Файл ... не найден").
    for (const std::string& message : loaded.Messages.Messages) {
        err << message << '\n';
    }
    if (loaded.Messages.Messages.empty()) {
        err << "Файл " << name << " не найден\n";
    }
    return false;
}

// Options and operands of one command line.
struct TArguments {
    bool Help = false;
    bool Json = false;
    std::vector<std::string> Files;
    std::string Error;  // the first thing wrong, empty if none
};

TArguments ParseArguments(const std::vector<std::string>& args, bool acceptJson) {
    TArguments parsed;
    bool optionsEnd = false;
    for (const std::string& arg : args) {
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            parsed.Files.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.Help = true;
        } else if (acceptJson && arg == "--json") {
            parsed.Json = true;
        } else if (parsed.Error.empty()) {
            parsed.Error = "неизвестный параметр " + arg;
        }
    }
    return parsed;
}

int Trouble(std::ostream& err, const std::string& command, const std::string& text) {
    err << "tervis-cli " << command << ": " << text << '\n'
        << "Справка: tervis-cli " << command << " --help\n";
    return kExitTrouble;
}

// What a file command takes: its name and usage, whether it writes JSON, how many files.
struct TCommandForm {
    const char* Name;
    const char* Usage;
    bool AcceptsJson;
    std::size_t Files;
    const char* FilesError;  // what is said when the number of files is wrong
};

// The command's arguments, or the exit code when they are answered already: the usage on --help, or the
// trouble with them.
std::variant<TArguments, int> CommandArguments(const TCommandForm& form, const std::vector<std::string>& args,
                                               std::ostream& out, std::ostream& err) {
    TArguments parsed = ParseArguments(args, form.AcceptsJson);
    if (parsed.Help) {
        out << form.Usage;
        return kExitSame;
    }
    if (!parsed.Error.empty()) {
        return Trouble(err, form.Name, parsed.Error);
    }
    if (parsed.Files.size() != form.Files) {
        return Trouble(err, form.Name, form.FilesError);
    }
    return parsed;
}

// --- what a dump shows; the text and the JSON form are both made from this

struct TSlotEntry {
    int Slot = 0;
    TSlotType Record;
    TBoardConfig Block{};
};

struct TSettingEntry {
    int Word = 0;
    std::uint16_t Value = 0;
    std::string Meaning;
};

struct TLinkEntry {
    std::uint16_t Endpoint = 0;  // kEndpointNone for the measurer
    std::uint16_t Link = 0;
    std::string Text;  // the connection list's line
};

struct TSignallingEntry {
    int Slot = 0;
    int Channel = 0;
    std::uint16_t Value = 0;
    bool Group = false;  // a LAN timeslot: Value is the owning group (or above 31 for a free timeslot)
    std::string Text;
};

struct TDump {
    std::vector<TSlotEntry> Slots;
    std::vector<TSettingEntry> Settings;
    std::vector<TLinkEntry> Links;
    std::vector<TSignallingEntry> Signalling;
};

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

TDump CollectDump(const TMux& mux) {
    TDump dump;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        TSlotEntry entry{slot, mux.GetSlotType(slot), mux.GetBoardConfig(slot)};
        // An empty slot is left out unless a foreign file left words in it.
        const bool empty = entry.Record == TSlotType{} && entry.Block == TBoardConfig{};
        if (!empty) {
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
        const bool lan = mux.SlotBoardType(slot) == btLAN;
        const int channels = mux.SlotChannels(slot);
        for (int channel = 0; channel < channels; ++channel) {
            const std::uint16_t value = mux.GetSignalling(
                MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel)));
            if (value != kSignallingDefault) {
                const bool group = lan && channel < 32;
                dump.Signalling.push_back({slot, channel, value, group, SignallingText(value, group)});
            }
        }
    }
    return dump;
}

std::string SlotLine(const TSlotEntry& entry) {
    std::string line = Format("слот %d (%s): ", entry.Slot, BoardTypeName(entry.Record.Type).c_str());
    if (entry.Record.Param1 != 0 || entry.Record.Param2 != 0) {
        line += Format("параметры %04X %04X, ", unsigned{entry.Record.Param1}, unsigned{entry.Record.Param2});
    }
    line += "блок";
    for (std::uint16_t word : entry.Block) {
        line += Format(" %04X", unsigned{word});
    }
    return line;
}

std::string SignallingLine(const TMux& mux, const TSignallingEntry& entry) {
    const std::string name = BoardTypeName(mux.SlotBoardType(entry.Slot));
    return Format("слот %d (%s), канал %d: ", entry.Slot, name.c_str(), entry.Channel) + entry.Text;
}

// --- a small JSON writer: objects and arrays either spread over indented lines or kept on one line

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject(bool oneLine = false) { Open('{', oneLine); }
    void EndObject() { Close('}'); }
    void BeginArray(bool oneLine = false) { Open('[', oneLine); }
    void EndArray() { Close(']'); }
    void Key(std::string_view name) {
        Separate();
        out_ << JsonQuote(name) << ": ";
        afterKey_ = true;
    }
    void String(std::string_view text) {
        Separate();
        out_ << JsonQuote(text);
    }
    void Number(long long value) {
        Separate();
        out_ << value;
    }
    void Bool(bool value) {
        Separate();
        out_ << (value ? "true" : "false");
    }
    void Null() {
        Separate();
        out_ << "null";
    }

private:
    struct TFrame {
        bool OneLine = false;
        int Count = 0;
    };

    // Writes what goes before the next member or element.
    void Separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (frames_.empty()) {
            return;
        }
        TFrame& frame = frames_.back();
        if (frame.Count > 0) {
            out_ << ',';
        }
        if (frame.OneLine) {
            if (frame.Count > 0) {
                out_ << ' ';
            }
        } else {
            NewLine(frames_.size());
        }
        ++frame.Count;
    }
    void Open(char bracket, bool oneLine) {
        Separate();
        out_ << bracket;
        // Inside a one-line value everything stays on that line.
        frames_.push_back({oneLine || (!frames_.empty() && frames_.back().OneLine), 0});
    }
    void Close(char bracket) {
        const TFrame frame = frames_.back();
        frames_.pop_back();
        if (!frame.OneLine && frame.Count > 0) {
            NewLine(frames_.size());
        }
        out_ << bracket;
        if (frames_.empty()) {
            out_ << '\n';
        }
    }
    void NewLine(std::size_t depth) {
        out_ << '\n';
        for (std::size_t i = 0; i < depth; ++i) {
            out_ << "  ";
        }
    }

    std::ostream& out_;
    std::vector<TFrame> frames_;
    bool afterKey_ = false;
};

// A key whose value is an array of objects, one an item, each object's fields written by writeFields.
template <typename TItems, typename F>
void ObjectArray(TJsonWriter& json, const char* key, const TItems& items, bool oneLine, F writeFields) {
    json.Key(key);
    json.BeginArray();
    for (const auto& item : items) {
        json.BeginObject(oneLine);
        writeFields(item);
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

std::string JsonQuote(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\b':
                quoted += "\\b";
                break;
            case '\f':
                quoted += "\\f";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    quoted += Format("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                } else {
                    quoted += c;  // bytes of UTF-8 sequences pass through as they are
                }
        }
    }
    quoted += '"';
    return quoted;
}

std::vector<std::string> DumpLines(const TMux& mux) {
    const TDump dump = CollectDump(mux);
    std::vector<std::string> lines;
    const auto add = [&lines](const std::string& line) { lines.push_back("  " + line); };

    lines.emplace_back("Платы:");
    for (const TSlotEntry& entry : dump.Slots) {
        add(SlotLine(entry));
        // The block in the words of the board's dialog, below its hex words.
        for (const boards::TSettingText& setting : boards::DescribeBlock(entry.Record.Type, entry.Block)) {
            add("  " + boards::SettingName(setting) + ": " + setting.Value);
        }
    }
    if (dump.Slots.empty()) {
        add("нет");
    }

    lines.emplace_back("Настройки мультиплексора:");
    for (const TSettingEntry& entry : dump.Settings) {
        add(Format("W%d = %u: ", entry.Word, unsigned{entry.Value}) + entry.Meaning);
    }

    lines.emplace_back("Соединения:");
    for (const TLinkEntry& entry : dump.Links) {
        add(entry.Text);
    }
    if (dump.Links.empty()) {
        add("нет");
    }

    lines.emplace_back("Сигнальные биты:");
    for (const TSignallingEntry& entry : dump.Signalling) {
        add(SignallingLine(mux, entry));
    }
    if (dump.Signalling.empty()) {
        add("нет");
    }
    return lines;
}

std::string DumpJson(const TMux& mux) {
    const TDump dump = CollectDump(mux);
    std::ostringstream text;
    TJsonWriter json(text);
    json.BeginObject();

    ObjectArray(json, "slots", dump.Slots, true, [&](const TSlotEntry& entry) {
        json.Key("slot");
        json.Number(entry.Slot);
        json.Key("type");
        json.Number(entry.Record.Type);
        json.Key("name");
        json.String(BoardTypeName(entry.Record.Type));
        json.Key("params");
        json.BeginArray();
        json.Number(entry.Record.Param1);
        json.Number(entry.Record.Param2);
        json.EndArray();
        json.Key("block");
        json.BeginArray();
        for (std::uint16_t word : entry.Block) {
            json.Number(word);
        }
        json.EndArray();
        if (const auto settings = boards::DescribeBlock(entry.Record.Type, entry.Block); !settings.empty()) {
            ObjectArray(json, "settings", settings, false, [&](const boards::TSettingText& setting) {
                json.Key("set");
                if (setting.Set < 0) {
                    json.Null();
                } else {
                    json.Number(setting.Set);
                }
                json.Key("name");
                json.String(setting.Caption);
                json.Key("value");
                json.String(setting.Value);
            });
        }
    });

    ObjectArray(json, "settings", dump.Settings, true, [&](const TSettingEntry& entry) {
        json.Key("word");
        json.String(Format("W%d", entry.Word));
        json.Key("value");
        json.Number(entry.Value);
        json.Key("meaning");
        json.String(entry.Meaning);
    });

    ObjectArray(json, "links", dump.Links, true, [&](const TLinkEntry& entry) {
        json.Key("endpoint");
        if (entry.Endpoint == kEndpointNone) {
            json.Null();  // the measurer: it is no channel
        } else {
            json.Number(entry.Endpoint);
        }
        json.Key("link");
        json.Number(entry.Link);
        json.Key("text");
        json.String(entry.Text);
    });

    ObjectArray(json, "signalling", dump.Signalling, true, [&](const TSignallingEntry& entry) {
        json.Key("slot");
        json.Number(entry.Slot);
        json.Key("channel");
        json.Number(entry.Channel);
        json.Key("value");
        json.Number(entry.Value);
        if (entry.Group) {
            json.Key("group");
            if (entry.Value <= 31) {
                json.Number(entry.Value);
            } else {
                json.Null();
            }
        } else {
            json.Key("abcd");
            json.String(IntToBin(entry.Value >> 4, 4));
            json.Key("active");
            json.String(IntToBin(entry.Value, 4));
        }
        json.Key("text");
        json.String(entry.Text);
    });

    json.EndObject();
    return text.str();
}

// Where a slot holds the same board on both sides, the settings its block differs in:
// "слот 0 (4E1), комплект 2: кодировка AMI: нет → да".
std::vector<std::string> BlockSettingDifferences(const TMux& left, const TMux& right) {
    std::vector<std::string> lines;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint8_t type = left.SlotBoardType(slot);
        if (type != right.SlotBoardType(slot)) {
            continue;
        }
        const auto before = boards::DescribeBlock(type, left.GetBoardConfig(slot));
        const auto after = boards::DescribeBlock(type, right.GetBoardConfig(slot));
        for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
            if (before[i].Value != after[i].Value) {
                lines.push_back(Format("слот %d (%s), ", slot, BoardTypeName(type).c_str()) +
                                boards::SettingName(before[i]) + ": " + before[i].Value + " → " +
                                after[i].Value);
            }
        }
    }
    return lines;
}

int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto arguments = CommandArguments(
        {"dump", kDumpUsage, true, 1, "нужно указать один файл конфигурации"}, args, out, err);
    if (const int* exitCode = std::get_if<int>(&arguments)) {
        return *exitCode;
    }
    const TArguments& parsed = std::get<TArguments>(arguments);
    auto loaded = std::make_unique<TLoadedMux>();
    if (!Load(*loaded, parsed.Files.front(), err)) {
        return kExitTrouble;
    }
    if (parsed.Json) {
        out << DumpJson(loaded->Mux);
    } else {
        for (const std::string& line : DumpLines(loaded->Mux)) {
            out << line << '\n';
        }
    }
    return kExitSame;
}

int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto arguments = CommandArguments(
        {"diff", kDiffUsage, false, 2, "нужно указать два файла конфигурации"}, args, out, err);
    if (const int* exitCode = std::get_if<int>(&arguments)) {
        return *exitCode;
    }
    const TArguments& parsed = std::get<TArguments>(arguments);
    auto left = std::make_unique<TLoadedMux>();
    auto right = std::make_unique<TLoadedMux>();
    if (!Load(*left, parsed.Files[0], err) || !Load(*right, parsed.Files[1], err)) {
        return kExitTrouble;
    }
    std::vector<std::string> lines = left->Mux.MismatchLines(right->Mux);
    const std::vector<std::string> settings = BlockSettingDifferences(left->Mux, right->Mux);
    lines.insert(lines.end(), settings.begin(), settings.end());
    if (lines.empty()) {
        out << "Отличий не найдено\n";
        return kExitSame;
    }
    for (const std::string& line : lines) {
        out << line << '\n';
    }
    return kExitDifferent;
}

}  // namespace tervis::cli
