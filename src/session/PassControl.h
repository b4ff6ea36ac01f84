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

// "Elapsed 1:05, about 2:10 left": the time a pass has taken and, once something is done, a
// straight-line guess at what is left.
inline QString passTimeText(qint64 elapsedMs, int done, int total)
{
    const auto minutes = [](qint64 ms) {
        const qint64 s = (ms + 500) / 1000;
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    };
    QString t = QStringLiteral("Elapsed %1").arg(minutes(elapsedMs));
    if (done > 0 && total >= done)
        t += QStringLiteral(", about %1 left").arg(minutes(elapsedMs * (total - done) / done));
    return t;
}
