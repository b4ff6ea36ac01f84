#pragma once

// The tables and columns of the suite's database, written down here on their own (not read from
// the program's schema files) so that a schema file or a statement that strays from them fails.

#include <QList>
#include <QString>
#include <QStringList>

namespace SuiteColumns {

enum class Type { Text, Int32, Int64, Bit, DateTime, Double };

struct Column
{
    QString table;
    QString name;
    Type type;
    int width = 0;         // Text only: the most characters it holds
    bool identity = false; // the database assigns it on insert
};

inline QList<Column> all()
{
    QList<Column> c;
    auto add = [&c](const char *table, const QStringList &names, Type type, int width = 0) {
        for (const QString &n : names)
            c << Column{QString::fromLatin1(table), n, type, width, false};
    };
    auto identity = [&c](const char *table) {
        c << Column{QString::fromLatin1(table), QStringLiteral("Rec_ID"), Type::Int64, 0, true};
    };
    using T = Type;

    identity("Assignments");
    add("Assignments", {"Assignment"}, T::Text, 50);
    add("Assignments", {"isActive", "isProtected", "Billable", "Night_Shift", "Trans_To", "Trans_From"}, T::Bit);
    add("Assignments", {"WH", "OT", "HT"}, T::Int32);
    add("Assignments", {"Client_ID"}, T::Int64);
    add("Assignments", {"Project_Description", "Site_Location", "Remarks"}, T::Text, 255);
    add("Assignments",
        {"Map_Latitude", "Map_Longitude", "Project_Manager_Name", "Timekeeper_Name", "Accountant_Name",
         "HSE_Manager_Name", "Project_Manager_Email", "Timekeeper_Email", "Accountant_Email", "HSE_Manager_Email",
         "Payment_Terms", "ERP_Account_No"},
        T::Text, 50);
    add("Assignments", {"Project_Manager_Mobile", "Timekeeper_Mobile", "Accountant_Mobile", "HSE_Manager_Mobile"},
        T::Text, 20);

    identity("AssignmentsRates");
    add("AssignmentsRates", {"Assignment"}, T::Text, 50);
    add("AssignmentsRates", {"Site_Job"}, T::Text, 100);
    add("AssignmentsRates", {"WH_Rate", "OT_Rate", "HT_Rate"}, T::Double);

    identity("Clients");
    add("Clients",
        {"Client_Name", "Client_Kind", "Client_Size", "Payment_Terms", "Web_Site", "Manager_Name", "Manager_Title",
         "Manager_Email", "Purchasing_Manager_Name", "Purchasing_Manager_Email", "Finance_Manager_Name",
         "Finance_Manager_Email"},
        T::Text, 50);
    add("Clients", {"HO_Address"}, T::Text, 255);
    add("Clients", {"isActive"}, T::Bit);
    add("Clients", {"Manager_Mobile", "Purchasing_Manager_Mobile", "Finance_Manager_Mobile"}, T::Text, 20);

    for (const char *t : {"TimeSheets", "ClientTimeSheets"}) {
        const bool own = QLatin1String(t) == QLatin1String("TimeSheets");
        if (own)
            add(t, {"Rec_ID"}, T::Int64);
        else
            identity(t);
        add(t, {"Col_Date", "Entered_Date", "Checked_Date"}, T::DateTime);
        add(t, {"Col_Year", "Col_Month", "Col_Day"}, T::Int32);
        add(t, {"Ref_No"}, T::Int64);
        add(t, {"Employee_No", "Entered_By", "Checked_By"}, T::Text, 50);
        add(t, {"Employee_Name"}, T::Text, 100);
        add(t, {"Assignment"}, T::Text, 32);
        add(t, {"Checked"}, T::Bit);
        if (own) {
            add(t, {"OurJob", "SiteJob"}, T::Text, 100);
            add(t, {"OurAtt_Code"}, T::Text, 2);
            add(t, {"OurAtt_Desc"}, T::Text, 50);
            add(t, {"Our_WH", "Our_OT", "Our_HT"}, T::Int32);
        } else {
            add(t, {"ClientJob"}, T::Text, 100);
            add(t, {"ClientAtt_Code"}, T::Text, 2);
            add(t, {"ClientAtt_Desc"}, T::Text, 50);
            add(t, {"Client_WH", "Client_OT", "Client_HT"}, T::Int32);
            add(t, {"Dispute", "Closed"}, T::Bit);
        }
    }

    // No row key: a line is its project, worker and cycle.
    add("Invoices",
        {"Col_Year", "Col_Month", "Days_Calander", "Days_Present", "Earned_WH_Hours", "Earned_OT_Hours",
         "Earned_HT_Hours"},
        T::Int32);
    add("Invoices", {"Assignment"}, T::Text, 32);
    add("Invoices", {"Ref_No"}, T::Int64);
    add("Invoices", {"Employee_No"}, T::Text, 50);
    add("Invoices", {"Employee_Name", "Our_Job", "Client_Job"}, T::Text, 100);
    add("Invoices",
        {"Earned_WH_Rate", "Earned_OT_Rate", "Earned_HT_Rate", "Earned_WH_Amount", "Earned_OT_Amount",
         "Earned_HT_Amount", "Earned_Total"},
        T::Double);
    for (int d = 1; d <= 31; ++d) {
        const QString dd = QStringLiteral("D%1_").arg(d, 2, 10, QLatin1Char('0'));
        add("Invoices", {dd + QStringLiteral("Code")}, T::Text, 2);
        add("Invoices", {dd + QStringLiteral("Hour")}, T::Text, 8);
    }

    add("PayrollActiveCycle", {"Rec_ID"}, T::Int64);
    add("PayrollActiveCycle", {"Cycle_Year", "Cycle_Month"}, T::Int32);

    add("SiteJobs", {"Rec_ID"}, T::Int64);
    add("SiteJobs", {"Job_Site"}, T::Text, 100);

    add("UsersRoles", {"UserName", "RoleName"}, T::Text, 50);

    add("Workers", {"Rec_ID"}, T::Int64);
    add("Workers", {"Employee_No", "FirstName", "SecondName", "LastName"}, T::Text, 50);
    add("Workers", {"Nationality", "OurJob", "SiteJob"}, T::Text, 100);
    add("Workers", {"Assignment"}, T::Text, 32);
    add("Workers", {"Arrival_Date"}, T::DateTime);
    return c;
}

// "table.column type", one per column, sorted and in lower case: two schemas hold the same
// columns when their descriptions are equal.
inline QString describe(const QString &table, const QString &name, Type type, int width, bool identity)
{
    static const char *const names[] = {"text", "int32", "int64", "bit", "date-time", "double"};
    QString s = (table + QLatin1Char('.') + name).toLower() + QLatin1Char(' ') + QLatin1String(names[int(type)]);
    if (type == Type::Text)
        s += QStringLiteral(" %1").arg(width);
    if (identity)
        s += QStringLiteral(" identity");
    return s;
}

inline QStringList described()
{
    QStringList out;
    for (const Column &c : all())
        out << describe(c.table, c.name, c.type, c.width, c.identity);
    out.sort();
    return out;
}

} // namespace SuiteColumns
