#pragma once

#include <QLocale>
#include <QString>

// Number-format codes as a spreadsheet stores them in the file. Codes are kept in the file's own
// notation ("." decimal point, "," grouping); the spreadsheet shows them with the reader's
// separators, which is how the user's locale reaches the sheet.
namespace XlsFormats {

// A date/time display format of the program (QLocale notation: d, M, yy, H, h, m, s, AP...)
// turned into the spreadsheet's codes (d, m, yy, h, mm, ss, AM/PM...). Literal text is quoted.
QString fromQtDateFormat(const QString &qtFormat);

// "#,##0.00" with the locale's currency decimals and its symbol placed as the locale places it.
QString currency(const QLocale &locale);

} // namespace XlsFormats
