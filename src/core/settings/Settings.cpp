#include "core/settings/Settings.h"

#include "core/settings/IniFile.h"

namespace tervis {

TSettingsLocation DefaultSettingsLocation(const std::filesystem::path& currentDirectory) {
    return {currentDirectory / "tervis.ini", "SETTINGS"};
}

namespace {

void ReadFlag(const TProfileFile& profile, const std::string& section, std::string_view key, bool& flag) {
    flag = profile.GetInt(section, key, flag ? 1 : 0) != 0;
}

std::string FlagText(bool flag) {
    return flag ? "1" : "0";
}

}  // namespace

std::string ReadSettings(TSettings& settings, const TSettingsLocation& location) {
    TProfileFile profile;
    std::string problem;
    if (!profile.Load(location.file, &problem)) {
        // An unreadable file gives the current values, like a missing one; the operator is told why.
        return problem + ": используются настройки по умолчанию";
    }
    ReadSettings(settings, profile, location.section);
    return {};
}

void ReadSettings(TSettings& settings, const TProfileFile& profile, const std::string& section) {
    // The host carries the line, so the line's settings belong to it and are left alone here.
    if (!settings.Hosted()) {
        settings.device = profile.GetString(section, "device", settings.device);
        settings.rs485id = profile.GetInt(section, "rs485id", settings.rs485id);
        settings.address = profile.GetString(section, "address", settings.address);
        ReadFlag(profile, section, "usespeaker", settings.usespeaker);
        ReadFlag(profile, section, "usewave", settings.usewave);
        ReadFlag(profile, section, "alarmconnect", settings.alarmconnect);
        ReadFlag(profile, section, "uselog", settings.uselog);
    }
    ReadFlag(profile, section, "cashedtrx", settings.cashedtrx);
    ReadFlag(profile, section, "backupbeforeload", settings.backupbeforeload);
    settings.lastfile = profile.GetString(section, "lastfile", settings.lastfile);
}

void WriteSettings(const TSettings& settings, const TSettingsLocation& location) {
    // One load and one save: a failed write changes none of the keys.
    TProfileFile profile;
    if (!profile.Load(location.file)) {
        return;  // never replace a file whose content could not be read
    }
    if (WriteSettings(settings, profile, location.section)) {
        profile.Save(location.file);
    }
}

bool WriteSettings(const TSettings& settings, TProfileFile& profile, const std::string& section) {
    // A key the file cannot hold (a line break in a value, a section name with "]") is skipped and the
    // others are written; failures are not reported to the operator.
    bool changed = false;
    const auto set = [&](std::string_view key, const std::string& value) {
        changed = profile.SetString(section, key, value) || changed;
    };
    if (!settings.Hosted()) {
        set("device", settings.device);
        set("rs485id", std::to_string(settings.rs485id));
        set("address", settings.address);
        set("usespeaker", FlagText(settings.usespeaker));
        set("usewave", FlagText(settings.usewave));
        set("alarmconnect", FlagText(settings.alarmconnect));
        set("uselog", FlagText(settings.uselog));
    }
    set("cashedtrx", FlagText(settings.cashedtrx));
    // Our own key: a file that never had it gets it only once the option is turned on.
    constexpr const char* kAbsent = "\x01";
    if (settings.backupbeforeload || profile.GetString(section, "backupbeforeload", kAbsent) != kAbsent) {
        set("backupbeforeload", FlagText(settings.backupbeforeload));
    }
    set("lastfile", settings.lastfile);
    return changed;
}

}  // namespace tervis
