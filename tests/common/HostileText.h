#pragma once

// The one table of hostile texts that every test of user input sends through its operation:
// quotes, SQL in a name, LIKE wildcards, a very long text, right-to-left Arabic, emoji, an
// embedded NUL, blanks around a value.

#include <QList>
#include <QString>

namespace HostileText {

struct Case
{
    const char *name;
    QString text;
};

inline QString emoji(int count)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, a surrogate pair in UTF-16
    return s;
}

inline const QList<Case> &cases()
{
    static const QList<Case> list{
        {"single quote", QStringLiteral("O'Brien")},
        {"double quotes", QStringLiteral("The \"Best\" Co")},
        {"SQL that drops Clients", QStringLiteral("'; DROP TABLE Clients; --")},
        {"LIKE wildcards", QStringLiteral("50% _off_")},
        {"10,000 characters", QString(10000, QLatin1Char('W'))},
        {"Arabic with right-to-left marks",
         QStringLiteral("\u202B\u0634\u0631\u0643\u0629 \u0627\u0644\u0646\u0648\u0631\u200F 42\u202C")},
        {"emoji", QStringLiteral("Crew ") + emoji(3) + QStringLiteral(" A")},
        {"5,000 emoji", emoji(5000)},
        {"embedded NUL", QStringLiteral("AB") + QChar(0) + QStringLiteral("CD")},
        {"blanks around", QStringLiteral("  padded name \t ")},
    };
    return list;
}

inline bool hasNul(const QString &s)
{
    return s.contains(QChar(0));
}

} // namespace HostileText
