// Comparison of the program's configuration (this model, the left side) with another (the device's).
#include "core/model/Mux.h"

namespace tervis {

namespace {

// One side of a link entry in the mismatch report.
std::string LinkPart(std::uint16_t entry) {
    if (entry == kEndpointNone) {
        return "\"нет\"";
    }
    if (entry == kEndpointGenerator) {
        return "генератор";
    }
    return Format("слот %d, порт %d", entry >> 7, entry & 127);
}

std::string SettingsMismatch(std::size_t word) {
    if (word <= 5) {
        return "ЦП: несовпадение таблицы синхронизации";
    }
    if (word == 6) {
        return "ЦП: несовпадение типа синхронизации";
    }
    if (word <= 8) {
        return "ЦП: несовпадение соединения измерителя";
    }
    return "ЦП: несовпадение настроек";
}

}  // namespace

std::vector<std::string> TMux::MismatchLines(const TMux& other) const {
    std::vector<std::string> lines;
    const TMuxSettings left = GetMuxSettings();
    const TMuxSettings right = other.GetMuxSettings();
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (left[i] != right[i]) {
            lines.push_back(SettingsMismatch(i));
            break;
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const TSlotType leftType = GetSlotType(slot);
        const TSlotType rightType = other.GetSlotType(slot);
        if (leftType.Type != rightType.Type) {
            lines.push_back(Format("Плата %d: несовпадение типа ", slot) +
                            Format("\"%s\" - \"%s\"", BoardTypeName(leftType.Type).c_str(),
                                   BoardTypeName(rightType.Type).c_str()));
            continue;
        }
        if (leftType.Param1 != rightType.Param1 || leftType.Param2 != rightType.Param2 ||
            GetBoardConfig(slot) != other.GetBoardConfig(slot)) {
            lines.push_back(Format("Плата %d: несовпадение конфигурации ", slot));
        }
        const int channels = TypeChannels(leftType.Type);
        for (int channel = 0; channel < channels; ++channel) {
            const std::uint16_t e =
                MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel));
            const std::uint16_t leftLink = GetLink(e);
            const std::uint16_t rightLink = other.GetLink(e);
            if (leftLink != rightLink) {
                lines.push_back(Format("Плата %d, канал %d: несовпадение соединения ", slot, channel) + "(" +
                                LinkPart(leftLink) + " - " + LinkPart(rightLink) + ")");
            }
            const std::uint16_t leftBits = GetSignalling(e);
            const std::uint16_t rightBits = other.GetSignalling(e);
            if (leftBits != rightBits) {
                lines.push_back(Format("Плата %d, канал %d: несовпадение сигнальных битов ", slot, channel) +
                                Format("(%s, %s - %s, %s)", IntToBin(leftBits >> 4, 4).c_str(),
                                       IntToBin(leftBits, 4).c_str(), IntToBin(rightBits >> 4, 4).c_str(),
                                       IntToBin(rightBits, 4).c_str()));
            }
        }
    }
    return lines;
}

bool TMux::CompareWith(const TMux& other) const {
    const std::vector<std::string> lines = MismatchLines(other);
    if (operator_ != nullptr) {
        if (lines.empty()) {
            operator_->ShowMessage("Отличий не найдено");
        } else {
            operator_->ShowReport(lines);
        }
    }
    return !lines.empty();
}

}  // namespace tervis
