#include "SheetExporter.h"
#include "ExportError.h"
#include "RowSource.h"
#include "WorkbookWriter.h"
#include "XlsxWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

TSheetExporter::TSheetExporter(const QLocale &locale) : m_locale(locale) {}

TSheetExporter::~TSheetExporter() = default;

void TSheetExporter::setDataSet(const Query *dataSet)
{
    m_snapshot = dataSet ? std::make_unique<SnapshotRowSource>(*dataSet) : nullptr;
    m_source = m_snapshot.get();
}

void TSheetExporter::setRowSource(RowSource *source)
{
    m_snapshot.reset();
    m_source = source;
}

Sheet::Limits TSheetExporter::limits(Format format)
{
    return format == Format::Xlsx ? Sheet::XlsxLimits : Sheet::XlsLimits;
}

QString TSheetExporter::suffix(Format format)
{
    return format == Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("xls");
}

std::optional<TSheetExporter::Format> TSheetExporter::formatOf(const QString &fileName)
{
    const QString s = QFileInfo(fileName).suffix().toLower();
    if (s == QLatin1String("xls"))
        return Format::Xls;
    if (s == QLatin1String("xlsx"))
        return Format::Xlsx;
    return std::nullopt;
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

QString TSheetExporter::sheetName() const
{
    return sheetNameFor(m_sheetName.isEmpty() ? m_source->name() : m_sheetName);
}

void TSheetExporter::check() const
{
    if (!m_source)
        throw ExportError(QStringLiteral("No dataset is connected"));
    if (!m_source->isActive())
        throw ExportError(QStringLiteral("Dataset is not active"));
    const Sheet::Limits limit = limits(m_format);
    const qint64 rows = m_source->knownRowCount();
    if (rows < 0)
        return; // fields and rows are known once read
    if (Sheet::exportedFields(m_source->fields()).size() > limit.columns)
        Sheet::refuseColumns(limit);
    if (rows > limit.dataRows)
        Sheet::refuseRows(limit);
}

qint64 TSheetExporter::writeXls(QIODevice &device, const QString &spoolFolder)
{
    if (!device.isWritable() || device.isSequential())
        throw ExportError(QStringLiteral("The workbook needs a file that can be written and positioned"));
    return Xls::writeWorkbook(device, *m_source, sheetName(), m_locale, m_progress, spoolFolder);
}

qint64 TSheetExporter::ExportDataset(QIODevice &device)
{
    check();
    if (m_format == Format::Xls)
        return writeXls(device, QDir::tempPath());
    // The .xlsx writer needs a file: written aside, then copied.
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral(".tallimar-XXXXXX.xlsx")));
    if (!file.open())
        throw ExportError(file.errorString());
    file.close();
    const qint64 rows = Xlsx::writeWorkbook(file.fileName(), *m_source, sheetName(), m_locale, m_progress, {});
    if (!file.open())
        throw ExportError(file.errorString());
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty() || device.write(chunk) != chunk.size())
            throw ExportError(chunk.isEmpty() ? file.errorString() : device.errorString());
    }
    return rows;
}

namespace {
ExportError cannotSave(const QString &fileName, const QString &why)
{
    return ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(QDir::toNativeSeparators(fileName), why));
}
} // namespace

qint64 TSheetExporter::saveXlsxFile(const QString &fileName,
                                    const std::function<qint64(const QString &, const QString &)> &write)
{
    const QFileInfo target(fileName);
    const QString folder = target.absolutePath();
    try {
        QTemporaryFile file(QDir(folder).filePath(QStringLiteral(".tallimar-XXXXXX.xlsx")));
        if (!file.open())
            throw ExportError(file.errorString());
        file.close();
        const qint64 rows = write(file.fileName(), folder);
        // The temporary file is private; the saved one gets the permissions of the one it
        // replaces, or those of a new file.
        const QFileDevice::Permissions permissions =
            target.exists() ? QFile::permissions(fileName)
                            : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                  QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QFile::setPermissions(file.fileName(), permissions);
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                                QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
        if (error)
            throw ExportError(QString::fromLocal8Bit(error.message()));
        file.setAutoRemove(false);
        return rows;
    } catch (const ExportRefusal &) {
        throw;
    } catch (const ExportError &e) {
        throw cannotSave(fileName, e.message());
    }
}

qint64 TSheetExporter::saveXlsx(const QString &fileName)
{
    return saveXlsxFile(fileName, [this](const QString &tmpFile, const QString &folder) {
        return Xlsx::writeWorkbook(tmpFile, *m_source, sheetName(), m_locale, m_progress, folder);
    });
}

qint64 TSheetExporter::SaveWorkbookAs(const QString &fileName, const QList<NamedSource> &sheets, const QLocale &locale,
                                      const ExportProgress &progress)
{
    QList<Xlsx::SheetInput> inputs;
    for (const NamedSource &s : sheets) {
        if (!s.source || !s.source->isActive())
            throw ExportError(QStringLiteral("Dataset is not active"));
        inputs.append({s.source, sheetNameFor(s.name)});
    }
    return saveXlsxFile(fileName, [&](const QString &tmpFile, const QString &folder) {
        return Xlsx::writeWorkbook(tmpFile, inputs, locale, progress, folder);
    });
}

qint64 TSheetExporter::SaveAs(const QString &fileName)
{
    check();
    if (m_format == Format::Xlsx)
        return saveXlsx(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotSave(fileName, file.errorString());
    qint64 rows = 0;
    try {
        rows = writeXls(file, QFileInfo(fileName).absolutePath());
    } catch (const ExportRefusal &) {
        file.cancelWriting();
        throw;
    } catch (const ExportError &e) {
        file.cancelWriting();
        throw cannotSave(fileName, e.message());
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        throw cannotSave(fileName, file.errorString());
    return rows;
}
