// The configurator without windows: device operations over a serial line, for scripts and backups.
// Unlike the GUI, nothing here waits forever: without an answer to a request for --timeout seconds the
// operation is given up.
#include "DeviceCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QThread>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "PortAccess.h"
#include "core/alarms/AlarmIndication.h"
#include "core/base/Errors.h"
#include "core/diagnostics/InfoTexts.h"
#include "core/link/Address.h"
#include "core/link/NetworkPort.h"
#include "core/model/Mux.h"
#include "platform/SerialPacketHandler.h"
#include "platform/XComm.h"

namespace tervis::cli {

namespace {

const std::map<std::string, const char*> kUsage = {
    {"read",
     "tervis-cli read -o ФАЙЛ [параметры линии]\n  Считать конфигурацию мультиплексора в файл .mux.\n"},
    {"load", "tervis-cli load ФАЙЛ [параметры линии]\n  Загрузить конфигурацию из файла в мультиплексор.\n"},
    {"compare",
     "tervis-cli compare ФАЙЛ [параметры линии]\n  Сравнить файл (слева) с конфигурацией мультиплексора "
     "(справа).\n"
     "  Код выхода: 0 совпадают, 1 различаются, 2 ошибка, 3 нет ответа.\n"},
    {"clear", "tervis-cli clear [параметры линии]\n  Стереть конфигурацию мультиплексора.\n"},
    {"restart", "tervis-cli restart [параметры линии]\n  Перезапустить мультиплексор.\n"},
    {"status",
     "tervis-cli status [параметры линии]\n  Состояние связи, плат (тип, состояние, индикаторы), текущая "
     "авария и информация плат (порт 0) и ЦП.\n"},
    {"set-id",
     "tervis-cli set-id N [параметры линии]\n  Записать идентификатор RS422 (1..19) в мультиплексор, "
     "подключённый по RS232.\n"},
};

constexpr const char* kLineOptions =
    "Параметры линии:\n"
    "  --port ИМЯ        последовательный порт: COM1..COM4 или путь к устройству (по умолчанию COM1);\n"
    "                    порт терминального сервера: tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ\n"
    "  --address ПУТЬ    маршрут к удаленному мультиплексору, например 3,1-7,0;\n"
    "  --id N            номер устройства на линии RS-485 (0..19, по умолчанию 0)\n"
    "  --timeout СЕК     сколько ждать ответа мультиплексора (по умолчанию 10)\n"
    "Коды выхода: 0 успех, 2 ошибка параметров, файла или порта, 3 нет ответа мультиплексора.\n";

// Notifications are handled where they arrive: there is no window to post to.
class TCliSink : public INotificationSink {
public:
    void PostNotification(unsigned message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == kNotifySlotStatus && linkUp) {
            ++slotReports;
        } else if (message == kNotifyAlarm) {
            alarm = static_cast<std::uint16_t>(wParam);
            ++alarmReports;
        } else if (message == kNotifyLinkState) {
            linkUp = wParam != 0;
        } else if (message == kNotifyInformation && wParam < 8) {
            infoSeen |= 1u << wParam;
        }
    }
    bool linkUp = false;
    unsigned infoSeen = 0;  // the information records stored for the selected slot, by code
    int slotReports = 0;
    int alarmReports = 0;
    std::uint16_t alarm = 0;
};

class TCliOperator : public IOperatorMessages {
public:
    explicit TCliOperator(std::ostream& err) : messages(&err) {}
    void ShowMessage(const std::string& text) override {
        *messages << text << '\n';
        ++shown;
    }
    void ShowReport(const std::vector<std::string>& lines) override {
        for (const std::string& line : lines) {
            *report << line << '\n';
        }
    }
    std::ostream* messages;
    std::ostream* report = nullptr;
    int shown = 0;
};

struct TLine {
    std::string port = "COM1";
    std::string address;
    int id = 0;
    double timeoutSeconds = 10;
};

// Runs the event loop until done() or until no request has been answered for the timeout: a device that
// keeps talking without answering us does not hold the command up.
bool PumpUntil(const TCustomPacketHandler& handler, double timeoutSeconds, const std::function<bool()>& done,
               const std::function<void()>& refresh = {}) {
    QElapsedTimer silence;
    silence.start();
    std::uint64_t lastCount = handler.AnswersReceived();
    while (!done()) {
        // Blocks until something happens; the link's 50 ms timer wakes it at the latest.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (handler.AnswersReceived() != lastCount) {
            lastCount = handler.AnswersReceived();
            silence.restart();
        }
        if (refresh) {
            refresh();
        }
        if (static_cast<double>(silence.elapsed()) > timeoutSeconds * 1000.0) {
            return false;
        }
    }
    return true;
}

