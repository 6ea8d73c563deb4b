// The settings file: read, then written back, from arbitrary file contents. The program owns one section;
// every line outside it must come back byte for byte (only a last line without a line end may gain one
// when something is added after it), and the keys written must read back as written.
//
// Input: a control byte (bit 0 hosted mode, bit 1 new values), with bit 1 the new values as
// length-prefixed texts and two bytes of device number, then the file's bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/base/Cp1251.h"
#include "core/settings/IniFile.h"
#include "core/settings/Settings.h"

namespace {

struct TLine {
    std::string text;
    std::string end;
    bool operator==(const TLine&) const = default;
};

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameAsciiName(std::string_view left, std::string_view right) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (lower(left[i]) != lower(right[i])) {
            return false;
        }
    }
    return true;
}

// The lines of the file outside every section named `owned`, with their line ends; written apart from
// the settings layer, from the rules of the format: lines end at "\n" (a "\r" before it belongs to the
// end), a header is a line whose first non-blank is "[" with a "]" after it.
std::vector<TLine> ForeignLines(const std::string& bytes, std::string_view owned) {
    std::vector<TLine> lines;
    bool inOwned = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t newline = bytes.find('\n', start);
        TLine line;
        if (newline == std::string::npos) {
            line.text = bytes.substr(start);
            start = bytes.size();
        } else {
            std::size_t stop = newline;
            if (stop > start && bytes[stop - 1] == '\r') {
                --stop;
            }
            line.text = bytes.substr(start, stop - start);
            line.end = bytes.substr(stop, newline + 1 - stop);
            start = newline + 1;
        }
        const std::string_view trimmed = Trim(line.text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            if (close != std::string_view::npos) {
                inOwned = SameAsciiName(Trim(trimmed.substr(1, close - 1)), owned);
            }
        }
        if (!inOwned) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

// The value a text reads back as once written: Windows-1251 on disk, trimmed of blanks on reading.
std::string AsReadBack(const std::string& value) {
    return tervis::Cp1251ToUtf8(Trim(tervis::Utf8ToCp1251(value)));
}

bool Writable(const std::string& value) {
    return value.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tervis::fuzz::TFuzzInput input(data, size);
    const std::uint8_t control = input.Byte();
    const bool hosted = (control & 1) != 0;
    const bool newValues = (control & 2) != 0;
    std::string device;
    std::string address;
    std::string lastfile;
    int rs485id = 0;
    if (newValues) {
        device = input.Text(input.Byte() % 32);
        address = input.Text(input.Byte() % 32);
        lastfile = input.Text(input.Byte() % 32);
        rs485id = static_cast<std::int16_t>(input.Byte() | (input.Byte() << 8));
    }
    const auto rest = input.Rest();
    const std::string original(rest.begin(), rest.end());

    // In memory: the file functions load, call these and save, and a file no key changed is not saved.
    const std::string section = "SETTINGS";
    tervis::TProfileFile profile;
    profile.Parse(original);
    tervis::TSettings settings;
    if (hosted) {
        settings.hostWindow = 7;
    }
    tervis::ReadSettings(settings, profile, section);
    const tervis::TSettings read = settings;
    if (newValues) {
        settings.device = device;
        settings.address = address;
        settings.lastfile = lastfile;
        settings.rs485id = rs485id;
        settings.usespeaker = (control & 4) != 0;
        settings.usewave = (control & 8) != 0;
        settings.alarmconnect = (control & 16) != 0;
        settings.uselog = (control & 32) != 0;
        settings.cashedtrx = (control & 64) != 0;
    }
    const std::string written = tervis::WriteSettings(settings, profile, section) ? profile.Text() : original;

    // The sections the program does not own, and the lines before the first section, survive.
    const std::vector<TLine> before = ForeignLines(original, section);
    std::vector<TLine> after = ForeignLines(written, section);
    FUZZ_CHECK(before.size() == after.size());
    if (!before.empty() && before.back().end.empty() && after.back().end == "\r\n" &&
        original.size() >= before.back().text.size() &&
        original.compare(original.size() - before.back().text.size(), std::string::npos,
                         before.back().text) == 0) {
        after.back().end.clear();  // the file's last line, ended so that a line could follow
    }
    FUZZ_CHECK(before == after);

    // What was written reads back; a value that no line can hold keeps what the file had.
    tervis::TProfileFile again;
    again.Parse(written);
    tervis::TSettings back;
    back.hostWindow = settings.hostWindow;
    tervis::ReadSettings(back, again, section);
    const auto expected = [](const std::string& value, const std::string& old) {
        return Writable(value) ? AsReadBack(value) : old;
    };
    FUZZ_CHECK(back.lastfile == expected(settings.lastfile, read.lastfile));
    FUZZ_CHECK(back.cashedtrx == settings.cashedtrx);
    if (!hosted) {
        FUZZ_CHECK(back.device == expected(settings.device, read.device));
        FUZZ_CHECK(back.address == expected(settings.address, read.address));
        FUZZ_CHECK(back.rs485id == settings.rs485id);
        FUZZ_CHECK(back.usespeaker == settings.usespeaker && back.usewave == settings.usewave &&
                   back.alarmconnect == settings.alarmconnect && back.uselog == settings.uselog);
    }
    if (!newValues) {
        // Read and written unchanged: a second round changes nothing more.
        FUZZ_CHECK(!tervis::WriteSettings(back, again, section) || again.Text() == written);
    }
    return 0;
}
