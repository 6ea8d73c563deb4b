#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervis {

// The private-profile (INI) layer. A file is a list of lines: "[section]" headers, "key=value" entries,
// ";" comments and anything else, which is kept as it is. Section and key names are case-insensitive
// (ASCII and the Cyrillic letters of Windows-1251); values are raw text, trimmed of blanks on reading.
// The file is Windows-1251 on disk; names and values in memory are UTF-8.

// The value of key in section, or defaultValue when the file, the section or the key is missing.
std::string GetProfileString(const std::filesystem::path& file, std::string_view section,
                             std::string_view key, std::string_view defaultValue);
// The value read as a decimal integer; defaultValue when it is missing or not a number.
int GetProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  int defaultValue);
// Sets key in section, keeping every other line of the file as it is. False when the file cannot be
// read or written, or the name or value cannot be held by a line of the file; the file is then unchanged.
bool WriteProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value);

// An optional sign and decimal digits, blanks around them allowed; nothing else.
std::optional<long long> ParseDecimal(std::string_view text);

// One file in memory, for several reads or writes with one load and one save.
class TProfileFile {
public:
    // A settings file is small; anything bigger is not one (a device such as /dev/zero, a wrong name).
    static constexpr std::uintmax_t kMaxBytes = 1024 * 1024;
    // A missing file loads as empty. False when the file exists but cannot be read, is not a regular
    // file or is larger than kMaxBytes; problem, when given, then receives the operator's message.
    bool Load(const std::filesystem::path& file, std::string* problem = nullptr);
    // Takes the lines of a file's bytes, as Load does once it has read them.
    void Parse(std::string_view bytes);
    // Writes a temporary file beside the target and renames it over, so that a failed write leaves the
    // old file as it was. False on any failure.
    bool Save(const std::filesystem::path& file) const;

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // A present key is replaced in place, a missing key is added after the last entry of its section, a
    // missing section is added at the end. False (nothing changed) for an empty name, a section name with
    // "]", a key name with "=" or starting with "[" or ";", and any line break.
    bool SetString(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes as they would be saved.
    std::string Text() const;
    // The names of its sections in file order (UTF-8), each name once however often it appears.
    std::vector<std::string> Sections() const;

private:
    struct TLine {
        std::string text;  // Windows-1251, without the line end
        std::string end;   // "\r\n", "\n", or empty for a last line without one
    };
    struct TPlace {
        std::size_t insertAfter = 0;  // the last entry of the first section of that name, or its header
        std::optional<std::size_t> keyLine;
    };

    std::optional<TPlace> Find(std::string_view section, std::string_view key) const;

    std::vector<TLine> lines_;
};

}  // namespace tervis
