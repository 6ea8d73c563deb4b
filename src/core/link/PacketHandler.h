#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/base/Listeners.h"
#include "core/link/Frame.h"
#include "core/model/DeviceLink.h"
#include "core/model/Requests.h"

namespace tervis {

class TMux;

using TReceiveBuffer = std::array<std::uint8_t, kReceiveBufferBytes>;

constexpr std::uint8_t kUnconfirmed = 0x80;  // control byte bit 7: sent once, no answer awaited
constexpr int kTicksPerTransmission = 10;    // 10 × 50 ms
constexpr int kUnconfirmedFloodLimit = 10;

// The progress window of a device operation, one per phase.
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    virtual void Start(int total) = 0;       // and then as Update(total)
    virtual void Update(int remaining) = 0;  // 0 closes the window as completed
    // Runs modally, keeping the ticks and received packets flowing; true when completed, false when
    // the operator cancelled.
    virtual bool Execute() = 0;
};

class IProgressFactory {
public:
    virtual ~IProgressFactory() = default;
    virtual std::unique_ptr<IProgressWindow> CreateProgress(const std::string& caption) = 0;
};

// The trace window's side of replies 165 and 170; p is the reply code position in the buffer.
class ITraceSink {
public:
    virtual ~ITraceSink() = default;
    virtual void TraceStarted(const TReceiveBuffer& buffer, std::size_t p) = 0;
    virtual void TraceMessage(const TReceiveBuffer& buffer, std::size_t p) = 0;
};

// The device link's engine: the send queue, transmission and retransmission, the link decision, the
// poll cycle, and the routing of replies to the model. Transports fill in the three transport
// operations; a derived transport calls Connect at the end of its constructor and Disconnect in its
// destructor.
class TCustomPacketHandler : public TDeviceLink {
public:
    explicit TCustomPacketHandler(TMux& owner);
    ~TCustomPacketHandler() override;

    // --- transport
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    // Transmits one packet; must not block for long and must do nothing when the transport is closed.
    virtual void SendPacket(const TPacket& packet) = 0;
    void Reconnect() override;
    // A valid packet from the device, zero-filled beyond what arrived.
    void PacketReceived(const TReceiveBuffer& buffer);

    // --- the 50 ms tick
    void Tick();

    // --- queue
    void Enqueue(TPacket packet, bool batch) override;
    void ClearQueue();
    int QueueLength() const { return static_cast<std::uint16_t>(tail_ - head_); }
    bool Busy() const { return busy_; }

    // --- device operations
    bool ReadConfiguration() override;
    bool LoadConfiguration() override;
    std::optional<bool> CompareConfiguration() override;
    // Reads the device's configuration into Scratch() and leaves the model alone.
    bool ReadDevice();
    bool ClearConfiguration() override;
    void RestartMultiplexer() override;

    // --- single-shot commands
    void ResetCounters(int slot, int port) override;
    void LineTest(int slot, int port) override;
    void Trace(int slot, int port) override;
    void WriteRs485Id(int identifier) override;

    void SetProgressFactory(IProgressFactory* factory) { progressFactory_ = factory; }
    // Every trace window that listens gets replies 165 and 170 while its subscription lives.
    TSubscription SubscribeTrace(ITraceSink& sink) { return traceSinks_.Subscribe(sink); }
    // What a read stores the device's configuration in; made when first needed.
    TMux& Scratch();
    TMux& Owner() { return owner_; }
    int TickCount() const { return tickCount_; }
    // Transmissions answered by a packet echoing their control byte, counted once each: the progress of
    // the exchange for tools that must not wait forever. Packets that answer nothing we sent (a wrong
    // control byte, unsolicited alarms) do not count, however many arrive.
    std::uint64_t AnswersReceived() const { return answersReceived_; }
    // A transmission is still waiting for the packet that echoes its control byte.
    bool AwaitingAnswer() const { return awaitingAnswer_; }

    // Reduces the alarm records of reply 190 to one alarm word; p is the reply code position.
    static std::uint16_t ReduceAlarmRecords(const TReceiveBuffer& buffer, std::size_t p);

private:
    void Dequeue();
    void ReportQueueLength();
    void TransmitHead();
    void PollStep();
    bool QueueStreamStatus();
    void EnqueueCommand(std::vector<std::uint8_t> payload, std::uint8_t control, bool batch);
    void Dispatch(const TReceiveBuffer& buffer, std::size_t p);
    void StoreUnitReply(const TReceiveBuffer& buffer, std::size_t p, std::uint8_t code);
    // Runs one phase of a device operation under a progress window; true when completed.
    bool RunPhase(const std::string& caption);
    void QueueReadTypes();
    void QueueReadChannels();
    bool ReadInto(const char* typesCaption, const char* channelsCaption);

    TMux& owner_;
    std::unique_ptr<TMux> scratch_;  // see Scratch()
    // 65536 slots, full when tail + 1 == head; a slot is made when the queue first reaches it, so that a
    // handler costs what its longest queue needed, and growing never moves a queued packet.
    std::deque<TPacket> ring_;
    std::uint16_t head_ = 0;
    std::uint16_t tail_ = 0;
    bool busy_ = false;
    int pollStep_ = 0;
    int streamPollIndex_ = 0;
    std::uint8_t sequence_ = 0;
    int unanswered_ = 0;
    int tickCount_ = 0;
    std::uint8_t lastControl_ = 0;
    std::uint64_t answersReceived_ = 0;
    bool awaitingAnswer_ = false;
    IProgressWindow* progress_ = nullptr;
    IProgressFactory* progressFactory_ = nullptr;
    TListenerList<ITraceSink> traceSinks_;
};

}  // namespace tervis
