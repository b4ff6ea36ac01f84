#include "FileDialog.h"
#include "Dialogs.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyle>
#include <optional>

namespace {
// Icons and type names from the name alone. The default provider opens every file it lists to
// guess its type, and closing any descriptor of a file drops every POSIX lock this process holds
// on it: SQLite's locks on a database in the folder shown, after which another program takes
// the database for unused and deletes the write-ahead log this program still writes to.
class NameOnlyIconProvider : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType type) const override
    {
        switch (type) {
        case Computer:
            return standard(QStyle::SP_ComputerIcon);
        case Desktop:
            return standard(QStyle::SP_DesktopIcon);
        case Trashcan:
            return standard(QStyle::SP_TrashIcon);
        case Network:
            return standard(QStyle::SP_DriveNetIcon);
        case Drive:
            return standard(QStyle::SP_DriveHDIcon);
        case Folder:
            return standard(QStyle::SP_DirIcon);
        case File:
            break;
        }
        return standard(QStyle::SP_FileIcon);
    }
    // QFileInfo answers these from the file's status; nothing is opened.
    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return icon(Drive);
        if (info.isDir())
            return icon(Folder);
        return icon(File);
    }
    QString type(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return QStringLiteral("Drive");
        if (info.isDir())
            return QStringLiteral("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
    }

private:
    static QIcon standard(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }
};

// Every file dialog of the program: Qt's own dialog (a native one may read the files it lists),
// listing through the provider above, which lives longer than the dialog's model.
struct SeamDialog
{
    NameOnlyIconProvider icons;
    QFileDialog dialog;

    SeamDialog(QWidget *parent, const QString &caption, const QString &filter)
        : dialog(parent, caption, QString(), filter)
    {
#if !defined(Q_OS_WIN)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
        dialog.setIconProvider(&icons);
    }
};

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

// The folder the last chosen file lay in, during this run; at first the user's documents folder
// where there is one (not the program's folder, which may hold the database).
QString &lastFolder()
{
    static QString folder = [] {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return !docs.isEmpty() && QDir(docs).exists() ? docs : QDir::homePath();
    }();
    return folder;
}

// A proposed bare name goes into the last folder used.
QString proposedPath(const QString &fileName)
{
    if (fileName.isEmpty())
        return lastFolder();
    return QFileInfo(fileName).isAbsolute() ? fileName : QDir(lastFolder()).filePath(fileName);
}

// "Excel Workbook (*.xlsx)" -> "xlsx"; empty for a filter without one plain suffix.
QString suffixOfFilter(const QString &filter)
{
    static const QRegularExpression one(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)$"));
    const QRegularExpressionMatch m = one.match(filter.trimmed());
    return m.hasMatch() ? m.captured(1) : QString();
}
} // namespace

QString FileDialog::startFolder()
{
    return lastFolder();
}

namespace {
QString ask(QWidget *parent, const FileDialog::Request &request, QString *selectedFilter, QFileDialog::AcceptMode mode)
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
        SeamDialog seam(parent, request.caption, request.filter);
        QFileDialog &dialog = seam.dialog;
        dialog.setAcceptMode(mode);
        if (mode == QFileDialog::AcceptSave) {
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(request.defaultSuffix);
            // A name typed without a suffix takes the chosen type's, so that the replace question
            // asks about the file that will be written.
            if (!request.defaultSuffix.isEmpty())
                QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &f) {
                    const QString suffix = suffixOfFilter(f);
                    if (!suffix.isEmpty())
                        dialog.setDefaultSuffix(suffix);
                });
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
            dialog.setObjectName(QStringLiteral("SaveDialog"));
        } else {
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setObjectName(QStringLiteral("OpenDialog"));
        }
        // A proposed folder is opened; a proposed file is selected in its folder.
        const QString proposed = proposedPath(request.fileName);
        if (QFileInfo(proposed).isDir())
            dialog.setDirectory(proposed);
        else
            dialog.selectFile(proposed);
        // Through the dialog seam: tests drive this very dialog instead of a person.
        if (Dialogs::exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        chosen = dialog.selectedFiles().constFirst();
        filter = dialog.selectedNameFilter();
    }
    if (selectedFilter)
        *selectedFilter = chosen.isEmpty() ? QString() : filter;
    if (!chosen.isEmpty() && QFileInfo(chosen).isAbsolute())
        lastFolder() = QFileInfo(chosen).absolutePath();
    // A name without suffix takes the chosen type's (the default suffix when the type has none).
    if (mode == QFileDialog::AcceptSave && !chosen.isEmpty() && !request.defaultSuffix.isEmpty() &&
        QFileInfo(chosen).suffix().isEmpty()) {
        const QString typeSuffix = suffixOfFilter(filter);
        chosen += QLatin1Char('.') + (typeSuffix.isEmpty() ? request.defaultSuffix : typeSuffix);
    }
    return chosen;
}
} // namespace

QString FileDialog::getSaveFileName(QWidget *parent, const Request &request, QString *selectedFilter)
{
    return ask(parent, request, selectedFilter, QFileDialog::AcceptSave);
}

QString FileDialog::getOpenFileName(QWidget *parent, const Request &request, QString *selectedFilter)
{
    return ask(parent, request, selectedFilter, QFileDialog::AcceptOpen);
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
