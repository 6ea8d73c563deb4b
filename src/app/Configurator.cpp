#include "app/Configurator.h"

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/shell/UMuxConfig.h"
#include "gui/widgets/Application.h"
#include "gui/widgets/DragCursors.h"
#include "gui/widgets/WidgetDialogs.h"

namespace tervis {

int RunConfigurator(int argc, char* argv[], const std::function<void(QWidget&)>& shown) {
    // Past a file size limit a save must fail with an error the operator sees, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    TSettings settings;  // outlives the window, which writes it back when it closes
    TApplication app(argc, argv);
    LoadDragCursors();
    SetUpApplication(app);
    const std::vector<std::string> args(argv, argv + argc);  // without the toolkit's own options
    TWidgetDialogs dialogs;
    app.SetErrorDisplay(&dialogs);
    auto* window = new TConfigForm(args, std::filesystem::current_path(), settings, dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    if (shown) {
        shown(*window);
    }
    const int result = TApplication::exec();
    app.SetErrorDisplay(nullptr);
    return result;
}

}  // namespace tervis
