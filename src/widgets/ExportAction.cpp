#include "ExportAction.h"
#include "ExportError.h"
#include "Messages.h"
#include "PassProgress.h"
#include "SheetExporter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <memory>

namespace {
// Longer lists show their progress, with a Cancel.
constexpr int ProgressFromRows = 2000;

// The hourglass for as long as the object lives.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
} // namespace

namespace ExportAction {

FileDialog::Request saveDialog(const QString &fileName)
{
    FileDialog::Request r;
    r.caption = QStringLiteral("Save Excel File As");
    r.fileName = fileName + QStringLiteral(".xls");
    r.filter = XlsFilter + QStringLiteral(";;") + XlsxFilter;
    r.defaultSuffix = QStringLiteral("xls");
    // A replaced workbook cannot be brought back: the dialog asks first.
    r.confirmOverwrite = true;
    return r;
}

QString withSuffix(const QString &chosen, const QString &suffix)
{
    const QFileInfo info(chosen);
    const QString current = info.suffix();
    if (current.compare(suffix, Qt::CaseInsensitive) == 0)
        return chosen;
    // The other spreadsheet suffix is replaced; any other one is kept as part of the name.
    if (TSheetExporter::formatOf(chosen))
        return chosen.left(chosen.size() - current.size()) + suffix;
    return chosen + QLatin1Char('.') + suffix;
}

void ExportToExcel(Query &dataSet, const QString &fileName, QWidget *parent)
{
    TSheetExporter exporter;
    exporter.setDataSet(&dataSet);
    // Repaint during long exports, without taking clicks that could change the dataset.
    exporter.setProgress([](qint64) { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    try {
        // Before asking for a name: nothing to ask for when no format can take the list.
        exporter.setFormat(TSheetExporter::Format::Xlsx);
        exporter.check();
        QString filter;
        const QString chosen = FileDialog::getSaveFileName(parent, saveDialog(fileName), &filter);
        if (chosen.isEmpty())
            return;
        // A typed .xls or .xlsx decides the format; the chosen file type when none was typed, or
        // when the proposed name was kept as it was.
        const auto byType = filter == XlsxFilter ? TSheetExporter::Format::Xlsx : TSheetExporter::Format::Xls;
        const bool proposedKept = QFileInfo(chosen).fileName() == saveDialog(fileName).fileName;
        const auto format = proposedKept ? byType : TSheetExporter::formatOf(chosen).value_or(byType);
        exporter.setFormat(format);
        WaitCursor hourglass;
        std::unique_ptr<PassProgress> progress;
        const int rows = dataSet.recordCount();
        if (rows > ProgressFromRows) {
            // Modal: the list cannot change while it is written; Cancel keeps any old file.
            progress = std::make_unique<PassProgress>(parent, QStringLiteral("Export To Excel"), rows);
            exporter.setProgress([&progress, rows](qint64 written) {
                progress->starting(int(written), rows, {});
                if (progress->stopRequested())
                    throw ExportCancelled();
            });
        }
        const QString written = withSuffix(chosen, TSheetExporter::suffix(format));
        exporter.SaveAs(written);
        // Where it went, without a box to close.
        Messages::notice(QStringLiteral("%1 rows saved to %2").arg(rows).arg(QDir::toNativeSeparators(written)),
                         parent);
    } catch (const ExportCancelled &) {
        // The user's choice: nothing written, nothing to say.
    } catch (const ExportError &e) {
        Messages::error(e.message(), parent);
    }
}

} // namespace ExportAction
