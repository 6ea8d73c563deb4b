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

}  // namespace tervis
