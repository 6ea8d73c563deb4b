#pragma once

#include <filesystem>
#include <vector>

namespace tervis {

// The alarm sound file: "alarm.wav" in the working folder, else the example an installation keeps in one
// of its data folders (the first that has it). Empty when there is none.
std::filesystem::path FindAlarmSound(const std::filesystem::path& workingFolder,
                                     const std::vector<std::filesystem::path>& installedFolders);

// Where an installation keeps the example sound: share/tervis beside the program's bin/ folder, then
// tervis/ in each of the system's data folders.
std::vector<std::filesystem::path> InstalledDataFolders();

// Whether the machine has an audio output to play the alarm sound on. The audio backend's own complaints
// while it looks (no sound server, no device) are not passed on: the status bar tells the operator.
bool HasAudioOutput();

}  // namespace tervis
