#include "core/settings/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tervis {
namespace {

// What the command line changed, against the settings and location it started from.
std::string Changes(const TSettings& settings, const TSettingsLocation& location) {
    const TSettings defaults;
    std::string text;
    const auto add = [&text](const std::string& change) { text += (text.empty() ? "" : " ") + change; };
    if (settings.hostWindow != defaults.hostWindow) {
        add("host=" + std::to_string(settings.hostWindow));
    }
    if (settings.rs485id != defaults.rs485id) {
        add("id=" + std::to_string(settings.rs485id));
    }
    if (settings.address != defaults.address) {
        add("address=" + settings.address);
    }
    if (settings.restricted) {
        add("restricted");
    }
    if (location.file != "/run/tervis.ini") {
        add("file=" + location.file.string());
    }
    if (location.section != "SETTINGS") {
        add("section=" + location.section);
    }
    if (settings.device != defaults.device || settings.usespeaker || settings.usewave ||
        settings.alarmconnect || settings.uselog || settings.cashedtrx || !settings.lastfile.empty()) {
        add("file keys touched");
    }
    return text;
}

TEST(CommandLine, Options) {
    struct TCase {
        std::vector<std::string> args;  // after the program's path
        std::string changes;
    };
    const std::vector<TCase> cases = {
        {{}, ""},
        {{"-u"}, "restricted"},
        {{"-U"}, "restricted"},
        {{"-I", "other.ini"}, "file=other.ini"},
        {{"-i", "'/etc/my settings.ini'"}, "file=/etc/my settings.ini"},
        {{"-s", "'Pult 2'"}, "section=Pult 2"},
        {{"-a", "'1:2 3:4'"}, "address=1:2 3:4"},
        {{"-A", "it's"}, "address=its"},
        {{"-id", "7"}, "id=7"},
        {{"-ID", "12", "-id", "x3"}, "id=12"},  // a later junk value changes nothing
        {{"-h", "123456"}, "host=123456"},
        {{"-H", "0"}, "host=0"},
        {{"-h", "abc"}, ""},
        {{"-h", "-5"}, ""},  // a negative handle is refused
        {{"-h"}, ""},        // a missing value is empty
        {{"-i"}, ""},
        {{"-i", "''", "-s", ""}, ""},            // empty names keep the defaults
        {{"-a", "-u"}, "address=-u"},            // a value is taken even when it looks like an option
        {{"-x", "5", "-u"}, "restricted"},       // unknown option and its number skipped one by one
        {{"-q", "-u", "7"}, "restricted"},       // the unknown option does not swallow -u
        {{"-id", "3", "-a"}, "id=3"},            // the last option's value is empty
        {{"-uu", "u", "--u", "-idx", "4"}, ""},  // only whole options count
        {{"-h", "77", "-id", "3", "-u"}, "host=77 id=3 restricted"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"/opt/tervis/tervis"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        TSettings settings;
        TSettingsLocation location = {"/run/tervis.ini", "SETTINGS"};
        ParseCommandLine(args, settings, location);

        std::string line;
        for (const std::string& arg : c.args) {
            line += "[" + arg + "]";
        }
        EXPECT_EQ(Changes(settings, location), c.changes) << line;
    }
}

// --help and --version are answered before any window exists, so they must not be mistaken for the value of
// an option, nor an option's value for them.
TEST(CommandLine, StartupRequestSkipsOptionValues) {
    struct TCase {
        std::vector<std::string> args;
        TStartupRequest request;
    };
    const std::vector<TCase> cases = {
        {{}, TStartupRequest::Run},
        {{"--help"}, TStartupRequest::Help},
        {{"-u", "--VERSION"}, TStartupRequest::Version},
        {{"--version", "--help"}, TStartupRequest::Version},
        {{"-i", "--help"}, TStartupRequest::Run},           // a settings file of that name
        {{"-A", "--version", "-u"}, TStartupRequest::Run},  // an address, whatever it says
        {{"-x", "--help"}, TStartupRequest::Help},          // an unknown option takes no value
        {{"-help", "help", "-version"}, TStartupRequest::Run},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"/opt/tervis/tervis"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(StartupRequest(args), c.request) << testing::PrintToString(c.args);
    }
}

TEST(CommandLine, DataFolderIsAnArgumentOfItsOwnInAnyCase) {
    const std::vector<std::pair<std::vector<std::string>, bool>> cases = {
        {{"--data-folder"}, true},
        {{"-u", "--Data-Folder"}, true},
        {{"-a", "--data-folder"}, false},  // an address, whatever it says
        {{"-i", "--data-folder", "-u"}, false},
        {{"--data-folder=x", "data-folder"}, false},
    };
    for (const auto& [extra, expected] : cases) {
        std::vector<std::string> args = {"/usr/bin/tervis"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(StartsInDataFolder(args), expected) << testing::PrintToString(extra);
    }
}

}  // namespace
}  // namespace tervis
