#include "XlsxReader.h"

#include <QFile>
#include <QIODevice>
#include <QXmlStreamReader>
#include <algorithm>
#include <zip.h>

qint64 XlsxReader::sheetLimit = 2LL * 1024 * 1024 * 1024;
qint64 XlsxReader::stringsLimit = 256LL * 1024 * 1024;

// One part of the zip as a sequential device that stops at a byte limit, so a small archive that
// unpacks to gigabytes is refused while it is read rather than filling memory or disk.
class ZipEntryDevice : public QIODevice
{
public:
    // size: what the archive declares the part unpacks to, -1 when it does not say.
    ZipEntryDevice(zip_file_t *file, qint64 limit, qint64 size) : m_file(file), m_limit(limit), m_size(size)
    {
        open(QIODevice::ReadOnly);
    }
    ~ZipEntryDevice() override { zip_fclose(m_file); }
    bool isSequential() const override { return true; }
    // The XML reader takes a sequential device that is not at its end for one still receiving
    // data, so the end is known from the declared size rather than from a read that finds none.
    bool atEnd() const override { return (m_eof || (m_size >= 0 && m_total >= m_size)) && QIODevice::atEnd(); }
    bool overLimit() const { return m_overLimit; }
    QString zipError() const { return m_error; }
    qint64 limit() const { return m_limit; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_eof || m_overLimit || !m_error.isEmpty())
            return m_eof ? 0 : -1;
        if (maxSize <= 0) // asked for nothing: not the end of the part
            return 0;
        const zip_int64_t n = zip_fread(m_file, data, zip_uint64_t(maxSize));
        if (n < 0) {
            m_error = QString::fromUtf8(zip_error_strerror(zip_file_get_error(m_file)));
            return -1;
        }
        if (n == 0)
            m_eof = true;
        m_total += n;
        if (m_total > m_limit) {
            m_overLimit = true;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file_t *m_file;
    qint64 m_limit;
    qint64 m_size;
    qint64 m_total = 0;
    bool m_eof = false;
    bool m_overLimit = false;
    QString m_error;
};

namespace {
bool isTrue(QStringView v)
{
    return v == u"1" || v == u"true";
}

// "AB12" -> column 27 (0-based) and row 12; false when it is not a cell reference.
bool parseRef(QStringView ref, int &column, qint64 &row)
{
    qsizetype i = 0;
    qint64 col = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        col = col * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        if (col > 100000)
            col = 100000;
        ++i;
    }
    if (i == 0 || i == ref.size())
        return false;
    bool ok = false;
    row = ref.mid(i).toLongLong(&ok);
    column = int(col - 1);
    return ok;
}

// Built-in number formats that show a date or a time.
bool isBuiltinDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

// A custom format shows a date when, outside quoted text, escapes and [colour] sections, it
// names days, months, years or time parts.
bool isDateFormatCode(const QString &code)
{
    bool quoted = false, bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            quoted = c != QLatin1Char('"');
            continue;
        }
        if (bracket) {
            bracket = c != QLatin1Char(']');
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = true;
        else if (c == QLatin1Char('['))
            bracket = true;
        else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*'))
            ++i;
        else if (c == QLatin1Char(';'))
            break; // the first section decides
        else if (QStringLiteral("dDmMyYhHsS").contains(c))
            return true;
    }
    return false;
}

// "xl/worksheets/sheet1.xml" from a relationship target.
QString partName(const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QString t = target;
    while (t.startsWith(QLatin1String("./")))
        t = t.mid(2);
    return QStringLiteral("xl/") + t;
}

// Text of an <si> or <is> element: its <t> runs, leaving out phonetic guides.
QString readRichText(QXmlStreamReader &xml)
{
    QString text;
    const QString end = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto tok = xml.readNext();
        if (tok == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (tok == QXmlStreamReader::EndElement) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}
} // namespace

XlsxReader::XlsxReader(const QString &path) : m_path(path)
{
    int err = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    if (!m_zip) {
        if (err == ZIP_ER_OPEN || err == ZIP_ER_NOENT || err == ZIP_ER_READ)
            throw SheetError(QStringLiteral("Cannot open %1").arg(path));
        zip_error_t ze;
        zip_error_init_with_code(&ze, err);
        const QString why = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        throw SheetError(SheetMessages::damaged(why));
    }
    try {
        readWorkbook();
        readSharedStrings();
        readStyles();
    } catch (...) {
        zip_discard(m_zip); // the destructor does not run for a constructor that throws
        m_zip = nullptr;
        throw;
    }
}

