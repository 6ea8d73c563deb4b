// Replies from the device, decoded into the model's records. Configuration replies carry big-endian
// words; the counters of the information replies are little-endian.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

#include "core/base/Bytes.h"
#include "core/link/PacketHandler.h"
#include "core/link/StatusDecoding.h"
#include "core/model/Mux.h"

namespace tervis {

namespace {

// Reads the fields of one reply. A field past the receive buffer reads as zero and is noted: a reply
// whose layout does not fit stores nothing (it was still a sign of life).
class TReplyReader {
public:
    TReplyReader(std::span<const std::uint8_t> buffer, std::size_t p) : buffer_(buffer), p_(p) {}
    // Byte P + k.
    std::uint8_t Byte(std::size_t k) const {
        if (p_ + k >= buffer_.size()) {
            overran_ = true;
            return 0;
        }
        return buffer_[p_ + k];
    }
    std::uint16_t Big16(std::size_t k) const {
        return static_cast<std::uint16_t>((Byte(k) << 8) | Byte(k + 1));
    }
    std::uint16_t Little16(std::size_t k) const {
        return static_cast<std::uint16_t>(Byte(k) | (Byte(k + 1) << 8));
    }
    std::uint32_t Little24(std::size_t k) const {
        return static_cast<std::uint32_t>(Little16(k)) | (static_cast<std::uint32_t>(Byte(k + 2)) << 16);
    }
    std::uint32_t Little32(std::size_t k) const {
        return Little24(k) | (static_cast<std::uint32_t>(Byte(k + 3)) << 24);
    }
    // Whether every field read so far lay inside the buffer.
    bool Complete() const { return !overran_; }

private:
    std::span<const std::uint8_t> buffer_;
    std::size_t p_;
    mutable bool overran_ = false;
};

// A count over a period; the count itself when no period has elapsed.
double Rate(std::uint32_t count, std::uint32_t period) {
    return period == 0 ? static_cast<double>(count)
                       : static_cast<double>(count) / static_cast<double>(period);
}

// Reply 160 after its code.
TCpuState ReadCpuState(const TReplyReader& r) {
    TCpuState state;
    state.Version = r.Byte(1);
    state.Chassis = r.Byte(2);
    state.SyncType = r.Byte(3);
    state.SyncUnit = r.Byte(4);
    state.Load125us = r.Little16(5);
    state.Load2ms = r.Little16(7);
    state.Uptime = r.Little32(9);
    state.Restarts = r.Byte(13);
    state.LevelCode = r.Little32(14);
    return state;
}

}  // namespace

std::optional<TCpuState> DecodeCpuStatus(const TCpuStatus& block) {
    const TReplyReader r(block, 3 + static_cast<std::size_t>(block[2]));
    const TCpuState state = ReadCpuState(r);
    return r.Complete() ? std::optional(state) : std::nullopt;
}

double CpuLevelDb(std::uint32_t levelCode) {
    constexpr std::uint32_t kFloor = 2400;
    constexpr double kReference = 4492800.0;
    return 20.0 * std::log10(static_cast<double>(std::max(levelCode, kFloor)) / kReference);
}

std::string LevelText(double level, char decimalPoint) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, level, std::chars_format::fixed, 2);
    std::string text(buffer, result.ptr);
    std::replace(text.begin(), text.end(), '.', decimalPoint);
    return text;
}

std::uint16_t TCustomPacketHandler::ReduceAlarmRecords(const TReceiveBuffer& buffer, std::size_t p) {
    const TReplyReader r(buffer, 0);
    std::uint16_t best = 0;
    std::size_t q = p + 2;
    int remaining = r.Byte(p + 1);
    while (remaining > 0 && q < buffer.size()) {
        const std::uint8_t header = r.Byte(q);
        const int kind = header & 0x0F;
        const int length = (header >> 4) + 1;
        std::uint16_t word = 0;
        if (kind == 1) {
            const std::uint8_t f = r.Byte(q + 3);
            // Flag bits 0..4, 6, 7 of the record; bit 5 is not an alarm.
            constexpr std::uint16_t kAlarmOfBit[8] = {0x040, 0x020, 0x010, 0x008, 0x004, 0, 0x002, 0x001};
            unsigned bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (Bit(f, bit)) {
                    bits |= kAlarmOfBit[bit];
                }
            }
            if (bits != 0) {
                word = static_cast<std::uint16_t>(((r.Byte(q + 1) & 0xF0) << 8) | bits);
            }
        } else if (kind == 2) {
            if (Bit(r.Byte(q + 3), 0)) {
                word = static_cast<std::uint16_t>(((r.Byte(q + 1) & 0x0F) << 12) | 0x080);
            }
        } else if (kind == 3) {
            if ((r.Byte(q + 3) & 7) != 0) {
                word = static_cast<std::uint16_t>(((r.Byte(q + 3) & 0x0F) << 12) | 0x100);
            }
        }
        // Strictly greater: of equal kinds the first record wins.
        if ((word & 0x0FFF) > (best & 0x0FFF)) {
            best = word;
        }
        q += static_cast<std::size_t>(length);
        remaining -= length;
    }
    return best;
}