// The progress window of a device operation: a bar on a terminal, nothing otherwise.
class TCliProgress : public IProgressFactory {
public:
    TCliProgress(const TCustomPacketHandler& handler, double timeoutSeconds)
        : handler_(handler), timeoutSeconds_(timeoutSeconds), terminal_(isatty(STDERR_FILENO) == 1) {}

    std::unique_ptr<IProgressWindow> CreateProgress(const std::string& caption) override {
        return std::make_unique<TWindow>(*this, caption);
    }
    bool timedOut = false;

private:
    class TWindow : public IProgressWindow {
    public:
        TWindow(TCliProgress& owner, std::string caption) : owner_(owner), caption_(std::move(caption)) {}
        void Start(int total) override {
            total_ = total;
            Update(total);
        }
        void Update(int remaining) override {
            remaining_ = remaining;
            done_ = remaining == 0;
        }
        bool Execute() override {
            const bool completed = PumpUntil(
                owner_.handler_, owner_.timeoutSeconds_, [this] { return done_; }, [this] { Draw(false); });
            Draw(true);
            if (!completed) {
                owner_.timedOut = true;
            }
            return completed;
        }

    private:
        void Draw(bool last) {
            if (!owner_.terminal_) {
                return;
            }
            constexpr int kWidth = 30;
            const int doneCount = total_ - remaining_;
            const int filled = total_ > 0 ? doneCount * kWidth / total_ : kWidth;
            std::fprintf(stderr, "\r%s [%s%s] %d/%d", caption_.c_str(),
                         std::string(static_cast<std::size_t>(filled), '#').c_str(),
                         std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), doneCount,
                         total_);
            if (last) {
                std::fputc('\n', stderr);
            }
            std::fflush(stderr);
        }
        TCliProgress& owner_;
        std::string caption_;
        int total_ = 0;
        int remaining_ = 0;
        bool done_ = false;
    };

    const TCustomPacketHandler& handler_;
    double timeoutSeconds_;
    bool terminal_;
};

std::optional<int> ParseInt(const std::string& text) {
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used == text.size()) {
            return value;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// A connected model on the line; null with the message shown when the port cannot be opened.
struct TSession {
    TSettings settings;
    TCliSink sink;
    TCliOperator messages;
    std::unique_ptr<TMux> mux;
    TSerialPacketHandler* handler = nullptr;
    std::unique_ptr<TCliProgress> progress;

    TSession(const TLine& line, std::ostream& err) : messages(err) {
        settings.device = line.port;
        settings.rs485id = line.id;
        mux = std::make_unique<TMux>(&sink, &messages, settings);
        mux->SetAddress(ParseAddressPath(line.address));
        auto link = std::make_unique<TSerialPacketHandler>(*mux);
        handler = link.get();
        mux->SetDeviceLink(std::move(link));
        progress = std::make_unique<TCliProgress>(*handler, line.timeoutSeconds);
        handler->SetProgressFactory(progress.get());
    }
};

constexpr const char* kNoAnswer = "Нет связи с мультиплексором";

// What the command line asked for.
struct TInvocation {
    TLine line;
    std::vector<std::string> positional;
    std::string outputFile;
    std::optional<int> identifier;  // set-id
};

// Everything a command works with once the line is open.
struct TContext {
    TSession& session;
    const TInvocation& invocation;
    std::ostream& out;
    std::ostream& err;

    TMux& Mux() { return *session.mux; }
    TSerialPacketHandler& Handler() { return *session.handler; }
    bool Pump(const std::function<bool()>& done) {
        return PumpUntil(Handler(), invocation.line.timeoutSeconds, done);
    }
    int NoAnswer() {
        err << kNoAnswer << '\n';
        return kExitNoAnswer;
    }
};

// Reads the options into invocation; an exit status when the command ends here (help, bad arguments).
std::optional<int> ParseOptions(const std::string& command, const std::vector<std::string>& args,
                                TInvocation& invocation, std::ostream& out, std::ostream& err) {
    TLine& line = invocation.line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                err << "Параметр " << a << " требует значения\n";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            out << kUsage.at(command) << kLineOptions;
            return kExitOk;
        }
        if (a == "--port" || a == "--address" || (a == "-o" && command == "read")) {
            const auto v = value();
            if (!v) {
                return kExitTrouble;
            }
            (a == "--port" ? line.port : a == "--address" ? line.address : invocation.outputFile) = *v;
        } else if (a == "--id") {
            const auto v = value();
            const auto n = v ? ParseInt(*v) : std::nullopt;
            if (!n || *n < 0 || *n > 19) {
                err << "Номер устройства должен быть от 0 до 19\n";
                return kExitTrouble;
            }
            line.id = *n;
        } else if (a == "--timeout") {
            const auto v = value();
            if (!v) {
                return kExitTrouble;
            }
            try {
                line.timeoutSeconds = std::stod(*v);
            } catch (const std::exception&) {
                line.timeoutSeconds = -1;  // reported below with the other bad values
            }
            if (!(line.timeoutSeconds > 0)) {
                err << "Неверное время ожидания: " << *v << '\n';
                return kExitTrouble;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            err << "Неизвестный параметр " << a << "\n" << kUsage.at(command);
            return kExitTrouble;
        } else {
            invocation.positional.push_back(a);
        }
    }
    const std::size_t wanted = (command == "load" || command == "compare" || command == "set-id") ? 1 : 0;
    if (invocation.positional.size() != wanted || (command == "read" && invocation.outputFile.empty())) {
        err << kUsage.at(command) << kLineOptions;
        return kExitTrouble;
    }
    if (command == "set-id") {
        invocation.identifier = ParseInt(invocation.positional[0]);
        if (!invocation.identifier || *invocation.identifier < 1 || *invocation.identifier > 19) {
            err << "Идентификатор должен быть от 1 до 19\n";
            return kExitTrouble;
        }
    }
    return std::nullopt;
}

