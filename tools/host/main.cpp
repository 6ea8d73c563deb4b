// tervis-host: a host for the configurator's hosted mode that carries its packets to a serial line.
#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "HostBridge.h"
#include "core/base/Version.h"

namespace {

constexpr const char* kUsage = R"(Usage: tervis-host N --port DEVICE [--verbose]
       tervis-host N --activate
       tervis-host --help | --version

A host for Tervis started as "tervis -h N". It listens as host N on the local socket tervis-host-N in the
user's runtime folder (XDG_RUNTIME_DIR; only this user can connect), and carries every packet the
configurator hands it onto the serial line DEVICE as a frame with its checksum (57600 baud, 8N1), and every
good frame from the line back to the configurator. DEVICE is a device path (a serial adapter, or the
pseudo-terminal that tervis-muxsim prints), or COM1..COM4 for /dev/ttyS0../dev/ttyS3.

When it is listening it prints the socket's path as the first line of standard output. On SIGUSR1 it asks
every connected configurator to come to the front; "tervis-host N --activate" asks a running host N to do
the same. A line that goes away is reopened every second.

  N                 host number, a decimal number 0 or greater (the value Tervis got with -h)
  --port DEVICE     the serial line to the multiplexer
  --activate        send the activation message through the running host N, then exit
  --verbose, -v     print every packet to standard error (">" to the line, "<" from it)
  --help            this text
  --version         print the version and exit

Exit status: 0 after SIGINT, SIGTERM or SIGHUP, or when the activation was passed on; 1 when the line
cannot be opened, another host N is running or no host N is there to activate; 2 for a bad option.
)";

int signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    const int saved = errno;
    (void)!write(signalPipe[1], &byte, 1);
    errno = saved;
}

std::optional<long long> HostNumber(const std::string& text) {
    long long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "tervis-host: %s\nTry 'tervis-host --help'.\n", problem.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<long long> number;
    std::optional<std::string> port;
    bool activate = false;
    bool verbose = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("tervis-host %s\n", tervis::kVersion);
            return 0;
        } else if (a == "--port") {
            if (i + 1 >= args.size()) {
                return Usage("--port needs a device");
            }
            port = args[++i];
        } else if (a == "--activate") {
            activate = true;
        } else if (a == "--verbose" || a == "-v") {
            verbose = true;
        } else if (!a.starts_with("-") && !number) {
            number = HostNumber(a);
            if (!number) {
                return Usage("'" + a + "' is not a host number (a decimal number 0 or greater)");
            }
        } else {
            return Usage("unexpected argument '" + a + "'");
        }
    }
    if (!number) {
        return Usage("the host number is missing");
    }
    if (activate == port.has_value()) {
        return Usage("give either --port DEVICE or --activate");
    }

    QCoreApplication app(argc, argv);
    QString error;
    if (activate) {
        if (!tervis::SendActivation(*number, error)) {
            std::fprintf(stderr, "tervis-host: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }

    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("tervis-host: pipe");
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        sigaction(s, &action, nullptr);
    }
    signal(SIGPIPE, SIG_IGN);  // a configurator that vanishes mid-write is noticed by its socket instead

    tervis::THostBridge bridge(*number, QString::fromStdString(*port), verbose);
    if (!bridge.Start(error)) {
        std::fprintf(stderr, "tervis-host: %s\n", qPrintable(error));
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char byte = 0;
        while (read(signalPipe[0], &byte, 1) == 1) {
            if (byte == SIGUSR1) {
                bridge.Activate();
            } else {
                app.quit();
            }
        }
    });
    std::printf("%s\n", qPrintable(bridge.ServerName()));
    std::fflush(stdout);
    return app.exec();
}
