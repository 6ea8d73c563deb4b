#pragma once

// Runs the Qt event loop from a test for a while or until something has happened; nothing sleeps.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace tervis::test {

// Processes events until the condition holds; false when it still does not after limitMs.
inline bool PumpUntil(const std::function<bool()>& condition, int limitMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Processes the events that are waiting, and goes on doing so for the given time.
inline void Pump(int milliseconds = 0) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (timer.elapsed() < milliseconds);
}

}  // namespace tervis::test
