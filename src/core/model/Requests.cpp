#include "core/model/Requests.h"

#include "core/base/Bytes.h"

namespace tervis::request {

std::vector<std::uint8_t> WriteSlotType(int slot, const TSlotType& record) {
    return {cmd::kWriteSlotType, static_cast<std::uint8_t>(slot),
            record.Type,         High(record.Param1),
            Low(record.Param1),  High(record.Param2),
            Low(record.Param2)};
}

std::vector<std::uint8_t> WriteBlock(int slot, const TBoardConfig& block) {
    std::vector<std::uint8_t> payload = {cmd::kWriteBlock, static_cast<std::uint8_t>(slot)};
    for (std::uint16_t word : block) {
        payload.push_back(High(word));
        payload.push_back(Low(word));
    }
    return payload;
}

std::vector<std::uint8_t> WriteSettings(const TMuxSettings& record) {
    std::vector<std::uint8_t> payload = {cmd::kWriteSettings};
    for (std::uint16_t word : record) {
        payload.push_back(Low(word));  // each word holds 0..255 and travels as one byte
    }
    return payload;
}

std::vector<std::uint8_t> WriteEndpoint(std::uint16_t endpoint, std::uint16_t link,
                                        std::uint16_t signalling) {
    return {cmd::kWriteEndpoint, High(endpoint), Low(endpoint), High(link), Low(link), Low(signalling)};
}

std::vector<std::uint8_t> ReadEndpoint(std::uint16_t endpoint) {
    return {cmd::kReadEndpoint, High(endpoint), Low(endpoint)};
}

}  // namespace tervis::request
