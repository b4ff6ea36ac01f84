#include "InvoicingModule.h"
#include "DisputeMgtForm.h"
#include "InvoicesDetForm.h"
#include "ModuleTable.h"
#include "ReconciliationForm.h"
#include "Roles.h"

void registerInvoicingWindows(ModuleTable &table)
{
    table.add({QStringLiteral("Attendance"), 20, QStringLiteral("btn_Func_DisputeManagement"),
               QStringLiteral("Dispute Management"), Roles::DisputeMgt,
               [](QWidget *parent, Session &session) { return new TDisputeMgtForm(session, parent); }});
    table.add({QStringLiteral("Invoices"), 10, QStringLiteral("btn_Func_InvoiceDetails"),
               QStringLiteral("Invoice Details"), Roles::InvoiceDetails,
               [](QWidget *parent, Session &session) { return new TInvoicesDetForm(session, parent); }});
    table.add({QStringLiteral("Invoices"), 20, QStringLiteral("btn_Func_Reconciliation"),
               QStringLiteral("Reconciliation"), Roles::InvoiceDetails,
               [open = table.openerLink(Openers::ClientAttendance)](QWidget *parent, Session &session) {
                   return new TReconciliationForm(session, open, parent);
               }});
}