int Read(TContext& c) {
    if (!c.Mux().ReadConfiguration()) {
        return c.NoAnswer();
    }
    c.Mux().SaveToFile(c.invocation.outputFile);  // written beside and renamed: whole or not at all
    return kExitOk;
}

int Load(TContext& c) {
    if (!c.Mux().LoadFromFile(c.invocation.positional[0])) {
        return kExitTrouble;
    }
    return c.Mux().LoadConfiguration() ? kExitOk : c.NoAnswer();
}

int Compare(TContext& c) {
    if (!c.Mux().LoadFromFile(c.invocation.positional[0])) {
        return kExitTrouble;
    }
    // The report and "Отличий не найдено" are the command's output.
    c.session.messages.messages = &c.out;
    c.session.messages.report = &c.out;
    const std::optional<bool> differs = c.Mux().CompareConfiguration();
    c.session.messages.messages = &c.err;
    if (!differs) {
        return c.NoAnswer();
    }
    return *differs ? kExitDifferent : kExitOk;
}

int Clear(TContext& c) {
    return c.Mux().ClearConfiguration() ? kExitOk : c.NoAnswer();
}

int Restart(TContext& c) {
    // Unconfirmed: it goes out at the next transmission and is not answered. Wait for a sign of life
    // first, so that "sent" means a multiplexer was there to hear it.
    if (!c.Pump([&] { return c.Mux().LinkUp(); })) {
        return c.NoAnswer();
    }
    c.Handler().ClearQueue();
    c.Mux().RestartMultiplexer();
    return c.Pump([&] { return c.Handler().QueueLength() == 0; }) ? kExitOk : c.NoAnswer();
}

int SetId(TContext& c) {
    if (!c.Mux().WriteRs485Id(*c.invocation.identifier)) {
        return kExitTrouble;
    }
    return c.Pump([&] { return c.Handler().QueueLength() == 0 && c.Mux().LinkUp(); }) ? kExitOk
                                                                                      : c.NoAnswer();
}

// One full round of the slot, lamp and alarm polls.
// The information records of port 0 of every board that has them, and of the CPU, as the information
// windows would show them.
void PrintInformation(TContext& c) {
    TCliSink& sink = c.session.sink;
    for (int slot = 0; slot <= kCpuSlot; ++slot) {
        const auto type = slot == kCpuSlot ? static_cast<std::uint8_t>(btCPU)
                                           : static_cast<std::uint8_t>(c.Mux().SlotStatus(slot) & 0xFF);
        if (!HasInformationDialog(type)) {
            continue;
        }
        unsigned wanted = 0;
        if (type == btCPU) {
            wanted = 1u << kInfoCpu;
        } else if (type == bt4DSL || type == bt4DSLv2) {
            wanted = (1u << kInfoLine) | (1u << kInfoCasReceived) | (1u << kInfoCasTransmitted);
        } else if (type == btDP) {
            wanted = 1u << kInfoLine;
        } else if (type == bt4C64 || type == bt4C1I) {
            wanted = 1u << kInfoState;
        } else {
            wanted = (1u << kInfoState) | (1u << kInfoCasReceived) | (1u << kInfoCasTransmitted) |
                     (type == bt1DSL ? 1u << kInfoLine : 0u);
        }
        sink.infoSeen = 0;
        c.Mux().SelectInfo(slot, 0, true);
        const bool answered = c.Pump([&] { return (sink.infoSeen & wanted) == wanted; });
        c.Mux().SelectInfo(slot, 0, false);
        c.out << (slot == kCpuSlot ? std::string("ЦП:")
                                   : Format("Слот %d (%s), порт 0:", slot, BoardTypeName(type).c_str()))
              << '\n';
        if (!answered) {
            c.out << "  ???\n";
            continue;
        }
        const auto lines =
            slot == kCpuSlot ? CpuInfoLines(c.Mux().CpuStatus()) : UnitInfoLines(c.Mux(), slot, 0, type);
        for (const std::string& line : lines) {
            c.out << "  " << line << '\n';
        }
    }
}

