#pragma once

#include "SheetRows.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QStringList>
#include <memory>

struct zip;
struct zip_file;
class QXmlStreamReader;
class ZipEntryDevice;

// An .xlsx workbook read straight from its zip: the sheet's XML is parsed as it is unpacked,
// never held whole. Shared strings and number formats (which make a number a date) are read
// first; merged ranges are found by a quick scan of the sheet before its rows are read.
class XlsxReader : public SheetReader
{
public:
    explicit XlsxReader(const QString &path); // throws SheetError
    ~XlsxReader() override;

    QStringList sheetNames() const override { return m_names; }
    void selectSheet(int index) override;
    bool readRow(SheetRow &row) override;

    // Most bytes one part of the workbook may unpack to: the sheet, and the shared strings
    // (which are held in memory).
    static qint64 sheetLimit;
    static qint64 stringsLimit;

private:
    std::unique_ptr<ZipEntryDevice> openEntry(const QString &name, qint64 limit, bool required = true);
    void readWorkbook();
    void readSharedStrings();
    void readStyles();
    void scanMerges(const QString &entry);
    void xmlFailed(const QXmlStreamReader &xml, const ZipEntryDevice &dev, const QString &part);
    void readCell(SheetRow &row, int &nextColumn);
    void applyMerges(SheetRow &row);

    QString m_path;
    zip *m_zip = nullptr;
    QStringList m_names;
    QStringList m_entries; // the part of each sheet
    bool m_date1904 = false;
    QStringList m_strings;
    QList<bool> m_xfIsDate; // per cell style
    struct Merge
    {
        int top, left, bottom, right; // 1-based rows, 0-based columns
    };
    QList<Merge> m_merges;
    QHash<qint64, SheetCell> m_mergeValues; // first cell of each merge, by top * columns + left

    std::unique_ptr<ZipEntryDevice> m_sheetDev;
    std::unique_ptr<QXmlStreamReader> m_xml;
    QString m_sheetEntry;
    int m_lastRow = 0;
};
