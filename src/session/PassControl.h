#pragma once

#include <QString>
#include <functional>

// How a pass over many workers (move all, check all) reports itself and is stopped. Each worker
// is its own transaction, so stopping between two workers leaves every worker done or untouched.
struct PassControl
{
    // Before each worker: how many are done, how many in all, the worker's employee number.
    std::function<void(int done, int total, const QString &employeeNo)> starting;
    // Asked before each worker; true ends the pass there.
    std::function<bool()> stopRequested;

    void start(int done, int total, const QString &employeeNo) const
    {
        if (starting)
            starting(done, total, employeeNo);
    }
    bool stop() const { return stopRequested && stopRequested(); }
};
