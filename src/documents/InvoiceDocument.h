#pragma once

#include <QDate>
#include <QList>
#include <QString>

class Connection;

// What a project's invoice for one cycle says: the project, its client, the checked lines and
// whether attendance is still open (unchecked or disputed rows), read in one go.
namespace InvoiceDocument {

struct Line
{
    QString employeeNo;
    QString employeeName;
    QString clientJob;
    qint64 daysPresent = 0;
    qint64 whHours = 0, otHours = 0, htHours = 0;
    double whRate = 0, otRate = 0, htRate = 0;
    double whAmount = 0, otAmount = 0, htAmount = 0;
    double total = 0;
};

// Sums of a group of lines (a client job, or the whole invoice).
struct Sums
{
    qint64 lines = 0;
    qint64 daysPresent = 0;
    qint64 whHours = 0, otHours = 0, htHours = 0;
    double whAmount = 0, otAmount = 0, htAmount = 0;
    double total = 0;
    void add(const Line &l);
};

struct Document
{
    QString company;
    QString project;
    bool projectRecorded = false;
    QString siteLocation;
    QString erpAccountNo;
    QString paymentTerms;
    bool clientRecorded = false;
    QString clientName;
    QString clientAddress;
    int year = 0;
    int month = 0;
    QDate issued;
    // By client job, then employee number.
    QList<Line> lines;
    qint64 uncheckedWorkers = 0;
    qint64 disputedDays = 0;

    bool isDraft() const { return uncheckedWorkers > 0 || disputedDays > 0; }
    // PROJECT/YYYY-MM
    QString reference() const;
    // "November 2026"
    QString cycleText() const;
    Sums totals() const;
};

// Reads the project, its client, the invoice lines of the cycle and the open attendance counts.
// Throws DbError.
Document read(Connection &connection, const QString &project, int year, int month, const QDate &issued);

// "There are no invoice lines for PROJECT in MM/yyyy"
QString noLinesMessage(const QString &project, int year, int month);
// A file name for the document of a project: "PROJECT-YYYY-MM.pdf", characters that file systems
// refuse replaced.
QString fileNameFor(const QString &project, int year, int month);

} // namespace InvoiceDocument
