#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <exception>
#include <memory>

// One cell as a sheet stores it, whatever the file format.
struct SheetCell
{
    enum Type : quint8 { Empty, Text, Number, Date, Boolean, Error };
    Type type = Empty;
    bool formulaWithoutValue = false; // a formula the file keeps no computed value for
    bool merged = false;              // inside a merged range: the value is the range's first cell
    double number = 0;                // Number, Boolean (0/1); Date: the serial day number when known
    QDate date;                       // Date
    QString text;                     // Text, Error; Number and Date: the text as the file wrote it, if any

    bool isEmpty() const { return type == Empty && !formulaWithoutValue; }
    // The value as plain text: numbers without a trailing ".0", dates as yyyy-MM-dd.
    QString displayText() const;
};

// One row of a sheet; cells by column from 0, trailing empty cells left out.
struct SheetRow
{
    int number = 0; // 1-based row number in the sheet
    bool hidden = false;
    QList<SheetCell> cells;

    const SheetCell &cell(int column) const;
    bool isEmpty() const;
};

// Why a file cannot be read; the message is for the user as it stands.
class SheetError : public std::exception
{
public:
    explicit SheetError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

namespace SheetMessages {
QString passwordProtected(); // "The file is password-protected"
QString notASpreadsheet();
QString damaged(const QString &detail);
QString tooLarge();
QString expandsTooFar(qint64 limitBytes);
} // namespace SheetMessages

// Reads one sheet of a file at a time, row by row, without holding the sheet in memory (where
// the format allows). Every failure throws SheetError.
class SheetReader
{
public:
    virtual ~SheetReader() = default;
    virtual QStringList sheetNames() const = 0;
    // Starts reading the sheet from its first row.
    virtual void selectSheet(int index) = 0;
    // The next row that holds anything; false at the end of the sheet.
    virtual bool readRow(SheetRow &row) = 0;
};

// The reader for a file, chosen by its content (.xlsx, .xls) or, for plain text, its name
// (.csv, .txt). Throws SheetError.
std::unique_ptr<SheetReader> openSheetFile(const QString &path);

// Spreadsheet day numbers (1900 system, or 1904) to dates and back.
QDate serialToDate(double serial, bool date1904 = false);
double dateToSerial(const QDate &date);

// Largest sheets the formats allow.
constexpr int XlsxMaxRows = 1048576;
constexpr int XlsxMaxColumns = 16384;
