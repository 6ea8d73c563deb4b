// Tervis: the configurator of a modular TDM multiplexer.
#include <QApplication>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/shell/UMuxConfig.h"
#include "gui/widgets/DragCursors.h"
#include "gui/widgets/WidgetDialogs.h"

int main(int argc, char* argv[]) {
    // Past a file size limit a save must fail with an error the operator sees, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    tervis::TSettings settings;  // outlives the window, which writes it back when it closes
    QApplication app(argc, argv);
    tervis::LoadDragCursors();
    QApplication::setApplicationName("Tervis");
    QApplication::setApplicationDisplayName("Tervis");
    const std::vector<std::string> args(argv, argv + argc);
    tervis::TWidgetDialogs dialogs;
    auto* window = new tervis::TConfigForm(args, std::filesystem::current_path(), settings, dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return QApplication::exec();
}