XlsxReader::~XlsxReader()
{
    m_xml.reset();
    m_sheetDev.reset();
    if (m_zip)
        zip_discard(m_zip);
}

std::unique_ptr<ZipEntryDevice> XlsxReader::openEntry(const QString &name, qint64 limit, bool required)
{
    const QByteArray n = name.toUtf8();
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(m_zip, n.constData(), ZIP_FL_NOCASE, &st) != 0) {
        if (!required)
            return {};
        throw SheetError(SheetMessages::notASpreadsheet() + QStringLiteral(": %1 is missing").arg(name));
    }
    // The size the archive declares is checked first; the device counts what really comes out.
    if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit))
        throw SheetError(SheetMessages::expandsTooFar(limit));
    zip_file_t *f = zip_fopen(m_zip, n.constData(), ZIP_FL_NOCASE);
    if (!f)
        throw SheetError(SheetMessages::damaged(QString::fromUtf8(zip_strerror(m_zip))));
    return std::make_unique<ZipEntryDevice>(f, limit, (st.valid & ZIP_STAT_SIZE) ? qint64(st.size) : -1);
}

void XlsxReader::xmlFailed(const QXmlStreamReader &xml, const ZipEntryDevice &dev, const QString &part)
{
    if (dev.overLimit())
        throw SheetError(SheetMessages::expandsTooFar(dev.limit()));
    if (!dev.zipError().isEmpty())
        throw SheetError(SheetMessages::damaged(dev.zipError()));
    throw SheetError(SheetMessages::damaged(
        QStringLiteral("%1, line %2: %3").arg(part).arg(xml.lineNumber()).arg(xml.errorString())));
}

void XlsxReader::readWorkbook()
{
    QHash<QString, QString> targets;
    QString stringsPart = QStringLiteral("xl/sharedStrings.xml");
    {
        auto dev = openEntry(QStringLiteral("xl/_rels/workbook.xml.rels"), 64 * 1024 * 1024, false);
        if (dev) {
            QXmlStreamReader xml(dev.get());
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
                    const auto a = xml.attributes();
                    const QString target = partName(a.value(QLatin1String("Target")).toString());
                    targets.insert(a.value(QLatin1String("Id")).toString(), target);
                    if (a.value(QLatin1String("Type")).endsWith(u"/sharedStrings"))
                        stringsPart = target;
                }
            }
            if (xml.hasError())
                xmlFailed(xml, *dev, QStringLiteral("workbook relationships"));
        }
    }
    m_entries.clear();
    m_names.clear();
    auto dev = openEntry(QStringLiteral("xl/workbook.xml"), 64 * 1024 * 1024);
    QXmlStreamReader xml(dev.get());
    int position = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"workbookPr") {
            m_date1904 = isTrue(xml.attributes().value(QLatin1String("date1904")));
        } else if (xml.name() == u"sheet") {
            ++position;
            QString id;
            for (const auto &a : xml.attributes())
                if (a.name() == u"id")
                    id = a.value().toString();
            m_names << xml.attributes().value(QLatin1String("name")).toString();
            m_entries << targets.value(id, QStringLiteral("xl/worksheets/sheet%1.xml").arg(position));
        }
    }
    if (xml.hasError())
        xmlFailed(xml, *dev, QStringLiteral("workbook"));
    m_strings.clear();
    m_sheetEntry = stringsPart; // remembered for readSharedStrings
}

void XlsxReader::readSharedStrings()
{
    const QString part = m_sheetEntry;
    m_sheetEntry.clear();
    auto dev = openEntry(part, stringsLimit, false);
    if (!dev)
        return;
    QXmlStreamReader xml(dev.get());
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            m_strings << readRichText(xml);
    }
    if (xml.hasError())
        xmlFailed(xml, *dev, QStringLiteral("shared strings"));
}

void XlsxReader::readStyles()
{
    auto dev = openEntry(QStringLiteral("xl/styles.xml"), 64 * 1024 * 1024, false);
    if (!dev)
        return;
    QHash<int, bool> customIsDate;
    QXmlStreamReader xml(dev.get());
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto tok = xml.readNext();
        if (tok == QXmlStreamReader::StartElement) {
            if (xml.name() == u"numFmt") {
                const auto a = xml.attributes();
                customIsDate.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                    isDateFormatCode(a.value(QLatin1String("formatCode")).toString()));
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf") {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                m_xfIsDate << customIsDate.value(id, isBuiltinDateFormat(id));
            }
        } else if (tok == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (xml.hasError())
        xmlFailed(xml, *dev, QStringLiteral("styles"));
}

