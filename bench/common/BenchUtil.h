#pragma once

#include "Connection.h"

#include <QFile>
#include <QTextStream>

// A figure of /proc/self/status in MB: VmRSS (resident now) or VmHWM (peak). The file reports
// no size, so it is read whole rather than line by line up to an end that QFile sees at once.
inline double statusMb(const QByteArray &key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Peak resident memory of this process so far, in MB.
inline double peakMemoryMb()
{
    return statusMb("VmHWM");
}

inline void printFigure(const char *name, double value, const char *unit)
{
    QTextStream(stdout) << name << ": " << QString::number(value, 'f', 2) << ' ' << unit << '\n';
}

// Opens a SQLite file for a benchmark (creating it when asked).
inline void openSqlite(Connection &c, const QString &file, bool create = false)
{
    ConnectionParams p;
    p.engine = Engine::SQLite;
    p.database = file;
    p.createIfMissing = create;
    c.open(p);
}

// Opens a database of the benchmark's PostgreSQL server on loopback.
inline void openPostgres(Connection &c, int port, const QString &database)
{
    ConnectionParams p;
    p.engine = Engine::PostgreSQL;
    p.host = QStringLiteral("127.0.0.1");
    p.port = port;
    p.database = database;
    p.user = QStringLiteral("postgres");
    c.open(p);
}
