#pragma once

// Small attendance fixtures for the shell tests, written as one line per row:
//   "own 2024-03-05 P 8 2 0"     a TimeSheets row (code, normal, overtime, holiday; "-" = null);
//                                the date may carry a time of day: 2024-03-05T08:30
//   "client 2024-03-05 A 0 0 0"  a ClientTimeSheets row

#include "Connection.h"
#include "TestDb.h"

#include <QDate>
#include <QStringList>
#include <QTest>

namespace ShellFixtures {

inline QVariant hour(const QString &s)
{
    return s == QLatin1String("-") ? QVariant(QMetaType::fromType<int>()) : QVariant(s.toInt());
}

inline void addRows(Connection &c, const QStringList &rows)
{
    static int nextId = 1;
    for (const QString &line : rows) {
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QVERIFY2(f.size() == 6, qPrintable(line));
        const QDateTime at = f[1].contains(QLatin1Char('T'))
                                 ? QDateTime::fromString(f[1], QStringLiteral("yyyy-MM-ddTHH:mm"))
                                 : QDate::fromString(f[1], QStringLiteral("yyyy-MM-dd")).startOfDay();
        QVERIFY2(at.isValid(), qPrintable(line));
        const QDate d = at.date();
        if (f[0] == QLatin1String("own")) {
            TestDb::exec(
                c,
                QStringLiteral("Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, "
                               "Assignment, OurAtt_Code, Our_WH, Our_OT, Our_HT) "
                               "Values (:Rec_ID, :Col_Date, :Y, :M, :D, 1, 'P1', :Code, :WH, :OT, :HT)"),
                {nextId++, at, d.year(), d.month(), d.day(), f[2], hour(f[3]), hour(f[4]), hour(f[5])});
        } else {
            QCOMPARE(f[0], QStringLiteral("client"));
            TestDb::exec(c,
                         QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, "
                                        "Assignment, ClientAtt_Code, Client_WH, Client_OT, Client_HT) "
                                        "Values (:Col_Date, :Y, :M, :D, 1, 'P1', :Code, :WH, :OT, :HT)"),
                         {at, d.year(), d.month(), d.day(), f[2], hour(f[3]), hour(f[4]), hour(f[5])});
        }
    }
}

inline void grant(Connection &c, const QString &user, const QStringList &roles)
{
    for (const QString &r : roles)
        TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"), {user, r});
}

} // namespace ShellFixtures