// Merged ranges are listed after the rows, so the sheet is unpacked once without parsing to find
// them; only the list itself goes through the XML reader.
void XlsxReader::scanMerges(const QString &entry)
{
    m_merges.clear();
    m_mergeValues.clear();
    auto dev = openEntry(entry, sheetLimit);
    static const QByteArray open = "<mergeCells", openNs = ":mergeCells";
    QByteArray tail, list;
    bool inList = false;
    char buf[256 * 1024];
    for (;;) {
        const qint64 n = dev->read(buf, sizeof buf);
        if (n < 0) {
            if (dev->overLimit())
                throw SheetError(SheetMessages::expandsTooFar(dev->limit()));
            throw SheetError(SheetMessages::damaged(dev->zipError()));
        }
        if (n == 0)
            break;
        QByteArray chunk = tail + QByteArray::fromRawData(buf, n);
        if (!inList) {
            qsizetype at = chunk.indexOf(open);
            if (at < 0)
                at = chunk.indexOf(openNs);
            if (at >= 0) {
                inList = true;
                list = chunk.mid(at);
            } else {
                tail = chunk.right(16);
            }
        } else {
            list += QByteArray(buf, n);
            if (list.size() > 64 * 1024 * 1024)
                throw SheetError(SheetMessages::damaged(QStringLiteral("too many merged cells")));
        }
        if (inList && list.contains("mergeCells>"))
            break;
    }
    if (!inList)
        return;
    // The list alone, parsed without its namespace declarations.
    const qsizetype start = list.indexOf('<');
    list = list.mid(start);
    QXmlStreamReader xml(list);
    xml.setNamespaceProcessing(false);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || !xml.name().endsWith(u"mergeCell"))
            continue;
        const QString ref = xml.attributes().value(QLatin1String("ref")).toString();
        const int colon = int(ref.indexOf(QLatin1Char(':')));
        int c1 = 0, c2 = 0;
        qint64 r1 = 0, r2 = 0;
        if (colon < 0 || !parseRef(QStringView(ref).left(colon), c1, r1) ||
            !parseRef(QStringView(ref).mid(colon + 1), c2, r2))
            continue;
        if (r1 < 1 || r2 > XlsxMaxRows || c1 < 0 || c2 >= XlsxMaxColumns || r2 < r1 || c2 < c1)
            continue;
        m_merges.append({int(r1), c1, int(r2), c2});
    }
    std::sort(m_merges.begin(), m_merges.end(), [](const Merge &a, const Merge &b) { return a.top < b.top; });
}

void XlsxReader::selectSheet(int index)
{
    if (index < 0 || index >= m_entries.size())
        throw SheetError(QStringLiteral("The workbook has no sheet %1").arg(index + 1));
    m_xml.reset();
    m_sheetDev.reset();
    scanMerges(m_entries.at(index));
    m_sheetDev = openEntry(m_entries.at(index), sheetLimit);
    m_xml = std::make_unique<QXmlStreamReader>(m_sheetDev.get());
    m_sheetEntry = m_names.at(index);
    m_lastRow = 0;
}

