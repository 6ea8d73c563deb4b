#pragma once

#include <filesystem>

class QWidget;

namespace tervis {

// The desktop launcher's start ("--data-folder"), in a folder of Tervis's own instead of wherever the
// desktop happens to start programs; started from a shell, Tervis works in the current folder. The user's
// data folder for Tervis ($XDG_DATA_HOME/tervis, by default ~/.local/share/tervis), created when missing,
// made the current folder and returned. Throws std::filesystem::filesystem_error when it cannot be made or
// entered.
std::filesystem::path EnterDataFolder();

// The variable that makes tervis print kFirstPaintLine and close its main window once that window is
// first painted: the smoke test of the run command waits for that line.
constexpr const char* kQuitAfterPaintVariable = "TERVIS_QUIT_AFTER_PAINT";
constexpr const char* kFirstPaintLine = "tervis: главное окно показано";
void QuitAfterFirstPaint(QWidget& window);

}  // namespace tervis
