// Tervis: the configurator of a modular TDM multiplexer.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/Version.h"
#include "core/settings/CommandLine.h"
#include "gui/shell/UMuxConfig.h"
#include "gui/widgets/Application.h"
#include "gui/widgets/DragCursors.h"
#include "gui/widgets/WidgetDialogs.h"

namespace {

constexpr const char* kUsage =
    "Использование: tervis [параметры]\n"
    "Конфигуратор мультиплексора. Настройки хранятся в файле tervis.ini текущей папки, раздел SETTINGS.\n"
    "  -i ФАЙЛ      файл настроек вместо tervis.ini\n"
    "  -s РАЗДЕЛ    раздел файла настроек вместо SETTINGS\n"
    "  -id N        номер устройства на линии RS-485 (ключ rs485id файла настроек важнее)\n"
    "  -a ПУТЬ      маршрут к удаленному мультиплексору, например 3,1-7,0; (ключ address важнее)\n"
    "  -u           только просмотр, сравнение и контроль\n"
    "  -h N         работа через хост N (tervis-host N --port УСТРОЙСТВО)\n"
    "  --help       эта справка\n"
    "  --version    версия программы\n"
    "Регистр букв в параметрах не важен.\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before the application object exists: that one needs a display.
    switch (tervis::StartupRequest(std::vector<std::string>(argv, argv + argc))) {
        case tervis::TStartupRequest::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case tervis::TStartupRequest::Version:
            std::printf("tervis %s\n", tervis::kVersion);
            return 0;
        case tervis::TStartupRequest::Run:
            break;
    }
    // Past a file size limit a save must fail with an error the operator sees, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    tervis::TSettings settings;  // outlives the window, which writes it back when it closes
    tervis::TApplication app(argc, argv);
    tervis::LoadDragCursors();
    tervis::SetUpApplication(app);
    const std::vector<std::string> args(argv, argv + argc);  // without the toolkit's own options
    tervis::TWidgetDialogs dialogs;
    app.SetErrorDisplay(&dialogs);
    auto* window = new tervis::TConfigForm(args, std::filesystem::current_path(), settings, dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    const int result = tervis::TApplication::exec();
    app.SetErrorDisplay(nullptr);
    return result;
}
