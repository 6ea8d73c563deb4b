#pragma once

// The packet handler on an in-memory line to the simulated multiplexer, in virtual time: every Step()
// is one 50 ms tick of the handler and 50 ms of the simulator's clock. Nothing sleeps.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SimLine.h"
#include "core/link/Frame.h"
#include "core/link/PacketHandler.h"
#include "core/model/Mux.h"

namespace tervis::test {

class TLoopbackHandler : public TCustomPacketHandler {
public:
    TLoopbackHandler(TMux& owner, sim::TSimLine& line)
        : TCustomPacketHandler(owner),
          line_(line),
          decoder_([this](const TFrameDecoder::TBuffer& buffer, std::size_t) { PacketReceived(buffer); }) {
        Connect();
    }
    ~TLoopbackHandler() override { Disconnect(); }

    void Connect() override { open_ = true; }
    void Disconnect() override { open_ = false; }
    void SendPacket(const TPacket& packet) override {
        if (!open_) {
            return;
        }
        ++transmissions;
        sent.push_back(packet);
        frame_.clear();
        EncodeFrame(packet, frame_);
        bytesToDevice += frame_.size();
        line_.Receive(frame_);
    }

    // One tick: the handler's timer, then whatever the device has to say, then 50 ms of device time.
    void Step() {
        ++ticks;
        Tick();
        Deliver();
        line_.Advance(50);
        Deliver();
    }

    // Hands the device's output to the decoder until the device has nothing more to say right now
    // (each answer may trigger the next request at once).
    void Deliver() {
        for (;;) {
            const std::vector<std::uint8_t> output = line_.TakeOutput();
            if (output.empty()) {
                return;
            }
            bytesFromDevice += output.size();
            decoder_.Feed(output);
        }
    }

    std::vector<TPacket> sent;
    std::uint64_t transmissions = 0;
    std::uint64_t bytesToDevice = 0;
    std::uint64_t bytesFromDevice = 0;
    std::uint64_t ticks = 0;

private:
    sim::TSimLine& line_;
    TFrameDecoder decoder_;
    std::vector<std::uint8_t> frame_;
    bool open_ = false;
};

// The progress window of the tests: runs the loopback until the queue is empty, or cancels when the
// test says so (or when nothing has moved for a very long time, so that a fault cannot hang a test).
class TPumpProgress : public IProgressFactory {
public:
    explicit TPumpProgress(TLoopbackHandler& handler) : handler_(handler) {}

    struct TPhase {
        std::string Caption;
        int Total = -1;
        std::vector<int> Updates;
        bool Completed = false;
    };

    std::unique_ptr<IProgressWindow> CreateProgress(const std::string& caption) override {
        phases.push_back(TPhase{caption, -1, {}, false});
        return std::make_unique<TWindow>(*this, phases.size() - 1);
    }

    // Called after every tick of a phase with (phase index, remaining); true cancels.
    std::function<bool(std::size_t, int)> cancelWhen;
    std::uint64_t maxTicksPerPhase = 2'000'000;
    std::vector<TPhase> phases;

private:
    class TWindow : public IProgressWindow {
    public:
        TWindow(TPumpProgress& pump, std::size_t index) : pump_(pump), index_(index) {}
        void Start(int total) override {
            Phase().Total = total;
            Update(total);
        }
        void Update(int remaining) override {
            Phase().Updates.push_back(remaining);
            remaining_ = remaining;
            done_ = remaining == 0;
        }
        bool Execute() override {
            for (std::uint64_t tick = 0; !done_ && tick < pump_.maxTicksPerPhase; ++tick) {
                pump_.handler_.Step();
                if (!done_ && pump_.cancelWhen && pump_.cancelWhen(index_, remaining_)) {
                    return false;
                }
            }
            Phase().Completed = done_;
            return done_;
        }

    private:
        TPhase& Phase() { return pump_.phases[index_]; }
        TPumpProgress& pump_;
        std::size_t index_;
        int remaining_ = 0;
        bool done_ = false;
    };

    TLoopbackHandler& handler_;
};

// A program's link to the simulated multiplexer over the line, its device operations pumped in virtual time.
struct TLinkedProgram {
    TLinkedProgram(TMux& program, sim::TSimLine& line) {
        auto link = std::make_unique<TLoopbackHandler>(program, line);
        handler = link.get();
        program.SetDeviceLink(std::move(link));
        pump = std::make_unique<TPumpProgress>(*handler);
        handler->SetProgressFactory(pump.get());
    }
    TLoopbackHandler* handler;
    std::unique_ptr<TPumpProgress> pump;
};

}  // namespace tervis::test
