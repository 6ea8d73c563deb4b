#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/ConfigJson.h"
#include "core/model/Mux.h"

namespace tervis::cli {

// Exit codes, as diff(1) has them: 0 done (diff: no difference), 1 diff found differences,
// 2 trouble (bad arguments, a missing, short or unreadable file).

// "dump [--json] FILE": the configuration of a ".mux" file as text (or JSON) on out.
// args are the words after the command name. Messages go to err.
int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "diff LEFT RIGHT": the mismatch lines with LEFT as the program's side, or "Отличий не найдено".
// args are the words after the command name. Messages go to err.
int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "build DOCUMENT -o FILE [--base OTHER]": the inverse of dump --json; DOCUMENT "-" is read from in.
// Writes FILE whole or not at all; faults of the document go to err, one line each, with exit code 2.
int RunBuild(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// The text form of a dump, one entry per line, so that two dumps compare line by line.
std::vector<std::string> DumpLines(const TMux& mux);
// The same content as a JSON document: the core's JSON form, which build reads back.
using boards::DumpJson;
using boards::JsonQuote;

}  // namespace tervis::cli
