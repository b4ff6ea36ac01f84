// No SQL Server runs here: every statement text the program can send is checked for the forms
// SQL Server rejects. Statements are fixed texts in the sources (named constants and the pieces
// that builders join) plus the dialect fragments, which are rendered for SQL Server; so every
// string literal of src/ is read, and the engine-dependent fragments are rendered.
#include "CheckerLookup.h"
#include "Engine.h"
#include "Schema.h"
#include "SchemaCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Literal
{
    QString file;
    int line = 0;
    QString text;
};

// The string literals of a C++ source, adjacent ones joined as the compiler joins them.
QList<Literal> literals(const QString &file, const QString &src)
{
    QList<Literal> out;
    const qsizetype n = src.size();
    int line = 1;
    bool joining = false; // the last token was a string literal
    for (qsizetype i = 0; i < n;) {
        const QChar c = src.at(i);
        if (c == QLatin1Char('\n')) {
            ++line;
            ++i;
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && src.at(i + 1) == QLatin1Char('/')) {
            while (i < n && src.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && src.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = src.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            line += int(src.mid(i, stop - i).count(QLatin1Char('\n')));
            i = stop;
            continue;
        }
        if (c == QLatin1Char('\'')) {
            // A character literal: skipped whole, so that '"' starts no string.
            ++i;
            while (i < n && src.at(i) != QLatin1Char('\'')) {
                if (src.at(i) == QLatin1Char('\\'))
                    ++i;
                ++i;
            }
            ++i;
            joining = false;
            continue;
        }
        if (c == QLatin1Char('"')) {
            QString text;
            ++i;
            while (i < n && src.at(i) != QLatin1Char('"')) {
                if (src.at(i) == QLatin1Char('\\') && i + 1 < n) {
                    const QChar e = src.at(i + 1);
                    text += e == QLatin1Char('n') ? QLatin1Char('\n') : e == QLatin1Char('t') ? QLatin1Char('\t') : e;
                    i += 2;
                    continue;
                }
                text += src.at(i++);
            }
            ++i;
            if (joining && !out.isEmpty())
                out.last().text += text;
            else
                out << Literal{file, line, text};
            joining = true;
            continue;
        }
        joining = false;
        ++i;
    }
    return out;
}

// Looks like a statement or a piece of one.
bool looksLikeSql(const QString &s)
{
    static const QRegularExpression sql(
        QStringLiteral(
            "\\b(select|insert\\s+into|update|delete\\s+from|from|where|join|order\\s+by|group\\s+by|values|"
            "case\\s+when|coalesce|create\\s+(unique\\s+)?(table|index)|alter\\s+table|drop\\s+(table|index))"
            "\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return sql.match(s).hasMatch();
}

// A double-quoted token that is not an alias ("As \"01\""): SQL Server would take it for a name,
// the other engines for a text.
bool hasDoubleQuotedText(const QString &s)
{
    static const QRegularExpression alias(QStringLiteral("\\bas\\s*$"), QRegularExpression::CaseInsensitiveOption);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = s.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return false;
            i = end;
        } else if (c == QLatin1Char('"')) {
            const qsizetype end = s.indexOf(QLatin1Char('"'), i + 1);
            if (!alias.match(s.left(i)).hasMatch())
                return true;
            if (end < 0)
                return false;
            i = end;
        }
    }
    return false;
}

// The forms SQL Server refuses. The ones that cannot be prose are looked for in every literal;
// words that can be (LIMIT, true, a double-quoted text) only in texts that look like SQL.
QString rejectedForm(const QString &s, bool sqlText)
{
    struct Form
    {
        const char *name;
        const char *pattern;
        bool anywhere;
    };
    static const Form forms[] = {
        {"||", "\\|\\|", true},
        {"::", "::", true},
        {"strftime", "\\bstrftime\\s*\\(", true},
        {"EXTRACT", "\\bEXTRACT\\s*\\(", true},
        {"ILIKE", "\\bILIKE\\b", true},
        {"ON CONFLICT", "\\bON\\s+CONFLICT\\b", true},
        {"RETURNING", "\\bRETURNING\\b", true},
        {"LIMIT", "\\blimit\\b", false},
        {"true/false literal", "\\b(true|false)\\b", false},
    };
    for (const Form &f : forms) {
        if (!f.anywhere && !sqlText)
            continue;
        QRegularExpression rx(QString::fromLatin1(f.pattern));
        if (!f.anywhere)
            rx.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        if (rx.match(s).hasMatch())
            return QString::fromLatin1(f.name);
    }
    if (sqlText && hasDoubleQuotedText(s))
        return QStringLiteral("double-quoted text literal");
    return {};
}

QString sourceDir()
{
    return QDir(QStringLiteral(TALLIMAR_TESTS_DIR)).absoluteFilePath(QStringLiteral("../src"));
}

} // namespace

