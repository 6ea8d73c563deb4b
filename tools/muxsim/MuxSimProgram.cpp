#include "MuxSimProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <sstream>

#include "SimAddress.h"
#include "core/base/Version.h"

namespace tervis::muxsim {

namespace {

constexpr std::string_view kProgram = "tervis-muxsim";
constexpr std::int64_t kNsPerMs = 1'000'000;
// The simulator's clock moves at least this often, so that delayed answers, trace messages and script
// actions come out on time; an idle program wakes this often and no more.
constexpr int kTickMs = 10;
// After a hang-up the line is looked at again this much later rather than polled in a loop.
constexpr std::int64_t kHangupPauseNs = 200 * kNsPerMs;
// Answers nobody reads pile up no further than this; the oldest bytes go first (the configurator's decoder
// resynchronises at the next frame end). Requests the multiplexer has not taken yet, too: the newest go.
constexpr std::size_t kMaxBacklogBytes = 64 * 1024;
constexpr std::size_t kReadChunk = 4096;
constexpr std::uint8_t kMaxDeviceNumber = 19;
constexpr std::int64_t kMaxDelayMs = 600000;

// --- Command line -----------------------------------------------------------------------------------

std::int64_t IntegerValue(const std::string& option, const std::string& text, std::int64_t low,
                          std::int64_t high) {
    const auto value = ParseInteger(text);
    if (!value || *value < low || *value > high) {
        throw EUsageError(option + ": '" + text + "' is not a number from " + std::to_string(low) + " to " +
                          std::to_string(high));
    }
    return *value;
}

double ProbabilityValue(const std::string& option, const std::string& text) {
    double value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !(value >= 0 && value <= 1)) {
        throw EUsageError(option + ": '" + text + "' is not a probability from 0 to 1");
    }
    return value;
}

TBoardOption BoardValue(const std::string& option, const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        throw EUsageError(option + ": '" + text + "' is not SLOT:TYPE");
    }
    TBoardOption board;
    board.Slot = static_cast<int>(IntegerValue(option + " slot", text.substr(0, colon), 0, sim::kSlots - 1));
    board.Type = static_cast<std::uint8_t>(IntegerValue(option + " type", text.substr(colon + 1), 0, 255));
    return board;
}

TRemoteOption RemoteValue(const std::string& option, const std::string& text) {
    TRemoteOption remote;
    remote.Text = text;
    const auto equals = text.find('=');
    const std::string pathText = text.substr(0, equals);
    const auto path = sim::ParsePath(pathText);
    if (!path) {
        throw EUsageError(option + ": '" + pathText +
                          "' is not an address path (slotA,portA-slotB,portB;...)");
    }
    remote.Path = *path;
    if (remote.Path.empty()) {
        throw EUsageError(option + ": the address path is empty");
    }
    if (equals != std::string::npos) {
        std::string_view boards = std::string_view(text).substr(equals + 1);
        while (true) {
            const auto comma = boards.find(',');
            remote.Boards.push_back(BoardValue(option, std::string(boards.substr(0, comma))));
            if (comma == std::string_view::npos) {
                break;
            }
            boards.remove_prefix(comma + 1);
        }
    }
    return remote;
}

constexpr std::size_t kMaxScenarioBytes = 1024 * 1024;

// At most limit bytes are read; a longer file is refused, so that a device such as /dev/zero cannot make
// the simulator read without end.
std::vector<std::uint8_t> ReadFileBytes(const std::string& option, const std::string& path,
                                        std::size_t limit) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw EUsageError(option + ": '" + path + "' is a directory, not a file");
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw EUsageError(option + ": cannot read '" + path +
                          "': " + std::strerror(errno != 0 ? errno : ENOENT));
    }
    std::vector<std::uint8_t> bytes(limit + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        throw EUsageError(option + ": cannot read '" + path +
                          "': " + std::strerror(errno != 0 ? errno : EIO));
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > limit) {
        throw EUsageError(option + ": '" + path + "' is longer than " + std::to_string(limit) + " bytes");
    }
    return bytes;
}

