// tervis-cli: the configurator without windows, for scripts, backups and diffs.
#include <QCoreApplication>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "DeviceCommands.h"
#include "FileCommands.h"
#include "core/base/Version.h"

namespace {

constexpr const char* kUsage =
    "Использование: tervis-cli КОМАНДА [параметры]\n"
    "Команды с файлами:\n"
    "  dump [--json] ФАЙЛ       конфигурация в виде текста\n"
    "  build ДОК.json -o ФАЙЛ   конфигурация из документа JSON (обратно dump --json)\n"
    "  diff ЛЕВЫЙ ПРАВЫЙ        несовпадения двух конфигураций (0 совпадают, 1 различаются, 2 ошибка)\n"
    "Команды с мультиплексором (--port, --address, --id, --timeout):\n"
    "  read -o ФАЙЛ             считать конфигурацию\n"
    "  load ФАЙЛ                загрузить конфигурацию\n"
    "  compare ФАЙЛ             сравнить конфигурацию\n"
    "  clear                    стереть конфигурацию\n"
    "  restart                  перезапустить мультиплексор\n"
    "  status                   связь, платы и текущая авария\n"
    "  set-id N                 записать идентификатор RS422\n"
    "  ports                    последовательные порты машины\n"
    "tervis-cli КОМАНДА --help  подробнее о команде.\n"
    "tervis-cli --version       версия программы.\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Past a file size limit a write must fail with an error we report, not end the program silently
    // with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kUsage;
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::cout << "tervis-cli " << tervis::kVersion << '\n';
        return 0;
    }
    QCoreApplication app(argc, argv);
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "dump") {
        return tervis::cli::RunDump(args, std::cout, std::cerr);
    }
    if (command == "build") {
        return tervis::cli::RunBuild(args, std::cin, std::cout, std::cerr);
    }
    if (command == "diff") {
        return tervis::cli::RunDiff(args, std::cout, std::cerr);
    }
    if (command == "ports") {
        return tervis::cli::RunPorts(args, std::cout, std::cerr);
    }
    if (tervis::cli::IsDeviceCommand(command)) {
        return tervis::cli::RunDeviceCommand(command, args, std::cout, std::cerr);
    }
    std::cerr << "Неизвестная команда " << command << "\n" << kUsage;
    return 2;
}
