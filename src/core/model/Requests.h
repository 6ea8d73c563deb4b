#pragma once

// The layouts of the requests: command codes, reply codes and the payloads built from the model's
// records. The model queues the write commands of immediate transmission and the link the whole-device
// operations; both take their bytes from here.

#include <cstdint>
#include <vector>

#include "core/model/Mux.h"

namespace tervis {

// Request codes.
namespace cmd {
constexpr std::uint8_t kWriteSlotType = 10;
constexpr std::uint8_t kReadSlotType = 15;
constexpr std::uint8_t kWriteEndpoint = 20;
constexpr std::uint8_t kReadEndpoint = 25;
constexpr std::uint8_t kWriteBlock = 30;
constexpr std::uint8_t kReadBlock = 35;
constexpr std::uint8_t kWriteSettings = 40;
constexpr std::uint8_t kReadSettings = 45;
constexpr std::uint8_t kPollLeds = 100;
constexpr std::uint8_t kPollSlots = 110;
constexpr std::uint8_t kPollCasReceived = 120;
constexpr std::uint8_t kPollCasTransmitted = 130;
constexpr std::uint8_t kPollState = 140;
constexpr std::uint8_t kResetCounters = 150;
constexpr std::uint8_t kPollCpu = 155;
constexpr std::uint8_t kTrace = 165;
constexpr std::uint8_t kPollAlarm = 175;
constexpr std::uint8_t kWriteRs485Id = 185;
constexpr std::uint8_t kPollDsl = 195;
constexpr std::uint8_t kLineTest = 205;
constexpr std::uint8_t kRestart = 255;
}  // namespace cmd

// Reply codes.
namespace reply {
constexpr std::uint8_t kSlotType = 10;
constexpr std::uint8_t kEndpoint = 20;
constexpr std::uint8_t kBlock = 30;
constexpr std::uint8_t kSettings = 40;
constexpr std::uint8_t kLeds = 105;
constexpr std::uint8_t kSlots = 115;
constexpr std::uint8_t kCasReceived = 125;
constexpr std::uint8_t kCasTransmitted = 135;
constexpr std::uint8_t kState = 145;
constexpr std::uint8_t kCpu = 160;
constexpr std::uint8_t kTraceStarted = 165;
constexpr std::uint8_t kTraceMessage = 170;
constexpr std::uint8_t kAlarmWord = 180;
constexpr std::uint8_t kAlarmRecords = 190;
constexpr std::uint8_t kDsl = 200;
}  // namespace reply

namespace request {

// Payloads: the command code and its parameters, without the header BuildRequest puts in front.
std::vector<std::uint8_t> WriteSlotType(int slot, const TSlotType& record);
std::vector<std::uint8_t> WriteBlock(int slot, const TBoardConfig& block);
std::vector<std::uint8_t> WriteSettings(const TMuxSettings& record);
std::vector<std::uint8_t> WriteEndpoint(std::uint16_t endpoint, std::uint16_t link, std::uint16_t signalling);
std::vector<std::uint8_t> ReadEndpoint(std::uint16_t endpoint);

}  // namespace request

}  // namespace tervis
