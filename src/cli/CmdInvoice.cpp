#include "ActiveProjects.h"
#include "CliCommand.h"
#include "CliInvoices.h"
#include "Clock.h"
#include "DataModule1.h"
#include "InvoiceDocument.h"
#include "InvoicePages.h"
#include "Roles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

namespace {

// The folder of the output takes new files: known before anything is read.
bool folderTakesFiles(CliContext &ctx, const QString &folder, const QString &shownName)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tallimar-XXXXXX.pdf")));
    if (!probe.open()) {
        ctx.err << "Cannot save \"" << QDir::toNativeSeparators(shownName) << "\": " << probe.errorString() << "\n";
        return false;
    }
    return true;
}

// Reads and writes one project's document; 0 saved, 1 no lines or not saved.
int writeOne(CliContext &ctx, const QString &project, int year, int month, const QString &out, int *pages)
{
    const InvoiceDocument::Document d =
        InvoiceDocument::read(ctx.dm->ADOConnection1, project, year, month, Clock::system().today());
    if (d.lines.isEmpty()) {
        ctx.err << InvoiceDocument::noLinesMessage(project, year, month) << "\n";
        return 1;
    }
    try {
        *pages = InvoicePages::savePdf(d, out);
    } catch (const InvoicePages::SaveError &e) {
        ctx.err << e.message() << "\n";
        return 1;
    }
    const InvoiceDocument::Sums t = d.totals();
    ctx.out << project << ": " << t.lines << " lines, " << *pages << " pages, total "
            << QString::number(t.total, 'f', 2) << (d.isDraft() ? QStringLiteral(", DRAFT (") : QString());
    if (d.isDraft())
        ctx.out << d.uncheckedWorkers << " unchecked workers, " << d.disputedDays << " disputed days)";
    ctx.out << "\n";
    return 0;
}

int runInvoice(CliContext &ctx)
{
    const QString project = ctx.option(QStringLiteral("--project"));
    const QString out = ctx.option(QStringLiteral("--out"));
    if (project.isEmpty() || out.isEmpty()) {
        ctx.err << "invoice needs --project NAME and --out FILE.pdf\n";
        return 2;
    }
    if (QFileInfo(out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0) {
        ctx.err << "--out must name a .pdf file\n";
        return 2;
    }
    CycleMonth cycle;
    if (!ctx.cycleOption(cycle))
        return 2;
    if (!folderTakesFiles(ctx, QFileInfo(out).absolutePath(), out))
        return 2;
    if (!ActiveProjects::contains(ctx.dm->ADOConnection1, project)) {
        ctx.err << "Project '" << project << "' is not an active, billable project\n";
        return 2;
    }
    int pages = 0;
    const int rc = writeOne(ctx, project, cycle.year, cycle.month, out, &pages);
    if (rc == 0)
        ctx.out << "file: " << out << "\n";
    return rc;
}

const CliRegistrar invoiceReg({QStringLiteral("invoice"),
                               QStringLiteral("invoice --project NAME [--cycle YYYY-MM] --out FILE.pdf"
                                              "   save the project's invoice document of the cycle"),
                               {Roles::InvoiceDetails},
                               true,
                               &runInvoice,
                               [](const QStringList &) { return true; }});

} // namespace

namespace CliInvoices {

bool checkFolder(CliContext &ctx, const QString &dir)
{
    if (!QDir().mkpath(dir)) {
        ctx.err << "Cannot save \"" << QDir::toNativeSeparators(dir) << "\": the folder cannot be made\n";
        return false;
    }
    return folderTakesFiles(ctx, dir, dir);
}

bool writeAll(CliContext &ctx, const QStringList &projects, int year, int month, const QString &dir)
{
    bool ok = true;
    QSet<QString> used;
    for (const QString &project : projects) {
        const InvoiceDocument::Document d =
            InvoiceDocument::read(ctx.dm->ADOConnection1, project, year, month, Clock::system().today());
        if (d.lines.isEmpty()) {
            ctx.out << InvoiceDocument::noLinesMessage(project, year, month) << ": no document\n";
            continue;
        }
        // Two names that file systems see alike ("A/B", "A_B") get files of their own.
        QString name = InvoiceDocument::fileNameFor(project, year, month);
        for (int n = 2; used.contains(name.toLower()); ++n)
            name = InvoiceDocument::fileNameFor(project, year, month).chopped(4) + QStringLiteral(" (%1).pdf").arg(n);
        used.insert(name.toLower());
        const QString out = QDir(dir).filePath(name);
        try {
            const int pages = InvoicePages::savePdf(d, out);
            ctx.out << project << ": invoice " << d.lines.size() << " lines, " << pages << " pages"
                    << (d.isDraft() ? ", DRAFT" : "") << ", file: " << out << "\n";
        } catch (const InvoicePages::SaveError &e) {
            ctx.err << e.message() << "\n";
            ok = false;
        }
    }
    return ok;
}

} // namespace CliInvoices
