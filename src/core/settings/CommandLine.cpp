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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string option = LowerAscii(args[i]);
        if (option == "--help") {
            return TStartupRequest::Help;
        }
        if (option == "--version") {
            return TStartupRequest::Version;
        }
        if (TakesValue(option)) {
            ++i;
        }
    }
    return TStartupRequest::Run;
}

}  // namespace tervis
