#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>

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

// The user stopped the export: nothing is written and nothing needs saying.
class ExportCancelled : public ExportRefusal
{
public:
    ExportCancelled() : ExportRefusal(QStringLiteral("The export was cancelled")) {}
};

// Told the number of data rows written so far, every few hundred rows (repaints, progress); it
// may throw ExportCancelled to stop.
using ExportProgress = std::function<void(qint64 rowsWritten)>;
