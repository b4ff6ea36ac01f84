#pragma once

#include "SheetRows.h"

#include <QByteArray>

// A plain-text sheet: UTF-8 (with or without a byte-order mark) or UTF-16 with one; the field
// separator (comma, semicolon or tab) found from the first lines; fields quoted the usual way
// (a doubled quote inside quotes is one quote, line breaks inside quotes belong to the field).
// Every cell is text. The file is one sheet named after it.
class CsvReader : public SheetReader
{
public:
    // Throws SheetError when the file cannot be read or is not text.
    CsvReader(const QString &path, const QString &sheetName);
    // Reads text already in memory (tests, fuzzing).
    static std::unique_ptr<CsvReader> fromBytes(const QByteArray &bytes, const QString &sheetName = {});

    QStringList sheetNames() const override { return {m_name}; }
    void selectSheet(int index) override;
    bool readRow(SheetRow &row) override;

    QChar separator() const { return m_sep; }

    // Largest file read (the text is decoded whole).
    static constexpr qint64 MaxBytes = 512LL * 1024 * 1024;

private:
    CsvReader() = default;
    void setBytes(const QByteArray &bytes);

    QString m_name;
    QString m_text;
    QChar m_sep = QLatin1Char(',');
    qsizetype m_pos = 0;
    int m_line = 0;
};
