// The link's receive path with a model attached and requests pending. The input first sets the scene
// (immediate transmission, device number, address path, a few boards, the information selection, the
// alarm log), then starts a device operation or queues single commands, and from then on is a stream of
// events: ticks, raw packets, replies that echo the pending request's header, and framed bytes through
// the frame decoder, as a transport delivers them. What the windows would show of the stored data is
// rendered after each packet. The queue must stay consistent throughout and be empty after an operation.
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "SeedSweep.h"
#include "core/diagnostics/InfoTexts.h"
#include "core/diagnostics/TraceLines.h"
#include "core/link/Frame.h"
#include "core/link/PacketHandler.h"
#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/TempDir.h"

namespace {

using namespace tervis;

constexpr std::uint8_t kReplyCodes[] = {
    reply::kSlotType,     reply::kEndpoint,     reply::kBlock,          reply::kSettings,     reply::kLeds,
    reply::kSlots,        reply::kCasReceived,  reply::kCasTransmitted, reply::kState,        reply::kCpu,
    reply::kTraceStarted, reply::kTraceMessage, reply::kAlarmWord,      reply::kAlarmRecords, reply::kDsl,
};

class TFixedClock : public IClock {
public:
    TLocalTime Now() const override { return {2026, 3, 1, 12, 0, 0}; }
};

// Renders what a trace window would show.
class TTraceRenderer : public ITraceSink {
public:
    void TraceStarted(const TReceiveBuffer& buffer, std::size_t p) override {
        (void)TraceStartText(DecodeTraceStart(buffer, p));
    }
    void TraceMessage(const TReceiveBuffer& buffer, std::size_t p) override {
        const TTraceEvent event = DecodeTraceEvent(buffer, p);
        (void)TraceLine(event);
        (void)TraceTimeText(event.TimeMs);
    }
};

class TFuzzHandler : public TCustomPacketHandler, public IProgressFactory {
public:
    TFuzzHandler(TMux& owner, fuzz::TFuzzInput& input, test::TNotificationRecorder& notifications)
        : TCustomPacketHandler(owner), input_(input), notifications_(notifications) {
        SetProgressFactory(this);
        Connect();
    }
    ~TFuzzHandler() override { Disconnect(); }
    void Connect() override {}
    void Disconnect() override {}
    void SendPacket(const TPacket& packet) override {
        FUZZ_CHECK(!packet.empty());
        last_ = packet;
    }

    std::unique_ptr<IProgressWindow> CreateProgress(const std::string&) override {
        return std::make_unique<TWindow>(*this);
    }

    // Works off events until the input ends (true: the operation completed) or asks to stop.
    bool Pump() {
        while (!input_.Empty()) {
            const std::uint8_t op = input_.Byte();
            switch (op & 7) {
                case 0:
                case 4:
                    for (int i = 0; i <= (op >> 3); ++i) {
                        Tick();
                    }
                    break;
                case 1:
                case 5:
                    Receive(RawPacket(op));
                    break;
                case 2:
                case 6:
                    Receive(Reply(op));
                    break;
                case 3:
                    decoder_.Feed(input_.Bytes(input_.Byte()));
                    break;
                default:  // 7
                    return (op & 8) != 0;
            }
            CheckQueue();
        }
        return true;
    }

    void CheckQueue() const {
        FUZZ_CHECK(QueueLength() >= 0);
        FUZZ_CHECK(Busy() == (QueueLength() != 0));
    }

private:
    class TWindow : public IProgressWindow {
    public:
        explicit TWindow(TFuzzHandler& handler) : handler_(handler) {}
        void Start(int total) override { FUZZ_CHECK(total >= 0); }
        void Update(int remaining) override { FUZZ_CHECK(remaining >= 0); }
        bool Execute() override { return handler_.Pump(); }

    private:
        TFuzzHandler& handler_;
    };

    TReceiveBuffer RawPacket(std::uint8_t op) {
        TReceiveBuffer buffer{};
        const auto bytes = input_.Bytes(input_.Byte());
        std::copy_n(bytes.begin(), std::min(bytes.size(), buffer.size()), buffer.begin());
        if ((op & 8) != 0 && !last_.empty()) {
            buffer[0] = last_[0];  // answers what went out last
        }
        return buffer;
    }

    // A reply as the device builds one: the header of the last request, a known reply code, then data.
    TReceiveBuffer Reply(std::uint8_t op) {
        TReceiveBuffer buffer{};
        std::size_t at = 0;
        if (!last_.empty()) {
            const std::size_t header = 3 + last_[1];
            for (; at < header && at < last_.size() && at < buffer.size(); ++at) {
                buffer[at] = last_[at];
            }
            buffer[2] = last_[1];  // the reply carries the length of the path it came back over
        }
        if (at < buffer.size()) {
            buffer[at++] = kReplyCodes[(op >> 3) % std::size(kReplyCodes)];
        }
        const auto bytes = input_.Bytes(input_.Byte());
        for (std::size_t k = 0; k < bytes.size() && at < buffer.size(); ++k) {
            buffer[at++] = bytes[k];
        }
        return buffer;
    }

    void Receive(const TReceiveBuffer& buffer) {
        PacketReceived(buffer);
        Render();
    }

