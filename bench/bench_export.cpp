// Spreadsheet export. The real `tallimar-cli export --list invoices` of one project's invoice
// lines (80 columns) from a SQLite file: 65,535 lines to .xls and .xlsx, 500,000 lines to .xlsx,
// time and peak memory of the process. LibreOffice converting the same rows (as CSV) is the
// yardstick, in the same run. Then a window's export of a loaded 65,535 x 60 list in process.
// Usage: bench_export [--no-libreoffice] [--libreoffice-500k] | --make-db FOLDER LINES
#include "BenchUtil.h"
#include "Connection.h"
#include "InvoiceLists.h"
#include "Schema.h"
#include "SheetExporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QUrl>

namespace {
const QString Project = QStringLiteral("Bench Site");
constexpr int ListColumns = 60;

// Starts the peak (VmHWM) again from what is resident now.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

struct Child
{
    double secs = -1;
    double peakMb = -1;
    int code = -1;
};

// Runs a program to its end under GNU time: wall time and the program's peak resident memory.
// (A child spawned straight from here would inherit this process's peak in its figure.)
Child runChild(const QString &program, const QStringList &args)
{
    QTemporaryFile report;
    report.open();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-f"), QStringLiteral("%e %M %x"),
                                                         QStringLiteral("-o"), report.fileName(), program} +
                                                 args);
    Child out;
    if (!p.waitForFinished(-1))
        return out;
    const QList<QByteArray> figures = report.readAll().trimmed().split('\n').last().split(' ');
    if (figures.size() == 3) {
        out.secs = figures.at(0).toDouble();
        out.peakMb = figures.at(1).toDouble() / 1024.0;
        out.code = figures.at(2).toInt();
    }
    return out;
}

// The value each invoice column gets in line N.
QString expressionFor(const FieldDef &f)
{
    const QString &n = f.name;
    if (n == QLatin1String("Col_Year"))
        return QStringLiteral("2024");
    if (n == QLatin1String("Col_Month"))
        return QStringLiteral("3");
    if (n == QLatin1String("Assignment"))
        return QStringLiteral("'%1'").arg(Project);
    if (n == QLatin1String("Employee_No"))
        return QStringLiteral("'E' || substr('0000000' || N, -7)");
    if (n == QLatin1String("Employee_Name"))
        return QStringLiteral("'Employee ' || N || ' موظف'");
    if (n.endsWith(QLatin1String("_Code")))
        return QStringLiteral("CASE N % 3 WHEN 0 THEN 'P' WHEN 1 THEN 'A' ELSE 'H' END");
    if (n.endsWith(QLatin1String("_Hour")))
        return QStringLiteral("'' || (N % 9)");
    if (f.kind == FieldKind::Float)
        return QStringLiteral("N * 1.25");
    if (f.kind == FieldKind::Integer)
        return QStringLiteral("N % 240");
    return QStringLiteral("'Job ' || (N % 40)");
}

// A SQLite database with `lines` invoice lines of the project in March 2024, and its Workers.ini.
QString makeDatabase(const QString &folder, int lines)
{
    const QString file = QDir(folder).filePath(QStringLiteral("bench-%1.db").arg(lines));
    Connection c(QStringLiteral("bench-%1").arg(lines));
    openSqlite(c, file, true);
    Schema::create(c);
    c.execDirect(QStringLiteral("INSERT INTO UsersRoles (UserName, RoleName) VALUES ('bench', 'Login_Tallimar')"));
    c.execDirect(QStringLiteral("INSERT INTO UsersRoles (UserName, RoleName) VALUES ('bench', 'InvoiceDetails')"));
    c.execDirect(
        QStringLiteral("INSERT INTO PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) VALUES (1, 2024, 3)"));
    c.execDirect(
        QStringLiteral("INSERT INTO Assignments (Assignment, isActive, Billable) VALUES ('%1', 1, 1)").arg(Project));
    QStringList names{QStringLiteral("Ref_No")}, values{QStringLiteral("N")};
    for (const FieldDef &f : InvoiceLists::invoiceFields())
        if (f.name != QLatin1String("Rec_ID")) {
            names << f.name;
            values << expressionFor(f);
        }
    c.execDirect(QStringLiteral("INSERT INTO Invoices (%1) WITH RECURSIVE s(N) AS (SELECT 1 UNION ALL SELECT N + 1 "
                                "FROM s WHERE N < %2) SELECT %3 FROM s")
                     .arg(names.join(QStringLiteral(", ")))
                     .arg(lines)
                     .arg(values.join(QStringLiteral(", "))));
    c.close();
    QFile ini(QDir(folder).filePath(QStringLiteral("Workers-%1.ini").arg(lines)));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n").arg(file).toUtf8());
    return ini.fileName();
}

QStringList cliArgs(const QString &ini, const QString &out)
{
    return {QStringLiteral("--ini"),
            ini,
            QStringLiteral("--user"),
            QStringLiteral("bench"),
            QStringLiteral("export"),
            QStringLiteral("--list"),
            QStringLiteral("invoices"),
            QStringLiteral("--project"),
            Project,
            QStringLiteral("--out"),
            out};
}

void figures(const QByteArray &name, const Child &r)
{
    if (r.code != 0) {
        printFigure((name + "_failed").constData(), r.code, "exit code");
        return;
    }
    printFigure((name + "_time").constData(), r.secs, "s");
    printFigure((name + "_peak_memory").constData(), r.peakMb, "MB");
}

