#include "core/settings/CommandLine.h"

#include <algorithm>
#include <climits>

#include "core/settings/IniFile.h"

namespace tervis {

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Quotes that a starting program or a shell left in place.
std::string WithoutQuotes(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\''), text.end());
    return text;
}

bool TakesValue(const std::string& option) {
    return option == "-h" || option == "-i" || option == "-s" || option == "-id" || option == "-a";
}

// The arguments in lower case that are not the value of an option before them.
std::vector<std::string> Switches(const std::vector<std::string>& args) {
    std::vector<std::string> switches;
    for (std::size_t i = 0; i < args.size(); ++i) {
        switches.push_back(LowerAscii(args[i]));
        if (TakesValue(switches.back())) {
            ++i;
        }
    }
    return switches;
}

}  // namespace

void ParseCommandLine(const std::vector<std::string>& args, TSettings& settings,
                      TSettingsLocation& location) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string option = LowerAscii(args[i]);
        if (!TakesValue(option)) {
            if (option == "-u") {
                settings.restricted = true;
            }
            continue;
        }
        const std::string value = i + 1 < args.size() ? args[++i] : std::string();
        if (option == "-h") {
            // Handles are never negative; -1 would silently mean "not hosted" and the rest is junk.
            const std::optional<long long> handle = ParseDecimal(value);
            if (handle && *handle >= 0) {
                settings.hostWindow = *handle;
            }
        } else if (option == "-id") {
            const std::optional<long long> id = ParseDecimal(value);
            if (id && *id >= INT_MIN && *id <= INT_MAX) {
                settings.rs485id = static_cast<int>(*id);
            }
        } else if (option == "-a") {
            settings.address = WithoutQuotes(value);
        } else {
            // An empty file or section name has no sensible meaning, so the defaults stay.
            std::string name = WithoutQuotes(value);
            if (!name.empty()) {
                if (option == "-i") {
                    location.file = std::move(name);
                } else {
                    location.section = std::move(name);
                }
            }
        }
    }
}

TStartupRequest StartupRequest(const std::vector<std::string>& args) {
    for (const std::string& option : Switches(args)) {
        if (option == "--help") {
            return TStartupRequest::Help;
        }
        if (option == "--version") {
            return TStartupRequest::Version;
        }
    }
    return TStartupRequest::Run;
}

bool StartsInDataFolder(const std::vector<std::string>& args) {
    const std::vector<std::string> switches = Switches(args);
    return std::find(switches.begin(), switches.end(), "--data-folder") != switches.end();
}

}  // namespace tervis