namespace {

// Configuration replies of a read or compare: into the scratch model.
void StoreConfigurationReply(TMux& scratch, std::uint8_t code, const TReplyReader& r) {
    switch (code) {
        case reply::kSlotType: {
            const int slot = r.Byte(1);
            const TSlotType type{r.Byte(2), r.Big16(3), r.Big16(5)};
            if (r.Complete() && slot < kSlotCount) {
                scratch.StoreSlotType(slot, type);
            }
            break;
        }
        case reply::kEndpoint: {
            const std::uint16_t endpoint = r.Big16(1);
            const std::uint16_t link = r.Big16(3);
            const std::uint8_t signalling = r.Byte(5);
            if (r.Complete() && IsEndpoint(endpoint)) {
                scratch.StoreLink(endpoint, link);
                scratch.StoreSignalling(endpoint, signalling);
            }
            break;
        }
        case reply::kBlock: {
            const int slot = r.Byte(1);
            TBoardConfig block{};
            for (std::size_t k = 0; k < block.size(); ++k) {
                block[k] = r.Big16(2 + 2 * k);
            }
            if (r.Complete() && slot < kSlotCount) {
                scratch.StoreBoardConfig(slot, block);
            }
            break;
        }
        default: {  // reply::kSettings
            TMuxSettings record{};
            for (std::size_t k = 0; k < record.size(); ++k) {
                record[k] = r.Byte(1 + k);
            }
            if (r.Complete()) {
                scratch.StoreMuxSettings(record);
            }
            break;
        }
    }
}

// Replies 105 and 115: the slot states, and the lamps (105) or the reported types (115).
void StoreSlotReport(TMux& owner, std::uint8_t code, const TReplyReader& r) {
    TSlotStatusWords words = owner.GetSlotStatus();
    for (std::size_t s = 0; s < words.size(); ++s) {
        const std::uint32_t state = (r.Byte(1 + s / 4) >> (2 * (s % 4))) & 3;
        std::uint32_t word = (words[s] & ~0x0000FF00u) | (state << 8);
        if (code == reply::kLeds) {
            word = (word & 0x0000FFFFu) | (static_cast<std::uint32_t>(r.Byte(5 + 2 * s)) << 16) |
                   (static_cast<std::uint32_t>(r.Byte(6 + 2 * s)) << 24);
        } else {
            word = (word & ~0x000000FFu) | r.Byte(5 + s);
        }
        words[s] = word;
    }
    if (r.Complete()) {
        owner.SetSlotStatus(words);
    }
}

void StoreCas(TMux& owner, std::uint8_t code, int slot, int port, std::uint8_t type, const TReplyReader& r) {
    TCasSnapshot snapshot{};
    for (std::size_t k = 0; k < 15; ++k) {
        snapshot[k] = r.Byte(4 + k);
    }
    if (!r.Complete()) {
        return;
    }
    const bool received = code == reply::kCasReceived;
    if (HasCasRecords(type)) {
        received ? owner.SetCasReceived(slot, port, snapshot) : owner.SetCasTransmitted(slot, port, snapshot);
    } else if (type == bt4I15) {
        received ? owner.SetCasReceived15(slot, port, snapshot)
                 : owner.SetCasTransmitted15(slot, port, snapshot);
    }
}

// Reply 145: the stream state, the 4C1И state or the remote power state, by board type.
void StoreState(TMux& owner, int slot, int port, std::uint8_t type, const TReplyReader& r) {
    const std::uint8_t flags = r.Byte(3);
    if (HasStreamState(type)) {
        TStreamState state;
        constexpr int kFlagBits[kStreamAlarmFlags] = {0, 1, 2, 3, 4, 6, 7};  // bit 5 unused
        for (std::size_t i = 0; i < state.Flags.size(); ++i) {
            state.Flags[i] = Bit(flags, kFlagBits[i]) ? 1 : 0;
        }
        state.Period = r.Little24(4);
        state.SlipsE = r.Little24(7);
        state.SlipsF = r.Little24(10);
        state.FrameErrors = r.Little24(13);
        state.SlipsTotal = state.SlipsE + state.SlipsF;
        state.SlipRate = Rate(state.SlipsTotal, state.Period);
        state.ErrorRate = Rate(state.FrameErrors, state.Period);
        if (r.Complete()) {
            owner.SetStreamState(slot, port, state);
        }
    } else if (type == bt4C1I) {
        TC1IState state;
        state.SignalLoss = Bit(flags, 3) ? 1 : 0;
        state.RemoteAlarm = Bit(flags, 0) ? 1 : 0;
        state.AllOnes = Bit(flags, 2) ? 1 : 0;
        state.AllZeros = Bit(flags, 1) ? 1 : 0;
        state.Period = r.Little24(4);
        state.Errors = r.Little24(13);
        state.ErrorRate = Rate(state.Errors, state.Period);
        if (r.Complete()) {
            owner.SetC1IState(slot, port, state);
        }
    } else if (type == btDP) {
        TDpState state;
        state.Mode = flags & 3;
        state.BreakValid = Bit(flags, 2) ? 1 : 0;
        state.LineState = flags >> 4;
        state.Voltage = r.Little16(4);
        state.Current = r.Little16(7) / 10.0;
        state.Leakage = r.Little16(10) / 10.0;
        state.BreakVoltage = r.Little16(13);
        if (r.Complete()) {
            owner.SetDpState(slot, port, state);
        }
    }
}

// Reply 200: the DSL line record.
void StoreDslLine(TMux& owner, int slot, int port, std::uint8_t type, const TReplyReader& r) {
    TDslLine rec{};
    if (type == bt1DSL) {
        for (std::size_t k = 0; k <= 10; ++k) {
            rec[9 + k] = r.Byte(4 + k);
        }
    } else if (type == bt4DSL || type == bt4DSLv2) {
        const std::uint8_t status = r.Byte(4);
        rec[0] = status & 0x0F;
        rec[7] = Bit(status, 4) ? 1 : 0;
        rec[8] = Bit(status, 5) ? 1 : 0;
        const std::uint32_t coding = type == bt4DSL ? (Bit(status, 6) ? 3u : 2u) : r.Byte(15);
        for (std::size_t k = 0; k < 4; ++k) {
            rec[3 + k] =
                static_cast<std::uint8_t>(coding >> (8 * k));  // little-endian, as the record keeps it
        }
        rec[10] = r.Byte(5);
        rec[11] = r.Byte(6);
        rec[13] = r.Byte(7);
        rec[2] = r.Byte(8);
        rec[1] = r.Byte(9);
        for (std::size_t k = 0; k < 5; ++k) {
            rec[15 + k] = r.Byte(10 + k);
        }
    } else {
        return;
    }
    rec[20] = type;
    if (r.Complete()) {
        owner.SetDslLine(slot, port, rec);
    }
}

}  // namespace

