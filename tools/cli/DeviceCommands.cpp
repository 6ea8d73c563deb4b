// The configurator without windows: device operations over a serial line, for scripts and backups.
// Unlike the GUI, nothing here waits forever: without an answer to a request for --timeout seconds the
// operation is given up.
#include "DeviceCommands.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QThread>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "PortAccess.h"
#include "core/alarms/AlarmIndication.h"
#include "core/base/Errors.h"
#include "core/diagnostics/InfoTexts.h"
#include "core/link/Address.h"
#include "core/link/NetworkPort.h"
#include "core/model/Backup.h"
#include "core/model/Mux.h"
#include "core/monitoring/Metrics.h"
#include "platform/SerialPacketHandler.h"
#include "platform/XComm.h"

namespace tervis::cli {

namespace {

const std::map<std::string, const char*> kUsage = {
    {"read",
     "tervis-cli read -o ФАЙЛ [параметры линии]\n  Считать конфигурацию мультиплексора в файл .mux.\n"},
    {"load",
     "tervis-cli load ФАЙЛ [--backup ПАПКА] [--verify] [--rollback] [--dry-run] [параметры линии]\n"
     "  Загрузить конфигурацию из файла в мультиплексор.\n"
     "  --dry-run        ничего не загружать: считать конфигурацию мультиплексора и вывести несовпадения\n"
     "                   с ФАЙЛ (код 0 совпадают, 1 различаются)\n"
     "  --backup ПАПКА   сначала сохранить работающую конфигурацию в ПАПКА/<адрес или "
     "local>-<дата-время>.mux\n"
     "                   (целиком или никак); без резервной копии загрузки нет\n"
     "  --verify         после загрузки считать конфигурацию и сравнить с ФАЙЛ; при несовпадении вывести\n"
     "                   строки и выйти с кодом 4\n"
     "  --rollback       (с --backup) если проверка не прошла или загрузка прервалась, загрузить резервную\n"
     "                   копию и проверить её\n"
     "  Код выхода: 0 загружено (и совпадает), 4 несовпадение после загрузки.\n"},
    {"compare",
     "tervis-cli compare ФАЙЛ [параметры линии]\n  Сравнить файл (слева) с конфигурацией мультиплексора "
     "(справа).\n"
     "  Код выхода: 0 совпадают, 1 различаются, 2 ошибка, 3 нет ответа.\n"},
    {"clear", "tervis-cli clear [параметры линии]\n  Стереть конфигурацию мультиплексора.\n"},
    {"restart", "tervis-cli restart [параметры линии]\n  Перезапустить мультиплексор.\n"},
    {"status",
     "tervis-cli status [параметры линии]\n  Состояние связи, плат (тип, состояние, индикаторы), текущая "
     "авария и информация плат (порт 0) и ЦП.\n"
     "  --prometheus      вместо этого метрики в текстовом формате Prometheus (для textfile collector)\n"},
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

// Runs the event loop until done() or until the timeout has passed without progress. Progress is what
// progressMade() counts (by default nothing, so the timeout bounds the whole wait): answers to requests we
// do not need, or polls that keep coming, never hold a command up.
bool PumpUntil(double timeoutSeconds, const std::function<bool()>& done,
               const std::function<void()>& refresh = {},
               const std::function<std::uint64_t()>& progressMade = {}) {
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    std::uint64_t lastProgress = progressMade ? progressMade() : 0;
    while (!done()) {
        // Blocks until something happens; the link's 50 ms timer wakes it at the latest.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (progressMade && progressMade() != lastProgress) {
            lastProgress = progressMade();
            sinceProgress.restart();
        }
        if (refresh) {
            refresh();
        }
        if (static_cast<double>(sinceProgress.elapsed()) > timeoutSeconds * 1000.0) {
            return false;
        }
    }
    return true;
}

// The progress window of a device operation: a bar on a terminal, nothing otherwise.
class TCliProgress : public IProgressFactory {
public:
    explicit TCliProgress(double timeoutSeconds)
        : timeoutSeconds_(timeoutSeconds), terminal_(isatty(STDERR_FILENO) == 1) {}