class TestSqlServerText : public QObject
{
    Q_OBJECT

private slots:
    // The detector itself: each rejected form is found, the accepted forms pass.
    void rejectedForms_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("form");
        QTest::newRow("LIMIT") << "Select * From Invoices Order By Ref_No LIMIT 1"
                               << "LIMIT";
        QTest::newRow("concatenation with ||") << "Select Employee_No || ' ' || Employee_Name From Workers"
                                               << "||";
        QTest::newRow("RETURNING") << "Insert Into Clients (Client_Name) Values (:N) RETURNING Rec_ID"
                                   << "RETURNING";
        QTest::newRow("ON CONFLICT") << "Insert Into Invoices (Ref_No) Values (:R) ON CONFLICT DO NOTHING"
                                     << "ON CONFLICT";
        QTest::newRow("ILIKE") << "Select * From Clients Where Client_Name ILIKE :N"
                               << "ILIKE";
        QTest::newRow("a :: cast") << "Select Col_Date::date From TimeSheets"
                                   << "::";
        QTest::newRow("a true literal") << "Select * From Assignments Where isActive = true"
                                        << "true/false literal";
        QTest::newRow("a false literal") << "Update Assignments Set isActive = FALSE"
                                         << "true/false literal";
        QTest::newRow("a double-quoted text") << "Select * From Clients Where Client_Name = \"Acme\""
                                              << "double-quoted text literal";
        QTest::newRow("strftime") << "Select strftime('%d', Col_Date) From TimeSheets"
                                  << "strftime";
        QTest::newRow("EXTRACT") << "Select EXTRACT(DAY FROM Col_Date) From TimeSheets"
                                 << "EXTRACT";
        QTest::newRow("a double-quoted alias is an identifier")
            << "Select MAX(CASE WHEN DAY(t.Col_Date) = 1 THEN t.Our_WH END) As \"01\" From TimeSheets t"
            << "";
        QTest::newRow("a text literal in single quotes") << "Select 'Present' From Workers Where Rec_ID = :R"
                                                         << "";
        QTest::newRow("a parameter is no cast") << "Select * From Workers Where Rec_ID = :Rec_ID"
                                                << "";
        QTest::newRow("a column whose name holds a rejected word") << "Select Limit_Date, Extracted, isTrue From T"
                                                                   << "";
    }
    void rejectedForms()
    {
        QFETCH(QString, sql);
        QFETCH(QString, form);
        QCOMPARE(rejectedForm(sql, true), form);
    }

    // The dialect fragments and the statements built per engine, rendered for SQL Server; and, so
    // that the scan of the sources below means something, the other engines' fragments are found.
    void renderedForSqlServer()
    {
        const QStringList rendered = {
            Dialect::dayOfMonth(Engine::SQLServer, QStringLiteral("t.Col_Date")),
            Dialect::concat(Engine::SQLServer,
                            {QStringLiteral("FirstName"), QStringLiteral("' '"), QStringLiteral("LastName")}),
            Dialect::currentSchema(Engine::SQLServer),
            monthGridSql(Engine::SQLServer, MonthSide::Ours),
            monthGridSql(Engine::SQLServer, MonthSide::Client),
        };
        QStringList all = rendered + Schema::statements(Engine::SQLServer);
        for (const SchemaCheck::Index &i : SchemaCheck::recommendedIndexes())
            all << SchemaCheck::createIndexSql(Engine::SQLServer, i);
        for (const QString &sql : all) {
            const QString form = rejectedForm(sql, true);
            QVERIFY2(form.isEmpty(), qPrintable(form + QStringLiteral(" in: ") + sql));
        }
        QVERIFY(monthGridSql(Engine::SQLServer, MonthSide::Ours).contains(QLatin1String("DAY(t.Col_Date)")));
        for (const Engine other : {Engine::PostgreSQL, Engine::SQLite}) {
            QVERIFY(!rejectedForm(Dialect::dayOfMonth(other, QStringLiteral("t.Col_Date")), true).isEmpty());
            QVERIFY(!rejectedForm(Dialect::concat(other, {QStringLiteral("a"), QStringLiteral("b")}), true).isEmpty());
        }
    }

    // Every literal of the program's sources. Engine.cpp holds the other engines' fragments and
    // is checked by rendering above; the parameter parser names the PostgreSQL cast to skip it.
    void sourcesHoldNoRejectedForm()
    {
        const QString root = sourceDir();
        QDirIterator it(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        int files = 0;
        int sqlTexts = 0;
        QStringList faults;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString rel = QDir(root).relativeFilePath(path);
            if (rel == QLatin1String("data/Engine.cpp"))
                continue;
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            ++files;
            for (const Literal &l : literals(rel, QString::fromUtf8(f.readAll()))) {
                if (rel == QLatin1String("data/Query.cpp") && l.text == QLatin1String("::"))
                    continue;
                const bool sql = looksLikeSql(l.text);
                sqlTexts += sql ? 1 : 0;
                const QString form = rejectedForm(l.text, sql);
                if (!form.isEmpty())
                    faults << QStringLiteral("%1:%2: %3 in \"%4\"").arg(l.file).arg(l.line).arg(form, l.text);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        // The scan read the program: its statements were among the literals.
        QVERIFY(files > 50);
        QVERIFY2(sqlTexts > 100, qPrintable(QString::number(sqlTexts)));
    }

    // The reader of literals: joined pieces, escapes, comments and character literals.
    void literalReader()
    {
        const QString src = QStringLiteral("// \"in a comment\"\n"
                                           "const QString A = QStringLiteral(\"Select a \"\n"
                                           "                                 \"From T Where b = \\\"x\\\"\");\n"
                                           "char q = '\"'; /* \"block\" */ f(\"second\");\n");
        const QList<Literal> l = literals(QStringLiteral("x.cpp"), src);
        QCOMPARE(l.size(), 2);
        QCOMPARE(l.at(0).text, QStringLiteral("Select a From T Where b = \"x\""));
        QCOMPARE(l.at(0).line, 2);
        QCOMPARE(l.at(1).text, QStringLiteral("second"));
        QCOMPARE(l.at(1).line, 4);
        QCOMPARE(rejectedForm(l.at(0).text, looksLikeSql(l.at(0).text)), QStringLiteral("double-quoted text literal"));
    }
};

QTEST_GUILESS_MAIN(TestSqlServerText)
#include "test_sqlserver_text.moc"