// --- Log ----------------------------------------------------------------------------------------------

std::string Hex(std::uint8_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::setw(2) << std::setfill('0') << static_cast<int>(value);
    return out.str();
}

std::string Seconds(std::uint64_t ms) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(3) << static_cast<double>(ms) / 1000.0;
    return out.str();
}

// --- Signals ------------------------------------------------------------------------------------------

int gStopWrite = -1;

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    if (gStopWrite >= 0) {
        const char byte = 's';
        [[maybe_unused]] const ssize_t written = write(gStopWrite, &byte, 1);
    }
    errno = saved;
}

// A pipe that becomes readable on SIGINT, SIGTERM or SIGHUP: the event loop waits on it with the line.
int InstallStopSignals() {
    int fds[2];
    if (pipe(fds) != 0) {
        throw ELineError(std::string("pipe: ") + std::strerror(errno));
    }
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    gStopWrite = fds[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    return fds[0];
}

}  // namespace

namespace {

// One option of the command line, with the means to take its value: after "=" or the next argument.
class TOptionArg {
public:
    TOptionArg(const std::vector<std::string>& args, std::size_t& index) : args_(args), index_(index) {
        Name = args[index];
        if (Name.starts_with("--")) {
            if (const auto equals = Name.find('='); equals != std::string::npos) {
                inlineValue_ = Name.substr(equals + 1);
                Name.resize(equals);
            }
        }
    }
    std::string Value() {
        if (inlineValue_) {
            return *inlineValue_;
        }
        if (index_ + 1 >= args_.size()) {
            throw EUsageError(Name + " needs a value");
        }
        return args_[++index_];
    }
    void Flag(bool& target) const {
        if (inlineValue_) {
            throw EUsageError(Name + " takes no value");
        }
        target = true;
    }
    const std::string& AsGiven() const { return args_[index_]; }

    std::string Name;

private:
    const std::vector<std::string>& args_;
    std::size_t& index_;
    std::optional<std::string> inlineValue_;
};

// Each group of options takes the ones it knows and returns whether it did.
bool LineOption(TOptionArg& arg, TMuxSimOptions& options) {
    const std::string& name = arg.Name;
    if (name == "--device") {
        options.Device = arg.Value();
    } else if (name == "--link") {
        options.LinkPath = arg.Value();
    } else if (name == "--pace") {
        arg.Flag(options.Pace);
    } else if (name == "--delay") {
        options.DelayMs = static_cast<std::uint32_t>(IntegerValue(name, arg.Value(), 0, kMaxDelayMs));
    } else if (name == "--lose") {
        options.Lose = ProbabilityValue(name, arg.Value());
    } else if (name == "--corrupt") {
        options.Corrupt = ProbabilityValue(name, arg.Value());
    } else if (name == "--seed") {
        options.Seed = static_cast<std::uint32_t>(IntegerValue(name, arg.Value(), 0, 0xFFFFFFFFLL));
    } else if (name == "--bare-reply") {
        options.BareReplies.push_back(static_cast<std::uint8_t>(IntegerValue(name, arg.Value(), 0, 255)));
    } else {
        return false;
    }
    return true;
}

bool MultiplexerOption(TOptionArg& arg, TMuxSimOptions& options) {
    const std::string& name = arg.Name;
    if (name == "--config") {
        options.ConfigFile = arg.Value();
    } else if (name == "--no-install") {
        bool noInstall = false;
        arg.Flag(noInstall);
        options.InstallConfigured = false;
    } else if (name == "--board") {
        options.Boards.push_back(BoardValue(name, arg.Value()));
    } else if (name == "--install-only") {
        options.InstallOnly.push_back(BoardValue(name, arg.Value()));
    } else if (name == "--id") {
        options.Id = static_cast<std::uint8_t>(IntegerValue(name, arg.Value(), 0, kMaxDeviceNumber));
    } else if (name == "--remote") {
        options.Remotes.push_back(RemoteValue(name, arg.Value()));
    } else {
        return false;
    }
    return true;
}

bool ProgramOption(TOptionArg& arg, TMuxSimOptions& options) {
    const std::string& name = arg.Name;
    if (name == "--scenario") {
        options.ScenarioFiles.push_back(arg.Value());
    } else if (name == "--demo") {
        arg.Flag(options.Demo);
    } else if (name == "--print-demo") {
        arg.Flag(options.PrintDemo);
    } else if (name == "--verbose" || name == "-v") {
        arg.Flag(options.Verbose);
    } else if (name == "--help" || name == "-h") {
        arg.Flag(options.Help);
    } else if (name == "--version") {
        arg.Flag(options.Version);
    } else {
        return false;
    }
    return true;
}

}  // namespace