void TCustomPacketHandler::Dispatch(const TReceiveBuffer& buffer, std::size_t p) {
    const TReplyReader r(buffer, p);
    INotificationSink* window = owner_.Owner();
    const std::uint8_t code = buffer[p];
    switch (code) {
        case reply::kSlotType:
        case reply::kEndpoint:
        case reply::kBlock:
        case reply::kSettings:
            StoreConfigurationReply(Scratch(), code, r);
            break;
        case reply::kLeds:
        case reply::kSlots:
            StoreSlotReport(owner_, code, r);
            break;
        case reply::kCasReceived:
        case reply::kCasTransmitted:
        case reply::kState:
        case reply::kDsl:
            StoreUnitReply(buffer, p, code);
            break;
        case reply::kCpu: {
            const TInfoSelection& selection = owner_.InfoSelection();
            ReadCpuState(r);
            if (r.Complete() && selection.Enabled && selection.Type == btCPU) {
                owner_.SetCpuStatus(buffer);
            }
            break;
        }
        case reply::kTraceStarted: {
            const int unit = (r.Byte(1) << 7) | r.Byte(2);
            r.Byte(3);  // the board type, which the trace window reads
            if (r.Complete() && unit < kEndpointCount) {
                traceSinks_.ForEach([&](ITraceSink& sink) { sink.TraceStarted(buffer, p); });
            }
            break;
        }
        case reply::kTraceMessage:
            r.Byte(7);  // the last of slot, port, type, mode, state and time, which the trace window reads
            if (r.Complete()) {
                traceSinks_.ForEach([&](ITraceSink& sink) { sink.TraceMessage(buffer, p); });
            }
            break;
        case reply::kAlarmWord:
            if (const std::uint16_t word = r.Big16(1); r.Complete() && window != nullptr) {
                window->PostNotification(kNotifyAlarm, word, 0);
            }
            break;
        case reply::kAlarmRecords:
            r.Byte(1 + static_cast<std::size_t>(r.Byte(1)));  // the length byte counts the records' bytes
            if (r.Complete() && window != nullptr) {
                window->PostNotification(kNotifyAlarm, ReduceAlarmRecords(buffer, p), 0);
            }
            break;
        default:
            break;  // still a sign of life
    }
}

// The information replies of one unit (slot + 16 × port), by board type.
void TCustomPacketHandler::StoreUnitReply(const TReceiveBuffer& buffer, std::size_t p, std::uint8_t code) {
    const TReplyReader r(buffer, p);
    const int slot = r.Byte(1) & 0x0F;
    const int port = r.Byte(1) >> 4;
    const std::uint8_t type = r.Byte(2);
    if (port >= kUnitCount) {
        return;  // the model keeps eight units per slot
    }
    switch (code) {
        case reply::kCasReceived:
        case reply::kCasTransmitted:
            StoreCas(owner_, code, slot, port, type, r);
            break;
        case reply::kState:
            StoreState(owner_, slot, port, type, r);
            break;
        default:  // reply::kDsl
            StoreDslLine(owner_, slot, port, type, r);
            break;
    }
}

}  // namespace tervis
