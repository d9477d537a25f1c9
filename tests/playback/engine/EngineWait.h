#pragma once
// Waiting with the event loop running, as the player's interface thread does.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

/// Runs the event loop for that long.
inline void RunEvents(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

/// Runs the event loop until the condition holds or the time is up; the condition's last answer.
inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}
