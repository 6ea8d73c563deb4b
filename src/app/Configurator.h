#pragma once

#include <functional>

class QWidget;

namespace tervis {

// The configurator's run after the command line asked for no help or version: the application, its main
// window and the event loop. `shown` is called with the main window once it is shown (the start-up
// benchmark watches its first paint); the exit status is the event loop's.
int RunConfigurator(int argc, char* argv[], const std::function<void(QWidget&)>& shown = {});

}  // namespace tervis