TMuxSimOptions ParseMuxSimOptions(const std::vector<std::string>& args) {
    TMuxSimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        TOptionArg arg(args, i);
        const std::string asGiven = arg.AsGiven();
        if (!LineOption(arg, options) && !MultiplexerOption(arg, options) && !ProgramOption(arg, options)) {
            throw EUsageError("unknown option '" + asGiven + "'");
        }
    }
    if (!options.ConfigFile && !options.InstallConfigured) {
        throw EUsageError("--no-install goes with --config");
    }
    return options;
}

std::string MuxSimHelpText() {
    // In Russian, as everything else the programs say; the option names and the script words stay.
    return R"(Использование: tervis-muxsim [ПАРАМЕТР]...
Имитатор мультиплексора на последовательной линии. Создаёт псевдотерминал, печатает путь к его подчинённой
стороне первой строкой стандартного вывода и отвечает там на запросы конфигуратора (57600 бод, 8N1), пока
не получит SIGINT, SIGTERM или SIGHUP. Конфигуратор может закрывать и снова открывать порт когда угодно.

Линия:
  --device ПУТЬ          работать на этом последовательном устройстве (без обработки, 57600 8N1, без
                         управления потоком); его путь — первая строка вывода
  --link ПУТЬ            сделать ещё символическую ссылку ПУТЬ на линию (прежняя символическая ссылка
                         заменяется); при выходе она удаляется
  --pace                 передавать байты с настоящей скоростью линии (10 бит на байт, 5760 байт/с) в
                         обе стороны: запрос принимается, когда пришёл бы его последний байт, ответы
                         уходят не быстрее; что приходит сверх 64 КиБ очереди, отбрасывается
  --delay МС             ответы уходят через МС миллисекунд (0..600000) после запроса
  --lose P               вероятность 0..1 потери ответа
  --corrupt P            вероятность 0..1 искажения одного бита ответа
  --seed N               начальное число генератора сбоев, 0..4294967295 (по умолчанию 1)
  --bare-reply КОД       отвечать на команду КОД (0..255) пустым ответом, одним заголовком, как
                         устройство, которое её не знает; можно повторять

Мультиплексор:
  --id N                 номер устройства 0..19, на который отвечает мультиплексор: 0 (по умолчанию) —
                         со стороны RS-232; 1..19 — его идентификатор RS-485/RS-422, и тогда запросы к 0
                         остаются без ответа
  --config ФАЙЛ          загрузить образ конфигурации (файл .mux, ровно 65534 байта, слова младшим байтом
                         вперёд) в память конфигурации и вставить платы, которые он описывает
  --no-install           вместе с --config: только конфигурация, без вставленных плат
  --board СЛОТ:ТИП       плата с кодом типа ТИП (0..255), настроенная и вставленная в СЛОТ (0..15);
                         можно повторять
  --install-only СЛОТ:ТИП
                         плата вставлена, но не настроена; можно повторять
  --remote ПУТЬ[=СЛОТ:ТИП,...]
                         удалённый мультиплексор за адресным путём ПУТЬ, доступный через мультиплексор
                         --id; ПУТЬ пишется по шагам как slotA,portA-slotB,portB; (например "3,1-7,0;" или
                         "3,1-7,0;2,0-5,1;"); платы после "=" там настроены и вставлены; можно повторять

Сценарии:
  --scenario ФАЙЛ        выполнять действия сценария по времени (см. ниже); можно повторять
  --demo                 заполненное шасси (4E1, 1E1, 4ТЧ, 4DSL, 4C64, 2VS, ДП с двусторонними
                         соединениями и сигнализацией, все аварии сообщаются), аварии потоков которого
                         появляются и исчезают без конца; остальные параметры действуют поверх него
  --print-demo           напечатать демонстрационный сценарий и завершиться

  -v, --verbose          записывать запросы и действия сценариев в стандартный поток ошибок
  -h, --help             напечатать этот текст и завершиться
      --version          напечатать версию и завершиться
Значение параметра — следующий аргумент или текст после "=" (--id=3).

Сценарий: одно действие в строке, "#" начинает комментарий; числа десятичные или шестнадцатеричные с 0x.
  at ВРЕМЯ [@ПУТЬ] ДЕЙСТВИЕ АРГУМЕНТЫ...                      один раз, через ВРЕМЯ после запуска
  every ПЕРИОД [from ВРЕМЯ] [@ПУТЬ] ДЕЙСТВИЕ АРГУМЕНТЫ...     в ВРЕМЯ (по умолчанию 0), затем каждый ПЕРИОД
ВРЕМЯ и ПЕРИОД — секунды ("5", "2.5", "2.5s") или миллисекунды ("500ms"); ПЕРИОД не меньше 10ms.
Действия на одно время выполняются в порядке файла; действия на 0 — до первого запроса.
Действие относится к мультиплексору --id, а с @ПУТЬ — к удалённому по этому адресному пути (заданному в
--remote, иначе к новому пустому). Действия:
  board СЛОТ ТИП                   настроить и вставить плату
  configure СЛОТ ТИП               только память конфигурации
  install СЛОТ ТИП                 только оборудование
  remove СЛОТ                      вынуть плату насовсем
  unplug СЛОТ, plug СЛОТ           вынуть плату, вставить обратно
  alarm СЛОТ БЛОК ФЛАГ on|off      авария потока блока 0..7; ФЛАГ — бит 0..7 или одно из los, lof,
                                   lomf, rlof, rlomf, ber3, ber6
  flags СЛОТ БЛОК БАЙТ             все флаги аварий блока сразу
  hwerror КОД|off                  аппаратная ошибка с кодом 1..255 в записях аварий; 0 или off снимает
  silent on|off                    мультиплексор выключен и снова включён
  state СЛОТ СОСТОЯНИЕ|auto        сообщать состояние слота 0..3 или по плате
  mask БАЙТ                        слово настроек W9: какие аварии сообщаются (0xFF: все)
  setting СЛОВО ЗНАЧЕНИЕ           слово настроек W0..W9
  block СЛОТ W0 [W1 ... W8]        блок конфигурации; недостающие слова — 0
  connect СЛОТ:КАН СЛОТ:КАН [ЧИСЛО]  двусторонние соединения ЧИСЛО идущих подряд каналов
  signalling СЛОТ:КАН БАЙТ [ЧИСЛО]   записи сигнализации (биты abcd 7..4, маска 3..0)
  cas СЛОТ:КАН ABCD [ЧИСЛО]        биты abcd, приходящие по каналам
  trace РЕЖИМ СОСТОЯНИЕ            событие на трассируемом порту, пока идёт трассировка
  tracedemo МС                     период демонстрационных событий трассировки (0: нет)
  power СЛОТ normal|leak|break|short   линия, которую питает плата дистанционного питания
  lose P, corrupt P, delay MS, linesilent on|off
                                   сбои всей линии (без @ПУТЬ)
Например:
  at 5 alarm 4 1 lof on
  at 10 unplug 3
  at 12 plug 3
  at 20 silent on
  every 30 from 25 hwerror 2
  every 30 from 28 hwerror off

Код завершения: 0 после SIGINT, SIGTERM или SIGHUP; 1, когда линию не удаётся открыть или связать
ссылкой; 2 при неверном параметре, значении, файле конфигурации или строке сценария (с её номером).
)";
}