    std::unique_ptr<IProgressWindow> CreateProgress(const std::string& caption) override {
        return std::make_unique<TWindow>(*this, caption);
    }
    bool Terminal() const { return terminal_; }
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
            // Each request answered shortens the queue; a new phase may lengthen it again.
            if (remaining < remaining_) {
                ++answered_;
            }
            remaining_ = remaining;
            done_ = remaining == 0;
        }
        bool Execute() override {
            const bool completed = PumpUntil(
                owner_.timeoutSeconds_, [this] { return done_; }, [this] { Draw(false); },
                [this] { return answered_; });
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
        std::uint64_t answered_ = 0;
        bool done_ = false;
    };

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
        progress = std::make_unique<TCliProgress>(line.timeoutSeconds);
        handler->SetProgressFactory(progress.get());
    }
};

constexpr const char* kNoAnswer = "Нет связи с мультиплексором";

// The safety net of a load.
struct TSafeLoad {
    std::string backupFolder;  // empty: no backup
    bool verify = false;
    bool rollback = false;
    bool dryRun = false;
};

// What the command line asked for.
struct TInvocation {
    TLine line;
    std::vector<std::string> positional;
    std::string outputFile;
    std::optional<int> identifier;  // set-id
    bool prometheus = false;        // status: the exporter's metrics instead of the text
    TSafeLoad safeLoad;
};

// Everything a command works with once the line is open.
struct TContext {
    TSession& session;
    const TInvocation& invocation;
    std::ostream& out;
    std::ostream& err;

    TMux& Mux() { return *session.mux; }
    TSerialPacketHandler& Handler() { return *session.handler; }
    bool Pump(const std::function<bool()>& done) { return PumpUntil(invocation.line.timeoutSeconds, done); }
    // Each line goes out whole as soon as it is known, also into a pipe that a script reads as it comes.
    void PrintLine(const std::string& line) { out << line << '\n' << std::flush; }
    int NoAnswer() {
        err << kNoAnswer << '\n';
        return kExitNoAnswer;
    }
};

// The line options (--port, --address, --id, --timeout) and read's -o, which take a value. Returns
// whether a is one of them; status is set when the command ends here.
bool ParseValueOption(const std::string& command, const std::string& a, const std::string* value,
                      TInvocation& invocation, std::optional<int>& status, std::ostream& err) {
    TLine& line = invocation.line;
    const bool known = a == "--port" || a == "--address" || (a == "-o" && command == "read") || a == "--id" ||
                       a == "--timeout" || (a == "--backup" && command == "load");
    if (!known) {
        return false;
    }
    if (value == nullptr) {
        err << "Параметр " << a << " требует значения\n";
        status = kExitTrouble;
        return true;
    }
    if (a == "--id") {
        const auto n = ParseInt(*value);
        if (!n || *n < 0 || *n > 19) {
            err << "Номер устройства должен быть от 0 до 19\n";
            status = kExitTrouble;
        } else {
            line.id = *n;
        }
    } else if (a == "--timeout") {
        try {
            line.timeoutSeconds = std::stod(*value);
        } catch (const std::exception&) {
            line.timeoutSeconds = -1;  // reported below with the other bad values
        }
        if (!(line.timeoutSeconds > 0)) {
            err << "Неверное время ожидания: " << *value << '\n';
            status = kExitTrouble;
        }
    } else {
        (a == "--port"      ? line.port
         : a == "--address" ? line.address
         : a == "--backup"  ? invocation.safeLoad.backupFolder
                            : invocation.outputFile) = *value;
    }
    return true;
}

// load's switches; returns whether a is one of them.
bool ParseSafeLoadSwitch(const std::string& command, const std::string& a, TSafeLoad& safeLoad) {
    if (command != "load") {
        return false;
    }
    bool* const flag = a == "--verify"     ? &safeLoad.verify
                       : a == "--rollback" ? &safeLoad.rollback
                       : a == "--dry-run"  ? &safeLoad.dryRun
                                           : nullptr;
    if (flag != nullptr) {
        *flag = true;
    }
    return flag != nullptr;
}

