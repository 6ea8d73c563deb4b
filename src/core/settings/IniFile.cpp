#include "core/settings/IniFile.h"

#include <array>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/base/Cp1251.h"
#include "core/base/Errors.h"
#include "core/base/SafeFile.h"

namespace tervis {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Capital to small letter in Windows-1251: Latin, the Russian alphabet and the other Cyrillic letters.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<unsigned char>(i);
    }
    for (std::size_t c = 'A'; c <= 'Z'; ++c) {
        table[c] = static_cast<unsigned char>(c + 0x20);
    }
    for (std::size_t c = 0xC0; c <= 0xDF; ++c) {
        table[c] = static_cast<unsigned char>(c + 0x20);
    }
    constexpr std::array<std::array<unsigned char, 2>, 14> kPairs = {{
        {0x80, 0x90},  // Ђ ђ
        {0x81, 0x83},  // Ѓ ѓ
        {0x8A, 0x9A},  // Љ љ
        {0x8C, 0x9C},  // Њ њ
        {0x8D, 0x9D},  // Ќ ќ
        {0x8E, 0x9E},  // Ћ ћ
        {0x8F, 0x9F},  // Џ џ
        {0xA1, 0xA2},  // Ў ў
        {0xA3, 0xBC},  // Ј ј
        {0xA5, 0xB4},  // Ґ ґ
        {0xA8, 0xB8},  // Ё ё
        {0xAA, 0xBA},  // Є є
        {0xAF, 0xBF},  // Ї ї
        {0xB2, 0xB3},  // І і
    }};
    for (const auto& pair : kPairs) {
        table[pair[0]] = pair[1];
    }
    table[0xBD] = 0xBE;  // Ѕ ѕ
    return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

bool SameName(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (kFold[static_cast<unsigned char>(left[i])] != kFold[static_cast<unsigned char>(right[i])]) {
            return false;
        }
    }
    return true;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// What a line of the file is. Comment lines and lines that are neither header nor entry are kept and
// otherwise ignored.
struct TParsedLine {
    enum class TKind { Other, Header, Entry } kind = TKind::Other;
    std::string_view name;   // section name of a header, key of an entry
    std::string_view value;  // value of an entry, trimmed
};

TParsedLine ParseLine(std::string_view line) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';') {
        return {};
    }
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            return {TParsedLine::TKind::Header, Trim(text.substr(1, close - 1)), {}};
        }
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    const std::string_view key = Trim(text.substr(0, equals));
    if (key.empty()) {
        return {};
    }
    return {TParsedLine::TKind::Entry, key, Trim(text.substr(equals + 1))};
}

}  // namespace

std::optional<long long> ParseDecimal(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

bool TProfileFile::Load(const fs::path& file, std::string* problem) {
    lines_.clear();
    const auto fail = [&](const std::string& why) {
        if (problem != nullptr) {
            *problem = "Файл настроек " + file.string() + " " + why;
        }
        return false;
    };
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) {
        return true;
    }
    // Only a regular file is read: a device or a pipe could block or never end.
    if (ec || !fs::is_regular_file(status)) {
        return fail("не является обычным файлом");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return fail("не удаётся прочитать");
    }
    // Piece by piece up to one byte more than allowed, so that a file that grew past the limit is noticed
    // and a small file costs no more than its size.
    std::string bytes;
    char chunk[8192];
    while (bytes.size() <= kMaxBytes && in.read(chunk, sizeof chunk).gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return fail("не удаётся прочитать");
    }
    if (bytes.size() > kMaxBytes) {
        return fail("больше 1 МБ");
    }
    Parse(bytes);
    return true;
}

void TProfileFile::Parse(std::string_view bytes) {
    lines_.clear();
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t newline = bytes.find('\n', start);
        if (newline == std::string_view::npos) {
            lines_.push_back({std::string(bytes.substr(start)), ""});
            break;
        }
        std::size_t stop = newline;
        if (stop > start && bytes[stop - 1] == '\r') {
            --stop;
        }
        lines_.push_back({std::string(bytes.substr(start, stop - start)),
                          std::string(bytes.substr(stop, newline + 1 - stop))});
        start = newline + 1;
    }
}

std::string TProfileFile::Text() const {
    std::string text;
    for (const TLine& line : lines_) {
        text += line.text;
        text += line.end;
    }
    return text;
}