namespace {

// The served multiplexer's configuration and boards, and the remote multiplexers behind it.
void InstallBoards(const TMuxSimOptions& options, sim::TSimLine& line, sim::TSimMultiplexer& served) {
    if (options.ConfigFile) {
        const auto image = ReadFileBytes("--config", *options.ConfigFile, sim::kImageBytes);
        if (image.size() != sim::kImageBytes) {
            throw EUsageError("--config: '" + *options.ConfigFile + "' has " + std::to_string(image.size()) +
                              " bytes; a configuration image has " + std::to_string(sim::kImageBytes));
        }
        served.LoadImage(image);
        if (options.InstallConfigured) {
            for (int slot = 0; slot < sim::kSlots; ++slot) {
                served.InstallBoard(slot, served.ConfiguredBoard(slot));
            }
        }
    }
    for (const auto& board : options.Boards) {
        served.SetBoard(board.Slot, board.Type);
    }
    for (const auto& board : options.InstallOnly) {
        served.InstallBoard(board.Slot, board.Type);
    }
    for (const auto& remote : options.Remotes) {
        auto& mux = line.AddRemote(remote.Path, options.Id);
        for (const auto& board : remote.Boards) {
            mux.SetBoard(board.Slot, board.Type);
        }
    }
}

}  // namespace