// The operands and the options that only make sense together.
std::optional<int> CheckOperands(const std::string& command, TInvocation& invocation, std::ostream& err) {
    const std::size_t wanted = (command == "load" || command == "compare" || command == "set-id") ? 1 : 0;
    if (invocation.positional.size() != wanted || (command == "read" && invocation.outputFile.empty())) {
        err << kUsage.at(command) << kLineOptions;
        return kExitTrouble;
    }
    const TSafeLoad& safeLoad = invocation.safeLoad;
    if (safeLoad.rollback && safeLoad.backupFolder.empty()) {
        err << "--rollback требует --backup: без резервной копии откатывать нечего\n";
        return kExitTrouble;
    }
    if (safeLoad.dryRun && (safeLoad.verify || safeLoad.rollback || !safeLoad.backupFolder.empty())) {
        err << "--dry-run ничего не загружает и не сочетается с --backup, --verify и --rollback\n";
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

// Reads the options into invocation; an exit status when the command ends here (help, bad arguments).
std::optional<int> ParseOptions(const std::string& command, const std::vector<std::string>& args,
                                TInvocation& invocation, std::ostream& out, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kUsage.at(command) << kLineOptions;
            return kExitOk;
        }
        std::optional<int> status;
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        if (ParseValueOption(command, a, value, invocation, status, err)) {
            if (status) {
                return status;
            }
            ++i;
        } else if (ParseSafeLoadSwitch(command, a, invocation.safeLoad)) {
            continue;
        } else if (a == "--prometheus" && command == "status") {
            invocation.prometheus = true;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "Неизвестный параметр " << a << "\n" << kUsage.at(command);
            return kExitTrouble;
        } else {
            invocation.positional.push_back(a);
        }
    }
    return CheckOperands(command, invocation, err);
}

