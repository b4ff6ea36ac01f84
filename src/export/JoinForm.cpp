#include "JoinForm.h"
#include "ExportError.h"
#include "Messages.h"
#include "WorkersIni.h"

#include <QDir>

#include <QCoreApplication>
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

namespace {
TJoinForm *s_instance = nullptr;
}

const QString TJoinForm::DefaultPhotoPath = QStringLiteral("\\\\hrfiles\\HR\\Backups\\All_Photos\\");

TJoinForm::TJoinForm(QWidget *parent, const QString &iniPath) : QWidget(parent)
{
    setObjectName(QStringLiteral("JoinForm"));
    setVisible(false);
    const WorkersIni ini(iniPath.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Workers.ini"))
                                           : iniPath);
    PhotoShow = ini.readInteger(QStringLiteral("Photo"), QStringLiteral("PhotoShow"), 0) != 0;
    PhotoPath = ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), DefaultPhotoPath);
    s_instance = this;
}

TJoinForm::~TJoinForm()
{
    if (s_instance == this)
        s_instance = nullptr;
}

TJoinForm *TJoinForm::instance()
{
    return s_instance;
}

FileDialog::Request TJoinForm::saveDialog(const QString &FileName)
{
    FileDialog::Request r;
    r.caption = QStringLiteral("Save Excel File As");
    r.fileName = FileName + QStringLiteral(".xls");
    r.filter = QStringLiteral("Excel Files (*.xls)");
    r.defaultSuffix = QStringLiteral("xls");
    r.confirmOverwrite = false;
    return r;
}

void TJoinForm::ExportToExcel(Query &iDataSet, const QString &FileName)
{
    ExportToExcel(&iDataSet, FileName);
}

void TJoinForm::ExportToExcel(Query *iDataSet, const QString &FileName)
{
    SheetExporter1.setDataSet(iDataSet);
    // Repaint during long exports, without taking clicks that could change the dataset.
    SheetExporter1.setProgress([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    try {
        SheetExporter1.check(); // before asking for a name: nothing to ask for when it cannot be done
        const QString chosen = FileDialog::getSaveFileName(parentWidget(), saveDialog(FileName));
        if (chosen.isEmpty())
            return;
        WaitCursor hourglass;
        SheetExporter1.SaveAs(chosen);
    } catch (const ExportError &e) {
        Messages::error(e.message(), parentWidget());
    }
    SheetExporter1.setDataSet(nullptr);
}