TSimulation BuildSimulation(const TMuxSimOptions& options) {
    TSimulation simulation;
    simulation.Line = std::make_unique<sim::TSimLine>(options.Seed);
    auto& line = *simulation.Line;
    line.Faults().DelayMs = options.DelayMs;
    line.Faults().LostProbability = options.Lose;
    line.Faults().CorruptProbability = options.Corrupt;

    simulation.ServedNumber = options.Id;
    if (options.Id == 0) {
        simulation.Served = &line.Local();
    } else {
        // Only the identifier reaches it: nothing sits on the RS-232 side to answer device number 0.
        line.Local().SetSilent(true);
        simulation.Served = &line.AddRs485Device(options.Id);
    }
    auto& served = *simulation.Served;
    for (const std::uint8_t code : options.BareReplies) {
        served.SetBareReply(code);
    }

    const auto addScript = [&](std::vector<TScenarioAction> actions) {
        auto player = std::make_unique<TScenarioPlayer>(std::move(actions), line, served, options.Id);
        player->CreateTargets();
        player->Run(0);
        simulation.Scripts.push_back(std::move(player));
    };
    if (options.Demo) {
        addScript(ParseScenario(DemoScenario(), "demo"));
    }

    InstallBoards(options, line, served);

    for (const auto& file : options.ScenarioFiles) {
        const auto bytes = ReadFileBytes("--scenario", file, kMaxScenarioBytes);
        try {
            addScript(ParseScenario(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), file));
        } catch (const EScenarioError& e) {
            throw EUsageError(e.what());
        }
    }
    return simulation;
}

TLineServer::TLineServer(TSimulation& simulation, int lineFd, bool pace, std::ostream* log)
    : simulation_(simulation),
      fd_(lineFd),
      log_(log),
      startNs_(std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
                   .count()),
      inbound_(pace ? kByteNs : 0),
      outbound_(pace ? kByteNs : 0) {
    if (pace) {
        // The kernel's default timer slack (50 µs) would let every paced byte leave up to that much after
        // its time on the wire; the line's time is what we model, so wake-ups come as close to it as they
        // can.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }
    if (log_ != nullptr) {
        requestLog_ =
            std::make_unique<TFrameDecoder>([this](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
                LogRequest(std::vector<std::uint8_t>(
                    buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length - 2)));
            });
    }
}

std::int64_t TLineServer::NowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count() -
           startNs_;
}

