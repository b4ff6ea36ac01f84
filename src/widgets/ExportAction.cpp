#include "ExportAction.h"
#include "ExportError.h"
#include "Messages.h"
#include "SheetExporter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace {
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
    r.filter = QStringLiteral("Excel Files (*.xls)");
    r.defaultSuffix = QStringLiteral("xls");
    r.confirmOverwrite = false;
    return r;
}

void ExportToExcel(Query &dataSet, const QString &fileName, QWidget *parent)
{
    TSheetExporter exporter;
    exporter.setDataSet(&dataSet);
    // Repaint during long exports, without taking clicks that could change the dataset.
    exporter.setProgress([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    try {
        exporter.check(); // before asking for a name: nothing to ask for when it cannot be done
        const QString chosen = FileDialog::getSaveFileName(parent, saveDialog(fileName));
        if (chosen.isEmpty())
            return;
        WaitCursor hourglass;
        exporter.SaveAs(chosen);
    } catch (const ExportError &e) {
        Messages::error(e.message(), parent);
    }
}

} // namespace ExportAction
