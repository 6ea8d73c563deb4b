// Tervis: the configurator of a modular TDM multiplexer.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/Configurator.h"
#include "app/Launch.h"
#include "core/base/Version.h"
#include "core/settings/CommandLine.h"

namespace {

constexpr const char* kUsage =
    "Использование: tervis [параметры]\n"
    "Конфигуратор мультиплексора. Настройки хранятся в файле tervis.ini текущей папки, раздел SETTINGS.\n"
    "  -i ФАЙЛ        файл настроек вместо tervis.ini\n"
    "  -s РАЗДЕЛ      раздел файла настроек вместо SETTINGS\n"
    "  -id N          номер устройства на линии RS-485 (ключ rs485id файла настроек важнее)\n"
    "  -a ПУТЬ        маршрут к удаленному мультиплексору, например 3,1-7,0; (ключ address важнее)\n"
    "  -u             только просмотр, сравнение и контроль\n"
    "  -h N           работа через хост N (tervis-host N --port УСТРОЙСТВО)\n"
    "  --data-folder  работать в папке данных пользователя (~/.local/share/tervis) вместо текущей;\n"
    "                 так Tervis запускается из меню\n"
    "  --help         эта справка\n"
    "  --version      версия программы\n"
    "Регистр букв в параметрах не важен.\n";

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv, argv + argc);
    // Answered before the application object exists: that one needs a display.
    switch (tervis::StartupRequest(args)) {
        case tervis::TStartupRequest::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case tervis::TStartupRequest::Version:
            std::printf("tervis %s\n", tervis::kVersion);
            return 0;
        case tervis::TStartupRequest::Run:
            break;
    }
    if (tervis::StartsInDataFolder(args)) {
        try {
            tervis::EnterDataFolder();
        } catch (const std::filesystem::filesystem_error& e) {
            std::fprintf(stderr, "tervis: не удалось открыть папку данных: %s\n", e.what());
            return 1;
        }
    }
    std::function<void(QWidget&)> shown;
    if (std::getenv(tervis::kQuitAfterPaintVariable) != nullptr) {
        shown = tervis::QuitAfterFirstPaint;
    }
    return tervis::RunConfigurator(argc, argv, shown);
}
