#pragma once

#include "ExportError.h"
#include "Query.h"
#include "SheetColumns.h"

#include <QLocale>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;
class RowSource;
class SnapshotRowSource;

// Writes the rows of a dataset as a workbook of one worksheet, in the Excel 97-2003 format (.xls:
// BIFF8 records in a compound document) or the Excel Workbook format (.xlsx): the visible fields'
// titles in row 1 in bold Tahoma, the records from row 2 in Tahoma, number formats per field,
// columns fitted to their contents. The rows are read once, from a loaded dataset or straight
// from the database, and memory does not grow with them beyond the .xls shared strings.
class TSheetExporter
{
public:
    enum class Format { Xls, Xlsx };

    // The .xls sheet: 65,536 rows less the title row, 256 columns.
    static constexpr int MaxDataRows = int(Sheet::XlsLimits.dataRows);
    static constexpr int MaxColumns = Sheet::XlsLimits.columns;
    static constexpr int MaxCellText = Sheet::MaxCellText;

    explicit TSheetExporter(const QLocale &locale = QLocale());
    ~TSheetExporter();

    // A loaded dataset (a window's list).
    void setDataSet(const Query *dataSet);
    // Rows read as they come (see RowSource); the source outlives the export.
    void setRowSource(RowSource *source);
    // The worksheet's name; characters the format refuses are replaced when written.
    void setSheetName(const QString &name) { m_sheetName = name; }
    void setFormat(Format format) { m_format = format; }
    Format format() const { return m_format; }
    // Called every few hundred records while the workbook is built (repaints, interruption).
    void setProgress(ExportProgress progress) { m_progress = std::move(progress); }

    static Sheet::Limits limits(Format format);
    static QString suffix(Format format);
    // The format a file name asks for by its suffix (either case); none for any other suffix.
    static std::optional<Format> formatOf(const QString &fileName);

    // The refusals that can come before anything is read: no dataset, dataset not open, and for a
    // loaded dataset too many records or fields. Throws ExportError.
    void check() const;

    // Writes the workbook to a device open for writing (for .xls one that allows seeking).
    // Returns the number of data rows. Throws ExportError.
    qint64 ExportDataset(QIODevice &device);

    // Writes to a temporary file in the target's folder and renames it into place, so a failure
    // never leaves a partial file nor loses the file being replaced. Returns the number of data
    // rows. Throws ExportError.
    qint64 SaveAs(const QString &fileName);

    // Saves a workbook (.xlsx) of several worksheets, each named and read once from its source,
    // the same way: a temporary file renamed into place, nothing left behind on failure. Returns
    // the number of data rows of all sheets. Throws ExportError.
    struct NamedSource
    {
        RowSource *source = nullptr;
        QString name;
    };
    static qint64 SaveWorkbookAs(const QString &fileName, const QList<NamedSource> &sheets,
                                 const QLocale &locale = QLocale(), const ExportProgress &progress = {});

    // Field indexes of the dataset that take a column, in column order.
    static QList<int> exportedFields(const Query &dataSet) { return Sheet::exportedFields(dataSet.fields()); }
    static bool isExportable(FieldKind kind) { return Sheet::isExportable(kind); }
    // A name both formats accept for a worksheet.
    static QString sheetNameFor(const QString &name);
    // Texts longer than a cell holds end in "...".
    static QString fitText(const QString &text) { return Sheet::fitText(text); }

private:
    QString sheetName() const;
    qint64 writeXls(QIODevice &device, const QString &spoolFolder);
    qint64 saveXlsx(const QString &fileName);
    // Writes the .xlsx through a temporary file in the target's folder, then renames it; a
    // failure says which file could not be saved.
    static qint64 saveXlsxFile(const QString &fileName,
                               const std::function<qint64(const QString &tmpFile, const QString &folder)> &write);

    RowSource *m_source = nullptr;
    std::unique_ptr<SnapshotRowSource> m_snapshot;
    QString m_sheetName;
    QLocale m_locale;
    Format m_format = Format::Xls;
    ExportProgress m_progress;
};
