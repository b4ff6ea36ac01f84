// Reading a client's sheet: which column holds what, and how its texts are read.
#include "ClientSheetImport.h"

#include "SheetRows.h"

#include <QLocale>
#include <QRegularExpression>

namespace ClientSheet {

QString fieldTitle(Field field)
{
    switch (field) {
    case Field::EmployeeNo:
        return QStringLiteral("Employee No");
    case Field::Date:
        return QStringLiteral("Date");
    case Field::Code:
        return QStringLiteral("Code");
    case Field::Normal:
        return QStringLiteral("Normal");
    case Field::Overtime:
        return QStringLiteral("Overtime");
    case Field::Holiday:
        return QStringLiteral("Holiday");
    case Field::Job:
        return QStringLiteral("Job");
    }
    return {};
}

namespace {
// Lower case, words separated by single blanks, punctuation dropped: "Emp. No" -> "emp no".
QString normalised(const QString &text)
{
    QString t;
    for (QChar c : text.toLower()) {
        if (c.isLetterOrNumber())
            t += c;
        else if (!t.isEmpty() && !t.endsWith(QLatin1Char(' ')))
            t += QLatin1Char(' ');
    }
    return t.trimmed();
}

struct Synonyms
{
    Field field;
    const char *names;
};
const Synonyms synonyms[] = {
    {Field::EmployeeNo, "emp no|employee no|employee number|emp number|id|emp id|employee id|employee|empno|staff no|"
                        "employee code|emp code|badge no"},
    {Field::Date, "date|day|att date|attendance date|work date"},
    {Field::Code, "code|status|att code|attendance code|attendance|att"},
    {Field::Normal, "normal|wh|regular|normal hours|regular hours|nh|normal hrs|working hours"},
    {Field::Overtime, "ot|overtime|ot hours|overtime hours|ot hrs"},
    {Field::Holiday, "holiday|ht|holiday hours|hol|holiday hrs"},
    {Field::Job, "job|designation|trade|site job|client job|position"},
};
} // namespace

bool fieldFromName(const QString &name, Field &field)
{
    const QString n = normalised(name);
    for (const Synonyms &s : synonyms) {
        if (n == normalised(fieldTitle(s.field))) {
            field = s.field;
            return true;
        }
        for (const QString &syn : QString::fromLatin1(s.names).split(QLatin1Char('|')))
            if (n == syn) {
                field = s.field;
                return true;
            }
    }
    return false;
}

bool parseMapOption(const QString &text, QHash<Field, QString> &map, QString *why)
{
    for (const QString &pair : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        Field f;
        if (eq <= 0) {
            if (why)
                *why = QStringLiteral("\"%1\" is not FIELD=COLUMN").arg(pair);
            return false;
        }
        if (!fieldFromName(pair.left(eq), f)) {
            if (why)
                *why = QStringLiteral("Unknown field \"%1\" (fields: employee, date, code, normal, overtime, "
                                      "holiday, job)")
                           .arg(pair.left(eq));
            return false;
        }
        map.insert(f, pair.mid(eq + 1).trimmed());
    }
    return true;
}

QString columnLetters(int column)
{
    QString s;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        s.prepend(QChar(u'A' + (c - 1) % 26));
    return s;
}

namespace {
// The day of the month a header cell names: 1..31, or a date (0 when outside the cycle); -1 when
// the cell names no day.
int headerDay(const SheetCell &c, int year, int month)
{
    if (c.type == SheetCell::Date)
        return c.date.year() == year && c.date.month() == month ? c.date.day() : 0;
    QString t = c.displayText().trimmed();
    bool ok = false;
    const int d = t.toInt(&ok);
    if (ok)
        return d >= 1 && d <= 31 ? d : -1;
    const QDate date = parseTextDate(t, localeIsDayFirst());
    if (date.isValid())
        return date.year() == year && date.month() == month ? date.day() : 0;
    return -1;
}
} // namespace

Mapping recognise(const QList<SheetRow> &firstRows, int year, int month)
{
    for (const SheetRow &row : firstRows) {
        Mapping m;
        QList<std::pair<int, int>> days;
        for (int c = 0; c < row.cells.size(); ++c) {
            const SheetCell &cell = row.cells.at(c);
            m.headers << cell.displayText();
            Field f;
            if (cell.type == SheetCell::Text && fieldFromName(cell.text, f)) {
                if (m.column(f) < 0)
                    m.setColumn(f, c);
                continue;
            }
            const int day = headerDay(cell, year, month);
            if (day >= 0)
                days.append({c, day});
        }
        if (m.column(Field::EmployeeNo) < 0)
            continue;
        if (m.column(Field::Date) >= 0) {
            m.layout = Layout::PerDay;
        } else if (days.size() >= 3) {
            m.layout = Layout::PerWorker;
            m.dayColumns = days;
        } else {
            continue;
        }
        m.headerRow = row.number;
        return m;
    }
    return {};
}

QString Mapping::incomplete() const
{
    if (headerRow == 0)
        return QStringLiteral("No header row found");
    if (column(Field::EmployeeNo) < 0)
        return QStringLiteral("No column is mapped to Employee No");
    if (layout == Layout::PerDay) {
        for (Field f : {Field::Date, Field::Code})
            if (column(f) < 0)
                return QStringLiteral("No column is mapped to %1").arg(fieldTitle(f));
    } else if (dayColumns.isEmpty()) {
        return QStringLiteral("No column of the sheet is a day of the month");
    }
    return {};
}

int columnFromText(const Mapping &mapping, const QString &text)
{
    const QString t = text.trimmed();
    for (int c = 0; c < mapping.headers.size(); ++c)
        if (!t.isEmpty() && mapping.headers.at(c).trimmed().compare(t, Qt::CaseInsensitive) == 0)
            return c;
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{1,3}$"));
    if (!letters.match(t).hasMatch())
        return -1;
    int c = 0;
    for (QChar ch : t.toUpper())
        c = c * 26 + (ch.unicode() - 'A' + 1);
    return c - 1;
}

bool localeIsDayFirst()
{
    const QString f = QLocale().dateFormat(QLocale::ShortFormat);
    const qsizetype d = f.indexOf(QLatin1Char('d')), m = f.indexOf(QLatin1Char('M'));
    return d < 0 || m < 0 || d < m;
}

QDate parseTextDate(const QString &text, bool dayFirst)
{
    const QString t = text.trimmed();
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:[ T].*)?$"));
    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,2})[-/.](\\d{1,2})[-/.](\\d{4}|\\d{2})$"));
    static const QRegularExpression named(QStringLiteral("^(\\d{1,2})[- ]([A-Za-z]{3,9})[- ,]+(\\d{4}|\\d{2})$"));
    auto year = [](const QString &y) { return y.size() == 2 ? 2000 + y.toInt() : y.toInt(); };
    if (auto m = iso.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (auto m = numeric.match(t); m.hasMatch()) {
        const int a = m.captured(1).toInt(), b = m.captured(2).toInt(), y = year(m.captured(3));
        // Only a text that fits both ways follows the locale.
        const bool dayFirstHere = a > 12 ? true : b > 12 ? false : dayFirst;
        return dayFirstHere ? QDate(y, b, a) : QDate(y, a, b);
    }
    if (auto m = named.match(t); m.hasMatch()) {
        static const char *const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                             "jul", "aug", "sep", "oct", "nov", "dec"};
        const QString name = m.captured(2).toLower();
        for (int i = 0; i < 12; ++i)
            if (name.startsWith(QLatin1String(months[i])) &&
                (name.size() == 3 || QLocale(QLocale::English).monthName(i + 1).toLower().startsWith(name)))
                return QDate(year(m.captured(3)), i + 1, m.captured(1).toInt());
    }
    return {};
}

