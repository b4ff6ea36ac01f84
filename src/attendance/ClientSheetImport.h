#pragma once

#include "Clock.h"
#include "PassControl.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <exception>

class Connection;
struct SheetRow;

// Importing the client's own attendance sheet for one project and cycle: each day of the sheet
// becomes a client attendance row written the way "Post" writes it, after a preview that shows
// what would change. Nothing here shows UI.
namespace ClientSheet {

// The columns a sheet can give.
enum class Field { EmployeeNo, Date, Code, Normal, Overtime, Holiday, Job };
constexpr int FieldCount = 7;
// "Employee No", "Date", "Code", "Normal", "Overtime", "Holiday", "Job"
QString fieldTitle(Field field);
// A field named on the command line or in a header ("emp no", "OT", "designation"...); false
// when the text names none.
bool fieldFromName(const QString &name, Field &field);

enum class Layout {
    PerDay,    // one row per worker and day: number, date, code, hours, job
    PerWorker, // one row per worker, one column per day of the month
};

// Which column holds what, found from the header row and adjustable by the user.
struct Mapping
{
    Layout layout = Layout::PerDay;
    int headerRow = 0;   // sheet row number of the header, 0 = none found
    QStringList headers; // the header row's texts by column
    std::array<int, FieldCount> columns{-1, -1, -1, -1, -1, -1, -1};
    QList<std::pair<int, int>> dayColumns; // PerWorker: column, day of the month (0 = a date outside the cycle)

    int column(Field f) const { return columns[size_t(f)]; }
    void setColumn(Field f, int column) { columns[size_t(f)] = column; }
    // The first missing required field's message, empty when the mapping can be used.
    QString incomplete() const;
};

// "employee=Staff ID,code=C": fields and the columns named for them; false (and why) when a field
// is not known or a pair is malformed.
bool parseMapOption(const QString &text, QHash<Field, QString> &map, QString *why);

// Recognises a header among the first rows of a sheet; headerRow stays 0 when none is found.
Mapping recognise(const QList<SheetRow> &firstRows, int year, int month);
// Column given by its header text (any case) or its letters ("C"); -1 when neither.
int columnFromText(const Mapping &mapping, const QString &text);
// "A", "B", ... "AA".
QString columnLetters(int column);

// Reads a date written as text: yyyy-MM-dd, dd/MM/yyyy (or MM/dd/yyyy when the locale puts the
// month first and the text is ambiguous), d-MMM-yyyy and their close kin.
QDate parseTextDate(const QString &text, bool dayFirst);
// Whether the locale writes the day before the month in short dates.
bool localeIsDayFirst();

// What one day holds, in the sheet or in the database.
struct DayValues
{
    QString code;
    int wh = 0, ot = 0, ht = 0;
    QString job;
    QString project; // the database row's project (the sheet's is the project imported into)
};

enum class Outcome { New, Changed, Unchanged, Refused };
// "New", "Changed", "Unchanged", "Refused"
QString outcomeText(Outcome outcome);

// The reasons a day is refused.
namespace Reason {
QString noEmployeeNo();
QString unknownEmployee();
QString notDeployed();
QString notADate();
QString outsideCycle();
QString badCode();
QString hoursNotWhole();
QString hoursNegative();
QString hoursAbove24();
QString dayAbove24();
QString jobWithoutRate();
QString formulaWithoutValue();
QString twice(const QList<int> &rows); // "The same worker and day twice (rows 4 and 9)"
} // namespace Reason

// One day of the sheet as the preview shows it.
struct PreviewRow
{
    int sheetRow = 0;
    int sheetColumn = -1; // the day's column in a sheet with one column per day
    bool hidden = false;
    QString employeeNo;
    QString employeeName;
    qint64 refNo = 0;
    QDate date;
    QString dateText; // a date written as text, as it was read
    Outcome outcome = Outcome::Refused;
    QString reason;
    DayValues sheet;       // what would be written
    DayValues stored;      // what is there (Changed, Unchanged)
    bool checked = false;  // the stored day was checked
    bool disputed = false; // the stored day is disputed (kept)

    bool losesCheck() const { return outcome == Outcome::Changed && checked; }
};
} // namespace ClientSheet
// A large sheet's days grow in place rather than copied to a second block.
Q_DECLARE_TYPEINFO(ClientSheet::DayValues, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(ClientSheet::PreviewRow, Q_RELOCATABLE_TYPE);
namespace ClientSheet {

struct Options
{
    QString project;
    int year = 0;
    int month = 0;
    QString sheetName;                  // empty: the first sheet with a recognisable header
    QHash<Field, int> overrides;        // field -> column (-1 unmaps)
    QHash<Field, QString> mapTexts;     // field -> header text or letters ("-" unmaps), after overrides
    bool dayFirst = localeIsDayFirst(); // ambiguous text dates
};

struct Preview
{
    QString sheetName;
    QStringList sheetNames;
    Mapping mapping;
    QList<PreviewRow> rows;
    std::array<int, 4> counts{0, 0, 0, 0}; // by Outcome
    int hiddenRows = 0;

    int count(Outcome o) const { return counts[size_t(o)]; }
    int accepted() const { return count(Outcome::New) + count(Outcome::Changed); }
    QList<int> checkLost() const; // rows whose stored day loses its check
    // "12 new, 3 changed, 280 unchanged, 2 refused"
    QString countsText() const;
};

// A file or mapping that cannot be imported; the message is for the user.
class ImportError : public std::exception
{
public:
    explicit ImportError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

struct ApplyResult
{
    int inserted = 0;
    int updated = 0;
    int unchanged = 0;
    int refused = 0;
    bool cancelled = false; // stopped by the user: nothing written
    // "Imported: 12 new, 3 changed, 280 unchanged, 2 refused"
    QString closingLine() const;
};

// Above this many days to write, Apply shows progress and can be cancelled.
constexpr int ProgressThreshold = 2000;

// Reads a sheet and previews it against the database; applies a preview in one transaction.
class Importer
{
public:
    explicit Importer(Connection &connection, const Clock &clock = Clock::system());

    QString userId; // written into Entered_By

    // Reads the file and classifies every day. Throws ImportError (the file, the sheet, the
    // mapping) or DbError.
    Preview preview(const QString &path, const Options &options);

    // Writes the accepted days of the preview (new and changed), all or nothing: an error or a
    // stop asked through the control rolls everything back. Throws DbError after rolling back.
    ApplyResult apply(const Preview &preview, const Options &options, const PassControl &control = {});

private:
    Connection &m_conn;
    const Clock &m_clock;
};

// Saves the preview as a workbook (.xlsx or .xls by the name's suffix), one row per day with its
// outcome, reason and old and new values. Throws ExportError.
void savePreview(const Preview &preview, const QString &fileName);

} // namespace ClientSheet
