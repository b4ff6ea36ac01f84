#include "ReconciliationSheets.h"
#include "SheetExporter.h"

namespace Reconcile {

namespace {

FieldDef field(const QString &name, const QString &title, FieldKind kind, const QString &format = {})
{
    FieldDef f;
    f.name = name;
    f.displayLabel = title;
    f.kind = kind;
    f.displayFormat = format;
    return f;
}

const FieldKind T = FieldKind::Text, I = FieldKind::Integer;

FieldDef dateField()
{
    return field(QStringLiteral("Col_Date"), QStringLiteral("Date"), FieldKind::Date, QStringLiteral("dd/MM/yyyy"));
}

QList<FieldDef> workerFields()
{
    return {field(QStringLiteral("Assignment"), QStringLiteral("Project"), T),
            field(QStringLiteral("Employee_No"), QStringLiteral("Employee No."), T),
            field(QStringLiteral("Employee_Name"), QStringLiteral("Employee Name"), T)};
}

quint32 bit(int field)
{
    return 1u << field;
}

// A side's code and hours, blank when it has no row that day.
void appendDay(QList<QVariant> &row, const Day &d)
{
    if (!d.present) {
        row << QVariant() << QVariant() << QVariant() << QVariant();
        return;
    }
    row << d.code << d.wh << d.ot << d.ht;
}

} // namespace

QString TableRowSource::displayText(int field) const
{
    return displayTextOf(m_table.fields.at(field), value(field));
}

Table summaryTable(const Result &result)
{
    Table t;
    t.name = QStringLiteral("Summary");
    t.fields = {field(QStringLiteral("Assignment"), QStringLiteral("Project"), T),
                field(QStringLiteral("Workers_Deployed"), QStringLiteral("Workers Deployed"), I),
                field(QStringLiteral("Workers_Client"), QStringLiteral("Workers With Client Rows"), I),
                field(QStringLiteral("Not_Moved"), QStringLiteral("Not Moved"), I),
                field(QStringLiteral("Checked"), QStringLiteral("Checked"), I),
                field(QStringLiteral("Unchecked"), QStringLiteral("Unchecked"), I),
                field(QStringLiteral("Disputed"), QStringLiteral("Disputed"), I),
                field(QStringLiteral("Our_WH"), QStringLiteral("Normal Hours Deployed"), I),
                field(QStringLiteral("Client_WH"), QStringLiteral("Normal Hours Billed"), I),
                field(QStringLiteral("Our_OT"), QStringLiteral("Overtime Hours Deployed"), I),
                field(QStringLiteral("Client_OT"), QStringLiteral("Overtime Hours Billed"), I),
                field(QStringLiteral("Our_HT"), QStringLiteral("Holiday Hours Deployed"), I),
                field(QStringLiteral("Client_HT"), QStringLiteral("Holiday Hours Billed"), I),
                field(QStringLiteral("Differences"), QStringLiteral("Differences"), I),
                field(QStringLiteral("Invoice_Lines"), QStringLiteral("Invoice Lines"), I),
                field(QStringLiteral("Invoice_Total"), QStringLiteral("Invoice Total"), FieldKind::Float, MoneyFormat),
                field(QStringLiteral("Priced_At_0"), QStringLiteral("Lines Priced At 0"), I)};
    auto add = [&t](const ProjectSummary &s) {
        t.rows.append({s.project, s.deployed, s.withClientRows, s.notMoved, s.checked, s.unchecked, s.disputed, s.ownWh,
                       s.clientWh, s.ownOt, s.clientOt, s.ownHt, s.clientHt, s.differences, s.invoiceLines,
                       s.invoiceTotal, s.pricedAtZero});
        quint32 m = 0;
        if (s.ownWh != s.clientWh)
            m |= bit(7) | bit(8);
        if (s.ownOt != s.clientOt)
            m |= bit(9) | bit(10);
        if (s.ownHt != s.clientHt)
            m |= bit(11) | bit(12);
        if (s.pricedAtZero > 0)
            m |= bit(16);
        t.marks.append(m);
    };
    for (const ProjectSummary &s : result.projects)
        add(s);
    add(result.totals);
    return t;
}

Table differencesTable(const Result &result, const QString &project)
{
    Table t;
    t.name = QStringLiteral("Differences");
    t.fields = workerFields();
    t.fields << dateField() << field(QStringLiteral("Difference"), QStringLiteral("Difference"), T)
             << field(QStringLiteral("OurAtt_Code"), QStringLiteral("Our Code"), T)
             << field(QStringLiteral("Our_WH"), QStringLiteral("Our Normal Hours"), I)
             << field(QStringLiteral("Our_OT"), QStringLiteral("Our Overtime Hours"), I)
             << field(QStringLiteral("Our_HT"), QStringLiteral("Our Holiday Hours"), I)
             << field(QStringLiteral("ClientAtt_Code"), QStringLiteral("Client Code"), T)
             << field(QStringLiteral("Client_WH"), QStringLiteral("Client Normal Hours"), I)
             << field(QStringLiteral("Client_OT"), QStringLiteral("Client Overtime Hours"), I)
             << field(QStringLiteral("Client_HT"), QStringLiteral("Client Holiday Hours"), I);
    const int kindField = 4, ownFirst = 5, clientFirst = 9;
    for (const Difference &d : result.differences) {
        if (!project.isEmpty() && d.project != project)
            continue;
        QList<QVariant> row{d.project, d.employeeNo, d.employeeName, d.date, kindText(d.kind)};
        appendDay(row, d.own);
        appendDay(row, d.client);
        t.rows.append(row);
        quint32 m = 0;
        if (d.own.present && d.client.present) {
            const bool differs[] = {d.codeDiffers(), d.whDiffers(), d.otDiffers(), d.htDiffers()};
            for (int k = 0; k < 4; ++k)
                if (differs[k])
                    m |= bit(ownFirst + k) | bit(clientFirst + k);
        } else {
            // The side that has the day, all of it.
            const int first = d.own.present ? ownFirst : clientFirst;
            for (int k = 0; k < 4; ++k)
                m |= bit(first + k);
        }
        if (d.kind == Kind::Disputed)
            m |= bit(kindField);
        t.marks.append(m);
    }
    return t;
}

Table notMovedTable(const Result &result)
{
    Table t;
    t.name = QStringLiteral("Not Moved");
    t.fields = workerFields();
    t.fields << field(QStringLiteral("Own_Days"), QStringLiteral("Own Days"), I)
             << field(QStringLiteral("Our_WH"), QStringLiteral("Normal Hours"), I)
             << field(QStringLiteral("Our_OT"), QStringLiteral("Overtime Hours"), I)
             << field(QStringLiteral("Our_HT"), QStringLiteral("Holiday Hours"), I);
    for (const Worker &w : result.notMoved) {
        t.rows.append({w.project, w.employeeNo, w.employeeName, w.ownRows, w.ownWh, w.ownOt, w.ownHt});
        t.marks.append(0);
    }
    return t;
}

Table uncheckedTable(const Result &result)
{
    Table t;
    t.name = QStringLiteral("Unchecked");
    t.fields = workerFields();
    t.fields << field(QStringLiteral("Client_Rows"), QStringLiteral("Client Rows"), I)
             << field(QStringLiteral("Unchecked_Rows"), QStringLiteral("Unchecked Rows"), I)
             << field(QStringLiteral("Disputed_Rows"), QStringLiteral("Disputed Rows"), I)
             << field(QStringLiteral("Entered_By"), QStringLiteral("Entered By"), T);
    for (const Worker &w : result.unchecked) {
        t.rows.append(
            {w.project, w.employeeNo, w.employeeName, w.clientRows, w.uncheckedRows, w.disputedRows, w.enteredBy});
        t.marks.append(w.disputedRows > 0 ? bit(5) : 0);
    }
    return t;
}

Table disputesTable(const Result &result)
{
    Table t;
    t.name = QStringLiteral("Disputes");
    t.fields = workerFields();
    t.fields << dateField() << field(QStringLiteral("ClientAtt_Code"), QStringLiteral("Client Code"), T)
             << field(QStringLiteral("Client_WH"), QStringLiteral("Normal Hours"), I)
             << field(QStringLiteral("Client_OT"), QStringLiteral("Overtime Hours"), I)
             << field(QStringLiteral("Client_HT"), QStringLiteral("Holiday Hours"), I)
             << field(QStringLiteral("Entered_By"), QStringLiteral("Entered By"), T);
    for (const Dispute &d : result.disputes) {
        t.rows.append({d.project, d.employeeNo, d.employeeName, d.date, d.code, d.wh, d.ot, d.ht, d.enteredBy});
        t.marks.append(0);
    }
    return t;
}

QList<Table> workbookTables(const Result &result)
{
    return {summaryTable(result), differencesTable(result), notMovedTable(result), uncheckedTable(result),
            disputesTable(result)};
}

qint64 saveWorkbook(const Result &result, const QString &fileName, const QLocale &locale,
                    const ExportProgress &progress)
{
    const QList<Table> tables = workbookTables(result);
    std::vector<std::unique_ptr<TableRowSource>> sources;
    QList<TSheetExporter::NamedSource> sheets;
    for (const Table &t : tables) {
        sources.push_back(std::make_unique<TableRowSource>(t));
        sheets.append({sources.back().get(), t.name});
    }
    return TSheetExporter::SaveWorkbookAs(fileName, sheets, locale, progress);
}

} // namespace Reconcile