bool TProfileFile::Save(const fs::path& file) const {
    try {
        ReplaceFileContents(file, Text());
        return true;
    } catch (const EInOutError&) {
        return false;  // a settings file that cannot be written is not reported
    }
}

std::vector<std::string> TProfileFile::Sections() const {
    std::vector<std::string> names;
    for (const TLine& line : lines_) {
        const TParsedLine parsed = ParseLine(line.text);
        if (parsed.kind != TParsedLine::TKind::Header) {
            continue;
        }
        bool seen = false;
        for (const std::string& name : names) {
            seen = seen || SameName(Utf8ToCp1251(name), parsed.name);
        }
        if (!seen) {
            names.push_back(Cp1251ToUtf8(parsed.name));
        }
    }
    return names;
}

std::optional<TProfileFile::TPlace> TProfileFile::Find(std::string_view section, std::string_view key) const {
    // A key is looked up in every section of the name, in order; a new key goes into the first of them.
    std::optional<TPlace> place;
    bool inSection = false;
    bool inFirstSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const TParsedLine parsed = ParseLine(lines_[i].text);
        if (parsed.kind == TParsedLine::TKind::Header) {
            inSection = SameName(parsed.name, section);
            inFirstSection = inSection && !place;
            if (inFirstSection) {
                place = TPlace{i, std::nullopt};
            }
        } else if (parsed.kind == TParsedLine::TKind::Entry && inSection) {
            if (SameName(parsed.name, key)) {
                place->keyLine = i;
                return place;
            }
            if (inFirstSection) {
                place->insertAfter = i;
            }
        }
    }
    return place;
}

std::string TProfileFile::GetString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const std::string sectionName(Trim(Utf8ToCp1251(section)));
    const std::string keyName(Trim(Utf8ToCp1251(key)));
    const std::optional<TPlace> place = Find(sectionName, keyName);
    if (!place || !place->keyLine) {
        return std::string(defaultValue);
    }
    return Cp1251ToUtf8(ParseLine(lines_[*place->keyLine].text).value);
}

int TProfileFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::optional<long long> value = ParseDecimal(GetString(section, key, {}));
    if (!value || *value < INT_MIN || *value > INT_MAX) {
        return defaultValue;
    }
    return static_cast<int>(*value);
}

bool TProfileFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string sectionName(Trim(Utf8ToCp1251(section)));
    const std::string keyName(Trim(Utf8ToCp1251(key)));
    const std::string text = Utf8ToCp1251(value);
    // Refuse what could not be read back as the same section, key and value.
    if (sectionName.empty() || sectionName.find(']') != std::string::npos || HasLineBreak(sectionName) ||
        keyName.empty() || keyName.find('=') != std::string::npos || keyName.front() == '[' ||
        keyName.front() == ';' || HasLineBreak(keyName) || HasLineBreak(text)) {
        return false;
    }
    const std::optional<TPlace> place = Find(sectionName, keyName);
    if (place && place->keyLine) {
        // Keep the key as spelt in the file and the blanks around the equals sign.
        std::string& line = lines_[*place->keyLine].text;
        const std::size_t equals = line.find('=');
        const std::size_t valueStart = line.find_first_not_of(kBlanks, equals + 1);
        line.resize(valueStart == std::string::npos ? line.size() : valueStart);
        line += text;
        return true;
    }
    std::size_t at = lines_.size();
    std::vector<TLine> added;
    if (place) {
        at = place->insertAfter + 1;
    } else {
        added.push_back({"[" + sectionName + "]", std::string(kLineEnd)});
    }
    added.push_back({keyName + "=" + text, std::string(kLineEnd)});
    if (at > 0 && lines_[at - 1].end.empty()) {
        lines_[at - 1].end = kLineEnd;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    return true;
}

std::string GetProfileString(const fs::path& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue) {
    TProfileFile profile;
    if (!profile.Load(file)) {
        return std::string(defaultValue);
    }
    return profile.GetString(section, key, defaultValue);
}

int GetProfileInt(const fs::path& file, std::string_view section, std::string_view key, int defaultValue) {
    TProfileFile profile;
    if (!profile.Load(file)) {
        return defaultValue;
    }
    return profile.GetInt(section, key, defaultValue);
}

bool WriteProfileString(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    TProfileFile profile;
    return profile.Load(file) && profile.SetString(section, key, value) && profile.Save(file);
}

}  // namespace tervis