// The invoice list as CSV, as LibreOffice reads it.
QString writeCsv(const QString &folder, int lines)
{
    const QString csv = QDir(folder).filePath(QStringLiteral("invoices-%1.csv").arg(lines));
    Connection c(QStringLiteral("csv-%1").arg(lines));
    openSqlite(c, QDir(folder).filePath(QStringLiteral("bench-%1.db").arg(lines)));
    Query q(c);
    InvoiceLists::prepareInvoiceQ(q);
    InvoiceLists::open(q, 2024, 3, Project);
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    const QList<int> cols = TSheetExporter::exportedFields(q);
    QByteArray line;
    auto quoted = [](const QString &s) { return '"' + s.toUtf8().replace('"', "\"\"") + '"'; };
    for (int c2 : cols)
        line += quoted(q.field(c2).label()) + ',';
    line.chop(1);
    f.write(line + '\n');
    for (int r = 0; r < q.recordCount(); ++r) {
        line.clear();
        for (int c2 : cols)
            line += quoted(q.displayText(r, c2)) + ',';
        line.chop(1);
        f.write(line + '\n');
    }
    return csv;
}

Child libreOffice(const QString &csv, const QString &format, const QString &folder)
{
    const QString profile = QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("lo-profile"))).toString();
    return runChild(QStringLiteral("soffice"),
                    {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                     QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), folder, csv});
}

// A window's export: a loaded list of 60 mixed columns written in process.
void loadedList(const QString &folder, int rows, TSheetExporter::Format format)
{
    Connection c(QStringLiteral("list"));
    openSqlite(c, QDir(folder).filePath(QStringLiteral("list.db")), true);
    QStringList cols;
    for (int k = 0; k < ListColumns / 5; ++k)
        cols << QStringLiteral("'Employee ' || N || ' of site %1' AS Name%1").arg(k)
             << QStringLiteral("N * %1 + 7 AS Qty%1").arg(k + 1) << QStringLiteral("N * 1.25 + %1.5 AS Amount%1").arg(k)
             << QStringLiteral("date('2024-01-01', '+' || ((N + %1) % 366) || ' days') AS Day%1").arg(k)
             << QStringLiteral("CASE (N + %1) % 4 WHEN 0 THEN 'P' WHEN 1 THEN 'A' ELSE 'H' END AS Code%1").arg(k);
    Query q(c, QStringLiteral("WITH RECURSIVE c(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM c WHERE N < %1) "
                              "SELECT %2 FROM c")
                   .arg(rows)
                   .arg(cols.join(QStringLiteral(", "))));
    for (int k = 0; k < ListColumns / 5; ++k) {
        FieldDef day;
        day.name = QStringLiteral("Day%1").arg(k);
        day.kind = FieldKind::Date;
        q.defineField(day);
    }
    q.open();
    TSheetExporter exporter;
    exporter.setFormat(format);
    exporter.setDataSet(&q);
    const QString suffix = TSheetExporter::suffix(format);
    const QString file = QDir(folder).filePath(QStringLiteral("list.") + suffix);
    const double before = statusMb("VmRSS");
    resetPeak();
    QElapsedTimer t;
    t.start();
    exporter.SaveAs(file);
    const QByteArray name = QStringLiteral("window_%1_%2x%3").arg(suffix).arg(rows).arg(ListColumns).toLatin1();
    printFigure((name + "_time").constData(), t.elapsed() / 1000.0, "s");
    printFigure((name + "_export_memory").constData(), statusMb("VmHWM") - before, "MB");
    printFigure((name + "_file_size").constData(), QFileInfo(file).size() / 1048576.0, "MB");
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--window-list"))) { // a process of its own for a clean peak
        const auto format =
            args.last() == QLatin1String("xlsx") ? TSheetExporter::Format::Xlsx : TSheetExporter::Format::Xls;
        QTemporaryDir dir;
        loadedList(dir.path(), 65535, format);
        return 0;
    }
    if (args.size() == 4 && args.at(1) == QLatin1String("--make-db")) { // for profiling by hand
        QTextStream(stdout) << makeDatabase(args.at(2), args.at(3).toInt()) << '\n';
        return 0;
    }
    const bool withLibreOffice = !args.contains(QStringLiteral("--no-libreoffice")) &&
                                 !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
    QTemporaryDir dir;
    const QString cli = QStringLiteral(TALLIMAR_CLI_PATH);
    for (int lines : {65535, 500000}) {
        const QString ini = makeDatabase(dir.path(), lines);
        const QByteArray size = QByteArray::number(lines) + "x80";
        for (const char *suffix : {"xls", "xlsx"}) {
            if (lines > 65535 && qstrcmp(suffix, "xls") == 0)
                continue; // beyond an .xls sheet
            const QString out = dir.filePath(QStringLiteral("cli-%1.%2").arg(lines).arg(QLatin1String(suffix)));
            figures("cli_" + QByteArray(suffix) + '_' + size, runChild(cli, cliArgs(ini, out)));
            printFigure(("cli_" + QByteArray(suffix) + '_' + size + "_file_size").constData(),
                        QFileInfo(out).size() / 1048576.0, "MB");
            QFile::remove(out);
        }
        if (withLibreOffice && (lines == 65535 || args.contains(QStringLiteral("--libreoffice-500k")))) {
            const QString csv = writeCsv(dir.path(), lines);
            for (const char *suffix : {"xls", "xlsx"}) {
                if (lines > 65535 && qstrcmp(suffix, "xls") == 0)
                    continue;
                figures("libreoffice_" + QByteArray(suffix) + '_' + size,
                        libreOffice(csv, QString::fromLatin1(suffix), dir.path()));
            }
        }
        QFile::remove(dir.filePath(QStringLiteral("bench-%1.db").arg(lines)));
    }
    for (const char *format : {"xls", "xlsx"})
        if (QProcess::execute(app.applicationFilePath(), {QStringLiteral("--window-list"), QLatin1String(format)}) != 0)
            return 1;
    return 0;
}
