#pragma once

#include <filesystem>
#include <string>

namespace tervis {

// The program's settings. The shell reads them from the settings file and the command line at start-up
// and writes them back at exit; the model and the link it is handed to read them directly. Field names
// are the keys of the settings file.
struct TSettings {
    std::string device = "COM1";    // serial device the transport opens
    int rs485id = 0;                // device number put into every request (0 = direct RS-232 line)
    std::string address;            // address path to a remote multiplexer, text form; empty = direct
    bool usespeaker = false;        // beep while an alarm blinks
    bool usewave = false;           // play the alarm sound file
    bool alarmconnect = false;      // raise the no-link alarm when the link goes down
    bool uselog = false;            // keep the stream alarm log and poll stream alarms for it
    bool cashedtrx = false;         // pass every change of the model to the device at once
    bool backupbeforeload = false;  // Load first keeps the device's configuration in backup/ and checks after
    std::string lastfile;           // configuration file opened at start-up

    // Run mode, set only by the command line.
    long long hostWindow = -1;  // host window handle; hosted mode when not -1
    bool restricted = false;    // view, compare and monitor only

    bool Hosted() const { return hostWindow != -1; }
};

// Where the settings are kept: an INI file and the one section that holds every key.
struct TSettingsLocation {
    std::filesystem::path file;
    std::string section = "SETTINGS";
};

// "tervis.ini" in the given directory (the process's current directory, not the executable's).
TSettingsLocation DefaultSettingsLocation(const std::filesystem::path& currentDirectory);

class TProfileFile;

// Reads the keys present in the file over the current values; a missing or unreadable key, section or
// file keeps them. In hosted mode only cashedtrx and lastfile are read. Returns the message for the
// operator when the file exists but cannot be used, else an empty text.
std::string ReadSettings(TSettings& settings, const TSettingsLocation& location);
// Writes the same keys, keeping the rest of the file. A file that cannot be written is left as it was
// and not reported.
void WriteSettings(const TSettings& settings, const TSettingsLocation& location);
// The same on a file in memory, under the given section; WriteSettings says whether it changed a line.
void ReadSettings(TSettings& settings, const TProfileFile& profile, const std::string& section);
bool WriteSettings(const TSettings& settings, TProfileFile& profile, const std::string& section);

}  // namespace tervis
