#include "CliPass.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t s_interrupted = 0;

extern "C" void onInterrupt(int)
{
    s_interrupted = 1;
}

void (*s_previous)(int) = SIG_DFL;
} // namespace

CliPass::CliPass(QTextStream &err) : m_err(err), m_terminal(isatty(fileno(stderr)) != 0)
{
    s_interrupted = 0;
    s_previous = std::signal(SIGINT, onInterrupt);
    m_sinceLine.start();
    m_elapsed.start();
}

CliPass::~CliPass()
{
    std::signal(SIGINT, s_previous == SIG_ERR ? SIG_DFL : s_previous);
}

bool CliPass::interrupted() const
{
    return s_interrupted != 0;
}

PassControl CliPass::control()
{
    PassControl c;
    c.stopRequested = [this] { return interrupted(); };
    if (m_terminal)
        c.starting = [this](int done, int total, const QString &employeeNo) {
            // A few updates a second: the terminal is slower than the work.
            if (m_lineShown && m_sinceLine.elapsed() < 200 && done + 1 < total)
                return;
            m_sinceLine.restart();
            m_err << "\r" << done << " / " << total << "  " << employeeNo << "  "
                  << passTimeText(m_elapsed.elapsed(), done, total) << "\x1b[K";
            m_err.flush();
            m_lineShown = true;
        };
    return c;
}

void CliPass::finish()
{
    if (m_lineShown) {
        m_err << "\r\x1b[K";
        m_err.flush();
        m_lineShown = false;
    }
}

ReconnectNotice::ReconnectNotice(Connection &connection, QTextStream &err) : m_conn(connection)
{
    m_conn.reconnecting = [&err](const QString &cause) {
        err << "The connection to the database was lost (" << cause.section(QLatin1Char('\n'), 0, 0).simplified()
            << "); reconnecting...\n";
        err.flush();
    };
    // Ctrl+C while the server is away ends the wait at once instead of after the retry limit.
    m_conn.stopReconnecting = [] { return s_interrupted != 0; };
}

ReconnectNotice::~ReconnectNotice()
{
    m_conn.reconnecting = nullptr;
    m_conn.stopReconnecting = nullptr;
}
