#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Every database failure reaches callers as this exception, carrying the driver's message.
class DbError : public std::exception
{
public:
    explicit DbError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Runs a re-read after a failed write: its own failure must not hide the write's error.
template <typename F> void ignoringDbError(F &&f)
{
    try {
        f();
    } catch (const DbError &) {
    }
}

// What a failure says about the database as a whole, beyond the statement that met it.
enum class DbFailureKind {
    Other,          // this statement's own failure (a constraint, a bad value)
    ConnectionLost, // the server went away or cannot be reached: reconnecting may help
    Busy,           // another program holds the write lock beyond the busy timeout
};

// Decided from the driver's text, the one thing every failure carries to the callers.
DbFailureKind classifyDbFailure(const QString &message);