int Read(TContext& c) {
    if (!c.Mux().ReadConfiguration()) {
        return c.NoAnswer();
    }
    c.Mux().SaveToFile(c.invocation.outputFile);  // written beside and renamed: whole or not at all
    return kExitOk;
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

// --- the safe load: backup, load, verify, roll back

// One line per step on a terminal; a script reads only the results.
void Step(TContext& c, const std::string& text) {
    if (c.session.progress->Terminal()) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
}

// Reads the running configuration into a new model and keeps it in the backup folder. The file is
// written whole or not at all; without it nothing is loaded.
std::optional<int> WriteBackup(TContext& c, std::filesystem::path& backup) {
    Step(c, "Резервная копия: чтение конфигурации мультиплексора");
    c.Mux().Clear();
    if (!c.Mux().ReadConfiguration()) {
        c.err << "Резервная копия не сделана, конфигурация не загружалась\n";
        return c.NoAnswer();
    }
    const std::filesystem::path folder = c.invocation.safeLoad.backupFolder;
    backup = folder / BackupFileName(c.invocation.line.address, TSystemClock().Now());
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    try {
        c.Mux().SaveToFile(backup);
    } catch (const EInOutError& e) {
        c.err << e.what() << "\nРезервная копия не сделана, конфигурация не загружалась\n";
        return kExitTrouble;
    }
    Step(c, "Резервная копия: " + backup.string());
    return std::nullopt;
}

// Loads file into the device; with verify, reads it back and compares, the mismatch lines on out.
// The result: the device holds the file (true), holds something else (false), or is unknown (nothing).
std::optional<bool> LoadAndVerify(TContext& c, const std::string& file, bool verify) {
    if (!c.Mux().LoadFromFile(file)) {
        throw EInOutError("Файл " + file + " не найден");
    }
    Step(c, "Загрузка " + file);
    if (!c.Mux().LoadConfiguration()) {
        c.err << kNoAnswer << '\n';
        return std::nullopt;
    }
    if (!verify) {
        return true;
    }
    Step(c, "Проверка: чтение конфигурации мультиплексора");
    // The report and "Отличий не найдено" are the command's output, as compare has them.
    c.session.messages.messages = &c.out;
    c.session.messages.report = &c.out;
    const std::optional<bool> differs = c.Mux().CompareConfiguration();
    c.session.messages.messages = &c.err;
    if (!differs) {
        c.err << kNoAnswer << '\n';
        return std::nullopt;
    }
    return !*differs;
}

// After a failed load: the backup goes back and is checked; out says what the device holds now.
void RollBack(TContext& c, const std::filesystem::path& backup) {
    Step(c, "Откат: загрузка резервной копии " + backup.string());
    const std::optional<bool> restored = LoadAndVerify(c, backup.string(), true);
    if (!restored) {
        c.out << "Откат прерван: конфигурация мультиплексора неизвестна (резервная копия " << backup.string()
              << ")\n";
    } else if (*restored) {
        c.out << "Откат выполнен: на мультиплексоре прежняя конфигурация (" << backup.string() << ")\n";
    } else {
        c.out << "Откат не удался: конфигурация мультиплексора не совпадает ни с загружаемой, ни с резервной "
                 "копией "
              << backup.string() << '\n';
    }
}

int Load(TContext& c) {
    const TSafeLoad& safe = c.invocation.safeLoad;
    const std::string& file = c.invocation.positional[0];
    if (safe.dryRun) {
        return Compare(c);  // reads the device and shows the mismatch lines; loads nothing
    }
    // A file that cannot be read stops the command before the device is touched.
    if (!c.Mux().LoadFromFile(file)) {
        return kExitTrouble;
    }
    std::filesystem::path backup;
    if (!safe.backupFolder.empty()) {
        if (const std::optional<int> status = WriteBackup(c, backup)) {
            return *status;
        }
    }
    const std::optional<bool> holdsFile = LoadAndVerify(c, file, safe.verify);
    if (holdsFile == true) {
        return kExitOk;
    }
    if (safe.rollback) {
        RollBack(c, backup);
    } else if (!holdsFile) {
        c.out << "Загрузка прервана: конфигурация мультиплексора неизвестна\n";
    } else {
        c.out << "Конфигурация мультиплексора не совпадает с " << file << '\n';
    }
    return holdsFile ? kExitMismatch : kExitNoAnswer;
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

// The information records a board's window shows for one port, by code.
unsigned WantedInformation(std::uint8_t type) {
    const unsigned state = 1u << kInfoState;
    const unsigned line = 1u << kInfoLine;
    const unsigned cas = (1u << kInfoCasReceived) | (1u << kInfoCasTransmitted);
    switch (type) {
        case btCPU:
            return 1u << kInfoCpu;
        case bt4DSL:
        case bt4DSLv2:
            return line | cas;
        case btDP:
            return line;
        case bt4C64:
        case bt4C1I:
            return state;
        case bt1DSL:
            return state | cas | line;
        default:
            return state | cas;
    }
}

// The information records of port 0 of every board that has them, and of the CPU, as the information
// windows would show them. False when a board never gave what its window needs.
bool PrintInformation(TContext& c) {
    TCliSink& sink = c.session.sink;
    bool complete = true;
    for (int slot = 0; slot <= kCpuSlot; ++slot) {
        const auto type = slot == kCpuSlot ? static_cast<std::uint8_t>(btCPU)
                                           : static_cast<std::uint8_t>(c.Mux().SlotStatus(slot) & 0xFF);
        if (!HasInformationDialog(type)) {
            continue;
        }
        const unsigned wanted = WantedInformation(type);
        if (slot != kCpuSlot) {
            // The selection polls by the slot's configured type; this model holds no configuration, so
            // it takes the type the device reports. Nothing is sent: it is only stored.
            c.Mux().StoreSlotType(slot, TSlotType{type, 0, 0});
        }
        sink.infoSeen = 0;
        c.Mux().SelectInfo(slot, 0, true);
        const bool answered = c.Pump([&] { return (sink.infoSeen & wanted) == wanted; });
        c.Mux().SelectInfo(slot, 0, false);
        c.PrintLine(slot == kCpuSlot ? std::string("ЦП:")
                                     : Format("Слот %d (%s), порт 0:", slot, BoardTypeName(type).c_str()));
        if (!answered) {
            c.PrintLine("  ???");
            complete = false;
            continue;
        }
        const auto lines =
            slot == kCpuSlot ? CpuInfoLines(c.Mux().CpuStatus()) : UnitInfoLines(c.Mux(), slot, 0, type);
        for (const std::string& line : lines) {
            c.PrintLine("  " + line);
        }
    }
    return complete;
}

// The exporter's metrics of this one multiplexer, labelled with the port (and the address path). Without
// an answer the page still says so (tervis_link_up 0), and the exit status too.
int PrometheusStatus(TContext& c) {
    TCliSink& sink = c.session.sink;
    QElapsedTimer walk;
    walk.start();
    TMuxSample sample;
    sample.Name = c.invocation.line.port +
                  (c.invocation.line.address.empty() ? std::string() : " " + c.invocation.line.address);
    // False when the device stopped answering; otherwise whether done() came true before the device had
    // answered kAnswersPerSelection requests without it.
    std::optional<bool> completed;
    const auto pump = [&](const std::function<bool()>& done) {
        const std::uint64_t start = c.Handler().AnswersReceived();
        const bool answering =
            c.Pump([&] { return done() || c.Handler().AnswersReceived() - start > kAnswersPerSelection; });
        completed = answering && done();
        return answering;
    };
    const auto selectAndWait = [&](const TInfoRequest& request, unsigned records) {
        sink.infoSeen = 0;
        SelectReportedUnit(c.Mux(), request);
        return pump([&] { return (sink.infoSeen & records) == records; });
    };
    sample.LinkUp = pump([&] { return sink.linkUp && sink.slotReports >= 2 && sink.alarmReports >= 1; }) &&
                    sink.slotReports >= 2;
    if (sample.LinkUp) {
        sample.Slots = c.Mux().GetSlotStatus();
        sample.AlarmWord = sink.alarm;
        sample.LinkUp = selectAndWait({kCpuSlot, 0, btCPU, 0}, 1u << kInfoCpu);
        if (*completed) {
            sample.Cpu = c.Mux().CpuStatus();
        }
        for (const TInfoRequest& request : InformationPlan(sample.Slots)) {
            if (!sample.LinkUp || !selectAndWait(request, request.Records)) {
                sample.LinkUp = false;
                break;
            }
            if (*completed) {  // a unit whose records never come is left out
                sample.Units.push_back(CaptureUnit(c.Mux(), request));
            }
        }
    }
    sample.PollSeconds = static_cast<double>(walk.nsecsElapsed()) / 1e9;
    sample.FinishedAt = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    c.out << RenderMetrics(std::span(&sample, 1));
    return sample.LinkUp ? kExitOk : c.NoAnswer();
}

int Status(TContext& c) {
    if (c.invocation.prometheus) {
        return PrometheusStatus(c);
    }
    TCliSink& sink = c.session.sink;
    // One full round of the slot, lamp and alarm polls.
    if (!c.Pump([&] { return sink.linkUp && sink.slotReports >= 2 && sink.alarmReports >= 1; })) {
        c.PrintLine("Нет связи");
        return c.NoAnswer();
    }
    c.PrintLine("Связь есть");
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint32_t word = c.Mux().SlotStatus(slot);
        c.PrintLine(Format("Слот %2d: ", slot) +
                    PadRight(BoardTypeName(static_cast<std::uint8_t>(word & 0xFF)), 6) + " " +
                    PadRight(SlotStateName(static_cast<std::uint8_t>((word >> 8) & 0xFF)), 5) +
                    Format(" индикаторы %02X %02X", (word >> 16) & 0xFF, (word >> 24) & 0xFF));
    }
    c.PrintLine(sink.alarm == 0 ? std::string("Аварий нет") : AlarmText(ReduceAlarmWord(sink.alarm)));
    return PrintInformation(c) ? kExitOk : c.NoAnswer();
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
    PumpUntil(invocation.line.timeoutSeconds, [&handler] { return !handler.PortConnecting(); });
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