int Status(TContext& c) {
    TCliSink& sink = c.session.sink;
    if (!c.Pump([&] { return sink.linkUp && sink.slotReports >= 2 && sink.alarmReports >= 1; })) {
        c.out << "Нет связи\n";
        return c.NoAnswer();
    }
    c.out << "Связь есть\n";
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint32_t word = c.Mux().SlotStatus(slot);
        c.out << Format("Слот %2d: %-6s %-5s индикаторы %02X %02X", slot,
                        BoardTypeName(static_cast<std::uint8_t>(word & 0xFF)).c_str(),
                        SlotStateName(static_cast<std::uint8_t>((word >> 8) & 0xFF)).c_str(),
                        (word >> 16) & 0xFF, (word >> 24) & 0xFF)
              << '\n';
    }
    c.out << (sink.alarm == 0 ? std::string("Аварий нет") : AlarmText(ReduceAlarmWord(sink.alarm))) << '\n';
    PrintInformation(c);
    return kExitOk;
}

const std::map<std::string, int (*)(TContext&)> kCommands = {
    {"read", Read},       {"load", Load},    {"compare", Compare}, {"clear", Clear},
    {"restart", Restart}, {"set-id", SetId}, {"status", Status},
};

}  // namespace

bool IsDeviceCommand(const std::string& command) {
    return kCommands.count(command) != 0;
}

int RunDeviceCommand(const std::string& command, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err) {
    TInvocation invocation;
    if (const std::optional<int> status = ParseOptions(command, args, invocation, out, err)) {
        return *status;
    }
    std::unique_ptr<TSession> session;
    try {
        session = std::make_unique<TSession>(invocation.line, err);
    } catch (const EAddressError& e) {
        err << e.what() << '\n';
        return kExitTrouble;
    }
    TSerialPacketHandler& handler = *session->handler;
    // A port on a terminal server connects in the background; it gives up on its own after a few seconds.
    PumpUntil(handler, invocation.line.timeoutSeconds, [&handler] { return !handler.PortConnecting(); });
    QCoreApplication::processEvents();  // the reason of a failure is shown once its signal has returned
    if (!handler.PortOpen()) {
        if (IsNetworkPortName(invocation.line.port)) {
            return kExitTrouble;  // the reason has been shown
        }
        // "Ошибка открытия порта" has been shown; a port this user may not use gets a hint besides.
        const std::string device = SystemPortName(QString::fromStdString(invocation.line.port)).toStdString();
        if (const std::string hint = PortPermissionHint(device); !hint.empty()) {
            err << hint << '\n';
        }
        return kExitTrouble;
    }
    TContext context{*session, invocation, out, err};
    try {
        return kCommands.at(command)(context);
    } catch (const EInOutError& e) {
        err << e.what() << '\n';
        return kExitTrouble;
    }
}

int RunPorts(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            out << "tervis-cli ports\n  Последовательные порты этой машины (с постоянными именами, где они "
                   "есть).\n";
            return kExitOk;
        }
        err << "Неизвестный параметр " << args[0] << '\n';
        return kExitTrouble;
    }
    // Stable names: the symbolic links the system keeps for each adapter.
    std::multimap<QString, QString> stableNames;
    for (const char* folder : {"/dev/serial/by-id", "/dev/serial/by-path"}) {
        const QDir dir(folder);
        for (const QFileInfo& entry : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
            if (entry.isSymLink()) {
                stableNames.emplace(QFileInfo(entry.symLinkTarget()).canonicalFilePath(),
                                    entry.absoluteFilePath());
            }
        }
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString location = info.systemLocation();
        QString line = location;
        const auto [first, last] = stableNames.equal_range(QFileInfo(location).canonicalFilePath());
        for (auto it = first; it != last; ++it) {
            line = it->second + " -> " + location;
            break;
        }
        if (!info.description().isEmpty()) {
            line += "  (" + info.description() + ")";
        }
        out << line.toStdString() << '\n';
    }
    return kExitOk;
}

}  // namespace tervis::cli
