// Writes the seeds of the packet and host message targets from what the simulated multiplexer answers,
// so that they carry real replies of every board type and every reply code instead of bytes made up to
// look like them. Run by hand after the device side or the targets' input formats change:
//   cmake --build build-fuzz --target fuzz_seeds && build-fuzz/tests/fuzz/fuzz_seeds tests/fuzz/corpus
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SimBoards.h"
#include "SimMultiplexer.h"

namespace {

using namespace tervis::sim;
using TBytes = std::vector<std::uint8_t>;

// The reply codes in the order of the packet target's table: its reply event picks one by index.
constexpr std::uint8_t kReplyOrder[] = {
    reply::kSlotType,    reply::kEndpoint,     reply::kBlock,        reply::kSettings,
    reply::kSlotLamps,   reply::kSlotTypes,    reply::kCasReceived,  reply::kCasTransmitted,
    reply::kBoardStatus, reply::kCpuStatus,    reply::kTraceStarted, reply::kTraceMessage,
    reply::kAlarmWord,   reply::kAlarmRecords, reply::kDslStatus,
};

// Every board type the configurator knows; the simulator answers for those it has no tables of as for a
// board that reports nothing of its own.
constexpr std::uint8_t kBoards[] = {1,  2,  3,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                    18, 19, 20, 22, 23, 24, 25, 26, 27, 29, 32, 33};

constexpr int kSlot = 5;
constexpr int kUnit = 1;

void Write(const std::filesystem::path& file, const TBytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::printf("%s: %zu bytes\n", file.string().c_str(), bytes.size());
}

// A multiplexer with the board in kSlot, a second of counters behind it and an alarm on the unit.
TSimMultiplexer Chassis(std::uint8_t type) {
    TSimMultiplexer mux;
    mux.SetHonourAlarmMask(false);
    mux.SetBoard(0, board::k4E1);
    if (type != board::kCpu) {
        mux.SetBoard(kSlot, type);
        mux.SetStreamAlarm(kSlot, kUnit, 1, true);
    }
    mux.Advance(3000);
    return mux;
}

constexpr std::uint8_t kUnitByte = kSlot + 16 * kUnit;

std::vector<TBytes> Execute(TSimMultiplexer& mux, const std::vector<TBytes>& commands) {
    std::vector<TBytes> answers;
    for (const TBytes& command : commands) {
        if (auto answer = mux.Execute(command, true)) {
            answers.push_back(*answer);
        }
    }
    return answers;
}

// What the board answers to the polls of the unit selected in the information window: the signalling
// snapshots of a board that carries signalling, the stream or power state of one that reports it, the
// line record of a DSL board; the bare state answer of a board that reports none of them.
std::vector<TBytes> UnitAnswers(TSimMultiplexer& mux, std::uint8_t type) {
    std::vector<TBytes> commands;
    if (CarriesCas(type)) {
        commands.push_back({cmd::kCasReceived, kUnitByte});
        commands.push_back({cmd::kCasTransmitted, kUnitByte});
    }
    if (ReportsStreamState(type) || type == board::k4C1I || type == board::kDP) {
        commands.push_back({cmd::kBoardStatus, kUnitByte});
    }
    if (IsDslBoard(type)) {
        commands.push_back({cmd::kDslStatus, kUnitByte});
    }
    if (commands.empty()) {
        commands.push_back({cmd::kBoardStatus, kUnitByte});
    }
    return Execute(mux, commands);
}

// What the device answers about the whole chassis: the slot reports, both alarm replies, the CPU status,
// the configuration reads, a trace started and its messages.
std::vector<TBytes> ChassisAnswers(TSimMultiplexer& mux) {
    const std::uint16_t endpoint = kSlot * 128 + 1;
    std::vector<TBytes> answers = Execute(mux, {{cmd::kSlotTypes},
                                                {cmd::kSlotLamps},
                                                {cmd::kAlarms},
                                                {cmd::kCpuStatus},
                                                {cmd::kReadSlotType, kSlot},
                                                {cmd::kReadBlock, kSlot},
                                                {cmd::kReadEndpoint, static_cast<std::uint8_t>(endpoint >> 8),
                                                 static_cast<std::uint8_t>(endpoint)},
                                                {cmd::kReadSettings},
                                                {cmd::kTrace, kSlot, 1}});
    mux.SetAlarmReply(TAlarmReply::kWord);
    const std::vector<TBytes> word = Execute(mux, {{cmd::kAlarms}});
    answers.insert(answers.end(), word.begin(), word.end());
    mux.Advance(5000);  // trace messages of the traced channel
    for (const TSimUnsolicited& message : mux.TakeUnsolicited()) {
        answers.push_back(message.Payload);
    }
    return answers;
}

// The packet target's input: a scene (no immediate transmission, no log, no address path, a board in
// kSlot, its unit selected for information, single commands queued), ten ticks so that a request goes
// out, then each answer as a reply that echoes the request's header, with a tick after each. A unit
// reply names its board type itself.
TBytes PacketSeed(std::uint8_t type, const std::vector<TBytes>& answers) {
    TBytes seed = {
        0x00, 0x00, 0x00, 0x01, kSlot, type, static_cast<std::uint8_t>(0x80 | (kUnit << 4) | kSlot),
        0x04, 0x48};
    for (const TBytes& answer : answers) {
        std::uint8_t index = 0;
        while (kReplyOrder[index] != answer[0]) {
            ++index;
        }
        seed.push_back(static_cast<std::uint8_t>((index << 3) | 2));
        seed.push_back(static_cast<std::uint8_t>(answer.size() - 1));
        seed.insert(seed.end(), answer.begin() + 1, answer.end());
        seed.push_back(0x00);  // a tick
    }
    return seed;
}

// The host message target's input: a cut of 7 bytes, then each answer as the data copy the host hands a
// configurator, packet header first.
TBytes HostMessageSeed(const std::vector<TBytes>& answers) {
    TBytes seed = {0x06};
    std::uint8_t control = 0x01;
    for (const TBytes& answer : answers) {
        const std::size_t length = 3 + answer.size();
        seed.insert(seed.end(), {0x4A, static_cast<std::uint8_t>(length & 0xFF),
                                 static_cast<std::uint8_t>(length >> 8), control++, 0x00, 0x00});
        seed.insert(seed.end(), answer.begin(), answer.end());
    }
    return seed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS_FOLDER\n");
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    std::vector<TBytes> everyReply;  // the first answer of each reply code, whatever the board
    const auto collect = [&](const std::vector<TBytes>& answers) {
        for (const TBytes& answer : answers) {
            if (std::none_of(everyReply.begin(), everyReply.end(),
                             [&](const TBytes& known) { return known[0] == answer[0]; })) {
                everyReply.push_back(answer);
            }
        }
    };
    // The unit replies: one seed per board type with all its unit's answers, so that each seed is short
    // (the target's first stage sweeps every byte of every seed) and a mutation lands in the reply it is
    // about more often.
    for (const std::uint8_t type : kBoards) {
        TSimMultiplexer mux = Chassis(type);
        const std::vector<TBytes> answers = UnitAnswers(mux, type);
        Write(corpus / "packet_handler" / ("board_" + std::to_string(type)), PacketSeed(type, answers));
        collect(answers);
    }
    TSimMultiplexer chassis = Chassis(board::k4DSLv2);
    const std::vector<TBytes> answers = ChassisAnswers(chassis);
    Write(corpus / "packet_handler" / "chassis_replies", PacketSeed(board::k4DSLv2, answers));
    collect(answers);

    // The longest answer there is: the alarm records of a chassis whose every stream has lost its signal.
    TSimMultiplexer alarmed;
    alarmed.SetHonourAlarmMask(false);
    for (int slot = 0; slot < 16; ++slot) {
        alarmed.SetBoard(slot, board::k4E1);
        for (int unit = 0; unit < 4; ++unit) {
            alarmed.SetStreamAlarm(slot, unit, 0, true);
        }
    }
    everyReply.push_back(*alarmed.Execute(TBytes{cmd::kAlarms}, true));
    Write(corpus / "host_message" / "every_reply", HostMessageSeed(everyReply));
    return 0;
}
