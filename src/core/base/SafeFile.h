#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tervis {

// Replaces the file's contents with bytes: a complete copy is written beside it and renamed over it, so a
// failed or interrupted write leaves the previous file as it was. A symbolic link keeps pointing at the
// replaced file, and the file keeps its permissions. Raises EInOutError naming the file and the cause.
void ReplaceFileContents(const std::filesystem::path& name, std::string_view bytes);

// The reason of a system error (errno) in Russian.
std::string SystemErrorText(int error);

// The text of a file failure: what failed, the file, and the system's reason when error is not 0.
std::string IoMessage(const char* what, const std::filesystem::path& name, int error);

}  // namespace tervis
