#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Every export failure reaches callers as this exception, carrying the text shown to the user.
class ExportError : public std::exception
{
public:
    explicit ExportError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A refusal of the data itself (too many rows or columns for the format): shown as it is, without
// the file name that a failure to save carries.
class ExportRefusal : public ExportError
{
public:
    using ExportError::ExportError;
};