QString outcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::New:
        return QStringLiteral("New");
    case Outcome::Changed:
        return QStringLiteral("Changed");
    case Outcome::Unchanged:
        return QStringLiteral("Unchanged");
    case Outcome::Refused:
        return QStringLiteral("Refused");
    }
    return {};
}

namespace Reason {
QString noEmployeeNo()
{
    return QStringLiteral("No employee number");
}
QString unknownEmployee()
{
    return QStringLiteral("Employee number unknown");
}
QString notDeployed()
{
    return QStringLiteral("Not deployed here: no own attendance in this project and cycle");
}
QString notADate()
{
    return QStringLiteral("Not a date");
}
QString outsideCycle()
{
    return QStringLiteral("Date outside the cycle");
}
QString badCode()
{
    return QStringLiteral("Code not A, P or H");
}
QString hoursNotWhole()
{
    return QStringLiteral("Hours not whole");
}
QString hoursNegative()
{
    return QStringLiteral("Hours negative");
}
QString hoursAbove24()
{
    return QStringLiteral("Hours above 24");
}
QString dayAbove24()
{
    return QStringLiteral("The day's hours add up to more than 24");
}
QString jobWithoutRate()
{
    return QStringLiteral("Job without a rate in this project");
}
QString formulaWithoutValue()
{
    return QStringLiteral("A formula without a stored value");
}
QString twice(const QList<int> &rows)
{
    QStringList r;
    for (int i = 0; i < rows.size(); ++i)
        r << QString::number(rows.at(i));
    const QString last = r.takeLast();
    return QStringLiteral("The same worker and day twice (rows %1 and %2)").arg(r.join(QStringLiteral(", ")), last);
}
} // namespace Reason

QList<int> Preview::checkLost() const
{
    QList<int> out;
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i).losesCheck())
            out << i;
    return out;
}

QString Preview::countsText() const
{
    return QStringLiteral("%1 new, %2 changed, %3 unchanged, %4 refused")
        .arg(count(Outcome::New))
        .arg(count(Outcome::Changed))
        .arg(count(Outcome::Unchanged))
        .arg(count(Outcome::Refused));
}

QString ApplyResult::closingLine() const
{
    if (cancelled)
        return QStringLiteral("Import cancelled: nothing was written");
    return QStringLiteral("Imported: %1 new, %2 changed, %3 unchanged, %4 refused")
        .arg(inserted)
        .arg(updated)
        .arg(unchanged)
        .arg(refused);
}

} // namespace ClientSheet
