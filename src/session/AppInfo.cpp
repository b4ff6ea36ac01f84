#include "AppInfo.h"
#include "DataModule1.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace AppInfo {

QString versionLine(const QString &version, const QDateTime &lastModified, const QLocale &locale)
{
    if (!lastModified.isValid())
        return DesignVersionLine;
    const QDateTime t = lastModified.toLocalTime();
    QString when = locale.toString(t.date(), QLocale::ShortFormat);
    const QTime hms(t.time().hour(), t.time().minute(), t.time().second());
    if (hms != QTime(0, 0)) {
        // The long time format without its time-zone part.
        static const QRegularExpression zone(QStringLiteral("\\s*t+"));
        QString fmt = locale.timeFormat(QLocale::LongFormat);
        fmt.remove(zone);
        when += QLatin1Char(' ') + locale.toString(hms, fmt.trimmed());
    }
    return QStringLiteral("Version %1 - Last Updated on %2").arg(version, when);
}

QString currentVersionLine()
{
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return versionLine(TDataModule1::GetAppVersionStr(), exe.exists() ? exe.lastModified() : QDateTime());
}

} // namespace AppInfo
