#pragma once

#include "Query.h"

#include <QList>
#include <QString>

// The two lists of the invoice details window: a project's invoice lines of one cycle, and the
// employees whose client attendance there still has unchecked rows. The window and tallimar-cli
// share these statements and field definitions.
namespace InvoiceLists {

// InvoiceQ: the invoice lines of a cycle and project, by employee number, in the columns' order.
const QString &invoiceSql();
// NotCheckedQ: distinct (employee, entered by) pairs with rows whose Checked is exactly 0.
extern const QString NotCheckedSql;

// Field names, titles, kinds and visibility as the lists show them.
const QList<FieldDef> &invoiceFields();
const QList<FieldDef> &notCheckedFields();

// Gives a query the list's statement and field definitions.
void prepareInvoiceQ(Query &q);
void prepareNotCheckedQ(Query &q);

// Closes the list, sets the cycle and project, opens it again. Throws DbError.
void open(Query &q, int year, int month, const QString &project);

} // namespace InvoiceLists
