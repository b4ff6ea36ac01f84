#include "SheetExporter.h"
#include "ExportError.h"
#include "WorkbookWriter.h"

#include <QDir>
#include <QIODevice>
#include <QSaveFile>

TSheetExporter::TSheetExporter(const QLocale &locale) : m_locale(locale) {}

QList<int> TSheetExporter::exportedFields(const Query &dataSet)
{
    QList<int> out;
    const QList<FieldDef> &fields = dataSet.fields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).visible && isExportable(fields.at(i).kind))
            out << i;
    return out;
}

QString TSheetExporter::sheetNameFor(const QString &name)
{
    QString s = name;
    for (QChar &c : s)
        if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    while (s.startsWith(QLatin1Char('\'')))
        s.remove(0, 1);
    s = s.left(31);
    if (s.size() == 31 && s.at(30).isHighSurrogate())
        s.chop(1);
    while (s.endsWith(QLatin1Char('\'')))
        s.chop(1);
    s = s.trimmed();
    if (s.isEmpty() || s.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Sheet1");
    return s;
}

QString TSheetExporter::fitText(const QString &text)
{
    if (text.size() <= MaxCellText)
        return text;
    int keep = MaxCellText - 3;
    if (text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + QStringLiteral("...");
}

void TSheetExporter::check() const
{
    if (!m_dataSet)
        throw ExportError(QStringLiteral("No dataset is connected"));
    if (!m_dataSet->isActive())
        throw ExportError(QStringLiteral("Dataset is not active"));
    if (exportedFields(*m_dataSet).size() > MaxColumns)
        throw ExportError(QStringLiteral("The maximum number of columns (%1) has been reached").arg(MaxColumns));
    if (m_dataSet->recordCount() > MaxDataRows)
        throw ExportError(QStringLiteral("The maximum number of rows (%1) has been reached").arg(MaxDataRows));
}

void TSheetExporter::ExportDataset(QIODevice &device)
{
    check();
    if (!device.isWritable() || device.isSequential())
        throw ExportError(QStringLiteral("The workbook needs a file that can be written and positioned"));
    Xls::writeWorkbook(device, *m_dataSet, sheetNameFor(m_sheetName.isEmpty() ? m_dataSet->name() : m_sheetName),
                       m_locale, m_progress);
}

void TSheetExporter::SaveAs(const QString &fileName)
{
    check();
    const QString shown = QDir::toNativeSeparators(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(shown, file.errorString()));
    try {
        ExportDataset(file);
    } catch (const ExportError &e) {
        file.cancelWriting();
        throw ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(shown, e.message()));
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        throw ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(shown, file.errorString()));
}
