#pragma once

#include <QString>
#include <QStringList>

struct CliContext;

// The invoice documents of month-end: one PDF per project with invoice lines in the cycle, in a
// folder. A project without lines gets a line saying so and no file.
namespace CliInvoices {

// The folder exists (it is made when missing) and takes new files; false (and the message) if not.
bool checkFolder(CliContext &ctx, const QString &dir);
// Writes the documents; false when one could not be saved.
bool writeAll(CliContext &ctx, const QStringList &projects, int year, int month, const QString &dir);

} // namespace CliInvoices
