#pragma once

// Waiting on the event loop, for the tests and the tools that drive the real window.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>

namespace vireo::test {

// Runs the event loop until `done` holds or `ms` pass; returns whether it held.
inline bool waitFor(const std::function<bool()> &done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace vireo::test