    // What the main window does with the notifications when it gets to them.
    void Render() {
        const TMux& mux = Owner();
        for (const test::TNotification& n : notifications_.Posted) {
            if (n.Message != kNotifyInformation) {
                continue;
            }
            const TInfoSelection& selection = mux.InfoSelection();
            if (n.Parameter == kInfoCpu) {
                (void)CpuInfoLines(mux.CpuStatus());
            } else if (selection.Slot < kSlotCount && selection.Unit < kUnitCount) {
                (void)UnitInfoLines(mux, selection.Slot, selection.Unit, selection.Type);
            }
        }
        notifications_.Posted.clear();
    }

    fuzz::TFuzzInput& input_;
    test::TNotificationRecorder& notifications_;
    TPacket last_;
    TFrameDecoder decoder_{[this](const TFrameDecoder::TBuffer& buffer, std::size_t) { Receive(buffer); }};
};

// Where the bytes of packets lie in an input (raw packets, replies, framed bytes), read as the target
// reads it: the scene, then the events.
std::vector<std::span<std::uint8_t>> PacketBytes(std::uint8_t* data, std::size_t size) {
    std::vector<std::span<std::uint8_t>> found;
    fuzz::TFuzzInput input(data, size);
    const auto skip = [&](std::size_t count) { (void)input.Bytes(count); };
    skip(2);                       // scene, device number
    skip(input.Byte() % 8);        // address path
    skip(2 * (input.Byte() % 4));  // boards
    skip(2);                       // information selection, operation
    while (!input.Empty()) {
        const std::uint8_t op = input.Byte();
        if ((op & 3) != 0 && (op & 7) != 7) {
            const std::size_t at = size - input.Remaining();
            const std::size_t count = input.Bytes(input.Byte()).size();
            if (count > 0) {
                found.emplace_back(data + at + 1, count);
            }
        }
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    return fuzz::StartSweep(*argc, *argv, PacketBytes);
}

// First every value of every packet byte of the seeds; then three in four mutations flip a bit or set a
// byte of a packet the input carries, where the faults of the receive path hide, and the others are
// those of the binary targets.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    if (const auto swept = tervis::fuzz::Sweep().Next(data, maxSize)) {
        return *swept;
    }
    std::minstd_rand random(seed);
    if (random() % 4 != 0) {
        const auto packets = PacketBytes(data, size);
        if (!packets.empty()) {
            const std::span<std::uint8_t> packet = packets[random() % packets.size()];
            std::uint8_t& byte = packet[random() % packet.size()];
            tervis::fuzz::SetOrFlip(byte, random() % 4 == 0, random);
            return size;
        }
    }
    return tervis::fuzz::MutateByteValues(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const test::TTempDir logDirectory;
    fuzz::TFuzzInput input(data, size);
    const std::uint8_t scene = input.Byte();

    TSettings settings;
    settings.cashedtrx = (scene & 1) != 0;
    settings.uselog = (scene & 2) != 0;
    settings.rs485id = input.Byte() % 20;
    test::TNotificationRecorder notifications;
    test::TOperatorRecorder messages;
    TMux mux(&notifications, &messages, settings);
    if (settings.uselog) {
        std::error_code ignored;
        std::filesystem::remove_all(logDirectory.Path() / "03-2026.log", ignored);
        mux.SetLogDirectory(logDirectory.Path());
        mux.SetClock(std::make_shared<TFixedClock>());
    }
    const auto path = input.Bytes(input.Byte() % 8);
    mux.SetAddress({path.begin(), path.end()});
    for (int k = input.Byte() % 4; k > 0; --k) {
        const int slot = input.Byte() % kSlotCount;
        mux.StoreSlotType(slot, TSlotType{input.Byte(), 0, 0});
    }
    const std::uint8_t info = input.Byte();
    mux.SelectInfo(info & 0x0F, (info >> 4) & 7, (info & 0x80) != 0);

    auto owned = std::make_unique<TFuzzHandler>(mux, input, notifications);
    TFuzzHandler& handler = *owned;
    mux.SetDeviceLink(std::move(owned));
    TTraceRenderer trace;
    const TSubscription subscription = handler.SubscribeTrace(trace);

    const std::uint8_t operation = input.Byte();
    switch (operation % 8) {
        case 0:
            handler.ReadConfiguration();
            break;
        case 1:
            handler.CompareConfiguration();
            break;
        case 2:
            handler.LoadConfiguration();
            break;
        case 3:
            handler.ClearConfiguration();
            break;
        default:
            // Single commands and, with immediate transmission, the model's own writes.
            handler.Trace(operation >> 4, 0);
            handler.ResetCounters(operation & 0x0F, (operation >> 4) & 3);
            handler.WriteRs485Id(operation);
            mux.SetSlotType(operation & 0x0F, TSlotType{operation, 1, 2});
            mux.LinkBoth(0, 1, 1, 2);
            break;
    }
    // A device operation leaves the queue empty, however it ended.
    FUZZ_CHECK(operation % 8 >= 4 || handler.QueueLength() == 0);
    handler.CheckQueue();
    handler.Pump();
    return 0;
}
