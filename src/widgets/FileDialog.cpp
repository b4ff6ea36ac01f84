#include "FileDialog.h"
#include "Dialogs.h"

#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QFileInfo>
#include <optional>

namespace {
std::optional<QString> &nextFileName()
{
    static std::optional<QString> name;
    return name;
}

QString &nextFilter()
{
    static QString filter;
    return filter;
}

FileDialog::Request &last()
{
    static FileDialog::Request request;
    return request;
}
} // namespace

QString FileDialog::getSaveFileName(QWidget *parent, const Request &request, QString *selectedFilter)
{
    last() = request;
    QString chosen;
    QString filter = request.filter.section(QStringLiteral(";;"), 0, 0);
    if (nextFileName()) {
        chosen = *nextFileName();
        if (!nextFilter().isEmpty())
            filter = nextFilter();
        nextFileName().reset();
        nextFilter().clear();
    } else {
        if (Dialogs::refuseRealModal(QStringLiteral("save dialog '%1'").arg(request.caption)))
            return {};
        QFileDialog dialog(parent, request.caption, QString(), request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        chosen = dialog.selectedFiles().constFirst();
        filter = dialog.selectedNameFilter();
    }
    if (selectedFilter)
        *selectedFilter = chosen.isEmpty() ? QString() : filter;
    if (!chosen.isEmpty() && !request.defaultSuffix.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + request.defaultSuffix;
    return chosen;
}

void FileDialog::setNextFileName(const QString &fileName, const QString &selectedFilter)
{
    nextFileName() = fileName;
    nextFilter() = selectedFilter;
}

FileDialog::Request FileDialog::lastRequest()
{
    return last();
}

QString FileDialog::getOpenFileName(QWidget *parent, const Request &request)
{
    last() = request;
    if (nextFileName()) {
        const QString chosen = *nextFileName();
        nextFileName().reset();
        nextFilter().clear();
        return chosen;
    }
    if (Dialogs::refuseRealModal(QStringLiteral("open dialog '%1'").arg(request.caption)))
        return {};
    QFileDialog dialog(parent, request.caption, request.fileName, request.filter);
    // Plain icons: listing a folder must not open the files in it (the SQLite database among them).
    static QAbstractFileIconProvider plainIcons;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&plainIcons);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
