#include "gui/shell/AlarmSound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QStandardPaths>

namespace tervis {

namespace {

constexpr const char* kSoundFile = "alarm.wav";

// Drops what the audio backend prints while it looks for a device; the answer is in the device list.
void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

std::filesystem::path FindAlarmSound(const std::filesystem::path& workingFolder,
                                     const std::vector<std::filesystem::path>& installedFolders) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(workingFolder / kSoundFile, ec)) {
        return workingFolder / kSoundFile;
    }
    for (const std::filesystem::path& folder : installedFolders) {
        if (std::filesystem::is_regular_file(folder / kSoundFile, ec)) {
            return folder / kSoundFile;
        }
    }
    return {};
}

std::vector<std::filesystem::path> InstalledDataFolders() {
    std::vector<std::filesystem::path> folders;
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty()) {
        folders.push_back(std::filesystem::path(programFolder.toStdString()).parent_path() / "share" /
                          "tervis");
    }
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        folders.push_back(std::filesystem::path(data.toStdString()) / "tervis");
    }
    return folders;
}

bool HasAudioOutput() {
    // The backend connects to the sound server once, on this first question, and says on stderr when
    // there is none.
    const QtMessageHandler previous = qInstallMessageHandler(DropMessage);
    const bool any = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(previous);
    return any;
}

}  // namespace tervis
