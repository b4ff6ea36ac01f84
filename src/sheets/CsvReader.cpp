#include "CsvReader.h"

#include <QFile>
#include <QStringDecoder>

CsvReader::CsvReader(const QString &path, const QString &sheetName) : m_name(sheetName)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw SheetError(QStringLiteral("Cannot open %1: %2").arg(path, f.errorString()));
    if (f.size() > MaxBytes)
        throw SheetError(SheetMessages::tooLarge());
    setBytes(f.readAll());
}

std::unique_ptr<CsvReader> CsvReader::fromBytes(const QByteArray &bytes, const QString &sheetName)
{
    std::unique_ptr<CsvReader> r(new CsvReader);
    r->m_name = sheetName;
    r->setBytes(bytes);
    return r;
}

namespace {
// The separator that splits the first lines most often, counted outside quotes.
QChar detectSeparator(const QString &text)
{
    const QChar candidates[] = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    int lines = 0;
    for (qsizetype i = 0; i < text.size() && lines < 5; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\n'))
            ++lines;
        else if (!quoted)
            for (int k = 0; k < 3; ++k)
                if (c == candidates[k])
                    ++counts[k];
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (counts[k] > counts[best])
            best = k;
    return candidates[best];
}
} // namespace

void CsvReader::setBytes(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        m_text = dec.decode(bytes.mid(2));
    } else {
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        m_text = dec.decode(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
        if (dec.hasError())
            throw SheetError(SheetMessages::notASpreadsheet() +
                             QStringLiteral(": the text is neither UTF-8 nor UTF-16 with a byte-order mark"));
    }
    m_sep = detectSeparator(m_text);
    selectSheet(0);
}

void CsvReader::selectSheet(int index)
{
    if (index != 0)
        throw SheetError(QStringLiteral("The file has one sheet only"));
    m_pos = 0;
    m_line = 0;
}

bool CsvReader::readRow(SheetRow &row)
{
    const QString &t = m_text;
    while (m_pos < t.size()) {
        row.cells.clear();
        row.hidden = false;
        row.number = ++m_line;
        QString field;
        bool quoted = false, wasQuoted = false;
        auto endField = [&] {
            SheetCell c;
            if (!field.isEmpty() || wasQuoted) {
                c.type = SheetCell::Text;
                c.text = wasQuoted ? field : field.trimmed();
                if (c.text.isEmpty() && !wasQuoted)
                    c.type = SheetCell::Empty;
            }
            row.cells.append(c);
            field.clear();
            wasQuoted = false;
        };
        bool endOfLine = false;
        while (m_pos < t.size() && !endOfLine) {
            const QChar c = t.at(m_pos++);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_pos < t.size() && t.at(m_pos) == QLatin1Char('"')) {
                        field += c;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                }
            } else if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
                quoted = wasQuoted = true;
                field.clear();
            } else if (c == m_sep) {
                endField();
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                if (c == QLatin1Char('\r') && m_pos < t.size() && t.at(m_pos) == QLatin1Char('\n'))
                    ++m_pos;
                endOfLine = true;
            } else {
                field += c;
            }
        }
        endField();
        while (!row.cells.isEmpty() && row.cells.last().isEmpty())
            row.cells.removeLast();
        if (!row.cells.isEmpty())
            return true;
    }
    return false;
}
