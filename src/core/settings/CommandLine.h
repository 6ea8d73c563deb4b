#pragma once

#include <string>
#include <vector>

#include "core/settings/Settings.h"

namespace tervis {

// The options, matched without regard to case; a value is the next argument:
//   -h <handle>   host window handle: hosted mode (a negative or non-numeric value is ignored)
//   -i <file>     settings file (an empty value is ignored)
//   -s <section>  settings section (an empty value is ignored)
//   -id <number>  RS-485 device number (a non-numeric value is ignored)
//   -a <path>     address path in text form
//   -u            restricted mode
// Every "'" is removed from the values of -i, -s and -a. Any other argument, the program's own path at
// index 0 included, is skipped by itself.
void ParseCommandLine(const std::vector<std::string>& args, TSettings& settings, TSettingsLocation& location);

// What the program is asked to do before it opens any window: "--help" or "--version" (without regard to
// case) as an argument of its own, not as the value of one of the options above, asks for a text
// instead of the window; the first of them counts.
enum class TStartupRequest { Run, Help, Version };
TStartupRequest StartupRequest(const std::vector<std::string>& args);

// "--data-folder" (without regard to case) as an argument of its own: the desktop launcher asks the
// configurator to work in the user's data folder for Tervis instead of the current folder.
bool StartsInDataFolder(const std::vector<std::string>& args);

}  // namespace tervis