void TLineServer::LogRequest(const std::vector<std::uint8_t>& packet) {
    *log_ << kProgram << ' ' << Seconds(simMs_) << ": request";
    if (packet.size() < 4 || 3u + packet[1] >= packet.size()) {
        *log_ << " malformed (" << packet.size() << " bytes)\n";
        return;
    }
    const std::vector<std::uint8_t> path(packet.begin() + 3, packet.begin() + 3 + packet[1]);
    *log_ << " control " << Hex(packet[0]) << " device " << static_cast<int>(packet[2]);
    if (!path.empty()) {
        *log_ << " path " << sim::FormatPath(path);
    }
    *log_ << " command " << static_cast<int>(packet[3 + packet[1]]) << '\n';
}

void TLineServer::AdvanceTo(std::int64_t nowNs) {
    const auto nowMs = static_cast<std::uint64_t>(nowNs / kNsPerMs);
    auto& line = *simulation_.Line;
    while (simMs_ < nowMs) {
        const auto step = static_cast<std::uint32_t>(std::min<std::uint64_t>(nowMs - simMs_, 0xFFFFFFFFu));
        line.Advance(step);
        simMs_ += step;
    }
    for (auto& script : simulation_.Scripts) {
        script->Run(simMs_, [this](std::uint64_t atMs, const TScenarioAction& action) {
            if (log_ != nullptr) {
                *log_ << kProgram << ' ' << Seconds(atMs) << ": line " << action.Line << ": " << action.Text
                      << '\n';
            }
        });
    }
}

void TLineServer::Hangup(std::int64_t nowNs) {
    lineQuietUntilNs_ = nowNs + kHangupPauseNs;
    if (!hangupReported_) {
        hangupReported_ = true;
        std::cerr << kProgram << ": the line hung up; waiting for it to come back\n";
    }
}

void TLineServer::ReadLine(std::int64_t nowNs) {
    std::uint8_t buffer[kReadChunk];
    // At most a backlog's worth at a time, so that a line that never stops sending cannot keep us here.
    for (std::size_t taken = 0; taken < kMaxBacklogBytes;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            taken += static_cast<std::size_t>(n);
            Receive(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), nowNs);
            hangupReported_ = false;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            Hangup(nowNs);
        }
        return;
    }
}

void TLineServer::Receive(std::span<const std::uint8_t> bytes, std::int64_t nowNs) {
    // Like a receiver overrun: what does not fit is lost, and the configurator retransmits.
    if (inbound_.Empty()) {
        overrunReported_ = false;
    }
    const std::size_t room = kMaxBacklogBytes - std::min(kMaxBacklogBytes, inbound_.Size());
    if (bytes.size() > room && !overrunReported_) {
        overrunReported_ = true;
        std::cerr << kProgram
                  << ": на линию приходит больше, чем успевает обработать мультиплексор; лишние байты "
                  << "отброшены\n";
    }
    inbound_.Push(bytes.first(std::min(room, bytes.size())), nowNs);
}

void TLineServer::WriteLine(std::int64_t nowNs) {
    const std::size_t due = outbound_.DueCount(nowNs);
    writeBlocked_ = false;
    if (due == 0) {
        return;
    }
    const auto bytes = outbound_.Front(due);
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n > 0) {
        outbound_.Pop(static_cast<std::size_t>(n));
        writeBlocked_ = static_cast<std::size_t>(n) < bytes.size();
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        writeBlocked_ = true;
    } else if (n < 0 && errno != EINTR) {
        Hangup(nowNs);
    }
    if (outbound_.Size() > kMaxBacklogBytes) {
        outbound_.Pop(outbound_.Size() - kMaxBacklogBytes);
    }
}

std::int64_t TLineServer::TimeoutNs(std::int64_t nowNs) const {
    std::int64_t next = nowNs + kTickMs * kNsPerMs;
    if (const auto due = inbound_.FrontDueNs()) {
        next = std::min(next, *due);
    }
    if (const auto due = outbound_.FrontDueNs(); due && !writeBlocked_) {
        next = std::min(next, *due);
    }
    for (const auto& script : simulation_.Scripts) {
        if (const auto due = script->NextDueMs()) {
            next = std::min(next, static_cast<std::int64_t>(*due) * kNsPerMs);
        }
    }
    return std::max<std::int64_t>(0, next - nowNs);
}

