// The preview of a client sheet saved as a workbook, to send back to the client.
#include "ClientSheetImport.h"

#include "RowSource.h"
#include "SheetExporter.h"

namespace ClientSheet {

namespace {
class PreviewRows : public RowSource
{
public:
    explicit PreviewRows(const Preview &p) : m_p(p)
    {
        auto add = [&](const char *name, FieldKind kind) {
            FieldDef f;
            f.name = QString::fromLatin1(name);
            f.kind = kind;
            if (kind == FieldKind::Date)
                f.displayFormat = QStringLiteral("dd/MM/yyyy");
            m_fields << f;
        };
        add("Row", FieldKind::Integer);
        add("Column", FieldKind::Text);
        add("Hidden", FieldKind::Text);
        add("Employee_No", FieldKind::Text);
        add("Employee_Name", FieldKind::Text);
        add("Date", FieldKind::Date);
        add("Date_As_Written", FieldKind::Text);
        add("Outcome", FieldKind::Text);
        add("Reason", FieldKind::Text);
        add("Code", FieldKind::Text);
        add("Normal", FieldKind::Integer);
        add("Overtime", FieldKind::Integer);
        add("Holiday", FieldKind::Integer);
        add("Job", FieldKind::Text);
        add("Old_Project", FieldKind::Text);
        add("Old_Code", FieldKind::Text);
        add("Old_Normal", FieldKind::Integer);
        add("Old_Overtime", FieldKind::Integer);
        add("Old_Holiday", FieldKind::Integer);
        add("Old_Job", FieldKind::Text);
        add("Loses_Check", FieldKind::Text);
    }

    QString name() const override { return QStringLiteral("Import Preview"); }
    bool isActive() const override { return true; }
    const QList<FieldDef> &fields() const override { return m_fields; }
    qint64 knownRowCount() const override { return m_p.rows.size(); }
    void start() override { m_row = -1; }
    bool next() override { return ++m_row < m_p.rows.size(); }

    QVariant value(int field) const override
    {
        const PreviewRow &r = m_p.rows.at(m_row);
        const bool hasStored = r.outcome == Outcome::Changed || r.outcome == Outcome::Unchanged;
        const bool hasSheet = r.outcome != Outcome::Refused || !r.sheet.code.isEmpty();
        auto yes = [](bool b) { return b ? QStringLiteral("Yes") : QString(); };
        auto storedInt = [&](int v) { return hasStored ? QVariant(v) : QVariant(); };
        auto sheetInt = [&](int v) { return hasSheet ? QVariant(v) : QVariant(); };
        switch (field) {
        case 0:
            return r.sheetRow;
        case 1:
            return r.sheetColumn >= 0 ? columnLetters(r.sheetColumn) : QString();
        case 2:
            return yes(r.hidden);
        case 3:
            return r.employeeNo;
        case 4:
            return r.employeeName;
        case 5:
            return r.date.isValid() ? QVariant(r.date.startOfDay()) : QVariant();
        case 6:
            return r.dateText;
        case 7:
            return outcomeText(r.outcome);
        case 8:
            return r.reason;
        case 9:
            return r.sheet.code;
        case 10:
            return sheetInt(r.sheet.wh);
        case 11:
            return sheetInt(r.sheet.ot);
        case 12:
            return sheetInt(r.sheet.ht);
        case 13:
            return r.sheet.job;
        case 14:
            return hasStored ? r.stored.project : QString();
        case 15:
            return hasStored ? r.stored.code : QString();
        case 16:
            return storedInt(r.stored.wh);
        case 17:
            return storedInt(r.stored.ot);
        case 18:
            return storedInt(r.stored.ht);
        case 19:
            return hasStored ? r.stored.job : QString();
        case 20:
            return yes(r.losesCheck());
        }
        return {};
    }
    QString displayText(int field) const override
    {
        const QVariant v = value(field);
        if (field == 5 && v.isValid())
            return v.toDateTime().date().toString(QStringLiteral("dd/MM/yyyy"));
        return v.toString();
    }
    bool highlighted(int field) const override
    {
        const PreviewRow &r = m_p.rows.at(m_row);
        return (field == 7 || field == 8) && (r.outcome == Outcome::Refused || r.outcome == Outcome::Changed);
    }

private:
    const Preview &m_p;
    QList<FieldDef> m_fields;
    int m_row = -1;
};
} // namespace

void savePreview(const Preview &preview, const QString &fileName)
{
    PreviewRows rows(preview);
    const auto format = TSheetExporter::formatOf(fileName);
    if (format == TSheetExporter::Format::Xls) {
        TSheetExporter exporter;
        exporter.setRowSource(&rows);
        exporter.setSheetName(rows.name());
        exporter.setFormat(TSheetExporter::Format::Xls);
        exporter.SaveAs(fileName);
        return;
    }
    TSheetExporter::SaveWorkbookAs(fileName, {{&rows, rows.name()}});
}

} // namespace ClientSheet
