// Replies from the device, decoded into the model's records. Configuration replies carry big-endian
// words; the counters of the information replies are little-endian.
#include "core/link/PacketHandler.h"
#include "core/model/Mux.h"

namespace tervis {

namespace {

class TReader {
public:
    TReader(const TReceiveBuffer& buffer, std::size_t p) : buffer_(buffer), p_(p) {}
    // Byte P + k; positions beyond the buffer read as zero, as a short reply would.
    std::uint8_t Byte(std::size_t k) const { return p_ + k < buffer_.size() ? buffer_[p_ + k] : 0; }
    std::uint16_t Big16(std::size_t k) const {
        return static_cast<std::uint16_t>((Byte(k) << 8) | Byte(k + 1));
    }
    std::uint16_t Little16(std::size_t k) const {
        return static_cast<std::uint16_t>(Byte(k) | (Byte(k + 1) << 8));
    }
    std::uint32_t Little24(std::size_t k) const {
        return static_cast<std::uint32_t>(Byte(k)) | (static_cast<std::uint32_t>(Byte(k + 1)) << 8) |
               (static_cast<std::uint32_t>(Byte(k + 2)) << 16);
    }

private:
    const TReceiveBuffer& buffer_;
    std::size_t p_;
};

bool Bit(std::uint8_t byte, int bit) {
    return ((byte >> bit) & 1) != 0;
}

// A count over a period; the count itself when no period has elapsed.
double Rate(std::uint32_t count, std::uint32_t period) {
    return period == 0 ? static_cast<double>(count)
                       : static_cast<double>(count) / static_cast<double>(period);
}

// The position, counted from the reply code, of the last byte a reply's layout reads.
std::size_t ReplyExtent(const TReceiveBuffer& buffer, std::size_t p) {
    switch (buffer[p]) {
        case reply::kSlotType:
            return 6;
        case reply::kEndpoint:
            return 5;
        case reply::kBlock:
            return 19;
        case reply::kSettings:
            return 10;
        case reply::kLeds:
            return 6 + 2 * 15;
        case reply::kSlots:
            return 5 + 15;
        case reply::kCasReceived:
        case reply::kCasTransmitted:
            return 18;
        case reply::kState:
        case reply::kDsl:
            return 15;
        case reply::kCpu:
            return 17;
        case reply::kTraceStarted:
            return 3;
        case reply::kTraceMessage:
            return 7;
        case reply::kAlarmWord:
            return 2;
        case reply::kAlarmRecords:
            // The length byte, then that many bytes of records.
            return p + 1 < buffer.size() ? 1 + static_cast<std::size_t>(buffer[p + 1]) : 1;
        default:
            return 0;
    }
}

}  // namespace

std::uint16_t TCustomPacketHandler::ReduceAlarmRecords(const TReceiveBuffer& buffer, std::size_t p) {
    const TReader r(buffer, 0);
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
void StoreConfigurationReply(TMux& scratch, std::uint8_t code, const TReader& r) {
    switch (code) {
        case reply::kSlotType:
            if (const int slot = r.Byte(1); slot < kSlotCount) {
                scratch.StoreSlotType(slot, TSlotType{r.Byte(2), r.Big16(3), r.Big16(5)});
            }
            break;
        case reply::kEndpoint:
            if (const std::uint16_t endpoint = r.Big16(1); IsEndpoint(endpoint)) {
                scratch.StoreLink(endpoint, r.Big16(3));
                scratch.StoreSignalling(endpoint, r.Byte(5));
            }
            break;
        case reply::kBlock:
            if (const int slot = r.Byte(1); slot < kSlotCount) {
                TBoardConfig block{};
                for (std::size_t k = 0; k < block.size(); ++k) {
                    block[k] = r.Big16(2 + 2 * k);
                }
                scratch.StoreBoardConfig(slot, block);
            }
            break;
        default: {  // reply::kSettings
            TMuxSettings record{};
            for (std::size_t k = 0; k < record.size(); ++k) {
                record[k] = r.Byte(1 + k);
            }
            scratch.StoreMuxSettings(record);
            break;
        }
    }
}

// Replies 105 and 115: the slot states, and the lamps (105) or the reported types (115).
void StoreSlotReport(TMux& owner, std::uint8_t code, const TReader& r) {
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
    owner.SetSlotStatus(words);
}

void StoreCas(TMux& owner, std::uint8_t code, int slot, int port, std::uint8_t type, const TReader& r) {
    TCasSnapshot snapshot{};
    for (std::size_t k = 0; k < 15; ++k) {
        snapshot[k] = r.Byte(4 + k);
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
void StoreState(TMux& owner, int slot, int port, std::uint8_t type, const TReader& r) {
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
        owner.SetStreamState(slot, port, state);
    } else if (type == bt4C1I) {
        TC1IState state;
        state.SignalLoss = Bit(flags, 3) ? 1 : 0;
        state.RemoteAlarm = Bit(flags, 0) ? 1 : 0;
        state.AllOnes = Bit(flags, 2) ? 1 : 0;
        state.AllZeros = Bit(flags, 1) ? 1 : 0;
        state.Period = r.Little24(4);
        state.Errors = r.Little24(13);
        state.ErrorRate = Rate(state.Errors, state.Period);
        owner.SetC1IState(slot, port, state);
    } else if (type == btDP) {
        TDpState state;
        state.Mode = flags & 3;
        state.BreakValid = Bit(flags, 2) ? 1 : 0;
        state.LineState = flags >> 4;
        state.Voltage = r.Little16(4);
        state.Current = r.Little16(7) / 10.0;
        state.Leakage = r.Little16(10) / 10.0;
        state.BreakVoltage = r.Little16(13);
        owner.SetDpState(slot, port, state);
    }
}

// Reply 200: the DSL line record.
void StoreDslLine(TMux& owner, int slot, int port, std::uint8_t type, const TReader& r) {
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
    owner.SetDslLine(slot, port, rec);
}

}  // namespace

void TCustomPacketHandler::Dispatch(const TReceiveBuffer& buffer, std::size_t p) {
    if (p + ReplyExtent(buffer, p) >= buffer.size()) {
        return;  // its fields would lie beyond the receive buffer; it was still a sign of life
    }
    const TReader r(buffer, p);
    INotificationSink* window = owner_.Owner();
    const std::uint8_t code = buffer[p];
    switch (code) {
        case reply::kSlotType:
        case reply::kEndpoint:
        case reply::kBlock:
        case reply::kSettings:
            StoreConfigurationReply(*scratch_, code, r);
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
            if (selection.Enabled && selection.Type == btCPU) {
                owner_.SetCpuStatus(buffer);
            }
            break;
        }
        case reply::kTraceStarted:
            if (((r.Byte(1) << 7) | r.Byte(2)) < kEndpointCount) {
                traceSinks_.ForEach([&](ITraceSink& sink) { sink.TraceStarted(buffer, p); });
            }
            break;
        case reply::kTraceMessage:
            traceSinks_.ForEach([&](ITraceSink& sink) { sink.TraceMessage(buffer, p); });
            break;
        case reply::kAlarmWord:
            if (window != nullptr) {
                window->PostNotification(kNotifyAlarm, r.Big16(1), 0);
            }
            break;
        case reply::kAlarmRecords:
            if (window != nullptr) {
                window->PostNotification(kNotifyAlarm, ReduceAlarmRecords(buffer, p), 0);
            }
            break;
        default:
            break;  // still a sign of life
    }
}

// The information replies of one unit (slot + 16 × port), by board type.
void TCustomPacketHandler::StoreUnitReply(const TReceiveBuffer& buffer, std::size_t p, std::uint8_t code) {
    const TReader r(buffer, p);
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