void TLineServer::Run(int stopFd) {
    auto& line = *simulation_.Line;
    for (;;) {
        std::int64_t nowNs = NowNs();
        AdvanceTo(nowNs);
        // What fell due by the clock (delayed answers, messages of the device's own) leaves now.
        if (line.HasOutput()) {
            outbound_.Push(line.TakeOutput(), nowNs);
        }
        // Requests whose last byte has arrived reach the multiplexers in order. The answer starts when that
        // byte had crossed the line, not when we woke up to notice it: how late the wake-up came is no part
        // of the line's time.
        if (const std::size_t due = inbound_.DueCount(nowNs); due > 0) {
            const auto bytes = inbound_.Front(due);
            const std::int64_t arrivedNs = inbound_.DueNs(due - 1);
            inbound_.Pop(due);
            if (requestLog_) {
                requestLog_->Feed(bytes);
            }
            line.Receive(bytes);
            if (line.HasOutput()) {
                outbound_.Push(line.TakeOutput(), arrivedNs);
            }
        }
        if (nowNs >= lineQuietUntilNs_) {
            WriteLine(nowNs);
        }

        pollfd fds[2] = {{stopFd, POLLIN, 0}, {fd_, 0, 0}};
        const bool watchLine = nowNs >= lineQuietUntilNs_;
        if (watchLine) {
            fds[1].events = static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0));
        }
        const std::int64_t timeoutNs =
            watchLine ? TimeoutNs(nowNs)
                      : std::min<std::int64_t>(kTickMs * kNsPerMs, lineQuietUntilNs_ - nowNs);
        const timespec timeout = {static_cast<time_t>(timeoutNs / 1'000'000'000),
                                  static_cast<long>(timeoutNs % 1'000'000'000)};
        const int ready = ppoll(fds, watchLine ? 2 : 1, &timeout, nullptr);
        if (ready < 0 && errno != EINTR) {
            throw ELineError(std::string("poll: ") + std::strerror(errno));
        }
        if (fds[0].revents != 0) {
            return;
        }
        nowNs = NowNs();
        if (watchLine && (fds[1].revents & POLLIN)) {
            ReadLine(nowNs);
        } else if (watchLine && (fds[1].revents & (POLLHUP | POLLERR))) {
            Hangup(nowNs);
        }
    }
}

int RunMuxSimProgram(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    TMuxSimOptions options;
    TSimulation simulation;
    try {
        options = ParseMuxSimOptions(args);
        if (options.Help) {
            std::cout << MuxSimHelpText();
            return kExitOk;
        }
        if (options.Version) {
            std::cout << kProgram << ' ' << kVersion << '\n';
            return kExitOk;
        }
        if (options.PrintDemo) {
            std::cout << DemoScenario();
            return kExitOk;
        }
        simulation = BuildSimulation(options);
    } catch (const EUsageError& e) {
        std::cerr << kProgram << ": " << e.what() << "\nTry '" << kProgram << " --help'.\n";
        return kExitUsage;
    }

    try {
        // Before the line and its link exist, so that a stop at any moment after them removes the link.
        const int stopFd = InstallStopSignals();
        TSerialLine line =
            options.Device ? TSerialLine::OpenDevice(*options.Device) : TSerialLine::OpenPseudoTerminal();
        std::optional<TLineLink> link;
        if (options.LinkPath) {
            link.emplace(*options.LinkPath, line.Path());
        }
        // The first line of output is the one thing a starting script waits for.
        std::cout << line.Path() << std::endl;
        TLineServer server(simulation, line.Fd(), options.Pace, options.Verbose ? &std::cerr : nullptr);
        server.Run(stopFd);
        if (options.Verbose) {
            const auto& c = simulation.Line->Counters();
            std::cerr << kProgram << ": " << c.RequestsSeen << " requests, " << c.FramesSent
                      << " frames sent, " << c.FramesLost << " lost, " << c.FramesCorrupted << " corrupted\n";
        }
    } catch (const ELineError& e) {
        std::cerr << kProgram << ": " << e.what() << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace tervis::muxsim
