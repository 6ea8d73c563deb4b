// The file commands of tervis-cli: "dump" shows a ".mux" file as text or JSON, "diff" compares two.
#include "FileCommands.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <ostream>
#include <sstream>
#include <variant>

#include "core/base/Errors.h"
#include "core/boards/BlockFields.h"
#include "core/config/ConfigJson.h"

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

constexpr const char* kBuildUsage =
    "Использование: tervis-cli build ДОКУМЕНТ.json -o ФАЙЛ.mux [--base ОСНОВА.mux]\n"
    "Строит конфигурацию \".mux\" из документа JSON в том виде, в каком его выводит dump --json\n"
    "(\"-\" - читать документ со стандартного ввода). Чего документ не называет, то берётся из новой\n"
    "конфигурации или, с --base, из файла ОСНОВА. Слот или слово настроек, не названные в документе,\n"
    "остаются как в основе; разделы links и signalling, если они есть, описывают свои таблицы целиком.\n"
    "Параметры плат задаются по названию и тексту пункта, как их показывает диалог платы (или словами\n"
    "block); именованные параметры ложатся поверх слов. Слова раздела raw пишутся в образ как есть,\n"
    "последними.\n"
    "  -o ФАЙЛ       куда записать конфигурацию (целиком или никак)\n"
    "  --base ФАЙЛ   конфигурация, на которую ложится документ\n"
    "  -h, --help    показать эту справку\n"
    "Коды завершения: 0 - записано, 2 - ошибка: по строке на каждую ошибку документа с путём JSON\n"
    "и тем, что допустимо; файл тогда не пишется.\n";

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
    std::string Output;  // -o
    std::string Base;    // --base
    std::vector<std::string> Files;
    std::string Error;  // the first thing wrong, empty if none
};

// What a command accepts besides --help.
enum class TOptions { None, Json, Build };

TArguments ParseArguments(const std::vector<std::string>& args, TOptions accepted) {
    TArguments parsed;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            parsed.Files.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.Help = true;
        } else if (accepted == TOptions::Json && arg == "--json") {
            parsed.Json = true;
        } else if (accepted == TOptions::Build && (arg == "-o" || arg == "--base")) {
            if (i + 1 == args.size()) {
                parsed.Error = parsed.Error.empty() ? "после " + arg + " нужно имя файла" : parsed.Error;
                break;
            }
            (arg == "-o" ? parsed.Output : parsed.Base) = args[++i];
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
    TOptions Accepts;
    std::size_t Files;
    const char* FilesError;  // what is said when the number of files is wrong
};

// The command's arguments, or the exit code when they are answered already: the usage on --help, or the
// trouble with them.
std::variant<TArguments, int> CommandArguments(const TCommandForm& form, const std::vector<std::string>& args,
                                               std::ostream& out, std::ostream& err) {
    TArguments parsed = ParseArguments(args, form.Accepts);
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

// Runs a command that reads configuration files: its arguments are taken as CommandArguments does, the
// files they name are loaded (trouble, with the reason on err, when one does not load), and then body
// gets both, with out, and gives the exit code.
int RunFileCommand(const TCommandForm& form, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err,
                   int (*body)(const TArguments&, const std::vector<const TMux*>&, std::ostream&)) {
    const auto arguments = CommandArguments(form, args, out, err);
    if (const int* exitCode = std::get_if<int>(&arguments)) {
        return *exitCode;
    }
    const TArguments& parsed = std::get<TArguments>(arguments);
    std::vector<std::unique_ptr<TLoadedMux>> loaded;
    std::vector<const TMux*> files;
    for (const std::string& name : parsed.Files) {
        loaded.push_back(std::make_unique<TLoadedMux>());
        if (!Load(*loaded.back(), name, err)) {
            return kExitTrouble;
        }
        files.push_back(&loaded.back()->Mux);
    }
    return body(parsed, files, out);
}

using boards::TConfigDump;
using TSlotEntry = boards::TDumpSlot;
using TSignallingEntry = boards::TDumpSignalling;

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

}  // namespace

std::vector<std::string> DumpLines(const TMux& mux) {
    const TConfigDump dump = boards::CollectDump(mux);
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
    for (const boards::TDumpSetting& entry : dump.Settings) {
        add(Format("W%d = %u: ", entry.Word, unsigned{entry.Value}) + entry.Meaning);
    }

    lines.emplace_back("Соединения:");
    for (const boards::TDumpLink& entry : dump.Links) {
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

namespace {

int ShowDump(const TArguments& parsed, const std::vector<const TMux*>& files, std::ostream& out) {
    if (parsed.Json) {
        out << boards::DumpJson(*files[0]);
    } else {
        for (const std::string& line : DumpLines(*files[0])) {
            out << line << '\n';
        }
    }
    return kExitSame;
}

int ShowDifferences(const TArguments&, const std::vector<const TMux*>& files, std::ostream& out) {
    const TMux& left = *files[0];
    const TMux& right = *files[1];
    std::vector<std::string> lines = left.MismatchLines(right);
    const std::vector<std::string> settings = BlockSettingDifferences(left, right);
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

}  // namespace

int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunFileCommand({"dump", kDumpUsage, TOptions::Json, 1, "нужно указать один файл конфигурации"},
                          args, out, err, ShowDump);
}

int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunFileCommand({"diff", kDiffUsage, TOptions::None, 2, "нужно указать два файла конфигурации"},
                          args, out, err, ShowDifferences);
}

namespace {

// The document named on the command line ("-" standard input), cut off past the largest one the build
// reads so that a runaway pipe cannot fill the memory.
bool ReadDocument(const std::string& name, std::istream& in, std::string& text, std::ostream& err) {
    std::ifstream file;
    std::istream* source = &in;
    if (name != "-") {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(name, ec)) {
            err << "Файл " << name << " не найден\n";
            return false;
        }
        file.open(name, std::ios::binary);
        if (!file) {
            err << "Не удалось открыть файл " << name << '\n';
            return false;
        }
        source = &file;
    }
    text.assign(boards::kMaxJsonBytes + 1, '\0');
    source->read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(source->gcount()));
    if (source->bad()) {
        err << "Ошибка чтения " << (name == "-" ? std::string("стандартного ввода") : name) << '\n';
        return false;
    }
    return true;
}

}  // namespace

int RunBuild(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    const auto arguments = CommandArguments(
        {"build", kBuildUsage, TOptions::Build, 1, "нужно указать один документ JSON"}, args, out, err);
    if (const int* exitCode = std::get_if<int>(&arguments)) {
        return *exitCode;
    }
    const TArguments& parsed = std::get<TArguments>(arguments);
    if (parsed.Output.empty()) {
        return Trouble(err, "build", "нужно указать -o ФАЙЛ.mux");
    }
    auto target = std::make_unique<TLoadedMux>();
    if (!parsed.Base.empty() && !Load(*target, parsed.Base, err)) {
        return kExitTrouble;
    }
    std::string text;
    if (!ReadDocument(parsed.Files.front(), in, text, err)) {
        return kExitTrouble;
    }
    try {
        const std::vector<std::string> faults = boards::BuildFromJson(text, target->Mux);
        if (!faults.empty()) {
            for (const std::string& fault : faults) {
                err << fault << '\n';
            }
            return kExitTrouble;
        }
        target->Mux.SaveToFile(parsed.Output);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return kExitTrouble;
    }
    return kExitSame;
}

}  // namespace tervis::cli
