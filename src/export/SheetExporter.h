#pragma once

#include "Query.h"

#include <QLocale>
#include <QString>
#include <functional>

class QIODevice;

// Writes the rows of an open dataset as an Excel 97-2003 workbook (.xls: BIFF8 records in a
// compound document) of one worksheet: the visible fields' titles in row 1 in bold Tahoma, the
// records from row 2 in Tahoma, number formats per field, columns fitted to their contents.
// The dataset is read twice (strings and widths first, then the cells) and the file is written
// as it goes, so memory does not grow with the sheet beyond one index per text cell.
class TSheetExporter
{
public:
    static constexpr int MaxDataRows = 65535; // 65,536 rows less the title row
    static constexpr int MaxColumns = 256;
    static constexpr int MaxCellText = 32767;

    explicit TSheetExporter(const QLocale &locale = QLocale());

    void setDataSet(const Query *dataSet) { m_dataSet = dataSet; }
    const Query *dataSet() const { return m_dataSet; }
    // The worksheet's name; characters the format refuses are replaced when written.
    void setSheetName(const QString &name) { m_sheetName = name; }
    // Called every few hundred records while the workbook is built (repaints, interruption).
    void setProgress(std::function<void()> progress) { m_progress = std::move(progress); }

    // The refusals that come before anything is written: no dataset, dataset not open, too many
    // records or fields. Throws ExportError.
    void check() const;

    // Writes the workbook to a device open for writing that allows seeking. Throws ExportError.
    void ExportDataset(QIODevice &device);

    // Writes to a temporary file in the target's folder and renames it into place, so a failure
    // never leaves a partial file nor loses the file being replaced. Throws ExportError.
    void SaveAs(const QString &fileName);

    // Field indexes of the dataset that take a column, in column order.
    static QList<int> exportedFields(const Query &dataSet);
    static bool isExportable(FieldKind kind) { return kind != FieldKind::Bytes; }
    // A name the format accepts for a worksheet.
    static QString sheetNameFor(const QString &name);
    // Texts longer than a cell holds end in "...".
    static QString fitText(const QString &text);

private:
    const Query *m_dataSet = nullptr;
    QString m_sheetName;
    QLocale m_locale;
    std::function<void()> m_progress;
};
