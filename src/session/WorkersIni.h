#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Reader and writer of Workers.ini with the rules the suite's other modules follow: section and
// key names without regard to case, values cut at 2,047 characters, a missing file reads as empty.
class WorkersIni
{
public:
    explicit WorkersIni(QString fileName);

    const QString &fileName() const { return m_fileName; }
    bool exists() const;

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool sectionExists(const QString &section) const;

    // Appends "[section]" and "key=value" at the end of the file (creating it when needed), in
    // the file's own encoding (UTF-8, or UTF-16 after its byte-order mark), and leaves every
    // existing byte as it was. A file in an encoding it cannot tell is left untouched: returns
    // false. Throws IniWriteError ("Unable to write to %s").
    bool appendSection(const QString &section, const QString &key, const QString &value);

    static constexpr int MaxValueLength = 2047;

    // The same rules on the file's bytes (readers and the fuzz target).
    static QString valueIn(const QByteArray &content, const QString &section, const QString &key,
                           const QString &defaultValue = {});
    static bool sectionIn(const QByteArray &content, const QString &section);

private:
    QString m_fileName;
};

class IniWriteError : public std::exception
{
public:
    explicit IniWriteError(const QString &fileName);
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
