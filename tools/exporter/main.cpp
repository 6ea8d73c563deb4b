// tervis-exporter: the multiplexers of an inventory, polled over their lines and served to Prometheus.
#include <QCoreApplication>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "MetricsServer.h"
#include "PortWalker.h"
#include "SampleStore.h"
#include "core/base/Version.h"
#include "core/monitoring/Inventory.h"
#include "platform/SignalPipe.h"

namespace {

using namespace tervis;
using namespace tervis::exporter;

constexpr const char* kUsage =
    R"(Использование: tervis-exporter --inventory ФАЙЛ [--listen АДРЕС:ПОРТ] [параметры]
       tervis-exporter --help | --version

Опрашивает мультиплексоры из описания (INI-файл: секция на мультиплексор, ключи port, address,
rs485id) и отдает их состояние по HTTP в формате Prometheus: GET /metrics.
Мультиплексоры одного порта опрашиваются по очереди; страница всегда отдается из последнего
законченного опроса и не ждет линию.

  --inventory ФАЙЛ   описание мультиплексоров
  --listen АДРЕС     где слушать, например 127.0.0.1:9731 (по умолчанию), [::1]:9731, 0.0.0.0:9731;
                     порт 0: любой свободный. Первая строка вывода: адрес страницы.
  --timeout СЕК      сколько ждать ответа мультиплексора, прежде чем считать его недоступным
                     (по умолчанию 2)
  --interval СЕК     не чаще одного обхода порта за столько секунд (по умолчанию 5)
  --help             эта справка
  --version          версия программы

Коды выхода: 0 после SIGINT, SIGTERM или SIGHUP; 2 ошибка параметров, описания или адреса.
)";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "tervis-exporter: %s\nСправка: tervis-exporter --help\n", problem.c_str());
    return 2;
}

std::optional<double> Seconds(const std::string& text, double low, double high) {
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        if (used == text.size() && value >= low && value <= high) {
            return value;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

struct TOptions {
    std::string InventoryFile;
    TListenAddress Listen;
    double TimeoutSeconds = 2;
    double IntervalSeconds = 5;
};

// The options, or the exit status when the command line ends the program (help, version, a fault).
std::variant<TOptions, int> ParseOptions(const std::vector<std::string>& args) {
    TOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("tervis-exporter %s\n", kVersion);
            return 0;
        }
        if (i + 1 >= args.size()) {
            return Usage(a.rfind("--", 0) == 0 ? "параметр " + a + " требует значения"
                                               : "неизвестный параметр " + a);
        }
        const std::string& value = args[++i];
        if (a == "--inventory") {
            options.InventoryFile = value;
        } else if (a == "--listen") {
            if (!ParseListenAddress(value, options.Listen)) {
                return Usage("неверный адрес: " + value);
            }
        } else if (a == "--timeout" || a == "--interval") {
            const std::optional<double> seconds =
                a == "--timeout" ? Seconds(value, 0.1, 600) : Seconds(value, 0, 86400);
            if (!seconds) {
                return Usage("неверное время: " + value);
            }
            (a == "--timeout" ? options.TimeoutSeconds : options.IntervalSeconds) = *seconds;
        } else {
            return Usage("неизвестный параметр " + a);
        }
    }
    if (options.InventoryFile.empty()) {
        return Usage("не указано описание мультиплексоров (--inventory)");
    }
    return options;
}

// The multiplexers of the inventory by port, or the problem.
std::variant<std::vector<TInventoryEntry>, std::string> ReadInventoryFile(const std::string& name) {
    TProfileFile file;
    std::string problem;
    if (!file.Load(name, &problem)) {
        return problem.empty() ? "не удалось прочитать " + name : problem;
    }
    try {
        return ReadInventory(file);
    } catch (const EInventoryError& error) {
        return name + ": " + error.what();
    }
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const int* status = std::get_if<int>(&parsed)) {
        return *status;
    }
    const TOptions& options = std::get<TOptions>(parsed);
    const auto inventory = ReadInventoryFile(options.InventoryFile);
    if (const std::string* problem = std::get_if<std::string>(&inventory)) {
        return Usage(*problem);
    }
    const auto& muxes = std::get<std::vector<TInventoryEntry>>(inventory);

    QCoreApplication app(argc, argv);
    TSampleStore store(muxes.size());
    TMetricsServer server([&store] { return store.Render(); });
    std::string problem;
    if (!server.Start(options.Listen, problem)) {
        return Usage(problem);
    }
    const std::string& host = options.Listen.Host;
    const bool bracketed = host.find(':') != std::string::npos;
    std::printf("http://%s%s%s:%d/metrics\n", bracketed ? "[" : "", host.c_str(), bracketed ? "]" : "",
                server.BoundPort());
    std::fflush(stdout);

    std::vector<std::unique_ptr<TPortWalker>> walkers;
    std::size_t index = 0;
    for (const TInventoryPort& port : GroupByPort(muxes)) {
        std::vector<TPortWalker::TEntry> entries;
        for (const TInventoryEntry& mux : port.Muxes) {
            entries.push_back({mux, index++});
        }
        walkers.push_back(std::make_unique<TPortWalker>(port.Port, std::move(entries), store,
                                                        static_cast<int>(options.TimeoutSeconds * 1000),
                                                        static_cast<int>(options.IntervalSeconds * 1000)));
    }

    TSignalPipe signalPipe([&app](int) { app.quit(); });
    if (std::string error; !signalPipe.Install({SIGINT, SIGTERM, SIGHUP}, error)) {
        return Usage(error);
    }
    const int status = app.exec();
    walkers.clear();
    return status;
}
