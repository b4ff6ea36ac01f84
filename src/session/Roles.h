#pragma once

#include <QString>

// Role names as stored in UsersRoles.RoleName.
namespace Roles {
inline const QString Login = QStringLiteral("Login_Tallimar");
inline const QString ClientsMgt = QStringLiteral("ClientsMgt");
inline const QString ProjectMgt = QStringLiteral("ProjectMgt");
inline const QString ProjectRate = QStringLiteral("ProjectRate");
inline const QString ClientAttCreater = QStringLiteral("ClientAttCreater");
inline const QString ClientAttChecker = QStringLiteral("ClientAttChecker");
inline const QString DisputeMgt = QStringLiteral("DisputeMgt");
inline const QString InvoiceDetails = QStringLiteral("InvoiceDetails");
inline const QString ProjectAddNew = QStringLiteral("ProjectAddNew");
inline const QString ProjectModify = QStringLiteral("ProjectModify");
inline const QString ProjectListExport = QStringLiteral("ProjectListExport");
inline const QString ClientsAddNew = QStringLiteral("ClientsAddNew");
inline const QString ClientsModify = QStringLiteral("ClientsModify");

inline const QString RefusalMessage =
    QStringLiteral("You Do Not Have Permission To Login to Tallimar.\n\rPlease Contact System Administrator");
} // namespace Roles
