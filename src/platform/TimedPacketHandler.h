#pragma once

#include <QObject>
#include <QTimer>

#include "core/link/PacketHandler.h"

namespace tervis {

// What the platform's device links share: the packet handler, driven by a 50 ms timer on the thread that
// owns it.
class TTimedPacketHandler : public QObject, public TCustomPacketHandler {
    Q_OBJECT
public:
    TTimedPacketHandler(TMux& owner, QObject* parent);

    // Stops or restarts the 50 ms timer (tests drive Tick themselves).
    void SetTimerRunning(bool running);

protected:
    // Connects and starts the timer: the last step of a link's constructor, once Connect is the link's own.
    void Start();
    // Every 50 ms: the link's own upkeep, then Tick.
    virtual void OnTimer() = 0;

private:
    QTimer timer_;
};

}  // namespace tervis
