#pragma once

#include "Connection.h"
#include "Query.h"

#include <QString>

struct CycleMonth
{
    int year = 0;
    int month = 0;
};

// Holds the program's one connection, the shared datasets and the login record.
class TDataModule1
{
public:
    // iniPath empty: Workers.ini beside the executable.
    explicit TDataModule1(const QString &iniPath = {});
    ~TDataModule1();
    TDataModule1(const TDataModule1 &) = delete;
    TDataModule1 &operator=(const TDataModule1 &) = delete;

    Connection ADOConnection1;
    Query UsersRolesQ;
    Query ActiveCycle;
    Query AllClientsQ;

    QString Current_UserID;
    QString Current_Password;
    QString Current_Version;
    QString ChoosenStyle;
    // [Photo] of Workers.ini, read once at creation; kept for the suite, no window shows photos.
    bool PhotoShow = false;
    QString PhotoPath;
    static const QString DefaultPhotoPath;

    // Opens the connection. Throws DbError.
    void DataModuleCreate();

    // Runs before every attempt to open the connection: re-reads the file, rebuilds the string.
    ConnectionParams ADOConnection1BeforeConnect();
    void ADOConnection1AfterConnect();

    const QString &iniPath() const { return m_iniPath; }
    // The provider string of the last attempt, exactly as the suite documents it.
    const QString &connectionString() const { return m_connectionString; }

    // Opens the user's role list; the role test searches it.
    void openRoles(const QString &userName);
    bool hasRole(const QString &roleName) const;

    // First row of PayrollActiveCycle, read once per run. Throws DbError
    // ("Invalid argument to date encode") when the table is empty or the month impossible.
    CycleMonth activeCycle();

    static QString GetAppVersionStr();
    static QString computerName();
    static QString buildConnectionString(const QString &password, const QString &userName, const QString &catalog,
                                         const QString &source, const QString &version, const QString &computerName);
    static const QString CompiledPassword;
    static const QString DefaultStyle;

private:
    QString m_iniPath;
    QString m_connectionString;
};
