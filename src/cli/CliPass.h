#pragma once

#include "Connection.h"
#include "PassControl.h"

#include <QElapsedTimer>
#include <QTextStream>

// A pass of the command line: on a terminal a single updating progress line on stderr (nothing
// extra when stderr is not a terminal), and Ctrl+C stopping the pass between two workers. The
// handler is installed for the object's life.
class CliPass
{
public:
    explicit CliPass(QTextStream &err);
    ~CliPass();
    CliPass(const CliPass &) = delete;
    CliPass &operator=(const CliPass &) = delete;

    PassControl control();
    bool interrupted() const;
    // Clears the progress line before the summary.
    void finish();

private:
    QTextStream &m_err;
    QElapsedTimer m_sinceLine;
    QElapsedTimer m_elapsed;
    bool m_terminal;
    bool m_lineShown = false;
};

// While it lives, a lost connection that the pass reconnects is said on stderr, once each time.
class ReconnectNotice
{
public:
    ReconnectNotice(Connection &connection, QTextStream &err);
    ~ReconnectNotice();
    ReconnectNotice(const ReconnectNotice &) = delete;
    ReconnectNotice &operator=(const ReconnectNotice &) = delete;

private:
    Connection &m_conn;
};

// A message on one output line, whatever lines the server's text had.
inline QString oneLine(QString message)
{
    return message.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
}
