// tervis-exporter: the multiplexers of an inventory, polled over their lines and served to Prometheus.
#include <QCoreApplication>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
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

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string inventoryFile;
    TListenAddress listen;
    double timeoutSeconds = 2;
    double intervalSeconds = 5;
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
            inventoryFile = value;
        } else if (a == "--listen") {
            if (!ParseListenAddress(value, listen)) {
                return Usage("неверный адрес: " + value);
            }
        } else if (a == "--timeout" || a == "--interval") {
            const std::optional<double> seconds =
                a == "--timeout" ? Seconds(value, 0.1, 600) : Seconds(value, 0, 86400);
            if (!seconds) {
                return Usage("неверное время: " + value);
            }
            (a == "--timeout" ? timeoutSeconds : intervalSeconds) = *seconds;
        } else {
            return Usage("неизвестный параметр " + a);
        }
    }
    if (inventoryFile.empty()) {
        return Usage("не указано описание мультиплексоров (--inventory)");
    }

    std::vector<TInventoryPort> ports;
    std::size_t muxCount = 0;
    {
        TProfileFile file;
        std::string problem;
        if (!file.Load(inventoryFile, &problem)) {
            return Usage(problem.empty() ? "не удалось прочитать " + inventoryFile : problem);
        }
        try {
            const std::vector<TInventoryEntry> entries = ReadInventory(file);
            muxCount = entries.size();
            ports = GroupByPort(entries);
        } catch (const EInventoryError& error) {
            return Usage(inventoryFile + ": " + error.what());
        }
    }

    QCoreApplication app(argc, argv);
    TSampleStore store(muxCount);
    TMetricsServer server([&store] { return store.Render(); });
    std::string problem;
    if (!server.Start(listen, problem)) {
        return Usage(problem);
    }
    const bool bracketed = listen.Host.find(':') != std::string::npos;
    std::printf("http://%s%s%s:%d/metrics\n", bracketed ? "[" : "", listen.Host.c_str(), bracketed ? "]" : "",
                server.BoundPort());
    std::fflush(stdout);

    std::vector<std::unique_ptr<TPortWalker>> walkers;
    std::size_t index = 0;
    for (const TInventoryPort& port : ports) {
        std::vector<TPortWalker::TEntry> entries;
        for (const TInventoryEntry& mux : port.Muxes) {
            entries.push_back({mux, index++});
        }
        walkers.push_back(std::make_unique<TPortWalker>(port.Port, std::move(entries), store,
                                                        static_cast<int>(timeoutSeconds * 1000),
                                                        static_cast<int>(intervalSeconds * 1000)));
    }

    TSignalPipe signalPipe([&app](int) { app.quit(); });
    if (std::string error; !signalPipe.Install({SIGINT, SIGTERM, SIGHUP}, error)) {
        return Usage(error);
    }
    const int status = app.exec();
    walkers.clear();
    return status;
}
