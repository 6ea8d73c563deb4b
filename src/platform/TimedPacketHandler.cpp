#include "platform/TimedPacketHandler.h"

namespace tervis {

namespace {
constexpr int kTickMs = 50;
}  // namespace

TTimedPacketHandler::TTimedPacketHandler(TMux& owner, QObject* parent)
    : QObject(parent), TCustomPacketHandler(owner) {
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
}

void TTimedPacketHandler::SetTimerRunning(bool running) {
    if (running) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void TTimedPacketHandler::Start() {
    Connect();
    timer_.start();
}

}  // namespace tervis
