#pragma once

#include "SheetRows.h"

// An .xls workbook (BIFF8 and older) read through libfreexl, which loads one sheet's cells at a
// time. The library reports neither hidden rows nor formulas without values: every row reads as
// shown, and a formula reads as its stored result.
class XlsReader : public SheetReader
{
public:
    explicit XlsReader(const QString &path); // throws SheetError
    ~XlsReader() override;

    QStringList sheetNames() const override { return m_names; }
    void selectSheet(int index) override;
    bool readRow(SheetRow &row) override;

private:
    const void *m_handle = nullptr;
    QStringList m_names;
    unsigned int m_rows = 0;
    unsigned short m_columns = 0;
    unsigned int m_next = 0;
    bool m_selected = false;
};
