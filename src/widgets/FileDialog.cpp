#include "FileDialog.h"
#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <optional>

namespace {
std::optional<QString> &nextFileName()
{
    static std::optional<QString> name;
    return name;
}

FileDialog::Request &last()
{
    static FileDialog::Request request;
    return request;
}
} // namespace

QString FileDialog::getSaveFileName(QWidget *parent, const Request &request)
{
    last() = request;
    QString chosen;
    if (nextFileName()) {
        chosen = *nextFileName();
        nextFileName().reset();
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
    }
    if (!chosen.isEmpty() && !request.defaultSuffix.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + request.defaultSuffix;
    return chosen;
}

void FileDialog::setNextFileName(const QString &fileName)
{
    nextFileName() = fileName;
}

FileDialog::Request FileDialog::lastRequest()
{
    return last();
}
