#include "WorkersIni.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

namespace {

QByteArray readBytes(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Text of the file: UTF-8 (with or without its byte-order mark), or UTF-16 when it starts with
// that byte-order mark, as Notepad's "Unicode" saves. Invalid bytes become replacement characters.
QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return utf16.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

// Lines ended by CR LF, LF or a lone CR, in any mix.
QStringList splitLines(const QString &decoded)
{
    QString text = decoded;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// Returns the section name of a "[name]" line, or a null string.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

} // namespace

IniWriteError::IniWriteError(const QString &fileName)
    : m_message(QStringLiteral("Unable to write to %1").arg(fileName)), m_utf8(m_message.toUtf8())
{
}

WorkersIni::WorkersIni(QString fileName) : m_fileName(std::move(fileName)) {}

bool WorkersIni::exists() const
{
    return QFileInfo(m_fileName).isFile();
}

bool WorkersIni::sectionExists(const QString &section) const
{
    return sectionIn(readBytes(m_fileName), section);
}

QString WorkersIni::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return valueIn(readBytes(m_fileName), section, key, defaultValue);
}

bool WorkersIni::sectionIn(const QByteArray &content, const QString &section)
{
    for (const QString &line : splitLines(decode(content))) {
        const QString name = sectionName(line);
        if (!name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// A section named twice reads as one; of a key given twice, the first value counts.
QString WorkersIni::valueIn(const QByteArray &content, const QString &section, const QString &key,
                            const QString &defaultValue)
{
    bool inSection = false;
    for (const QString &line : splitLines(decode(content))) {
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
            continue;
        const int eq = t.indexOf(QLatin1Char('='));
        if (eq <= 0 || t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = t.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value.left(MaxValueLength);
    }
    return defaultValue;
}

int WorkersIni::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int v = readString(section, key).toInt(&ok);
    return ok ? v : defaultValue;
}

namespace {
enum class IniEncoding { Utf8, Utf16LE, Utf16BE, Unknown };

// The encoding the reader takes the file in, so that what is appended reads back.
IniEncoding encodingOf(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return bytes.size() % 2 == 0 ? IniEncoding::Utf16LE : IniEncoding::Unknown;
    if (bytes.startsWith("\xFE\xFF"))
        return bytes.size() % 2 == 0 ? IniEncoding::Utf16BE : IniEncoding::Unknown;
    // UTF-16 without its mark, or any other multi-byte text: appended UTF-8 would not read back.
    if (bytes.contains('\0'))
        return IniEncoding::Unknown;
    return IniEncoding::Utf8;
}
} // namespace

bool WorkersIni::appendSection(const QString &section, const QString &key, const QString &value)
{
    const QString full = QFileInfo(m_fileName).absoluteFilePath();
    QFile f(m_fileName);
    QByteArray existing;
    if (f.exists()) {
        if (!f.open(QIODevice::ReadOnly))
            throw IniWriteError(full);
        existing = f.readAll();
        f.close();
    }
    const IniEncoding encoding = encodingOf(existing);
    if (encoding == IniEncoding::Unknown)
        return false;
    const QString text = decode(existing);
    const QString eol = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString add;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')) &&
        text != QString(QChar(0xFEFF)))
        add += eol;
    add += QLatin1Char('[') + section + QLatin1Char(']') + eol + key + QLatin1Char('=') + value + eol;
    QByteArray bytes;
    switch (encoding) {
    case IniEncoding::Utf16LE:
        bytes = QStringEncoder(QStringEncoder::Utf16LE).encode(add);
        break;
    case IniEncoding::Utf16BE:
        bytes = QStringEncoder(QStringEncoder::Utf16BE).encode(add);
        break;
    default:
        bytes = add.toUtf8();
        break;
    }
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(bytes) != bytes.size() || !f.flush())
        throw IniWriteError(full);
    f.close();
    return true;
}
