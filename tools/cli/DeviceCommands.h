#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tervis::cli {

// Exit statuses of the device commands (compare also uses 1 for "different", like diff).
constexpr int kExitOk = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;   // bad arguments, files, the port cannot be opened
constexpr int kExitNoAnswer = 3;  // the multiplexer did not answer within --timeout
constexpr int kExitMismatch = 4;  // load --verify: the device does not hold the file after the load

// read, load, compare, clear, restart, status, set-id. Needs a running Qt core application.
int RunDeviceCommand(const std::string& command, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err);
// ports: the serial ports of this machine, with their stable names where the system has them.
int RunPorts(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

bool IsDeviceCommand(const std::string& command);

}  // namespace tervis::cli
