// The command lines: arguments split at zero bytes. For the program, whatever is given, the values land
// where they belong with their quotes removed, and the rest keeps its defaults. The same words go to
// tervis-cli's dump and diff, in a folder with one whole and one short configuration file, and end with
// one of their exit codes.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FileCommands.h"
#include "FuzzInput.h"
#include "core/settings/CommandLine.h"
#include "support/TempDir.h"

namespace {

// Names lead into the scratch folder: the fuzzer is not to read the machine's files. The folder is not
// made the current one, since the fuzzer reads its corpus by relative names.
std::vector<std::string> InsideFolder(std::vector<std::string> args, const std::filesystem::path& folder) {
    for (std::string& arg : args) {
        if (arg.find('/') != std::string::npos || arg.find("..") != std::string::npos) {
            arg = "elsewhere.mux";
        }
        if (!arg.empty() && arg[0] != '-') {
            arg = (folder / arg).string();
        }
    }
    return args;
}

void RunCliCommands(const std::vector<std::string>& words) {
    static const tervis::test::TTempDir folder;
    static const bool prepared = [] {
        tervis::test::WriteBytes(folder / "a.mux", std::string(65534, '\x01'));
        tervis::test::WriteBytes(folder / "b.mux", std::string(100, '\x01'));
        return true;
    }();
    FUZZ_CHECK(prepared);
    const std::vector<std::string> args = InsideFolder(words, folder.Path());
    std::ostringstream out;
    std::ostringstream err;
    const int dump = tervis::cli::RunDump(args, out, err);
    FUZZ_CHECK(dump == 0 || dump == 2);
    const int diff = tervis::cli::RunDiff(args, out, err);
    FUZZ_CHECK(diff == 0 || diff == 1 || diff == 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (char c : tervis::fuzz::AsText(data, size)) {
        if (c == '\0') {
            args.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    args.push_back(std::move(current));

    tervis::TSettings settings;
    tervis::TSettingsLocation location{"tervis.ini", "SETTINGS"};
    tervis::ParseCommandLine(args, settings, location);

    const auto noQuote = [](const std::string& text) { return text.find('\'') == std::string::npos; };
    FUZZ_CHECK(settings.hostWindow >= -1);
    FUZZ_CHECK(noQuote(settings.address) && noQuote(location.section) && noQuote(location.file.string()));
    FUZZ_CHECK(!location.section.empty() && !location.file.empty());
    // Only -u turns restricted mode on, and only the options with values change anything else.
    const bool anyRestricted = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a.size() == 2 && a[0] == '-' && (a[1] == 'u' || a[1] == 'U');
    });
    FUZZ_CHECK(!settings.restricted || anyRestricted);
    const tervis::TSettings defaults;
    FUZZ_CHECK(settings.device == defaults.device && settings.lastfile == defaults.lastfile);

    RunCliCommands(args);
    return 0;
}
