#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The version line of the splash and the About box.
namespace AppInfo {

// What the windows show when the executable's time cannot be read.
inline const QString DesignVersionLine = QStringLiteral("Version 3.5.3.43 - Last Updated on the 14th of Aug 2017");
// The publisher, as the About box names it; invoices are issued in its name.
inline const QString CompanyName = QStringLiteral("Orvessa Systems");

// "Version %s - Last Updated on %s": short date and long time in the locale, no time at midnight.
QString versionLine(const QString &version, const QDateTime &lastModified, const QLocale &locale = QLocale());
// The same for the running program (version compiled in, the executable's last-write time).
QString currentVersionLine();

} // namespace AppInfo