void XlsxReader::readCell(SheetRow &row, int &nextColumn)
{
    QXmlStreamReader &xml = *m_xml;
    const auto a = xml.attributes();
    int column = nextColumn;
    qint64 r = 0;
    const QStringView ref = a.value(QLatin1String("r"));
    if (!ref.isEmpty()) {
        if (!parseRef(ref, column, r))
            throw SheetError(SheetMessages::damaged(QStringLiteral("bad cell reference %1").arg(ref.toString())));
        if (r > XlsxMaxRows)
            throw SheetError(SheetMessages::tooLarge());
    }
    if (column < 0 || column >= XlsxMaxColumns)
        throw SheetError(SheetMessages::tooLarge());
    nextColumn = column + 1;
    const QStringView type = a.value(QLatin1String("t")); // a outlives every use
    const int style = a.value(QLatin1String("s")).toInt();
    bool hasFormula = false;
    QString value;
    bool hasValue = false;
    QString inlineText;
    bool hasInline = false;
    while (!xml.atEnd()) {
        const auto tok = xml.readNext();
        if (tok == QXmlStreamReader::StartElement) {
            if (xml.name() == u"f") {
                hasFormula = true;
                xml.skipCurrentElement();
            } else if (xml.name() == u"v") {
                value = xml.readElementText();
                hasValue = true;
            } else if (xml.name() == u"is") {
                inlineText = readRichText(xml);
                hasInline = true;
            } else {
                xml.skipCurrentElement();
            }
        } else if (tok == QXmlStreamReader::EndElement && xml.name() == u"c") {
            break;
        }
    }
    SheetCell cell;
    if (type == u"inlineStr") {
        if (hasInline) {
            cell.type = SheetCell::Text;
            cell.text = inlineText;
        }
    } else if (!hasValue || value.isEmpty()) {
        cell.formulaWithoutValue = hasFormula;
    } else if (type == u"s") {
        bool ok = false;
        const int i = value.toInt(&ok);
        if (!ok || i < 0 || i >= m_strings.size())
            throw SheetError(SheetMessages::damaged(QStringLiteral("a cell names a text that is not in the workbook")));
        cell.type = SheetCell::Text;
        cell.text = m_strings.at(i);
    } else if (type == u"str") {
        cell.type = SheetCell::Text;
        cell.text = value;
    } else if (type == u"b") {
        cell.type = SheetCell::Boolean;
        cell.number = value == u"1" ? 1 : 0;
    } else if (type == u"e") {
        cell.type = SheetCell::Error;
        cell.text = value;
    } else if (type == u"d") {
        cell.date = QDate::fromString(value.left(10), Qt::ISODate);
        cell.type = cell.date.isValid() ? SheetCell::Date : SheetCell::Text;
        cell.text = value;
    } else {
        bool ok = false;
        cell.number = value.toDouble(&ok);
        if (!ok) {
            cell.type = SheetCell::Text;
            cell.text = value;
        } else {
            cell.type = SheetCell::Number;
            if (style >= 0 && style < m_xfIsDate.size() && m_xfIsDate.at(style)) {
                cell.date = serialToDate(cell.number, m_date1904);
                if (cell.date.isValid())
                    cell.type = SheetCell::Date;
            }
        }
    }
    if (cell.isEmpty())
        return;
    if (row.cells.size() <= column)
        row.cells.resize(column + 1);
    row.cells[column] = cell;
}

void XlsxReader::applyMerges(SheetRow &row)
{
    for (const Merge &m : m_merges) {
        if (m.top > row.number)
            break;
        if (m.bottom < row.number)
            continue;
        const qint64 key = qint64(m.top) * XlsxMaxColumns + m.left;
        if (m.top == row.number)
            m_mergeValues.insert(key, row.cell(m.left));
        const SheetCell value = m_mergeValues.value(key);
        if (value.isEmpty())
            continue;
        if (row.cells.size() <= m.right)
            row.cells.resize(m.right + 1);
        for (int c = m.left; c <= m.right; ++c) {
            if (row.number == m.top && c == m.left)
                continue;
            row.cells[c] = value;
            row.cells[c].merged = true;
        }
    }
}

bool XlsxReader::readRow(SheetRow &row)
{
    if (!m_xml)
        return false;
    QXmlStreamReader &xml = *m_xml;
    while (!xml.atEnd()) {
        const auto tok = xml.readNext();
        if (tok != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != u"row") {
            if (xml.name() == u"mergeCells" || xml.name() == u"conditionalFormatting" || xml.name() == u"cols")
                xml.skipCurrentElement();
            continue;
        }
        const auto a = xml.attributes();
        row.cells.clear();
        row.hidden = isTrue(a.value(QLatin1String("hidden")));
        const QStringView r = a.value(QLatin1String("r"));
        qint64 number = r.isEmpty() ? m_lastRow + 1 : r.toLongLong();
        if (number < 1)
            throw SheetError(SheetMessages::damaged(QStringLiteral("bad row number %1").arg(r.toString())));
        if (number > XlsxMaxRows)
            throw SheetError(SheetMessages::tooLarge());
        row.number = int(number);
        m_lastRow = row.number;
        int nextColumn = 0;
        while (!xml.atEnd()) {
            const auto t = xml.readNext();
            if (t == QXmlStreamReader::StartElement) {
                if (xml.name() == u"c")
                    readCell(row, nextColumn);
                else
                    xml.skipCurrentElement();
            } else if (t == QXmlStreamReader::EndElement && xml.name() == u"row") {
                break;
            }
        }
        if (xml.hasError())
            break;
        if (!m_merges.isEmpty())
            applyMerges(row);
        if (!row.isEmpty())
            return true;
    }
    if (xml.hasError())
        xmlFailed(xml, *m_sheetDev, m_sheetEntry);
    m_xml.reset();
    m_sheetDev.reset();
    return false;
}
