// tervis-host: a host for the configurator's hosted mode that carries its packets to a serial line.
#include <QCoreApplication>

#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "HostBridge.h"
#include "core/base/Version.h"
#include "platform/SignalPipe.h"

namespace {

// In Russian, as everything else the programs say; the option names stay as they are.
constexpr const char* kUsage = R"(Использование: tervis-host N --port УСТРОЙСТВО [--verbose]
               tervis-host N --activate
               tervis-host --help | --version

Хост для Tervis, запущенного как "tervis -h N". Слушает как хост N на локальном сокете host-N в
папке, закрытой для других пользователей ("tervis" в XDG_RUNTIME_DIR, иначе "tervis-<uid>" во временной
папке), и обслуживает только процессы своего пользователя. Каждый пакет конфигуратора уходит на
последовательную линию УСТРОЙСТВО кадром с контрольной суммой (57600 бод, 8N1), каждый верный кадр с
линии возвращается конфигуратору. УСТРОЙСТВО — путь к устройству (последовательный адаптер или
псевдотерминал, который печатает tervis-muxsim) либо COM1..COM4 для /dev/ttyS0../dev/ttyS3.

Несколько конфигураторов могут работать через один хост (не больше 16): ответ получает тот, чей запрос
он повторяет, а пакеты, которые устройство шлёт само (аварии, трассировка), — все. Запросы сверх того,
что линия успевает передать, и ответы конфигуратору, который их не читает, отбрасываются; об этом
сообщается один раз.

Начав слушать, хост печатает путь сокета первой строкой стандартного вывода. По SIGUSR1 он просит все
подключённые конфигураторы выйти на передний план; "tervis-host N --activate" просит о том же
запущенный хост N. Пропавшая линия открывается заново: устройство каждую секунду, линия терминального
сервера через 1 с, после каждой неудачи вдвое позже, но не реже раза в 30 с. Что линия снова доступна,
хост сообщает, когда она открыта.

  N                    номер хоста, десятичное число от 0 (значение, полученное Tervis с -h)
  --port УСТРОЙСТВО    последовательная линия к мультиплексору
  --activate           передать вызов на передний план через запущенный хост N и завершиться
  --verbose, -v        печатать каждый пакет в стандартный поток ошибок (">" на линию, "<" с линии)
  --help               этот текст
  --version            напечатать версию и завершиться

Код завершения: 0 после SIGINT, SIGTERM или SIGHUP, или когда вызов передан; 1, когда линию не
удаётся открыть, хост N уже запущен, папка хоста ненадёжна или хоста N для вызова нет; 2 при неверном
параметре.
)";

std::optional<long long> HostNumber(const std::string& text) {
    long long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "tervis-host: %s\nПодробнее: 'tervis-host --help'.\n", problem.c_str());
    return 2;
}

struct THostOptions {
    std::optional<long long> Number;
    std::optional<std::string> Port;
    bool Activate = false;
    bool Verbose = false;
};

// The options, or the exit status when the program is done with them (help, version, a bad option).
std::optional<int> ParseOptions(const std::vector<std::string>& args, THostOptions& options) {
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
                return Usage("после --port нужно устройство");
            }
            options.Port = args[++i];
        } else if (a == "--activate") {
            options.Activate = true;
        } else if (a == "--verbose" || a == "-v") {
            options.Verbose = true;
        } else if (!a.starts_with("-") && !options.Number) {
            options.Number = HostNumber(a);
            if (!options.Number) {
                return Usage("'" + a + "' — не номер хоста (нужно десятичное число от 0)");
            }
        } else {
            return Usage("лишний параметр '" + a + "'");
        }
    }
    if (!options.Number) {
        return Usage("не указан номер хоста");
    }
    if (options.Activate == options.Port.has_value()) {
        return Usage("укажите либо --port УСТРОЙСТВО, либо --activate");
    }
    return std::nullopt;
}

int Serve(QCoreApplication& app, const THostOptions& options) {
    tervis::THostBridge bridge(*options.Number, QString::fromStdString(*options.Port), options.Verbose);
    tervis::TSignalPipe signalPipe([&](int signal) { signal == SIGUSR1 ? bridge.Activate() : app.quit(); });
    if (std::string error; !signalPipe.Install({SIGINT, SIGTERM, SIGHUP, SIGUSR1}, error)) {
        std::fprintf(stderr, "tervis-host: %s\n", error.c_str());
        return 1;
    }
    signal(SIGPIPE, SIG_IGN);  // a configurator that vanishes mid-write is noticed by its socket instead
    QString error;
    if (!bridge.Start(error)) {
        std::fprintf(stderr, "tervis-host: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(bridge.ServerName()));
    std::fflush(stdout);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    THostOptions options;
    if (const auto status = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options)) {
        return *status;
    }
    QCoreApplication app(argc, argv);
    if (options.Activate) {
        QString error;
        if (!tervis::SendActivation(*options.Number, error)) {
            std::fprintf(stderr, "tervis-host: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    return Serve(app, options);
}
