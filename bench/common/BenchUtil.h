#pragma once

#include <QFile>
#include <QTextStream>

// Peak resident memory of this process so far, in MB (VmHWM).
inline double peakMemoryMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // /proc files report size 0, so read them whole rather than testing atEnd().
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

inline void printFigure(const char *name, double value, const char *unit)
{
    QTextStream(stdout) << name << ": " << QString::number(value, 'f', 2) << ' ' << unit << '\n';
}
